#include "search/engine/folder_walk.h"
#include "shell/engine/file_system.h"
#include "support/temp_tree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QLocale>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// Records what the walk shows and lets a test act at each event-loop turn.
struct FakeHost : WalkHost {
    bool subfolders = false;
    bool stop = false;
    QStringList statuses;
    struct Bar { int min, max, value; };
    std::vector<Bar> bars;
    int turns = 0;
    std::function<void(FakeHost &)> onTurn;

    bool includeSubfolders() override { return subfolders; }
    bool stopRequested() override { return stop; }
    void showStatus(const QString &text) override { statuses << text; }
    void showProgress(int minimum, int maximum, int value) override { bars.push_back({minimum, maximum, value}); }
    void letEventsRun() override
    {
        ++turns;
        if (onTurn)
            onTurn(*this);
    }
};

QStringList names(const SearchState &s)
{
    QStringList out;
    for (const FoundFile &f : s.FoundFiles)
        out << f.FileName;
    out.sort();
    return out;
}

const FoundFile *byName(const SearchState &s, const QString &name)
{
    for (const FoundFile &f : s.FoundFiles)
        if (f.FileName == name)
            return &f;
    return nullptr;
}

SearchState stateFor(const QString &text2)
{
    SearchState s;
    s.SearchExtension = SearchExtensionOf(text2);
    s.SearchPattern = SearchPatternFor(s.SearchExtension);
    return s;
}

} // namespace

TEST(Walk, CollectsTheExtensionAndEveryBackupButNoOfficeLockFiles)
{
    TempTree t;
    t.file(QStringLiteral("a.txt"));
    t.file(QStringLiteral("B.Txt"));
    t.file(QStringLiteral("report.doc"));
    t.file(QStringLiteral("report"));
    t.file(QStringLiteral("x.txt[20240101120000替换备份]"));
    t.file(QStringLiteral("y.doc[20240101120000恢复备份]"));
    t.file(QStringLiteral("~$report.txt"));
    t.file(QStringLiteral("sub/deep.txt"));
    SearchState s = stateFor(QStringLiteral("report.TXT"));
    FakeHost host;
    FolderWalk(s, host).搜索文件夹(t.root());
    EXPECT_EQ(names(s), QStringList({QStringLiteral("B.Txt"), QStringLiteral("a.txt"),
                                     QStringLiteral("x.txt[20240101120000替换备份]"),
                                     QStringLiteral("y.doc[20240101120000恢复备份]")}));
    EXPECT_TRUE(s.SearchedFolders.isEmpty()) << "no subfolder is entered while they are not searched";
}

TEST(Walk, FillsEveryFieldOfAFoundFile)
{
    QLocale::setDefault(QLocale::c());
    TempTree t;
    const QString path = t.file(QStringLiteral("x.txt[20240101120000替换备份]"), QByteArray(1536, 'a'));
    const QDateTime when(QDate(2024, 1, 2), QTime(3, 4, 5), Qt::LocalTime);
    TempTree::touch(path, when);
    t.file(QStringLiteral(".profile"), QByteArray());
    t.file(QStringLiteral("big.bin"), QByteArray(10 * 1024 * 1024, 0));
    SearchState s = stateFor(QString());
    FakeHost host;
    FolderWalk(s, host).搜索文件夹(t.root());

    const FoundFile *b = byName(s, QStringLiteral("x.txt[20240101120000替换备份]"));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->FullPath(), path);
    EXPECT_EQ(b->BaseName(), QStringLiteral("x"));
    EXPECT_EQ(b->Extension, QStringLiteral("txt[20240101120000替换备份]"));
    EXPECT_EQ(b->SizeKB(), QStringLiteral("1.500"));
    EXPECT_EQ(b->Modified(), QStringLiteral("2024-01-02 03:04:05"));
    EXPECT_EQ(b->FolderPath, t.root());
    EXPECT_FALSE(b->TypeName.isEmpty());

    const FoundFile *p = byName(s, QStringLiteral(".profile"));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Extension, QStringLiteral("profile"));
    EXPECT_EQ(p->BaseName(), QString());
    EXPECT_EQ(p->SizeKB(), QStringLiteral("0.000"));
    EXPECT_EQ(byName(s, QStringLiteral("big.bin"))->SizeKB(), QStringLiteral("10,240.000"));
}

TEST(Walk, ExtensionIsLowerCaseAndTypeNamesAreSharedPerExtension)
{
    TempTree t;
    t.file(QStringLiteral("A.TXT"));
    t.file(QStringLiteral("b.txt"));
    t.file(QStringLiteral("c.png"));
    SearchState s = stateFor(QString());
    FakeHost host;
    FolderWalk(s, host).搜索文件夹(t.root());
    const FoundFile *a = byName(s, QStringLiteral("A.TXT"));
    const FoundFile *b = byName(s, QStringLiteral("b.txt"));
    const FoundFile *c = byName(s, QStringLiteral("c.png"));
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(a->Extension, QStringLiteral("txt"));
    EXPECT_EQ(a->TypeName, b->TypeName);
    EXPECT_NE(a->TypeName, c->TypeName);
}

TEST(Walk, OddNamesAreListedAsTheyAre)
{
    TempTree t;
    const QStringList odd = {QStringLiteral("with space.txt"), QStringLiteral("报告.txt"), QStringLiteral("😀 emoji.txt"),
                             QStringLiteral("trailing space.txt "), QStringLiteral(" leading.txt")};
    for (const QString &n : odd)
        t.file(n);
    SearchState s = stateFor(QString());
    FakeHost host;
    FolderWalk(s, host).搜索文件夹(t.root());
    QStringList expected = odd;
    expected.sort();
    EXPECT_EQ(names(s), expected);
    for (const FoundFile &f : s.FoundFiles)
        EXPECT_TRUE(QFile::exists(f.FullPath())) << f.FullPath().toStdString();
}

TEST(Walk, NamesThatAreNotUtf8KeepOneRowEachThatReachesTheirFile)
{
    // Two undecodable bytes, a real U+FFFD, an encoded surrogate and an
    // overlong "." (GBK names from an archive look like the first two).
    TempTree t;
    const QList<QByteArray> raw = {"bad\xff.txt", "bad\xc3.txt", "bad\xef\xbf\xbd.txt", "\xed\xa0\x80.txt", "\xc0\xae.txt"};
    for (const QByteArray &n : raw)
        t.file(DecodeFileName(n), n);
    SearchState s = stateFor(QString());
    FakeHost host;
    FolderWalk(s, host).搜索文件夹(t.root());
    ASSERT_EQ(s.FoundFiles.size(), size_t(raw.size()));
    QSet<QString> keys;
    for (const FoundFile &f : s.FoundFiles) {
        keys.insert(f.FullPath());
        const QByteArray bytes = EncodeFileName(f.FileName);
        EXPECT_TRUE(raw.contains(bytes)) << bytes.toHex().constData();
        EXPECT_EQ(TempTree::read(f.FullPath()), bytes);
    }
    EXPECT_EQ(keys.size(), raw.size());
    EXPECT_TRUE(keys.contains(t.path(QStringLiteral("bad\uFFFD.txt"))));
}

TEST(Walk, AStartFolderWithDotDotIsTheOneTheKernelReads)
{
    // jump -> far/inner, so "data/jump/.." is far, not data.
    TempTree t;
    t.file(QStringLiteral("data/report.txt"));
    t.file(QStringLiteral("far/report.txt"));
    t.folder(QStringLiteral("far/inner"));
    ASSERT_EQ(::symlink(QFile::encodeName(t.path(QStringLiteral("far/inner"))).constData(),
                        QFile::encodeName(t.path(QStringLiteral("data/jump"))).constData()), 0);
    SearchState s = stateFor(QString());
    FakeHost host;
    FolderWalk(s, host).搜索文件夹(t.path(QStringLiteral("data/jump/..")));
    ASSERT_EQ(s.FoundFiles.size(), 1u);
    EXPECT_EQ(s.FoundFiles[0].FolderPath, QFileInfo(t.path(QStringLiteral("far"))).canonicalFilePath());
    // Without "..", links stay as typed; "." and doubled separators go.
    s.FoundFiles.clear();
    FolderWalk(s, host).搜索文件夹(t.path(QStringLiteral("data//./jump/")));
    EXPECT_TRUE(s.FoundFiles.empty());
    t.file(QStringLiteral("far/inner/x.txt"));
    FolderWalk(s, host).搜索文件夹(t.path(QStringLiteral("data//./jump/")));
    ASSERT_EQ(s.FoundFiles.size(), 1u);
    EXPECT_EQ(s.FoundFiles[0].FolderPath, t.path(QStringLiteral("data/jump")));
}

TEST(Walk, DescendsDepthFirstOnlyWhenAskedAndCountsTheFolders)
{
    TempTree t;
    t.file(QStringLiteral("top.txt"));
    t.file(QStringLiteral("one/a.txt"));
    t.file(QStringLiteral("two/b.txt"));
    SearchState s = stateFor(QString());
    FakeHost host;
    FolderWalk(s, host).搜索文件夹(t.root());
    EXPECT_EQ(names(s), QStringList({QStringLiteral("top.txt")}));

    SearchState deep = stateFor(QString());
    host.subfolders = true;
    FolderWalk(deep, host).搜索文件夹(t.root());
    EXPECT_EQ(names(deep), QStringList({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("top.txt")}));
    EXPECT_EQ(deep.SearchedFolders.size(), 3);
    EXPECT_EQ(deep.SearchedFolders.first(), t.root());
    EXPECT_TRUE(host.statuses.contains(QStringLiteral("搜索目录：") + t.path(QStringLiteral("one"))));
}

TEST(Walk, DoesNotFollowLinksToFolders)
{
    TempTree t;
    t.file(QStringLiteral("d/f.txt"));
    // A loop back to the root, and a second way into d.
    ASSERT_EQ(::symlink(QFile::encodeName(t.root()).constData(), QFile::encodeName(t.path(QStringLiteral("d/loop"))).constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(t.path(QStringLiteral("d"))).constData(), QFile::encodeName(t.path(QStringLiteral("alias"))).constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(t.path(QStringLiteral("d/f.txt"))).constData(), QFile::encodeName(t.path(QStringLiteral("filelink.txt"))).constData()), 0);
    SearchState s = stateFor(QString());
    FakeHost host;
    host.subfolders = true;
    FolderWalk(s, host).搜索文件夹(t.root());
    EXPECT_EQ(names(s), QStringList({QStringLiteral("f.txt"), QStringLiteral("filelink.txt")}));
    EXPECT_EQ(s.SearchedFolders.size(), 2);
}

TEST(Walk, ReportsProgressPerFolderAndYieldsEveryFiftyFiles)
{
    TempTree t;
    t.folder(QStringLiteral("empty"));
    SearchState s = stateFor(QString());
    FakeHost host;
    FolderWalk(s, host).搜索文件夹(t.path(QStringLiteral("empty")));
    ASSERT_FALSE(host.bars.empty());
    EXPECT_EQ(host.bars.back().min, 0);
    EXPECT_EQ(host.bars.back().max, 1);
    EXPECT_EQ(host.bars.back().value, 1);
    EXPECT_TRUE(s.FoundFiles.empty());

    for (int i = 0; i < 120; ++i)
        t.file(QStringLiteral("many/f%1.txt").arg(i));
    FakeHost many;
    FolderWalk(s, many).搜索文件夹(t.path(QStringLiteral("many")));
    EXPECT_EQ(s.FoundFiles.size(), 120u);
    EXPECT_EQ(many.turns, 3); // after files 50 and 100, and at the folder's end
    EXPECT_EQ(many.bars.back().max, 121);
    EXPECT_EQ(many.bars.back().value, 120);
    EXPECT_TRUE(many.statuses.last().startsWith(QStringLiteral("搜索文件：") + t.path(QStringLiteral("many/"))));
}

TEST(Walk, StopsAfterTheCurrentFileAndEntersNoFurtherFolder)
{
    TempTree t;
    for (int i = 0; i < 200; ++i)
        t.file(QStringLiteral("big/f%1.txt").arg(i));
    t.file(QStringLiteral("big/later/x.txt"));
    t.file(QStringLiteral("other/y.txt"));
    SearchState s = stateFor(QString());
    FakeHost host;
    host.subfolders = true;
    host.onTurn = [](FakeHost &h) { if (h.turns == 1) h.stop = true; };
    FolderWalk(s, host).搜索文件夹(t.root());
    // The first turn ends the (file-less) start folder; no subfolder follows.
    EXPECT_TRUE(s.FoundFiles.empty());
    EXPECT_EQ(s.SearchedFolders.size(), 1);

    SearchState mid = stateFor(QString());
    FakeHost stopper;
    stopper.onTurn = [](FakeHost &h) { h.stop = true; };
    FolderWalk(mid, stopper).搜索文件夹(t.path(QStringLiteral("big")));
    EXPECT_EQ(mid.FoundFiles.size(), 50u) << "the stop noticed right after the 50th file";
}

TEST(Walk, FactsAreReadAfterTheWalkOnlyForAcceptedNamesAndAVanishedFileIsPassedOver)
{
    TempTree t;
    t.file(QStringLiteral("a/keep.txt"), QByteArray(3000, 'k'));
    t.file(QStringLiteral("a/gone.txt"));
    t.file(QStringLiteral("a/now-a-folder.txt"));
    t.file(QStringLiteral("b/keep.txt"));
    t.file(QStringLiteral("b/skip.txt"));
    SearchState s = stateFor(QString());
    FakeHost host;
    host.subfolders = true;
    FolderWalk(s, host).walk(t.root());
    EXPECT_EQ(s.Finds.size(), 5u);
    EXPECT_TRUE(s.FoundFiles.empty());
    // Between the walk and the reading of facts the tree changes.
    ASSERT_TRUE(QFile::remove(t.path(QStringLiteral("a/gone.txt"))));
    ASSERT_TRUE(QFile::remove(t.path(QStringLiteral("a/now-a-folder.txt"))));
    ASSERT_TRUE(QDir().mkdir(t.path(QStringLiteral("a/now-a-folder.txt"))));
    QStringList asked;
    FoundReader reader(s.Finds, [&](const char *name, size_t n) {
        asked << QString::fromUtf8(name, static_cast<qsizetype>(n));
        return !asked.last().startsWith(QLatin1String("skip"));
    });
    std::vector<FoundFile> out;
    EXPECT_TRUE(reader.read(out));
    EXPECT_EQ(asked.size(), 5);
    ASSERT_EQ(out.size(), 2u);
    std::sort(out.begin(), out.end(), [](const FoundFile &x, const FoundFile &y) { return x.FullPath() < y.FullPath(); });
    EXPECT_EQ(out[0].FullPath(), t.path(QStringLiteral("a/keep.txt")));
    EXPECT_EQ(out[0].Size, 3000);
    EXPECT_EQ(out[1].FullPath(), t.path(QStringLiteral("b/keep.txt")));
}

TEST(Walk, MissingStartFolderCollectsNothing)
{
    TempTree t;
    SearchState s = stateFor(QString());
    FakeHost host;
    host.subfolders = true;
    FolderWalk(s, host).搜索文件夹(t.path(QStringLiteral("gone")));
    EXPECT_TRUE(s.FoundFiles.empty());
    EXPECT_TRUE(s.SearchedFolders.isEmpty());
    EXPECT_EQ(host.statuses.value(0), t.path(QStringLiteral("gone")));
}

TEST(Walk, ReadsTheSubfolderSwitchAfreshForEveryFolder)
{
    TempTree t;
    t.file(QStringLiteral("a/x.txt"));
    t.file(QStringLiteral("a/b/y.txt"));
    SearchState s = stateFor(QString());
    FakeHost host;
    host.subfolders = true;
    // Unticked as soon as the walk turns to its first subfolder.
    host.onTurn = [](FakeHost &h) { if (!h.statuses.isEmpty() && h.statuses.last().startsWith(QStringLiteral("搜索目录："))) h.subfolders = false; };
    FolderWalk(s, host).搜索文件夹(t.root());
    EXPECT_EQ(names(s), QStringList({QStringLiteral("x.txt")}));
}
