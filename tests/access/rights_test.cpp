#include <set>
#include <string_view>

#include <gtest/gtest.h>

#include <QString>

#include "access/rights.h"

using namespace Qt::StringLiterals;

TEST(Rights, OutputAndUserSettingsNeedAllRights)
{
    for (int p = 0; p < 16; ++p) {
        const auto open = [p](MenuCommand c) {
            return menuCommandOpen(c, static_cast<std::uint8_t>(p));
        };
        EXPECT_EQ(open(MenuCommand::Print1), (p & 8) != 0) << p;
        EXPECT_EQ(open(MenuCommand::User1), (p & 8) != 0) << p;
        EXPECT_EQ(open(MenuCommand::Show1), p != 0) << p;
        EXPECT_EQ(open(MenuCommand::Edit1), (p & 10) != 0) << p;
        EXPECT_EQ(open(MenuCommand::SET3), (p & 12) != 0) << p;
        EXPECT_EQ(open(MenuCommand::Save1), (p & 9) != 0) << p;
        EXPECT_EQ(open(MenuCommand::File1), (p & 9) != 0) << p;
        EXPECT_EQ(open(MenuCommand::Find1), (p & 9) != 0) << p;
        // Items inside a governed menu and the help menu follow no bit of their own.
        EXPECT_TRUE(open(MenuCommand::Delete1)) << p;
        EXPECT_TRUE(open(MenuCommand::Z1)) << p;
        EXPECT_TRUE(open(MenuCommand::Help1)) << p;
    }
}

TEST(Rights, EveryCommandIsFoundByItsOwnNameAlone)
{
    std::set<std::string_view> names;
    for (const MenuCommandName &entry : MenuCommands) {
        EXPECT_TRUE(names.insert(entry.objectName).second) << entry.objectName;
        EXPECT_EQ(menuCommandNamed(QString::fromLatin1(entry.objectName)), entry.command)
            << entry.objectName;
        EXPECT_STREQ(objectNameOf(entry.command), entry.objectName);
    }
    EXPECT_EQ(menuCommandNamed(u"save1"_s), std::nullopt);
    EXPECT_EQ(menuCommandNamed(u"Save"_s), std::nullopt);
    EXPECT_EQ(menuCommandNamed(QString()), std::nullopt);
}
