#pragma once
// Removing the backup copies of a folder: the files whose extension the FileExtension table lists
// with Type 1 (never BAK or ZIP, the database backups). Used by the finishing operation, its undo
// and the database backup.
#include "base/Console.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillan {

// True for one or more ASCII letters or digits: an extension that names files of one kind only.
bool isPlainExtension(std::string_view extension);
// True for an extension the removal may use: one or more ASCII letters or digits, and not BAK or
// ZIP in any letter case. Anything else ("*", "", "..\x", "a b") could widen the pattern to the
// database backups or reach outside the folder.
bool isRemovableBackupExtension(std::string_view extension);

// True when the text after the last "." of `name` is one of `extensions`, without regard to case.
bool hasListedExtension(std::string_view name, const std::vector<std::string>& extensions);

// The `Extension` column of a FileExtension query, trimmed, without the texts `usable` refuses;
// each of those is logged as skipped, followed by `why`.
std::vector<std::string> usableExtensions(Console& c, const std::string& query,
                                          bool (*usable)(std::string_view), const std::string& why);

// Deletes from `folder` (a Windows text) every plain file whose extension is a listed one, without
// regard to case. Sub-folders are never touched, and an extension refused above is skipped with
// a log line. A folder that is not there, or an empty folder text, holds nothing to remove. A
// failure (the query, a file that cannot be deleted) logs its description + " in Removing Files "
// and answers False; files deleted before it stay deleted. Files named in `spare` (any letter
// case) are kept.
bool RemovingFiles(Console& c, const std::string& folder, const std::vector<std::string>& spare = {});

} // namespace quillan
