#pragma once
#include <QString>

// A file's size text and time text, read afresh from the disk.
struct FileFacts {
    enum class State { Ok, Missing, Unreadable };
    State state = State::Missing;
    QString name;
    QString sizeText;
    QString timeText;
    qint64 size = 0;  // bytes
    qint64 mtime = 0; // seconds since the epoch
};

// The path is asked about exactly as passed: no trimming, no URL prefix.
FileFacts ReadFileFacts(const QString &path);

// "name size" + "KB " + "time", or " 文件不存在" / " 计算出错".
QString 计算文件的文件名大小修改日期(const QString &path);
