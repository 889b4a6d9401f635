#pragma once
// The client of the central office's deploy web service: a SOAP 1.1 call that lists the deploy
// scripts waiting for this distributor, and a plain GET that fetches one of them. It keeps only
// the CA file setting between calls and catches nothing: a failed request reaches the caller as an exception
// (std::runtime_error with the failure's description).
#include <string>
#include <utility>

namespace quillan {

// What the service answered to a list request: the response text as it came (an error page
// included), with what the caller needs to tell a list from an error page or a SOAP fault.
struct FileNameListAnswer {
    std::string text;
    long httpStatus = 0;
    bool soapFault = false; // the body is a SOAP Fault document

    // True when the text is the service's list: status 200 and no fault.
    bool isList() const { return httpStatus == 200 && !soapFault; }
};

class clsCallWebService {
public:
    // `configuredCaFile`: the installation's CA file setting (TransportSecurity::current).
    explicit clsCallWebService(std::string configuredCaFile = {}) : caFile_(std::move(configuredCaFile)) {}

    // The service namespace: an absolute URI ending in "/".
    static constexpr const char* kServiceNamespace = "http://tempuri.org/";

    // The SOAP call to serverUrl & serviceName & ".asmx", with "?DistributorCode=" & code
    // appended when the code is not empty (only blanks, "&", "#", "%", "+" and non-ASCII bytes of
    // the code are percent-encoded). The text is returned whatever the status; the status and a
    // SOAP fault are told beside it.
    FileNameListAnswer GetFileNameList(const std::string& serverUrl, const std::string& serviceName,
                                       const std::string& methodName,
                                       const std::string& distributorCode) const;
    // Downloads `url` and stores the body under `localPath` (a native path), replacing a file
    // there. The text after the last "/" of `url` is a file name and is percent-encoded where a
    // URL cannot carry it. An error status (400 or more), a broken transfer, or a body whose end
    // cannot be told (neither a length nor chunks) throws and leaves any file at `localPath` as
    // it was.
    void importFiles(const std::string& url, const std::string& localPath) const;
    // The request document, on one line, with an empty operation element.
    static std::string BuildSOAPEnvelope(const std::string& serviceName, const std::string& methodName);

private:
    std::string caFile_;
};

} // namespace quillan
