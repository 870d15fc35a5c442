#include <gtest/gtest.h>

#include "store/records.h"

TEST(ShortText, ClampsALengthBeyondItsRoom)
{
    ShortText<5> text;
    text.length = 200;
    EXPECT_EQ(text.view().size(), 5u);
}
