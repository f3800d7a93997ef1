#include "list/result_list_view.h"
#include "list/result_model.h"
#include "replace/engine/backup.h"
#include "replace/form2.h"
#include "shell/engine/file_system.h"
#include "support/form_fixture.h"
#include "support/temp_tree.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <unistd.h>

namespace {

class ReplaceTest : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        master = t.file(QStringLiteral("master/report.doc"), "MASTER");
        TempTree::touch(master, QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5), Qt::LocalTime));
    }
    QString status(const QString &path)
    {
        const int r = rowOf(path);
        return r < 0 ? QStringLiteral("<not listed>") : form->model()->row(r).status();
    }
    // Names in a folder that end with a tag (wildcards would read "[" as a class).
    QStringList namesEndingWith(const QString &folder, const QString &tag)
    {
        QStringList out;
        for (const QString &n : FileNamesIn(t.path(folder)))
            if (n.endsWith(tag))
                out << n;
        return out;
    }
    void replace(bool yes = true)
    {
        form->Text3->setText(master);
        MessageBox::setNextAnswer(yes ? MessageBox::Answer::Yes : MessageBox::Answer::No);
        QTest::mouseClick(form->Command3, Qt::LeftButton);
    }
    void restore(std::function<void(Form2 &)> dialog)
    {
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        if (dialog)
            ModalDialog::setNextScript([dialog](QDialog &d) { dialog(static_cast<Form2 &>(d)); });
        form->action(QStringLiteral("menu恢复最近一次被替换的文件"))->trigger();
    }
    // Closes the window once the run has written its first outcome; the run
    // must end there, quietly, and the window then close and save.
    void closeAtFirstOutcome(const std::function<void()> &run)
    {
        form->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(form->model(), &QAbstractItemModel::dataChanged, form,
                         [this](const QModelIndex &from, const QModelIndex &, const QList<int> &roles) {
                             if (from.column() == ResultModel::StatusColumn && roles.contains(Qt::DisplayRole))
                                 form->close();
                         });
        run();
        EXPECT_EQ(MessageBox::history().size(), 1) << "only the question; no notice for a closed window";
        expectClosedAndSaved(t.root());
    }
    QString master;
};

void choose(Form2 &d, bool rename)
{
    (rename ? d.Option2 : d.Option1)->setChecked(true);
    d.Command1->click();
}

} // namespace

TEST_F(ReplaceTest, RefusalsComeFirstAndChangeNothing)
{
    form->Text3->setText(QStringLiteral("  "));
    QTest::mouseClick(form->Command3, Qt::LeftButton);
    EXPECT_EQ(lastMessage(), QStringLiteral("请指定替换用的母文件！"));
    EXPECT_EQ(MessageBox::history().last().icon, MessageBox::Icon::Critical);
    form->Text3->setText(t.path(QStringLiteral("missing.doc")));
    QTest::mouseClick(form->Command3, Qt::LeftButton);
    EXPECT_EQ(lastMessage(), QStringLiteral("替换用的母文件不存在！ 请重新指定替换用的母文件！"));
    appState().IsWorking = true;
    replace();
    EXPECT_EQ(lastMessage(), QStringLiteral("正在工作，请稍后再试！"));
    appState().IsWorking = false;
}

TEST_F(ReplaceTest, EveryRowGetsItsOutcome)
{
    const QString same = t.file(QStringLiteral("a/REPORT.DOC"), "old a");
    const QString differentName = t.file(QStringLiteral("b/report.docx"), "old b");
    const QString equalFacts = t.file(QStringLiteral("c/report.doc"), "MASTER");
    TempTree::touch(equalFacts, QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5), Qt::LocalTime));
    const QString sameSizeOtherTime = t.file(QStringLiteral("d/report.doc"), "MASTEr");
    const QString unticked = t.file(QStringLiteral("e/report.doc"), "old e");
    const QString vanished = t.file(QStringLiteral("f/report.doc"), "old f");
    listAll();
    for (const QString &p : {same, differentName, equalFacts, sameSizeOtherTime, vanished, master})
        tick(p);
    form->model()->setStatus(rowOf(unticked), QStringLiteral("earlier"));
    QFile::remove(vanished);
    form->Check2->setChecked(true);
    replace();

    ASSERT_EQ(MessageBox::history().size(), 2);
    EXPECT_EQ(MessageBox::history()[0].text,
              QStringLiteral("所有被勾选的同名文件将会被替换用的母文件替换，原文件会被重命名后备份，你确定要继续吗？"));
    EXPECT_EQ(MessageBox::history()[0].icon, MessageBox::Icon::Question);
    EXPECT_EQ(MessageBox::history()[1].text, QStringLiteral("替换文件完成。"));
    EXPECT_EQ(MessageBox::history()[1].icon, MessageBox::Icon::Information);

    EXPECT_EQ(status(same), QStringLiteral("已经替换"));
    EXPECT_EQ(TempTree::read(same), "MASTER");
    EXPECT_EQ(form->model()->row(rowOf(same)).sizeKB(), QStringLiteral("0.006"));
    EXPECT_EQ(form->model()->row(rowOf(same)).modified(), QStringLiteral("2024-01-02 03:04:05"));
    EXPECT_EQ(status(differentName), QStringLiteral("跳过-文件名不同"));
    EXPECT_EQ(TempTree::read(differentName), "old b");
    EXPECT_EQ(status(equalFacts), QStringLiteral("跳过-大小日期相同"));
    EXPECT_EQ(status(sameSizeOtherTime), QStringLiteral("已经替换"));
    EXPECT_EQ(status(unticked), QStringLiteral("earlier"));
    EXPECT_EQ(TempTree::read(unticked), "old e");
    EXPECT_EQ(status(vanished), QStringLiteral("替换失败"));
    EXPECT_EQ(form->model()->row(rowOf(vanished)).sizeKB(), QStringLiteral(" 文件不存在"));
    EXPECT_EQ(form->model()->row(rowOf(vanished)).modified(), QStringLiteral(" "));
    EXPECT_EQ(status(master), QStringLiteral("自身"));
    EXPECT_FALSE(form->model()->row(rowOf(master)).checked);
    EXPECT_EQ(TempTree::read(master), "MASTER");
    EXPECT_FALSE(appState().IsWorking);
    EXPECT_TRUE(form->Command3->isEnabled());
    EXPECT_FALSE(form->PicProgress->isVisible());
}

TEST_F(ReplaceTest, WithoutTheSkipOptionEqualFilesAreReplacedToo)
{
    const QString equalFacts = t.file(QStringLiteral("c/report.doc"), "MASTER");
    TempTree::touch(equalFacts, QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5), Qt::LocalTime));
    listAll();
    tick(equalFacts);
    form->Check2->setChecked(false);
    replace();
    EXPECT_EQ(status(equalFacts), QStringLiteral("已经替换"));
    EXPECT_EQ(QDir(t.path(QStringLiteral("c"))).entryList(QDir::Files).size(), 2);
}

TEST_F(ReplaceTest, AnsweringNoChangesNothing)
{
    const QString target = t.file(QStringLiteral("a/report.doc"), "old");
    listAll();
    tick(target);
    replace(false);
    EXPECT_EQ(TempTree::read(target), "old");
    EXPECT_EQ(status(target), QString());
    EXPECT_EQ(MessageBox::history().size(), 1);
}

TEST_F(ReplaceTest, NoBackupModeAsksFirst)
{
    const QString target = t.file(QStringLiteral("a/report.doc"), "old");
    listAll();
    tick(target);
    appState().NoBackupBeforeReplace = 1;
    replace(false);
    ASSERT_EQ(MessageBox::history().size(), 1);
    EXPECT_EQ(MessageBox::history()[0].text, QStringLiteral("目前的设置是替换前不备份文件，你确定要继续吗？"));
    EXPECT_EQ(MessageBox::history()[0].caption, QStringLiteral("备份确认"));
    EXPECT_EQ(TempTree::read(target), "old");

    MessageBox::clearHistory();
    MessageBox::setNextAnswer(MessageBox::Answer::Yes);
    replace(true);
    EXPECT_EQ(MessageBox::history().size(), 3);
    EXPECT_EQ(status(target), QStringLiteral("已经替换"));
    EXPECT_EQ(QDir(t.path(QStringLiteral("a"))).entryList(QDir::Files), QStringList({QStringLiteral("report.doc")}));
}

TEST_F(ReplaceTest, AnEmptyListStillFinishes)
{
    replace();
    EXPECT_EQ(form->ProgressBar1->maximum(), 1);
    EXPECT_EQ(lastMessage(), QStringLiteral("替换文件完成。"));
}

TEST_F(ReplaceTest, ReplacesTheFileTheSearchReadThroughALinkAndDotDot)
{
    // data/jump -> far/inner: the kernel reads "data/jump/.." as far, not data.
    const QString untouched = t.file(QStringLiteral("data/report.doc"), "DATA");
    const QString found = t.file(QStringLiteral("far/report.doc"), "FAR");
    t.folder(QStringLiteral("far/inner"));
    ASSERT_EQ(::symlink(QFile::encodeName(t.path(QStringLiteral("far/inner"))).constData(),
                        QFile::encodeName(t.path(QStringLiteral("data/jump"))).constData()), 0);
    form->Text1->setText(t.path(QStringLiteral("data/jump/..")));
    form->Text2->clear();
    form->Check1->setChecked(false);
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    ASSERT_EQ(form->model()->rowCount(), 1);
    form->model()->setChecked(0, true);
    replace();
    EXPECT_EQ(form->model()->row(0).status(), QStringLiteral("已经替换"));
    EXPECT_EQ(TempTree::read(found), "MASTER");
    EXPECT_EQ(TempTree::read(untouched), "DATA");
    EXPECT_EQ(QDir(t.path(QStringLiteral("data"))).entryList(QDir::Files), QStringList({QStringLiteral("report.doc")}));
}

TEST_F(ReplaceTest, NamesThatAreNotUtf8AreReplacedOneRowAtATime)
{
    master = t.file(DecodeFileName(QByteArray("master/bad\xff.doc")), "MASTER");
    const QString ff = t.file(DecodeFileName(QByteArray("a/bad\xff.doc")), "ff");
    const QString c3 = t.file(DecodeFileName(QByteArray("a/bad\xc3.doc")), "c3");
    const QString fffd = t.file(QStringLiteral("a/bad\uFFFD.doc"), "fffd");
    listAll();
    tick(ff);
    replace();
    EXPECT_EQ(status(ff), QStringLiteral("已经替换"));
    EXPECT_EQ(TempTree::read(ff), "MASTER");
    EXPECT_EQ(TempTree::read(c3), "c3");
    EXPECT_EQ(TempTree::read(fffd), "fffd");

    // Its backup, found by the next search, comes back to exactly that name.
    form->model()->clear();
    listAll();
    const QStringList backups = namesEndingWith(QStringLiteral("a"), ReplaceTag);
    ASSERT_EQ(backups.size(), 1);
    tick(t.path(QStringLiteral("a/") + backups[0]));
    restore([](Form2 &d) { choose(d, true); });
    EXPECT_EQ(TempTree::read(ff), "ff");
    EXPECT_EQ(TempTree::read(c3), "c3");
    EXPECT_EQ(TempTree::read(fffd), "fffd");
}

TEST_F(ReplaceTest, NamesEndingInBlanksAreReplacedAndRestoredExactly)
{
    master = t.file(QStringLiteral("master/notes.txt "), "MASTER");
    const QString spaced = t.file(QStringLiteral("a/notes.txt "), "ORIGINAL");
    const QString plain = t.file(QStringLiteral("a/notes.txt"), "PLAIN");
    listAll();
    tick(spaced);
    replace();
    ASSERT_EQ(TempTree::read(spaced), "MASTER");
    ASSERT_TRUE(QFile::remove(spaced)); // the name is free again
    form->model()->clear();
    listAll();
    const QString backup = t.path(QStringLiteral("a/") + namesEndingWith(QStringLiteral("a"), ReplaceTag).value(0));
    tick(backup);
    const int row = rowOf(backup);
    restore([](Form2 &d) { choose(d, false); });
    EXPECT_EQ(form->model()->row(row).status(), QStringLiteral("已经恢复"));
    EXPECT_EQ(TempTree::read(spaced), "ORIGINAL");
    EXPECT_EQ(TempTree::read(plain), "PLAIN");
}

TEST_F(ReplaceTest, RestoreBringsTheNewestBackupBack)
{
    const QString target = t.file(QStringLiteral("a/report.doc"), "ORIGINAL");
    listAll();
    tick(target);
    replace();
    ASSERT_EQ(TempTree::read(target), "MASTER");
    form->model()->clear();
    listAll();
    const QString backupName = namesEndingWith(QStringLiteral("a"), ReplaceTag).value(0);
    const QString backup = t.path(QStringLiteral("a/") + backupName);
    tick(backup);
    tick(target); // not a backup name

    // Skip: the replaced file stands in the way.
    restore([](Form2 &d) { choose(d, false); });
    EXPECT_EQ(status(backup), QStringLiteral("已存在，跳过"));
    EXPECT_EQ(status(target), QStringLiteral("格式不符"));
    EXPECT_EQ(TempTree::read(target), "MASTER");
    EXPECT_EQ(lastMessage(), QStringLiteral("恢复文件完成。"));

    // Rename: the copy is set aside, the backup gets its name back.
    const int row = rowOf(backup);
    ASSERT_GE(row, 0);
    bool preselectedSkip = false;
    restore([&](Form2 &d) { preselectedSkip = d.Option1->isChecked(); choose(d, true); });
    EXPECT_TRUE(preselectedSkip);
    EXPECT_EQ(TempTree::read(target), "ORIGINAL");
    EXPECT_EQ(form->model()->row(row).status(), QStringLiteral("已经恢复"));
    EXPECT_EQ(form->model()->row(row).fileName, QStringLiteral("report.doc"));
    EXPECT_EQ(form->model()->key(row), target);
    EXPECT_EQ(form->model()->row(row).sizeKB(), QStringLiteral("0.008"));
    const QStringList aside = namesEndingWith(QStringLiteral("a"), RestoreTag);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(TempTree::read(t.path(QStringLiteral("a/") + aside[0])), "MASTER");
    // The listed copy's row follows it to its new name; keys stay unique.
    const int asideRow = rowOf(t.path(QStringLiteral("a/") + aside[0]));
    ASSERT_GE(asideRow, 0);
    EXPECT_EQ(form->model()->row(asideRow).status(), QStringLiteral("格式不符"));
    EXPECT_EQ(rowOf(target), row);

    // The dialog remembers the last choice for the run.
    bool preselectedRename = false;
    restore([&](Form2 &d) { preselectedRename = d.Option2->isChecked(); d.Command2->click(); });
    EXPECT_TRUE(preselectedRename);
    EXPECT_EQ(appState().RestoreConflictChoice, QStringLiteral("取消"));
    bool afterCancel = false;
    restore([&](Form2 &d) { afterCancel = d.Option1->isChecked(); d.reject(); });
    EXPECT_TRUE(afterCancel);
}

TEST_F(ReplaceTest, OnlyTheMostRecentBackupIsRestored)
{
    const QString older = t.file(QStringLiteral("a/report.doc[20230101000000替换备份]"), "older");
    t.file(QStringLiteral("a/report.doc[20240101000000替换备份]"), "newer");
    const QString orphan = t.file(QStringLiteral("b/x.doc[20230101000000替换备份]"), "orphan");
    listAll();
    tick(older);
    tick(orphan);
    QFile::remove(orphan);
    restore([](Form2 &d) { choose(d, false); });
    EXPECT_EQ(status(older), QStringLiteral("不是最近替换"));
    EXPECT_EQ(status(orphan), QStringLiteral("替换文件不存在"));
    EXPECT_FALSE(QFile::exists(t.path(QStringLiteral("a/report.doc"))));
}

TEST_F(ReplaceTest, BackupsOfSimilarNamesDoNotHideEachOther)
{
    const QString doc = t.file(QStringLiteral("a/report.doc[20230101000000替换备份]"), "doc");
    const QString docx = t.file(QStringLiteral("a/report.docx[20240101000000替换备份]"), "docx");
    const QString lower = t.file(QStringLiteral("a/n.txt[20230101000000替换备份]"), "lower");
    const QString upper = t.file(QStringLiteral("a/N.TXT[20240101000000替换备份]"), "upper");
    listAll();
    for (const QString &p : {doc, docx, lower, upper})
        tick(p);
    restore([](Form2 &d) { choose(d, false); });
    EXPECT_EQ(TempTree::read(t.path(QStringLiteral("a/report.doc"))), "doc");
    EXPECT_EQ(TempTree::read(t.path(QStringLiteral("a/report.docx"))), "docx");
#ifndef Q_OS_WIN
    EXPECT_EQ(TempTree::read(t.path(QStringLiteral("a/n.txt"))), "lower");
    EXPECT_EQ(TempTree::read(t.path(QStringLiteral("a/N.TXT"))), "upper");
    EXPECT_EQ(status(t.path(QStringLiteral("a/n.txt"))), QStringLiteral("已经恢复"));
#endif
}

TEST_F(ReplaceTest, ARestoredRowTakesOverTheRowOfAVanishedFile)
{
    const QString gone = t.file(QStringLiteral("a/report.doc"), "replaced");
    const QString backup = t.file(QStringLiteral("a/report.doc[20240101000000替换备份]"), "backup");
    const QString later = t.file(QStringLiteral("a/zz.doc[20240101000000替换备份]"), "later");
    listAll();
    form->model()->sortRows(ResultModel::NameColumn, Qt::AscendingOrder);
    ASSERT_LT(rowOf(gone), rowOf(backup)) << "the vanished row comes first, so dropping it moves the rest up";
    tick(backup);
    tick(later);
    const int rows = form->model()->rowCount();
    QFile::remove(gone);
    restore([](Form2 &d) { choose(d, false); });
    EXPECT_EQ(form->model()->rowCount(), rows - 1);
    int keyedGone = 0;
    for (int r = 0; r < form->model()->rowCount(); ++r)
        keyedGone += form->model()->key(r) == gone;
    EXPECT_EQ(keyedGone, 1);
    EXPECT_EQ(status(gone), QStringLiteral("已经恢复"));
    EXPECT_EQ(TempTree::read(gone), "backup");
    EXPECT_EQ(status(t.path(QStringLiteral("a/zz.doc"))), QStringLiteral("已经恢复")) << "no row is passed over";
}

TEST_F(ReplaceTest, RenameChoiceSetsTheStandingFileAsideEvenWhenNothingIsRestored)
{
    const QString orphan = t.file(QStringLiteral("b/x.doc[20230101000000替换备份]"), "orphan");
    const QString standing = t.file(QStringLiteral("b/x.doc"), "standing");
    listAll();
    tick(orphan);
    QFile::remove(orphan);
    restore([](Form2 &d) { choose(d, true); });
    EXPECT_EQ(status(orphan), QStringLiteral("替换文件不存在"));
    EXPECT_FALSE(QFile::exists(standing));
    EXPECT_EQ(namesEndingWith(QStringLiteral("b"), RestoreTag).size(), 1);
}

TEST_F(ReplaceTest, ARenameThatWouldOverwriteFailsAndLeavesBothFiles)
{
    const QString backup = t.file(QStringLiteral("a/report.doc[20240101000000替换备份]"), "backup");
    listAll();
    tick(backup);
    // A dangling link at the name: not a file for the existence test, but a
    // rename onto it would replace it.
    ASSERT_EQ(::symlink("nowhere", QFile::encodeName(t.path(QStringLiteral("a/report.doc"))).constData()), 0);
    restore([](Form2 &d) { choose(d, false); });
    EXPECT_EQ(status(backup), QStringLiteral("恢复失败"));
    EXPECT_EQ(TempTree::read(backup), "backup");
    EXPECT_TRUE(QFileInfo(t.path(QStringLiteral("a/report.doc"))).isSymLink());
}

TEST_F(ReplaceTest, RestoreRefusalsAndDeclines)
{
    appState().IsWorking = true;
    form->action(QStringLiteral("menu恢复最近一次被替换的文件"))->trigger();
    EXPECT_EQ(lastMessage(), QStringLiteral("正在工作，请稍后再试！"));
    appState().IsWorking = false;
    MessageBox::clearHistory();
    MessageBox::setNextAnswer(MessageBox::Answer::No);
    bool dialogShown = false;
    ModalDialog::setNextScript([&](QDialog &) { dialogShown = true; });
    form->action(QStringLiteral("menu恢复最近一次被替换的文件"))->trigger();
    EXPECT_FALSE(dialogShown);
    EXPECT_EQ(MessageBox::history().size(), 1);
    EXPECT_EQ(MessageBox::history()[0].text,
              QStringLiteral("所有被勾选的替换后备份文件将会被恢复成原文件名，如果原文件已经存在则跳过，你确定要继续吗？"));
    ModalDialog::clearScripts();
}

TEST_F(ReplaceTest, MasterFileComesFromThePicker)
{
    FileDialog::setNextFileName(master);
    QTest::mouseClick(form->Command2, Qt::LeftButton);
    EXPECT_EQ(form->Text3->text(), master);
    EXPECT_EQ(form->Label7->text(), QStringLiteral("母文件的文件名、大小、修改日期：report.doc 0.006KB 2024-01-02 03:04:05"));
    // Cancelled: the text stays.
    QTest::mouseClick(form->Command2, Qt::LeftButton);
    EXPECT_EQ(form->Text3->text(), master);
}

TEST_F(ReplaceTest, ClosingTheWindowStopsAReplacementOrARestoreBeforeItsNextRow)
{
    QStringList targets, backups;
    for (int i = 0; i < 4; ++i) {
        targets << t.file(QStringLiteral("t%1/report.doc").arg(i), "old");
        backups << t.file(QStringLiteral("b%1/x.doc[20240101000000替换备份]").arg(i), "backup");
    }
    listAll();
    for (const QString &p : targets)
        tick(p);
    closeAtFirstOutcome([this] { replace(); });
    int replaced = 0;
    for (const QString &p : targets)
        replaced += TempTree::read(p) == "MASTER";
    EXPECT_EQ(replaced, 1);

    form = new Form1;
    form->loadForm();
    form->show();
    listAll();
    for (const QString &p : backups)
        tick(p);
    closeAtFirstOutcome([this] { restore([](Form2 &d) { choose(d, false); }); });
    int restored = 0;
    for (const QString &p : backups)
        restored += !QFile::exists(p);
    EXPECT_EQ(restored, 1);
}
