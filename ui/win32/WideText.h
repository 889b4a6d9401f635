#pragma once
// The console model's UTF-8 texts as the UTF-16 texts the Win32 controls take, and back.
#include <string>

namespace quillan::ui::win32 {

std::wstring wide(const std::string& utf8);
std::string narrow(const std::wstring& text);

} // namespace quillan::ui::win32
