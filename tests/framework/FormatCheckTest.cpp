// A format string from outside the program is used only when its conversions fit the
// arguments the program passes.
#include "framework/FormatCheck.h"

#include <gtest/gtest.h>

TEST(FormatCheckTest, OnlyConversionsThatFitTheArguments) {
    EXPECT_TRUE(FormatFits("ﾌｧｲﾙ  %s  をｺﾋﾟｰしています。", "s"));
    EXPECT_TRUE(FormatFits("%s %d", "sd"));
    EXPECT_TRUE(FormatFits("Disk %-10.3s no. %04x, 100%%", "sd"));
    EXPECT_TRUE(FormatFits("no conversion", "s")); // fewer is harmless
    EXPECT_FALSE(FormatFits("%s%s", "s"));
    EXPECT_FALSE(FormatFits("%d %s", "sd"));
    EXPECT_FALSE(FormatFits("%*s", "s"));
    EXPECT_FALSE(FormatFits("%.*s", "s"));
    EXPECT_FALSE(FormatFits("%n", "d"));
    EXPECT_FALSE(FormatFits("%ls", "s"));
    EXPECT_FALSE(FormatFits("%1$s", "s"));
    EXPECT_FALSE(FormatFits("%f", "d"));
    EXPECT_FALSE(FormatFits("100%", "s"));
}
