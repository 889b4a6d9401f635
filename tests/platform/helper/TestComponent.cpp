// A component for the loader tests. Its entry points answer the number in an environment variable,
// so that a test sees which one ran and that its answer comes back, and add their names to the file
// QUILLAN_TEST_COMPONENT_LOG names, so that a run that registers through another program is seen to
// reach them; built a second time without them (QUILLAN_NO_ENTRY_POINTS) for the missing-entry-point
// case.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

std::int32_t answer(const char* variable, const char* entry) {
    if (const char* log = std::getenv("QUILLAN_TEST_COMPONENT_LOG"); log != nullptr && *log != '\0') {
        if (std::FILE* out = std::fopen(log, "ab")) {
            std::fprintf(out, "%s\n", entry);
            std::fclose(out);
        }
    }
    const char* text = std::getenv(variable);
    // Read unsigned: "0x80004005" does not fit a 32-bit long (Windows), where strtol would clamp it.
    return text != nullptr ? static_cast<std::int32_t>(std::strtoul(text, nullptr, 0)) : 0;
}

} // namespace

#ifndef QUILLAN_NO_ENTRY_POINTS
extern "C" std::int32_t DllRegisterServer() {
    return answer("QUILLAN_TEST_REGISTER_RESULT", "DllRegisterServer");
}

extern "C" std::int32_t DllUnregisterServer() {
    return answer("QUILLAN_TEST_UNREGISTER_RESULT", "DllUnregisterServer");
}
#else
extern "C" std::int32_t SomethingElse() {
    return answer("QUILLAN_TEST_REGISTER_RESULT", "SomethingElse");
}
#endif
