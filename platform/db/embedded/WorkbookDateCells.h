#pragma once
// The date cells of a workbook that its checked copy (WorkbookCheck.h) gives freexl as plain
// numbers: freexl would turn each into text itself, at a cost that dominated the import of a
// script with a date per row (WorkbookDates.h). Each record on its way into the copy passes
// through `take`; a number cell whose format freexl shows as a date is made to name a plain
// number's XF in the copy, and is remembered here with its number and kind, so that the reader
// writes the same text freexl would have.
//
// Only workbooks laid out the usual way are changed: the 1900 date system, globals before the
// sheets, every sheet a worksheet whose records start where the sheet list says, in its order (so
// that a sheet's place is the same whichever way freexl finds it). From the first record that
// breaks this on, cells are left to freexl, and a later record of a remembered cell forgets it.
#include "platform/db/embedded/WorkbookDates.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace quillan::db::embedded {

struct DateCell {
    double serial = 0;
    DateKind kind = DateKind::Number;
};

class WorkbookDateCells {
public:
    // The next record of the workbook stream (checked, WorkbookCheck.h); `body` may be changed.
    void take(unsigned type, std::string& body);

    // The date cell at `row`, `column` of the sheet at `sheet` in the sheet list, or nullptr.
    const DateCell* find(unsigned sheet, unsigned row, unsigned column) const;

    std::size_t size() const { return cells_.size(); }

private:
    void beginSubstream(std::uint64_t at, const std::string& body);
    void takeCell(unsigned type, std::string& body);
    bool takeNumber(unsigned row, unsigned column, std::string& body, std::size_t xfAt, double value);
    void forget(unsigned row, unsigned column);
    // How freexl shows a number of the XF, where that is known.
    std::optional<DateKind> kindOfXf(unsigned xf) const;

    std::uint64_t offset_ = 0; // where the next record starts in the stream
    bool usable_ = true;       // whether cells are still taken over
    bool inGlobals_ = false, inSheet_ = false;
    unsigned sheetsBegun_ = 0, sheet_ = 0;
    unsigned plainXf_ = 0;                   // an XF of the General format, found when the first sheet begins
    std::vector<std::uint32_t> sheetStarts_; // from the sheet list, in its order
    std::vector<unsigned> xfFormats_;        // each XF's number format
    std::map<unsigned, std::optional<DateKind>> formatKinds_; // FORMAT records; nullopt: defined twice
    std::unordered_map<std::uint32_t, DateCell> cells_;
    std::uint32_t lastKey_ = 0; // the highest key in cells_
};

} // namespace quillan::db::embedded
