#include "output/partner_summary_report.h"

#include "core/tables.h"
#include "output/partner_summary.h"

using namespace Qt::StringLiterals;

namespace output {

namespace {

    constexpr double BandRight = landscapelist::Right;

} // namespace

ReportDesign partnerSummaryDesign()
{
    ReportDesign d;
    d.page = landscapelist::Page;

    Band &h = d.pageHeader;
    h.height = 20.1;
    Box title = heading(u"登録取引先一覧表"_s, 122.8, 2.1, 42.6, 5.3);
    title.align = Align::Left;
    title.pointSize = 12;
    h.boxes.push_back(title);
    // Sized to its text, its right edge at 255.3 mm.
    Box asOf = box(200.0, 6.3, 55.3, 3.4, Align::Right);
    asOf.sizedToText = true;
    asOf.from = TextFrom::Header;
    asOf.field = 0;
    h.boxes.push_back(asOf);
    h.boxes.push_back(heading(u"コード"_s, 0.0, 12.7, 15.1, 9.3));
    h.boxes.push_back(heading(u"取引先名"_s, 15.3, 12.7, 32.3, 9.3));
    h.boxes.push_back(heading(u"支払手形"_s, 47.9, 10.1, 36.2, 4.5));
    h.boxes.push_back(heading(u"受取手形"_s, 84.7, 10.1, 36.5, 4.5));
    h.boxes.push_back(heading(u"受取手形期日"_s, 121.4, 10.1, 66.7, 4.5));
    h.boxes.push_back(heading(u"振出銀行名"_s, 192.6, 12.7, 80.7, 4.5));
    h.boxes.push_back(heading(u"件数"_s, 47.9, 15.3, 10.6, 4.5));
    h.boxes.push_back(heading(u"残高"_s, 58.7, 15.3, 25.4, 4.5));
    h.boxes.push_back(heading(u"件数"_s, 84.7, 15.3, 10.6, 4.5));
    h.boxes.push_back(heading(u"残高"_s, 95.5, 15.3, 25.4, 4.5));
    h.boxes.push_back(heading(u"最短"_s, 121.4, 15.3, 13.2, 4.5));
    h.boxes.push_back(heading(u"最長"_s, 134.9, 15.3, 13.2, 4.5));
    h.boxes.push_back(heading(u"平均"_s, 148.4, 15.3, 13.2, 4.5));
    h.boxes.push_back(heading(u"最近5回平均"_s, 164.8, 15.3, 21.4, 4.5));
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
    landscapelist::rowRules(b, { 0.0, 47.9, 58.5, 84.4, 95.2, 121.2, 161.9, 188.4 });

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
    const Tables &tables, std::vector<std::int32_t> rows, const QString &asOfCaption)
{
    return std::make_unique<Report>(partnerSummaryDesign(), QStringList { asOfCaption },
        std::make_unique<TableLines<PartnerSummaryTable, std::vector<std::int32_t>>>(
            std::move(rows), [&](const std::vector<std::int32_t> &kept) {
                return PartnerSummaryTable(tables.notes, tables.partners, tables.banks, kept);
            }));
}

} // namespace output
