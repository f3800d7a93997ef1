#include "shell/desktop.h"

#include "shell/dialogs.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {
QStringList g_opened;

QString rootFolder() { return QDir::toNativeSeparators(QDir::rootPath()); }
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

namespace Desktop {
const QStringList &openedUrls() { return g_opened; }
void clearHistory() { g_opened.clear(); }
} // namespace Desktop
