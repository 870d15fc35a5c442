#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "access/user_file.h"
#include "controls/sheet_grid_model.h"

// The two users the installed user file brings; they can never be deleted, and the first always
// keeps every right.
inline constexpr char AdminUserName[] = "Admini";
inline constexpr char GuestUserName[] = "guest";
inline constexpr std::uint8_t AllPermissions = 15;

// The rights in the order of the registration dialog's check boxes and grid columns.
inline constexpr std::array<Permission, 4> PermissionBits = { SaveAndSearch, DeleteAndApprove,
    PartnerAndBankSettings, AllRights };

// "許可" when the user holds the right, else "不許可".
QString permissionText(std::uint8_t permissions, Permission bit);

// What the registration fields hold, as Shift-JIS bytes.
struct UserEntry
{
    QByteArray name;
    QByteArray password;
    QByteArray confirmation;
    std::uint8_t permissions = 0;
};

// The questions and notices of the user list; the dialog shows them as message boxes, tests
// answer them.
class UserPrompts
{
public:
    virtual ~UserPrompts() = default;
    // A refusal: warning with OK.
    virtual void refuse(const QString &text) = 0;
    // A question before a destructive step: warning with OK and Cancel; true on OK.
    virtual bool confirm(const QString &text) = 0;
    // A plain notice with OK.
    virtual void notice(const QString &text) = 0;
};

enum class DeleteOutcome { Refused, NotListed, Cancelled, Deleted };

// The users of the user file in file order, as the registration dialog changes them.
class UserTable
{
public:
    UserTable() = default;
    explicit UserTable(std::vector<UserRecord> users)
        : users_(std::move(users))
    {
    }

    const std::vector<UserRecord> &users() const { return users_; }
    int size() const { return static_cast<int>(users_.size()); }
    const UserRecord &at(int index) const { return users_.at(static_cast<std::size_t>(index)); }
    void replaceAll(std::vector<UserRecord> users) { users_ = std::move(users); }
    QStringList names() const;

    // The name as it is stored: at most 10 bytes, never splitting a character.
    static QByteArray storedName(const QByteArray &typed);

    // Refuses mismatched passwords and an empty name; overwrites each user of that name on OK
    // (Cancel stops at once). True only when the name is new, so the entry is to be appended.
    bool DataCheck(const UserEntry &entry, UserPrompts &prompts);
    // Appends the entry at the end.
    void addArr(const UserEntry &entry);
    // DataCheck, then addArr when the name is new; true when a user was appended.
    bool add(const UserEntry &entry, UserPrompts &prompts);

    // Removes the first user of that name after asking; the permanent users are refused.
    DeleteOutcome remove(const QByteArray &name, UserPrompts &prompts);

private:
    std::vector<UserRecord> users_;
};

// The user list as the registration grid shows it: name, then 許可/不許可 under each right.
class UserGridModel : public SheetGridModel
{
    Q_OBJECT
public:
    static constexpr int ColumnWidth = 64;

    explicit UserGridModel(const UserTable &table, QObject *parent = nullptr);

    // Reads the table again.
    void refresh();
    QString cellText(int row, int column) const override;

    int rowCount(const QModelIndex &parent = {}) const override;

protected:
    std::span<const GridColumn> gridColumns() const override;

private:
    const UserTable &table_;
    int rows_ = 0;
};
