#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace ts {

// The local wall clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual float secondsSinceMidnight() = 0;
    virtual std::string date() = 0;  // "mm-dd-yyyy"
    virtual std::string time() = 0;  // "hh:mm:ss", 24-hour
    // The one instant this clock always shows, when it is one (a clock set
    // by SOURCE_DATE_EPOCH): files then record it exactly, offset and all.
    virtual std::optional<std::time_t> fixedInstant() { return std::nullopt; }
};

// The instant SOURCE_DATE_EPOCH gives: a whole number of seconds since
// 1970-01-01 UTC, digits only. nullopt for anything else.
std::optional<std::time_t> sourceDateEpoch(std::string_view value);

// The instant in RFC 3339 form, in the local time of the system's zone with
// the offset that zone had at that instant ("2026-10-25T02:30:00+02:00").
// The offset is kept within the form's +-23:59. Empty when the instant's
// local year is outside 1000 to 9999, which the form cannot hold.
std::string localRfc3339(std::time_t instant);

// Whether a clock's date ("mm-dd-yyyy") has a year of four digits, 1000 to
// 9999: the only ones a picture's name and Creation Time can hold.
bool dateFitsNames(std::string_view date);

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

// The system's local time; or, given an instant (SOURCE_DATE_EPOCH), that
// instant in the system's zone, every time it is read.
class SystemClock final : public Clock {
public:
    SystemClock() = default;
    explicit SystemClock(std::optional<std::time_t> fixed) : fixed_(fixed) {}
    float secondsSinceMidnight() override;
    std::string date() override;
    std::string time() override;
    std::optional<std::time_t> fixedInstant() override { return fixed_; }

private:
    std::tm localNow() const;
    std::string format(const char* pattern) const;
    std::optional<std::time_t> fixed_;
};

}  // namespace ts
