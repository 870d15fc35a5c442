#pragma once

#include <cstdint>
#include <vector>

#include "controls/sheet_grid_model.h"
#include "sheets/note_grid.h"

struct AppState;

// The note grid as a table model: row r shows NoteTable[viewIndex[r]], formatted when asked, so
// a refresh costs the same for ten notes as for a million. One empty row follows the last note;
// the titles are the horizontal header.
class NoteGridModel : public SheetGridModel
{
    Q_OBJECT
public:
    NoteGridModel(const AppState &state, const std::vector<std::int32_t> &viewIndex,
        QObject *parent = nullptr);

    // Rebuilds the rows from the view index and the name lookups from the registers; without
    // showNotes (no rights) only the empty row remains.
    void refresh(bool showNotes);

    int noteRows() const { return noteRows_; }
    // Text of a cell by view row; empty for the trailing row and outside the grid.
    QString cellText(int row, int column) const override;

    int rowCount(const QModelIndex &parent = {}) const override;

protected:
    std::span<const GridColumn> gridColumns() const override { return NoteGridColumns; }

private:
    const NoteRecord *noteAt(int row) const;

    const AppState &state_;
    const std::vector<std::int32_t> &viewIndex_;
    NoteCells cells_;
    int noteRows_ = 0;
};
