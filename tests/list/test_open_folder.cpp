// Showing a file in the file manager, against a fake FileManager1 service on
// a private session bus that this test starts.
#include "shell/desktop.h"
#include "shell/engine/file_system.h"
#include "support/temp_tree.h"

#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QUrl>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList calls; // read once its thread has ended

public slots:
    void ShowItems(const QStringList &uris, const QString &) { calls << uris; }
};

} // namespace

TEST(OpenFolder, AsksTheFileManagerOnTheSessionBusToShowTheFile)
{
    QProcess daemon; // ends with the test
    daemon.start(QStringLiteral("dbus-daemon"),
                 {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    ASSERT_TRUE(daemon.waitForReadyRead(10000)) << "dbus-daemon did not start";
    const QString address = QString::fromLatin1(daemon.readLine().trimmed());
    qputenv("DBUS_SESSION_BUS_ADDRESS", address.toLatin1());
    TempTree t;
    // Blanks at the end belong to the name; bytes that are not UTF-8 go
    // into the URI as they are.
    const QString file = t.file(QStringLiteral("文件 夹/a b%.txt "));
    const QString bad = t.file(QStringLiteral("文件 夹/") + DecodeFileName(QByteArray("bad\xff.txt")));
    t.file(QStringLiteral("文件 夹/a b%.txt"));
    // A listed link whose file is gone is still there to be shown.
    const QString dangling = t.path(QStringLiteral("文件 夹/gone.txt"));
    ASSERT_EQ(::symlink("nowhere", QFile::encodeName(dangling).constData()), 0);
    EXPECT_FALSE(OpenFolderSelectItem(file)) << "no file manager owns the name yet";
    // The service answers from its own thread while the call blocks this one.
    QThread thread;
    FakeFileManager fake;
    fake.moveToThread(&thread);
    QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("fake"));
    ASSERT_TRUE(bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &fake, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.FileManager1")));
    thread.start();
    EXPECT_TRUE(OpenFolderSelectItem(file));
    EXPECT_TRUE(OpenFolderSelectItem(bad));
    EXPECT_TRUE(OpenFolderSelectItem(dangling));
    EXPECT_FALSE(OpenFolderSelectItem(QStringLiteral(" ") + file));
    thread.quit();
    thread.wait();
    QDBusConnection::disconnectFromBus(QStringLiteral("fake"));
    ASSERT_EQ(fake.calls.size(), 3);
    EXPECT_EQ(QUrl(fake.calls[0]).toLocalFile(), file);
    EXPECT_EQ(fake.calls[1], QStringLiteral("file://") + QString::fromLatin1(QFile::encodeName(t.root()).toPercentEncoding("/"))
                                 + QStringLiteral("/%E6%96%87%E4%BB%B6%20%E5%A4%B9/bad%FF.txt"));
}

#include "test_open_folder.moc"
