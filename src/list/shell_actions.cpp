#include "list/shell_actions.h"

#include "app/engine/vendor.h"
#include "list/list_host.h"
#include "list/result_list_view.h"
#include "list/result_model.h"
#include "shell/desktop.h"
#include "shell/dialogs.h"
#include "shell/engine/file_system.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>

int ShellActions::selectedRow() const
{
    const QItemSelectionModel *selection = m_host.list().selectionModel();
    if (m_host.list().resultModel()->rowCount() == 0 || !selection->hasSelection())
        return -1;
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row(), QModelIndex()))
        return current.row();
    return selection->selection().first().top();
}

void ShellActions::打开文件所在目录()
{
    const int r = selectedRow();
    if (r < 0)
        return;
    const ResultRow &row = m_host.list().resultModel()->row(r);
    if (!FolderExists(row.folder())) {
        MessageBox::critical(m_host.dialogParent(), QStringLiteral("文件夹不存在！"));
        return;
    }
    if (!FileAt(row.key())) {
        OpenFolder(row.folder()); // the file is gone: its folder, nothing selected
        return;
    }
    // Without a file manager on the bus the folder itself still opens.
    if (!OpenFolderSelectItem(row.key()) && !OpenFolder(row.folder()))
        MessageBox::critical(m_host.dialogParent(), QStringLiteral("打开失败！"));
}

void ShellActions::copy(bool folder)
{
    const int r = selectedRow();
    if (r < 0)
        return;
    const ResultRow &row = m_host.list().resultModel()->row(r);
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(ShownFileName(folder ? row.folder() : row.key()));
}

void ShellActions::复制文件路径()
{
    copy(false);
}
void ShellActions::复制文件目录()
{
    copy(true);
}

void ShellActions::售后服务()
{
    OpenURL(Vendor::site() + QStringLiteral("/afterservice.htm"), false);
}
void ShellActions::功能定制()
{
    OpenURL(Vendor::site() + QStringLiteral("/customfunction.htm"), false);
}
void ShellActions::软件定制()
{
    OpenURL(Vendor::site() + QStringLiteral("/customware.htm"), true);
}
void ShellActions::墨桐软件()
{
    OpenURL(Vendor::site() + QStringLiteral("/"), true);
}
void ShellActions::柏岚软件()
{
    OpenURL(Vendor::secondSite() + QStringLiteral("/"), true);
}
void ShellActions::最新版本()
{
    OpenURL(Vendor::productPage(), false);
}
