#pragma once

#include "controls/sheet_grid_model.h"
#include "sheets/approval_choices.h"

// The approval list's grid as a table model: row r shows NoteTable[DueNotes[r]], formatted when
// asked, and the stamp column shows the row's choice. No empty row follows the last note.
class ApprovalListModel : public SheetGridModel
{
    Q_OBJECT
public:
    ApprovalListModel(
        const Register &data, const ApprovalChoices &choices, QObject *parent = nullptr);

    // Rebuilds the rows from the listed notes and the name lookup from the partner register.
    void refresh();
    // One row's choice changed: only its stamp cell is redrawn.
    void stampChanged(int row);
    void allStampsChanged();

    QString cellText(int row, int column) const override;

    int rowCount(const QModelIndex &parent = {}) const override;

protected:
    std::span<const GridColumn> gridColumns() const override { return ApprovalColumns; }

private:
    const NoteRecord *noteAt(int row) const;

    const Register &data_;
    const ApprovalChoices &choices_;
    ApprovalCells cells_;
    int rows_ = 0;
};
