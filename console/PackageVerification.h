#pragma once
// The packages' check on a verifying installation: a package (an archive, a split package's
// template or piece) counts as downloaded only when its size and SHA-256 are those the signed
// manifest of its own release lists. It runs after the download and before the join, the
// unpacking and anything that changes the installation or the database, so a split package is
// rebuilt and every file unpacked only from verified bytes.
#include "base/Console.h"

namespace quillan {

// True when every downloaded package matched (or releases are not verified here). Otherwise the
// release is refused: the package is removed from the update folder and, on the database's own
// machine, its download is no longer recorded, so that the next run fetches it again.
bool PackagesVerified(Console& c);

} // namespace quillan
