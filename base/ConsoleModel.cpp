#include "base/ConsoleModel.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace quillan {

const std::array<const char*, kChecklistRows>& checklistCaptions() {
    static const std::array<const char*, kChecklistRows> captions = {
        "Checking DB Connection Status",
        "",
        "Check new downloads info....",
        "Updating new downloads info...",
        "Downloading new programs...",
        "Copying files for update...",
        "DataBase Backup",
        "Backup Supporting Files",
        "Run Hot Fix",
        "Replace Exes",
        "Replace RPTs &&  RTMs",
        "Replace Other Files",
        "UnRegister && Register Files",
        "Removing Old Files",
        "Roll Back for Error",
    };
    return captions;
}

const std::array<const char*, 6>& gridHeaders() {
    static const std::array<const char*, 6> headers = {" ",    "Event",    "Processing Name",
                                                       "Time", "Status %", "View Details"};
    return headers;
}

std::string percentText(long long value, long long maximum) {
    const long long whole = maximum == 0 ? 0 : value * 100 / maximum;
    return std::to_string(whole) + " %";
}

std::string gridPercentText(const std::string& labelText) {
    std::size_t i = 0;
    while (i < labelText.size() && std::isspace(static_cast<unsigned char>(labelText[i])))
        ++i;
    std::size_t end = i;
    while (end < labelText.size() && std::isdigit(static_cast<unsigned char>(labelText[end])))
        ++end;
    if (end == i)
        return labelText; // empty, or no number to show as a percent
    // Only a number, a decimal part and a percent sign make a percent: "12 MB" is not "12 %".
    std::size_t rest = end;
    if (rest < labelText.size() && labelText[rest] == '.') {
        ++rest;
        while (rest < labelText.size() && std::isdigit(static_cast<unsigned char>(labelText[rest])))
            ++rest;
    }
    while (rest < labelText.size() && std::isspace(static_cast<unsigned char>(labelText[rest])))
        ++rest;
    if (rest < labelText.size() && labelText[rest] == '%')
        ++rest;
    if (rest != labelText.size())
        return labelText;
    // The whole part only: digits after a decimal point are dropped, not rounded, as the
    // percent labels themselves do. More than three digits cannot be a percent of a bar.
    const std::string whole = labelText.substr(i, std::min<std::size_t>(end - i, 4));
    return std::to_string(std::strtol(whole.c_str(), nullptr, 10)) + " %";
}

void ConsoleModel::removeObserver(ModelObserver* o) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), o), observers_.end());
}

void ConsoleModel::setLabel(Label l, const std::string& text) {
    labels_[l] = text;
    for (auto* o : observers_)
        o->labelChanged(l, text);
}

const std::string& ConsoleModel::label(Label l) const {
    static const std::string empty;
    auto it = labels_.find(l);
    return it == labels_.end() ? empty : it->second;
}

void ConsoleModel::setLabelColour(Label l, const LabelColour& colour) {
    labelColours_[l] = colour;
    for (auto* o : observers_)
        o->labelColourChanged(l, colour);
}

LabelColour ConsoleModel::labelColour(Label l) const {
    auto it = labelColours_.find(l);
    return it == labelColours_.end() ? LabelColour{} : it->second;
}

void ConsoleModel::setChecklist(Row row, const ChecklistRow& value) {
    ChecklistRow shown = value;
    // A step's bar and percent label are on screen only while the step is in progress: a finished
    // or failed step is told by its picture, whichever way the run ended.
    if (shown.status != RowStatus::InProgress)
        shown.barVisible = shown.percentVisible = false;
    checklist_.at(static_cast<std::size_t>(rowIndex(row))) = shown;
    for (auto* o : observers_)
        o->checklistChanged(rowIndex(row), shown);
    for (const auto& [gridRow, followed] : gridFollows_) {
        auto it = grid_.find(gridRow);
        // Only a step that moves is followed: a failed row's "0 %" is not where it stopped.
        if (followed != row || it == grid_.end() || value.status != RowStatus::InProgress)
            continue;
        const std::string percent = gridPercentText(value.percentText);
        if (percent == it->second.percent)
            continue;
        it->second.percent = percent;
        for (auto* o : observers_)
            o->gridRowChanged(gridRow, it->second);
    }
}

void ConsoleModel::resetChecklist() {
    for (int i = 0; i < kChecklistRows; ++i)
        setChecklist(static_cast<Row>(i), ChecklistRow{});
}

void ConsoleModel::setOverall(bool visible, int value) {
    overallVisible_ = visible;
    overallValue_ = value;
    overallPercent_ = percentText(value, 100);
    for (auto* o : observers_)
        o->overallChanged(visible, value, overallPercent_);
}

void ConsoleModel::setGridRow(int row, const GridRow& r) {
    GridRow copy = r;
    copy.percent = gridPercentText(r.percent);
    if (auto it = grid_.find(row); it != grid_.end() && copy.link.empty())
        copy.link = it->second.link; // rewriting a row keeps the link a phase placed in column 6
    if (r.status == RowStatus::Completed || r.status == RowStatus::Failed) {
        // A step that failed keeps the cell where it stopped: the "0 %" a failed row's label
        // reads would say it never started.
        const auto old = grid_.find(row);
        if (r.status == RowStatus::Failed && gridFollows_.count(row) && old != grid_.end())
            copy.percent = old->second.percent;
        gridFollows_.erase(row);
    }
    grid_[row] = copy;
    for (auto* o : observers_)
        o->gridRowChanged(row, copy);
}

void ConsoleModel::setGridLink(int row, const std::string& link) {
    auto& r = grid_[row];
    r.link = link;
    for (auto* o : observers_)
        o->gridRowChanged(row, r);
}

void ConsoleModel::followInGrid(int gridRow, Row row) {
    gridFollows_[gridRow] = row;
}

void ConsoleModel::setStatusBox(const std::string& text) {
    statusBox_ = text;
    for (auto* o : observers_)
        o->statusBoxChanged(statusBoxVisible_, statusBox_);
}

void ConsoleModel::setStatusBoxVisible(bool visible) {
    statusBoxVisible_ = visible;
    for (auto* o : observers_)
        o->statusBoxChanged(statusBoxVisible_, statusBox_);
}

void ConsoleModel::setButton(Button b, bool enabled, bool visible) {
    buttons_[b] = {enabled, visible};
    for (auto* o : observers_)
        o->buttonChanged(b, enabled, visible);
}

bool ConsoleModel::buttonEnabled(Button b) const {
    auto it = buttons_.find(b);
    return it == buttons_.end() ? true : it->second.first;
}

bool ConsoleModel::buttonVisible(Button b) const {
    auto it = buttons_.find(b);
    return it == buttons_.end() ? true : it->second.second;
}

void ConsoleModel::setPanel(bool current, int index, const std::string& text) {
    auto& panel = current ? currentPanel_ : lastPanel_;
    panel.at(static_cast<std::size_t>(index)) = text;
    for (auto* o : observers_)
        o->panelChanged(current, index, text);
}

const std::string& ConsoleModel::panel(bool current, int index) const {
    const auto& panel = current ? currentPanel_ : lastPanel_;
    return panel.at(static_cast<std::size_t>(index));
}

void ConsoleModel::setBusy(bool busy) {
    busy_ = busy;
    for (auto* o : observers_)
        o->busyChanged(busy);
}

void ConsoleModel::processEvents() {
    for (auto* o : observers_)
        o->processEvents();
}

void ConsoleModel::reportAmount(Row row, std::uint64_t done, std::uint64_t total, AmountUnit unit) {
    for (auto* o : observers_)
        o->amountDone(rowIndex(row), done, total, unit);
}

} // namespace quillan
