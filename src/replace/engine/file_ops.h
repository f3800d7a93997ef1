#pragma once
#include <QList>
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
    QString path;  // where identity is a path (Windows)
    int error = 0; // why the look found nothing (errno)
    bool sameFileAs(const FileState &other) const;
};
FileState stateOf(const QString &path);

// Whether two paths name the same file (same device and inode; links to a
// file count as that file).
bool sameFile(const QString &a, const QString &b);

// The nearest thing to "attributes to normal": the owner may write. A
// symbolic link is left as it is: its mode is its target's, another file.
bool makeOwnerWritable(const QString &path, int *error = nullptr);

// A staged copy: its name, and a lock on it that tells other instances it
// is not stale. The lock goes with the object.
class StagedCopy {
public:
    StagedCopy() = default;
    StagedCopy(const QString &path, int lock) : m_path(path), m_lock(lock) { }
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

// Test seam at the system calls: a call named here fails with the given
// errno, as a file system or kernel would make it fail, and the code above
// it maps that errno as it would a real one (to "unsupported", a fallback, a
// cause). Each fault counts the calls of its kind: the first `after` pass,
// then `times` fail (0: every one after). Set while no file operation runs;
// an empty list ends them. Cheap enough to stay in every build: with no
// faults set, one test of an empty list per call.
enum class Call : quint8 {
    Link,            // link()
    LinkEmptyPath,   // linkat(AT_EMPTY_PATH): naming a nameless copy
    LinkProcFd,      // linkat() of /proc/self/fd/N: the same without the privilege
    RenameNoReplace, // renameat2(RENAME_NOREPLACE)
    RenameExchange,  // renameat2(RENAME_EXCHANGE)
    Rename,          // rename()
    Unlink,          // unlink()
    OpenTmpFile,     // open(O_TMPFILE)
    Create,          // open(O_CREAT | O_EXCL) of a named staged copy
    Open,            // open() of the file to copy
    CopyRange,       // copy_file_range()
    Write,           // write() of the plain copy loop
    Chmod,           // chmod() and fchmod()
};
struct Fault {
    Call call;
    int error;
    int after = 0;
    int times = 0;
};
void setFaults(const QList<Fault> &faults);

} // namespace FileOps
