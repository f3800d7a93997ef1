#include "app/engine/settings.h"

#include <QFile>
#include <gtest/gtest.h>

TEST(Settings, KeptInAnIniFileNamedAfterTheApplicationTitle)
{
    Settings::write(Settings::OptionSection, Settings::NoBackupKey, QStringLiteral("1"));
    EXPECT_EQ(Settings::read(Settings::OptionSection, Settings::NoBackupKey, QStringLiteral("0")), QStringLiteral("1"));
    const QString ini =
        QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/墨桐同名文件批量替换/墨桐同名文件批量替换.ini");
    EXPECT_TRUE(QFile::exists(ini)) << ini.toStdString();
}
