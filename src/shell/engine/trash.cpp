// GIO comes first: its headers use names that Qt defines as macros.
#ifndef _WIN32
#include <gio/gio.h>
#endif

#include "shell/engine/file_system.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace {
void setError(FileError *error, FileError value)
{
    if (error)
        *error = value;
}
} // namespace

bool DeleteToRecycleBin(const QString &path, FileError *error)
{
    setError(error, FileError());
#ifdef Q_OS_WIN
    if (!FileAt(path)) {
        setError(error, FileError::ofErrno(QFileInfo::exists(path) ? EISDIR : ENOENT));
        return false;
    }
    const bool ok = QFile::moveToTrash(path);
    if (!ok)
        setError(error, FileError::ofErrno(EACCES));
    return ok;
#else
    const QByteArray local = EncodeFileName(path);
    // Only a file: a folder or a missing name says why.
    struct stat st;
    const int unseen = path.isEmpty() ? ENOENT : ::stat(local.constData(), &st) != 0 ? errno : 0;
    if (unseen || !S_ISREG(st.st_mode)) {
        setError(error, FileError::ofErrno(unseen ? unseen : S_ISDIR(st.st_mode) ? EISDIR : EINVAL));
        return false;
    }
    // GIO writes the .trashinfo the way file managers read it (Path=
    // percent-encoded) and picks the trash of the file's own file system.
    GFile *file = g_file_new_for_path(local.constData());
    GError *gerror = nullptr;
    const gboolean ok = g_file_trash(file, nullptr, &gerror);
    if (gerror) {
        // Another domain than GIO's would be a stray code: reported as GIO's catch-all.
        setError(error, FileError::ofGio(gerror->domain == G_IO_ERROR ? gerror->code : G_IO_ERROR_FAILED));
        g_error_free(gerror);
    } else if (!ok) {
        setError(error, FileError::ofGio(G_IO_ERROR_FAILED));
    }
    g_object_unref(file);
    return ok;
#endif
}
