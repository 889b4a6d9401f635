#pragma once
// The transport security of this installation's transfers: the CA file of the environment or of
// the installation's setting (TransportSecurity::current), read at the moment a client is made.
#include "base/Console.h"
#include "transfer/TransportSecurity.h"

namespace quillan {

inline transfer::TransportSecurity transportSecurityOf(const Console& c) {
    return transfer::TransportSecurity::current(c.state.transportCaFile);
}

} // namespace quillan
