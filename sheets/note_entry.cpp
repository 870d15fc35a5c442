#include "sheets/note_entry.h"

#include "store/day_date.h"
#include "store/sjis.h"

using namespace Qt::StringLiterals;

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

QStringList entryProblems(const NoteEntry &entry, std::uint8_t permissions)
{
    QStringList problems;
    if (entry.amount == 0)
        problems << u"金額が入力されていません。"_s;
    if (entry.dueDate < entry.issueDate)
        problems << u"振出日が支払日以降に設定されています。"_s;
    if (entry.partnerCode.isEmpty())
        problems << u"取引先が未登録です。"_s;
    if (entry.bankCode.isEmpty())
        problems << u"銀行が未登録です。"_s;
    if (entry.noteNumber.isEmpty())
        problems << u"手形番号が入力されていません"_s;
    if (permissions == 0)
        problems << u"入力権限がありません！"_s;
    return problems;
}

QString problemReport(const QStringList &problems)
{
    QString text;
    for (const QString &p : problems)
        text += u'\n' + p;
    return text;
}

NoteRecord makeNoteRecord(const NoteEntry &entry)
{
    NoteRecord n;
    n.IssueDate = daydate::wholeDay(daydate::fromDate(entry.issueDate));
    n.DueDate = daydate::wholeDay(daydate::fromDate(entry.dueDate));
    assignText(n.NoteNumber, entry.noteNumber);
    assignBytes(n.PartnerCode, entry.partnerCode);
    assignBytes(n.BankCode, entry.bankCode);
    n.Kind = static_cast<std::uint8_t>(entry.kind);
    n.Amount = Money::fromValue(entry.amount);
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
    e.amount = n.Amount.value();
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

NoteRecord makeEditedRecord(const NoteEntry &entry, const LoadedNote &loaded)
{
    NoteRecord n = makeNoteRecord(entry);
    if (entry.noteNumber == loaded.noteNumber)
        n.NoteNumber = loaded.record.NoteNumber;
    if (entry.remarks == loaded.remarks)
        n.Remarks = loaded.record.Remarks;
    if (entry.enteredBy == loaded.enteredBy)
        n.EnteredBy = loaded.record.EnteredBy;
    return n;
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
