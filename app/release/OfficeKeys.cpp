#include "app/release/OfficeKeys.h"

#include "app/release/ReleaseError.h"
#include "trust/Keys.h"

#include <fstream>

namespace quillan::release {

namespace fs = std::filesystem;

namespace {
// Writes under a temporary name, readable by the owner only before a byte is in it, and renames
// it into place: no half key under the final name, no moment where others could read it.
void writePrivately(const fs::path& file, const std::string& line, bool secret) {
    const fs::path temporary = file.parent_path() / ("." + file.filename().string() + ".new");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            throw ReleaseError("cannot write " + temporary.string());
        if (secret)
            fs::permissions(temporary, fs::perms::owner_read | fs::perms::owner_write,
                            fs::perm_options::replace);
        out << line << "\n";
        if (!out.flush())
            throw ReleaseError("cannot write " + temporary.string());
    }
    fs::rename(temporary, file);
}
} // namespace

WrittenKeys generateOfficeKeys(const fs::path& dir) {
    WrittenKeys w{dir / "office.key", dir / "office.pub", {}};
    for (const auto& f : {w.secretFile, w.publicFile})
        if (fs::exists(f))
            throw ReleaseError(f.string() + " exists already: a key is never overwritten (rotate it as "
                                            "docs/security.md describes)");
    fs::create_directories(dir);
    const auto keys = trust::generateKeyPair();
    w.publicHex = keys.publicHex;
    writePrivately(w.secretFile, keys.secretHex, true);
    writePrivately(w.publicFile, keys.publicHex, false);
    return w;
}

std::string readSecretKey(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line))
        throw ReleaseError("the signing key " + file.string() + " cannot be read");
    while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    try {
        (void)trust::publicKeyOf(line);
    } catch (const std::exception&) {
        throw ReleaseError(file.string() + " is not a secret key written by quillan-release keygen");
    }
    return line;
}

} // namespace quillan::release
