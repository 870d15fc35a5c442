#include "output/note_list_csv.h"

#include "core/lookups.h"
#include "core/sjis.h"
#include "output/csv_file.h"
#include "output/csv_line.h"
#include "output/note_list_rows.h"

using namespace Qt::StringLiterals;

QByteArray noteListCsvLine(
    const NoteRecord &note, std::string_view partnerName, std::string_view bankName)
{
    return csv::line(noteListCsvFields(noteListTexts(note, partnerName, bankName)));
}

void appendNoteListCsvLine(QByteArray &out, const NoteRecord &note, std::string_view partnerName,
    std::string_view bankName)
{
    static const QByteArray settled = sjis::encode(u"〇"_s);
    static const QByteArray open = sjis::encode(u"×"_s);
    csv::LineWriter line(out);
    line.field(note.PartnerCode.view(), "'");
    line.put(',');
    line.textField(partnerName);
    line.put(',');
    line.textField(note.NoteNumber.view());
    line.put(',');
    line.field(note.BankCode.view());
    line.put(',');
    line.textField(bankName);
    line.put(',');
    line.monthDay(note.IssueDate);
    line.put(',');
    line.monthDay(note.DueDate);
    line.put(',');
    line.amount(note.Amount, csv::LineWriter::Padding::Grouped);
    line.put(',');
    line.putEncoded(note.Settled != 0 ? settled : open);
    line.put(',');
    line.textField(note.Remarks.view());
    line.endLine();
}

bool CSV1(const QString &path, const Session &state, const std::vector<std::int32_t> &rows,
    const QString &title, QString *error, Progress *progress, FileSystem &fs)
{
    return csv::write(path, error, progress, fs, [&](csv::File &file) {
        file.expect(static_cast<qint64>(rows.size()) + 2);
        file.add({ title });
        file.add(noteListCsvHeader().split(u','));
        const CodeIndex<PartnerRecord> partners(state.PartnerTable);
        const CodeIndex<BankRecord> banks(state.BankTable);
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const NoteRecord &note = state.NoteTable[static_cast<std::size_t>(rows[r])];
            appendNoteListCsvLine(file.buffer(), note, partners.firstName(note.PartnerCode.view()),
                banks.firstName(note.BankCode.view()));
            file.lineAdded();
        }
    });
}
