#include "transfer/RemoteName.h"

#include "platform/PlainFileName.h"
#include "platform/Wildcard.h"

namespace quillan::transfer {

bool isSafeRemoteName(std::string_view name) {
    return isPlainFileName(name);
}

bool wildcardMatch(std::string_view pattern, std::string_view name) {
    if (quillan::wildcardMatch(pattern, name))
        return true;
    // "*.*" matches names without a dot too, as on Windows: a trailing ".*" may match nothing.
    return pattern.ends_with(".*") && quillan::wildcardMatch(pattern.substr(0, pattern.size() - 2), name);
}

} // namespace quillan::transfer
