#include "online/update_check.h"

#include "app/engine/app_info.h"
#include "app/engine/app_state.h"
#include "app/engine/vendor.h"
#include "online/engine/uxmlhttp.h"
#include "shell/desktop.h"
#include "shell/dialogs.h"

#include <QLocale>
#include <cmath>

namespace {

bool isNumeric(const QString &part, float *value)
{
    bool ok = false;
    double v = QLocale::c().toDouble(part.trimmed(), &ok);
    if (!ok)
        v = QLocale().toDouble(part.trimmed(), &ok);
    *value = static_cast<float>(v);
    // The number parser takes "inf" and "nan", and a float overflows
    // where a double does not.
    return ok && std::isfinite(*value);
}

// Both sides as 32-bit floats, as the version values always were.
float versionValue(float major, float minor, float revision)
{
    return major * 10000000.0f + minor * 10000.0f + revision;
}

} // namespace

bool IsNewerVersion(const QString &text)
{
    if (text.isEmpty() || text.size() > 20)
        return false;
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 3)
        return false;
    float p[3];
    for (int i = 0; i < 3; ++i)
        if (!isNumeric(parts[i], &p[i]))
            return false;
    const float published = versionValue(p[0], p[1], p[2]);
    if (!std::isfinite(published))
        return false;
    const float own =
        versionValue(static_cast<float>(AppInfo::Major), static_cast<float>(AppInfo::Minor), static_cast<float>(AppInfo::Revision));
    return published > own;
}

UpdateCheck::UpdateCheck(QObject *parent) : QObject(parent), uXMLHTTP2(new uXMLHTTP(this))
{
    uXMLHTTP2->setObjectName(QStringLiteral("uXMLHTTP2"));
    connect(uXMLHTTP2, &uXMLHTTP::OnDateArrived, this, &UpdateCheck::arrived);
    connect(uXMLHTTP2, &uXMLHTTP::OnDateErr, this, &UpdateCheck::failed);
}

void UpdateCheck::start()
{
    if (uXMLHTTP2->Open_(QStringLiteral("GET"), Vendor::versionFile()))
        uXMLHTTP2->Send_();
}

void UpdateCheck::arrived()
{
    const QString text = uXMLHTTP2->ResponseText().trimmed();
    if (text.isEmpty() || text.size() > 20)
        return;
    CompareVersion(text);
}

void UpdateCheck::CompareVersion(const QString &text)
{
    if (!IsNewerVersion(text))
        return;
    appState().LatestVersionText = text;
    emit newerVersionFound(text);
    OpenURL(Vendor::productPage(), false);
    MessageBox::information(nullptr, QStringLiteral("有最新版本可以升级，请尽快下载安装！"));
}

void UpdateCheck::failed(const QString &)
{
    MessageBox::critical(nullptr, QStringLiteral("请保持网络畅通！"));
}
