#pragma once

class ListHost;
class ReplaceHost;

// "替换勾选的同名文件": replaces every ticked same-name row with the master
// file, a turn for the window per row, writing each row's outcome.
class ReplaceCommand {
public:
    ReplaceCommand(ListHost &list, ReplaceHost &host) : m_list(list), m_host(host) { }
    void click();

private:
    ListHost &m_list;
    ReplaceHost &m_host;
};

// "恢复最近一次被替换的文件": gives every ticked most-recent backup its old
// name back, after asking what to do with a file standing in the way.
class RestoreCommand {
public:
    explicit RestoreCommand(ListHost &list) : m_list(list) { }
    void click();

private:
    ListHost &m_list;
};
