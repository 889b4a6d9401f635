#pragma once
// Names read from servers, tables and templates end up in local paths. Only a plain file name may
// be joined to a folder: one that could name another folder, a drive or a device is refused.
#include <string_view>

namespace quillan {

// True for a plain file name: not empty, not "." or "..", no "/" or "\", no drive colon, no
// control character.
inline bool isPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    for (char ch : name) {
        auto u = static_cast<unsigned char>(ch);
        if (ch == '/' || ch == '\\' || ch == ':' || u < 0x20 || u == 0x7f)
            return false;
    }
    return true;
}

} // namespace quillan
