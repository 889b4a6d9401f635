#include "console/PackageVerification.h"

#include "base/Machine.h"
#include "base/Progress.h"
#include "console/DownloadStatements.h"
#include "platform/PlainFileName.h"
#include "scripts/ReleaseTrust.h"
#include "trust/SignedManifest.h"
#include "trust/TrustedKeys.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

namespace quillan {

namespace fs = std::filesystem;

namespace {

// Every manifest in `folder` that a trusted key signed (a manifest nobody trusted vouches for
// nothing and is passed over).
void collectManifests(const fs::path& folder, const std::vector<std::string>& keys,
                      std::vector<trust::Manifest>& out) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file(ec) || !trust::isManifestFileName(name) ||
            entry.file_size(ec) > trust::kManifestMaxBytes)
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        try {
            out.push_back(trust::verifySignedManifest(text, keys).manifest);
        } catch (const trust::ManifestError&) {
        }
    }
}

// Empty when the package in the update folder is the one release `version` lists.
std::string whyRefusePackage(const std::vector<trust::Manifest>& manifests, const std::string& name,
                             int version, const fs::path& file) {
    const trust::ManifestFile* listed = nullptr;
    int otherRelease = 0;
    for (const auto& m : manifests)
        if (const auto* f = m.find(name)) {
            if (m.version == version)
                listed = f;
            else
                otherRelease = m.version;
        }
    if (!listed)
        return otherRelease ? "it belongs to release " + std::to_string(otherRelease) + ", not to release " +
                                  std::to_string(version) + " (files of two releases mixed)"
                            : "no signed manifest of release " + std::to_string(version) + " lists it";
    return trust::whyFileDiffers(file, listed->digest);
}

void refusePackage(Console& c, const std::string& name, const std::string& why) {
    const fs::path file = c.native(c.state.updateFolder) / name;
    std::error_code ec;
    if (fs::exists(file, ec)) {
        try {
            c.os.forceDelete(file);
        } catch (const std::exception& e) {
            c.log.line(">>-" + std::string(e.what()) + " removing " + name);
        }
    }
    if (c.state.isLocalServer)
        c.conn->execute(downloadSizeUpdate(c.state.dbPrefix, 0, name));
    failRow(c, Row::ProgramDownload);
    LoadToGrid(c, c.state.run.gridRowCounter, "Downloading new program ", name, 4,
               rowPercent(c, Row::ProgramDownload));
    refuseRelease(c, name, why);
}

} // namespace

bool PackagesVerified(Console& c) {
    std::vector<std::string> keys;
    try {
        keys = trustedKeys(c);
    } catch (const trust::TrustedKeysError& e) {
        refuseRelease(c, trustedKeysText(c), e.what());
        return false;
    }
    if (keys.empty())
        return true;
    // The manifests arrive with the scripts and are archived after the import (one whose import
    // broke off is still where it arrived); a client of another machine's database finds them on
    // the share beside the packages.
    std::vector<trust::Manifest> manifests;
    collectManifests(c.native(c.state.archiveInFolder), keys, manifests);
    collectManifests(c.native(c.state.deployInFolder), keys, manifests);
    if (!c.state.isLocalServer)
        collectManifests(c.native(c.state.lanServerPath), keys, manifests);
    // Every package on disk, whatever its download record says: one of another size than published
    // is refused here too rather than taken for an incomplete download. A joined archive
    // (RegRequired 2) is rebuilt here from verified pieces and never downloaded.
    for (auto rs = c.conn->query(releasePackagesQuery(c.state.dbPrefix)); !rs.eof(); rs.moveNext()) {
        const std::string name = rs.field("File_Names").textOr("");
        const int version = static_cast<int>(rs.field("VersionNo").intOrNull().value_or(0));
        if (rs.field("RegRequired").intOrNull().value_or(0) != 0 || !isPlainFileName(name))
            continue; // the transports refuse a name that is no plain file name: nothing is on disk
        const fs::path file = c.native(c.state.updateFolder) / name;
        std::error_code ec;
        if (!fs::is_regular_file(file, ec))
            continue;
        const std::string why = whyRefusePackage(manifests, name, version, file);
        if (!why.empty()) {
            refusePackage(c, name, why);
            return false;
        }
        c.state.run.verifiedRelease = std::max(c.state.run.verifiedRelease, version);
    }
    c.log.line(">>-Every package matches the signed manifest of its release");
    return true;
}

} // namespace quillan
