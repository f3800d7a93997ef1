#include "support/temp_tree.h"

#include "shell/engine/file_system.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <fcntl.h>
#include <ftw.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

TempTree::TempTree() = default;
TempTree::TempTree(const QString &under) : m_dir((under.isEmpty() ? QDir::tempPath() : under) + QStringLiteral("/treeXXXXXX")) { }

// Qt cannot remove names that are not UTF-8: the tree goes by its bytes.
TempTree::~TempTree()
{
    ::nftw(
        EncodeFileName(root()).constData(),
        [](const char *p, const struct stat *, int, struct FTW *ftw) { return ftw->level > 0 ? ::remove(p) : 0; }, 16,
        FTW_DEPTH | FTW_PHYS);
}

// Files go through the program's own name codec, so a test can name bytes
// that are not UTF-8 (DecodeFileName) and read them back exactly.
QString TempTree::file(const QString &relative, const QByteArray &content)
{
    const QString p = path(relative);
    QDir().mkpath(QFileInfo(p).absolutePath());
    const int fd = ::open(EncodeFileName(p).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
        if (::write(fd, content.constData(), static_cast<size_t>(content.size())) != content.size())
            ADD_FAILURE() << "short write";
        ::close(fd);
    }
    return p;
}

QString TempTree::folder(const QString &relative)
{
    const QString p = path(relative);
    QDir().mkpath(p);
    return p;
}

void TempTree::touch(const QString &p, const QDateTime &time)
{
    struct utimbuf t;
    t.actime = t.modtime = static_cast<time_t>(time.toSecsSinceEpoch());
    ::utime(EncodeFileName(p).constData(), &t);
}

QByteArray TempTree::read(const QString &p)
{
    const int fd = ::open(EncodeFileName(p).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return QByteArray();
    QByteArray out;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0)
        out.append(buf, n);
    ::close(fd);
    return out;
}

QString FixtureMount(const char *variable)
{
    const QByteArray dir = qgetenv(variable), mnt = dir + "/mnt";
    const std::string why = dir.isEmpty() ? std::string(variable) + " is unset: only its CTest entry's fixture mounts this"
                                          : TempTree::read(QFile::decodeName(dir + "/why")).trimmed().toStdString();
    if (!why.empty())
        return [&] { GTEST_SKIP() << why; }(), QString();
    // Not the folder beneath, where every test would pass on another file system.
    struct stat in, above;
    if (::stat(mnt.constData(), &in) != 0 || ::stat(dir.constData(), &above) != 0 || in.st_dev == above.st_dev)
        return ADD_FAILURE() << "the fixture mounted nothing at " << mnt.constData(), QString();
    return QFile::decodeName(mnt);
}
