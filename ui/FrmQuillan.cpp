#include "ui/FrmQuillan.h"

#include "console/Commands.h"
#include "console/DetailLinks.h"
#include "ui/FrmShowDetails.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace quillan::ui {

namespace {

constexpr int kMinimumWidth = 960;

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// Key codes and shift state as the console's key handler knows them.
int keyCode(const QKeyEvent* e) {
    const int key = e->key();
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 112 + (key - Qt::Key_F1);
    return key < 0x80 ? key : 0;
}

int shiftState(Qt::KeyboardModifiers m) {
    return (m.testFlag(Qt::ShiftModifier) ? 1 : 0) | (m.testFlag(Qt::ControlModifier) ? 2 : 0) |
           (m.testFlag(Qt::AltModifier) ? 4 : 0);
}

} // namespace

FrmQuillan::FrmQuillan(Console& console, const std::filesystem::path& programFolder, QWidget* parent)
    : QWidget(parent), console_(console), pictures_(programFolder) {
    setObjectName("frmQuillan");
    setWindowTitle("Quillan");
    canvas_ = new QWidget(this);
    canvas_->setObjectName("canvas");
    top_ = buildTop();
    QWidget* lower = buildLower();
    auto* layout = new QVBoxLayout(canvas_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(top_);
    layout->addWidget(lower, 1);

    // The folded window shows exactly the upper part; the unfolded one keeps the proportion of
    // the two heights. The canvas always has the unfolded size: folding clips it.
    top_->setFixedHeight(foldedHeight());
    const int width = std::max(kMinimumWidth, canvas_->sizeHint().width());
    canvas_->setFixedSize(width, unfoldedHeight());

    connect(buttons_[Button::CmdUp], &QPushButton::clicked, this, [this] { applyGeometry(false); });
    connect(buttons_[Button::CmdDown], &QPushButton::clicked, this, [this] { applyGeometry(true); });
    connect(buttons_[Button::CmdExit], &QPushButton::clicked, this, &FrmQuillan::onExit);
    connect(buttons_[Button::CmdViewLog], &QPushButton::clicked, this, &FrmQuillan::onViewLog);
    connect(grid_, &QTableWidget::cellClicked, this, &FrmQuillan::onGridClicked);

    // F4 is swallowed wherever the focus is, as the window sees keys before its controls.
    installEventFilter(this);
    for (auto* child : findChildren<QWidget*>())
        child->installEventFilter(this);

    renderAll();
    console_.model.addObserver(this);
    applyGeometry(true);
}

FrmQuillan::~FrmQuillan() {
    console_.model.removeObserver(this);
}

int FrmQuillan::foldedHeight() const {
    return std::max(120, top_->sizeHint().height());
}

int FrmQuillan::unfoldedHeight() const {
    return static_cast<int>(std::lround(foldedHeight() * double(kUnfoldedTwips) / kFoldedTwips));
}

void FrmQuillan::applyGeometry(bool unfold) {
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect area = s ? s->availableGeometry() : QRect(0, 0, 1280, 1024);
    const WindowMetrics m{canvas_->width(), area.width(), area.height(),
                          double(foldedHeight()) / kFoldedTwips};
    const auto g = unfold ? CmdDown_Click(console_, m) : CmdUp_Click(console_, m);
    if (!g)
        return;
    setFixedSize(g->width, g->height);
    move(area.x() + g->left, area.y() + g->top);
}

void FrmQuillan::renderAll() {
    const auto& model = console_.model;
    for (const auto& [id, label] : labels_)
        labelChanged(id, model.label(id));
    for (int i = 0; i < kChecklistRows; ++i)
        checklistChanged(i, model.checklist(static_cast<Row>(i)));
    overallChanged(model.overallVisible(), model.overallValue(), model.overallPercent());
    for (const auto& [row, r] : model.grid())
        gridRowChanged(row, r);
    statusBoxChanged(model.statusBoxVisible(), model.statusBox());
    for (const auto& [id, label] : labels_)
        labelColourChanged(id, model.labelColour(id));
    if (model.busy())
        showBusyNotice(true);
    for (const auto& [id, button] : buttons_)
        buttonChanged(id, model.buttonEnabled(id), model.buttonVisible(id));
    for (int i = 0; i < kPanelLabels; ++i) {
        panelChanged(true, i, model.panel(true, i));
        panelChanged(false, i, model.panel(false, i));
    }
}

void FrmQuillan::setBusy(bool busy) {
    busy_ = busy;
    showBusyNotice(busy);
}

// The banner follows the model, which drops it once the run has reached its end (the closing box
// may still be open); closing stays refused until the owner says the run has returned.
void FrmQuillan::busyChanged(bool busy) {
    showBusyNotice(busy);
}

void FrmQuillan::showBusyNotice(bool busy) {
    busyLabel_->setText(busy ? kServerBusyText : "");
    setToolTip(busy ? kRequestPendingText : "");
}

void FrmQuillan::endProgram() {
    ending_ = true;
    close();
}

void FrmQuillan::closeEvent(QCloseEvent* e) {
    if (ending_) {
        e->accept();
        return;
    }
    // A run is never cut off halfway: closing waits until it has ended.
    if (busy_) {
        e->ignore();
        return;
    }
    if (!unloaded_) {
        Form_Unload(console_);
        unloaded_ = true;
    }
    e->accept();
}

bool FrmQuillan::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress || e->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(e);
        int code = keyCode(key);
        int shift = shiftState(key->modifiers());
        if (code == kKeyF4) {
            if (e->type() == QEvent::KeyPress)
                Form_KeyDown(console_, code, shift);
            e->accept();
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

void FrmQuillan::onExit() {
    if (CmdExit_Click(console_)) {
        unloaded_ = true;
        close();
    }
}

void FrmQuillan::onViewLog() {
    CmdViewLog_Click(console_);
}

void FrmQuillan::onGridClicked(int tableRow, int tableColumn) {
    const auto table = fpdata_Click(console_, tableColumn + 1, tableRow + 1);
    if (!table)
        return;
    FrmShowDetails details(this);
    details.showDetail(*table);
    emit detailShown();
    details.exec();
}

void FrmQuillan::labelChanged(Label l, const std::string& text) {
    const auto it = labels_.find(l);
    if (it == labels_.end())
        return;
    it->second->setText(qs(text));
    if (l == Label::lblRegMessage)
        it->second->setVisible(!text.empty());
}

void FrmQuillan::labelColourChanged(Label l, const LabelColour& colour) {
    const auto it = labels_.find(l);
    if (it == labels_.end())
        return;
    QPalette palette = it->second->palette();
    palette.setColor(QPalette::WindowText, colour.isDefault()
                                               ? this->palette().color(QPalette::WindowText)
                                               : QColor(colour.red, colour.green, colour.blue));
    it->second->setPalette(palette);
}

void FrmQuillan::checklistChanged(int index, const ChecklistRow& row) {
    if (index < 0 || index >= kChecklistRows)
        return;
    auto& w = checklist_[static_cast<std::size_t>(index)];
    w.picture->setPixmap(pictures_.picture(row.status));
    w.picture->setProperty("status", static_cast<int>(row.status));
    if (index == 1)
        return; // no caption, no phase: nothing of it is shown
    w.bar->setRange(0, std::max(1, row.barMax));
    w.bar->setValue(std::clamp(row.barValue, 0, std::max(1, row.barMax)));
    w.bar->setVisible(row.barVisible);
    w.percent->setText(qs(row.percentText));
    w.percent->setVisible(row.percentVisible);
}

void FrmQuillan::overallChanged(bool visible, int value, const std::string& percent) {
    overallBar_->setValue(std::clamp(value, 0, 100));
    overallBar_->setVisible(visible);
    overallPercent_->setText(qs(percent));
    overallPercent_->setVisible(visible);
}

void FrmQuillan::gridRowChanged(int row, const GridRow& r) {
    if (row < 1)
        return;
    if (grid_->rowCount() < row)
        grid_->setRowCount(row);
    const int t = row - 1;
    auto* picture = qobject_cast<QLabel*>(grid_->cellWidget(t, 0));
    if (!picture) {
        picture = new QLabel;
        picture->setAlignment(Qt::AlignCenter);
        grid_->setCellWidget(t, 0, picture);
    }
    picture->setPixmap(pictures_.picture(r.status));
    picture->setProperty("status", static_cast<int>(r.status));
    const std::array<const std::string*, 4> texts = {&r.event, &r.processingName, &r.time, &r.percent};
    for (int c = 0; c < 4; ++c)
        grid_->setItem(t, c + 1, new QTableWidgetItem(qs(*texts[static_cast<std::size_t>(c)])));
    auto* link = new QTableWidgetItem(qs(r.link));
    link->setForeground(QColor(0, 0, 238));
    QFont underlined = grid_->font();
    underlined.setUnderline(true);
    link->setFont(underlined);
    grid_->setItem(t, 5, link);
    grid_->scrollToItem(grid_->item(t, 1));
}

void FrmQuillan::statusBoxChanged(bool visible, const std::string& text) {
    statusBox_->setPlainText(qs(text));
    statusBox_->verticalScrollBar()->setValue(statusBox_->verticalScrollBar()->maximum());
    statusBox_->setVisible(visible);
}

void FrmQuillan::buttonChanged(Button b, bool enabled, bool visible) {
    const auto it = buttons_.find(b);
    if (it == buttons_.end())
        return;
    it->second->setEnabled(enabled);
    it->second->setVisible(visible);
}

void FrmQuillan::panelChanged(bool current, int index, const std::string& text) {
    if (index < 0 || index >= kPanelLabels)
        return;
    const auto i = static_cast<std::size_t>(index);
    auto* value = (current ? currentPanel_ : lastPanel_)[i];
    auto* title = (current ? currentTitles_ : lastTitles_)[i];
    value->setText(qs(text));
    // Indices without a caption of their own appear only when something is written to them.
    const bool show = title->property("captioned").toBool() || !text.empty();
    title->setVisible(show);
    value->setVisible(show);
}

void FrmQuillan::processEvents() {
    QCoreApplication::processEvents();
}

} // namespace quillan::ui
