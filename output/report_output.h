#pragma once

#include <QString>

class QPagedPaintDevice;
class QPrinter;

namespace output {

class Report;

// Gives a paged device (printer or PDF writer) the report's paper, orientation and no margins of
// its own: the design places everything from the paper's corner.
void setUpPages(QPagedPaintDevice &device, const Report &report);

// Paints pages first..last (0-based, -1: to the end) on a printer already set up; false when the
// printer refused or failed.
bool printPages(QPrinter &printer, Report &report, int first = 0, int last = -1);

} // namespace output
