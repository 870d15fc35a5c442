#include "sheets/register_grid_model.h"

#include <algorithm>

#include "core/sjis.h"
#include "session/session.h"

RegisterGridModel::RegisterGridModel(const Register &data, QObject *parent)
    : SheetGridModel(parent)
    , data_(data)
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
    entries_ = entryCount(data_.tables(), kind_);
    endResetModel();
}

void RegisterGridModel::refresh()
{
    beginResetModel();
    entries_ = entryCount(data_.tables(), kind_);
    endResetModel();
}

void RegisterGridModel::follow(const RegisterChange &change)
{
    using Kind = RegisterChange::Kind;
    const DataTable shown =
        kind_ == RegisterKind::PartnerRegister ? DataTable::PartnerTable : DataTable::BankTable;
    if (change.kind != Kind::Reset && change.table != shown)
        return;
    const int last = change.first + change.count - 1;
    const int now = entryCount(data_.tables(), kind_);
    if (change.kind == Kind::Appended && change.first == entries_ && now == entries_ + change.count)
        moveRows(change.first, now);
    else if (change.kind == Kind::Removed && last < entries_ && now == entries_ - change.count)
        moveRows(change.first, now);
    else if (change.kind == Kind::Replaced && last < entries_ && now == entries_)
        emit dataChanged(index(change.first, 0), index(last, columnCount() - 1));
    else
        refresh();
}

// Entries from first on came or went, leaving these many. The empty row of an empty register
// becomes the first entry's row once there is one, and stays when the last is removed.
void RegisterGridModel::moveRows(int first, int entries)
{
    const int before = entries_;
    const int rowsBefore = rowsFor(before);
    const int rowsAfter = rowsFor(entries);
    if (rowsAfter > rowsBefore) {
        beginInsertRows({}, rowsBefore, rowsAfter - 1);
        entries_ = entries;
        endInsertRows();
    } else if (rowsAfter < rowsBefore) {
        const int from = entries == 0 ? 1 : first;
        removing_ = { from, rowsBefore - rowsAfter };
        beginRemoveRows({}, from, from + removing_.count - 1);
        removing_ = {};
        entries_ = entries;
        endRemoveRows();
    }
    entries_ = entries;
    if (before == 0 || entries == 0)
        emit dataChanged(index(0, 0), index(0, columnCount() - 1));
}

// The register may shrink behind the model before the refresh that follows; a row past its end
// shows nothing.
QString RegisterGridModel::cellText(int row, int column) const
{
    row = removing_.rowNow(row);
    if (row < 0 || row >= entries_ || row >= entryCount(data_.tables(), kind_))
        return {};
    const auto at = static_cast<std::size_t>(row);
    if (kind_ == RegisterKind::PartnerRegister) {
        const PartnerRecord &p = data_.partners()[at];
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
    const BankRecord &b = data_.banks()[at];
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
