#include "list/list_commands.h"
#include "list/result_list_view.h"
#include "list/result_model.h"
#include "shell/engine/file_system.h"
#include "support/form_fixture.h"
#include "support/temp_tree.h"

#include <QAction>
#include <QCheckBox>
#include <QDirIterator>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

namespace {

class ListCommandsTest : public FormTest {
protected:
    // Lists the given files (created in the temp tree) in this order.
    void listFiles(const QStringList &names)
    {
        for (const QString &n : names)
            paths << t.file(n, "content of " + n.toUtf8());
        listAll();
        form->ListView1->headerClicked(1); // descending by name
        form->ListView1->headerClicked(1); // ascending: the order given
    }
    QString count() const { return form->Panel[2]->text(); }
    QStringList paths;
};

} // namespace

TEST_F(ListCommandsTest, RemovingTickedRowsRemovesExactlyThoseAndTouchesNoFile)
{
    listFiles({"a1", "a2", "a3", "a4", "a5", "a6"});
    for (int r : {1, 2, 4})
        form->model()->setChecked(r, true);
    run("menu移除勾选项");
    EXPECT_EQ(listed(), QStringList({"a1", "a4", "a6"}));
    EXPECT_EQ(count(), QStringLiteral("文件数：3"));
    for (const QString &p : paths)
        EXPECT_TRUE(QFile::exists(p));
    EXPECT_FALSE(appState().IsWorking);
}

TEST_F(ListCommandsTest, SelectAllThenRemoveSelectedEmptiesTheList)
{
    listFiles({"a", "b", "c"});
    run("menu移除选中项"); // nothing selected: nothing removed, the count is written
    EXPECT_EQ(listed().size(), 3);
    EXPECT_EQ(count(), QStringLiteral("文件数：3"));
    run("menu选中全部");
    EXPECT_EQ(form->ListView1->selectionModel()->selectedRows().size(), 3);
    run("menu移除选中项");
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_EQ(count(), QStringLiteral("文件数：0"));
    run("menu移除全部");
    EXPECT_EQ(count(), QStringLiteral("文件数：0"));
}

TEST_F(ListCommandsTest, TickAndUntickAll)
{
    listFiles({"a", "b"});
    run("menu勾选全部");
    EXPECT_TRUE(form->model()->row(0).checked && form->model()->row(1).checked);
    run("menu全部去勾选");
    EXPECT_FALSE(form->model()->row(0).checked || form->model()->row(1).checked);
}

TEST_F(ListCommandsTest, RemovalsAreRefusedWhileBusyTickingIsNot)
{
    listFiles({"a", "b"});
    run("menu选中全部");
    form->model()->setChecked(0, true);
    appState().IsWorking = true;
    for (const char *a : {"menu移除选中项", "menu移除勾选项", "menu移除全部"}) {
        MessageBox::clearHistory();
        run(a);
        ASSERT_EQ(MessageBox::history().size(), 1) << a;
        EXPECT_EQ(MessageBox::history()[0].text, QStringLiteral("停止工作后方可执行该操作！"));
        EXPECT_EQ(MessageBox::history()[0].icon, MessageBox::Icon::Information);
    }
    EXPECT_EQ(listed().size(), 2);
    run("menu勾选全部");
    EXPECT_TRUE(form->model()->row(1).checked);
    appState().IsWorking = false;
}

TEST_F(ListCommandsTest, ManyScatteredRemovalsKeepTheOtherRowsSelected)
{
    QStringList names;
    for (int i = 0; i < 300; ++i)
        names << QStringLiteral("f%1").arg(i, 3, 10, QLatin1Char('0'));
    listFiles(names);
    for (int r = 0; r < 300; r += 2)
        form->model()->setChecked(r, true);
    select(1);
    select(3);
    run("menu移除勾选项");
    ASSERT_EQ(form->model()->rowCount(), 150);
    EXPECT_EQ(form->model()->row(0).fileName, QStringLiteral("f001"));
    const QModelIndexList sel = form->ListView1->selectionModel()->selectedRows();
    ASSERT_EQ(sel.size(), 2);
    EXPECT_EQ(form->model()->row(sel[0].row()).fileName, QStringLiteral("f001"));
    EXPECT_EQ(form->model()->findKey(t.path(QStringLiteral("f299"))), 149);
}

TEST_F(ListCommandsTest, TheListItemMarkToggles)
{
    QAction *a = form->action(QStringLiteral("menu显示列表当前操作项"));
    a->trigger();
    EXPECT_TRUE(a->isChecked());
    a->trigger();
    EXPECT_FALSE(a->isChecked());
}

namespace {
QString trashFiles() { return QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/Trash/files/"); }
} // namespace

TEST_F(ListCommandsTest, TagCommandsTrashOnlyNamesEndingWithTheirTag)
{
    listFiles({"a.txt", "a.txt[20240101120000替换备份]", "b.txt[20240101120000替换备份]",
               "a[替换备份].txt", "c.txt[20240101120000恢复备份]"});
    MessageBox::setNextAnswer(MessageBox::Answer::Yes);
    run("menu删除全部替换备份文件");
    ASSERT_EQ(MessageBox::history().size(), 1);
    EXPECT_EQ(MessageBox::history()[0].text,
              QStringLiteral("所有文件名结尾为'替换备份]'的文件将会被删除到系统回收站！你确定要继续吗？"));
    EXPECT_EQ(MessageBox::history()[0].icon, MessageBox::Icon::Question);
    // The two adjacent backups both went; the tag inside a name does not count.
    EXPECT_EQ(listed(), QStringList({"a.txt", "a[替换备份].txt", "c.txt[20240101120000恢复备份]"}));
    EXPECT_EQ(TempTree::read(trashFiles() + QStringLiteral("b.txt[20240101120000替换备份]")),
              QByteArray("content of b.txt[20240101120000替换备份]"));
    EXPECT_FALSE(QFile::exists(t.path(QStringLiteral("a.txt[20240101120000替换备份]"))));
    EXPECT_EQ(count(), QStringLiteral("文件数：3"));

    MessageBox::setNextAnswer(MessageBox::Answer::Yes);
    run("menu删除全部恢复备份文件");
    EXPECT_EQ(listed(), QStringList({"a.txt", "a[替换备份].txt"}));
    EXPECT_TRUE(QFile::exists(t.path(QStringLiteral("a[替换备份].txt"))));
    EXPECT_FALSE(appState().IsWorking);
}

TEST_F(ListCommandsTest, SelectedAndTickedRowsGoToTheTrash)
{
    listFiles({"keep", "s1", "s2", "t1"});
    select(1);
    select(2);
    MessageBox::setNextAnswer(MessageBox::Answer::Yes);
    run("menu删除选中项");
    EXPECT_EQ(MessageBox::history().last().text, QStringLiteral("所有被选中的文件将会被删除到系统回收站！你确定要继续吗？"));
    EXPECT_EQ(listed(), QStringList({"keep", "t1"}));
    form->model()->setChecked(1, true);
    MessageBox::setNextAnswer(MessageBox::Answer::Yes);
    run("menu删除勾选项");
    EXPECT_EQ(MessageBox::history().last().text, QStringLiteral("所有被勾选的文件将会被删除到系统回收站！你确定要继续吗？"));
    EXPECT_EQ(listed(), QStringList({"keep"}));
    EXPECT_TRUE(QFile::exists(trashFiles() + QStringLiteral("t1")));
    EXPECT_TRUE(QFile::exists(t.path(QStringLiteral("keep"))));
}

TEST_F(ListCommandsTest, NoAnswerAndBusyChangeNothing)
{
    listFiles({"a.txt[20240101120000替换备份]"});
    run("menu删除全部替换备份文件"); // unscripted: answered No
    EXPECT_EQ(listed().size(), 1);
    EXPECT_TRUE(QFile::exists(paths[0]));
    appState().IsWorking = true;
    MessageBox::clearHistory();
    run("menu删除全部替换备份文件");
    ASSERT_EQ(MessageBox::history().size(), 1);
    EXPECT_EQ(MessageBox::history()[0].text, QStringLiteral("停止工作后方可执行该操作！"));
    appState().IsWorking = false;
}

TEST_F(ListCommandsTest, ARefusedTrashKeepsTheRowAndAVanishedFileLeavesTheList)
{
    listFiles({"refused", "vanished", "fine"});
    QFile::remove(paths[1]);
    run("menu勾选全部");
    select(form->model()->findKey(paths[0]));
    // The trash cannot be made: every file stays.
    const QString trash = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/Trash");
    QDir().mkpath(trash);
    ASSERT_TRUE(QDir().rename(trash, trash + QStringLiteral(".aside")));
    { QFile blocker(trash); ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); }
    MessageBox::setNextAnswer(MessageBox::Answer::Yes);
    run("menu删除勾选项");
    QFile::remove(trash);
    QDir().rename(trash + QStringLiteral(".aside"), trash);
    EXPECT_EQ(listed(), QStringList({"fine", "refused"}));
    for (int r = 0; r < 2; ++r) {
        EXPECT_EQ(form->model()->row(r).status(), QStringLiteral("删除失败"));
        EXPECT_TRUE(form->model()->row(r).checked);
    }
    EXPECT_TRUE(form->ListView1->selectionModel()->isRowSelected(form->model()->findKey(paths[0]), QModelIndex()));
    EXPECT_TRUE(QFile::exists(paths[0]));
    EXPECT_EQ(count(), QStringLiteral("文件数：2"));
}

TEST_F(ListCommandsTest, NamesEndingInBlanksOrNotUtf8AreTrashedExactlyAndShownReadably)
{
    const QStringList names = {QStringLiteral("notes.txt "), QStringLiteral("报告.txt\u3000"), DecodeFileName(QByteArray("bad\xff.txt")),
                               DecodeFileName(QByteArray("bad\xc3.txt")), QStringLiteral("bad\uFFFD.txt"), QStringLiteral("notes.txt")};
    listFiles(names);
    ASSERT_EQ(form->model()->rowCount(), 6);
    for (int i = 0; i < 3; ++i)
        form->model()->setChecked(form->model()->findKey(paths[i]), true);
    MessageBox::setNextAnswer(MessageBox::Answer::Yes);
    run("menu删除勾选项");
    EXPECT_EQ(form->model()->rowCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(PathFound(paths[i])) << i;
    for (int i = 3; i < 6; ++i)
        EXPECT_EQ(TempTree::read(paths[i]), "content of " + names[i].toUtf8()) << i;
    const int row = form->model()->findKey(paths[3]);
    ASSERT_GE(row, 0);
    EXPECT_EQ(form->model()->data(form->model()->index(row, ResultModel::NameColumn), Qt::DisplayRole).toString(), QStringLiteral("bad\uFFFD.txt"));
}

TEST_F(ListCommandsTest, AnEmptyListStillAsksAndWritesTheCount)
{
    MessageBox::setNextAnswer(MessageBox::Answer::Yes);
    run("menu删除勾选项");
    EXPECT_EQ(MessageBox::history().size(), 1);
    EXPECT_EQ(count(), QStringLiteral("文件数：0"));
}

TEST_F(ListCommandsTest, RightClickMakesTheMenuActOnTheRowUnderTheMouse)
{
    listFiles({"rc0", "rc1", "rc2", "rc3", "rc4"});
    select(1);
    ResultListView *view = form->ListView1;
    const auto rightClick = [&](int row) {
        QTest::mouseClick(view->viewport(), Qt::RightButton, {}, view->visualRect(form->model()->index(row, 3)).center());
        EXPECT_TRUE(form->menu列表操作->isVisible());
        form->menu列表操作->hide();
    };
    rightClick(4);
    MessageBox::setNextAnswer(MessageBox::Answer::Yes);
    run("menu删除选中项");
    EXPECT_TRUE(QFile::exists(trashFiles() + QStringLiteral("rc4")));
    EXPECT_TRUE(QFile::exists(paths[1]));
    EXPECT_EQ(listed(), QStringList({"rc0", "rc1", "rc2", "rc3"}));
    // On a row that is part of the selection, the whole selection stays.
    select(1);
    select(2);
    rightClick(2);
    EXPECT_EQ(view->selectionModel()->selectedRows().size(), 2);
    EXPECT_EQ(view->currentIndex().row(), 2);
}

TEST_F(ListCommandsTest, KeysRunTheirCommands)
{
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    // Enter in a search box is the search button, refusals included.
    QTest::keyClick(form->Text1, Qt::Key_Return);
    EXPECT_EQ(lastMessage(), QStringLiteral("请指定搜索目录！"));
    for (const char *n : {"key0", "key1", "key2"})
        paths << t.file(QString::fromLatin1(n));
    form->Text1->setText(t.root());
    QTest::keyClick(form->Text2, Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_EQ(form->model()->rowCount(), 3);

    // Space ticks the current row from any column.
    ResultListView *view = form->ListView1;
    const int row = form->model()->findKey(paths[1]);
    view->setFocus();
    view->selectionModel()->setCurrentIndex(form->model()->index(row, 3),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QTest::keyClick(view, Qt::Key_Space);
    EXPECT_TRUE(form->model()->row(row).checked);

    // Delete in the list trashes the selected rows after asking; in a text
    // box it only edits the text.
    MessageBox::clearHistory();
    form->Text2->setFocus();
    QTest::keyClick(form->Text2, Qt::Key_Delete);
    EXPECT_TRUE(MessageBox::history().isEmpty());
    view->setFocus();
    MessageBox::setNextAnswer(MessageBox::Answer::Yes);
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_EQ(lastMessage(), QStringLiteral("所有被选中的文件将会被删除到系统回收站！你确定要继续吗？"));
    EXPECT_TRUE(QFile::exists(trashFiles() + QStringLiteral("key1")));
    EXPECT_EQ(form->model()->rowCount(), 2);

    QTest::keyClick(form, Qt::Key_F1);
    ASSERT_FALSE(MessageBox::history().isEmpty());
    EXPECT_EQ(MessageBox::history().last().caption, QStringLiteral("软件使用方法"));
}
