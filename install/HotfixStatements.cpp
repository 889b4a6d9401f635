#include "install/HotfixStatements.h"

#include <cstdio>

namespace quillan {

std::string pendingHotfixesQuery(const std::string& p) {
    return "SELECT * FROM " + p +
           ".dbo.SetupDetails WITH (NOLOCK) WHERE HotfixNo >0 AND HotFixNo NOT IN "
           "(SELECT FixId FROM " +
           p + ".dbo.HotFixlog WITH(NOLOCK)) ORDER BY VersionNo,Hotfixno";
}

std::string hotfixLogLookup(double hotfixNumber) {
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.15g", hotfixNumber); // digits only: "12", "12.5"
    // A number that is not negative is written with a blank in front, as the version text has it.
    return std::string("Select * From HotFixLog Where FixID = ") + (hotfixNumber < 0 ? "" : " ") + digits;
}

} // namespace quillan
