#pragma once
// One file of the release as the backup, replacement and registration phases use it: its name and
// the folder it is installed in. Both come from the release table, so both are checked before they
// are joined into a path: a name must be a plain file name, and a folder must lie inside the
// installation (base/InstallationFolder.h).
#include "base/Console.h"
#include "platform/db/Recordset.h"

#include <filesystem>
#include <optional>
#include <string>

namespace quillan {

struct ReleaseFile {
    std::string name;     // File_Names
    std::string folder;   // ReturnFolder(File_Path), Windows text
    std::string filePath; // File_Path as the row gives it

    std::string installedText() const { return folder + "\\" + name; }
};

// The current row's file. A refused row answers nullopt after the run log says why and runFailed
// is set: the file is not installed, and the run must not report a success.
std::optional<ReleaseFile> releaseFile(Console& c, const db::Recordset& rs);
// The same checks without a word: for a look ahead at the release, before the phase that refuses.
std::optional<ReleaseFile> releaseFileQuietly(Console& c, const db::Recordset& rs);

// Where the current-action labels say the file goes: the application folder when File_Path starts
// with the application-folder marker "App.Path", else the target folder itself.
std::string locationLabel(const Console& c, const ReleaseFile& f);

// True when the Windows text names an existing plain file.
bool fileExists(const Console& c, const std::string& windowsPath);

} // namespace quillan
