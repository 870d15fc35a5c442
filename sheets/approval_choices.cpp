#include "sheets/approval_choices.h"

#include "store/day_date.h"
#include "store/note_changes.h"
#include "store/sjis.h"

using namespace Qt::StringLiterals;

void ApprovalChoices::setArr(const Notes &notes, const std::vector<int> &indices)
{
    DueNotes_ = indices;
    ApprovalChoices_.assign(indices.size(), 0);
    for (std::size_t i = 0; i < indices.size(); ++i) {
        const int n = indices[i];
        if (n >= 0 && static_cast<std::size_t>(n) < notes.size())
            ApprovalChoices_[i] = notes[static_cast<std::size_t>(n)].Settled != 0 ? 1 : 0;
    }
}

bool ApprovalChoices::approved(int row) const
{
    return row >= 0 && row < count() && ApprovalChoices_[static_cast<std::size_t>(row)] != 0;
}

bool ApprovalChoices::toggle(int row)
{
    if (row < 0 || row >= count())
        return false;
    std::uint8_t &choice = ApprovalChoices_[static_cast<std::size_t>(row)];
    choice = choice != 0 ? 0 : 1;
    return true;
}

void ApprovalChoices::approveAll()
{
    std::fill(ApprovalChoices_.begin(), ApprovalChoices_.end(), std::uint8_t { 1 });
}

int ApprovalChoices::apply(AppState &state) const
{
    return notechanges::applyApprovals(state, DueNotes_, ApprovalChoices_);
}

QString approvalStatusLine(QDate today, int count)
{
    return u"%1月%2日現在　期日到来で未承認の手形は%3件　あります。"_s.arg(today.month())
        .arg(today.day())
        .arg(count);
}

QString ApprovalCells::text(const NoteRecord &note, int column) const
{
    switch (column) {
    case 0:
        return sjis::decode(note.PartnerCode.view());
    case 1:
        return sjis::decode(partners_.find(state_.PartnerTable, note.PartnerCode.view()));
    case 2:
        return sjis::decode(note.NoteNumber.view());
    case 3:
        return note.Amount.textN();
    case 4:
        return daydate::formatShort(note.DueDate);
    default:
        return {};
    }
}

QString stampText(bool approved)
{
    return QString::fromUtf16(approved ? ApprovedStamp : UnapprovedStamp);
}
