#pragma once
#include <QHash>
#include <QIcon>
#include <QList>
#include <QString>

// The list's small icons: image 1 is the program's own, every further image
// is one file kind's icon under its key. Keys compare without letter case.
class IconStore {
public:
    void clear();
    // Adds an image without a key (the program's own icon); returns its position.
    int addUnkeyed(const QIcon &icon);

    // 1-based position of the image under key, 0 when there is none.
    int find(const QString &key) const;
    // Adds the file's icon under key; its position, or 0 when nothing was added
    // (no icon, or the key is present already).
    int addFileIcon(const QString &key, const QString &path);
    int add(const QString &key, const QIcon &icon);

    const QList<QIcon> &icons() const { return m_icons; }
    int size() const { return static_cast<int>(m_icons.size()); }

    // The desktop theme's icon for a file's type, judged by its name.
    static QIcon iconForFile(const QString &path);

private:
    QList<QIcon> m_icons;
    QHash<QString, int> m_byKey; // case-folded key -> position
};
