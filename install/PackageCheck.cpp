#include "install/PackageCheck.h"

#include "archive/Unzip.h"
#include "base/SetupDetailsFilters.h"
#include "platform/Text.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <system_error>

namespace quillan {

namespace fs = std::filesystem;

namespace {

std::string wrongSize(Console& c, const std::string& name, const fs::path& file, std::int64_t uploadSize) {
    if (uploadSize <= 0)
        return "";
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    if (ec)
        return name + " cannot be read: " + ec.message();
    if (static_cast<std::int64_t>(size) == uploadSize)
        return "";
    c.conn->execute(filters::downloadSizeUpdate(c.state.dbPrefix, 0, name));
    return name + " has " + std::to_string(size) + " bytes, " + std::to_string(uploadSize) +
           " published: not unpacked; the next run fetches it again";
}

std::string memberOnAPackage(const std::string& name, const fs::path& file,
                             const std::vector<std::string>& packages) {
    cUnzip u;
    try {
        u.ZipFile(file);
        u.Directory();
    } catch (const std::exception&) {
        return "";
    }
    for (int i = 1; i <= u.FileCount(); ++i) {
        const std::string& member = u.Filename(i);
        const auto hit = std::find_if(packages.begin(), packages.end(),
                                      [&](const std::string& p) { return equalsNoCase(p, member); });
        if (hit != packages.end())
            return "The member " + member + " of " + name + " would overwrite the package " + *hit +
                   " of the release: not unpacked";
    }
    return "";
}

} // namespace

std::vector<std::string> releasePackageNames(Console& c) {
    std::vector<std::string> out;
    for (auto rs = c.conn->query(filters::releasePackages(c.state.dbPrefix)); !rs.eof(); rs.moveNext())
        out.emplace_back(trimmed(rs.field("File_Names").textOr("")));
    return out;
}

std::string packageRefusal(Console& c, const std::string& name, std::int64_t uploadSize,
                           const std::vector<std::string>& packages) {
    const fs::path file = c.native(c.state.updateFolder + "\\" + name);
    if (std::string why = wrongSize(c, name, file, uploadSize); !why.empty())
        return why;
    return memberOnAPackage(name, file, packages);
}

} // namespace quillan
