#include "list/engine/key_index.h"
#include "list/engine/row_order.h"

#include <gtest/gtest.h>

namespace {

struct Rows {
    std::vector<ResultRow> rows;
    KeyIndex index;
    KeyIndex::RowOf rowOf() const
    {
        return [this](int id) -> const ResultRow & { return rows[static_cast<size_t>(id)]; };
    }
    void add(const QString &folder, const QString &name)
    {
        ResultRow r;
        r.folder = folder;
        r.fileName = name;
        r.id = static_cast<int>(rows.size());
        rows.push_back(r);
        index.insert(rows.back(), rowOf());
    }
    int find(const QString &path) const { return index.find(path, rowOf()); }
};

} // namespace

TEST(KeyIndex, FindsEveryPathThroughGrowthAndRemovals)
{
    Rows t;
    t.rows.reserve(5000); // rowOf hands out references
    for (int i = 0; i < 5000; ++i)
        t.add(QStringLiteral("/d%1").arg(i % 37), QStringLiteral("f%1.txt").arg(i));
    // Every other row goes: the rest must still be reached past the holes.
    for (int i = 0; i < 5000; i += 2)
        t.index.remove(t.rows[static_cast<size_t>(i)]);
    for (int i = 0; i < 5000; ++i) {
        const QString path = QStringLiteral("/d%1/f%2.txt").arg(i % 37).arg(i);
        ASSERT_EQ(t.find(path), i % 2 ? i : -1) << i;
    }
    // Folder and name, with or without the folder's own separator, and the
    // joined path name one key; letter case makes another file here.
    t.add(QStringLiteral("/"), QStringLiteral("root.txt"));
    EXPECT_EQ(t.find(QStringLiteral("/root.txt")), 5000);
    EXPECT_EQ(t.index.find(QStringLiteral("/d3"), QStringLiteral("f3.txt"), t.rowOf()), 3);
    EXPECT_EQ(t.find(QStringLiteral("/D3/f3.txt")), -1);
    EXPECT_EQ(t.find(QStringLiteral("/d3/f3.tx")), -1);
}

TEST(RowOrder, TextsIgnoreCaseSizesGoByNumberTiesKeepTheirPlace)
{
    std::vector<ResultRow> rows(4);
    const char *names[] = {"b.txt", "A.txt", "a.TXT", "c.txt"};
    const char *sizes[] = {"10.000", "9.500", "1,024.000", " 文件不存在"};
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i].fileName = QString::fromLatin1(names[i]);
        rows[i].sizeKB = QString::fromUtf8(sizes[i]);
    }
    EXPECT_EQ(SortedOrder(rows, ResultRow::NameColumn, false), (std::vector<int>{1, 2, 0, 3}));
    EXPECT_EQ(SortedOrder(rows, ResultRow::NameColumn, true), (std::vector<int>{3, 0, 1, 2}));
    EXPECT_EQ(SortedOrder(rows, ResultRow::SizeColumn, false), (std::vector<int>{3, 1, 0, 2}));
    // Already in order: nothing to move.
    EXPECT_TRUE(SortedOrder(rows, ResultRow::FolderColumn, false).empty());
}
