#include "search/engine/elapsed_text.h"
#include "search/engine/found_file.h"

#include <gtest/gtest.h>

TEST(SearchExtension, IsTheTrimmedTextAfterTheLastDot)
{
    EXPECT_EQ(SearchExtensionOf(QStringLiteral("report.TXT")), QStringLiteral("TXT"));
    EXPECT_EQ(SearchExtensionOf(QStringLiteral("a.b.c")), QStringLiteral("c"));
    EXPECT_EQ(SearchExtensionOf(QStringLiteral("report. doc ")), QStringLiteral("doc"));
    EXPECT_EQ(SearchExtensionOf(QStringLiteral("report")), QString());
    EXPECT_EQ(SearchExtensionOf(QStringLiteral("report.")), QString());
    EXPECT_EQ(SearchExtensionOf(QStringLiteral("report. ")), QString());
    EXPECT_EQ(SearchExtensionOf(QString()), QString());
}

TEST(SearchPattern, MatchesExtensionsWithoutLetterCase)
{
    EXPECT_EQ(SearchPatternFor(QString()), QStringLiteral("*.*"));
    const QString p = SearchPatternFor(QStringLiteral("TXT"));
    EXPECT_EQ(p, QStringLiteral("*.TXT"));
    EXPECT_TRUE(PatternAcceptsExtension(p, u"txt"));
    EXPECT_TRUE(PatternAcceptsExtension(p, u"Txt"));
    EXPECT_FALSE(PatternAcceptsExtension(p, u"tx"));
    EXPECT_FALSE(PatternAcceptsExtension(p, u"txt2"));
    EXPECT_FALSE(PatternAcceptsExtension(p, u"doc"));
    EXPECT_FALSE(PatternAcceptsExtension(p, u""));
    // The test is a substring test on "*.ext;": a ";" in the typed
    // extension lets its first piece match too.
    EXPECT_TRUE(PatternAcceptsExtension(QStringLiteral("*.t;xt"), u"t"));
}

TEST(BackupTag, OnlyAtTheEndOfTheName)
{
    EXPECT_TRUE(HasBackupTag(u"x.txt[20240101120000替换备份]"));
    EXPECT_TRUE(HasBackupTag(u"x.txt[20240101120000恢复备份]"));
    EXPECT_FALSE(HasBackupTag(u"x[20240101120000替换备份].txt"));
    EXPECT_FALSE(HasBackupTag(u"x.txt"));
}

TEST(ElapsedText, DropsFractionsAndShowsOnlyWhatIsNeeded)
{
    EXPECT_EQ(时分秒(0.0f), QStringLiteral("0秒"));
    EXPECT_EQ(时分秒(0.9f), QStringLiteral("0秒"));
    EXPECT_EQ(时分秒(59.6f), QStringLiteral("59秒"));
    EXPECT_EQ(时分秒(60.0f), QStringLiteral("1分钟0秒"));
    EXPECT_EQ(时分秒(125.0f), QStringLiteral("2分钟5秒"));
    EXPECT_EQ(时分秒(3599.6f), QStringLiteral("59分钟59秒"));
    EXPECT_EQ(时分秒(3600.0f), QStringLiteral("1小时0分钟0秒"));
    EXPECT_EQ(时分秒(3725.4f), QStringLiteral("1小时2分钟5秒"));
    EXPECT_EQ(时分秒(3603.0f), QStringLiteral("1小时0分钟3秒"));
}
