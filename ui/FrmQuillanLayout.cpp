// The main window's controls and their arrangement. The upper part (checklist, overall bar,
// buttons) is what the folded window shows; the lower part holds the labels, the deployment
// panels, the status box and the event grid.
#include "ui/FrmQuillan.h"

#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace quillan::ui {

namespace {

constexpr int kBarWidth = 110;
constexpr int kPercentWidth = 44;

// Captions beside the panel labels, by index; the indices the status panel writes.
constexpr std::array<const char*, kPanelLabels> kCurrentCaptions = {
    "Server Date", "Version", "", "Size of the Deployment file", "Exe Files", "RPT Files", "RTM Files", ""};
constexpr std::array<const char*, kPanelLabels> kLastCaptions = {"",          "Version",   "", "Exe Files",
                                                                 "RPT Files", "RTM Files", "", ""};

// A doubled "&&" shows one ampersand (QLabel shows its text literally without a buddy).
QString caption(const char* text) {
    return QString::fromUtf8(text).replace("&&", "&");
}

void keepSpace(QWidget* w) {
    auto policy = w->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    w->setSizePolicy(policy);
}

// Bold through the font, not a style sheet: a style sheet would hide the colour the model gives.
QLabel* bold(QLabel* l) {
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

QLabel* captioned(QGridLayout* grid, int row, int column, const QString& title, QLabel* value) {
    auto* label = new QLabel(title, value->parentWidget());
    label->setStyleSheet("color: #444;");
    grid->addWidget(label, row, column);
    grid->addWidget(value, row, column + 1);
    return value;
}

} // namespace

QWidget* FrmQuillan::buildTop() {
    auto* top = new QWidget(canvas_);
    top->setObjectName("topPart");
    auto* layout = new QVBoxLayout(top);
    layout->setContentsMargins(10, 8, 10, 6);
    layout->setSpacing(6);

    // Title row: logo, name, run state, transfer mode, start and finish times.
    auto* header = new QHBoxLayout;
    auto* logo = new QLabel(top);
    logo->setObjectName("imgLogo");
    if (const QPixmap p = loadLogo(console_.programFolder()); !p.isNull())
        logo->setPixmap(p);
    else
        logo->hide();
    header->addWidget(logo);
    auto* title = new QLabel("Quillan", top);
    QFont titleFont = title->font();
    titleFont.setPointSize(titleFont.pointSize() + 6);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setStyleSheet("color: #1f3f7a;");
    header->addWidget(title);
    header->addSpacing(16);
    auto* info = new QGridLayout;
    info->setHorizontalSpacing(6);
    info->setVerticalSpacing(2);
    auto makeLabel = [&](Label id, const char* name) {
        auto* l = new QLabel(top);
        l->setObjectName(name);
        labels_[id] = l;
        return l;
    };
    bold(captioned(info, 0, 0, "State:", makeLabel(Label::lblPrs, "lblPrs")));
    captioned(info, 1, 0, "Transfer:", makeLabel(Label::LblDFLoad, "LblDFLoad"));
    captioned(info, 0, 2, "Started:", makeLabel(Label::lblStTime, "lblStTime"));
    captioned(info, 1, 2, "Finished:", makeLabel(Label::lblEndTime, "lblEndTime"));
    info->setColumnMinimumWidth(1, 110);
    header->addLayout(info);
    header->addStretch();
    layout->addLayout(header);

    auto* line = new QFrame(top);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);

    // Checklist in two columns; row 1 has no caption and no phase, so it takes no place.
    auto* checklist = new QGridLayout;
    checklist->setHorizontalSpacing(8);
    checklist->setVerticalSpacing(3);
    int shown = 0;
    for (int i = 0; i < kChecklistRows; ++i) {
        auto& w = checklist_[static_cast<std::size_t>(i)];
        const QString index = "(" + QString::number(i) + ")";
        w.picture = new QLabel(top);
        w.picture->setObjectName("Imgstatus" + index);
        w.picture->setFixedSize(StatusPictures::kSize + 2, StatusPictures::kSize + 2);
        w.picture->setAlignment(Qt::AlignCenter);
        w.caption = new QLabel(caption(checklistCaptions()[static_cast<std::size_t>(i)]), top);
        w.caption->setObjectName("lblCaption" + index);
        w.bar = new QProgressBar(top);
        w.bar->setObjectName("Prgbar" + index);
        w.bar->setTextVisible(false);
        w.bar->setFixedSize(kBarWidth, 12);
        keepSpace(w.bar);
        w.percent = new QLabel(top);
        w.percent->setObjectName("lblPercent" + index);
        w.percent->setFixedWidth(kPercentWidth);
        w.percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        keepSpace(w.percent);
        if (i == 1) {
            for (QWidget* hidden : {static_cast<QWidget*>(w.picture), static_cast<QWidget*>(w.caption),
                                    static_cast<QWidget*>(w.bar), static_cast<QWidget*>(w.percent)})
                hidden->hide();
            continue;
        }
        const int row = shown % 7;
        const int column = (shown / 7) * 5;
        checklist->addWidget(w.picture, row, column);
        checklist->addWidget(w.caption, row, column + 1);
        checklist->addWidget(w.bar, row, column + 2);
        checklist->addWidget(w.percent, row, column + 3);
        ++shown;
    }
    checklist->setColumnMinimumWidth(4, 24);
    checklist->setColumnStretch(1, 1);
    checklist->setColumnStretch(6, 1);
    layout->addLayout(checklist);

    // Overall bar Prgbar1 with lblPercent(15), and the busy notice.
    auto* overall = new QHBoxLayout;
    auto* overallCaption = new QLabel("Overall progress", top);
    overallCaption->setStyleSheet("font-weight: bold;");
    overall->addWidget(overallCaption);
    overallBar_ = new QProgressBar(top);
    overallBar_->setObjectName("Prgbar1");
    overallBar_->setRange(0, 100);
    overallBar_->setTextVisible(false);
    keepSpace(overallBar_);
    overall->addWidget(overallBar_, 1);
    overallPercent_ = new QLabel(top);
    overallPercent_->setObjectName("lblPercent(15)");
    overallPercent_->setFixedWidth(kPercentWidth);
    overallPercent_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    keepSpace(overallPercent_);
    overall->addWidget(overallPercent_);
    layout->addLayout(overall);

    // Buttons and the busy notice.
    auto* buttons = new QHBoxLayout;
    auto makeButton = [&](Button id, const char* name, const QString& text) {
        auto* b = new QPushButton(text, top);
        b->setObjectName(name);
        b->setFocusPolicy(Qt::TabFocus);
        buttons_[id] = b;
        buttons->addWidget(b);
        return b;
    };
    makeButton(Button::CmdUp, "CmdUp", QString::fromUtf8("\u25B2 Fold"))
        ->setToolTip("Show only the checklist");
    makeButton(Button::CmdDown, "CmdDown", QString::fromUtf8("\u25BC Unfold"))
        ->setToolTip("Show the events too");
    busyLabel_ = new QLabel(top);
    busyLabel_->setObjectName("lblBusy");
    busyLabel_->setStyleSheet("color: #a05a00; font-weight: bold;");
    buttons->addSpacing(12);
    buttons->addWidget(busyLabel_, 1);
    makeButton(Button::CmdViewLog, "CmdViewLog", "View &Log");
    makeButton(Button::CmdExit, "CmdExit", "E&xit");
    layout->addLayout(buttons);
    return top;
}

QWidget* FrmQuillan::buildPanel(bool current) {
    auto* box = new QGroupBox(current ? "Current Deployment" : "Last Deployment", canvas_);
    box->setObjectName(current ? "fraCurrentDeployment" : "fraLastDeployment");
    auto* grid = new QGridLayout(box);
    grid->setVerticalSpacing(2);
    const auto& captions = current ? kCurrentCaptions : kLastCaptions;
    auto& values = current ? currentPanel_ : lastPanel_;
    auto& titles = current ? currentTitles_ : lastTitles_;
    for (int i = 0; i < kPanelLabels; ++i) {
        const auto at = static_cast<std::size_t>(i);
        auto* title = new QLabel(QString(captions[at]) + ":", box);
        title->setStyleSheet("color: #444;");
        title->setMinimumWidth(title->sizeHint().width()); // a caption is never cut short
        auto* value = new QLabel(box);
        value->setObjectName(QString(current ? "LblCDpStatus(" : "lblLastDepStatus(") + QString::number(i) +
                             ")");
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QFont bold = value->font();
        bold.setBold(true);
        value->setFont(bold);
        grid->addWidget(title, i, 0);
        grid->addWidget(value, i, 1);
        const bool hasCaption = captions[at][0] != '\0';
        title->setProperty("captioned", hasCaption);
        title->setVisible(hasCaption);
        value->setVisible(hasCaption);
        values[at] = value;
        titles[at] = title;
    }
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(kPanelLabels, 1);
    return box;
}

QWidget* FrmQuillan::buildLower() {
    auto* lower = new QWidget(canvas_);
    lower->setObjectName("lowerPart");
    auto* layout = new QVBoxLayout(lower);
    layout->setContentsMargins(10, 0, 10, 10);

    auto* middle = new QHBoxLayout;
    auto* info = new QGridLayout;
    info->setVerticalSpacing(2);
    auto makeLabel = [&](Label id, const char* name) {
        auto* l = new QLabel(lower);
        l->setObjectName(name);
        l->setWordWrap(true);
        labels_[id] = l;
        return l;
    };
    // The phase label's text ends in its own colon ("Extracting        :"): it is the caption of
    // the current item, not a value after a caption of ours.
    auto* phase = makeLabel(Label::lblDl, "lblDl");
    phase->setWordWrap(false);
    phase->setStyleSheet("color: #444;");
    info->addWidget(phase, 0, 0);
    info->addWidget(makeLabel(Label::lblDownLoad, "lblDownLoad"), 0, 1);
    captioned(info, 1, 0, "Location:", makeLabel(Label::lblLocation, "lblLocation"));
    captioned(info, 2, 0, "Transfer mode:", makeLabel(Label::LblDLoad, "LblDLoad"));
    // The status sentence's colour is the model's: red for an error, the outcome's at the end.
    info->addWidget(bold(makeLabel(Label::LblStatus, "LblStatus")), 4, 0, 1, 2);
    info->addWidget(makeLabel(Label::LblDeployProgress, "LblDeployProgress"), 5, 0, 1, 2);
    auto* reg = makeLabel(Label::lblRegMessage, "lblRegMessage");
    reg->setStyleSheet("color: #1f3f7a;");
    reg->hide();
    info->addWidget(reg, 6, 0, 1, 2);
    info->setColumnStretch(1, 1);
    info->setRowStretch(7, 1);
    middle->addLayout(info, 4);
    middle->addWidget(buildPanel(true), 3);
    middle->addWidget(buildPanel(false), 2);
    layout->addLayout(middle);

    // The status box spans the window, so that a log line can be read whole.
    statusBox_ = new QPlainTextEdit(lower);
    statusBox_->setObjectName("RchBox");
    statusBox_->setReadOnly(true);
    statusBox_->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont mono("DejaVu Sans Mono");
    mono.setStyleHint(QFont::Monospace);
    mono.setPointSize(std::max(7, statusBox_->font().pointSize() - 1));
    statusBox_->setFont(mono);
    statusBox_->setFixedHeight(QFontMetrics(mono).lineSpacing() * 5 + 12); // five lines
    keepSpace(statusBox_);
    layout->addWidget(statusBox_);

    grid_ = new QTableWidget(0, 6, lower);
    grid_->setObjectName("Fpdata");
    QStringList headers;
    for (const char* h : gridHeaders())
        headers << QString::fromUtf8(h);
    grid_->setHorizontalHeaderLabels(headers);
    grid_->verticalHeader()->setVisible(false);
    grid_->verticalHeader()->setDefaultSectionSize(22);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setColumnWidth(0, 28);
    grid_->setColumnWidth(1, 190);
    grid_->setColumnWidth(2, 250);
    grid_->setColumnWidth(3, 140);
    grid_->setColumnWidth(4, 70);
    grid_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(grid_, 1);
    return lower;
}

} // namespace quillan::ui
