// GIO comes first: its headers use names that Qt defines as macros.
#ifndef _WIN32
#include <gio/gio.h>
#endif

#include "shell/engine/file_error.h"

#include <cerrno>

namespace {

QString errnoCause(int e)
{
    switch (e) {
    case EACCES:
    case EPERM: return QStringLiteral("权限不足");
    case EROFS: return QStringLiteral("只读文件系统");
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("磁盘空间不足");
    case EEXIST:
    case ENOTEMPTY: return QStringLiteral("文件名已存在");
    case ENOENT:
    case ENOTDIR: return QStringLiteral("文件或文件夹不存在");
    case EBUSY:
#ifdef ETXTBSY
    case ETXTBSY:
#endif
        return QStringLiteral("文件正在使用");
    case ENAMETOOLONG: return QStringLiteral("文件名过长");
    default: return QStringLiteral("系统错误（错误号 %1）").arg(e);
    }
}

#ifndef _WIN32
// The errno GIO makes each code from, where there is one.
int errnoOfGio(int code)
{
    switch (code) {
    case G_IO_ERROR_NOT_FOUND: return ENOENT;
    case G_IO_ERROR_EXISTS: return EEXIST;
    case G_IO_ERROR_IS_DIRECTORY: return EISDIR;
    case G_IO_ERROR_NOT_DIRECTORY: return ENOTDIR;
    case G_IO_ERROR_NOT_EMPTY: return ENOTEMPTY;
    case G_IO_ERROR_FILENAME_TOO_LONG: return ENAMETOOLONG;
    case G_IO_ERROR_PERMISSION_DENIED: return EACCES;
    case G_IO_ERROR_READ_ONLY: return EROFS;
    case G_IO_ERROR_NO_SPACE: return ENOSPC;
    case G_IO_ERROR_TOO_MANY_LINKS: return ELOOP;
    case G_IO_ERROR_INVALID_ARGUMENT: return EINVAL;
    case G_IO_ERROR_BUSY: return EBUSY;
    case G_IO_ERROR_TIMED_OUT: return ETIMEDOUT;
    case G_IO_ERROR_WOULD_BLOCK: return EAGAIN;
    case G_IO_ERROR_TOO_MANY_OPEN_FILES: return EMFILE;
    case G_IO_ERROR_CANCELLED: return ECANCELED;
    case G_IO_ERROR_BROKEN_PIPE: return EPIPE;
    default: return 0;
    }
}
#endif

} // namespace

QString CauseText(FileError error)
{
    switch (error.from) {
    case FileError::From::None: return QString();
    case FileError::From::Errno: return errnoCause(error.code);
    case FileError::From::Gio:
#ifndef _WIN32
        // Where no trash can be found or made: sticks, network mounts.
        if (error.code == G_IO_ERROR_NOT_SUPPORTED)
            return QStringLiteral("此位置没有回收站");
        if (const int e = errnoOfGio(error.code))
            return errnoCause(e);
#endif
        return QStringLiteral("系统错误（错误号 %1）").arg(1000 + error.code);
    }
    return QString();
}
