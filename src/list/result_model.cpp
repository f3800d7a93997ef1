#include "list/result_model.h"

#include "search/found_file.h"
#include "shell/file_system.h"
#include "shell/file_texts.h"

#include <QDir>
#include <algorithm>
#include <numeric>

namespace {

// A full path as folder, separator and name, without joining them.
struct PathParts {
    QStringView folder;
    bool separator = false;
    QStringView name;

    explicit PathParts(QStringView whole) : folder(whole) {}
    PathParts(const QString &f, const QString &n)
        : folder(f), separator(!f.endsWith(QDir::separator()) && !f.endsWith(QLatin1Char('/'))), name(n)
    {
    }
    qsizetype size() const { return folder.size() + (separator ? 1 : 0) + name.size(); }
    char16_t at(qsizetype i) const
    {
        if (i < folder.size())
            return folder[i].unicode();
        if (separator && i == folder.size())
            return QDir::separator().unicode();
        return name[i - folder.size() - (separator ? 1 : 0)].unicode();
    }
};

// Paths compare as the platform compares them.
inline char16_t fold(char16_t c)
{
#ifdef Q_OS_WIN
    return QChar(c).toCaseFolded().unicode();
#else
    return c;
#endif
}

size_t hashParts(const PathParts &p)
{
    // FNV-1a over the UTF-16 units of the joined path.
    quint64 h = 14695981039346656037ULL;
    const qsizetype n = p.size();
    for (qsizetype i = 0; i < n; ++i) {
        h ^= fold(p.at(i));
        h *= 1099511628211ULL;
    }
    return static_cast<size_t>(h ^ (h >> 32));
}

bool sameParts(const PathParts &a, const PathParts &b)
{
    const qsizetype n = a.size();
    if (n != b.size())
        return false;
    // Names differ more often than folders: compare from the end.
    for (qsizetype i = n - 1; i >= 0; --i)
        if (fold(a.at(i)) != fold(b.at(i)))
            return false;
    return true;
}

constexpr quint64 EmptySlot = ~0ULL;
constexpr quint64 RemovedSlot = ~0ULL - 1;

} // namespace

QString ResultRow::key() const { return JoinPath(folder, fileName); }

size_t KeyIndex::hashOf(const ResultRow &row) { return hashParts(PathParts(row.folder, row.fileName)); }

void KeyIndex::clear()
{
    m_slots.clear();
    m_used = 0;
}

void KeyIndex::reserve(size_t rows, const RowOf &rowOf)
{
    size_t want = 16;
    while (want < rows * 2)
        want *= 2;
    if (want > m_slots.size())
        rehash(want, rowOf);
}

void KeyIndex::rehash(size_t capacity, const RowOf &rowOf)
{
    std::vector<quint64> old;
    old.swap(m_slots);
    m_slots.assign(capacity, EmptySlot);
    m_used = 0;
    for (quint64 slot : old)
        if (slot != EmptySlot && slot != RemovedSlot)
            insertId(static_cast<int>(slot & 0xffffffffu), hashOf(rowOf(static_cast<int>(slot & 0xffffffffu))));
}

void KeyIndex::insertId(int id, size_t hash)
{
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        if (m_slots[i] == EmptySlot || m_slots[i] == RemovedSlot) {
            m_used += m_slots[i] == EmptySlot;
            m_slots[i] = (static_cast<quint64>(hash & 0xffffffffu) << 32) | static_cast<quint32>(id);
            return;
        }
    }
}

int KeyIndex::find(QStringView path, const RowOf &rowOf) const
{
    const PathParts wanted(path);
    return lookup(hashParts(wanted), [&](int id) {
        const ResultRow &r = rowOf(id);
        return sameParts(PathParts(r.folder, r.fileName), wanted);
    });
}

int KeyIndex::find(const QString &folder, const QString &name, const RowOf &rowOf) const
{
    const PathParts wanted(folder, name);
    return lookup(hashParts(wanted), [&](int id) {
        const ResultRow &r = rowOf(id);
        return sameParts(PathParts(r.folder, r.fileName), wanted);
    });
}

template <typename Same> int KeyIndex::lookup(size_t hash, Same same) const
{
    if (m_slots.empty())
        return -1;
    const size_t mask = m_slots.size() - 1;
    const quint64 tag = hash & 0xffffffffu;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const quint64 slot = m_slots[i];
        if (slot == EmptySlot)
            return -1;
        if (slot != RemovedSlot && (slot >> 32) == tag && same(static_cast<int>(slot & 0xffffffffu)))
            return static_cast<int>(slot & 0xffffffffu);
    }
}

void KeyIndex::insert(const ResultRow &row, const RowOf &rowOf)
{
    if ((m_used + 1) * 2 > m_slots.size())
        rehash(std::max<size_t>(16, m_slots.size() * 2), rowOf);
    insertId(row.id, hashOf(row));
}

void KeyIndex::remove(const ResultRow &row)
{
    if (m_slots.empty())
        return;
    const size_t hash = hashOf(row);
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        if (m_slots[i] == EmptySlot)
            return;
        if (m_slots[i] != RemovedSlot && static_cast<int>(m_slots[i] & 0xffffffffu) == row.id) {
            m_slots[i] = RemovedSlot;
            return;
        }
    }
}

ResultModel::ResultModel(QObject *parent) : QAbstractTableModel(parent) {}

int ResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_visible;
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
        // The key keeps a name's bytes; the user sees what can be shown.
        if (index.column() == NameColumn || index.column() == FolderColumn)
            return ShownFileName(cellText(r, index.column()));
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

int ResultModel::addRows(const std::vector<const FoundFile *> &files, const std::vector<int> &icons)
{
    // New rows are staged behind the rows the views know of, then announced
    // at once: no second copy of a million rows.
    const size_t first = m_rows.size();
    m_rows.reserve(first + files.size());
    const KeyIndex::RowOf rowOf = [this](int id) -> const ResultRow & {
        return m_rows[static_cast<size_t>(m_pos[static_cast<size_t>(id)])];
    };
    m_index.reserve(first + files.size(), rowOf);
    for (size_t i = 0; i < files.size(); ++i) {
        const FoundFile &f = *files[i];
        // A file named twice, listed before or earlier in this batch, is added once.
        if (m_index.find(f.FolderPath, f.FileName, rowOf) >= 0)
            continue; // listed already: the row keeps its status, facts and tick
        ResultRow r;
        r.fileName = f.FileName;
        r.sizeKB = f.SizeKB;
        r.modified = f.Modified;
        r.folder = f.FolderPath;
        r.icon = i < icons.size() ? icons[i] : 0;
        r.id = static_cast<int>(m_pos.size());
        m_pos.push_back(static_cast<int>(m_rows.size()));
        m_rows.push_back(std::move(r));
        m_index.insert(m_rows.back(), rowOf);
    }
    const int added = static_cast<int>(m_rows.size() - first);
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
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_pos.clear();
    m_pos.shrink_to_fit();
    m_index.clear();
    m_visible = 0;
    endResetModel();
}

bool ResultModel::removeRowsMarked(const std::vector<char> &remove)
{
    const size_t n = std::min(remove.size(), m_rows.size());
    size_t runs = 0;
    for (size_t i = 0; i < n; ++i)
        runs += remove[i] && (i == 0 || !remove[i - 1]);
    if (runs == 0)
        return false;
    for (size_t i = 0; i < n; ++i) {
        if (!remove[i])
            continue;
        m_index.remove(m_rows[i]);
        m_pos[static_cast<size_t>(m_rows[i].id)] = -1;
    }
    const bool reset = runs > 64;
    if (reset) {
        beginResetModel();
        size_t out = 0;
        for (size_t i = 0; i < m_rows.size(); ++i)
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
    m_index.remove(row);
    row.fileName = fileName;
    m_index.insert(row, rowOf());
    emit dataChanged(index(r, NameColumn), index(r, NameColumn), {Qt::DisplayRole});
}

void ResultModel::updatePositions(size_t from)
{
    for (size_t i = from; i < m_rows.size(); ++i)
        m_pos[static_cast<size_t>(m_rows[i].id)] = static_cast<int>(i);
}

void ResultModel::sortRows(int column, Qt::SortOrder order)
{
    if (m_rows.size() < 2 || column < 0 || column >= ColumnCount)
        return;
    const bool desc = order == Qt::DescendingOrder;
    const size_t n = m_rows.size();
    // Rows already in that order (all statuses empty, say) need no sort.
    if (column != SizeColumn) {
        bool inOrder = true;
        for (size_t i = 1; i < n && inOrder; ++i) {
            const int c = cellText(m_rows[i - 1], column).compare(cellText(m_rows[i], column), Qt::CaseInsensitive);
            inOrder = desc ? c >= 0 : c <= 0;
        }
        if (inOrder)
            return;
    }
    std::vector<int> perm(n);
    // Keys next to each other in memory, and the row number breaks ties, so
    // equal texts keep their order in either direction.
    if (column == SizeColumn) {
        // By the number shown; texts that show none sort as text against the
        // zero-padded numbers ("000000001234.567"), so before or after them all.
        struct Key { int group; double value; QStringView text; int row; };
        std::vector<Key> keys(n);
        for (size_t i = 0; i < n; ++i) {
            const QString &t = m_rows[i].sizeKB;
            double v = 0;
            if (ParseSizeText(t, &v))
                keys[i] = {1, v, t, static_cast<int>(i)};
            else
                keys[i] = {t.compare(QLatin1String("0"), Qt::CaseInsensitive) < 0 ? 0 : 2, 0, t, static_cast<int>(i)};
        }
        std::sort(keys.begin(), keys.end(), [desc](const Key &a, const Key &b) {
            int c = a.group != b.group ? (a.group < b.group ? -1 : 1) : 0;
            if (c == 0 && a.group == 1)
                c = a.value < b.value ? -1 : (b.value < a.value ? 1 : 0);
            else if (c == 0)
                c = a.text.compare(b.text, Qt::CaseInsensitive);
            if (c == 0)
                return a.row < b.row;
            return desc ? c > 0 : c < 0;
        });
        for (size_t i = 0; i < n; ++i)
            perm[i] = keys[i].row;
    } else {
        struct Key { QStringView text; int row; };
        std::vector<Key> keys(n);
        for (size_t i = 0; i < n; ++i)
            keys[i] = {cellText(m_rows[i], column), static_cast<int>(i)};
        std::sort(keys.begin(), keys.end(), [desc](const Key &a, const Key &b) {
            const int c = a.text.compare(b.text, Qt::CaseInsensitive);
            if (c == 0)
                return a.row < b.row;
            return desc ? c > 0 : c < 0;
        });
        for (size_t i = 0; i < n; ++i)
            perm[i] = keys[i].row;
    }

    // Already in order (all texts equal, say): nothing moves.
    bool moved = false;
    for (size_t i = 0; i < n && !moved; ++i)
        moved = perm[i] != static_cast<int>(i);
    if (!moved)
        return;

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<ResultRow> sorted;
    sorted.reserve(n);
    std::vector<int> newPos(n);
    for (size_t i = 0; i < n; ++i) {
        newPos[static_cast<size_t>(perm[i])] = static_cast<int>(i);
        sorted.push_back(std::move(m_rows[static_cast<size_t>(perm[i])]));
    }
    m_rows.swap(sorted);
    updatePositions();

    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &i : before)
        after.append(index(newPos[static_cast<size_t>(i.row())], i.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
