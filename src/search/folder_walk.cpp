#include "search/folder_walk.h"

#include "shell/file_system.h"
#include "shell/file_texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>

#ifdef Q_OS_WIN
#include <QDirIterator>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// A folder path as the list shows it: absolute, without a trailing separator.
QString folderPathOf(const QString &folder)
{
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
}

} // namespace

FolderWalk::FolderWalk(SearchState &state, WalkHost &host) : m_state(state), m_host(host) {}

void FolderWalk::搜索文件夹(const QString &folder)
{
    m_statusKind = Pending::Text;
    m_statusText = folder;
    m_state.SearchedFolders.clear();
    遍历文件夹(folder);
    flush();
}

void FolderWalk::遍历文件夹(const QString &folder)
{
    if (!FolderExists(folder))
        return;
    Listing listing;
    const bool readable = readFolder(folder, listing);
    if (readable)
        collect(folder, listing);
    closeFolder(listing);
    if (!m_host.includeSubfolders())
        return;
    m_state.SearchedFolders.append(folder);
    if (!readable || !能否枚举(listing))
        return;
    for (const Entry &e : listing.entries) {
        if (!e.isFolder)
            continue;
        const QString sub = JoinPath(folder, e.name);
        m_statusKind = Pending::Folder;
        m_statusText = sub;
        flushAndLetEventsRun();
        if (m_host.stopRequested())
            return;
        遍历文件夹(sub);
    }
}

void FolderWalk::收集文件夹文件(const QString &folder)
{
    if (!FolderExists(folder))
        return;
    Listing listing;
    if (readFolder(folder, listing))
        collect(folder, listing);
    closeFolder(listing);
}

void FolderWalk::collect(const QString &folder, Listing &listing)
{
    const QString folderPath = folderPathOf(folder);
    const bool all = m_state.SearchPattern == QLatin1String("*.*");

    m_progressMax = listing.fileCount + 1;
    m_progressValue = 1;
    m_progressDirty = true;

    int n = 0;
    for (const Entry &e : listing.entries) {
        if (!e.isFile)
            continue;
        ++n;
        if (n % 50 == 0)
            flushAndLetEventsRun();
        m_progressValue = n;
        m_progressDirty = true;

        const QString &name = e.name;
        m_statusKind = Pending::File;
        m_statusText = folderPath;
        m_statusName = name;

        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        const QStringView ext = dot < 0 ? QStringView() : QStringView(name).mid(dot + 1);
        const bool candidate = all || HasBackupTag(name) || PatternAcceptsExtension(m_state.SearchPattern, ext);
        if (candidate) {
            const QStringView base = ext.isEmpty() ? QStringView(name) : QStringView(name).left(name.size() - ext.size() - 1);
            if (!base.startsWith(QLatin1String("~$"))) {
                qint64 size = 0;
                std::time_t mtime = 0;
                bool facts = false;
#ifdef Q_OS_WIN
                const QFileInfo fi(JoinPath(folderPath, name));
                facts = fi.isFile();
                size = fi.size();
                mtime = fi.lastModified().toSecsSinceEpoch();
#else
                struct stat st;
                facts = ::fstatat(listing.dirFd, QFile::encodeName(name).constData(), &st, 0) == 0
                        && S_ISREG(st.st_mode);
                size = st.st_size;
                mtime = st.st_mtim.tv_sec;
#endif
                // A file gone since the folder was read is passed over.
                if (facts) {
                    FoundFile f;
                    f.FileName = name;
                    f.Extension = extensionFor(ext);
                    f.TypeName = typeNameFor(f.Extension);
                    f.SizeKB = SizeText(size);
                    f.FolderPath = folderPath;
                    f.Modified = TimeText(mtime);
                    m_state.FoundFiles.push_back(std::move(f));
                }
            }
        }
        if (m_host.stopRequested())
            break;
    }
    flushAndLetEventsRun();
}

const QString &FolderWalk::extensionFor(QStringView extension)
{
    // One shared lower-case text per extension; a folder rarely holds many.
    for (const auto &[raw, lower] : m_extensions)
        if (raw == extension)
            return lower;
    if (m_extensions.size() >= 64)
        m_extensions.erase(m_extensions.begin());
    m_extensions.emplace_back(extension.toString(), extension.toString().toLower());
    return m_extensions.back().second;
}

const QString &FolderWalk::typeNameFor(const QString &extension)
{
    auto it = m_typeNames.constFind(extension);
    if (it != m_typeNames.constEnd())
        return *it;
    // By name only: no file is opened to guess its type.
    static const QMimeDatabase db;
    const QString comment =
        db.mimeTypeForFile(QStringLiteral("a.") + extension, QMimeDatabase::MatchExtension).comment();
    return *m_typeNames.insert(extension, comment);
}

void FolderWalk::flush()
{
    switch (m_statusKind) {
    case Pending::None: break;
    case Pending::Text: m_host.showStatus(m_statusText); break;
    case Pending::Folder: m_host.showStatus(QStringLiteral("搜索目录：") + m_statusText); break;
    case Pending::File: m_host.showStatus(QStringLiteral("搜索文件：") + JoinPath(m_statusText, m_statusName)); break;
    }
    m_statusKind = Pending::None;
    if (m_progressDirty) {
        m_host.showProgress(0, m_progressMax, m_progressValue);
        m_progressDirty = false;
    }
}

void FolderWalk::flushAndLetEventsRun()
{
    flush();
    m_host.letEventsRun();
}

#ifdef Q_OS_WIN

bool FolderWalk::readFolder(const QString &folder, Listing &listing)
{
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo fi = it.fileInfo();
        Entry e{fi.fileName(), fi.isFile(), fi.isDir()};
        listing.fileCount += e.isFile ? 1 : 0;
        listing.entries.push_back(std::move(e));
    }
    return true;
}

void FolderWalk::closeFolder(Listing &) {}

#else

bool FolderWalk::readFolder(const QString &folder, Listing &listing)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    DIR *dir = ::fdopendir(::dup(fd));
    if (!dir) {
        ::close(fd);
        return false;
    }
    listing.dirFd = fd;
    errno = 0;
    while (const dirent *d = ::readdir(dir)) {
        const char *n = d->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        Entry e;
        e.name = QFile::decodeName(n);
        unsigned char type = d->d_type;
        if (type == DT_UNKNOWN) {
            struct stat st;
            if (::fstatat(fd, n, &st, AT_SYMLINK_NOFOLLOW) == 0)
                type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (type == DT_LNK) {
            // A link to a file is listed like the file; a link to a folder is
            // not followed, so a loop cannot trap the walk.
            struct stat st;
            e.isFile = ::fstatat(fd, n, &st, 0) == 0 && S_ISREG(st.st_mode);
        } else {
            e.isFile = type == DT_REG;
            e.isFolder = type == DT_DIR;
        }
        listing.fileCount += e.isFile ? 1 : 0;
        if (e.isFile || e.isFolder)
            listing.entries.push_back(std::move(e));
        errno = 0;
    }
    if (errno != 0)
        listing.subfoldersEnumerable = false;
    ::closedir(dir);
    return true;
}

void FolderWalk::closeFolder(Listing &listing)
{
    if (listing.dirFd >= 0)
        ::close(listing.dirFd);
    listing.dirFd = -1;
}

#endif
