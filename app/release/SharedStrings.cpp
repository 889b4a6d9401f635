#include "app/release/SharedStrings.h"

namespace quillan::release::biff {

namespace {

constexpr std::uint16_t kSst = 0x00FC, kContinue = 0x003C, kExtSst = 0x00FF;

} // namespace

void StringTable::add(std::u16string_view text) {
    const bool wide = needsTwoBytes(text);
    const std::size_t unit = wide ? 2 : 1;
    if (room() < 3 + unit)
        bodies_.emplace_back();
    starts_.push_back({bodies_.size() - 1, bodies_.back().size()});
    bodies_.back().u16(static_cast<std::uint16_t>(text.size())).u8(wide ? 1 : 0);
    for (std::size_t done = 0;;) {
        const std::size_t fit = std::min(text.size() - done, room() / unit);
        bodies_.back().chars(text.substr(done, fit), wide);
        done += fit;
        if (done == text.size())
            break;
        bodies_.emplace_back().u8(wide ? 1 : 0); // each round adds at least 4,111 characters
    }
}

void StringTable::writeTo(Stream& s) const {
    std::vector<std::size_t> recordStart;
    for (std::size_t i = 0; i < bodies_.size(); ++i) {
        recordStart.push_back(s.size());
        s.record(i == 0 ? kSst : kContinue, bodies_[i]);
    }
    const std::size_t perBucket = std::max<std::size_t>(8, (starts_.size() + 127) / 128);
    Bytes ext;
    ext.u16(static_cast<std::uint16_t>(perBucket));
    for (std::size_t i = 0; i < starts_.size(); i += perBucket) {
        const auto [record, offset] = starts_[i];
        ext.u32(static_cast<std::uint32_t>(recordStart[record] + 4 + offset))
            .u16(static_cast<std::uint16_t>(4 + offset))
            .u16(0);
    }
    s.record(kExtSst, ext);
}

} // namespace quillan::release::biff
