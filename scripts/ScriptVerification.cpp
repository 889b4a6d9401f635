#include "scripts/ScriptVerification.h"

#include "base/Machine.h"
#include "scripts/ManifestRules.h"
#include "scripts/ReleaseTrust.h"
#include "scripts/ReleaseTrustStatements.h"
#include "trust/SignedManifest.h"

#include <fstream>
#include <optional>

namespace quillan {

namespace fs = std::filesystem;

namespace {

// The manifest's text; nothing when it is missing or longer than a manifest may be.
std::optional<std::string> manifestText(const fs::path& file) {
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    if (ec || size > trust::kManifestMaxBytes)
        return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    std::string text(static_cast<std::size_t>(size), '\0');
    if (!in.read(text.data(), static_cast<std::streamsize>(text.size())))
        return std::nullopt;
    return text;
}

// Empty when the file is listed in the manifest with its size and SHA-256.
std::string whyFileDiffers(const trust::Manifest& m, const std::string& name, const fs::path& file) {
    const trust::ManifestFile* listed = m.find(name);
    if (!listed)
        return "the signed manifest of release " + std::to_string(m.version) + " does not list it";
    return trust::whyFileDiffers(file, listed->digest);
}

// The verified manifest, or the reason it is refused.
std::optional<trust::Manifest> openManifest(const std::vector<std::string>& keys, const fs::path& file,
                                            std::string& why) {
    const auto text = manifestText(file);
    if (!text) {
        why = fs::exists(file) ? "its manifest cannot be read or is too large"
                               : "no signed release manifest came with it";
        return std::nullopt;
    }
    try {
        return trust::verifySignedManifest(*text, keys).manifest;
    } catch (const trust::ManifestError& e) {
        why = e.what();
        return std::nullopt;
    }
}

} // namespace

std::string whyRefuseArrivedScript(Console& c, const std::vector<std::string>& keys, const ArrivedScript& s) {
    std::string why;
    const auto m = openManifest(keys, s.manifest, why);
    if (!m)
        return why;
    ManifestRules rules;
    rules.audience = s.master ? ManifestAudience::EveryDistributor : ManifestAudience::ThisDistributor;
    rules.distributorCode = c.state.distributorCode;
    rules.newestApplied = newestAppliedRelease(c);
    why = whyRefuseManifest(*m, rules);
    return why.empty() ? whyFileDiffers(*m, s.name, s.file) : why;
}

std::string whyRefuseKeptScript(const std::vector<std::string>& keys, const std::string& name,
                                const fs::path& file, const fs::path& manifest) {
    std::string why;
    const auto m = openManifest(keys, manifest, why);
    return m ? whyFileDiffers(*m, name, file) : why;
}

bool admitArrivedScript(Console& c, const std::vector<std::string>& keys, const ArrivedScript& s) {
    std::string why;
    try {
        why = whyRefuseArrivedScript(c, keys, s);
    } catch (const std::exception& e) { // a script that cannot be checked is not imported either
        why = std::string("it cannot be checked: ") + e.what();
    }
    if (why.empty())
        return true;
    dropRefusedScript(c, s);
    refuseRelease(c, s.name, why);
    return false;
}

void dropRefusedScript(Console& c, const ArrivedScript& s) {
    for (const auto& f : {s.file, s.manifest}) {
        std::error_code ec;
        if (!fs::exists(f, ec))
            continue;
        try {
            c.os.forceDelete(f);
        } catch (const std::exception& e) {
            c.log.line(">>-" + std::string(e.what()) + " removing " + f.filename().string());
        }
    }
    c.conn->execute(fetchedScriptForget(c.state.dbPrefix, s.name));
}

} // namespace quillan
