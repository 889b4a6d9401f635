// A workbook as OPENROWSET loads it: the check and the checked copy, then freexl reading the copy's
// sheet into a table. Any file is loaded or refused with DbError; the sanitizers watch freexl too,
// which read past its buffers on files this target found before the check was there.
#include "FuzzSupport.h"
#include "platform/db/Connection.h"
#include "platform/db/embedded/Importers.h"

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

using namespace quillan;

namespace {

sqlite3* database() {
    static sqlite3* db = [] {
        sqlite3* d = nullptr;
        if (sqlite3_open(":memory:", &d) != SQLITE_OK)
            std::abort();
        return d;
    }();
    return db;
}

const std::filesystem::path& inputFile() {
    static const std::filesystem::path file =
        std::filesystem::temp_directory_path() /
        ("quillan-fuzz-workbook-" + std::to_string(::getpid()) + ".xls");
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 262144)
        return 0;
    {
        std::ofstream out(inputFile(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    try {
        db::embedded::loadSheet(database(), {"fuzz_sheet", "fuzz.xls", "Sheet1"}, inputFile());
    } catch (const db::DbError&) {
    }
    return 0;
}
