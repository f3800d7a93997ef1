#include "list/icon_store.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>

void IconStore::clear()
{
    m_icons.clear();
    m_byKey.clear();
}

int IconStore::addUnkeyed(const QIcon &icon)
{
    m_icons.append(icon);
    return size();
}

int IconStore::find(const QString &key) const
{
    return m_byKey.value(key.toLower(), 0);
}

int IconStore::add(const QString &key, const QIcon &icon)
{
    if (icon.isNull())
        return 0;
    const QString folded = key.toLower();
    if (m_byKey.contains(folded))
        return 0;
    m_icons.append(icon);
    m_byKey.insert(folded, size());
    return size();
}

int IconStore::addFileIcon(const QString &key, const QString &path)
{
    return add(key, iconForFile(path));
}

QIcon IconStore::iconForFile(const QString &path)
{
    static const QMimeDatabase db;
    const QMimeType type = db.mimeTypeForFile(QFileInfo(path).fileName(), QMimeDatabase::MatchExtension);
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull()) {
        static const QFileIconProvider provider;
        icon = provider.icon(QFileIconProvider::File);
    }
    return icon;
}
