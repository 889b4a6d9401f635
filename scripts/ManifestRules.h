#pragma once
// What a signed manifest must say before it may vouch for a release on this installation, beyond
// its signature: meant for this distributor (or for every distributor), not expired, and of a
// release the installation may still take. The deploy-script download and the packages' check of
// a client that reads the LAN share apply the same rules.
#include "trust/Manifest.h"

#include <string>

namespace quillan {

// Whom the manifest must be meant for.
enum class ManifestAudience {
    EveryDistributor, // a master script's: "*" only
    ThisDistributor,  // a transaction script's: this installation's code only
    EitherOne,        // a package's on the share: its release came with a script of either kind
};

struct ManifestRules {
    ManifestAudience audience = ManifestAudience::EveryDistributor;
    std::string distributorCode; // this installation's
    int newestApplied = 0;       // AppliedRelease (newestAppliedRelease)
    // A script must bring a release newer than the newest applied. A client of another machine's
    // database shares that machine's AppliedRelease, so the release the server machine (or another
    // client) applied first must still install on it: only an older one is refused there.
    bool appliedReleaseAgain = false;
};

// Empty when the manifest may vouch; else the reason for refusing what it lists.
std::string whyRefuseManifest(const trust::Manifest& m, const ManifestRules& rules);

} // namespace quillan
