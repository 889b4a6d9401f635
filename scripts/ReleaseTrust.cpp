#include "scripts/ReleaseTrust.h"

#include "scripts/ReleaseTrustStatements.h"
#include "trust/TrustedKeys.h"

namespace quillan {

namespace fs = std::filesystem;

fs::path trustedKeysFile(const Console& c) {
    const fs::path dll =
        c.state.iniPath.empty() ? c.programFolder() / "Dll" : c.native(c.state.iniPath).parent_path();
    return dll / "TrustedKeys.txt";
}

std::string trustedKeysText(const Console& c) {
    const auto cut = c.state.iniPath.find_last_of('\\');
    return cut == std::string::npos ? trustedKeysFile(c).string()
                                    : c.state.iniPath.substr(0, cut + 1) + "TrustedKeys.txt";
}

std::vector<std::string> trustedKeys(const Console& c) {
    return trust::readTrustedKeys(trustedKeysFile(c)).value_or(std::vector<std::string>{});
}

void refuseRelease(Console& c, const std::string& file, const std::string& reason) {
    std::string shown = file; // a line end in a server's name must not forge a log line
    for (auto& ch : shown)
        if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f)
            ch = '?';
    const std::string text = "Release refused: " + shown + ": " + reason;
    c.model.setLabel(Label::LblStatus, text);
    c.log.line(">>-" + text);
    c.status(">>-" + text);
    c.state.run.runFailed = true;
    c.op.inform(text);
    c.endProgram(Ending::ReleaseRefused);
}

int newestAppliedRelease(Console& c) {
    // Only read: a refused release leaves the database as it was, this table's absence included.
    if (c.conn->query(appliedReleaseTableLookup(c.state.dbPrefix)).eof())
        return 0;
    auto rs = c.conn->query(newestAppliedReleaseQuery(c.state.dbPrefix));
    return rs.eof() ? 0 : static_cast<int>(rs.field("VersionNo").intOrNull().value_or(0));
}

void recordAppliedRelease(Console& c, int version) {
    c.conn->execute(appliedReleaseTable(c.state.dbPrefix));
    c.conn->execute(appliedReleaseRecord(c.state.dbPrefix, version));
}

} // namespace quillan
