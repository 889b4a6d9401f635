#pragma once
// The operator's decision points as modal message boxes titled "Quillan", owned by the main
// window. A box stops the run until it is answered; it pumps the window's messages meanwhile.
#include "base/Operator.h"

#include <windows.h>

namespace quillan::ui::win32 {

class MessageBoxOperator : public Operator {
public:
    void setOwner(HWND owner) { owner_ = owner; }

    void inform(const std::string& text) override;
    bool askYesNo(Question q, const std::string& text) override;
    bool askOkCancel(Question q, const std::string& text) override;

private:
    int ask(const std::string& text, UINT style) const;
    HWND owner_ = nullptr;
};

} // namespace quillan::ui::win32
