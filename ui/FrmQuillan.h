#pragma once
// The main window. It renders the console's model (checklist, overall bar, event grid, status box,
// labels, deployment panels, buttons) and hands the operator's commands to the console core. It
// never steers a run: the owner marks it busy while start-up or the run is going.
#include "base/Console.h"
#include "console/Startup.h"
#include "ui/StatusPictures.h"

#include <QWidget>

#include <array>
#include <filesystem>
#include <map>

class QLabel;
class QProgressBar;
class QPushButton;
class QPlainTextEdit;
class QTableWidget;

namespace quillan::ui {

// The notices shown while a run keeps the window busy; the texts are the console's.
using quillan::kRequestPendingText;
using quillan::kServerBusyText;

class FrmQuillan : public QWidget, public ModelObserver {
    Q_OBJECT
public:
    FrmQuillan(Console& console, const std::filesystem::path& programFolder, QWidget* parent = nullptr);
    ~FrmQuillan() override;

    // While busy (start-up or the run going) closing is refused and the busy notices show. The
    // notices also follow the model's busy state, which the run clears as soon as its outcome is
    // written, while closing stays refused until the run has returned.
    void setBusy(bool busy);
    bool busy() const { return busy_; }
    // The core decided that the program ends now: close at once, without the unload processing.
    void endProgram();
    // Heights of the folded and unfolded window in pixels (proportion 3000 : 9285).
    int foldedHeight() const;
    int unfoldedHeight() const;
    const StatusPictures& pictures() const { return pictures_; }

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

signals:
    void detailShown(); // a detail view was opened (tests wait for it)

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    struct ChecklistWidgets {
        QLabel* picture = nullptr;
        QLabel* caption = nullptr;
        QProgressBar* bar = nullptr;
        QLabel* percent = nullptr;
    };

    QWidget* buildTop();
    QWidget* buildLower();
    QWidget* buildPanel(bool current);
    void renderAll();
    void applyGeometry(bool unfold);
    void onGridClicked(int tableRow, int tableColumn);
    void onExit();
    void onViewLog();
    void showBusyNotice(bool busy);

    Console& console_;
    StatusPictures pictures_;
    QWidget* canvas_ = nullptr;
    QWidget* top_ = nullptr;
    std::array<ChecklistWidgets, kChecklistRows> checklist_{};
    QProgressBar* overallBar_ = nullptr;
    QLabel* overallPercent_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QPlainTextEdit* statusBox_ = nullptr;
    QLabel* busyLabel_ = nullptr;
    std::map<Label, QLabel*> labels_;
    std::map<Button, QPushButton*> buttons_;
    std::array<QLabel*, kPanelLabels> currentPanel_{}, lastPanel_{};
    std::array<QLabel*, kPanelLabels> currentTitles_{}, lastTitles_{};
    bool busy_ = false;
    bool ending_ = false;
    bool unloaded_ = false;
};

} // namespace quillan::ui
