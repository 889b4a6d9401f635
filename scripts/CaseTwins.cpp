#include "scripts/CaseTwins.h"

#include "platform/Text.h"
#include "scripts/ScriptImportStatements.h"

#include <pugixml.hpp>

#include <algorithm>
#include <map>
#include <tuple>

namespace quillan {

namespace {

std::optional<std::string> textOrNull(const db::Value& v) {
    return v.isNull() ? std::nullopt : std::optional<std::string>(v.asText());
}

// One row's value of a column, as the load takes it: a child element or an attribute whose name
// matches in any case.
std::string columnOf(const pugi::xml_node& row, const std::string& column) {
    for (const pugi::xml_node field : row.children())
        if (field.type() == pugi::node_element && upperCase(field.name()) == column)
            return field.text().get();
    for (const pugi::xml_attribute a : row.attributes())
        if (upperCase(a.name()) == column)
            return a.value();
    return {};
}

bool isInlineSchema(const std::string& elementName) {
    const std::string name = upperCase(elementName);
    return name.size() >= 6 && name.compare(name.size() - 6, 6, "SCHEMA") == 0;
}

} // namespace

std::vector<CaseTwin> findCaseTwins(db::DbAdmin& admin, const std::string& database,
                                    const std::string& dbPrefix) {
    std::vector<CaseTwin> twins;
    for (auto keys = admin.query(database, caseTwinCandidatesQuery(dbPrefix)); !keys.eof(); keys.moveNext()) {
        const auto versionNo = keys.field("VersionNo").intOrNull();
        auto rows = admin.query(database, caseTwinSpellingsQuery(dbPrefix, versionNo,
                                                                 textOrNull(keys.field("FolderKey")),
                                                                 textOrNull(keys.field("NameKey"))));
        CaseTwin twin;
        twin.version = versionNo ? std::to_string(*versionNo) : std::string();
        for (; !rows.eof(); rows.moveNext()) {
            if (twin.spellings.empty())
                twin.folder = rows.field("File_Path").textOr("");
            const std::string name = rows.field("File_Names").textOr("");
            if (std::find(twin.spellings.begin(), twin.spellings.end(), name) == twin.spellings.end())
                twin.spellings.push_back(name);
        }
        if (twin.spellings.size() > 1) {
            std::sort(twin.spellings.begin(), twin.spellings.end());
            twins.push_back(std::move(twin));
        }
    }
    return twins;
}

std::optional<CaseTwin> caseTwinInXml(const std::string& xmlText) {
    pugi::xml_document doc;
    if (!doc.load_buffer(xmlText.data(), xmlText.size()))
        return std::nullopt;
    // Version, upper-cased folder and upper-cased name: the first spelling seen.
    std::map<std::tuple<std::string, std::string, std::string>, std::string> seen;
    for (const pugi::xml_node row : doc.document_element().children()) {
        if (row.type() != pugi::node_element || isInlineSchema(row.name()))
            continue;
        const std::string name = columnOf(row, "FILE_NAMES");
        const std::string folder = columnOf(row, "FILE_PATH");
        const std::string version(trimmed(columnOf(row, "VERSIONNO")));
        const auto [first, added] = seen.try_emplace({version, upperCase(folder), upperCase(name)}, name);
        if (!added && first->second != name) {
            std::vector<std::string> spellings{first->second, name};
            std::sort(spellings.begin(), spellings.end());
            return CaseTwin{version, folder, spellings};
        }
    }
    return std::nullopt;
}

std::string caseTwinReason(const CaseTwin& twin) {
    std::string names;
    for (std::size_t i = 0; i < twin.spellings.size(); ++i)
        names += (i == 0 ? "" : i + 1 == twin.spellings.size() ? " and " : ", ") + twin.spellings[i];
    return names + " of version " + (twin.version.empty() ? "(none)" : twin.version) + " in " + twin.folder +
           " differ only in letter case, and on Windows they are one file";
}

} // namespace quillan
