#include "controls/sheet_grid.h"

#include <algorithm>

#include <QHeaderView>
#include <QTableView>
#include <QVariantMap>

#include "controls/grid_delegate.h"

namespace {

constexpr char ApplyingWidths[] = "tegataApplyingWidths";
constexpr char UserWidths[] = "tegataUserWidths";

} // namespace

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
    // Widths the user dragged, remembered apart from those a refresh sets.
    QObject::connect(
        titles, &QHeaderView::sectionResized, titles, [titles](int column, int, int width) {
            if (titles->property(ApplyingWidths).toBool())
                return;
            QVariantMap dragged = titles->property(UserWidths).toMap();
            dragged.insert(QString::number(column), width);
            titles->setProperty(UserWidths, dragged);
        });
}

void applyColumnWidths(QTableView *grid, const std::vector<int> &widths)
{
    QHeaderView *titles = grid->horizontalHeader();
    const QVariantMap dragged = titles->property(UserWidths).toMap();
    titles->setProperty(ApplyingWidths, true);
    for (std::size_t c = 0; c < widths.size(); ++c) {
        const QVariant byHand = dragged.value(QString::number(c));
        titles->resizeSection(static_cast<int>(c), byHand.isValid() ? byHand.toInt() : widths[c]);
    }
    titles->setProperty(ApplyingWidths, false);
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
