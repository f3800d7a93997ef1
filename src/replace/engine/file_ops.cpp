#include "replace/engine/file_ops.h"

#include "shell/engine/file_system.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <vector>

#ifndef Q_OS_WIN
#include <atomic>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace FileOps {

namespace {
void setError(int *error, int value)
{
    if (error)
        *error = value;
}

struct ActiveFault {
    Fault fault;
    int seen = 0;
};
std::vector<ActiveFault> g_faults;

#ifndef Q_OS_WIN
// Whether linkat(AT_EMPTY_PATH) may work here: it needs a privilege that
// naming through /proc does not, and once refused is not asked again.
std::atomic<bool> g_emptyPath = true;
#endif

static_assert(sizeof StagedNamePrefix == 5, "the name's layout below counts on it");

// ".~sn" + 8 lowercase hex digits + ".tmp", nothing else.
bool stagedName(const char *name)
{
    if (std::strncmp(name, StagedNamePrefix, 4) != 0 || std::strlen(name) != 16 || std::strcmp(name + 12, ".tmp") != 0)
        return false;
    for (int i = 4; i < 12; ++i)
        if (!std::isdigit(static_cast<unsigned char>(name[i])) && (name[i] < 'a' || name[i] > 'f'))
            return false;
    return true;
}

QString newStagedName(const QString &folder)
{
    const QString hex = QStringLiteral("%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    return QDir(folder).filePath(QLatin1String(StagedNamePrefix) + hex + QStringLiteral(".tmp"));
}
} // namespace

void setFaults(const QList<Fault> &faults)
{
    g_faults.clear();
    for (const Fault &f : faults)
        g_faults.push_back({f});
#ifndef Q_OS_WIN
    g_emptyPath = true; // what a fault taught is no fact of this system
#endif
}

bool isStagedName(const QString &fileName)
{
    return stagedName(fileName.toLatin1().constData());
}

StagedCopy &StagedCopy::operator=(StagedCopy &&other) noexcept
{
    if (this != &other) {
        this->~StagedCopy();
        m_path = other.m_path;
        m_lock = other.m_lock;
        other.m_lock = -1;
    }
    return *this;
}

StagedCopy::~StagedCopy()
{
#ifndef Q_OS_WIN
    if (m_lock >= 0)
        ::close(m_lock);
#endif
    m_lock = -1;
}

#ifdef Q_OS_WIN

bool renameNoReplace(const QString &from, const QString &to, int *error)
{
    // MoveFile without MOVEFILE_REPLACE_EXISTING: Qt's rename refuses an existing name.
    const bool ok = !QFileInfo::exists(to) && QFile::rename(from, to);
    setError(error, ok ? 0 : 17);
    return ok;
}

FileState stateOf(const QString &path)
{
    const QFileInfo fi(path);
    FileState s;
    s.exists = fi.exists();
    s.regular = fi.isFile();
    s.ownerWritable = fi.permission(QFileDevice::WriteOwner);
    s.path = fi.absoluteFilePath();
    s.error = s.exists ? 0 : ENOENT;
    return s;
}

bool FileState::sameFileAs(const FileState &other) const
{
    return exists && other.exists && path.compare(other.path, Qt::CaseInsensitive) == 0;
}

bool sameFile(const QString &a, const QString &b)
{
    return stateOf(a).sameFileAs(stateOf(b));
}

bool makeOwnerWritable(const QString &path, int *error)
{
    QFile f(path);
    const bool exists = f.exists();
    const bool ok = exists && f.setPermissions(f.permissions() | QFileDevice::WriteOwner);
    setError(error, ok ? 0 : exists ? EACCES : ENOENT);
    return ok;
}

StagedCopy copyToNewFile(const QString &source, const QString &folder, int *error)
{
    const QString temp = newStagedName(folder);
    if (!QFile::copy(source, temp)) {
        setError(error, 5);
        return StagedCopy();
    }
    makeOwnerWritable(temp);
    return StagedCopy(temp, -1);
}

bool moveIntoPlace(const QString &staged, const QString &target, bool overwrite, int *error)
{
    const bool ok = (overwrite ? QFile::remove(target) : !QFileInfo::exists(target)) && QFile::rename(staged, target);
    setError(error, ok ? 0 : 5);
    return ok;
}

bool exchange(const QString &, const QString &, bool *unsupported, int *error)
{
    *unsupported = true;
    setError(error, 0);
    return false;
}

bool linkNoReplace(const QString &, const QString &, bool *unsupported, int *error)
{
    *unsupported = true;
    setError(error, 0);
    return false;
}

bool remove(const QString &path)
{
    return QFile::remove(path);
}

#else

namespace {
QByteArray local(const QString &path)
{
    return EncodeFileName(path);
}

// Whether the test table fails this call now; errno tells how.
bool injected(Call call)
{
    if (g_faults.empty())
        return false;
    bool fail = false;
    for (ActiveFault &f : g_faults) {
        if (f.fault.call != call)
            continue;
        const int n = ++f.seen;
        if (!fail && n > f.fault.after && (f.fault.times == 0 || n <= f.fault.after + f.fault.times)) {
            errno = f.fault.error;
            fail = true;
        }
    }
    return fail;
}

int sysLink(const char *from, const char *to)
{
    return injected(Call::Link) ? -1 : ::link(from, to);
}
int sysRenameat2(const char *from, const char *to, unsigned flags)
{
    if (injected(flags & RENAME_EXCHANGE ? Call::RenameExchange : Call::RenameNoReplace))
        return -1;
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, flags);
}
int sysRename(const char *from, const char *to)
{
    return injected(Call::Rename) ? -1 : ::rename(from, to);
}
int sysUnlink(const char *path)
{
    return injected(Call::Unlink) ? -1 : ::unlink(path);
}
int sysChmod(const char *path, mode_t mode)
{
    return injected(Call::Chmod) ? -1 : ::chmod(path, mode);
}
int sysFchmod(int fd, mode_t mode)
{
    return injected(Call::Chmod) ? -1 : ::fchmod(fd, mode);
}
int sysOpen(Call call, const char *path, int flags, mode_t mode = 0)
{
    return injected(call) ? -1 : ::open(path, flags, mode);
}

// What renameat2 says where the file system cannot do what its flag asks.
bool renameFlagUnsupported(int e)
{
    return e == EINVAL || e == ENOSYS || e == EOPNOTSUPP;
}
// What link says where the file system has no hard links, or no more for this file.
bool linksUnsupported(int e)
{
    return e == EPERM || e == EOPNOTSUPP || e == ENOSYS || e == EXDEV || e == EMLINK;
}
} // namespace

bool renameNoReplace(const QString &from, const QString &to, int *error)
{
    const QByteArray f = local(from), t = local(to);
    if (sysRenameat2(f.constData(), t.constData(), RENAME_NOREPLACE) == 0) {
        setError(error, 0);
        return true;
    }
    if (!renameFlagUnsupported(errno)) {
        setError(error, errno);
        return false;
    }
    // The file system cannot rename without replacing: a second name that
    // cannot exist twice, then the old name goes.
    if (sysLink(f.constData(), t.constData()) == 0) {
        if (sysUnlink(f.constData()) != 0) {
            const int e = errno;
            sysUnlink(t.constData());
            setError(error, e);
            return false;
        }
        setError(error, 0);
        return true;
    }
    if (!linksUnsupported(errno)) {
        setError(error, errno);
        return false;
    }
    // Neither: look first, then rename (the best such a file system allows).
    struct stat st;
    if (::lstat(t.constData(), &st) == 0) {
        setError(error, EEXIST);
        return false;
    }
    const bool ok = sysRename(f.constData(), t.constData()) == 0;
    setError(error, ok ? 0 : errno);
    return ok;
}

FileState stateOf(const QString &path)
{
    FileState s;
    struct stat st;
    if (::stat(local(path).constData(), &st) != 0) {
        s.error = errno;
        return s;
    }
    s.exists = true;
    s.regular = S_ISREG(st.st_mode);
    s.ownerWritable = st.st_mode & S_IWUSR;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    return s;
}

bool FileState::sameFileAs(const FileState &other) const
{
    return exists && other.exists && device == other.device && inode == other.inode;
}

bool sameFile(const QString &a, const QString &b)
{
    return stateOf(a).sameFileAs(stateOf(b));
}

bool makeOwnerWritable(const QString &path, int *error)
{
    const QByteArray p = local(path);
    // Held without following a link, so the mode changed is the one looked at.
    const int fd = ::open(p.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        setError(error, errno);
        return false;
    }
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0;
    if (ok && !S_ISLNK(st.st_mode) && !(st.st_mode & S_IWUSR)) {
        char self[32];
        std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
        ok = sysChmod(self, (st.st_mode & 07777) | S_IWUSR) == 0;
        if (!ok && errno == ENOENT) // no /proc
            ok = sysChmod(p.constData(), (st.st_mode & 07777) | S_IWUSR) == 0;
    }
    const int e = ok ? 0 : errno;
    ::close(fd);
    setError(error, e);
    return ok;
}

namespace {

bool copyData(int in, int out, off_t size)
{
    // A reflink shares the blocks where the file system can; small files
    // are not worth the extra call.
    if (size >= 64 * 1024 && ::ioctl(out, FICLONE, in) == 0)
        return true;
    bool kernel = true;
    off_t copied = 0;
    for (;;) {
        if (kernel) {
            const ssize_t n = injected(Call::CopyRange) ? -1 : ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
            if (n > 0) {
                copied += n;
                // All there was when we looked: no call just to meet the end.
                if (copied == size)
                    return true;
                continue;
            }
            if (n == 0)
                return true;
            if (errno == EINTR)
                continue;
            if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
                return false;
            kernel = false; // this pair of file systems needs the plain loop
            if (::lseek(in, 0, SEEK_SET) < 0 || ::lseek(out, 0, SEEK_SET) < 0 || ::ftruncate(out, 0) != 0)
                return false;
        }
        static thread_local char buf[1 << 16];
        const ssize_t n = ::read(in, buf, sizeof buf);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = injected(Call::Write) ? -1 : ::write(out, buf + done, static_cast<size_t>(n - done));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            done += w;
        }
    }
}

// Removes the staged copies that runs killed midway left in folder, where a
// walk saw names like theirs. A live run holds a lock on each of its copies
// from before the copy has a name until the name is gone, so only copies
// whose owner is dead can be locked here.
void removeStaleCopies(const QString &path)
{
    if (!TakeNotedFolder(path))
        return;
    const QByteArray folder = local(path);
    DIR *d = ::opendir(folder.constData());
    if (!d)
        return;
    const int dir = ::dirfd(d);
    while (const struct dirent *e = ::readdir(d)) {
        if (!stagedName(e->d_name) || (e->d_type != DT_REG && e->d_type != DT_UNKNOWN))
            continue;
        const int fd = ::openat(dir, e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat held, named;
        if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0
            && ::fstatat(dir, e->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino)
            ::unlinkat(dir, e->d_name, 0);
        ::close(fd);
    }
    ::closedir(d);
}

// A nameless file in folder where the file system has them, else a new
// hidden one; locked either way before anyone can see it.
int createStaged(const QString &folder, QString *named)
{
    {
        const int fd = sysOpen(Call::OpenTmpFile, local(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::flock(fd, LOCK_EX);
            return fd;
        }
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        *named = newStagedName(folder);
        const int fd = sysOpen(Call::Create, local(*named).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return -1;
        }
        // Another instance's clean-up may have taken it between the two calls.
        struct stat st;
        if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &st) == 0 && st.st_nlink > 0)
            return fd;
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

// Names a complete nameless copy.
bool nameStaged(int fd, const QString &folder, QString *name)
{
    char self[32];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = newStagedName(folder);
        const QByteArray n = local(*name);
        const bool emptyPath = g_emptyPath;
        if (emptyPath && (injected(Call::LinkEmptyPath) ? -1 : ::linkat(fd, "", AT_FDCWD, n.constData(), AT_EMPTY_PATH)) == 0)
            return true;
        if (emptyPath && errno == EEXIST)
            continue;
        g_emptyPath = false;
        if ((injected(Call::LinkProcFd) ? -1 : ::linkat(AT_FDCWD, self, AT_FDCWD, n.constData(), AT_SYMLINK_FOLLOW)) == 0)
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

} // namespace

StagedCopy copyToNewFile(const QString &source, const QString &folder, int *error)
{
    const int in = sysOpen(Call::Open, local(source).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        setError(error, errno);
        return StagedCopy();
    }
    struct stat st;
    const bool looked = ::fstat(in, &st) == 0;
    if (!looked || !S_ISREG(st.st_mode)) {
        setError(error, !looked ? errno : S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
        ::close(in);
        return StagedCopy();
    }
    removeStaleCopies(folder);
    // A short hidden name: it must fit even beside a name of the longest length.
    QString temp;
    const int out = createStaged(folder, &temp);
    if (out < 0) {
        setError(error, errno);
        ::close(in);
        return StagedCopy();
    }
    bool ok = copyData(in, out, st.st_size);
    int e = ok ? 0 : errno;
    if (ok && sysFchmod(out, (st.st_mode & 07777) | S_IWUSR) != 0) {
        ok = false;
        e = errno;
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (ok && ::futimens(out, times) != 0) {
        ok = false;
        e = errno;
    }
    if (ok && temp.isEmpty() && !nameStaged(out, folder, &temp)) {
        ok = false;
        e = errno;
    }
    // The lock outlives this descriptor, whose close may report a late write error.
    const int lock = ::dup(out);
    if (::close(out) != 0 && ok) {
        ok = false;
        e = errno;
    }
    ::close(in);
    if (!ok) {
        if (!temp.isEmpty())
            sysUnlink(local(temp).constData());
        if (lock >= 0)
            ::close(lock);
        setError(error, e);
        return StagedCopy();
    }
    setError(error, 0);
    return StagedCopy(temp, lock);
}

bool moveIntoPlace(const QString &staged, const QString &target, bool overwrite, int *error)
{
    const QByteArray s = local(staged), t = local(target);
    const bool ok = overwrite ? sysRename(s.constData(), t.constData()) == 0 : renameNoReplace(staged, target, error);
    if (overwrite)
        setError(error, ok ? 0 : errno);
    return ok;
}

bool exchange(const QString &a, const QString &b, bool *unsupported, int *error)
{
    *unsupported = false;
    if (sysRenameat2(local(a).constData(), local(b).constData(), RENAME_EXCHANGE) == 0) {
        setError(error, 0);
        return true;
    }
    const int e = errno;
    *unsupported = renameFlagUnsupported(e);
    setError(error, e);
    return false;
}

bool linkNoReplace(const QString &from, const QString &to, bool *unsupported, int *error)
{
    *unsupported = false;
    if (sysLink(local(from).constData(), local(to).constData()) == 0) {
        setError(error, 0);
        return true;
    }
    const int e = errno;
    *unsupported = linksUnsupported(e);
    setError(error, e);
    return false;
}

bool remove(const QString &path)
{
    return sysUnlink(local(path).constData()) == 0;
}

#endif

} // namespace FileOps
