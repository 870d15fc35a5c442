#pragma once

#include <cstdint>
#include <vector>

#include <QAbstractTableModel>

#include "sheets/note_grid.h"

struct AppState;

// The note grid as a table model: row r shows NoteTable[viewIndex[r]], formatted when asked, so
// a refresh costs the same for ten notes as for a million. One empty row follows the last note;
// the titles are the horizontal header.
class NoteGridModel : public QAbstractTableModel
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
    const std::vector<std::int32_t> &viewIndex_;
    NoteCells cells_;
    int noteRows_ = 0;
};
