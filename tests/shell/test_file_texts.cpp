#include "shell/engine/file_texts.h"

#include <QLocale>
#include <gtest/gtest.h>

TEST(SizeText, KilobytesWithGroupsAndThreeDecimals)
{
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(SizeText(0), QStringLiteral("0.000"));
    EXPECT_EQ(SizeText(1536), QStringLiteral("1.500"));
    EXPECT_EQ(SizeText(1024 * 1024), QStringLiteral("1,024.000"));
    EXPECT_EQ(SizeText(10 * 1024 * 1024), QStringLiteral("10,240.000"));
    EXPECT_EQ(SizeText(1), QStringLiteral("0.001"));
    // 64 bytes are exactly 0.0625 KB: halves round away from zero.
    EXPECT_EQ(SizeText(64), QStringLiteral("0.063"));
    EXPECT_EQ(SizeText(1023LL * 1024 * 1024), QStringLiteral("1,047,552.000"));
}

TEST(SizeText, LargeSizesGoThroughA32BitFloat)
{
    QLocale::setDefault(QLocale::c());
    // 16777217 bytes are not representable in a float; they round to 2^24.
    EXPECT_EQ(SizeText(16777217), SizeText(16777216));
    EXPECT_EQ(SizeText(16777216), QStringLiteral("16,384.000"));
}

TEST(SizeText, UsesTheLocaleSeparators)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(SizeText(10 * 1024 * 1024), QStringLiteral("10.240,000"));
    double v = 0;
    ASSERT_TRUE(ParseSizeText(QStringLiteral("10.240,000"), &v));
    EXPECT_DOUBLE_EQ(v, 10240.0);
    QLocale::setDefault(QLocale::c());
}

TEST(ParseSizeText, ReadsTheNumberOrRefuses)
{
    QLocale::setDefault(QLocale::c());
    double v = 0;
    ASSERT_TRUE(ParseSizeText(QStringLiteral("1,234.567"), &v));
    EXPECT_DOUBLE_EQ(v, 1234.567);
    EXPECT_FALSE(ParseSizeText(QStringLiteral(" 文件不存在"), &v));
    EXPECT_FALSE(ParseSizeText(QString(), &v));
}

TEST(TimeText, LocalTimeToTheSecond)
{
    const QDateTime t(QDate(2024, 1, 2), QTime(3, 4, 5), Qt::LocalTime);
    EXPECT_EQ(TimeText(t), QStringLiteral("2024-01-02 03:04:05"));
    EXPECT_EQ(TimeText(static_cast<std::time_t>(t.toSecsSinceEpoch())), QStringLiteral("2024-01-02 03:04:05"));
    const QDateTime evening(QDate(2023, 12, 31), QTime(23, 59, 59), Qt::LocalTime);
    EXPECT_EQ(TimeText(static_cast<std::time_t>(evening.toSecsSinceEpoch())), QStringLiteral("2023-12-31 23:59:59"));
}

TEST(BackupStamp, FourteenDigitsMostSignificantFirst)
{
    const QDateTime t(QDate(2024, 1, 2), QTime(3, 4, 5), Qt::LocalTime);
    EXPECT_EQ(BackupStamp(t), QStringLiteral("20240102030405"));
    EXPECT_EQ(BackupStamp().size(), 14);
}
