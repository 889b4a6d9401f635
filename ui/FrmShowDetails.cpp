#include "ui/FrmShowDetails.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace quillan::ui {

namespace {
// Column widths 25 and 15 in the grid's character units.
constexpr int kNameChars = 25;
constexpr int kDateChars = 15;
} // namespace

FrmShowDetails::FrmShowDetails(QWidget* parent) : QDialog(parent), grid_(new QTableWidget(this)) {
    setObjectName("FrmShowDetails");
    setWindowTitle("Quillan");
    setModal(true);
    grid_->setObjectName("Fpdata");
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->verticalHeader()->setVisible(false);
    grid_->horizontalHeader()->setStretchLastSection(true);

    auto* close = new QPushButton("&Close", this);
    close->setObjectName("CmdClose");
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_);
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(520, 360);
}

void FrmShowDetails::showDetail(const DetailTable& table) {
    grid_->setRowCount(0);
    grid_->setColumnCount(static_cast<int>(table.headers.size()));
    QStringList headers;
    for (const auto& h : table.headers)
        headers << QString::fromStdString(h);
    grid_->setHorizontalHeaderLabels(headers);
    grid_->setRowCount(static_cast<int>(table.rows.size()));
    for (int r = 0; r < static_cast<int>(table.rows.size()); ++r) {
        const auto& row = table.rows[static_cast<std::size_t>(r)];
        for (int c = 0; c < static_cast<int>(row.size()); ++c)
            grid_->setItem(r, c,
                           new QTableWidgetItem(QString::fromStdString(row[static_cast<std::size_t>(c)])));
    }
    const int charWidth = grid_->fontMetrics().horizontalAdvance('0');
    if (grid_->columnCount() > 0)
        grid_->setColumnWidth(0, kNameChars * charWidth);
    if (grid_->columnCount() > 1)
        grid_->setColumnWidth(1, kDateChars * charWidth);
    grid_->scrollToTop();
}

void FrmShowDetails::keyReleaseEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    QDialog::keyReleaseEvent(e);
}

} // namespace quillan::ui
