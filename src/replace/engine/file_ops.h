#pragma once
#include <QString>
#include <QtGlobal>

// File operations that never overwrite by accident. Each reports failure
// through its result and, where given, the errno-style code in *error.
namespace FileOps {

// Renames in place; fails when the new name exists.
bool renameNoReplace(const QString &from, const QString &to, int *error = nullptr);

// What one look at a path tells (links followed).
struct FileState {
    bool exists = false;
    bool regular = false;
    bool ownerWritable = false;
    quint64 device = 0, inode = 0;
    QString path; // where identity is a path (Windows)
    bool sameFileAs(const FileState &other) const;
};
FileState stateOf(const QString &path);

// Whether two paths name the same file (same device and inode; links to a
// file count as that file).
bool sameFile(const QString &a, const QString &b);

// The nearest thing to "attributes to normal": the owner may write.
bool makeOwnerWritable(const QString &path);

// Copies source into a new hidden file in folder (never one that exists),
// content, permission bits (owner-writable) and times from the source.
// Returns the new file's path, or an empty text when anything failed, in
// which case nothing is left behind.
QString copyToNewFile(const QString &source, const QString &folder, int *error = nullptr);

// Puts the file at staged under target's name in one step, so that target
// holds either its old or its new content at every moment. Callers keep the
// old file under another name first.
bool moveIntoPlace(const QString &staged, const QString &target, int *error = nullptr);

// Gives the file a second name (a hard link), or fails when that name
// exists. Where the file system has no hard links, *unsupported is set.
bool linkNoReplace(const QString &from, const QString &to, bool *unsupported, int *error = nullptr);

bool remove(const QString &path);

} // namespace FileOps
