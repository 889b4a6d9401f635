#include "archive/Zip.h"

#include "archive/FilePatterns.h"
#include "archive/LibzipSupport.h"
#include "archive/MemberName.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace quillan {
namespace {

using namespace archive;

std::string folded(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// Folder entries "a/", "a/b/" for a member "a/b/c", each added once.
void addFolderEntries(zip_t* z, const std::string& member) {
    for (std::size_t cut = member.find('/'); cut != std::string::npos; cut = member.find('/', cut + 1)) {
        std::string folder = member.substr(0, cut + 1);
        if (zip_name_locate(z, folder.c_str(), 0) < 0)
            zip_dir_add(z, folder.c_str(), ZIP_FL_ENC_UTF_8);
    }
}

// Deflate cannot shrink data that is already compressed and then writes it slightly larger; such
// members are rewritten stored. Only the listed members are looked at.
void storeWhatDeflateGrew(const std::filesystem::path& archive, const std::set<std::string>& added) {
    std::vector<zip_uint64_t> grown;
    {
        ZipHandle z = openArchive(archive, ZIP_RDONLY);
        zip_int64_t count = zip_get_num_entries(z.get(), 0);
        for (zip_int64_t i = 0; i < count; ++i) {
            zip_stat_t st;
            if (zip_stat_index(z.get(), static_cast<zip_uint64_t>(i), 0, &st) == 0 && st.name != nullptr &&
                st.comp_method != ZIP_CM_STORE && st.comp_size > st.size && added.count(st.name) != 0)
                grown.push_back(static_cast<zip_uint64_t>(i));
        }
    }
    if (grown.empty())
        return;
    ZipHandle z = openArchive(archive, 0);
    for (zip_uint64_t index : grown)
        zip_set_file_compression(z.get(), index, ZIP_CM_STORE, 0);
    if (zip_close(z.get()) != 0)
        throw ArchiveError("Cannot write archive '" + pathText(archive) + "': " + lastError(z.get()));
    z.release();
}

} // namespace

void cZip::fail(int code, const std::string& reason) {
    lastResult_ = code;
    throw ArchiveError("Cannot write archive '" + pathText(zipFile_) + "': " + reason);
}

std::filesystem::path cZip::effectiveBase() const {
    std::string text = pathText(basePath_);
    if (text.find_first_not_of(" \t") == std::string::npos)
        return {};
    return basePath_;
}

int cZip::Zip() {
    lastResult_ = kOk;
    if (zipFile_.empty())
        fail(kBadArguments, "no archive name given");
    PatternOptions options{effectiveBase(), recurseSubDirs_, storeFolderNames_};
    Expansion files = expandPatterns(specs_, options);
    if (!files.missing.empty())
        fail(kCannotRead, "file not found: " + files.missing.front());
    if (files.inputs.empty())
        fail(kNothingToDo, "nothing to add");
    // Names are compared as Windows compares them: two that differ only in case would overwrite
    // each other when extracted there.
    std::set<std::string> seen;
    for (const Input& in : files.inputs)
        if (!seen.insert(folded(in.member)).second)
            fail(kBadArguments, "two files would be stored as '" + in.member + "'");

    ZipHandle z;
    try {
        z = openArchive(zipFile_, ZIP_CREATE | (allowAppend_ ? 0 : ZIP_TRUNCATE));
    } catch (const ArchiveError&) {
        lastResult_ = kCannotWrite;
        throw;
    }
    std::set<std::string> added;
    for (const Input& in : files.inputs) {
        if (storeDirectories_ && storeFolderNames_)
            addFolderEntries(z.get(), in.member);
        auto mtime = fileModificationTime(in.file);
        zip_source_t* src = zip_source_file(z.get(), pathText(in.file).c_str(), 0, -1);
        if (src == nullptr)
            fail(kCannotRead, pathText(in.file) + ": " + lastError(z.get()));
        zip_int64_t index =
            zip_file_add(z.get(), in.member.c_str(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(src);
            fail(kCannotWrite, in.member + ": " + lastError(z.get()));
        }
        auto idx = static_cast<zip_uint64_t>(index);
        zip_set_file_compression(z.get(), idx, ZIP_CM_DEFLATE,
                                 static_cast<zip_uint32_t>(std::clamp(level_, 1, 9)));
        zip_file_set_mtime(
            z.get(), idx,
            std::chrono::system_clock::to_time_t(std::chrono::time_point_cast<std::chrono::seconds>(mtime)),
            0);
        std::vector<std::uint8_t> ut = makeExtendedTimestamp(mtime);
        if (!ut.empty())
            zip_file_extra_field_set(z.get(), idx, kExtendedTimestampId, ZIP_EXTRA_FIELD_NEW, ut.data(),
                                     static_cast<zip_uint16_t>(ut.size()), ZIP_FL_LOCAL | ZIP_FL_CENTRAL);
        added.insert(in.member);
    }
    if (zip_close(z.get()) != 0)
        fail(kCannotWrite, lastError(z.get()));
    z.release();
    try {
        storeWhatDeflateGrew(zipFile_, added);
    } catch (const ArchiveError&) {
        lastResult_ = kCannotWrite;
        throw;
    }
    return lastResult_;
}

int cZip::Delete() {
    lastResult_ = kOk;
    ZipHandle z;
    try {
        z = openArchive(zipFile_, 0);
    } catch (const ArchiveError&) {
        lastResult_ = kCannotWrite;
        throw;
    }
    zip_int64_t count = zip_get_num_entries(z.get(), 0);
    int removed = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(z.get(), static_cast<zip_uint64_t>(i), 0);
        if (name == nullptr)
            continue;
        for (const std::string& added : specs_) {
            std::string pattern = bareName(added);
            if (wildcardMatch(added, name) || wildcardMatch(pattern, bareName(name))) {
                zip_delete(z.get(), static_cast<zip_uint64_t>(i));
                ++removed;
                break;
            }
        }
    }
    if (removed == 0)
        return lastResult_ = kNothingToDo; // zip_discard by the handle: the archive is untouched
    if (zip_close(z.get()) != 0)
        fail(kCannotWrite, lastError(z.get()));
    z.release();
    return lastResult_;
}

} // namespace quillan
