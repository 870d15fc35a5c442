#include "output/note_list_rows.h"

#include "output/note_list_report.h"

using output::Align;
using output::Cell;
using output::CellKind;

namespace {

constexpr int TallBankNameBytes = 32;
constexpr double BankNameHeight = 4.5;
constexpr double TallBankNameHeight = 9.0;

constexpr output::Column<NoteListLine> Columns[] = {
    { u"", CellKind::Code,
        [](const NoteListLine &r) { return Cell { .bytes = r.note->PartnerCode.view() }; },
        { 1.1, 8.5 } },
    { u"取引先", CellKind::Text,
        [](const NoteListLine &r) { return Cell { .bytes = r.partnerName }; },
        { 10.6, 59.8, Align::Left, true } },
    { u"手形番号", CellKind::Text,
        [](const NoteListLine &r) { return Cell { .bytes = r.note->NoteNumber.view() }; },
        { 70.6, 20.1 } },
    { u"", CellKind::Bytes,
        [](const NoteListLine &r) { return Cell { .bytes = r.note->BankCode.view() }; },
        { 92.1, 13.8 } },
    { u"振出銀行", CellKind::Text,
        [](const NoteListLine &r) { return Cell { .bytes = r.bankName }; },
        { 106.6, 58.5, Align::Left, true, BankNameHeight, 0 } },
    { u"振出日", CellKind::MonthDay,
        [](const NoteListLine &r) { return Cell { .number = r.note->IssueDate }; },
        { 165.4, 10.6, Align::Centre } },
    { u"支払日", CellKind::MonthDay,
        [](const NoteListLine &r) { return Cell { .number = r.note->DueDate }; },
        { 176.2, 10.6, Align::Centre } },
    { u"金額", CellKind::Amount,
        [](const NoteListLine &r) { return Cell { .amount = r.note->Amount }; },
        { 187.1, 18.5, Align::Right } },
    { u"確認", CellKind::Settled,
        [](const NoteListLine &r) { return Cell { .count = r.note->Settled != 0 }; },
        { 206.4, 10.6, Align::Centre } },
    { u"備考", CellKind::Text,
        [](const NoteListLine &r) { return Cell { .bytes = r.note->Remarks.view() }; },
        { 217.2, 54.5, Align::Left, true } },
};

static_assert(Columns[output::AmountField].kind == CellKind::Amount
    && Columns[output::RemarksField].kind == CellKind::Text);

} // namespace

std::span<const output::Column<NoteListLine>> noteListColumns()
{
    return Columns;
}

bool noteListTallRow(std::string_view bankName)
{
    return bankName.size() > TallBankNameBytes;
}

NoteListTable::NoteListTable(const Notes &notes, const Partners &partners, const Banks &banks,
    std::span<const std::int32_t> rows)
    : notes_(notes)
    , rows_(rows)
    , partners_(partners)
    , banks_(banks)
{
}

void NoteListTable::writeCells(csv::LineWriter &line, const NoteListLine &row) const
{
    output::writeCells<Columns>(line, row);
}

const NoteRecord *NoteListTable::note(int line) const
{
    const std::int32_t *index = output::entryAt(rows_, line);
    return index ? output::entryAt(notes_, *index) : nullptr;
}

std::optional<NoteListLine> NoteListTable::row(int line) const
{
    const NoteRecord *n = note(line);
    if (!n)
        return std::nullopt;
    return NoteListLine { n, partners_.firstName(n->PartnerCode.view()),
        banks_.firstName(n->BankCode.view()) };
}

output::LineShape NoteListTable::shape(int line) const
{
    output::LineShape s;
    const NoteRecord *n = note(line);
    if (n && noteListTallRow(banks_.firstName(n->BankCode.view()))) {
        s.height = output::TallNoteRowHeight;
        s.grown[0] = static_cast<float>(TallBankNameHeight);
    } else {
        s.height = output::NoteRowHeight;
    }
    return s;
}
