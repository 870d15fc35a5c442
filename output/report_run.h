#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QString>

#include "core/tables.h"
#include "output/report_design.h"

class FileSystem;

class Progress;
class Prompter;
class QWidget;

namespace output {

// A report ready to be laid out into pages: its design (bands and boxes in millimetres) and the
// source of its lines (report_design.h). Built by the report's own function, run by the functions
// below.

// The note list: a journal of one kind over a period, or the data sheet's rows. rows are note
// indices in print order; title and period go into the header of every page.
std::unique_ptr<Report> noteListReport(
    const Tables &tables, std::vector<int> rows, const QString &title, const QString &period);

// Shows the pages in the preview window and returns when the user has closed it. The user can
// page, zoom, print through the print dialog and save a PDF from there.
// protectedFile says which files a PDF may not take the place of.
// Files are written through fs.
void previewReport(Report &report, Prompter &prompter, FileSystem &fs, QWidget *parent,
    const std::function<bool(const QString &)> &protectedFile = {});

// Prints every page once on the default printer, without a dialog, showing its progress. false,
// after saying why in one Japanese message, when there is no printer or printing failed; false
// without a word when the user cancelled (nothing is sent then).
bool printReport(Report &report, Prompter &prompter, FileSystem &fs, QWidget *parent);

// Writes the pages as a PDF file, telling progress of each page; false with a Japanese reason
// naming the file, or with none when progress said the user cancelled. Either way the old file
// stays as it was and nothing else is left.
bool writeReportPdf(
    Report &report, const QString &path, QString *error, Progress *progress, FileSystem &fs);

} // namespace output
