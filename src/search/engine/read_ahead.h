#pragma once
#include "search/engine/folder_walk.h"
#include "search/engine/wait_meter.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Lists folders on worker threads in the order a depth-first walk will ask
// for them, up to a bounded number of folders and bytes ahead of the walk.
// The walk takes each listing as it was read. Only the walk's thread calls
// the public functions.
class FolderReadAhead {
public:
    using Listing = FolderWalk::Listing;
    using Read = FolderWalk::Read;
    using Reader = std::function<Read(const QString &folder, Listing &listing)>;
    using Turn = std::function<void()>;
    // Whether the walk went below a folder, shared by that folder's subfolders.
    using Descent = std::shared_ptr<std::atomic<bool>>;

    struct Taken {
        Read read = Read::Missing;
        std::shared_ptr<const Listing> listing;
        Descent descent;
    };
    struct Stats {
        int readAhead = 0; // folders ready before the walk asked for them
        int waited = 0;    // folders the walk had to wait for
        int restarts = 0;  // the walk asked for a folder not next in line
    };

    // descending: whether the walk goes below the folders it takes, for now;
    // waiting: whether the reads so far waited for the disk.
    FolderReadAhead(Reader reader, const ReadAheadSettings &settings, bool descending, bool waiting);
    ~FolderReadAhead();
    FolderReadAhead(const FolderReadAhead &) = delete;
    FolderReadAhead &operator=(const FolderReadAhead &) = delete;

    // What the walk will ask for, in its order: a single folder, or the
    // subfolders of a listing from entry `from` on.
    void queueFolder(const QString &folder, int depth);
    void queueSubfolders(const QString &folder, std::shared_ptr<const Listing> listing, size_t from, int depth, Descent descent);
    // The listing of the next folder; waits for it, taking turns.
    Taken take(const QString &folder, int depth, const Turn &turn);
    // The walk's choice after taking a folder at depth: go below it or not.
    void descend(const Taken &taken);
    void skipBelow(int depth);
    // Until nothing more may be read for now (for tests).
    void settle();
    // Whether the last reads hardly ever waited for the disk (of enough
    // reads to tell), and whether they keep waiting.
    bool cached() const;
    bool waiting() const;
    // Drops what is left and joins every worker once its current call has
    // returned, taking turns while it waits. A call stuck on a dead mount
    // cannot be cut short, so neither can this wait.
    void finish(const Turn &turn);
    Stats stats() const;

private:
    struct Item;
    using Items = std::list<std::shared_ptr<Item>>;
    void work(int lane);
    Items::iterator pick();
    bool expand(Items::iterator &marker, bool inOpen);
    Items::iterator insert(Items::iterator before, std::shared_ptr<Item> item, Items::iterator openBefore);
    void erase(const Item &item);
    void drop(Items::iterator it);
    void waitTurning(std::unique_lock<std::mutex> &lock, const std::function<bool()> &done, const Turn &turn);
    int lanesNow() const;
    void startWorkers();
    bool room() const;
    int waitedReads() const; // of the last 64

    Reader m_reader;
    ReadAheadSettings m_settings;
    mutable std::mutex m_mutex;
    std::condition_variable m_work;    // workers: something may be read
    std::condition_variable m_changed; // the walk: a read ended
    std::condition_variable m_parked;  // workers out of the lanes
    Items m_items;                     // folders in the walk's order; the front is the next it takes
    Items m_open;                      // those still to read or being read, and markers, in that order
    int m_held = 0;                    // listings read or being read, not yet taken
    size_t m_heldBytes = 0;
    int m_busy = 0;                // workers inside a read
    int m_idle = 0;                // workers waiting for something to read
    std::atomic<bool> m_speculate; // the walk went below the last folder it took; set by the walk only
    bool m_stopping = false;
    Stats m_stats;
    bool m_waits[64] = {}; // of the last reads, whether each waited
    int m_reads = 0;
    ReadLanes m_took;
    int m_lanes = 1;                    // workers that may read now
    std::vector<std::thread> m_threads; // started by the walk's thread as the lanes grow
};

// The facts (size, time) of the names a walk accepted, read off the
// reader's thread a bounded number of names ahead and handed out in the
// walk's order. Only the reader's thread calls these.
class FactSource {
public:
    struct Fact {
        size_t run = 0;
        const char *name = nullptr;
        bool done = false;
        bool found = false; // a regular file was there
        qint64 size = 0;
        qint64 mtime = 0;
    };
    virtual ~FactSource() = default;
    virtual bool full() const = 0;
    // Queues the next accepted name (of run, in the walk's order).
    virtual void add(size_t run, const char *name) = 0;
    virtual bool empty() const = 0;
    // Waits at most `wait` for the oldest name's facts; true and the facts
    // when they are in.
    virtual bool next(Fact &out, std::chrono::milliseconds wait) = 0;
    // Whether its calls turned out to wait for the disk: the rest are then
    // better made by more workers.
    virtual bool slow() const { return false; }
};

// Where stat calls wait, many workers make them side by side, a few names of
// one folder each.
class FactReadAhead : public FactSource {
public:
    FactReadAhead(const WalkFinds &finds, const ReadAheadSettings &settings);
    // Joins the workers once their current stat call returns; like the walk's
    // read-ahead, it cannot cut short a call stuck on a dead mount.
    ~FactReadAhead() override;
    FactReadAhead(const FactReadAhead &) = delete;
    FactReadAhead &operator=(const FactReadAhead &) = delete;

    bool full() const override;
    void add(size_t run, const char *name) override;
    bool empty() const override;
    bool next(Fact &out, std::chrono::milliseconds wait) override;

private:
    void work(int lane);

    const WalkFinds &m_finds;
    ReadAheadSettings m_settings;
    mutable std::mutex m_mutex;
    std::condition_variable m_work, m_done;
    std::condition_variable m_parked; // workers out of the lanes
    std::list<Fact> m_facts;          // in the walk's order
    std::list<Fact>::iterator m_next; // the first not yet handed to a worker
    bool m_stopping = false;
    std::atomic<bool> m_cancel{false}; // read between stat calls, without the lock
    ReadLanes m_took;
    int m_lanes = 1; // workers that may read now
    std::vector<std::thread> m_threads;
};

// Where the cache answers and a core is spare, a worker or two stat the names
// in their order while the reader's thread makes rows of those done. Handing
// each name over through a lock would cost more than its stat call, so they
// pass through a ring of slots that each side only moves forward.
class FactStream : public FactSource {
public:
    FactStream(const WalkFinds &finds, const ReadAheadSettings &settings);
    // Joins the workers once their current stat call returns.
    ~FactStream() override;
    FactStream(const FactStream &) = delete;
    FactStream &operator=(const FactStream &) = delete;

    bool full() const override { return m_added.load(std::memory_order_relaxed) - m_taken >= m_slots; }
    void add(size_t run, const char *name) override;
    bool empty() const override { return m_added.load(std::memory_order_relaxed) == m_taken; }
    bool next(Fact &out, std::chrono::milliseconds wait) override;
    bool slow() const override { return m_slow.load(std::memory_order_relaxed); }

private:
    struct Slot {
        Fact fact;
        std::atomic<bool> done{false};
    };
    void work();
    void wake();

    const WalkFinds &m_finds;
    const size_t m_slots; // the names ahead, at most
    std::unique_ptr<Slot[]> m_ring;
    std::atomic<size_t> m_added{0};   // names put in, by the reader
    std::atomic<size_t> m_claimed{0}; // names a worker has taken on
    size_t m_taken = 0;               // names handed out; the reader's own
    size_t m_woken = 0;               // names added when the workers were last woken; the reader's own
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_slow{false};
    ReadAheadSettings m_settings;
    std::vector<std::thread> m_workers;
};
