#include "list/engine/row_order.h"
#include "search/engine/found_file.h"
#include "shell/engine/file_system.h"
#include "support/form_fixture.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QRandomGenerator>
#include <deque>
#include <numeric>

namespace {

// A found file of size kilobytes.
FoundFile found(const QString &folder, const QString &name, double kilobytes = 1)
{
    FoundFile f;
    f.FolderPath = folder;
    f.FileName = name;
    f.Size = static_cast<qint64>(kilobytes * 1024);
    f.MTime = QDateTime(QDate(2024, 1, 1), QTime(0, 0)).toSecsSinceEpoch();
    return f;
}

class ListTest : public FormTest {
protected:
    // Lists the given files (created in the temp tree) in the order given.
    void listFiles(const QStringList &names)
    {
        for (const QString &n : names)
            paths << t.file(n, "content of " + n.toUtf8());
        listAll();
        form->ListView1->headerClicked(1); // descending by name
        form->ListView1->headerClicked(1); // ascending
    }
    // Lists files as a search would, without making them.
    void add(const std::vector<FoundFile> &files)
    {
        std::vector<const FoundFile *> ptrs;
        for (const FoundFile &f : files)
            ptrs.push_back(&f);
        form->model()->addRows(ptrs, std::vector<int>(ptrs.size(), 0));
    }
    QString count() const { return form->Panel[2]->text(); }
    void trash(const char *action)
    {
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        run(action);
    }
    static QString trashed(const QString &name)
    {
        return QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/Trash/files/") + name;
    }
    QStringList paths;
};

} // namespace

TEST_F(ListTest, KeysAreUniqueAListedFileKeepsItsRowAndRemovalsKeepEveryOtherRowFoundByKey)
{
    ResultModel &m = *form->model();
    // Paths differ by letter case on this platform: two files, two rows.
    add({found("/d", "a.txt"), found("/d", "b.txt"), found("/e", "a.txt"), found("/d", "A.txt"), found("/", "root.txt")});
    EXPECT_EQ(m.findKey(QStringLiteral("/root.txt")), 4);
    const QRect cell = form->ListView1->visualRect(m.index(1, 0));
    QTest::mouseClick(form->ListView1->viewport(), Qt::LeftButton, {}, cell.topLeft() + QPoint(10, cell.height() / 2));
    EXPECT_TRUE(m.row(1).checked) << "a click on the tick box";
    // A renamed row (a restore renames) is found by its new name alone, also
    // once it is gone and its old name listed anew.
    m.setFileName(1, QStringLiteral("c.txt"));
    EXPECT_EQ(m.findKey(QStringLiteral("/d/c.txt")), 1);
    m.removeRowsMarked({0, 1, 0, 0, 0});
    add({found("/d", "b.txt")});
    EXPECT_EQ(m.findKey(QStringLiteral("/d/b.txt")), 4);
    EXPECT_EQ(m.findKey(QStringLiteral("/d/c.txt")), -1);

    // Rows leave the key index one by one or, past a few thousand, in one pass
    // over it: either way every row left must still be found past the holes at
    // its new place, and every row gone must be listed anew by a later search.
    // (The rows above all read as number 0: the first removal takes them.)
    std::vector<FoundFile> files;
    for (int i = 0; i < 12000; ++i)
        files.push_back(found(QStringLiteral("/d%1").arg(i % 7), QStringLiteral("f%1").arg(i)));
    add(files);
    const auto removeWhere = [&](auto gone) {
        std::vector<char> marks(static_cast<size_t>(m.rowCount()));
        for (int r = 0; r < m.rowCount(); ++r)
            marks[static_cast<size_t>(r)] = gone(m.row(r).fileName.mid(1).toInt());
        m.removeRowsMarked(marks);
    };
    removeWhere([](int i) { return i % 8 == 0; });
    removeWhere([](int i) { return i % 2 == 0; });
    ASSERT_EQ(m.rowCount(), 6000);
    for (int i = 0; i < 12000; ++i)
        ASSERT_EQ(m.findKey(QStringLiteral("/d%1/f%2").arg(i % 7).arg(i)), i % 2 ? i / 2 : -1) << i;
    add(files);
    EXPECT_EQ(m.rowCount(), 12000);
}

// After a partial removal the view must show every row the model holds: a
// row the view lost would still be ticked by "tick all" and trashed unseen.
TEST_F(ListTest, AfterAPartialRemovalTickAllAndTrashReachOnlyShownRows)
{
    listFiles({"v1", "v2 the widest", "v3", "v4", "v5", "v6"});
    EXPECT_FALSE(form->model()->index(5, 0).data(Qt::DecorationRole).isNull()) << "each row shows its kind's image";
    const ChangeWatch ticks(form->model());
    for (int r : {1, 2, 4})
        form->model()->setChecked(r, true);
    ticks.expectAllTold("ticks");
    run("menu移除勾选项");
    EXPECT_EQ(listed(), QStringList({"v1", "v4", "v6"}));
    expectColumnsFit("removal");
    const int shown = form->ListView1->verticalHeader()->count();
    ASSERT_EQ(shown, form->model()->rowCount());
    for (int r = 0; r < shown; ++r)
        EXPECT_EQ(rowOf(form->model()->key(r)), r) << "the key index follows the rows that moved up";

    const ChangeWatch all(form->model());
    run("menu勾选全部");
    all.expectAllTold("ticking all");
    trash("menu删除勾选项");
    EXPECT_EQ(lastMessage(), QStringLiteral("所有被勾选的文件将会被删除到系统回收站！你确定要继续吗？"));
    for (int i = 0; i < paths.size(); ++i)
        EXPECT_EQ(QFile::exists(paths[i]), i == 1 || i == 2 || i == 4) << i;
}

TEST_F(ListTest, WhileBusyTicksChangeButNothingIsSortedRemovedOrTrashed)
{
    ResultListView *view = form->ListView1;
    view->headerClicked(2); // an empty list: only the direction changes
    add({found("/d", "b.txt[20240101120000替换备份]"), found("/d", "a.txt"), found("/d", "c.txt[20240101120000恢复备份]")});
    view->headerClicked(1);
    const QStringList ascending = {"a.txt", "b.txt[20240101120000替换备份]", "c.txt[20240101120000恢复备份]"};
    EXPECT_EQ(listed(), ascending);
    run("menu选中全部");
    form->model()->setChecked(0, true);
    appState().IsWorking = true;
    for (const char *a : {"menu移除选中项", "menu移除勾选项", "menu移除全部", "menu删除选中项", "menu删除勾选项",
                          "menu删除全部替换备份文件", "menu删除全部恢复备份文件"})
        run(a);
    view->headerClicked(1);
    run("menu全部去勾选");
    appState().IsWorking = false;
    ASSERT_EQ(MessageBox::history().size(), 8) << "nothing asked after";
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(MessageBox::history()[i].text, QString::fromUtf8(i < 7 ? "停止工作后方可执行该操作！" : "停止工作后方可排序！"));
    EXPECT_EQ(listed(), ascending);
    EXPECT_FALSE(form->model()->row(0).checked);
    view->headerClicked(1);
    EXPECT_EQ(listed(), QStringList(ascending.rbegin(), ascending.rend()));
}

TEST_F(ListTest, TagCommandsTrashOnlyNamesEndingWithTheirTag)
{
    listFiles(
        {"a.txt", "a.txt[20240101120000替换备份]", "b.txt[20240101120000替换备份]", "a[替换备份].txt", "c.txt[20240101120000恢复备份]"});
    run("menu删除全部替换备份文件"); // unscripted: answered No
    EXPECT_EQ(listed().size(), 5);
    trash("menu删除全部替换备份文件");
    EXPECT_EQ(lastMessage(), QStringLiteral("所有文件名结尾为'替换备份]'的文件将会被删除到系统回收站！你确定要继续吗？"));
    // The two adjacent backups both went; the tag inside a name does not count.
    EXPECT_EQ(listed(), QStringList({"a.txt", "a[替换备份].txt", "c.txt[20240101120000恢复备份]"}));
    EXPECT_EQ(TempTree::read(trashed(QStringLiteral("b.txt[20240101120000替换备份]"))),
              QByteArray("content of b.txt[20240101120000替换备份]"));
    trash("menu删除全部恢复备份文件");
    EXPECT_EQ(lastMessage(), QStringLiteral("所有文件名结尾为'恢复备份]'的文件将会被删除到系统回收站！你确定要继续吗？"));
    EXPECT_EQ(listed(), QStringList({"a.txt", "a[替换备份].txt"}));
    expectColumnsFit("trashing");
    run("menu移除全部"); // the list only
    EXPECT_EQ(count(), QStringLiteral("文件数：0"));
    expectColumnsFit("removing all");
    listAll();
    EXPECT_EQ(listed().size(), 2) << "the files stay and are listed anew";
}

TEST_F(ListTest, TrashTakesExactNamesKeepsRefusedRowsAndDropsVanishedOnes)
{
    const QStringList names = {QStringLiteral("notes.txt "),
                               QStringLiteral("报告.txt\u3000"),
                               DecodeFileName(QByteArray("bad\xff.txt")),
                               DecodeFileName(QByteArray("bad\xc3.txt")),
                               QStringLiteral("bad\uFFFD.txt"),
                               QStringLiteral("notes.txt"),
                               QStringLiteral("vanished"),
                               QStringLiteral("dangling")};
    listFiles(names);
    ASSERT_EQ(form->model()->rowCount(), 8);
    for (int i : {0, 1, 2, 6, 7})
        tick(paths[i]);
    QFile::remove(paths[6]);
    // A link whose file is gone: the trash takes files, so it stays, and says so.
    QFile::remove(paths[7]);
    ASSERT_EQ(::symlink("nowhere", QFile::encodeName(paths[7]).constData()), 0);
    // The trash cannot be made: every ticked file stays and says so.
    const QString trash = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/Trash");
    QDir(trash).removeRecursively();
    {
        QFile blocker(trash);
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    const ChangeWatch watch(form->model());
    this->trash("menu删除勾选项");
    watch.expectAllTold("a refused trashing");
    QFile::remove(trash);
    EXPECT_EQ(count(), QStringLiteral("文件数：7"));
    for (int r = 0; r < form->model()->rowCount(); ++r)
        EXPECT_EQ(form->model()->row(r).status() == QStringLiteral("删除失败"), form->model()->row(r).checked) << r;
    this->trash("menu删除勾选项");
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(PathFound(paths[i]), i >= 3 && i != 6) << i;
    EXPECT_EQ(count(), QStringLiteral("文件数：4")) << "the link stays listed";
    EXPECT_EQ(form->model()->index(rowOf(paths[3]), ResultModel::NameColumn).data().toString(), QStringLiteral("bad\uFFFD.txt"));
}

// The menu acts on the row under the mouse, and a sort carries the selection
// along: deleting then trashes the files the user chose, not the ones now
// at their old places.
TEST_F(ListTest, SelectedRowsGoToTheTrashAfterASortAndARightClick)
{
    listFiles({"keep", "s1", "s2", "t1"});
    ResultListView *view = form->ListView1;
    const auto click = [&](QPoint at) {
        QTest::mouseClick(view->viewport(), Qt::RightButton, {}, at);
        const bool shown = form->menu列表操作->isVisible();
        form->menu列表操作->hide();
        return shown;
    };
    const auto cell = [&](int row) { return view->visualRect(form->model()->index(row, 3)).center(); };
    EXPECT_TRUE(click(QPoint(20, view->viewport()->height() - 5))) << "below the rows";
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), QPoint());
    QCoreApplication::sendEvent(view->viewport(), &menuKey);
    EXPECT_TRUE(form->menu列表操作->isVisible()) << "the menu key opens it too";
    form->menu列表操作->hide();
    select(1);
    select(2);
    view->headerClicked(1); // descending: t1 s2 s1 keep
    EXPECT_TRUE(click(cell(1))) << "on a selected row the selection stays";
    trash("menu删除选中项");
    EXPECT_EQ(listed(), QStringList({"t1", "keep"}));
    EXPECT_TRUE(QFile::exists(trashed(QStringLiteral("s1"))) && QFile::exists(trashed(QStringLiteral("s2"))));
    select(0);
    click(cell(1)); // an unselected row becomes the only one selected
    EXPECT_EQ(view->selectionModel()->selectedRows(), QModelIndexList({form->model()->index(1, 0)}));
}

TEST_F(ListTest, KeysRunTheirCommands)
{
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    paths << t.file(QStringLiteral("key0")) << t.file(QStringLiteral("key1"));
    form->Text1->setText(t.root());
    QTest::keyClick(form->Text2, Qt::Key_Enter, Qt::KeypadModifier); // the search button
    ASSERT_EQ(form->model()->rowCount(), 2);
    // Space ticks the current row from any column.
    ResultListView *view = form->ListView1;
    view->setFocus();
    view->setCurrentIndex(form->model()->index(0, 3));
    const QString first = form->model()->row(0).fileName;
    QTest::keyClick(view, Qt::Key_Space);
    EXPECT_TRUE(form->model()->row(0).checked);
    // With Ctrl or Shift it keeps its meaning in lists: it selects, and ticks nothing.
    for (const Qt::KeyboardModifier with : {Qt::ControlModifier, Qt::ShiftModifier}) {
        view->selectionModel()->clearSelection();
        QTest::keyClick(view, Qt::Key_Space, with);
        EXPECT_TRUE(form->model()->row(0).checked && view->selectionModel()->isRowSelected(0, {})) << with;
    }
    // Delete trashes the selected rows after asking, but only from the list.
    MessageBox::clearHistory();
    form->Text2->setFocus();
    QTest::keyClick(form->Text2, Qt::Key_Delete);
    EXPECT_TRUE(MessageBox::history().isEmpty());
    view->setFocus();
    MessageBox::setNextAnswer(MessageBox::Answer::Yes);
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_EQ(lastMessage(), QStringLiteral("所有被选中的文件将会被删除到系统回收站！你确定要继续吗？"));
    EXPECT_TRUE(QFile::exists(trashed(first)));
    QTest::keyClick(form, Qt::Key_F1);
    EXPECT_EQ(MessageBox::history().last().caption, QStringLiteral("软件使用方法"));
}

// Copying and opening act on the current row while it is selected, else on
// the first selected one.
TEST_F(ListTest, CopyAndOpenFolderTakeTheChosenRowAndComplainOnlyWhenTheyMust)
{
    listFiles({QStringLiteral("sub dir/报告 1.txt"), QStringLiteral("sub dir/") + DecodeFileName(QByteArray("bad\xff.txt"))});
    const QString folder = t.path(QStringLiteral("sub dir")), url = QUrl::fromLocalFile(folder).toString();
    run("menu打开文件所在目录");
    EXPECT_TRUE(Desktop::openedUrls().isEmpty()) << "nothing selected";
    QClipboard *clipboard = QGuiApplication::clipboard();
    QItemSelectionModel *selection = form->ListView1->selectionModel();
    select(rowOf(paths[1])); // bytes that are not UTF-8 are shown readably
    run("menu复制文件路径");
    EXPECT_EQ(clipboard->text(), t.path(QStringLiteral("sub dir/bad\uFFFD.txt")));
    selection->setCurrentIndex(form->model()->index(rowOf(paths[0]), 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    run("menu复制文件路径");
    EXPECT_EQ(clipboard->text(), paths[0]);
    selection->setCurrentIndex(form->model()->index(rowOf(paths[1]), 0), QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    run("menu复制文件路径");
    EXPECT_EQ(clipboard->text(), paths[0]);

    run("menu打开文件所在目录"); // no file manager on the test bus: the folder opens
    EXPECT_EQ(Desktop::openedUrls(), QStringList({url}));
    Desktop::setOpenFolderResult(false);
    run("menu打开文件所在目录");
    EXPECT_EQ(lastMessage(), QStringLiteral("打开失败！"));
    // A vanished file: its folder opens, and what the opening returned is not judged.
    QFile::remove(paths[0]);
    run("menu打开文件所在目录");
    EXPECT_EQ(Desktop::openedUrls(), QStringList(3, url));
    EXPECT_EQ(MessageBox::history().size(), 1);
    ASSERT_TRUE(QDir().rename(folder, folder + QStringLiteral(" gone")));
    run("menu打开文件所在目录");
    EXPECT_EQ(lastMessage(), QStringLiteral("文件夹不存在！"));
}

TEST_F(ListTest, PickingAFolderFillsTheSearchFolderACancelLeavesAnEmptyFieldEmpty)
{
    const QString chosen = t.folder(QStringLiteral("chosen"));
    form->Text1->setText(chosen);
    FileDialog::setNextDirectory(chosen);
    QTest::mouseClick(form->Command4, Qt::LeftButton);
    EXPECT_EQ(FileDialog::directoryStartFolders().last(), t.root() + QLatin1Char('/')) << "starts beside the search folder";
    EXPECT_EQ(form->Text1->text(), chosen + QLatin1Char('/'));
    // Rows, and what is copied from them, name folders without that "/".
    const QString top = t.file(QStringLiteral("chosen/f.txt")), deep = t.file(QStringLiteral("chosen/sub/f.txt"));
    search(form->Text1->text());
    for (const QString &path : {top, deep}) {
        form->ListView1->clearSelection();
        select(rowOf(path));
        run("menu复制文件目录");
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QFileInfo(path).path());
        run("menu复制文件路径");
        EXPECT_EQ(QGuiApplication::clipboard()->text(), path);
    }
    form->Text1->clear();
    run("menu指定文件夹"); // cancelled
    EXPECT_EQ(form->Text1->text(), QString());
    FileDialog::setNextDirectory(chosen);
    run("menu指定文件夹");
    EXPECT_EQ(form->Text1->text(), chosen + QLatin1Char('/'));
}

// Short and long lists take different sorts; both must order as the shown
// texts compare without case, sizes by the number shown, times in time
// order, a gone or unreadable file's texts before all, ties in row order.
TEST(RowOrder, ColumnsSortAsTheirShownTextsCompare)
{
    const std::deque<QString> folders = {"/b", "/A", "/a", "/c/d"};
    const QStringList statuses = {QString(), "已经替换", "替换失败", "跳过-大小日期相同"};
    // Names share prefixes, long ones too, and differ in case beyond ASCII;
    // the second set holds surrogate pairs and units past them as well.
    const QStringList plain = {"report_000",
                               "Report_000",
                               "报告",
                               "ÄÖ",
                               "äö",
                               "Σσς",
                               "ǅ",
                               "a",
                               "A",
                               ".txt",
                               "1",
                               QString(QChar(0xffff)),
                               "A long beginning that many names share: 48 units"};
    const QStringList odd = plain + QStringList({"😀", QString::fromUcs4(U"\U00010400"), QString::fromUcs4(U"\U00010428")});
    const auto compare = [](int c, const ResultRow &a, const ResultRow &b) {
        if (c != ResultRow::SizeColumn && c != ResultRow::TimeColumn)
            return a.text(c).compare(b.text(c), Qt::CaseInsensitive);
        const bool ka = a.facts == RowFacts::Known, kb = b.facts == RowFacts::Known;
        if (!ka || !kb)
            return ka == kb ? a.text(c).compare(b.text(c)) : ka ? 1 : -1;
        const double x = c == ResultRow::TimeColumn ? a.mtime : QLocale::c().toDouble(a.sizeKB().remove(u','));
        const double y = c == ResultRow::TimeColumn ? b.mtime : QLocale::c().toDouble(b.sizeKB().remove(u','));
        return x < y ? -1 : x > y ? 1 : 0;
    };
    QRandomGenerator rng(7);
    for (int set = 0; set < 4; ++set) {
        const QStringList &parts = set < 2 ? plain : odd;
        const size_t n = set % 2 ? 3000 : 40;
        std::vector<ResultRow> rows(n);
        for (ResultRow &r : rows) {
            for (int k = static_cast<int>(rng.bounded(6)); k > 0; --k)
                r.fileName += parts[static_cast<int>(rng.bounded(parts.size()))];
            r.folderText = &folders[rng.bounded(4)];
            r.setStatus(statuses[rng.bounded(4)]);
            // Up to 16 TB, and sizes of one text that differ in bytes.
            r.size = rng.bounded(8) ? static_cast<qint64>(rng.generate64() >> (20 + rng.bounded(44))) : (1 << 24) + rng.bounded(2);
            r.mtime = -1000000000 + static_cast<qint64>(rng.bounded(300)) * 9999991;
            r.facts = rng.bounded(10) ? RowFacts::Known : rng.bounded(2) ? RowFacts::Missing : RowFacts::Unreadable;
        }
        std::vector<int> unmoved(n);
        std::iota(unmoved.begin(), unmoved.end(), 0);
        for (int c = 0; c < ResultRow::ColumnCount; ++c)
            for (bool desc : {false, true}) {
                std::vector<int> want = unmoved;
                std::stable_sort(want.begin(), want.end(), [&](int a, int b) {
                    const int k = compare(c, rows[static_cast<size_t>(a)], rows[static_cast<size_t>(b)]);
                    return desc ? k > 0 : k < 0;
                });
                const std::vector<int> got = SortedOrder(rows, c, desc); // empty: nothing moves
                EXPECT_EQ(got.empty() ? unmoved : got, want)
                    << "column " << c << (desc ? " descending, " : " ascending, ") << n << " rows, set " << set;
            }
    }
}
