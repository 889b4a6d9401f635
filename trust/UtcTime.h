#pragma once
// A point in time as a manifest writes it: "YYYY-MM-DDTHH:MM:SSZ", always UTC, so that the office
// and a distributor in another time zone read the same instant. Held as seconds since 1970.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillan::trust {

std::string formatUtc(std::int64_t secondsSince1970);
// Nothing unless the text is exactly that form with a real date and time of day.
std::optional<std::int64_t> parseUtc(std::string_view text);
std::int64_t nowUtc();

} // namespace quillan::trust
