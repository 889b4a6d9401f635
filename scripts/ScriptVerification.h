#pragma once
// What a verifying installation checks of a deploy script. On arrival, with the manifest fetched
// beside it: the manifest is signed by a trusted key, meant for this distributor (a master script's
// for every one), not expired, of a release newer than the newest applied, and lists the script
// with its size and SHA-256. At the import, the script in the work folder still matches the signed
// manifest kept beside it.
#include "base/Console.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quillan {

struct ArrivedScript {
    std::string name;               // as the server listed it
    std::filesystem::path file;     // where it was fetched to
    std::filesystem::path manifest; // where its manifest was fetched to (may be missing)
    bool master = false;            // a master script (every distributor) or a transaction script
};

// Empty when the script may be imported; else the reason for refusing it.
std::string whyRefuseArrivedScript(Console& c, const std::vector<std::string>& keys, const ArrivedScript& s);
std::string whyRefuseKeptScript(const std::vector<std::string>& keys, const std::string& name,
                                const std::filesystem::path& file, const std::filesystem::path& manifest);

// Checks an arrived script; a refused one is dropped (below) and the release refused
// (refuseRelease: the program ends). True when it may be imported.
bool admitArrivedScript(Console& c, const std::vector<std::string>& keys, const ArrivedScript& s);

// Removes a refused script and its manifest from the work folder and forgets that the name was
// fetched, so that the next run fetches it again (the office may have published it again).
void dropRefusedScript(Console& c, const ArrivedScript& s);

} // namespace quillan
