#pragma once

#include <cstdint>
#include <vector>

#include "controls/sheet_grid_model.h"
#include "sheets/note_grid.h"
#include "sheets/row_removal.h"

class Register;
struct RegisterChange;

// The note grid as a table model: row r shows NoteTable[viewIndex[r]], formatted when asked, so
// a refresh costs the same for ten notes as for a million. One empty row follows the last note;
// the titles are the horizontal header. A change to the register redraws only the rows it
// touched, so showing one changed note costs the same at any size of the register.
class NoteGridModel : public SheetGridModel
{
    Q_OBJECT
public:
    NoteGridModel(const Register &data, const std::vector<std::int32_t> &viewIndex,
        QObject *parent = nullptr);

    // Rebuilds the rows from the view index and the name lookups from the registers; without
    // showNotes (no rights) only the empty row remains.
    void refresh(bool showNotes);
    bool showsNotes() const { return showNotes_; }
    // Shows one change to the register in the rows it touched: notes appended to or removed from
    // the full view (fullView: row r lists note r; the view index already lists the notes as they
    // are now) insert or remove their rows, a note changed in place redraws the rows that list
    // it, and a partner or bank changed redraws the names. The register read again, or rows that
    // do not stand for the notes so, rebuild every row.
    void follow(const RegisterChange &change, bool fullView);

    int noteRows() const { return noteRows_; }
    // Text of a cell by view row; empty for the trailing row and outside the grid.
    QString cellText(int row, int column) const override;

    int rowCount(const QModelIndex &parent = {}) const override;

protected:
    std::span<const GridColumn> gridColumns() const override { return NoteGridColumns; }

private:
    const NoteRecord *noteAt(int row) const;
    bool followRowCount(const RegisterChange &change);
    void redraw(int first, int last, int firstColumn, int lastColumn);

    const Register &data_;
    const std::vector<std::int32_t> &viewIndex_;
    NoteCells cells_;
    int noteRows_ = 0;
    bool showNotes_ = false;
    RowRemoval removing_;
};
