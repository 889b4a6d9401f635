// The main window's controls and where they sit, in 96-dpi units scaled to the display. The upper
// part (title row, checklist, overall bar, buttons) is what the folded window shows; the lower
// part holds the phase labels, the deployment panels, the status box and the event grid.
#include "ui/win32/FrmQuillan.h"

#include "console/Commands.h"
#include "ui/win32/WideText.h"

#include <commctrl.h>
#include <richedit.h>

namespace quillan::ui::win32 {

namespace {

constexpr int kClientWidth = 1000;
constexpr int kMargin = 10;
constexpr int kRowHeight = 22;
constexpr int kChecklistColumns = 2;
constexpr int kRowsPerColumn = 7;

// Captions beside the panel labels, by index; the indices the status panel writes.
constexpr std::array<const char*, kPanelLabels> kCurrentCaptions = {
    "Server Date", "Version", "", "Size of the Deployment file", "Exe Files", "RPT Files", "RTM Files", ""};
constexpr std::array<const char*, kPanelLabels> kLastCaptions = {"",          "Version",   "", "Exe Files",
                                                                 "RPT Files", "RTM Files", "", ""};

// A doubled "&&" shows one ampersand: the statics keep SS_NOPREFIX off for it.
std::wstring caption(const char* text) {
    return wide(text);
}

HFONT makeFont(const LOGFONTW& base, int height, int weight, bool underline = false,
               const wchar_t* face = nullptr) {
    LOGFONTW f = base;
    if (height != 0)
        f.lfHeight = height;
    f.lfWeight = weight;
    f.lfUnderline = underline ? TRUE : FALSE;
    if (face)
        lstrcpynW(f.lfFaceName, face, LF_FACESIZE);
    return CreateFontIndirectW(&f);
}

} // namespace

HWND FrmQuillan::addControl(const std::string& name, const wchar_t* cls, const wchar_t* text, DWORD style,
                            int x, int y, int width, int height, int id) {
    HWND h = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, px(x), px(y), px(width), px(height),
                             hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             GetModuleHandleW(nullptr), nullptr);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    if (!name.empty())
        controls_[name] = h;
    return h;
}

void FrmQuillan::createControls() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTW base = metrics.lfMessageFont;
    base.lfHeight = -MulDiv(8, dpi_, 72);
    font_ = makeFont(base, 0, FW_NORMAL);
    bold_ = makeFont(base, 0, FW_BOLD);
    title_ = makeFont(base, -MulDiv(14, dpi_, 72), FW_BOLD);
    link_ = makeFont(base, 0, FW_NORMAL, true);
    mono_ = makeFont(base, -MulDiv(8, dpi_, 72), FW_NORMAL, false, L"Courier New");
    clientWidth_ = px(kClientWidth);

    auto label = [&](Label id, const char* name, int x, int y, int width, int height = 16,
                     DWORD style = SS_LEFT | SS_NOPREFIX) {
        HWND h = addControl(name, WC_STATICW, L"", style, x, y, width, height);
        labels_[id] = h;
        return h;
    };
    auto text = [&](const wchar_t* t, int x, int y, int width, int height = 16) {
        return addControl("", WC_STATICW, t, SS_LEFT | SS_NOPREFIX, x, y, width, height);
    };

    // Title row: logo, name, run state, transfer mode, start and finish times.
    int x = kMargin;
    if (logo_) {
        HWND logo = addControl("imgLogo", WC_STATICW, L"", SS_BITMAP, x, 8, 48, 32);
        SendMessageW(logo, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo_));
        x += 56;
    }
    HWND title = text(L"Quillan", x, 10, 150, 28);
    SendMessageW(title, WM_SETFONT, reinterpret_cast<WPARAM>(title_), FALSE);
    colours_[title] = RGB(0x1f, 0x3f, 0x7a);
    text(L"State:", 300, 8, 60);
    SendMessageW(label(Label::lblPrs, "lblPrs", 365, 8, 150), WM_SETFONT, reinterpret_cast<WPARAM>(bold_),
                 FALSE);
    text(L"Transfer:", 300, 26, 60);
    label(Label::LblDFLoad, "LblDFLoad", 365, 26, 150);
    text(L"Started:", 560, 8, 60);
    label(Label::lblStTime, "lblStTime", 625, 8, 150);
    text(L"Finished:", 560, 26, 60);
    label(Label::lblEndTime, "lblEndTime", 625, 26, 150);
    addControl("", WC_STATICW, L"", SS_ETCHEDHORZ, kMargin, 48, kClientWidth - 2 * kMargin, 2);

    // The checklist in two columns; row 1 has no caption and no phase, so it takes no place.
    const int columnWidth = (kClientWidth - 2 * kMargin) / kChecklistColumns;
    int shown = 0;
    for (int i = 0; i < kChecklistRows; ++i) {
        const std::string at = "(" + std::to_string(i) + ")";
        const int cx = kMargin + (shown / kRowsPerColumn) * columnWidth;
        const int cy = 56 + (shown % kRowsPerColumn) * kRowHeight;
        const DWORD hidden = i == 1 ? 0 : WS_VISIBLE;
        auto place = [&](const std::string& name, const wchar_t* cls, const wchar_t* t, DWORD style, int dx,
                         int dy, int w, int h) {
            HWND c = addControl(name, cls, t, style, cx + dx, cy + dy, w, h);
            if (!hidden)
                ShowWindow(c, SW_HIDE);
            return c;
        };
        place("Imgstatus" + at, WC_STATICW, L"", SS_OWNERDRAW, 0, 1, 18, 18);
        place("lblCaption" + at, WC_STATICW,
              caption(checklistCaptions()[static_cast<std::size_t>(i)]).c_str(), SS_LEFT, 24, 3, 230, 16);
        place("Prgbar" + at, PROGRESS_CLASSW, L"", 0, 260, 4, 150, 13);
        place("lblPercent" + at, WC_STATICW, L"", SS_RIGHT | SS_NOPREFIX, 414, 3, 50, 16);
        if (i != 1)
            ++shown;
    }

    // The overall bar Prgbar1 with lblPercent(15).
    const int overallY = 56 + kRowsPerColumn * kRowHeight + 8;
    SendMessageW(text(L"Overall progress", kMargin, overallY + 1, 120), WM_SETFONT,
                 reinterpret_cast<WPARAM>(bold_), FALSE);
    HWND overall = addControl("Prgbar1", PROGRESS_CLASSW, L"", 0, 135, overallY, kClientWidth - 135 - 80, 16);
    SendMessageW(overall, PBM_SETRANGE32, 0, 100);
    addControl("lblPercent(15)", WC_STATICW, L"", SS_RIGHT | SS_NOPREFIX, kClientWidth - 75, overallY + 1, 65,
               16);

    // The buttons and the busy notice. Fold and unfold share a place: one of them shows at a time.
    const int buttonY = overallY + 28;
    const DWORD push = BS_PUSHBUTTON | WS_TABSTOP;
    buttons_[Button::CmdUp] = addControl("CmdUp", WC_BUTTONW, L"&Fold", push, kMargin, buttonY, 90, 26);
    buttons_[Button::CmdDown] = addControl("CmdDown", WC_BUTTONW, L"&Unfold", push, kMargin, buttonY, 90, 26);
    busyLabel_ = addControl("lblBusy", WC_STATICW, L"", SS_LEFT | SS_NOPREFIX, 115, buttonY + 5, 600, 16);
    SendMessageW(busyLabel_, WM_SETFONT, reinterpret_cast<WPARAM>(bold_), FALSE);
    colours_[busyLabel_] = RGB(0xa0, 0x5a, 0x00);
    buttons_[Button::CmdViewLog] =
        addControl("CmdViewLog", WC_BUTTONW, L"View &Log", push, kClientWidth - 200, buttonY, 90, 26);
    buttons_[Button::CmdExit] =
        addControl("CmdExit", WC_BUTTONW, L"E&xit", push, kClientWidth - 100, buttonY, 90, 26);
    const int lowerY = buttonY + 36;
    topHeight_ = px(lowerY);

    // The phase labels. lblDl names the phase in words that end in their own colon
    // ("Extracting        :"), so it is the caption of the item line rather than a value beside
    // a caption of ours.
    label(Label::lblDl, "lblDl", kMargin, lowerY + 6, 120);
    label(Label::lblDownLoad, "lblDownLoad", kMargin + 125, lowerY + 6, 220, 16,
          SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS);
    text(L"Location:", kMargin, lowerY + 26, 120);
    label(Label::lblLocation, "lblLocation", kMargin + 125, lowerY + 26, 220, 16,
          SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS);
    text(L"Transfer mode:", kMargin, lowerY + 46, 120);
    label(Label::LblDLoad, "LblDLoad", kMargin + 125, lowerY + 46, 220);
    SendMessageW(label(Label::LblStatus, "LblStatus", kMargin, lowerY + 72, 345, 32), WM_SETFONT,
                 reinterpret_cast<WPARAM>(bold_), FALSE);
    label(Label::LblDeployProgress, "LblDeployProgress", kMargin, lowerY + 108, 345, 32);
    HWND reg = label(Label::lblRegMessage, "lblRegMessage", kMargin, lowerY + 144, 345, 16);
    colours_[reg] = RGB(0x1f, 0x3f, 0x7a);
    ShowWindow(reg, SW_HIDE);

    // The deployment panels.
    auto panel = [&](bool current, int px0, int width) {
        const auto& captions = current ? kCurrentCaptions : kLastCaptions;
        auto& values = current ? currentPanel_ : lastPanel_;
        auto& titles = current ? currentTitles_ : lastTitles_;
        auto& captioned = current ? currentCaptioned_ : lastCaptioned_;
        HWND box = addControl(current ? "fraCurrentDeployment" : "fraLastDeployment", WC_BUTTONW,
                              current ? L"Current Deployment" : L"Last Deployment", BS_GROUPBOX, px0, lowerY,
                              width, 184);
        SetWindowPos(box, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        int row = 0;
        for (int i = 0; i < kPanelLabels; ++i) {
            const auto at = static_cast<std::size_t>(i);
            const int y = lowerY + 20 + row * 20;
            const std::string name =
                std::string(current ? "LblCDpStatus(" : "lblLastDepStatus(") + std::to_string(i) + ")";
            titles[at] = text(wide(std::string(captions[at]) + (captions[at][0] ? ":" : "")).c_str(), px0 + 8,
                              y, width - 96);
            values[at] =
                addControl(name, WC_STATICW, L"", SS_RIGHT | SS_NOPREFIX, px0 + width - 88, y, 80, 16);
            SendMessageW(values[at], WM_SETFONT, reinterpret_cast<WPARAM>(bold_), FALSE);
            captioned[at] = captions[at][0] != '\0';
            ShowWindow(titles[at], captioned[at] ? SW_SHOWNA : SW_HIDE);
            ShowWindow(values[at], captioned[at] ? SW_SHOWNA : SW_HIDE);
            ++row;
        }
    };
    panel(true, 365, 300);
    panel(false, 675, kClientWidth - 675 - kMargin);

    // The status box RchBox, as wide as the window so that a log line reads whole; hidden until
    // the run first shows it.
    const int boxY = lowerY + 192;
    statusBox_ = addControl("RchBox", MSFTEDIT_CLASS, L"",
                            WS_BORDER | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                                ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                            kMargin, boxY, kClientWidth - 2 * kMargin, 112);
    SendMessageW(statusBox_, WM_SETFONT, reinterpret_cast<WPARAM>(mono_), FALSE);
    SendMessageW(statusBox_, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(GetSysColor(COLOR_WINDOW)));
    ShowWindow(statusBox_, SW_HIDE);

    // The event grid Fpdata: a report list with the status pictures in column 1.
    const int gridY = boxY + 120;
    const int unfolded = MulDiv(lowerY, kUnfoldedTwips, kFoldedTwips);
    grid_ =
        addControl("Fpdata", WC_LISTVIEWW, L"",
                   WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                   kMargin, gridY, kClientWidth - 2 * kMargin, unfolded - gridY - kMargin);
    ListView_SetExtendedListViewStyle(grid_, LVS_EX_GRIDLINES | LVS_EX_SUBITEMIMAGES | LVS_EX_DOUBLEBUFFER);
    ListView_SetImageList(grid_, pictures_->imageList(), LVSIL_SMALL);
    const std::array<int, 6> widths = {30, 190, 250, 140, 70, 270};
    for (int c = 0; c < 6; ++c) {
        std::wstring header = wide(gridHeaders()[static_cast<std::size_t>(c)]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = c == 4 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = px(widths[static_cast<std::size_t>(c)]);
        column.pszText = header.data();
        ListView_InsertColumn(grid_, c, &column);
    }
}

} // namespace quillan::ui::win32
