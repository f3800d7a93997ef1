// A million rows through the list: adding them with their icons and fitting
// the columns, sorting by each column, the list commands, and peak memory.
#include "support.h"
#include "window_main.h"

#include "app/engine/app_state.h"
#include "app/appearance.h"
#include "app/form1.h"
#include "list/icon_store.h"
#include "list/list_commands.h"
#include "list/result_list_view.h"
#include "list/result_model.h"
#include "search/engine/found_file.h"
#include "search/search_command.h"
#include "shell/dialogs.h"
#include "shell/engine/file_texts.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <unordered_map>

namespace {

constexpr int Runs = 5;

struct Kind {
    const char *ext;
    const char *type;
};
const Kind Kinds[20] = {{"txt", "纯文本文档"}, {"doc", "Word 文档"}, {"docx", "Word 2007 文档"}, {"xls", "Excel 表格"},
                        {"xlsx", "Excel 2007 表格"}, {"pdf", "PDF 文档"}, {"jpg", "JPEG 图像"}, {"png", "PNG 图像"},
                        {"gif", "GIF 图像"}, {"mp3", "MP3 音频"}, {"mp4", "MPEG-4 视频"}, {"zip", "Zip 归档"},
                        {"7z", "7-zip 归档"}, {"cpp", "C++ 源代码"}, {"h", "C 头文件"}, {"py", "Python 脚本"},
                        {"html", "HTML 文档"}, {"css", "CSS 样式表"}, {"json", "JSON 文档"}, {"ini", "配置文件"}};

// Realistic rows: about 1000 folders, 20 kinds, sizes and times spread out.
std::vector<FoundFile> makeFiles(int count)
{
    QRandomGenerator rng(20261207);
    std::vector<QString> folders;
    for (int i = 0; i < 1000; ++i)
        folders.push_back(QStringLiteral("/home/user/项目/project%1/src/module%2").arg(i / 10, 3, 10, QLatin1Char('0')).arg(i % 10));
    std::vector<QString> types;
    for (const Kind &k : Kinds)
        types.push_back(QString::fromUtf8(k.type));
    std::vector<FoundFile> files(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const int kind = static_cast<int>(rng.bounded(20));
        FoundFile &f = files[static_cast<size_t>(i)];
        f.FolderPath = folders[static_cast<size_t>(rng.bounded(1000))];
        f.Extension = QLatin1String(Kinds[kind].ext);
        f.FileName = (i % 3 ? QStringLiteral("report_%1.") : QStringLiteral("报告%1.")).arg(i, 7, 10, QLatin1Char('0')) + f.Extension;
        f.TypeName = types[static_cast<size_t>(kind)];
        f.Size = static_cast<qint64>(rng.bounded(1u << 30)) >> rng.bounded(20);
        f.MTime = 1500000000 + rng.bounded(300000000);
    }
    return files;
}

// The floor of adding: the same row structs in a vector, their keys hashed.
double floorAddMs(const std::vector<FoundFile> &files)
{
    return bench::medianMs(Runs, [&] {
        std::vector<ResultRow> rows;
        std::unordered_map<QString, int> keys;
        rows.reserve(files.size());
        keys.reserve(files.size());
        for (const FoundFile &f : files) {
            if (!keys.emplace(f.FullPath(), static_cast<int>(rows.size())).second)
                continue;
            ResultRow r;
            r.fileName = f.FileName;
            r.sizeKB = f.SizeKB();
            r.modified = f.Modified();
            r.folder = f.FolderPath;
            rows.push_back(std::move(r));
        }
    });
}

const QString &cell(const ResultRow &r, int c)
{
    switch (c) {
    case 0: return r.status;
    case 1: return r.fileName;
    case 2: return r.sizeKB;
    case 3: return r.modified;
    default: return r.folder;
    }
}

// The floor of a sort: std::sort of the same strings with the same order
// (the size column by the number each text shows).
double floorSortMs(const ResultModel &model, int column)
{
    std::vector<QString> texts;
    return bench::medianMs(
        Runs,
        [&] {
            if (column == ResultModel::SizeColumn) {
                std::vector<std::pair<double, const QString *>> keyed(texts.size());
                for (size_t i = 0; i < texts.size(); ++i) {
                    double v = -1;
                    ParseSizeText(texts[i], &v);
                    keyed[i] = {v, &texts[i]};
                }
                std::sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
            } else {
                std::sort(texts.begin(), texts.end(),
                          [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
            }
        },
        [&] {
            texts.clear();
            texts.reserve(static_cast<size_t>(model.size()));
            for (int i = 0; i < model.size(); ++i)
                texts.push_back(cell(model.row(i), column));
        });
}

int run()
{
    const int count = bench::envNumber("BENCH_ROWS", 1000000);
    const std::vector<FoundFile> files = makeFiles(count);
    std::vector<const FoundFile *> ptrs;
    ptrs.reserve(files.size());
    for (const FoundFile &f : files)
        ptrs.push_back(&f);
    std::printf("ROWS %d\n", count);
    std::fflush(stdout);

    // Adding through the search's own path, then fitting every column.
    std::unique_ptr<ResultListView> view;
    std::unique_ptr<IconStore> icons;
    const double addMs = bench::medianMs(
        Runs,
        [&] {
            view->hide();
            AddToList(*view->resultModel(), *icons, ptrs);
            view->show();
            AutoSizeColumns(view.get(), -2);
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
    std::fflush(stdout);
    const double floorAdd = floorAddMs(files);
    bench::printMs("list-add", addMs);
    bench::printMs("list-add-floor", floorAdd);
    bench::printRatio("list-add/floor", addMs / floorAdd, 3.0);
    std::fflush(stdout);

    ResultModel &model = *view->resultModel();
    for (int c = 0; c < ResultModel::ColumnCount; ++c) {
        // Each sort starts from the order of another column; the status
        // column, all empty, would leave the last order standing.
        const int start = c == ResultModel::ColumnCount - 1 ? 1 : c + 1;
        const double ms = bench::medianMs(
            Runs, [&] { model.sortRows(c, Qt::AscendingOrder); }, [&] { model.sortRows(start, Qt::AscendingOrder); });
        model.sortRows(start, Qt::AscendingOrder);
        const double floor = floorSortMs(model, c);
        const QByteArray name = "sort-col" + QByteArray::number(c + 1);
        bench::printMs(name.constData(), ms);
        bench::printMs((name + "-floor").constData(), floor);
        bench::printRatio((name + "/floor").constData(), ms / floor, 1.5);
        std::fflush(stdout);
    }
    view.reset();

    // The list commands on a million rows in the main window: each one a
    // model-level step, well under a second.
    Form1 form;
    form.loadForm();
    form.show();
    AddToList(*form.model(), form.ImageList1, ptrs);
    const auto time = [&](const char *name, const std::function<void()> &command) {
        QElapsedTimer t;
        t.start();
        command();
        bench::printMs(name, static_cast<double>(t.nsecsElapsed()) / 1e6);
        std::fflush(stdout);
    };
    const auto trigger = [&](const char *action) { form.action(QString::fromUtf8(action))->trigger(); };
    time("cmd-select-all", [&] { trigger("menu选中全部"); });
    time("cmd-tick-all", [&] { trigger("menu勾选全部"); });
    time("cmd-untick-all", [&] { trigger("menu全部去勾选"); });
    for (int r = 0; r < form.model()->rowCount(); r += 2)
        form.model()->setChecked(r, true);
    time("cmd-remove-ticked-half", [&] { trigger("menu移除勾选项"); });
    time("cmd-remove-selected-all", [&] { trigger("menu移除选中项"); });
    AddToList(*form.model(), form.ImageList1, ptrs);
    time("cmd-remove-all", [&] { trigger("menu移除全部"); });
    return 0;
}

} // namespace

int main(int argc, char **argv) { return bench::runWithWindows(argc, argv, run); }
