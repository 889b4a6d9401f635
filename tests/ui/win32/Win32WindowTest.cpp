// The native Win32 main window under Wine: it renders the console's model, keeps the banner and
// the closing guard apart, swallows F4 and folds in the proportion of the two heights.
#include "base/Console.h"
#include "console/Commands.h"
#include "ui/win32/FrmQuillan.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace quillan {
namespace {

using ui::win32::FrmQuillan;

struct SilentOperator : Operator {
    void inform(const std::string& text) override { informed += text + "\n"; }
    bool askYesNo(Question, const std::string&) override { return false; }
    bool askOkCancel(Question, const std::string&) override { return false; }
    std::string informed;
};

std::string textOf(HWND h) {
    wchar_t buffer[512] = {};
    GetWindowTextW(h, buffer, 512);
    std::string out;
    for (const wchar_t* p = buffer; *p; ++p)
        out += static_cast<char>(*p < 0x80 ? *p : '?');
    return out;
}

bool shown(HWND h) {
    return (GetWindowLongPtrW(h, GWL_STYLE) & WS_VISIBLE) != 0;
}

std::string cell(HWND grid, int row, int column) {
    wchar_t buffer[256] = {};
    ListView_GetItemText(grid, row, column, buffer, 256);
    std::string out;
    for (const wchar_t* p = buffer; *p; ++p)
        out += static_cast<char>(*p);
    return out;
}

class Win32WindowTest : public ::testing::Test {
protected:
    Win32WindowTest()
        : folder(std::filesystem::temp_directory_path() / "quillan-win32-window"), console(folder, op) {
        std::filesystem::create_directories(folder); // no Images: the pictures are drawn
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        LoadLibraryW(L"Msftedit.dll");
        window = std::make_unique<FrmQuillan>(console, folder);
    }
    void SetUp() override {
        if (!window->handle())
            GTEST_SKIP() << "no window station (Wine without a display)";
    }
    std::filesystem::path folder;
    SilentOperator op;
    Console console;
    std::unique_ptr<FrmQuillan> window;
};

TEST_F(Win32WindowTest, ChecklistGridStatusBoxAndPanelsFollowTheModel) {
    ChecklistRow moving;
    moving.status = RowStatus::InProgress;
    moving.barVisible = moving.percentVisible = true;
    moving.barValue = 37;
    moving.percentText = "37 %";
    console.model.setChecklist(Row::ProgramDownload, moving);
    EXPECT_EQ(window->checklistStatus(4), RowStatus::InProgress);
    EXPECT_TRUE(shown(window->control("Prgbar(4)")));
    EXPECT_EQ(SendMessageW(window->control("Prgbar(4)"), PBM_GETPOS, 0, 0), 37);
    EXPECT_EQ(textOf(window->control("lblPercent(4)")), "37 %");
    EXPECT_FALSE(shown(window->control("Prgbar(5)")));
    EXPECT_FALSE(shown(window->control("Imgstatus(1)"))) << "row 1 has no caption and no phase";
    EXPECT_FALSE(window->pictures().fromFile(RowStatus::Completed));

    HWND grid = window->control("Fpdata");
    console.model.setGridRow(3, {RowStatus::Failed, "Updating new downloads info...", "x.xml",
                                 "07/12/2026 19:10:02", "0 %", "Show Exes"});
    ASSERT_EQ(ListView_GetItemCount(grid), 3) << "rows keep their numbers";
    EXPECT_EQ(cell(grid, 2, 1), "Updating new downloads info...");
    EXPECT_EQ(cell(grid, 2, 4), "0 %");
    EXPECT_EQ(cell(grid, 2, 5), "Show Exes");
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = 2;
    ListView_GetItem(grid, &item);
    EXPECT_EQ(item.iImage, 3) << "the failed picture";

    console.model.setStatusBoxVisible(true);
    console.model.setStatusBox(">>-Downloading script File");
    EXPECT_TRUE(shown(window->control("RchBox")));
    EXPECT_EQ(textOf(window->control("RchBox")), ">>-Downloading script File");

    EXPECT_FALSE(shown(window->control("LblCDpStatus(7)")));
    console.model.setPanel(true, 7, "extra");
    EXPECT_TRUE(shown(window->control("LblCDpStatus(7)"))) << "an index without caption shows once written";
    console.model.setPanel(false, 1, "8");
    EXPECT_EQ(textOf(window->control("lblLastDepStatus(1)")), "8");

    window->gridClicked(3, 6);
    EXPECT_EQ(op.informed, "") << "a link before the run has ended opens nothing and says nothing";
}

TEST_F(Win32WindowTest, BannerFollowsTheModelClosingWaitsForTheRunAndF4IsSwallowed) {
    window->setBusy(true);
    console.model.setBusy(true);
    EXPECT_EQ(textOf(window->control("lblBusy")), "PLEASE WAIT... OPERATION IN PROGRESS");
    console.model.setBusy(false); // the run reached its end; its closing box may still be open
    EXPECT_EQ(textOf(window->control("lblBusy")), "");

    SendMessageW(window->handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(window->closed()) << "closing is refused while the run is going";

    window->setBusy(false);
    MSG altF4{window->control("CmdExit"), WM_SYSKEYDOWN, VK_F4, LPARAM{1} << 29, 0, {0, 0}};
    window->dispatch(altF4);
    window->processEvents();
    EXPECT_FALSE(window->closed()) << "Alt+F4 is swallowed wherever the focus is";
    SendMessageW(window->handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(window->closed());
}

TEST_F(Win32WindowTest, FoldAndUnfoldKeepTheProportionOfTheTwoHeights) {
    auto clientHeight = [&] {
        RECT r{};
        GetClientRect(window->handle(), &r);
        return static_cast<int>(r.bottom - r.top);
    };
    window->fold(false);
    EXPECT_NEAR(clientHeight(), window->foldedHeight(), 1);
    EXPECT_FALSE(console.model.buttonVisible(Button::CmdUp));
    window->fold(true);
    EXPECT_NEAR(clientHeight(), window->unfoldedHeight(), 1);
    EXPECT_NEAR(double(window->unfoldedHeight()) / window->foldedHeight(),
                double(kUnfoldedTwips) / kFoldedTwips, 0.01);
}

} // namespace
} // namespace quillan
