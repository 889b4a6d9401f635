#include "platform/DateTime.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using quillan::DateTime;
using namespace quillan::test;

TEST(DateTimeParse, AcceptsTheDatabaseAndIsoFormsAndRejectsImpossibleDates) {
    const DateTime expected{2024, 3, 5, 9, 7, 3};
    for (const char* text : {"2024-03-05 09:07:03", "2024/03/05 09:07:03", "2024-03-05T09:07:03",
                             "2024-03-05 09:07:03.997", // fraction dropped, not rounded
                             "  2024-03-05 09:07:03  "})
        EXPECT_EQ(DateTime::parse(text), expected) << text;
    EXPECT_EQ(DateTime::parse("2024-03-05"), (DateTime{2024, 3, 5, 0, 0, 0}));
    EXPECT_EQ(DateTime::parse("2024-03-05 09:07"), (DateTime{2024, 3, 5, 9, 7, 0}));
    EXPECT_TRUE(DateTime::parse("2024-02-29")); // leap year
    EXPECT_TRUE(DateTime::parse("2000-02-29"));
    for (const char* text : {"2023-02-29", "1900-02-29" /* century, not a leap year */, "2024-13-01",
                             "2024-04-31", "2024-03-05 24:00:00", "2024-03-05 10:60:00", "2024-03/05",
                             "2024-03-05 09:07:03 garbage", "", "NULL"})
        EXPECT_FALSE(DateTime::parse(text)) << text;
}

TEST(DateTimeText, PadsEveryFieldInAllThreeForms) {
    const DateTime dt{987, 1, 2, 3, 4, 5};
    EXPECT_EQ(dt.iso(), "0987-01-02 03:04:05");
    EXPECT_EQ(dt.isoDate(), "0987-01-02");
    EXPECT_EQ(dt.display(), "02/01/0987 03:04:05");
    EXPECT_EQ(DateTime{}.iso(), "1899-12-30 00:00:00"); // the zero date value
}

TEST(DateTimeSerial, DifferencesAreExactAcrossMonthsYearsAndLeapDays) {
    const auto s = [](int y, int mo, int d, int h = 0, int mi = 0, int se = 0) {
        return DateTime{y, mo, d, h, mi, se}.serialSeconds();
    };
    EXPECT_EQ(s(2024, 3, 1) - s(2024, 2, 28), 2 * 86400); // through 29 February
    EXPECT_EQ(s(2023, 3, 1) - s(2023, 2, 28), 86400);
    EXPECT_EQ(s(2025, 1, 1) - s(2024, 12, 31, 23, 59, 59), 1);
    EXPECT_EQ(s(1970, 1, 1), 0);
    EXPECT_EQ(s(2024, 3, 5, 9, 7, 3), 1709629623); // same scale as Unix time read as UTC
}

TEST(DateTimeSerial, RoundTripsEveryDayOverFourCenturies) {
    for (std::int64_t day = -50000; day < 100000; day += 7) {
        const std::int64_t secs = day * 86400 + (day % 86400 + 86400) % 86400;
        const DateTime dt = DateTime::fromSerialSeconds(secs);
        ASSERT_TRUE(dt.valid()) << secs;
        ASSERT_EQ(dt.serialSeconds(), secs) << dt.iso();
    }
    EXPECT_EQ(DateTime::fromSerialSeconds(DateTime{}.serialSeconds()), DateTime{});
}

TEST(DateTimeLocal, ConvertsThroughTheMachineZoneIncludingSummerTimeAndNowIsTheLocalClock) {
    const CentralEuropeZone zone;
    if (!zone.active())
        GTEST_SKIP() << "the system's zone is not Central European time";
    EXPECT_EQ((DateTime{2024, 3, 5, 9, 7, 3}).toUnixSecondsLocal(), 1709629623 - 3600);  // winter, UTC+1
    EXPECT_EQ((DateTime{2024, 7, 1, 12, 0, 0}).toUnixSecondsLocal(), 1719835200 - 7200); // summer, UTC+2
    EXPECT_EQ(DateTime::fromSecondsSinceEpochLocal(1709629623 - 3600), (DateTime{2024, 3, 5, 9, 7, 3}));
    EXPECT_EQ(DateTime::fromSecondsSinceEpochLocal(1719835200 - 7200), (DateTime{2024, 7, 1, 12, 0, 0}));
    const std::int64_t before = std::time(nullptr);
    const DateTime now = DateTime::now();
    const std::int64_t after = std::time(nullptr);
    ASSERT_TRUE(now.valid());
    EXPECT_GE(now.toUnixSecondsLocal(), before);
    EXPECT_LE(now.toUnixSecondsLocal(), after);
    // Local, not UTC: the serial scale reads the fields as if they were UTC, one or two hours ahead.
    const std::int64_t offset = now.serialSeconds() - now.toUnixSecondsLocal();
    EXPECT_TRUE(offset == 3600 || offset == 7200) << offset;
}
