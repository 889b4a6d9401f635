#include "platform/db/embedded/WorkbookDateCells.h"
#include "platform/db/embedded/WorkbookRecords.h"

#include <algorithm>
#include <bit>

namespace quillan::db::embedded {

namespace {

using namespace records;

constexpr unsigned kWorksheet = 0x0010;      // the kind a worksheet's BOF names
constexpr unsigned kFirstCustomFormat = 164; // the number formats below are built in
constexpr unsigned kMostSheets = 256, kMostColumns = 256;

void putLe16(std::string& s, std::size_t at, unsigned v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

// An RK value: a whole number or the high half of a double, either one perhaps in hundredths.
double rkValue(std::uint32_t rk) {
    const double v = (rk & 0x02) ? static_cast<double>(static_cast<std::int32_t>(rk) >> 2)
                                 : std::bit_cast<double>(static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32);
    return (rk & 0x01) ? v / 100 : v;
}

// A FORMAT record's code, one byte a character (those outside ASCII as '?'). The check has made
// sure the text fits in the record.
std::string formatCode(const std::string& body) {
    const std::size_t chars = le(body, 2, 2);
    const unsigned flags = byteAt(body, 4);
    const bool wide = flags & 0x01;
    std::size_t at = 5 + ((flags & 0x08) ? 2 : 0) + ((flags & 0x04) ? 4 : 0);
    std::string code;
    for (std::size_t i = 0; i < chars; ++i, at += wide ? 2 : 1) {
        const auto c = wide ? le(body, at, 2) : byteAt(body, at);
        code += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return code;
}

std::uint32_t key(unsigned sheet, unsigned row, unsigned column) {
    return (sheet << 24) | (row << 8) | column;
}

} // namespace

void WorkbookDateCells::take(unsigned type, std::string& body) {
    const std::uint64_t at = offset_;
    offset_ += 4 + body.size();
    switch (type) {
    case kBof:
        beginSubstream(at, body);
        return;
    case kEof:
        inGlobals_ = inSheet_ = false;
        return;
    case kDateMode: // the 1904 date system counts from another day: left to freexl
        usable_ = usable_ && inGlobals_ && le(body, 0, 2) == 0;
        return;
    case kSheet:
        usable_ = usable_ && inGlobals_ && body.size() >= 6 && byteAt(body, 5) == 0; // a worksheet
        sheetStarts_.push_back(static_cast<std::uint32_t>(le(body, 0, 4)));
        return;
    case kXf:
        usable_ = usable_ && inGlobals_;
        xfFormats_.push_back(static_cast<unsigned>(le(body, 2, 2)));
        return;
    case kFormat: {
        usable_ = usable_ && inGlobals_;
        const auto index = static_cast<unsigned>(le(body, 0, 2));
        const DateKind kind = formatCodeKind(formatCode(body));
        const auto [entry, first] = formatKinds_.emplace(index, kind);
        if (!first)
            entry->second.reset();
        return;
    }
    case kNumber:
    case kRk:
    case kMulRk:
    case kLabel:
    case kLabelSst:
    case kBoolErr:
        takeCell(type, body);
        return;
    default:
        return;
    }
}

void WorkbookDateCells::beginSubstream(std::uint64_t at, const std::string& body) {
    if (at == 0) {
        inGlobals_ = true;
        return;
    }
    if (sheetsBegun_ == 0 && usable_) {
        // The XF the date cells are pointed at: one whose format freexl shows as a number.
        usable_ = false;
        for (unsigned xf = 0; xf < xfFormats_.size() && xf <= 0xFFFF; ++xf)
            if (kindOfXf(xf) == DateKind::Number) {
                plainXf_ = xf;
                usable_ = true;
                break;
            }
    }
    usable_ = usable_ && !inGlobals_ && !inSheet_ && le(body, 2, 2) == kWorksheet &&
              sheetsBegun_ < kMostSheets && sheetsBegun_ < sheetStarts_.size() &&
              sheetStarts_[sheetsBegun_] == at;
    inGlobals_ = false;
    inSheet_ = true;
    sheet_ = sheetsBegun_++;
}

void WorkbookDateCells::takeCell(unsigned type, std::string& body) {
    const auto row = static_cast<unsigned>(le(body, 0, 2)), column = static_cast<unsigned>(le(body, 2, 2));
    if (type != kMulRk) {
        forget(row, column);
        if (type == kNumber)
            takeNumber(row, column, body, 4, std::bit_cast<double>(le(body, 6, 8)));
        else if (type == kRk)
            takeNumber(row, column, body, 4, rkValue(static_cast<std::uint32_t>(le(body, 6, 4))));
        return;
    }
    // Row, first column, an XF and an RK value per column, last column.
    const std::size_t values = body.size() >= 6 ? (body.size() - 6) / 6 : 0;
    for (std::size_t i = 0; i < values; ++i)
        forget(row, column + static_cast<unsigned>(i));
    if (body.size() != 6 + 6 * values || le(body, body.size() - 2, 2) != column + values - 1)
        return; // a count freexl may read otherwise: left to it
    for (std::size_t i = 0; i < values; ++i)
        takeNumber(row, column + static_cast<unsigned>(i), body, 4 + 6 * i,
                   rkValue(static_cast<std::uint32_t>(le(body, 6 + 6 * i, 4))));
}

bool WorkbookDateCells::takeNumber(unsigned row, unsigned column, std::string& body, std::size_t xfAt,
                                   double value) {
    if (!usable_ || !inSheet_ || column >= kMostColumns)
        return false;
    const auto kind = kindOfXf(static_cast<unsigned>(le(body, xfAt, 2)));
    if (!kind || *kind == DateKind::Number || !isConvertibleSerial(value))
        return false;
    putLe16(body, xfAt, plainXf_);
    const std::uint32_t at = key(sheet_, row, column);
    cells_[at] = {value, *kind};
    lastKey_ = std::max(lastKey_, at);
    return true;
}

void WorkbookDateCells::forget(unsigned row, unsigned column) {
    if (cells_.empty() || column >= kMostColumns)
        return;
    // Cells mostly come in order: a record past every remembered cell replaces none of them.
    if (key(usable_ && inSheet_ ? sheet_ : 0, row, column) > lastKey_)
        return;
    // Once the layout is in doubt, the record may belong to any sheet begun so far.
    const bool known = usable_ && inSheet_;
    const unsigned first = known ? sheet_ : 0,
                   last = known ? sheet_ + 1 : std::min(sheetsBegun_, kMostSheets);
    for (unsigned sheet = first; sheet < last; ++sheet)
        cells_.erase(key(sheet, row, column));
}

std::optional<DateKind> WorkbookDateCells::kindOfXf(unsigned xf) const {
    if (xf >= xfFormats_.size())
        return std::nullopt;
    const unsigned format = xfFormats_[xf];
    const auto written = formatKinds_.find(format);
    if (format >= kFirstCustomFormat)
        return written != formatKinds_.end() ? written->second : std::nullopt;
    // Of the built-in formats, those freexl is known to show as dates, and General; a built-in
    // format written out too counts only where both say the same.
    const DateKind builtin = builtinFormatKind(format);
    if (builtin == DateKind::Number && format != 0)
        return std::nullopt;
    if (written == formatKinds_.end() || written->second == builtin)
        return builtin;
    return std::nullopt;
}

const DateCell* WorkbookDateCells::find(unsigned sheet, unsigned row, unsigned column) const {
    if (sheet >= kMostSheets || row > 0xFFFF || column >= kMostColumns)
        return nullptr;
    const auto found = cells_.find(key(sheet, row, column));
    return found == cells_.end() ? nullptr : &found->second;
}

} // namespace quillan::db::embedded
