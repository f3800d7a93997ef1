#pragma once
#include <QString>
#include <QtGlobal>
#include <QTypeInfo>

// What a row's size and time columns show: the file's facts, or the note
// that a fresh look found the file gone or could not read it.
enum class RowFacts : quint8 { Known, Missing, Unreadable };

// One row of the result list, keyed by the file's full path. A million rows
// must fit in memory, so a row keeps numbers and shared texts: the key is
// folder and name joined, the size and time texts are made when shown, the
// folder is shared by the rows of one folder and the status is one of a few
// interned texts.
struct ResultRow {
    enum Column { StatusColumn, NameColumn, SizeColumn, TimeColumn, FolderColumn, ColumnCount };

    QString fileName;
    const QString *folderText = nullptr; // an entry of the list's folder table
    qint64 size = 0;                     // bytes
    qint64 mtime = 0;                    // seconds since the epoch
    int icon = 0;                        // image in the icon store, 0 for none
    int id = -1;                         // the row's slot in the key index, stable across sorts
    quint32 statusCode = 0;              // see StatusText; 0 is the empty status
    RowFacts facts = RowFacts::Known;
    bool checked = false;

    const QString &folder() const;
    const QString &status() const;
    void setStatus(const QString &text);
    QString sizeKB() const;
    QString modified() const;
    QString key() const;
    // The text a column shows.
    QString text(int column) const;
};

// Rows move as bytes: a growing list of a million rows is moved by the
// system, not copied row by row beside the old one.
Q_DECLARE_TYPEINFO(ResultRow, Q_RELOCATABLE_TYPE);

// The status texts rows use, each kept once. Code 0 is the empty text.
namespace StatusText {
quint32 codeOf(const QString &text);
const QString &text(quint32 code);
int count();
} // namespace StatusText

// The size texts of a gone and an unreadable file, and their time text.
const QString &MissingSizeText();
const QString &UnreadableSizeText();
const QString &NoTimeText();
