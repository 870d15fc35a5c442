#pragma once

#include <memory>

#include <QString>
#include <QStringList>

#include "core/tables.h"
#include "output/report_design.h"
#include "store/file_system.h"

class Progress;

namespace output {

// The bank list's page: A4 portrait; header with the title (header text 0) and the as-of date
// (header text 1); one 5.6 mm detail per bank with its code and name. The longest name a bank can
// hold fits the name box on one line, so every row keeps its height.
ReportDesign bankListDesign();

QString bankListTitle();

inline constexpr double BankRowHeight = 5.6;

// Every bank of the table in its order, dated asOf ("2001年06月30日現在").
std::unique_ptr<Report> bankListReport(const Tables &tables, const QString &asOf);

} // namespace output

// Writes the bank list's CSV file to path: the title, the header, then every bank's code and name
// in table order. false with the message
// (file and reason, in Japanese) in error when it could not be written whole; the old file then
// stays.
bool CSV4(
    const QString &path, const Tables &tables, QString *error, Progress *progress, FileSystem &fs);
