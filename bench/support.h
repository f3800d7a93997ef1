#pragma once
#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

// What every benchmark shares: a file tree kept between runs, timing, and
// the lines the benchmarks print.
namespace bench {

// The folder the trees live in: $BENCH_DIR, else samename-bench in the
// system temp folder.
QString benchFolder();

// A whole number from the environment, or fallback when unset or not one.
int envNumber(const char *name, int fallback);

// A tree of small files, two folder levels deep. Building 200,000 files takes
// long, so a tree is kept and reused while its recipe stays the same.
struct TreeRecipe {
    QString name;    // the tree's folder under benchFolder()
    int files = 0;   // spread evenly over the folders
    int folders = 1; // ceil(sqrt(folders)) below the root, the rest one level deeper
    // Folder i's path below the root, when the layout above does not fit;
    // its parents are made as needed.
    std::function<QString(int index)> folderName;
    // Part of the marker: change it whenever fileName or content change.
    QString version;
    std::function<QString(int index)> fileName;
    std::function<QByteArray(int index)> content;
};

struct Tree {
    QString root;
    bool reused = false;
};

// Builds the tree, or reuses it when its marker matches. Throws on failure.
Tree ensureTree(const TreeRecipe &recipe);

// The median wall time in ms of runs calls of body; before runs untimed ahead
// of each call, so resetting state is not measured.
double medianMs(int runs, const std::function<void()> &body, const std::function<void()> &before = {});

struct Timed {
    std::function<void()> body;
    std::function<void()> before; // untimed, may be empty
};
// Each one's median in ms of runs calls, the calls taking turns: a machine
// that slows down for a while then slows both sides of a ratio alike.
std::vector<double> medianMsInTurns(int runs, const std::vector<Timed> &timed);

// Runs command through /bin/sh and returns its wall time in ms, fork and exec
// included. Throws when it does not exit with 0.
double timeShellMs(const QByteArray &command);
// Runs command through /bin/sh and returns what it printed. Throws as above.
QByteArray shellOutput(const QByteArray &command);
// text single-quoted for /bin/sh.
QByteArray shellQuote(const QString &text);

// Hashes of the paths that command prints, one a line, read as they come:
// a million paths are never held as texts.
std::vector<size_t> shellLineHashes(const QByteArray &command);
size_t pathHash(const char *bytes, size_t length);

// Empties the kernel's page, dentry and inode caches, so the next read of a
// tree goes to the disk. False where this process may not.
bool dropCaches();

// This process's peak resident size so far, in MiB; children not included.
double peakMiB();

void printMs(const char *name, double ms);
// "RATIO name x", and the target next to it when there is one.
void printRatio(const char *name, double ratio, double target = 0);
void printPeakMiB(const char *name);

} // namespace bench
