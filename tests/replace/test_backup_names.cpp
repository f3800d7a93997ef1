#include "replace/engine/backup.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

TEST(BackupName, RecognisesOnlyReplacementBackupsAndGivesTheNameBefore)
{
    const QString suffix = QStringLiteral("[20240102030405替换备份]");
    ASSERT_EQ(suffix.size(), 20);
    // A name and the name it had before ("" when it is no replacement backup).
    const QList<std::pair<QString, QString>> cases = {
        {QStringLiteral("a.txt") + suffix, QStringLiteral("a.txt")},
        {QStringLiteral("x") + suffix, QStringLiteral("x")},
        {suffix, QString()},                                 // nothing before the suffix
        {QStringLiteral("😀") + suffix, QStringLiteral("😀")}, // lengths count UTF-16 units
        {QStringLiteral("a.txt[20240102030405恢复备份]"), QString()},
        {QStringLiteral("a.txt(20240102030405替换备份]"), QString()},
        {QStringLiteral("a.txt"), QString()},
        {QStringLiteral("a[2024010203040x替换备份]"), QString()},
        {QStringLiteral("a[abcdefghijklmn替换备份]"), QString()},
        {QStringLiteral("a[00000000000000替换备份]"), QStringLiteral("a")},
        {QStringLiteral("a[99999999999999替换备份]"), QStringLiteral("a")},
        {QStringLiteral("a[ 1234567890123替换备份]"), QStringLiteral("a")}, // a lenient parser takes blanks
    };
    for (const auto &[name, before] : cases) {
        EXPECT_EQ(是替换后文件格式(name), !before.isEmpty()) << name.toStdString();
        EXPECT_EQ(替换前文件名(name), before) << name.toStdString();
    }
}

// The newest stamp among the backups of exactly that name. "B.txt" sorts
// before every lower-case name when letter case counts, which must not hide
// the backups that follow it.
TEST(MostRecentBackup, NewestBackupOfTheWholeName)
{
    TempTree t;
    for (const char *name :
         {"a.txt", "B.txt", "a.txt[20230101000000替换备份]", "a.txt[20240101000000替换备份]", "a.txt[20250101000000恢复备份]",
          "a.txt.old[20260101000000替换备份]", "A.TXT[20290101000000替换备份]", "a.txt[20230101000000替换备份][20270101000000替换备份]",
          "report.doc[20230101000000替换备份]", "report.docx[20240101000000替换备份]", "page.html[20240101000000替换备份]"})
        t.file(QString::fromUtf8(name));
    const QList<std::pair<const char *, const char *>> cases = {
        {"a.txt", "a.txt[20240101000000替换备份]"},
        {"A.TXT", "A.TXT[20290101000000替换备份]"}, // another file on Linux, with its own backups
        {"A.txt", ""},
        {"a.txt[20230101000000替换备份]", "a.txt[20230101000000替换备份][20270101000000替换备份]"},
        {"report.doc", "report.doc[20230101000000替换备份]"},
        {"report.docx", "report.docx[20240101000000替换备份]"},
        {"page.htm", ""},
        {"c.txt", ""},
    };
    for (const auto &[name, newest] : cases)
        EXPECT_EQ(最近一次替换后文件名(t.root(), QString::fromUtf8(name)), QString::fromUtf8(newest)) << name;
    EXPECT_EQ(最近一次替换后文件名(t.path(QStringLiteral("missing")), QStringLiteral("a.txt")), QString());
}
