#pragma once

#include <QString>

class FileSystem;

class Progress;
class QPagedPaintDevice;
class QPrinter;

namespace output {

class Report;

// Gives a paged device (printer or PDF writer) the report's paper, orientation and no margins of
// its own: the design places everything from the paper's corner.
void setUpPages(QPagedPaintDevice &device, const Report &report);

enum class PrintOutcome { Printed, Failed, Cancelled };

// Paints pages first..last (0-based, -1: to the end) on a printer already set up, telling
// progress of each page. A printer's job is made whole in a spool file before it is handed to
// CUPS, and a file the printer writes (the print dialog's "print to file") replaces its target
// only when whole: a cancelled print sends nothing and leaves nothing behind.
// A file the printer writes goes through fs.
PrintOutcome printPages(QPrinter &printer, Report &report, FileSystem &fs, int first = 0,
    int last = -1, Progress *progress = nullptr);

} // namespace output
