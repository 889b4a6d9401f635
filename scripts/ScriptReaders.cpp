#include "scripts/ScriptReaders.h"

#include "platform/Text.h"

#include "base/Machine.h"
#include "base/Progress.h"
#include "scripts/ScriptImportStatements.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace quillan {

namespace {

constexpr const char* kCsvWorkFile = "C:\\CSVImport.csv";
constexpr const char* kExcelWorkFile = "C:\\ExcelImport.xls";

std::string readWhole(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("File not found: " + file.string());
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The file's lines (CR LF or LF ends, the last line without an end counted too).
std::vector<std::string_view> linesOf(const std::string& text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string_view line(text.data() + start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// Row 3 follows the reading of the file line by line, the window repainting after each line. The
// percent text is formatted only when its whole number changes: a script has tens of thousands
// of lines.
void showReading(Console& c, std::size_t lineCount) {
    startRow(c, Row::ScriptImport, static_cast<int>(lineCount));
    long long shown = -1;
    std::string text;
    for (std::size_t i = 1; i <= lineCount; ++i) {
        ChecklistRow r = c.model.checklist(Row::ScriptImport);
        r.barValue = std::clamp(static_cast<int>(i), 0, r.barMax);
        const long long whole = r.barMax > 0 ? r.barValue * 100LL / r.barMax : 0;
        if (whole != shown) {
            text = percentText(r.barValue, r.barMax);
            shown = whole;
        }
        r.percentText = text;
        c.model.setChecklist(Row::ScriptImport, r);
        c.model.processEvents();
    }
}

// The script copied over the work file the database server reads (never half a file under its name).
std::filesystem::path toWorkFile(Console& c, const std::string& fileName, const char* workFile) {
    const auto target = c.native(workFile);
    c.os.replaceFile(c.native(fileName), target);
    return target;
}

} // namespace

std::string ImportCvsFile(Console& c, const std::string& fileName) {
    try {
        const auto copy = toWorkFile(c, fileName, kCsvWorkFile);
        showReading(c, linesOf(readWhole(copy)).size());
        return csvBulkInsert(c.state.dbName);
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + "In ImportCvsFile");
        return {};
    }
}

std::string ImportXlfile(Console& c, const std::string& fileName) {
    try {
        const auto copy = toWorkFile(c, fileName, kExcelWorkFile);
        const auto columns = c.conn->query(setupDetailsColumnsQuery(c.state.dbPrefix)).columns();
        const std::string statement = excelImportInsert(columns);
        showReading(c, linesOf(readWhole(copy)).size());
        return statement;
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + "In ImportXlfile");
        return {};
    }
}

std::string ImportXmlText(Console& c, const std::string& fileName) {
    try {
        std::string text = readWhole(c.native(fileName));
        if (text.rfind("\xEF\xBB\xBF", 0) == 0)
            text.erase(0, 3); // the procedure takes a text that does not begin with '<' for a file name
        if (text.empty())
            return {};
        showReading(c, linesOf(text).size());
        // The whole document: a reader that kept only the last line cut a document written over
        // several lines down to its closing tag.
        return text;
    } catch (const std::exception& e) {
        c.op.inform(e.what());
        return {};
    }
}

std::string ImportSqlText(Console& c, const std::string& fileName) {
    const std::string whole = readWhole(c.native(fileName));
    if (whole.empty())
        return {};
    const auto lines = linesOf(whole);
    showReading(c, lines.size());
    std::string text;
    for (const auto line : lines)
        if (!trimmed(line).empty())
            text.append("\r\n").append(line);
    return trimmed(text).empty() ? std::string() : text;
}

} // namespace quillan
