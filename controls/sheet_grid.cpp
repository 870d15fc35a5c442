#include "controls/sheet_grid.h"

#include <algorithm>

#include <QHeaderView>
#include <QTableView>

#include "controls/grid_delegate.h"

void setUpSheetGrid(QTableView *grid, int rowHeight)
{
    grid->setHorizontalHeader(new GridHeader(grid));
    grid->setItemDelegate(new GridDelegate(grid));
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setShowGrid(true);
    grid->setWordWrap(false);
    grid->setCornerButtonEnabled(false);
    grid->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    QHeaderView *rows = grid->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(rowHeight);
    rows->setDefaultSectionSize(rowHeight);
    QHeaderView *titles = grid->horizontalHeader();
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setStretchLastSection(false);
    titles->setMinimumSectionSize(8);
    titles->setFixedHeight(rowHeight);
}

void applyColumnWidths(QTableView *grid, const std::vector<int> &widths)
{
    QHeaderView *titles = grid->horizontalHeader();
    for (std::size_t c = 0; c < widths.size(); ++c)
        titles->resizeSection(static_cast<int>(c), widths[c]);
}

GridRowRange selectedRowRange(const QTableView *grid)
{
    GridRowRange range;
    if (!grid->selectionModel())
        return range;
    for (const QItemSelectionRange &r : grid->selectionModel()->selection()) {
        range.top = range.top < 0 ? r.top() : std::min(range.top, r.top());
        range.bottom = std::max(range.bottom, r.bottom());
    }
    return range;
}
