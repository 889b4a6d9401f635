#include "scripts/ScriptNames.h"

#include "platform/Text.h"

namespace quillan {

namespace {
constexpr const char* kKind = "SETUPDETAILS";
}

std::vector<std::string> scriptNameParts(const std::string& name) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const auto cut = name.find('_', start);
        parts.push_back(name.substr(start, cut == std::string::npos ? std::string::npos : cut - start));
        if (cut == std::string::npos)
            return parts;
        start = cut + 1;
    }
}

bool isScriptOfFamily(const std::string& name, ScriptFamily family, const std::string& distributorCode) {
    const auto parts = scriptNameParts(name);
    if (family == ScriptFamily::Master)
        return upperCase(parts[0]) == kKind;
    return parts.size() > 1 && parts[0] == distributorCode && upperCase(parts[1]) == kKind;
}

std::optional<std::int64_t>
scriptKindOrder(const std::string& name,
                const std::function<std::optional<std::int64_t>(const std::string&)>& seqNoOfKind) {
    const auto parts = scriptNameParts(name);
    if (parts.size() < 3)
        return seqNoOfKind(parts[0]);
    // The rule once took the second part of every longer name, so a master script with a date
    // after its kind was archived without being imported.
    if (auto first = seqNoOfKind(parts[0]))
        return first;
    return seqNoOfKind(parts[1]);
}

} // namespace quillan
