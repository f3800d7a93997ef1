#include "shell/engine/clock.h"

#include <atomic>

namespace {
std::atomic<Clock *> standIn{nullptr};
}

std::time_t Clock::now()
{
    const Clock *c = standIn.load();
    return c ? c->secondsNow() : std::time(nullptr);
}

Clock::Clock() : m_before(standIn.exchange(this)) { }

Clock::~Clock()
{
    standIn.store(m_before);
}
