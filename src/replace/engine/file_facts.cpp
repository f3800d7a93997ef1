#include "replace/engine/file_facts.h"

#include "shell/engine/file_system.h"
#include "shell/engine/file_texts.h"

#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <cerrno>
#include <sys/stat.h>
#endif

FileFacts ReadFileFacts(const QString &path)
{
    FileFacts f;
    if (path.isEmpty())
        return f;
#ifdef Q_OS_WIN
    const QFileInfo fi(path);
    if (!fi.isFile())
        return f;
    f.state = FileFacts::State::Ok;
    f.name = fi.fileName();
    f.size = fi.size();
    f.mtime = fi.lastModified().toSecsSinceEpoch();
    f.sizeText = SizeText(f.size);
    f.timeText = TimeText(fi.lastModified());
#else
    struct stat st;
    if (::stat(EncodeFileName(path).constData(), &st) != 0) {
        // Only a missing entry is "missing"; a refused look-up is an error.
        f.state = (errno == ENOENT || errno == ENOTDIR) ? FileFacts::State::Missing : FileFacts::State::Unreadable;
        return f;
    }
    if (!S_ISREG(st.st_mode))
        return f;
    f.state = FileFacts::State::Ok;
    f.name = QFileInfo(path).fileName();
    f.size = st.st_size;
    f.mtime = st.st_mtim.tv_sec;
    f.sizeText = SizeText(f.size);
    f.timeText = TimeText(f.mtime);
#endif
    return f;
}

QString 计算文件的文件名大小修改日期(const QString &path)
{
    const FileFacts f = ReadFileFacts(path);
    switch (f.state) {
    case FileFacts::State::Missing: return QStringLiteral(" 文件不存在");
    case FileFacts::State::Unreadable: return QStringLiteral(" 计算出错");
    case FileFacts::State::Ok: break;
    }
    return ShownFileName(f.name) + QLatin1Char(' ') + f.sizeText + QStringLiteral("KB ") + f.timeText;
}
