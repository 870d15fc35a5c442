#include "sheets/note_entry.h"

#include "core/day_date.h"
#include "core/sjis.h"

namespace {

template <std::size_t N> void assignText(ShortText<N> &field, const QString &text)
{
    const QByteArray bytes = sjis::cutBytes(sjis::encode(text), static_cast<int>(N));
    field.assign(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

template <std::size_t N> void assignBytes(ShortText<N> &field, const QByteArray &bytes)
{
    const QByteArray cut = sjis::cutBytes(bytes, static_cast<int>(N));
    field.assign(std::string_view(cut.constData(), static_cast<size_t>(cut.size())));
}

} // namespace

values::Problems entryProblems(
    const NoteEntry &entry, std::uint8_t permissions, const LoadedNote *loaded)
{
    using values::Field;
    using Kind = values::Problem::Kind;
    values::Problems problems;
    const auto add = [&](Kind kind, Field field = {}) { problems.push_back({ kind, field }); };
    if (entry.amount == Money())
        add(Kind::NoAmount);
    if (entry.issueDate.isValid() && entry.dueDate.isValid() && entry.dueDate < entry.issueDate)
        add(Kind::DueBeforeIssue);
    if (entry.partnerCode.isEmpty())
        add(Kind::NoPartner);
    if (entry.bankCode.isEmpty())
        add(Kind::NoBank);
    if (entry.noteNumber.isEmpty())
        add(Kind::NoNoteNumber);
    if (permissions == 0)
        add(Kind::NoRight);
    const struct
    {
        const QString &text;
        const QString *shown; // as loaded for editing: kept as stored when left so
        Field field;
    } texts[] = {
        { entry.noteNumber, loaded ? &loaded->noteNumber : nullptr, Field::NoteNumber },
        { entry.remarks, loaded ? &loaded->remarks : nullptr, Field::Remarks },
        { entry.enteredBy, loaded ? &loaded->enteredBy : nullptr, Field::EnteredBy },
    };
    for (const auto &t : texts) {
        if (!(t.shown && *t.shown == t.text) && !sjis::canEncode(t.text))
            add(Kind::Unencodable, t.field);
    }
    if (!entry.issueDate.isValid())
        add(Kind::NotADate, Field::IssueDate);
    if (!entry.dueDate.isValid())
        add(Kind::NotADate, Field::DueDate);
    return problems;
}

std::optional<NoteRecord> makeNoteRecord(const NoteEntry &entry)
{
    if (!entry.issueDate.isValid() || !entry.dueDate.isValid() || !sjis::canEncode(entry.noteNumber)
        || !sjis::canEncode(entry.remarks) || !sjis::canEncode(entry.enteredBy))
        return std::nullopt;
    NoteRecord n;
    n.IssueDate = daydate::wholeDay(daydate::fromDate(entry.issueDate));
    n.DueDate = daydate::wholeDay(daydate::fromDate(entry.dueDate));
    assignText(n.NoteNumber, entry.noteNumber);
    assignBytes(n.PartnerCode, entry.partnerCode);
    assignBytes(n.BankCode, entry.bankCode);
    n.Kind = static_cast<std::uint8_t>(entry.kind);
    n.Amount = entry.amount;
    assignText(n.Remarks, entry.remarks);
    n.Settled = entry.settled ? 1 : 0;
    assignText(n.EnteredBy, entry.enteredBy);
    return n;
}

LoadedNote loadNote(const NoteRecord &record)
{
    return { record, sjis::decode(record.NoteNumber.view()), sjis::decode(record.Remarks.view()),
        sjis::decode(record.EnteredBy.view()) };
}

NoteEntry entryOf(const LoadedNote &loaded)
{
    const NoteRecord &n = loaded.record;
    const auto bytes = [](std::string_view v) {
        return QByteArray(v.data(), static_cast<qsizetype>(v.size()));
    };
    NoteEntry e;
    e.partnerCode = bytes(n.PartnerCode.view());
    e.bankCode = bytes(n.BankCode.view());
    e.noteNumber = loaded.noteNumber;
    e.issueDate = daydate::toDate(n.IssueDate);
    e.dueDate = daydate::toDate(n.DueDate);
    e.amount = n.Amount;
    e.remarks = loaded.remarks;
    e.kind = n.Kind;
    e.settled = n.Settled != 0;
    e.enteredBy = loaded.enteredBy;
    return e;
}

NoteEntry followStoredNote(const NoteEntry &shown, const NoteEntry &loaded, const NoteEntry &stored)
{
    NoteEntry followed = shown;
    const auto follow = [&](auto field) {
        if (shown.*field == loaded.*field)
            followed.*field = stored.*field;
    };
    follow(&NoteEntry::partnerCode);
    follow(&NoteEntry::bankCode);
    follow(&NoteEntry::noteNumber);
    follow(&NoteEntry::issueDate);
    follow(&NoteEntry::dueDate);
    follow(&NoteEntry::amount);
    follow(&NoteEntry::remarks);
    follow(&NoteEntry::kind);
    follow(&NoteEntry::settled);
    follow(&NoteEntry::enteredBy);
    return followed;
}

std::optional<NoteRecord> makeEditedRecord(const NoteEntry &entry, const LoadedNote &loaded)
{
    // A text left as it was shown keeps its stored bytes, whatever they decode to.
    NoteEntry checked = entry;
    if (entry.noteNumber == loaded.noteNumber)
        checked.noteNumber.clear();
    if (entry.remarks == loaded.remarks)
        checked.remarks.clear();
    if (entry.enteredBy == loaded.enteredBy)
        checked.enteredBy.clear();
    std::optional<NoteRecord> made = makeNoteRecord(checked);
    if (!made)
        return std::nullopt;
    NoteRecord n = *made;
    if (entry.noteNumber == loaded.noteNumber)
        n.NoteNumber = loaded.record.NoteNumber;
    if (entry.remarks == loaded.remarks)
        n.Remarks = loaded.record.Remarks;
    if (entry.enteredBy == loaded.enteredBy)
        n.EnteredBy = loaded.record.EnteredBy;
    return n;
}

bool holdsSameNote(const Notes &notes, const NoteRecord &note, int editedIndex)
{
    for (size_t i = 0; i < notes.size(); ++i) {
        if (static_cast<int>(i) != editedIndex
            && notes[i].PartnerCode.view() == note.PartnerCode.view()
            && notes[i].NoteNumber.view() == note.NoteNumber.view())
            return true;
    }
    return false;
}

int proposedBankPosition(const Partners &partners, const Banks &banks, int partnerPosition)
{
    if (partnerPosition < 0 || static_cast<size_t>(partnerPosition) >= partners.size())
        return 0;
    const std::string_view wanted = partners[static_cast<size_t>(partnerPosition)].BankCode.view();
    for (size_t i = 0; i < banks.size(); ++i) {
        if (banks[i].Code.view() == wanted)
            return static_cast<int>(i);
    }
    return 0;
}

QDate proposedDueDate(QDate issueDate)
{
    return issueDate.addMonths(1); // clamps to the month's last day
}

EditFollow followRemoval(int &editIndex, int removedIndex)
{
    if (removedIndex > editIndex)
        return EditFollow::Unchanged;
    if (removedIndex == editIndex)
        return EditFollow::Lost;
    --editIndex;
    return EditFollow::Moved;
}
