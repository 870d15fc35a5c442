#pragma once

#include "output/report_design.h"

namespace output {

// The note list's page: A4 landscape; header with the title (header text 0) and the period
// (header text 1); one detail per note, 6.1 mm, or 10.6 mm with a two-line bank name box.
ReportDesign noteListDesign();

// Text numbers of a note list line, in the order of the columns.
enum NoteListField {
    CodeField,
    PartnerNameField,
    NoteNumberField,
    BankCodeField,
    BankNameField,
    IssueDateField,
    DueDateField,
    AmountField,
    ConfirmationField,
    RemarksField,
};

inline constexpr double NoteRowHeight = 6.1;
inline constexpr double TallNoteRowHeight = 10.6;

} // namespace output
