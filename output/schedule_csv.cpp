#include "output/schedule_csv.h"

#include <cstddef>

#include "core/lookups.h"
#include "core/sjis.h"
#include "output/csv_file.h"
#include "output/csv_line.h"
#include "output/yen_unit.h"
#include "session/session.h"

using namespace Qt::StringLiterals;

namespace {

} // namespace

QByteArray scheduleCsvNoteLine(const NoteRecord &note, double day, std::string_view partnerName)
{
    return csv::line(schedule::csvNoteFields(note, day, partnerName));
}

void appendScheduleCsvNoteLine(
    QByteArray &out, const NoteRecord &note, std::string_view date, std::string_view partnerName)
{
    csv::LineWriter line(out);
    line.field(date);
    line.put(',');
    line.field(note.PartnerCode.view(), "'");
    line.put(',');
    line.textField(partnerName);
    line.put(',');
    line.textField(note.NoteNumber.view());
    line.put(',');
    line.amount(note.Amount);
    line.putEncoded(yenUnitBytes(note.Amount));
    line.endLine();
}

bool CSV3(const QString &path, const Session &state, const std::vector<schedule::Line> &lines,
    const QString &title, const QString &period, QString *error, Progress *progress, FileSystem &fs)
{
    return csv::write(path, error, progress, fs, [&](csv::File &file) {
        file.expect(static_cast<qint64>(lines.size()) + 2);
        file.add(schedule::csvTitleFields(title, period));
        file.add(schedule::csvHeaderFields());
        const CodeIndex<PartnerRecord> partners(state.PartnerTable);
        QByteArray date;
        double dateOf = 0;
        // The notes lie scattered over a table far larger than any cache; asking for the ones a
        // few lines ahead hides the wait for memory behind the work on this one.
        constexpr std::size_t Ahead = 32;
        for (std::size_t at = 0; at < lines.size(); ++at) {
            if (at + Ahead < lines.size() && !lines[at + Ahead].subtotal()) {
                const char *ahead = reinterpret_cast<const char *>(
                    &state.NoteTable[static_cast<std::size_t>(lines[at + Ahead].note)]);
                __builtin_prefetch(ahead + offsetof(NoteRecord, NoteNumber));
                __builtin_prefetch(ahead + offsetof(NoteRecord, Amount));
            }
            const schedule::Line &line = lines[at];
            if (line.subtotal()) {
                file.add(schedule::csvSubtotalFields(line));
                continue;
            }
            if (date.isEmpty() || dateOf != line.day) {
                date = sjis::encode(schedule::csvDate(line.day));
                dateOf = line.day;
            }
            const NoteRecord &note = state.NoteTable[static_cast<std::size_t>(line.note)];
            appendScheduleCsvNoteLine(file.buffer(), note,
                std::string_view(date.constData(), static_cast<std::size_t>(date.size())),
                partners.firstName(note.PartnerCode.view()));
            file.lineAdded();
        }
    });
}
