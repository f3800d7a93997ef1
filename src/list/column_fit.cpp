#include "list/column_fit.h"

#include "list/result_model.h"
#include "shell/engine/file_texts.h"

#include <QHash>
#include <QHeaderView>
#include <QTableView>
#include <algorithm>
#include <array>
#include <functional>
#include <limits>
#include <memory>

namespace {

// Advance widths per character, so that a million cells are measured by
// table look-ups; the widest cell is then measured exactly.
class WidthTable {
public:
    explicit WidthTable(const QFontMetrics &fm) : m_fm(fm) { m_w.fill(-1); }
    // Texts whose characters join or combine (marks, joiners, the scripts
    // from Hebrew to Myanmar and Khmer on, Arabic forms) carry this bit in
    // their width: there the sum of the characters misses most, so what it
    // misses is learnt apart from the other texts.
    static constexpr int Shaped = 1 << 30;
    // An estimate: shaping and kerning are left out.
    int width(const QString &s)
    {
        int w = 0;
        bool shaped = false;
        for (qsizetype i = 0; i < s.size(); ++i) {
            const QChar c = s[i];
            if (c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
                const char32_t u = QChar::surrogateToUcs4(c, s[i + 1]);
                auto slot = m_wide.find(u);
                if (slot == m_wide.end())
                    slot = m_wide.insert(u, m_fm.horizontalAdvance(s.mid(i, 2)));
                w += *slot;
                ++i;
                continue;
            }
            const char16_t u = c.unicode();
            shaped = shaped || (u >= 0x0300 && u < 0x0370) || (u >= 0x0590 && u < 0x10A0) || (u >= 0x1700 && u < 0x1E00) || u == 0x200C
                     || u == 0x200D || (u >= 0x20D0 && u < 0x2100) || (u >= 0xFB1D && u < 0xFEFF);
            int &slot = m_w[u];
            if (slot < 0)
                slot = m_fm.horizontalAdvance(c);
            w += slot;
        }
        return shaped ? w | Shaped : w;
    }

private:
    QFontMetrics m_fm;
    std::array<int, 65536> m_w;
    QHash<char32_t, int> m_wide; // characters outside the basic plane
};

// The width of a row's text in one column, measured without making a text
// per row where the texts repeat: statuses and folders are shared, and when
// the digits are equally wide, sizes with as many digits and all times are
// as wide.
std::function<int(const ResultRow &)> cellWidth(WidthTable &table, int column)
{
    auto digitsAlike = [&table] {
        const int w = table.width(QStringLiteral("0"));
        for (char16_t d = u'1'; d <= u'9'; ++d)
            if (table.width(QString(QChar(d))) != w)
                return false;
        return true;
    };
    switch (column) {
    case ResultRow::StatusColumn: {
        auto known = std::make_shared<std::vector<int>>();
        return [&table, known](const ResultRow &r) {
            if (r.statusCode >= known->size())
                known->resize(r.statusCode + 1, -1);
            int &w = (*known)[r.statusCode];
            if (w < 0)
                w = table.width(r.status());
            return w;
        };
    }
    case ResultRow::FolderColumn: {
        auto known = std::make_shared<QHash<const QString *, int>>();
        auto last = std::make_shared<std::pair<const QString *, int>>(nullptr, -1);
        return [&table, known, last](const ResultRow &r) {
            if (last->second >= 0 && last->first == r.folderText)
                return last->second;
            auto it = known->constFind(r.folderText);
            if (it == known->cend())
                it = known->insert(r.folderText, table.width(r.folder()));
            *last = {r.folderText, *it};
            return *it;
        };
    }
    case ResultRow::SizeColumn:
        if (digitsAlike()) {
            auto byDigits = std::make_shared<std::array<int, 24>>();
            byDigits->fill(-1);
            const int missing = table.width(MissingSizeText()), unreadable = table.width(UnreadableSizeText());
            return [&table, byDigits, missing, unreadable](const ResultRow &r) {
                if (r.facts != RowFacts::Known)
                    return r.facts == RowFacts::Missing ? missing : unreadable;
                int digits = 1;
                for (quint64 t = SizeThousandths(r.size) / 1000; t >= 10; t /= 10)
                    ++digits;
                int &w = (*byDigits)[static_cast<size_t>(digits)];
                if (w < 0)
                    w = table.width(r.sizeKB());
                return w;
            };
        }
        break;
    case ResultRow::TimeColumn:
        if (digitsAlike()) {
            auto timeWidth = std::make_shared<int>(-1);
            const int none = table.width(NoTimeText());
            return [&table, timeWidth, none](const ResultRow &r) {
                if (r.facts != RowFacts::Known)
                    return none;
                if (*timeWidth < 0)
                    *timeWidth = table.width(r.modified());
                return *timeWidth;
            };
        }
        break;
    case ResultRow::NameColumn: return [&table](const ResultRow &r) { return table.width(r.fileName); };
    }
    return [&table, column](const ResultRow &r) { return table.width(r.text(column)); };
}

// Rows are measured for real by the delegate (tick box, icon and margins
// included) in the order of an estimate, widest first, until no row left can
// be wider by what the estimate missed on the rows of its kind measured so far.
int widestCell(const QTableView &list, const ResultModel &model, int column, int best)
{
    auto table = std::make_unique<WidthTable>(list.fontMetrics());
    const std::function<int(const ResultRow &)> width = cellWidth(*table, column);
    std::vector<std::pair<int, int>> order[2]; // (estimate, row) by kind, max-heaps
    for (int r = 0; r < model.rowCount(); ++r) {
        const int w = width(model.row(r));
        order[(w & WidthTable::Shaped) ? 1 : 0].emplace_back(w & ~WidthTable::Shaped, r);
    }
    // A bound on the work where texts defeat the estimate.
    constexpr int AtLeast = 16, AtMost = 512;
    for (auto &heap : order) {
        std::make_heap(heap.begin(), heap.end());
        int missed = std::numeric_limits<int>::min();
        for (int measured = 0; !heap.empty() && measured < AtMost; ++measured) {
            std::pop_heap(heap.begin(), heap.end());
            const auto [estimate, r] = heap.back();
            heap.pop_back();
            if (measured >= AtLeast && estimate + missed <= best)
                break;
            const int w = list.sizeHintForIndex(model.index(r, column)).width();
            missed = qMax(missed, w - estimate);
            best = qMax(best, w);
        }
    }
    return best;
}

} // namespace

void SetColumnWidth(QTableView *list, int column, int width)
{
    QAbstractItemModel *model = list ? list->model() : nullptr;
    if (!model || column < 0 || column >= model->columnCount())
        return;
    if (width >= 0) {
        list->horizontalHeader()->resizeSection(column, width);
        return;
    }
    int best = list->horizontalHeader()->sectionSizeHint(column);
    if (auto *rows = qobject_cast<const ResultModel *>(model)) {
        best = widestCell(*list, *rows, column, best);
    } else {
        for (int r = 0; r < model->rowCount(); ++r)
            best = qMax(best, list->sizeHintForIndex(model->index(r, column)).width());
    }
    list->horizontalHeader()->resizeSection(column, best);
}

void AutoSizeColumns(QTableView *list, int width)
{
    QAbstractItemModel *model = list ? list->model() : nullptr;
    if (!model)
        return;
    for (int c = 0; c < model->columnCount(); ++c)
        SetColumnWidth(list, c, width);
}
