#include "archive/Unzip.h"

#include "archive/LibzipSupport.h"
#include "archive/MemberName.h"
#include "archive/MemberSpans.h"

#include <cstdint>
#include <fstream>
#include <limits>
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

std::string archiveFailure(const std::filesystem::path& archive, const std::string& what) {
    return "Cannot extract archive '" + pathText(archive) + "': " + what;
}

// A crafted directory can list one stored member many times under different names, so that a small
// archive unpacks to many times its size; such an archive is refused whole.
void refuseOverlappingMembers(zip_t* z, const std::filesystem::path& archive) {
    std::error_code ec;
    std::uint64_t fileSize = std::filesystem::file_size(archive, ec);
    std::ifstream in(archive, std::ios::binary);
    if (ec || !in)
        throw ArchiveError(archiveFailure(archive, "the file cannot be read"));
    ArchiveReader read = [&in](std::uint64_t offset, std::uint8_t* out, std::size_t size) {
        if (offset > static_cast<std::uint64_t>(std::numeric_limits<std::streamoff>::max()))
            return false;
        in.clear();
        in.seekg(static_cast<std::streamoff>(offset));
        return static_cast<bool>(in.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(size)));
    };
    auto count = static_cast<std::uint64_t>(zip_get_num_entries(z, 0));
    auto spans = readMemberSpans(read, fileSize, count);
    if (!spans || spans->size() != count)
        throw ArchiveError(archiveFailure(archive, "its directory is damaged"));
    if (auto pair = firstOverlap(*spans)) {
        const char* first = zip_get_name(z, pair->first, 0);
        const char* second = zip_get_name(z, pair->second, 0);
        throw ArchiveError(archiveFailure(archive, std::string("the members '") + (first ? first : "?") +
                                                       "' and '" + (second ? second : "?") +
                                                       "' overlap (a crafted archive)"));
    }
}

// Refuses before anything is written when the declared sizes cannot fit: a half-extracted package
// is worse than none.
void refuseWhatCannotFit(const std::filesystem::path& archive, const std::filesystem::path& folder,
                         std::uint64_t needed) {
    std::error_code ec;
    std::filesystem::space_info space = std::filesystem::space(folder, ec);
    if (!ec && needed > space.available)
        throw ArchiveError(archiveFailure(archive, "its members need " + std::to_string(needed) +
                                                       " bytes, the folder '" + pathText(folder) + "' has " +
                                                       std::to_string(space.available) + " bytes free"));
}

// Creates `folder` (and its parents); a file in the way is the archive's failure, not a crash.
void createFolder(const std::filesystem::path& archive, const std::string& member,
                  const std::filesystem::path& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec || !std::filesystem::is_directory(folder, ec))
        throw ArchiveError(
            describe(archive, member,
                     "the folder '" + pathText(folder) + "' cannot be created (a file is in the way)"));
}

// A member to extract (or a folder to create), chosen before anything is written so that the
// whole archive can be refused first.
struct Planned {
    zip_uint64_t index = 0;
    std::string stored, rel;
    std::uint64_t size = 0;
    zip_stat_t st{};
    bool folder = false;
};

std::vector<Planned> planExtraction(zip_t* z, const cUnzip& u, const std::set<zip_uint64_t>& only,
                                    bool partial, std::vector<std::string>& skipped) {
    std::vector<Planned> plan;
    zip_int64_t count = zip_get_num_entries(z, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        auto index = static_cast<zip_uint64_t>(i);
        if (partial && only.count(index) == 0)
            continue;
        zip_stat_t st;
        if (zip_stat_index(z, index, 0, &st) != 0 || st.name == nullptr)
            throw ArchiveError("Cannot read archive '" + pathText(u.ZipFile()) + "': " + lastError(z));
        Planned p{index, st.name, {}, st.size, st};
        if (isFolderEntry(p.stored)) {
            if (!u.UseFolderNames() || u.TestZip())
                continue;
            if (auto rel = safeRelativeName(p.stored.substr(0, p.stored.size() - 1), true))
                plan.push_back({index, p.stored, *rel, 0, st, true});
            continue;
        }
        auto rel = safeRelativeName(p.stored, u.UseFolderNames());
        if (!rel) {
            skipped.push_back(p.stored);
            continue;
        }
        p.rel = *rel;
        plan.push_back(std::move(p));
    }
    return plan;
}

void extractOne(zip_t* z, const cUnzip& u, const Planned& p, std::vector<char>& buffer) {
    if (u.TestZip()) {
        copyMember(z, p.index, p.stored, u.ZipFile(), p.size, buffer, nullptr);
        return;
    }
    std::filesystem::path target = u.UnzipFolder() / std::filesystem::path(p.rel);
    if (p.folder) {
        createFolder(u.ZipFile(), p.stored, target);
        return;
    }
    SysTime mtime = memberTime(z, p.index, p.st);
    std::error_code ec;
    if (std::filesystem::exists(target, ec)) {
        if (!u.OverwriteExisting())
            return;
        if (u.ExtractOnlyNewer() && fileModificationTime(target) >= mtime)
            return;
        if (std::filesystem::is_directory(target, ec))
            throw ArchiveError(describe(u.ZipFile(), p.stored,
                                        "a folder '" + pathText(target) + "' is in the way of the file"));
    }
    if (u.UseFolderNames())
        createFolder(u.ZipFile(), p.stored, target.parent_path());
    writeMember(z, p.index, p.stored, u.ZipFile(), p.size, target, mtime, buffer);
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

    refuseOverlappingMembers(z.get(), zipFile_);
    std::vector<Planned> plan = planExtraction(z.get(), *this, only, partial, skipped_);
    if (!testZip_) {
        std::uint64_t needed = 0;
        for (const Planned& p : plan)
            needed = p.size > UINT64_MAX - needed ? UINT64_MAX : needed + p.size;
        refuseWhatCannotFit(zipFile_, unzipFolder_, needed);
    }

    std::vector<char> buffer(kChunk);
    for (const Planned& p : plan) {
        try {
            extractOne(z.get(), *this, p, buffer);
        } catch (const std::filesystem::filesystem_error& e) {
            throw ArchiveError(
                describe(zipFile_, p.stored, e.code().message() + " (" + pathText(e.path1()) + ")"));
        }
    }
    return true;
}

} // namespace quillan
