#include "output/note_list_csv.h"

#include "output/csv_file.h"
#include "output/note_list_rows.h"
#include "store/lookups.h"

bool CSV1(const QString &path, const AppState &state, const std::vector<std::int32_t> &rows,
    const QString &title, QString *error, FileSystem &fs)
{
    csv::File file(path, fs);
    if (file.open()) {
        file.add({ title });
        file.add(noteListCsvHeader().split(u','));
        const FirstNameIndex<PartnerRecord> partners(state.PartnerTable);
        const FirstNameIndex<BankRecord> banks(state.BankTable);
        for (std::int32_t index : rows) {
            const NoteRecord &note = state.NoteTable[static_cast<std::size_t>(index)];
            file.add(noteListCsvFields(noteListTexts(
                note, partners.name(note.PartnerCode.view()), banks.name(note.BankCode.view()))));
        }
        if (file.commit())
            return true;
    }
    if (error)
        *error = file.errorMessage();
    return false;
}
