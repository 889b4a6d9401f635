#include "platform/db/embedded/WorkbookCheck.h"
#include "platform/db/embedded/WorkbookRecords.h"

#include "platform/db/embedded/WorkbookStrings.h"

#include "platform/CompoundStream.h"
#include "platform/CompoundStreamWriter.h"
#include "platform/OpenFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <vector>

namespace quillan::db::embedded {

namespace {

using namespace records;

constexpr std::size_t kLongestRecord = 8224; // the format's largest record body
constexpr std::uint64_t kMostRows = 65536, kMostColumns = 256;

std::string hex4(unsigned type) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", type & 0xFFFFu);
    return text;
}

// Whether the text that starts with its flags byte at `at` (its character count `chars` read
// before) ends inside the body: flags, the optional run count and phonetic size, the characters.
bool textFits(std::string_view body, std::size_t at, std::size_t chars) {
    if (at >= body.size())
        return false;
    const unsigned flags = byteAt(body, at);
    const std::size_t start = 1 + ((flags & 0x08) ? 2 : 0) + ((flags & 0x04) ? 4 : 0);
    return at + start + chars * ((flags & 0x01) ? 2 : 1) <= body.size();
}

// What freexl keeps per sheet, and where a file can make it lose what it made. It sizes the sheet
// whose SHEET record names the substream a DIMENSION record is in (a substream starts at the first
// BOF after an EOF), and afterwards sizes every sheet left without one by re-sizing whichever sheet
// it read last: that sheet's cells are lost and the other's never made. A cell written twice loses
// the text its first record made, and a text cell it cannot place (outside any listed sheet, or
// outside its sheet's size) loses its text as freexl gives up. So every listed sheet must have its
// own substream, sized once, and each cell of a sheet comes from one record inside that size.
class SheetLayout {
public:
    void record(unsigned type, std::uint64_t offset, std::string_view body) {
        if (type == kBof && afterEof_) {
            substream_ = offset;
            listedHere_ = std::count(listed_.begin(), listed_.end(), offset) > 0;
            rows_ = columns_ = 0;
            written_.clear();
        }
        afterEof_ = type == kEof;
        if (type == kSheet)
            listed_.push_back(le(body, 0, 4));
    }
    // False when the current substream was sized before. The sum of all sizes is bounded before
    // (WorkbookLimits::cells), and with it the memory of the cells' marks.
    bool size(std::uint32_t rows, std::uint32_t columns) {
        if (listedHere_) {
            rows_ = rows;
            columns_ = columns;
            written_.assign(std::size_t{rows} * columns, false);
        }
        return sized_.insert(substream_).second;
    }
    // Why the cells of this record (of a type freexl reads, checked long enough) cannot be placed;
    // MULRK writes one cell per six bytes after its first four, as freexl counts them.
    std::optional<std::string> misplacedCell(unsigned type, std::string_view body) {
        if (type != kNumber && type != kBoolErr && type != kRk && type != kLabel && type != kLabelSst &&
            type != kMulRk)
            return std::nullopt;
        const std::uint32_t row = le(body, 0, 2), column = le(body, 2, 2);
        std::size_t count = 1;
        if (type == kMulRk)
            count = body.size() > 10 ? (body.size() - 5) / 6 : 0;
        for (std::size_t c = column; c < column + count; ++c) {
            if (row >= rows_ || c >= columns_)
                return std::string(" writes a cell outside the size of a listed sheet");
            const std::size_t at = std::size_t{row} * columns_ + c;
            if (written_[at])
                return std::string(" writes a cell written before");
            written_[at] = true;
        }
        return std::nullopt;
    }
    std::optional<std::string> unsized() const {
        for (std::size_t i = 0; i < listed_.size(); ++i)
            if (!sized_.count(listed_[i]) || std::count(listed_.begin(), listed_.begin() + i, listed_[i]))
                return "sheet " + std::to_string(i + 1) + " has no size of its own";
        return std::nullopt;
    }

private:
    bool afterEof_ = false;                // the first BOF opens the workbook's globals, no sheet
    std::uint64_t substream_ = UINT64_MAX; // no SHEET record names this offset
    std::vector<std::uint64_t> listed_;    // the stream offset each SHEET record names
    std::set<std::uint64_t> sized_;        // the substreams that hold a DIMENSION record
    bool listedHere_ = false;              // a SHEET record names this substream
    std::uint32_t rows_ = 0, columns_ = 0; // the size of this substream's sheet
    std::vector<bool> written_;            // by row, then column: the cells written so far
};

// Reads the next `n` bytes of the stream into `out`; false when fewer are left.
using ReadBytes = std::function<bool(std::size_t n, std::string& out)>;
// Takes one checked record, its four header bytes and its body.
using TakeRecord = std::function<void(const std::string& header, std::string& body)>;

// Walks the stream record by record, as freexl reads it, giving each record to `take` once it is
// checked. Each round reads one record of a stream that has an end.
std::optional<std::string> checkRecords(const ReadBytes& read, const TakeRecord& take,
                                        const WorkbookLimits& limits) {
    std::vector<std::string> sharedStrings; // the SST record's body and its CONTINUE records
    bool inSharedStrings = false;
    std::uint64_t cells = 0, sheets = 0;
    SheetLayout layout;
    std::uint64_t offset = 0;
    std::string header, body;
    for (std::size_t number = 1; read(4, header); ++number, offset += 4 + body.size()) {
        const unsigned type = le(header, 0, 2);
        const std::size_t size = le(header, 2, 2);
        if (type == 0 && size == 0)
            break; // where freexl stops reading
        // Named only when it is refused: formatting it for every record cost a seventh of the check.
        const auto record = [&] {
            return "record " + std::to_string(number) + " (type 0x" + hex4(type) + ")";
        };
        if (size > kLongestRecord)
            return record() + " is longer than a record can be";
        if (!read(size, body))
            return record() + " is cut short";
        const auto atLeast = [&](std::size_t n) { return body.size() >= n; };
        std::optional<std::string> fault;
        if (number == 1 && (type != kBof || !atLeast(4) || le(body, 0, 2) != 0x0600))
            return std::string("it is not an Excel 97 workbook");
        switch (type) {
        case kBof:
        case kXf:
            fault = atLeast(4) ? std::nullopt : std::optional(record() + " is too short");
            break;
        case kCodePage:
        case kDateMode:
        case kMulRk:
            fault =
                atLeast(type == kMulRk ? 4 : 2) ? std::nullopt : std::optional(record() + " is too short");
            break;
        case kNumber:
        case kBoolErr:
        case kRk:
        case kLabelSst: {
            const std::size_t least = type == kNumber ? 14 : type == kBoolErr ? 8 : 10;
            fault = atLeast(least) ? std::nullopt : std::optional(record() + " is too short");
            break;
        }
        case kSheet:
            if (++sheets > limits.sheets)
                fault = "it has more than " + std::to_string(limits.sheets) + " sheets";
            else if (!atLeast(8) || byteAt(body, 6) == 0 ||
                     8 + byteAt(body, 6) * ((byteAt(body, 7) & 0x01) ? 2u : 1u) > body.size())
                fault = record() + " ends before the sheet's name";
            break;
        case kFormat:
            if (!atLeast(5) || le(body, 2, 2) == 0 || !textFits(body, 4, le(body, 2, 2)))
                fault = record() + " ends before its format text";
            break;
        case kLabel:
            if (!atLeast(9) || le(body, 6, 2) == 0 || !textFits(body, 8, le(body, 6, 2)))
                fault = record() + " ends before its text";
            break;
        case kDimension: {
            if (!atLeast(12)) {
                fault = record() + " is too short";
                break;
            }
            const std::uint64_t rows = le(body, 4, 4), columns = le(body, 10, 2);
            if (rows > kMostRows || columns > kMostColumns)
                fault = "a sheet declares " + std::to_string(rows) + " rows and " + std::to_string(columns) +
                        " columns, more than an Excel 97 sheet holds";
            else if ((cells += rows * columns) > limits.cells)
                fault = "its sheets declare more than " + std::to_string(limits.cells) + " cells";
            else if (!layout.size(static_cast<std::uint32_t>(rows), static_cast<std::uint32_t>(columns)))
                fault = record() + " declares the size of its sheet a second time";
            break;
        }
        default:
            break;
        }
        if (!fault)
            if (const auto why = layout.misplacedCell(type, body))
                fault = record() + *why;
        if (fault)
            return fault;
        layout.record(type, offset, body);
        if (type == kSst && sharedStrings.empty()) {
            if (!atLeast(8))
                return record() + " is too short";
            sharedStrings.push_back(body);
            inSharedStrings = true;
        } else if (type == kContinue && inSharedStrings) {
            sharedStrings.push_back(body);
        } else {
            inSharedStrings = false;
        }
        take(header, body);
    }
    if (!sharedStrings.empty()) {
        // Each string takes three bytes at least; freexl makes room for the count it is told.
        std::uint64_t bytes = 0;
        for (const auto& r : sharedStrings)
            bytes += r.size();
        if (static_cast<std::uint64_t>(le(sharedStrings[0], 4, 4)) * 3 > bytes - 8)
            return std::string("its shared string table claims more strings than it holds");
        if (auto why = unreadableSharedStringRecords(sharedStrings))
            return why;
    }
    return layout.unsized();
}

constexpr std::size_t kBlockBytes = 64 * 1024;

// The records of a container's stream, read from it a block at a time.
class BlockReader {
public:
    explicit BlockReader(CompoundStream& stream) : stream_(stream), left_(stream.size()) {}
    // The next `n` bytes into `out`; false when fewer are left. Each round reads a block of a
    // stream that has an end.
    bool read(std::size_t n, std::string& out) {
        while (block_.size() - at_ < n) {
            if (left_ == 0)
                return false;
            const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kBlockBytes, left_));
            if (!stream_.read(want, more_))
                return false;
            left_ -= want;
            block_.erase(0, at_);
            at_ = 0;
            block_ += more_;
        }
        out.assign(block_, at_, n);
        at_ += n;
        return true;
    }

private:
    CompoundStream& stream_;
    std::uint64_t left_; // not yet read from the stream
    std::string block_, more_;
    std::size_t at_ = 0; // in block_
};

// Whether `file` can be opened for reading at all (as opposed to holding no workbook).
bool opens(const std::filesystem::path& file) {
    std::FILE* f = openFile(file, "rb");
    if (f == nullptr)
        return false;
    std::fclose(f);
    return true;
}

} // namespace

std::optional<std::string> unreadableWorkbookStream(std::string_view stream, const WorkbookLimits& limits) {
    if (stream.size() > limits.streamBytes)
        return "its workbook stream is larger than " + std::to_string(limits.streamBytes) + " bytes";
    return checkRecords(
        [&stream](std::size_t n, std::string& out) {
            if (stream.size() < n)
                return false;
            out.assign(stream.substr(0, n));
            stream.remove_prefix(n);
            return true;
        },
        [](const std::string&, std::string&) {}, limits);
}

std::optional<std::string> writeCheckedWorkbook(const std::filesystem::path& workbook,
                                                const std::filesystem::path& copy, WorkbookDateCells& dates,
                                                const WorkbookLimits& limits) {
    if (!opens(workbook))
        return "it cannot be opened";
    const auto stream = openCompoundStream(workbook, "Workbook");
    if (!stream)
        return std::string("it is not an Excel 97 workbook");
    if (stream->size() > limits.streamBytes)
        return "its workbook stream is larger than " + std::to_string(limits.streamBytes) + " bytes";

    const auto cannotWrite = "the checked copy " + copy.filename().string() + " cannot be written";
    const auto out = createCompoundStream(copy, "Workbook");
    if (!out)
        return cannotWrite;
    // Both streams move in blocks: a call into the container library per record cost half of
    // the check.
    BlockReader in(*stream);
    std::string pending;
    bool written = true;
    const auto flush = [&] {
        written = written && out->write(pending);
        pending.clear();
    };
    auto why = checkRecords([&in](std::size_t n, std::string& bytes) { return in.read(n, bytes); },
                            [&](const std::string& header, std::string& body) {
                                dates.take(le(header, 0, 2), body);
                                pending += header;
                                pending += body;
                                if (pending.size() >= kBlockBytes)
                                    flush();
                            },
                            limits);
    if (why)
        return why; // the writer removes what it wrote
    flush();
    if (!written || !out->commit())
        return cannotWrite;
    return std::nullopt;
}

} // namespace quillan::db::embedded
