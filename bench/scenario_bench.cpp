// Searches as users run them, through the window's search button from the
// click to the completion message, against find(1) printing the same facts:
// exact names with and without an extension, a part of a name, and an empty
// name, on synthetic trees of 200,000 and a million files and on /usr.
#include "support.h"
#include "trees.h"
#include "window_main.h"

#include "app/form1.h"
#include "list/result_model.h"
#include "shell/dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace {

struct Case {
    const char *label; // the <case> of the RATIO line
    QString name;      // the name box
    int mode;          // 0 exact, 1 part of the name
    double target;
};

class Scenarios {
public:
    explicit Scenarios(Form1 &form) : m_form(form) {}

    // One RATIO line: the median of runs searches against the median of as
    // many find runs, taking turns; then the rows against find -xtype f.
    void measure(const QString &treeLabel, const QString &root, const Case &c)
    {
        const QString label = QStringLiteral("search-%1-%2/find").arg(treeLabel, QLatin1String(c.label));
        // BENCH_ONLY=text runs only the searches whose label holds it.
        const QString only = qEnvironmentVariable("BENCH_ONLY");
        if (!only.isEmpty() && !label.contains(only))
            return;
        Form1 &f = m_form;
        f.Text1->setText(root);
        f.Text2->setText(c.name);
        f.Combo1->setCurrentIndex(c.mode);
        f.Check1->setChecked(true);
        const QByteArray test = nameTest(c);
        const QByteArray find = "find " + bench::shellQuote(root) + " -type f" + test + " -printf '%p\\t%s\\t%T@\\n' >/dev/null";
        bench::timeShellMs(find); // warm
        const std::vector<double> ms = bench::medianMsInTurns(
            bench::envNumber("BENCH_RUNS", 5), {{[&] { search(); }, [&] { reset(); }}, {[&] { bench::timeShellMs(find); }, {}}});
        checkRows(label, "find " + bench::shellQuote(root) + " -xtype f" + test + " -printf '%p\\n' 2>/dev/null || true");
        std::printf("MEDIAN_MS %s %.1f find %.1f rows %d\n", qPrintable(label), ms[0], ms[1], f.model()->rowCount());
        bench::printRatio(qPrintable(label), ms[0] / ms[1], c.target);
    }

    // The longest lateness of a 10 ms timer while a search runs, counting the
    // stretch from the timer's last turn to the search's end.
    double maxGapMs(const QString &root)
    {
        Form1 &f = m_form;
        f.Text1->setText(root);
        f.Text2->clear();
        f.Combo1->setCurrentIndex(0);
        f.Check1->setChecked(true);
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
                worstRows = f.model()->rowCount();
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
                    f.model()->rowCount(), end, worstAt, worstRows);
        reset();
        return worst;
    }

    void reset()
    {
        m_form.model()->clear();
        MessageBox::clearHistory();
    }

private:
    static QByteArray nameTest(const Case &c)
    {
        if (c.name.isEmpty())
            return {};
        return " -iname " + bench::shellQuote(c.mode == 0 ? c.name : QLatin1Char('*') + c.name + QLatin1Char('*'));
    }

    void search()
    {
        m_form.Command1->click();
        if (MessageBox::history().isEmpty() || !MessageBox::history().last().text.startsWith(QStringLiteral("搜索完成！")))
            throw std::runtime_error("a search ended without its completion message");
    }

    void checkRows(const QString &label, const QByteArray &findRows)
    {
        const ResultModel &m = *m_form.model();
        QSet<QString> rows;
        for (int r = 0; r < m.rowCount(); ++r)
            rows.insert(m.data(m.index(r, ResultModel::FolderColumn), Qt::DisplayRole).toString() + QLatin1Char('/')
                        + m.data(m.index(r, ResultModel::NameColumn), Qt::DisplayRole).toString());
        QSet<QString> found;
        for (const QByteArray &line : bench::shellOutput(findRows).split('\n'))
            if (!line.isEmpty())
                found.insert(QString::fromUtf8(line));
        if (rows != found)
            std::printf("WARN %s rows %lld, find -xtype f %lld, %lld only in rows, %lld only in find\n", qPrintable(label),
                        static_cast<long long>(rows.size()), static_cast<long long>(found.size()),
                        static_cast<long long>((rows - found).size()), static_cast<long long>((found - rows).size()));
        else
            std::printf("ROWS %s %lld, as find -xtype f\n", qPrintable(label), static_cast<long long>(rows.size()));
    }

    Form1 &m_form;
};

const QList<Case> SyntheticNamed = {
    {"report.txt", QStringLiteral("report.txt"), 0, 1.15},
    {"Makefile", QStringLiteral("Makefile"), 0, 1.15},
    {"readme", QStringLiteral("readme"), 1, 1.15},
    {"absent.txt", QStringLiteral("absent.txt"), 0, 1.15},
    {"Absent", QStringLiteral("Absent"), 0, 1.15},
};
const Case All = {"all", QString(), 0, 1.25};

int run()
{
    Form1 form;
    form.loadForm();
    form.show();
    QCoreApplication::processEvents();
    bench::printPeakMiB("idle-window");

    QElapsedTimer built;
    built.start();
    const bench::Tree big = bench::ensureTree(bench::scenarioTree(QStringLiteral("scenario-1M"), 1000000, 10000));
    const bench::Tree small = bench::ensureTree(bench::scenarioTree(QStringLiteral("scenario-200k"), 200000, 2000));
    std::printf("TREE %s 1000000 files in 10000 folders; %s 200000 files in 2000 folders (%s)\n", qPrintable(big.root),
                qPrintable(small.root),
                big.reused && small.reused ? "reused" : qPrintable(QStringLiteral("built in %1 s").arg(built.elapsed() / 1000.0)));
    std::fflush(stdout);

    Scenarios s(form);
    // The search that lists nothing first: the peak only ever grows.
    s.measure(QStringLiteral("1M"), big.root, SyntheticNamed[4]);
    bench::printPeakMiB("search-1M-nothing-listed");
    for (int i = 0; i < 4; ++i)
        s.measure(QStringLiteral("1M"), big.root, SyntheticNamed[i]);
    for (const Case &c : SyntheticNamed)
        s.measure(QStringLiteral("200k"), small.root, c);
    s.measure(QStringLiteral("200k"), small.root, All);

    if (QFileInfo(QStringLiteral("/usr")).isDir()) {
        std::printf("TREE /usr\n");
        for (const char *name : {"Makefile", "README", "__init__.py", "index.theme"})
            s.measure(QStringLiteral("usr"), QStringLiteral("/usr"), {name, QString::fromLatin1(name), 0, 1.15});
        s.measure(QStringLiteral("usr"), QStringLiteral("/usr"), {"readme", QStringLiteral("readme"), 1, 1.15});
        s.measure(QStringLiteral("usr"), QStringLiteral("/usr"), All);
        s.reset();
    } else {
        std::printf("SKIP /usr: no such folder on this machine\n");
    }

    s.measure(QStringLiteral("1M"), big.root, All);
    s.reset();
    const QString only = qEnvironmentVariable("BENCH_ONLY");
    if (only.isEmpty() || only == QLatin1String("maxgap"))
        std::printf("MAXGAP_MS search-1M %.0f\n", s.maxGapMs(big.root));
    bench::printPeakMiB("search-1M-all");
    return 0;
}

} // namespace

int main(int argc, char **argv) { return bench::runWithWindows(argc, argv, run); }
