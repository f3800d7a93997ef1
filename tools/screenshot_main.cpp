// samename_shot OUTDIR [SCENE...]: saves OUTDIR/SCENE.png of the program's
// real windows, for reviewing how they look without a desktop. Run it under
// Xvfb through tools/screenshot.sh.
#include "app/app_info.h"
#include "app/appearance.h"
#include "app/fcover.h"
#include "app/form1.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

// Long enough for the cover's first timer tick and any queued layout.
constexpr int SettleMs = 400;

// The windows the scenes share; each opens what it needs the way a user would.
class Windows {
public:
    fCover &cover()
    {
        if (!m_cover) {
            m_cover = std::make_unique<fCover>();
            m_cover->loadCover();
            QTest::qWait(SettleMs);
        }
        return *m_cover;
    }

    Form1 &mainWindow()
    {
        if (!cover().mainWindow()) {
            QTest::mouseClick(cover().Command1, Qt::LeftButton);
            QTest::qWait(SettleMs);
        }
        if (!cover().mainWindow()) {
            std::fprintf(stderr, "clicking %s opened no main window\n", qPrintable(cover().Command1->text()));
            std::exit(1);
        }
        return *cover().mainWindow();
    }

private:
    std::unique_ptr<fCover> m_cover;
};

struct Scene {
    const char *name;
    // Prepares the windows and returns the one to save.
    std::function<QWidget *(Windows &)> prepare;
};

// In the order they run: a later scene may build on an earlier one.
const Scene Scenes[] = {
    {"cover", [](Windows &w) -> QWidget * { return &w.cover(); }},
    {"main", [](Windows &w) -> QWidget * { return &w.mainWindow(); }},
};

// The user's own settings are neither read nor changed.
bool useTempHome(QTemporaryDir &home)
{
    if (!home.isValid())
        return false;
    const QByteArray root = QFile::encodeName(home.path());
    for (const char *sub : {"config", "data", "cache"})
        QDir(home.path()).mkpath(QString::fromLatin1(sub));
    setenv("HOME", root.constData(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").constData(), 1);
    setenv("XDG_CACHE_HOME", (root + "/cache").constData(), 1);
    // Qt wants this one private to the user; Xvfb sessions have none.
    if (QDir(home.path()).mkdir(QStringLiteral("runtime"))
        && QFile::setPermissions(home.filePath(QStringLiteral("runtime")),
                                 QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        setenv("XDG_RUNTIME_DIR", (root + "/runtime").constData(), 1);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "Usage: samename_shot OUTDIR [SCENE...]\nScenes:");
        for (const Scene &s : Scenes)
            std::fprintf(stderr, " %s", s.name);
        std::fprintf(stderr, "\n");
        return 2;
    }
    QTemporaryDir home;
    if (qgetenv("SHOT_KEEP_HOME") != "1" && !useTempHome(home)) {
        std::fprintf(stderr, "cannot create a temporary home folder\n");
        return 1;
    }

    // As src/app/main.cpp sets it up.
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppInfo::title());
    QApplication::setApplicationVersion(AppInfo::versionText());
    QApplication::setQuitOnLastWindowClosed(false);
    Appearance::applyApplicationLook();

    const QString outDir = QString::fromLocal8Bit(argv[1]);
    QStringList wanted;
    for (int i = 2; i < argc; ++i)
        wanted << QString::fromLocal8Bit(argv[i]);
    for (const QString &name : wanted) {
        if (std::none_of(std::begin(Scenes), std::end(Scenes),
                         [&](const Scene &s) { return name == QLatin1String(s.name); })) {
            std::fprintf(stderr, "unknown scene %s\n", qPrintable(name));
            return 2;
        }
    }
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(outDir));
        return 1;
    }

    // A modal dialog that nobody answers would otherwise hang the run.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        std::fprintf(stderr, "a scene did not finish within 60 s (a dialog left open?)\n");
        std::_Exit(1);
    });
    watchdog.start(60000);

    Windows windows;
    int failed = 0;
    for (const Scene &scene : Scenes) {
        if (!wanted.isEmpty() && !wanted.contains(QLatin1String(scene.name)))
            continue;
        QWidget *widget = scene.prepare(windows);
        const QString path = QDir(outDir).absoluteFilePath(QLatin1String(scene.name) + QStringLiteral(".png"));
        const QPixmap shot = widget->grab();
        if (shot.isNull() || !shot.save(path, "PNG")) {
            std::fprintf(stderr, "cannot save %s\n", qPrintable(path));
            ++failed;
            continue;
        }
        std::printf("%s\n", qPrintable(path));
        std::fflush(stdout);
    }
    return failed ? 1 : 0;
}
