#include "sheets/note_grid.h"

#include <numeric>

#include "core/day_date.h"
#include "core/formats.h"
#include "core/kinds.h"
#include "core/sjis.h"

void NoteCells::rebuild()
{
    partners_.rebuild(tables_.partners);
    banks_.rebuild(tables_.banks);
}

QString NoteCells::text(const NoteRecord &note, int column) const
{
    switch (column) {
    case PartnerCodeColumn:
        return sjis::decode(note.PartnerCode.view());
    case PartnerNameColumn:
        return sjis::decode(partners_.find(tables_.partners, note.PartnerCode.view()));
    case BankCodeColumn:
        return sjis::decode(note.BankCode.view());
    case BankNameColumn:
        return sjis::decode(banks_.find(tables_.banks, note.BankCode.view()));
    case NoteNumberColumn:
        return sjis::decode(note.NoteNumber.view());
    case IssueDateColumn:
        return daydate::formatShort(note.IssueDate);
    case DueDateColumn:
        return daydate::formatShort(note.DueDate);
    case AmountColumn:
        return formats::amountN(note.Amount);
    case SettledColumn:
        return QString::fromUtf16(note.Settled != 0 ? SettledMark : UnsettledMark);
    case KindColumn:
        return noteKindName(note.Kind);
    case RemarksColumn:
        return sjis::decode(note.Remarks.view());
    case EnteredByColumn:
        return sjis::decode(note.EnteredBy.view());
    default:
        return {};
    }
}

std::vector<std::int32_t> allNoteIndices(std::size_t noteCount)
{
    std::vector<std::int32_t> all(noteCount);
    std::iota(all.begin(), all.end(), 0);
    return all;
}

PopupItems popupItems(const GridSelection &selection)
{
    PopupItems items;
    const bool actionable = selection.singleRowOfFullView() && !selection.code.isEmpty();
    if (!actionable)
        return items;
    items.Edit1 = true;
    items.Delete1 = true;
    items.SHONIN1 = selection.settled == QStringView(UnsettledMark);
    items.WARIBIKI1 = items.URAGAKI1 = selection.kind == noteKindName(ReceivableNote);
    return items;
}
