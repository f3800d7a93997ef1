#pragma once
#include <QString>
#include <QStringList>

class QWidget;

// The folder a picker opens at for a given start folder: the parent of the
// given folder when that exists, else the root folder.
QString BrowseStartFolder(const QString &startFolder);

// Lets the user pick a folder. The result ends with the native separator; when
// the picker is cancelled it is the start folder (with the separator added),
// and *picked, where given, tells the two apart.
QString BrowseForFolder(QWidget *owner, const QString &startFolder, const QString &prompt, bool *picked = nullptr);

// Opens an address with the desktop's default handler. The reuse-window flag
// has no meaning outside Windows and is accepted and ignored there.
void OpenURL(const QString &address, bool reuseWindow = false);

// Opens a folder with the desktop's default handler; false when none took it.
bool OpenFolder(const QString &folder);

// Asks the desktop's file manager to show the file's folder with the file
// selected (org.freedesktop.FileManager1 on the session bus).
bool OpenFolderSelectItem(const QString &path);

namespace Desktop {
// Test seam: while MessageBox::headless() is on, addresses and folders are
// only recorded, and OpenFolder answers as set here (default true).
const QStringList &openedUrls();
void setOpenFolderResult(bool ok);
void clearHistory();
} // namespace Desktop
