#pragma once
// What the workbook check, its shared strings and its date cells read of an Excel 97 workbook
// stream: the record types freexl reads, and the stream's little-endian numbers.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quillan::db::embedded::records {

enum : unsigned {
    kBof = 0x0809,
    kEof = 0x000A,
    kDateMode = 0x0022,
    kContinue = 0x003C,
    kCodePage = 0x0042,
    kSheet = 0x0085,
    kMulRk = 0x00BD,
    kXf = 0x00E0,
    kSst = 0x00FC,
    kLabelSst = 0x00FD,
    kDimension = 0x0200,
    kNumber = 0x0203,
    kLabel = 0x0204,
    kBoolErr = 0x0205,
    kRk = 0x027E,
    kFormat = 0x041E,
};

inline unsigned byteAt(std::string_view s, std::size_t at) {
    return static_cast<unsigned char>(s[at]);
}

// The `bytes` (at most 8) bytes at `at`, least significant first.
inline std::uint64_t le(std::string_view s, std::size_t at, int bytes) {
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | byteAt(s, at + static_cast<std::size_t>(i));
    return v;
}

} // namespace quillan::db::embedded::records
