#include "base/RunLogKeeping.h"

#include "platform/Text.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <system_error>
#include <vector>

namespace quillan {

namespace fs = std::filesystem;

namespace {

constexpr const char* kNothingToDo = "-nothing-to-do";
constexpr int kMaxHeaderLines = 8;      // the start time is on the header's second line
constexpr int kMaxSameSecondNames = 99; // starts within one second: "-2" ... "-99"

// "20261207-190254" from the header line "Deployment Date:07/12/2026 19:02:54"; empty when the
// header is not there.
std::string startTimeOf(std::ifstream& in) {
    std::string line;
    for (int i = 0; i < kMaxHeaderLines && std::getline(in, line); ++i) {
        const std::string tag = "Deployment Date:";
        if (line.rfind(tag, 0) != 0)
            continue;
        int d = 0, mo = 0, y = 0, h = 0, mi = 0, s = 0;
        if (std::sscanf(line.c_str() + tag.size(), "%2d/%2d/%4d %2d:%2d:%2d", &d, &mo, &y, &h, &mi, &s) != 6)
            return {};
        char text[32];
        std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d", y, mo, d, h, mi, s);
        return text;
    }
    return {};
}

// Reads the file line by line (its size does not matter) for the nothing-to-do line.
bool holdsLine(std::ifstream& in, const std::string& wanted) {
    if (wanted.empty())
        return false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line == wanted)
            return true;
    }
    return false;
}

bool isEarlierLog(const fs::path& file, const std::string& stem) {
    const std::string name = file.filename().string();
    return name.size() > stem.size() + 5 && equalsNoCase(name.substr(0, stem.size() + 1), stem + "-") &&
           equalsNoCase(name.substr(name.size() - 4), ".log");
}

// The names sort by start time; among more than `keep`, those with nothing to do go first.
void prune(const fs::path& folder, const std::string& stem, int keep) {
    std::vector<fs::path> all;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec) && isEarlierLog(it->path(), stem))
            all.push_back(it->path());
    if (static_cast<int>(all.size()) <= keep)
        return;
    std::sort(all.begin(), all.end());
    auto excess = all.size() - static_cast<std::size_t>(keep);
    std::vector<fs::path> doomed;
    for (const auto& f : all)
        if (doomed.size() < excess && f.filename().string().find(kNothingToDo) != std::string::npos)
            doomed.push_back(f);
    for (const auto& f : all)
        if (doomed.size() < excess && std::find(doomed.begin(), doomed.end(), f) == doomed.end())
            doomed.push_back(f);
    for (const auto& f : doomed)
        fs::remove(f, ec);
}

} // namespace

std::string keepEarlierRunLog(const fs::path& log, const RunLogKeeping& keeping) {
    std::error_code ec;
    if (keeping.keep <= 0 || !fs::is_regular_file(log, ec))
        return {};
    std::string start, suffix;
    {
        std::ifstream in(log, std::ios::binary);
        start = startTimeOf(in);
        if (holdsLine(in, keeping.nothingToDoLine))
            suffix = kNothingToDo;
    }
    if (start.empty()) // not our header: sorted as the oldest, so pruned first
        start = "00000000-000000";
    const std::string stem = log.stem().string();
    fs::path kept;
    for (int n = 1; n <= kMaxSameSecondNames && kept.empty(); ++n) {
        const std::string name =
            stem + "-" + start + (n > 1 ? "-" + std::to_string(n) : "") + suffix + ".log";
        if (!fs::exists(log.parent_path() / name, ec))
            kept = log.parent_path() / name;
    }
    if (kept.empty())
        return "too many run logs started at " + start;
    fs::rename(log, kept, ec);
    if (ec)
        return "cannot keep " + log.filename().string() + " as " + kept.filename().string() + ": " +
               ec.message();
    prune(log.parent_path(), stem, keeping.keep);
    return {};
}

} // namespace quillan
