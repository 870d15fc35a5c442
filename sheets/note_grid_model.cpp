#include "sheets/note_grid_model.h"

#include "store/app_state.h"

NoteGridModel::NoteGridModel(
    const AppState &state, const std::vector<std::int32_t> &viewIndex, QObject *parent)
    : SheetGridModel(parent)
    , state_(state)
    , viewIndex_(viewIndex)
    , cells_(state)
{
}

void NoteGridModel::refresh(bool showNotes)
{
    beginResetModel();
    cells_.rebuild();
    noteRows_ = showNotes ? static_cast<int>(viewIndex_.size()) : 0;
    endResetModel();
}

// The view index and the table may change between two refreshes (a note removed before the
// refresh that follows); a row whose note is gone shows nothing rather than reading past it.
const NoteRecord *NoteGridModel::noteAt(int row) const
{
    if (row < 0 || row >= noteRows_ || static_cast<std::size_t>(row) >= viewIndex_.size())
        return nullptr;
    const std::int32_t n = viewIndex_[static_cast<std::size_t>(row)];
    if (n < 0 || static_cast<std::size_t>(n) >= state_.NoteTable.size())
        return nullptr;
    return &state_.NoteTable[static_cast<std::size_t>(n)];
}

QString NoteGridModel::cellText(int row, int column) const
{
    const NoteRecord *note = noteAt(row);
    return note ? cells_.text(*note, column) : QString();
}

int NoteGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : noteRows_ + 1;
}
