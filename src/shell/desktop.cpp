#include "shell/desktop.h"

#include "shell/dialogs.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "shell/engine/file_system.h"

#ifdef Q_OS_WIN
#include <QProcess>
#else
#include <QDBusConnection>
#include <QDBusMessage>
#endif

namespace {
QStringList g_opened;
bool g_openFolderResult = true;

QString rootFolder()
{
    return QDir::toNativeSeparators(QDir::rootPath());
}

// A file: URL of the path's own bytes, so a name that is not UTF-8 reaches
// the file manager as it is on disk.
QUrl fileUrl(const QString &path)
{
#ifdef Q_OS_WIN
    return QUrl::fromLocalFile(path);
#else
    const QString absolute = path.startsWith(QLatin1Char('/')) ? path : QDir::currentPath() + QLatin1Char('/') + path;
    return QUrl::fromEncoded("file://" + EncodeFileName(absolute).toPercentEncoding("/!$&'()*+,;=:@"), QUrl::StrictMode);
#endif
}
} // namespace

QString BrowseStartFolder(const QString &startFolder)
{
    const QChar sep = QDir::separator();
    QString folder = startFolder;
    if (folder.trimmed().isEmpty())
        folder = rootFolder();
    // Cut after the last separator before the final character: the parent of
    // the given folder, whether or not it ends with a separator.
    const qsizetype from = folder.size() - 2;
    if (from >= 0) {
        const qsizetype i = folder.lastIndexOf(sep, from);
        if (i >= 0)
            folder.truncate(i + 1);
    }
    if (!QFileInfo(folder).isDir())
        folder = rootFolder();
    return folder;
}

QString BrowseForFolder(QWidget *owner, const QString &startFolder, const QString &prompt, bool *picked)
{
    const QString chosen = FileDialog::getExistingDirectory(owner, prompt, BrowseStartFolder(startFolder));
    if (picked)
        *picked = !chosen.isEmpty();
    QString result = chosen.isEmpty() ? startFolder : QDir::toNativeSeparators(chosen);
    if (!result.endsWith(QDir::separator()))
        result += QDir::separator();
    return result;
}

void OpenURL(const QString &address, bool reuseWindow)
{
    Q_UNUSED(reuseWindow);
    g_opened.append(address);
    if (MessageBox::headless())
        return;
    QDesktopServices::openUrl(QUrl(address));
}

bool OpenFolder(const QString &folder)
{
    const QUrl url = fileUrl(folder);
    g_opened.append(url.toString());
    if (MessageBox::headless())
        return g_openFolderResult;
    return QDesktopServices::openUrl(url);
}

bool OpenFolderSelectItem(const QString &path)
{
    // A path the program found: blanks at its ends belong to the name.
    const QString &p = path;
    if (!PathFound(p))
        return false;
#ifdef Q_OS_WIN
    // Arguments go as a list: no command line is built from the name.
    return QProcess::startDetached(QStringLiteral("explorer.exe"), {QStringLiteral("/select,"), QDir::toNativeSeparators(p)});
#else
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
                                       QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{fileUrl(p).toString(QUrl::FullyEncoded)} << QString();
    // A file manager started on demand may take a moment; not longer.
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
    return reply.type() == QDBusMessage::ReplyMessage;
#endif
}

namespace Desktop {
const QStringList &openedUrls()
{
    return g_opened;
}
void setOpenFolderResult(bool ok)
{
    g_openFolderResult = ok;
}
void clearHistory()
{
    g_opened.clear();
    g_openFolderResult = true;
}
} // namespace Desktop
