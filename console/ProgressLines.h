#pragma once
// Progress as text for a long step: at most one line a second per step, with the amount done and
// the total, the percent, the rate and the time left, e.g.
//   [progress 4] Downloading new programs...: 7.0 MB of 20.0 MB, 35 %, 1.2 MB/s, 11 s left
// A step that ends within its first second prints nothing.
#include "base/ConsoleModel.h"

#include <array>
#include <chrono>
#include <functional>
#include <ostream>

namespace quillan {

class ProgressLines : public ModelObserver {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    explicit ProgressLines(std::ostream& out, Clock clock = std::chrono::steady_clock::now);

    void amountDone(int index, std::uint64_t done, std::uint64_t total, AmountUnit unit) override;

private:
    struct Step {
        bool running = false;
        std::chrono::steady_clock::time_point started, printed;
        std::uint64_t startedAt = 0; // the amount done when it started (a resumed download)
        std::uint64_t last = 0;
        bool anyPrinted = false;
    };

    std::ostream& out_;
    Clock clock_;
    std::array<Step, kChecklistRows> steps_{};
};

// "7.0 MB of 20.0 MB, 35 %, 1.2 MB/s, 11 s left" for bytes; items and percent in their own words.
std::string progressText(std::uint64_t done, std::uint64_t total, AmountUnit unit, double seconds,
                         std::uint64_t doneInThatTime);

} // namespace quillan
