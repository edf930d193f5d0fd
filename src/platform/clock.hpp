#pragma once

#include <string>
#include <utility>

namespace ts {

// The local wall clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual float secondsSinceMidnight() = 0;
    virtual std::string date() = 0;  // "mm-dd-yyyy"
    virtual std::string time() = 0;  // "hh:mm:ss", 24-hour
};

// A clock that always shows the same moment: pictures named alike in
// every run, for the tests and the benchmark.
class FixedClock final : public Clock {
public:
    FixedClock(std::string date, std::string time, float seconds = 0)
        : date_(std::move(date)), time_(std::move(time)), seconds_(seconds) {}

    float secondsSinceMidnight() override { return seconds_; }
    std::string date() override { return date_; }
    std::string time() override { return time_; }

private:
    std::string date_, time_;
    float seconds_;
};

// The system's local time.
class SystemClock final : public Clock {
public:
    float secondsSinceMidnight() override;
    std::string date() override;
    std::string time() override;
};

}  // namespace ts
