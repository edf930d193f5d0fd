#pragma once

#include <string>

namespace ts {

// The local wall clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual float secondsSinceMidnight() = 0;
    virtual std::string date() = 0;  // "mm-dd-yyyy"
    virtual std::string time() = 0;  // "hh:mm:ss", 24-hour
};

// The system's local time.
class SystemClock final : public Clock {
public:
    float secondsSinceMidnight() override;
    std::string date() override;
    std::string time() override;
};

}  // namespace ts
