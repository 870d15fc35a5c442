#pragma once

#include <QAbstractTableModel>

#include "sheets/approval_choices.h"

// The approval list's grid as a table model: row r shows NoteTable[DueNotes[r]], formatted when
// asked, and the stamp column shows the row's choice. No empty row follows the last note.
class ApprovalListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    ApprovalListModel(
        const AppState &state, const ApprovalChoices &choices, QObject *parent = nullptr);

    // Rebuilds the rows from the listed notes and the name lookup from the partner register.
    void refresh();
    // One row's choice changed: only its stamp cell is redrawn.
    void stampChanged(int row);
    void allStampsChanged();

    QString cellText(int row, int column) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    const NoteRecord *noteAt(int row) const;

    const AppState &state_;
    const ApprovalChoices &choices_;
    ApprovalCells cells_;
    int rows_ = 0;
};
