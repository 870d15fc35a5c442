#include "output/note_list_report.h"

#include "core/lookups.h"
#include "output/note_list_rows.h"
#include "output/report_run.h"

using namespace Qt::StringLiterals;

namespace output {

namespace {

    constexpr double BandRight = 272.5;
    constexpr double BankNameHeight = 4.5;
    constexpr double TallBankNameHeight = 9.0;
    // The bottom rule lies this far above the row's bottom edge, short or tall.
    constexpr double BottomRuleGap = 0.3;

    Box head(double left, double width, const QString &text)
    {
        return fixedText(text, box(left, 11.4, width, 4.5, Align::Centre));
    }

    Box field(double left, double width, Align align, NoteListField which)
    {
        return textOf(TextFrom::Line, which, box(left, 1.6, width, 4.5, align));
    }

    class NoteListLines : public LineSource
    {
    public:
        NoteListLines(const Session &state, std::vector<int> rows)
            : state_(state)
            , rows_(std::move(rows))
            , partners_(state.PartnerTable)
            , banks_(state.BankTable)
        {
        }

        int count() const override { return static_cast<int>(rows_.size()); }

        LineShape shape(int line) const override
        {
            LineShape s;
            const NoteRecord *n = note(line);
            if (n && noteListTallRow(banks_.firstName(n->BankCode.view()))) {
                s.height = TallNoteRowHeight;
                s.grown[0] = static_cast<float>(TallBankNameHeight);
            } else {
                s.height = NoteRowHeight;
            }
            return s;
        }

        QStringList texts(BandKind band, int line) const override
        {
            const NoteRecord *n = note(line);
            if (band != BandKind::Detail || !n)
                return {};
            const NoteListTexts t = noteListTexts(*n, partners_.firstName(n->PartnerCode.view()),
                banks_.firstName(n->BankCode.view()));
            // The confirmation column is left for a pen on paper.
            return { t.code, t.partnerName, t.noteNumber, t.bankCode, t.bankName, t.issueDate,
                t.dueDate, t.amount, QString(), t.remarks };
        }

    private:
        const NoteRecord *note(int line) const
        {
            if (line < 0 || line >= count())
                return nullptr;
            const int index = rows_[static_cast<std::size_t>(line)];
            if (index < 0 || static_cast<std::size_t>(index) >= state_.NoteTable.size())
                return nullptr;
            return &state_.NoteTable[static_cast<std::size_t>(index)];
        }

        const Session &state_;
        std::vector<int> rows_;
        CodeIndex<PartnerRecord> partners_;
        CodeIndex<BankRecord> banks_;
    };

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
    b.boxes.push_back(field(1.1, 8.5, Align::Left, CodeField));
    b.boxes.push_back(wrapped(field(10.6, 59.8, Align::Left, PartnerNameField)));
    b.boxes.push_back(field(70.6, 20.1, Align::Left, NoteNumberField));
    b.boxes.push_back(field(92.1, 13.8, Align::Left, BankCodeField));
    Box bankName = wrapped(field(106.6, 58.5, Align::Left, BankNameField));
    bankName.height = BankNameHeight;
    bankName.growSlot = 0;
    b.boxes.push_back(bankName);
    b.boxes.push_back(field(165.4, 10.6, Align::Centre, IssueDateField));
    b.boxes.push_back(field(176.2, 10.6, Align::Centre, DueDateField));
    b.boxes.push_back(field(187.1, 18.5, Align::Right, AmountField));
    b.boxes.push_back(field(206.4, 10.6, Align::Centre, ConfirmationField));
    b.boxes.push_back(wrapped(field(217.2, 54.5, Align::Left, RemarksField)));
    for (double x : { 0.0, 9.5, 70.1, 91.0, 106.1, 165.4, 176.2, 187.1, 206.4, 216.7, BandRight })
        b.rules.push_back({ x, 0, x, 0, false, true });
    b.rules.push_back({ 0, BottomRuleGap, BandRight, BottomRuleGap, true, true });
    return d;
}

std::unique_ptr<Report> noteListReport(
    const Session &state, std::vector<int> rows, const QString &title, const QString &period)
{
    return std::make_unique<Report>(noteListDesign(), QStringList { title, period },
        std::make_unique<NoteListLines>(state, std::move(rows)));
}

} // namespace output
