#include "transfer/InternetError.h"

#include <curl/curl.h>

namespace quillan {

std::string InternetErrorText(long code, const std::string& serverResponse) {
    switch (code) {
    case 12001:
        return "No more handles could be generated at this time";
    case 12002:
        return "The request has timed out.";
    case 12003:
        return serverResponse.empty() ? "Extended error returned from server." : serverResponse;
    case 12004:
        return "An internal error has occurred.";
    case 12005:
        return "URL is invalid.";
    case 12006:
        return std::string("URL scheme could not be recognized, ") + "or is not supported.";
    case 12007:
        return "Server name could not be resolved.";
    case 12008:
        return "Requested protocol could not be located.";
    case 12009:
        return std::string("A request to InternetQueryOption or ") +
               "InternetSetOption specified an invalid option value.";
    case 12010:
        return std::string("Length of an option supplied to InternetQueryOption ") +
               "or InternetSetOption is incorrect for the type " + "of option specified.";
    case 12011:
        return "The request option can not be set, only queried. ";
    case 12012:
        return "The Win32 Internet support is being shutdown or unloaded.";
    case 12013:
        return std::string("Request to connect and login to an FTP server could not") +
               "be completed because the supplied user name is incorrect.";
    case 12014:
        return std::string("Request to connect and login to an FTP server could not ") +
               "be completed because the supplied password is incorrect. ";
    case 12015:
        return "Request to connect to and login to an FTP server failed.";
    case 12016:
        return "Requested operation is invalid. ";
    case 12017:
        return std::string("Operation was cancelled, usually because the handle on ") +
               "which the request was operating was closed before the " + "operation completed.";
    case 12018:
        return "Type of handle supplied is incorrect for this operation.";
    case 12019:
        return std::string("Requested operation can not be carried out because the ") +
               "handle supplied is not in the correct state.";
    case 12020:
        return "Request can not be made via a proxy.";
    case 12021:
        return "A required registry value could not be located. ";
    case 12022:
        return std::string("A required registry value was located but is an ") +
               "incorrect type or has an invalid value.";
    case 12023:
        return "Direct network access cannot be made at this time. ";
    case 12024:
        return std::string("An asynchronous request could not be made because ") +
               "a zero context value was supplied.";
    case 12025:
        return std::string("An asynchronous request could not be made because ") +
               "a callback function has not been set.";
    case 12026:
        return std::string("The required operation could not be completed ") +
               "because one or more requests are pending.";
    case 12027:
        return "The format of the request is invalid.";
    case 12028:
        return "The requested item could not be located.";
    case 12029:
        return "The attempt to connect to the server failed.";
    case 12030:
        return "The connection with the server has been terminated.";
    case 12031:
        return "The connection with the server has been reset.";
    case 12036:
        return "The request failed because the handle already exists.";
    default:
        return "Error details not available.";
    }
}

namespace transfer {

long internetCodeForCurl(int curlCode) {
    switch (static_cast<CURLcode>(curlCode)) {
    case CURLE_OK:
        return 0;
    case CURLE_UNSUPPORTED_PROTOCOL:
        return 12006;
    case CURLE_URL_MALFORMAT:
        return 12005;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
        return 12007;
    case CURLE_COULDNT_CONNECT:
        return 12029;
    case CURLE_OPERATION_TIMEDOUT:
        return 12002;
    case CURLE_LOGIN_DENIED:
        return 12015;
    case CURLE_ABORTED_BY_CALLBACK:
        return 12017;
    // The server answered, but not what was asked: its own reply is the best text.
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_FTP_ACCEPT_FAILED:
    case CURLE_FTP_WEIRD_PASS_REPLY:
    case CURLE_FTP_WEIRD_PASV_REPLY:
    case CURLE_FTP_WEIRD_227_FORMAT:
    case CURLE_FTP_CANT_GET_HOST:
    case CURLE_FTP_COULDNT_SET_TYPE:
    case CURLE_FTP_COULDNT_RETR_FILE:
    case CURLE_FTP_PORT_FAILED:
    case CURLE_FTP_COULDNT_USE_REST:
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_QUOTE_ERROR:
    case CURLE_HTTP_RETURNED_ERROR:
        return 12003;
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
        return 12030;
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
        return 12031;
    case CURLE_OUT_OF_MEMORY:
        return 12001;
    case CURLE_FAILED_INIT:
    case CURLE_WRITE_ERROR:
        return 12004;
    default:
        return 0;
    }
}

std::string TransferError::summary() const {
    // No code, "An internal error has occurred." and 12003 without a reply line tell nothing.
    const bool tableSaysWhy =
        internetCode != 0 && internetCode != 12004 && (internetCode != 12003 || !serverResponse.empty());
    if (tableSaysWhy)
        return text();
    if (!detail.empty())
        return detail;
    if (!serverResponse.empty())
        return serverResponse;
    return text();
}

} // namespace transfer
} // namespace quillan
