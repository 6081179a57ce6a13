#include "platform/win/Screen.h"

#include "platform/win/Twips.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

static_assert(win::PixelsToTwips(1) == 15);
static_assert(win::TwipsToPixels(win::PixelsToTwips(640)) == 640);
static_assert(win::TwipsToPixels(7200) == 480);
static_assert(win::TwipsToPixels(14) == 0);

// Without a display the screen is the usual default; with one, see the display tests.
class ScreenTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { unsetenv("DISPLAY"); }
    void TearDown() override { win::ClearScreenSizeOverride(); }
};

TEST_F(ScreenTest, DefaultWithoutADisplay)
{
    EXPECT_EQ(win::ScreenWidthPixels(), 1024);
    EXPECT_EQ(win::ScreenHeightPixels(), 768);
    EXPECT_EQ(win::ScreenWidthTwips(), 15360);
    EXPECT_EQ(win::ScreenHeightTwips(), 11520);
}

TEST_F(ScreenTest, OverrideStandsUntilCleared)
{
    win::SetScreenSizeOverride(800, 600);
    EXPECT_EQ(win::ScreenWidthPixels(), 800);
    EXPECT_EQ(win::ScreenHeightPixels(), 600);
    EXPECT_EQ(win::ScreenWidthTwips(), 12000);
    EXPECT_EQ(win::ScreenHeightTwips(), 9000);
    win::ClearScreenSizeOverride();
    EXPECT_EQ(win::ScreenWidthPixels(), 1024);
}

} // namespace
