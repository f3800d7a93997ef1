#include "shell/engine/file_system.h"
#include "support/temp_tree.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
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
