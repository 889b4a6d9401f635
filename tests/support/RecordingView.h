#pragma once
// A view for tests: attached to a console's model for its lifetime, it keeps what a window would
// have been told, in order: status-box texts, every change of each checklist row, and how often the
// window was given a chance to repaint.
#include "base/ConsoleModel.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace quillan::test {

class RecordingView : public ModelObserver {
public:
    explicit RecordingView(ConsoleModel& model) : model_(model) { model_.addObserver(this); }
    ~RecordingView() override { model_.removeObserver(this); }
    RecordingView(const RecordingView&) = delete;
    RecordingView& operator=(const RecordingView&) = delete;

    std::vector<std::string> statusTexts;
    std::map<int, std::vector<ChecklistRow>> rowChanges; // by row index
    int repaints = 0;

    void statusBoxChanged(bool, const std::string& text) override { statusTexts.push_back(text); }
    void checklistChanged(int index, const ChecklistRow& r) override { rowChanges[index].push_back(r); }
    void processEvents() override { ++repaints; }

    bool sawStatus(const std::string& text) const {
        return std::find(statusTexts.begin(), statusTexts.end(), text) != statusTexts.end();
    }
    // Every value the row was given, in order.
    const std::vector<ChecklistRow>& changes(Row row) { return rowChanges[rowIndex(row)]; }
    // The row's percent texts as they followed one another, repeats folded.
    std::vector<std::string> percents(Row row) const {
        std::vector<std::string> out;
        auto it = rowChanges.find(rowIndex(row));
        if (it != rowChanges.end())
            for (const auto& r : it->second)
                if (out.empty() || out.back() != r.percentText)
                    out.push_back(r.percentText);
        return out;
    }

private:
    ConsoleModel& model_;
};

} // namespace quillan::test
