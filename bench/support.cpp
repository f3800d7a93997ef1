#include "support.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

QByteArray markerText(const TreeRecipe &r)
{
    return QStringLiteral("%1 files, %2 folders, %3\n").arg(r.files).arg(r.folders).arg(r.version).toUtf8();
}

// Folder i of the tree, relative to its root.
QString folderOf(int i, int top)
{
    if (i < top)
        return QString::asprintf("d%03d", i);
    return QString::asprintf("d%03d/s%04d", i % top, i);
}

void writeFile(const QByteArray &path, const QByteArray &content)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot create " + path.toStdString());
    const bool ok = ::write(fd, content.constData(), content.size()) == content.size();
    ::close(fd);
    if (!ok)
        throw std::runtime_error("cannot write " + path.toStdString());
}

int waitFor(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

QString benchFolder()
{
    const QByteArray dir = qgetenv("BENCH_DIR");
    if (!dir.isEmpty())
        return QFile::decodeName(dir);
    return QDir::tempPath() + QStringLiteral("/samename-bench");
}

int envNumber(const char *name, int fallback)
{
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok && v > 0 ? v : fallback;
}

Tree ensureTree(const TreeRecipe &r)
{
    Tree tree;
    tree.root = benchFolder() + QLatin1Char('/') + r.name;
    // The marker sits beside the tree so that no walk counts it.
    const QString markerPath = tree.root + QStringLiteral(".tree");
    const QByteArray wanted = markerText(r);

    QFile marker(markerPath);
    if (marker.open(QIODevice::ReadOnly) && marker.readAll() == wanted && QDir(tree.root).exists()) {
        tree.reused = true;
        return tree;
    }
    marker.close();

    // Written last: a tree cut short by a crash is never taken for a whole one.
    QFile::remove(markerPath);
    if (QDir(tree.root).exists() && !QDir(tree.root).removeRecursively())
        throw std::runtime_error("cannot remove the old tree " + tree.root.toStdString());
    if (!QDir().mkpath(tree.root))
        throw std::runtime_error("cannot create " + tree.root.toStdString());

    const int folders = std::max(1, r.folders);
    const int top = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(folders))));
    std::vector<QByteArray> folderPaths;
    folderPaths.reserve(folders);
    for (int i = 0; i < folders; ++i) {
        const QString path = tree.root + QLatin1Char('/') + (r.folderName ? r.folderName(i) : folderOf(i, top));
        if (!QDir().mkpath(path))
            throw std::runtime_error("cannot create " + path.toStdString());
        folderPaths.push_back(QFile::encodeName(path) + '/');
    }
    for (int i = 0; i < r.files; ++i)
        writeFile(folderPaths[i % folders] + QFile::encodeName(r.fileName(i)), r.content(i));

    if (!marker.open(QIODevice::WriteOnly) || marker.write(wanted) != wanted.size())
        throw std::runtime_error("cannot write " + markerPath.toStdString());
    return tree;
}

double medianMs(int runs, const std::function<void()> &body, const std::function<void()> &before)
{
    return medianMsInTurns(runs, {{body, before}}).front();
}

std::vector<double> medianMsInTurns(int runs, const std::vector<Timed> &timed)
{
    std::vector<std::vector<double>> times(timed.size());
    for (int i = 0; i < runs; ++i) {
        for (size_t k = 0; k < timed.size(); ++k) {
            if (timed[k].before)
                timed[k].before();
            const auto start = Clock::now();
            timed[k].body();
            times[k].push_back(msSince(start));
        }
    }
    std::vector<double> medians;
    for (std::vector<double> &t : times) {
        std::sort(t.begin(), t.end());
        const size_t n = t.size();
        medians.push_back(n == 0 ? 0 : n % 2 ? t[n / 2] : (t[n / 2 - 1] + t[n / 2]) / 2);
    }
    return medians;
}

double timeShellMs(const QByteArray &command)
{
    const char *argv[] = {"sh", "-c", command.constData(), nullptr};
    const auto start = Clock::now();
    pid_t pid = 0;
    if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char **>(argv), environ) != 0)
        throw std::runtime_error("cannot start /bin/sh");
    const int code = waitFor(pid);
    const double ms = msSince(start);
    if (code != 0)
        throw std::runtime_error("exit " + std::to_string(code) + " from: " + command.toStdString());
    return ms;
}

QByteArray shellOutput(const QByteArray &command)
{
    FILE *pipe = ::popen(command.constData(), "r");
    if (!pipe)
        throw std::runtime_error("cannot start: " + command.toStdString());
    QByteArray out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0)
        out.append(buf, static_cast<qsizetype>(n));
    const int status = ::pclose(pipe);
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("failed: " + command.toStdString());
    return out;
}

QByteArray shellQuote(const QString &text)
{
    QByteArray q = QFile::encodeName(text);
    q.replace('\'', "'\\''");
    return '\'' + q + '\'';
}

size_t pathHash(const char *bytes, size_t length)
{
    return std::hash<std::string_view>{}(std::string_view(bytes, length));
}

std::vector<size_t> shellLineHashes(const QByteArray &command)
{
    FILE *pipe = ::popen(command.constData(), "r");
    if (!pipe)
        throw std::runtime_error("cannot start: " + command.toStdString());
    std::vector<size_t> hashes;
    char *line = nullptr;
    size_t capacity = 0;
    ssize_t n;
    while ((n = ::getline(&line, &capacity, pipe)) > 0) {
        if (line[n - 1] == '\n')
            --n;
        if (n > 0)
            hashes.push_back(pathHash(line, static_cast<size_t>(n)));
    }
    std::free(line);
    const int status = ::pclose(pipe);
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("failed: " + command.toStdString());
    return hashes;
}

bool dropCaches()
{
    ::sync();
    const int fd = ::open("/proc/sys/vm/drop_caches", O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, "3\n", 2) == 2;
    ::close(fd);
    return ok;
}

double peakMiB()
{
    struct rusage ru { };
    ::getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss / 1024.0; // kilobytes on Linux
}

void printMs(const char *name, double ms)
{
    std::printf("MEDIAN_MS %s %.1f\n", name, ms);
    std::fflush(stdout);
}

void printRatio(const char *name, double ratio, double target)
{
    if (target > 0)
        std::printf("RATIO %s %.2f (target <= %g)%s\n", name, ratio, target, ratio > target ? " MISSED" : "");
    else
        std::printf("RATIO %s %.2f\n", name, ratio);
    std::fflush(stdout);
}

void printPeakMiB(const char *name)
{
    std::printf("PEAK_MIB %s %.0f\n", name, peakMiB());
    std::fflush(stdout);
}

} // namespace bench
