#pragma once
#include <QString>

class Form1;

// Holds the main window busy for one long operation: the busy flag, the
// window's count of running operations (a close waits for it) and, when a
// caption is given, the busy panel. Whatever is still held is released when
// the guard goes, so an early return cannot leave the window busy.
class BusyGuard {
public:
    explicit BusyGuard(Form1 &form);
    BusyGuard(Form1 &form, const QString &caption);
    ~BusyGuard();
    BusyGuard(const BusyGuard &) = delete;
    BusyGuard &operator=(const BusyGuard &) = delete;

    // Ends the operation; returns whether the window stays, that is whether a
    // final notice still has a window to stand over.
    bool finish();

private:
    Form1 &m_form;
    bool m_panel = false;
    bool m_done = false;
};
