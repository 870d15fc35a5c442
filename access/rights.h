#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include <QStringView>

// The commands of the main window's menu bar, menus and their items alike.
enum class MenuCommand {
    File1,
    Save1,
    Print1,
    Import1,
    Z1,
    Edit1,
    Delete1,
    N3,
    Find1,
    Find2,
    Show1,
    InputForm,
    DataForm,
    DueForm,
    SET1,
    SET2,
    SET3,
    User1,
    Restore1,
    Help1,
    Help2,
    N2,
};

struct MenuCommandName
{
    MenuCommand command;
    const char *objectName; // the name the design gives the item, its Qt objectName
};

// Every command, in the order of the menu bar.
inline constexpr std::array<MenuCommandName, 22> MenuCommands { {
    { MenuCommand::File1, "File1" },
    { MenuCommand::Save1, "Save1" },
    { MenuCommand::Print1, "Print1" },
    { MenuCommand::Import1, "Import1" },
    { MenuCommand::Z1, "Z1" },
    { MenuCommand::Edit1, "Edit1" },
    { MenuCommand::Delete1, "Delete1" },
    { MenuCommand::N3, "N3" },
    { MenuCommand::Find1, "Find1" },
    { MenuCommand::Find2, "Find2" },
    { MenuCommand::Show1, "Show1" },
    { MenuCommand::InputForm, "InputForm" },
    { MenuCommand::DataForm, "DataForm" },
    { MenuCommand::DueForm, "DueForm" },
    { MenuCommand::SET1, "SET1" },
    { MenuCommand::SET2, "SET2" },
    { MenuCommand::SET3, "SET3" },
    { MenuCommand::User1, "User1" },
    { MenuCommand::Restore1, "Restore1" },
    { MenuCommand::Help1, "Help1" },
    { MenuCommand::Help2, "Help2" },
    { MenuCommand::N2, "N2" },
} };

constexpr const char *objectNameOf(MenuCommand command)
{
    for (const MenuCommandName &entry : MenuCommands)
        if (entry.command == command)
            return entry.objectName;
    return "";
}

// The command bearing an objectName; nothing for a name no command bears.
std::optional<MenuCommand> menuCommandNamed(QStringView objectName);

// Whether a user with these rights may use the command; the bits add up. Commands the rights do
// not govern are open to everyone.
bool menuCommandOpen(MenuCommand command, std::uint8_t permissions);
