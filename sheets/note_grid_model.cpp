#include "sheets/note_grid_model.h"

#include <algorithm>

#include "session/session.h"

NoteGridModel::NoteGridModel(
    const Register &data, const std::vector<std::int32_t> &viewIndex, QObject *parent)
    : SheetGridModel(parent)
    , data_(data)
    , viewIndex_(viewIndex)
    , cells_(data.tables())
{
}

void NoteGridModel::refresh(bool showNotes)
{
    beginResetModel();
    cells_.rebuild();
    showNotes_ = showNotes;
    noteRows_ = showNotes ? static_cast<int>(viewIndex_.size()) : 0;
    endResetModel();
}

void NoteGridModel::follow(const RegisterChange &change, bool fullView)
{
    using Kind = RegisterChange::Kind;
    if (change.table != DataTable::NoteTable) {
        // Names are looked up by code, so any row may name the partner or bank that changed.
        cells_.rebuild();
        redraw(0, noteRows_ - 1, PartnerNameColumn, BankNameColumn);
        return;
    }
    if (change.kind == Kind::Reset || (change.resizes() && !followRowCount(change))) {
        refresh(showNotes_);
        return;
    }
    if (change.resizes())
        return;
    // Row r lists note r in the full view; a search result lists notes in its own order.
    std::vector<int> settled = change.rows;
    std::sort(settled.begin(), settled.end());
    const auto touched = [&](int note) {
        if (change.kind == Kind::Settled)
            return std::binary_search(settled.begin(), settled.end(), note);
        return note >= change.first && note < change.first + change.count;
    };
    if (fullView) {
        if (change.kind != Kind::Settled)
            redraw(change.first, change.first + change.count - 1, 0, NoteGridColumnCount - 1);
        else if (!settled.empty())
            redraw(settled.front(), settled.back(), 0, NoteGridColumnCount - 1);
        return;
    }
    int first = noteRows_;
    int last = -1;
    for (int row = 0; row < noteRows_; ++row) {
        if (touched(viewIndex_[static_cast<std::size_t>(row)])) {
            first = std::min(first, row);
            last = row;
        }
    }
    redraw(first, last, 0, NoteGridColumnCount - 1);
}

// Notes appended to or removed from a view that lists every note, already listed as they are
// now: their rows come or go alone. False when the rows do not stand for the notes so.
bool NoteGridModel::followRowCount(const RegisterChange &change)
{
    if (!showNotes_)
        return true; // no note is shown, before or after
    const int listed = static_cast<int>(viewIndex_.size());
    const int last = change.first + change.count - 1;
    if (change.kind == RegisterChange::Kind::Appended) {
        if (change.first != noteRows_ || listed != noteRows_ + change.count)
            return false;
        beginInsertRows({}, change.first, last);
        noteRows_ = listed;
        endInsertRows();
        return true;
    }
    if (last >= noteRows_ || listed != noteRows_ - change.count)
        return false;
    removing_ = { change.first, change.count };
    beginRemoveRows({}, change.first, last);
    removing_ = {};
    noteRows_ = listed;
    endRemoveRows();
    return true;
}

void NoteGridModel::redraw(int first, int last, int firstColumn, int lastColumn)
{
    first = std::max(first, 0);
    last = std::min(last, noteRows_ - 1);
    if (first <= last)
        emit dataChanged(index(first, firstColumn), index(last, lastColumn));
}

// The view index and the table may change between two refreshes (a note removed before the
// refresh that follows); a row whose note is gone shows nothing rather than reading past it.
const NoteRecord *NoteGridModel::noteAt(int row) const
{
    row = removing_.rowNow(row);
    if (row < 0 || row >= noteRows_ || static_cast<std::size_t>(row) >= viewIndex_.size())
        return nullptr;
    const std::int32_t n = viewIndex_[static_cast<std::size_t>(row)];
    if (n < 0 || static_cast<std::size_t>(n) >= data_.notes().size())
        return nullptr;
    return &data_.notes()[static_cast<std::size_t>(n)];
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
