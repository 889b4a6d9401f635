#include "transfer/Http.h"

#include "base/CreateLogFile.h"
#include "base/Progress.h"
#include "transfer/CurlHttpClient.h"
#include "transfer/InstallationSecurity.h"
#include "transfer/RemoteName.h"
#include "transfer/TransferRow.h"
#include "transfer/UrlEncoding.h"

#include <cmath>
#include <filesystem>
#include <optional>
#include <stdexcept>

namespace quillan {

namespace {

constexpr std::uint64_t kChunk = 1024; // the progress unit: one step per 1024 bytes received

// Row 0 of the check as it ends: the bar hidden and the percent label hidden.
void endCheckRow(Console& c, RowStatus status, int value) {
    setTransferRow(c, Row::ConnectionCheck, status, value);
    ChecklistRow r = c.model.checklist(Row::ConnectionCheck);
    r.percentVisible = false;
    c.model.setChecklist(Row::ConnectionCheck, r);
}

} // namespace

ByteProgress::Reading httpStepReading(std::uint64_t contentLength) {
    // Rounded to 4 decimals as the bar has always shown it.
    const double raw = static_cast<double>(kChunk) / static_cast<double>(contentLength) * 100.0;
    const double step = std::round(raw * 10000.0) / 10000.0;
    double value = 0;
    std::uint64_t chunks = 0;
    bool capped = false;
    return [=](std::uint64_t received) mutable {
        // The value is a sum of steps, chunk by chunk, so that it rounds as the console's did.
        for (const std::uint64_t upTo = received / kChunk; chunks < upTo && !capped; ++chunks) {
            if (value + step <= 100) {
                value += step;
            } else {
                value = 100;
                capped = true;
            }
        }
        BarReading r;
        r.value = static_cast<int>(value);
        r.percent = capped ? "100%" : percentText(r.value, 100);
        return r;
    };
}

bool httpDownloadDone(const HttpSession& s) {
    return s.httpDownloadDone;
}

std::string FileNameFromUrl(const std::string& url) {
    auto slash = url.rfind('/');
    return slash == std::string::npos ? url : url.substr(slash + 1);
}

bool HTTPLogin(Console& c, HttpSession& s) {
    bool result = false;
    try {
        CreateLogFile(c, "Test.log");
        if (c.state.serverPath.empty()) {
            c.endProgram(Ending::Failure);
            return false;
        }
        const std::string& server = c.state.serverPath;
        const std::string testUrl = server + "Test.log";
        setTransferRow(c, Row::ConnectionCheck, c.model.checklist(Row::ConnectionCheck).status, 0);
        LoadToGrid(c, 1, "Checking Internet connection", "Downloading files from server", 1,
                   rowPercent(c, Row::ConnectionCheck));
        setRowStatus(c, Row::ConnectionCheck, RowStatus::InProgress);
        LoadToGrid(c, 1, "Checking Internet connection", server, 2, rowPercent(c, Row::ConnectionCheck));

        // Any answer, error pages included, shows that the server is reachable.
        s.httpRequestOk = 1;
        transfer::CurlHttpClient http(transfer::TransferLimits::current(), transportSecurityOf(c));
        transfer::HttpDownloadOptions probe;
        probe.resume = false;
        probe.failOnHttpError = false;
        if (!http.download(testUrl, c.native(c.state.appPath) / "Test.log", {}, probe)) {
            if (http.lastError().curlCode == 0)
                throw std::runtime_error(http.lastError().summary()); // Test.log could not be written
            s.httpRequestOk = 0;
            c.log.line(">>-" + http.lastError().summary());
        }

        if (s.httpRequestOk != 1) {
            c.state.run.runFailed = true;
            result = false;
            setTransferRow(c, Row::ConnectionCheck, RowStatus::Failed, 0);
            LoadToGrid(c, 1, "Checking Internet connection", "Downloading files from server", 4,
                       rowPercent(c, Row::ConnectionCheck));
            endCheckRow(c, RowStatus::Failed, 0);
            ErrorDisplay(c);
        } else {
            result = true;
            endCheckRow(c, RowStatus::Completed, 100);
            LoadToGrid(c, 1, "Checking Internet connection ", "Downloading files from server", 3,
                       rowPercent(c, Row::ConnectionCheck));
        }
        if (result) {
            c.state.httpAvailable = true;
        } else {
            c.state.httpAvailable = false;
            if (c.op.askYesNo(Question::Server, "Unable to Connect to HTTP, Still Do you want to Continue")) {
                result = true;
                c.state.httpAvailable = true;
            }
        }
        if (!c.state.isLocalServer) {
            endCheckRow(c, RowStatus::Completed, 100);
            LoadToGrid(c, 1, "Checking Http Connection", server, 3, rowPercent(c, Row::ConnectionCheck));
            result = true;
            c.state.httpAvailable = true;
        }
    } catch (const std::exception& e) {
        c.log.line(std::string(e.what()) + " In HTTPLogin");
        ErrorDisplay(c);
        c.state.timerEnabled = false;
        return false;
    }
    return result;
}

bool DownloadFromHttp(Console& c, HttpSession& s, const std::string& fileName) {
    bool result = false;
    try {
        s.httpCurrentUrl = c.state.serverPath + c.state.deployServerPath + fileName;
        s.httpDownloadDone = false;
        ChecklistRow row = c.model.checklist(Row::ProgramDownload);
        row.barValue = 0;
        row.barMax = 100;
        row.barVisible = false;
        c.model.setChecklist(Row::ProgramDownload, row);
        setRowStatus(c, Row::ProgramDownload, RowStatus::InProgress);

        const std::string localName = FileNameFromUrl(s.httpCurrentUrl);
        if (!transfer::isSafeRemoteName(localName))
            throw std::runtime_error("Refused file name \"" + localName + "\"");
        const auto target = c.native(c.state.updateFolder) / localName;

        std::optional<ByteProgress> bar;
        transfer::HttpHooks hooks;
        hooks.onResponse = [&](const transfer::HttpResponse& r, std::string& refusal) {
            if (!r.contentLength) {
                refusal = "The answer has no Content-length";
                return false;
            }
            if (*r.contentLength == 0) {
                refusal = "The answer has a Content-length of 0";
                return false;
            }
            bar.emplace(c, Row::ProgramDownload, 100, httpStepReading(*r.contentLength), *r.contentLength);
            return true;
        };
        hooks.onProgress = [&](std::uint64_t received, std::uint64_t) {
            if (bar)
                bar->report(received);
        };
        hooks.cancel = [&c] { return c.programEnded(); };

        transfer::CurlHttpClient http(transfer::TransferLimits::current(), transportSecurityOf(c));
        transfer::HttpDownloadOptions options;
        auto& digests = c.state.run.downloadDigests;
        options.hash = digests.wanted;
        result = true; // the request is issued
        if (http.download(transfer::withEncodedFileName(s.httpCurrentUrl), target, hooks, options)) {
            if (http.lastSha256())
                digests.remember(target, *http.lastSha256());
            const std::uint64_t size = std::filesystem::file_size(target);
            if (bar)
                bar->report((size + kChunk - 1) / kChunk * kChunk); // the last, shorter chunk
            s.httpDownloadDone = true;
        } else {
            c.log.line(http.lastError().summary() + " in Download from HTTP");
        }
        c.model.processEvents();
    } catch (const std::exception& e) {
        c.log.line(std::string(e.what()) + " in Download from HTTP");
    }
    return result;
}

} // namespace quillan
