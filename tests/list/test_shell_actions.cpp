#include "app/engine/app_info.h"
#include "app/engine/settings.h"
#include "list/result_list_view.h"
#include "list/result_model.h"
#include "shell/engine/file_system.h"
#include "support/form_fixture.h"
#include "support/temp_tree.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class ShellActionsTest : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        file = t.file(QStringLiteral("sub dir/报告 1.txt"), "x");
        listAll();
        Desktop::clearHistory();
    }
    void selectFile() { select(rowOf(file)); }
    QString file;
};

} // namespace

TEST_F(ShellActionsTest, CopyCommandsPutThePathOrTheFolderOnTheClipboard)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("before"));
    run("menu复制文件路径");
    EXPECT_EQ(clipboard->text(), QStringLiteral("before")) << "nothing selected: clipboard unchanged";
    selectFile();
    run("menu复制文件路径");
    EXPECT_EQ(clipboard->text(), file);
    run("menu复制文件目录");
    EXPECT_EQ(clipboard->text(), t.path(QStringLiteral("sub dir")));
    EXPECT_TRUE(MessageBox::history().isEmpty());
}

TEST_F(ShellActionsTest, ACopiedPathShowsUndecodableBytesReadably)
{
    file = t.file(QStringLiteral("sub dir/") + DecodeFileName(QByteArray("bad\xff.txt")));
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    selectFile();
    run("menu复制文件路径");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), t.path(QStringLiteral("sub dir/bad\uFFFD.txt")));
}

TEST_F(ShellActionsTest, OpenFolderOfAVanishedFileOrAVanishedFolder)
{
    run("menu打开文件所在目录");
    EXPECT_TRUE(Desktop::openedUrls().isEmpty());
    selectFile();
    QFile::remove(file);
    run("menu打开文件所在目录");
    EXPECT_EQ(Desktop::openedUrls(), QStringList({QUrl::fromLocalFile(t.path(QStringLiteral("sub dir"))).toString()}));
    EXPECT_TRUE(MessageBox::history().isEmpty());
    QDir(t.path(QStringLiteral("sub dir"))).removeRecursively();
    run("menu打开文件所在目录");
    ASSERT_EQ(MessageBox::history().size(), 1);
    EXPECT_EQ(MessageBox::history()[0].text, QStringLiteral("文件夹不存在！"));
    EXPECT_EQ(MessageBox::history()[0].icon, MessageBox::Icon::Critical);
}

TEST_F(ShellActionsTest, WithoutAFileManagerTheFolderOpensAndOnlyTwoFailuresComplain)
{
    selectFile();
    run("menu打开文件所在目录");
    EXPECT_EQ(Desktop::openedUrls(), QStringList({QUrl::fromLocalFile(t.path(QStringLiteral("sub dir"))).toString()}));
    EXPECT_TRUE(MessageBox::history().isEmpty());
    Desktop::setOpenFolderResult(false);
    run("menu打开文件所在目录");
    ASSERT_EQ(MessageBox::history().size(), 1);
    EXPECT_EQ(MessageBox::history()[0].text, QStringLiteral("打开失败！"));
    EXPECT_EQ(MessageBox::history()[0].icon, MessageBox::Icon::Critical);
}

TEST_F(ShellActionsTest, VendorPagesComeFromOnePlaceAndCanBeOverridden)
{
    Settings::write(Settings::OptionSection, QStringLiteral("VendorSite"), QStringLiteral("http://127.0.0.1:9/"));
    Settings::write(Settings::OptionSection, QStringLiteral("VendorSite2"), QStringLiteral("http://127.0.0.2:9"));
    for (const char *a : {"menu售后服务", "menu功能定制", "menu软件定制", "menu墨桐软件", "menu柏岚软件", "menu最新版本"})
        run(a);
    EXPECT_EQ(Desktop::openedUrls(),
              QStringList({"http://127.0.0.1:9/afterservice.htm", "http://127.0.0.1:9/customfunction.htm",
                           "http://127.0.0.1:9/customware.htm", "http://127.0.0.1:9/", "http://127.0.0.2:9/",
                           "http://127.0.0.1:9/" + AppInfo::executableName() + "/"}));
}

TEST_F(ShellActionsTest, PickingAFolderFillsTheSearchFolder)
{
    const QString chosen = t.folder(QStringLiteral("chosen"));
    FileDialog::setNextDirectory(chosen);
    run("menu指定文件夹");
    EXPECT_EQ(form->Text1->text(), chosen + QLatin1Char('/'));
    QTest::mouseClick(form->Command4, Qt::LeftButton); // cancelled
    EXPECT_EQ(form->Text1->text(), chosen + QLatin1Char('/'));
    EXPECT_EQ(FileDialog::directoryStartFolders().last(), t.root() + QLatin1Char('/'));
    form->Text1->setText(QStringLiteral("no/such/folder"));
    run("menu指定文件夹");
    EXPECT_EQ(FileDialog::directoryStartFolders().last(), QStringLiteral("/"));
    EXPECT_EQ(form->Text1->text(), QStringLiteral("no/such/folder/"));
    // An empty field stays empty when the picker is cancelled.
    form->Text1->clear();
    run("menu指定文件夹");
    EXPECT_EQ(form->Text1->text(), QString());
}
