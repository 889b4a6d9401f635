#pragma once
// The version line of a hotfix script: the console's hotfix runner reads the hotfix number from the
// first line that holds "--[TERVIK HOTFIX VERSION]=", taking the text after the marker's 26
// characters, so the marker must open the line and a whole number must follow it.
#include <filesystem>
#include <optional>
#include <string>

namespace quillan::release {

constexpr std::string_view kHotfixMarker = "--[TERVIK HOTFIX VERSION]=";

// The hotfix number of a script's text, read as the runner reads it; throws ReleaseError naming
// `name` when the runner would find no number (no version line, a marker not at the start of its
// line, no whole number greater than 0 after it).
int hotfixNumber(const std::string& name, const std::string& text);

// True when the script writes its own HotFixLog row (an INSERT into HotFixLog outside comments and
// text literals; reading the table to guard the insert does not count): the runner does not, so a
// script that does not is offered again by every run.
bool recordsItself(const std::string& text);

} // namespace quillan::release
