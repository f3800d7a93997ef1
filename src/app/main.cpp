#include "shell/appearance.h"
#include "app/engine/app_info.h"
#include "app/fcover.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// The build names both; these are for a bare compiler run.
#ifndef SAMENAME_APP_ID
#define SAMENAME_APP_ID "io.github.motongsoft.samename"
#endif
#ifndef SAMENAME_UPDATE_CHECK
#define SAMENAME_UPDATE_CHECK 1
#endif

namespace {

// Answers --help and --version before any window exists, so they work
// without a display. Returns -1 when the program should start.
int answerCommandLine(int argc, char *argv[])
{
    const QByteArray title = AppInfo::title().toUtf8();
    const QByteArray version = AppInfo::versionText().toUtf8();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-v") == 0) {
            std::printf("%s %s\n", title.constData(), version.constData());
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("用法：samename [--help] [--version]\n"
                        "%s %s：在一个目录及其子目录中查找同名文件，用一个母文件批量替换勾选的文件，"
                        "原文件改名备份，可恢复最近一次替换。\n"
                        "  --help     显示本说明并退出\n"
                        "  --version  显示版本并退出\n",
                        title.constData(), version.constData());
            return 0;
        }
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (const int answered = answerCommandLine(argc, argv); answered >= 0)
        return answered;
#ifndef Q_OS_WIN
    // Without a display Qt would abort with a plugin dump; say it plainly.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) {
        std::fprintf(stderr,
                     "%s: 没有可用的图形显示 (no display). Start it in a desktop session, "
                     "or under a virtual one: xvfb-run -a samename\n",
                     AppInfo::title().toUtf8().constData());
        return 1;
    }
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppInfo::title());
    QApplication::setApplicationVersion(AppInfo::versionText());
    // The installed entry's name: Wayland's app id, so docks pair the window with it.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(SAMENAME_APP_ID));
    QApplication::setQuitOnLastWindowClosed(false);
    Appearance::applyApplicationLook();

    fCover cover;
#if !SAMENAME_UPDATE_CHECK
    // Built for a distribution that announces updates itself: the cover's
    // timer still ticks, but starts nothing.
    cover.setUpdateCheck({});
#endif
    cover.loadCover();
    return app.exec();
}
