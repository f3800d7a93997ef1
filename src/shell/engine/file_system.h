#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

#include "shell/engine/file_error.h"

// File names are bytes on Linux. The program keeps them in QStrings without
// losing any: bytes that are not part of valid UTF-8 become the lone
// surrogates U+DC80..U+DCFF, and encoding turns those back into the bytes.
QString DecodeFileName(const char *bytes, qsizetype length);
inline QString DecodeFileName(const QByteArray &bytes)
{
    return DecodeFileName(bytes.constData(), bytes.size());
}
QByteArray EncodeFileName(const QString &path);
// A name or path as the user sees it: undecodable bytes show as U+FFFD.
QString ShownFileName(const QString &path);

// Existence tests and the trash. None but the trash reports more than its result.

// For text the user typed: true only for an existing file (never a folder).
// Blanks around the text are ignored when the text as typed names nothing, and
// a file: URL in any letter case names its local path.
bool FileExists(const QString &path);

// For paths the program found itself: an existing file at exactly that path.
bool FileAt(const QString &path);

// The local path of the file FileExists finds for the text, or "".
QString ExistingFilePath(const QString &path);

// True for an existing folder of exactly that path, blanks kept.
bool FolderExists(const QString &path);

// True for any existing entry: file, folder, or a link (even a dangling one).
bool PathFound(const QString &path);

// The names of the files in a folder (links to files included), each kept
// byte for byte; empty when the folder cannot be read.
QStringList FileNamesIn(const QString &folder);

// How the names of a replacement's staged copies begin. A walk notes each
// folder where it sees such a name; a replacement reads again only those
// folders to remove the copies killed runs left there. A run searches before
// it replaces, so every leftover in a folder it replaces in is seen. Only
// where staged copies are cleaned up: not on Windows. Both calls are safe on
// any thread: the walk's read-ahead workers note folders.
inline constexpr char StagedNamePrefix[] = ".~sn";
void NoteStagedNamesIn(const QString &folder);
// Whether the folder was noted; the note goes with the answer. Any spelling
// of the folder's path finds it.
bool TakeNotedFolder(const QString &folder);

// Sends one file to the desktop trash; true only when it is in the trash.
// Where no trash can take it the file stays where it is, and *error says
// why (GIO's code where GIO refused).
bool DeleteToRecycleBin(const QString &path, FileError *error = nullptr);
