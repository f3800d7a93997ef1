// samename_shot OUTDIR [SCENE...]: saves OUTDIR/SCENE.png of the program's
// real windows, for reviewing how they look without a desktop. Run it under
// Xvfb through tools/screenshot.sh.
#include "app/engine/app_info.h"
#include "app/engine/app_state.h"
#include "shell/appearance.h"
#include "app/fcover.h"
#include "app/form1.h"
#include "app/engine/settings.h"
#include "list/result_list_view.h"
#include "list/result_model.h"
#include "online/frm_about.h"
#include "options/foption.h"
#include "replace/form2.h"
#include "shell/dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <utime.h>

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

    // A small tree of same-name files, their backups and other kinds.
    QString tree()
    {
        if (m_tree.isValid() && !QDir(m_tree.filePath(QStringLiteral("项目"))).exists()) {
            const char *files[] = {"项目/一期/report.txt",      "项目/一期/report.txt[20240102030405替换备份]",
                                   "项目/二期/Report.TXT",      "项目/二期/report.docx",
                                   "项目/三期/report.txt",      "项目/三期/export.txt",
                                   "项目/三期/图片/report.png", "项目/文档/report.pdf",
                                   "项目/文档/report.txt",      "母文件/report.txt"};
            int n = 0;
            for (const char *f : files) {
                const QString path = m_tree.filePath(QString::fromUtf8(f));
                QDir().mkpath(QFileInfo(path).absolutePath());
                QFile out(path);
                out.open(QIODevice::WriteOnly);
                out.write(QByteArray(512 * (++n * 7 % 23 + 1), 'x'));
                out.close();
                struct utimbuf t;
                t.actime = t.modtime = 1700000000 + n * 86400 * 3;
                ::utime(QFile::encodeName(path).constData(), &t);
            }
        }
        return m_tree.path();
    }

private:
    std::unique_ptr<fCover> m_cover;
    QTemporaryDir m_tree;
};

// The main window after a search for report.txt, similar mode, with
// subfolders: icons, ticks and fitted columns.
QWidget *searched(Windows &w)
{
    Form1 &f = w.mainWindow();
    const QString root = w.tree();
    f.Text1->setText(root + QStringLiteral("/项目"));
    f.Text2->setText(QStringLiteral("report.txt"));
    f.Combo1->setCurrentIndex(1);
    f.Check1->setChecked(true);
    f.Text3->setText(root + QStringLiteral("/母文件/report.txt"));
    f.Command1->click();
    ResultModel &m = *f.model();
    for (int r = 0; r < m.rowCount(); ++r)
        m.setChecked(r, m.row(r).fileName.compare(QStringLiteral("report.txt"), Qt::CaseInsensitive) == 0);
    QTest::qWait(200);
    return &f;
}

// After "替换勾选的同名文件": every row with its outcome.
QWidget *replaced(Windows &w)
{
    Form1 &f = w.mainWindow();
    MessageBox::setNextAnswer(MessageBox::Answer::Yes);
    f.Command3->click();
    QTest::qWait(200);
    return &f;
}

// The orange busy panel over the list, as during a long run.
QWidget *busy(Windows &w)
{
    Form1 &f = w.mainWindow();
    f.showBusy(QStringLiteral("正在替换文件..."));
    f.showBar(0, 11, 7);
    QTest::qWait(200);
    return &f;
}

template <typename Dialog> QWidget *dialog(Windows &w)
{
    // A child of the main window: it goes when the windows go.
    auto *d = new Dialog(&w.mainWindow());
    d->show();
    QTest::qWait(200);
    return d;
}

// The cover once an update check found a newer version on a local server.
QWidget *update(Windows &)
{
    auto *server = new QTcpServer;
    server->listen(QHostAddress::LocalHost, 0);
    QObject::connect(server, &QTcpServer::newConnection, [server] {
        QTcpSocket *s = server->nextPendingConnection();
        QObject::connect(s, &QTcpSocket::readyRead, s, [s] {
            s->readAll();
            s->write("HTTP/1.1 200 OK\r\nContent-Length: 7\r\nConnection: close\r\n\r\n1.7.001");
            s->disconnectFromHost();
        });
    });
    Settings::write(Settings::OptionSection, QStringLiteral("VendorSite"), QStringLiteral("http://127.0.0.1:%1").arg(server->serverPort()));
    auto *cover = new fCover; // left for the process's end, like the server
    cover->loadCover();
    if (!QTest::qWaitFor([] { return !appState().LatestVersionText.isEmpty(); }, 5000))
        std::fprintf(stderr, "the update check found no newer version\n");
    QTest::qWait(200);
    return cover;
}

// Opens a box or picker the way the program does, saves it while it waits
// for the user, then dismisses it.
QPixmap whileOpen(const std::function<void()> &open)
{
    QPixmap shot;
    QTimer later;
    later.setSingleShot(true);
    QObject::connect(&later, &QTimer::timeout, [&shot] {
        if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            shot = d->grab();
            d->reject();
        }
    });
    later.start(2 * SettleMs); // the picker reads its folder first
    MessageBox::setHeadless(false);
    open();
    MessageBox::setHeadless(true);
    return shot;
}

// The confirmation before a replacement, answered "No".
QPixmap message(Windows &w)
{
    Form1 &f = static_cast<Form1 &>(*searched(w));
    return whileOpen([&f] { f.Command3->click(); });
}

// The master-file picker, opened in the sample tree and cancelled.
QPixmap picker(Windows &w)
{
    Form1 &f = w.mainWindow();
    QDir::setCurrent(w.tree());
    return whileOpen([&f] { f.Command2->click(); });
}

// A dark desktop theme, from here to the end of the run.
void darkTheme()
{
    QPalette p(QColor(0x35, 0x35, 0x35));
    for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text, QPalette::BrightText})
        p.setColor(role, QColor(0xee, 0xee, 0xee));
    p.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
    p.setColor(QPalette::AlternateBase, QColor(0x2a, 0x2a, 0x2a));
    p.setColor(QPalette::Highlight, QColor(0x3d, 0x6e, 0xb4));
    p.setColor(QPalette::Link, QColor(0x8a, 0xb4, 0xf8));
    QApplication::setPalette(p);
}

// The main window halfway through a search on a dark theme: the yellow stop
// button and the busy panel.
QPixmap darkSearch(Windows &w)
{
    darkTheme();
    Form1 &f = static_cast<Form1 &>(*searched(w));
    QPixmap shot;
    QTimer once;
    once.setSingleShot(true);
    QObject::connect(&once, &QTimer::timeout, [&] { shot = f.grab(); });
    once.start(0);
    f.Command1->click(); // the walk lets the timer in before its first subfolder
    return shot;
}

using Prepare = QWidget *(*)(Windows &);
std::function<QPixmap(Windows &)> saved(Prepare prepare)
{
    return [prepare](Windows &w) { return prepare(w)->grab(); };
}

struct Scene {
    const char *name;
    // Prepares the windows and returns the picture to save.
    std::function<QPixmap(Windows &)> shoot;
    // Scenes at another scale run in a process of their own: Qt reads the
    // factor once, when the application starts.
    const char *scale = nullptr;
};

// In the order they run: a later scene may build on an earlier one, and
// the dark ones stay dark to the end.
const Scene Scenes[] = {
    {"cover", saved([](Windows &w) -> QWidget * { return &w.cover(); })},
    {"main", saved([](Windows &w) -> QWidget * { return &w.mainWindow(); })},
    {"searched", saved(searched)},
    {"replaced", saved(replaced)},
    {"busy", saved(busy)},
    {"options", saved(dialog<fOption>)},
    {"restore", saved(dialog<Form2>)},
    {"about", saved(dialog<frmAbout>)},
    {"update", saved(update)},
    {"message", message},
    {"picker", picker},
    {"cover2x", saved([](Windows &w) -> QWidget * { return &w.cover(); }), "2"},
    {"about2x", saved(dialog<frmAbout>), "2"},
    {"dark", darkSearch},
    {"dark-about", saved([](Windows &w) {
         darkTheme();
         return dialog<frmAbout>(w);
     })},
    {"dark-update", saved([](Windows &w) {
         darkTheme();
         return update(w);
     })},
};

// Runs one scene in a child process at the scene's scale.
bool shootScaled(const Scene &scene, const QString &outDir)
{
    const QByteArray before = qgetenv("QT_SCALE_FACTOR");
    qputenv("QT_SCALE_FACTOR", scene.scale);
    std::fflush(stdout);
    const int rc = QProcess::execute(QCoreApplication::applicationFilePath(), {outDir, QLatin1String(scene.name)});
    if (before.isNull())
        qunsetenv("QT_SCALE_FACTOR");
    else
        qputenv("QT_SCALE_FACTOR", before);
    return rc == 0;
}

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
        && QFile::setPermissions(home.filePath(QStringLiteral("runtime")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
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
    // Boxes are answered by script and recorded, never left open; the
    // browser is not started.
    MessageBox::setHeadless(true);

    // Absolute: the picker scene changes the working folder.
    const QString outDir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QStringList wanted;
    for (int i = 2; i < argc; ++i)
        wanted << QString::fromLocal8Bit(argv[i]);
    for (const QString &name : wanted) {
        if (std::none_of(std::begin(Scenes), std::end(Scenes), [&](const Scene &s) { return name == QLatin1String(s.name); })) {
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
        if (scene.scale && qgetenv("QT_SCALE_FACTOR") != scene.scale) {
            if (!shootScaled(scene, outDir)) {
                std::fprintf(stderr, "scene %s failed\n", scene.name);
                ++failed;
            }
            continue;
        }
        const QPixmap shot = scene.shoot(windows);
        const QString path = QDir(outDir).absoluteFilePath(QLatin1String(scene.name) + QStringLiteral(".png"));
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
