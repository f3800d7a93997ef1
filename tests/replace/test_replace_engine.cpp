#include "app/engine/app_state.h"
#include "replace/engine/backup.h"
#include "replace/engine/file_ops.h"
#include "shell/engine/file_texts.h"
#include "support/temp_tree.h"

#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSet>
#include <gtest/gtest.h>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QStringList entries(const QString &folder)
{
    QStringList l = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    l.sort();
    return l;
}

QStringList backupsIn(const QString &folder)
{
    QStringList out;
    for (const QString &n : entries(folder))
        if (n.endsWith(ReplaceTag))
            out << n;
    return out;
}

mode_t modeOf(const QString &path)
{
    struct stat st;
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

struct Scene {
    TempTree t;
    QString master = t.file(QStringLiteral("m/report.doc"), "NEW CONTENT");
    QString target = t.file(QStringLiteral("d/report.doc"), "old content");
    QString folder = t.path(QStringLiteral("d"));
};

} // namespace

TEST(Replace, KeepsTheOldFileUnderItsBackupName)
{
    Scene s;
    ::chmod(QFile::encodeName(s.master).constData(), 0750);
    const QDateTime when(QDate(2020, 5, 6), QTime(7, 8, 9), Qt::LocalTime);
    TempTree::touch(s.master, when);
    const QString before = BackupStamp();
    ASSERT_TRUE(文件替换及备份(s.target, s.master, 0));
    const QString after = BackupStamp();
    EXPECT_EQ(TempTree::read(s.target), "NEW CONTENT");
    const QStringList backups = backupsIn(s.folder);
    ASSERT_EQ(backups.size(), 1);
    EXPECT_EQ(TempTree::read(s.folder + QLatin1Char('/') + backups[0]), "old content");
    const QString stamp = backups[0].mid(QStringLiteral("report.doc[").size(), 14);
    EXPECT_TRUE(stamp >= before && stamp <= after) << stamp.toStdString();
    EXPECT_EQ(entries(s.folder).size(), 2) << "no staging file is left behind";
    // The copy takes the master's permission bits and time.
    EXPECT_EQ(modeOf(s.target), 0750u);
    EXPECT_EQ(QFileInfo(s.target).lastModified(), when);
    EXPECT_EQ(TempTree::read(s.master), "NEW CONTENT");
}

TEST(Replace, AReadOnlyTargetLeavesNothingReadOnly)
{
    Scene s;
    ::chmod(QFile::encodeName(s.target).constData(), 0444);
    ::chmod(QFile::encodeName(s.master).constData(), 0444);
    ASSERT_TRUE(文件替换及备份(s.target, s.master, 0));
    EXPECT_TRUE(modeOf(s.target) & S_IWUSR);
    EXPECT_TRUE(modeOf(s.folder + QLatin1Char('/') + backupsIn(s.folder).value(0)) & S_IWUSR);
}

TEST(Replace, NeverReplacesAFileWithItself)
{
    Scene s;
    EXPECT_FALSE(文件替换及备份(s.master, s.master, 0));
    const QString link = s.t.path(QStringLiteral("m/link.doc"));
    ASSERT_EQ(::symlink(QFile::encodeName(s.master).constData(), QFile::encodeName(link).constData()), 0);
    EXPECT_FALSE(文件替换及备份(link, s.master, 0));
    const QString hard = s.t.path(QStringLiteral("m/hard.doc"));
    ASSERT_EQ(::link(QFile::encodeName(s.master).constData(), QFile::encodeName(hard).constData()), 0);
    EXPECT_FALSE(文件替换及备份(hard, s.master, 0));
    EXPECT_EQ(TempTree::read(s.master), "NEW CONTENT");
    EXPECT_TRUE(backupsIn(s.t.path(QStringLiteral("m"))).isEmpty());
    // Another spelling of the name is another file here, and is replaced.
    const QString other = s.t.file(QStringLiteral("m/REPORT.DOC"), "upper");
    EXPECT_TRUE(文件替换及备份(other, s.master, 0));
    EXPECT_EQ(TempTree::read(other), "NEW CONTENT");
}

TEST(Replace, ASecondReplacementInTheSameSecondFailsAndKeepsTheFirstBackup)
{
    Scene s;
    ASSERT_TRUE(文件替换及备份(s.target, s.master, 0));
    const QString first = s.folder + QLatin1Char('/') + backupsIn(s.folder).value(0);
    // The second call meets a taken backup name, even if the clock ticks
    // over meanwhile.
    const QDateTime now = QDateTime::currentDateTime();
    for (int d = 0; d <= 2; ++d) {
        const QString name = s.target + QLatin1Char('[') + BackupStamp(now.addSecs(d)) + ReplaceTag;
        if (!QFile::exists(name))
            s.t.file(QStringLiteral("d/") + QFileInfo(name).fileName(), "decoy");
    }
    const QString second = s.t.file(QStringLiteral("m2/report.doc"), "SECOND");
    EXPECT_FALSE(文件替换及备份(s.target, second, 0));
    EXPECT_EQ(TempTree::read(s.target), "NEW CONTENT");
    EXPECT_EQ(TempTree::read(first), "old content");
    for (const QString &n : entries(s.folder))
        EXPECT_FALSE(n.startsWith(QLatin1String(".~sn"))) << n.toStdString();
}

TEST(Replace, TooLongABackupNameLeavesTheTargetAlone)
{
    Scene s;
    const QString longName = QString(230, QLatin1Char('n')) + QStringLiteral(".doc");
    const QString target = s.t.file(QStringLiteral("d/") + longName, "old long");
    const QString master = s.t.file(QStringLiteral("m/") + longName, "new long");
    EXPECT_FALSE(文件替换及备份(target, master, 0));
    EXPECT_EQ(TempTree::read(target), "old long");
    EXPECT_EQ(entries(s.folder), QStringList({longName, QStringLiteral("report.doc")}));
}

TEST(Replace, VanishedTargetsAndFoldersFailWithoutSideEffects)
{
    Scene s;
    QFile::remove(s.target);
    EXPECT_FALSE(文件替换及备份(s.target, s.master, 0));
    EXPECT_TRUE(entries(s.folder).isEmpty());
    QDir().mkpath(s.target);
    EXPECT_FALSE(文件替换及备份(s.target, s.master, 0));
    EXPECT_TRUE(QFileInfo(s.target).isDir());
    EXPECT_TRUE(entries(s.folder).isEmpty());
}

TEST(Replace, AWriteFailureDuringTheCopyKeepsTheOldContent)
{
    Scene s;
    const QString big = s.t.file(QStringLiteral("m/big.doc"), QByteArray(256 * 1024, 'B'));
    const QString target = s.t.file(QStringLiteral("d/big.doc"), "small old");
    const pid_t pid = ::fork();
    if (pid == 0) {
        // The child may write 64 KiB per file at most; the copy must fail.
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit lim = {64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &lim);
        ::_exit(文件替换及备份(target, big, 0) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the replacement must report failure";
    EXPECT_EQ(TempTree::read(target), "small old");
    EXPECT_EQ(entries(s.folder), QStringList({QStringLiteral("big.doc"), QStringLiteral("report.doc")}));
}

TEST(Replace, NoBackupModeSendsTheOldFileToTheTrash)
{
    Scene s;
    ASSERT_TRUE(文件替换及备份(s.target, s.master, 1));
    EXPECT_EQ(TempTree::read(s.target), "NEW CONTENT");
    EXPECT_TRUE(backupsIn(s.folder).isEmpty());
    const QString trashed = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/Trash/files/report.doc");
    EXPECT_EQ(TempTree::read(trashed), "old content");
    QFile::remove(trashed);
}

TEST(Replace, NoBackupModeNeverDestroysAFileTheTrashRefused)
{
    Scene s;
    const QString trash = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/Trash");
    QDir().mkpath(trash);
    ASSERT_TRUE(QDir().rename(trash, trash + QStringLiteral(".aside")));
    { QFile blocker(trash); ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); }
    const bool ok = 文件替换及备份(s.target, s.master, 1);
    QFile::remove(trash);
    QDir().rename(trash + QStringLiteral(".aside"), trash);
    EXPECT_FALSE(ok);
    EXPECT_EQ(TempTree::read(s.target), "old content");
    EXPECT_EQ(entries(s.folder), QStringList({QStringLiteral("report.doc")}));
}

TEST(SetAside, RenamesWithARestoreConflictStamp)
{
    TempTree t;
    const QString f = t.file(QStringLiteral("report.doc"), "in the way");
    ::chmod(QFile::encodeName(f).constData(), 0444);
    const QString name = 文件恢复备份(f);
    ASSERT_TRUE(name.startsWith(QStringLiteral("report.doc[")));
    EXPECT_TRUE(name.endsWith(RestoreTag));
    EXPECT_EQ(name.size(), QStringLiteral("report.doc").size() + 20);
    EXPECT_EQ(TempTree::read(t.path(name)), "in the way");
    EXPECT_FALSE(QFile::exists(f));
    EXPECT_TRUE(modeOf(t.path(name)) & S_IWUSR);
    EXPECT_EQ(文件恢复备份(t.path(QStringLiteral("missing.doc"))), QString());
}

TEST(RenameNoReplace, RefusesAnExistingName)
{
    TempTree t;
    const QString a = t.file(QStringLiteral("a"), "A");
    const QString b = t.file(QStringLiteral("b"), "B");
    int error = 0;
    EXPECT_FALSE(FileOps::renameNoReplace(a, b, &error));
    EXPECT_EQ(error, EEXIST);
    EXPECT_EQ(TempTree::read(b), "B");
    EXPECT_TRUE(FileOps::renameNoReplace(a, t.path(QStringLiteral("c"))));
    EXPECT_EQ(TempTree::read(t.path(QStringLiteral("c"))), "A");
}

namespace {

QByteArray oldContent(int i) { return QByteArray("old ") + QByteArray::number(i) + QByteArray(200, char('a' + i % 26)); }

} // namespace

// A child replaces a batch and is killed at random moments. After every
// kill each target holds its whole old or its whole new content, and each
// old content is still there as one file, at its path or under a backup name.
TEST(Replace, SurvivesAKillAtAnyMoment)
{
    const int files = 24;
    const QByteArray fresh = QByteArray("NEW ") + QByteArray(300, 'N');
    std::srand(12345);
    int killedMidway = 0;
    qint64 batchMicros = 20000;
    for (int trial = 0; trial < 150; ++trial) {
        TempTree t;
        const QString master = t.file(QStringLiteral("master/report.doc"), fresh);
        QStringList targets;
        for (int i = 0; i < files; ++i)
            targets << t.file(QStringLiteral("d%1/report.doc").arg(i % 4, 0, 10).replace(QLatin1String("report"), QStringLiteral("r%1").arg(i)), oldContent(i));
        QElapsedTimer clock;
        clock.start();
        const pid_t pid = ::fork();
        if (pid == 0) {
            for (const QString &target : targets)
                文件替换及备份(target, master, 0);
            ::_exit(0);
        }
        // The first batch runs to its end and gives the span to kill in.
        if (trial > 0) {
            ::usleep(static_cast<useconds_t>(std::rand() % qMax<qint64>(1, batchMicros)));
            ::kill(pid, SIGKILL);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (trial == 0) {
            batchMicros = qMax<qint64>(clock.nsecsElapsed() / 1000, 1000);
            for (const QString &target : targets)
                ASSERT_EQ(TempTree::read(target), fresh);
            continue;
        }
        int replaced = 0;
        for (int i = 0; i < files; ++i) {
            const QString &target = targets[i];
            const QByteArray now = TempTree::read(target);
            ASSERT_TRUE(now == oldContent(i) || now == fresh) << "trial " << trial << " file " << i;
            replaced += now == fresh;
            // Every file of the folder that holds the old content is one inode,
            // under the target's own name or its backup name.
            const QString folder = QFileInfo(target).absolutePath();
            QSet<QPair<qint64, qint64>> inodes;
            for (const QString &n : entries(folder)) {
                const QString p = folder + QLatin1Char('/') + n;
                if (TempTree::read(p) != oldContent(i))
                    continue;
                EXPECT_TRUE(p == target || (n.startsWith(QFileInfo(target).fileName() + QLatin1Char('[')) && n.endsWith(ReplaceTag)))
                    << n.toStdString();
                struct stat st;
                ::stat(QFile::encodeName(p).constData(), &st);
                inodes.insert({static_cast<qint64>(st.st_dev), static_cast<qint64>(st.st_ino)});
            }
            EXPECT_EQ(inodes.size(), 1) << "trial " << trial << " file " << i;
        }
        killedMidway += replaced > 0 && replaced < files;
    }
    // The kills must really have landed inside the batch.
    EXPECT_GE(killedMidway, 30);
}
