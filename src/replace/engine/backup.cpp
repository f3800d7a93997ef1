#include "replace/engine/backup.h"

#include "replace/engine/file_ops.h"
#include "shell/engine/file_system.h"
#include "shell/engine/file_texts.h"

#include <QDir>
#include <QLocale>
#include <algorithm>
#include <cerrno>

namespace {

// Any text a lenient number parser takes: digits with blanks, a sign,
// separators or an exponent. Fourteen digits always pass.
bool isNumeric(const QString &text)
{
    bool ok = false;
    QLocale().toDouble(text.trimmed(), &ok);
    if (!ok)
        QLocale::c().toDouble(text.trimmed(), &ok);
    return ok;
}

bool lessIgnoringCase(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) < 0;
}

QString folderOf(const QString &path)
{
    const qsizetype i = path.lastIndexOf(QDir::separator());
    return i <= 0 ? QString(QDir::separator()) : path.left(i);
}

QString nameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(QDir::separator()) + 1);
}

// Without hard links. The copy takes the backup name, then trades places
// with the target in one step; the old file thus always has the target's
// name or the backup name, never the staging name that clean-up removes.
// The undoing steps leave *error to the step that failed.
bool replaceWithoutLinks(const QString &target, const QString &staged, const QString &backup, int *error)
{
    if (!FileOps::renameNoReplace(staged, backup, error)) {
        FileOps::remove(staged);
        return false;
    }
    bool noExchange = false;
    if (FileOps::exchange(backup, target, &noExchange, error))
        return true;
    // The backup name still holds the copy.
    if (!noExchange || !FileOps::renameNoReplace(backup, staged, error)) {
        FileOps::remove(backup);
        return false;
    }
    // Nor an exchange: rename aside, then the new file in; the target name
    // is empty for that one rename. Undone on failure.
    if (!FileOps::renameNoReplace(target, backup, error)) {
        FileOps::remove(staged);
        return false;
    }
    if (!FileOps::moveIntoPlace(staged, target, false, error)) {
        FileOps::renameNoReplace(backup, target);
        FileOps::remove(staged);
        return false;
    }
    return true;
}

} // namespace

bool 是替换后文件格式(const QString &fileName)
{
    if (fileName.size() <= BackupSuffixLength)
        return false;
    const QString suffix = fileName.right(BackupSuffixLength);
    return suffix.at(0) == QLatin1Char('[') && suffix.endsWith(ReplaceTag) && isNumeric(suffix.mid(1, 14));
}

QString 替换前文件名(const QString &fileName)
{
    return 是替换后文件格式(fileName) ? fileName.left(fileName.size() - BackupSuffixLength) : QString();
}

bool SameFileName(QStringView a, QStringView b)
{
#ifdef Q_OS_WIN
    return a.compare(b, Qt::CaseInsensitive) == 0;
#else
    return a == b;
#endif
}

QStringList FolderNames::list(const QString &folder)
{
    QStringList names = FileNamesIn(folder);
    std::stable_sort(names.begin(), names.end(), lessIgnoringCase);
    return names;
}

const QStringList &FolderNames::names(const QString &folder)
{
    auto it = m_folders.find(folder);
    if (it == m_folders.end())
        it = m_folders.insert(folder, list(folder));
    return *it;
}

void FolderNames::renamed(const QString &folder, const QString &from, const QString &to)
{
    auto it = m_folders.find(folder);
    if (it == m_folders.end())
        return;
    it->removeOne(from);
    it->insert(std::upper_bound(it->begin(), it->end(), to, lessIgnoringCase) - it->begin(), to);
}

QString 最近一次替换后文件名(const QString &folder, const QString &name, FolderNames *cache)
{
    // A folder listed in this run needs no second look.
    if (!(cache && cache->listed(folder)) && !FolderExists(folder))
        return QString();
    FolderNames local;
    const QStringList &names = (cache ? cache : &local)->names(folder);
    // The names that begin with name + "[" in any letter case stand together
    // in the list; of those, only a backup of name itself counts, so that the
    // backups of report.docx never hide those of report.doc.
    const QString start = name + QLatin1Char('[');
    QString newest;
    for (auto it = std::lower_bound(names.begin(), names.end(), start, lessIgnoringCase);
         it != names.end() && it->startsWith(start, Qt::CaseInsensitive); ++it) {
        const QString &s = *it;
        if (s.size() != name.size() + BackupSuffixLength || !s.endsWith(ReplaceTag) || !是替换后文件格式(s)
            || !SameFileName(QStringView(s).left(name.size()), name))
            continue;
        // The stamp is most significant first; the name's letter case has no say.
        if (newest.isEmpty() || QStringView(s).right(BackupSuffixLength).compare(QStringView(newest).right(BackupSuffixLength)) > 0)
            newest = s;
    }
    return newest;
}

bool 文件替换及备份(const QString &target, const QString &master, int noBackup, FileError *error)
{
    const FileOps::FileState masterState = FileOps::stateOf(master);
    // Reading needs no more; a refusal is no failure.
    if (masterState.exists && !masterState.ownerWritable)
        FileOps::makeOwnerWritable(master);
    return ReplaceKnownFiles(target, FileOps::stateOf(target), master, masterState, noBackup, error);
}

bool ReplaceKnownFiles(const QString &target, const FileOps::FileState &targetState, const QString &master,
                       const FileOps::FileState &masterState, int noBackup, FileError *error)
{
    int e = 0; // errno of the first call that failed
    const auto fail = [error](int code) {
        if (error)
            *error = FileError::ofErrno(code);
        return false;
    };
    if (error)
        *error = FileError();
    // The same file under another name (a link, or another spelling where
    // names ignore case) is never replaced by itself.
    if (targetState.sameFileAs(masterState))
        return false;
    if (!targetState.exists)
        return fail(targetState.error);
    if (!targetState.regular) // a folder or a device where the file was
        return fail(EINVAL);
    if (!targetState.ownerWritable && !FileOps::makeOwnerWritable(target, &e))
        return fail(e);

    // The new content is complete on disk before the old file is touched.
    const FileOps::StagedCopy copy = FileOps::copyToNewFile(master, folderOf(target), &e);
    if (copy.isEmpty())
        return fail(e);
    const QString &staged = copy.path();

    if (noBackup == 1) {
        // The trash refused: the old file stays as it is.
        if (!DeleteToRecycleBin(target, error)) {
            FileOps::remove(staged);
            return false;
        }
        if (!FileOps::renameNoReplace(staged, target, &e)) {
            FileOps::remove(staged); // the old file is safe in the trash
            return fail(e);
        }
        return true;
    }

    const QString backup = target + QLatin1Char('[') + BackupStamp() + ReplaceTag;
    bool noLinks = false;
    if (FileOps::linkNoReplace(target, backup, &noLinks, &e)) {
        // Old content now has two names; the target name then moves to the
        // new content in one step, so a crash leaves old or new, never none.
        // Someone may have put another file there meanwhile: that one stays.
        const FileOps::FileState now = FileOps::stateOf(target);
        const bool unchanged = now.sameFileAs(targetState);
        if (!unchanged || !FileOps::moveIntoPlace(staged, target, true, &e)) {
            if (unchanged)
                FileOps::remove(backup);
            FileOps::remove(staged);
            return fail(unchanged ? e : now.exists ? EBUSY : now.error);
        }
        return true;
    }
    if (!noLinks) {
        FileOps::remove(staged);
        return fail(e);
    }
    return replaceWithoutLinks(target, staged, backup, &e) || fail(e);
}

QString 文件恢复备份(const QString &path, FileError *error)
{
    int e = 0;
    if (FileOps::makeOwnerWritable(path, &e)) {
        const QString suffix = QLatin1Char('[') + BackupStamp() + RestoreTag;
        if (FileOps::renameNoReplace(path, path + suffix, &e)) {
            if (error)
                *error = FileError();
            return nameOf(path) + suffix;
        }
    }
    if (error)
        *error = FileError::ofErrno(e);
    return QString();
}
