// What extraction reads from an archive before writing: member names turned into names below the
// target folder (flat and with folders), the time fields, and the member spans of the directory.
// Properties: a flattened name is one plain component; a kept path never climbs or starts at a
// root; a time is one a file can carry.
#include "FuzzSupport.h"
#include "archive/ExtraTime.h"
#include "archive/MemberName.h"
#include "archive/MemberSpans.h"

#include <cstring>
#include <filesystem>

using namespace quillan;
using namespace quillan::archive;

namespace {

void checkNames(const std::string& stored) {
    if (auto flat = safeRelativeName(stored, false)) {
        fuzz::require(!flat->empty() && *flat != "." && *flat != "..", "a flat name is a file name", *flat);
        fuzz::require(flat->find_first_of("/\\:") == std::string::npos, "a flat name has no folder", *flat);
        fuzz::require(*flat == bareName(stored), "a flat name is the bare name", *flat);
    }
    if (auto kept = safeRelativeName(stored, true)) {
        fuzz::require(!kept->empty() && kept->front() != '/', "a kept path is relative", *kept);
        for (const auto& part : std::filesystem::path(*kept))
            fuzz::require(part != "..", "a kept path never climbs", *kept);
    }
    isFolderEntry(stored);
}

void checkTime(std::optional<SysTime> t) {
    if (!t)
        return;
    // The conversion extraction makes before setting the file's time.
    auto ft = std::chrono::file_clock::from_sys(*t);
    fuzz::require(std::chrono::file_clock::to_sys(ft) == *t, "a member time survives the file clock");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 65536)
        return 0;
    checkNames(fuzz::text(data, size));
    checkTime(parseExtendedTimestamp(data, size));
    checkTime(parseNtfsTimes(data, size));

    ArchiveReader read = [&](std::uint64_t offset, std::uint8_t* out, std::size_t n) {
        if (offset > size || n > size - offset)
            return false;
        std::memcpy(out, data + offset, n);
        return true;
    };
    if (auto spans = readMemberSpans(read, size, 1000)) {
        for (const MemberSpan& s : *spans)
            fuzz::require(s.begin <= s.end, "a span does not wrap");
        firstOverlap(*spans);
    }
    return 0;
}
