// Every test process runs headless with HOME, the XDG folders and the
// settings pointed at a fresh temp folder, so no test touches the real home.
#include "app/appearance.h"
#include "shell/dialogs.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cstdlib>

int main(int argc, char **argv)
{
    static QTemporaryDir home;
    if (!home.isValid())
        return 2;
    const QByteArray root = QFile::encodeName(home.path());
    QDir(home.path()).mkpath(QStringLiteral("config"));
    QDir(home.path()).mkpath(QStringLiteral("data"));
    setenv("HOME", root.constData(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").constData(), 1);
    setenv("XDG_CACHE_HOME", (root + "/cache").constData(), 1);
    // No test reaches the desktop's real session bus; the D-Bus tests start
    // their own.
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/samename-test-bus", 1);
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    Appearance::applyApplicationLook();
    MessageBox::setHeadless(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
