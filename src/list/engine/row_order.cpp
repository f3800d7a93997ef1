#include "list/engine/row_order.h"

#include "shell/engine/file_texts.h"

#include <algorithm>

std::vector<int> SortedOrder(const std::vector<ResultRow> &rows, int column, bool desc)
{
    if (rows.size() < 2 || column < 0 || column >= ResultRow::ColumnCount)
        return {};
    const size_t n = rows.size();
    // Rows already in that order (all statuses empty, say) need no sort.
    if (column != ResultRow::SizeColumn) {
        bool inOrder = true;
        for (size_t i = 1; i < n && inOrder; ++i) {
            const int c = rows[i - 1].text(column).compare(rows[i].text(column), Qt::CaseInsensitive);
            inOrder = desc ? c >= 0 : c <= 0;
        }
        if (inOrder)
            return {};
    }
    std::vector<int> perm(n);
    // Keys next to each other in memory, and the row number breaks ties, so
    // equal texts keep their order in either direction.
    if (column == ResultRow::SizeColumn) {
        // By the number shown; texts that show none sort as text against the
        // zero-padded numbers ("000000001234.567"), so before or after them all.
        struct Key { int group; double value; QStringView text; int row; };
        std::vector<Key> keys(n);
        for (size_t i = 0; i < n; ++i) {
            const QString &t = rows[i].sizeKB;
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
            keys[i] = {rows[i].text(column), static_cast<int>(i)};
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
        return {};
    return perm;
}
