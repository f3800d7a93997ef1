#pragma once
#include <QAbstractTableModel>
#include <QIcon>
#include <QString>
#include <functional>
#include <vector>

struct FoundFile;

// One row of the result list, keyed by the file's full path. The key is
// the folder and the name joined, never stored: at a million rows the
// memory matters.
struct ResultRow {
    QString status;
    QString fileName;
    QString sizeKB;
    QString modified;
    QString folder; // shared by the rows of one folder
    int icon = 0;   // image in the icon store, 0 for none
    int id = -1;    // the row's slot in the key index, stable across sorts
    bool checked = false;

    QString key() const;
};

// Finds rows by full path without keeping the paths: it hashes folder,
// separator and name as one text, and compares as the platform compares
// paths (letter case counts except on Windows).
class KeyIndex {
public:
    // The row that holds an id.
    using RowOf = std::function<const ResultRow &(int id)>;

    void clear();
    void reserve(size_t rows, const RowOf &rowOf);
    // The id stored under a full path, or under folder + name; -1 for none.
    int find(QStringView path, const RowOf &rowOf) const;
    int find(const QString &folder, const QString &name, const RowOf &rowOf) const;
    void insert(const ResultRow &row, const RowOf &rowOf);
    void remove(const ResultRow &row);

    static size_t hashOf(const ResultRow &row);

private:
    template <typename Same> int lookup(size_t hash, Same same) const;
    void rehash(size_t capacity, const RowOf &rowOf);
    void insertId(int id, size_t hash);

    std::vector<quint64> m_slots; // hash tag << 32 | id
    size_t m_used = 0;            // filled and removed slots
};

class ResultModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { StatusColumn, NameColumn, SizeColumn, TimeColumn, FolderColumn, ColumnCount };

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

    int findKey(const QString &key) const; // row index or -1
    QString key(int row) const { return m_rows[static_cast<size_t>(row)].key(); }
    const ResultRow &row(int i) const { return m_rows[static_cast<size_t>(i)]; }
    int size() const { return static_cast<int>(m_rows.size()); }

    void setChecked(int row, bool checked);
    void setAllChecked(bool checked);
    void setStatus(int row, const QString &status);
    void setFacts(int row, const QString &sizeKB, const QString &modified);
    void setFileName(int row, const QString &fileName); // the key follows the name

    void setIcons(const QList<QIcon> *icons) { m_icons = icons; }

    // Sorts by one column's text; the size column by the number it shows.
    void sortRows(int column, Qt::SortOrder order);

private:
    void updatePositions(size_t from = 0);
    KeyIndex::RowOf rowOf() const;
    static const QString &cellText(const ResultRow &r, int column);

    std::vector<ResultRow> m_rows;
    std::vector<int> m_pos; // id -> row, -1 for a removed row
    int m_visible = 0;      // rows the views know of
    KeyIndex m_index;
    const QList<QIcon> *m_icons = nullptr;
};
