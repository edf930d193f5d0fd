#include "platform/clock.hpp"

#include <chrono>
#include <ctime>

namespace ts {
namespace {

std::tm localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

std::string format(const char* pattern) {
    const std::tm local = localNow();
    char buffer[32];
    const std::size_t n = std::strftime(buffer, sizeof buffer, pattern, &local);
    return std::string(buffer, n);
}

}  // namespace

float SystemClock::secondsSinceMidnight() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::tm local = localNow();
    const auto fraction = duration_cast<microseconds>(now.time_since_epoch()).count() % 1000000;
    const double seconds =
        local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + static_cast<double>(fraction) / 1e6;
    return static_cast<float>(seconds);
}

std::string SystemClock::date() { return format("%m-%d-%Y"); }
std::string SystemClock::time() { return format("%H:%M:%S"); }

}  // namespace ts
