#include "sheets/note_grid_model.h"

#include "store/app_state.h"

NoteGridModel::NoteGridModel(
    const AppState &state, const std::vector<std::int32_t> &viewIndex, QObject *parent)
    : QAbstractTableModel(parent)
    , state_(state)
    , viewIndex_(viewIndex)
    , cells_(state)
{
}

void NoteGridModel::refresh(bool showNotes)
{
    beginResetModel();
    cells_.rebuild();
    noteRows_ = showNotes ? static_cast<int>(viewIndex_.size()) : 0;
    endResetModel();
}

// The view index and the table may change between two refreshes (a note removed before the
// refresh that follows); a row whose note is gone shows nothing rather than reading past it.
const NoteRecord *NoteGridModel::noteAt(int row) const
{
    if (row < 0 || row >= noteRows_ || static_cast<std::size_t>(row) >= viewIndex_.size())
        return nullptr;
    const std::int32_t n = viewIndex_[static_cast<std::size_t>(row)];
    if (n < 0 || static_cast<std::size_t>(n) >= state_.NoteTable.size())
        return nullptr;
    return &state_.NoteTable[static_cast<std::size_t>(n)];
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

int NoteGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : NoteGridColumnCount;
}

QVariant NoteGridModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return cellText(index.row(), index.column());
    case Qt::TextAlignmentRole: {
        const Qt::Alignment horizontal =
            index.column() == AmountColumn ? Qt::AlignRight : Qt::AlignLeft;
        return static_cast<int>(horizontal | Qt::AlignVCenter);
    }
    default:
        return {};
    }
}

QVariant NoteGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= NoteGridColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromUtf16(NoteGridColumns[static_cast<std::size_t>(section)].title);
    case Qt::TextAlignmentRole:
        return static_cast<int>(Qt::AlignCenter);
    default:
        return {};
    }
}

Qt::ItemFlags NoteGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
