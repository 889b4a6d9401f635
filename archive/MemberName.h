#pragma once
// Turning the names stored in an archive into names that are safe to create below a target
// folder. Archives come from servers, so a stored name is hostile until proven otherwise:
// "../x", "/etc/x", "C:\x", "..\x" and "a/../../x" must never reach outside the target.
#include <optional>
#include <string>
#include <string_view>

namespace quillan::archive {

// The last component of a stored name, with '/' and '\' both taken as separators and a leading
// drive ("C:") dropped. Empty when the name ends in a separator (a folder entry).
std::string bareName(std::string_view stored);

// The relative path (components joined by '/') under which a member is written, or nothing when
// the member must be skipped:
//   flat     - the bare name; skipped when it is empty (folder entry), "." or "..".
//   folders  - every component kept except a drive and leading separators; skipped when a
//              component is "..", or when nothing is left. "." components are dropped.
// A name containing a NUL byte or a ':' after the drive (an alternate data stream on Windows) is
// skipped in both modes.
std::optional<std::string> safeRelativeName(std::string_view stored, bool keepFolders);

// True for a folder entry (the stored name ends with '/' or '\').
bool isFolderEntry(std::string_view stored);

} // namespace quillan::archive
