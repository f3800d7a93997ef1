// A million rows through the list: adding them with their icons and fitting
// the columns, peak memory, sorting by each column against a plain integer
// sort, and how long the window stops answering during the list commands.
#include "support.h"
#include "window_main.h"

#include "app/engine/app_state.h"
#include "shell/appearance.h"
#include "app/form1.h"
#include "list/column_fit.h"
#include "list/icon_store.h"
#include "list/result_list_view.h"
#include "list/result_model.h"
#include "search/engine/found_file.h"
#include "search/search_command.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <unordered_map>

namespace {

constexpr int Runs = 5;
// A search hands its rows over in chunks, each made from its raw records
// just before; the rows, not a million found records, make the peak.
constexpr int Chunk = 50000;

struct Kind {
    const char *ext;
    const char *type;
};
const Kind Kinds[20] = {{"txt", "纯文本文档"},       {"doc", "Word 文档"},  {"docx", "Word 2007 文档"}, {"xls", "Excel 表格"},
                        {"xlsx", "Excel 2007 表格"}, {"pdf", "PDF 文档"},   {"jpg", "JPEG 图像"},       {"png", "PNG 图像"},
                        {"gif", "GIF 图像"},         {"mp3", "MP3 音频"},   {"mp4", "MPEG-4 视频"},     {"zip", "Zip 归档"},
                        {"7z", "7-zip 归档"},        {"cpp", "C++ 源代码"}, {"h", "C 头文件"},          {"py", "Python 脚本"},
                        {"html", "HTML 文档"},       {"css", "CSS 样式表"}, {"json", "JSON 文档"},      {"ini", "配置文件"}};

// Realistic rows: about 1000 folders, 20 kinds, sizes and times spread out;
// the same rows on every pass.
class Files {
public:
    explicit Files(int count) : m_count(count)
    {
        for (int i = 0; i < 1000; ++i)
            m_folders.push_back(QStringLiteral("/home/user/项目/project%1/src/module%2").arg(i / 10, 3, 10, QLatin1Char('0')).arg(i % 10));
        for (const Kind &k : Kinds) {
            m_types.push_back(QString::fromUtf8(k.type));
            m_exts.push_back(QLatin1String(k.ext));
        }
    }
    int count() const { return m_count; }
    // Calls each with every chunk of found files in turn.
    void forEachChunk(const std::function<void(const std::vector<const FoundFile *> &)> &each) const
    {
        QRandomGenerator rng(20261207);
        std::vector<FoundFile> files;
        std::vector<const FoundFile *> ptrs;
        for (int first = 0; first < m_count; first += Chunk) {
            const int n = std::min(Chunk, m_count - first);
            files.assign(static_cast<size_t>(n), FoundFile());
            ptrs.clear();
            for (int j = 0; j < n; ++j) {
                const int i = first + j;
                const int kind = static_cast<int>(rng.bounded(20));
                FoundFile &f = files[static_cast<size_t>(j)];
                f.FolderPath = m_folders[static_cast<size_t>(rng.bounded(1000))];
                f.Extension = m_exts[static_cast<size_t>(kind)];
                f.FileName =
                    (i % 3 ? QStringLiteral("report_%1.") : QStringLiteral("报告%1.")).arg(i, 7, 10, QLatin1Char('0')) + f.Extension;
                f.FileName.squeeze();
                f.TypeName = m_types[static_cast<size_t>(kind)];
                f.Size = static_cast<qint64>(rng.bounded(1u << 30)) >> rng.bounded(20);
                f.MTime = 1500000000 + rng.bounded(300000000);
                ptrs.push_back(&f);
            }
            each(ptrs);
        }
    }

private:
    int m_count;
    std::vector<QString> m_folders, m_types, m_exts;
};

void addAll(ResultModel &model, IconStore &icons, const Files &files)
{
    files.forEachChunk([&](const std::vector<const FoundFile *> &chunk) { SearchCommand::加入列表(model, icons, chunk); });
}

// The floor of adding: the found files copied into a vector, their keys hashed.
double floorAddMs(const Files &files)
{
    return bench::medianMs(3, [&] {
        std::vector<FoundFile> rows;
        std::unordered_map<QString, int> keys;
        rows.reserve(static_cast<size_t>(files.count()));
        keys.reserve(static_cast<size_t>(files.count()));
        files.forEachChunk([&](const std::vector<const FoundFile *> &chunk) {
            for (const FoundFile *f : chunk)
                if (keys.emplace(f->FullPath(), static_cast<int>(rows.size())).second)
                    rows.push_back(*f);
        });
    });
}

// The yardstick of a sort: std::sort of as many random 64-bit keys.
double intSortMs(int count)
{
    std::vector<quint64> keys;
    return bench::medianMs(
        Runs, [&] { std::sort(keys.begin(), keys.end()); },
        [&] {
            QRandomGenerator64 rng(7);
            keys.resize(static_cast<size_t>(count));
            for (quint64 &k : keys)
                k = rng.generate64();
        });
}

// The longest lateness of a 10 ms timer while command runs and the window
// settles after it (a command may hand work to later event-loop turns;
// it is done when the window is no longer busy).
double maxGapMs(const std::function<void()> &command)
{
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(10);
    QElapsedTimer clock;
    qint64 last = 0;
    double worst = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        worst = std::max(worst, static_cast<double>(now - last) / 1e6 - 10);
        last = now;
    });
    QCoreApplication::processEvents();
    clock.start();
    tick.start();
    bool done = false;
    QTimer::singleShot(0, [&] {
        command();
        done = true;
    });
    QEventLoop loop;
    QTimer poll;
    qint64 doneAt = -1;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done && !appState().IsWorking && doneAt < 0)
            doneAt = clock.elapsed();
        if (doneAt >= 0 && clock.elapsed() - doneAt > 300)
            loop.quit();
    });
    poll.start(5);
    loop.exec();
    // The turn that ends the command counts too.
    return std::max(worst, static_cast<double>(clock.nsecsElapsed() - last) / 1e6 - 10);
}

void printGap(const char *name, double ms)
{
    std::printf("MAXGAP_MS %s %.0f (target <= 100)%s\n", name, ms, ms > 100 ? " MISSED" : "");
    std::fflush(stdout);
}

int run()
{
    const Files files(bench::envNumber("BENCH_ROWS", 1000000));
    std::printf("ROWS %d\n", files.count());
    std::fflush(stdout);

    // Adding through the search's own path, then fitting every column.
    std::unique_ptr<ResultListView> view;
    std::unique_ptr<IconStore> icons;
    const double addMs = bench::medianMs(
        3,
        [&] {
            view->hide();
            addAll(*view->resultModel(), *icons, files);
            view->show();
            AutoSizeColumns(view.get());
        },
        [&] {
            view.reset();
            icons = std::make_unique<IconStore>();
            icons->addUnkeyed(Appearance::appIcon());
            view = std::make_unique<ResultListView>();
            view->resize(1000, 500);
            view->resultModel()->setIcons(&icons->icons());
        });
    // The whole process with the rows listed, before the floor's own copies.
    bench::printPeakMiB("list-1M");
    const double floorAdd = floorAddMs(files);
    bench::printMs("list-add", addMs);
    bench::printMs("list-add-floor", floorAdd);
    bench::printRatio("list-add/floor", addMs / floorAdd, 3.0);
    {
        QElapsedTimer t;
        t.start();
        AutoSizeColumns(view.get());
        bench::printMs("list-fit", static_cast<double>(t.nsecsElapsed()) / 1e6);
    }

    ResultModel &model = *view->resultModel();
    const double intsort = intSortMs(model.rowCount());
    bench::printMs("intsort", intsort);
    for (int c = 0; c < ResultModel::ColumnCount; ++c) {
        // Each sort starts from the order of another column; the status
        // column, all empty, would leave the last order standing.
        const int start = c == ResultModel::ColumnCount - 1 ? 1 : c + 1;
        const double ms = bench::medianMs(
            Runs, [&] { model.sortRows(c, Qt::AscendingOrder); }, [&] { model.sortRows(start, Qt::AscendingOrder); });
        const QByteArray name = "sort-col" + QByteArray::number(c + 1);
        bench::printMs(name.constData(), ms);
        const bool number = c == ResultModel::SizeColumn || c == ResultModel::TimeColumn;
        bench::printRatio((name + "/intsort").constData(), ms / intsort, number ? 3.0 : 8.0);
    }
    view.reset();
    icons.reset();

    // The list commands on a million rows in the main window.
    Form1 form;
    form.loadForm();
    form.show();
    const auto trigger = [&](const char *action) { form.action(QString::fromUtf8(action))->trigger(); };
    const auto refill = [&] {
        form.model()->clear();
        addAll(*form.model(), form.ImageList1, files);
        QCoreApplication::processEvents();
    };
    refill();
    printGap("select-all", maxGapMs([&] { trigger("menu选中全部"); }));
    printGap("tick-all", maxGapMs([&] { trigger("menu勾选全部"); }));
    printGap("untick-all", maxGapMs([&] { trigger("menu全部去勾选"); }));
    for (int r = 0; r < form.model()->rowCount(); r += 2)
        form.model()->setChecked(r, true);
    printGap("remove-ticked-half", maxGapMs([&] { trigger("menu移除勾选项"); }));
    printGap("remove-selected-all", maxGapMs([&] { trigger("menu移除选中项"); }));
    refill();
    trigger("menu选中全部");
    printGap("remove-all", maxGapMs([&] { trigger("menu移除全部"); }));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    return bench::runWithWindows(argc, argv, run);
}
