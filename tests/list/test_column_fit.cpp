#include "list/column_fit.h"
#include "list/result_list_view.h"
#include "list/result_model.h"
#include "search/engine/found_file.h"
#include "support/form_fixture.h"

#include <QStandardItemModel>

namespace {

// A shown list holding one row per (folder, name), as a search adds them.
struct List {
    explicit List(const std::vector<std::pair<QString, QString>> &files)
    {
        std::vector<FoundFile> found(files.size());
        std::vector<const FoundFile *> rows;
        for (size_t i = 0; i < files.size(); ++i) {
            found[i].FolderPath = files[i].first;
            found[i].FileName = files[i].second;
            found[i].Size = qint64(1) << (i % 40); // sizes of one to nine digits

            rows.push_back(&found[i]);
        }
        view.resultModel()->addRows(rows, std::vector<int>(rows.size(), 0));
        view.show();
    }
    int width(int column) const { return view.horizontalHeader()->sectionSize(column); }
    ResultListView view;
};

} // namespace

// Only the rows an estimate finds widest are measured: the estimate must
// not pass over the row that is widest on screen.
TEST(ColumnFit, EveryColumnFitsItsWidestCellOrHeader)
{
    // A per-character guess makes twenty emoji rows (more than are measured
    // at first) look wider than the long plain name, the widest on screen,
    // and sixteen folders look wider than a Devanagari one whose letters join
    // into wider glyphs; an Arabic folder looks widest of all and is not.
    const QString emoji = QString(40, QLatin1Char('.')).replace(QLatin1String("."), QStringLiteral("\U0001F600"));
    std::vector<std::pair<QString, QString>> files;
    for (int i = 0; i < 40; ++i)
        files.emplace_back(QStringLiteral("/") + QString(i < 16 ? 95 : 1, QLatin1Char('w')) + QString::number(i),
                           (i < 20 ? emoji : QStringLiteral("w")) + QString::number(i));
    files.emplace_back(QStringLiteral("/") + QStringLiteral("क्षि").repeated(20), QStringLiteral("a"));
    files.emplace_back(QStringLiteral("/") + QStringLiteral("العربية").repeated(16), QStringLiteral("b"));
    files.emplace_back(QStringLiteral("/一个/很长的/中文/文件夹/路径/在这里"), QStringLiteral("短.txt"));
    files.emplace_back(QStringLiteral("/d"), QStringLiteral("a-rather-long-file-name-that-is-the-widest-of-all.txt"));
    files.emplace_back(QStringLiteral("/d"), QStringLiteral("plain-name-").repeated(10));
    List list(files);
    list.view.resultModel()->setStatus(17, QStringLiteral("跳过-大小日期相同"));
    AutoSizeColumns(&list.view);
    ExpectColumnsFit(list.view, "fitting");
}
