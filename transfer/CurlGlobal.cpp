#include "transfer/CurlGlobal.h"

#include <curl/curl.h>

#include <mutex>

namespace quillan::transfer {

void ensureCurlInitialised() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace quillan::transfer
