#include "search/search_command.h"

#include "app/engine/app_state.h"
#include "list/column_fit.h"
#include "list/icon_store.h"
#include "list/list_host.h"
#include "list/result_list_view.h"
#include "list/result_model.h"
#include "search/engine/elapsed_text.h"
#include "search/engine/folder_walk.h"
#include "search/search_host.h"
#include "shell/dialogs.h"
#include "shell/engine/file_system.h"
#include "shell/long_operation.h"

#include <QElapsedTimer>

namespace {
int RowsPerPart = SearchCommand::DefaultRowsPerPart;

bool isAscii(const char *s, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (static_cast<unsigned char>(s[i]) >= 0x80)
            return false;
    return true;
}

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// NameMatches on a name's bytes: a plain-ASCII name against a plain-ASCII
// text is compared as bytes (case folding is the same there); any other name
// is decoded and goes the exact way.
class NameFilter {
public:
    NameFilter(const QString &wanted, int mode) : m_wanted(wanted), m_mode(mode)
    {
        const QByteArray latin = wanted.toLatin1();
        m_ascii = latin == wanted.toUtf8() && isAscii(latin.constData(), static_cast<size_t>(latin.size()));
        if (m_ascii)
            m_lower = latin.toLower();
    }

    bool operator()(const char *name, size_t n) const
    {
        if (m_wanted.isEmpty())
            return true;
        if (!m_ascii || !isAscii(name, n))
            return NameMatches(DecodeFileName(name, static_cast<qsizetype>(n)), m_wanted, m_mode);
        const size_t w = static_cast<size_t>(m_lower.size());
        if (m_mode == 0 ? n != w : n < w)
            return false;
        for (size_t at = 0; at + w <= n; ++at) {
            size_t i = 0;
            while (i < w && lowerAscii(name[at + i]) == m_lower[static_cast<qsizetype>(i)])
                ++i;
            if (i == w)
                return true;
            if (m_mode == 0)
                return false;
        }
        return false;
    }

private:
    QString m_wanted;
    int m_mode;
    bool m_ascii = false;
    QByteArray m_lower;
};
// The walk's hold on the window: the subfolder box read for every folder,
// its progress and turns through the search's long operation.
class WalkTurns : public WalkHost {
public:
    WalkTurns(SearchHost &host, LongOperation::Run &run) : m_host(host), m_run(run) {}
    bool includeSubfolders() override { return m_host.includeSubfolders(); }
    bool stopRequested() override { return m_run.stopRequested(); }
    void showStatus(const QString &text) override { m_run.setStatus(text); }
    void showProgress(int minimum, int maximum, int value) override { m_run.setProgress(minimum, maximum, value); }
    void letEventsRun() override { m_run.turn(); }

private:
    SearchHost &m_host;
    LongOperation::Run &m_run;
};
} // namespace

bool NameMatches(const QString &fileName, const QString &wanted, int mode)
{
    if (wanted.isEmpty())
        return true;
    if (mode == 0)
        return fileName.compare(wanted, Qt::CaseInsensitive) == 0;
    return fileName.contains(wanted, Qt::CaseInsensitive);
}

int AddToList(ResultModel &model, IconStore &icons, const std::vector<const FoundFile *> &files)
{
    // One image per kind: "K" + extension + "." + type name, looked up before
    // an icon is extracted. The last kind seen per extension saves building
    // the key for every row.
    struct Seen { QString type; int icon; };
    QHash<QString, Seen> seen;
    std::vector<const FoundFile *> fresh;
    std::vector<int> iconOf;
    fresh.reserve(files.size());
    iconOf.reserve(files.size());
    for (const FoundFile *f : files) {
                int icon = 0;
        auto it = seen.find(f->Extension);
        if (it != seen.end() && it->type == f->TypeName) {
            icon = it->icon;
        } else {
            const QString key = QStringLiteral("K") + f->Extension + QLatin1Char('.') + f->TypeName;
            icon = icons.find(key);
            if (icon < 1)
                icon = icons.addFileIcon(key, f->FullPath());
            seen.insert(f->Extension, Seen{f->TypeName, icon});
        }
        fresh.push_back(f);
        iconOf.push_back(icon > 0 ? icon : 0);
    }
    return model.addRows(fresh, iconOf);
}

void SearchCommand::加入列表(int index)
{
    const auto &found = m_host.searchState().FoundFiles;
    if (index < 0 || index >= static_cast<int>(found.size()))
        return;
    AddToList(*m_list.list().resultModel(), m_host.icons(), {&found[static_cast<size_t>(index)]});
}

void SearchCommand::setRowsPerPart(int rows) { RowsPerPart = qMax(1, rows); }

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
    FolderWalk(m_host.searchState(), host).walk(folder);
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
    s.FoundFiles.clear();

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
            done = reader.read(part, [&] { return busy.turnDue(); }, static_cast<size_t>(RowsPerPart));
            chosen.clear();
            for (const FoundFile &file : part)
                chosen.push_back(&file);
            AddToList(*list.resultModel(), m_host.icons(), chosen);
            done = done || !busy.turn();
        }
    }
    s.Finds.clear();
    list.show();
    m_list.operation().setLoading(false);
    AutoSizeColumns(&list);
    m_list.showRowCount();
    s.FoundFiles.clear();
    s.FoundFiles.shrink_to_fit();

    const float seconds = static_cast<float>(clock.nsecsElapsed() / 1e9);
    const QString elapsed = 时分秒(seconds);
    busy.setStatus(QStringLiteral("搜索完成。耗时：") + elapsed);
    busy.setValue(1);
    m_searching = false;
    m_host.showSearching(false);

    const int folders = m_host.includeSubfolders() ? static_cast<int>(s.SearchedFolders.size()) : 1;
    if (!busy.finish())
        return; // the window is on its way out; no completion box over nothing
    MessageBox::information(m_list.dialogParent(), QStringLiteral("搜索完成！\r\n搜索目录：") + QString::number(folders) +
                                    QStringLiteral("个，耗时：") + elapsed);
}
