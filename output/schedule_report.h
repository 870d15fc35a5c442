#pragma once

#include <memory>
#include <vector>

#include <QString>

#include "core/tables.h"
#include "output/report_design.h"
#include "output/schedule_rows.h"

namespace output {

// The schedules' page: A4 portrait; header with the title (header text 0) and the period (header
// text 1); a 5.3 mm detail per note and a 5.6 mm child band for each day's subtotal.
ReportDesign scheduleDesign();

inline constexpr double ScheduleRowHeight = 5.3;
inline constexpr double SubtotalRowHeight = 5.6;

// A schedule's lines as a report: a note line is a detail; a subtotal is a suppressed detail
// followed by its child band.
std::unique_ptr<Report> scheduleReport(const Tables &tables, std::vector<schedule::Line> lines,
    const QString &title, const QString &period);

} // namespace output
