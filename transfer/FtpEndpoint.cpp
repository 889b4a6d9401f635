// The server setting of the FTP phase, read apart from the libcurl client so that it can be
// exercised on its own.
#include "transfer/FtpTypes.h"

#include "platform/Text.h"

#include <stdexcept>

namespace quillan::transfer {

FtpEndpoint FtpEndpoint::parse(std::string_view server, std::string user, std::string password) {
    FtpEndpoint ep;
    ep.user = std::move(user);
    ep.password = std::move(password);
    std::string_view s = trimmed(server);
    for (const std::string_view scheme : {"ftp://", "ftps://", "ftpes://"})
        if (s.size() >= scheme.size() && equalsNoCase(s.substr(0, scheme.size()), scheme)) {
            ep.tls = scheme != "ftp://";
            s.remove_prefix(scheme.size());
            break;
        }
    if (auto slash = s.find('/'); slash != std::string_view::npos)
        s = s.substr(0, slash);
    if (auto colon = s.rfind(':'); colon != std::string_view::npos && s.find(':') == colon) {
        try {
            ep.port = std::stol(std::string(s.substr(colon + 1)));
        } catch (const std::exception&) {
            ep.port = 21;
        }
        s = s.substr(0, colon);
    }
    ep.host = std::string(s);
    return ep;
}

} // namespace quillan::transfer
