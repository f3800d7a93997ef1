#include "search/engine/found_file.h"

#include <QDir>

QString JoinPath(const QString &folder, const QString &name)
{
    const QChar sep = QDir::separator();
    if (folder.endsWith(sep) || folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + sep + name;
}

QString SearchExtensionOf(const QString &fileNameText)
{
    const qsizetype dot = fileNameText.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return QString();
    return fileNameText.mid(dot + 1).trimmed();
}

QString SearchPatternFor(const QString &searchExtension)
{
    if (searchExtension.isEmpty())
        return QStringLiteral("*.*");
    return QStringLiteral("*.") + searchExtension;
}

bool PatternAcceptsExtension(const QString &pattern, QStringView extension)
{
    if (extension.isEmpty())
        return false;
    // Without allocating: find "*." + extension + ";" in pattern + ";".
    const qsizetype n = extension.size();
    const qsizetype total = pattern.size() + 1;
    for (qsizetype p = 0; p + 2 + n + 1 <= total; ++p) {
        if (pattern.at(p) != QLatin1Char('*') || pattern.at(p + 1) != QLatin1Char('.'))
            continue;
        if (QStringView(pattern).mid(p + 2, n).compare(extension, Qt::CaseInsensitive) != 0)
            continue;
        const qsizetype after = p + 2 + n;
        if (after == pattern.size() || pattern.at(after) == QLatin1Char(';'))
            return true;
    }
    return false;
}

bool HasBackupTag(QStringView fileName)
{
    static const QString replaced = QStringLiteral("替换备份]");
    static const QString restored = QStringLiteral("恢复备份]");
    return fileName.endsWith(replaced) || fileName.endsWith(restored);
}
