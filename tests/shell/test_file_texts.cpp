#include "shell/engine/file_texts.h"

#include <QLocale>
#include <QTimeZone>
#include <gtest/gtest.h>

TEST(SizeText, KilobytesThroughA32BitFloatWithTheLocaleGroupsAndThreeDecimals)
{
    QLocale::setDefault(QLocale::c());
    const struct {
        qint64 bytes;
        const char *text;
    } cases[] = {
        {0, "0.000"},
        {1, "0.001"},
        {64, "0.063"} /* 0.0625: halves away from zero */,
        {1536, "1.500"},
        {1024 * 1024, "1,024.000"},
        {10 * 1024 * 1024, "10,240.000"},
        {1023LL * 1024 * 1024, "1,047,552.000"},
        {16777217, "16,384.000"} /* not a float: rounds to 2^24 */,
    };
    for (const auto &c : cases)
        EXPECT_EQ(SizeText(c.bytes), QString::fromUtf8(c.text)) << c.bytes;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(SizeText(10 * 1024 * 1024), QStringLiteral("10.240,000"));
    QLocale::setDefault(QLocale::c());
}

// Local time in the zone the tests pin (Europe/Berlin), where UTC is an hour
// or two off; the hour the clocks skip (01:30 UTC) and the one they repeat
// (00:30 and 01:30 UTC) included.
TEST(TimeText, LocalTimeToTheSecondAndTheFourteenDigitStamp)
{
    const struct {
        std::time_t utc;
        const char *text;
    } cases[] = {{1704161045, "2024-01-02 03:04:05"},
                 {1711848600, "2024-03-31 03:30:00"},
                 {1719835200, "2024-07-01 14:00:00"},
                 {1729989000, "2024-10-27 02:30:00"},
                 {1729992600, "2024-10-27 02:30:00"}};
    for (const auto &c : cases) {
        EXPECT_EQ(TimeText(c.utc), QString::fromUtf8(c.text)) << c.utc;
        EXPECT_EQ(TimeText(QDateTime::fromSecsSinceEpoch(c.utc, QTimeZone::utc())), QString::fromUtf8(c.text)) << c.utc;
    }
    EXPECT_EQ(BackupStamp(QDateTime::fromSecsSinceEpoch(1729992600, QTimeZone::utc())), QStringLiteral("20241027023000"));
}
