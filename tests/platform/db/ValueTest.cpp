#include "platform/db/Value.h"
#include "platform/db/Connection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

using quillan::DateTime;
using quillan::db::DbError;
using quillan::db::Value;

TEST(Value, NullIsDistinctFromEveryValueAndRefusesTypedReads) {
    const Value null;
    EXPECT_TRUE(null.isNull());
    EXPECT_FALSE(Value(0).isNull());
    EXPECT_NE(null, Value(""));
    EXPECT_NE(null, Value(0));
    EXPECT_THROW(null.asInt(), DbError);
    EXPECT_THROW(null.asDouble(), DbError);
    EXPECT_THROW(null.asText(), DbError);
    EXPECT_THROW(null.asDate(), DbError);
    EXPECT_EQ(null.textOr("none"), "none");
    EXPECT_EQ(null.intOrNull(), std::nullopt);
    EXPECT_EQ(Value(7).intOrNull(), 7);
}

TEST(Value, NumericTextReadsAsNumberAndFractionsRoundHalfToEven) {
    const std::pair<Value, std::int64_t> ints[] = {
        {Value("42"), 42}, {Value(" -17 "), -17},
        {Value("+5"), 5},  {Value("9223372036854775807"), INT64_MAX},
        {Value("2.5"), 2}, {Value("3.5"), 4},
        {Value(-2.5), -2}, {Value(2.6), 3},
    };
    for (const auto& [v, n] : ints)
        EXPECT_EQ(v.asInt(), n) << v.asText();
    EXPECT_DOUBLE_EQ(Value("2.5").asDouble(), 2.5);
    EXPECT_DOUBLE_EQ(Value("1e3").asDouble(), 1000.0);
}

TEST(Value, UnconvertibleValuesThrowNamingTheText) {
    EXPECT_THAT([] { (void)Value("12abc").asInt(); }, ThrowsMessage<DbError>(HasSubstr("12abc")));
    EXPECT_THROW(Value("").asInt(), DbError);
    EXPECT_THROW(Value("abc").asDouble(), DbError);
    EXPECT_THROW(Value(1e300).asInt(), DbError);
    EXPECT_THROW(Value("not a date").asDate(), DbError);
    EXPECT_THROW(Value(5).asDate(), DbError);
    EXPECT_THROW(Value(DateTime{2024, 1, 2, 3, 4, 5}).asInt(), DbError);
}

TEST(Value, TextFormsOfNumbersAndDatesAndDateTextReadsAsDate) {
    EXPECT_EQ(Value(std::int64_t{-123}).asText(), "-123");
    EXPECT_EQ(Value(0.1).asText(), "0.1"); // shortest exact text, not 0.100000
    EXPECT_EQ(Value(2.0).asText(), "2");
    EXPECT_EQ(Value(DateTime{2024, 2, 29, 23, 5, 9}).asText(), "2024-02-29 23:05:09");
    EXPECT_EQ(Value("2023-11-05 14:30:00").asDate(), (DateTime{2023, 11, 5, 14, 30, 0}));
    EXPECT_EQ(Value("2023-11-05").asDate(), (DateTime{2023, 11, 5, 0, 0, 0}));
    EXPECT_EQ(Value("2023-11-05 14:30:00.997").asDate(), (DateTime{2023, 11, 5, 14, 30, 0}));
}
