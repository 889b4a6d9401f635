#include "archive/Unzip.h"

#include "archive/LibzipSupport.h"
#include "archive/MemberName.h"

#include <fstream>
#include <set>
#include <stdexcept>
#include <system_error>

namespace quillan {
namespace {

using namespace archive;

constexpr std::size_t kChunk = 1 << 20; // members are streamed, never held whole

struct ZipFileClose {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};

std::string describe(const std::filesystem::path& archive, const std::string& member,
                     const std::string& what) {
    return "Cannot extract '" + member + "' from archive '" + pathText(archive) + "': " + what;
}

// Streams one member through `buffer` into `out` (or nowhere when testing). libzip checks the
// CRC as the last bytes are read.
void copyMember(zip_t* z, zip_uint64_t index, const std::string& name, const std::filesystem::path& archive,
                std::uint64_t expected, std::vector<char>& buffer, std::ofstream* out) {
    std::unique_ptr<zip_file_t, ZipFileClose> in(zip_fopen_index(z, index, 0));
    if (!in)
        throw ArchiveError(describe(archive, name, lastError(z)));
    std::uint64_t done = 0;
    for (;;) {
        zip_int64_t n = zip_fread(in.get(), buffer.data(), buffer.size());
        if (n < 0)
            throw ArchiveError(describe(archive, name, zip_error_strerror(zip_file_get_error(in.get()))));
        if (n == 0)
            break;
        done += static_cast<std::uint64_t>(n);
        if (out != nullptr && !out->write(buffer.data(), static_cast<std::streamsize>(n)))
            throw ArchiveError(describe(archive, name, "the file cannot be written"));
    }
    // A damaged directory can announce another size than the data holds; never pass it as whole.
    if (done != expected)
        throw ArchiveError(describe(
            archive, name, "size " + std::to_string(done) + " instead of " + std::to_string(expected)));
}

void writeMember(zip_t* z, zip_uint64_t index, const std::string& name, const std::filesystem::path& archive,
                 std::uint64_t expected, const std::filesystem::path& target, SysTime mtime,
                 std::vector<char>& buffer) {
    std::filesystem::path temp = temporarySibling(target);
    try {
        {
            std::ofstream out;
            out.rdbuf()->pubsetbuf(nullptr, 0); // whole chunks go straight to the file
            out.open(temp, std::ios::binary | std::ios::trunc);
            if (!out)
                throw ArchiveError(describe(archive, name, "cannot create " + pathText(temp)));
            copyMember(z, index, name, archive, expected, buffer, &out);
            out.close();
            if (!out)
                throw ArchiveError(describe(archive, name, "the file cannot be written"));
        }
        setFileModificationTime(temp, mtime);
        std::filesystem::rename(temp, target);
    } catch (const std::filesystem::filesystem_error& e) {
        std::error_code ignore;
        std::filesystem::remove(temp, ignore);
        throw ArchiveError(describe(archive, name, e.code().message() + " (" + pathText(target) + ")"));
    } catch (...) {
        std::error_code ignore;
        std::filesystem::remove(temp, ignore);
        throw;
    }
}

} // namespace

void cUnzip::ZipFile(const std::filesystem::path& archive) {
    zipFile_ = archive;
    entries_.clear();
}

const cUnzip::Entry& cUnzip::entry(int i) const {
    if (i < 1 || i > FileCount())
        throw std::out_of_range("cUnzip: no directory entry " + std::to_string(i));
    return entries_[static_cast<std::size_t>(i - 1)];
}

cUnzip::Entry& cUnzip::mutableEntry(int i) {
    return const_cast<Entry&>(entry(i));
}

void cUnzip::Directory() {
    entries_.clear();
    ZipHandle z = openArchive(zipFile_, ZIP_RDONLY);
    zip_int64_t count = zip_get_num_entries(z.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        auto index = static_cast<zip_uint64_t>(i);
        zip_stat_t st;
        if (zip_stat_index(z.get(), index, 0, &st) != 0 || st.name == nullptr)
            continue;
        std::string stored = st.name;
        std::string file = bareName(stored);
        if (file.empty())
            continue; // folder entry
        Entry e;
        e.index = index;
        e.fileName = file;
        std::string folder = stored.substr(0, stored.size() - file.size());
        while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\'))
            folder.pop_back();
        e.folder = folder;
        e.size = st.size;
        e.packedSize = st.comp_size;
        auto seconds = std::chrono::floor<std::chrono::seconds>(memberTime(z.get(), index, st));
        e.date = DateTime::fromSecondsSinceEpochLocal(seconds.time_since_epoch().count());
        e.crc = st.crc;
        e.encrypted = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) != 0 && st.encryption_method != ZIP_EM_NONE;
        entries_.push_back(std::move(e));
    }
}

bool cUnzip::Unzip() {
    skipped_.clear();
    if (zipFile_.empty())
        return false;
    ZipHandle z = openArchive(zipFile_, ZIP_RDONLY);

    // After Directory, a partial selection limits the extraction; a full one changes nothing.
    std::set<zip_uint64_t> only;
    bool partial = false;
    for (const Entry& e : entries_) {
        if (e.selected)
            only.insert(e.index);
        else
            partial = true;
    }

    if (!testZip_) {
        std::error_code ec;
        std::filesystem::create_directories(unzipFolder_, ec);
        if (ec || !std::filesystem::is_directory(unzipFolder_))
            throw ArchiveError("Cannot extract archive '" + pathText(zipFile_) + "': the folder '" +
                               pathText(unzipFolder_) + "' cannot be created");
    }

    std::vector<char> buffer(kChunk);
    zip_int64_t count = zip_get_num_entries(z.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        auto index = static_cast<zip_uint64_t>(i);
        if (partial && only.count(index) == 0)
            continue;
        zip_stat_t st;
        if (zip_stat_index(z.get(), index, 0, &st) != 0 || st.name == nullptr)
            throw ArchiveError("Cannot read archive '" + pathText(zipFile_) + "': " + lastError(z.get()));
        std::string stored = st.name;
        if (isFolderEntry(stored)) {
            if (useFolderNames_ && !testZip_) {
                if (auto rel = safeRelativeName(stored.substr(0, stored.size() - 1), true))
                    std::filesystem::create_directories(unzipFolder_ / *rel);
            }
            continue;
        }
        auto rel = safeRelativeName(stored, useFolderNames_);
        if (!rel) {
            skipped_.push_back(stored);
            continue;
        }
        if (testZip_) {
            copyMember(z.get(), index, stored, zipFile_, st.size, buffer, nullptr);
            continue;
        }
        std::filesystem::path target = unzipFolder_ / std::filesystem::path(*rel);
        SysTime mtime = memberTime(z.get(), index, st);
        std::error_code ec;
        if (std::filesystem::exists(target, ec)) {
            if (!overwriteExisting_)
                continue;
            if (extractOnlyNewer_ && fileModificationTime(target) >= mtime)
                continue;
        }
        if (useFolderNames_)
            std::filesystem::create_directories(target.parent_path());
        writeMember(z.get(), index, stored, zipFile_, st.size, target, mtime, buffer);
    }
    return true;
}

} // namespace quillan
