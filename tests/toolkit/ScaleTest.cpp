// The mapping between the panel's logical pixels and the device's.
#include <gtest/gtest.h>

#include "toolkit/Scale.h"

namespace tamrik::tk {
namespace {

TEST(Scale, HundredPercentIsTheIdentity) {
    const Scale s;
    for (int x : {-7, 0, 1, 504}) {
        EXPECT_EQ(s.Dev(x), x);
        EXPECT_EQ(s.Logical(x), x);
        EXPECT_EQ(s.Band(x, 1), x);
    }
    EXPECT_EQ(s.LineWidth(), 1);
}

TEST(Scale, AnyPercentBecomesTheNearestStep) {
    EXPECT_EQ(Scale(100).Percent(), 100);
    EXPECT_EQ(Scale(137).Percent(), 125) << "a tie goes to the smaller step";
    EXPECT_EQ(Scale(138).Percent(), 150);
    EXPECT_EQ(Scale(192).Percent(), 200);
    EXPECT_EQ(Scale(1000000).Percent(), 300);
    EXPECT_EQ(Scale(-5).Percent(), 100);
}

TEST(Scale, DevicePixelsMapBackToTheLogicalPixelTheyCameFrom) {
    for (int percent : kScaleSteps) {
        const Scale s(percent);
        for (int x = -40; x < 600; ++x) {
            ASSERT_EQ(s.Logical(s.Dev(x)), x) << percent;
            ASSERT_LE(s.Dev(x), s.Dev(x + 1)) << percent;
            // Every device pixel of a logical pixel's span maps back to it.
            for (int d = s.Dev(x); d < s.Dev(x + 1); ++d) ASSERT_EQ(s.Logical(d), x) << percent << " " << d;
        }
    }
}

TEST(Scale, LinesKeepOneWidthAndStayInsideTheirPixel) {
    const int widths[] = {1, 1, 1, 2, 2, 2, 3};
    for (size_t i = 0; i < kScaleSteps.size(); ++i) {
        const Scale s(kScaleSteps[i]);
        EXPECT_EQ(s.LineWidth(), widths[i]) << s.Percent();
        for (int x = 0; x < 100; ++x) {
            // The band lies within the pixel's span, give or take the one
            // pixel a wider line must borrow at 175 %.
            EXPECT_GE(s.Band(x, s.LineWidth()), s.Dev(x) - 1) << s.Percent() << " " << x;
            EXPECT_LE(s.Band(x, s.LineWidth()) + s.LineWidth(), s.Dev(x + 1) + 1) << s.Percent() << " " << x;
        }
    }
}

TEST(Scale, LogicalSizesHoldTheirDeviceContent) {
    for (int percent : kScaleSteps) {
        const Scale s(percent);
        for (int d = 0; d < 200; ++d) EXPECT_GE(s.Dev(s.LogicalCeil(d)), d) << percent << " " << d;
    }
}

}  // namespace
}  // namespace tamrik::tk
