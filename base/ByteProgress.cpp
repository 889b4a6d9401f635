#include "base/ByteProgress.h"

#include "base/ConsoleModel.h"

#include <algorithm>
#include <climits>
#include <limits>

namespace quillan {

namespace {
// The largest bar range: the bar counts in an int, and a file larger than that is counted in
// units of 1024 bytes (or more) so that the bar still reaches its end.
int scaledRange(std::uint64_t total) {
    while (total > static_cast<std::uint64_t>(INT_MAX))
        total /= 1024;
    return static_cast<int>(total);
}
// A transfer or a backup that moves its step's bar is seen moving.
void showWhileMoving(ChecklistRow& r) {
    if (r.status == RowStatus::InProgress)
        r.barVisible = r.percentVisible = true;
}

} // namespace

ByteProgress::ByteProgress(Console& c, Row row, std::uint64_t total, int barMax, AmountUnit unit)
    : c_(&c), row_(row), total_(total), barMax_(barMax > 0 ? barMax : scaledRange(total)), unit_(unit) {}

ByteProgress::ByteProgress(Console& c, Row row, int barMax, Reading reading, std::uint64_t bytesTotal)
    : c_(&c), row_(row), total_(bytesTotal), barMax_(std::max(barMax, 0)), reading_(std::move(reading)) {}

BarReading ByteProgress::readingFor(std::uint64_t done) const {
    if (reading_)
        return reading_(done);
    BarReading r;
    if (total_ > 0 && barMax_ > 0) {
        done = std::min(done, total_);
        const auto range = static_cast<std::uint64_t>(barMax_);
        if (done <= std::numeric_limits<std::uint64_t>::max() / range) {
            // Exact in integers: 29 of 100 is 29, where 0.29 * 100 in floating point is 28.99...
            r.value = static_cast<int>(done * range / total_);
        } else {
            // Only totals past 2^33 bytes get here, where the bar's unit is far coarser than the
            // floating-point error.
            r.value = static_cast<int>(static_cast<long double>(done) / static_cast<long double>(total_) *
                                       static_cast<long double>(range));
        }
    } else {
        r.value = barMax_; // nothing to do is done at once
    }
    r.percent = percentText(r.value, barMax_);
    return r;
}

void ByteProgress::start() {
    start(readingFor(0).percent);
}

void ByteProgress::start(const std::string& startLabel) {
    ChecklistRow r = c_->model.checklist(row_);
    r.barMax = barMax_;
    r.barValue = std::clamp(readingFor(0).value, 0, barMax_);
    r.percentText = startLabel;
    showWhileMoving(r);
    c_->model.setChecklist(row_, r); // one change: range, value and label together
    shown_ = r.barValue;
    shownPercent_ = startLabel;
    c_->model.processEvents();
}

void ByteProgress::report(std::uint64_t done) {
    if (total_ > 0)
        c_->model.reportAmount(row_, std::min(done, total_), total_, unit_);
    show(readingFor(done), false);
}

void ByteProgress::finish() {
    BarReading end;
    end.value = barMax_;
    end.percent = percentText(barMax_, barMax_);
    show(end, false);
}

void ByteProgress::show(const BarReading& reading, bool force) {
    const int value = std::clamp(reading.value, 0, barMax_);
    const int grain = std::max(1, barMax_ / 1000);
    const bool atEnd = value == barMax_ && shown_ != barMax_;
    const bool moved = value > shown_ ? value - shown_ >= grain : shown_ - value >= grain;
    // A move smaller than the grain is not worth a repaint, unless the text changes (a label that
    // reads "100%" once its bar is capped).
    if (!force && !atEnd && !moved && reading.percent == shownPercent_)
        return;
    shown_ = value;
    shownPercent_ = reading.percent;
    ChecklistRow r = c_->model.checklist(row_);
    r.barValue = value;
    r.percentText = reading.percent;
    showWhileMoving(r);
    c_->model.setChecklist(row_, r);
    c_->model.processEvents();
}

} // namespace quillan
