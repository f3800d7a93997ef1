#include "app/engine/vendor.h"

#include "app/engine/app_info.h"
#include "app/engine/settings.h"

namespace Vendor {

namespace {
QString configured(const QString &key, const QString &fallback)
{
    QString s = Settings::read(Settings::OptionSection, key, fallback).trimmed();
    while (s.endsWith(QLatin1Char('/')))
        s.chop(1);
    return s.isEmpty() ? fallback : s;
}
} // namespace

QString site()
{
    return configured(QStringLiteral("VendorSite"), QStringLiteral("https://www.motong-soft.example"));
}
QString secondSite()
{
    return configured(QStringLiteral("VendorSite2"), QStringLiteral("https://www.bailan-soft.example"));
}
QString email()
{
    return configured(QStringLiteral("VendorEmail"), QStringLiteral("support@motong-soft.example"));
}
QString productPage()
{
    return site() + QLatin1Char('/') + AppInfo::executableName() + QLatin1Char('/');
}
QString versionFile()
{
    return site() + QLatin1Char('/') + AppInfo::executableName() + QStringLiteral("/newver.txt");
}

} // namespace Vendor
