#include "install/RemovingFiles.h"

#include "base/Machine.h"
#include "install/FinishingStatements.h"
#include "platform/Text.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <vector>

namespace quillan {

namespace fs = std::filesystem;

bool isPlainExtension(std::string_view extension) {
    if (extension.empty())
        return false;
    for (const char ch : extension)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            return false;
    return true;
}

std::vector<std::string> usableExtensions(Console& c, const std::string& query,
                                          bool (*usable)(std::string_view), const std::string& why) {
    std::vector<std::string> out;
    for (auto rs = c.conn->query(query); !rs.eof(); rs.moveNext()) {
        const std::string extension(trimmed(rs.field("Extension").textOr("")));
        if (usable(extension))
            out.push_back(extension);
        else
            c.log.line(">>-Extension '" + extension + "' of FileExtension skipped: " + why);
    }
    return out;
}

bool isRemovableBackupExtension(std::string_view extension) {
    return isPlainExtension(extension) && !equalsNoCase(extension, "BAK") && !equalsNoCase(extension, "ZIP");
}

bool hasListedExtension(std::string_view name, const std::vector<std::string>& extensions) {
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string_view extension = name.substr(dot + 1);
    return std::any_of(extensions.begin(), extensions.end(),
                       [&](const std::string& e) { return equalsNoCase(extension, e); });
}

bool RemovingFiles(Console& c, const std::string& folder, const std::vector<std::string>& spare) {
    try {
        const auto extensions = usableExtensions(
            c, backupExtensionsQuery(c.state.dbPrefix), isRemovableBackupExtension,
            "backup copies are removed only by an extension of letters and digits other than BAK and ZIP");
        if (trimmed(folder).empty() || extensions.empty())
            return true;
        const fs::path native = c.native(folder);
        std::error_code ec;
        if (!fs::is_directory(native, ec))
            return true;
        const auto spared = [&spare](const fs::path& file) {
            const std::string name = file.filename().string();
            return std::any_of(spare.begin(), spare.end(),
                               [&name](const std::string& s) { return equalsNoCase(s, name); });
        };
        for (const auto& file : c.os.listPlainFiles(native))
            if (hasListedExtension(file.filename().string(), extensions) && !spared(file))
                c.os.forceDelete(file);
        return true;
    } catch (const std::exception& e) {
        c.log.line(std::string(e.what()) + " in Removing Files ");
        return false;
    }
}

} // namespace quillan
