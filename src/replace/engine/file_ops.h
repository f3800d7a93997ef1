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

// The nearest thing to "attributes to normal": the owner may write. A
// symbolic link is left as it is: its mode is its target's, another file.
bool makeOwnerWritable(const QString &path);

// A staged copy: its name, and a lock on it that tells other instances it
// is not stale. The lock goes with the object.
class StagedCopy {
public:
    StagedCopy() = default;
    StagedCopy(const QString &path, int lock) : m_path(path), m_lock(lock) {}
    StagedCopy(StagedCopy &&other) noexcept : m_path(other.m_path), m_lock(other.m_lock) { other.m_lock = -1; }
    StagedCopy &operator=(StagedCopy &&other) noexcept;
    StagedCopy(const StagedCopy &) = delete;
    StagedCopy &operator=(const StagedCopy &) = delete;
    ~StagedCopy();
    const QString &path() const { return m_path; }
    bool isEmpty() const { return m_path.isEmpty(); }

private:
    QString m_path;
    int m_lock = -1;
};

// Copies source into a new hidden file in folder (never one that exists),
// content, permission bits (owner-writable) and times from the source. The
// copy has no name until it is complete where the file system allows. First
// removes staged copies that crashed runs left in folder, if a walk noted
// names like theirs there since the last such clean-up. Returns an empty
// copy when anything failed, in which case nothing is left behind.
StagedCopy copyToNewFile(const QString &source, const QString &folder, int *error = nullptr);

// Whether a file name is one copyToNewFile gives.
bool isStagedName(const QString &fileName);

// Puts the file at staged under target's name in one step, so that target
// holds either its old or its new content at every moment. Callers keep the
// old file under another name first. With overwrite false, an existing
// target makes it fail instead.
bool moveIntoPlace(const QString &staged, const QString &target, bool overwrite = true, int *error = nullptr);

// Swaps the files at two names in one step. Where the file system cannot,
// *unsupported is set.
bool exchange(const QString &a, const QString &b, bool *unsupported, int *error = nullptr);

// Gives the file a second name (a hard link), or fails when that name
// exists. Where the file system has no hard links, *unsupported is set.
bool linkNoReplace(const QString &from, const QString &to, bool *unsupported, int *error = nullptr);

bool remove(const QString &path);

// Test seam: kernel offers to withhold, as file systems without them do,
// and the step that puts a new copy in place to fail.
struct Faults {
    bool noLink = false;
    bool noExchange = false;
    bool noTmpFile = false;
    bool moveInFails = false;
};
void setFaults(const Faults &faults);

} // namespace FileOps
