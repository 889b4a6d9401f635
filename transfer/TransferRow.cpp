#include "transfer/TransferRow.h"

#include "base/Progress.h"

namespace quillan {

void setTransferRow(Console& c, Row row, RowStatus status, int value) {
    ChecklistRow r = c.model.checklist(row);
    r.barMax = 100;
    r.barVisible = false; // shown again by the value below while the transfer is in progress
    c.model.setChecklist(row, r);
    setRowStatus(c, row, status);
    setRowValue(c, row, value);
}

} // namespace quillan
