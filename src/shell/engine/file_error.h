#pragma once
#include <QString>
#include <QtGlobal>

// Why a file operation failed, as the system said it: an errno, or the code
// of a GIO error where GIO did the work (the trash). It travels beside a
// Boolean result; the default value means nothing failed.
struct FileError {
    enum class From : quint8 { None, Errno, Gio };
    int code = 0;
    From from = From::None;

    static FileError ofErrno(int e) { return e ? FileError{e, From::Errno} : FileError(); }
    static FileError ofGio(int gioCode) { return {gioCode, From::Gio}; }
    bool failed() const { return from != From::None; }
    bool operator==(const FileError &) const = default;
};

// The cause a failed row shows, in the user's words; "" when nothing failed.
// Causes without words of their own read 系统错误（错误号 N）: N is the errno,
// or for a GIO code the errno GIO makes that code from; a GIO code no errno
// leads to (GIO_ERROR_FAILED, say) shows as 1000 + the code, so that the
// number never passes for an errno.
QString CauseText(FileError error);
