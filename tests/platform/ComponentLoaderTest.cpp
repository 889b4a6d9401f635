#include "platform/ComponentLoader.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace quillan;
using namespace quillan::test;
namespace fs = std::filesystem;
using Outcome = ComponentCall::Outcome;

TEST(CallRegistrationEntry, CallsTheNamedEntryPointAndTellsTheFailuresApart) {
    TempDir dir;
    writeFile(dir / "text.so", "not a library");
    EnvGuard reg("QUILLAN_TEST_REGISTER_RESULT", "0");
    EnvGuard unreg("QUILLAN_TEST_UNREGISTER_RESULT", "0x80004005"); // E_FAIL
    struct Case {
        const char* what;
        fs::path library;
        RegistrationEntry entry;
        Outcome outcome;
        std::int32_t result;
    };
    const Case cases[] = {
        {"register answers 0", QUILLAN_TEST_COMPONENT, RegistrationEntry::Register, Outcome::Called, 0},
        {"unregister answers its own failure", QUILLAN_TEST_COMPONENT, RegistrationEntry::Unregister,
         Outcome::Called, static_cast<std::int32_t>(0x80004005u)},
        {"no such entry point", QUILLAN_TEST_NOT_A_COMPONENT, RegistrationEntry::Register,
         Outcome::MissingEntryPoint, 0},
        {"no such file", dir / "missing.so", RegistrationEntry::Register, Outcome::MissingLibrary, 0},
        {"not a library", dir / "text.so", RegistrationEntry::Unregister, Outcome::MissingLibrary, 0},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        const ComponentCall call = callRegistrationEntry(k.library, k.entry);
        EXPECT_EQ(call.outcome, k.outcome) << call.error;
        EXPECT_EQ(call.result, k.result);
        EXPECT_EQ(call.succeeded(), k.outcome == Outcome::Called && k.result == 0);
        if (k.outcome != Outcome::Called) {
            EXPECT_FALSE(call.error.empty());
        }
        if (k.outcome == Outcome::MissingEntryPoint) {
            EXPECT_NE(call.error.find("DllRegisterServer"), std::string::npos) << call.error;
        }
    }
}

TEST(CallRegistrationEntry, EachCallLoadsTheLibraryAfreshSoItsAnswerIsTodays) {
    EnvGuard first("QUILLAN_TEST_REGISTER_RESULT", "5");
    EXPECT_EQ(callRegistrationEntry(QUILLAN_TEST_COMPONENT, RegistrationEntry::Register).result, 5);
    EnvGuard second("QUILLAN_TEST_REGISTER_RESULT", "6");
    EXPECT_EQ(callRegistrationEntry(QUILLAN_TEST_COMPONENT, RegistrationEntry::Register).result, 6);
}
