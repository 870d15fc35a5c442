#include "sheets/approval_list_model.h"

ApprovalListModel::ApprovalListModel(
    const Register &data, const ApprovalChoices &choices, QObject *parent)
    : SheetGridModel(parent)
    , data_(data)
    , choices_(choices)
    , cells_(data)
{
}

void ApprovalListModel::refresh()
{
    beginResetModel();
    cells_.rebuild();
    rows_ = choices_.count();
    endResetModel();
}

void ApprovalListModel::stampChanged(int row)
{
    if (row < 0 || row >= rows_)
        return;
    const QModelIndex stamp = index(row, StampColumn);
    emit dataChanged(stamp, stamp, { Qt::DisplayRole });
}

void ApprovalListModel::allStampsChanged()
{
    if (rows_ > 0)
        emit dataChanged(index(0, StampColumn), index(rows_ - 1, StampColumn), { Qt::DisplayRole });
}

// A note listed by an index the table no longer holds shows nothing rather than reading past it.
const NoteRecord *ApprovalListModel::noteAt(int row) const
{
    const std::vector<int> &due = choices_.DueNotes();
    if (row < 0 || row >= rows_ || static_cast<std::size_t>(row) >= due.size())
        return nullptr;
    const int n = due[static_cast<std::size_t>(row)];
    if (n < 0 || static_cast<std::size_t>(n) >= data_.notes().size())
        return nullptr;
    return &data_.notes()[static_cast<std::size_t>(n)];
}

QString ApprovalListModel::cellText(int row, int column) const
{
    if (column == StampColumn)
        return row >= 0 && row < rows_ ? stampText(choices_.approved(row)) : QString();
    const NoteRecord *note = noteAt(row);
    return note ? cells_.text(*note, column) : QString();
}

int ApprovalListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows_;
}
