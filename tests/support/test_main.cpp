// Every test process runs headless with HOME, the XDG folders and the
// settings pointed at a fresh temp folder, so no test touches the real home.
#include "shell/appearance.h"
#include "shell/dialogs.h"
#include "support/temp_tree.h"

#include <QApplication>
#include <QDir>
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

int main(int argc, char **argv)
{
    // Few users' clocks are on UTC. A zone with daylight saving shows where
    // local time and UTC are mixed up; an unknown zone would quietly be UTC.
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    const time_t january = 1704067200, july = 1719792000; // 2024-01-01 and 2024-07-01, 00:00 UTC
    struct tm winter, summer;
    const bool zone = localtime_r(&january, &winter) && localtime_r(&july, &summer) && winter.tm_gmtoff == 3600 && summer.tm_gmtoff == 7200;
    // The unprivileged entries meet real permission refusals only if they are.
    const bool privileged = std::getenv("SAMENAME_UNPRIVILEGED") && ::geteuid() == 0;
    if (!zone || privileged)
        return std::fprintf(stderr, "%s\n",
                            zone ? "SAMENAME_UNPRIVILEGED is set, yet this runs as root"
                                 : "The time zone Europe/Berlin did not take effect: is tzdata installed?"),
               1;
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
