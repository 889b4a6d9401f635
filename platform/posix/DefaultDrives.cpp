// Without a configured drive map the file-system root stands for drive C.
#include "platform/OsHooks.h"

namespace quillan::os {

std::map<char, std::filesystem::path> defaultDriveMap() {
    return {{'C', std::filesystem::path("/")}};
}

} // namespace quillan::os
