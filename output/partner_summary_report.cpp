#include "output/partner_summary_report.h"

#include "output/partner_summary.h"
#include "store/app_state.h"

using namespace Qt::StringLiterals;

namespace output {

namespace {

    constexpr double BandRight = 272.5;
    // The bottom rule lies this far above the row's bottom edge, short or tall.
    constexpr double BottomRuleGap = 0.3;

    Box head(double left, double top, double width, double height, const QString &text)
    {
        return fixedText(text, box(left, top, width, height, Align::Centre));
    }

} // namespace

ReportDesign partnerSummaryDesign()
{
    ReportDesign d;
    d.page = { 297, 210, 10, 10, 5, 10 };

    Band &h = d.pageHeader;
    h.height = 20.1;
    Box title = head(122.8, 2.1, 42.6, 5.3, u"登録取引先一覧表"_s);
    title.align = Align::Left;
    title.pointSize = 12;
    h.boxes.push_back(title);
    // Sized to its text, its right edge at 255.3 mm.
    Box asOf = box(200.0, 6.3, 55.3, 3.4, Align::Right);
    asOf.sizedToText = true;
    asOf.from = TextFrom::Header;
    asOf.field = 0;
    h.boxes.push_back(asOf);
    h.boxes.push_back(head(0.0, 12.7, 15.1, 9.3, u"コード"_s));
    h.boxes.push_back(head(15.3, 12.7, 32.3, 9.3, u"取引先名"_s));
    h.boxes.push_back(head(47.9, 10.1, 36.2, 4.5, u"支払手形"_s));
    h.boxes.push_back(head(84.7, 10.1, 36.5, 4.5, u"受取手形"_s));
    h.boxes.push_back(head(121.4, 10.1, 66.7, 4.5, u"受取手形期日"_s));
    h.boxes.push_back(head(192.6, 12.7, 80.7, 4.5, u"振出銀行名"_s));
    h.boxes.push_back(head(47.9, 15.3, 10.6, 4.5, u"件数"_s));
    h.boxes.push_back(head(58.7, 15.3, 25.4, 4.5, u"残高"_s));
    h.boxes.push_back(head(84.7, 15.3, 10.6, 4.5, u"件数"_s));
    h.boxes.push_back(head(95.5, 15.3, 25.4, 4.5, u"残高"_s));
    h.boxes.push_back(head(121.4, 15.3, 13.2, 4.5, u"最短"_s));
    h.boxes.push_back(head(134.9, 15.3, 13.2, 4.5, u"最長"_s));
    h.boxes.push_back(head(148.4, 15.3, 13.2, 4.5, u"平均"_s));
    h.boxes.push_back(head(164.8, 15.3, 21.4, 4.5, u"最近5回平均"_s));
    h.rules.push_back(horizontal(0, BandRight, 9.3));
    h.rules.push_back(horizontal(0, BandRight, 19.8));
    h.rules.push_back(horizontal(47.9, 188.4, 14.6));
    for (double x : { 0.0, 47.9, 84.4, 121.2, 188.4, BandRight })
        h.rules.push_back(vertical(x, 9.3, 19.9));
    for (double x : { 58.5, 95.2 })
        h.rules.push_back(vertical(x, 14.6, 20.9));

    Band &b = d.detail;
    b.height = PartnerRowHeight;
    placeBoxes(b, partnerSummaryColumns(), 0.8, 4.5);
    for (double x : { 0.0, 47.9, 58.5, 84.4, 95.2, 121.2, 161.9, 188.4, BandRight })
        b.rules.push_back({ x, 0, x, 0, false, true });
    b.rules.push_back({ 0, BottomRuleGap, BandRight, BottomRuleGap, true, true });

    Band t;
    t.height = 10.6;
    Box label = box(37.0, 0.8, 10.6, 4.5, Align::Centre);
    label.text = u"合計"_s;
    t.boxes.push_back(label);
    placeBoxes(t, partnerTotalsColumns(), 0.8, 4.5);
    t.rules.push_back(horizontal(0, BandRight, 0));
    t.rules.push_back(horizontal(37.0, 121.4, 5.3));
    for (double x : { 37.0, 47.9, 58.5, 84.4, 95.2, 121.2 })
        t.rules.push_back(vertical(x, 0, 5.3));
    d.totals = t;
    return d;
}

std::unique_ptr<Report> partnerSummaryReport(
    const AppState &state, std::vector<std::int32_t> rows, const QString &asOfCaption)
{
    return std::make_unique<Report>(partnerSummaryDesign(), QStringList { asOfCaption },
        std::make_unique<TableLines<PartnerSummaryTable, std::vector<std::int32_t>>>(
            std::move(rows), [&](const std::vector<std::int32_t> &kept) {
                return PartnerSummaryTable(
                    state.NoteTable, state.PartnerTable, state.BankTable, kept);
            }));
}

} // namespace output
