#include "install/RegistrationStatements.h"

#include "base/SetupDetailsFilters.h"

namespace quillan {

using namespace filters;

std::string registrationSwitchQuery(const std::string& p) {
    return "select Status From " + p + ".dbo.PexaConfiguration Where moduleID = 'AutoConfig1' and seqno=1";
}

std::string componentsQuery(const std::string& p) {
    return setupDetailsRows(p) + kReleaseFiles + " and RegRequired=1" + kByVersion + " ";
}

} // namespace quillan
