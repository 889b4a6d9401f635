#include "app/release/ExcelScript.h"

#include "app/release/CompoundFile.h"
#include "app/release/ReleaseError.h"
#include "app/release/Workbook.h"

#include <stdexcept>

namespace quillan::release {

std::string excelScript(const std::vector<SetupRow>& rows) {
    if (rows.size() > kMaxSheetRow) // row 1 is the header
        throw ReleaseError("an Excel deploy script holds at most " + std::to_string(kMaxSheetRow) +
                           " rows and this release has " + std::to_string(rows.size()) +
                           ": publish it as XML or CSV");
    Worksheet sheet;
    try {
        std::uint32_t column = 0;
        for (const auto& [name, text] : columnTexts(SetupRow{}))
            sheet.text(0, column++, name);
        std::uint32_t row = 1;
        for (const SetupRow& r : rows) {
            column = 0;
            for (const auto& [name, text] : columnTexts(r)) {
                if (name == "File_Names" || name == "File_Path" || name == "FileExtension") {
                    if (!text.empty())
                        sheet.text(row, column, text);
                } else if (name == "File_CrDate")
                    sheet.dateTime(row, column, text);
                else if (!text.empty()) // counts, flags and sizes: whole numbers, exact in a double
                    sheet.number(row, column, std::stod(text));
                ++column;
            }
            ++row;
        }
        return compoundFile("Workbook", sheet.workbookStream("Sheet1"));
    } catch (const std::invalid_argument& e) {
        throw ReleaseError(std::string("the Excel deploy script cannot be written: ") + e.what());
    }
}

} // namespace quillan::release
