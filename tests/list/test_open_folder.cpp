// Showing a file in the file manager, against a fake FileManager1 service on
// a private session bus that this test starts.
#include "shell/desktop.h"
#include "shell/dialogs.h"
#include "shell/engine/file_system.h"
#include "support/temp_tree.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QSemaphore>
#include <QThread>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList calls() const
    {
        QMutexLocker lock(&m_mutex);
        return m_calls;
    }

public slots:
    void ShowItems(const QStringList &uris, const QString &startupId)
    {
        Q_UNUSED(startupId);
        QMutexLocker lock(&m_mutex);
        m_calls << uris;
    }

private:
    mutable QMutex m_mutex;
    QStringList m_calls;
};

// Serves the fake from its own thread, so the caller's blocking call gets
// its answer.
class ServiceThread : public QThread {
public:
    explicit ServiceThread(const QString &address) : m_address(address) {}
    FakeFileManager *fake = nullptr;
    bool registered = false;

protected:
    void run() override
    {
        FakeFileManager service;
        {
            QDBusConnection bus = QDBusConnection::connectToBus(m_address, QStringLiteral("fake-file-manager"));
            registered = bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &service,
                                            QDBusConnection::ExportAllSlots)
                         && bus.registerService(QStringLiteral("org.freedesktop.FileManager1"));
            fake = &service;
            m_ready.release();
            exec();
            bus.unregisterService(QStringLiteral("org.freedesktop.FileManager1"));
            fake = nullptr;
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-file-manager"));
    }

public:
    void waitReady() { m_ready.acquire(); }

private:
    QString m_address;
    QSemaphore m_ready;
};

class OpenFolderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        daemon = new QProcess;
        daemon->start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                      QStringLiteral("--print-address=1")});
        ASSERT_TRUE(daemon->waitForReadyRead(10000)) << "dbus-daemon did not start";
        address = QString::fromLatin1(daemon->readLine().trimmed());
        qputenv("DBUS_SESSION_BUS_ADDRESS", address.toLatin1());
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());
    }
    static void TearDownTestSuite()
    {
        daemon->kill();
        daemon->waitForFinished();
        delete daemon;
    }
    static QProcess *daemon;
    static QString address;
};
QProcess *OpenFolderTest::daemon = nullptr;
QString OpenFolderTest::address;

} // namespace

TEST_F(OpenFolderTest, AsksTheFileManagerToShowTheFile)
{
    TempTree t;
    // Blanks at the end belong to the name; bytes that are not UTF-8 go
    // into the URI as they are.
    const QString file = t.file(QStringLiteral("文件 夹/a b%.txt "));
    const QString bad = t.file(QStringLiteral("文件 夹/") + DecodeFileName(QByteArray("bad\xff.txt")));
    t.file(QStringLiteral("文件 夹/a b%.txt"));
    ServiceThread service(address);
    service.start();
    service.waitReady();
    ASSERT_TRUE(service.registered);
    EXPECT_TRUE(OpenFolderSelectItem(file));
    EXPECT_TRUE(OpenFolderSelectItem(bad));
    const QStringList calls = service.fake->calls();
    service.quit();
    service.wait();
    ASSERT_EQ(calls.size(), 2);
    EXPECT_EQ(QUrl(calls[0]).toLocalFile(), file);
    EXPECT_EQ(calls[1], QStringLiteral("file://") + QString::fromLatin1(QFile::encodeName(t.root()).toPercentEncoding("/"))
                            + QStringLiteral("/%E6%96%87%E4%BB%B6%20%E5%A4%B9/bad%FF.txt"));
    EXPECT_FALSE(OpenFolderSelectItem(QStringLiteral(" ") + file));
    EXPECT_FALSE(OpenFolderSelectItem(t.path(QStringLiteral("missing.txt"))));
}

TEST_F(OpenFolderTest, FailsWhenNoFileManagerOwnsTheName)
{
    TempTree t;
    const QString file = t.file(QStringLiteral("a.txt"));
    EXPECT_FALSE(QDBusConnection::sessionBus().interface()->isServiceRegistered(QStringLiteral("org.freedesktop.FileManager1")));
    EXPECT_FALSE(OpenFolderSelectItem(file));
}

#include "test_open_folder.moc"
