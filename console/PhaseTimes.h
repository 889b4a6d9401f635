#pragma once
// How long each step of the checklist ran and how it ended, as the run summary reports it: a row
// starts when its picture first shows "in progress" and ends at its last completed or failed.
#include "base/ConsoleModel.h"

#include <array>
#include <chrono>
#include <optional>

namespace quillan {

class PhaseTimes : public ModelObserver {
public:
    using Clock = std::chrono::steady_clock;

    void checklistChanged(int index, const ChecklistRow& r) override;

    struct Step {
        RowStatus status = RowStatus::New;
        std::optional<Clock::time_point> started, ended;
        double seconds() const; // 0 for a step that never started
    };
    // The steps that moved (status other than New), by row index; the others are empty.
    const std::array<Step, kChecklistRows>& steps() const { return steps_; }

private:
    std::array<Step, kChecklistRows> steps_{};
};

} // namespace quillan
