#include "output/note_list_report.h"

#include "output/note_list_rows.h"
#include "output/report_run.h"

using namespace Qt::StringLiterals;

namespace output {

namespace {

    constexpr double BandRight = 272.5;
    // The bottom rule lies this far above the row's bottom edge, short or tall.
    constexpr double BottomRuleGap = 0.3;

    Box head(double left, double width, const QString &text)
    {
        return fixedText(text, box(left, 11.4, width, 4.5, Align::Centre));
    }

} // namespace

ReportDesign noteListDesign()
{
    ReportDesign d;
    d.page = { 297, 210, 10, 10, 5, 10 };

    Band &h = d.pageHeader;
    h.height = 16.1;
    Box title = textOf(TextFrom::Header, 0, box(108.0, 4.2, 55.3, 5.3, Align::Centre));
    title.pointSize = 12;
    h.boxes.push_back(title);
    Box period = textOf(TextFrom::Header, 1, box(210.6, 4.2, 0, 4.2));
    period.pointSize = 11;
    period.sizedToText = true;
    h.boxes.push_back(period);
    h.boxes.push_back(head(0.0, 69.3, u"取引先"_s));
    h.boxes.push_back(head(70.6, 20.1, u"手形番号"_s));
    h.boxes.push_back(head(91.0, 74.1, u"振出銀行"_s));
    h.boxes.push_back(head(165.4, 10.6, u"振出日"_s));
    h.boxes.push_back(head(176.2, 10.6, u"支払日"_s));
    h.boxes.push_back(head(187.1, 18.5, u"金額"_s));
    h.boxes.push_back(head(206.4, 10.6, u"確認"_s));
    h.boxes.push_back(head(216.7, 54.5, u"備考"_s));
    h.rules.push_back(horizontal(0, BandRight, 10.6));
    h.rules.push_back(horizontal(0, BandRight, 15.9));
    for (double x : { 0.0, 70.1, 91.0, 165.4, 176.2, 187.1, 206.4, 216.7, BandRight })
        h.rules.push_back(vertical(x, 10.6, 15.9));

    Band &b = d.detail;
    b.height = NoteRowHeight;
    placeBoxes(b, noteListColumns(), 1.6, 4.5);
    for (double x : { 0.0, 9.5, 70.1, 91.0, 106.1, 165.4, 176.2, 187.1, 206.4, 216.7, BandRight })
        b.rules.push_back({ x, 0, x, 0, false, true });
    b.rules.push_back({ 0, BottomRuleGap, BandRight, BottomRuleGap, true, true });
    return d;
}

std::unique_ptr<Report> noteListReport(
    const AppState &state, std::vector<int> rows, const QString &title, const QString &period)
{
    return std::make_unique<Report>(noteListDesign(), QStringList { title, period },
        std::make_unique<TableLines<NoteListTable, std::vector<int>>>(
            std::move(rows), [&](const std::vector<int> &kept) {
                return NoteListTable(state.NoteTable, state.PartnerTable, state.BankTable, kept);
            }));
}

} // namespace output
