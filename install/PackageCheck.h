#pragma once
// The check of a downloaded package right before it is unpacked. The download recorded its size
// when it arrived, but the file may have changed since (another run, a hand, a cut copy), and the
// unpacking writes every member under its bare name into the update folder that also holds the
// release's packages: a member named like one of them would replace it, and every later run would
// find that package damaged while its recorded size still matched.
#include "base/Console.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quillan {

// The names of every package, template and piece of the release.
std::vector<std::string> releasePackageNames(Console& c);

// Why the package `name` of the update folder must not be unpacked, or "" when it may. Its bytes
// must be the published `uploadSize` (a package rebuilt from pieces is recorded without one; the
// join checked its length): one that is not has its download forgotten, so that the next run
// fetches it again. No member may bear the name of one of `packages` (any letter case). An archive
// that cannot be listed answers "": the unpacking itself then reports it.
std::string packageRefusal(Console& c, const std::string& name, std::int64_t uploadSize,
                           const std::vector<std::string>& packages);

} // namespace quillan
