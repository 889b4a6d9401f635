#include "ui/win32/DetailView.h"

#include "ui/win32/WideText.h"

#include <commctrl.h>

#include <array>

namespace quillan::ui::win32 {

namespace {

constexpr const wchar_t* kWindowClass = L"FrmShowDetails";
constexpr int kCloseId = 1;
// Column widths 25 and 15 in the grid's character units.
constexpr int kNameChars = 25;
constexpr int kDateChars = 15;

struct View {
    HWND grid = nullptr;
    HWND close = nullptr;
    bool done = false;
};

LRESULT CALLBACK viewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* view = reinterpret_cast<View*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == kCloseId || LOWORD(wParam) == IDCANCEL)
            DestroyWindow(hwnd);
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        if (view)
            view->done = true;
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

int charWidth(HWND control, HFONT font) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{8, 0};
    GetTextExtentPoint32W(dc, L"0", 1, &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size.cx;
}

void fill(HWND grid, const DetailTable& table, HFONT font) {
    const int unit = charWidth(grid, font);
    for (std::size_t c = 0; c < table.headers.size(); ++c) {
        std::wstring header = wide(table.headers[c]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = (c == 0 ? kNameChars : kDateChars) * unit;
        column.pszText = header.data();
        ListView_InsertColumn(grid, static_cast<int>(c), &column);
    }
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const auto& row = table.rows[r];
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(r);
        std::wstring first = row.empty() ? std::wstring() : wide(row[0]);
        item.pszText = first.data();
        ListView_InsertItem(grid, &item);
        for (std::size_t c = 1; c < row.size() && c < table.headers.size(); ++c) {
            std::wstring cell = wide(row[c]);
            ListView_SetItemText(grid, static_cast<int>(r), static_cast<int>(c), cell.data());
        }
    }
}

} // namespace

void DetailView::showModal(HWND owner, const DetailTable& table, HFONT font) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = viewProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);

    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen)
        ReleaseDC(nullptr, screen);
    auto px = [dpi](int units) { return MulDiv(units, dpi, 96); };
    RECT frame{0, 0, px(520), px(360)};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    RECT ownerRect{0, 0, 0, 0};
    GetWindowRect(owner, &ownerRect);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const int x = ownerRect.left + (ownerRect.right - ownerRect.left - width) / 2;
    const int y = ownerRect.top + (ownerRect.bottom - ownerRect.top - height) / 2;

    View view;
    HWND hwnd = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kWindowClass, L"Quillan", style, x,
                                y, width, height, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!hwnd)
        return;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&view));
    view.grid = CreateWindowExW(
        0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL,
        px(10), px(10), px(500), px(300), hwnd, nullptr, GetModuleHandleW(nullptr), nullptr);
    ListView_SetExtendedListViewStyle(view.grid, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    view.close = CreateWindowExW(
        0, WC_BUTTONW, L"&Close", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, px(420), px(322),
        px(90), px(26), hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCloseId)),
        GetModuleHandleW(nullptr), nullptr);
    for (HWND c : {view.grid, view.close})
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    fill(view.grid, table, font);

    EnableWindow(owner, FALSE);
    ShowWindow(hwnd, SW_SHOW);
    SetFocus(view.close);
    // The view's own loop, as a dialog's: it ends when the view is destroyed. A quit request is
    // handed on to the main loop.
    MSG msg;
    while (!view.done) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            PostQuitMessage(got == 0 ? static_cast<int>(msg.wParam) : 1);
            DestroyWindow(hwnd);
            break;
        }
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            DestroyWindow(hwnd);
            continue;
        }
        if (IsDialogMessageW(hwnd, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
}

} // namespace quillan::ui::win32
