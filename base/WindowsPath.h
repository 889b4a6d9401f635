#pragma once
// Joining Windows folder texts, the form the settings and the data keep paths in.
#include <string>

namespace quillan {

// Joins a Windows folder text and a tail that starts with "\", without doubling the separator when
// the folder is a drive root ("C:\" + "\Images" gives "C:\Images").
std::string joinWindows(const std::string& folder, const std::string& tail);

} // namespace quillan
