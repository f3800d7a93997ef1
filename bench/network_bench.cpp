// Searches where every folder read waits: a tree served over SFTP and
// mounted with sshfs without caches, and /usr with the page cache dropped
// before every run, through the window's search button against fd(1) and
// find(1). ./bench.sh network starts the server and makes the mount, and
// passes the mount in BENCH_SSHFS_MOUNT.
#include "search_runs.h"
#include "support.h"
#include "trees.h"
#include "window_main.h"

#include "app/form1.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace {

constexpr double NamedTarget = 1.0;
constexpr double AllTarget = 0.6;
constexpr double MaxGapTarget = 100;

const QList<bench::SearchCase> Named = {
    {"report.txt", QStringLiteral("report.txt"), 0},
    {"Makefile", QStringLiteral("Makefile"), 0},
    {"readme", QStringLiteral("readme"), 1},
    {"absent.txt", QStringLiteral("absent.txt"), 0},
};

QByteArray findCommand(const QString &root, const bench::SearchCase &c)
{
    return "find " + bench::shellQuote(root) + " -type f" + bench::findNameTest(c) + (c.name.isEmpty() ? " -printf '%p\\t%s\\t%T@\\n'" : "")
           + " >/dev/null";
}

QByteArray findRows(const QString &root, const bench::SearchCase &c)
{
    return "find " + bench::shellQuote(root) + " -xtype f" + bench::findNameTest(c) + " -printf '%p\\n' 2>/dev/null || true";
}

int runs()
{
    return std::max(3, bench::envNumber("BENCH_RUNS", 5));
}

void measureSshfs(bench::SearchRuns &s, const QString &root, const bench::SearchCase &c)
{
    const QString label = QStringLiteral("search-sshfs-%1").arg(QLatin1String(c.label));
    if (!bench::selected(label))
        return;
    s.prepare(root, c);
    std::vector<QByteArray> peers;
    if (!c.name.isEmpty())
        peers.push_back(bench::fdCommand(root, c));
    peers.push_back(findCommand(root, c));
    for (const QByteArray &peer : peers)
        bench::timeShellMs(peer); // the server's own caches warm
    const std::vector<double> ms = s.timeInTurns(runs(), peers);
    const int rows = s.checkRows(label, findRows(root, c));
    std::printf("MEDIAN_MS %s %.1f%s %.1f rows %d\n", qPrintable(label), ms[0],
                c.name.isEmpty() ? " find" : qPrintable(QStringLiteral(" fd %1 find").arg(ms[1], 0, 'f', 1)), ms.back(), rows);
    if (!c.name.isEmpty())
        bench::printRatio(qPrintable(label + QStringLiteral("/fd")), ms[0] / ms[1], NamedTarget);
    bench::printRatio(qPrintable(label + QStringLiteral("/find")), ms[0] / ms.back(), c.name.isEmpty() ? AllTarget : 0);
}

QString coldLabel(const bench::SearchCase &c)
{
    return QStringLiteral("search-usr-cold-%1").arg(QLatin1String(c.label));
}

void measureUsrCold(bench::SearchRuns &s, const bench::SearchCase &c)
{
    const QString label = coldLabel(c);
    const QString root = QStringLiteral("/usr");
    s.prepare(root, c);
    const std::vector<double> ms = s.timeInTurns(runs(), {bench::fdCommand(root, c)}, [] {
        if (!bench::dropCaches())
            throw std::runtime_error("the page cache could be dropped once, then no more");
    });
    const int rows = s.checkRows(label, findRows(root, c));
    std::printf("MEDIAN_MS %s %.1f fd %.1f rows %d\n", qPrintable(label), ms[0], ms[1], rows);
    bench::printRatio(qPrintable(label + QStringLiteral("/fd")), ms[0] / ms[1], NamedTarget);
}

int run()
{
    const QString mount = qEnvironmentVariable("BENCH_SSHFS_MOUNT");
    if (mount.isEmpty())
        throw std::runtime_error("BENCH_SSHFS_MOUNT is not set; run this through ./bench.sh network");

    Form1 form;
    form.loadForm();
    form.show();
    QCoreApplication::processEvents();

    // Built on the server's side; the mount serves the folder that holds it.
    const bench::Tree tree = bench::ensureTree(bench::sshfsTree(QStringLiteral("sshfs/tree")));
    const QString root = mount + QStringLiteral("/tree");
    if (!QFileInfo(root + QStringLiteral("/d000/s00")).isDir())
        throw std::runtime_error("the mount does not show the tree: " + root.toStdString());
    std::printf("TREE %s 20000 files in 2000 folders, served from %s (%s)\n", qPrintable(root), qPrintable(tree.root),
                tree.reused ? "reused" : "built");
    std::fflush(stdout);

    bench::SearchRuns s(form);
    for (const bench::SearchCase &c : Named)
        measureSshfs(s, root, c);
    measureSshfs(s, root, {"all", QString(), 0});
    if (bench::selected(QStringLiteral("maxgap search-sshfs"))) {
        const double gap = s.maxGapMs(root);
        std::printf("MAXGAP_MS search-sshfs %.0f (target <= %g)%s\n", gap, MaxGapTarget, gap > MaxGapTarget ? " MISSED" : "");
        std::fflush(stdout);
    }

    const QList<bench::SearchCase> cold = {
        {"Makefile", QStringLiteral("Makefile"), 0},
        {"README", QStringLiteral("README"), 0},
        {"readme", QStringLiteral("readme"), 1},
    };
    QList<bench::SearchCase> chosen;
    for (const bench::SearchCase &c : cold)
        if (bench::selected(coldLabel(c)))
            chosen.append(c);
    if (chosen.isEmpty())
        return 0;
    if (!QFileInfo(QStringLiteral("/usr")).isDir()) {
        std::printf("SKIP search-usr-cold: no /usr on this machine\n");
    } else if (!bench::dropCaches()) {
        std::printf("SKIP search-usr-cold: this process may not drop the page cache (root and a writable "
                    "/proc/sys/vm/drop_caches are needed)\n");
    } else {
        for (const bench::SearchCase &c : chosen)
            measureUsrCold(s, c);
    }
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    return bench::runWithWindows(argc, argv, run);
}
