#include "transfer/TransferLimits.h"

#include <cstdlib>
#include <string>

namespace quillan::transfer {

namespace {
void overrideFrom(const char* name, long& value) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0')
        return;
    try {
        long v = std::stol(text);
        if (v > 0)
            value = v;
    } catch (const std::exception&) {
        // an unreadable override leaves the default in force
    }
}
} // namespace

TransferLimits TransferLimits::current() {
    TransferLimits l;
    overrideFrom("QUILLAN_CONNECT_TIMEOUT", l.connectTimeoutSeconds);
    overrideFrom("QUILLAN_STALL_SECONDS", l.stallSeconds);
    overrideFrom("QUILLAN_STALL_BYTES_PER_SECOND", l.stallBytesPerSecond);
    return l;
}

} // namespace quillan::transfer
