#pragma once
#include "search/engine/found_file.h"
#include "search/engine/wait_meter.h"

#include <QHash>
#include <QString>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class FolderReadAhead;
class FactSource;

// What the walk needs from the window that runs it. The walk reads the two
// flags afresh at every check, so the user can change them between folders.
class WalkHost {
public:
    virtual ~WalkHost() = default;
    virtual bool includeSubfolders() = 0;
    virtual bool stopRequested() = 0;
    virtual void showStatus(const QString &text) = 0;
    virtual void showProgress(int minimum, int maximum, int value) = 0;
    virtual void letEventsRun() = 0;
    // Whether letEventsRun would let them run now: the status text is only
    // put together for a turn that shows it.
    virtual bool turnDue() { return true; }
};

// Walks the folder tree depth-first and records the names of the candidate
// files of a search in SearchState::Finds. Links to folders are not descended into.
// With a core to spare, or where folder reads keep the walk waiting, worker
// threads list the next folders ahead of it (read_ahead.h); the walk still
// takes them one by one in its own order, on its own thread.
class FolderWalk {
public:
    FolderWalk(SearchState &state, WalkHost &host);
    ~FolderWalk();

    // The walk: the candidates' names into SearchState::Finds, no file's
    // facts read (FoundReader reads those).
    void 搜索文件夹(const QString &folder);
    void 遍历文件夹(const QString &folder);

    // A folder's entries as the file system names them (UTF-8), in one
    // buffer: most names of a search are looked at, not kept.
    struct Entry {
        quint32 offset = 0;
        quint32 length = 0;
        bool isFile = false;
        bool isFolder = false;
    };
    struct Listing {
        std::string names; // each name followed by a NUL
        std::vector<Entry> entries;
        int fileCount = 0;
        bool subfoldersEnumerable = true;

        const char *raw(const Entry &e) const { return names.data() + e.offset; }
        QString name(const Entry &e) const;
        void add(const char *name, size_t length, bool isFile, bool isFolder);
    };
    static bool 能否枚举(const Listing &listing) { return listing.subfoldersEnumerable; }
    enum class Read { Missing, Unreadable, Done };
    // One folder's entries by the system calls alone; safe on any thread.
    static Read readFolder(const QString &folder, Listing &listing);

    // For tests; empty in the program. beforeVisit runs on the walk's thread
    // as the walk turns to a folder, before it is read or taken from the
    // read-ahead, so a test can act at a known point of a walk. read stands
    // in for readFolder on whichever thread reads the folder (it may call
    // readFolder and change what it says); beforeUse runs
    // on the walk's thread once a folder's listing is at hand, before the walk
    // uses it, and may call settle to let the read-ahead read all it may;
    // beforeFacts runs before a found file's facts are read, on the thread
    // that reads them.
    struct Seam {
        std::function<void(const QString &folder)> beforeVisit;
        std::function<Read(const QString &folder, Listing &listing)> read;
        std::function<void(const QString &folder, const std::function<void()> &settle)> beforeUse;
        std::function<void(const char *name)> beforeFacts;
    };
    static Seam &seam();
    // How the last walk's read-ahead went: folders found ready, folders
    // waited for, and times the walk asked for a folder out of line; and
    // whether its last reads waited for the disk.
    struct ReadAheadCounts {
        bool used = false;
        int ready = 0;
        int waited = 0;
        int restarts = 0;
        bool readsWaited = false;
    };
    ReadAheadCounts readAheadCounts() const { return m_counts; }

private:
    struct Frame {
        const QString *folder;
        std::shared_ptr<const Listing> listing;
        size_t at;
        int depth;
    };
    void visit(const QString &folder, int depth);
    Read obtain(const QString &folder, int depth, std::shared_ptr<const Listing> &listing, std::shared_ptr<std::atomic<bool>> &descent);
    void startReadAhead(bool waiting);
    void queueAboveForReadAhead();
    void finishReadAhead();
    void 收集文件夹文件(const QString &folder, const std::shared_ptr<const Listing> &listing);
    bool isCandidate(const Listing &listing, const Entry &e) const;
    void preparePattern();
    // The screen shows the latest status and bar value; writing them once per
    // event-loop turn shows the same as writing them for every file.
    void flushAndLetEventsRun();
    void flush();

    SearchState &m_state;
    WalkHost &m_host;
    // The pattern's extension when it is plain ASCII: names are then tested
    // as bytes, without decoding them.
    QByteArray m_asciiExtension;
    bool m_all = false;
    QString m_preparedFor;

    enum class Pending { None, Text, Folder, File };
    Pending m_statusKind = Pending::None;
    QString m_statusText;
    std::shared_ptr<const Listing> m_statusListing; // kept while its file may still be shown
    const Entry *m_statusEntry = nullptr;
    int m_progressMax = 100;
    int m_progressValue = 0;
    bool m_progressDirty = false;

    std::unique_ptr<FolderReadAhead> m_ahead;
    std::vector<Frame> m_frames; // the folders whose subfolders the walk is going through
    WaitMeter m_meter;           // of the folders read one by one
    ReadAheadCounts m_counts;
};

// The facts of found names, each read relative to its folder as the walk read
// it: a folder is looked up once for its names, not for every file. Each
// thread reads through one of its own.
class FactFolder {
public:
    FactFolder() = default;
    ~FactFolder();
    FactFolder(const FactFolder &) = delete;
    FactFolder &operator=(const FactFolder &) = delete;
    // The size and time of `name` in the walk's `run`; false where no regular
    // file is there (any more).
    bool read(const WalkFinds &finds, size_t run, const char *name, qint64 &size, qint64 &mtime);

private:
    size_t m_run = SIZE_MAX;
    int m_fd = -1;
};

// Reads the facts of the names a walk recorded that a filter lets through,
// in the walk's order, a part at a time. A file gone since the walk, or no
// longer a file, is passed over.
class FoundReader {
public:
    using Accept = std::function<bool(const char *name, size_t length)>;
    FoundReader(const WalkFinds &finds, Accept accept);
    ~FoundReader();
    FoundReader(const FoundReader &) = delete;
    FoundReader &operator=(const FoundReader &) = delete;

    // Appends found files to out until every name is looked at (returns
    // true), most files are appended, or enough() says so; enough is asked
    // every few names.
    bool read(std::vector<FoundFile> &out, const std::function<bool()> &enough = {}, size_t most = SIZE_MAX);

private:
    bool readInLine(std::vector<FoundFile> &out, const std::function<bool()> &enough, size_t most);
    void addFound(std::vector<FoundFile> &out, const QString &folder, const char *name, qint64 size, qint64 mtime);
    QString typeNameFor(const QString &extension);
    struct Kind {
        bool dotted = false; // "name." has an empty extension, "name" none
        QString raw, lower, type;
    };
    const Kind &kindFor(QStringView extension, bool dotted);

    const WalkFinds &m_finds;
    Accept m_accept;
    size_t m_run = 0;
    quint32 m_at = 0;    // within the run's block
    FactFolder m_folder; // the current run's folder, opened at its first accepted name
    // The reader's own, on the thread that calls read: workers only stat.
    std::vector<Kind> m_kinds; // by extension as named
    size_t m_lastKind = 0;
    std::unique_ptr<FactSource> m_ahead;        // where stat calls wait, or a core is spare
    WaitMeter m_meter;                          // of a few stat calls at a time
    std::chrono::microseconds m_typeLookups{0}; // type names looked up since the last measure
};
