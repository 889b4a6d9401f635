#include "transfer/TransportSecurity.h"

#include <cctype>
#include <cstdlib>

namespace quillan::transfer {

TransportSecurity TransportSecurity::current(const std::string& configuredCaFile) {
    TransportSecurity s;
    const char* file = std::getenv("QUILLAN_CA_FILE");
    s.caFile = file != nullptr && *file != '\0' ? std::string(file) : configuredCaFile;
    return s;
}

bool isHttpsUrl(std::string_view url) {
    constexpr std::string_view scheme = "https://";
    if (url.size() < scheme.size())
        return false;
    for (std::size_t i = 0; i < scheme.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(url[i])) != scheme[i])
            return false;
    return true;
}

void applyCertificateChecks(CURL* handle, const TransportSecurity& security) {
    // libcurl's defaults, stated so that no later change of defaults can loosen them.
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!security.caFile.empty())
        curl_easy_setopt(handle, CURLOPT_CAINFO, security.caFile.c_str());
}

void restrictHttpSchemes(CURL* handle, std::string_view url) {
    // A server path such as "file:///" or "ftp://" is no HTTP server; an https office that
    // redirects to http would hand the release to anyone on the line.
    const char* schemes = isHttpsUrl(url) ? "https" : "http,https";
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, schemes);
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, schemes);
}

} // namespace quillan::transfer
