#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace ts {

// One reading of a clock: the local date and time a picture is named
// after, and the instant they show when the clock knows it. Local time
// alone is ambiguous in the hour repeated when clocks go back, so a
// picture's Creation Time is taken from the instant.
struct ClockReading {
    std::string date;                    // "mm-dd-yyyy"
    std::string time;                    // "hh:mm:ss", 24-hour
    std::optional<std::time_t> instant;  // nullopt: a clock that shows only the local time
};

// The local wall clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual float secondsSinceMidnight() = 0;
    virtual std::string date() = 0;  // "mm-dd-yyyy"
    virtual std::string time() = 0;  // "hh:mm:ss", 24-hour
    // The date, the time and the instant, all from one reading.
    virtual ClockReading read() { return {date(), time(), std::nullopt}; }
};

// The instant SOURCE_DATE_EPOCH gives: a whole number of seconds since
// 1970-01-01 UTC, digits only. nullopt for anything else.
std::optional<std::time_t> sourceDateEpoch(std::string_view value);

// Why a SOURCE_DATE_EPOCH that sourceDateEpoch does not take is refused.
inline constexpr const char* kBadSourceDateEpoch =
    "SOURCE_DATE_EPOCH must be a whole number of seconds since 1970-01-01 UTC, digits only";

// The instant in RFC 3339 form, in the local time of the system's zone with
// the offset that zone had at that instant ("2026-10-25T02:30:00+02:00").
// The offset is kept within the form's +-23:59. Empty when the instant's
// local year is outside 1000 to 9999, which the form cannot hold.
std::string localRfc3339(std::time_t instant);

// Whether a clock's date ("mm-dd-yyyy") has a year of four digits, 1000 to
// 9999: the only ones a picture's name and Creation Time can hold.
bool dateFitsNames(std::string_view date);

// A clock that always shows the same moment: pictures named alike in
// every run, for the tests and the benchmark. Given the instant its local
// date and time stand for, it reads that too.
class FixedClock final : public Clock {
public:
    FixedClock(std::string date, std::string time, float seconds = 0, std::optional<std::time_t> instant = {})
        : date_(std::move(date)), time_(std::move(time)), seconds_(seconds), instant_(instant) {}

    float secondsSinceMidnight() override { return seconds_; }
    std::string date() override { return date_; }
    std::string time() override { return time_; }
    ClockReading read() override { return {date_, time_, instant_}; }

private:
    std::string date_, time_;
    float seconds_;
    std::optional<std::time_t> instant_;
};

// The system's local time; or, given an instant (SOURCE_DATE_EPOCH), that
// instant in the system's zone, every time it is read.
class SystemClock final : public Clock {
public:
    SystemClock() = default;
    explicit SystemClock(std::optional<std::time_t> fixed) : fixed_(fixed) {}
    float secondsSinceMidnight() override;
    std::string date() override;
    std::string time() override;
    ClockReading read() override;

private:
    std::time_t now() const;
    std::tm localNow() const;
    std::string format(const char* pattern) const;
    std::optional<std::time_t> fixed_;
};

}  // namespace ts
