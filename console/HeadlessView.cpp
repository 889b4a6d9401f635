#include "console/HeadlessView.h"

#include <sstream>

namespace quillan {

const char* labelName(Label l) {
    switch (l) {
    case Label::LblStatus:
        return "LblStatus";
    case Label::lblPrs:
        return "lblPrs";
    case Label::lblDl:
        return "lblDl";
    case Label::lblDownLoad:
        return "lblDownLoad";
    case Label::lblLocation:
        return "lblLocation";
    case Label::LblDLoad:
        return "LblDLoad";
    case Label::LblDFLoad:
        return "LblDFLoad";
    case Label::lblStTime:
        return "lblStTime";
    case Label::lblEndTime:
        return "lblEndTime";
    case Label::LblDeployProgress:
        return "LblDeployProgress";
    case Label::lblRegMessage:
        return "lblRegMessage";
    }
    return "label";
}

const char* rowStatusName(RowStatus s) {
    switch (s) {
    case RowStatus::New:
        return "new";
    case RowStatus::InProgress:
        return "in progress";
    case RowStatus::Completed:
        return "completed";
    case RowStatus::Failed:
        return "failed";
    }
    return "?";
}

void HeadlessView::labelChanged(Label l, const std::string& text) {
    // The per-item labels change for every file and the second transfer-mode label repeats the
    // first: printing them would bury the lines that matter.
    if (text.empty() || l == Label::lblDownLoad || l == Label::lblLocation || l == Label::LblDFLoad)
        return;
    out_ << "[" << labelName(l) << "] " << text << std::endl;
}

// Only the picture: the bars move with every chunk and file.
void HeadlessView::checklistChanged(int index, const ChecklistRow& r) {
    if (index < 0 || index >= kChecklistRows)
        return;
    auto& shown = pictures_[static_cast<std::size_t>(index)];
    if (shown == r.status)
        return;
    shown = r.status;
    std::string caption = checklistCaptions()[static_cast<std::size_t>(index)];
    for (auto at = caption.find("&&"); at != std::string::npos; at = caption.find("&&", at + 1))
        caption.erase(at, 1); // the window's doubled ampersand shows one
    out_ << "[row " << index << "] " << rowStatusName(r.status) << " | " << caption << std::endl;
}

void HeadlessView::gridRowChanged(int row, const GridRow& r) {
    out_ << "[grid " << row << "] " << rowStatusName(r.status) << " | " << r.event << " | "
         << r.processingName << " | " << r.time << " | " << r.percent;
    if (!r.link.empty())
        out_ << " | " << r.link;
    out_ << std::endl;
}

void HeadlessView::statusBoxChanged(bool, const std::string& text) {
    if (text.empty() || text == lastBox_)
        return;
    lastBox_ = text;
    if (text.find('\n') == std::string::npos) {
        out_ << "[status] " << text << std::endl;
        return;
    }
    printLogDump(text);
}

void HeadlessView::showUnprintedLog(const std::string& wholeLog) {
    if (!wholeLog.empty() && wholeLog != logShown_)
        printLogDump(wholeLog);
}

// A log dump: print what is new since the last one (all of it when the log was recreated).
void HeadlessView::printLogDump(const std::string& text) {
    std::string fresh = text;
    if (!logShown_.empty() && text.compare(0, logShown_.size(), logShown_) == 0)
        fresh = text.substr(logShown_.size());
    logShown_ = text;
    std::istringstream lines(fresh);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        out_ << "[log] " << line << std::endl;
    }
}

void HeadlessView::panelChanged(bool current, int index, const std::string& text) {
    if (text.empty())
        return;
    out_ << "[" << (current ? "current" : "last") << " deployment " << index << "] " << text << std::endl;
}

} // namespace quillan
