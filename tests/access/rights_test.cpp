#include <map>
#include <set>

#include <gtest/gtest.h>

#include <QString>

#include "access/rights.h"
#include "access/user_file.h"

using namespace Qt::StringLiterals;

// Each command's own right for every rights value, against the menus' rights table written out
// as it reads: what each right opens. The bits add up, and a command no right names (an item
// that follows its menu, the help menu) is open to everyone.
TEST(Rights, EachCommandOpensByTheRightsTable)
{
    using enum MenuCommand;
    const std::map<std::uint8_t, std::set<MenuCommand>> opens = {
        { SaveAndSearch, { File1, Save1, Show1, Find1, Import1, Restore1 } },
        { DeleteAndApprove, { Edit1, Show1, Import1 } },
        { PartnerAndBankSettings, { SET1, SET2, SET3, Show1, Import1 } },
        { AllRights,
            { File1, Save1, Print1, Import1, Edit1, Find1, Show1, SET1, SET2, SET3, User1,
                Restore1 } },
    };
    for (int p = 0; p < 16; ++p) {
        for (const MenuCommandName &entry : MenuCommands) {
            bool governed = false;
            bool open = false;
            for (const auto &[right, commands] : opens) {
                if (!commands.contains(entry.command))
                    continue;
                governed = true;
                open = open || (p & right) != 0;
            }
            EXPECT_EQ(
                menuCommandOpen(entry.command, static_cast<std::uint8_t>(p)), open || !governed)
                << entry.objectName << " with rights " << p;
        }
    }
}

TEST(Rights, ANameIsFoundOnlyAsWritten)
{
    EXPECT_EQ(menuCommandNamed(u"Restore1"_s), MenuCommand::Restore1);
    EXPECT_EQ(menuCommandNamed(u"save1"_s), std::nullopt);
    EXPECT_EQ(menuCommandNamed(u"Save"_s), std::nullopt);
    EXPECT_EQ(menuCommandNamed(QString()), std::nullopt);
}
