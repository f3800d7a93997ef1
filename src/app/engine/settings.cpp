#include "app/engine/settings.h"

#include "app/engine/app_info.h"

#include <QSettings>
#include <memory>
#include <cmath>
#include <limits>

namespace Settings {

namespace {
std::unique_ptr<QSettings> store()
{
#ifdef Q_OS_WIN
    // The registry branch where earlier releases kept their values.
    return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") + AppInfo::title(),
                                       QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, AppInfo::title(), AppInfo::title());
#endif
}
} // namespace

QString read(const QString &section, const QString &key, const QString &defaultValue)
{
    const auto s = store();
    s->beginGroup(section);
    const QVariant v = s->value(key);
    if (!v.isValid())
        return defaultValue;
    return v.toString();
}

void write(const QString &section, const QString &key, const QString &value)
{
    const auto s = store();
    s->beginGroup(section);
    s->setValue(key, value);
    s->endGroup();
    s->sync();
}

std::optional<int> toWholeNumber(const QString &text)
{
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    const double r = std::nearbyint(d); // half to even, as whole-number conversion does
    if (r < std::numeric_limits<int>::min() || r > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(r);
}

} // namespace Settings
