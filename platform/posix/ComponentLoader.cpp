// Entry points through dlopen/dlsym. The library is loaded for the one call and closed again, as
// the registration on Windows holds it only between loading and freeing.
#include "platform/ComponentLoader.h"

#include <cstring>
#include <dlfcn.h>

namespace quillan {
namespace {

using EntryPoint = std::int32_t (*)();

class Library {
public:
    explicit Library(const std::filesystem::path& file)
        : handle_(::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL)) {}
    ~Library() {
        if (handle_ != nullptr)
            ::dlclose(handle_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    void* get() const { return handle_; }

private:
    void* handle_;
};

std::string lastLoaderError() {
    const char* text = ::dlerror();
    return text != nullptr ? text : "unknown loader error";
}

} // namespace

ComponentCall callRegistrationEntry(const std::filesystem::path& library, RegistrationEntry entry) {
    ComponentCall call;
    ::dlerror(); // forget an earlier error so that the texts below are this call's
    // A bare name would make dlopen search the library path, not the folder the caller means.
    const std::filesystem::path file = library.has_parent_path() ? library : "./" / library;
    Library lib(file);
    if (lib.get() == nullptr) {
        call.error = lastLoaderError();
        return call;
    }
    void* symbol = ::dlsym(lib.get(), entryPointName(entry));
    if (symbol == nullptr) {
        call.outcome = ComponentCall::Outcome::MissingEntryPoint;
        call.error = std::string(entryPointName(entry)) + " not found in " + library.string();
        return call;
    }
    EntryPoint function = nullptr;
    static_assert(sizeof function == sizeof symbol);
    std::memcpy(&function, &symbol, sizeof function); // POSIX guarantees the conversion works
    call.outcome = ComponentCall::Outcome::Called;
    call.result = function();
    return call;
}

} // namespace quillan
