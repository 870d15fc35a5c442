#include "access/rights.h"

#include "access/user_file.h"

namespace {

struct Grant
{
    MenuCommand command;
    std::uint8_t opensWith; // besides AllRights, which opens every governed command
};

// The commands the rights govern. Output and the user settings need all rights.
constexpr std::array<Grant, 12> Grants { {
    { MenuCommand::File1, SaveAndSearch },
    { MenuCommand::Save1, SaveAndSearch },
    { MenuCommand::Print1, 0 },
    // Taking in notes needs what entering one on the input sheet needs: any right.
    { MenuCommand::Import1, SaveAndSearch | DeleteAndApprove | PartnerAndBankSettings },
    { MenuCommand::Edit1, DeleteAndApprove },
    { MenuCommand::Find1, SaveAndSearch },
    { MenuCommand::Show1, SaveAndSearch | DeleteAndApprove | PartnerAndBankSettings },
    { MenuCommand::SET1, PartnerAndBankSettings },
    { MenuCommand::SET2, PartnerAndBankSettings },
    { MenuCommand::SET3, PartnerAndBankSettings },
    { MenuCommand::User1, 0 },
    // A restore is only kept by a save: it needs the right to save.
    { MenuCommand::Restore1, SaveAndSearch },
} };

} // namespace

std::optional<MenuCommand> menuCommandNamed(QStringView objectName)
{
    for (const MenuCommandName &entry : MenuCommands)
        if (objectName == QLatin1String(entry.objectName))
            return entry.command;
    return std::nullopt;
}

bool menuCommandOpen(MenuCommand command, std::uint8_t permissions)
{
    for (const Grant &grant : Grants)
        if (grant.command == command)
            return (permissions & (grant.opensWith | AllRights)) != 0;
    return true;
}
