#include "install/RegistrationTool.h"

#include "platform/SystemInfo.h"

#include <cstdlib>

namespace quillan {

std::filesystem::path registrationToolPath() {
    if (const char* configured = std::getenv("QUILLAN_REGISTRATION_TOOL"); configured && *configured)
        return std::filesystem::path(configured);
    const auto folder = systemToolFolder();
    return folder.empty() ? std::filesystem::path() : folder / "regsvr32.exe";
}

} // namespace quillan
