// The release manifest's reader: any text is either read or refused with ManifestError; nothing
// else may escape. A text it reads is in the one form the writer gives (so two texts never read
// as the same manifest), and the signed form of any text is refused unless a trusted key signed it.
#include "FuzzSupport.h"
#include "trust/Keys.h"
#include "trust/SignedManifest.h"

using namespace quillan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 65536)
        return 0;
    static const auto key = trust::generateKeyPair();
    const std::string text = fuzz::text(data, size);
    try {
        const trust::Manifest m = trust::parseManifestText(text);
        fuzz::require(trust::manifestText(m) == text, "a manifest read is in the writer's form", text);
    } catch (const trust::ManifestError&) {
    }
    try {
        (void)trust::verifySignedManifest(text, {key.publicHex});
        fuzz::broken("a text nobody signed is refused", text);
    } catch (const trust::ManifestError&) {
    }
    return 0;
}
