#include "console/PhaseTimes.h"

namespace quillan {

void PhaseTimes::checklistChanged(int index, const ChecklistRow& r) {
    if (index < 0 || index >= kChecklistRows || r.status == RowStatus::New)
        return;
    Step& s = steps_[static_cast<std::size_t>(index)];
    const auto now = Clock::now();
    if (!s.started)
        s.started = now;
    if (r.status != s.status && (r.status == RowStatus::Completed || r.status == RowStatus::Failed))
        s.ended = now;
    s.status = r.status;
}

double PhaseTimes::Step::seconds() const {
    if (!started)
        return 0;
    const auto end = ended && *ended >= *started ? *ended : Clock::now();
    return std::chrono::duration<double>(end - *started).count();
}

} // namespace quillan
