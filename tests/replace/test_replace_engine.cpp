#include "replace/engine/backup.h"
#include "replace/engine/file_ops.h"
#include "shell/engine/file_texts.h"
#include "support/mock_clock.h"
#include "support/temp_tree.h"
#include "support/walk_host.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <gtest/gtest.h>
#include <memory>
#include <span>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using FileOps::Call;

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}
QStringList backupsIn(const QString &folder)
{
    return entries(folder).filter(QRegularExpression(QStringLiteral("替换备份\\]$")));
}

// Each file of a folder as "name: content", backup stamps masked.
QStringList filesIn(const QString &folder)
{
    QStringList out;
    for (const QString &n : entries(folder))
        out << QString(n).replace(QRegularExpression(QStringLiteral("\\[\\d{14}")), QStringLiteral("[*")) + QStringLiteral(": ")
                   + QString::fromUtf8(TempTree::read(folder + QLatin1Char('/') + n));
    return out;
}

mode_t modeOf(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

QStringList stagedIn(const QString &folder)
{
    return entries(folder).filter(QRegularExpression(QStringLiteral("^\\.~sn[0-9a-f]{8}\\.tmp$")));
}

// The search every run makes before it replaces: it notes where leftovers lie.
void search(const QString &folder)
{
    FakeHost host;
    host.subfolders = true;
    SearchState state;
    FolderWalk(state, host).搜索文件夹(folder);
}

// System calls failing for one scope.
struct FaultScope {
    explicit FaultScope(const QList<FileOps::Fault> &faults) { FileOps::setFaults(faults); }
    ~FaultScope() { FileOps::setFaults({}); }
};

// What the kernel says on FAT where a file system has no hard links, no
// atomic exchange, no nameless files.
const FileOps::Fault NoLinks{Call::Link, EPERM}, NoExchange{Call::RenameExchange, EINVAL}, NoTmpFile{Call::OpenTmpFile, EOPNOTSUPP};

// With hard links; without them (FAT, SMB, protected_hardlinks), with or
// without an atomic exchange; with no nameless files either; with no rename
// that refuses to replace, with hard links to make up for it or without.
// Each with the fault that fails its last step, the one that puts the new
// copy in place.
const struct Path {
    const char *name;
    QList<FileOps::Fault> faults;
    FileOps::Fault lastStep;
} Paths[] = {
    {"hard links", {}, {Call::Rename, EIO}},
    {"no hard links", {NoLinks}, {Call::RenameExchange, EIO}},
    // Copy to backup name, back again, target aside, then the copy in.
    {"no exchange", {NoLinks, NoExchange}, {Call::RenameNoReplace, EIO, 3, 1}},
    {"no nameless files", {NoLinks, NoExchange, NoTmpFile}, {Call::RenameNoReplace, EIO, 3, 1}},
    {"link, then unlink", {{Call::Link, EPERM, 0, 1}, NoExchange, {Call::RenameNoReplace, ENOSYS}}, {Call::Link, EIO, 4, 1}},
    {"look, then rename", {NoLinks, NoExchange, {Call::RenameNoReplace, EOPNOTSUPP}}, {Call::Rename, EIO, 3, 1}},
};

struct Scene {
    explicit Scene(const QString &under = QString()) : t(under) { }
    TempTree t;
    QString master = t.file(QStringLiteral("m/report.doc"), "NEW CONTENT");
    QString target = t.file(QStringLiteral("d/report.doc"), "old content");
    QString folder = t.path(QStringLiteral("d"));
    const QStringList untouched = {QStringLiteral("report.doc: old content")};
    const QStringList replaced = {QStringLiteral("report.doc: NEW CONTENT"), QStringLiteral("report.doc[*替换备份]: old content")};
};

// On every path the old file ends under its backup name, stamped with the
// local time of the rename, and nothing is left read-only; the copy takes the
// master's time and permission bits, yet is the owner's to write even when
// the master is not (its owner may refuse the change). A failed last step
// leaves the folder as it was. Relaxed where there are no Unix modes (exFAT:
// every file shows 0777, chmod succeeds and changes nothing): the bits taken
// cannot show. Times are not: exFAT through FUSE keeps whole seconds of the
// modification time (and even seconds of the access time, never compared),
// and these times are whole seconds.
void everyPath(const std::span<const Path> paths, const QString &under = QString(), bool unixModes = true)
{
    const QDateTime when(QDate(2020, 5, 6), QTime(7, 8, 9), Qt::LocalTime);
    for (const Path &path : paths) {
        // No fault, the last step's, and one a call later, which never comes.
        for (const int fault : {0, 1, 2}) {
            const bool fails = fault == 1;
            SCOPED_TRACE(testing::Message() << path.name << ", fault " << fault);
            Scene s(under);
            ::chmod(QFile::encodeName(s.master).constData(), 0550);
            ::chmod(QFile::encodeName(s.target).constData(), 0444);
            // An access time apart, so that the two times cannot be mixed up.
            const struct timespec times[2] = {{1000000000, 0}, {when.toSecsSinceEpoch(), 0}};
            ::utimensat(AT_FDCWD, QFile::encodeName(s.master).constData(), times, 0);
            FileOps::Fault late = path.lastStep;
            ++late.after;
            const FaultScope scope(fault ? path.faults + QList{fails ? path.lastStep : late} : path.faults);
            const MockClock clock(QDateTime(QDate(2021, 2, 3), QTime(4, 5, 6), Qt::LocalTime));
            FileError why;
            EXPECT_EQ(ReplaceKnownFiles(s.target, FileOps::stateOf(s.target), s.master, FileOps::stateOf(s.master), 0, &why), !fails);
            EXPECT_EQ(why, FileError::ofErrno(fails ? EIO : 0)) << why.code;
            const QString backup = backupsIn(s.folder).value(0);
            EXPECT_EQ(filesIn(s.folder), fails ? s.untouched : s.replaced);
            if (fails)
                continue;
            EXPECT_EQ(backup, QStringLiteral("report.doc[20210203040506替换备份]"));
            EXPECT_EQ(modeOf(s.target), unixModes ? 0750u : 0777u);
            EXPECT_TRUE(modeOf(s.folder + QLatin1Char('/') + backup) & S_IWUSR);
            EXPECT_EQ(QFileInfo(s.target).lastModified(), when);
        }
    }
}

} // namespace

// Each errno a call gives where the file system lacks what the call asks
// leads to the way round it; any other is a failure, the first one told.
TEST(Replace, RefusedCallsLeadToTheWayRoundOrToTheirCause)
{
    const FileOps::Fault NoEmptyPath{Call::LinkEmptyPath, ENOENT}, NoCopyRange{Call::CopyRange, EXDEV};
    const std::pair<QList<FileOps::Fault>, int> cases[] = {
        // the faults, and the errno told (0: replaced)
        // No hard links: the copy trades places with the target.
        {{NoLinks}, 0},
        {{{Call::Link, EOPNOTSUPP}}, 0},
        {{{Call::Link, ENOSYS}}, 0},
        {{{Call::Link, EXDEV}}, 0},
        {{{Call::Link, EMLINK}}, 0},
        {{{Call::Link, EIO}}, EIO},
        // Nor an exchange (exFAT, NFS, SMB, FUSE): aside, then in; nor a rename that refuses to replace.
        {{NoLinks, NoExchange}, 0},
        {{NoLinks, {Call::RenameExchange, ENOSYS}}, 0},
        {{NoLinks, {Call::RenameExchange, EOPNOTSUPP}}, 0},
        {{NoLinks, {Call::RenameExchange, EBUSY}}, EBUSY},
        {{NoLinks, NoExchange, {Call::RenameNoReplace, EINVAL}}, 0},
        {{{Call::Link, EPERM, 0, 1}, NoExchange, {Call::RenameNoReplace, EINVAL}, {Call::Unlink, EACCES, 0, 1}}, EACCES},
        // Naming a nameless copy without the privilege: through /proc.
        {{NoEmptyPath}, 0},
        {{{Call::LinkEmptyPath, EEXIST, 0, 1}}, 0},
        {{NoEmptyPath, {Call::LinkProcFd, ENOENT}}, ENOENT},
        // Copying between file systems the kernel cannot: the plain loop.
        {{NoCopyRange}, 0},
        {{{Call::CopyRange, EOPNOTSUPP}}, 0},
        {{NoCopyRange, {Call::Write, EDQUOT}}, EDQUOT},
    };
    for (const auto &[faults, error] : cases) {
        SCOPED_TRACE(testing::Message() << "call " << int(faults.last().call) << " errno " << faults.last().error);
        Scene s;
        const FaultScope scope(faults);
        FileError why;
        EXPECT_EQ(文件替换及备份(s.target, s.master, 0, &why), error == 0);
        EXPECT_EQ(why, FileError::ofErrno(error)) << why.code;
        EXPECT_EQ(filesIn(s.folder), error ? s.untouched : s.replaced);
    }
}

TEST(Replace, EveryPathKeepsTheBackupAndUndoesAFailedMoveIn)
{
    everyPath(Paths);
}

TEST(Replace, NeverReplacesAFileWithItself)
{
    Scene s;
    const QString link = s.t.path(QStringLiteral("m/link.doc"));
    ASSERT_EQ(::symlink(QFile::encodeName(s.master).constData(), QFile::encodeName(link).constData()), 0);
    EXPECT_FALSE(文件替换及备份(link, s.master, 0));
    EXPECT_EQ(entries(s.t.path(QStringLiteral("m"))), QStringList({QStringLiteral("link.doc"), QStringLiteral("report.doc")}));
    // Another spelling of the name is another file here, and is replaced;
    // the master is made writable first.
    const QString other = s.t.file(QStringLiteral("m/REPORT.DOC"), "upper");
    ::chmod(QFile::encodeName(s.master).constData(), 0444);
    EXPECT_TRUE(文件替换及备份(other, s.master, 0));
    EXPECT_EQ(TempTree::read(other), "NEW CONTENT");
    EXPECT_EQ(modeOf(s.master), 0644u);
}

// A taken backup name, one too long, a vanished target or a folder: false,
// and nothing changed.
TEST(Replace, ATargetThatCannotBeBackedUpIsLeftAlone)
{
    for (const Path &path : Paths) {
        SCOPED_TRACE(path.name);
        Scene s;
        const FaultScope scope(path.faults);
        const MockClock clock(QDateTime(QDate(2021, 2, 3), QTime(4, 5, 6), Qt::LocalTime));
        s.t.file(QStringLiteral("d/report.doc[20210203040506替换备份]"), "taken");
        EXPECT_FALSE(文件替换及备份(s.target, s.master, 0));
        EXPECT_EQ(filesIn(s.folder).filter(QStringLiteral("content")), s.untouched);
        EXPECT_EQ(filesIn(s.folder).size(), 2);
        const QString longName = QString(230, QLatin1Char('n')) + QStringLiteral(".doc");
        const QString target = s.t.file(QStringLiteral("e/") + longName, "old content");
        EXPECT_FALSE(文件替换及备份(target, s.t.file(QStringLiteral("m/") + longName), 0));
        EXPECT_FALSE(文件替换及备份(s.t.path(QStringLiteral("e/gone.doc")), s.master, 0));
        EXPECT_FALSE(文件替换及备份(s.t.folder(QStringLiteral("e/dir.doc")), s.master, 0));
        EXPECT_EQ(entries(s.t.path(QStringLiteral("e"))), QStringList({longName}));
        EXPECT_EQ(TempTree::read(target), "old content");
    }
}

TEST(Replace, AWriteFailureDuringTheCopyKeepsTheOldContent)
{
    Scene s;
    const QString big = s.t.file(QStringLiteral("m/big.doc"), QByteArray(256 * 1024, 'B'));
    const pid_t pid = ::fork();
    if (pid == 0) {
        // The child may write 64 KiB per file at most; the copy must fail.
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit lim = {64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &lim);
        ::_exit(文件替换及备份(s.t.file(QStringLiteral("d/big.doc"), "small old"), big, 0) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the replacement must report failure";
    EXPECT_EQ(filesIn(s.folder), QStringList({QStringLiteral("big.doc: small old"), s.untouched[0]}));
}

// Refusals root never meets, real in the unprivileged entry: a folder that
// may not be written keeps everything as it was, and says why; a master that
// another user owns and keeps read-only cannot be made writable, which its
// copy does not need.
TEST(Replace, UsersMeetRealPermissionRefusals)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root is refused nothing: the replace_unprivileged entry runs this";
    Scene s;
    ASSERT_EQ(::chmod(QFile::encodeName(s.folder).constData(), 0555), 0);
    int error = 0;
    EXPECT_TRUE(FileOps::copyToNewFile(s.master, s.folder, &error).isEmpty());
    EXPECT_EQ(error, EACCES);
    EXPECT_FALSE(文件替换及备份(s.target, s.master, 0));
    EXPECT_EQ(文件恢复备份(s.target), QString());
    EXPECT_EQ(filesIn(s.folder), s.untouched);
    ::chmod(QFile::encodeName(s.folder).constData(), 0755);
    const QString foreign = QFile::decodeName(qgetenv("SAMENAME_FOREIGN_MASTER"));
    if (foreign.isEmpty())
        GTEST_SKIP() << "no master of another user: only a run started as root makes one";
    EXPECT_TRUE(文件替换及备份(s.target, foreign, 0));
    EXPECT_EQ(TempTree::read(s.target), "FOREIGN");
    EXPECT_EQ(modeOf(foreign), 0444u);
}

TEST(Replace, NoBackupModeNeverDestroysAFileTheTrashRefused)
{
    Scene s;
    const QString trash = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/Trash");
    QDir().mkpath(trash);
    ASSERT_TRUE(QDir().rename(trash, trash + QStringLiteral(".aside")));
    {
        QFile blocker(trash);
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    FileError why;
    const bool ok = 文件替换及备份(s.target, s.master, 1, &why);
    QFile::remove(trash);
    QDir().rename(trash + QStringLiteral(".aside"), trash);
    EXPECT_FALSE(ok);
    EXPECT_EQ(why.from, FileError::From::Gio) << "the trash's own refusal: " << why.code;
    EXPECT_EQ(filesIn(s.folder), s.untouched);
    ASSERT_TRUE(文件替换及备份(s.target, s.master, 1));
    EXPECT_EQ(filesIn(s.folder), QStringList({QStringLiteral("report.doc: NEW CONTENT")}));
    EXPECT_EQ(TempTree::read(trash + QStringLiteral("/files/report.doc")), "old content");
}

// A target that is a symbolic link: the link itself becomes the backup; the
// file it points to is no row's own and keeps its mode and content.
TEST(Replace, ALinkTargetIsBackedUpAsTheLinkAndItsFileIsUntouched)
{
    for (const Path &path : Paths) {
        SCOPED_TRACE(path.name);
        Scene s;
        const FaultScope faults(path.faults);
        const QString far = s.t.file(QStringLiteral("far/report.doc"), "far content");
        ::chmod(QFile::encodeName(far).constData(), 0444);
        QFile::remove(s.target);
        ASSERT_EQ(::symlink(QFile::encodeName(far).constData(), QFile::encodeName(s.target).constData()), 0);
        ASSERT_TRUE(文件替换及备份(s.target, s.master, 0));
        EXPECT_EQ(modeOf(far), 0444u);
        EXPECT_EQ(TempTree::read(far), "far content");
        EXPECT_FALSE(QFileInfo(s.target).isSymLink());
        EXPECT_EQ(TempTree::read(s.target), "NEW CONTENT");
        const QStringList backups = backupsIn(s.folder);
        ASSERT_EQ(backups.size(), 1);
        EXPECT_EQ(QFileInfo(s.folder + QLatin1Char('/') + backups[0]).symLinkTarget(), far);
    }
}

// Clean-up before staging, where the search saw leftovers, takes only the program's
// own dead copies: not one a live run holds, not a look-alike name, not a folder or a link.
// A folder the search did not read is not read again either.
TEST(Replace, RemovesOnlyStaleStagedCopies)
{
    Scene s;
    const QString unsearched = s.t.file(QStringLiteral("e/report.doc"), "old content");
    const QString unseen = s.t.file(QStringLiteral("e/.~sn0123abcd.tmp"), "stale");
    s.t.file(QStringLiteral("d/.~sn0123abcd.tmp"), "stale");
    const QString held = s.t.file(QStringLiteral("d/.~sn89abcdef.tmp"), "held");
    const int fd = ::open(QFile::encodeName(held).constData(), O_RDONLY);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    for (const char *lookAlike : {".~sn0123ABCD.tmp", ".~sn0123abcd.tmp.doc", "~sn0123abcd.tmp"})
        s.t.file(QStringLiteral("d/") + QLatin1String(lookAlike));
    s.t.folder(QStringLiteral("d/.~sn00000000.tmp"));
    ::symlink(QFile::encodeName(s.master).constData(), QFile::encodeName(s.t.path(QStringLiteral("d/.~sn11111111.tmp"))).constData());
    search(s.folder);
    ASSERT_TRUE(文件替换及备份(s.target, s.master, 0));
    ASSERT_TRUE(文件替换及备份(unsearched, s.master, 0));
    EXPECT_TRUE(QFile::exists(unseen));
    ::close(fd);
    QStringList now = QDir(s.folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    now.removeIf([](const QString &n) { return n.endsWith(ReplaceTag); });
    now.sort();
    EXPECT_EQ(now, QStringList({".~sn00000000.tmp", ".~sn0123ABCD.tmp", ".~sn0123abcd.tmp.doc", ".~sn11111111.tmp", ".~sn89abcdef.tmp",
                                "report.doc", "~sn0123abcd.tmp"}));
    EXPECT_EQ(TempTree::read(s.master), "NEW CONTENT");
}

namespace {

QByteArray oldContent(int i)
{
    return QByteArray("old ") + QByteArray::number(i) + QByteArray(200, char('a' + i % 26));
}

// A child replaces a batch and is killed at random moments. After every
// kill each target holds its whole old or its whole new content, each old
// content is still there as one file, at its path or under a backup name,
// at most the copy in flight is left staged, and the next run removes it.
// Where the file system has neither hard links nor an atomic exchange, the
// old file must leave the target name before the new one takes it: a kill
// between the two renames leaves the name empty, the old content whole under
// its backup name (gap).
void killDuringBatches(int trials, const QString &under = QString(), bool gap = false)
{
    const int files = 24;
    const QByteArray fresh = QByteArray("NEW ") + QByteArray(300, 'N');
    std::srand(12345);
    int killedMidway = 0, leftStaged = 0, inTheGap = 0;
    qint64 batchMicros = 20000;
    for (int trial = 0; trial < trials; ++trial) {
        const std::unique_ptr<TempTree> t(under.isEmpty() ? new TempTree : new TempTree(under));
        const QString master = t->file(QStringLiteral("master/report.doc"), fresh);
        QStringList targets;
        for (int i = 0; i < files; ++i)
            targets << t->file(
                QStringLiteral("d%1/report.doc").arg(i % 4, 0, 10).replace(QLatin1String("report"), QStringLiteral("r%1").arg(i)),
                oldContent(i));
        QElapsedTimer clock;
        clock.start();
        // The child reports each finished file, so that a kill can be aimed
        // at a chosen file however busy the machine is.
        int progress[2];
        ASSERT_EQ(::pipe(progress), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(progress[0]);
            for (const QString &target : targets) {
                文件替换及备份(target, master, 0);
                (void)!::write(progress[1], "x", 1);
            }
            ::_exit(0);
        }
        ::close(progress[1]);
        // The first batch runs to its end and gives the time one file takes.
        if (trial > 0) {
            char c;
            for (int done = std::rand() % files; done > 0 && ::read(progress[0], &c, 1) == 1;)
                --done;
            ::usleep(static_cast<useconds_t>(std::rand() % qMax<qint64>(1, batchMicros / files)));
            ::kill(pid, SIGKILL);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        ::close(progress[0]);
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
            const bool empty = gap && !QFileInfo::exists(target);
            ASSERT_TRUE(now == oldContent(i) || now == fresh || empty) << "trial " << trial << " file " << i;
            inTheGap += empty;
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
        int staged = 0;
        for (int d = 0; d < 4; ++d)
            staged += stagedIn(t->path(QStringLiteral("d%1").arg(d))).size();
        EXPECT_LE(staged, 1) << "trial " << trial << ": only the copy in flight may stay";
        leftStaged += staged;
        search(t->root());
        for (const QString &target : targets)
            文件替换及备份(target, master, 0);
        for (int d = 0; d < 4; ++d)
            EXPECT_EQ(stagedIn(t->path(QStringLiteral("d%1").arg(d))), QStringList()) << "trial " << trial;
    }
    // The kills must really have landed inside the batch.
    EXPECT_GE(killedMidway, trials / 5);
    std::printf("%d of %d kills landed midway; %d left a staged copy, each removed by the next run; %d an empty name\n", killedMidway,
                trials - 1, leftStaged, inTheGap);
}

} // namespace

TEST(Replace, SurvivesAKillAtAnyMoment)
{
    killDuringBatches(150);
}

// The paths of file systems without hard links or nameless files, on any
// file system.
TEST(Replace, SurvivesAKillWithoutHardLinks)
{
    const FaultScope faults({NoLinks, NoTmpFile});
    killDuringBatches(60);
}

// exFAT through FUSE, as USB sticks are mounted, from the exfat CTest
// entry's fixture. It refuses link() with EPERM, renameat2() with
// RENAME_NOREPLACE or RENAME_EXCHANGE with EINVAL (EEXIST where the new name
// is taken) and O_TMPFILE with EOPNOTSUPP: each must be read as "this file
// system cannot", and the long way round taken.
TEST(ReplaceOnExFat, EveryPathKeepsTheBackupAndAKillLeavesOldOrNew)
{
    const QString root = FixtureMount("SAMENAME_EXFAT");
    if (root.isEmpty())
        return;
    // Nothing injected but the last step's fault: the kernel refuses the rest
    // for real. Aside and in are plain renames after a look, the fourth the last.
    const Path exFat[] = {{"exFAT", {}, {Call::Rename, EIO, 3, 1}}};
    everyPath(exFat, root, false);
    killDuringBatches(40, root, true);
}
