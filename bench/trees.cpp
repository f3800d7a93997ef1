#include "trees.h"

namespace bench {

namespace {

const char *const Extensions[] = {"txt", "doc", "docx", "xls", "pdf", "jpg", "png", "mp3", "zip", "cpp"};
const char *const Stamps[] = {"20240101120000", "20240315093012", "20240601180545"};

} // namespace

TreeRecipe walkTree(int files, int folders)
{
    TreeRecipe r;
    r.name = QStringLiteral("walk");
    r.files = files;
    r.folders = folders;
    r.version = QStringLiteral("walk names 2");
    r.fileName = [folders](int i) {
        // By the file's place in its folder, so every folder holds all ten.
        const int place = i / folders;
        const char *ext = Extensions[place % 10];
        // A quarter of the names in Chinese, as users name their files.
        const QString base = ((place + i) % 4 == 1 ? QStringLiteral("文档%1") : QStringLiteral("file%1")).arg(i, 6, 10, QLatin1Char('0'));
        QString name = base + QLatin1Char('.') + QLatin1String(ext);
        // About 3 % backups, a few replacement runs' worth of stamps.
        if (i % 29 == 3)
            name += QLatin1Char('[') + QLatin1String(Stamps[(i / 58) % 3])
                    + ((i / 29) % 2 ? QStringLiteral("恢复备份]") : QStringLiteral("替换备份]"));
        return name;
    };
    r.content = [](int i) { return QByteArray::number(i) + '\n'; };
    return r;
}

} // namespace bench

namespace bench {

TreeRecipe scenarioTree(const QString &name, int files, int folders)
{
    TreeRecipe r = walkTree(files, folders);
    r.name = name;
    r.version = QStringLiteral("scenario names 1");
    const auto base = r.fileName;
    r.fileName = [base, folders](int i) {
        const int place = i / folders;
        if ((i % folders) % 100 == 7 && place < 4) {
            static const char *const Named[] = {"report.txt", "Makefile", "README.md", "old-readme.txt"};
            return QString::fromLatin1(Named[place]);
        }
        if (place % 10 == 9)
            return QString::asprintf("NOTES%07d", i);
        return base(i);
    };
    // Mostly empty: a million files then cost inodes, not blocks.
    r.content = [](int i) { return i % 13 ? QByteArray() : QByteArray::number(i) + '\n'; };
    return r;
}

} // namespace bench

namespace bench {

TreeRecipe sshfsTree(const QString &name)
{
    constexpr int Folders = 2000;
    TreeRecipe r = walkTree(20000, Folders);
    r.name = name;
    r.version = QStringLiteral("sshfs names 1");
    r.folderName = [](int i) { return QString::asprintf("d%03d/s%02d", i / 20, i % 20); };
    const auto base = r.fileName;
    r.fileName = [base](int i) {
        const int folder = i % Folders, place = i / Folders;
        if (place == 0 && folder % 10 == 3)
            return QStringLiteral("report.txt");
        if (place == 1 && folder % 20 == 5)
            return QStringLiteral("Makefile");
        if (place == 2 && folder % 40 == 7) {
            static const char *const Readmes[] = {"README.md", "readme.txt", "ReadMe", "old-Readme.txt", "READme-2.md"};
            return QString::fromLatin1(Readmes[(folder / 40) % 5]);
        }
        return base(i);
    };
    r.content = [](int i) { return i % 13 ? QByteArray() : QByteArray::number(i) + '\n'; };
    return r;
}

} // namespace bench
