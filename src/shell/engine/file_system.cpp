#include "shell/engine/file_system.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace {

// The local path a FileExists argument stands for, or several candidates when
// a file: URL may or may not be percent-encoded.
QStringList fileCandidates(const QString &text)
{
    QString s = text.trimmed();
    if (s.left(8).toLower() == QLatin1String("file:///")) {
#ifdef Q_OS_WIN
        const QString raw = s.mid(8);
#else
        const QString raw = s.mid(7); // keep the root "/"
#endif
        const QString decoded = QUrl(QStringLiteral("file:///") + s.mid(8)).toLocalFile();
        QStringList out;
        if (!decoded.isEmpty())
            out << QDir::toNativeSeparators(decoded);
        if (raw != decoded && !raw.isEmpty())
            out << QDir::toNativeSeparators(raw);
        return out;
    }
    if (s.isEmpty())
        return {};
    return {QDir::toNativeSeparators(s)};
}

} // namespace

QString ExistingFilePath(const QString &path)
{
    for (const QString &candidate : fileCandidates(path)) {
        const QFileInfo fi(candidate);
        if (fi.exists() && fi.isFile())
            return candidate;
    }
    return QString();
}

bool FileExists(const QString &path)
{
    return !ExistingFilePath(path).isEmpty();
}

bool FolderExists(const QString &path)
{
    if (path.toUpper() == QLatin1String("A:\\"))
        return true; // never touch the floppy drive
    if (path.trimmed().isEmpty())
        return false;
    return QFileInfo(path).isDir();
}

bool PathFound(const QString &path)
{
    if (path.isEmpty())
        return false;
#ifdef Q_OS_WIN
    return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
#else
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
#endif
}
