#include "search/search_command.h"

#include "app/engine/app_state.h"
#include "list/column_fit.h"
#include "list/icon_store.h"
#include "list/list_host.h"
#include "list/result_list_view.h"
#include "list/result_model.h"
#include "search/engine/elapsed_text.h"
#include "search/engine/folder_walk.h"
#include "search/engine/name_filter.h"
#include "search/search_host.h"
#include "shell/dialogs.h"
#include "shell/engine/file_system.h"
#include "shell/long_operation.h"

#include <QElapsedTimer>

namespace {
int RowsPerPart = SearchCommand::DefaultRowsPerPart;

// The walk's hold on the window: the subfolder box read for every folder,
// its progress and turns through the search's long operation.
class WalkTurns : public WalkHost {
public:
    WalkTurns(SearchHost &host, LongOperation::Run &run) : m_host(host), m_run(run) { }
    bool includeSubfolders() override { return m_host.includeSubfolders(); }
    bool stopRequested() override { return m_run.stopRequested(); }
    void showStatus(const QString &text) override { m_run.setStatus(text); }
    void showProgress(int minimum, int maximum, int value) override { m_run.setProgress(minimum, maximum, value); }
    void letEventsRun() override { m_run.turn(); }
    bool turnDue() override { return m_run.turnDue(); }

private:
    SearchHost &m_host;
    LongOperation::Run &m_run;
};
} // namespace

int SearchCommand::加入列表(ResultModel &model, IconStore &icons, const std::vector<const FoundFile *> &files)
{
    // One image per kind: "K" + extension + "." + type name, looked up before
    // an icon is extracted. The last kind seen per extension saves building
    // the key for every row.
    struct Seen {
        QString type;
        int icon;
    };
    QHash<QString, Seen> seen;
    // The reader shares one text per extension and per type: while these
    // files live, texts at the same place are the same texts.
    QHash<std::pair<const QChar *, const QChar *>, int> byPlace;
    std::vector<const FoundFile *> fresh;
    std::vector<int> iconOf;
    fresh.reserve(files.size());
    iconOf.reserve(files.size());
    for (const FoundFile *f : files) {
        int icon = 0;
        const std::pair place(f->Extension.constData(), f->TypeName.constData());
        auto at = byPlace.constFind(place);
        auto it = at != byPlace.constEnd() ? seen.end() : seen.find(f->Extension);
        if (at != byPlace.constEnd()) {
            icon = *at;
        } else if (it != seen.end() && it->type == f->TypeName) {
            icon = it->icon;
        } else {
            const QString key = QStringLiteral("K") + f->Extension + QLatin1Char('.') + f->TypeName;
            icon = icons.find(key);
            if (icon < 1)
                icon = icons.addFileIcon(key, f->FullPath());
            seen.insert(f->Extension, Seen{f->TypeName, icon});
        }
        if (at == byPlace.constEnd())
            byPlace.insert(place, icon);
        fresh.push_back(f);
        iconOf.push_back(icon > 0 ? icon : 0);
    }
    return model.addRows(fresh, iconOf);
}

void SearchCommand::setRowsPerPart(int rows)
{
    RowsPerPart = qMax(1, rows);
}

void SearchCommand::click()
{
    QWidget *window = m_list.dialogParent();
    const QString folder = m_host.searchFolder();
    if (folder.trimmed().isEmpty()) {
        MessageBox::critical(window, QStringLiteral("请指定搜索目录！"));
        return;
    }
    if (!FolderExists(folder)) {
        MessageBox::critical(window, QStringLiteral("文件夹不存在！ 请重新指定文件夹！"));
        return;
    }
    if (m_searching) {
        appState().StopRequested = true;
        return;
    }
    if (appState().IsWorking) {
        MessageBox::critical(window, QStringLiteral("正在工作，请稍后再试！"));
        return;
    }
    run();
}

void SearchCommand::搜索文件夹(const QString &folder, LongOperation::Run &run)
{
    WalkTurns host(m_host, run);
    FolderWalk(m_host.searchState(), host).搜索文件夹(folder);
}

void SearchCommand::run()
{
    AppState &app = appState();
    SearchState &s = m_host.searchState();
    ResultListView &list = m_list.list();

    LongOperation::Run busy(m_list.operation(), QStringLiteral("正在搜索文件夹和文件..."));
    QElapsedTimer clock; // monotonic: a search across midnight keeps its true length
    clock.start();
    m_host.clearListBackground();
    m_searching = true;
    m_host.showSearching(true);
    app.StopRequested = false;
    s.SearchPattern = SearchPatternFor(s.SearchExtension);

    搜索文件夹(m_host.searchFolder(), busy);

    busy.setCaption(QStringLiteral("正在载入文件到列表..."));
    bool stays = busy.turn();
    // Read only now: the name filter may change while the walk runs.
    const QString wanted = m_host.wantedName();
    const int mode = m_host.matchMode();
    list.hide();
    {
        // Only the names the filter keeps have their facts read; rows go in
        // a part at a time, a part ending when the window's turn is due. A
        // closing window takes no further part.
        FoundReader reader(s.Finds, NameFilter(wanted, mode));
        std::vector<FoundFile> part;
        std::vector<const FoundFile *> chosen;
        m_list.operation().setLoading(true);
        for (bool done = !stays; !done;) {
            part.clear();
            done = reader.read(
                part, [&] { return busy.turnDue(); }, static_cast<size_t>(RowsPerPart));
            chosen.clear();
            for (const FoundFile &file : part)
                chosen.push_back(&file);
            加入列表(*list.resultModel(), m_host.icons(), chosen);
            done = done || !busy.turn();
        }
    }
    s.Finds.clear();
    list.show();
    m_list.operation().setLoading(false);
    AutoSizeColumns(&list);
    m_list.showRowCount();

    const float seconds = static_cast<float>(clock.nsecsElapsed() / 1e9);
    const QString elapsed = 时分秒(seconds);
    busy.setStatus(QStringLiteral("搜索完成。耗时：") + elapsed);
    busy.setValue(1);
    m_searching = false;
    m_host.showSearching(false);

    const int folders = m_host.includeSubfolders() ? static_cast<int>(s.SearchedFolders.size()) : 1;
    if (!busy.finish())
        return; // the window is on its way out; no completion box over nothing
    MessageBox::information(m_list.dialogParent(),
                            QStringLiteral("搜索完成！\r\n搜索目录：") + QString::number(folders) + QStringLiteral("个，耗时：") + elapsed);
}
