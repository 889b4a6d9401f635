#include "ui/win32/FrmQuillan.h"

#include "console/Commands.h"
#include "console/DetailLinks.h"
#include "console/Startup.h"
#include "ui/win32/DetailView.h"
#include "ui/win32/WideText.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cmath>

namespace quillan::ui::win32 {

namespace {

constexpr const wchar_t* kWindowClass = L"frmQuillan";
// Messages handled per processEvents call: enough for a repaint and a click, bounded so that a
// flood of messages cannot hold the run.
constexpr int kMessagesPerPump = 256;

int shiftState() {
    return ((GetKeyState(VK_SHIFT) & 0x8000) ? 1 : 0) | ((GetKeyState(VK_CONTROL) & 0x8000) ? 2 : 0) |
           ((GetKeyState(VK_MENU) & 0x8000) ? 4 : 0);
}

void setText(HWND control, const std::string& text) {
    SetWindowTextW(control, wide(text).c_str());
}

void setVisible(HWND control, bool visible) {
    ShowWindow(control, visible ? SW_SHOWNA : SW_HIDE);
}

COLORREF colourOf(const LabelColour& c) {
    return RGB(c.red, c.green, c.blue);
}

} // namespace

FrmQuillan::FrmQuillan(Console& console, const std::filesystem::path& programFolder) : console_(console) {
    HDC screen = GetDC(nullptr);
    dpi_ = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen)
        ReleaseDC(nullptr, screen);
    pictures_ = std::make_unique<StatusPictures>(programFolder, px(16));
    logo_ = loadLogo(programFolder);
    background_ = GetSysColorBrush(COLOR_BTNFACE);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &FrmQuillan::windowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    wc.hbrBackground = background_;
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc); // a second window of the process finds the class registered
    hwnd_ =
        CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, L"Quillan",
                        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                        CW_USEDEFAULT, px(1000), px(600), nullptr, nullptr, GetModuleHandleW(nullptr), this);
    createControls();
    renderAll();
    console_.model.addObserver(this);
    fold(true);
}

FrmQuillan::~FrmQuillan() {
    console_.model.removeObserver(this);
    if (hwnd_) {
        ending_ = true;
        DestroyWindow(hwnd_);
    }
    for (HFONT f : {font_, bold_, title_, mono_, link_})
        if (f)
            DeleteObject(f);
    if (logo_)
        DeleteObject(logo_);
}

int FrmQuillan::px(int units) const {
    return MulDiv(units, dpi_, 96);
}

void FrmQuillan::show() {
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
}

HWND FrmQuillan::control(const std::string& name) const {
    const auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second;
}

int FrmQuillan::foldedHeight() const {
    return topHeight_;
}

int FrmQuillan::unfoldedHeight() const {
    return static_cast<int>(std::lround(foldedHeight() * double(kUnfoldedTwips) / kFoldedTwips));
}

void FrmQuillan::fold(bool unfold) {
    RECT area{0, 0, 1280, 1024};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
    RECT frame{0, 0, clientWidth_, 0};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int frameWidth = frame.right - frame.left;
    const int frameHeight = frame.bottom - frame.top;
    const WindowMetrics m{frameWidth, area.right - area.left, area.bottom - area.top,
                          double(foldedHeight()) / kFoldedTwips};
    const auto g = unfold ? CmdDown_Click(console_, m) : CmdUp_Click(console_, m);
    if (!g)
        return;
    // The core's heights are the client area's; the frame comes on top.
    const int height = g->height + frameHeight;
    const int top = std::max(0, static_cast<int>(area.bottom - area.top) / 2 - height / 2);
    SetWindowPos(hwnd_, nullptr, area.left + g->left, area.top + top, frameWidth, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void FrmQuillan::renderAll() {
    const auto& model = console_.model;
    for (const auto& [id, label] : labels_) {
        labelChanged(id, model.label(id));
        labelColourChanged(id, model.labelColour(id));
    }
    for (int i = 0; i < kChecklistRows; ++i)
        checklistChanged(i, model.checklist(static_cast<Row>(i)));
    overallChanged(model.overallVisible(), model.overallValue(), model.overallPercent());
    for (const auto& [row, r] : model.grid())
        gridRowChanged(row, r);
    statusBoxChanged(model.statusBoxVisible(), model.statusBox());
    for (const auto& [id, button] : buttons_)
        buttonChanged(id, model.buttonEnabled(id), model.buttonVisible(id));
    for (int i = 0; i < kPanelLabels; ++i) {
        panelChanged(true, i, model.panel(true, i));
        panelChanged(false, i, model.panel(false, i));
    }
}

void FrmQuillan::setBusy(bool busy) {
    busy_ = busy;
    SetWindowTextW(busyLabel_, busy ? wide(kServerBusyText).c_str() : L"");
}

void FrmQuillan::busyChanged(bool busy) {
    // The banner follows the model, which drops it once the run has reached its end (the closing
    // box may still be open); closing stays refused until the owner says the run has returned.
    SetWindowTextW(busyLabel_, busy ? wide(kServerBusyText).c_str() : L"");
}

void FrmQuillan::endProgram() {
    ending_ = true;
    if (hwnd_)
        DestroyWindow(hwnd_);
}

void FrmQuillan::after(int ms, std::function<void()> action) {
    const UINT_PTR id = nextTimer_++;
    timers_[id] = std::move(action);
    SetTimer(hwnd_, id, static_cast<UINT>(ms), nullptr);
}

void FrmQuillan::dispatch(MSG& msg) {
    const bool ours = hwnd_ && (msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd));
    // F4 and Alt+F4 are swallowed wherever the focus is: the window sees keys before its controls.
    if (ours && (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && msg.wParam == VK_F4) {
        int code = kKeyF4;
        int shift = shiftState();
        Form_KeyDown(console_, code, shift);
        return;
    }
    if (ours && IsDialogMessageW(hwnd_, &msg))
        return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void FrmQuillan::processEvents() {
    MSG msg;
    for (int i = 0; i < kMessagesPerPump && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam)); // the main loop still has to see it
            return;
        }
        dispatch(msg);
    }
}

void FrmQuillan::exitClicked() {
    if (CmdExit_Click(console_)) {
        unloaded_ = true;
        SendMessageW(hwnd_, WM_CLOSE, 0, 0);
    }
}

void FrmQuillan::viewLogClicked() {
    CmdViewLog_Click(console_);
}

void FrmQuillan::gridClicked(int row, int column) {
    const auto table = fpdata_Click(console_, column, row);
    if (!table)
        return;
    DetailView::showModal(hwnd_, *table, font_);
}

void FrmQuillan::onClose() {
    if (ending_) {
        DestroyWindow(hwnd_);
        return;
    }
    // A run is never cut off halfway: closing waits until it has ended.
    if (busy_)
        return;
    if (!unloaded_) {
        Form_Unload(console_);
        unloaded_ = true;
    }
    DestroyWindow(hwnd_);
}

LRESULT CALLBACK FrmQuillan::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<FrmQuillan*>(create->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FrmQuillan*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->onMessage(message, wParam, lParam);
}

LRESULT FrmQuillan::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            const HWND from = reinterpret_cast<HWND>(lParam);
            if (from == buttons_[Button::CmdUp])
                fold(false);
            else if (from == buttons_[Button::CmdDown])
                fold(true);
            else if (from == buttons_[Button::CmdExit])
                exitClicked();
            else if (from == buttons_[Button::CmdViewLog])
                viewLogClicked();
        }
        return 0;
    case WM_NOTIFY:
        return onNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_DRAWITEM:
        onDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CTLCOLORSTATIC: {
        auto dc = reinterpret_cast<HDC>(wParam);
        const auto it = colours_.find(reinterpret_cast<HWND>(lParam));
        SetTextColor(dc, it != colours_.end() ? it->second : GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(background_);
    }
    case WM_TIMER: {
        KillTimer(hwnd_, wParam);
        const auto it = timers_.find(wParam);
        if (it != timers_.end()) {
            auto action = std::move(it->second);
            timers_.erase(it);
            action();
        }
        return 0;
    }
    case WM_CLOSE:
        onClose();
        return 0;
    case WM_DESTROY:
        console_.model.removeObserver(this);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

LRESULT FrmQuillan::onNotify(NMHDR* header) {
    if (header->hwndFrom != grid_)
        return 0;
    if (header->code == NM_CLICK) {
        const auto* item = reinterpret_cast<const NMITEMACTIVATE*>(header);
        LVHITTESTINFO hit{};
        hit.pt = item->ptAction;
        if (ListView_SubItemHitTest(grid_, &hit) >= 0 && hit.iItem >= 0)
            gridClicked(hit.iItem + 1, hit.iSubItem + 1);
        return 0;
    }
    if (header->code == NM_CUSTOMDRAW)
        return onGridCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
    return 0;
}

LRESULT FrmQuillan::onGridCustomDraw(NMLVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
        // The "View Details" column reads as a link: blue and underlined.
        if (draw->iSubItem == kDetailLinkColumn - 1) {
            draw->clrText = RGB(0, 0, 238);
            SelectObject(draw->nmcd.hdc, link_);
            return CDRF_NEWFONT;
        }
        draw->clrText = GetSysColor(COLOR_WINDOWTEXT);
        SelectObject(draw->nmcd.hdc, font_);
        return CDRF_NEWFONT;
    default:
        return CDRF_DODEFAULT;
    }
}

void FrmQuillan::onDrawItem(const DRAWITEMSTRUCT* item) {
    // The checklist's status pictures: owner-drawn statics holding their status code.
    FillRect(item->hDC, &item->rcItem, background_);
    const auto status = static_cast<RowStatus>(GetWindowLongPtrW(item->hwndItem, GWLP_USERDATA));
    if (status < RowStatus::New || status > RowStatus::Failed)
        return;
    const int size = pictures_->size();
    const int x = item->rcItem.left + (item->rcItem.right - item->rcItem.left - size) / 2;
    const int y = item->rcItem.top + (item->rcItem.bottom - item->rcItem.top - size) / 2;
    pictures_->draw(item->hDC, status, x, y);
}

void FrmQuillan::labelChanged(Label l, const std::string& text) {
    const auto it = labels_.find(l);
    if (it == labels_.end())
        return;
    setText(it->second, text);
    if (l == Label::lblRegMessage)
        setVisible(it->second, !text.empty());
}

void FrmQuillan::labelColourChanged(Label l, const LabelColour& colour) {
    const auto it = labels_.find(l);
    if (it == labels_.end())
        return;
    if (colour.isDefault())
        colours_.erase(it->second);
    else
        colours_[it->second] = colourOf(colour);
    InvalidateRect(it->second, nullptr, TRUE);
}

void FrmQuillan::checklistChanged(int index, const ChecklistRow& row) {
    if (index < 0 || index >= kChecklistRows)
        return;
    const std::string at = "(" + std::to_string(index) + ")";
    checklistStatus_[static_cast<std::size_t>(index)] = row.status;
    HWND picture = control("Imgstatus" + at);
    SetWindowLongPtrW(picture, GWLP_USERDATA, static_cast<LONG_PTR>(row.status));
    InvalidateRect(picture, nullptr, TRUE);
    if (index == 1)
        return; // no caption, no phase: nothing of it is shown
    HWND bar = control("Prgbar" + at);
    const int maximum = std::max(1, row.barMax);
    SendMessageW(bar, PBM_SETRANGE32, 0, maximum);
    SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(std::clamp(row.barValue, 0, maximum)), 0);
    setVisible(bar, row.barVisible);
    HWND percent = control("lblPercent" + at);
    setText(percent, row.percentText);
    setVisible(percent, row.percentVisible);
}

void FrmQuillan::overallChanged(bool visible, int value, const std::string& percent) {
    HWND bar = control("Prgbar1");
    SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(std::clamp(value, 0, 100)), 0);
    setVisible(bar, visible);
    HWND label = control("lblPercent(15)");
    setText(label, percent);
    setVisible(label, visible);
}

void FrmQuillan::gridRowChanged(int row, const GridRow& r) {
    if (row < 1)
        return;
    // Rows are addressed by number; the rows before it exist (empty) so that the number holds.
    const int index = row - 1;
    for (int have = ListView_GetItemCount(grid_); have <= index; ++have) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = have;
        item.iImage = I_IMAGENONE;
        item.pszText = const_cast<wchar_t*>(L"");
        ListView_InsertItem(grid_, &item);
    }
    LVITEMW picture{};
    picture.mask = LVIF_IMAGE;
    picture.iItem = index;
    picture.iImage = StatusPictures::index(r.status);
    ListView_SetItem(grid_, &picture);
    const std::array<const std::string*, 5> texts = {&r.event, &r.processingName, &r.time, &r.percent,
                                                     &r.link};
    for (int c = 0; c < 5; ++c) {
        std::wstring text = wide(*texts[static_cast<std::size_t>(c)]);
        ListView_SetItemText(grid_, index, c + 1, text.data());
    }
    ListView_EnsureVisible(grid_, index, FALSE);
}

void FrmQuillan::statusBoxChanged(bool visible, const std::string& text) {
    SETTEXTEX how{ST_DEFAULT, 1200}; // UTF-16
    const std::wstring w = wide(text);
    SendMessageW(statusBox_, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how),
                 reinterpret_cast<LPARAM>(w.c_str()));
    SendMessageW(statusBox_, WM_VSCROLL, SB_BOTTOM, 0);
    setVisible(statusBox_, visible);
}

void FrmQuillan::buttonChanged(Button b, bool enabled, bool visible) {
    const auto it = buttons_.find(b);
    if (it == buttons_.end())
        return;
    EnableWindow(it->second, enabled);
    setVisible(it->second, visible);
}

void FrmQuillan::panelChanged(bool current, int index, const std::string& text) {
    if (index < 0 || index >= kPanelLabels)
        return;
    const auto i = static_cast<std::size_t>(index);
    HWND value = (current ? currentPanel_ : lastPanel_)[i];
    HWND title = (current ? currentTitles_ : lastTitles_)[i];
    setText(value, text);
    // Indices without a caption of their own appear only when something is written to them.
    const bool show = (current ? currentCaptioned_ : lastCaptioned_)[i] || !text.empty();
    setVisible(title, show);
    setVisible(value, show);
}

} // namespace quillan::ui::win32
