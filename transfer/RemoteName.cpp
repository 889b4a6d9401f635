#include "transfer/RemoteName.h"

#include "platform/Wildcard.h"

#include <cctype>

namespace quillan::transfer {

bool isSafeRemoteName(std::string_view name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    for (char ch : name) {
        auto u = static_cast<unsigned char>(ch);
        if (ch == '/' || ch == '\\' || ch == ':' || u < 0x20 || u == 0x7f)
            return false;
    }
    return true;
}

bool wildcardMatch(std::string_view pattern, std::string_view name) {
    if (quillan::wildcardMatch(pattern, name))
        return true;
    // "*.*" matches names without a dot too, as on Windows: a trailing ".*" may match nothing.
    return pattern.ends_with(".*") && quillan::wildcardMatch(pattern.substr(0, pattern.size() - 2), name);
}

} // namespace quillan::transfer
