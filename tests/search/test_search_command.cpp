#include "list/result_list_view.h"
#include "list/result_model.h"
#include "search/search_command.h"
#include "support/form_fixture.h"
#include "support/temp_tree.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

QStringList listedNames(Form1 *f)
{
    QStringList out;
    for (int r = 0; r < f->model()->rowCount(); ++r)
        out << f->model()->row(r).fileName;
    out.sort();
    return out;
}

class SearchCommandTest : public FormTest {
protected:
    void search(const QString &folder, const QString &name, int mode = 0, bool subfolders = false)
    {
        form->Text1->setText(folder);
        form->Text2->setText(name);
        form->Combo1->setCurrentIndex(mode);
        form->Check1->setChecked(subfolders);
        QTest::mouseClick(form->Command1, Qt::LeftButton);
    }
};

} // namespace

TEST(NameFilter, EmptyExactAndSimilar)
{
    EXPECT_TRUE(NameMatches(QStringLiteral("anything"), QString(), 0));
    EXPECT_TRUE(NameMatches(QStringLiteral("REPORT.TXT"), QStringLiteral("Report.TXT"), 0));
    EXPECT_FALSE(NameMatches(QStringLiteral("report.txt[20240101120000替换备份]"), QStringLiteral("Report.TXT"), 0));
    EXPECT_TRUE(NameMatches(QStringLiteral("report.txt[20240101120000替换备份]"), QStringLiteral("Report.TXT"), 1));
    EXPECT_TRUE(NameMatches(QStringLiteral("export.doc"), QStringLiteral("PORT"), 1));
    // Untrimmed: a blank typed after the name is part of what is matched.
    EXPECT_FALSE(NameMatches(QStringLiteral("report.txt"), QStringLiteral("report.txt "), 0));
}

TEST_F(SearchCommandTest, ExactModeSkipsBackupsSimilarModeListsThem)
{
    TempTree t;
    t.file(QStringLiteral("report.txt"));
    t.file(QStringLiteral("REPORT.TXT"));
    t.file(QStringLiteral("report.txt[20240101120000替换备份]"));
    t.file(QStringLiteral("other.txt"));
    t.file(QStringLiteral("report.doc"));
    search(t.root(), QStringLiteral("Report.TXT"), 0);
    EXPECT_EQ(listedNames(form), QStringList({"REPORT.TXT", "report.txt"}));

    form->model()->clear();
    search(t.root(), QStringLiteral("Report.TXT"), 1);
    EXPECT_EQ(listedNames(form), QStringList({"REPORT.TXT", "report.txt", "report.txt[20240101120000替换备份]"}));
}

TEST_F(SearchCommandTest, SimilarWithoutExtensionSeesEveryFile)
{
    TempTree t;
    t.file(QStringLiteral("report.txt"));
    t.file(QStringLiteral("export.doc"));
    t.file(QStringLiteral("other.txt"));
    search(t.root(), QStringLiteral("port"), 1);
    EXPECT_EQ(listedNames(form), QStringList({"export.doc", "report.txt"}));
    // An empty name lists every file.
    search(t.root(), QString(), 0);
    EXPECT_EQ(form->model()->rowCount(), 3);
}

TEST_F(SearchCommandTest, NamesBeyondAsciiMatchAsTheyDidDecoded)
{
    TempTree t;
    t.file(QStringLiteral("文档port.txt"));
    t.file(QStringLiteral("\u212Aey.txt")); // KELVIN SIGN folds to "k"
    t.file(QStringLiteral("key.txt"));
    t.file(QStringLiteral("文档.txt"));
    search(t.root(), QStringLiteral("Key.TXT"), 0);
    EXPECT_EQ(listedNames(form), QStringList({"key.txt", QStringLiteral("\u212Aey.txt")}));
    form->model()->clear();
    search(t.root(), QStringLiteral("PORT"), 1);
    EXPECT_EQ(listedNames(form), QStringList({QStringLiteral("文档port.txt")}));
    form->model()->clear();
    search(t.root(), QStringLiteral("文档.TXT"), 0);
    EXPECT_EQ(listedNames(form), QStringList({QStringLiteral("文档.txt")}));
}

TEST_F(SearchCommandTest, SearchingTwiceAddsNoDuplicatesAndKeepsStatusesAndTicks)
{
    TempTree t;
    t.file(QStringLiteral("a.txt"));
    t.file(QStringLiteral("b.txt"));
    search(t.root(), QString());
    ASSERT_EQ(form->model()->rowCount(), 2);
    form->model()->setChecked(0, true);
    form->model()->setStatus(0, QStringLiteral("已经替换"));
    const QString key = form->model()->key(0);
    t.file(QStringLiteral("c.txt"));
    search(t.root(), QString());
    EXPECT_EQ(form->model()->rowCount(), 3);
    const int r = form->model()->findKey(key);
    ASSERT_GE(r, 0);
    EXPECT_TRUE(form->model()->row(r).checked);
    EXPECT_EQ(form->model()->row(r).status(), QStringLiteral("已经替换"));
    EXPECT_EQ(form->Panel[2]->text(), QStringLiteral("文件数：3"));
}

TEST_F(SearchCommandTest, CompletionReportsFoldersAndElapsedTime)
{
    TempTree t;
    t.file(QStringLiteral("top.txt"));
    t.file(QStringLiteral("one/a.txt"));
    t.file(QStringLiteral("two/b.txt"));
    search(t.root(), QStringLiteral("nomatch.txt"));
    ASSERT_EQ(MessageBox::history().size(), 1);
    EXPECT_EQ(MessageBox::history()[0].icon, MessageBox::Icon::Information);
    EXPECT_EQ(MessageBox::history()[0].text, QStringLiteral("搜索完成！\r\n搜索目录：1个，耗时：0秒"));
    EXPECT_EQ(form->Panel[2]->text(), QStringLiteral("文件数：0"));
    EXPECT_EQ(form->Panel[1]->text(), QStringLiteral("搜索完成。耗时：0秒"));

    search(t.root(), QString(), 0, true);
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("搜索完成！\r\n搜索目录：3个，耗时：")));
    EXPECT_EQ(form->model()->rowCount(), 3);
    // Back to idle.
    EXPECT_EQ(form->Command1->text(), QStringLiteral("搜索文件"));
    EXPECT_FALSE(form->PicProgress->isVisible());
    EXPECT_FALSE(appState().IsWorking);
    EXPECT_TRUE(form->ListView1->isVisible());
    EXPECT_EQ(form->ProgressBar1->value(), 1);
}

TEST_F(SearchCommandTest, RunningSearchShowsStopAndAClickStopsIt)
{
    TempTree t;
    for (int d = 0; d < 30; ++d)
        for (int i = 0; i < 20; ++i)
            t.file(QStringLiteral("d%1/f%2.txt").arg(d).arg(i));
    QString captionWhileRunning, busyCaption;
    QColor textWhileRunning;
    bool panelShown = false;
    // On a dark theme the yellow stop button must not keep the theme's light text.
    const DarkTheme dark;
    bool refusedSort = false;
    // At the walk's first turns: look at the window, try to sort, then stop.
    int turn = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, form, [&] {
        if (++turn == 1) {
            captionWhileRunning = form->Command1->text();
            textWhileRunning = form->Command1->palette().color(QPalette::ButtonText);
            busyCaption = form->Label3->text();
            panelShown = form->PicProgress->isVisible();
            form->ListView1->headerClicked(1);
            refusedSort = lastMessage() == QStringLiteral("停止工作后方可排序！");
            QTest::mouseClick(form->Command1, Qt::LeftButton);
        }
    });
    poll.start(0);
    search(t.root(), QString(), 0, true);
    poll.stop();
    EXPECT_EQ(captionWhileRunning, QStringLiteral("停止搜索"));
    EXPECT_LT(textWhileRunning.lightness(), 80) << qPrintable(textWhileRunning.name());
    EXPECT_EQ(busyCaption, QStringLiteral("正在搜索文件夹和文件..."));
    EXPECT_TRUE(panelShown);
    EXPECT_TRUE(refusedSort);
    // What was collected before the stop is listed; the rest is not.
    EXPECT_LT(form->model()->rowCount(), 600);
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("搜索完成！")));
    EXPECT_EQ(form->Command1->text(), QStringLiteral("搜索文件"));
}

TEST_F(SearchCommandTest, RefusalsInTheirOrder)
{
    TempTree t;
    search(QStringLiteral("   "), QString());
    EXPECT_EQ(lastMessage(), QStringLiteral("请指定搜索目录！"));
    EXPECT_EQ(MessageBox::history().last().icon, MessageBox::Icon::Critical);
    search(t.path(QStringLiteral("missing")), QString());
    EXPECT_EQ(lastMessage(), QStringLiteral("文件夹不存在！ 请重新指定文件夹！"));
    appState().IsWorking = true;
    search(t.root(), QString());
    EXPECT_EQ(lastMessage(), QStringLiteral("正在工作，请稍后再试！"));
    EXPECT_EQ(MessageBox::history().size(), 3);
    EXPECT_EQ(form->model()->rowCount(), 0);
}

TEST_F(SearchCommandTest, RowsGetTheIconOfTheirKind)
{
    TempTree t;
    t.file(QStringLiteral("a.txt"));
    t.file(QStringLiteral("b.txt"));
    t.file(QStringLiteral("c.png"));
    search(t.root(), QString());
    ASSERT_EQ(form->model()->rowCount(), 3);
    EXPECT_EQ(form->ImageList1.size(), 3) << "the program's own image and one per kind";
    const int ia = form->model()->row(form->model()->findKey(t.path(QStringLiteral("a.txt")))).icon;
    const int ib = form->model()->row(form->model()->findKey(t.path(QStringLiteral("b.txt")))).icon;
    const int ic = form->model()->row(form->model()->findKey(t.path(QStringLiteral("c.png")))).icon;
    EXPECT_GT(ia, 1);
    EXPECT_EQ(ia, ib);
    EXPECT_NE(ia, ic);
    EXPECT_FALSE(form->model()->data(form->model()->index(0, 0), Qt::DecorationRole).isNull());
}

TEST_F(SearchCommandTest, ClosingDuringASearchStopsItAndSavesTheSettings)
{
    TempTree t;
    for (int d = 0; d < 20; ++d)
        for (int i = 0; i < 20; ++i)
            t.file(QStringLiteral("d%1/f%2.txt").arg(d).arg(i));
    form->setAttribute(Qt::WA_DeleteOnClose);
    QTimer::singleShot(0, form, [this] { form->close(); });
    search(t.root(), QString(), 0, true);
    EXPECT_TRUE(MessageBox::history().isEmpty()) << "no completion box for a closed window";
    expectClosedAndSaved(t.root());
}
