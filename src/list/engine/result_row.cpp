#include "list/engine/result_row.h"

#include "search/engine/found_file.h"

QString ResultRow::key() const { return JoinPath(folder, fileName); }

const QString &ResultRow::text(int column) const
{
    static const QString none;
    switch (column) {
    case StatusColumn: return status;
    case NameColumn: return fileName;
    case SizeColumn: return sizeKB;
    case TimeColumn: return modified;
    case FolderColumn: return folder;
    }
    return none;
}
