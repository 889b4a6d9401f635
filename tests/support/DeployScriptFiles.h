#pragma once
// Deploy scripts of every format written from one list of rows: the XML of the import procedure,
// the tab-separated CSV with its header line, an Excel 97 workbook written by another program than
// the reader, and a zip around any of them.
#include "archive/Zip.h"
#include "tests/support/Files.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillan::test {

// The twelve SetupDetails columns in table order.
inline const std::vector<std::string>& setupColumns() {
    static const std::vector<std::string> cols{
        "File_Names", "File_Path", "File_CrDate",    "File_UnZipDate",   "Status",        "RegRequired",
        "HotfixNo",   "VersionNo", "UploadFileSize", "DownloadFileSize", "FileExtension", "FileSplitStatus"};
    return cols;
}

// A release's rows as texts in column order; "" is an empty field (File_UnZipDate).
using ReleaseRow = std::vector<std::string>;

inline std::string xmlEscape(const std::string& v) {
    std::string out;
    for (char ch : v)
        out += ch == '&' ? "&amp;" : ch == '<' ? "&lt;" : std::string(1, ch);
    return out;
}

// The XML format of the import procedure, one element per line, the declaration with apostrophes.
inline std::string xmlScript(const std::vector<ReleaseRow>& rows) {
    std::string s = "<?xml version='1.0' standalone='yes'?>\r\n<NewDataSet>\r\n";
    for (const auto& r : rows) {
        s += "  <SetupDetails>\r\n";
        for (std::size_t i = 0; i < r.size(); ++i)
            if (!r[i].empty())
                s += "    <" + setupColumns()[i] + ">" + xmlEscape(r[i]) + "</" + setupColumns()[i] + ">\r\n";
        s += "  </SetupDetails>\r\n";
    }
    return s + "</NewDataSet>\r\n";
}

// Tab-separated, a header line, CR LF ends.
inline std::string csvScript(const std::vector<ReleaseRow>& rows) {
    std::string s;
    for (std::size_t i = 0; i < setupColumns().size(); ++i)
        s += (i ? "\t" : "") + setupColumns()[i];
    s += "\r\n";
    for (const auto& r : rows) {
        for (std::size_t i = 0; i < r.size(); ++i)
            s += (i ? "\t" : "") + r[i];
        s += "\r\n";
    }
    return s;
}

// An Excel 97 workbook written by python3-xlwt (another program than the reader, freexl): sheet
// "Sheet1", a header row, numbers as numbers, the dates as date cells, texts as texts.
inline void writeExcelScript(const std::filesystem::path& file, const std::vector<ReleaseRow>& rows) {
    const auto script = file.parent_path() / (file.filename().string() + ".py");
    std::string py = "import datetime, xlwt\nwb = xlwt.Workbook(); ws = wb.add_sheet('Sheet1')\n"
                     "dates = xlwt.easyxf(num_format_str='yyyy-mm-dd hh:mm:ss')\n"
                     "rows = [\n";
    std::string header = "[";
    for (const auto& c : setupColumns())
        header += "'" + c + "',";
    py += "  " + header + "],\n";
    for (const auto& r : rows) {
        py += "  [";
        for (const auto& v : r) {
            std::string quoted;
            for (char ch : v)
                quoted += (ch == '\'' || ch == '\\') ? std::string("\\") + ch : std::string(1, ch);
            py += "'" + quoted + "',";
        }
        py += "],\n";
    }
    py += "]\n"
          "for y, row in enumerate(rows):\n"
          "    for x, v in enumerate(row):\n"
          "        if v == '': continue\n"
          "        if y == 0 or x in (0, 1, 10): ws.write(y, x, v)\n"
          "        elif x in (2, 3): ws.write(y, x, datetime.datetime.strptime(v, '%Y-%m-%d %H:%M:%S'), "
          "dates)\n"
          "        else: ws.write(y, x, int(v))\n"
          "wb.save('" +
          file.string() + "')\n";
    writeFile(script, py);
    if (std::system(("/usr/bin/python3 '" + script.string() + "'").c_str()) != 0)
        throw std::runtime_error("python3-xlwt could not write " + file.string());
    std::filesystem::remove(script);
}

// A zip holding `member` with `bytes`.
inline void writeZip(const std::filesystem::path& zipFile, const std::string& member,
                     const std::string& bytes) {
    const auto stage = zipFile.parent_path() / ".stage";
    writeFile(stage / member, bytes);
    cZip z;
    z.ZipFile(zipFile);
    z.AddFileSpec((stage / member).string());
    z.Zip();
    std::filesystem::remove_all(stage);
}

} // namespace quillan::test
