#include "console/ProgressLines.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace quillan {

namespace {

constexpr auto kInterval = std::chrono::seconds(1);

std::string bytesText(double bytes) {
    const char* units[] = {"bytes", "KB", "MB", "GB", "TB"};
    int u = 0;
    while (bytes >= 1024 && u < 4) {
        bytes /= 1024;
        ++u;
    }
    char text[32];
    std::snprintf(text, sizeof text, u == 0 ? "%.0f %s" : "%.1f %s", bytes, units[u]);
    return text;
}

std::string durationText(double seconds) {
    const auto s = static_cast<long long>(std::ceil(seconds));
    if (s < 60)
        return std::to_string(s) + " s";
    if (s < 3600)
        return std::to_string(s / 60) + " min " + std::to_string(s % 60) + " s";
    return std::to_string(s / 3600) + " h " + std::to_string(s % 3600 / 60) + " min";
}

} // namespace

std::string progressText(std::uint64_t done, std::uint64_t total, AmountUnit unit, double seconds,
                         std::uint64_t doneInThatTime) {
    std::string text;
    if (unit == AmountUnit::Bytes)
        text = bytesText(static_cast<double>(done)) + " of " + bytesText(static_cast<double>(total)) + ", ";
    else if (unit == AmountUnit::Items)
        text = std::to_string(done) + " of " + std::to_string(total) + ", ";
    text += percentText(static_cast<long long>(done), static_cast<long long>(total));
    const double rate = seconds > 0 ? static_cast<double>(doneInThatTime) / seconds : 0;
    if (unit == AmountUnit::Bytes)
        text += ", " + bytesText(rate) + "/s";
    if (done >= total)
        return text + ", done";
    if (rate <= 0)
        return text + ", nothing moved for " + durationText(seconds);
    // The rest at the rate so far, as one product and one quotient (no rounding of the rate).
    return text + ", " +
           durationText(static_cast<double>(total - done) * seconds / static_cast<double>(doneInThatTime)) +
           " left";
}

ProgressLines::ProgressLines(std::ostream& out, Clock clock) : out_(out), clock_(std::move(clock)) {}

void ProgressLines::amountDone(int index, std::uint64_t done, std::uint64_t total, AmountUnit unit) {
    if (index < 0 || index >= kChecklistRows || total == 0)
        return;
    Step& s = steps_[static_cast<std::size_t>(index)];
    const auto now = clock_();
    if (!s.running || done < s.last) { // a new step, or the row begun again by another item
        s = Step{true, now, now, done, done, false};
        if (done >= total)
            s.running = false;
        return;
    }
    s.last = done;
    const bool finished = done >= total;
    if (finished)
        s.running = false;
    // Short steps print nothing; a long one at most a line a second, and its end once it printed.
    if (finished ? !s.anyPrinted
                 : now - s.started < kInterval || (s.anyPrinted && now - s.printed < kInterval))
        return;
    const double seconds = std::chrono::duration<double>(now - s.started).count();
    std::string caption = checklistCaptions()[static_cast<std::size_t>(index)];
    for (auto at = caption.find("&&"); at != std::string::npos; at = caption.find("&&", at + 1))
        caption.erase(at, 1);
    out_ << "[progress " << index << "] " << caption << ": "
         << progressText(done, total, unit, seconds, done - s.startedAt) << std::endl;
    s.printed = now;
    s.anyPrinted = true;
}

} // namespace quillan
