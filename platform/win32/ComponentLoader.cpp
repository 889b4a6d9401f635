// Entry points through LoadLibraryW/GetProcAddress; the library is freed after the one call.
#include "platform/ComponentLoader.h"

#include <string>
#include <windows.h>

#include <objbase.h>

namespace quillan {
namespace {

using EntryPoint = HRESULT(STDAPICALLTYPE*)();

class Library {
public:
    // No error box of the system's own for a missing file or dependency: the caller reports it.
    explicit Library(const std::filesystem::path& file) {
        const UINT old = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        handle_ = LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        SetErrorMode(old);
    }
    ~Library() {
        if (handle_ != nullptr)
            FreeLibrary(handle_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    HMODULE get() const { return handle_; }

private:
    HMODULE handle_ = nullptr;
};

// Registration code writes through COM: the thread must have COM started, as the registration
// tool does before calling. A thread that already has it (the window's) only gains a reference.
class ComApartment {
public:
    ComApartment() : started_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (started_)
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool started_;
};

} // namespace

ComponentCall callRegistrationEntry(const std::filesystem::path& library, RegistrationEntry entry) {
    ComponentCall call;
    ComApartment com;
    // An absolute path lets the component's own folder be searched for its dependencies.
    const std::filesystem::path file = std::filesystem::absolute(library);
    Library lib(file);
    if (lib.get() == nullptr) {
        call.error = "cannot load " + library.string() + " (error " + std::to_string(GetLastError()) + ")";
        return call;
    }
    const FARPROC proc = GetProcAddress(lib.get(), entryPointName(entry));
    if (proc == nullptr) {
        call.outcome = ComponentCall::Outcome::MissingEntryPoint;
        call.error = std::string(entryPointName(entry)) + " not found in " + library.string();
        return call;
    }
    // Through the generic function type, which the compiler accepts as a deliberate conversion.
    const auto function = reinterpret_cast<EntryPoint>(reinterpret_cast<void (*)()>(proc));
    call.outcome = ComponentCall::Outcome::Called;
    call.result = static_cast<std::int32_t>(function());
    return call;
}

} // namespace quillan
