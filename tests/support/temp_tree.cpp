#include "support/temp_tree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <utime.h>

TempTree::TempTree() = default;
TempTree::TempTree(const QString &under) : m_dir(under + QStringLiteral("/treeXXXXXX")) {}

QString TempTree::file(const QString &relative, const QByteArray &content)
{
    const QString p = path(relative);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
    return p;
}

QString TempTree::folder(const QString &relative)
{
    const QString p = path(relative);
    QDir().mkpath(p);
    return p;
}

void TempTree::touch(const QString &p, const QDateTime &time)
{
    struct utimbuf t;
    t.actime = t.modtime = static_cast<time_t>(time.toSecsSinceEpoch());
    ::utime(QFile::encodeName(p).constData(), &t);
}

QByteArray TempTree::read(const QString &p)
{
    QFile f(p);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}
