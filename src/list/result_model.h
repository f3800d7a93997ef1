#pragma once
#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QString>

#include "list/engine/key_index.h"
#include "shell/engine/file_error.h"
#include <deque>
#include <functional>
#include <vector>

struct FoundFile;

class ResultModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        StatusColumn = ResultRow::StatusColumn,
        NameColumn = ResultRow::NameColumn,
        SizeColumn = ResultRow::SizeColumn,
        TimeColumn = ResultRow::TimeColumn,
        FolderColumn = ResultRow::FolderColumn,
        ColumnCount = ResultRow::ColumnCount
    };

    explicit ResultModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Adds many rows with one insertion signal; returns how many were new.
    int addRows(const std::vector<const FoundFile *> &files, const std::vector<int> &icons);
    void clear();
    // Removes the rows marked in the mask. Few runs of rows go one signal per
    // run (the view keeps its selection); many go as one reset.
    // Returns whether the model was reset.
    bool removeRowsMarked(const std::vector<char> &remove);
    // Takes the marked rows out of the key index ahead of removing them, so
    // that at a million rows the two can happen in separate event-loop turns.
    // Until then the rows still show, but are no longer found by key.
    void forgetKeysMarked(const std::vector<char> &remove);

    int findKey(const QString &key) const; // row index or -1
    QString key(int row) const { return m_rows[static_cast<size_t>(row)].key(); }
    const ResultRow &row(int i) const { return m_rows[static_cast<size_t>(i)]; }
    int size() const { return static_cast<int>(m_rows.size()); }

    void setChecked(int row, bool checked);
    void setAllChecked(bool checked);
    // A new status; a failed row's cause, where one is given, shows as the
    // status cell's tooltip and accessible description until the next status.
    void setStatus(int row, const QString &status, FileError cause = FileError());
    // A fresh look at the file: its size and time, or that it is gone or unreadable.
    void setFacts(int row, RowFacts facts, qint64 size = 0, qint64 mtime = 0);
    void setFileName(int row, const QString &fileName); // the key follows the name

    void setIcons(const QList<QIcon> *icons) { m_icons = icons; }

    // Sorts by one column's text; the size column by the number it shows,
    // the time column in time order.
    void sortRows(int column, Qt::SortOrder order);

private:
    void updatePositions(size_t from = 0);
    KeyIndex::RowOf rowOf() const;
    void applyOrder(const std::vector<int> &perm);
    const QString *folderEntry(const QString &folder);

    QList<ResultRow> m_rows; // grows in place, see ResultRow
    QList<int> m_pos;        // id -> row, -1 for a removed row
    int m_visible = 0;       // rows the views know of
    KeyIndex m_index;
    std::deque<QString> m_folders; // each folder once; rows point into it
    QHash<QString, const QString *> m_folderOf;
    const QList<QIcon> *m_icons = nullptr;
    QHash<int, FileError> m_causes; // by row id; failed rows only
};
