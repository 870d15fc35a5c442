#include "controls/sheet_grid_model.h"

std::vector<int> SheetGridModel::columnWidths() const
{
    std::vector<int> widths;
    for (const GridColumn &column : gridColumns())
        widths.push_back(column.width);
    return widths;
}

int SheetGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(gridColumns().size());
}

QVariant SheetGridModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return cellText(index.row(), index.column());
    case Qt::TextAlignmentRole: {
        const GridColumn &column = gridColumns()[static_cast<std::size_t>(index.column())];
        return static_cast<int>(column.alignment | Qt::AlignVCenter);
    }
    case GridNameRole:
        return gridColumns()[static_cast<std::size_t>(index.column())].name;
    default:
        return {};
    }
}

QVariant SheetGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    const std::span<const GridColumn> columns = gridColumns();
    if (orientation != Qt::Horizontal || section < 0
        || static_cast<std::size_t>(section) >= columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromUtf16(columns[static_cast<std::size_t>(section)].title);
    case Qt::TextAlignmentRole:
        return static_cast<int>(Qt::AlignCenter);
    default:
        return {};
    }
}

Qt::ItemFlags SheetGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
