#include "install/CutRunCopies.h"

#include "install/FileReplacementStatements.h"
#include "install/FinishingStatements.h"
#include "install/ReleaseFile.h"
#include "install/RemovingFiles.h"
#include "platform/Text.h"

#include <algorithm>
#include <array>
#include <exception>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>
#include <system_error>

namespace quillan {

namespace fs = std::filesystem;

namespace {

// Compared in blocks: the files may be as large as the release's largest program.
bool sameBytes(const fs::path& a, const fs::path& b) {
    std::error_code ec1, ec2;
    const auto sizeA = fs::file_size(a, ec1);
    const auto sizeB = fs::file_size(b, ec2);
    if (ec1 || ec2 || sizeA != sizeB)
        return false;
    std::ifstream inA(a, std::ios::binary), inB(b, std::ios::binary);
    if (!inA || !inB)
        return false;
    std::array<char, 64 * 1024> bufA{}, bufB{};
    for (std::uintmax_t left = sizeA; left > 0;) {
        const auto n = static_cast<std::streamsize>(std::min<std::uintmax_t>(left, bufA.size()));
        if (!inA.read(bufA.data(), n) || !inB.read(bufB.data(), n))
            return false;
        if (!std::equal(bufA.begin(), bufA.begin() + n, bufB.begin()))
            return false;
        left -= static_cast<std::uintmax_t>(n);
    }
    return true;
}

// The extensions the finishing operation removes, without the log lines RemovingFiles writes.
std::vector<std::string> removedExtensions(Console& c) {
    std::vector<std::string> out;
    for (auto rs = c.conn->query(backupExtensionsQuery(c.state.dbPrefix)); !rs.eof(); rs.moveNext()) {
        const std::string extension(trimmed(rs.field("Extension").textOr("")));
        if (isRemovableBackupExtension(extension))
            out.push_back(extension);
    }
    return out;
}

} // namespace

std::vector<CutRunCopy> cutRunCopies(Console& c) {
    std::vector<CutRunCopy> out;
    std::optional<std::vector<std::string>> extensions; // asked for at the first waiting copy
    for (auto rs = c.conn->query(supportingFilesQuery(c.state.dbPrefix)); !rs.eof(); rs.moveNext()) {
        const auto f = releaseFileQuietly(c, rs);
        if (!f)
            continue;
        const CutRunCopy copy{f->name, c.native(f->installedText()),
                              c.native(c.state.backupFolder + "\\" + f->name)};
        std::error_code ec;
        if (!fs::is_regular_file(copy.saved, ec))
            continue;
        if (!extensions)
            extensions = removedExtensions(c);
        if (hasListedExtension(f->name, *extensions) &&
            sameBytes(copy.installed, c.native(c.state.updateFolder + "\\" + f->name)))
            out.push_back(copy);
    }
    return out;
}

std::vector<std::string> oldCopiesOfACutRun(Console& c) {
    std::vector<std::string> out;
    for (const auto& copy : cutRunCopies(c))
        out.push_back(copy.name);
    return out;
}

KeptBackupCopies backupCopiesToKeep(Console& c, int phaseReached) {
    constexpr int kUnpacked = 5;
    if (phaseReached < kUnpacked)
        return {true, "the run ended before the release's files were unpacked", {}};
    try {
        return {false, "", cutRunCopies(c)};
    } catch (const std::exception& e) {
        return {true, std::string(e.what()) + " in telling the copies of a cut run", {}};
    }
}

bool removeBackupFolderCopies(Console& c, const KeptBackupCopies& keep) {
    if (keep.all) {
        c.log.line(">>-Backup copies kept in " + c.state.backupFolder + ": " + keep.why);
        return true;
    }
    std::vector<std::string> spared;
    for (const auto& copy : keep.copies) {
        if (sameBytes(copy.installed, copy.saved))
            continue; // put back by the undo: the installed file holds the old bytes again
        c.log.line(">>-Keeping the copy a cut run saved of " + copy.name);
        spared.push_back(copy.name);
    }
    return RemovingFiles(c, c.state.backupFolder, spared);
}

} // namespace quillan
