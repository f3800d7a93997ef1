#include "replace/engine/backup.h"
#include "replace/engine/file_ops.h"
#include "replace/form2.h"
#include "shell/engine/file_system.h"
#include "support/form_fixture.h"

#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QScopeGuard>
#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <unistd.h>

namespace {

const QDateTime MasterTime(QDate(2024, 1, 2), QTime(3, 4, 5), Qt::LocalTime);

class ReplaceTest : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        master = t.file(QStringLiteral("master/report.doc"), "MASTER");
        TempTree::touch(master, MasterTime);
    }
    QString status(const QString &path)
    {
        return rowOf(path) < 0 ? QStringLiteral("<not listed>") : form->model()->row(rowOf(path)).status();
    }
    // The status cell's cause as its tooltip shows it; a screen reader hears
    // a cell's accessible description, which must say the same.
    QString cause(int row)
    {
        const QModelIndex i = form->model()->index(row, ResultModel::StatusColumn);
        EXPECT_EQ(i.data(Qt::AccessibleDescriptionRole), i.data(Qt::ToolTipRole));
        return i.data(Qt::ToolTipRole).toString();
    }
    // The first file of a folder whose name holds the tag.
    QString tagged(const QString &folder, const QString &tag = ReplaceTag)
    {
        return t.path(folder + QLatin1Char('/') + FileNamesIn(t.path(folder)).filter(tag).value(0));
    }
    void replace(bool yes = true)
    {
        form->Text3->setText(master);
        MessageBox::setNextAnswer(yes ? MessageBox::Answer::Yes : MessageBox::Answer::No);
        QTest::mouseClick(form->Command3, Qt::LeftButton);
    }
    // Answers the question with Yes and the dialog with its skip or rename
    // option, or its cancel button.
    void restore(bool rename, bool *preselectedRename = nullptr, bool cancel = false)
    {
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        ModalDialog::setNextScript([=](QDialog &dialog) {
            auto &d = static_cast<Form2 &>(dialog);
            if (preselectedRename)
                *preselectedRename = d.Option2->isChecked();
            (rename ? d.Option2 : d.Option1)->setChecked(true);
            (cancel ? d.Command2 : d.Command1)->click();
        });
        run("menu恢复最近一次被替换的文件");
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

} // namespace

TEST_F(ReplaceTest, RefusalsAndDeclinesChangeNothing)
{
    // Size and time equal the master's: only the skip option spares it.
    const QString target = t.file(QStringLiteral("a/report.doc"), "OLDOLD");
    TempTree::touch(target, MasterTime);
    listAll();
    tick(target);
    const QList<std::pair<QString, QString>> refusals = {
        {QStringLiteral("  "), QStringLiteral("请指定替换用的母文件！")},
        {t.path(QStringLiteral("missing.doc")), QStringLiteral("替换用的母文件不存在！ 请重新指定替换用的母文件！")},
        {master, QStringLiteral("正在工作，请稍后再试！")}};
    appState().IsWorking = true;
    for (const auto &[text, message] : refusals) {
        form->Text3->setText(text);
        QTest::mouseClick(form->Command3, Qt::LeftButton);
        EXPECT_EQ(lastMessage(), message);
        EXPECT_EQ(MessageBox::history().last().icon, MessageBox::Icon::Critical);
    }
    run("menu恢复最近一次被替换的文件");
    EXPECT_EQ(lastMessage(), QStringLiteral("正在工作，请稍后再试！"));
    appState().IsWorking = false;
    replace(false);
    MessageBox::setNextAnswer(MessageBox::Answer::No);
    run("menu恢复最近一次被替换的文件"); // a run would mark the row "格式不符"
    appState().NoBackupBeforeReplace = 1;
    MessageBox::clearHistory();
    replace(false);
    ASSERT_EQ(MessageBox::history().size(), 1);
    EXPECT_EQ(MessageBox::history()[0].text, QStringLiteral("目前的设置是替换前不备份文件，你确定要继续吗？"));
    EXPECT_EQ(MessageBox::history()[0].caption, QStringLiteral("备份确认"));
    EXPECT_EQ(TempTree::read(target), "OLDOLD");
    EXPECT_EQ(status(target), QString());

    // The master as picked (a cancelled pick keeps it); yes to both
    // questions: the old file goes to the trash and leaves no backup name.
    FileDialog::setNextFileName(master);
    QTest::mouseClick(form->Command2, Qt::LeftButton);
    QTest::mouseClick(form->Command2, Qt::LeftButton);
    form->Check2->setChecked(false);
    MessageBox::setNextAnswer(MessageBox::Answer::Yes);
    MessageBox::setNextAnswer(MessageBox::Answer::Yes);
    QTest::mouseClick(form->Command3, Qt::LeftButton);
    EXPECT_EQ(status(target), QStringLiteral("已经替换"));
    EXPECT_EQ(FileNamesIn(t.path(QStringLiteral("a"))), QStringList({QStringLiteral("report.doc")}));
}

TEST_F(ReplaceTest, EveryRowGetsItsOutcome)
{
    const QString same = t.file(QStringLiteral("a/REPORT.DOC"), "old a");
    const QString differentName = t.file(QStringLiteral("b/report.docx"), "old b");
    const QString equalFacts = t.file(QStringLiteral("c/report.doc"), "MASTER");
    TempTree::touch(equalFacts, MasterTime);
    const QString sameSizeOtherTime = t.file(QStringLiteral("d/report.doc"), "MASTEr");
    const QString unticked = t.file(QStringLiteral("e/report.doc"), "old e");
    const QString vanished = t.file(QStringLiteral("f/report.doc"), "old f");
    listAll();
    for (const QString &p : {same, differentName, equalFacts, sameSizeOtherTime, vanished, master})
        tick(p);
    form->model()->setStatus(rowOf(unticked), QStringLiteral("earlier"));
    QFile::remove(vanished);
    form->Check2->setChecked(true);
    QFile::setPermissions(master, QFile::ReadOwner);
    const ChangeWatch watch(form->model());
    replace();
    watch.expectAllTold("replacing");
    expectColumnsFit("replacing");
    EXPECT_TRUE(QFile::permissions(master) & QFile::WriteOwner) << "the master is made writable";

    ASSERT_EQ(MessageBox::history().size(), 2);
    EXPECT_EQ(MessageBox::history()[0].text,
              QStringLiteral("所有被勾选的同名文件将会被替换用的母文件替换，原文件会被重命名后备份，你确定要继续吗？"));
    EXPECT_EQ(MessageBox::history()[1].text, QStringLiteral("替换文件完成。"));
    EXPECT_EQ(MessageBox::history()[1].icon, MessageBox::Icon::Information);
    const QList<std::pair<QString, QString>> outcomes = {{same, QStringLiteral("已经替换")},
                                                         {differentName, QStringLiteral("跳过-文件名不同")},
                                                         {equalFacts, QStringLiteral("跳过-大小日期相同")},
                                                         {sameSizeOtherTime, QStringLiteral("已经替换")},
                                                         {unticked, QStringLiteral("earlier")},
                                                         {vanished, QStringLiteral("替换失败")},
                                                         {master, QStringLiteral("自身")}};
    for (const auto &[path, outcome] : outcomes)
        EXPECT_EQ(status(path), outcome) << path.toStdString();
    EXPECT_EQ(TempTree::read(same), "MASTER");
    EXPECT_EQ(FileNamesIn(t.path(QStringLiteral("a"))).filter(ReplaceTag).size(), 1);
    EXPECT_EQ(form->model()->row(rowOf(same)).sizeKB(), QStringLiteral("0.006"));
    EXPECT_EQ(form->model()->row(rowOf(same)).modified(), QStringLiteral("2024-01-02 03:04:05"));
    EXPECT_EQ(form->model()->row(rowOf(vanished)).sizeKB(), QStringLiteral(" 文件不存在"));
    EXPECT_EQ(cause(rowOf(vanished)), QStringLiteral("文件或文件夹不存在"));
    EXPECT_FALSE(form->model()->row(rowOf(master)).checked);
    EXPECT_EQ(form->ProgressBar1->maximum(), form->model()->rowCount() + 1);
    EXPECT_FALSE(appState().IsWorking);
    EXPECT_TRUE(form->Command3->isEnabled());
    EXPECT_FALSE(form->PicProgress->isVisible());
}

// Names that are not UTF-8, and names ending in a blank, are replaced and
// come back from their backups exactly, never as a look-alike name.
TEST_F(ReplaceTest, OddNamesAreReplacedAndRestoredExactly)
{
    for (const QByteArray &name : {QByteArray("bad\xff.doc"), QByteArray("notes.txt ")}) {
        const QString file = DecodeFileName(name);
        master = t.file(QStringLiteral("master/") + file, "MASTER");
        const QString target = t.file(QStringLiteral("a/") + file, "ORIGINAL");
        const QStringList alike = {t.file(DecodeFileName("a/bad\xc3.doc"), "c3"), t.file(QStringLiteral("a/bad\uFFFD.doc"), "fffd"),
                                   t.file(QStringLiteral("a/notes.txt"), "plain")};
        form->model()->clear();
        listAll();
        tick(target);
        replace();
        ASSERT_EQ(TempTree::read(target), "MASTER") << name.constData();
        ASSERT_EQ(::unlink(EncodeFileName(target).constData()), 0); // the name is free again
        form->model()->clear();
        listAll();
        tick(tagged(QStringLiteral("a")));
        restore(false);
        EXPECT_EQ(status(target), QStringLiteral("已经恢复"));
        EXPECT_EQ(TempTree::read(target), "ORIGINAL");
        EXPECT_EQ(TempTree::read(alike[0]) + TempTree::read(alike[1]) + TempTree::read(alike[2]), "c3fffdplain");
    }
}

TEST_F(ReplaceTest, EveryRestoredRowGetsItsOutcome)
{
    const QString target = t.file(QStringLiteral("a/report.doc"), "CURRENT");
    const QString backup = t.file(QStringLiteral("a/report.doc[20240101000000替换备份]"), "backup");
    const QString older = t.file(QStringLiteral("b/report.doc[20230101000000替换备份]"), "older");
    t.file(QStringLiteral("b/report.doc[20240101000000替换备份]"), "newer");
    const QString orphan = t.file(QStringLiteral("c/x.doc[20230101000000替换备份]"), "orphan");
    const QString standing = t.file(QStringLiteral("c/x.doc"), "standing");
    // A dangling link at the name: no file for the existence test, but a
    // rename onto it would replace it.
    const QString blocked = t.file(QStringLiteral("d/report.doc[20240101000000替换备份]"), "blocked");
    ASSERT_EQ(::symlink("nowhere", QFile::encodeName(t.path(QStringLiteral("d/report.doc"))).constData()), 0);
    listAll();
    for (const QString &p : {backup, target, older, orphan, blocked})
        tick(p);
    QFile::remove(orphan);
    const int row = rowOf(backup);

    const ChangeWatch watch(form->model());
    restore(false);
    watch.expectAllTold("restoring");
    const QList<std::pair<QString, QString>> outcomes = {{backup, QStringLiteral("已存在，跳过")},
                                                         {target, QStringLiteral("格式不符")},
                                                         {older, QStringLiteral("不是最近替换")},
                                                         {orphan, QStringLiteral("已存在，跳过")},
                                                         {blocked, QStringLiteral("恢复失败")}};
    for (const auto &[path, outcome] : outcomes)
        EXPECT_EQ(status(path), outcome) << path.toStdString();
    EXPECT_EQ(lastMessage(), QStringLiteral("恢复文件完成。"));
    EXPECT_EQ(TempTree::read(target) + TempTree::read(standing) + TempTree::read(blocked), "CURRENTstandingblocked");
    EXPECT_TRUE(QFileInfo(t.path(QStringLiteral("d/report.doc"))).isSymLink());

    // Rename: a file in the way is set aside first, even when nothing is then
    // restored; the restored row shows the file under its old name, and the
    // row of the file set aside what that file holds now.
    t.file(QStringLiteral("a/report.doc"), "CURRENT, EDITED");
    QFile::setPermissions(target, QFile::ReadOwner);
    bool preselectedRename = true;
    const ChangeWatch renaming(form->model());
    restore(true, &preselectedRename);
    renaming.expectAllTold("restoring with rename");
    EXPECT_FALSE(preselectedRename);
    EXPECT_EQ(TempTree::read(target), "backup");
    EXPECT_EQ(form->model()->row(row).status(), QStringLiteral("已经恢复"));
    EXPECT_EQ(form->model()->key(row), target);
    EXPECT_EQ(form->model()->row(row).sizeKB(), QStringLiteral("0.006"));
    const QString aside = tagged(QStringLiteral("a"), RestoreTag);
    EXPECT_EQ(TempTree::read(aside), "CURRENT, EDITED");
    EXPECT_TRUE(QFile::permissions(aside) & QFile::WriteOwner);
    // The listed copy's row follows it to its new name; keys stay unique.
    EXPECT_EQ(status(aside), QStringLiteral("格式不符"));
    EXPECT_EQ(form->model()->row(rowOf(aside)).sizeKB(), QStringLiteral("0.015"));
    EXPECT_EQ(status(orphan), QStringLiteral("替换文件不存在"));
    EXPECT_FALSE(QFile::exists(standing));
    EXPECT_EQ(TempTree::read(tagged(QStringLiteral("c"), RestoreTag)), "standing");

    // The dialog remembers the choice while the program runs; a cancel ends
    // the command and offers skip next time.
    restore(false, &preselectedRename, true);
    EXPECT_TRUE(preselectedRename);
    EXPECT_EQ(appState().RestoreConflictChoice, QStringLiteral("取消"));
    EXPECT_EQ(lastMessage(), QStringLiteral("所有被勾选的替换后备份文件将会被恢复成原文件名，如果原文件已经存在则跳过，你确定要继续吗？"));
    restore(false, &preselectedRename, true);
    EXPECT_FALSE(preselectedRename);
}

// The row of a vanished file at the restored name goes when the run ends;
// until then a file set aside at that name is the restored row's.
TEST_F(ReplaceTest, ARestoredRowTakesOverTheRowOfAVanishedFile)
{
    const QString gone = t.file(QStringLiteral("a/report.doc"), "replaced");
    const QString newer = t.file(QStringLiteral("a/report.doc[20240101000000替换备份]"), "newer");
    const QString older = t.file(QStringLiteral("a/report.doc[20230101000000替换备份]"), "older");
    const QString later = t.file(QStringLiteral("a/zz.doc[20240101000000替换备份]"), "later");
    QFile::remove(master);
    listAll();
    form->model()->sortRows(ResultModel::NameColumn, Qt::DescendingOrder);
    for (const QString &p : {newer, older, later})
        tick(p);
    const int rows = form->model()->rowCount();
    QFile::remove(gone);
    restore(true);
    EXPECT_EQ(form->model()->rowCount(), rows - 1);
    EXPECT_EQ(form->Panel[2]->text(), QStringLiteral("文件数：%1").arg(rows - 1));
    const QString aside = tagged(QStringLiteral("a"), RestoreTag);
    for (const QString &p : {gone, aside, t.path(QStringLiteral("a/zz.doc"))})
        EXPECT_EQ(status(p), QStringLiteral("已经恢复")) << p.toStdString();
    EXPECT_EQ(TempTree::read(gone) + TempTree::read(aside), "oldernewer");
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
    closeAtFirstOutcome([this] { restore(false); });
    int restored = 0;
    for (const QString &p : backups)
        restored += !QFile::exists(p);
    EXPECT_EQ(restored, 1);
}

// Each fault, at the call it hits, becomes its cause on the row until the
// row's next status or the list's next emptying.
TEST_F(ReplaceTest, AFailedRowTellsWhyUntilItsStatusChanges)
{
    using FileOps::Call;
    enum Command { Replace, Restore, SetAside };
    const struct {
        Command command;
        FileOps::Fault fault;
        const char *cause;
    } cases[] = {
        {Replace, {Call::Open, EACCES}, "权限不足"},
        {Replace, {Call::Chmod, EPERM}, "权限不足"},
        {Replace, {Call::Link, EROFS}, "只读文件系统"},
        {Replace, {Call::CopyRange, ENOSPC}, "磁盘空间不足"},
        {Replace, {Call::CopyRange, EDQUOT}, "磁盘空间不足"},
        {Replace, {Call::Link, EEXIST}, "文件名已存在"},
        {Replace, {Call::Open, ENOENT}, "文件或文件夹不存在"},
        {Replace, {Call::Link, ENOTDIR}, "文件或文件夹不存在"},
        {Replace, {Call::Rename, EBUSY}, "文件正在使用"},
        {Replace, {Call::Rename, ETXTBSY}, "文件正在使用"},
        {Replace, {Call::Link, ENAMETOOLONG}, "文件名过长"},
        {Replace, {Call::Rename, EIO}, "系统错误（错误号 5）"},
        {Restore, {Call::RenameNoReplace, ENOTEMPTY}, "文件名已存在"},
        {Restore, {Call::RenameNoReplace, EACCES}, "权限不足"},
        {SetAside, {Call::RenameNoReplace, EBUSY}, "文件正在使用"},
        {SetAside, {Call::Chmod, EPERM}, "权限不足"},
    };
    const QString failed[] = {QStringLiteral("替换失败/"), QStringLiteral("恢复失败/"), QStringLiteral("已存在，跳过/")};
    const QString done[] = {QStringLiteral("已经替换/"), QStringLiteral("已经恢复/"), QStringLiteral("已经恢复/")};
    const auto noFaults = qScopeGuard([] { FileOps::setFaults({}); });
    for (int n = 0; n < int(std::size(cases)); ++n) {
        const auto &[command, fault, why] = cases[n];
        SCOPED_TRACE(testing::Message() << "case " << n << ": " << why);
        const QString d = QStringLiteral("case%1/").arg(n), target = t.file(d + QStringLiteral("report.doc"), "old");
        const QString backup = t.file(d + QStringLiteral("report.doc[20240101000000替换备份]"), "backup");
        QFile::setPermissions(target, QFile::ReadOwner);
        QFile::remove(command == Replace ? backup : command == Restore ? target : QString());
        run("menu移除全部");
        search(t.path(d));
        const int row = rowOf(command == Replace ? target : backup);
        EXPECT_EQ(cause(row), QString()) << "a row listed afresh may take a failed row's number, not its cause";
        form->model()->setChecked(row, true);
        // Then without the fault: the row succeeds and no longer says why it failed. Odd cases
        // leave the failed row for the next case's fresh list.
        for (int pass = 0; pass < (n % 2 ? 1 : 2); ++pass) {
            FileOps::setFaults(pass ? QList<FileOps::Fault>() : QList{fault});
            command == Replace ? replace() : restore(command == SetAside);
            EXPECT_EQ(form->model()->row(row).status() + QLatin1Char('/') + cause(row),
                      pass ? done[command] : failed[command] + QString::fromUtf8(why));
        }
    }
}

// No fault planted: a file system that is read-only, and a place the trash
// refuses (GIO takes a tmpfs for a system mount).
TEST_F(ReplaceTest, ARealReadOnlyFileSystemAndAPlaceWithoutTrashAreNamed)
{
    const QByteArray root = QFile::encodeName(t.folder(QStringLiteral("mnt")));
    if (::mount("tmpfs", root.constData(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs: " << std::strerror(errno);
    const auto unmount = qScopeGuard([&] { ::umount2(root.constData(), MNT_DETACH); });
    const QStringList files = {t.file(QStringLiteral("mnt/report.doc"), "kept"),
                               t.file(QStringLiteral("mnt/report.doc[20240101000000替换备份]"), "kept"),
                               t.file(QStringLiteral("mnt/d.doc"), "kept")};
    search(t.path(QStringLiteral("mnt")));
    ASSERT_EQ(::mount(nullptr, root.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0) << std::strerror(errno);
    const QString outcomes[] = {QStringLiteral("替换失败/只读文件系统"), QStringLiteral("已存在，跳过/只读文件系统"),
                                QStringLiteral("删除失败/此位置没有回收站")};
    for (int i = 0; i < 3; ++i) {
        form->model()->setAllChecked(false);
        tick(files[i]);
        i == 0 ? replace() : i == 1 ? restore(true) : (MessageBox::setNextAnswer(MessageBox::Answer::Yes), run("menu删除勾选项"));
        EXPECT_EQ(status(files[i]) + QLatin1Char('/') + cause(rowOf(files[i])), outcomes[i]);
    }
    for (const QString &f : files)
        EXPECT_EQ(TempTree::read(f), "kept") << f.toStdString();
}
