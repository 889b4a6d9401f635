#pragma once
// The one conversion between the system's Windows-style path texts ("C:\Tervik\Bin",
// "C:\Tervik\\Reports") and native paths. On Windows it is nearly the identity; on POSIX drive
// letters come from a drive map:
//   1. the environment variable QUILLAN_DRIVES, "C=/srv/c;D=/srv/d", when set;
//   2. otherwise the file "quillan-drives.ini" in the program folder, one "X=/path" line a drive;
//   3. otherwise C: is the file-system root "/".
// Texts without a drive letter (already native, or relative) only have their separators turned.
// "\\server\share=/path" entries map UNC texts; unmapped shares stay "//server/share/...". A drive
// letter the map does not name gives a path that cannot be used (see docs/platform.md).
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillan {

class PathMap {
public:
    PathMap(); // the platform default (POSIX: C=/)
    explicit PathMap(std::map<char, std::filesystem::path> drives);
    PathMap(std::map<char, std::filesystem::path> drives,
            std::map<std::string, std::filesystem::path> shares);
    // Applies the lookup order above for a program folder.
    static PathMap forProgramFolder(const std::filesystem::path& programFolder);
    static std::optional<PathMap> parse(std::string_view text, char separator); // "C=/a;D=/b"

    // Windows text -> native path. Repeated separators collapse; case is kept (see resolveCase).
    std::filesystem::path toNative(std::string_view windowsPath) const;
    // Native path -> Windows text ("X:\..."), using the mapped drive whose root is the longest
    // prefix; a path outside every drive is returned as its native text.
    std::string toWindows(const std::filesystem::path& nativePath) const;
    // True when the text names a folder of a drive the map names: "X:" or "X:\..." (either
    // separator, either letter case). False for texts whose place the map cannot vouch for: rooted
    // ("\x", on whatever drive is current), UNC ("\\server\share\x"), relative ("x"), drive-relative
    // ("C:x", below the drive's current folder), and a letter the map does not name.
    bool onMappedDrive(std::string_view windowsPath) const;

    const std::map<char, std::filesystem::path>& drives() const { return drives_; } // upper-case letters
    // UNC shares mapped by "\\server\share=/path" entries, keyed "\\server\share" as written.
    const std::map<std::string, std::filesystem::path>& shares() const { return shares_; }
    // Where the map came from: "QUILLAN_DRIVES", the ini file's path, or "default".
    const std::string& source() const { return source_; }
    // Entries of the configured map that could not be read (start-up shows them in the run log).
    const std::vector<std::string>& warnings() const { return warnings_; }

private:
    std::map<char, std::filesystem::path> drives_;
    std::map<std::string, std::filesystem::path> shares_;
    std::string source_ = "default";
    std::vector<std::string> warnings_;
};

// Windows file names ignore case and the data relies on it ("\Images\Failed.Gif" names the file
// "Failed.gif"). Returns the existing path whose components match `path` without regard to case,
// or `path` unchanged when nothing matches (so the caller's "does not exist" still holds).
std::filesystem::path resolveCase(const std::filesystem::path& path);

} // namespace quillan
