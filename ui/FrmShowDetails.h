#pragma once
// The detail view of an event-grid link: a modal window listing "File Name" and "File Date" of the
// files a phase worked on. Built anew for every click; CmdClose or Esc closes it.
#include "console/DetailLinks.h"

#include <QDialog>

class QTableWidget;

namespace quillan::ui {

class FrmShowDetails : public QDialog {
    Q_OBJECT
public:
    explicit FrmShowDetails(QWidget* parent = nullptr);
    // ShowDetail: binds the grid to the rows (headers from the recordset's columns).
    void showDetail(const DetailTable& table);
    QTableWidget* grid() const { return grid_; }

protected:
    void keyReleaseEvent(QKeyEvent* e) override;

private:
    QTableWidget* grid_;
};

} // namespace quillan::ui
