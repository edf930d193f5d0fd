#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace ts::testing {

// Runs with TZ set to `zone`, and puts the zone back afterwards.
class InZone {
public:
    explicit InZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~InZone() {
        if (old_) {
            ::setenv("TZ", old_->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }
    InZone(const InZone&) = delete;
    InZone& operator=(const InZone&) = delete;

private:
    std::optional<std::string> old_;
};

// The two instants local time 02:30 of 2026-10-25 stands for in
// Europe/Berlin, where clocks go back from 03:00 to 02:00 that night.
inline constexpr std::time_t kBerlinFirst0230 = 1792888200;   // 00:30 UTC, +02:00
inline constexpr std::time_t kBerlinSecond0230 = 1792891800;  // 01:30 UTC, +01:00

}  // namespace ts::testing
