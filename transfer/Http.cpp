#include "transfer/Http.h"

#include "base/CreateLogFile.h"
#include "base/Progress.h"
#include "transfer/CurlHttpClient.h"
#include "transfer/RemoteName.h"

#include <cmath>
#include <filesystem>
#include <stdexcept>

namespace quillan {

namespace {

constexpr std::uint64_t kChunk = 1024; // the progress unit: one step per 1024 bytes received

void setRow(Console& c, Row index, RowStatus status, int value, const std::string& percent,
            bool percentVisible) {
    ChecklistRow r = c.model.checklist(index);
    r.status = status;
    r.barValue = value;
    r.barMax = 100;
    r.barVisible = false;
    r.percentVisible = percentVisible;
    r.percentText = percent;
    c.model.setChecklist(index, r);
}

// The step rule for one chunk: add the step while it keeps the bar at or under 100, else stop
// the bar at 100 with the label "100%"; once at 100 nothing moves.
void applyChunk(Console& c, HttpSession& s) {
    if (s.progressValue >= 100)
        return;
    bool capped = false;
    if (s.progressValue + s.progressStep <= 100) {
        s.progressValue += s.progressStep;
    } else {
        s.progressValue = 100;
        capped = true;
    }
    // The percent is the whole part of the value (maximum 100), so the row changes at most once
    // per whole step; the model is only told then.
    int value = static_cast<int>(s.progressValue);
    if (value == s.shownValue && !capped)
        return;
    s.shownValue = value;
    ChecklistRow r = c.model.checklist(Row::ProgramDownload);
    r.barValue = value;
    r.barMax = 100;
    r.percentText = capped ? "100%" : std::to_string(value) + " %";
    c.model.setChecklist(Row::ProgramDownload, r);
}

void chunksUpTo(Console& c, HttpSession& s, std::uint64_t chunks) {
    for (; s.chunksSeen < chunks; ++s.chunksSeen)
        applyChunk(c, s);
}

} // namespace

HttpSession& httpSession(const Console& c) {
    return transferSession(c).http;
}

bool httpDownloadDone(const Console& c) {
    return httpSession(c).httpDownloadDone;
}

std::string FileNameFromUrl(const std::string& url) {
    auto slash = url.rfind('/');
    return slash == std::string::npos ? url : url.substr(slash + 1);
}

bool HTTPLogin(Console& c) {
    bool result = false;
    HttpSession& s = httpSession(c);
    try {
        CreateLogFile(c, "Test.log");
        if (c.state.serverPath.empty()) {
            c.endProgram(Ending::Failure);
            return false;
        }
        const std::string& server = c.state.serverPath;
        const std::string testUrl = server + "Test.log";
        setRow(c, Row::ConnectionCheck, c.model.checklist(Row::ConnectionCheck).status, 0, rowPercent(c, Row::ConnectionCheck), c.model.checklist(Row::ConnectionCheck).percentVisible);
        LoadToGrid(c, 1, "Checking Internet connection", "Downloading files from server", 1,
                   rowPercent(c, Row::ConnectionCheck));
        setRowStatus(c, Row::ConnectionCheck, RowStatus::InProgress);
        LoadToGrid(c, 1, "Checking Internet connection", server, 2, rowPercent(c, Row::ConnectionCheck));

        // Any answer, error pages included, shows that the server is reachable.
        s.httpRequestOk = 1;
        transfer::CurlHttpClient http;
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
            setRow(c, Row::ConnectionCheck, RowStatus::Failed, 0, "0 %", true);
            LoadToGrid(c, 1, "Checking Internet connection", "Downloading files from server", 4,
                       rowPercent(c, Row::ConnectionCheck));
            setRow(c, Row::ConnectionCheck, RowStatus::Failed, 0, "0 %", false);
            ErrorDisplay(c);
        } else {
            result = true;
            setRow(c, Row::ConnectionCheck, RowStatus::Completed, 100, percentText(100, 100), false);
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
            setRow(c, Row::ConnectionCheck, RowStatus::Completed, 100, percentText(100, 100), false);
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

bool DownloadFromHttp(Console& c, const std::string& fileName) {
    bool result = false;
    HttpSession& s = httpSession(c);
    try {
        s.httpCurrentUrl = c.state.serverPath + c.state.deployServerPath + fileName;
        s.httpDownloadDone = false;
        setRow(c, Row::ProgramDownload, RowStatus::InProgress, 0, c.model.checklist(Row::ProgramDownload).percentText,
               c.model.checklist(Row::ProgramDownload).percentVisible);

        const std::string localName = FileNameFromUrl(s.httpCurrentUrl);
        if (!transfer::isSafeRemoteName(localName))
            throw std::runtime_error("Refused file name \"" + localName + "\"");
        const auto target = c.native(c.state.updateFolder) / localName;

        s.progressValue = 0;
        s.progressStep = 0;
        s.chunksSeen = 0;
        s.shownValue = -1;
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
            // Step per chunk, rounded to 4 decimals as the bar has always shown it.
            double step = static_cast<double>(kChunk) / static_cast<double>(*r.contentLength) * 100.0;
            s.progressStep = std::round(step * 10000.0) / 10000.0;
            return true;
        };
        std::uint64_t lastEvents = 0;
        hooks.onProgress = [&](std::uint64_t received, std::uint64_t) {
            chunksUpTo(c, s, received / kChunk);
            // Let the window repaint now and then; every 1024 bytes would be wasted work.
            if (received - lastEvents >= 256 * kChunk) {
                lastEvents = received;
                c.model.processEvents();
            }
        };
        hooks.cancel = [&c] { return c.programEnded(); };

        transfer::CurlHttpClient http;
        result = true; // the request is issued
        if (http.download(s.httpCurrentUrl, target, hooks)) {
            std::uint64_t size = std::filesystem::file_size(target);
            chunksUpTo(c, s, (size + kChunk - 1) / kChunk); // the last, shorter chunk
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
