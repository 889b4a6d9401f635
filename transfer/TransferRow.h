#pragma once
// The checklist row of a connection check or a download before its bytes are counted: a bar of
// 100 at a value (shown while the row is in progress), its percent text and the row's picture.
// Internal to the transports.
#include "base/Console.h"

namespace quillan {

void setTransferRow(Console& c, Row row, RowStatus status, int value);

} // namespace quillan
