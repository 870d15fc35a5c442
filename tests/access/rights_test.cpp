#include <gtest/gtest.h>

#include "access/rights.h"

using namespace Qt::StringLiterals;

TEST(Rights, OutputAndUserSettingsNeedAllRights)
{
    for (int p = 0; p < 16; ++p) {
        const QStringList open = enabledMenuItems(static_cast<std::uint8_t>(p));
        EXPECT_EQ(open.contains(u"Print1"_s), (p & 8) != 0) << p;
        EXPECT_EQ(open.contains(u"User1"_s), (p & 8) != 0) << p;
        EXPECT_EQ(open.contains(u"Show1"_s), p != 0) << p;
        EXPECT_EQ(open.contains(u"Edit1"_s), (p & 10) != 0) << p;
        EXPECT_EQ(open.contains(u"SET3"_s), (p & 12) != 0) << p;
        EXPECT_EQ(open.contains(u"Save1"_s), (p & 9) != 0) << p;
    }
}
