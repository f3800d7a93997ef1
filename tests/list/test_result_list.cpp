#include "app/engine/app_state.h"
#include "list/icon_store.h"
#include "list/result_list_view.h"
#include "list/result_model.h"
#include "search/engine/found_file.h"
#include "shell/dialogs.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDateTime>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A found file of size kilobytes, modified at a local time.
FoundFile found(const QString &folder, const QString &name, double kilobytes = 1,
                const QDateTime &time = QDateTime(QDate(2024, 1, 1), QTime(0, 0)))
{
    FoundFile f;
    f.FolderPath = folder;
    f.FileName = name;
    f.Size = static_cast<qint64>(kilobytes * 1024);
    f.MTime = time.toSecsSinceEpoch();
    f.Extension = name.section(QLatin1Char('.'), -1).toLower();
    f.TypeName = QStringLiteral("type");
    return f;
}

QStringList column(const ResultModel &m, int c)
{
    QStringList out;
    for (int r = 0; r < m.rowCount(); ++r)
        out << m.data(m.index(r, c), Qt::DisplayRole).toString();
    return out;
}

class ListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        appState() = AppState();
        MessageBox::clearHistory();
        view.resize(800, 400);
        new QAbstractItemModelTester(&model(), QAbstractItemModelTester::FailureReportingMode::Fatal, &model());
    }
    void add(const std::vector<FoundFile> &files)
    {
        std::vector<const FoundFile *> ptrs;
        for (const FoundFile &f : files)
            ptrs.push_back(&f);
        model().addRows(ptrs, std::vector<int>(ptrs.size(), 0));
    }
    ResultModel &model() { return *view.resultModel(); }
    ResultListView view;
};

} // namespace

TEST_F(ListTest, KeysAreUniqueAndAListedFileKeepsItsRow)
{
    add({found("/d", "a.txt"), found("/d", "b.txt"), found("/e", "a.txt")});
    ASSERT_EQ(model().rowCount(), 3);
    model().setStatus(0, QStringLiteral("已经替换"));
    model().setChecked(0, true);
    // Found again with other facts: nothing changes; only the new file is added.
    add({found("/d", "a.txt", 9), found("/d", "c.txt")});
    ASSERT_EQ(model().rowCount(), 4);
    EXPECT_EQ(model().row(0).status(), QStringLiteral("已经替换"));
    EXPECT_TRUE(model().row(0).checked);
    EXPECT_EQ(model().row(0).sizeKB(), QStringLiteral("1.000"));
    EXPECT_EQ(model().findKey(QStringLiteral("/d/c.txt")), 3);
    // Paths differ by letter case on this platform: two files, two rows.
    add({found("/d", "A.txt")});
    EXPECT_EQ(model().rowCount(), 5);
    EXPECT_EQ(model().data(model().index(4, 4), Qt::DisplayRole).toString(), QStringLiteral("/d"));
}

TEST_F(ListTest, HeadersAlignmentTickBoxesAndNoEditing)
{
    const QStringList headers = {QStringLiteral("替换状态"), QStringLiteral("文件名"), QStringLiteral("文件大小(KB)"),
                                 QStringLiteral("修改日期"), QStringLiteral("文件路径")};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(model().headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), headers[c]);
    add({found("/d", "a.txt")});
    const auto align = [&](int c) { return model().data(model().index(0, c), Qt::TextAlignmentRole).value<Qt::Alignment>(); };
    EXPECT_TRUE(align(2) & Qt::AlignRight);
    EXPECT_TRUE(align(1) & Qt::AlignLeft);
    EXPECT_EQ(model().data(model().index(0, 0), Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_TRUE(model().setData(model().index(0, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(model().row(0).checked);
    for (int c = 0; c < 5; ++c)
        EXPECT_FALSE(model().flags(model().index(0, c)) & Qt::ItemIsEditable);
    EXPECT_EQ(view.selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST_F(ListTest, DoubleClickOpensNoEditor)
{
    add({found("/d", "a.txt")});
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const QRect cell = view.visualRect(model().index(0, 0));
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cell.center());
    QTest::qWait(50);
    EXPECT_EQ(view.viewport()->findChild<QLineEdit *>(), nullptr);
}

TEST_F(ListTest, RightClickOpensTheListMenuLeftClickDoesNot)
{
    QMenu menu(QStringLiteral("列表操作(&L)"));
    menu.addAction(QStringLiteral("选择"));
    view.setPopupMenu(&menu);
    add({found("/d", "a.txt")});
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(20, 200));
    EXPECT_FALSE(menu.isVisible());
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, QPoint(20, 200)); // empty space
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, view.visualRect(model().index(0, 1)).center());
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
}

TEST_F(ListTest, OneDirectionFlipsOnEveryAcceptedClick)
{
    add({found("/d", "b.txt"), found("/d", "a.txt"), found("/d", "c.txt")});
    view.headerClicked(1);
    EXPECT_EQ(column(model(), 1), QStringList({"c.txt", "b.txt", "a.txt"})) << "first click sorts descending";
    view.headerClicked(4);
    EXPECT_EQ(view.sortOrder(), Qt::AscendingOrder);
    view.headerClicked(1);
    EXPECT_EQ(column(model(), 1), QStringList({"c.txt", "b.txt", "a.txt"}));
    // Keys follow their rows.
    EXPECT_EQ(model().findKey(QStringLiteral("/d/a.txt")), 2);
    EXPECT_EQ(model().key(2), QStringLiteral("/d/a.txt"));
}

TEST_F(ListTest, EmptyListClickOnlyFlipsTheDirection)
{
    view.headerClicked(2);
    EXPECT_EQ(view.sortOrder(), Qt::DescendingOrder);
    EXPECT_EQ(view.sortColumn(), 2);
    EXPECT_EQ(model().rowCount(), 0);
}

TEST_F(ListTest, SizeSortsByNumberAndKeepsItsTexts)
{
    add({found("/d", "big", 1000), found("/d", "small", 999), found("/d", "gone"), found("/d", "zero", 0),
         found("/d", "mid", 12.5)});
    model().setFacts(2, RowFacts::Missing);
    view.headerClicked(2); // descending
    view.headerClicked(2); // ascending
    EXPECT_EQ(column(model(), 2), QStringList({" 文件不存在", "0.000", "12.500", "999.000", "1,000.000"}));
    view.headerClicked(2);
    EXPECT_EQ(column(model(), 1), QStringList({"big", "small", "mid", "zero", "gone"}));
}

TEST_F(ListTest, DateColumnSortsInTimeOrder)
{
    add({found("/d", "new", 1, QDateTime(QDate(2024, 1, 1), QTime(0, 0))),
         found("/d", "old", 1, QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59)))});
    view.headerClicked(3);
    view.headerClicked(3);
    EXPECT_EQ(column(model(), 1), QStringList({"old", "new"}));
}

TEST_F(ListTest, SortIsRefusedWhileBusy)
{
    add({found("/d", "a.txt"), found("/d", "b.txt")});
    appState().IsWorking = true;
    view.headerClicked(1);
    appState().IsWorking = false;
    EXPECT_EQ(column(model(), 1), QStringList({"a.txt", "b.txt"}));
    EXPECT_EQ(view.sortOrder(), Qt::AscendingOrder);
    EXPECT_EQ(view.sortColumn(), 0);
    ASSERT_EQ(MessageBox::history().size(), 1);
    EXPECT_EQ(MessageBox::history()[0].text, QStringLiteral("停止工作后方可排序！"));
    EXPECT_EQ(MessageBox::history()[0].icon, MessageBox::Icon::Information);
}

TEST_F(ListTest, EveryColumnFitsItsWidestCellOrHeader)
{
    add({found("/short", "a.txt"), found(QStringLiteral("/一个/很长的/中文/文件夹/路径/在这里"), "短.txt"),
         found("/d", QStringLiteral("a-rather-long-file-name-that-is-the-widest-of-all.txt"), 1234567),
         found("/d", "w.txt"),
         // A per-character guess makes the emoji row look the widest; the
         // long plain name is wider on screen.
         found("/d", QString(40, QLatin1Char('.')).replace(QLatin1String("."), QStringLiteral("\U0001F600"))),
         found("/d", QStringLiteral("plain-name-").repeated(10))});
    model().setStatus(3, QStringLiteral("跳过-大小日期相同"));
    AutoSizeColumns(&view, -2);
    for (int c = 0; c < 5; ++c) {
        int widest = view.horizontalHeader()->sectionSizeHint(c);
        for (int r = 0; r < model().rowCount(); ++r)
            widest = qMax(widest, view.sizeHintForIndex(model().index(r, c)).width());
        EXPECT_EQ(view.horizontalHeader()->sectionSize(c), widest) << "column " << c;
    }
}

TEST(IconStore, KeysCompareWithoutCaseAndEachKeyHoldsOneImage)
{
    IconStore store;
    QPixmap pm(16, 16);
    pm.fill(Qt::red);
    store.addUnkeyed(QIcon(pm));
    EXPECT_EQ(store.find(QStringLiteral("KTXT.文本文档")), 0) << "the program's own image never matches";
    const int i = store.add(QStringLiteral("Ktxt.文本文档"), QIcon(pm));
    EXPECT_EQ(i, 2);
    EXPECT_EQ(store.find(QStringLiteral("KTXT.文本文档")), 2);
    EXPECT_EQ(store.add(QStringLiteral("KTXT.文本文档"), QIcon(pm)), 0);
    EXPECT_EQ(store.size(), 2);
}

TEST(IconStore, FileIconsComeFromTheDesktopTheme)
{
    IconStore store;
    const int i = store.addFileIcon(QStringLiteral("Ktxt.plain"), QStringLiteral("/nowhere/readme.txt"));
    ASSERT_GT(i, 0);
    EXPECT_FALSE(store.icons().at(i - 1).pixmap(16, 16).isNull());
}
