#pragma once
#include "shell/engine/clock.h"

#include <QDateTime>

// Stands still at a given time until a test moves it on.
class MockClock : public Clock {
public:
    explicit MockClock(const QDateTime &time) : m_now(time.toSecsSinceEpoch()) { }
    void advance(int seconds) { m_now += seconds; }

protected:
    std::time_t secondsNow() const override { return m_now; }

private:
    std::time_t m_now;
};
