// Time for the link: a millisecond count and plain delays. The program uses the
// steady system clock; the tests a virtual clock that only moves when told.
#pragma once

#include <chrono>
#include <cstdint>

namespace tk::link {

class Clock {
public:
    Clock() = default;
    Clock(const Clock&) = delete;
    Clock& operator=(const Clock&) = delete;
    virtual ~Clock() = default;

    // Milliseconds since an arbitrary start; never goes back.
    virtual std::int64_t nowMs() = 0;

    // Waits the given time without using the processor.
    virtual void sleep(std::chrono::microseconds duration) = 0;

    void sleepMs(std::int64_t ms) { sleep(std::chrono::milliseconds(ms)); }
};

// The steady clock of the system; sleeping blocks the calling thread.
class SystemClock final : public Clock {
public:
    std::int64_t nowMs() override;
    void sleep(std::chrono::microseconds duration) override;
};

} // namespace tk::link
