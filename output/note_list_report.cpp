#include "output/note_list_report.h"

#include "output/note_list_rows.h"
#include "output/report_run.h"

using namespace Qt::StringLiterals;

namespace output {

namespace {

    constexpr double BandRight = landscapelist::Right;

} // namespace

ReportDesign noteListDesign()
{
    ReportDesign d;
    d.page = landscapelist::Page;

    Band &h = d.pageHeader;
    h.height = 16.1;
    Box title = textOf(TextFrom::Header, 0, box(108.0, 4.2, 55.3, 5.3, Align::Centre));
    title.pointSize = 12;
    h.boxes.push_back(title);
    Box period = textOf(TextFrom::Header, 1, box(210.6, 4.2, 0, 4.2));
    period.pointSize = 11;
    period.sizedToText = true;
    h.boxes.push_back(period);
    h.boxes.push_back(heading(u"取引先"_s, 0.0, 11.4, 69.3));
    h.boxes.push_back(heading(u"手形番号"_s, 70.6, 11.4, 20.1));
    h.boxes.push_back(heading(u"振出銀行"_s, 91.0, 11.4, 74.1));
    h.boxes.push_back(heading(u"振出日"_s, 165.4, 11.4, 10.6));
    h.boxes.push_back(heading(u"支払日"_s, 176.2, 11.4, 10.6));
    h.boxes.push_back(heading(u"金額"_s, 187.1, 11.4, 18.5));
    h.boxes.push_back(heading(u"確認"_s, 206.4, 11.4, 10.6));
    h.boxes.push_back(heading(u"備考"_s, 216.7, 11.4, 54.5));
    h.rules.push_back(horizontal(0, BandRight, 10.6));
    h.rules.push_back(horizontal(0, BandRight, 15.9));
    for (double x : { 0.0, 70.1, 91.0, 165.4, 176.2, 187.1, 206.4, 216.7, BandRight })
        h.rules.push_back(vertical(x, 10.6, 15.9));

    Band &b = d.detail;
    b.height = NoteRowHeight;
    placeBoxes(b, noteListColumns(), 1.6, 4.5);
    landscapelist::rowRules(b, { 0.0, 9.5, 70.1, 91.0, 106.1, 165.4, 176.2, 187.1, 206.4, 216.7 });
    return d;
}

std::unique_ptr<Report> noteListReport(
    const Tables &tables, std::vector<int> rows, const QString &title, const QString &period)
{
    return std::make_unique<Report>(noteListDesign(), QStringList { title, period },
        std::make_unique<TableLines<NoteListTable, std::vector<int>>>(
            std::move(rows), [&](const std::vector<int> &kept) {
                return NoteListTable(tables.notes, tables.partners, tables.banks, kept);
            }));
}

} // namespace output
