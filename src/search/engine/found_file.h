#pragma once
#include "shell/engine/file_texts.h"

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

// Joins a folder and a name with the native separator (once).
QString JoinPath(const QString &folder, const QString &name);

// One candidate file collected by a walk; kept only for one search. The
// full path and the base name are derived, not stored: a million files
// would otherwise hold each name three times.
struct FoundFile {
    QString FileName;
    QString Extension;  // lower case, empty when the name has no "."; shared per extension
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
    QString BaseName() const { return Extension.isEmpty() ? FileName : FileName.left(FileName.size() - Extension.size() - 1); }
};

// The candidate names of a walk as the file system spells them, by folder.
// The name filter is known only when the walk ends, so every candidate is
// kept until then; a name costs its bytes, and its facts are read only when
// the filter lets it through.
class WalkFinds {
public:
    // Names of one folder that sit together in one block.
    struct Run {
        QString folder; // shared by the folder's runs
        quint32 block = 0;
        quint32 begin = 0; // byte range in the block; each name ends with a NUL
        quint32 end = 0;
    };

    void beginFolder(const QString &folder);
    void add(const char *name, size_t length);
    void clear();
    size_t size() const { return m_count; }
    const std::vector<Run> &runs() const { return m_runs; }
    const char *bytes(const Run &r) const { return m_blocks[r.block].data(); }
    // Whether the walk's folder reads kept it waiting (it read ahead): the
    // facts of its names wait for the same disk, so they are read ahead from
    // the first.
    bool readsWaited = false;

private:
    // Fixed-size blocks: growing one buffer would copy it and, for a
    // moment, hold it twice.
    std::vector<std::string> m_blocks;
    std::vector<Run> m_runs;
    QString m_folder;
    bool m_runOpen = false;
    size_t m_count = 0;
};

// The search state the main window keeps between the walk and the list.
struct SearchState {
    QString SearchExtension;
    QString SearchPattern;
    WalkFinds Finds;             // what the last walk found, before the name filter
    QStringList SearchedFolders; // visited folders, only while subfolders are searched

    void reset()
    {
        Finds.clear();
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
