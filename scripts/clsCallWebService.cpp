#include "scripts/clsCallWebService.h"

#include "platform/Text.h"

#include "scripts/ServiceAnswer.h"
#include "transfer/CurlHttpClient.h"
#include "transfer/UrlEncoding.h"

#include <stdexcept>

namespace quillan {

std::string clsCallWebService::BuildSOAPEnvelope(const std::string& serviceName,
                                                 const std::string& methodName) {
    std::string s;
    s += R"(<?xml version="1.0" encoding="utf-8"?>)";
    s += "<soap:Envelope";
    s += R"( xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance")";
    s += R"( xmlns:xsd="http://www.w3.org/2001/XMLSchema")";
    s += R"( xmlns:soap="http://schemas.xmlsoap.org/soap/envelope/")";
    s += ">";
    s += "<soap:Body>";
    s += "<" + methodName;
    s += std::string(" xmlns=\"") + kServiceNamespace + lowerCase(serviceName) + "\"/>";
    s += "</soap:Body>";
    s += "</soap:Envelope>";
    return s;
}

FileNameListAnswer clsCallWebService::GetFileNameList(const std::string& serverUrl,
                                                      const std::string& serviceName,
                                                      const std::string& methodName,
                                                      const std::string& distributorCode) const {
    const std::string envelope = BuildSOAPEnvelope(serviceName, methodName);
    std::string url = serverUrl + serviceName + ".asmx";
    if (!distributorCode.empty())
        url += "?DistributorCode=" + transfer::encodeQueryValue(distributorCode);
    const std::vector<std::string> headers{
        std::string("SOAPAction: ") + kServiceNamespace + serviceName + "/" + methodName,
        "Content-Type: text/xml",
        "Expect:", // no "100-continue" round trip before the body
    };
    transfer::CurlHttpClient http(transfer::TransferLimits::current(),
                                  transfer::TransportSecurity::current(caFile_));
    FileNameListAnswer answer;
    if (!http.request("POST", url, envelope, headers, answer.text))
        throw std::runtime_error(http.lastError().summary());
    answer.httpStatus = http.status();
    answer.soapFault = isSoapFault(answer.text);
    return answer;
}

void clsCallWebService::importFiles(const std::string& url, const std::string& localPath) const {
    transfer::CurlHttpClient http(transfer::TransferLimits::current(),
                                  transfer::TransportSecurity::current(caFile_));
    transfer::HttpDownloadOptions options;
    options.requireDelimitedBody = true;
    if (!http.download(transfer::withEncodedFileName(url), localPath, {}, options))
        throw std::runtime_error(http.lastError().summary());
}

} // namespace quillan
