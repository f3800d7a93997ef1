#pragma once
#include <QString>
#include <QStringList>
#include <vector>

// One candidate file collected by a walk; kept only for one search.
struct FoundFile {
    QString FullPath;
    QString FileName;
    QString BaseName;
    QString Extension; // lower case, empty when the name has no "."
    QString TypeName;
    QString SizeKB;
    QString FolderPath; // shared by every file of the folder
    QString Modified;
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
