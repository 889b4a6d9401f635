#include "transfer/TransferSession.h"

#include <map>
#include <mutex>

namespace quillan {

namespace {
std::mutex registryMutex;
std::map<const Console*, std::unique_ptr<TransferSession>>& registry() {
    static std::map<const Console*, std::unique_ptr<TransferSession>> sessions;
    return sessions;
}
} // namespace

TransferSession& transferSession(const Console& c) {
    std::lock_guard lock(registryMutex);
    auto& slot = registry()[&c];
    if (!slot)
        slot = std::make_unique<TransferSession>();
    return *slot;
}

void endTransferSession(const Console& c) {
    std::lock_guard lock(registryMutex);
    registry().erase(&c);
}

} // namespace quillan
