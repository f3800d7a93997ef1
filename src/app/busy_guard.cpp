#include "app/busy_guard.h"

#include "app/form1.h"

BusyGuard::BusyGuard(Form1 &form) : m_run(form.operation()) {}

BusyGuard::BusyGuard(Form1 &form, const QString &caption) : m_run(form.operation(), caption) {}
