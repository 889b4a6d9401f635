#include "platform/db/BatchSplitter.h"

#include "platform/db/Connection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

using namespace quillan::db;

namespace {

using Batches = std::vector<std::string>;

TEST(BatchSplitter, GoAloneOnItsLineSeparatesBatches) {
    const std::pair<std::string, Batches> cases[] = {
        {"SELECT 1\nGO\nSELECT 2\n", {"SELECT 1\n", "SELECT 2\n"}},
        {"SELECT 1\r\nGO\r\nSELECT 2\r\n", {"SELECT 1\r\n", "SELECT 2\r\n"}},
        {"SELECT 1\n  go \t\nSELECT 2", {"SELECT 1\n", "SELECT 2"}},
        {"SELECT 1\n\tGo\r\n", {"SELECT 1\n"}},            // a trailing GO gives no empty batch
        {"SELECT 1\nGO\n \t\r\nGO\nGO\n", {"SELECT 1\n"}}, // white-space batches are dropped
        {"GO\nSELECT 1", {"SELECT 1"}},
        {"\xEF\xBB\xBFSELECT 1\nGO", {"SELECT 1\n"}}, // the byte-order mark goes
        {"SELECT 1\nGO 3\nSELECT 2", {"SELECT 1\n", "SELECT 1\n", "SELECT 1\n", "SELECT 2"}},
        {"SELECT 1\ngo  2  \r\n", {"SELECT 1\n", "SELECT 1\n"}},
        {"SELECT 1\nGO -- next part\nSELECT 2", {"SELECT 1\n", "SELECT 2"}},
        {"SELECT 1 GO\nSELECT 2", {"SELECT 1 GO\nSELECT 2"}}, // not alone on its line
        {"SELECT 1\nGOTO x\nGO;\n", {"SELECT 1\nGOTO x\nGO;\n"}},
        {"SELECT 1\n-- GO\nSELECT 2", {"SELECT 1\n-- GO\nSELECT 2"}},
        {"SELECT 1 -- it's\nGO\nSELECT 2", {"SELECT 1 -- it's\n", "SELECT 2"}}, // quote inside a comment
        {"SELECT 'a\nGO\nb'\nGO\n", {"SELECT 'a\nGO\nb'\n"}},
        {"SELECT 'it''s\nGO\n'''\nGO\nSELECT 2", {"SELECT 'it''s\nGO\n'''\n", "SELECT 2"}},
        {"/* a\nGO\n*/ SELECT 1\nGO\nSELECT 2", {"/* a\nGO\n*/ SELECT 1\n", "SELECT 2"}},
        {"/* a /* b */\nGO\n*/\nGO\nSELECT 2", {"/* a /* b */\nGO\n*/\n", "SELECT 2"}}, // comments nest
        {"SELECT '/*'\nGO\nSELECT 2", {"SELECT '/*'\n", "SELECT 2"}},
        {"SELECT 1 /* 'x */\nGO\nSELECT 2", {"SELECT 1 /* 'x */\n", "SELECT 2"}},
        {"SELECT [it's]\nGO\nSELECT 2", {"SELECT [it's]\n", "SELECT 2"}}, // a name, not a literal
        {"SELECT [a]]'b]\nGO\nSELECT 2", {"SELECT [a]]'b]\n", "SELECT 2"}},
        {"SELECT \"it's\"\nGO\nSELECT 2", {"SELECT \"it's\"\n", "SELECT 2"}},
        {"SELECT '[x'\nGO\nSELECT 2", {"SELECT '[x'\n", "SELECT 2"}},
        {"", {}},
    };
    for (const auto& [script, expected] : cases)
        EXPECT_EQ(splitBatches(script), expected) << script;
}

TEST(BatchSplitter, GoCountsOutOfRangeOrOtherWordsAreErrorsNamingTheLine) {
    const std::string bad[] = {"SELECT 1\nGO 0\n",  "SELECT 1\nGO 10001\n",
                               "SELECT 1\nGO -1\n", "SELECT 1\nGO 99999999999999999999999\n",
                               "SELECT 1\nGO x\n",  "SELECT 1\nGO 2 3\n"};
    for (const auto& script : bad)
        EXPECT_THAT([&] { (void)splitBatches(script); }, ThrowsMessage<DbError>(HasSubstr("line 2")))
            << script;
    EXPECT_EQ(splitBatches("SELECT 1\nGO 10000\n").size(), 10000u);
    // Copies are bounded in bytes as well as in number.
    EXPECT_THROW(splitBatches(std::string(1u << 20, 'x') + "\nGO 10000\n"), DbError);
}

} // namespace
