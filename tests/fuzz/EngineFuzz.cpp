// The embedded engine running a batch on a throw-away catalog folder. Each input gets a fresh
// folder below one private temporary folder; file names in statements are mapped into it, so no
// statement reads or writes anything else. SQLite's own limits keep an input within budget: at most
// a few million virtual-machine steps and 1 MiB per value.
#include "FuzzSupport.h"
#include "platform/db/Connection.h"
#include "platform/db/embedded/Session.h"

#include <sqlite3.h>

#include <filesystem>
#include <unistd.h>

using namespace quillan;
namespace fs = std::filesystem;

namespace {

constexpr int kStepsPerCheck = 1000;
constexpr int kChecksAllowed = 5000; // 5 million steps

const fs::path& root() {
    static const fs::path dir = [] {
        std::string pattern = (fs::temp_directory_path() / "quillan-fuzz-engine-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            std::abort();
        return fs::path(pattern);
    }();
    return dir;
}

struct Cleanup {
    ~Cleanup() {
        std::error_code ec;
        fs::remove_all(root(), ec);
    }
} cleanup;

int budget(void* left) {
    return --*static_cast<int*>(left) < 0 ? 1 : 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096)
        return 0;
    const fs::path folder = root() / "catalog";
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder / "files");
    auto inside = [folder](const std::string& name) {
        std::string flat;
        for (char ch : name)
            flat += (ch == '/' || ch == '\\' || ch == ':' || ch == '\0') ? '_' : ch;
        return folder / "files" / ("f" + flat.substr(0, 64));
    };
    try {
        db::embedded::Session session(folder, "master", inside);
        int left = kChecksAllowed;
        sqlite3_progress_handler(session.handle(), kStepsPerCheck, budget, &left);
        sqlite3_limit(session.handle(), SQLITE_LIMIT_LENGTH, 1 << 20);
        session.run(fuzz::text(data, size));
    } catch (const db::DbError&) {
    }
    return 0;
}
