#pragma once
#include <QHash>
#include <QString>
#include <QStringList>

#include "shell/engine/file_error.h"
#include "shell/engine/file_texts.h"

// Backup names (ReplaceTag, RestoreTag) are the only record of past
// replacements.

bool 是替换后文件格式(const QString &fileName);
QString 替换前文件名(const QString &fileName);
// Whether two names in one folder name the same file: letter case counts
// except on Windows.
bool SameFileName(QStringView a, QStringView b);

// The file names of folders, listed once and kept true as a run renames
// files, so that a run over many rows lists each folder only once.
class FolderNames {
public:
    // Sorted ascending, letter case ignored; files only, hidden ones included.
    const QStringList &names(const QString &folder);
    void renamed(const QString &folder, const QString &from, const QString &to);
    bool listed(const QString &folder) const { return m_folders.contains(folder); }

    static QStringList list(const QString &folder);

private:
    QHash<QString, QStringList> m_folders;
};

// The most recent replacement backup of name in folder ("" when none): the
// latest stamp among the backups whose name before the suffix is name.
QString 最近一次替换后文件名(const QString &folder, const QString &name, FolderNames *cache = nullptr);

// Replaces target with a copy of master after keeping the old file under its
// backup name (or, with no-backup mode, in the trash). On any failure the
// target keeps its old content, and *error says what the system refused
// first (nothing, where the target is the master itself).
bool 文件替换及备份(const QString &target, const QString &master, int noBackup, FileError *error = nullptr);

namespace FileOps {
struct FileState;
}
// The same for a run over many rows: the master was looked at (and made
// writable) once, the target just now.
bool ReplaceKnownFiles(const QString &target, const FileOps::FileState &targetState, const QString &master,
                       const FileOps::FileState &masterState, int noBackup, FileError *error = nullptr);

// Sets a file aside under a restore-conflict name; its new name, or "" with
// what the system refused in *error.
QString 文件恢复备份(const QString &path, FileError *error = nullptr);
