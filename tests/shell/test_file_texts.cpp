#include "shell/engine/file_texts.h"

#include <QLocale>
#include <gtest/gtest.h>

TEST(SizeText, KilobytesThroughA32BitFloatWithTheLocaleGroupsAndThreeDecimals)
{
    QLocale::setDefault(QLocale::c());
    const struct { qint64 bytes; const char *text; } cases[] = {
        {0, "0.000"}, {1, "0.001"}, {64, "0.063"} /* 0.0625: halves away from zero */, {1536, "1.500"},
        {1024 * 1024, "1,024.000"}, {10 * 1024 * 1024, "10,240.000"}, {1023LL * 1024 * 1024, "1,047,552.000"},
        {16777217, "16,384.000"} /* not a float: rounds to 2^24 */,
    };
    for (const auto &c : cases)
        EXPECT_EQ(SizeText(c.bytes), QString::fromUtf8(c.text)) << c.bytes;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(SizeText(10 * 1024 * 1024), QStringLiteral("10.240,000"));
    QLocale::setDefault(QLocale::c());
}

TEST(TimeText, LocalTimeToTheSecondAndTheFourteenDigitStamp)
{
    const QDateTime t(QDate(2024, 1, 2), QTime(3, 4, 5), Qt::LocalTime);
    EXPECT_EQ(TimeText(t), QStringLiteral("2024-01-02 03:04:05"));
    EXPECT_EQ(TimeText(static_cast<std::time_t>(t.toSecsSinceEpoch())), QStringLiteral("2024-01-02 03:04:05"));
    EXPECT_EQ(BackupStamp(t), QStringLiteral("20240102030405"));
    EXPECT_EQ(BackupStamp().size(), 14);
}
