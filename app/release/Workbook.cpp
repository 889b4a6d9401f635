#include "app/release/Workbook.h"

#include "app/release/SharedStrings.h"

#include <glib.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>

namespace quillan::release {

namespace {

using biff::Bytes;
using biff::needsTwoBytes;
using biff::Stream;
using biff::StringTable;

// The record types written here.
constexpr std::uint16_t kBof = 0x0809, kEof = 0x000A, kCodePage = 0x0042, kWindow1 = 0x003D,
                        kDate1904 = 0x0022, kFont = 0x0031, kFormat = 0x041E, kXf = 0x00E0, kStyle = 0x0293,
                        kBoundSheet = 0x0085, kDimensions = 0x0200, kRow = 0x0208, kLabelSst = 0x00FD,
                        kNumber = 0x0203, kWindow2 = 0x023E;

constexpr std::size_t kMaxTextLength = 32767;
// A workbook's own number formats are numbered from 164; the built-in ones below it differ by locale.
constexpr std::uint16_t kDateTimeFormat = 164;
constexpr std::u16string_view kDateTimeFormatText = u"yyyy-mm-dd hh:mm:ss";
// Cell formats 0..14 are the style formats every workbook has, 15 the default cell format.
constexpr std::uint16_t kStyleXfs = 15, kCellXf = 15, kDateTimeXf = 16;

// A name or format string: a character count (one byte or two), the width flag, the characters.
Bytes unicodeString(std::u16string_view text, bool shortCount) {
    const bool wide = needsTwoBytes(text);
    Bytes b;
    shortCount ? b.u8(static_cast<std::uint8_t>(text.size()))
               : b.u16(static_cast<std::uint16_t>(text.size()));
    return b.u8(wide ? 1 : 0).chars(text, wide);
}

std::u16string utf16(const std::string& utf8) {
    GError* error = nullptr;
    glong written = 0;
    std::unique_ptr<gunichar2, decltype(&g_free)> units(
        g_utf8_to_utf16(utf8.data(), static_cast<glong>(utf8.size()), nullptr, &written, &error), &g_free);
    if (!units) {
        const std::string why = error ? error->message : "invalid UTF-8";
        g_clear_error(&error);
        throw std::invalid_argument("the text \"" + utf8 + "\" is not UTF-8 (" + why + ")");
    }
    return std::u16string(reinterpret_cast<const char16_t*>(units.get()), static_cast<std::size_t>(written));
}

Bytes bof(std::uint16_t substream) {
    Bytes b;
    // BIFF8; build and year of the format's first release; no history flags; lowest BIFF version 6.
    return b.u16(0x0600).u16(substream).u16(0x0DBB).u16(0x07CC).u32(0).u32(6);
}

Bytes xf(bool style, std::uint16_t format, std::uint8_t attributes) {
    Bytes b;
    b.u16(0).u16(format);                  // font 0, number format
    b.u16(style ? 0xFFF5 : 0x0001);        // locked; a style has no parent, a cell the Normal style
    b.u8(0x20).u8(0).u8(0).u8(attributes); // aligned at the bottom; which attributes are its own
    b.u32(0).u32(0);                       // no borders
    return b.u16(0x20C0);                  // no fill: the window's fore- and background colours
}

// The workbook globals up to the sheet's entry; answers where the entry's stream position lies, to
// be filled in once the globals' length is known.
std::size_t writeGlobalsHead(Stream& s, std::u16string_view sheetName) {
    s.record(kBof, bof(0x0005));
    s.record(kCodePage, Bytes().u16(1200)); // texts are UTF-16
    Bytes window;                           // one window, its sheet tab selected
    window.u16(0).u16(0).u16(0x3000).u16(0x1E00).u16(0x0038).u16(0).u16(0).u16(1).u16(0x0258);
    s.record(kWindow1, window);
    s.record(kDate1904, Bytes().u16(0)); // serial numbers count from 1899-12-30
    for (int i = 0; i < 4; ++i) {        // fonts 0..3 (index 4 does not exist in this format)
        Bytes font;                      // Arial 10 pt, regular, the window's text colour
        font.u16(200).u16(0).u16(0x7FFF).u16(400).u16(0).u8(0).u8(0).u8(0).u8(0);
        s.record(kFont, font.raw(unicodeString(u"Arial", true)));
    }
    s.record(kFormat, Bytes().u16(kDateTimeFormat).raw(unicodeString(kDateTimeFormatText, false)));
    for (std::uint16_t i = 0; i < kStyleXfs; ++i) // Normal uses all its attributes; the others none
        s.record(kXf, xf(true, 0, i == 0 ? 0x00 : 0xF4));
    s.record(kXf, xf(false, 0, 0x00));                    // kCellXf: as the Normal style
    s.record(kXf, xf(false, kDateTimeFormat, 0x04));      // kDateTimeXf: its own number format
    s.record(kStyle, Bytes().u16(0x8000).u8(0).u8(0xFF)); // the built-in Normal style is format 0
    const std::size_t sheetEntry = s.size();
    s.record(kBoundSheet, Bytes().u32(0).u8(0).u8(0).raw(unicodeString(sheetName, true))); // visible sheet
    return sheetEntry + 4;
}

void patch32(std::string& bytes, std::size_t at, std::size_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

} // namespace

double excelSerial(const std::string& t) {
    const auto bad = [&t] {
        return std::invalid_argument("the date-time \"" + t +
                                     "\" is not YYYY-MM-DD HH:MM:SS from 1900-03-01 to 9999-12-31");
    };
    if (t.size() != 19 || t[4] != '-' || t[7] != '-' || t[10] != ' ' || t[13] != ':' || t[16] != ':')
        throw bad();
    const auto number = [&](std::size_t at, std::size_t digits) {
        int v = 0;
        for (std::size_t i = at; i < at + digits; ++i) {
            if (t[i] < '0' || t[i] > '9')
                throw bad();
            v = v * 10 + (t[i] - '0');
        }
        return v;
    };
    using namespace std::chrono;
    const year_month_day date{year{number(0, 4)}, month{static_cast<unsigned>(number(5, 2))},
                              day{static_cast<unsigned>(number(8, 2))}};
    const int h = number(11, 2), m = number(14, 2), sec = number(17, 2);
    if (!date.ok() || h > 23 || m > 59 || sec > 59 || date < 1900y / March / 1)
        throw bad();
    const auto days = (sys_days{date} - sys_days{1899y / December / 30}).count();
    return static_cast<double>(days) + (h * 3600 + m * 60 + sec) / 86400.0;
}

void Worksheet::put(std::uint32_t row, std::uint32_t column, std::optional<Cell> cell) {
    if (row > kMaxSheetRow || column > kMaxSheetColumn)
        throw std::invalid_argument("the cell at row " + std::to_string(row + 1) + ", column " +
                                    std::to_string(column + 1) + " lies outside a worksheet (" +
                                    std::to_string(kMaxSheetRow + 1) + " rows, " +
                                    std::to_string(kMaxSheetColumn + 1) + " columns)");
    if (cell)
        cells_[{row, column}] = *cell;
    else
        cells_.erase({row, column});
}

void Worksheet::text(std::uint32_t row, std::uint32_t column, const std::string& utf8) {
    std::u16string units = utf16(utf8);
    if (units.empty())
        return put(row, column, std::nullopt);
    if (units.size() > kMaxTextLength)
        throw std::invalid_argument("a text of " + std::to_string(units.size()) +
                                    " characters is longer than the " + std::to_string(kMaxTextLength) +
                                    " a cell holds");
    auto [at, added] =
        stringIndex_.try_emplace(std::move(units), static_cast<std::uint32_t>(strings_.size()));
    if (added)
        strings_.push_back(at->first);
    put(row, column, Cell{Kind::Text, 0, at->second});
}

void Worksheet::number(std::uint32_t row, std::uint32_t column, double value) {
    put(row, column, Cell{Kind::Number, value});
}

void Worksheet::dateTime(std::uint32_t row, std::uint32_t column, const std::string& yyyymmddhhmmss) {
    put(row, column, Cell{Kind::DateTime, excelSerial(yyyymmddhhmmss)});
}

Bytes Worksheet::dimensions() const {
    Bytes dimensions; // first row, last row + 1, first column, last column + 1
    if (cells_.empty())
        dimensions.u32(0).u32(0).u16(0).u16(0);
    else {
        std::uint32_t firstColumn = kMaxSheetColumn, lastColumn = 0;
        for (const auto& [at, cell] : cells_) {
            firstColumn = std::min(firstColumn, at.second);
            lastColumn = std::max(lastColumn, at.second);
        }
        dimensions.u32(cells_.begin()->first.first).u32(cells_.rbegin()->first.first + 1);
        dimensions.u16(static_cast<std::uint16_t>(firstColumn))
            .u16(static_cast<std::uint16_t>(lastColumn + 1));
    }
    return dimensions.u16(0);
}

void Worksheet::writeRowBlocks(Stream& s) const {
    for (auto block = cells_.begin(); block != cells_.end();) {
        const std::uint32_t firstRow = block->first.first / 32 * 32;
        auto end = block;
        while (end != cells_.end() && end->first.first < firstRow + 32)
            ++end;
        for (auto row = block; row != end;) {
            auto next = row;
            std::uint32_t lastColumn = row->first.second;
            for (; next != end && next->first.first == row->first.first; ++next)
                lastColumn = next->first.second;
            Bytes r; // row, first column, last column + 1, default height, flags with format 15
            r.u16(static_cast<std::uint16_t>(row->first.first))
                .u16(static_cast<std::uint16_t>(row->first.second));
            r.u16(static_cast<std::uint16_t>(lastColumn + 1)).u16(0x00FF).u16(0).u16(0).u32(0x000F0100);
            s.record(kRow, r);
            row = next;
        }
        for (; block != end; ++block) {
            const auto& [at, cell] = *block;
            Bytes b;
            b.u16(static_cast<std::uint16_t>(at.first)).u16(static_cast<std::uint16_t>(at.second));
            if (cell.kind == Kind::Text)
                s.record(kLabelSst, b.u16(kCellXf).u32(cell.string));
            else
                s.record(kNumber,
                         b.u16(cell.kind == Kind::DateTime ? kDateTimeXf : kCellXf).f64(cell.number));
        }
    }
}

std::string Worksheet::workbookStream(const std::string& name) const {
    const std::u16string sheetName = utf16(name);
    if (sheetName.empty() || sheetName.size() > 31 ||
        sheetName.find_first_of(u"[]:*?/\\") != std::u16string::npos)
        throw std::invalid_argument("\"" + name +
                                    "\" cannot name a worksheet (1 to 31 characters, none of []:*?/\\)");
    std::uint32_t references = 0;
    for (const auto& [at, cell] : cells_)
        references += cell.kind == Kind::Text;
    StringTable table(references, static_cast<std::uint32_t>(strings_.size()));
    for (const auto& text : strings_)
        table.add(text);

    Stream s;
    const std::size_t sheetPositionAt = writeGlobalsHead(s, sheetName);
    table.writeTo(s);
    s.record(kEof, Bytes());

    patch32(s.str(), sheetPositionAt, s.size());
    s.record(kBof, bof(0x0010));
    s.record(kDimensions, dimensions());
    writeRowBlocks(s);
    Bytes window; // gridlines, headers, zeros, outline symbols shown; the sheet selected and shown
    window.u16(0x06B6).u16(0).u16(0).u16(64).u16(0).u16(0).u16(0).u32(0);
    s.record(kWindow2, window);
    s.record(kEof, Bytes());
    return std::move(s.str());
}

} // namespace quillan::release
