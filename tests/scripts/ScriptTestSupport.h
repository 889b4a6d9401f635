#pragma once
// A console on the embedded engine set up for the deploy-script phases: drive C: is the scratch
// folder (so "C:\CSVImport.csv" and the program folder "C:\Tervik" lie inside it), the deploy
// tables exist with the kind SETUPDETAILS, the three script folders exist, and the administration
// interface is the real one the connection string names. Helpers write scripts of every format.
#include "archive/Zip.h"
#include "base/Console.h"
#include "tests/support/EngineConsole.h"
#include "tests/support/Files.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace quillan::test {

struct ScriptConsole : EngineConsole {
    std::filesystem::path program = c.programFolder();

    ScriptConsole() {
        writeFile(program / "quillan-drives.ini", "C=" + dir.path().string() + "\n");
        c.paths = PathMap::forProgramFolder(program);
        auto& s = c.state;
        s.appPath = c.paths.toWindows(program); // "C:\Tervik"
        s.connString = "Provider=SQLite;Data Folder=" + (dir.path() / "Data").string() +
                       ";Data Source=(local);Initial Catalog=MASTER;User ID=sa;Password=pw;";
        s.dbServer = "(local)";
        s.dbUser = "sa";
        s.dbPassword = "pw";
        s.isLocalServer = true;
        s.distributorCode = "D042";
        s.deployInFolder = s.appPath + "\\DEPLOY IN";
        s.archiveInFolder = s.appPath + "\\DEPLOY ARCHIVEIN\\";
        s.tempExtractFolder = s.appPath + "\\TEMPEXTRACT\\";
        format("Xml");
        for (const char* f : {"DEPLOY IN", "DEPLOY ARCHIVEIN", "TEMPEXTRACT"})
            std::filesystem::create_directories(program / f);
        for (const char* t : {"DEPLOY_FILENAMES (Seqno INT, Description VARCHAR(100))",
                              "DEPLOY_FILE_ORDER (TableId INT, Description VARCHAR(255), LastModifyDate "
                              "VARCHAR(10), FilePattern VARCHAR(10))",
                              "IMPORT_DEPLOY_FILENAMES (SourceFileName VARCHAR(255))"})
            db->execute(std::string("CREATE TABLE [Tervik].dbo.") + t);
        db->execute("INSERT INTO [Tervik].dbo.DEPLOY_FILENAMES VALUES (1, 'SETUPDETAILS')");
    }

    // "Xml", "Csv" or "Xls"; zipped scripts take the pattern "*.Zip".
    void format(const std::string& f, bool zipped = false) {
        c.state.fileFormat = f;
        c.state.filePattern = zipped ? "*.Zip" : "*." + f;
    }
    std::filesystem::path deployIn() const { return program / "DEPLOY IN"; }
    std::filesystem::path archive() const { return program / "DEPLOY ARCHIVEIN"; }
    std::vector<std::string> recorded() {
        std::vector<std::string> out;
        for (auto rs = db->query("SELECT SourceFileName FROM [Tervik].dbo.IMPORT_DEPLOY_FILENAMES ORDER BY "
                                 "SourceFileName");
             !rs.eof(); rs.moveNext())
            out.push_back(rs.field("SourceFileName").asText());
        return out;
    }
    long long count(const std::string& fromWhere) {
        return db->query("SELECT COUNT(*) AS N FROM " + fromWhere).field("N").asInt();
    }
    // Every SetupDetails row as one text, sorted: what two imports are compared by.
    std::vector<std::string> setupRows() {
        std::vector<std::string> out;
        for (auto rs = db->query("SELECT * FROM [Tervik].dbo.SetupDetails ORDER BY File_Names"); !rs.eof();
             rs.moveNext()) {
            std::string row;
            for (const auto& col : rs.columns())
                row += rs.field(col).textOr("<null>") + "|";
            out.push_back(row);
        }
        return out;
    }
};

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
