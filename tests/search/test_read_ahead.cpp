#include "search/engine/read_ahead.h"
#include "shell/engine/file_system.h"
#include "support/temp_tree.h"
#include "support/walk_host.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using Read = FolderWalk::Read;
using Listing = FolderWalk::Listing;
using When = ReadAheadSettings::When;

// Read-ahead settings and the seam for one walk, put back afterwards.
struct Tuning {
    ReadAheadSettings saved = readAheadSettings();
    Tuning(When when, int threads = 3, int folders = 64, int facts = 64, size_t bytes = size_t(8) << 20)
    {
        ReadAheadSettings &s = readAheadSettings();
        s.when = when;
        s.threads = threads;
        s.folders = folders;
        s.facts = facts;
        s.bytes = bytes;
    }
    ~Tuning()
    {
        readAheadSettings() = saved;
        FolderWalk::seam() = {};
    }
};

// A walk that has not ended within seconds is stuck: end it from its next turn.
void watchdog(FakeHost &host, std::function<void(FakeHost &)> then = {})
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    host.onTurn = [deadline, then](FakeHost &h) {
        if (std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("the walk is stuck");
        if (then)
            then(h);
    };
}

// Every folder read, with injected failures: some folders cannot be read,
// some list their files but fail before the end of their subfolders.
struct Reads {
    std::mutex lock;
    std::map<QString, std::pair<Read, Listing>> seen;
    std::map<QString, std::pair<Read, Listing>> replay; // answered instead of the disk
    QStringList twice, unreadable, broken;
    int inFlight = 0, done = 0, used = 0, maxHeld = 0;

    Read operator()(const QString &folder, Listing &listing)
    {
        {
            std::lock_guard g(lock);
            ++inFlight;
            if (auto r = replay.find(folder); r != replay.end()) {
                --inFlight;
                listing = r->second.second;
                return r->second.first;
            }
        }
        Read read = Read::Unreadable;
        if (!unreadable.contains(QDir(folder).dirName()))
            read = FolderWalk::readFolder(folder, listing);
        if (broken.contains(QDir(folder).dirName()))
            listing.subfoldersEnumerable = false;
        std::lock_guard g(lock);
        --inFlight;
        if (seen.count(folder))
            twice << folder;
        seen[folder] = {read, listing};
        maxHeld = std::max(maxHeld, ++done - used);
        return read;
    }
};

struct Outcome {
    QStringList statuses, searched, used, found;
    std::vector<std::tuple<int, int, int>> bars;
    FolderWalk::ReadAheadCounts counts;
};

} // namespace

// The walk reading ahead on worker threads shows, visits and finds exactly
// what the walk reading one folder at a time does with the same listings:
// the parallel walk's listings are recorded and replayed to the serial one,
// so the tree may change under the walk. Each use of a folder first lets the
// read-ahead read all it may, so the tree changes after it.
TEST(ReadAhead, TheParallelWalkDoesWhatTheSerialWalkDoesWithTheSameListings)
{
    struct Case {
        const char *name;
        int threads, folders, facts;
        size_t bytes;
        bool subfolders;
        const char *untick, *tick, *stop; // at the first turn whose status matches
    };
    const Case cases[] = {
        {"everything", 3, 64, 8, 1 << 20, true, "^$", "^$", "^$"},
        {"two folders ahead", 2, 2, 1, 1 << 20, true, "^$", "^$", "^$"},
        {"a byte ahead", 3, 64, 64, 1, true, "^$", "^$", "^$"},
        {"stop before a folder", 4, 64, 64, 1 << 20, true, "^$", "^$", "wide/w04$"},
        {"stop among a folder's files", 4, 64, 64, 1 << 20, true, "^$", "^$", "^搜索文件：.*/one/"},
        {"unticked and ticked again", 3, 64, 64, 1 << 20, true, "one/two$", "/wide$", "^$"},
        {"unticked from the start", 3, 64, 64, 1 << 20, false, "^$", "^$", "^$"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempTree t;
        for (int i = 0; i < 60; ++i)
            t.file(QStringLiteral("one/f%1.txt").arg(i, 2, 10, QLatin1Char('0')));
        for (const char *name : {"top.txt", ".~sn-root", "one/.~sn-one", "one/two/b.txt", "one/two/three/c.txt", "locked/secret.txt", "half/h.txt",
                                 "half/sub/s.txt", "gone/deep/g.txt", "later/z.txt"})
            t.file(QString::fromLatin1(name));
        for (int i = 0; i < 10; ++i)
            t.file(QStringLiteral("wide/w%1/x.txt").arg(i, 2, 10, QLatin1Char('0')));
        t.file(DecodeFileName(QByteArray("bad\xff/n\xfe.txt")), "y");
        ASSERT_EQ(::symlink(QFile::encodeName(t.root()).constData(), QFile::encodeName(t.path("one/loop")).constData()), 0);
        ASSERT_EQ(::symlink("../top.txt", QFile::encodeName(t.path("one/link.txt")).constData()), 0);

        Reads reads;
        reads.unreadable = {QStringLiteral("locked")};
        reads.broken = {QStringLiteral("half")};
        const auto run = [&](When when) {
            Tuning tuning(when, c.threads, c.folders, c.facts, c.bytes);
            Outcome o;
            FolderWalk::seam().read = [&](const QString &f, Listing &l) { return reads(f, l); };
            FolderWalk::seam().beforeUse = [&](const QString &folder, const std::function<void()> &settle) {
                settle();
                o.used << folder;
                {
                    std::lock_guard g(reads.lock);
                    ++reads.used;
                }
                if (folder != t.path("one"))
                    return;
                // Gone, changed and new after the walk listed them.
                QFile::remove(t.path("one/f07.txt"));
                QDir().rename(t.path("gone"), t.path("moved"));
                if (!QFile::exists(t.path("new/n.txt")))
                    t.file(QStringLiteral("new/n.txt"));
                if (!QFile::exists(t.path("one/two/fresh.txt")))
                    t.file(QStringLiteral("one/two/fresh.txt"));
            };
            FakeHost host;
            host.subfolders = c.subfolders;
            const QRegularExpression untick(QString::fromUtf8(c.untick)), tick(QString::fromUtf8(c.tick)),
                stop(QString::fromUtf8(c.stop));
            watchdog(host, [&](FakeHost &h) {
                const QString &last = h.statuses.last();
                h.subfolders = last.contains(untick) ? false : last.contains(tick) ? true : h.subfolders;
                h.stop = h.stop || last.contains(stop);
            });
            SearchState s;
            s.SearchPattern = SearchPatternFor(QString());
            FolderWalk walk(s, host);
            walk.搜索文件夹(t.root());
            o.counts = walk.readAheadCounts();
            std::lock_guard g(reads.lock);
            EXPECT_EQ(reads.inFlight, 0) << "every worker is joined when the walk returns";
            o.statuses = host.statuses;
            o.bars = host.bars;
            o.searched = s.SearchedFolders;
            for (const FoundFile &f : s.FoundFiles)
                o.found << QStringLiteral("%1 %2 %3").arg(f.FullPath()).arg(f.Size).arg(f.MTime);
            return o;
        };
        const Outcome parallel = run(When::Always);
        EXPECT_TRUE(reads.twice.isEmpty()) << reads.twice.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(parallel.counts.restarts, 0) << "the walk always took the folder next in line";
        EXPECT_TRUE(TakeNotedFolder(t.root())) << "a worker noted the staged copy it listed";
        if (c.folders < 4 || c.bytes < 2) {
            EXPECT_LE(reads.maxHeld, std::min(c.folders, c.threads) + 2) << "read but unused listings stay within the bounds";
        } else {
            EXPECT_LE(parallel.counts.waited, 1) << "every folder but the first was ready when the walk came to it";
        }
        if (!c.subfolders) {
            EXPECT_EQ(reads.seen.size(), 1u) << "nothing below the start folder is read ahead when it is not searched";
        }
        reads.replay = reads.seen;
        const Outcome serial = run(When::Never);
        EXPECT_FALSE(serial.counts.used);
        EXPECT_GT(serial.found.size(), 0);
        EXPECT_EQ(parallel.used, serial.used);
        EXPECT_EQ(parallel.statuses, serial.statuses);
        EXPECT_EQ(parallel.bars, serial.bars);
        EXPECT_EQ(parallel.searched, serial.searched);
        EXPECT_EQ(parallel.found, serial.found);
    }
}

// While the walk waits for a folder, or for the workers to return once it
// stopped, the window keeps its turns; a stop asked meanwhile is kept.
TEST(ReadAhead, WaitingTakesTurnsAndAStopStillEndsTheWalk)
{
    struct Case {
        const char *blocked; // the folder whose read waits for three turns of the window
        bool stopThen;       // else the stop is asked when the walk turns to that folder
        size_t finds;
    };
    const Case cases[] = {
        {"a/b", true, 2},    // the walk waits for it; its first file is still examined
        {"a/b/c", false, 3}, // read ahead, when the walk stops before it
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.blocked);
        Tuning tuning(When::Always, 2, 8);
        TempTree t;
        for (const char *name : {"a/1.txt", "a/b/2.txt", "a/b/3.txt", "a/b/c/4.txt"})
            t.file(QString::fromLatin1(name));
        const QString blockedPath = t.path(QString::fromLatin1(c.blocked));
        std::mutex m;
        std::condition_variable cv;
        bool blocked = false, released = false;
        int turnsBlocked = 0;
        FolderWalk::seam().read = [&](const QString &folder, Listing &listing) {
            if (folder == blockedPath) {
                std::unique_lock g(m);
                blocked = true;
                cv.notify_all();
                cv.wait_for(g, std::chrono::seconds(5), [&] { return released; });
                blocked = false;
            }
            return FolderWalk::readFolder(folder, listing);
        };
        FolderWalk::seam().beforeUse = [&](const QString &folder, const std::function<void()> &) {
            std::unique_lock g(m);
            if (folder == t.path(QStringLiteral("a/b")))
                cv.wait_for(g, std::chrono::seconds(5), [&] { return blocked || released; });
        };
        FakeHost host;
        host.subfolders = true;
        watchdog(host, [&](FakeHost &h) {
            std::lock_guard g(m);
            const bool there = h.statuses.last().endsWith(blockedPath);
            h.stop = h.stop || (there && !c.stopThen);
            if (blocked && there && ++turnsBlocked == 3) {
                h.stop = true;
                released = true;
                cv.notify_all();
            }
        });
        SearchState s;
        s.SearchPattern = SearchPatternFor(QString());
        FolderWalk(s, host).walk(t.root());
        EXPECT_EQ(turnsBlocked, 3);
        EXPECT_EQ(s.SearchedFolders, QStringList({t.root(), t.path(QStringLiteral("a")), t.path(QStringLiteral("a/b"))}));
        EXPECT_EQ(s.Finds.size(), c.finds);
    }
}

// Reading ahead starts once folder reads keep the walk waiting, never while
// the cache answers them, nor for a wait now and then; and it stops when the
// reads no longer wait.
TEST(ReadAhead, StartsOnlyWhileFolderReadsKeepWaiting)
{
    struct Case {
        const char *name;
        std::function<bool(int read)> waits;
        int threads; // one reads in order: the waits are seen before the rest
        bool used;
        int minOnWalker, maxOnWalker; // of the 151 reads
    };
    const Case cases[] = {
        {"none wait", [](int) { return false; }, 16, false, 151, 151},
        {"one in eight", [](int i) { return i % 8 == 0; }, 16, false, 151, 151},
        {"all", [](int) { return true; }, 16, true, 4, 4},
        {"the first eight", [](int i) { return i < 8; }, 1, true, 40, 150},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Tuning tuning(When::Auto, c.threads, 1024);
        TempTree t;
        for (int i = 0; i < 150; ++i)
            t.file(QStringLiteral("d%1/f.txt").arg(i));
        const std::thread::id walker = std::this_thread::get_id();
        std::atomic<int> onWalker{0}, all{0};
        FolderWalk::seam().read = [&](const QString &folder, Listing &listing) {
            if (c.waits(all++))
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            onWalker += std::this_thread::get_id() == walker;
            return FolderWalk::readFolder(folder, listing);
        };
        FakeHost host;
        host.subfolders = true;
        watchdog(host);
        SearchState s;
        s.SearchPattern = SearchPatternFor(QString());
        FolderWalk walk(s, host);
        walk.walk(t.root());
        EXPECT_EQ(s.Finds.size(), 150u);
        EXPECT_EQ(walk.readAheadCounts().used, c.used);
        EXPECT_GE(onWalker.load(), c.minOnWalker);
        EXPECT_LE(onWalker.load(), c.maxOnWalker);
    }
}

// So do the facts of the found files, a few dozen names at a time.
TEST(ReadAhead, FactsAreReadAheadOnlyWhenStatCallsKeepWaiting)
{
    for (const bool slow : {false, true}) {
        SCOPED_TRACE(slow);
        Tuning tuning(When::Auto);
        TempTree t;
        for (int i = 0; i < 300; ++i)
            t.file(QStringLiteral("f%1").arg(i));
        FakeHost host;
        SearchState s;
        s.SearchPattern = SearchPatternFor(QString());
        FolderWalk(s, host).walk(t.root());
        const std::thread::id reader = std::this_thread::get_id();
        std::atomic<int> onReader{0};
        FolderWalk::seam().beforeFacts = [&](const char *) {
            if (slow)
                std::this_thread::sleep_for(std::chrono::microseconds(300));
            onReader += std::this_thread::get_id() == reader;
        };
        std::vector<FoundFile> out;
        EXPECT_TRUE(FoundReader(s.Finds, {}).read(out));
        EXPECT_EQ(out.size(), 300u);
        EXPECT_EQ(onReader.load(), slow ? 32 * readAheadSettings().waitsBeforeStart : 300);
    }
}

// Stat calls go side by side on all workers only where each waits long (a
// network mount); where they are quick, a few workers leave the thread that
// makes the rows its core.
TEST(ReadAhead, ManyStatCallsAtOnceOnlyWhereEachWaitsLong)
{
    // With one name ahead at most, a worker out of the lanes must not swallow
    // the wake-up meant for one in them.
    for (const auto &[delayUs, ahead] : {std::pair{0, 1}, std::pair{50, 256}, std::pair{3000, 256}}) {
        SCOPED_TRACE(delayUs);
        Tuning tuning(When::Always, 8, 64, ahead);
        readAheadSettings().fewThreads = 2;
        readAheadSettings().slowCall = std::chrono::milliseconds(1);
        TempTree t;
        for (int i = 0; i < 200; ++i)
            t.file(QStringLiteral("d%1/f").arg(i % 20) + QString::number(i));
        FakeHost host;
        host.subfolders = true;
        SearchState s;
        s.SearchPattern = SearchPatternFor(QString());
        FolderWalk(s, host).walk(t.root());
        std::mutex m;
        int inFlight = 0, most = 0;
        FolderWalk::seam().beforeFacts = [&](const char *) {
            {
                std::lock_guard g(m);
                most = std::max(most, ++inFlight);
            }
            std::this_thread::sleep_for(std::chrono::microseconds(delayUs));
            std::lock_guard g(m);
            --inFlight;
        };
        std::vector<FoundFile> out;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        EXPECT_TRUE(FoundReader(s.Finds, {}).read(out, [&] { return std::chrono::steady_clock::now() > deadline; }));
        EXPECT_EQ(out.size(), 200u);
        if (delayUs > 1000)
            EXPECT_GT(most, 2);
        else
            EXPECT_LE(most, 2);
    }
}

// The folder the walk waits for is read even while other listings fill the
// bounds: here a sibling read alongside its parent holds the one byte allowed.
TEST(ReadAhead, TheFolderTheWalkWaitsForIsReadWhateverTheBounds)
{
    ReadAheadSettings oneByte;
    oneByte.threads = 2;
    oneByte.bytes = 1;
    std::mutex m;
    std::condition_variable cv;
    bool siblingRead = false;
    FolderReadAhead ahead(
        [&](const QString &folder, Listing &l) {
            std::unique_lock g(m);
            if (folder == QLatin1String("r")) {
                l.add("A", 1, false, true);
                l.add("B", 1, false, true);
            } else if (folder == QLatin1String("r/A")) {
                cv.wait_for(g, std::chrono::seconds(2), [&] { return siblingRead; });
                l.add("a1", 2, false, true);
            } else if (folder == QLatin1String("r/B")) {
                siblingRead = true;
                cv.notify_all();
                l.add("f", 1, true, false);
            }
            return Read::Done;
        },
        oneByte, true);
    int turns = 0;
    const auto turn = [&] {
        if (++turns > 300)
            throw std::runtime_error("the walk waits for ever");
    };
    ahead.queueFolder(QStringLiteral("r"), 0);
    ahead.descend(ahead.take(QStringLiteral("r"), 0, turn));
    ahead.descend(ahead.take(QStringLiteral("r/A"), 1, turn));
    EXPECT_TRUE(siblingRead);
    EXPECT_EQ(ahead.take(QStringLiteral("r/A/a1"), 2, turn).read, Read::Done);
    ahead.finish(turn);
}
