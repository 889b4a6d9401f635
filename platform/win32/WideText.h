#pragma once
// UTF-8 texts (the program's own) as the UTF-16 texts the Windows API takes, and back.
#include <string>

namespace quillan {

std::wstring wide(const std::string& utf8);
std::string narrow(const std::wstring& text);

} // namespace quillan
