#pragma once
#include <QString>

// Existence tests and the trash. None of them reports more than its result.

// True only for an existing file (never a folder). Blanks around the text are
// ignored and a file: URL in any letter case names its local path.
bool FileExists(const QString &path);

// The local path of the file FileExists finds for the text, or "".
QString ExistingFilePath(const QString &path);

// True for an existing folder of exactly that path, blanks kept.
bool FolderExists(const QString &path);

// True for any existing entry: file, folder, or a link (even a dangling one).
bool PathFound(const QString &path);

// Sends one file to the desktop trash; true only when it is in the trash.
// Where no trash can take it the file stays where it is.
bool DeleteToRecycleBin(const QString &path);
