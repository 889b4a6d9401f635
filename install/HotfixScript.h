#pragma once
// A hotfix script as the runner reads it: the file's bytes (ANSI text, sent as they are) without a
// UTF-8 byte-order mark, and the hotfix number of its "--[TERVIK HOTFIX VERSION]=" line.
#include <filesystem>
#include <string>
#include <string_view>

namespace quillan {

// The marker that starts a version line (26 characters), compared without regard to case.
inline constexpr std::string_view kHotfixVersionMarker = "--[TERVIK HOTFIX VERSION]=";

// The whole file; a UTF-8 byte-order mark at its start is dropped (it would shift the version
// line and reach the server). Throws std::runtime_error when the file cannot be read.
std::string readHotfixScript(const std::filesystem::path& file);

// The number of the first line containing the marker, read after the line's first 26 characters:
// blanks skipped, then digits with at most one decimal point; 0 when there is no such line or no
// number there (a marker that does not start its line gives 0 too).
double hotfixNumberOf(std::string_view script);

// The largest number a hotfix may carry: HotFixLog keeps its numbers as whole numbers of 32 bits,
// so a larger one could never be recorded as applied (and would be offered at every run).
inline constexpr double kLargestHotfixNumber = 2147483647;

// True for a number from above 0 to kLargestHotfixNumber (NaN and infinities are not).
bool hotfixNumberInRange(double number);

// "12", "12.5", "1e+23": the number as text, whatever its size (no conversion to an integer).
std::string hotfixNumberText(double number);

} // namespace quillan
