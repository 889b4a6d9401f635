#include "app/release/ReleaseBuilder.h"

#include "app/release/CsvScript.h"
#include "app/release/ExcelScript.h"
#include "app/release/FileNames.h"
#include "app/release/Package.h"
#include "app/release/ReleaseError.h"
#include "app/release/ReleaseFiles.h"
#include "app/release/ReleaseManifest.h"
#include "app/release/XmlScript.h"
#include "archive/Zip.h"
#include "platform/FileTimes.h"
#include "platform/Text.h"
#include "trust/Manifest.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace quillan::release {

namespace fs = std::filesystem;

namespace {

// The staging folder beside the release folder (same file system, so each move is a rename);
// removed on every way out.
class Staging {
public:
    explicit Staging(const fs::path& out)
        : dir_(out.parent_path() / ("." + out.filename().string() + ".staging")) {
        fs::remove_all(dir_); // a staging folder a killed run left behind
        fs::create_directories(dir_);
    }
    ~Staging() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    Staging(const Staging&) = delete;
    Staging& operator=(const Staging&) = delete;
    const fs::path& dir() const { return dir_; }

private:
    fs::path dir_;
};

bool sameBytes(const fs::path& a, const fs::path& b) {
    if (fs::file_size(a) != fs::file_size(b))
        return false;
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    return std::equal(std::istreambuf_iterator<char>(x), std::istreambuf_iterator<char>(),
                      std::istreambuf_iterator<char>(y), std::istreambuf_iterator<char>());
}

// The entry of `folder` named `name` without regard to case (the office's server finds files so).
fs::path publishedAs(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return {};
    for (const auto& entry : fs::directory_iterator(folder))
        if (equalsNoCase(entry.path().filename().string(), name))
            return entry.path();
    return {};
}

void writeText(const fs::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush())
        throw ReleaseError("cannot write " + file.string());
}

// Writes the deploy script (zipped when asked) into `folder`; answers its path.
fs::path writeScript(const ReleaseOptions& o, const std::vector<SetupRow>& rows, const std::string& newest,
                     const fs::path& work, const fs::path& folder) {
    const std::string text = o.format == ScriptFormat::Csv   ? csvScript(rows)
                             : o.format == ScriptFormat::Xls ? excelScript(rows)
                                                             : xmlScript(rows);
    const std::string plainName = scriptFileName(o, scriptExtension(o.format));
    const fs::path plain = (o.zipScripts ? work : folder) / plainName;
    writeText(plain, text);
    // The script's own time (also its member time when zipped) is the release's newest file's.
    SetFileDate(plain, *DateTime::parse(newest));
    if (!o.zipScripts)
        return plain;
    const fs::path zipped = folder / scriptFileName(o, "zip");
    cZip zip;
    zip.ZipFile(zipped);
    zip.CompressionLevel(9);
    zip.AddFileSpec(plain.string());
    try {
        zip.Zip();
    } catch (const ArchiveError& e) {
        throw ReleaseError(std::string("the zipped script cannot be written: ") + e.what());
    }
    return zipped;
}

} // namespace

ReleaseSummary buildRelease(const ReleaseOptions& o, const std::function<void(const std::string&)>& warn) {
    std::vector<std::string> problems = optionProblems(o);
    const auto files = readReleaseFiles(o, warn, &problems);
    throwProblems(problems);
    fs::path out = fs::absolute(o.out).lexically_normal();
    if (!out.has_filename()) // "/srv/release/" names the folder "release"
        out = out.parent_path();
    if (out == out.root_path())
        throw ReleaseError("the release folder must be a folder below another one");
    if (fs::exists(out) && !fs::is_directory(out))
        throw ReleaseError(out.string() + " is not a folder");

    Staging staging(out);
    const std::string family = o.distributor.empty() ? o.masterFolder : o.transFolder;
    for (const auto& sub : {o.deployFolder, family, std::string(".work")})
        fs::create_directories(staging.dir() / sub);

    ReleaseSummary summary;
    const auto packages = buildPackage(o, files, staging.dir() / o.deployFolder);
    for (const auto& p : packages)
        summary.rows.push_back(p.row);
    std::string newest;
    for (const auto& f : files) {
        summary.rows.push_back(f.row);
        newest = std::max(newest, f.row.fileCrDate);
    }
    const fs::path script =
        writeScript(o, summary.rows, newest, staging.dir() / ".work", staging.dir() / family);

    // What goes where, in publication order: packages, the manifest, then the script.
    std::vector<std::pair<fs::path, fs::path>> moves; // staged file, path below `out`
    for (const auto& p : packages)
        moves.emplace_back(p.path, fs::path(o.deployFolder) / p.path.filename());
    if (!o.signKey.empty()) {
        std::vector<fs::path> signedFiles;
        for (const auto& p : packages)
            signedFiles.push_back(p.path);
        signedFiles.push_back(script);
        const fs::path manifest =
            staging.dir() / family / trust::manifestFileNameOf(script.filename().string());
        writeReleaseManifest(o, signedFiles, manifest);
        moves.emplace_back(manifest, fs::path(family) / manifest.filename());
    }
    moves.emplace_back(script, fs::path(family) / script.filename());

    // Every conflict is found before anything moves. A manifest may be signed again (a new
    // expiry time, a new key): it is replaced, the files it lists are not.
    for (const auto& [staged, relative] : moves) {
        const fs::path there = publishedAs(out / relative.parent_path(), relative.filename().string());
        PublishedEntry e{relative, fs::file_size(staged), !there.empty()};
        const bool manifest = trust::isManifestFileName(relative.filename().string());
        if (manifest && e.unchanged && there.filename() == relative.filename())
            e.unchanged = sameBytes(staged, there);
        else if (e.unchanged && (there.filename() != relative.filename() || !sameBytes(staged, there)))
            throw ReleaseError((out / relative).string() + " is published already (as " +
                               there.filename().string() +
                               ") with other content: a published name is never changed (give a new version "
                               "or package name)");
        summary.files.push_back(e);
    }
    // Both script folders exist, so that a server lists the other family as empty, not as missing.
    for (const auto& folder : {o.masterFolder, o.transFolder})
        fs::create_directories(out / folder);
    for (std::size_t i = 0; i < moves.size(); ++i) {
        if (summary.files[i].unchanged)
            continue;
        fs::create_directories(out / moves[i].second.parent_path());
        fs::rename(moves[i].first, out / moves[i].second);
    }
    return summary;
}

} // namespace quillan::release
