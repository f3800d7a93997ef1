// The folder walk against find(1) on the same tree: both list every file with
// its size and time, so find's time is what a walk could cost at best.
#include "support.h"
#include "trees.h"

#include "search/engine/folder_walk.h"
#include "search/engine/found_file.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <stdexcept>

namespace {

constexpr int Runs = 5;

// Everything the window's host does, minus painting: a QLabel and a
// QProgressBar keep the last value they are given.
class BenchHost : public WalkHost {
public:
    bool includeSubfolders() override { return true; }
    bool stopRequested() override { return false; }
    void showStatus(const QString &text) override { m_status = text; }
    void showProgress(int minimum, int maximum, int value) override
    {
        m_minimum = minimum;
        m_maximum = maximum;
        m_value = value;
    }
    void letEventsRun() override { QCoreApplication::processEvents(); }

private:
    QString m_status;
    int m_minimum = 0, m_maximum = 0, m_value = 0;
};

// The walk as the window runs it; the found files of the last call stay in
// found. Clearing the previous search is not part of the walk.
bench::Timed walkTimed(const QString &root, const QString &extension, SearchState &state, std::vector<FoundFile> &found, WalkHost &host)
{
    return {[&state, &found, &host, root] {
                FolderWalk(state, host).搜索文件夹(root);
                FoundReader(state.Finds, {}).read(found);
                state.Finds.clear();
            },
            [&state, &found, extension] {
                state.reset();
                found.clear();
                state.SearchExtension = extension;
                state.SearchPattern = SearchPatternFor(extension);
            }};
}

size_t countFiles(const QByteArray &findArgs)
{
    return static_cast<size_t>(bench::shellOutput(findArgs + " -printf x | wc -c").trimmed().toULongLong());
}

int run()
{
    const int files = bench::envNumber("BENCH_FILES", 200000);
    const int folders = bench::envNumber("BENCH_FOLDERS", 2000);

    const auto start = std::chrono::steady_clock::now();
    const bench::Tree tree = bench::ensureTree(bench::walkTree(files, folders));
    const double buildSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("TREE %s %d files in %d folders (%s)\n", qPrintable(tree.root), files, folders,
                tree.reused ? "reused" : qPrintable(QStringLiteral("built in %1 s").arg(buildSeconds, 0, 'f', 1)));
    std::fflush(stdout);

    const QByteArray root = bench::shellQuote(tree.root);
    const QByteArray findAll = "find " + root + " -type f";
    const QByteArray findTxt = findAll + " -name '*.txt'";
    const QByteArray listing = " -printf '%p\\t%s\\t%T@\\n' >/dev/null";

    bench::timeShellMs(findAll + listing); // warms the dentry and inode caches

    BenchHost host;
    SearchState all, txt;
    std::vector<FoundFile> allFiles, txtFiles;
    const auto timeFind = [](const QByteArray &command) { return [command] { bench::timeShellMs(command); }; };
    const std::vector<double> allMs =
        bench::medianMsInTurns(Runs, {walkTimed(tree.root, QString(), all, allFiles, host), {timeFind(findAll + listing), {}}});
    const size_t allFound = allFiles.size();
    all.reset();
    allFiles = {};
    const std::vector<double> txtMs =
        bench::medianMsInTurns(Runs, {walkTimed(tree.root, QStringLiteral("txt"), txt, txtFiles, host), {timeFind(findTxt + listing), {}}});

    const size_t allCount = countFiles(findAll);
    // The walk also keeps every backup, whatever the extension it asks for.
    const size_t txtCount = countFiles(findAll + " \\( -name '*.txt' -o -name '*替换备份]' -o -name '*恢复备份]' \\)");
    if (allFound != allCount)
        std::printf("WARN walk-all found %zu files, find %zu\n", allFound, allCount);
    if (txtFiles.size() != txtCount)
        std::printf("WARN walk-txt found %zu files, find %zu (txt and backups)\n", txtFiles.size(), txtCount);
    std::printf("FOUND walk-all %zu, walk-txt %zu\n", allFound, txtFiles.size());

    bench::printMs("walk-all", allMs[0]);
    bench::printMs("find-all", allMs[1]);
    bench::printMs("walk-txt", txtMs[0]);
    bench::printMs("find-txt", txtMs[1]);
    bench::printRatio("walk-all/find", allMs[0] / allMs[1], 1.5);
    bench::printRatio("walk-txt/find", txtMs[0] / txtMs[1], 1.2);
    bench::printPeakMiB("walk");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    try {
        return run();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "ERROR %s\n", e.what());
        return 1;
    }
}
