#include "search/engine/folder_walk.h"
#include "shell/engine/file_system.h"
#include "support/temp_tree.h"
#include "support/walk_host.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <cstring>
#include <tuple>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// A walk over a temp tree as a search runs it, for the text of the name box.
class WalkTest : public ::testing::Test {
protected:
    void walk(const QString &folder, const QString &nameBox = QString())
    {
        s = SearchState();
        s.SearchExtension = SearchExtensionOf(nameBox);
        s.SearchPattern = SearchPatternFor(s.SearchExtension);
        FolderWalk walk(s, host);
        found = WalkWithFacts(walk, s, folder);
    }
    QStringList names() const
    {
        QStringList out;
        for (const FoundFile &f : found)
            out << f.FileName;
        out.sort();
        return out;
    }
    void link(const QString &target, const QString &at)
    {
        ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(t.path(at)).constData()), 0);
    }
    TempTree t;
    FakeHost host;
    SearchState s;
    std::vector<FoundFile> found;
};

} // namespace

TEST_F(WalkTest, CollectsTheExtensionInAnyCaseAndEveryBackupButNoOfficeLockFiles)
{
    for (const char *name : {"a.txt", "B.Txt", ".TXT", "report.doc", "report", "x.txt[20240101120000替换备份]", "~$report.txt",
                             "y.doc[20240101120000恢复备份]", "~notes.txt", "sub/deep.txt", "ab.ÄB", "lower.abcdefghijklmnopqrstuvwxyz",
                             "UPPER.ABCDEFGHIJKLMNOPQRSTUVWXYZ"})
        t.file(QString::fromUtf8(name));
    t.folder(QStringLiteral("folder.txt"));
    walk(t.root(), QStringLiteral("report.TXT"));
    EXPECT_EQ(names(),
              QStringList({".TXT", "B.Txt", "a.txt", "x.txt[20240101120000替换备份]", "y.doc[20240101120000恢复备份]", "~notes.txt"}));
    EXPECT_TRUE(s.SearchedFolders.isEmpty()) << "no subfolder is entered while they are not searched";
    // Every letter folds, whichever side is in capitals; beyond ASCII too.
    walk(t.root(), QStringLiteral("q.AbCdEfGhIjKlMnOpQrStUvWxYz"));
    EXPECT_EQ(names(), QStringList({"UPPER.ABCDEFGHIJKLMNOPQRSTUVWXYZ", "lower.abcdefghijklmnopqrstuvwxyz", "x.txt[20240101120000替换备份]",
                                    "y.doc[20240101120000恢复备份]"}));
    walk(t.root(), QStringLiteral("q.äb"));
    EXPECT_EQ(names(), QStringList({"ab.ÄB", "x.txt[20240101120000替换备份]", "y.doc[20240101120000恢复备份]"}));
}

TEST_F(WalkTest, NamesAreKeptByteForByteAndEachReachesItsOwnFile)
{
    // Blanks at either end, beyond the BMP, two leading dots, and names that are not
    // UTF-8: two undecodable bytes, a real U+FFFD, an encoded surrogate, an overlong ".".
    QList<QByteArray> raw = {"with space.txt",      "报告.txt",         "😀 emoji.txt", "trailing space.txt ",
                             " leading.txt",        "..two dots.txt",   "bad\xff.txt", "bad\xc3.txt",
                             "bad\xef\xbf\xbd.txt", "\xed\xa0\x80.txt", "\xc0\xae.txt"};
    for (const QByteArray &n : raw)
        t.file(DecodeFileName(n), n);
    walk(t.root());
    ASSERT_EQ(found.size(), size_t(raw.size()));
    for (const FoundFile &f : found) {
        EXPECT_TRUE(raw.removeOne(EncodeFileName(f.FileName))) << f.FileName.toStdString();
        EXPECT_EQ(TempTree::read(f.FullPath()), EncodeFileName(f.FileName));
    }
}

TEST_F(WalkTest, ResolvesDotDotDescendsOnlyWhenAskedReadingTheSwitchAfreshAndNeverThroughLinks)
{
    for (const char *name : {"top.txt", "one/a.txt", "one/two/b.txt", "one/two/three/c.txt"})
        t.file(QString::fromUtf8(name));
    // A loop back to the root, a second way into one/two, and a link to a file.
    link(t.root(), QStringLiteral("one/loop"));
    link(t.path(QStringLiteral("one/two")), QStringLiteral("jump"));
    link(t.path(QStringLiteral("one/a.txt")), QStringLiteral("filelink.txt"));
    walk(t.root());
    EXPECT_EQ(names(), QStringList({"filelink.txt", "top.txt"}));
    // Rows name the files the kernel read: "jump/.." is one, not the root.
    walk(t.path(QStringLiteral("jump/..")));
    ASSERT_EQ(names(), QStringList({"a.txt"}));
    EXPECT_EQ(found[0].FolderPath, QFileInfo(t.path(QStringLiteral("one"))).canonicalFilePath());
    // Without "..", links stay as typed; "." and doubled separators go.
    walk(t.root() + QStringLiteral("//./jump/"));
    ASSERT_EQ(names(), QStringList({"b.txt"}));
    EXPECT_EQ(found[0].FolderPath, t.path(QStringLiteral("jump")));
    host.subfolders = true;
    walk(t.root());
    EXPECT_EQ(names(), QStringList({"a.txt", "b.txt", "c.txt", "filelink.txt", "top.txt"}));
    EXPECT_EQ(s.SearchedFolders, QStringList({t.root(), t.path(QStringLiteral("one")), t.path(QStringLiteral("one/two")),
                                              t.path(QStringLiteral("one/two/three"))}));
    // Unticked as soon as the walk turns to a subfolder: that one is searched, none below it.
    host.onTurn = [](FakeHost &h) { h.subfolders = h.subfolders && !h.statuses.last().startsWith(QStringLiteral("搜索目录：")); };
    walk(t.path(QStringLiteral("one")));
    EXPECT_EQ(names(), QStringList({"a.txt", "b.txt"}));
    host.subfolders = true;
    walk(t.path(QStringLiteral("gone")));
    EXPECT_TRUE(found.empty());
    EXPECT_TRUE(s.SearchedFolders.isEmpty());
    EXPECT_EQ(host.statuses.last(), t.path(QStringLiteral("gone")));
}

// Where folders report no entry types (DT_UNKNOWN: some NFS and CIFS mounts,
// ISO images), the walk and the listing the restore reads look at each entry
// themselves: files and links to files are found, folders are entered by the
// walk alone, links to folders by neither.
TEST_F(WalkTest, FilesAndFoldersAreToldApartWhereTheFileSystemReportsNoEntryTypes)
{
    const QString root = FixtureMount("SAMENAME_UNTYPED");
    if (root.isEmpty())
        return;
    TempTree u(root);
    u.file(QStringLiteral("one/a.txt"));
    ASSERT_EQ(::symlink("one", QFile::encodeName(u.path(QStringLiteral("jump"))).constData()), 0);
    ASSERT_EQ(::symlink("one/a.txt", QFile::encodeName(u.path(QStringLiteral("link.txt"))).constData()), 0);
    host.subfolders = true;
    walk(u.root());
    EXPECT_EQ(names(), QStringList({"a.txt", "link.txt"}));
    EXPECT_EQ(s.SearchedFolders, QStringList({u.root(), u.path(QStringLiteral("one"))}));
    EXPECT_EQ(FileNamesIn(u.root()), QStringList({"link.txt"}));
    EXPECT_EQ(FileNamesIn(u.path(QStringLiteral("one"))), QStringList({"a.txt"}));
}

TEST_F(WalkTest, ReportsProgressYieldsEveryFiftyFilesAndStopsAfterTheCurrentFile)
{
    walk(t.folder(QStringLiteral("empty")));
    EXPECT_EQ(host.bars, decltype(host.bars)({{0, 1, 1}}));

    for (int i = 0; i < 120; ++i)
        t.file(QStringLiteral("many/f%1.txt").arg(i));
    t.file(QStringLiteral("many/later/x.txt"));
    host = FakeHost();
    walk(t.path(QStringLiteral("many")));
    EXPECT_EQ(found.size(), 120u);
    EXPECT_EQ(host.turns, 3); // after files 50 and 100, and at the folder's end
    EXPECT_EQ(host.bars.back(), std::make_tuple(0, 121, 120));
    EXPECT_TRUE(host.statuses.last().startsWith(QStringLiteral("搜索文件：") + t.path(QStringLiteral("many/"))));

    // A stop noticed at the turn after the 50th file: no further file.
    host = FakeHost();
    host.onTurn = [](FakeHost &h) { h.stop = true; };
    walk(t.path(QStringLiteral("many")));
    EXPECT_EQ(found.size(), 50u);
}

// Only the names the filter keeps have their facts read: some then, the rest
// in a later part, and of a file changed since the walk only what is there now.
TEST_F(WalkTest, FactsAreReadInPartsOnlyForAcceptedNamesAndAVanishedFileIsPassedOver)
{
    QLocale::setDefault(QLocale::c());
    const QString kept = t.file(QStringLiteral("a/x.TXT[20240101120000替换备份]"), QByteArray(1536, 'a'));
    TempTree::touch(kept, QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5), Qt::LocalTime));
    for (const char *name : {"a/.profile", "a/gone.txt", "a/now-a-folder.txt", "b/skip.txt"})
        t.file(QString::fromLatin1(name));
    // Over a mebibyte of names: the walk keeps them in more than one block.
    const QString stem(240, QLatin1Char('n'));
    for (int i = 0; i < 5000; ++i)
        t.file(QStringLiteral("b/%1%2").arg(stem).arg(i));
    host.subfolders = true;
    s.SearchPattern = SearchPatternFor(QString());
    FolderWalk(s, host).搜索文件夹(t.root());
    EXPECT_EQ(s.Finds.size(), 5005u);
    // Between the walk and the reading of facts the tree changes.
    ASSERT_TRUE(QFile::remove(t.path(QStringLiteral("a/gone.txt"))));
    ASSERT_TRUE(QFile::remove(t.path(QStringLiteral("a/now-a-folder.txt"))));
    ASSERT_TRUE(QDir().mkdir(t.path(QStringLiteral("a/now-a-folder.txt"))));
    int asked = 0;
    FoundReader reader(s.Finds, [&](const char *name, size_t) {
        ++asked;
        return std::strcmp(name, "skip.txt") != 0;
    });
    std::vector<FoundFile> out;
    int parts = 0;
    EXPECT_FALSE(reader.read(out, [&] { return ++parts == 1; }));
    EXPECT_LT(asked, 5005);
    EXPECT_TRUE(reader.read(out));
    EXPECT_EQ(asked, 5005);
    QHash<QString, FoundFile> byPath;
    for (const FoundFile &f : out)
        byPath.insert(f.FullPath(), f);
    EXPECT_EQ(out.size(), 5002u);
    EXPECT_EQ(byPath.size(), 5002) << "no name read twice";
    EXPECT_TRUE(byPath.contains(t.path(QStringLiteral("b/") + stem + QStringLiteral("4999"))));
    const FoundFile b = byPath.value(kept), p = byPath.value(t.path(QStringLiteral("a/.profile")));
    EXPECT_EQ(b.FolderPath, t.path(QStringLiteral("a")));
    EXPECT_EQ(b.BaseName(), QStringLiteral("x"));
    EXPECT_EQ(b.Extension, QStringLiteral("txt[20240101120000替换备份]"));
    EXPECT_EQ(b.SizeKB(), QStringLiteral("1.500"));
    EXPECT_EQ(b.Modified(), QStringLiteral("2024-01-02 03:04:05"));
    EXPECT_EQ(p.Extension, QStringLiteral("profile"));
    EXPECT_EQ(p.BaseName(), QString());
}
