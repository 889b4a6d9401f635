#pragma once
// How every transfer guards the line to the office. A TLS peer's certificate is always verified,
// host name included, against the system's certificate store, or against the office's own CA
// file (a private office with its own certificate authority): the one QUILLAN_CA_FILE names, or
// else the installation's setting (TransportCaFile).
// Which line is encrypted follows the server setting's scheme ("https://", "ftps://"); a redirect
// never leads to a weaker scheme. Proxies come from the environment (http_proxy, https_proxy,
// ftp_proxy, all_proxy, no_proxy), as libcurl reads them. Documented in docs/transport-security.md.
#include <curl/curl.h>

#include <string>
#include <string_view>

namespace quillan::transfer {

struct TransportSecurity {
    std::string caFile; // PEM certificates that replace the system's store; empty: the store

    // QUILLAN_CA_FILE when the environment sets it, else `configuredCaFile` (the installation's
    // setting; empty: the system's store). The variable wins so that one run can be pointed
    // elsewhere without changing the database.
    static TransportSecurity current(const std::string& configuredCaFile = {});
};

// True when `url` starts with "https://" (any letter case).
bool isHttpsUrl(std::string_view url);

// The certificate checks on a prepared handle.
void applyCertificateChecks(CURL* handle, const TransportSecurity& security);

// The schemes an HTTP request to `url` may use, first and after redirects: http and https from a
// plain address, https only from an https one.
void restrictHttpSchemes(CURL* handle, std::string_view url);

} // namespace quillan::transfer
