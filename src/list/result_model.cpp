#include "list/result_model.h"

#include "search/found_file.h"
#include "shell/file_texts.h"

#include <algorithm>
#include <numeric>

ResultModel::ResultModel(QObject *parent) : QAbstractTableModel(parent) {}

int ResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : size();
}

int ResultModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

const QString &ResultModel::cellText(const ResultRow &r, int column)
{
    static const QString none;
    switch (column) {
    case StatusColumn: return r.status;
    case NameColumn: return r.fileName;
    case SizeColumn: return r.sizeKB;
    case TimeColumn: return r.modified;
    case FolderColumn: return r.folder;
    }
    return none;
}

QVariant ResultModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= size())
        return QVariant();
    const ResultRow &r = row(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return cellText(r, index.column());
    case Qt::CheckStateRole:
        if (index.column() == StatusColumn)
            return r.checked ? Qt::Checked : Qt::Unchecked;
        break;
    case Qt::DecorationRole:
        if (index.column() == StatusColumn && m_icons && r.icon >= 1 && r.icon <= m_icons->size())
            return m_icons->at(r.icon - 1);
        break;
    case Qt::TextAlignmentRole:
        if (index.column() == SizeColumn)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        break;
    }
    return QVariant();
}

bool ResultModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::CheckStateRole || index.column() != StatusColumn)
        return false;
    setChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags ResultModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == StatusColumn)
        f |= Qt::ItemIsUserCheckable;
    return f; // never editable: only the commands write a row's texts
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return QVariant();
    if (role == Qt::DisplayRole) {
        switch (section) {
        case StatusColumn: return QStringLiteral("替换状态");
        case NameColumn: return QStringLiteral("文件名");
        case SizeColumn: return QStringLiteral("文件大小(KB)");
        case TimeColumn: return QStringLiteral("修改日期");
        case FolderColumn: return QStringLiteral("文件路径");
        }
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue((section == SizeColumn ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    return QVariant();
}

bool ResultModel::addRow(const FoundFile &file, int icon)
{
    return addRows({&file}, {icon}) == 1;
}

int ResultModel::addRows(const std::vector<const FoundFile *> &files, const std::vector<int> &icons)
{
    const int first = size();
    std::vector<ResultRow> fresh;
    fresh.reserve(files.size());
    m_index.reserve(m_index.size() + static_cast<qsizetype>(files.size()));
    for (size_t i = 0; i < files.size(); ++i) {
        const FoundFile &f = *files[i];
        const qsizetype before = m_index.size();
        int &slot = m_index[pathKey(f.FullPath)];
        if (m_index.size() == before)
            continue; // listed already: the row keeps its status, facts and tick
        slot = first + static_cast<int>(fresh.size());
        ResultRow r;
        r.fileName = f.FileName;
        r.sizeKB = f.SizeKB;
        r.modified = f.Modified;
        r.folder = f.FolderPath;
        r.key = f.FullPath;
        r.icon = i < icons.size() ? icons[i] : 0;
        fresh.push_back(std::move(r));
    }
    if (fresh.empty())
        return 0;
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(fresh.size()) - 1);
    m_rows.reserve(m_rows.size() + fresh.size());
    std::move(fresh.begin(), fresh.end(), std::back_inserter(m_rows));
    endInsertRows();
    return static_cast<int>(fresh.size());
}

void ResultModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_index.clear();
    endResetModel();
}

void ResultModel::removeRowsWhere(const std::function<bool(const ResultRow &)> &test)
{
    std::vector<char> mask(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i)
        mask[i] = test(m_rows[i]);
    removeRowsMarked(mask);
}

bool ResultModel::removeRowsMarked(const std::vector<char> &remove)
{
    const size_t n = std::min(remove.size(), m_rows.size());
    size_t runs = 0;
    for (size_t i = 0; i < n; ++i)
        runs += remove[i] && (i == 0 || !remove[i - 1]);
    if (runs == 0)
        return false;
    const bool reset = runs > 64;
    if (reset) {
        beginResetModel();
        size_t out = 0;
        for (size_t i = 0; i < m_rows.size(); ++i)
            if (i >= n || !remove[i])
                m_rows[out++] = std::move(m_rows[i]);
        m_rows.resize(out);
        rebuildIndex();
        endResetModel();
        return true;
    }
    // From the end, so earlier positions stay valid.
    for (size_t end = n; end > 0;) {
        size_t last = end;
        while (last > 0 && !remove[last - 1])
            --last;
        if (last == 0)
            break;
        size_t first = last - 1;
        while (first > 0 && remove[first - 1])
            --first;
        beginRemoveRows(QModelIndex(), static_cast<int>(first), static_cast<int>(last - 1));
        m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(first), m_rows.begin() + static_cast<std::ptrdiff_t>(last));
        endRemoveRows();
        end = first;
    }
    rebuildIndex();
    return false;
}

int ResultModel::findKey(const QString &key) const
{
    return m_index.value(pathKey(key), -1);
}

void ResultModel::setChecked(int r, bool checked)
{
    if (r < 0 || r >= size() || m_rows[static_cast<size_t>(r)].checked == checked)
        return;
    m_rows[static_cast<size_t>(r)].checked = checked;
    const QModelIndex i = index(r, StatusColumn);
    emit dataChanged(i, i, {Qt::CheckStateRole});
}

void ResultModel::setAllChecked(bool checked)
{
    for (ResultRow &r : m_rows)
        r.checked = checked;
    if (!m_rows.empty())
        emit dataChanged(index(0, StatusColumn), index(size() - 1, StatusColumn), {Qt::CheckStateRole});
}

void ResultModel::setStatus(int r, const QString &status)
{
    if (r < 0 || r >= size())
        return;
    m_rows[static_cast<size_t>(r)].status = status;
    const QModelIndex i = index(r, StatusColumn);
    emit dataChanged(i, i, {Qt::DisplayRole});
}

void ResultModel::setFacts(int r, const QString &sizeKB, const QString &modified)
{
    if (r < 0 || r >= size())
        return;
    ResultRow &row = m_rows[static_cast<size_t>(r)];
    row.sizeKB = sizeKB;
    row.modified = modified;
    emit dataChanged(index(r, SizeColumn), index(r, TimeColumn), {Qt::DisplayRole});
}

void ResultModel::setFileName(int r, const QString &fileName)
{
    if (r < 0 || r >= size())
        return;
    ResultRow &row = m_rows[static_cast<size_t>(r)];
    m_index.remove(pathKey(row.key));
    row.fileName = fileName;
    row.key = row.folder.endsWith(QLatin1Char('/')) ? row.folder + fileName
                                                    : row.folder + QLatin1Char('/') + fileName;
#ifdef Q_OS_WIN
    row.key = QString(row.key).replace(QLatin1Char('/'), QLatin1Char('\\'));
#endif
    m_index.insert(pathKey(row.key), r);
    emit dataChanged(index(r, NameColumn), index(r, NameColumn), {Qt::DisplayRole});
}

void ResultModel::rebuildIndex()
{
    m_index.clear();
    m_index.reserve(size());
    for (int i = 0; i < size(); ++i)
        m_index.insert(pathKey(m_rows[static_cast<size_t>(i)].key), i);
}

void ResultModel::sortRows(int column, Qt::SortOrder order)
{
    if (m_rows.size() < 2 || column < 0 || column >= ColumnCount)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();

    std::vector<int> perm(m_rows.size());
    std::iota(perm.begin(), perm.end(), 0);
    const bool desc = order == Qt::DescendingOrder;

    if (column == SizeColumn) {
        // By the number shown; texts that show none sort as text against the
        // zero-padded numbers ("000000001234.567"), so before or after them all.
        struct Key { int group; double value; };
        std::vector<Key> keys(m_rows.size());
        for (size_t i = 0; i < m_rows.size(); ++i) {
            double v = 0;
            if (ParseSizeText(m_rows[i].sizeKB, &v))
                keys[i] = {1, v};
            else
                keys[i] = {m_rows[i].sizeKB.compare(QLatin1String("0"), Qt::CaseInsensitive) < 0 ? 0 : 2, 0};
        }
        std::stable_sort(perm.begin(), perm.end(), [&](int a, int b) {
            const Key &ka = keys[static_cast<size_t>(a)], &kb = keys[static_cast<size_t>(b)];
            int c = ka.group != kb.group ? (ka.group < kb.group ? -1 : 1) : 0;
            if (c == 0 && ka.group == 1)
                c = ka.value < kb.value ? -1 : (kb.value < ka.value ? 1 : 0);
            else if (c == 0)
                c = m_rows[static_cast<size_t>(a)].sizeKB.compare(m_rows[static_cast<size_t>(b)].sizeKB, Qt::CaseInsensitive);
            return desc ? c > 0 : c < 0;
        });
    } else {
        std::stable_sort(perm.begin(), perm.end(), [&](int a, int b) {
            const int c = cellText(m_rows[static_cast<size_t>(a)], column)
                              .compare(cellText(m_rows[static_cast<size_t>(b)], column), Qt::CaseInsensitive);
            return desc ? c > 0 : c < 0;
        });
    }

    std::vector<ResultRow> sorted;
    sorted.reserve(m_rows.size());
    std::vector<int> newPos(m_rows.size());
    for (size_t i = 0; i < perm.size(); ++i) {
        newPos[static_cast<size_t>(perm[i])] = static_cast<int>(i);
        sorted.push_back(std::move(m_rows[static_cast<size_t>(perm[i])]));
    }
    m_rows.swap(sorted);
    rebuildIndex();

    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &i : before)
        after.append(index(newPos[static_cast<size_t>(i.row())], i.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
