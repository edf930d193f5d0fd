#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.hpp"
#include "support/in_zone.hpp"

namespace ts {
namespace {

using testing::InZone;

TEST(SourceDateEpoch, TakesDigitsOnly) {
    struct Case {
        const char* value;
        std::optional<std::time_t> instant;
    };
    for (const Case& c : std::vector<Case>{{"0", 0},
                                           {"1792881000", 1792881000},
                                           {"", std::nullopt},
                                           {"-1", std::nullopt},
                                           {"12a", std::nullopt},
                                           {" 1", std::nullopt},
                                           {"1.5", std::nullopt},
                                           {"9999999999999999999", std::nullopt}})
        EXPECT_EQ(sourceDateEpoch(c.value), c.instant) << c.value;
}

// The autumn change in Berlin: 02:30 local happens twice, first at +02:00,
// then at +01:00; each instant keeps its own offset.
TEST(LocalRfc3339, EachInstantHasItsOwnOffset) {
    const InZone berlin("Europe/Berlin");
    if (localRfc3339(0).ends_with("Z")) GTEST_SKIP() << "no time zone data on this machine";
    struct Case {
        std::time_t instant;
        const char* shown;
    };
    for (const Case& c : std::vector<Case>{{1792888200, "2026-10-25T02:30:00+02:00"},   // 00:30 UTC
                                           {1792891800, "2026-10-25T02:30:00+01:00"},   // 01:30 UTC
                                           {1784377800, "2026-07-18T14:30:00+02:00"},
                                           {1768743000, "2026-01-18T14:30:00+01:00"}})
        EXPECT_EQ(localRfc3339(c.instant), c.shown) << c.instant;
}

TEST(LocalRfc3339, IsEmptyOutsideTheYearsItCanHoldAndUtcIsZ) {
    const InZone utc("UTC");
    EXPECT_EQ(localRfc3339(0), "1970-01-01T00:00:00Z");
    EXPECT_EQ(localRfc3339(253402300799), "9999-12-31T23:59:59Z");
    EXPECT_EQ(localRfc3339(253402300800), "");    // year 10000
    EXPECT_EQ(localRfc3339(-30610224001), "");    // year 999
    EXPECT_EQ(localRfc3339(-30610224000), "1000-01-01T00:00:00Z");
}

TEST(SystemClock, SetToAnInstantReadsItEveryTime) {
    const InZone utc("UTC");
    SystemClock clock(std::time_t{1792888200});
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(clock.date(), "10-25-2026");
        EXPECT_EQ(clock.time(), "00:30:00");
        EXPECT_EQ(clock.secondsSinceMidnight(), 1800.0f);
        const ClockReading reading = clock.read();
        EXPECT_EQ(reading.date, "10-25-2026");
        EXPECT_EQ(reading.time, "00:30:00");
        EXPECT_EQ(reading.instant, std::optional<std::time_t>(1792888200));
    }
}

// The running clock's date, time and instant come from one reading, so the
// instant is the one the name shows, even in the hour that repeats.
TEST(SystemClock, ReadsDateTimeAndInstantTogether) {
    const InZone berlin("Europe/Berlin");
    SystemClock clock;
    for (int k = 0; k < 3; ++k) {
        const ClockReading reading = clock.read();
        ASSERT_TRUE(reading.instant);
        std::tm local{};
        localtime_r(&*reading.instant, &local);
        char date[16], time[16];
        std::strftime(date, sizeof date, "%m-%d-%Y", &local);
        std::strftime(time, sizeof time, "%H:%M:%S", &local);
        EXPECT_EQ(reading.date, date);
        EXPECT_EQ(reading.time, time);
    }
}

TEST(DateFitsNames, OnlyFourDigitYearsFrom1000) {
    for (const char* date : {"01-01-1000", "12-31-9999", "03-08-2026"}) EXPECT_TRUE(dateFitsNames(date)) << date;
    for (const char* date : {"01-01-0999", "01-01-999", "01-01-10000", "", "01-01-20x6"})
        EXPECT_FALSE(dateFitsNames(date)) << date;
}

}  // namespace
}  // namespace ts
