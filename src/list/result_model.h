#pragma once
#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QString>
#include <functional>
#include <vector>

struct FoundFile;

// One row of the result list, keyed by the file's full path.
struct ResultRow {
    QString status;
    QString fileName;
    QString sizeKB;
    QString modified;
    QString folder; // shared by the rows of one folder
    QString key;    // full path; shares its text with the key index
    int icon = 0;   // image in the icon store, 0 for none
    bool checked = false;
};

// Keys compare as the platform compares paths.
#ifdef Q_OS_WIN
struct PathKey {
    QString folded;
    bool operator==(const PathKey &o) const { return folded == o.folded; }
};
inline size_t qHash(const PathKey &k, size_t seed = 0) { return qHash(k.folded, seed); }
inline PathKey pathKey(const QString &path) { return PathKey{path.toCaseFolded()}; }
#else
using PathKey = QString;
inline const QString &pathKey(const QString &path) { return path; }
#endif

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

    // Adds a row for a found file unless its key is listed already.
    bool addRow(const FoundFile &file, int icon);
    // Adds many rows with one insertion signal; returns how many were new.
    int addRows(const std::vector<const FoundFile *> &files, const std::vector<int> &icons);
    void clear();
    void removeRowsWhere(const std::function<bool(const ResultRow &)> &test);
    // Removes the rows marked in the mask. Few runs of rows go one signal per
    // run (the view keeps its selection); many go as one reset.
    // Returns whether the model was reset.
    bool removeRowsMarked(const std::vector<char> &remove);

    int findKey(const QString &key) const; // row index or -1
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
    void rebuildIndex();
    static const QString &cellText(const ResultRow &r, int column);

    std::vector<ResultRow> m_rows;
    QHash<PathKey, int> m_index;
    const QList<QIcon> *m_icons = nullptr;
};
