#pragma once

class LongOperation;
class QWidget;
class ResultListView;

// What the commands on the result list need of the window that holds it.
class ListHost {
public:
    virtual ~ListHost() = default;
    // The window their boxes stand over.
    virtual QWidget *dialogParent() = 0;
    virtual ResultListView &list() = 0;
    // The busy flag, the busy panel and the window's turns.
    virtual LongOperation &operation() = 0;
    // "文件数：" and the rows in the list, in the status line.
    virtual void showRowCount() = 0;
};
