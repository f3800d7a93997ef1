#pragma once
#include "shell/engine/file_texts.h"

#include <QString>
#include <QStringList>
#include <vector>

// Joins a folder and a name with the native separator (once).
QString JoinPath(const QString &folder, const QString &name);

// One candidate file collected by a walk; kept only for one search. The
// full path and the base name are derived, not stored: a million files
// would otherwise hold each name three times.
struct FoundFile {
    QString FileName;
    QString Extension; // lower case, empty when the name has no "."; shared per extension
    QString TypeName;   // shared per extension
    QString FolderPath; // shared by every file of the folder
    qint64 Size = 0;    // bytes
    qint64 MTime = 0;   // seconds since the epoch

    QString FullPath() const { return JoinPath(FolderPath, FileName); }
    // The size and time as the list shows them; made when asked, since most
    // records of a search are never shown.
    QString SizeKB() const { return SizeText(Size); }
    QString Modified() const { return TimeText(static_cast<std::time_t>(MTime)); }
    // The name without its last extension (the whole name when it has none).
    QString BaseName() const
    {
        return Extension.isEmpty() ? FileName : FileName.left(FileName.size() - Extension.size() - 1);
    }
};

// The search state the main window keeps between the walk and the list.
struct SearchState {
    QString SearchExtension;
    QString SearchPattern;
    std::vector<FoundFile> FoundFiles;
    QStringList SearchedFolders; // visited folders, only while subfolders are searched

    void reset()
    {
        FoundFiles.clear();
        FoundFiles.shrink_to_fit();
        SearchedFolders.clear();
    }
};

// The extension the name box asks for: the trimmed text after the last ".",
// empty when there is none.
QString SearchExtensionOf(const QString &fileNameText);

// "*.*" for an empty extension, else "*." followed by it.
QString SearchPatternFor(const QString &searchExtension);

// Whether "*." + extension + ";" occurs in pattern + ";", letter case ignored.
bool PatternAcceptsExtension(const QString &pattern, QStringView extension);

// Whether a file name ends with one of the two backup tags.
bool HasBackupTag(QStringView fileName);
