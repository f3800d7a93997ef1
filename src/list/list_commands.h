#pragma once
#include "shell/long_operation.h"

#include <QString>
#include <functional>

class ListHost;
struct ResultRow;

// Row tests of the four trash commands.
bool EndsWithReplaceTag(const ResultRow &row);
bool EndsWithRestoreTag(const ResultRow &row);

// The commands of the list menu that act on many rows at once. Removing rows
// only forgets them; the trash commands send their files to the trash.
class ListCommands {
public:
    explicit ListCommands(ListHost &host) : m_host(host) { }

    void 选中全部();
    void 勾选全部();
    void 全部去勾选();
    void 移除选中项();
    void 移除勾选项();
    void 移除全部();

    void 删除选中项();
    void 删除勾选项();
    void 删除全部替换备份文件();
    void 删除全部恢复备份文件();

private:
    bool refusedWhileBusy();
    void removeWhere(LongOperation::Run &run, const std::function<bool(int)> &test);
    // The two selective removals: one procedure, their tests differ.
    void removeRows(const std::function<bool(int)> &test);
    // One procedure for the four trash commands; they differ in their test.
    void sendToTrash(const QString &question, const std::function<bool(int)> &test);
    std::function<bool(int)> selectedTest();
    std::function<bool(int)> checkedTest();
    void showCountAndFit();

    ListHost &m_host;
};
