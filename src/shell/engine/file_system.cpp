#include "shell/engine/file_system.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QUrl>
#include <cstring>
#include <mutex>

#ifndef Q_OS_WIN
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

QString DecodeFileName(const char *s, qsizetype n)
{
    qsizetype i = 0;
    while (i < n && static_cast<unsigned char>(s[i]) < 0x80)
        ++i;
    if (i == n)
        return QString::fromLatin1(s, n);
    QString out = QString::fromLatin1(s, i);
    out.reserve(n);
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            out.append(QChar(c));
            ++i;
            continue;
        }
        const int len = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
        char32_t cp = c & (len == 2 ? 0x1F : len == 3 ? 0x0F : 0x07);
        bool ok = len > 0 && i + len <= n;
        for (int k = 1; ok && k < len; ++k) {
            const unsigned char t = static_cast<unsigned char>(s[i + k]);
            ok = (t & 0xC0) == 0x80;
            cp = (cp << 6) | (t & 0x3F);
        }
        // Overlong forms, encoded surrogates and code points past U+10FFFF are
        // not UTF-8: decoding them would make two names one.
        if (ok && ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF)))
            ok = false;
        if (!ok) {
            out.append(QChar(static_cast<char16_t>(0xDC00 + c)));
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            out.append(QChar(QChar::highSurrogate(cp)));
            out.append(QChar(QChar::lowSurrogate(cp)));
        } else {
            out.append(QChar(static_cast<char16_t>(cp)));
        }
        i += len;
    }
    return out;
}

namespace {

// An escaped byte: a low surrogate U+DC80..U+DCFF not paired with a high one.
bool escapedByteAt(const QString &s, qsizetype i)
{
    const char16_t u = s[i].unicode();
    return u >= 0xDC80 && u <= 0xDCFF && (i == 0 || !s[i - 1].isHighSurrogate());
}

} // namespace

QByteArray EncodeFileName(const QString &path)
{
    qsizetype i = 0;
    while (i < path.size() && !escapedByteAt(path, i))
        ++i;
    if (i == path.size())
        return path.toUtf8();
    QByteArray out;
    out.reserve(path.size() * 3);
    qsizetype from = 0;
    for (; i < path.size(); ++i) {
        if (!escapedByteAt(path, i))
            continue;
        out += QStringView(path).mid(from, i - from).toUtf8();
        out += static_cast<char>(path[i].unicode() - 0xDC00);
        from = i + 1;
    }
    out += QStringView(path).mid(from).toUtf8();
    return out;
}

QString ShownFileName(const QString &path)
{
    QString out = path;
    for (qsizetype i = 0; i < out.size(); ++i)
        if (escapedByteAt(path, i))
            out[i] = QChar::ReplacementCharacter;
    return out;
}

namespace {

// The local paths a FileExists argument may stand for: a file: URL may or may
// not be percent-encoded.
void addCandidates(const QString &s, QStringList &out)
{
    if (s.left(8).toLower() == QLatin1String("file:///")) {
#ifdef Q_OS_WIN
        const QString raw = s.mid(8);
        const QString decoded = QUrl(QStringLiteral("file:///") + s.mid(8)).toLocalFile();
#else
        const QString raw = s.mid(7); // keep the root "/"
        // Percent escapes are bytes: they decode the way names on disk do.
        const QUrl url(QStringLiteral("file:///") + s.mid(8));
        const QString decoded =
            url.isValid() ? DecodeFileName(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1())) : QString();
#endif
        if (!decoded.isEmpty())
            out << QDir::toNativeSeparators(decoded);
        if (raw != decoded && !raw.isEmpty())
            out << QDir::toNativeSeparators(raw);
        return;
    }
    if (!s.isEmpty())
        out << QDir::toNativeSeparators(s);
}

QStringList fileCandidates(const QString &text)
{
    // The text as typed first: blanks may belong to the name.
    QStringList out;
    addCandidates(text, out);
    const QString trimmed = text.trimmed();
    if (trimmed != text)
        addCandidates(trimmed, out);
    return out;
}

} // namespace

bool FileAt(const QString &path)
{
    if (path.isEmpty())
        return false;
#ifdef Q_OS_WIN
    return QFileInfo(path).isFile();
#else
    struct stat st;
    return ::stat(EncodeFileName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
#endif
}

QString ExistingFilePath(const QString &path)
{
    for (const QString &candidate : fileCandidates(path))
        if (FileAt(candidate))
            return candidate;
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
#ifdef Q_OS_WIN
    return QFileInfo(path).isDir();
#else
    struct stat st;
    return ::stat(EncodeFileName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
#endif
}

bool PathFound(const QString &path)
{
    if (path.isEmpty())
        return false;
#ifdef Q_OS_WIN
    return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
#else
    struct stat st;
    return ::lstat(EncodeFileName(path).constData(), &st) == 0;
#endif
}

QStringList FileNamesIn(const QString &folder)
{
#ifdef Q_OS_WIN
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
#else
    QStringList names;
    DIR *dir = ::opendir(EncodeFileName(folder).constData());
    if (!dir)
        return names;
    while (const dirent *d = ::readdir(dir)) {
        bool file = d->d_type == DT_REG;
        if (d->d_type == DT_LNK || d->d_type == DT_UNKNOWN) {
            struct stat st;
            file = ::fstatat(::dirfd(dir), d->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
        }
        if (file)
            names << DecodeFileName(d->d_name, static_cast<qsizetype>(std::strlen(d->d_name)));
    }
    ::closedir(dir);
    return names;
#endif
}

#ifndef Q_OS_WIN
namespace {

// Folders by device and inode: the folder itself, not the text that names it.
// The walk's read-ahead threads note folders while a replacement may take
// them, so the set is kept under its lock.
std::mutex g_notedLock;
QSet<QByteArray> g_noted;

QByteArray folderIdentity(const QString &folder)
{
    struct stat st;
    if (::stat(EncodeFileName(folder).constData(), &st) != 0)
        return QByteArray();
    QByteArray id(sizeof st.st_dev + sizeof st.st_ino, Qt::Uninitialized);
    std::memcpy(id.data(), &st.st_dev, sizeof st.st_dev);
    std::memcpy(id.data() + sizeof st.st_dev, &st.st_ino, sizeof st.st_ino);
    return id;
}

} // namespace

void NoteStagedNamesIn(const QString &folder)
{
    const QByteArray id = folderIdentity(folder);
    std::lock_guard lock(g_notedLock);
    if (!id.isEmpty())
        g_noted.insert(id);
}

bool TakeNotedFolder(const QString &folder)
{
    // Most runs find no leftovers at all: then not even a look at the folder.
    {
        std::lock_guard lock(g_notedLock);
        if (g_noted.isEmpty())
            return false;
    }
    const QByteArray id = folderIdentity(folder);
    std::lock_guard lock(g_notedLock);
    return g_noted.remove(id);
}
#endif
