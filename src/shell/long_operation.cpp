#include "shell/long_operation.h"

#include "app/engine/app_state.h"

#include <QCoreApplication>

namespace {
int TurnInterval = LongOperation::DefaultTurnInterval;
} // namespace

void LongOperation::setTurnInterval(int milliseconds)
{
    TurnInterval = milliseconds;
}

LongOperation::Run::Run(LongOperation &operation, const QString &caption) : m_op(operation)
{
    appState().IsWorking = true;
    ++m_op.m_running;
    if (!caption.isNull()) {
        m_panel = true;
        setCaption(caption);
    }
}

void LongOperation::Run::setCaption(const QString &caption)
{
    m_op.m_display.showBusy(caption);
    // A new stage of the operation is shown at once, at its next turn.
    m_op.m_sinceTurn.invalidate();
}

void LongOperation::Run::setRange(int maximum)
{
    setProgress(0, maximum, 1);
}

void LongOperation::Run::setProgress(int minimum, int maximum, int value)
{
    m_op.m_progress[0] = minimum;
    m_op.m_progress[1] = maximum;
    m_op.m_progress[2] = value;
    m_op.m_progressPending = true;
}

void LongOperation::Run::setValue(int value)
{
    m_op.m_progress[2] = value;
    m_op.m_progressPending = true;
}

void LongOperation::Run::setStatus(const QString &text)
{
    m_op.m_status = text;
    m_op.m_statusPending = true;
}

bool LongOperation::Run::turnDue() const
{
    return !m_op.m_sinceTurn.isValid() || m_op.m_sinceTurn.elapsed() >= TurnInterval;
}

bool LongOperation::Run::turn()
{
    if (turnDue()) {
        m_op.showPending();
        QCoreApplication::processEvents();
        m_op.m_sinceTurn.start();
    }
    return !m_op.m_closing;
}

bool LongOperation::Run::stopRequested() const
{
    return appState().StopRequested || m_op.m_closing;
}

bool LongOperation::Run::finish()
{
    if (m_done)
        return false;
    m_done = true;
    m_op.showPending();
    if (m_panel)
        m_op.m_display.hideBusy();
    appState().IsWorking = false;
    const bool stays = !m_op.m_closing;
    if (--m_op.m_running == 0 && m_op.m_closing)
        m_op.m_display.closeNow();
    return stays;
}

void LongOperation::showPending()
{
    if (m_statusPending)
        m_display.showActivity(m_status);
    if (m_progressPending)
        m_display.showBar(m_progress[0], m_progress[1], m_progress[2]);
    m_statusPending = m_progressPending = false;
}

bool LongOperation::deferClose()
{
    if (m_running == 0)
        return false;
    // The running operation still has frames on the stack that use the
    // window: it is asked to stop, and the window closes once it has returned.
    appState().StopRequested = true;
    m_closing = true;
    return true;
}

void LongOperation::whenLoaded(std::function<void()> command)
{
    if (m_loading)
        m_afterLoading.push_back(std::move(command));
    else
        command();
}

void LongOperation::setLoading(bool loading)
{
    m_loading = loading;
    if (loading)
        return;
    const auto waiting = std::move(m_afterLoading);
    m_afterLoading.clear();
    if (!m_closing)
        for (const auto &command : waiting)
            command();
}
