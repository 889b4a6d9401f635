#pragma once
// The one progress throttle for work measured in bytes or percent: a download, a copy, the join
// of a split package, the database backup's percent events. Every report goes through it, and it
// tells the model (and lets the window repaint) only when the row's bar has visibly moved: by a
// thousandth of its range, or to its end, or when the label's text changes. A gigabyte costs the
// window a thousand updates, not a million, and every transport moves its bar the same way.
#include "base/Console.h"

#include <cstdint>
#include <functional>
#include <string>

namespace quillan {

// What a row shows for an amount done: the bar value and the percent label's text.
struct BarReading {
    int value = 0;
    std::string percent;
};

class ByteProgress {
public:
    // How an amount done maps onto the row's bar (a transport with its own step rule); without
    // one the bar is linear over [0, barMax] with the ordinary percent text.
    using Reading = std::function<BarReading(std::uint64_t done)>;

    // `total` is the amount at the end (bytes, or 100 for percent events, as `unit` says). The
    // bar's range is `barMax` units; 0 takes the total itself, scaled down by 1024 until it fits
    // the bar's integer range.
    ByteProgress(Console& c, Row row, std::uint64_t total, int barMax = 0,
                 AmountUnit unit = AmountUnit::Bytes);
    // `bytesTotal`: the bytes at the end, for the views that print amounts (0: not known).
    ByteProgress(Console& c, Row row, int barMax, Reading reading, std::uint64_t bytesTotal = 0);

    // Sets the row's range, shows the bar and its label, and the reading for 0.
    void start();
    // The same with another label text for the start (the FTP display starts with a bare "0").
    void start(const std::string& startLabel);
    // Reports the amount done so far (amounts past the total count as the total).
    void report(std::uint64_t done);
    // Shows the end of the range whatever was reported.
    void finish();

    int barMax() const { return barMax_; }

private:
    BarReading readingFor(std::uint64_t done) const;
    void show(const BarReading& r, bool force);

    Console* c_;
    Row row_;
    std::uint64_t total_ = 0;
    int barMax_ = 0;
    Reading reading_;
    AmountUnit unit_ = AmountUnit::Bytes;
    int shown_ = -1;
    std::string shownPercent_;
};

} // namespace quillan
