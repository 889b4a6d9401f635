#include "console/PackageVerification.h"

#include "base/Machine.h"
#include "base/Progress.h"
#include "console/DownloadStatements.h"
#include "platform/PlainFileName.h"
#include "scripts/ManifestRules.h"
#include "scripts/ReleaseTrust.h"
#include "trust/SignedManifest.h"
#include "trust/TrustedKeys.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

namespace quillan {

namespace fs = std::filesystem;

namespace {

// A manifest a trusted key signed, and why it may not vouch for a release here ("" when it may).
struct SignedRelease {
    trust::Manifest manifest;
    std::string refusal;
};

// Every manifest in `folder` that a trusted key signed (a manifest nobody trusted vouches for
// nothing and is passed over), each judged by `rules` when given.
void collectManifests(const fs::path& folder, const std::vector<std::string>& keys,
                      const std::optional<ManifestRules>& rules, std::vector<SignedRelease>& out) {
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
            SignedRelease r{trust::verifySignedManifest(text, keys).manifest, {}};
            if (rules)
                r.refusal = whyRefuseManifest(r.manifest, *rules);
            out.push_back(std::move(r));
        } catch (const trust::ManifestError&) {
        }
    }
}

// The package's size and SHA-256 as they are now: hashed while it arrived in this run when the
// file is still as the download left it, read again otherwise.
std::string whyPackageDiffers(const Console& c, const fs::path& file, const trust::FileDigest& listed) {
    if (const auto known = c.state.run.downloadDigests.of(file))
        return trust::whyDigestDiffers({known->size, known->sha256}, listed);
    return trust::whyFileDiffers(file, listed);
}

// Empty when the package in the update folder is the one release `version` lists.
std::string whyRefusePackage(const Console& c, const std::vector<SignedRelease>& manifests,
                             const std::string& name, int version, const fs::path& file) {
    const trust::ManifestFile* listed = nullptr;
    std::string refusal;
    int otherRelease = 0;
    for (const auto& [m, why] : manifests)
        if (const auto* f = m.find(name)) {
            if (m.version != version)
                otherRelease = m.version;
            else if (why.empty())
                listed = f;
            else
                refusal = why;
        }
    if (listed)
        return whyPackageDiffers(c, file, listed->digest);
    if (!refusal.empty())
        return refusal;
    return otherRelease ? "it belongs to release " + std::to_string(otherRelease) + ", not to release " +
                              std::to_string(version) + " (files of two releases mixed)"
                        : "no signed manifest of release " + std::to_string(version) + " lists it";
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
    // the share beside the packages. Those of the work folders passed the script download's checks;
    // the share's must pass the same now (the release applied on the server machine first included).
    std::vector<SignedRelease> manifests;
    collectManifests(c.native(c.state.archiveInFolder), keys, std::nullopt, manifests);
    collectManifests(c.native(c.state.deployInFolder), keys, std::nullopt, manifests);
    if (!c.state.isLocalServer) {
        ManifestRules shared;
        shared.audience = ManifestAudience::EitherOne;
        shared.distributorCode = c.state.distributorCode;
        shared.newestApplied = newestAppliedRelease(c);
        shared.appliedReleaseAgain = true;
        collectManifests(c.native(c.state.lanServerPath), keys, shared, manifests);
    }
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
        const std::string why = whyRefusePackage(c, manifests, name, version, file);
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
