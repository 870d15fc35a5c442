#include "output/note_list_csv.h"

#include "output/csv_file.h"
#include "output/note_list_rows.h"

void appendNoteListCsvLine(QByteArray &out, const NoteRecord &note, std::string_view partnerName,
    std::string_view bankName)
{
    csv::LineWriter line(out);
    output::writeLine(line, noteListColumns(), NoteListLine { &note, partnerName, bankName });
}

bool CSV1(const QString &path, const Tables &tables, const std::vector<std::int32_t> &rows,
    const QString &title, QString *error, Progress *progress, FileSystem &fs)
{
    return csv::write(path, error, progress, fs, [&](csv::File &file) {
        file.expect(static_cast<qint64>(rows.size()) + 2);
        file.add({ title });
        output::addHead(file, noteListColumns());
        output::addRows(file, NoteListTable(tables.notes, tables.partners, tables.banks, rows));
    });
}
