#include "app/engine/app_info.h"
#include "app/appearance.h"
#include "app/fcover.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
#ifndef Q_OS_WIN
    // Without a display Qt would abort with a plugin dump; say it plainly.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) {
        std::fprintf(stderr, "没有可用的图形显示 (no display): run it in a desktop session, "
                             "or under a virtual one: xvfb-run -a ./build/release/src/samename\n");
        return 1;
    }
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppInfo::title());
    QApplication::setApplicationVersion(AppInfo::versionText());
    QApplication::setQuitOnLastWindowClosed(false);
    Appearance::applyApplicationLook();

    fCover cover;
    cover.loadCover();
    return app.exec();
}
