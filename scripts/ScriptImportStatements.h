#pragma once
// The statements of the deploy-script import: the work list of script files (DEPLOY_FILE_ORDER)
// rebuilt from the files on disk, and the one statement per script that loads it into SETUPDETAILS,
// by format.
#include "platform/DateTime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillan {

// Any release already recorded: with no script to import, the import still counts as done then.
std::string recordedReleaseQuery(const std::string& dbPrefix);
// The script kinds in processing order.
std::string scriptKindsQuery(const std::string& dbPrefix);
// The work list's files of one kind, by file name and then date.
std::string scriptFilesOfKindQuery(const std::string& dbPrefix, std::int64_t seqNo);
// Empties the work list.
std::string clearScriptFileOrderStatement(const std::string& dbPrefix);
// The processing order of the kind a script file name carries.
std::string scriptKindLookup(const std::string& dbPrefix, const std::string& kind);
// Adds a script file to the work list: its kind's order, name, last-write date (kept as text
// "YYYY-MM-DD", the column is text) and file type ("XML", "CSV", "XLS" or "ZIP").
std::string scriptFileOrderInsert(const std::string& dbPrefix, std::int64_t seqNo,
                                  const std::string& fileName, const DateTime& lastWrite,
                                  const std::string& fileType);

// Loads an XML script through the application's procedure.
std::string xmlImportCall(const std::string& xmlText);
// Loads the CSV work file "C:\CSVImport.csv" (tab-separated, one header line) into SETUPDETAILS of the
// catalog (name without brackets).
std::string csvBulkInsert(const std::string& dbName);
// The columns of SETUPDETAILS, learned before an Excel import.
std::string setupDetailsColumnsQuery(const std::string& dbPrefix);
// Loads the sheet "Sheet1" of the Excel work file "C:\ExcelImport.xls" into the given columns.
std::string excelImportInsert(const std::vector<std::string>& columns);

// One script's load runs in a transaction of its own, so a script refused after its rows were
// loaded leaves SETUPDETAILS as it was.
std::string beginScriptLoadStatement();
std::string commitScriptLoadStatement();
std::string rollbackScriptLoadStatement();

// The rows of one version whose names (and folders) are equal once upper-cased and that occur more
// than once: VersionNo, FolderKey, NameKey. The spellings are compared by the caller, since a
// case-insensitive collation would call them equal.
std::string caseTwinCandidatesQuery(const std::string& dbPrefix);
// The rows (File_Names, File_Path) of one such candidate; a null key matches null.
std::string caseTwinSpellingsQuery(const std::string& dbPrefix, std::optional<std::int64_t> versionNo,
                                   const std::optional<std::string>& folderKey,
                                   const std::optional<std::string>& nameKey);

} // namespace quillan
