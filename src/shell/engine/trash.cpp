// GIO comes first: its headers use names that Qt defines as macros.
#ifndef _WIN32
#include <gio/gio.h>
#endif

#include "shell/engine/file_system.h"

#include <QFile>

bool DeleteToRecycleBin(const QString &path)
{
    if (!FileAt(path))
        return false;
#ifdef Q_OS_WIN
    return QFile::moveToTrash(path);
#else
    // GIO writes the .trashinfo the way file managers read it (Path=
    // percent-encoded) and picks the trash of the file's own file system.
    const QByteArray local = EncodeFileName(path);
    GFile *file = g_file_new_for_path(local.constData());
    GError *error = nullptr;
    const gboolean ok = g_file_trash(file, nullptr, &error);
    if (error)
        g_error_free(error);
    g_object_unref(file);
    return ok;
#endif
}
