#include "list/result_model.h"

#include "list/engine/row_order.h"
#include "search/engine/found_file.h"
#include "shell/engine/file_system.h"

#include <QDir>
#include <algorithm>
#ifdef __GLIBC__
#include <malloc.h>
#endif

ResultModel::ResultModel(QObject *parent) : QAbstractTableModel(parent) { }

int ResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_visible;
}

int ResultModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ResultModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= size())
        return QVariant();
    const ResultRow &r = row(index.row());
    switch (role) {
    case Qt::DisplayRole:
        // The key keeps a name's bytes; the user sees what can be shown.
        switch (index.column()) {
        case NameColumn: return ShownFileName(r.fileName);
        case FolderColumn: return ShownFileName(r.folder());
        default: return r.text(index.column());
        }
    case Qt::CheckStateRole:
        if (index.column() == StatusColumn)
            return r.checked ? Qt::Checked : Qt::Unchecked;
        break;
    case Qt::DecorationRole:
        if (index.column() == StatusColumn && m_icons && r.icon >= 1 && r.icon <= m_icons->size())
            return m_icons->at(r.icon - 1);
        break;
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        if (index.column() == StatusColumn) {
            const QString why = CauseText(m_causes.value(r.id));
            if (!why.isEmpty())
                return why;
        }
        break;
    case Qt::TextAlignmentRole:
        if (index.column() == SizeColumn)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    default: break;
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

const QString *ResultModel::folderEntry(const QString &folder)
{
    auto it = m_folderOf.constFind(folder);
    if (it != m_folderOf.cend())
        return *it;
    m_folders.push_back(folder);
    const QString *entry = &m_folders.back();
    m_folderOf.insert(folder, entry);
    return entry;
}

int ResultModel::addRows(const std::vector<const FoundFile *> &files, const std::vector<int> &icons)
{
    // New rows are staged behind the rows the views know of, then announced
    // at once: no second copy of a million rows.
    const size_t first = static_cast<size_t>(m_rows.size());
    const size_t want = first + files.size();
    const KeyIndex::RowOf rowOf = [this](int id) -> const ResultRow & { return m_rows.at(m_pos.at(id)); };
    m_index.reserve(want, rowOf);
    // The files of one folder come together and share their folder's text.
    const QString *lastFolder = nullptr;
    const QChar *lastFolderData = nullptr;
    for (size_t i = 0; i < files.size(); ++i) {
        const FoundFile &f = *files[i];
        // A file named twice, listed before or earlier in this batch, is added once.
        if (m_index.find(f.FolderPath, f.FileName, rowOf) >= 0)
            continue; // listed already: the row keeps its status, facts and tick
        if (!lastFolder || f.FolderPath.constData() != lastFolderData || *lastFolder != f.FolderPath) {
            lastFolder = folderEntry(f.FolderPath);
            lastFolderData = f.FolderPath.constData();
        }
        ResultRow r;
        r.fileName = f.FileName;
        r.folderText = lastFolder;
        r.size = f.Size;
        r.mtime = f.MTime;
        r.icon = i < icons.size() ? icons[i] : 0;
        r.id = static_cast<int>(m_pos.size());
        m_pos.push_back(static_cast<int>(m_rows.size()));
        m_rows.push_back(std::move(r));
        m_index.insert(m_rows.constLast(), rowOf);
    }
    const int added = static_cast<int>(static_cast<size_t>(m_rows.size()) - first);
    if (added == 0)
        return 0;
    beginInsertRows(QModelIndex(), static_cast<int>(first), static_cast<int>(first) + added - 1);
    m_visible = static_cast<int>(m_rows.size());
    endInsertRows();
    return added;
}

void ResultModel::clear()
{
    beginResetModel();
    m_rows = QList<ResultRow>();
    m_pos = QList<int>();
    m_index.clear();
    m_folders.clear();
    m_folderOf.clear();
    m_causes.clear(); // ids start again at 0
    m_visible = 0;
    endResetModel();
#ifdef __GLIBC__
    // glibc keeps freed small blocks for later use: the names of a million
    // rows would stay resident, some 100 MB, until a trim gives them back.
    malloc_trim(0);
#endif
}

bool ResultModel::removeRowsMarked(const std::vector<char> &remove)
{
    const size_t n = std::min(remove.size(), static_cast<size_t>(m_rows.size()));
    size_t runs = 0;
    for (size_t i = 0; i < n; ++i)
        runs += remove[i] && (i == 0 || !remove[i - 1]);
    if (runs == 0)
        return false;
    forgetKeysMarked(remove);
    const bool reset = runs > 64;
    if (reset) {
        beginResetModel();
        size_t out = 0;
        for (size_t i = 0; i < static_cast<size_t>(m_rows.size()); ++i)
            if (i >= n || !remove[i])
                m_rows[out++] = std::move(m_rows[i]);
        m_rows.resize(out);
        m_visible = static_cast<int>(out);
        updatePositions();
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
        m_visible = static_cast<int>(m_rows.size());
        updatePositions(first);
        endRemoveRows();
        end = first;
    }
    return false;
}

void ResultModel::forgetKeysMarked(const std::vector<char> &remove)
{
    const size_t n = std::min(remove.size(), static_cast<size_t>(m_rows.size()));
    constexpr size_t Few = 4096;
    std::vector<size_t> fresh;
    size_t count = 0;
    for (size_t i = 0; i < n; ++i) {
        if (!remove[i] || m_pos[m_rows[i].id] < 0)
            continue; // kept, or forgotten already
        m_pos[m_rows[i].id] = -1;
        if (++count <= Few)
            fresh.push_back(i);
    }
    // Many rows leave the index in one pass over it, without hashing their paths.
    if (count > Few)
        m_index.removeIf([this](int id) { return m_pos.at(id) < 0; });
    else
        for (size_t i : fresh)
            m_index.remove(m_rows.at(static_cast<qsizetype>(i)));
    if (count > 0)
        m_causes.removeIf([this](QHash<int, FileError>::iterator c) { return m_pos.at(c.key()) < 0; });
}

KeyIndex::RowOf ResultModel::rowOf() const
{
    return [this](int id) -> const ResultRow & { return m_rows[static_cast<size_t>(m_pos[static_cast<size_t>(id)])]; };
}

int ResultModel::findKey(const QString &key) const
{
    const int id = m_index.find(key, rowOf());
    return id < 0 ? -1 : m_pos[static_cast<size_t>(id)];
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

void ResultModel::setStatus(int r, const QString &status, FileError cause)
{
    if (r < 0 || r >= size())
        return;
    ResultRow &row = m_rows[static_cast<size_t>(r)];
    row.setStatus(status);
    QList<int> roles = {Qt::DisplayRole};
    const bool hadCause = m_causes.contains(row.id);
    if (cause.failed())
        m_causes.insert(row.id, cause);
    else if (hadCause)
        m_causes.remove(row.id);
    if (hadCause || cause.failed())
        roles << Qt::ToolTipRole << Qt::AccessibleDescriptionRole;
    const QModelIndex i = index(r, StatusColumn);
    emit dataChanged(i, i, roles);
}

void ResultModel::setFacts(int r, RowFacts facts, qint64 size, qint64 mtime)
{
    if (r < 0 || r >= this->size())
        return;
    ResultRow &row = m_rows[static_cast<size_t>(r)];
    row.facts = facts;
    row.size = facts == RowFacts::Known ? size : 0;
    row.mtime = facts == RowFacts::Known ? mtime : 0;
    emit dataChanged(index(r, SizeColumn), index(r, TimeColumn), {Qt::DisplayRole});
}

void ResultModel::setFileName(int r, const QString &fileName)
{
    if (r < 0 || r >= size())
        return;
    ResultRow &row = m_rows[static_cast<size_t>(r)];
    m_index.remove(row);
    row.fileName = fileName;
    m_index.insert(row, rowOf());
    emit dataChanged(index(r, NameColumn), index(r, NameColumn), {Qt::DisplayRole});
}

void ResultModel::updatePositions(size_t from)
{
    for (size_t i = from; i < static_cast<size_t>(m_rows.size()); ++i)
        m_pos[static_cast<size_t>(m_rows[i].id)] = static_cast<int>(i);
}

void ResultModel::sortRows(int column, Qt::SortOrder order)
{
    const std::vector<int> perm =
        SortedOrder({m_rows.constData(), static_cast<size_t>(m_rows.size())}, column, order == Qt::DescendingOrder);
    if (!perm.empty())
        applyOrder(perm);
}

// Moves the rows into the new order and carries the views' persistent
// indexes (selection, current row) along.
void ResultModel::applyOrder(const std::vector<int> &perm)
{
    const size_t n = static_cast<size_t>(m_rows.size());
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    // In place, cycle by cycle: a second copy of a million rows would raise
    // the peak by its size.
    std::vector<char> placed(n);
    for (size_t start = 0; start < n; ++start) {
        if (placed[start])
            continue;
        ResultRow held = std::move(m_rows[start]);
        size_t at = start;
        for (;;) {
            placed[at] = 1;
            const size_t from = static_cast<size_t>(perm[at]);
            if (from != start) // the next row of the cycle, asked for ahead
                __builtin_prefetch(&m_rows.at(perm[from]));
            if (from == start) {
                m_rows[at] = std::move(held);
                break;
            }
            m_rows[at] = std::move(m_rows[from]);
            at = from;
        }
    }
    updatePositions();

    if (!before.isEmpty()) {
        std::vector<int> newPos(n);
        for (size_t i = 0; i < n; ++i)
            newPos[static_cast<size_t>(perm[i])] = static_cast<int>(i);
        QModelIndexList after;
        after.reserve(before.size());
        for (const QModelIndex &i : before)
            after.append(index(newPos[static_cast<size_t>(i.row())], i.column()));
        changePersistentIndexList(before, after);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
