// Member names from archives are hostile input; member times must survive exactly.
#include "archive/ExtraTime.h"
#include "archive/FilePatterns.h"
#include "archive/MemberName.h"

#include <gtest/gtest.h>

namespace quillan::archive {
namespace {

// The climbing, rooted and drive-qualified names an archive may carry are unpacked in both modes by
// the unpacking tests; here the forms they leave out.
TEST(MemberName, FlatModeKeepsOnlyTheBareName) {
    EXPECT_EQ(safeRelativeName("Bin/Tervik.exe", false), "Tervik.exe");
    EXPECT_EQ(safeRelativeName("c:x", false), "x");
    EXPECT_EQ(safeRelativeName("a\\b/c.rpt", false), "c.rpt");
}

TEST(MemberName, UnusableNamesAreRefused) {
    for (const char* name : {"..", ".", "a/..", "a/.", "C:", "", "dir/", "dir\\", "ab:stream", "C:\\a:b"})
        EXPECT_FALSE(safeRelativeName(name, false).has_value()) << name;
    EXPECT_FALSE(safeRelativeName(std::string("a\0b", 3), false).has_value());
}

TEST(MemberName, FolderModeRefusesClimbingAndDropsRoots) {
    EXPECT_EQ(safeRelativeName("Bin/Sub/a.dll", true), "Bin/Sub/a.dll");
    EXPECT_EQ(safeRelativeName("./a//b", true), "a/b");
    for (const char* name : {"a/..", "/"})
        EXPECT_FALSE(safeRelativeName(name, true).has_value()) << name;
}

TEST(Wildcard, MatchesLikeWindowsWithoutCase) {
    EXPECT_TRUE(wildcardMatch("*.bak", "DIST_0102.BAK"));
    EXPECT_TRUE(wildcardMatch("Backup*.zip", "backup1.zip"));
    EXPECT_TRUE(wildcardMatch("a?c", "abc"));
    EXPECT_TRUE(wildcardMatch("*", ""));
    EXPECT_TRUE(wildcardMatch("*a*b*", "xxaxxbxx"));
    EXPECT_FALSE(wildcardMatch("*.bak", "x.bak.zip"));
    EXPECT_FALSE(wildcardMatch("a?c", "ac"));
    EXPECT_FALSE(wildcardMatch("abc", "abcd"));
}

TEST(ExtendedTimestamp, RoundTripsSecondsIncludingBefore1970) {
    for (std::int64_t s : {0LL, 1'709'647'629LL, -86'400LL, 2'147'483'647LL}) {
        SysTime t{std::chrono::seconds(s)};
        auto bytes = makeExtendedTimestamp(t);
        ASSERT_EQ(bytes.size(), 5u);
        EXPECT_EQ(parseExtendedTimestamp(bytes.data(), bytes.size()), t) << s;
    }
}

TEST(ExtendedTimestamp, OutOfRangeOrMissingModificationTimeGivesNothing) {
    EXPECT_TRUE(makeExtendedTimestamp(SysTime{std::chrono::seconds(2'147'483'648LL)}).empty());
    const std::uint8_t accessOnly[] = {0x02, 1, 2, 3, 4};
    EXPECT_FALSE(parseExtendedTimestamp(accessOnly, sizeof accessOnly));
    const std::uint8_t truncated[] = {0x01, 1, 2};
    EXPECT_FALSE(parseExtendedTimestamp(truncated, sizeof truncated));
    EXPECT_FALSE(parseExtendedTimestamp(nullptr, 0));
}

// An NTFS times payload whose modification time is `ticks` (100 ns since 1601).
std::vector<std::uint8_t> ntfsField(std::uint64_t ticks) {
    std::vector<std::uint8_t> field = {0, 0, 0, 0, 1, 0, 24, 0};
    for (int i = 0; i < 8; ++i)
        field.push_back(static_cast<std::uint8_t>(ticks >> (8 * i)));
    field.resize(field.size() + 16, 0);
    return field;
}

constexpr std::uint64_t kTicksPerSecond = 10'000'000, kUnixInTicks = 11'644'473'600 * kTicksPerSecond;

TEST(NtfsTimes, TimesOutsideWhatAFileCanCarryGiveNothing) {
    // All ones overflowed the nanosecond clock (undefined behaviour, a file dated 2185).
    const std::uint64_t y2200 = kUnixInTicks + 7'258'118'400ULL * kTicksPerSecond;
    for (std::uint64_t ticks : std::initializer_list<std::uint64_t>{
             ~0ULL, 1ULL << 63, y2200, 0ULL, kUnixInTicks - 2'208'988'801ULL * kTicksPerSecond}) {
        auto field = ntfsField(ticks);
        EXPECT_FALSE(parseNtfsTimes(field.data(), field.size())) << ticks;
    }
    auto lastGood = ntfsField(y2200 - kTicksPerSecond);
    EXPECT_EQ(parseNtfsTimes(lastGood.data(), lastGood.size()),
              SysTime{std::chrono::seconds(7'258'118'399LL)});
    // The extended timestamp's signed 32-bit seconds always fit: its earliest value is read as is.
    const std::uint8_t earliest[] = {0x01, 0x00, 0x00, 0x00, 0x80};
    EXPECT_EQ(parseExtendedTimestamp(earliest, sizeof earliest),
              SysTime{std::chrono::seconds(-2'147'483'648LL)});
}

TEST(NtfsTimes, ReadsTheModificationTimeWithSubSeconds) {
    // 2024-03-05 14:07:09.5 UTC as FILETIME.
    std::vector<std::uint8_t> field =
        ntfsField(kUnixInTicks + 1'709'647'629ULL * kTicksPerSecond + 5'000'000ULL);
    auto t = parseNtfsTimes(field.data(), field.size());
    ASSERT_TRUE(t);
    EXPECT_EQ(*t, SysTime{std::chrono::seconds(1'709'647'629)} + std::chrono::milliseconds(500));
    field.resize(10); // tag announces 24 bytes that are not there
    EXPECT_FALSE(parseNtfsTimes(field.data(), field.size()));
}

} // namespace
} // namespace quillan::archive
