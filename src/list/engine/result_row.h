#pragma once
#include <QString>

// One row of the result list, keyed by the file's full path. The key is
// the folder and the name joined, never stored: at a million rows the
// memory matters.
struct ResultRow {
    enum Column { StatusColumn, NameColumn, SizeColumn, TimeColumn, FolderColumn, ColumnCount };

    QString status;
    QString fileName;
    QString sizeKB;
    QString modified;
    QString folder; // shared by the rows of one folder
    int icon = 0;   // image in the icon store, 0 for none
    int id = -1;    // the row's slot in the key index, stable across sorts
    bool checked = false;

    QString key() const;
    // The text a column shows.
    const QString &text(int column) const;
};
