#pragma once
// The client of the central office's deploy web service: a SOAP 1.1 call that lists the deploy
// scripts waiting for this distributor, and a plain GET that fetches one of them. It holds no
// state between calls and catches nothing: a failed request reaches the caller as an exception
// (std::runtime_error with the failure's description).
#include <string>

namespace quillan {

class clsCallWebService {
public:
    // The service namespace: an absolute URI ending in "/".
    static constexpr const char* kServiceNamespace = "http://tempuri.org/";

    // The raw response text of the SOAP call to serverUrl & serviceName & ".asmx", with
    // "?DistributorCode=" & code appended when the code is not empty. The HTTP status is not
    // examined: an error page comes back as the text.
    std::string GetFileNameList(const std::string& serverUrl, const std::string& serviceName,
                                const std::string& methodName, const std::string& distributorCode) const;
    // Downloads `url` and stores the body under `localPath` (a native path), replacing a file
    // there. An error status (400 or more) or a broken transfer throws and leaves any file at
    // `localPath` as it was.
    void importFiles(const std::string& url, const std::string& localPath) const;
    // The request document, on one line, with an empty operation element.
    static std::string BuildSOAPEnvelope(const std::string& serviceName, const std::string& methodName);
};

} // namespace quillan
