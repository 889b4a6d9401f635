#include "app/release/Package.h"

#include "app/release/FileNames.h"
#include "app/release/ReleaseError.h"
#include "archive/Zip.h"
#include "scripts/TplTemplate.h"

#include <algorithm>

namespace quillan::release {

namespace fs = std::filesystem;

namespace {

// A package row: fetched by the download (HotfixNo 0, RegRequired 0, ZIP or TPL), dated like the
// newest file it carries.
PublishedFile packageRow(const ReleaseOptions& o, const fs::path& file, const std::string& newest,
                         const std::string& extension, int split) {
    PublishedFile p;
    p.path = file;
    p.row.fileNames = file.filename().string();
    p.row.filePath = "App.Path";
    p.row.fileCrDate = newest;
    p.row.versionNo = o.version;
    p.row.uploadFileSize = fs::file_size(file);
    p.row.fileExtension = extension;
    p.row.fileSplitStatus = split;
    return p;
}

} // namespace

std::vector<PublishedFile> buildPackage(const ReleaseOptions& o, const std::vector<ReleaseFile>& files,
                                        const fs::path& folder) {
    const std::string name = packageNameOf(o);
    const fs::path archive = folder / name;
    std::string newest;
    cZip zip;
    zip.ZipFile(archive);
    zip.CompressionLevel(9);
    for (const auto& f : files) {
        zip.AddFileSpec(f.path.string());
        newest = std::max(newest, f.row.fileCrDate);
    }
    try {
        zip.Zip();
    } catch (const ArchiveError& e) {
        throw ReleaseError(std::string("the package cannot be written: ") + e.what());
    }
    if (o.splitSize == 0 || fs::file_size(archive) <= o.splitSize)
        return {packageRow(o, archive, newest, "ZIP", 0)};

    // Pieces are named after the recorded name's last segment; the console keeps only that part.
    const std::string templateName = name.substr(0, name.size() - 4) + ".tpl";
    tpl::Template t;
    try {
        t = tpl::splitPackage(archive, folder, templateName, name, static_cast<std::uint32_t>(o.splitSize));
    } catch (const tpl::TplError& e) {
        throw ReleaseError(std::string("the package cannot be split: ") + e.what());
    }
    fs::remove(archive);
    std::vector<PublishedFile> out{packageRow(o, folder / templateName, newest, "TPL", 1)};
    for (std::int64_t i = 0; i < t.pieceCount; ++i)
        out.push_back(packageRow(o, folder / tpl::pieceFileName(name, t.firstPiece + i), newest, "ZIP", 1));
    return out;
}

} // namespace quillan::release
