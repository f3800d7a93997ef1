#include <gio/gio.h> // first: its headers use names that Qt defines as macros

#include "shell/engine/file_system.h"
#include "support/temp_tree.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QUrl>
#include <cerrno>
#include <gtest/gtest.h>
#include <unistd.h>

TEST(FileExists, TakesTypedPathsAndFileUrlsInAnyCaseButNeverAFolder)
{
    TempTree t;
    const QString f = t.file(QStringLiteral("a b/报告 😀.txt"));
    for (const QString &typed :
         {f, QStringLiteral("  ") + f + QStringLiteral("  "), QStringLiteral("file://") + f, QStringLiteral("FILE://") + f,
          QStringLiteral("File://") + f, QUrl::fromLocalFile(f).toString(QUrl::FullyEncoded)})
        EXPECT_EQ(ExistingFilePath(typed), f) << typed.toStdString();
    // A "%" that is part of the name: the URL as dropped names that file.
    const QString percent = t.file(QStringLiteral("100%41.txt"));
    EXPECT_EQ(ExistingFilePath(QStringLiteral("file://") + percent), percent);
    EXPECT_EQ(ExistingFilePath(QUrl::fromLocalFile(percent).toString(QUrl::FullyEncoded)), percent);

    ASSERT_EQ(::symlink(QFile::encodeName(f).constData(), QFile::encodeName(t.path(QStringLiteral("link.txt"))).constData()), 0);
    ASSERT_EQ(::symlink("nowhere", QFile::encodeName(t.path(QStringLiteral("dangling.txt"))).constData()), 0);
    EXPECT_TRUE(FileExists(t.path(QStringLiteral("link.txt"))));
    for (const QString &no : {t.root(), QStringLiteral("file://") + t.root(), QString(), QStringLiteral("   "), QStringLiteral("file:///"),
                              t.path(QStringLiteral("missing.txt")), t.path(QStringLiteral("dangling.txt"))})
        EXPECT_FALSE(FileExists(no)) << no.toStdString();
    // A folder's file names, as backups are looked for: links to files count, folders and dangling links do not.
    QStringList names = FileNamesIn(t.root());
    names.sort();
    EXPECT_EQ(names, QStringList({QStringLiteral("100%41.txt"), QStringLiteral("link.txt")}));
}

TEST(FileNames, EveryByteStringSurvivesTheRoundTripAndDistinctNamesStayDistinct)
{
    const QList<QByteArray> names = {"plain.txt",           "\xe6\x8a\xa5\xe5\x91\x8a.txt",
                                     "\xf0\x9f\x92\x80",    "bad\xff.txt",
                                     "bad\xc3.txt",         "bad\xef\xbf\xbd.txt",
                                     "\xed\xa0\x80",        "\xc0\xae",
                                     "\xf4\x90\x80\x80",    "\xe6\x8a",
                                     "\xe0\x9f\xbf",        "\xf0\x9f\x98\x80\xff",
                                     "\xb1\xa8\xb8\xe6.doc" /* GBK */};
    // A round trip for every name also keeps two names from decoding alike.
    for (const QByteArray &n : names)
        EXPECT_EQ(EncodeFileName(DecodeFileName(n)), n) << n.toHex().constData();
    EXPECT_EQ(DecodeFileName(QByteArray("\xe6\x8a\xa5.txt")), QStringLiteral("报.txt"));
    EXPECT_EQ(ShownFileName(DecodeFileName(QByteArray("bad\xff.txt"))), QStringLiteral("bad\uFFFD.txt"));
    // U+1F480's low surrogate is U+DC80: as a pair it is no escaped byte.
    EXPECT_EQ(ShownFileName(QStringLiteral("💀报")), QStringLiteral("💀报"));
}

TEST(ExactPaths, FilesFoldersAndEntriesKeepTheirBlanksWhileTypedTextMayLoseThem)
{
    TempTree t;
    const QString spaced = t.file(QStringLiteral("notes.txt "));
    const QString ideographic = t.file(QStringLiteral("报告.txt\u3000"));
    const QString bad = t.file(DecodeFileName(QByteArray("bad\xff.txt")));
    for (const QString &exact : {spaced, ideographic, bad})
        EXPECT_TRUE(FileAt(exact) && PathFound(exact)) << exact.toStdString();
    for (const char *near : {"notes.txt", "报告.txt", "bad\uFFFD.txt"})
        EXPECT_FALSE(FileAt(t.path(QString::fromUtf8(near)))) << near;
    // Typed text: as typed first, trimmed only when that names nothing.
    const QString plain = t.file(QStringLiteral("notes.txt"));
    EXPECT_EQ(ExistingFilePath(spaced), spaced);
    EXPECT_EQ(ExistingFilePath(plain + QStringLiteral("  ")), plain);
    EXPECT_EQ(ExistingFilePath(QStringLiteral("file://") + t.root() + QStringLiteral("/bad%FF.txt")), bad);

    // Folders keep their blanks too; the floppy drive is never touched.
    for (const QString &yes : {t.folder(QStringLiteral("sub")), t.folder(QStringLiteral(" spaced ")), QStringLiteral("A:\\"),
                               QStringLiteral("a:\\"), DecodeFileName(QFile::encodeName(t.root()))})
        EXPECT_TRUE(FolderExists(yes)) << yes.toStdString();
    for (const QString &no : {t.path(QStringLiteral("sub ")), plain, QString(), QStringLiteral("  ")})
        EXPECT_FALSE(FolderExists(no)) << no.toStdString();
    ASSERT_EQ(::symlink("nowhere", QFile::encodeName(t.path(QStringLiteral("dangling"))).constData()), 0);
    EXPECT_TRUE(PathFound(t.path(QStringLiteral("dangling"))) && PathFound(t.root()));
    EXPECT_FALSE(PathFound(t.path(QStringLiteral("nothing"))) || PathFound(QString()));
}

static QString trashDir()
{
    return QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/Trash");
}

static QStringList trashList()
{
    QProcess p;
    p.start(QStringLiteral("trash-list"), {});
    EXPECT_TRUE(p.waitForFinished(10000)) << "trash-list (Debian trash-cli) is a test dependency";
    return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

TEST(DeleteToRecycleBin, MovesExactlyTheNamedFileToTheTrashWithRestorableInfo)
{
    TempTree t;
    for (const QString &name :
         {QStringLiteral("100%41.txt"), QStringLiteral("with space.doc"), QStringLiteral("报告[20240101120000替换备份]")}) {
        const QString f = t.file(name, "content of " + name.toUtf8());
        ASSERT_TRUE(DeleteToRecycleBin(f)) << name.toStdString();
        EXPECT_FALSE(QFile::exists(f));
        // As a trash client lists it (trash-cli reads the files file managers
        // read): the deletion time, then exactly the path it came from.
        const QStringList listed = trashList();
        EXPECT_TRUE(std::any_of(listed.begin(), listed.end(), [&](const QString &l) {
            return l.startsWith(QStringLiteral("20")) && l.endsWith(QLatin1Char(' ') + f);
        })) << listed.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(TempTree::read(trashDir() + QStringLiteral("/files/") + name), "content of " + name.toUtf8());
    }
    // Names one byte, a blank or a decoding apart from a trashed one stay.
    QStringList near;
    for (const char *n : {"bad\xc3.txt", "bad\xef\xbf\xbd.txt", "notes.txt"})
        near << t.file(DecodeFileName(QByteArray(n)), n);
    for (const char *n : {"bad\xff.txt", "notes.txt "}) {
        const QString f = t.file(DecodeFileName(QByteArray(n)));
        ASSERT_TRUE(DeleteToRecycleBin(f)) << n;
        EXPECT_FALSE(PathFound(f)) << n;
    }
    for (const QString &f : near)
        EXPECT_EQ(TempTree::read(f), EncodeFileName(f.mid(t.root().size() + 1)));
}

TEST(DeleteToRecycleBin, RefusesMissingFilesAndFoldersAndKeepsTheFileWhenNoTrashCanTakeIt)
{
    TempTree t;
    EXPECT_FALSE(DeleteToRecycleBin(t.path(QStringLiteral("missing.txt"))));
    EXPECT_FALSE(DeleteToRecycleBin(t.folder(QStringLiteral("folder"))));
    EXPECT_TRUE(QFileInfo(t.path(QStringLiteral("folder"))).isDir());

    const QString f = t.file(QStringLiteral("keep.txt"), "precious");
    // A plain file where the trash folder should be: the trash cannot be made,
    // and GIO says so in its own code.
    const QString trash = trashDir();
    const QString aside = trash + QStringLiteral(".aside");
    QDir().mkpath(trash);
    ASSERT_TRUE(QDir().rename(trash, aside));
    {
        QFile blocker(trash);
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    FileError why;
    const bool result = DeleteToRecycleBin(f, &why);
    QFile::remove(trash);
    QDir().rename(aside, trash);
    EXPECT_FALSE(result);
    EXPECT_EQ(why, FileError::ofGio(G_IO_ERROR_NOT_DIRECTORY)) << why.code;
    EXPECT_EQ(TempTree::read(f), "precious");
}

// GIO's own codes (its messages follow the locale) read as the errnos GIO
// makes them from; "no trash here" has words of its own.
TEST(CauseText, GioCodesSayWhatTheirErrnosSay)
{
    const std::pair<int, const char *> cases[] = {
        {G_IO_ERROR_PERMISSION_DENIED, "权限不足"},
        {G_IO_ERROR_READ_ONLY, "只读文件系统"},
        {G_IO_ERROR_NO_SPACE, "磁盘空间不足"},
        {G_IO_ERROR_EXISTS, "文件名已存在"},
        {G_IO_ERROR_NOT_EMPTY, "文件名已存在"},
        {G_IO_ERROR_NOT_FOUND, "文件或文件夹不存在"},
        {G_IO_ERROR_NOT_DIRECTORY, "文件或文件夹不存在"},
        {G_IO_ERROR_BUSY, "文件正在使用"},
        {G_IO_ERROR_FILENAME_TOO_LONG, "文件名过长"},
        {G_IO_ERROR_NOT_SUPPORTED, "此位置没有回收站"},
        {G_IO_ERROR_IS_DIRECTORY, "系统错误（错误号 21）"},
        {G_IO_ERROR_INVALID_ARGUMENT, "系统错误（错误号 22）"},
        {G_IO_ERROR_FAILED, "系统错误（错误号 1000）"},
    };
    for (const auto &[code, text] : cases)
        EXPECT_EQ(CauseText(FileError::ofGio(code)), QString::fromUtf8(text)) << code;
    EXPECT_EQ(CauseText(FileError::ofErrno(EOPNOTSUPP)), QStringLiteral("系统错误（错误号 95）")) << "no trash is GIO's word only";
}
