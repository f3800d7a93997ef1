#include "replace/engine/backup.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

TEST(BackupName, RecognisesOnlyReplacementBackups)
{
    EXPECT_TRUE(是替换后文件格式(QStringLiteral("a.txt[20240102030405替换备份]")));
    EXPECT_EQ(替换前文件名(QStringLiteral("a.txt[20240102030405替换备份]")), QStringLiteral("a.txt"));
    EXPECT_FALSE(是替换后文件格式(QStringLiteral("a.txt[20240102030405恢复备份]")));
    EXPECT_EQ(替换前文件名(QStringLiteral("a.txt[20240102030405恢复备份]")), QString());
    EXPECT_FALSE(是替换后文件格式(QStringLiteral("a.txt")));
    EXPECT_FALSE(是替换后文件格式(QStringLiteral("a.txt(20240102030405替换备份]")));
}

TEST(BackupName, NeedsAtLeastOneCharacterBeforeTheSuffix)
{
    const QString suffix = QStringLiteral("[20240102030405替换备份]");
    ASSERT_EQ(suffix.size(), 20);
    EXPECT_FALSE(是替换后文件格式(suffix));
    EXPECT_TRUE(是替换后文件格式(QStringLiteral("x") + suffix));
    EXPECT_EQ(替换前文件名(QStringLiteral("x") + suffix), QStringLiteral("x"));
    // Lengths count UTF-16 units: one emoji is two.
    EXPECT_EQ(替换前文件名(QStringLiteral("😀") + suffix), QStringLiteral("😀"));
}

TEST(BackupName, TheStampMustBeANumber)
{
    EXPECT_FALSE(是替换后文件格式(QStringLiteral("a[2024010203040x替换备份]")));
    EXPECT_FALSE(是替换后文件格式(QStringLiteral("a[abcdefghijklmn替换备份]")));
    EXPECT_TRUE(是替换后文件格式(QStringLiteral("a[00000000000000替换备份]")));
    EXPECT_TRUE(是替换后文件格式(QStringLiteral("a[99999999999999替换备份]")));
    // A lenient parser also takes blanks and a sign.
    EXPECT_TRUE(是替换后文件格式(QStringLiteral("a[ 1234567890123替换备份]")));
}

TEST(MostRecentBackup, NewestStampWins)
{
    TempTree t;
    t.file(QStringLiteral("a.txt"));
    t.file(QStringLiteral("a.txt[20230101000000替换备份]"));
    t.file(QStringLiteral("a.txt[20240101000000替换备份]"));
    t.file(QStringLiteral("a.txt[20250101000000恢复备份]"));
    t.file(QStringLiteral("b.txt[20260101000000替换备份]"));
    EXPECT_EQ(最近一次替换后文件名(t.root(), QStringLiteral("a.txt")), QStringLiteral("a.txt[20240101000000替换备份]"));
    EXPECT_EQ(最近一次替换后文件名(t.root(), QStringLiteral("c.txt")), QString());
    EXPECT_EQ(最近一次替换后文件名(t.path(QStringLiteral("missing")), QStringLiteral("a.txt")), QString());
}

TEST(MostRecentBackup, OnlyBackupsOfTheWholeNameCount)
{
    TempTree t;
    // The longer name's backups are newer and sort last.
    const QList<std::pair<const char *, const char *>> pairs = {
        {"report.doc", "report.docx"}, {"page.htm", "page.html"}, {"sheet.xls", "sheet.xlsx"}};
    for (const auto &[shorter, longer] : pairs) {
        t.file(QString::fromUtf8(shorter) + QStringLiteral("[20230101000000替换备份]"));
        t.file(QString::fromUtf8(longer) + QStringLiteral("[20240101000000替换备份]"));
    }
    for (const auto &[shorter, longer] : pairs) {
        EXPECT_EQ(最近一次替换后文件名(t.root(), QString::fromUtf8(shorter)),
                  QString::fromUtf8(shorter) + QStringLiteral("[20230101000000替换备份]"));
        EXPECT_EQ(最近一次替换后文件名(t.root(), QString::fromUtf8(longer)),
                  QString::fromUtf8(longer) + QStringLiteral("[20240101000000替换备份]"));
    }
    t.file(QStringLiteral("a.txt.old[20230101000000替换备份]"));
    EXPECT_EQ(最近一次替换后文件名(t.root(), QStringLiteral("a.txt")), QString());
}

TEST(MostRecentBackup, LetterCaseCountsAsThePlatformCountsIt)
{
    TempTree t;
    t.file(QStringLiteral("a.txt[20220101000000替换备份]"));
    t.file(QStringLiteral("A.TXT[20240101000000替换备份]"));
    t.file(QStringLiteral("a.txt[20230101000000替换备份]"));
#ifdef Q_OS_WIN
    EXPECT_EQ(最近一次替换后文件名(t.root(), QStringLiteral("a.txt")), QStringLiteral("A.TXT[20240101000000替换备份]"));
    EXPECT_EQ(最近一次替换后文件名(t.root(), QStringLiteral("A.txt")), QStringLiteral("A.TXT[20240101000000替换备份]"));
#else
    // Two files, each with its own backups.
    EXPECT_EQ(最近一次替换后文件名(t.root(), QStringLiteral("a.txt")), QStringLiteral("a.txt[20230101000000替换备份]"));
    EXPECT_EQ(最近一次替换后文件名(t.root(), QStringLiteral("A.TXT")), QStringLiteral("A.TXT[20240101000000替换备份]"));
    EXPECT_EQ(最近一次替换后文件名(t.root(), QStringLiteral("A.txt")), QString());
#endif
}

TEST(MostRecentBackup, TheCacheFollowsRenames)
{
    TempTree t;
    t.file(QStringLiteral("a.txt[20230101000000替换备份]"));
    FolderNames names;
    EXPECT_EQ(最近一次替换后文件名(t.root(), QStringLiteral("a.txt"), &names), QStringLiteral("a.txt[20230101000000替换备份]"));
    names.renamed(t.root(), QStringLiteral("a.txt[20230101000000替换备份]"), QStringLiteral("a.txt"));
    EXPECT_EQ(最近一次替换后文件名(t.root(), QStringLiteral("a.txt"), &names), QString());
    names.renamed(t.root(), QStringLiteral("a.txt"), QStringLiteral("A.TXT[20990101000000替换备份]"));
    EXPECT_EQ(names.names(t.root()), QStringList({QStringLiteral("A.TXT[20990101000000替换备份]")}));
}
