// Replacing 10,000 listed same-name files through the window's own command,
// against a plain loop making the system calls the job needs; then restoring them all.
#include "support.h"
#include "window_main.h"

#include "app/engine/app_state.h"
#include "app/form1.h"
#include "list/result_model.h"
#include "replace/form2.h"
#include "shell/dialogs.h"
#include "shell/engine/file_texts.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <stdexcept>
#include <unistd.h>

namespace {

constexpr int Runs = 5;
constexpr int FileSize = 4096;

// 100 folders of 100 subfolders, one report.dat in each: 10,000 same-name files.
struct Scene {
    QTemporaryDir dir;
    QString master;
    QStringList targets;

    explicit Scene(const QString &parent) : dir(parent + QStringLiteral("/replace-XXXXXX"))
    {
        if (!dir.isValid())
            throw std::runtime_error("cannot make a temp folder");
        master = dir.filePath(QStringLiteral("master/report.dat"));
        write(master, 'M');
        for (int a = 0; a < 100; ++a)
            for (int b = 0; b < 100; ++b) {
                const QString t = dir.filePath(QStringLiteral("tree/d%1/s%2/report.dat").arg(a).arg(b));
                write(t, static_cast<char>('a' + (a + b) % 26));
                targets << t;
            }
    }
    QString tree() const { return dir.filePath(QStringLiteral("tree")); }

    static void write(const QString &path, char fill)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(QByteArray(FileSize, fill)) != FileSize)
            throw std::runtime_error("cannot write " + path.toStdString());
    }
};

// The floor: the system calls a replacement that keeps a backup and never
// leaves the target's name empty cannot do without. The copy is nameless
// and locked until complete and takes the master's mode and times; the old
// file is linked to its backup name; the copy is renamed over it.
void plainLoop(const Scene &s)
{
    const QByteArray master = QFile::encodeName(s.master);
    int n = 0;
    for (const QString &t : s.targets) {
        const QByteArray target = QFile::encodeName(t);
        const QByteArray folder = QFile::encodeName(QFileInfo(t).absolutePath());
        const QByteArray temp = folder + "/.~tmp" + QByteArray::number(++n);
        const QByteArray backup = target + "[20240101120000" + ReplaceTag.toUtf8();
        struct stat st;
        const int in = ::open(master.constData(), O_RDONLY | O_CLOEXEC);
        const int out = ::open(folder.constData(), O_WRONLY | O_TMPFILE | O_CLOEXEC, 0600);
        if (in < 0 || out < 0 || ::fstat(in, &st) != 0 || ::flock(out, LOCK_EX) != 0
            || ::copy_file_range(in, nullptr, out, nullptr, FileSize, 0) != FileSize)
            throw std::runtime_error("floor copy failed");
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        if (::fchmod(out, st.st_mode & 07777) != 0 || ::futimens(out, times) != 0
            || ::linkat(out, "", AT_FDCWD, temp.constData(), AT_EMPTY_PATH) != 0)
            throw std::runtime_error("floor naming failed");
        ::close(in);
        if (::link(target.constData(), backup.constData()) != 0 || ::rename(temp.constData(), target.constData()) != 0)
            throw std::runtime_error("floor rename failed");
        ::close(out);
    }
}

// Lists every report.dat (and its backups) in a fresh main window.
std::unique_ptr<Form1> listed(const Scene &s, bool backups)
{
    auto form = std::make_unique<Form1>();
    form->loadForm();
    form->show();
    form->Text1->setText(s.tree());
    form->Text2->setText(QStringLiteral("report.dat"));
    form->Combo1->setCurrentIndex(backups ? 1 : 0);
    form->Check1->setChecked(true);
    form->Command1->click();
    form->Check2->setChecked(false);
    form->Text3->setText(s.master);
    ResultModel &m = *form->model();
    for (int r = 0; r < m.rowCount(); ++r)
        m.setChecked(r, !backups || m.row(r).fileName.endsWith(ReplaceTag));
    return form;
}

int run()
{
    const QString parent = bench::benchFolder();
    QDir().mkpath(parent);

    // Every scene is made before any timing and removed after all of it:
    // ext4 makes new files slow for a while after many were deleted, which
    // would charge one side for the other's clean-up. The sides take turns
    // going first for the same reason.
    std::vector<std::unique_ptr<Scene>> scenes;
    for (int i = 0; i < 2 * Runs; ++i)
        scenes.push_back(std::make_unique<Scene>(parent));
    std::vector<double> ours, floors, restores;
    const auto replaceAndRestore = [&](const Scene &s) {
        auto form = listed(s, false);
        if (form->model()->rowCount() != 10000)
            throw std::runtime_error("the search listed " + std::to_string(form->model()->rowCount()) + " files");
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        ::sync(); // both sides start with nothing left to write back
        ours.push_back(bench::medianMs(1, [&] { form->Command3->click(); }));
        if (form->model()->row(0).status() != QStringLiteral("已经替换"))
            throw std::runtime_error("replacement failed: " + form->model()->row(0).status().toStdString());
        form.reset();

        // Every backup row, the replaced copy set aside first.
        auto back = listed(s, true);
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        ModalDialog::setNextScript([](QDialog &d) {
            static_cast<Form2 &>(d).Option2->setChecked(true);
            static_cast<Form2 &>(d).Command1->click();
        });
        ::sync();
        restores.push_back(bench::medianMs(1, [&] { back->action(QStringLiteral("menu恢复最近一次被替换的文件"))->trigger(); }));
        int restored = 0;
        for (int r = 0; r < back->model()->rowCount(); ++r)
            restored += back->model()->row(r).status() == QStringLiteral("已经恢复");
        if (restored != 10000)
            throw std::runtime_error("restored " + std::to_string(restored) + " files");
    };
    const auto timeFloor = [&](const Scene &s) {
        ::sync();
        floors.push_back(bench::medianMs(1, [&] { plainLoop(s); }));
    };
    for (int i = 0; i < Runs; ++i) {
        if (i % 2 == 0) {
            replaceAndRestore(*scenes[2 * i]);
            timeFloor(*scenes[2 * i + 1]);
        } else {
            timeFloor(*scenes[2 * i + 1]);
            replaceAndRestore(*scenes[2 * i]);
        }
    }
    std::sort(ours.begin(), ours.end());
    std::sort(floors.begin(), floors.end());
    std::sort(restores.begin(), restores.end());
    const double replaceMs = ours[Runs / 2];
    const double restoreMs = restores[Runs / 2];
    bench::printMs("replace", replaceMs);
    bench::printMs("replace-floor", floors[Runs / 2]);
    bench::printMs("restore", restoreMs);
    bench::printRatio("replace/floor", replaceMs / floors[Runs / 2], 1.5);
    bench::printRatio("restore/replace", restoreMs / replaceMs, 1.5);
    bench::printPeakMiB("replace");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    return bench::runWithWindows(argc, argv, run);
}
