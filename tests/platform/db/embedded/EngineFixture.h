#pragma once
// A fresh data folder per test with master and the application catalog "Tervik", its application
// tables created through the engine itself as the application's schema would (the shared engine
// catalog of the tests), plus the failure text of a statement.
#include "tests/platform/TestSupport.h"
#include "tests/support/EngineCatalog.h"

#include <gmock/gmock.h>
#include <string>

namespace quillan::db::test {

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

class EngineTest : public quillan::test::EngineCatalog {
protected:
    std::string failure(const std::string& sql) {
        try {
            conn->execute(sql);
        } catch (const DbError& e) {
            return e.what();
        }
        return "<no error>";
    }
};

} // namespace quillan::db::test
