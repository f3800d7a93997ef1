#include "window_main.h"

#include "shell/appearance.h"
#include "shell/dialogs.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <exception>

namespace bench {

int runWithWindows(int argc, char **argv, const std::function<int()> &run)
{
    static QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + QStringLiteral("/data")));
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Appearance::applyApplicationLook();
    MessageBox::setHeadless(true);
    try {
        return run();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "ERROR %s\n", e.what());
        return 1;
    }
}

} // namespace bench
