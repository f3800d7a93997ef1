#include "search/engine/elapsed_text.h"
#include "search/engine/found_file.h"

#include <gtest/gtest.h>

TEST(SearchExtension, IsTheTrimmedTextAfterTheLastDotAndMatchesWithoutLetterCase)
{
    EXPECT_EQ(SearchExtensionOf(QStringLiteral("a.b.c")), QStringLiteral("c"));
    EXPECT_EQ(SearchExtensionOf(QStringLiteral("report. TXT ")), QStringLiteral("TXT"));
    for (const char *none : {"report", "report.", "report. ", ""})
        EXPECT_EQ(SearchExtensionOf(QString::fromUtf8(none)), QString()) << none;
    EXPECT_EQ(SearchPatternFor(QString()), QStringLiteral("*.*"));
    const QString p = SearchPatternFor(QStringLiteral("TXT"));
    EXPECT_EQ(p, QStringLiteral("*.TXT"));
    EXPECT_TRUE(PatternAcceptsExtension(p, u"tXt"));
    for (const char16_t *other : {u"tx", u"txt2", u"doc", u""})
        EXPECT_FALSE(PatternAcceptsExtension(p, other));
    EXPECT_TRUE(PatternAcceptsExtension(QStringLiteral("*.ÄB"), u"äb"));
}

TEST(ElapsedText, DropsFractionsAndShowsOnlyWhatIsNeeded)
{
    const struct {
        float seconds;
        const char *text;
    } cases[] = {
        {0.9f, "0秒"},
        {59.6f, "59秒"},
        {60.0f, "1分钟0秒"},
        {125.0f, "2分钟5秒"},
        {3599.6f, "59分钟59秒"},
        {3600.0f, "1小时0分钟0秒"},
        {3725.4f, "1小时2分钟5秒"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(时分秒(c.seconds), QString::fromUtf8(c.text)) << c.seconds;
}
