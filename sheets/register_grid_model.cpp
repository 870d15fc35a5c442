#include "sheets/register_grid_model.h"

#include <algorithm>

#include "store/app_state.h"
#include "store/sjis.h"

RegisterGridModel::RegisterGridModel(const AppState &state, QObject *parent)
    : SheetGridModel(parent)
    , state_(state)
{
}

namespace {

constexpr GridColumn PartnerColumns[] = { { u"コード", 64 },
    { u"取引先名", 270, Qt::AlignLeft, true }, { u"銀行コード", 64 } };
constexpr GridColumn BankColumns[] = { { u"コード", 64 }, { u"銀行名", 333, Qt::AlignLeft, true } };

} // namespace

std::span<const GridColumn> RegisterGridModel::columns(RegisterKind kind)
{
    if (kind == RegisterKind::PartnerRegister)
        return PartnerColumns;
    return BankColumns;
}

void RegisterGridModel::setKind(RegisterKind kind)
{
    beginResetModel();
    kind_ = kind;
    entries_ = entryCount(state_, kind_);
    endResetModel();
}

void RegisterGridModel::refresh()
{
    beginResetModel();
    entries_ = entryCount(state_, kind_);
    endResetModel();
}

// The register may shrink behind the model before the refresh that follows; a row past its end
// shows nothing.
QString RegisterGridModel::cellText(int row, int column) const
{
    if (row < 0 || row >= entries_ || row >= entryCount(state_, kind_))
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
