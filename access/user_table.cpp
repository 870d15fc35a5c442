#include "access/user_table.h"

#include <algorithm>

#include "core/sjis.h"

using namespace Qt::StringLiterals;

QString permissionText(std::uint8_t permissions, Permission bit)
{
    return (permissions & bit) != 0 ? u"許可"_s : u"不許可"_s;
}

QStringList UserTable::names() const
{
    QStringList list;
    list.reserve(size());
    for (const UserRecord &user : users_)
        list << sjis::decode(user.Name);
    return list;
}

QByteArray UserTable::storedName(const QByteArray &typed)
{
    return sjis::cutBytes(typed, UserNameCapacity);
}

bool UserTable::DataCheck(const UserEntry &entry, UserPrompts &prompts)
{
    bool refused = false;
    if (entry.password != entry.confirmation) {
        prompts.refuse(u"\nパスワードが合っていません"_s);
        refused = true;
    }
    // An empty password could never log in again (the login refuses one): Admini locked out.
    if (entry.name.isEmpty() || entry.password.isEmpty()) {
        prompts.refuse(u"\n未入力の項目があります。"_s);
        refused = true;
    }
    if (refused)
        return false;

    // Compared as stored, so a longer name can never become a second user the login cannot
    // reach behind the first one.
    const QByteArray name = storedName(entry.name);
    bool listed = false;
    for (UserRecord &user : users_) {
        if (user.Name != name)
            continue;
        listed = true;
        if (!prompts.confirm(sjis::decode(name) + u"は既に登録されています。\n上書きしますか？"_s))
            return false;
        user.Name = name;
        user.Password = sjis::cutBytes(entry.password, PasswordLength);
        user.Permissions = entry.permissions & AllPermissions;
        if (name == AdminUserName) {
            prompts.notice(u"Adminiの権限を変更する事は出来ません"_s);
            user.Permissions = AllPermissions;
        }
    }
    return !listed;
}

void UserTable::addArr(const UserEntry &entry)
{
    users_.push_back(
        { storedName(entry.name), static_cast<std::uint8_t>(entry.permissions & AllPermissions),
            sjis::cutBytes(entry.password, PasswordLength) });
}

bool UserTable::add(const UserEntry &entry, UserPrompts &prompts)
{
    if (!DataCheck(entry, prompts))
        return false;
    addArr(entry);
    return true;
}

DeleteOutcome UserTable::remove(const QByteArray &name, UserPrompts &prompts)
{
    if (name == GuestUserName || name == AdminUserName) {
        prompts.refuse(u"\n"_s + sjis::decode(name) + u"は削除できません！"_s);
        return DeleteOutcome::Refused;
    }
    const auto found = std::find_if(
        users_.begin(), users_.end(), [&](const UserRecord &user) { return user.Name == name; });
    if (found == users_.end())
        return DeleteOutcome::NotListed;
    if (!prompts.confirm(sjis::decode(found->Name) + u" を本当に削除しますか？"_s))
        return DeleteOutcome::Cancelled;
    users_.erase(found);
    return DeleteOutcome::Deleted;
}

namespace {

// The name reads from the left; the rights stand centred under their titles.
constexpr std::array<GridColumn, 5> UserColumns { {
    { u"ユーザー名", UserGridModel::ColumnWidth, Qt::AlignLeft, true },
    { u"保存・検索", UserGridModel::ColumnWidth, Qt::AlignHCenter },
    { u"削除・承認", UserGridModel::ColumnWidth, Qt::AlignHCenter },
    { u"設定変更", UserGridModel::ColumnWidth, Qt::AlignHCenter },
    { u"全て", UserGridModel::ColumnWidth, Qt::AlignHCenter },
} };

} // namespace

UserGridModel::UserGridModel(const UserTable &table, QObject *parent)
    : SheetGridModel(parent)
    , table_(table)
    , rows_(table.size())
{
}

void UserGridModel::refresh()
{
    beginResetModel();
    rows_ = table_.size();
    endResetModel();
}

QString UserGridModel::cellText(int row, int column) const
{
    if (row < 0 || row >= rows_ || row >= table_.size() || column < 0
        || column >= static_cast<int>(UserColumns.size()))
        return {};
    const UserRecord &user = table_.at(row);
    if (column == 0)
        return sjis::decode(user.Name);
    return permissionText(user.Permissions, PermissionBits[static_cast<std::size_t>(column - 1)]);
}

int UserGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows_;
}

std::span<const GridColumn> UserGridModel::gridColumns() const
{
    return UserColumns;
}
