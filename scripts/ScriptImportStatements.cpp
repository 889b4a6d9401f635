#include "scripts/ScriptImportStatements.h"

#include "platform/Text.h"
#include "platform/db/Connection.h"

namespace quillan {

using db::sqlQuote;

std::string recordedReleaseQuery(const std::string& p) {
    return "SELECT  * FROM " + p + ".dbo.Setupdetails (NoLock)";
}

std::string scriptKindsQuery(const std::string& p) {
    return "SELECT  * FROM " + p + ".dbo.DEPLOY_FILENAMES order by Seqno";
}

std::string scriptFilesOfKindQuery(const std::string& p, std::int64_t seqNo) {
    return "Select Description,FilePattern from " + p +
           ".dbo.DEPLOY_FILE_ORDER Where TableId=" + std::to_string(seqNo) +
           "  Order By Description,LastModifyDate";
}

std::string clearScriptFileOrderStatement(const std::string& p) {
    return "Delete from " + p + ".dbo.DEPLOY_FILE_ORDER";
}

// The kind (a part of a file name) was embedded between quotes as it stood: quoted now.
std::string scriptKindLookup(const std::string& p, const std::string& kind) {
    return "SELECT  SeqNo FROM " + p + ".dbo.DEPLOY_FILENAMES where Description=" + sqlQuote(kind);
}

// The file name was embedded between quotes as it stood: quoted now, like the type.
std::string scriptFileOrderInsert(const std::string& p, std::int64_t seqNo, const std::string& fileName,
                                  const DateTime& lastWrite, const std::string& fileType) {
    return "Insert Into  " + p + ".dbo.DEPLOY_FILE_ORDER values(" + std::to_string(seqNo) + " ," +
           sqlQuote(fileName) + "," + sqlQuote(lastWrite.isoDate()) + "," + sqlQuote(fileType) + ")";
}

// The XML text was placed between the quotes unchanged, so an apostrophe in any value (a name such
// as O'Neil.rpt) ended the literal: quoted now.
std::string xmlImportCall(const std::string& xmlText) {
    return "Exec Proc_ImpSetupDetails " + sqlQuote(xmlText);
}

// The catalog name was bracketed as it stood: a ']' in it is doubled now.
std::string csvBulkInsert(const std::string& dbName) {
    return "BULK INSERT " + db::sqlQuoteName(dbName) + ".dbo.[SETUPDETAILS] FROM 'C:\\CSVImport.csv' " +
           "WITH ( " + "FIELDTERMINATOR ='" + "\t" + "'," + "FIRSTROW = 2 " + ")";
}

std::string setupDetailsColumnsQuery(const std::string& p) {
    return "Select * from " + p + ".dbo.SETUPDETAILS";
}

// Column names come from the table and were bracketed as they stood: a ']' in one is doubled now.
std::string excelImportInsert(const std::vector<std::string>& columns) {
    std::string list;
    for (const auto& name : columns)
        list += (list.empty() ? "" : ",") + db::sqlQuoteName(upperCase(name));
    return "INSERT INTO [SETUPDETAILS](" + list + ") SELECT " + list +
           " FROM OPENROWSET('Microsoft.Jet.OLEDB.4.0','Excel 8.0;" +
           "Database=C:\\ExcelImport.xls', [Sheet1$])";
}

} // namespace quillan
