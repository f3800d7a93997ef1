#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTemporaryDir>

#include "support/qt_printers.h"

// A temp folder to build file trees in; removed with the object.
class TempTree {
public:
    TempTree();
    // A temp folder inside under (say, a mounted file system), or the usual place.
    explicit TempTree(const QString &under);
    ~TempTree();
    QString root() const { return m_dir.path(); }
    QString path(const QString &relative) const { return m_dir.path() + QLatin1Char('/') + relative; }

    // Writes a file (creating its folders) and returns its full path.
    QString file(const QString &relative, const QByteArray &content = QByteArray("x"));
    QString folder(const QString &relative);
    // Sets a file's modification time.
    static void touch(const QString &path, const QDateTime &time);
    static QByteArray read(const QString &path);

private:
    QTemporaryDir m_dir;
};

// The file system that the CTest fixture of this entry mounted (see
// scratch_mount.sh), found through an environment variable. Where there is
// none the test is skipped, with the reason; where the fixture failed, it
// fails. Either way the result is "", and the test should return.
QString FixtureMount(const char *variable);
