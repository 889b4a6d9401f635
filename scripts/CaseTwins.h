#pragma once
// Rows of one release that name the same file in different letter case ("Pkg8.zip" and "PKG8.ZIP"
// in one folder and one version). On Windows they are one file, so such a release cannot be
// deployed as published: which row's package, size and date would be the file's?
#include "platform/db/DbAdmin.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillan {

struct CaseTwin {
    std::string version;                // VersionNo as text, "" for none
    std::string folder;                 // File_Path as the first row spells it
    std::vector<std::string> spellings; // the different spellings of the name, sorted
    bool operator==(const CaseTwin&) const = default;
};

// Every such set of rows in SETUPDETAILS; rows that repeat one spelling are no twins.
std::vector<CaseTwin> findCaseTwins(db::DbAdmin& admin, const std::string& database,
                                    const std::string& dbPrefix);

// The first such set among the rows of an XML script, checked before the script is loaded: the
// load replaces a row by its name in any case, so the second spelling would silently take the
// first one's place. None for a document that does not parse (the load reports that).
std::optional<CaseTwin> caseTwinInXml(const std::string& xmlText);

// Why a script that made the twin is refused, naming the spellings and the version.
std::string caseTwinReason(const CaseTwin& twin);

} // namespace quillan
