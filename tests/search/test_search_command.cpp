#include "search/search_command.h"
#include "support/form_fixture.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>

using SearchCommandTest = FormTest;

TEST_F(SearchCommandTest, NameFilterExactOrSimilarWithoutLetterCaseAndOneIconPerKind)
{
    for (const char *name : {"report.txt", "REPORT.TXT", "report.txt[20240101120000替换备份]", "export.doc", "文档port.txt",
                             "\u212Aey.txt" /* KELVIN SIGN folds to "k" */, "key.txt", "文档.txt", "ABCDEFGHIJKLMNOPQRSTUVWXYZ.txt"})
        t.file(QString::fromUtf8(name));
    const struct {
        const char *name;
        int mode;
        QStringList listed;
    } cases[] = {
        {"Report.TXT", 0, {"REPORT.TXT", "report.txt"}},
        {"Report.TXT", 1, {"REPORT.TXT", "report.txt", "report.txt[20240101120000替换备份]"}},
        {"report.txt ", 0, {}}, // used untrimmed
        {"PORT", 1, {"REPORT.TXT", "export.doc", "report.txt", "report.txt[20240101120000替换备份]", "文档port.txt"}},
        {"Key.TXT", 0, {"key.txt", "\u212Aey.txt"}},
        {"文档.TXT", 0, {"文档.txt"}},
        {"abcdefghijklmnopqrstuvwxyz.TXT", 0, {"ABCDEFGHIJKLMNOPQRSTUVWXYZ.txt"}},
        {"", 0, QDir(t.root()).entryList(QDir::Files, QDir::Name)},
    };
    for (const auto &c : cases) {
        form->model()->clear();
        search(t.root(), QString::fromUtf8(c.name), c.mode);
        QStringList shown = listed();
        shown.sort();
        EXPECT_EQ(shown, c.listed) << c.name << " mode " << c.mode;
        expectColumnsFit(c.name);
    }
    // One image per kind of file, after the program's own.
    const auto icon = [&](const char *name) { return form->model()->row(rowOf(t.path(QString::fromUtf8(name)))).icon; };
    EXPECT_GT(icon("report.txt"), 1);
    EXPECT_EQ(icon("report.txt"), icon("REPORT.TXT"));
    EXPECT_NE(icon("report.txt"), icon("export.doc"));
}

TEST_F(SearchCommandTest, RefusalsThenCompletionReportsFoldersAndTimeAndASecondSearchKeepsTheRowsItFindsAgain)
{
    // Two files a folder, so that the walk's own progress is not the idle value.
    for (const char *name : {"top.txt", "one/a.txt", "one/a2.txt", "two/b.txt", "two/b2.txt"})
        t.file(QString::fromLatin1(name));
    // Refusals, in their order.
    search(QStringLiteral("   "));
    EXPECT_EQ(lastMessage(), QStringLiteral("请指定搜索目录！"));
    EXPECT_EQ(MessageBox::history().last().icon, MessageBox::Icon::Critical);
    search(t.path(QStringLiteral("missing")));
    EXPECT_EQ(lastMessage(), QStringLiteral("文件夹不存在！ 请重新指定文件夹！"));
    appState().IsWorking = true;
    search(t.root());
    appState().IsWorking = false;
    EXPECT_EQ(lastMessage(), QStringLiteral("正在工作，请稍后再试！"));
    ASSERT_EQ(MessageBox::history().size(), 3);

    MessageBox::clearHistory();
    search(t.root(), QStringLiteral("nomatch.txt"), 0, false);
    ASSERT_EQ(MessageBox::history().size(), 1);
    EXPECT_EQ(MessageBox::history()[0].icon, MessageBox::Icon::Information);
    EXPECT_EQ(MessageBox::history()[0].caption, QStringLiteral("墨桐同名文件批量替换")) << "boxes bear the program's title";
    EXPECT_EQ(MessageBox::history()[0].text, QStringLiteral("搜索完成！\r\n搜索目录：1个，耗时：0秒"));
    EXPECT_EQ(form->Panel[1]->text(), QStringLiteral("搜索完成。耗时：0秒"));

    search(t.root());
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("搜索完成！\r\n搜索目录：3个，耗时：")));
    ASSERT_EQ(form->model()->rowCount(), 5);
    // Back to idle (a later search is not refused).
    EXPECT_TRUE(form->ListView1->isVisible());
    EXPECT_EQ(form->ProgressBar1->value(), 1);

    const QString a = t.path(QStringLiteral("one/a.txt"));
    tick(a);
    form->model()->setStatus(rowOf(a), QStringLiteral("已经替换"));
    t.file(QStringLiteral("c.txt"));
    search(t.root());
    ASSERT_GE(rowOf(a), 0);
    EXPECT_TRUE(form->model()->row(rowOf(a)).checked);
    EXPECT_EQ(form->model()->row(rowOf(a)).status(), QStringLiteral("已经替换"));
    EXPECT_EQ(form->Panel[2]->text(), QStringLiteral("文件数：6"));
}

// As the walk turns to its second folder, the name filter changes and the
// stop button is pressed; then the window is closed there.
TEST_F(SearchCommandTest, TheNameBoxIsReadAfterTheWalkWhichAStopOrAClosePutsAnEndTo)
{
    for (const char *name : {"a.txt", "b.txt", "d0/b.txt", "d1/b.txt", "d2/b.txt"})
        t.file(QString::fromLatin1(name));
    // On a dark theme the yellow stop button must not keep the theme's light text.
    const QPalette theme = QApplication::palette();
    QApplication::setPalette(QPalette(QColor(0x35, 0x35, 0x35)));
    QStringList read, seen;
    QColor text;
    std::function<void()> second = [&] {
        seen = {form->Command1->text(), form->Label3->text(), appState().IsWorking ? "working" : "idle"};
        text = form->Command1->palette().color(QPalette::ButtonText);
        EXPECT_GE(form->Label3->width(), form->Label3->sizeHint().width()) << "the busy line shows whole";
        form->Text2->setText(QStringLiteral("B"));
        form->Combo1->setCurrentIndex(1);
        QTest::mouseClick(form->Command1, Qt::LeftButton);
    };
    FolderWalk::seam().beforeVisit = [&](const QString &folder) {
        if ((read << folder).size() == 2)
            second();
    };
    search(t.root(), QStringLiteral("a.txt"), 0);
    EXPECT_EQ(seen, QStringList({"停止搜索", "正在搜索文件夹和文件...", "working"}));
    QApplication::setPalette(theme);
    EXPECT_LT(text.lightness(), 80) << qPrintable(text.name());
    EXPECT_EQ(read.size(), 2) << "no folder is read after the stop";
    EXPECT_EQ(listed(), QStringList(2, QStringLiteral("b.txt"))) << "what was found until then, by the name as it is now";
    EXPECT_EQ(MessageBox::history().size(), 1) << "a stop click brings no box of its own";
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("搜索完成！")));
    EXPECT_EQ(form->Command1->text(), QStringLiteral("搜索文件"));
    EXPECT_NE(form->Command1->palette().color(QPalette::Button), QColor(Qt::yellow)) << "nor yellow any more";

    MessageBox::clearHistory();
    read.clear();
    second = [this] { form->close(); };
    search(t.root());
    EXPECT_EQ(read.size(), 2) << "closing the window stops the walk";
    EXPECT_TRUE(MessageBox::history().isEmpty()) << "no completion box for a closed window";
    expectClosedAndSaved(t.root());
}

// Commands on the whole list given while the rows go in wait for the last
// one and run in order; given during the walk they act at once. Closing the
// window stops a search, even while the rows go in: no part after the close.
TEST_F(SearchCommandTest, ListCommandsGivenWhileRowsGoInMeetTheWholeListAndACloseEndsTheLoading)
{
    for (const char *name : {"s/old/a", "s/old/b", "s/n0", "s/n1", "s/n2", "s/n3", "s/n4", "s/n5", "m0", "m1", "m2"})
        t.file(QString::fromLatin1(name));
    search(t.path(QStringLiteral("s/old")));
    // Two rows a part and a turn after each, back to the defaults however
    // the test ends.
    struct PartSize {
        PartSize()
        {
            SearchCommand::setRowsPerPart(2);
            LongOperation::setTurnInterval(0);
        }
        ~PartSize()
        {
            SearchCommand::setRowsPerPart();
            LongOperation::setTurnInterval();
        }
    } parts;
    int phase = 0, rowsThen = 0;
    auto *turns = new QTimer(form); // every turn the window gets
    QObject::connect(turns, &QTimer::timeout, form, [&] {
        const int rows = form->model()->rowCount();
        if (phase == 0)
            run("menu选中全部");
        else if (phase == 1 && rows > 2)
            for (const char *a : {"menu全部去勾选", "menu勾选全部", "menu移除全部"})
                run(a);
        else if (phase == 2 && rows > 8)
            form->close();
        else
            return;
        rowsThen = rows;
        ++phase;
    });
    turns->start();
    search(t.path(QStringLiteral("s")));
    ASSERT_EQ(form->model()->rowCount(), 8);
    EXPECT_TRUE(form->model()->row(7).checked) << "given after the first " << rowsThen << " rows";
    EXPECT_EQ(form->ListView1->selectionModel()->selectedRows().size(), 2) << "given during the walk";

    search(t.root());
    EXPECT_EQ(form->model()->rowCount(), rowsThen) << "no part after the close";
    EXPECT_EQ(MessageBox::history().size(), 3) << "a refusal, two completion boxes and none for a closed window";
    expectClosedAndSaved(t.root());
}
