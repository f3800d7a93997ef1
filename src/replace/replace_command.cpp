#include "replace/replace_command.h"

#include "app/engine/app_state.h"
#include "list/column_fit.h"
#include "list/list_host.h"
#include "list/result_list_view.h"
#include "list/result_model.h"
#include "replace/engine/backup.h"
#include "replace/engine/file_facts.h"
#include "replace/engine/file_ops.h"
#include "replace/form2.h"
#include "replace/replace_host.h"
#include "shell/dialogs.h"
#include "shell/engine/file_system.h"
#include "shell/long_operation.h"

#include <QDir>

namespace {

// Rewrites a row's size and time columns from the file at its key.
void 更新文件大小修改日期(ResultModel &model, int row)
{
    if (row < 0 || row >= model.size())
        return;
    const FileFacts f = ReadFileFacts(model.key(row));
    switch (f.state) {
    case FileFacts::State::Ok: model.setFacts(row, RowFacts::Known, f.size, f.mtime); break;
    case FileFacts::State::Missing: model.setFacts(row, RowFacts::Missing); break;
    case FileFacts::State::Unreadable: model.setFacts(row, RowFacts::Unreadable); break;
    }
}

// A replacement or restore run over the ticked rows.
class Run {
public:
    Run(ListHost &host, const QString &caption) : m_host(host), m_run(host.operation(), caption) { m_run.setRange(model().rowCount() + 1); }
    ResultModel &model() { return *m_host.list().resultModel(); }
    // Visits the ticked rows in order with a turn for the window per row; a
    // close of the window ends the run before its next row.
    template <typename Body> void eachTickedRow(Body body)
    {
        const int n = model().rowCount();
        for (int i = 0; i < n; ++i) {
            m_run.setValue(i + 1);
            if (!m_run.turn())
                return;
            if (i < model().rowCount() && model().row(i).checked)
                body(i, model().row(i));
        }
    }
    // Returns whether the window stays, so that a final notice makes sense.
    bool finish()
    {
        AutoSizeColumns(&m_host.list());
        return m_run.finish();
    }

private:
    ListHost &m_host;
    LongOperation::Run m_run;
};

} // namespace

void ReplaceCommand::click()
{
    QWidget *window = m_list.dialogParent();
    const QString masterText = m_host.masterFile();
    if (masterText.trimmed().isEmpty()) {
        MessageBox::critical(window, QStringLiteral("请指定替换用的母文件！"));
        return;
    }
    // The path the existence test accepted (a file: URL names its local path).
    const QString master = ExistingFilePath(masterText);
    if (master.isEmpty()) {
        MessageBox::critical(window, QStringLiteral("替换用的母文件不存在！ 请重新指定替换用的母文件！"));
        return;
    }
    if (appState().IsWorking) {
        MessageBox::critical(window, QStringLiteral("正在工作，请稍后再试！"));
        return;
    }
    if (m_host.noBackup() == 1
        && !MessageBox::ask(window, QStringLiteral("目前的设置是替换前不备份文件，你确定要继续吗？"), QStringLiteral("备份确认")))
        return;

    FileOps::makeOwnerWritable(master);
    const FileOps::FileState masterState = FileOps::stateOf(master);
    const FileFacts facts = ReadFileFacts(master);
    if (facts.name.isEmpty()) {
        MessageBox::critical(window, QStringLiteral("替换用的母文件有问题！"));
        return;
    }
    if (!MessageBox::ask(window, QStringLiteral("所有被勾选的同名文件将会被替换用的母文件替换，原文件会被重命名后备份，你确定要继续吗？")))
        return;

    m_host.setReplaceEnabled(false);
    Run run(m_list, QStringLiteral("正在替换文件..."));
    ResultModel &model = run.model();
    run.eachTickedRow([&](int i, const ResultRow &row) {
        if (row.fileName.compare(facts.name, Qt::CaseInsensitive) != 0) {
            model.setStatus(i, QStringLiteral("跳过-文件名不同"));
            return;
        }
        const QString target = row.key();
        const FileOps::FileState targetState = FileOps::stateOf(target);
        if (targetState.sameFileAs(masterState)) {
            model.setChecked(i, false);
            model.setStatus(i, QStringLiteral("自身"));
            return;
        }
        // The texts the row shows, not a fresh look at the file.
        if (m_host.skipSameSizeAndTime() && row.sizeKB() == facts.sizeText && row.modified() == facts.timeText) {
            model.setStatus(i, QStringLiteral("跳过-大小日期相同"));
            return;
        }
        FileError why;
        const bool ok = ReplaceKnownFiles(target, targetState, master, masterState, m_host.noBackup(), &why);
        model.setStatus(i, ok ? QStringLiteral("已经替换") : QStringLiteral("替换失败"), why);
        更新文件大小修改日期(model, i);
    });
    const bool stays = run.finish();
    m_host.setReplaceEnabled(true);
    if (stays)
        MessageBox::information(window, QStringLiteral("替换文件完成。"));
}

void RestoreCommand::click()
{
    QWidget *window = m_list.dialogParent();
    AppState &app = appState();
    if (app.IsWorking) {
        MessageBox::critical(window, QStringLiteral("正在工作，请稍后再试！"));
        return;
    }
    if (!MessageBox::ask(window,
                         QStringLiteral("所有被勾选的替换后备份文件将会被恢复成原文件名，如果原文件已经存在则跳过，你确定要继续吗？")))
        return;
    Form2::showModal(window);
    if (app.RestoreConflictChoice == RestoreChoice::Cancel)
        return;

    FolderNames names; // each folder listed once per run, kept true as files move
    Run run(m_list, QStringLiteral("正在恢复文件..."));
    ResultModel &model = run.model();
    // Rows of files found gone leave when the run is over: until then every
    // row keeps its place.
    std::vector<char> gone(static_cast<size_t>(model.rowCount()));
    const QChar sep = QDir::separator();
    run.eachTickedRow([&](int i, const ResultRow &row) {
        const QString backupName = row.fileName;
        if (!是替换后文件格式(backupName)) {
            model.setStatus(i, QStringLiteral("格式不符"));
            return;
        }
        const QString original = 替换前文件名(backupName);
        const QString folder = row.folder();
        const QString target = folder.endsWith(sep) ? folder + original : folder + sep + original;
        if (FileAt(target)) {
            if (app.RestoreConflictChoice == RestoreChoice::Skip) {
                model.setStatus(i, QStringLiteral("已存在，跳过"));
                return;
            }
            FileError why;
            const QString aside = 文件恢复备份(target, &why);
            if (aside.isEmpty()) {
                model.setStatus(i, QStringLiteral("已存在，跳过"), why);
                return;
            }
            names.renamed(folder, original, aside);
            // A listed row of the file set aside follows it to its new name,
            // so the restored row can take the name without two rows sharing it.
            const int standing = model.findKey(target);
            if (standing >= 0) {
                model.setFileName(standing, aside);
                更新文件大小修改日期(model, standing);
            }
        }
        const QString latest = 最近一次替换后文件名(folder, original, &names);
        if (latest.isEmpty()) {
            model.setStatus(i, QStringLiteral("替换文件不存在"));
            return;
        }
        if (!SameFileName(latest, backupName)) {
            model.setStatus(i, QStringLiteral("不是最近替换"));
            return;
        }
        // Never over a file: something standing at the name now (a link, a
        // file created meanwhile) leaves both files as they are.
        int e = 0;
        if (!FileOps::renameNoReplace(row.key(), target, &e)) {
            model.setStatus(i, QStringLiteral("恢复失败"), FileError::ofErrno(e));
            return;
        }
        names.renamed(folder, backupName, original);
        // The name was free, so a row still keyed by it names a file that is
        // gone: the restored row takes the key over and that row goes.
        const int stale = model.findKey(target);
        if (stale >= 0) {
            gone[static_cast<size_t>(stale)] = 1;
            std::vector<char> forget(static_cast<size_t>(stale) + 1);
            forget.back() = 1;
            model.forgetKeysMarked(forget);
        }
        model.setFileName(i, original);
        model.setStatus(i, QStringLiteral("已经恢复"));
        更新文件大小修改日期(model, i);
    });
    model.removeRowsMarked(gone);
    m_list.showRowCount(); // a row may have gone
    const bool stays = run.finish();
    if (stays)
        MessageBox::information(window, QStringLiteral("恢复文件完成。"));
}
