#include "replace/file_ops.h"

#include "shell/file_system.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#ifndef Q_OS_WIN
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <linux/fs.h>
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
} // namespace

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
    return s;
}

bool FileState::sameFileAs(const FileState &other) const
{
    return exists && other.exists && path.compare(other.path, Qt::CaseInsensitive) == 0;
}

bool sameFile(const QString &a, const QString &b) { return stateOf(a).sameFileAs(stateOf(b)); }

bool makeOwnerWritable(const QString &path)
{
    QFile f(path);
    return f.exists() && f.setPermissions(f.permissions() | QFileDevice::WriteOwner);
}

QString copyToNewFile(const QString &source, const QString &folder, int *error)
{
    const QString temp = QDir(folder).filePath(QStringLiteral("~sn%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
    if (!QFile::copy(source, temp)) {
        setError(error, 5);
        return QString();
    }
    makeOwnerWritable(temp);
    return temp;
}

bool moveIntoPlace(const QString &staged, const QString &target, int *error)
{
    const bool ok = QFile::remove(target) && QFile::rename(staged, target);
    setError(error, ok ? 0 : 5);
    return ok;
}

bool linkNoReplace(const QString &, const QString &, bool *unsupported, int *error)
{
    *unsupported = true;
    setError(error, 0);
    return false;
}

bool remove(const QString &path) { return QFile::remove(path); }

#else

namespace {
QByteArray local(const QString &path) { return EncodeFileName(path); }
} // namespace

bool renameNoReplace(const QString &from, const QString &to, int *error)
{
    const QByteArray f = local(from), t = local(to);
    if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0) {
        setError(error, 0);
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
        setError(error, errno);
        return false;
    }
    // The file system cannot rename without replacing: a second name that
    // cannot exist twice, then the old name goes.
    if (::link(f.constData(), t.constData()) == 0) {
        if (::unlink(f.constData()) != 0) {
            const int e = errno;
            ::unlink(t.constData());
            setError(error, e);
            return false;
        }
        setError(error, 0);
        return true;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS) {
        setError(error, errno);
        return false;
    }
    // Neither: look first, then rename (the best such a file system allows).
    struct stat st;
    if (::lstat(t.constData(), &st) == 0) {
        setError(error, EEXIST);
        return false;
    }
    const bool ok = ::rename(f.constData(), t.constData()) == 0;
    setError(error, ok ? 0 : errno);
    return ok;
}

FileState stateOf(const QString &path)
{
    FileState s;
    struct stat st;
    if (::stat(local(path).constData(), &st) != 0)
        return s;
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

bool sameFile(const QString &a, const QString &b) { return stateOf(a).sameFileAs(stateOf(b)); }

bool makeOwnerWritable(const QString &path)
{
    const QByteArray p = local(path);
    struct stat st;
    if (::stat(p.constData(), &st) != 0)
        return false;
    if (st.st_mode & S_IWUSR)
        return true;
    return ::chmod(p.constData(), (st.st_mode & 07777) | S_IWUSR) == 0;
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
            const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
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
            const ssize_t w = ::write(out, buf + done, static_cast<size_t>(n - done));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            done += w;
        }
    }
}

} // namespace

QString copyToNewFile(const QString &source, const QString &folder, int *error)
{
    const int in = ::open(local(source).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        setError(error, errno);
        return QString();
    }
    struct stat st;
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        setError(error, errno ? errno : EINVAL);
        ::close(in);
        return QString();
    }
    // A short hidden name: it must fit even beside a name of the longest length.
    QString temp;
    int out = -1;
    for (int attempt = 0; attempt < 100 && out < 0; ++attempt) {
        temp = QDir(folder).filePath(
            QStringLiteral(".~sn%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        out = ::open(local(temp).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (out < 0 && errno != EEXIST)
            break;
    }
    if (out < 0) {
        setError(error, errno);
        ::close(in);
        return QString();
    }
    bool ok = copyData(in, out, st.st_size);
    int e = ok ? 0 : errno;
    if (ok && ::fchmod(out, (st.st_mode & 07777) | S_IWUSR) != 0) {
        ok = false;
        e = errno;
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (ok && ::futimens(out, times) != 0) {
        ok = false;
        e = errno;
    }
    if (::close(out) != 0 && ok) {
        ok = false;
        e = errno;
    }
    ::close(in);
    if (!ok) {
        ::unlink(local(temp).constData());
        setError(error, e);
        return QString();
    }
    setError(error, 0);
    return temp;
}

bool moveIntoPlace(const QString &staged, const QString &target, int *error)
{
    const bool ok = ::rename(local(staged).constData(), local(target).constData()) == 0;
    setError(error, ok ? 0 : errno);
    return ok;
}

bool linkNoReplace(const QString &from, const QString &to, bool *unsupported, int *error)
{
    *unsupported = false;
    if (::link(local(from).constData(), local(to).constData()) == 0) {
        setError(error, 0);
        return true;
    }
    const int e = errno;
    *unsupported = e == EPERM || e == EOPNOTSUPP || e == ENOSYS || e == EXDEV || e == EMLINK;
    setError(error, e);
    return false;
}

bool remove(const QString &path) { return ::unlink(local(path).constData()) == 0; }

#endif

} // namespace FileOps
