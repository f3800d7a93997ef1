#include "list/engine/key_index.h"
#include "list/engine/row_order.h"

#include <QRandomGenerator>
#include <QStringList>
#include <deque>
#include <gtest/gtest.h>

namespace {

struct Rows {
    std::vector<ResultRow> rows;
    std::deque<QString> folders; // rows point at their folder's text
    KeyIndex index;
    KeyIndex::RowOf rowOf() const
    {
        return [this](int id) -> const ResultRow & { return rows[static_cast<size_t>(id)]; };
    }
    void add(const QString &folder, const QString &name)
    {
        ResultRow r;
        folders.push_back(folder);
        r.folderText = &folders.back();
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
    std::vector<ResultRow> rows(5);
    const char *names[] = {"b.txt", "A.txt", "a.TXT", "c.txt", "d.txt"};
    const qint64 sizes[] = {10240, 9728, 1048576, 0, 0};
    const RowFacts facts[] = {RowFacts::Known, RowFacts::Known, RowFacts::Known, RowFacts::Unreadable, RowFacts::Missing};
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i].fileName = QString::fromLatin1(names[i]);
        rows[i].size = sizes[i];
        rows[i].facts = facts[i];
    }
    EXPECT_EQ(SortedOrder(rows, ResultRow::NameColumn, false), (std::vector<int>{1, 2, 0, 3, 4}));
    EXPECT_EQ(SortedOrder(rows, ResultRow::NameColumn, true), (std::vector<int>{4, 3, 0, 1, 2}));
    // The texts of a gone and an unreadable file sort as text before the numbers.
    EXPECT_EQ(SortedOrder(rows, ResultRow::SizeColumn, false), (std::vector<int>{4, 3, 1, 0, 2}));
    EXPECT_EQ(SortedOrder(rows, ResultRow::SizeColumn, true), (std::vector<int>{2, 0, 1, 3, 4}));
    // Sizes whose texts are equal are equal: 2^24 bytes and one byte more.
    rows[0].size = 1 << 24;
    rows[1].size = (1 << 24) + 1;
    EXPECT_EQ(rows[0].sizeKB(), rows[1].sizeKB());
    EXPECT_EQ(SortedOrder(rows, ResultRow::SizeColumn, false), (std::vector<int>{4, 3, 2, 0, 1}));
    // Already in order: nothing to move.
    EXPECT_TRUE(SortedOrder(rows, ResultRow::FolderColumn, false).empty());
}

TEST(RowOrder, NamesSortExactlyAsTheCaseBlindTextComparison)
{
    // Shared prefixes, letter case beyond ASCII, prefixes of each other,
    // surrogate pairs and units past them: the keyed sort must agree with
    // the comparison the list always used, ties in row order.
    const QStringList parts = {QStringLiteral("report_000"), QStringLiteral("Report_000"), QStringLiteral("报告"),
                               QStringLiteral("ÄÖ"), QStringLiteral("äö"), QStringLiteral("Σσς"), QStringLiteral("ǅ"),
                               QStringLiteral("😀"), QString::fromUcs4(U"\U00010400"), QString::fromUcs4(U"\U00010428"),
                               QString(QChar(0xffff)), QStringLiteral("a"),
                               QStringLiteral("A"), QStringLiteral(".txt"), QStringLiteral("1")};
    QRandomGenerator rng(12);
    std::vector<ResultRow> rows(3000);
    for (ResultRow &r : rows) {
        const int n = static_cast<int>(rng.bounded(6));
        for (int k = 0; k < n; ++k)
            r.fileName += parts[static_cast<int>(rng.bounded(parts.size()))];
    }
    for (bool desc : {false, true}) {
        std::vector<int> want(rows.size());
        for (size_t i = 0; i < want.size(); ++i)
            want[i] = static_cast<int>(i);
        std::stable_sort(want.begin(), want.end(), [&](int a, int b) {
            const int c = rows[static_cast<size_t>(a)].fileName.compare(rows[static_cast<size_t>(b)].fileName, Qt::CaseInsensitive);
            return desc ? c > 0 : c < 0;
        });
        EXPECT_EQ(SortedOrder(rows, ResultRow::NameColumn, desc), want) << (desc ? "descending" : "ascending");
    }
}
