// Searches as users run them, through the window's search button from the
// click to the completion message, against find(1) printing the same facts:
// exact names with and without an extension, a part of a name, and an empty
// name, on synthetic trees of 200,000 and a million files and on /usr.
#include "search_runs.h"
#include "support.h"
#include "trees.h"
#include "window_main.h"

#include "app/form1.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>

namespace {

struct Case {
    bench::SearchCase search;
    double target;
};

// One RATIO line: the median of the searches against the median of as many
// find runs, taking turns; then the rows against find -xtype f.
void measure(bench::SearchRuns &s, const QString &treeLabel, const QString &root, const Case &c)
{
    const QString label = QStringLiteral("search-%1-%2/find").arg(treeLabel, QLatin1String(c.search.label));
    if (!bench::selected(label))
        return;
    s.prepare(root, c.search);
    const QByteArray test = bench::findNameTest(c.search);
    const QByteArray find = "find " + bench::shellQuote(root) + " -type f" + test + " -printf '%p\\t%s\\t%T@\\n' >/dev/null";
    bench::timeShellMs(find); // warm
    const std::vector<double> ms = s.timeInTurns(bench::envNumber("BENCH_RUNS", 5), {find});
    const int rows = s.checkRows(label, "find " + bench::shellQuote(root) + " -xtype f" + test + " -printf '%p\\n' 2>/dev/null || true");
    std::printf("MEDIAN_MS %s %.1f find %.1f rows %d\n", qPrintable(label), ms[0], ms[1], rows);
    bench::printRatio(qPrintable(label), ms[0] / ms[1], c.target);
}

constexpr double NamedTarget = 0.85;
const QList<Case> SyntheticNamed = {
    {{"report.txt", QStringLiteral("report.txt"), 0}, NamedTarget}, {{"Makefile", QStringLiteral("Makefile"), 0}, NamedTarget},
    {{"readme", QStringLiteral("readme"), 1}, NamedTarget},         {{"absent.txt", QStringLiteral("absent.txt"), 0}, NamedTarget},
    {{"Absent", QStringLiteral("Absent"), 0}, NamedTarget},
};
const Case All = {{"all", QString(), 0}, 1.25};

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

    bench::SearchRuns s(form);
    // The search that lists nothing first: the peak only ever grows.
    measure(s, QStringLiteral("1M"), big.root, SyntheticNamed[4]);
    bench::printPeakMiB("search-1M-nothing-listed");
    for (int i = 0; i < 4; ++i)
        measure(s, QStringLiteral("1M"), big.root, SyntheticNamed[i]);
    for (const Case &c : SyntheticNamed)
        measure(s, QStringLiteral("200k"), small.root, c);
    measure(s, QStringLiteral("200k"), small.root, All);

    if (QFileInfo(QStringLiteral("/usr")).isDir()) {
        std::printf("TREE /usr\n");
        for (const char *name : {"Makefile", "README", "__init__.py", "index.theme"})
            measure(s, QStringLiteral("usr"), QStringLiteral("/usr"), {{name, QString::fromLatin1(name), 0}, NamedTarget});
        measure(s, QStringLiteral("usr"), QStringLiteral("/usr"), {{"readme", QStringLiteral("readme"), 1}, NamedTarget});
        measure(s, QStringLiteral("usr"), QStringLiteral("/usr"), All);
        s.reset();
    } else {
        std::printf("SKIP /usr: no such folder on this machine\n");
    }

    measure(s, QStringLiteral("1M"), big.root, All);
    s.reset();
    const QString only = qEnvironmentVariable("BENCH_ONLY");
    if (only.isEmpty() || only == QLatin1String("maxgap"))
        std::printf("MAXGAP_MS search-1M %.0f\n", s.maxGapMs(big.root));
    bench::printPeakMiB("search-1M-all");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    return bench::runWithWindows(argc, argv, run);
}
