#pragma once
// The statements of the component registration: the switch that chooses the registration tool or
// the components' own entry points, and the components of the release.
#include <string>

namespace quillan {

// The 'AutoConfig1' switch: Status 1 runs the registration tool, any other calls the entry points;
// no row skips registration.
std::string registrationSwitchQuery(const std::string& dbPrefix);
// The components (RegRequired 1) of the release, in release order.
std::string componentsQuery(const std::string& dbPrefix);

} // namespace quillan
