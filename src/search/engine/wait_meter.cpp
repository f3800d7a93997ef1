#include "search/engine/wait_meter.h"

#include <QtGlobal>
#include <algorithm>
#include <iterator>
#include <thread>
#include <type_traits>

#ifndef Q_OS_WIN
#include <sys/resource.h>
#endif

namespace {

long voluntarySwitches()
{
#if defined(Q_OS_WIN) || !defined(RUSAGE_THREAD)
    return 0;
#else
    struct rusage u;
    return ::getrusage(RUSAGE_THREAD, &u) == 0 ? u.ru_nvcsw : 0;
#endif
}

} // namespace

int ReadAheadSettings::machineCores()
{
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

ReadAheadSettings &readAheadSettings()
{
    static ReadAheadSettings settings;
    return settings;
}

void WaitMeter::start()
{
    m_switches = voluntarySwitches();
    m_start = std::chrono::steady_clock::now();
}

void WaitMeter::stop(std::chrono::microseconds elsewhere, bool restart)
{
    const auto now = std::chrono::steady_clock::now();
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(now - m_start) - elsewhere;
    const long switches = voluntarySwitches();
#if defined(Q_OS_WIN) || !defined(RUSAGE_THREAD)
    // No count of sleeps here: only a read far slower than a cached one counts.
    const bool slept = took >= std::chrono::microseconds(300);
#else
    const bool slept = switches != m_switches;
#endif
    if (restart) {
        m_start = now;
        m_switches = switches;
    }
    m_recent[m_next] = slept ? std::max(took, std::chrono::microseconds(0)) : std::chrono::microseconds(0);
    m_next = (m_next + 1) % std::size(m_recent);
}

void ReadLanes::add(std::chrono::microseconds perCall)
{
    m_took[m_count++ % std::size(m_took)] = perCall;
}

int ReadLanes::lanes(const ReadAheadSettings &settings) const
{
    const int few = std::max(1, std::min(settings.fewThreads, settings.threads));
    if (m_count < 8)
        return few;
    std::chrono::microseconds took[std::extent_v<decltype(m_took)>];
    const int n = std::min<int>(m_count, std::size(m_took));
    std::copy(m_took, m_took + n, took);
    std::nth_element(took, took + n / 2, took + n);
    const std::chrono::microseconds median = took[n / 2];
    return median >= settings.networkCall ? most(settings) : median >= settings.slowCall ? settings.threads : few;
}

int ReadLanes::most(const ReadAheadSettings &settings)
{
    return std::max({1, settings.threads, settings.manyThreads});
}

bool WaitMeter::waited() const
{
    return m_recent[(m_next + std::size(m_recent) - 1) % std::size(m_recent)] >= std::chrono::microseconds(50);
}

bool WaitMeter::slow(const ReadAheadSettings &settings) const
{
    int waits = 0;
    std::chrono::microseconds waited{0};
    for (const auto w : m_recent) {
        // A sleep shorter than this is a lock handed over, not the disk.
        waits += w >= std::chrono::microseconds(50) ? 1 : 0;
        waited += w;
    }
    return waits >= settings.waitsBeforeStart && waited >= settings.waitedBeforeStart;
}
