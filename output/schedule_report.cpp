#include "output/schedule_report.h"

#include "core/tables.h"

using namespace Qt::StringLiterals;

namespace output {

namespace {

    constexpr double BandRight = 187.9;

} // namespace

ReportDesign scheduleDesign()
{
    ReportDesign d;
    d.page = { 210, 297, 10, 10, 10, 10 };

    Band &h = d.pageHeader;
    h.height = 17.2;
    Box title = textOf(TextFrom::Header, 0, box(76.2, 4.2, 36.2, 5.3));
    title.pointSize = 12;
    // Nine full-width characters at 12 points run a little past the box; the whole title shows.
    title.sizedToText = true;
    h.boxes.push_back(title);
    h.boxes.push_back(textOf(TextFrom::Header, 1, box(131.2, 6.3, 57.4, 5.3, Align::Right)));
    h.boxes.push_back(heading(u"日付"_s, 0.0, 11.9, 23.8));
    h.boxes.push_back(heading(u"取引先名"_s, 24.1, 11.9, 87.3));
    h.boxes.push_back(heading(u"手形番号"_s, 111.7, 11.9, 26.5));
    h.boxes.push_back(heading(u"金額"_s, 138.4, 11.9, 26.5));
    h.rules.push_back(horizontal(0, BandRight, 10.6));
    for (double x : { 0.0, 24.1, 111.7, 138.4, BandRight })
        h.rules.push_back(vertical(x, 10.6, 17.2));

    Band &b = d.detail;
    b.height = ScheduleRowHeight;
    placeBoxes(b, schedule::noteColumns(), 0.8, 4.5);
    b.rules.push_back(horizontal(0, BandRight, 0));
    for (double x : { 0.0, 24.1, 111.7, 138.4 })
        b.rules.push_back(vertical(x, 0, ScheduleRowHeight));
    // The right edge runs on over the top of a subtotal below it.
    b.rules.push_back(vertical(BandRight, 0, 6.6));

    Band c;
    c.height = SubtotalRowHeight;
    placeBoxes(c, schedule::subtotalColumns(), 0.8, 4.5);
    c.rules.push_back(horizontal(0, BandRight, 0));
    c.rules.push_back(vertical(111.7, 0, 5.3));
    c.rules.push_back(vertical(138.4, 0, 5.3));
    c.rules.push_back(vertical(164.0, 0, SubtotalRowHeight));
    c.rules.push_back(horizontal(111.7, 164.1, 5.3));
    d.child = c;
    return d;
}

std::unique_ptr<Report> scheduleReport(const Tables &tables, std::vector<schedule::Line> lines,
    const QString &title, const QString &period)
{
    return std::make_unique<Report>(scheduleDesign(), QStringList { title, period },
        std::make_unique<TableLines<schedule::Table, std::vector<schedule::Line>>>(
            std::move(lines), [&](const std::vector<schedule::Line> &kept) {
                return schedule::Table(tables.notes, tables.partners, kept);
            }));
}

} // namespace output
