#include "shell/engine/file_system.h"
#include "support/temp_tree.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSet>
#include <QSettings>
#include <QUrl>
#include <gtest/gtest.h>
#include <unistd.h>

TEST(FileExists, AcceptsPlainPathsAndFileUrlsInAnyCase)
{
    TempTree t;
    const QString f = t.file(QStringLiteral("a b/报告 😀.txt"));
    EXPECT_TRUE(FileExists(f));
    EXPECT_TRUE(FileExists(QStringLiteral("  ") + f + QStringLiteral("  ")));
    EXPECT_TRUE(FileExists(QStringLiteral("file://") + f));
    EXPECT_TRUE(FileExists(QStringLiteral("FILE://") + f));
    EXPECT_TRUE(FileExists(QStringLiteral("File://") + f));
    // A percent-encoded URL, as a file manager hands it over.
    EXPECT_TRUE(FileExists(QUrl::fromLocalFile(f).toString(QUrl::FullyEncoded)));
}

TEST(FileNames, EveryByteStringSurvivesTheRoundTripAndDistinctNamesStayDistinct)
{
    const QList<QByteArray> names = {"plain.txt", "\xe6\x8a\xa5\xe5\x91\x8a.txt", "\xf0\x9f\x98\x80", "bad\xff.txt",
                                     "bad\xc3.txt", "bad\xef\xbf\xbd.txt", "\xed\xa0\x80", "\xc0\xae", "\xf4\x90\x80\x80",
                                     "\xe6\x8a", "\xf0\x9f\x98\x80\xff", "\xb1\xa8\xb8\xe6.doc" /* GBK */};
    QSet<QString> decoded;
    for (const QByteArray &n : names) {
        const QString d = DecodeFileName(n);
        EXPECT_EQ(EncodeFileName(d), n) << n.toHex().constData();
        decoded.insert(d);
    }
    EXPECT_EQ(decoded.size(), names.size());
    EXPECT_EQ(DecodeFileName(QByteArray("\xe6\x8a\xa5.txt")), QStringLiteral("报.txt"));
    EXPECT_EQ(ShownFileName(DecodeFileName(QByteArray("bad\xff.txt"))), QStringLiteral("bad\uFFFD.txt"));
    EXPECT_EQ(ShownFileName(QStringLiteral("😀报")), QStringLiteral("😀报"));
}

TEST(FileAt, TestsTheExactNameWhileTypedTextMayLoseItsBlanks)
{
    TempTree t;
    const QString spaced = t.file(QStringLiteral("notes.txt "));
    const QString ideographic = t.file(QStringLiteral("报告.txt\u3000"));
    const QString bad = t.file(DecodeFileName(QByteArray("bad\xff.txt")));
    EXPECT_TRUE(FileAt(spaced));
    EXPECT_TRUE(FileAt(ideographic));
    EXPECT_TRUE(FileAt(bad));
    EXPECT_TRUE(PathFound(bad));
    EXPECT_FALSE(FileAt(t.path(QStringLiteral("notes.txt"))));
    EXPECT_FALSE(FileAt(t.path(QStringLiteral("报告.txt"))));
    EXPECT_FALSE(FileAt(t.path(QStringLiteral("bad\uFFFD.txt"))));
    // Typed text: as typed first, trimmed only when that names nothing.
    EXPECT_EQ(ExistingFilePath(spaced), spaced);
    const QString plain = t.file(QStringLiteral("notes.txt"));
    EXPECT_EQ(ExistingFilePath(spaced), spaced);
    EXPECT_EQ(ExistingFilePath(plain + QStringLiteral("  ")), plain);
    EXPECT_EQ(ExistingFilePath(QStringLiteral("file://") + t.root() + QStringLiteral("/bad%FF.txt")), bad);
    EXPECT_TRUE(FolderExists(DecodeFileName(QFile::encodeName(t.root()))));
}

TEST(FileExists, IsFalseForFoldersBlanksAndMissingFiles)
{
    TempTree t;
    EXPECT_FALSE(FileExists(t.root()));
    EXPECT_FALSE(FileExists(QStringLiteral("file://") + t.root()));
    EXPECT_FALSE(FileExists(QString()));
    EXPECT_FALSE(FileExists(QStringLiteral("   ")));
    EXPECT_FALSE(FileExists(QStringLiteral("file:///")));
    EXPECT_FALSE(FileExists(t.path(QStringLiteral("missing.txt"))));
}

TEST(FileExists, FollowsLinksToFiles)
{
    TempTree t;
    const QString f = t.file(QStringLiteral("real.txt"));
    ASSERT_EQ(::symlink(QFile::encodeName(f).constData(), QFile::encodeName(t.path(QStringLiteral("link.txt"))).constData()), 0);
    ASSERT_EQ(::symlink("nowhere", QFile::encodeName(t.path(QStringLiteral("dangling.txt"))).constData()), 0);
    EXPECT_TRUE(FileExists(t.path(QStringLiteral("link.txt"))));
    EXPECT_FALSE(FileExists(t.path(QStringLiteral("dangling.txt"))));
}

TEST(FolderExists, KeepsBlanksAndNeverTouchesTheFloppy)
{
    TempTree t;
    t.folder(QStringLiteral("sub"));
    t.file(QStringLiteral("file.txt"));
    EXPECT_TRUE(FolderExists(t.path(QStringLiteral("sub"))));
    EXPECT_FALSE(FolderExists(t.path(QStringLiteral("sub "))));
    EXPECT_FALSE(FolderExists(t.path(QStringLiteral("file.txt"))));
    EXPECT_FALSE(FolderExists(QString()));
    EXPECT_FALSE(FolderExists(QStringLiteral("  ")));
    EXPECT_TRUE(FolderExists(QStringLiteral("A:\\")));
    EXPECT_TRUE(FolderExists(QStringLiteral("a:\\")));
    t.folder(QStringLiteral(" spaced "));
    EXPECT_TRUE(FolderExists(t.path(QStringLiteral(" spaced "))));
}

TEST(PathFound, FindsFilesFoldersAndEvenDanglingLinks)
{
    TempTree t;
    const QString f = t.file(QStringLiteral(".profile"));
    ASSERT_EQ(::symlink("nowhere", QFile::encodeName(t.path(QStringLiteral("dangling"))).constData()), 0);
    EXPECT_TRUE(PathFound(f));
    EXPECT_TRUE(PathFound(t.root()));
    EXPECT_TRUE(PathFound(t.path(QStringLiteral("dangling"))));
    EXPECT_FALSE(PathFound(t.path(QStringLiteral("nothing"))));
    EXPECT_FALSE(PathFound(QString()));
}

namespace {

QString trashDir() { return QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/Trash"); }

// The .trashinfo whose Path= names the given original path, read the way a
// file manager reads it: percent-decoded.
QString trashInfoFor(const QString &original, QString *deletionDate = nullptr)
{
    QDirIterator it(trashDir() + QStringLiteral("/info"), {QStringLiteral("*.trashinfo")}, QDir::Files);
    while (it.hasNext()) {
        const QString info = it.next();
        QSettings s(info, QSettings::IniFormat);
        QFile raw(info);
        raw.open(QIODevice::ReadOnly);
        const QByteArray text = raw.readAll();
        const qsizetype p = text.indexOf("Path=");
        if (p < 0)
            continue;
        const QByteArray encoded = text.mid(p + 5, text.indexOf('\n', p) - p - 5);
        if (QUrl::fromPercentEncoding(encoded) == original) {
            if (deletionDate) {
                const qsizetype d = text.indexOf("DeletionDate=");
                *deletionDate = QString::fromLatin1(text.mid(d + 13, text.indexOf('\n', d) - d - 13));
            }
            return info;
        }
    }
    return QString();
}

} // namespace

TEST(DeleteToRecycleBin, MovesFilesToTheTrashWithRestorableInfo)
{
    TempTree t;
    for (const QString &name : {QStringLiteral("100%41.txt"), QStringLiteral("with space.doc"),
                                QStringLiteral("报告[20240101120000替换备份]")}) {
        const QString f = t.file(name, "content of " + name.toUtf8());
        ASSERT_TRUE(DeleteToRecycleBin(f)) << name.toStdString();
        EXPECT_FALSE(QFile::exists(f));
        QString date;
        const QString info = trashInfoFor(f, &date);
        ASSERT_FALSE(info.isEmpty()) << "no .trashinfo restores to " << f.toStdString();
        EXPECT_TRUE(QDateTime::fromString(date, Qt::ISODate).isValid()) << date.toStdString();
        // The trashed copy sits under the info file's name, content intact.
        const QString stored = trashDir() + QStringLiteral("/files/") +
                               QFileInfo(info).completeBaseName();
        EXPECT_EQ(TempTree::read(stored), "content of " + name.toUtf8());
    }
}

TEST(DeleteToRecycleBin, TrashesExactlyTheNamedFile)
{
    TempTree t;
    const QString ff = t.file(DecodeFileName(QByteArray("bad\xff.txt")), "ff");
    const QString c3 = t.file(DecodeFileName(QByteArray("bad\xc3.txt")), "c3");
    const QString fffd = t.file(QStringLiteral("bad\uFFFD.txt"), "fffd");
    const QString spaced = t.file(QStringLiteral("notes.txt "), "spaced");
    const QString plain = t.file(QStringLiteral("notes.txt"), "plain");
    ASSERT_TRUE(DeleteToRecycleBin(ff));
    ASSERT_TRUE(DeleteToRecycleBin(spaced));
    EXPECT_FALSE(PathFound(ff));
    EXPECT_FALSE(PathFound(spaced));
    EXPECT_EQ(TempTree::read(c3), "c3");
    EXPECT_EQ(TempTree::read(fffd), "fffd");
    EXPECT_EQ(TempTree::read(plain), "plain");
}

TEST(DeleteToRecycleBin, RefusesMissingFilesAndFolders)
{
    TempTree t;
    EXPECT_FALSE(DeleteToRecycleBin(t.path(QStringLiteral("missing.txt"))));
    t.folder(QStringLiteral("folder"));
    EXPECT_FALSE(DeleteToRecycleBin(t.path(QStringLiteral("folder"))));
    EXPECT_TRUE(QFileInfo(t.path(QStringLiteral("folder"))).isDir());
}

TEST(DeleteToRecycleBin, LeavesTheFileWhenNoTrashCanTakeIt)
{
    TempTree t;
    const QString f = t.file(QStringLiteral("keep.txt"), "precious");
    // A plain file where the trash folder should be: the trash cannot be made.
    const QString trash = trashDir();
    const QString aside = trash + QStringLiteral(".aside");
    QDir().mkpath(trash);
    ASSERT_TRUE(QDir().rename(trash, aside));
    { QFile blocker(trash); ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); }
    const bool result = DeleteToRecycleBin(f);
    QFile::remove(trash);
    QDir().rename(aside, trash);
    EXPECT_FALSE(result);
    EXPECT_EQ(TempTree::read(f), "precious");
}
