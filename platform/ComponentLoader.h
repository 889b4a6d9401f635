#pragma once
// Calling a component's self-registration entry points through the system's loader: the direct
// mode of the component registration loads the library, calls DllRegisterServer or
// DllUnregisterServer (no arguments, a 32-bit status answered) and unloads it again.
#include <cstdint>
#include <filesystem>
#include <string>

namespace quillan {

enum class RegistrationEntry { Register, Unregister };

// The name the entry point is exported under: "DllRegisterServer" or "DllUnregisterServer".
const char* entryPointName(RegistrationEntry entry);

struct ComponentCall {
    enum class Outcome {
        Called,            // the entry point ran; result holds what it answered (0 is success)
        MissingLibrary,    // the library could not be loaded; error holds the loader's reason
        MissingEntryPoint, // loaded, but it exports no such entry point
    };
    Outcome outcome = Outcome::MissingLibrary;
    std::int32_t result = 0; // the entry point's status (an HRESULT on Windows)
    std::string error;

    bool succeeded() const { return outcome == Outcome::Called && result == 0; }
};

// Loads `library` (dlopen here, LoadLibrary on Windows), calls the entry point on this thread and
// unloads it. The library's own start-up code runs too, as it would under any loader.
ComponentCall callRegistrationEntry(const std::filesystem::path& library, RegistrationEntry entry);

} // namespace quillan
