#include "sheets/register_grid_model.h"

#include "store/app_state.h"
#include "store/sjis.h"

RegisterGridModel::RegisterGridModel(const AppState &state, QObject *parent)
    : QAbstractTableModel(parent)
    , state_(state)
{
}

std::vector<RegisterColumn> RegisterGridModel::columns(RegisterKind kind)
{
    if (kind == RegisterKind::PartnerRegister)
        return { { u"コード", 64 }, { u"取引先名", 270 }, { u"銀行コード", 64 } };
    return { { u"コード", 64 }, { u"銀行名", 333 } };
}

void RegisterGridModel::setKind(RegisterKind kind)
{
    beginResetModel();
    kind_ = kind;
    entries_ = registerchanges::entryCount(state_, kind_);
    endResetModel();
}

void RegisterGridModel::refresh()
{
    beginResetModel();
    entries_ = registerchanges::entryCount(state_, kind_);
    endResetModel();
}

// The register may shrink behind the model before the refresh that follows; a row past its end
// shows nothing.
QString RegisterGridModel::cellText(int row, int column) const
{
    if (row < 0 || row >= entries_ || row >= registerchanges::entryCount(state_, kind_))
        return {};
    const auto at = static_cast<std::size_t>(row);
    if (kind_ == RegisterKind::PartnerRegister) {
        const PartnerRecord &p = state_.PartnerTable[at];
        switch (column) {
        case 0:
            return sjis::decode(p.Code.view());
        case 1:
            return sjis::decode(p.Name.view());
        case 2:
            return sjis::decode(p.BankCode.view());
        default:
            return {};
        }
    }
    const BankRecord &b = state_.BankTable[at];
    switch (column) {
    case 0:
        return sjis::decode(b.Code.view());
    case 1:
        return sjis::decode(b.Name.view());
    default:
        return {};
    }
}

int RegisterGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : std::max(entries_, 1);
}

int RegisterGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(columns(kind_).size());
}

QVariant RegisterGridModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return cellText(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant RegisterGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    const std::vector<RegisterColumn> titles = columns(kind_);
    if (orientation != Qt::Horizontal || section < 0
        || static_cast<std::size_t>(section) >= titles.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromUtf16(titles[static_cast<std::size_t>(section)].title);
    case Qt::TextAlignmentRole:
        return static_cast<int>(Qt::AlignCenter);
    default:
        return {};
    }
}

Qt::ItemFlags RegisterGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
