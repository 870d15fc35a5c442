#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "core/lookups.h"
#include "output/report_columns.h"
#include "session/session.h"

// The rows of the note list (the journals and the list of the data sheet's rows), shared by the
// printed report and its CSV file.

// One note of the list with the first-match names of its codes, empty when none.
struct NoteListLine
{
    const NoteRecord *note = nullptr;
    std::string_view partnerName;
    std::string_view bankName;
};

// The columns, as the page and the CSV file have them: the code ("'" before it in the file), the
// partner, the note number, the bank's code and name, the issue and due days ("MM/dd"), the amount
// ("%10.0n"; in the file without separators but as far right), the confirmation (〇 settled, ×
// not, in the file alone: the printed column is left for a pen) and the remarks.
std::span<const output::Column<NoteListLine>> noteListColumns();

// A bank name over 32 bytes takes the tall printed row with a second line for the name.
bool noteListTallRow(std::string_view bankName);

// The notes at rows (note indices), in their order; an index beyond the table stands for no row.
class NoteListTable
{
public:
    using Row = NoteListLine;

    NoteListTable(const Notes &notes, const Partners &partners, const Banks &banks,
        std::span<const std::int32_t> rows);

    int count() const { return static_cast<int>(rows_.size()); }
    std::optional<NoteListLine> row(int line) const;
    std::span<const output::Column<NoteListLine>> columns(const NoteListLine &) const
    {
        return noteListColumns();
    }
    void writeCells(csv::LineWriter &line, const NoteListLine &row) const;
    // The tall row for a long bank name.
    output::LineShape shape(int line) const;

private:
    const NoteRecord *note(int line) const;

    const Notes &notes_;
    std::span<const std::int32_t> rows_;
    CodeIndex<PartnerRecord> partners_;
    CodeIndex<BankRecord> banks_;
};
