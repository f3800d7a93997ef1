#include "search/engine/read_ahead.h"
#include "shell/engine/file_system.h"
#include "support/temp_tree.h"
#include "support/walk_host.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <atomic>
#include <condition_variable>
#include <tuple>
#include <map>
#include <set>
#include <stdexcept>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using Read = FolderWalk::Read;
using Listing = FolderWalk::Listing;
using When = ReadAheadSettings::When;
using namespace std::chrono_literals;

#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
constexpr bool UnderSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer) || __has_feature(address_sanitizer)
constexpr bool UnderSanitizer = true;
#else
constexpr bool UnderSanitizer = false;
#endif
#else
constexpr bool UnderSanitizer = false;
#endif

// Read-ahead settings for one walk; they and the seam are put back afterwards.
struct Tuning {
    ReadAheadSettings saved = readAheadSettings();
    explicit Tuning(const ReadAheadSettings &now) { readAheadSettings() = now; }
    ~Tuning()
    {
        readAheadSettings() = saved;
        FolderWalk::seam() = {};
    }
};

// The walk of a whole tree, subfolders and all, for an empty name box. A walk
// not ended within seconds is stuck: its next turn ends it.
SearchState walkAll(
    const QString &root, std::function<void(FakeHost &)> onTurn = [](FakeHost &) {})
{
    FakeHost host;
    host.subfolders = true;
    host.onTurn = [deadline = std::chrono::steady_clock::now() + 10s, onTurn](FakeHost &h) {
        if (std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("the walk is stuck");
        onTurn(h);
    };
    SearchState s;
    s.SearchPattern = SearchPatternFor(QString());
    FolderWalk(s, host).搜索文件夹(root);
    return s;
}

// Every folder read, with injected failures (a folder that cannot be read,
// one whose subfolders fail midway), or the recorded listings replayed.
struct Reads {
    std::mutex lock;
    std::map<QString, std::pair<Read, Listing>> seen, replay;
    QStringList twice;
    int done = 0, used = 0, mostHeld = 0;

    Read operator()(const QString &folder, Listing &listing)
    {
        if (auto r = replay.find(folder); r != replay.end()) {
            // The walk that decides for itself finds wide/'s subfolders slow.
            std::this_thread::sleep_for(folder.contains(QLatin1String("/wide/w")) && !folder.endsWith(QLatin1String("/in")) ? 1ms : 0ms);
            listing = r->second.second;
            return r->second.first;
        }
        const Read read = folder.endsWith(QLatin1String("/locked")) ? Read::Unreadable : FolderWalk::readFolder(folder, listing);
        listing.subfoldersEnumerable = listing.subfoldersEnumerable && !folder.endsWith(QLatin1String("/half"));
        std::lock_guard g(lock);
        if (seen.count(folder))
            twice << folder;
        seen[folder] = {read, listing};
        mostHeld = std::max(mostHeld, ++done - used);
        return read;
    }
};

} // namespace

// The walk reading ahead on worker threads shows, visits and finds exactly
// what the walk reading one folder at a time does with the same listings:
// the parallel walk's listings are recorded and replayed to the serial one
// and to one that starts reading ahead in wide/, so the tree may change
// under the walk. Each turn and each use of a folder first lets the
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
        {"stop before a folder", 4, 64, 64, 1 << 20, true, "^$", "^$", "wide/w04/in$"},
        {"stop among a folder's files", 4, 64, 64, 1 << 20, true, "^$", "^$", "^搜索文件：.*/one/"},
        {"unticked and ticked again", 3, 64, 64, 1 << 20, true, "one/two$", "/wide$", "^$"},
        {"unticked from the start", 3, 64, 64, 1 << 20, false, "^$", "^$", "^$"},
        {"unticked at once, a folder ahead", 2, 1, 64, 1 << 20, true, "^搜索目录：", "^$", "^$"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempTree t;
        for (int i = 0; i < 60; ++i)
            t.file(QString::fromLatin1(i < 10 ? "wide/w%1/in/x.txt" : "one/f%1.txt").arg(i, 2, 10, QLatin1Char('0')));
        for (const char *name : {"top.txt", ".~sn-root", "one/.~sn-one", "one/two/b.txt", "one/two/three/c.txt", "locked/secret.txt",
                                 "half/h.txt", "half/sub/s.txt", "gone/deep/g.txt", "later/z.txt"})
            t.file(QString::fromLatin1(name));
        t.file(DecodeFileName(QByteArray("bad\xff/n\xfe.txt")), "y");
        ASSERT_EQ(::symlink(QFile::encodeName(t.root()).constData(), QFile::encodeName(t.path("one/loop")).constData()), 0);
        ASSERT_EQ(::symlink("../top.txt", QFile::encodeName(t.path("one/link.txt")).constData()), 0);

        Reads reads;
        FolderWalk::ReadAheadCounts counts;
        const auto run = [&](When when) {
            Tuning tuning({.when = when, .threads = c.threads, .folders = c.folders, .bytes = c.bytes, .facts = c.facts});
            QStringList seen;
            std::function<void()> settled = [] {};
            FolderWalk::seam().read = [&](const QString &f, Listing &l) { return reads(f, l); };
            FolderWalk::seam().beforeUse = [&](const QString &folder, const std::function<void()> &settle) {
                (settled = settle)();
                seen << QStringLiteral("use ") + folder;
                std::lock_guard g(reads.lock);
                ++reads.used;
                if (folder == t.path("one")) {
                    // Gone, changed and new after the walk listed them.
                    QFile::remove(t.path("one/f17.txt"));
                    QFile::remove(t.path("one/f18.txt")) && QDir().mkdir(t.path("one/f18.txt"));
                    QDir().rename(t.path("gone"), t.path("moved"));
                    QDir().mkdir(t.path("new"));
                }
            };
            FakeHost host;
            host.subfolders = c.subfolders;
            const QRegularExpression untick(QString::fromUtf8(c.untick)), tick(QString::fromUtf8(c.tick)), stop(QString::fromUtf8(c.stop));
            host.onTurn = [&, deadline = std::chrono::steady_clock::now() + 10s](FakeHost &h) {
                if (std::chrono::steady_clock::now() > deadline)
                    throw std::runtime_error("the walk is stuck");
                const QString &last = h.statuses.last();
                h.subfolders = last.contains(untick) ? false : last.contains(tick) ? true : h.subfolders;
                h.stop = h.stop || last.contains(stop);
                settled();
            };
            SearchState s;
            s.SearchPattern = SearchPatternFor(QString());
            FolderWalk walk(s, host);
            const std::vector<FoundFile> found = WalkWithFacts(walk, s, t.root());
            counts = walk.readAheadCounts();
            seen << host.statuses << s.SearchedFolders;
            for (const auto &[minimum, maximum, value] : host.bars)
                seen << QStringLiteral("bar %1 %2 %3").arg(minimum).arg(maximum).arg(value);
            for (const FoundFile &f : found)
                seen << QStringLiteral("%1 %2 %3").arg(f.FullPath()).arg(f.Size).arg(f.MTime);
            return seen;
        };
        const QStringList parallel = run(When::Always);
        EXPECT_TRUE(reads.twice.isEmpty()) << reads.twice.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(counts.restarts, 0) << "the walk always took the folder next in line";
        EXPECT_TRUE(TakeNotedFolder(t.root())) << "a worker noted the staged copy it listed";
        EXPECT_LE(reads.mostHeld, c.folders < 4 || c.bytes < 2 ? std::min(c.folders, c.threads) + 2 : 99);
        EXPECT_LE(counts.waited, c.bytes < 2 ? 99 : 1) << "only the first folder was not ready when the walk came to it";
        EXPECT_EQ(reads.seen.size() == 1, !c.subfolders) << "nothing below a folder not searched is read ahead";
        reads.replay = reads.seen;
        EXPECT_EQ(run(When::Never), parallel);
        EXPECT_FALSE(counts.used);
        EXPECT_EQ(run(When::Auto), parallel);
        EXPECT_EQ(counts.restarts, 0) << "reading ahead from the middle of the walk, in its order";
    }
}

// While the walk waits for a folder, or for the workers to return once it
// stopped, the window keeps its turns; a stop asked meanwhile is kept.
TEST(ReadAhead, WaitingTakesTurnsAndAStopStillEndsTheWalk)
{
    // The folder whose read waits for three turns of the window, whether the
    // stop is asked then (else as the walk turns to it), and the names found:
    // the walk waits for a/b, whose first file is still examined; a/b/c is
    // read ahead when the walk stops before it.
    for (const auto &[blocked, stopThen, finds] : {std::tuple{"a/b", true, 2u}, std::tuple{"a/b/c", false, 3u}}) {
        SCOPED_TRACE(blocked);
        Tuning tuning({.when = When::Always, .threads = 2, .folders = 8});
        TempTree t;
        for (const char *name : {"a/1.txt", "a/b/2.txt", "a/b/3.txt", "a/b/c/4.txt"})
            t.file(QString::fromLatin1(name));
        const QString blockedPath = t.path(QString::fromLatin1(blocked));
        std::mutex m;
        std::condition_variable cv;
        bool reading = false, released = false;
        int turnsBlocked = 0;
        FolderWalk::seam().read = [&](const QString &folder, Listing &listing) {
            std::unique_lock g(m);
            reading = reading || folder == blockedPath;
            cv.notify_all();
            cv.wait_for(g, 5s, [&] { return released || folder != blockedPath; });
            return FolderWalk::readFolder(folder, listing);
        };
        // The walk comes to a/b/c only once its read is under way.
        FolderWalk::seam().beforeUse = [&](const QString &folder, const std::function<void()> &) {
            std::unique_lock g(m);
            if (folder == t.path(QStringLiteral("a/b")))
                cv.wait_for(g, 5s, [&] { return reading || released; });
        };
        const SearchState s = walkAll(t.root(), [&](FakeHost &h) {
            std::lock_guard g(m);
            const bool there = h.statuses.last().endsWith(blockedPath);
            h.stop = h.stop || (there && !stopThen);
            if (reading && !released && there && ++turnsBlocked == 3) {
                h.stop = released = true;
                cv.notify_all();
            }
        });
        EXPECT_EQ(turnsBlocked, 3);
        EXPECT_EQ(s.SearchedFolders, QStringList({t.root(), t.path(QStringLiteral("a")), t.path(QStringLiteral("a/b"))}));
        EXPECT_EQ(s.Finds.size(), finds);
    }
}

// With no core to spare, reading ahead starts once folder reads keep the
// walk waiting, never while the cache answers them, nor for a wait now and
// then; and it stops when the reads no longer wait. With a core to spare,
// workers read from the first folder: a few while the cache answers, more
// where reads wait. Only then are the facts read ahead too.
TEST(ReadAhead, ReadsAheadWhereACoreIsSpareOrReadsKeepWaiting)
{
    struct Case {
        const char *name;
        std::function<bool(int read)> waits;
        int threads; // one reads in order: the waits are seen before the rest
        int cores;
        int minOnWalker, maxOnWalker; // of the 151 reads
        int mostAtOnce;               // at most, or at least when negative
        bool factsAhead;
        int folders = 150; // fewer than the workers' memory of waits: none may be made up
    };
    const Case cases[] = {
        {"one in eight", [](int i) { return i % 8 == 0; }, 16, 1, 151, 151, 1, false},
        {"all", [](int) { return true; }, 16, 1, 4, 4, -5, true},
        {"the first eight", [](int i) { return i < 8; }, 1, 1, 40, 150, 1, false},
        {"a core to spare, none", [](int) { return false; }, 16, 2, 0, 0, 3, false},
        {"a core to spare, all", [](int) { return true; }, 16, 2, 0, 0, -5, true},
        {"a core to spare, a few folders", [](int) { return false; }, 16, 2, 0, 0, 3, false, 10},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Tuning tuning({.when = When::Auto, .threads = c.threads, .fewThreads = 3, .cores = c.cores});
        TempTree t;
        for (int i = 0; i < c.folders; ++i)
            t.file(QStringLiteral("d%1/f.txt").arg(i));
        const std::thread::id walker = std::this_thread::get_id();
        std::atomic<int> onWalker{0}, all{0}, inFlight{0}, most{0};
        FolderWalk::seam().read = [&](const QString &folder, Listing &listing) {
            for (int now = ++inFlight, was = most; now > was && !most.compare_exchange_weak(was, now);) { }
            if (c.waits(all++))
                std::this_thread::sleep_for(2ms);
            onWalker += std::this_thread::get_id() == walker;
            --inFlight;
            return FolderWalk::readFolder(folder, listing);
        };
        const SearchState s = walkAll(t.root());
        EXPECT_EQ(s.Finds.size(), static_cast<size_t>(c.folders));
        EXPECT_TRUE(onWalker >= c.minOnWalker && onWalker <= c.maxOnWalker) << onWalker.load();
        // A sanitizer's own locks and mappings put readers to sleep: any read may look like a wait.
        if (c.mostAtOnce < 0 || !UnderSanitizer) {
            EXPECT_TRUE(c.mostAtOnce > 0 ? most <= c.mostAtOnce : most >= -c.mostAtOnce) << most.load();
            EXPECT_EQ(s.Finds.readsWaited, c.factsAhead);
        }
    }
}

// So are the facts of the found files stat'ed ahead, a few dozen names at a
// time: once stat calls keep the reader waiting. All the workers make them
// side by side only where each call waits long (a network mount); where they
// are quick, a few leave the thread that makes the rows its core.
TEST(ReadAhead, FactsAreStatedAheadWhereStatCallsWait)
{
    struct Case {
        When when;
        int delayUs, ahead;      // one name ahead: a worker out of the lanes must pass its wake-up on
        int onReader;            // of the 200 names
        bool many;               // more than the two quick lanes at once
        bool walkWaited = false; // its folder reads did: the facts wait for the same disk
        int cores = 1;           // more: a worker or two stat in step with the rows
        bool handedOver = false; // those two found the calls slow and handed the rest to more workers
    };
    const Case cases[] = {
        {When::Auto, 0, 256, 200, false},         {When::Auto, 300, 256, 128, false},     {When::Always, 0, 1, 0, false},
        {When::Always, 50, 256, 0, false},        {When::Always, 3000, 256, 0, true},     {When::Auto, 0, 256, 0, false, true},
        {When::Auto, 0, 256, 0, false, false, 2}, {When::Auto, 0, 1, 0, false, false, 2}, {When::Auto, 1000, 32, 0, false, false, 2, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.delayUs);
        Tuning tuning({.when = c.when, .threads = 8, .fewThreads = 2, .slowCall = 1ms, .facts = c.ahead, .cores = c.cores});
        TempTree t;
        for (int i = 0; i < 200; ++i)
            t.file(QStringLiteral("d%1/f").arg(i % 20) + QString::number(i));
        SearchState s = walkAll(t.root());
        s.Finds.readsWaited = c.walkWaited;
        const std::thread::id reader = std::this_thread::get_id();
        std::atomic<int> onReader{0}, inFlight{0}, most{0};
        std::mutex lock;
        std::set<std::thread::id> statters;
        FolderWalk::seam().beforeFacts = [&](const char *) {
            for (int now = ++inFlight, was = most; now > was && !most.compare_exchange_weak(was, now);) { }
            onReader += std::this_thread::get_id() == reader;
            {
                std::lock_guard g(lock);
                statters.insert(std::this_thread::get_id());
            }
            std::this_thread::sleep_for(std::chrono::microseconds(c.delayUs));
            --inFlight;
        };
        std::vector<FoundFile> out;
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        int asked = 0, lag = 0; // names the filter saw, less the files made of them
        FoundReader facts(s.Finds, [&](const char *, size_t) { return ++asked > 0; });
        EXPECT_TRUE(facts.read(out, [&] {
            lag = std::max(lag, asked - static_cast<int>(out.size()));
            return std::chrono::steady_clock::now() > deadline;
        }));
        EXPECT_EQ(out.size(), 200u);
        EXPECT_LE(lag, c.ahead + 64) << "facts are asked for a bounded number of names ahead";
        EXPECT_EQ(onReader, c.onReader);
        EXPECT_EQ(most > 8, c.delayUs >= 2000) << "more than the usual workers only where calls wait like a network's";
        if (c.handedOver) {
            EXPECT_GT(statters.size(), 2u) << "the stream's two workers, then more";
        } else {
            EXPECT_EQ(most > 2, c.many);
            // A sanitizer's own locks can make quick calls look slow, and the stream hand over.
            if (c.cores > 1 && !c.walkWaited && !UnderSanitizer) {
                EXPECT_LE(statters.size(), 2u) << "a worker or two, in step with the rows";
            }
        }
    }
}
