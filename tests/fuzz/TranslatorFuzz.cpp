// The T-SQL translator alone: a batch either becomes a program or raises DbError naming what has
// no translation. Any other exception or a crash is a fault.
#include "FuzzSupport.h"
#include "platform/db/Connection.h"
#include "platform/db/embedded/Translator.h"

using namespace quillan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 8192)
        return 0;
    try {
        db::embedded::translateBatch(fuzz::text(data, size), "master");
    } catch (const db::DbError&) {
    }
    return 0;
}
