#include "search_runs.h"
#include "support.h"

#include "app/form1.h"
#include "list/result_model.h"
#include "shell/dialogs.h"
#include "shell/engine/file_system.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace bench {

bool selected(const QString &label)
{
    const QString only = qEnvironmentVariable("BENCH_ONLY");
    return only.isEmpty() || label.contains(only);
}

QByteArray findNameTest(const SearchCase &c)
{
    if (c.name.isEmpty())
        return {};
    return " -iname " + shellQuote(c.mode == 0 ? c.name : QLatin1Char('*') + c.name + QLatin1Char('*'));
}

QByteArray fdCommand(const QString &root, const SearchCase &c)
{
    QByteArray pattern;
    if (!c.name.isEmpty())
        pattern = (c.mode == 0 ? " -g " : " -F ") + shellQuote(c.name);
    return "fdfind -j8 -u -t f -i" + pattern + ' ' + shellQuote(root) + " >/dev/null";
}

void SearchRuns::prepare(const QString &root, const SearchCase &c)
{
    m_form.Text1->setText(root);
    m_form.Text2->setText(c.name);
    m_form.Combo1->setCurrentIndex(c.mode);
    m_form.Check1->setChecked(true);
}

std::vector<double> SearchRuns::timeInTurns(int runs, const std::vector<QByteArray> &commands, const std::function<void()> &before)
{
    std::vector<Timed> timed;
    timed.push_back({[this] { search(); },
                     [this, before] {
                         reset();
                         if (before)
                             before();
                     }});
    for (const QByteArray &command : commands)
        timed.push_back({[command] { timeShellMs(command); }, before});
    return medianMsInTurns(runs, timed);
}

int SearchRuns::checkRows(const QString &label, const QByteArray &findRows)
{
    // Hashes, not texts, and find runs once the list is gone: the check must
    // not add to the peak the program's own memory is measured by.
    const ResultModel &m = *m_form.model();
    const int listed = m.size();
    std::vector<size_t> rows;
    rows.reserve(static_cast<size_t>(listed));
    for (int r = 0; r < listed; ++r) {
        const QByteArray path = EncodeFileName(m.key(r));
        rows.push_back(pathHash(path.constData(), static_cast<size_t>(path.size())));
    }
    reset();
    std::vector<size_t> found = shellLineHashes(findRows);
    std::sort(rows.begin(), rows.end());
    std::sort(found.begin(), found.end());
    size_t onlyRows = 0, onlyFound = 0;
    for (size_t i = 0, k = 0; i < rows.size() || k < found.size();) {
        if (k == found.size() || (i < rows.size() && rows[i] < found[k]))
            ++onlyRows, ++i;
        else if (i == rows.size() || found[k] < rows[i])
            ++onlyFound, ++k;
        else
            ++i, ++k;
    }
    if (onlyRows || onlyFound)
        std::printf("WARN %s rows %zu, find %zu, %zu only in rows, %zu only in find\n", qPrintable(label), rows.size(), found.size(),
                    onlyRows, onlyFound);
    else
        std::printf("ROWS %s %zu, as find\n", qPrintable(label), rows.size());
    std::fflush(stdout);
    return listed;
}

double SearchRuns::maxGapMs(const QString &root)
{
    prepare(root, {"all", QString(), 0});
    reset();
    QElapsedTimer clock;
    double last = 0, worst = 0, worstAt = 0;
    int worstRows = 0;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const double now = clock.nsecsElapsed() / 1e6;
        if (now - last - 10 > worst) {
            worst = now - last - 10;
            worstRows = rows();
            worstAt = now;
        }
        last = now;
    });
    clock.start();
    timer.start();
    search();
    timer.stop();
    const double end = clock.nsecsElapsed() / 1e6 - last - 10;
    worst = std::max(worst, end);
    std::printf("ROWS maxgap %d; the last stretch, timer's last turn to the search's end, %.0f ms late; the worst "
                "before it ended at %.0f ms with %d rows listed\n",
                rows(), end, worstAt, worstRows);
    reset();
    return worst;
}

int SearchRuns::rows() const
{
    return m_form.model()->rowCount();
}

void SearchRuns::reset()
{
    m_form.model()->clear();
    MessageBox::clearHistory();
}

void SearchRuns::search()
{
    m_form.Command1->click();
    if (MessageBox::history().isEmpty() || !MessageBox::history().last().text.startsWith(QStringLiteral("搜索完成！")))
        throw std::runtime_error("a search ended without its completion message");
}

} // namespace bench
