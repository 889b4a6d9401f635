#include "app/office/OfficeServer.h"

#include "platform/DateTime.h"
#include "platform/PathMap.h"
#include "platform/Text.h"
#include "trust/Manifest.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace quillan::office {

namespace fs = std::filesystem;

namespace {

constexpr const char* kServiceNamespace = "http://tempuri.org/";
constexpr std::size_t kChunk = 256 * 1024;
// A stall holds its connection at most this long (in steps of kStallStep), so a client that never
// gives up cannot keep the office from stopping.
constexpr auto kStallStep = std::chrono::milliseconds(50);
constexpr int kStallSteps = 10 * 60 * 20;

std::string xmlEscape(const std::string& text) {
    std::string out;
    for (char ch : text) {
        switch (ch) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += ch;
        }
    }
    return out;
}

// The file a request path names below the root, or empty when it names none or would leave the
// root: segments "..", ".", empty, or holding a backslash or a colon are refused.
fs::path fileFor(const fs::path& root, const std::string& requestPath) {
    fs::path p = root;
    std::size_t start = 1;
    while (start <= requestPath.size()) {
        std::size_t end = requestPath.find('/', start);
        if (end == std::string::npos)
            end = requestPath.size();
        const std::string segment = requestPath.substr(start, end - start);
        if (segment.empty() || segment == "." || segment == ".." ||
            segment.find_first_of("\\:") != std::string::npos)
            return {};
        p /= segment;
        start = end + 1;
    }
    const fs::path found = resolveCase(p);
    std::error_code ec;
    return fs::is_regular_file(found, ec) ? found : fs::path();
}

std::string httpDate(fs::file_time_type t) {
    const auto sys = std::chrono::file_clock::to_sys(t);
    const std::time_t tt = std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(sys));
    std::tm tm{};
    gmtime_r(&tt, &tm);
    char buf[64];
    std::strftime(buf, sizeof buf, "%a, %d %b %Y %H:%M:%S GMT", &tm);
    return buf;
}

const OfficeFault* faultFor(const std::vector<OfficeFault>& faults, const fs::path& file) {
    for (const auto& f : faults)
        if (equalsNoCase(f.file, file.filename().string()))
            return &f;
    return nullptr;
}

// Holds a stalled answer until the office stops (or the bound runs out).
void stallUntilStopped(const std::atomic<bool>& stopping) {
    for (int i = 0; i < kStallSteps && !stopping.load(); ++i)
        std::this_thread::sleep_for(kStallStep);
}

void serveFile(const fs::path& file, httplib::Response& res, const OfficeFault* fault,
               std::shared_ptr<const std::atomic<bool>> stopping) {
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    const auto time = fs::last_write_time(file, ec);
    if (ec) {
        res.status = 404;
        return;
    }
    const auto stamp = std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
    res.set_header("ETag", "\"" + std::to_string(size) + "-" + std::to_string(stamp) + "\"");
    res.set_header("Last-Modified", httpDate(time));
    if (size == 0) {
        // The server library gives an empty answer no length of its own, and an answer whose end
        // cannot be told is refused by the console.
        res.set_header("Content-Length", "0");
        return;
    }
    auto in = std::make_shared<std::ifstream>(file, std::ios::binary);
    // The byte at which the fault breaks the answer, and where this answer began (the first
    // offset asked of the provider: 0, or the start of the range).
    const std::optional<std::size_t> cut =
        fault && fault->kind != OfficeFault::Kind::Slow
            ? std::optional<std::size_t>(static_cast<std::size_t>(fault->atByte))
            : std::nullopt;
    const bool stall = fault && fault->kind == OfficeFault::Kind::Stall;
    const bool slow = fault && fault->kind == OfficeFault::Kind::Slow;
    // A slow line: a tenth of the rate every tenth of a second.
    const std::size_t slowPart =
        slow ? std::max<std::size_t>(1, static_cast<std::size_t>(fault->atByte / 10)) : 0;
    auto begun = std::make_shared<std::optional<std::size_t>>();
    res.set_content_provider(static_cast<std::size_t>(size), "application/octet-stream",
                             [in, cut, stall, slowPart, stopping,
                              begun](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                 if (!*begun)
                                     *begun = offset;
                                 if (cut && **begun < *cut) {
                                     if (offset >= *cut) {
                                         if (stall)
                                             stallUntilStopped(*stopping);
                                         return false; // closes the connection mid-answer
                                     }
                                     length = std::min(length, *cut - offset);
                                 }
                                 if (slowPart > 0) {
                                     if (stopping->load())
                                         return false;
                                     length = std::min(length, slowPart);
                                     std::this_thread::sleep_for(std::chrono::milliseconds(100));
                                 }
                                 std::vector<char> buf(std::min(length, kChunk));
                                 in->clear();
                                 in->seekg(static_cast<std::streamoff>(offset));
                                 in->read(buf.data(), static_cast<std::streamsize>(buf.size()));
                                 const auto got = in->gcount();
                                 if (got <= 0)
                                     return false;
                                 return sink.write(buf.data(), static_cast<std::size_t>(got));
                             });
}

} // namespace

std::vector<std::string> listedScripts(const OfficeSettings& s, bool master,
                                       const std::string& distributorCode) {
    const fs::path folder = resolveCase(s.root / (master ? s.masterFolder : s.transFolder));
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        if (!e.is_regular_file(ec))
            continue;
        const std::string name = e.path().filename().string();
        if (trust::isManifestFileName(name) ||
            (!master && !distributorCode.empty() && name.substr(0, name.find('_')) != distributorCode))
            continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return upperCase(a) < upperCase(b); });
    return names;
}

std::string listAnswer(const std::string& service, const std::string& method,
                       const std::vector<std::string>& names) {
    std::string joined;
    for (const auto& n : names)
        joined += (joined.empty() ? "" : ",") + n;
    return std::string(R"(<?xml version="1.0" encoding="utf-8"?>)") +
           R"(<soap:Envelope xmlns:soap="http://schemas.xmlsoap.org/soap/envelope/"><soap:Body>)" + "<" +
           method + "Response xmlns=\"" + kServiceNamespace + lowerCase(service) + "\"><" + method +
           "Result>" + xmlEscape(joined) + "</" + method + "Result></" + method +
           "Response></soap:Body></soap:Envelope>";
}

std::optional<OfficeFault> parseFault(OfficeFault::Kind kind, const std::string& text) {
    OfficeFault f;
    f.kind = kind;
    if (kind == OfficeFault::Kind::Missing) {
        f.file = text;
        return f.file.empty() ? std::nullopt : std::optional<OfficeFault>(f);
    }
    const auto eq = text.rfind('=');
    if (eq == std::string::npos || eq == 0)
        return std::nullopt;
    f.file = text.substr(0, eq);
    const std::string_view n = std::string_view(text).substr(eq + 1);
    auto [end, err] = std::from_chars(n.data(), n.data() + n.size(), f.atByte);
    if (n.empty() || err != std::errc() || end != n.data() + n.size())
        return std::nullopt;
    if (kind == OfficeFault::Kind::Slow && f.atByte == 0)
        return std::nullopt; // a line that sends nothing is a stall
    return f;
}

std::string requestLine(const std::string& time, const std::string& client, const std::string& method,
                        const std::string& path, int status, std::uint64_t bytes) {
    return time + " " + client + " " + method + " " + path + " " + std::to_string(status) + " " +
           std::to_string(bytes);
}

struct OfficeServer::Impl {
    std::unique_ptr<httplib::Server> server;
    std::mutex logging; // one request line at a time
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> stopping = std::make_shared<std::atomic<bool>>(false);
};

OfficeServer::OfficeServer(OfficeSettings settings)
    : impl_(std::make_unique<Impl>()), settings_(std::move(settings)) {}

OfficeServer::~OfficeServer() {
    stop();
}

void OfficeServer::start() {
    if (settings_.certificate.empty()) {
        impl_->server = std::make_unique<httplib::Server>();
    } else {
        auto tls = std::make_unique<httplib::SSLServer>(settings_.certificate.string().c_str(),
                                                        settings_.privateKey.string().c_str());
        if (!tls->is_valid())
            throw std::runtime_error("Cannot serve HTTPS with the certificate " +
                                     settings_.certificate.string() + " and the key " +
                                     settings_.privateKey.string());
        impl_->server = std::move(tls);
    }
    auto& http = *impl_->server;
    const OfficeSettings s = settings_;
    const std::string serviceUrl = "/" + s.service + ".asmx";
    http.Post(".*", [s, serviceUrl](const httplib::Request& req, httplib::Response& res) {
        if (!equalsNoCase(req.path, serviceUrl)) {
            res.status = 404;
            return;
        }
        const std::string action = req.get_header_value("SOAPAction");
        const std::string method = action.substr(action.rfind('/') + 1);
        const bool master = method == "ListMastersFiles";
        if (!master && method != "ListTransactionFiles") {
            res.status = 500;
            res.set_content(
                R"(<?xml version="1.0" encoding="utf-8"?><soap:Envelope )"
                R"(xmlns:soap="http://schemas.xmlsoap.org/soap/envelope/"><soap:Body><soap:Fault>)"
                "<faultcode>soap:Client</faultcode><faultstring>Unknown operation " +
                    xmlEscape(method) + "</faultstring></soap:Fault></soap:Body></soap:Envelope>",
                "text/xml; charset=utf-8");
            return;
        }
        const auto names = listedScripts(s, master, req.get_param_value("DistributorCode"));
        res.set_content(listAnswer(s.service, method, names), "text/xml; charset=utf-8");
    });
    http.Get(".*", [s, stopping = impl_->stopping](const httplib::Request& req, httplib::Response& res) {
        const fs::path file = fileFor(s.root, req.path);
        const OfficeFault* fault = file.empty() ? nullptr : faultFor(s.faults, file);
        if (fault && fault->kind == OfficeFault::Kind::Missing) {
            res.status = 404;
            res.set_content("Not found", "text/plain");
        } else if (!file.empty()) {
            serveFile(file, res, fault, stopping);
        } else if (equalsNoCase(req.path, "/Test.log")) {
            res.set_content("Quillan office\r\n", "text/plain"); // the connection check's probe
        } else {
            res.status = 404;
            res.set_content("Not found", "text/plain");
        }
    });
    if (s.onRequest) {
        http.set_logger([this, log = s.onRequest](const httplib::Request& req, const httplib::Response& res) {
            // The answer's length: its body, or what its header announced for a streamed file.
            std::uint64_t bytes = res.body.size();
            if (bytes == 0 && res.has_header("Content-Length"))
                bytes = std::strtoull(res.get_header_value("Content-Length").c_str(), nullptr, 10);
            const std::string line =
                requestLine(DateTime::now().iso(), req.remote_addr, req.method, req.path, res.status, bytes);
            const std::lock_guard<std::mutex> one(impl_->logging);
            log(line);
        });
    }
    port_ = settings_.port > 0 ? (http.bind_to_port(settings_.host, settings_.port) ? settings_.port : -1)
                               : http.bind_to_any_port(settings_.host);
    if (port_ <= 0)
        throw std::runtime_error("Cannot listen on " + settings_.host + ":" + std::to_string(settings_.port));
    impl_->thread = std::thread([this] { impl_->server->listen_after_bind(); });
}

void OfficeServer::stop() {
    if (impl_ && impl_->thread.joinable()) {
        impl_->stopping->store(true); // releases stalled answers, which stop() waits for
        impl_->server->stop();
        impl_->thread.join();
    }
}

std::string OfficeServer::serverPath() const {
    return (settings_.certificate.empty() ? "http://" : "https://") + settings_.host + ":" +
           std::to_string(port_) + "/";
}

} // namespace quillan::office
