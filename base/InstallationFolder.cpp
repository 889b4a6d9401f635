#include "base/InstallationFolder.h"

#include "platform/Text.h"

#include <filesystem>

namespace quillan {

namespace fs = std::filesystem;

namespace {

// A folder text one of whose components is "..": it could name any folder of the machine.
bool climbsOut(const std::string& folder) {
    std::size_t start = 0;
    while (start <= folder.size()) {
        const std::size_t end = folder.find_first_of("\\/", start);
        const std::string part =
            folder.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (trimmed(part) == "..")
            return true;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return false;
}

// Component by component, so that "/srv/Tervik2" does not count as inside "/srv/Tervik".
bool isInside(const fs::path& inner, const fs::path& outer) {
    auto o = outer.begin(), i = inner.begin();
    for (; o != outer.end(); ++o, ++i) {
        if (o->empty())
            continue; // the empty last component of a folder written with a trailing separator
        if (i == inner.end() || *i != *o)
            return false;
    }
    return true;
}

} // namespace

std::string folderOutsideInstallation(const Console& c, const std::string& folder) {
    if (trimmed(folder).empty())
        return "it names no folder";
    if (climbsOut(folder))
        return "it climbs out of its folder with \"..\"";
    if (c.paths.onMappedDrive(folder))
        return "";
    const fs::path native = c.paths.toNative(folder).lexically_normal();
    if (native.is_absolute() && isInside(native, c.programFolder().lexically_normal()))
        return "";
    return "it lies outside the application folder and the drives of the drive map";
}

} // namespace quillan
