#include "list/engine/row_order.h"

#include "shell/engine/file_texts.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <memory>

namespace {

// A sort key, and the row it came from. Equal keys keep the rows' order:
// every sort here is stable and starts from the rows in their order.
struct Item {
    quint64 key;
    quint64 key2; // a second, lesser key
    quint32 aux;  // a third, lesser key byte
    quint32 row;
};

bool less(const Item &a, const Item &b)
{
    if (a.key != b.key)
        return a.key < b.key;
    return a.key2 != b.key2 ? a.key2 < b.key2 : a.aux < b.aux;
}

bool sameKey(const Item &a, const Item &b)
{
    return a.key == b.key && a.key2 == b.key2 && a.aux == b.aux;
}

// Stable least-significant-byte radix sort by key, key2, then aux; bytes in
// which every item agrees cost no pass.
void radixSort(Item *items, size_t n, Item *spare)
{
    if (n < 64) {
        std::stable_sort(items, items + n, less);
        return;
    }
    constexpr int Bytes = 17; // aux's low byte, then key2's eight, then the key's eight
    auto byteOf = [](const Item &it, int b) -> unsigned {
        if (b == 0)
            return it.aux & 0xffu;
        return static_cast<unsigned>(((b <= 8 ? it.key2 : it.key) >> (8 * ((b - 1) % 8))) & 0xffu);
    };
    std::array<std::array<size_t, 256>, Bytes> counts{};
    for (size_t i = 0; i < n; ++i) {
        counts[0][items[i].aux & 0xffu]++;
        quint64 k = items[i].key2;
        for (int b = 1; b <= 8; ++b, k >>= 8)
            counts[static_cast<size_t>(b)][k & 0xffu]++;
        k = items[i].key;
        for (int b = 9; b < Bytes; ++b, k >>= 8)
            counts[static_cast<size_t>(b)][k & 0xffu]++;
    }
    Item *from = items, *to = spare;
    for (int b = 0; b < Bytes; ++b) {
        auto &c = counts[static_cast<size_t>(b)];
        if (c[byteOf(from[0], b)] == n)
            continue;
        size_t sum = 0;
        for (size_t &v : c) {
            const size_t here = v;
            v = sum;
            sum += here;
        }
        for (size_t i = 0; i < n; ++i)
            to[c[byteOf(from[i], b)]++] = from[i];
        std::swap(from, to);
    }
    if (from != items)
        std::copy(from, from + n, items);
}

// Stable most-significant-byte radix sort, for keys of which only a few bytes
// tell the items apart (names sharing their first letters): it goes straight
// to the first byte in which the items differ, then sorts each part apart.
void msdSort(Item *items, size_t n, Item *spare)
{
    if (n < 64) {
        std::stable_sort(items, items + n, less);
        return;
    }
    quint64 diff = 0, diff2 = 0;
    quint32 diffAux = 0;
    for (size_t i = 1; i < n; ++i) {
        diff |= items[i].key ^ items[0].key;
        diff2 |= items[i].key2 ^ items[0].key2;
        diffAux |= (items[i].aux ^ items[0].aux) & 0xffu;
    }
    int shift;
    int part; // 0 key, 1 key2, 2 aux
    if (diff) {
        part = 0;
        shift = (63 - __builtin_clzll(diff)) / 8 * 8;
    } else if (diff2) {
        part = 1;
        shift = (63 - __builtin_clzll(diff2)) / 8 * 8;
    } else if (diffAux) {
        part = 2;
        shift = 0;
    } else {
        return; // all equal: their order stands
    }
    auto byteOf = [part, shift](const Item &it) -> size_t {
        const quint64 v = part == 0 ? it.key : part == 1 ? it.key2 : it.aux;
        return static_cast<size_t>((v >> shift) & 0xffu);
    };
    std::array<size_t, 256> count{}, at{};
    for (size_t i = 0; i < n; ++i)
        count[byteOf(items[i])]++;
    for (size_t b = 1; b < 256; ++b)
        at[b] = at[b - 1] + count[b - 1];
    for (size_t i = 0; i < n; ++i)
        spare[at[byteOf(items[i])]++] = items[i];
    std::copy(spare, spare + n, items);
    size_t start = 0;
    for (size_t b = 0; b < 256; ++b) {
        if (count[b] > 1)
            msdSort(items + start, count[b], spare + start);
        start += count[b];
    }
}

// Ranks of a few distinct texts in the order the list compares texts: no
// regard to case, and texts that compare equal share a rank.
template <typename T> QHash<T, quint64> ranksOf(std::vector<std::pair<QString, T>> texts)
{
    std::stable_sort(texts.begin(), texts.end(),
                     [](const auto &a, const auto &b) { return a.first.compare(b.first, Qt::CaseInsensitive) < 0; });
    QHash<T, quint64> rank;
    quint64 r = 0;
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i > 0 && texts[i - 1].first.compare(texts[i].first, Qt::CaseInsensitive) != 0)
            ++r;
        rank.insert(texts[i].second, r);
    }
    return rank;
}

// UTF-16 units as the list's text comparison folds them, 0 for a unit that
// folds outside the basic plane.
const char16_t *foldTable()
{
    static const std::unique_ptr<char16_t[]> table = [] {
        auto t = std::make_unique<char16_t[]>(0x10000);
        for (char32_t c = 0; c < 0x10000; ++c) {
            const char32_t f = QChar::toCaseFolded(c);
            t[c] = f > 0xffff || (c != 0 && f == 0) ? 0 : static_cast<char16_t>(f);
        }
        return t;
    }();
    return table.get();
}

// Names compared as the list compares texts, eight folded units at a time:
// each group of names equal so far is sorted by its next eight units. A
// group holding a unit that does not fold into one unit (a surrogate pair)
// is sorted by the full comparison instead.
void sortNames(std::span<const ResultRow> rows, std::vector<Item> &items, bool desc)
{
    const char16_t *fold = foldTable();
    constexpr qsizetype Units = 8;
    constexpr quint32 Continues = Units + 1;
    std::vector<Item> spare(items.size());
    struct Group {
        size_t begin, end;
        qsizetype depth;
    };
    std::vector<Group> todo{{0, items.size(), 0}};
    while (!todo.empty()) {
        const Group g = todo.back();
        todo.pop_back();
        bool exact = true;
        for (size_t i = g.begin; i < g.end; ++i) {
            // The rows lie anywhere in memory: ask for them ahead of use.
            if (i + 16 < g.end)
                __builtin_prefetch(&rows[items[i + 16].row]);
            if (i + 8 < g.end) {
                const QString &ahead = rows[items[i + 8].row].fileName;
                __builtin_prefetch(ahead.constData() + std::min(g.depth * Units, ahead.size()));
            }
            const QString &s = rows[items[i].row].fileName;
            const qsizetype at = g.depth * Units;
            const qsizetype left = s.size() - at;
            quint64 key[2] = {0, 0};
            for (qsizetype u = 0; u < Units; ++u) {
                quint64 &k = key[u / 4];
                k <<= 16;
                if (u >= left)
                    continue;
                const char16_t c = s.at(at + u).unicode();
                const char16_t f = fold[c];
                if ((f == 0 && c != 0) || (QChar::isLowSurrogate(c) && at + u > 0 && s.at(at + u - 1).isHighSurrogate()))
                    exact = false;
                k |= f;
            }
            const quint32 aux = static_cast<quint32>(std::min<qsizetype>(left, Continues));
            items[i].key = desc ? ~key[0] : key[0];
            items[i].key2 = desc ? ~key[1] : key[1];
            items[i].aux = desc ? 255 - aux : aux;
        }
        Item *first = items.data() + g.begin;
        const size_t n = g.end - g.begin;
        if (!exact) {
            std::stable_sort(first, first + n, [&](const Item &a, const Item &b) {
                const int c = rows[a.row].fileName.compare(rows[b.row].fileName, Qt::CaseInsensitive);
                return desc ? c > 0 : c < 0;
            });
            continue;
        }
        msdSort(first, n, spare.data());
        const quint32 more = desc ? 255 - Continues : Continues;
        for (size_t i = g.begin; i < g.end;) {
            size_t j = i + 1;
            while (j < g.end && sameKey(items[j], items[i]))
                ++j;
            if (j - i > 1 && items[i].aux == more)
                todo.push_back({i, j, g.depth + 1});
            i = j;
        }
    }
}

} // namespace

std::vector<int> SortedOrder(std::span<const ResultRow> rows, int column, bool desc)
{
    if (rows.size() < 2 || column < 0 || column >= ResultRow::ColumnCount)
        return {};
    const size_t n = rows.size();
    std::vector<Item> items(n);
    for (size_t i = 0; i < n; ++i)
        items[i] = {0, 0, 0, static_cast<quint32>(i)};

    if (column == ResultRow::NameColumn) {
        sortNames(rows, items, desc);
    } else {
        // Every other column orders by one integer per row.
        switch (column) {
        case ResultRow::StatusColumn: {
            std::vector<std::pair<QString, quint32>> texts;
            for (quint32 code = 0; code < static_cast<quint32>(StatusText::count()); ++code)
                texts.emplace_back(StatusText::text(code), code);
            const QHash<quint32, quint64> rank = ranksOf(std::move(texts));
            for (size_t i = 0; i < n; ++i)
                items[i].key = rank.value(rows[i].statusCode);
            break;
        }
        case ResultRow::SizeColumn:
            // By the number shown. The texts of a gone or unreadable file show
            // none and sort as text against the padded numbers: before them
            // all, the gone ones first.
            for (size_t i = 0; i < n; ++i) {
                const ResultRow &r = rows[i];
                items[i].key = r.facts == RowFacts::Missing ? 0 : r.facts == RowFacts::Unreadable ? 1 : SizeThousandths(r.size) + 2;
            }
            break;
        case ResultRow::TimeColumn:
            // In time order; a row without a time shows a blank, before all.
            for (size_t i = 0; i < n; ++i) {
                const ResultRow &r = rows[i];
                const quint64 biased = static_cast<quint64>(r.mtime) ^ (1ULL << 63);
                items[i].key = r.facts != RowFacts::Known ? 0 : std::max<quint64>(biased, 1);
            }
            break;
        case ResultRow::FolderColumn: {
            // Rows of one folder share its text: rank the few folders, then
            // give each row its folder's rank.
            QHash<const QString *, quint32> slot;
            std::vector<std::pair<QString, quint32>> texts;
            const QString *last = nullptr;
            quint32 lastSlot = 0;
            for (size_t i = 0; i < n; ++i) {
                const QString *f = rows[i].folderText;
                if (i == 0 || f != last) {
                    auto it = slot.find(f);
                    if (it == slot.end()) {
                        it = slot.insert(f, static_cast<quint32>(texts.size()));
                        texts.emplace_back(rows[i].folder(), *it);
                    }
                    last = f;
                    lastSlot = *it;
                }
                items[i].key = lastSlot;
            }
            const QHash<quint32, quint64> rank = ranksOf(std::move(texts));
            std::vector<quint64> rankOf(rank.size());
            for (auto it = rank.cbegin(); it != rank.cend(); ++it)
                rankOf[it.key()] = it.value();
            for (Item &it : items)
                it.key = rankOf[it.key];
            break;
        }
        }
        if (desc)
            for (Item &it : items)
                it.key = ~it.key;
        std::vector<Item> spare(n);
        radixSort(items.data(), n, spare.data());
    }

    // Already in order (all texts equal, say): nothing moves.
    std::vector<int> perm(n);
    bool moved = false;
    for (size_t i = 0; i < n; ++i) {
        perm[i] = static_cast<int>(items[i].row);
        moved = moved || perm[i] != static_cast<int>(i);
    }
    if (!moved)
        return {};
    return perm;
}
