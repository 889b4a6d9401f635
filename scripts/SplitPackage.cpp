#include "scripts/SplitPackage.h"

#include "base/ByteProgress.h"
#include "platform/PlainFileName.h"
#include "platform/Text.h"
#include "scripts/SplitPackageStatements.h"
#include "scripts/TplTemplate.h"

#include <filesystem>
#include <system_error>

namespace quillan {
namespace fs = std::filesystem;

std::string PathPart(const std::string& text, bool beforeLast, const std::string& delimiter) {
    if (delimiter.empty())
        return "";
    const auto at = text.rfind(delimiter);
    if (at == std::string::npos)
        return "";
    return beforeLast ? text.substr(0, at) : text.substr(at + delimiter.size());
}

std::string ParentFolder(const std::string& path) {
    std::string p = path;
    if (p.empty() || p.back() != '\\')
        p += '\\';
    p.pop_back();
    const auto at = p.rfind('\\');
    return at == std::string::npos ? "" : p.substr(0, at + 1);
}

bool FileExistsByLength(Console& c, const std::string& path) {
    std::error_code ec;
    (void)fs::file_size(c.native(path), ec);
    return !ec;
}

namespace {

// The package a template rebuilds: the template's name with the package extension ("Big.tpl" gives
// "Big.zip"), as the office names them.
std::string packageNameOf(const std::string& templateName) {
    const auto dot = templateName.rfind('.');
    return (dot == std::string::npos ? templateName : templateName.substr(0, dot)) + ".zip";
}

// Every complete package must be on disk before any template is joined.
bool allPackagesPresent(Console& c) {
    auto rs = c.conn->query(downloadedPackagesQuery(c.state.dbPrefix));
    bool present = false;
    for (; !rs.eof(); rs.moveNext()) {
        const std::string name = rs.field("file_names").textOr("");
        std::error_code ec;
        present =
            isPlainFileName(name) && fs::is_regular_file(c.native(c.state.updateFolder + "\\" + name), ec);
        if (!present)
            break;
    }
    return present;
}

// Joins one template's pieces into the update folder and records the rebuilt archive.
void restoreOne(Console& c, const std::string& templateName, std::int64_t versionNo, SplitFileInfo* last) {
    if (!isPlainFileName(templateName))
        throw tpl::TplError("Bad template name " + templateName);
    const fs::path folder = c.native(c.state.updateFolder);
    const tpl::Template t = tpl::readTemplate(folder / templateName);
    const std::string joinedName = PathPart("\\" + t.recordedPath, false, "\\");
    if (!isPlainFileName(joinedName))
        throw tpl::TplError("Template " + templateName + " names no plain file: " + t.recordedPath);
    // The join deletes and writes rows of the recorded name: a template may only rebuild its own
    // package, or it would replace another file of the release and delete that file's rows.
    if (!equalsNoCase(joinedName, packageNameOf(templateName)))
        throw tpl::TplError("Template " + templateName + " records " + joinedName + " instead of " +
                            packageNameOf(templateName) + ": not joined");
    if (last)
        *last = {PathPart(t.recordedPath, false, "."), ParentFolder(t.recordedPath), joinedName};

    try {
        std::uint64_t total = 0;
        for (std::int64_t i = 0; i < t.pieceCount; ++i)
            total += tpl::readPieceLength(folder / tpl::pieceFileName(joinedName, t.firstPiece + i));
        ByteProgress bar(c, Row::ProgramDownload, total, 100);
        bar.start();
        tpl::joinPieces(t, folder, folder / joinedName, [&](std::uint64_t done) { bar.report(done); });
        bar.finish();
    } catch (const std::system_error& e) { // the system's reason alone would not say which file
        throw tpl::TplError("Joining " + joinedName + " from " + templateName +
                            " failed: " + e.code().message());
    }

    c.conn->execute(joinedPackageDelete(c.state.dbPrefix, joinedName));
    c.conn->execute(joinedPackageInsert(c.state.dbPrefix, joinedName, versionNo));
    c.log.line(">>-Restored " + joinedName + " from " + std::to_string(t.pieceCount) + " pieces of " +
               templateName);
}

} // namespace

bool RestoreZipFile(Console& c, SplitFileInfo* last) {
    try {
        if (!allPackagesPresent(c)) {
            c.log.line(">>Downloaded File Missing");
            return false;
        }
        auto templates = c.conn->query(templatesQuery(c.state.dbPrefix));
        if (templates.eof()) {
            c.log.line(">>Template File Missing");
            return false;
        }
        for (; !templates.eof(); templates.moveNext())
            restoreOne(c, templates.field("file_names").textOr(""), templates.field("VersionNo").asInt(),
                       last);
        return true;
    } catch (const std::system_error& e) {
        c.log.line(">>-" + e.code().message() + " In RestoreZipFile");
        c.op.inform(e.code().message() + " In RestoreZipFile");
    } catch (const std::exception& e) {
        c.log.line(">>-" + std::string(e.what()) + " In RestoreZipFile");
        c.op.inform(std::string(e.what()) + " In RestoreZipFile");
    }
    return false;
}

} // namespace quillan
