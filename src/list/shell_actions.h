#pragma once
#include <QString>

class ListHost;

// Commands that hand a listed file, a folder or a web page to the desktop.
class ShellActions {
public:
    explicit ShellActions(ListHost &host) : m_host(host) { }

    void 打开文件所在目录();
    void 复制文件路径();
    void 复制文件目录();

    // The vendor's pages of the help menu.
    void 售后服务();
    void 功能定制();
    void 软件定制();
    void 墨桐软件();
    void 柏岚软件();
    void 最新版本();

private:
    // The row the single-row commands act on: the current row when it is
    // selected, else the first selected row; -1 when none is selected.
    int selectedRow() const;
    void copy(bool folder);

    ListHost &m_host;
};
