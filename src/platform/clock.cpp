#include "platform/clock.hpp"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <limits>

namespace ts {

namespace {

constexpr const char* kDatePattern = "%m-%d-%Y";
constexpr const char* kTimePattern = "%H:%M:%S";

std::tm localAt(std::time_t instant) {
    std::tm local{};
    localtime_r(&instant, &local);
    return local;
}

std::string formatted(const std::tm& local, const char* pattern) {
    char buffer[64];
    const std::size_t n = std::strftime(buffer, sizeof buffer, pattern, &local);
    return std::string(buffer, n);
}

}  // namespace

std::time_t SystemClock::now() const { return fixed_ ? *fixed_ : std::time(nullptr); }

std::tm SystemClock::localNow() const { return localAt(now()); }

std::string SystemClock::format(const char* pattern) const { return formatted(localNow(), pattern); }

ClockReading SystemClock::read() {
    const std::time_t instant = now();
    const std::tm local = localAt(instant);
    return {formatted(local, kDatePattern), formatted(local, kTimePattern), instant};
}

float SystemClock::secondsSinceMidnight() {
    using namespace std::chrono;
    const std::tm local = localNow();
    // A fixed instant has no fraction: every run reads the same.
    const auto fraction =
        fixed_ ? 0 : duration_cast<microseconds>(system_clock::now().time_since_epoch()).count() % 1000000;
    const double seconds =
        local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + static_cast<double>(fraction) / 1e6;
    return static_cast<float>(seconds);
}

std::string SystemClock::date() { return format(kDatePattern); }
std::string SystemClock::time() { return format(kTimePattern); }

std::optional<std::time_t> sourceDateEpoch(std::string_view value) {
    constexpr std::size_t kMaxDigits = 18;  // fits a 64-bit time_t
    if (value.empty() || value.size() > kMaxDigits) return std::nullopt;
    long long seconds = 0;
    for (const char c : value) {
        if (c < '0' || c > '9') return std::nullopt;
        seconds = seconds * 10 + (c - '0');
    }
    if (seconds > static_cast<long long>(std::numeric_limits<std::time_t>::max())) return std::nullopt;
    return static_cast<std::time_t>(seconds);
}

std::string localRfc3339(std::time_t instant) {
    std::tm local{};
    if (localtime_r(&instant, &local) == nullptr) return {};
    const long year = static_cast<long>(local.tm_year) + 1900;
    if (year < 1000 || year > 9999) return {};
    char buffer[32];
    const std::size_t n = std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%S", &local);
    std::string out(buffer, n);
    const long offset = local.tm_gmtoff;
    long minutes = (offset < 0 ? -offset + 30 : offset + 30) / 60;
    if (minutes == 0) return out + "Z";
    constexpr long kMaxMinutes = 23 * 60 + 59;
    if (minutes > kMaxMinutes) minutes = kMaxMinutes;
    const auto two = [](long v) { return std::string{static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)}; };
    out.push_back(offset < 0 ? '-' : '+');
    return out + two(minutes / 60) + ":" + two(minutes % 60);
}

bool dateFitsNames(std::string_view date) {
    if (date.size() != 10) return false;
    for (const std::size_t k : {6u, 7u, 8u, 9u})
        if (date[k] < '0' || date[k] > '9') return false;
    return date[6] != '0';
}

}  // namespace ts
