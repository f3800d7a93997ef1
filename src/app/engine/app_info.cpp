#include "app/engine/app_info.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace AppInfo {

QString title()
{
    return QStringLiteral("墨桐同名文件批量替换");
}

QString versionText()
{
    return QStringLiteral("%1.%2.%3").arg(Major).arg(Minor).arg(Revision);
}

QString windowCaption()
{
    return title() + QStringLiteral(" V") + versionText() + QStringLiteral(" - 墨桐软件");
}

QString executableName()
{
    const QString path = QCoreApplication::applicationFilePath();
    if (path.isEmpty())
        return QStringLiteral("samename");
    return QFileInfo(path).completeBaseName();
}

} // namespace AppInfo
