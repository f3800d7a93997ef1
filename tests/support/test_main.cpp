// Every test process runs headless with HOME, the XDG folders and the
// settings pointed at a fresh temp folder, so no test touches the real home.
#include "app/appearance.h"
#include "shell/dialogs.h"
#include "support/temp_tree.h"

#include <QApplication>
#include <QDir>
#include <gtest/gtest.h>
#include <cstdlib>

int main(int argc, char **argv)
{
    // The trash gathers names that are not UTF-8, which only a tree can remove.
    static TempTree home;
    const QByteArray root = QFile::encodeName(home.root());
    home.folder(QStringLiteral("config"));
    home.folder(QStringLiteral("data"));
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
