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

std::string beginScriptLoadStatement() {
    return "BEGIN TRANSACTION";
}

std::string commitScriptLoadStatement() {
    return "COMMIT TRANSACTION";
}

std::string rollbackScriptLoadStatement() {
    return "ROLLBACK TRANSACTION";
}

// UPPER() on both sides: the comparison must not depend on the column's collation.
std::string caseTwinCandidatesQuery(const std::string& p) {
    return "SELECT VersionNo, UPPER(File_Path) AS FolderKey, UPPER(File_Names) AS NameKey FROM " + p +
           ".dbo.SetupDetails GROUP BY VersionNo, UPPER(File_Path), UPPER(File_Names) HAVING COUNT(*) > 1";
}

namespace {

std::string keyCondition(const std::string& column, const std::optional<std::string>& key) {
    return key ? column + " = " + sqlQuote(*key) : column + " IS NULL";
}

} // namespace

std::string caseTwinSpellingsQuery(const std::string& p, std::optional<std::int64_t> versionNo,
                                   const std::optional<std::string>& folderKey,
                                   const std::optional<std::string>& nameKey) {
    return "SELECT File_Names, File_Path FROM " + p + ".dbo.SetupDetails WHERE " +
           (versionNo ? "VersionNo = " + std::to_string(*versionNo) : std::string("VersionNo IS NULL")) +
           " AND " + keyCondition("UPPER(File_Path)", folderKey) + " AND " +
           keyCondition("UPPER(File_Names)", nameKey);
}

} // namespace quillan
