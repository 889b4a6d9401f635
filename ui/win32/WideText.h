#pragma once
// The console model's UTF-8 texts as the UTF-16 texts the Win32 controls take, and back.
#include "platform/win32/WideText.h"

namespace quillan::ui::win32 {

using quillan::narrow;
using quillan::wide;

} // namespace quillan::ui::win32
