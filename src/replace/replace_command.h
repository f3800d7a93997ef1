#pragma once

class Form1;

// "替换勾选的同名文件": replaces every ticked same-name row with the master
// file, one row per event-loop turn, writing each row's outcome.
class ReplaceCommand {
public:
    explicit ReplaceCommand(Form1 &form) : m_form(form) {}
    void click();

private:
    Form1 &m_form;
};

// "恢复最近一次被替换的文件": gives every ticked most-recent backup its old
// name back, after asking what to do with a file standing in the way.
class RestoreCommand {
public:
    explicit RestoreCommand(Form1 &form) : m_form(form) {}
    void click();

private:
    Form1 &m_form;
};
