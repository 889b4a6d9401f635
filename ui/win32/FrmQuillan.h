#pragma once
// The main window as a native Win32 window: the same view of the console's model as the Qt window
// (checklist, overall bar, event grid, status box, labels, deployment panels, buttons), built from
// the system's common controls. It hands the operator's commands to the console core and never
// steers a run: the owner marks it busy while start-up or the run is going.
#include "base/Console.h"
#include "ui/win32/StatusPictures.h"

#include <windows.h>

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace quillan::ui::win32 {

class FrmQuillan : public ModelObserver {
public:
    FrmQuillan(Console& console, const std::filesystem::path& programFolder);
    ~FrmQuillan() override;
    FrmQuillan(const FrmQuillan&) = delete;
    FrmQuillan& operator=(const FrmQuillan&) = delete;

    HWND handle() const { return hwnd_; }
    void show();
    // While busy (start-up or the run going) closing is refused and the busy notices show.
    void setBusy(bool busy);
    bool busy() const { return busy_; }
    // The core decided that the program ends now: close at once, without the unload processing.
    void endProgram();
    bool closed() const { return hwnd_ == nullptr; }
    // Calls `action` once, `ms` milliseconds from now, from the window's message loop.
    void after(int ms, std::function<void()> action);
    // Heights of the folded and unfolded client area in pixels (proportion 3000 : 9285).
    int foldedHeight() const;
    int unfoldedHeight() const;
    // A control by the name the console gives it ("Prgbar(4)", "lblPercent(15)", "Fpdata", ...).
    HWND control(const std::string& name) const;
    const StatusPictures& pictures() const { return *pictures_; }
    RowStatus checklistStatus(int index) const {
        return checklistStatus_.at(static_cast<std::size_t>(index));
    }

    // One message of the window's loop: the F4 guard and keyboard navigation, then dispatch.
    void dispatch(MSG& msg);
    // The operator's commands, as the buttons and the grid call them.
    void fold(bool unfold);
    void exitClicked();
    void viewLogClicked();
    void gridClicked(int row, int column); // the grid's numbers (1 = first event row / column)

    // ModelObserver
    void labelChanged(Label, const std::string& text) override;
    void labelColourChanged(Label, const LabelColour&) override;
    void checklistChanged(int index, const ChecklistRow&) override;
    void overallChanged(bool visible, int value, const std::string& percent) override;
    void gridRowChanged(int row, const GridRow&) override;
    void statusBoxChanged(bool visible, const std::string& text) override;
    void buttonChanged(Button, bool enabled, bool visible) override;
    void panelChanged(bool current, int index, const std::string& text) override;
    void busyChanged(bool busy) override;
    void processEvents() override;

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onNotify(NMHDR* header);
    LRESULT onGridCustomDraw(NMLVCUSTOMDRAW* draw);
    void onDrawItem(const DRAWITEMSTRUCT* item);
    void onClose();

    // FrmQuillanLayout.cpp: creates and places every control.
    void createControls();
    HWND addControl(const std::string& name, const wchar_t* cls, const wchar_t* text, DWORD style, int x,
                    int y, int width, int height, int id = 0);
    int px(int units) const; // 96-dpi units to this display's pixels
    void renderAll();

    Console& console_;
    HWND hwnd_ = nullptr;
    int dpi_ = 96;
    std::unique_ptr<StatusPictures> pictures_;
    HBITMAP logo_ = nullptr;
    HFONT font_ = nullptr, bold_ = nullptr, title_ = nullptr, mono_ = nullptr, link_ = nullptr;
    HBRUSH background_ = nullptr;
    std::map<std::string, HWND> controls_;
    std::map<Label, HWND> labels_;
    std::map<HWND, COLORREF> colours_;
    std::map<Button, HWND> buttons_;
    std::array<RowStatus, kChecklistRows> checklistStatus_{};
    std::array<HWND, kPanelLabels> currentPanel_{}, lastPanel_{}, currentTitles_{}, lastTitles_{};
    std::array<bool, kPanelLabels> currentCaptioned_{}, lastCaptioned_{};
    HWND grid_ = nullptr;
    HWND statusBox_ = nullptr;
    HWND busyLabel_ = nullptr;
    int topHeight_ = 0;
    int clientWidth_ = 0;
    bool busy_ = false;
    bool ending_ = false;
    bool unloaded_ = false;
    std::map<UINT_PTR, std::function<void()>> timers_;
    UINT_PTR nextTimer_ = 1;
};

} // namespace quillan::ui::win32
