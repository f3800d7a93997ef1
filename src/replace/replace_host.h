#pragma once
#include <QString>

// What the replacement reads in the window and tells it, beside the list.
// Each read is made where the replacement needs the value, so a change the
// user makes during a run applies to the rows reached afterwards.
class ReplaceHost {
public:
    virtual ~ReplaceHost() = default;
    // The master file's box, at the click.
    virtual QString masterFile() = 0;
    // "文件大小及修改日期均相同的，跳过替换", for every row.
    virtual bool skipSameSizeAndTime() = 0;
    // The no-backup option (1: old files go to the trash), at the click and
    // for every file.
    virtual int noBackup() = 0;
    // The replace button, off while a replacement runs.
    virtual void setReplaceEnabled(bool enabled) = 0;
};
