#include "base/RunLog.h"

#include "platform/DateTime.h"
#include "platform/OpenFile.h"

#include <cerrno>
#include <fstream>
#include <sstream>
#include <system_error>

namespace quillan {

namespace {
std::string ascii(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (static_cast<unsigned char>(c) > 0x7F)
            c = '?';
    return out;
}
} // namespace

RunLog::~RunLog() {
    if (out_)
        std::fclose(out_);
}

void RunLog::open(const std::filesystem::path& file, const RunLogKeeping& keeping) {
    if (out_) {
        std::fclose(out_);
        out_ = nullptr;
    }
    const std::string notKept = keepEarlierRunLog(file, keeping);
    std::error_code ec;
    std::filesystem::remove(file, ec); // recreated at every start
    out_ = openFile(file, "wb");
    if (!out_)
        throw std::system_error(errno, std::generic_category(), "cannot create " + file.string());
    file_ = file;
    line("---------------------------------------------");
    line("Deployment Date:" + DateTime::now().display());
    line("Deployment Process Started");
    line("---------------------------------------------");
    if (!notKept.empty())
        line(">>-The previous run log is not kept: " + notKept);
    if (!pending_.empty()) {
        std::fputs(pending_.c_str(), out_);
        std::fflush(out_);
        pending_.clear();
    }
}

void RunLog::line(const std::string& text) {
    const std::string l = ascii(text) + "\r\n";
    if (!out_) {
        pending_ += l;
        return;
    }
    std::fputs(l.c_str(), out_);
    std::fflush(out_);
}

std::string RunLog::readAll() const {
    std::ifstream in(file_, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

} // namespace quillan
