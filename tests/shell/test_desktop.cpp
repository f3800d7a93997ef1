#include "shell/desktop.h"
#include "shell/dialogs.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

TEST(BrowseForFolder, OpensAtTheParentOrTheRootAndReturnsThePickOrTheStartWithAFinalSeparator)
{
    TempTree t;
    const QString start = t.folder(QStringLiteral("start/here"));
    const QString chosen = t.folder(QStringLiteral("chosen"));
    EXPECT_EQ(BrowseStartFolder(start), t.path(QStringLiteral("start/")));
    EXPECT_EQ(BrowseStartFolder(start + QLatin1Char('/')), t.path(QStringLiteral("start/")));
    for (const QString &root : {QStringLiteral("/"), QString(), QStringLiteral("   "), t.path(QStringLiteral("missing/deeper")),
                                QStringLiteral("relative-name-without-separator")})
        EXPECT_EQ(BrowseStartFolder(root), QStringLiteral("/")) << root.toStdString();

    FileDialog::clearHistory();
    FileDialog::setNextDirectory(chosen);
    bool picked = false;
    EXPECT_EQ(BrowseForFolder(nullptr, start, QStringLiteral("p"), &picked), chosen + QLatin1Char('/'));
    EXPECT_TRUE(picked);
    // Cancelled: the start folder comes back, with the separator added once.
    EXPECT_EQ(BrowseForFolder(nullptr, start, QStringLiteral("p"), &picked), start + QLatin1Char('/'));
    EXPECT_FALSE(picked);
    EXPECT_EQ(BrowseForFolder(nullptr, start + QLatin1Char('/'), QStringLiteral("p")), start + QLatin1Char('/'));
    EXPECT_EQ(BrowseForFolder(nullptr, QString(), QStringLiteral("p")), QStringLiteral("/"));
    EXPECT_EQ(FileDialog::directoryStartFolders().last(), QStringLiteral("/"));
}
