#pragma once
// Split-file reassembly: after the program download every complete package must lie in the update
// folder; the pieces of every template are joined back into the published archive there, and the
// archive is recorded as a SetupDetails row (RegRequired 2) that the unpacking phase unpacks.
#include "base/Console.h"

#include <string>

namespace quillan {

// What the last template read named (the recorded path's extension, folder and file name).
struct SplitFileInfo {
    std::string splitFileExt, splitFileFolder, splitFileName;
};

// True when every template was joined and recorded. False when a package is missing, there is no
// template, or a join failed: the failure's reason is logged and shown with " In RestoreZipFile",
// and the failed template leaves neither a file nor a row (earlier templates' rows stay).
bool RestoreZipFile(Console& c, SplitFileInfo* last = nullptr);

// With `beforeLast` the text before the last `delimiter`, otherwise the text after it; "" when the
// delimiter does not occur.
std::string PathPart(const std::string& text, bool beforeLast, const std::string& delimiter);
// The folder part of a Windows path, ending with "\" ("" for a bare name).
std::string ParentFolder(const std::string& path);
// True when the file's length can be read.
bool FileExistsByLength(Console& c, const std::string& path);

} // namespace quillan
