#include "shell/desktop.h"
#include "shell/dialogs.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

TEST(BrowseStartFolder, OpensAtTheParentOfAnExistingFolder)
{
    TempTree t;
    const QString sub = t.folder(QStringLiteral("a/b"));
    const QString parent = t.path(QStringLiteral("a/"));
    EXPECT_EQ(BrowseStartFolder(sub), parent);
    EXPECT_EQ(BrowseStartFolder(sub + QLatin1Char('/')), parent);
    EXPECT_EQ(BrowseStartFolder(QStringLiteral("/")), QStringLiteral("/"));
}

TEST(BrowseStartFolder, FallsBackToTheRoot)
{
    TempTree t;
    EXPECT_EQ(BrowseStartFolder(QString()), QStringLiteral("/"));
    EXPECT_EQ(BrowseStartFolder(QStringLiteral("   ")), QStringLiteral("/"));
    EXPECT_EQ(BrowseStartFolder(t.path(QStringLiteral("missing/deeper"))), QStringLiteral("/"));
    EXPECT_EQ(BrowseStartFolder(QStringLiteral("relative-name-without-separator")), QStringLiteral("/"));
}

TEST(BrowseForFolder, ReturnsThePickOrTheStartWithAFinalSeparator)
{
    TempTree t;
    const QString start = t.folder(QStringLiteral("start/here"));
    const QString chosen = t.folder(QStringLiteral("chosen"));
    FileDialog::clearHistory();

    FileDialog::setNextDirectory(chosen);
    bool picked = false;
    EXPECT_EQ(BrowseForFolder(nullptr, start, QStringLiteral("p"), &picked), chosen + QLatin1Char('/'));
    EXPECT_TRUE(picked);
    ASSERT_EQ(FileDialog::directoryStartFolders().size(), 1);
    EXPECT_EQ(FileDialog::directoryStartFolders().first(), t.path(QStringLiteral("start/")));

    // Cancelled: the start folder comes back, with the separator added once.
    EXPECT_EQ(BrowseForFolder(nullptr, start, QStringLiteral("p"), &picked), start + QLatin1Char('/'));
    EXPECT_FALSE(picked);
    EXPECT_EQ(BrowseForFolder(nullptr, start + QLatin1Char('/'), QStringLiteral("p")), start + QLatin1Char('/'));
    EXPECT_EQ(BrowseForFolder(nullptr, QString(), QStringLiteral("p")), QStringLiteral("/"));
    EXPECT_EQ(FileDialog::directoryStartFolders().last(), QStringLiteral("/"));
}

TEST(OpenURL, HandsTheAddressOverWhateverTheReuseFlag)
{
    Desktop::clearHistory();
    OpenURL(QStringLiteral("https://example.invalid/a"), false);
    OpenURL(QStringLiteral("https://example.invalid/b"), true);
    EXPECT_EQ(Desktop::openedUrls(),
              QStringList({QStringLiteral("https://example.invalid/a"), QStringLiteral("https://example.invalid/b")}));
}

TEST(MessageBoxSeam, ScriptsAnswersAndRecordsWhatWouldShow)
{
    MessageBox::clearHistory();
    MessageBox::setNextAnswer(MessageBox::Answer::Yes);
    EXPECT_TRUE(MessageBox::ask(nullptr, QStringLiteral("继续吗？"), QStringLiteral("备份确认")));
    // Unscripted questions answer No, so a forgotten script never goes ahead.
    EXPECT_FALSE(MessageBox::ask(nullptr, QStringLiteral("再来？")));
    MessageBox::critical(nullptr, QStringLiteral("错误"));
    ASSERT_EQ(MessageBox::history().size(), 3);
    EXPECT_EQ(MessageBox::history()[0].caption, QStringLiteral("备份确认"));
    EXPECT_EQ(MessageBox::history()[1].caption, QStringLiteral("墨桐同名文件批量替换"));
    EXPECT_EQ(MessageBox::history()[2].icon, MessageBox::Icon::Critical);
    EXPECT_EQ(MessageBox::history()[2].buttons, MessageBox::Buttons::Ok);
}
