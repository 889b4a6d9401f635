#pragma once
// Names that come from a server (listings, URLs, deploy scripts) end up in local paths. A name
// that could leave its folder is refused instead of being used.
#include <string_view>

namespace quillan::transfer {

// True for a plain file name: not empty, not "." or "..", no "/" or "\", no drive colon, no
// control character.
bool isSafeRemoteName(std::string_view name);

// Windows-style wildcard match ("*", "?") without regard to case, as file names are compared.
bool wildcardMatch(std::string_view pattern, std::string_view name);

} // namespace quillan::transfer
