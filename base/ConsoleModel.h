#pragma once
// Everything the main window shows, as plain data. The console core writes here; views (the Qt
// window, the headless text view, test recorders) observe the changes. No view type leaks in.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace quillan {

// Status codes of checklist rows and event-grid rows.
enum class RowStatus { New = 1, InProgress = 2, Completed = 3, Failed = 4 };

struct ChecklistRow {
    RowStatus status = RowStatus::New;
    bool barVisible = false;
    int barValue = 0;
    int barMax = 100;
    bool percentVisible = false;
    std::string percentText;
};

struct GridRow {
    RowStatus status = RowStatus::New;
    std::string event;          // column 2
    std::string processingName; // column 3
    std::string time;           // column 4, "DD/MM/YYYY HH:MM:SS"
    std::string percent;        // column 5
    std::string link;           // column 6 ("View Details")
};

// The labels of the main window that the core writes.
enum class Label {
    LblStatus,         // last error or state sentence
    lblPrs,            // run state
    lblDl,             // current phase
    lblDownLoad,       // current item
    lblLocation,       // its location
    LblDLoad,          // transfer mode
    LblDFLoad,         // transfer mode (second label)
    lblStTime,         // start time
    lblEndTime,        // finish time
    LblDeployProgress, // notice area
    lblRegMessage,     // registration message
};

// A label's text colour; Default is the window's own.
struct LabelColour {
    int red = -1, green = -1, blue = -1; // -1: the default colour
    bool isDefault() const { return red < 0; }
    bool operator==(const LabelColour&) const = default;
};
inline constexpr LabelColour kRed{255, 0, 0};
inline constexpr LabelColour kGreen{0, 128, 0};

enum class Button { CmdViewLog, CmdExit, CmdUp, CmdDown };

constexpr int kChecklistRows = 15; // indices 0 to 14; row 1 has no caption and no phase

// The checklist's rows, top to bottom, by the step each one shows. The values are the rows' indices
// (0 to 14), which the views and the captions are laid out by.
enum class Row : int {
    ConnectionCheck = 0,
    Unused = 1, // no caption and no phase
    ScriptDownload = 2,
    ScriptImport = 3,
    ProgramDownload = 4,
    Unpacking = 5,
    DatabaseBackup = 6,
    FileBackup = 7,
    Hotfixes = 8,
    ReplaceExes = 9,
    ReplaceReports = 10,
    ReplaceOtherFiles = 11,
    Registration = 12,
    RemovingFiles = 13,
    RollBackForError = 14,
};
constexpr int rowIndex(Row r) {
    return static_cast<int>(r);
}
constexpr int kPanelLabels = 8;

// What a long step counts as it goes: bytes (downloads, copies, the split join), percent (the
// database backup's events) or items (scripts).
enum class AmountUnit { Bytes, Percent, Items }; // LblCDpStatus(i), lblLastDepStatus(i)

// Checklist captions; a doubled "&&" shows one ampersand.
const std::array<const char*, kChecklistRows>& checklistCaptions();
// Event-grid header texts, columns 1 to 6.
const std::array<const char*, 6>& gridHeaders();
// "whole part of value * 100 / maximum" followed by " %"; "0 %" when maximum is 0.
std::string percentText(long long value, long long maximum);
// The one form the grid's "Status %" column shows: a percent label's text ("35 %", "35%", the
// bare "35" or "35.7142857142857" some transports write) as its whole part followed by " %".
// An empty text stays empty; a text without a leading number is kept as it is.
std::string gridPercentText(const std::string& labelText);

class ModelObserver {
public:
    virtual ~ModelObserver() = default;
    virtual void labelChanged(Label, const std::string& text) { (void)text; }
    virtual void labelColourChanged(Label, const LabelColour&) {}
    virtual void checklistChanged(int index, const ChecklistRow&) { (void)index; }
    virtual void overallChanged(bool visible, int value, const std::string& percent) {
        (void)visible, (void)value, (void)percent;
    }
    virtual void gridRowChanged(int row, const GridRow&) { (void)row; }
    virtual void statusBoxChanged(bool visible, const std::string& text) { (void)visible, (void)text; }
    virtual void buttonChanged(Button, bool enabled, bool visible) { (void)enabled, (void)visible; }
    virtual void panelChanged(bool current, int index, const std::string& text) {
        (void)current, (void)index, (void)text;
    }
    // Start-up or a run is going ("PLEASE WAIT... OPERATION IN PROGRESS"), or no longer is.
    virtual void busyChanged(bool busy) { (void)busy; }
    // Long work calls this after each item so that a window can repaint and take input.
    virtual void processEvents() {}
    // The amount a long step has done, at every report (not throttled: a view that prints it
    // decides how often).
    virtual void amountDone(int index, std::uint64_t done, std::uint64_t total, AmountUnit unit) {
        (void)index, (void)done, (void)total, (void)unit;
    }
};

class ConsoleModel {
public:
    void addObserver(ModelObserver* o) { observers_.push_back(o); }
    void removeObserver(ModelObserver* o);

    void setLabel(Label l, const std::string& text);
    const std::string& label(Label l) const;
    void setLabelColour(Label l, const LabelColour& colour);
    LabelColour labelColour(Label l) const;

    void setChecklist(Row row, const ChecklistRow& value);
    const ChecklistRow& checklist(Row row) const {
        return checklist_.at(static_cast<std::size_t>(rowIndex(row)));
    }
    void resetChecklist(); // every row New, bar hidden at 0, percent label empty and hidden

    void setOverall(bool visible, int value); // maximum 100; label follows percentText
    int overallValue() const { return overallValue_; }
    bool overallVisible() const { return overallVisible_; }
    const std::string& overallPercent() const { return overallPercent_; }

    // Writing a row again overwrites it; the percent is kept in the grid's one form
    // (gridPercentText). A row written completed or failed stops following its checklist row;
    // written failed, it keeps the percent its step had reached.
    void setGridRow(int row, const GridRow& r);
    void setGridLink(int row, const std::string& link);
    // While the grid row is in progress its "Status %" cell follows the checklist row's percent
    // label, so that a long download shows how far it is, not the text it started with.
    void followInGrid(int gridRow, Row row);
    const std::map<int, GridRow>& grid() const { return grid_; }

    void setStatusBox(const std::string& text); // replaces the whole text
    void setStatusBoxVisible(bool visible);
    const std::string& statusBox() const { return statusBox_; }
    bool statusBoxVisible() const { return statusBoxVisible_; }

    void setButton(Button b, bool enabled, bool visible = true);
    bool buttonEnabled(Button b) const;
    bool buttonVisible(Button b) const;

    void setPanel(bool current, int index, const std::string& text); // LblCDpStatus / lblLastDepStatus
    const std::string& panel(bool current, int index) const;

    // The busy notice: start-up and the run set it, the end of the run clears it.
    void setBusy(bool busy);
    bool busy() const { return busy_; }

    void processEvents();
    // Tells the observers how far a row's long step is (nothing is kept).
    void reportAmount(Row row, std::uint64_t done, std::uint64_t total, AmountUnit unit);

private:
    std::vector<ModelObserver*> observers_;
    std::map<Label, std::string> labels_;
    // The status line reads as an error until the run's end says otherwise: every other sentence
    // written to it is a failure's.
    std::map<Label, LabelColour> labelColours_{{Label::LblStatus, kRed}};
    std::array<ChecklistRow, kChecklistRows> checklist_{};
    bool overallVisible_ = false;
    int overallValue_ = 0;
    std::string overallPercent_;
    std::map<int, GridRow> grid_;
    std::map<int, Row> gridFollows_; // grid row -> the checklist row its percent follows
    bool busy_ = false;
    std::string statusBox_;
    bool statusBoxVisible_ = false;
    std::map<Button, std::pair<bool, bool>> buttons_;
    std::array<std::string, kPanelLabels> currentPanel_{}, lastPanel_{};
};

} // namespace quillan
