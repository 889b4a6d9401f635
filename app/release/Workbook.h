#pragma once
// An Excel 97 workbook of one worksheet, as the "Workbook" stream of the binary file format
// (BIFF8): the workbook globals (code page, fonts, the cell formats, the sheet's entry, the shared
// string table) followed by the worksheet's cells. Texts go into the shared string table as
// Excel itself writes them; numbers and date-times are NUMBER cells, a date-time told apart by its
// cell format "yyyy-mm-dd hh:mm:ss", so that a reader gets it back as a date, not as a number.
// The stream is put into its container by CompoundFile.h.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quillan::release {

namespace biff {
class Bytes;
class Stream;
} // namespace biff

// The largest row and column index of a BIFF8 worksheet (65,536 rows, 256 columns).
constexpr std::uint32_t kMaxSheetRow = 65535;
constexpr std::uint32_t kMaxSheetColumn = 255;

class Worksheet {
public:
    // Each throws std::invalid_argument for a cell outside the sheet, a text that is not UTF-8 or
    // is longer than a cell holds (32,767 characters), or a date-time that excelSerial refuses. A
    // cell written twice keeps the last value; an empty text leaves the cell blank (a reader could
    // not tell the two apart, and some refuse an empty string in the table).
    void text(std::uint32_t row, std::uint32_t column, const std::string& utf8);
    void number(std::uint32_t row, std::uint32_t column, double value);
    void dateTime(std::uint32_t row, std::uint32_t column, const std::string& yyyymmddhhmmss);

    // The "Workbook" stream of a workbook holding this sheet under `name` (at most 31 characters,
    // none of []:*?/\).
    std::string workbookStream(const std::string& name) const;

private:
    enum class Kind { Text, Number, DateTime };
    struct Cell {
        Kind kind;
        double number = 0;        // a number's value, a date-time's serial number
        std::uint32_t string = 0; // a text's index in the string table
    };
    std::map<std::pair<std::uint32_t, std::uint32_t>, Cell> cells_; // (row, column): sheet order
    std::vector<std::u16string> strings_;                           // the shared string table
    std::map<std::u16string, std::uint32_t> stringIndex_;

    void put(std::uint32_t row, std::uint32_t column, std::optional<Cell> cell); // nullopt: blank
    biff::Bytes dimensions() const; // the DIMENSIONS record: first row, last + 1, first column, last + 1
    // The cells in blocks of 32 rows, each block's ROW records first, as Excel lays a sheet out.
    void writeRowBlocks(biff::Stream& s) const;
};

// The Excel serial number of a date-time: days since 1899-12-30, the time as a fraction of a day.
// Throws std::invalid_argument unless "YYYY-MM-DD HH:MM:SS" names a real moment from 1900-03-01
// (before it, the serial numbers count the 29th of February 1900 that never was) to 9999-12-31.
double excelSerial(const std::string& yyyymmddhhmmss);

} // namespace quillan::release
