#pragma once
#include <ctime>

// The wall clock that backup stamps read. A test stands a clock of its own in
// for it, so that the stamp a rename will take is known beforehand.
class Clock {
public:
    // Seconds since the epoch.
    static std::time_t now();

protected:
    // A clock made by a test answers in place of the system's until it goes.
    Clock();
    virtual ~Clock();
    Clock(const Clock &) = delete;
    Clock &operator=(const Clock &) = delete;
    virtual std::time_t secondsNow() const = 0;

private:
    Clock *m_before;
};
