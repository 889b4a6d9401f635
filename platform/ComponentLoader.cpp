// The entry-point names, shared by both loaders.
#include "platform/ComponentLoader.h"

namespace quillan {

const char* entryPointName(RegistrationEntry entry) {
    return entry == RegistrationEntry::Register ? "DllRegisterServer" : "DllUnregisterServer";
}

} // namespace quillan
