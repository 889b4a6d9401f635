#include "app/release/ReleaseManifest.h"

#include "app/release/OfficeKeys.h"
#include "app/release/ReleaseError.h"
#include "trust/SignedManifest.h"
#include "trust/UtcTime.h"

#include <fstream>

namespace quillan::release {

void writeReleaseManifest(const ReleaseOptions& o, const std::vector<std::filesystem::path>& files,
                          const std::filesystem::path& manifest) {
    trust::Manifest m;
    m.version = o.version;
    m.distributor = o.distributor.empty() ? trust::kEveryDistributor : o.distributor;
    m.issued = o.issued ? *o.issued : trust::nowUtc();
    m.expires = m.issued + static_cast<std::int64_t>(o.expiresDays) * 86400;
    for (const auto& f : files) {
        const auto digest = trust::digestOfFile(f);
        if (!digest)
            throw ReleaseError("cannot read " + f.string() + " for the manifest");
        m.files.push_back({f.filename().string(), *digest});
    }
    std::string text;
    try {
        text = trust::signedManifestText(m, readSecretKey(o.signKey));
    } catch (const trust::ManifestError& e) {
        throw ReleaseError(std::string("the manifest cannot be written: ") + e.what());
    }
    std::ofstream out(manifest, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush())
        throw ReleaseError("cannot write " + manifest.string());
}

} // namespace quillan::release
