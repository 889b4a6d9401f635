// The engine's check of a workbook's shared string table, which walks a table from outside before
// freexl reads it. Properties: it ends on any bytes without reading outside them (the sanitizers
// see to that), and a refusal names a string of the table's count.
#include "FuzzSupport.h"
#include "platform/db/embedded/WorkbookStrings.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillan;
    const std::string stream = fuzz::text(data, size);
    if (const auto why = db::embedded::unreadableSharedStringInStream(stream))
        fuzz::require(why->rfind("string ", 0) == 0 &&
                          why->find("runs over more than two records") != std::string::npos,
                      "a refusal names the string", *why);
    return 0;
}
