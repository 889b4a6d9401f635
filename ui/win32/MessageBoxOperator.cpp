#include "ui/win32/MessageBoxOperator.h"

#include "ui/win32/WideText.h"

namespace quillan::ui::win32 {

int MessageBoxOperator::ask(const std::string& text, UINT style) const {
    // An owner that has gone (the window closed while the core still reports) gets a box of its own.
    HWND owner = owner_ && IsWindow(owner_) ? owner_ : nullptr;
    return MessageBoxW(owner, wide(text).c_str(), L"Quillan", style | (owner ? 0 : MB_TASKMODAL));
}

void MessageBoxOperator::inform(const std::string& text) {
    ask(text, MB_OK | MB_ICONINFORMATION);
}

bool MessageBoxOperator::askYesNo(Question, const std::string& text) {
    return ask(text, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool MessageBoxOperator::askOkCancel(Question, const std::string& text) {
    // Closing the box without a choice (Esc, its close button) answers IDCANCEL.
    return ask(text, MB_OKCANCEL | MB_ICONINFORMATION) == IDOK;
}

} // namespace quillan::ui::win32
