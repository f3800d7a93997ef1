#pragma once
#include "shell/engine/clock.h"

#include <QDateTime>

// Stands still at a given time.
class MockClock : public Clock {
public:
    explicit MockClock(const QDateTime &time) : m_now(time.toSecsSinceEpoch()) { }

protected:
    std::time_t secondsNow() const override { return m_now; }

private:
    std::time_t m_now;
};
