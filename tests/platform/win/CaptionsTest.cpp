#include "platform/win/Screen.h"
#include "platform/win/WindowCaptions.h"

#include "WaitFor.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// The virtual display resets itself whenever its last client leaves, and a program that connects
// during the reset is refused. One connection held for the whole run keeps it from resetting.
class DisplayKeeper : public ::testing::Environment
{
public:
    void SetUp() override { connection_ = xcb_connect(nullptr, nullptr); }
    void TearDown() override { xcb_disconnect(connection_); }

private:
    xcb_connection_t* connection_ = nullptr;
};

const auto* const keeper = ::testing::AddGlobalTestEnvironment(new DisplayKeeper);

bool HasCaption(const std::string& caption)
{
    const auto captions = win::TopLevelWindowCaptions();
    return std::find(captions.begin(), captions.end(), caption) != captions.end();
}

// Another program's window on the display, closed when the object goes.
class OtherProgramWindow
{
public:
    OtherProgramWindow(const std::string& mode, const std::string& caption)
    {
        std::string program = CAPTION_WINDOW_PROGRAM;
        char* argv[] = {program.data(), const_cast<char*>(mode.c_str()),
                        const_cast<char*>(caption.c_str()), nullptr};
        if (posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv, environ) != 0)
            pid_ = -1;
    }
    ~OtherProgramWindow()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    bool started() const { return pid_ > 0; }

private:
    pid_t pid_ = -1;
};

TEST(WindowCaptions, FindsTheWindowOfAnotherProgram)
{
    struct Case
    {
        const char* mode;
        const char* caption;
    };
    for (const Case& c :
         {Case{"net", "Loading ZAD – créé"}, Case{"latin1", "Chargé Loading ZAD"},
          Case{"framed", "Loading ZAD (cadre)"}, Case{"hidden", "Loading ZAD (cachée)"}}) {
        SCOPED_TRACE(c.mode);
        ASSERT_FALSE(HasCaption(c.caption));
        {
            OtherProgramWindow window(c.mode, c.caption);
            ASSERT_TRUE(window.started());
            EXPECT_TRUE(WaitFor([&] { return HasCaption(c.caption); }));
        }
        EXPECT_TRUE(WaitFor([&] { return !HasCaption(c.caption); }))
            << "a closed window is no longer listed";
    }
}

TEST(WindowCaptions, PrefersTheUtf8Caption)
{
    OtherProgramWindow window("net", "Harnix été");
    ASSERT_TRUE(window.started());
    ASSERT_TRUE(WaitFor([] { return HasCaption("Harnix été"); }));
    EXPECT_FALSE(HasCaption("fallback only"));
}

TEST(WindowCaptions, EmptyWithoutADisplay)
{
    const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    unsetenv("DISPLAY");
    EXPECT_TRUE(win::TopLevelWindowCaptions().empty());
    setenv("DISPLAY", ":4242", 1);
    EXPECT_TRUE(win::TopLevelWindowCaptions().empty()) << "a display that is not there";
    setenv("DISPLAY", display.c_str(), 1);
}

TEST(Screen, SizeOfTheDisplay)
{
    // The display tests run on a virtual screen of 1280 x 1024.
    EXPECT_EQ(win::ScreenWidthPixels(), 1280);
    EXPECT_EQ(win::ScreenHeightPixels(), 1024);
    EXPECT_EQ(win::ScreenWidthTwips(), 19200);
}

} // namespace
