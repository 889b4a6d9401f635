#include "app/release/ReleaseFiles.h"

#include "app/release/FileNames.h"
#include "app/release/HotfixVersion.h"
#include "app/release/ReleaseError.h"
#include "platform/FileTimes.h"
#include "platform/Text.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

namespace quillan::release {

namespace fs = std::filesystem;

namespace {

std::string readWhole(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in && !in.eof())
        throw ReleaseError("cannot read " + file.string());
    return text.str();
}

const std::string& targetOf(const ReleaseOptions& o, FileClass kind) {
    switch (kind) {
    case FileClass::Program:
        return o.programPath;
    case FileClass::Report:
        return o.reportPath;
    case FileClass::Component:
        return o.componentPath;
    case FileClass::Hotfix: // run from the update folder; the row's folder is not used
    case FileClass::Other:
        break;
    }
    return o.otherPath;
}

} // namespace

FileClass classify(const std::string& name, const std::set<std::string>& components) {
    if (components.count(name) != 0)
        return FileClass::Component;
    const std::string ext = extensionOf(name);
    if (ext == "EXE")
        return FileClass::Program;
    if (ext == "RPT" || ext == "RTM")
        return FileClass::Report;
    if (ext == "SQL")
        return FileClass::Hotfix;
    return FileClass::Other;
}

namespace {

// Reads one entry of the source folder into a release file; throws ReleaseError naming it.
ReleaseFile readOne(const ReleaseOptions& o, const fs::path& path,
                    std::map<std::string, std::string>& byFoldedName, std::map<int, std::string>& byHotfix,
                    const std::function<void(const std::string&)>& warn) {
    std::error_code ec;
    const std::string name = path.filename().string();
    if (!fs::is_regular_file(path, ec))
        throw ReleaseError(name + " in the source folder is not a plain file: packages hold bare file "
                                  "names, so the source folder must be flat");
    if (const auto why = whyNotCarriable(name); !why.empty())
        throw ReleaseError("file name '" + name + "' " + why);
    const std::string folded = upperCase(name);
    if (const auto [it, fresh] = byFoldedName.emplace(folded, name); !fresh)
        throw ReleaseError("files '" + it->second + "' and '" + name +
                           "' have one name on Windows: rename one of them");
    if (equalsNoCase(name, packageNameOf(o)) || extensionOf(name) == "TPL")
        throw ReleaseError("file '" + name + "' would take the place of the release's own package");

    ReleaseFile f;
    f.path = path;
    f.kind = classify(name, o.components);
    SetupRow& r = f.row;
    r.fileNames = name;
    r.filePath = targetOf(o, f.kind);
    DateTime written;
    if (GetFileDate(path, written) != 0)
        throw ReleaseError("cannot read the time of " + path.string());
    r.fileCrDate = written.iso();
    r.regRequired = f.kind == FileClass::Component ? 1 : 0;
    r.versionNo = o.version;
    r.uploadFileSize = fs::file_size(path);
    r.fileExtension = extensionOf(name);
    if (f.kind == FileClass::Hotfix) {
        const std::string text = readWhole(path);
        r.hotfixNo = hotfixNumber(name, text);
        if (const auto [it, fresh] = byHotfix.emplace(r.hotfixNo, name); !fresh)
            throw ReleaseError("hotfixes '" + it->second + "' and '" + name + "' both carry number " +
                               std::to_string(r.hotfixNo));
        if (!recordsItself(text) && warn)
            warn("hotfix " + name +
                 " does not write its row into HotFixLog: the console does not either, "
                 "so every run will offer it again");
    }
    return f;
}

} // namespace

std::vector<ReleaseFile> readReleaseFiles(const ReleaseOptions& o,
                                          const std::function<void(const std::string&)>& warn,
                                          std::vector<std::string>* problems) {
    std::vector<std::string> found;
    std::vector<ReleaseFile> files;
    std::error_code ec;
    if (!fs::is_directory(o.source, ec)) {
        found.push_back("source folder " + o.source.string() + " does not exist");
    } else {
        std::vector<fs::path> entries;
        for (const auto& entry : fs::directory_iterator(o.source))
            entries.push_back(entry.path());
        std::sort(entries.begin(), entries.end());

        std::map<std::string, std::string> byFoldedName; // Windows takes "A.exe" and "a.EXE" for one file
        std::map<int, std::string> byHotfix;
        for (const auto& path : entries) {
            try {
                files.push_back(readOne(o, path, byFoldedName, byHotfix, warn));
            } catch (const ReleaseError& e) {
                found.push_back(e.what());
            }
        }
        for (const auto& component : o.components)
            if (const auto it = byFoldedName.find(upperCase(component));
                it == byFoldedName.end() || it->second != component)
                found.push_back("component '" + component + "' is not a file of the source folder");
        if (entries.empty())
            found.push_back("source folder " + o.source.string() + " holds no file");
    }
    if (problems)
        problems->insert(problems->end(), found.begin(), found.end());
    else
        throwProblems(found);
    return files;
}

} // namespace quillan::release
