#pragma once
#include <QElapsedTimer>
#include <QString>
#include <functional>
#include <vector>

// What a long operation shows in the window that runs it: the busy panel
// over the list, its bar and the status line; and the close that waited for
// the operation to end.
class BusyDisplay {
public:
    virtual ~BusyDisplay() = default;
    virtual void showBusy(const QString &caption) = 0;
    virtual void hideBusy() = 0;
    virtual void showBar(int minimum, int maximum, int value) = 0;
    // The status line's activity text.
    virtual void showActivity(const QString &text) = 0;
    virtual void closeNow() = 0;
};

// The long operations of one window: the search, the replacement, the
// restore, the removals and the trash commands. Everything runs on the one
// thread, and the window gets its turns only at the points an operation
// offers them (Run::turn): the walk at each subfolder, every 50 files, at the
// end of each folder and while it waits for a folder read ahead; the loading
// of rows between parts; the replacement and the restore once per row. There
// the pending progress is shown and the window's events run, at most once
// every turn interval, so that it stays lively and the work fast. The busy
// flag keeps a second operation from starting in such a turn; a close that
// arrives then asks the operation to stop and waits for its end.
class LongOperation {
public:
    explicit LongOperation(BusyDisplay &display) : m_display(display) { }
    LongOperation(const LongOperation &) = delete;
    LongOperation &operator=(const LongOperation &) = delete;

    // One operation from start to end: the busy flag, and the busy panel
    // when a caption is given. What it still holds is let go when it goes,
    // so an early return cannot leave the window busy.
    class Run {
    public:
        explicit Run(LongOperation &operation, const QString &caption = QString());
        ~Run() { finish(); }
        Run(const Run &) = delete;
        Run &operator=(const Run &) = delete;

        // The busy panel's caption; the next turn lets the window's events
        // run, due or not, so that it is seen.
        void setCaption(const QString &caption);
        // The bar: value 1, minimum 0 and maximum, in that order.
        void setRange(int maximum);
        // The bar's value and the status line as the operation is at them;
        // the window shows them at its next turn.
        void setProgress(int minimum, int maximum, int value);
        void setValue(int value);
        void setStatus(const QString &text);
        // Whether the next turn would let the window's events run.
        bool turnDue() const;
        // A turn for the window. Returns whether the operation goes on: not
        // once the window is closing.
        bool turn();
        // A stop asked for by the user, or the window closing.
        bool stopRequested() const;
        // Ends the operation; returns whether the window stays, that is
        // whether a final notice still has a window to stand over.
        bool finish();

    private:
        LongOperation &m_op;
        bool m_panel = false;
        bool m_done = false;
    };

    bool running() const { return m_running > 0; }
    bool closing() const { return m_closing; }
    // A close of the window: while an operation runs it is asked to stop and
    // the window closes once it has returned. Returns whether the close waits.
    bool deferClose();

    // Rows go into the list a part at a time with a turn between parts. A
    // command on the whole list given meanwhile would reach only some rows:
    // it waits, in order, until the loading ends (and is dropped when the
    // window is closing); at any other time it runs at once.
    void whenLoaded(std::function<void()> command);
    void setLoading(bool loading);

    // A window whose events wait longer than about this looks stuck; one that
    // takes its turns much more often slows the operation down.
    static constexpr int DefaultTurnInterval = 20;
    // For tests: 0 lets the window's events run at every turn.
    static void setTurnInterval(int milliseconds = DefaultTurnInterval);

private:
    void showPending();

    BusyDisplay &m_display;
    int m_running = 0;
    bool m_closing = false;
    bool m_loading = false;
    std::vector<std::function<void()>> m_afterLoading;
    QElapsedTimer m_sinceTurn;
    // What the window shows at the next turn.
    QString m_status;
    int m_progress[3] = {0, 100, 0};
    bool m_statusPending = false;
    bool m_progressPending = false;
};
