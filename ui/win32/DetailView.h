#pragma once
// The detail view of an event-grid link: a modal window listing "File Name" and "File Date" of the
// files a phase worked on. Built anew for every click; CmdClose or Esc closes it.
#include "console/DetailLinks.h"

#include <windows.h>

namespace quillan::ui::win32 {

class DetailView {
public:
    // Shows `table` over `owner`, which is disabled until the view closes.
    static void showModal(HWND owner, const DetailTable& table, HFONT font);
};

} // namespace quillan::ui::win32
