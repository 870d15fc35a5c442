#include "output/note_list_rows.h"

#include "core/day_date.h"
#include "core/sjis.h"
#include "output/csv_line.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int TallBankNameBytes = 32;

} // namespace

bool noteListTallRow(std::string_view bankName)
{
    return bankName.size() > TallBankNameBytes;
}

NoteListTexts noteListTexts(
    const NoteRecord &note, std::string_view partnerName, std::string_view bankName)
{
    NoteListTexts t;
    t.code = sjis::decode(note.PartnerCode.view());
    t.partnerName = sjis::decode(partnerName);
    t.noteNumber = sjis::decode(note.NoteNumber.view());
    t.bankCode = sjis::decode(note.BankCode.view());
    t.bankName = sjis::decode(bankName);
    t.issueDate = daydate::formatMonthDay(note.IssueDate);
    t.dueDate = daydate::formatMonthDay(note.DueDate);
    t.amount = note.Amount.textN();
    t.confirmation = note.Settled != 0 ? u"〇"_s : u"×"_s;
    t.remarks = sjis::decode(note.Remarks.view());
    t.tallRow = noteListTallRow(bankName);
    return t;
}

QString noteListCsvHeader()
{
    return u",取引先,手形番号,,振出銀行,振出日,支払日,金額,確認,備考"_s;
}

QStringList noteListCsvFields(const NoteListTexts &t)
{
    QString amount = t.amount;
    amount.remove(u',');
    return { u"'"_s + t.code, csv::plainText(t.partnerName), csv::plainText(t.noteNumber),
        t.bankCode, csv::plainText(t.bankName), t.issueDate, t.dueDate, amount, t.confirmation,
        csv::plainText(t.remarks) };
}
