#include "app/release/FileNames.h"

#include "platform/PlainFileName.h"
#include "platform/Text.h"

#include <glib.h>

#include <cstdio>

namespace quillan::release {

std::string whyNotCarriable(const std::string& name) {
    if (!isPlainFileName(name))
        return "is not a plain file name (a folder, a drive colon, a tab, a line end or another control "
               "character cannot be carried)";
    if (!g_utf8_validate(name.data(), static_cast<gssize>(name.size()), nullptr))
        return "is not UTF-8 text, as the deploy scripts carry names (rename it, or convert the folder's "
               "names to UTF-8)";
    for (char ch : name)
        if (std::string_view("<>\"|?*").find(ch) != std::string_view::npos)
            return std::string("holds '") + ch + "', which a Windows file name cannot";
    if (name.back() == '.' || name.back() == ' ')
        return "ends with a dot or a blank, which Windows drops from a file name";
    if (name.size() > kMaxFileNameBytes)
        return "is longer than the " + std::to_string(kMaxFileNameBytes) + " bytes File_Names holds";
    if (extensionOf(name).size() > kMaxExtensionBytes)
        return "has an extension longer than the " + std::to_string(kMaxExtensionBytes) +
               " characters FileExtension holds";
    return "";
}

std::string extensionOf(const std::string& name) {
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : upperCase(name.substr(dot + 1));
}

std::string scriptFileName(const ReleaseOptions& o, const std::string& extension) {
    char version[16];
    std::snprintf(version, sizeof version, "%06d", o.version);
    const std::string kind = std::string("SETUPDETAILS_") + version + "." + extension;
    return o.distributor.empty() ? kind : o.distributor + "_" + kind;
}

std::string whyNotDistributorCode(const std::string& code) {
    if (code.find('_') != std::string::npos)
        return "holds '_', at which the console splits script names";
    if (lowerCase(code).find(".log") != std::string::npos)
        return "holds \".log\": the console skips such script names";
    if (!whyNotCarriable(code).empty() || code.find(' ') != std::string::npos)
        return "is not a plain name without blanks";
    return "";
}

} // namespace quillan::release
