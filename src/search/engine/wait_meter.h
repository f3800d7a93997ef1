#pragma once
#include <chrono>
#include <cstddef>

// How far a walk reads ahead of itself where the disk makes it wait (see
// read_ahead.h).
struct ReadAheadSettings {
    enum class When { Auto, Never, Always };
    When when = When::Auto;
    // Reads in flight at once. Both a network mount and a cold disk answer many
    // requests side by side, so more threads than cores pay off. Stat calls
    // are quicker on a local disk: while each takes less than `slowCall` only
    // `fewThreads` make them, and the thread that makes the rows keeps a core.
    int threads = 16;
    int fewThreads = 4;
    std::chrono::microseconds slowCall{250};
    // Where each call waits as long as a network's round trips (a folder read
    // over sshfs takes milliseconds, one on a cold local disk a few tenths of
    // one), the server answers many requests side by side: then `manyThreads`
    // read at once. On a local disk that many only crowd its queue.
    int manyThreads = 48;
    std::chrono::microseconds networkCall{2000};
    // Folders read but not yet used, and the bytes of their names: enough for
    // every worker to be a few folders ahead when reads take turns unevenly.
    int folders = 1024;
    size_t bytes = size_t(8) << 20;
    // Accepted names whose facts are asked for ahead of the row being made.
    int facts = 1024;
    // Reading ahead starts once this many of the last 16 reads (of a folder,
    // or of a few files' facts) waited for the disk, this long in all.
    int waitsBeforeStart = 4;
    std::chrono::microseconds waitedBeforeStart{500};
    // With a core to spare, folders are read ahead from the first, by
    // `fewThreads` while the cache answers: the kernel's listing of the next
    // folders then runs beside the walk's own work. With one core only once
    // reads wait, and no longer when they stop waiting.
    int cores = machineCores();

    static int machineCores();
    bool aheadFromStart() const { return when == When::Always || (when == When::Auto && cores > 1); }
};
ReadAheadSettings &readAheadSettings();

// Tells reads that waited for the disk from reads the cache answered, over
// the last few reads. Only a read that put the thread to sleep (a voluntary
// context switch) counts, so a warm read preempted on a busy machine does
// not; and a sleep now and then (say, behind a busy journal) is not a slow
// disk.
class WaitMeter {
public:
    void start();
    // Ends one read; `elsewhere` is time known to be spent on other things.
    // restart starts the next read at once, without asking the clocks again.
    void stop(std::chrono::microseconds elsewhere = {}, bool restart = false);
    bool slow(const ReadAheadSettings &settings) const;
    // Whether the last read waited.
    bool waited() const;

private:
    std::chrono::steady_clock::time_point m_start;
    long m_switches = 0;
    std::chrono::microseconds m_recent[16] = {};
    size_t m_next = 0;
};

// How many workers may read at once, from how long their last calls took.
class ReadLanes {
public:
    void add(std::chrono::microseconds perCall);
    int lanes(const ReadAheadSettings &settings) const;
    // Workers to start: as many as may ever read at once.
    static int most(const ReadAheadSettings &settings);

private:
    std::chrono::microseconds m_took[32] = {};
    int m_count = 0;
};
