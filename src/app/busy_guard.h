#pragma once
#include "shell/long_operation.h"

#include <QString>
#include <optional>

class Form1;

// The search's hold on the main window's long operation.
class BusyGuard {
public:
    explicit BusyGuard(Form1 &form);
    BusyGuard(Form1 &form, const QString &caption);
    bool finish() { return m_run.finish(); }

private:
    LongOperation::Run m_run;
};
