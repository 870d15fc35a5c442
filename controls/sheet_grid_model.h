#pragma once

#include <span>
#include <vector>

#include <QAbstractTableModel>

// One column of a grid: its title, the width every refresh restores and how its cells are
// aligned.
struct GridColumn
{
    const char16_t *title;
    int width;
    Qt::Alignment alignment = Qt::AlignLeft;
    // A name or a remark, which may end in "…" where the column is too narrow; any other text (a
    // code, a number, a date, an amount, a mark) shrinks to fit instead, never shown cut.
    bool name = false;
};

// The data role that says a cell holds a name (bool).
inline constexpr int GridNameRole = Qt::UserRole + 1;

// What every grid of the program shares (the sheets' and the user list's): the titles as the
// horizontal header (centred), the cells aligned by column and centred vertically, nothing
// editable and no children. A subclass names its columns and rows and writes its cells.
class SheetGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // Text of a cell by model row; empty outside the rows that show an entry.
    virtual QString cellText(int row, int column) const = 0;
    std::vector<int> columnWidths() const;

    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

protected:
    virtual std::span<const GridColumn> gridColumns() const = 0;
};
