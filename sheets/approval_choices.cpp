#include "sheets/approval_choices.h"

#include <algorithm>

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

int ApprovalChoices::apply(Register &data) const
{
    return data.applyApprovals(DueNotes_, ApprovalChoices_);
}

QString approvalStatusLine(QDate today, int count)
{
    return u"%1月%2日現在　期日到来で未承認の手形は%3件　あります。"_s.arg(today.month())
        .arg(today.day())
        .arg(count);
}

QString ApprovalCells::text(const NoteRecord &note, int column) const
{
    if (column < 0 || column >= StampColumn)
        return {};
    return cells_.text(note, ApprovalFields[static_cast<std::size_t>(column)]);
}

QString stampText(bool approved)
{
    return QString::fromUtf16(approved ? ApprovedStamp : UnapprovedStamp);
}
