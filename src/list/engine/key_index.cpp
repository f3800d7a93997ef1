#include "list/engine/key_index.h"

#include <QDir>
#include <algorithm>

namespace {

// A full path as folder, separator and name, without joining them.
struct PathParts {
    QStringView folder;
    bool separator = false;
    QStringView name;

    explicit PathParts(QStringView whole) : folder(whole) { }
    PathParts(const QString &f, const QString &n)
        : folder(f), separator(!f.endsWith(QDir::separator()) && !f.endsWith(QLatin1Char('/'))), name(n)
    { }
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

size_t KeyIndex::hashOf(const ResultRow &row)
{
    return hashParts(PathParts(row.folder(), row.fileName));
}

void KeyIndex::clear()
{
    // Given back, not kept: the next fill makes a table of its own size, and
    // a million rows' table is 16 MB.
    std::vector<quint64>().swap(m_slots);
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
    // The tag is the hash's low half, all a table under 2^32 slots uses.
    Q_UNUSED(rowOf);
    for (quint64 slot : old)
        if (slot != EmptySlot && slot != RemovedSlot)
            insertId(static_cast<int>(slot & 0xffffffffu), static_cast<size_t>(slot >> 32));
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
        return sameParts(PathParts(r.folder(), r.fileName), wanted);
    });
}

int KeyIndex::find(const QString &folder, const QString &name, const RowOf &rowOf) const
{
    const PathParts wanted(folder, name);
    return lookup(hashParts(wanted), [&](int id) {
        const ResultRow &r = rowOf(id);
        return sameParts(PathParts(r.folder(), r.fileName), wanted);
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

void KeyIndex::removeIf(const std::function<bool(int id)> &gone)
{
    // Marked, not emptied: rows further along a probe chain stay reachable.
    for (quint64 &slot : m_slots)
        if (slot != EmptySlot && slot != RemovedSlot && gone(static_cast<int>(slot & 0xffffffffu)))
            slot = RemovedSlot;
}
