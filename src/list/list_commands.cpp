#include "list/list_commands.h"

#include "app/engine/app_state.h"
#include "list/column_fit.h"
#include "list/list_host.h"
#include "list/result_list_view.h"
#include "list/result_model.h"
#include "shell/dialogs.h"
#include "shell/engine/file_system.h"
#include "shell/engine/file_texts.h"
#include "shell/long_operation.h"

#include <QItemSelectionModel>

bool EndsWithReplaceTag(const ResultRow &row)
{
    return row.fileName.endsWith(ReplaceTag);
}
bool EndsWithRestoreTag(const ResultRow &row)
{
    return row.fileName.endsWith(RestoreTag);
}

void ListCommands::选中全部()
{
    m_host.operation().whenLoaded([this] { m_host.list().selectAll(); });
}
void ListCommands::勾选全部()
{
    m_host.operation().whenLoaded([this] { m_host.list().resultModel()->setAllChecked(true); });
}
void ListCommands::全部去勾选()
{
    m_host.operation().whenLoaded([this] { m_host.list().resultModel()->setAllChecked(false); });
}

bool ListCommands::refusedWhileBusy()
{
    if (!appState().IsWorking)
        return false;
    MessageBox::information(m_host.dialogParent(), QStringLiteral("停止工作后方可执行该操作！"));
    return true;
}

namespace {

// The selected rows, read from the selection's ranges once: a million
// selected rows cost one range.
std::vector<char> selectionMask(const QItemSelectionModel *selection, int rows)
{
    std::vector<char> marks(static_cast<size_t>(rows));
    for (const QItemSelectionRange &r : selection->selection())
        for (int row = r.top(); row <= r.bottom() && row < rows; ++row)
            marks[static_cast<size_t>(row)] = 1;
    return marks;
}

} // namespace

std::function<bool(int)> ListCommands::selectedTest()
{
    auto marks =
        std::make_shared<std::vector<char>>(selectionMask(m_host.list().selectionModel(), m_host.list().resultModel()->rowCount()));
    return [marks](int row) { return (*marks)[static_cast<size_t>(row)] != 0; };
}

std::function<bool(int)> ListCommands::checkedTest()
{
    ResultModel *model = m_host.list().resultModel();
    return [model](int row) { return model->row(row).checked; };
}

void ListCommands::showCountAndFit()
{
    m_host.showRowCount();
    AutoSizeColumns(&m_host.list());
}

void ListCommands::removeWhere(LongOperation::Run &run, const std::function<bool(int)> &test)
{
    ResultModel &model = *m_host.list().resultModel();
    QItemSelectionModel *selection = m_host.list().selectionModel();
    const int n = model.rowCount();
    std::vector<char> remove(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        remove[static_cast<size_t>(i)] = test(i);
    // Where the model resets, the surviving rows get their selection back.
    const std::vector<char> selected = selectionMask(selection, n);
    // Finding, unkeying, removing and refitting take a turn of the event loop
    // each, so that at a million rows the window is not still for all of them;
    // it stays busy throughout.
    model.forgetKeysMarked(remove);
    run.turn();
    if (model.removeRowsMarked(remove)) {
        QItemSelection keep;
        int out = 0, start = -1;
        for (int i = 0; i < n; ++i) {
            if (remove[static_cast<size_t>(i)])
                continue;
            const bool sel = selected[static_cast<size_t>(i)];
            if (sel && start < 0)
                start = out;
            if (!sel && start >= 0) {
                keep.select(model.index(start, 0), model.index(out - 1, ResultModel::ColumnCount - 1));
                start = -1;
            }
            ++out;
        }
        if (start >= 0)
            keep.select(model.index(start, 0), model.index(out - 1, ResultModel::ColumnCount - 1));
        selection->select(keep, QItemSelectionModel::Select);
    }
}

void ListCommands::removeRows(const std::function<bool(int)> &test)
{
    if (refusedWhileBusy())
        return;
    LongOperation::Run run(m_host.operation());
    removeWhere(run, test);
    run.turn();
    showCountAndFit();
}

void ListCommands::移除选中项()
{
    removeRows(selectedTest());
}
void ListCommands::移除勾选项()
{
    removeRows(checkedTest());
}

void ListCommands::移除全部()
{
    if (refusedWhileBusy())
        return;
    m_host.list().resultModel()->clear();
    showCountAndFit();
}

void ListCommands::sendToTrash(const QString &question, const std::function<bool(int)> &test)
{
    if (refusedWhileBusy())
        return;
    if (!MessageBox::ask(m_host.dialogParent(), question))
        return;
    LongOperation::Run run(m_host.operation());
    ResultModel &model = *m_host.list().resultModel();
    const int n = model.rowCount();
    std::vector<char> remove(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        if (!test(i))
            continue;
        const QString key = model.key(i);
        // A file the trash refused stays listed and says so, and why; a
        // file gone already leaves the list.
        FileError why;
        if (DeleteToRecycleBin(key, &why) || !PathFound(key))
            remove[static_cast<size_t>(i)] = 1;
        else
            model.setStatus(i, QStringLiteral("删除失败"), why);
    }
    model.removeRowsMarked(remove);
    showCountAndFit();
}

void ListCommands::删除选中项()
{
    sendToTrash(QStringLiteral("所有被选中的文件将会被删除到系统回收站！你确定要继续吗？"), selectedTest());
}

void ListCommands::删除勾选项()
{
    sendToTrash(QStringLiteral("所有被勾选的文件将会被删除到系统回收站！你确定要继续吗？"), checkedTest());
}

void ListCommands::删除全部替换备份文件()
{
    ResultModel *model = m_host.list().resultModel();
    sendToTrash(QStringLiteral("所有文件名结尾为'替换备份]'的文件将会被删除到系统回收站！你确定要继续吗？"),
                [model](int row) { return EndsWithReplaceTag(model->row(row)); });
}

void ListCommands::删除全部恢复备份文件()
{
    ResultModel *model = m_host.list().resultModel();
    sendToTrash(QStringLiteral("所有文件名结尾为'恢复备份]'的文件将会被删除到系统回收站！你确定要继续吗？"),
                [model](int row) { return EndsWithRestoreTag(model->row(row)); });
}
