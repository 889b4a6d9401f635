#pragma once
// After a run without error, the update folder keeps only the hotfix scripts of the highest
// hotfix number: the files of the FileExtension Type 2 extensions whose first word (the text
// before the first blank, or the whole name) does not occur in that number are deleted.
#include "base/Console.h"

namespace quillan {

// Nothing is pruned when there is no hotfix script (highest number 0) or no Type 2 extension.
// Extensions other than letters and digits are skipped with a log line; folders are never
// deleted. Throws on a database or file failure (the caller reports it).
void pruneHotfixScripts(Console& c);

} // namespace quillan
