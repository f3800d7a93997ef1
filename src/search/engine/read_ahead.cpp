#include "search/engine/read_ahead.h"

#include "shell/engine/file_system.h"

#include <algorithm>
#include <iterator>

#ifndef Q_OS_WIN
#include <pthread.h>
#endif

namespace {

size_t bytesOf(const FolderWalk::Listing &l)
{
    return sizeof l + l.names.size() + l.entries.size() * sizeof(FolderWalk::Entry);
}

// The next subfolder entry from `from` on, or the listing's end.
size_t nextFolder(const FolderWalk::Listing &l, size_t from)
{
    while (from < l.entries.size() && !l.entries[from].isFolder)
        ++from;
    return from;
}

constexpr auto Slice = std::chrono::milliseconds(10);

// A worker's name, as `top -H` and a debugger show it.
void nameThread(const char *name)
{
#if !defined(Q_OS_WIN) && defined(__GLIBC__)
    ::pthread_setname_np(::pthread_self(), name);
#else
    Q_UNUSED(name);
#endif
}

} // namespace

// A folder to read, or a marker standing for the subfolders of a listing
// that are not yet in line: they are put in line one by one as the line
// reaches them, so a folder of a million subfolders costs no more than a
// small one. Folders being read, read but not taken, and markers are in the
// line; the open ones (to read, being read, markers) also in a second line
// in the same order, so that finding the next to read passes over neither
// the many listings read ahead nor the folders before them.
struct FolderReadAhead::Item {
    bool marker = false;
    int depth = 0;
    Descent descent; // the parent's; null for a folder queued on its own
    Items::iterator self;
    Items::iterator open; // m_open's end once the folder is read
    // A folder:
    QString path;
    enum class State { Waiting, Reading, Ready } state = State::Waiting;
    bool dropped = false;
    bool wanted = false; // the walk waits for it
    Read read = Read::Missing;
    std::shared_ptr<Listing> listing;
    Descent own = std::make_shared<std::atomic<bool>>(false);
    // A marker:
    std::shared_ptr<const Listing> parent;
    size_t next = 0;
};

FolderReadAhead::FolderReadAhead(Reader reader, const ReadAheadSettings &settings, bool descending, bool waiting)
    : m_reader(std::move(reader)), m_settings(settings), m_speculate(descending)
{
    m_settings.threads = std::max(1, m_settings.threads);
    m_settings.folders = std::max(1, m_settings.folders);
    // Reads that waited before this began count as this one's own, until
    // as many reads of its own have passed.
    for (int i = 0; waiting && i < m_settings.waitsBeforeStart && i < static_cast<int>(std::size(m_waits)); ++i)
        m_waits[std::size(m_waits) - 1 - i] = true;
    m_lanes = lanesNow();
    std::lock_guard lock(m_mutex);
    startWorkers();
}

bool FolderReadAhead::room() const
{
    return m_held < m_settings.folders && m_heldBytes < m_settings.bytes;
}

// Workers for every lane; only the walk's thread starts them, holding the lock.
void FolderReadAhead::startWorkers()
{
    while (static_cast<int>(m_threads.size()) < m_lanes && !m_stopping) {
        const int lane = static_cast<int>(m_threads.size());
        m_threads.emplace_back([this, lane] { work(lane); });
    }
}

// A few workers while the cache answers, all of them where reads wait, and
// more where each read takes a network's round trips.
int FolderReadAhead::lanesNow() const
{
    if (m_took.lanes(m_settings) > m_settings.threads)
        return ReadLanes::most(m_settings);
    return waitedReads() >= m_settings.waitsBeforeStart ? m_settings.threads
                                                        : std::max(1, std::min(m_settings.fewThreads, m_settings.threads));
}

int FolderReadAhead::waitedReads() const
{
    return static_cast<int>(std::count(std::begin(m_waits), std::end(m_waits), true));
}

FolderReadAhead::~FolderReadAhead()
{
    finish({});
}

FolderReadAhead::Items::iterator FolderReadAhead::insert(Items::iterator before, std::shared_ptr<Item> item, Items::iterator openBefore)
{
    Item &added = *item;
    added.open = m_open.insert(openBefore, item);
    return added.self = m_items.insert(before, std::move(item));
}

void FolderReadAhead::erase(const Item &item)
{
    if (item.open != m_open.end())
        m_open.erase(item.open);
    m_items.erase(item.self);
}

void FolderReadAhead::queueFolder(const QString &folder, int depth)
{
    std::lock_guard lock(m_mutex);
    auto item = std::make_shared<Item>();
    item->path = folder;
    item->depth = depth;
    insert(m_items.end(), std::move(item), m_open.end());
    m_work.notify_all();
}

void FolderReadAhead::queueSubfolders(const QString &folder, std::shared_ptr<const Listing> listing, size_t from, int depth,
                                      Descent descent)
{
    if (nextFolder(*listing, from) >= listing->entries.size())
        return;
    std::lock_guard lock(m_mutex);
    auto item = std::make_shared<Item>();
    item->marker = true;
    item->path = folder;
    item->depth = depth;
    item->descent = std::move(descent);
    item->parent = std::move(listing);
    item->next = from;
    insert(m_items.end(), std::move(item), m_open.end());
    m_work.notify_all();
}

// it points at a marker in either line; it is left on the folder put in line
// before the marker, or past the marker when it had none left.
bool FolderReadAhead::expand(Items::iterator &it, bool inOpen)
{
    const std::shared_ptr<Item> m = *it;
    const size_t at = nextFolder(*m->parent, m->next);
    if (at >= m->parent->entries.size()) {
        it = std::next(it);
        erase(*m);
        return false;
    }
    auto item = std::make_shared<Item>();
    item->path = JoinPath(m->path, m->parent->name(m->parent->entries[at]));
    item->depth = m->depth;
    item->descent = m->descent;
    m->next = at + 1;
    const Items::iterator self = insert(m->self, item, m->open);
    it = inOpen ? item->open : self;
    if (nextFolder(*m->parent, m->next) >= m->parent->entries.size())
        erase(*m);
    return true;
}

FolderReadAhead::Items::iterator FolderReadAhead::pick()
{
    // The folder the walk waits for is read whatever the bounds; others only
    // within them, and below a folder the walk has not yet gone into only while
    // the walk is going down (it stops when subfolders are unticked). The look
    // stops a few bounds' worth down the line: past folders not to be read yet
    // (below one the walk may not go into) it would find little.
    const bool room = this->room();
    int place = 0;
    for (auto it = m_open.begin(); it != m_open.end() && place < 4 * m_settings.folders;) {
        if ((*it)->marker && !expand(it, true))
            continue;
        const Item &item = **it;
        if (item.state == Item::State::Waiting) {
            if (item.wanted || (room && (!item.descent || *item.descent || m_speculate)))
                return it;
            if (!room)
                break; // past the folder the walk waits for
            ++place;
        }
        ++it;
    }
    return m_open.end();
}

void FolderReadAhead::work(int lane)
{
    nameThread("folder reader");
    WaitMeter meter;
    struct Read1 {
        std::shared_ptr<Item> item;
        std::shared_ptr<Listing> listing;
        Read read = Read::Missing;
    };
    std::vector<Read1> batch;
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (lane >= m_lanes) {
            m_parked.wait(lock);
            continue;
        }
        // While the cache answers, a worker takes a few folders at once: the
        // lock is then taken a few times per batch rather than per folder,
        // and the walk meets it free. Until a few reads have shown that, and
        // where reads wait, one at a time, so that no folder waits behind
        // another's read.
        const bool answered = m_reads >= 16 && waitedReads() == 0;
        const int most = answered && (m_lanes < m_settings.threads || m_lanes == 1) ? 8 : 1;
        batch.clear();
        for (auto it = pick(); it != m_open.end(); it = pick()) {
            const std::shared_ptr<Item> item = *it;
            item->state = Item::State::Reading;
            ++m_held;
            ++m_busy;
            batch.push_back({item, std::make_shared<Listing>()});
            if (static_cast<int>(batch.size()) >= most || item->wanted)
                break;
        }
        if (batch.empty()) {
            ++m_idle;
            m_work.wait(lock);
            --m_idle;
            continue;
        }
        // One wakes the next while there may be more to read: waking them all
        // at every change would cost more switches than the reads on a
        // two-core machine.
        if (m_idle > 0 && room())
            m_work.notify_one();
        lock.unlock();
        std::chrono::microseconds took[8];
        bool waited[8];
        for (size_t i = 0; i < batch.size(); ++i) {
            const auto start = std::chrono::steady_clock::now();
            meter.start();
            batch[i].read = m_reader(batch[i].item->path, *batch[i].listing);
            meter.stop();
            took[i] = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
            waited[i] = meter.waited();
        }
        lock.lock();
        bool wanted = false;
        for (size_t i = 0; i < batch.size(); ++i) {
            const std::shared_ptr<Item> &item = batch[i].item;
            const std::shared_ptr<Listing> &listing = batch[i].listing;
            --m_busy;
            m_waits[m_reads++ % std::size(m_waits)] = waited[i];
            m_took.add(took[i]);
            if (item->dropped)
                continue; // its place already went back
            item->state = Item::State::Ready;
            item->read = batch[i].read;
            item->listing = listing;
            m_heldBytes += bytesOf(*listing);
            // Its subfolders come right after it, in both lines.
            if (item->read == Read::Done && listing->subfoldersEnumerable && nextFolder(*listing, 0) < listing->entries.size()) {
                auto marker = std::make_shared<Item>();
                marker->marker = true;
                marker->path = item->path;
                marker->depth = item->depth + 1;
                marker->descent = item->own;
                marker->parent = listing;
                insert(std::next(item->self), std::move(marker), item->open);
            }
            m_open.erase(item->open);
            item->open = m_open.end();
            wanted = wanted || item->wanted;
        }
        batch.clear();
        if (const int lanes = lanesNow(); lanes != m_lanes) {
            if (lanes > m_lanes)
                m_parked.notify_all();
            m_lanes = lanes;
        }
        if (m_idle > 0 && room())
            m_work.notify_one();
        if (wanted || m_busy == 0)
            m_changed.notify_all();
    }
    m_changed.notify_all();
}

void FolderReadAhead::drop(Items::iterator it)
{
    Item &item = **it;
    if (!item.marker && item.state != Item::State::Waiting) {
        item.dropped = true;
        --m_held;
        if (item.listing)
            m_heldBytes -= bytesOf(*item.listing);
    }
    erase(item);
}

void FolderReadAhead::waitTurning(std::unique_lock<std::mutex> &lock, const std::function<bool()> &done, const Turn &turn)
{
    while (!done()) {
        if (m_changed.wait_for(lock, Slice, done) || !turn)
            continue;
        lock.unlock();
        turn();
        lock.lock();
    }
}

FolderReadAhead::Taken FolderReadAhead::take(const QString &folder, int depth, const Turn &turn)
{
    std::unique_lock lock(m_mutex);
    startWorkers();
    auto front = m_items.begin();
    while (front != m_items.end() && (*front)->marker && !expand(front, false)) { }
    if (front == m_items.end() || (*front)->path != folder) {
        // Not what the line expected: start it afresh from this folder.
        ++m_stats.restarts;
        while (!m_items.empty())
            drop(m_items.begin());
        auto item = std::make_shared<Item>();
        item->path = folder;
        item->depth = depth;
        front = insert(m_items.end(), std::move(item), m_open.end());
    }
    const std::shared_ptr<Item> item = *front;
    if (item->state == Item::State::Ready) {
        ++m_stats.readAhead;
    } else {
        ++m_stats.waited;
        item->wanted = true;
        m_work.notify_one();
        waitTurning(
            lock, [&] { return item->state == Item::State::Ready; }, turn);
    }
    Taken taken{item->read, item->listing, item->own};
    --m_held;
    m_heldBytes -= bytesOf(*item->listing);
    erase(*item);
    // Idle workers wake once the walk has used up half of what they read:
    // waking one for every folder taken would cost a switch per folder.
    if (m_idle > 0 && m_held <= m_settings.folders / 2 && m_heldBytes <= m_settings.bytes / 2)
        m_work.notify_one();
    return taken;
}

void FolderReadAhead::descend(const Taken &taken)
{
    // Read without the lock: only where the walk stopped going down does
    // this descent let more be read.
    *taken.descent = true;
    if (m_speculate)
        return;
    std::lock_guard lock(m_mutex);
    m_speculate = true;
    m_work.notify_all();
}

void FolderReadAhead::skipBelow(int depth)
{
    std::lock_guard lock(m_mutex);
    m_speculate = false;
    while (!m_items.empty() && m_items.front()->depth > depth)
        drop(m_items.begin());
    m_work.notify_all();
}

void FolderReadAhead::settle()
{
    std::unique_lock lock(m_mutex);
    waitTurning(lock, [&] { return m_stopping || (m_busy == 0 && pick() == m_open.end()); }, {});
}

void FolderReadAhead::finish(const Turn &turn)
{
    std::unique_lock lock(m_mutex);
    m_stopping = true;
    while (!m_items.empty())
        drop(m_items.begin());
    m_work.notify_all();
    m_parked.notify_all();
    waitTurning(
        lock, [&] { return m_busy == 0; }, turn);
    lock.unlock();
    for (std::thread &t : m_threads)
        t.join();
    m_threads.clear();
}

bool FolderReadAhead::waiting() const
{
    std::lock_guard lock(m_mutex);
    return waitedReads() >= m_settings.waitsBeforeStart;
}

bool FolderReadAhead::cached() const
{
    std::lock_guard lock(m_mutex);
    return m_reads >= static_cast<int>(std::size(m_waits)) && waitedReads() < m_settings.waitsBeforeStart;
}

FolderReadAhead::Stats FolderReadAhead::stats() const
{
    std::lock_guard lock(m_mutex);
    return m_stats;
}

FactReadAhead::FactReadAhead(const WalkFinds &finds, const ReadAheadSettings &settings)
    : m_finds(finds), m_settings(settings), m_next(m_facts.end())
{
    m_settings.facts = std::max(1, m_settings.facts);
    m_settings.threads = std::max(1, m_settings.threads);
    m_lanes = m_took.lanes(m_settings);
    for (int i = 0; i < ReadLanes::most(m_settings); ++i)
        m_threads.emplace_back([this, i] { work(i); });
}

FactReadAhead::~FactReadAhead()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_cancel = true;
        m_work.notify_all();
        m_parked.notify_all();
    }
    for (std::thread &t : m_threads)
        t.join();
}

bool FactReadAhead::full() const
{
    std::lock_guard lock(m_mutex);
    return m_facts.size() >= static_cast<size_t>(m_settings.facts);
}

bool FactReadAhead::empty() const
{
    std::lock_guard lock(m_mutex);
    return m_facts.empty();
}

void FactReadAhead::add(size_t run, const char *name)
{
    std::lock_guard lock(m_mutex);
    m_facts.push_back(Fact{run, name});
    if (m_next == m_facts.end())
        m_next = std::prev(m_facts.end());
    m_work.notify_one();
}

bool FactReadAhead::next(Fact &out, std::chrono::milliseconds wait)
{
    std::unique_lock lock(m_mutex);
    if (m_facts.empty() || !m_done.wait_for(lock, wait, [&] { return m_facts.front().done; }))
        return false;
    out = m_facts.front();
    m_facts.pop_front();
    return true;
}

void FactReadAhead::work(int lane)
{
    nameThread("file facts");
    // A few names of one folder at a time: the folder is looked up once for
    // them, and the other workers take the next few meanwhile.
    constexpr int Batch = 16;
    std::vector<Fact *> batch;
    FactFolder folder;
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (lane >= m_lanes) {
            m_work.notify_one();
            m_parked.wait(lock);
            continue;
        }
        if (m_next == m_facts.end()) {
            m_work.wait(lock);
            continue;
        }
        batch.clear();
        const size_t run = m_next->run;
        while (m_next != m_facts.end() && m_next->run == run && static_cast<int>(batch.size()) < Batch) {
            batch.push_back(&*m_next);
            ++m_next;
        }
        lock.unlock();
        const auto start = std::chrono::steady_clock::now();
        for (Fact *f : batch) {
            if (m_cancel.load(std::memory_order_relaxed))
                break; // nobody waits for the rest
            f->found = folder.read(m_finds, run, f->name, f->size, f->mtime);
        }
        const auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
        lock.lock();
        for (Fact *f : batch)
            f->done = true;
        m_done.notify_all();
        // The folder's lookup and each stat are a call.
        m_took.add(took / static_cast<int>(batch.size() + 1));
        if (const int lanes = m_took.lanes(m_settings); lanes != m_lanes) {
            if (lanes > m_lanes)
                m_parked.notify_all();
            m_lanes = lanes;
        }
    }
}

FactStream::FactStream(const WalkFinds &finds, const ReadAheadSettings &settings)
    : m_finds(finds), m_slots(static_cast<size_t>(std::max(1, settings.facts))), m_ring(new Slot[m_slots]), m_settings(settings)
{
    // Two keep up with the rows where one, its calls about as long as making
    // a row, does not; more would only crowd the core that makes the rows.
    const int workers = std::clamp(settings.cores, 1, 2);
    for (int i = 0; i < workers; ++i)
        m_workers.emplace_back([this] { work(); });
}

FactStream::~FactStream()
{
    m_stop = true;
    // A change the workers' wait sees; nothing is read past this.
    m_added.fetch_add(1, std::memory_order_release);
    m_added.notify_all();
    for (std::thread &t : m_workers)
        t.join();
}

void FactStream::wake()
{
    m_woken = m_added.load(std::memory_order_relaxed);
    m_added.notify_all();
}

void FactStream::add(size_t run, const char *name)
{
    const size_t at = m_added.load(std::memory_order_relaxed);
    Slot &slot = m_ring[at % m_slots];
    slot.fact = Fact{run, name};
    slot.done.store(false, std::memory_order_relaxed);
    m_added.store(at + 1, std::memory_order_release);
    // The workers are woken for a good few names at a time, not for each.
    if (at + 1 - m_woken >= 128)
        wake();
}

bool FactStream::next(Fact &out, std::chrono::milliseconds wait)
{
    if (empty())
        return false;
    const Slot &slot = m_ring[m_taken % m_slots];
    const auto start = std::chrono::steady_clock::now();
    // The workers are seldom far behind, a stat call or a few: they are waited
    // for on this core, without a lock, and only a longer wait sleeps.
    for (int tries = 0; !slot.done.load(std::memory_order_acquire); ++tries) {
        if (tries == 0 && m_woken != m_added.load(std::memory_order_relaxed))
            wake();
        if (tries < 64) {
            std::this_thread::yield();
            continue;
        }
        if (std::chrono::steady_clock::now() - start >= wait)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    out = slot.fact;
    ++m_taken;
    return true;
}

void FactStream::work()
{
    nameThread("file facts");
    // A few names at a time, so that the workers meet on the counter seldom.
    constexpr size_t Batch = 16;
    FactFolder folder;
    WaitMeter meter; // of a batch at a time
    for (;;) {
        const size_t added = m_added.load(std::memory_order_acquire);
        if (m_stop.load(std::memory_order_relaxed))
            break;
        size_t first = m_claimed.load(std::memory_order_relaxed);
        if (first >= added) {
            m_added.wait(added, std::memory_order_acquire);
            continue;
        }
        const size_t n = std::min(added - first, Batch);
        if (!m_claimed.compare_exchange_weak(first, first + n, std::memory_order_relaxed))
            continue;
        meter.start();
        for (size_t at = first; at < first + n; ++at) {
            Slot &slot = m_ring[at % m_slots];
            Fact &f = slot.fact;
            f.found = folder.read(m_finds, f.run, f.name, f.size, f.mtime);
            f.done = true;
            slot.done.store(true, std::memory_order_release);
        }
        meter.stop();
        if (meter.slow(m_settings))
            m_slow.store(true, std::memory_order_relaxed);
    }
}
