#include "output/partner_summary_report.h"

#include "core/lookups.h"
#include "output/partner_summary.h"
#include "session/session.h"

using namespace Qt::StringLiterals;

namespace output {

namespace {

    constexpr double BandRight = 272.5;
    constexpr double NameHeight = 4.5;
    constexpr double TallNameHeight = 9.0;
    // The bottom rule lies this far above the row's bottom edge, short or tall.
    constexpr double BottomRuleGap = 0.3;
    constexpr int NameSlot = 0;
    constexpr int BankNameSlot = 1;

    Box head(double left, double top, double width, double height, const QString &text)
    {
        return fixedText(text, box(left, top, width, height, Align::Centre));
    }

    Box field(double left, double width, Align align, int which)
    {
        return textOf(TextFrom::Line, which, box(left, 0.8, width, 4.5, align));
    }

    class PartnerSummaryLines : public LineSource
    {
    public:
        PartnerSummaryLines(const Session &state, std::vector<std::int32_t> rows)
            : partners_(state.PartnerTable)
            , rows_(std::move(rows))
            , stats_(partnerStatisticsOfRows(state.PartnerTable, state.NoteTable, rows_))
            , banks_(state.BankTable)
        {
            for (std::size_t r = 0; r < rows_.size(); ++r)
                if (partner(static_cast<int>(r)))
                    totals_.add(stats_[r]);
        }

        int count() const override { return static_cast<int>(rows_.size()); }

        LineShape shape(int line) const override
        {
            LineShape s;
            s.height = PartnerRowHeight;
            const PartnerRecord *p = partner(line);
            if (!p)
                return s;
            const bool tallName = partnerNameTall(p->Name.view());
            const bool tallBank = partnerBankNameTall(banks_.firstName(p->BankCode.view()));
            if (tallName || tallBank)
                s.height = TallPartnerRowHeight;
            s.grown[NameSlot] = static_cast<float>(tallName ? TallNameHeight : NameHeight);
            s.grown[BankNameSlot] = static_cast<float>(tallBank ? TallNameHeight : NameHeight);
            return s;
        }

        QStringList texts(BandKind band, int line) const override
        {
            if (band == BandKind::Totals)
                return partnerTotalsTexts(totals_);
            const PartnerRecord *p = partner(line);
            if (band != BandKind::Detail || !p)
                return {};
            const PartnerSummaryTexts t = partnerSummaryTexts(
                *p, stats_[static_cast<std::size_t>(line)], banks_.firstName(p->BankCode.view()));
            return { t.code, t.name, t.payableCount, t.payableBalance, t.receivableCount,
                t.receivableBalance, t.shortest, t.longest, t.average, t.latestAverage,
                t.bankName };
        }

    private:
        const PartnerRecord *partner(int line) const
        {
            if (line < 0 || line >= count())
                return nullptr;
            const std::int32_t index = rows_[static_cast<std::size_t>(line)];
            if (index < 0 || static_cast<std::size_t>(index) >= partners_.size())
                return nullptr;
            return &partners_[static_cast<std::size_t>(index)];
        }

        const Partners &partners_;
        std::vector<std::int32_t> rows_;
        std::vector<PartnerStatistics> stats_;
        CodeIndex<BankRecord> banks_;
        PartnerTotals totals_;
    };

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
    b.boxes.push_back(field(0.0, 14.8, Align::Centre, PartnerCodeField));
    Box name = wrapped(field(15.1, 33.1, Align::Left, PartnerNameTextField));
    name.growSlot = NameSlot;
    b.boxes.push_back(name);
    b.boxes.push_back(field(47.9, 10.6, Align::Right, PayableCountField));
    b.boxes.push_back(field(58.7, 25.4, Align::Right, PayableBalanceField));
    b.boxes.push_back(field(84.7, 10.6, Align::Right, ReceivableCountField));
    b.boxes.push_back(field(95.5, 23.3, Align::Right, ReceivableBalanceField));
    b.boxes.push_back(field(121.4, 13.2, Align::Right, ShortestField));
    b.boxes.push_back(field(134.9, 13.2, Align::Right, LongestField));
    b.boxes.push_back(field(148.4, 13.2, Align::Right, AverageField));
    b.boxes.push_back(field(172.8, 13.0, Align::Right, LatestAverageField));
    Box bank = wrapped(field(190.5, 82.0, Align::Left, PartnerBankNameField));
    bank.growSlot = BankNameSlot;
    b.boxes.push_back(bank);
    for (double x : { 0.0, 47.9, 58.5, 84.4, 95.2, 121.2, 161.9, 188.4, BandRight })
        b.rules.push_back({ x, 0, x, 0, false, true });
    b.rules.push_back({ 0, BottomRuleGap, BandRight, BottomRuleGap, true, true });

    Band t;
    t.height = 10.6;
    Box label = box(37.0, 0.8, 10.6, 4.5, Align::Centre);
    label.text = u"合計"_s;
    t.boxes.push_back(label);
    const struct
    {
        double left;
        double width;
    } totals[] = { { 47.9, 10.6 }, { 58.7, 25.4 }, { 84.4, 10.6 }, { 95.2, 25.7 } };
    for (int i = 0; i < 4; ++i)
        t.boxes.push_back(field(totals[i].left, totals[i].width, Align::Right, i));
    t.rules.push_back(horizontal(0, BandRight, 0));
    t.rules.push_back(horizontal(37.0, 121.4, 5.3));
    for (double x : { 37.0, 47.9, 58.5, 84.4, 95.2, 121.2 })
        t.rules.push_back(vertical(x, 0, 5.3));
    d.totals = t;
    return d;
}

std::unique_ptr<Report> partnerSummaryReport(
    const Session &state, std::vector<std::int32_t> rows, const QString &asOfCaption)
{
    return std::make_unique<Report>(partnerSummaryDesign(), QStringList { asOfCaption },
        std::make_unique<PartnerSummaryLines>(state, std::move(rows)));
}

} // namespace output
