#include "search/engine/folder_walk.h"

#include "search/engine/name_filter.h"
#include "search/engine/read_ahead.h"
#include "shell/engine/file_system.h"
#include "shell/engine/file_texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <cstdlib>
#include <cstring>
#include <mutex>

#ifdef Q_OS_WIN
#include <QDirIterator>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// A folder path as the list shows it: absolute, without a trailing separator.
// Rows must name the files the kernel read, so ".." is never taken out as
// text (through a link to a folder it leads elsewhere): a path with ".." is
// resolved by the file system; any other keeps its links and only loses "."
// and doubled separators.
QString folderPathOf(const QString &folder)
{
#ifdef Q_OS_WIN
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
#else
    // The walk's own subfolder paths are clean already: no work per folder.
    if (folder.startsWith(QLatin1Char('/')) && !folder.contains(QLatin1String("//")) && !folder.contains(QLatin1String("/."))
        && (folder.size() == 1 || !folder.endsWith(QLatin1Char('/'))))
        return folder;
    QString absolute = folder;
    if (!absolute.startsWith(QLatin1Char('/'))) {
        char *cwd = ::getcwd(nullptr, 0);
        absolute = (cwd ? DecodeFileName(cwd, static_cast<qsizetype>(std::strlen(cwd))) : QString()) + QLatin1Char('/') + folder;
        std::free(cwd);
    }
    const QStringList parts = absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.contains(QLatin1String(".."))) {
        if (char *real = ::realpath(EncodeFileName(absolute).constData(), nullptr)) {
            const QString resolved = DecodeFileName(real, static_cast<qsizetype>(std::strlen(real)));
            std::free(real);
            return resolved;
        }
    }
    QString out;
    for (const QString &part : parts)
        if (part != QLatin1String("."))
            out += QLatin1Char('/') + part;
    return out.isEmpty() ? QStringLiteral("/") : out;
#endif
}

bool endsWith(const char *s, size_t n, const QByteArray &tail)
{
    return n >= static_cast<size_t>(tail.size()) && std::memcmp(s + n - tail.size(), tail.constData(), tail.size()) == 0;
}

const char *lastDot(const char *s, size_t n)
{
    for (size_t i = n; i > 0; --i)
        if (s[i - 1] == '.')
            return s + i - 1;
    return nullptr;
}

bool equalsAsciiIgnoringCase(const char *s, size_t n, const QByteArray &lower)
{
    if (n != static_cast<size_t>(lower.size()))
        return false;
    for (size_t i = 0; i < n; ++i)
        if (LowerAscii(s[i]) != lower[static_cast<qsizetype>(i)])
            return false;
    return true;
}

// Type names by extension for the whole run: they come from the MIME
// database by name alone, and never change. Any thread that makes found
// files may ask, so the table is kept under its lock.
struct TypeNames {
    std::mutex lock;
    QHash<QString, QString> names;
};
TypeNames &typeNames()
{
    static TypeNames names;
    return names;
}

FolderWalk::Read readWithSeam(const QString &folder, FolderWalk::Listing &listing)
{
    const auto &read = FolderWalk::seam().read;
    return read ? read(folder, listing) : FolderWalk::readFolder(folder, listing);
}

} // namespace

QString FolderWalk::Listing::name(const Entry &e) const
{
    return DecodeFileName(raw(e), e.length);
}

void FolderWalk::Listing::add(const char *name, size_t length, bool file, bool folder)
{
    entries.push_back(Entry{static_cast<quint32>(names.size()), static_cast<quint32>(length), file, folder});
    names.append(name, length);
    names.push_back('\0');
    fileCount += file ? 1 : 0;
}

FolderWalk::FolderWalk(SearchState &state, WalkHost &host) : m_state(state), m_host(host) { }

FolderWalk::~FolderWalk() = default;

FolderWalk::Seam &FolderWalk::seam()
{
    static Seam seam;
    return seam;
}

void FolderWalk::搜索文件夹(const QString &folder)
{
    // Shown at once: the first folder may take a while to read.
    m_statusKind = Pending::Text;
    m_statusText = folder;
    flush();
    m_state.SearchedFolders.clear();
    m_state.Finds.clear();
    // Resolved once: every path below it is then exactly what is read.
    遍历文件夹(folderPathOf(folder));
    flush();
}

void FolderWalk::遍历文件夹(const QString &folder)
{
    m_meter = WaitMeter();
    m_counts = ReadAheadCounts();
    visit(folder, 0);
    m_counts.readsWaited = m_meter.slow(readAheadSettings());
    finishReadAhead();
    m_state.Finds.readsWaited = m_counts.readsWaited;
}

void FolderWalk::visit(const QString &folder, int depth)
{
    if (seam().beforeVisit)
        seam().beforeVisit(folder);
    std::shared_ptr<const Listing> listing;
    FolderReadAhead::Descent descent;
    const Read read = obtain(folder, depth, listing, descent);
    if (read == Read::Missing)
        return;
    if (read == Read::Done)
        收集文件夹文件(folder, listing);
    if (!m_host.includeSubfolders()) {
        if (m_ahead)
            m_ahead->skipBelow(depth);
        return;
    }
    if (m_ahead)
        m_ahead->descend({read, listing, descent});
    m_state.SearchedFolders.append(folder);
    if (read != Read::Done || !能否枚举(*listing))
        return;
    m_frames.push_back(Frame{&folder, listing, 0, depth});
    for (size_t i = 0; i < listing->entries.size(); ++i) {
        const Entry &e = listing->entries[i];
        if (!e.isFolder)
            continue;
        m_frames.back().at = i;
        const QString sub = JoinPath(folder, listing->name(e));
        m_statusKind = Pending::Folder;
        m_statusText = sub;
        flushAndLetEventsRun();
        if (m_host.stopRequested())
            break;
        visit(sub, depth + 1);
    }
    m_frames.pop_back();
}

FolderWalk::Read FolderWalk::obtain(const QString &folder, int depth, std::shared_ptr<const Listing> &listing,
                                    FolderReadAhead::Descent &descent)
{
    const ReadAheadSettings &settings = readAheadSettings();
    if (!m_ahead && settings.aheadFromStart()) {
        startReadAhead(false);
        m_ahead->queueFolder(folder, depth);
        queueAboveForReadAhead();
    }
    // With no core to spare, back to reading one by one where the read-ahead
    // found the cache warm: the workers would only take turns with the walk.
    if (m_ahead && !settings.aheadFromStart() && settings.when == ReadAheadSettings::When::Auto && m_ahead->cached()) {
        finishReadAhead();
        m_meter = WaitMeter();
    }
    Read read;
    if (m_ahead) {
        FolderReadAhead::Taken taken = m_ahead->take(folder, depth, [this] { flushAndLetEventsRun(); });
        read = taken.read;
        listing = std::move(taken.listing);
        descent = std::move(taken.descent);
    } else {
        auto own = std::make_shared<Listing>();
        m_meter.start();
        read = readWithSeam(folder, *own);
        m_meter.stop();
        listing = own;
        descent = std::make_shared<std::atomic<bool>>(false);
        // A folder read that waited for the disk is seldom the last: from here
        // on the next folders are read ahead, in the order the walk goes.
        if (settings.when == ReadAheadSettings::When::Auto && m_meter.slow(settings)) {
            startReadAhead(true);
            if (read == Read::Done && 能否枚举(*listing))
                m_ahead->queueSubfolders(folder, listing, 0, depth + 1, descent);
            queueAboveForReadAhead();
        }
    }
    if (seam().beforeUse)
        seam().beforeUse(folder, [this] {
            if (m_ahead)
                m_ahead->settle();
        });
    return read;
}

void FolderWalk::startReadAhead(bool waiting)
{
    // Nothing below a folder is read ahead while subfolders are not searched.
    m_ahead = std::make_unique<FolderReadAhead>(readWithSeam, readAheadSettings(), m_host.includeSubfolders(), waiting);
    m_counts.used = true;
}

void FolderWalk::queueAboveForReadAhead()
{
    // What the walk has yet to reach above the folder it is in, innermost
    // first: the subfolders after the one it went into, at every level.
    for (auto f = m_frames.rbegin(); f != m_frames.rend(); ++f)
        m_ahead->queueSubfolders(*f->folder, f->listing, f->at + 1, f->depth + 1, std::make_shared<std::atomic<bool>>(true));
}

void FolderWalk::finishReadAhead()
{
    if (!m_ahead)
        return;
    m_ahead->finish([this] { flushAndLetEventsRun(); });
    const FolderReadAhead::Stats stats = m_ahead->stats();
    m_counts.ready += stats.readAhead;
    m_counts.waited += stats.waited;
    m_counts.restarts += stats.restarts;
    m_counts.readsWaited = m_ahead->waiting();
    m_ahead.reset();
}

bool FolderWalk::isCandidate(const Listing &listing, const Entry &e) const
{
    static const QByteArray replaced = ReplaceTag.toUtf8();
    static const QByteArray restored = RestoreTag.toUtf8();
    const char *raw = listing.raw(e);
    const size_t n = e.length;
    if (m_all || endsWith(raw, n, replaced) || endsWith(raw, n, restored))
        return true;
    const char *dot = lastDot(raw, n);
    if (!dot)
        return false;
    const char *ext = dot + 1;
    const size_t extLength = n - static_cast<size_t>(ext - raw);
    if (!m_asciiExtension.isEmpty() && IsAscii(ext, extLength))
        return equalsAsciiIgnoringCase(ext, extLength, m_asciiExtension);
    // Anything else goes the exact way, on the decoded name.
    const QString name = listing.name(e);
    const qsizetype d = name.lastIndexOf(QLatin1Char('.'));
    return PatternAcceptsExtension(m_state.SearchPattern, QStringView(name).mid(d + 1));
}

void FolderWalk::preparePattern()
{
    // Once per search, not per folder: the pattern is fixed when it starts.
    if (m_preparedFor == m_state.SearchPattern && !m_preparedFor.isNull())
        return;
    m_preparedFor = m_state.SearchPattern;
    m_all = m_preparedFor == QLatin1String("*.*");
    m_asciiExtension.clear();
    const QString ext = m_preparedFor.mid(2);
    const QByteArray latin = ext.toLatin1();
    if (!m_all && m_preparedFor.startsWith(QLatin1String("*.")) && !ext.isEmpty() && !ext.contains(QLatin1Char(';'))
        && !ext.contains(QLatin1Char('*')) && latin == ext.toUtf8() && IsAscii(latin.constData(), static_cast<size_t>(latin.size())))
        m_asciiExtension = latin.toLower();
}

void FolderWalk::收集文件夹文件(const QString &folder, const std::shared_ptr<const Listing> &shared)
{
    const Listing &listing = *shared;
    const QString folderPath = folderPathOf(folder);
    preparePattern();
    m_state.Finds.beginFolder(folderPath);

    m_progressMax = listing.fileCount + 1;
    m_progressValue = 1;
    m_progressDirty = true;

    // The status names the folder's latest file: the text is joined only
    // when it is shown.
    m_statusText = folderPath;
    m_statusListing = shared;
    int n = 0;
    for (const Entry &e : listing.entries) {
        if (!e.isFile)
            continue;
        ++n;
        if (n % 50 == 0)
            flushAndLetEventsRun();
        m_progressValue = n;
        m_progressDirty = true;
        m_statusKind = Pending::File;
        m_statusEntry = &e;

        const char *raw = listing.raw(e);
        // Office's lock files "~$name" are never same-name files.
        const char *dot = lastDot(raw, e.length);
        const bool lockFile = e.length >= 2 && raw[0] == '~' && raw[1] == '$' && (!dot || dot - raw >= 2);
        // Only the name now: the facts of the few the name filter keeps are
        // read when the walk is over.
        if (!lockFile && isCandidate(listing, e))
            m_state.Finds.add(raw, e.length);
        if (m_host.stopRequested())
            break;
    }
    flushAndLetEventsRun();
}

FoundReader::FoundReader(const WalkFinds &finds, Accept accept) : m_finds(finds), m_accept(std::move(accept)) { }

FoundReader::~FoundReader() = default;

FactFolder::~FactFolder()
{
#ifndef Q_OS_WIN
    if (m_fd >= 0)
        ::close(m_fd);
#endif
}

bool FactFolder::read(const WalkFinds &finds, size_t run, const char *name, qint64 &size, qint64 &mtime)
{
    const QString &folder = finds.runs()[run].folder;
    if (FolderWalk::seam().beforeFacts)
        FolderWalk::seam().beforeFacts(name);
#ifdef Q_OS_WIN
    Q_UNUSED(run);
    const QFileInfo fi(JoinPath(folder, DecodeFileName(name, static_cast<qsizetype>(std::strlen(name)))));
    size = fi.size();
    mtime = fi.lastModified().toSecsSinceEpoch();
    return fi.isFile();
#else
    if (run != m_run) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = ::open(EncodeFileName(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        m_run = run;
    }
    struct stat st;
    if (m_fd < 0 || ::fstatat(m_fd, name, &st, 0) != 0 || !S_ISREG(st.st_mode))
        return false;
    size = st.st_size;
    mtime = st.st_mtim.tv_sec;
    return true;
#endif
}

bool FoundReader::read(std::vector<FoundFile> &out, const std::function<bool()> &enough, size_t most)
{
    const ReadAheadSettings &settings = readAheadSettings();
    // Where the walk's reads waited, the facts wait for the same disk: many
    // workers read them. Else with a core to spare one worker stats them in
    // step with the rows.
    const bool ahead =
        settings.when == ReadAheadSettings::When::Always || (settings.when == ReadAheadSettings::When::Auto && m_finds.readsWaited);
    if (!m_ahead && ahead)
        m_ahead = std::make_unique<FactReadAhead>(m_finds, settings);
    else if (!m_ahead && settings.aheadFromStart())
        m_ahead = std::make_unique<FactStream>(m_finds, settings);
    if (m_ahead)
        return readInLine(out, enough, most);
    const std::vector<WalkFinds::Run> &runs = m_finds.runs();
    const size_t before = out.size();
    int sinceAsked = 0;
    m_meter.start();
    int measured = 0;
    while (m_run < runs.size()) {
        const WalkFinds::Run &run = runs[m_run];
        const char *block = m_finds.bytes(run);
        m_at = std::max(m_at, run.begin);
        while (m_at < run.end) {
            if (out.size() - before >= most)
                return false;
            if (enough && ++sinceAsked >= 64) {
                sinceAsked = 0;
                if (enough())
                    return false;
            }
            if (measured == 32) {
                // A few stat calls at a time are measured: the clock would
                // cost more than a cached call. Where they waited for the
                // disk, the rest are read ahead by worker threads.
                m_meter.stop(m_typeLookups, true);
                m_typeLookups = std::chrono::microseconds(0);
                measured = 0;
                if (settings.when == ReadAheadSettings::When::Auto && m_meter.slow(settings)) {
                    m_ahead = std::make_unique<FactReadAhead>(m_finds, settings);
                    return readInLine(out, enough, most - (out.size() - before));
                }
            }
            const char *name = block + m_at;
            const size_t length = std::strlen(name);
            m_at += static_cast<quint32>(length + 1);
            if (m_accept && !m_accept(name, length))
                continue;
            qint64 size = 0, mtime = 0;
            ++measured;
            const bool facts = m_folder.read(m_finds, m_run, name, size, mtime);
            // A file gone since the folder was read is passed over.
            if (facts)
                addFound(out, run.folder, name, size, mtime);
        }
        ++m_run;
        m_at = 0;
    }
    return true;
}

bool FoundReader::readInLine(std::vector<FoundFile> &out, const std::function<bool()> &enough, size_t most)
{
    const std::vector<WalkFinds::Run> &runs = m_finds.runs();
    const size_t before = out.size();
    int sinceAsked = 0;
    for (;;) {
        if (out.size() - before >= most)
            return false;
        // The accepted names go in line first, up to the bound; the filter
        // runs here, on the reader's thread.
        while (m_run < runs.size() && !m_ahead->full() && !m_ahead->slow()) {
            const WalkFinds::Run &run = runs[m_run];
            m_at = std::max(m_at, run.begin);
            if (m_at >= run.end) {
                ++m_run;
                m_at = 0;
                continue;
            }
            if (enough && ++sinceAsked >= 64) {
                sinceAsked = 0;
                if (enough())
                    return false;
            }
            const char *name = m_finds.bytes(run) + m_at;
            const size_t length = std::strlen(name);
            m_at += static_cast<quint32>(length + 1);
            if (!m_accept || m_accept(name, length))
                m_ahead->add(m_run, name);
        }
        if (m_ahead->empty()) {
            if (m_run >= runs.size())
                return true;
            // The stream's calls wait: the rest go to more workers.
            m_ahead = std::make_unique<FactReadAhead>(m_finds, readAheadSettings());
            continue;
        }
        FactSource::Fact fact;
        if (!m_ahead->next(fact, std::chrono::milliseconds(10))) {
            if (enough && enough())
                return false;
            continue;
        }
        // A file gone since the folder was read is passed over.
        if (fact.found)
            addFound(out, runs[fact.run].folder, fact.name, fact.size, fact.mtime);
        if (enough && ++sinceAsked >= 64) {
            sinceAsked = 0;
            if (enough())
                return false;
        }
    }
}

void FoundReader::addFound(std::vector<FoundFile> &out, const QString &folder, const char *name, qint64 size, qint64 mtime)
{
    FoundFile f;
    f.FileName = DecodeFileName(name, static_cast<qsizetype>(std::strlen(name)));
    const qsizetype d = f.FileName.lastIndexOf(QLatin1Char('.'));
    const Kind &kind = kindFor(d < 0 ? QStringView() : QStringView(f.FileName).mid(d + 1), d >= 0);
    f.Extension = kind.lower;
    f.TypeName = kind.type;
    f.Size = size;
    f.FolderPath = folder;
    f.MTime = mtime;
    out.push_back(std::move(f));
}

const FoundReader::Kind &FoundReader::kindFor(QStringView extension, bool dotted)
{
    // One shared lower-case text and type name per extension; the files of
    // a folder mostly share a few, and the one before is asked first.
    if (m_lastKind < m_kinds.size() && m_kinds[m_lastKind].dotted == dotted && m_kinds[m_lastKind].raw == extension)
        return m_kinds[m_lastKind];
    for (size_t i = 0; i < m_kinds.size(); ++i)
        if (m_kinds[i].dotted == dotted && m_kinds[i].raw == extension)
            return m_kinds[m_lastKind = i];
    if (m_kinds.size() >= 64)
        m_kinds.erase(m_kinds.begin());
    Kind k;
    k.dotted = dotted;
    k.raw = extension.toString();
    k.lower = dotted ? k.raw.toLower() : QString();
    k.type = typeNameFor(k.lower);
    m_kinds.push_back(std::move(k));
    return m_kinds[m_lastKind = m_kinds.size() - 1];
}

QString FoundReader::typeNameFor(const QString &extension)
{
    TypeNames &types = typeNames();
    std::lock_guard lock(types.lock);
    auto it = types.names.constFind(extension);
    if (it != types.names.constEnd())
        return *it;
    // By name only: no file is opened to guess its type. The first look loads
    // the database, which is not the wait on stat calls that is measured.
    const auto start = std::chrono::steady_clock::now();
    static const QMimeDatabase db;
    const QString comment = db.mimeTypeForFile(QStringLiteral("a.") + extension, QMimeDatabase::MatchExtension).comment();
    m_typeLookups += std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    return *types.names.insert(extension, comment);
}

void FolderWalk::flush()
{
    switch (m_statusKind) {
    case Pending::None: break;
    case Pending::Text: m_host.showStatus(m_statusText); break;
    case Pending::Folder: m_host.showStatus(QStringLiteral("搜索目录：") + ShownFileName(m_statusText)); break;
    case Pending::File:
        if (m_statusListing && m_statusEntry)
            m_host.showStatus(QStringLiteral("搜索文件：") + ShownFileName(JoinPath(m_statusText, m_statusListing->name(*m_statusEntry))));
        break;
    }
    m_statusKind = Pending::None;
    if (m_progressDirty) {
        m_host.showProgress(0, m_progressMax, m_progressValue);
        m_progressDirty = false;
    }
}

void FolderWalk::flushAndLetEventsRun()
{
    if (!m_host.turnDue())
        return;
    flush();
    m_host.letEventsRun();
}

#ifdef Q_OS_WIN

FolderWalk::Read FolderWalk::readFolder(const QString &folder, Listing &listing)
{
    if (!FolderExists(folder))
        return Read::Missing;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo fi = it.fileInfo();
        const QByteArray name = fi.fileName().toUtf8();
        listing.add(name.constData(), static_cast<size_t>(name.size()), fi.isFile(), fi.isDir());
    }
    return Read::Done;
}

#else

namespace {

// A folder's entries in the order the file system lists them. On Linux they
// come by getdents64 into one buffer per thread: no directory stream to
// allocate, nor the two calls that set one up, for each folder.
class Entries {
public:
    explicit Entries(int fd) : m_fd(fd)
    {
#ifndef Q_OS_LINUX
        m_dir = ::fdopendir(fd);
#endif
    }
    ~Entries()
    {
#ifdef Q_OS_LINUX
        ::close(m_fd);
#else
        if (m_dir)
            ::closedir(m_dir);
        else
            ::close(m_fd);
#endif
    }
    bool opened() const
    {
#ifdef Q_OS_LINUX
        return true;
#else
        return m_dir != nullptr;
#endif
    }
    // The next entry's name and type; false at the end or on an error.
    bool next(const char *&name, unsigned char &type)
    {
#ifdef Q_OS_LINUX
        if (m_at >= m_end) {
            const ssize_t n = ::getdents64(m_fd, buffer(), BufferBytes);
            if (n <= 0) {
                m_failed = n < 0;
                return false;
            }
            m_at = 0;
            m_end = static_cast<size_t>(n);
        }
        const auto *d = reinterpret_cast<const dirent64 *>(buffer() + m_at);
        m_at += d->d_reclen;
        name = d->d_name;
        type = d->d_type;
        return true;
#else
        errno = 0;
        const dirent *d = ::readdir(m_dir);
        if (!d) {
            m_failed = errno != 0;
            return false;
        }
        name = d->d_name;
        type = d->d_type;
        return true;
#endif
    }
    bool failed() const
    {
        return m_failed;
    }

private:
#ifdef Q_OS_LINUX
    static constexpr size_t BufferBytes = 64 * 1024;
    static char *buffer()
    {
        thread_local std::unique_ptr<char[]> b(new char[BufferBytes]);
        return b.get();
    }
    size_t m_at = 0, m_end = 0;
#else
    DIR *m_dir = nullptr;
#endif
    int m_fd;
    bool m_failed = false;
};

} // namespace

FolderWalk::Read FolderWalk::readFolder(const QString &folder, Listing &listing)
{
    const int fd = ::open(EncodeFileName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // Opening answers whether the folder is there; only a failure asks again,
    // to tell a missing folder from one that cannot be read.
    if (fd < 0)
        return FolderExists(folder) ? Read::Unreadable : Read::Missing;
    Entries entries(fd);
    if (!entries.opened())
        return Read::Unreadable;
    // Room for a typical folder at once, rather than growing a few times.
    listing.names.reserve(512);
    listing.entries.reserve(16);
    bool staged = false;
    const char *n = nullptr;
    unsigned char type = DT_UNKNOWN;
    while (entries.next(n, type)) {
        if (n[0] == '.') {
            if (n[1] == 0 || (n[1] == '.' && n[2] == 0))
                continue;
            // What a killed replacement may have left: the replacement
            // reads again only the folders where such names were seen.
            staged = staged || std::strncmp(n, StagedNamePrefix, sizeof StagedNamePrefix - 1) == 0;
        }
        if (type == DT_UNKNOWN) {
            struct stat st;
            if (::fstatat(fd, n, &st, AT_SYMLINK_NOFOLLOW) == 0)
                type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        bool file = type == DT_REG, folderEntry = type == DT_DIR;
        if (type == DT_LNK) {
            // A link to a file is listed like the file; a link to a folder is
            // not followed, so a loop cannot trap the walk.
            struct stat st;
            file = ::fstatat(fd, n, &st, 0) == 0 && S_ISREG(st.st_mode);
        }
        if (file || folderEntry)
            listing.add(n, std::strlen(n), file, folderEntry);
    }
    if (entries.failed())
        listing.subfoldersEnumerable = false;
    if (staged)
        NoteStagedNamesIn(folder);
    return Read::Done;
}

#endif
