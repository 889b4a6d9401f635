// On Windows every drive letter is its own root, so path texts pass through unchanged.
#include "platform/OsHooks.h"

#include <string>

namespace quillan::os {

std::map<char, std::filesystem::path> defaultDriveMap() {
    std::map<char, std::filesystem::path> drives;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        drives[letter] = std::filesystem::path(std::string{letter, ':', '\\'});
    }
    return drives;
}

} // namespace quillan::os
