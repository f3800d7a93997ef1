#include "app/busy_guard.h"

#include "app/engine/app_state.h"
#include "app/form1.h"

BusyGuard::BusyGuard(Form1 &form) : m_form(form)
{
    appState().IsWorking = true;
    m_form.beginOperation();
}

BusyGuard::BusyGuard(Form1 &form, const QString &caption) : BusyGuard(form)
{
    m_panel = true;
    m_form.showBusy(caption);
}

BusyGuard::~BusyGuard() { finish(); }

bool BusyGuard::finish()
{
    if (m_done)
        return false;
    m_done = true;
    if (m_panel)
        m_form.hideBusy();
    appState().IsWorking = false;
    const bool stays = !m_form.closePending();
    m_form.endOperation();
    return stays;
}
