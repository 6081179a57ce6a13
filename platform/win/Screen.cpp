#include "platform/win/Screen.h"

#include "platform/win/Twips.h"
#include "platform/win/XcbConnection.h"

#include <mutex>
#include <optional>
#include <utility>

namespace win {
namespace {

constexpr std::pair<int, int> kDefaultSize{1024, 768};

struct ScreenState
{
    std::mutex mutex;
    std::optional<std::pair<int, int>> override;
    std::optional<std::pair<int, int>> display; // looked up once per run, when it answers
};

ScreenState& State()
{
    static ScreenState state;
    return state;
}

std::pair<int, int> ScreenSize()
{
    auto& state = State();
    std::lock_guard lock(state.mutex);
    if (state.override)
        return *state.override;
    if (!state.display) {
        // Only a display that answered is remembered; without one the default stands for now.
        XcbConnection connection;
        const xcb_screen_t* screen = connection.screen();
        if (!screen)
            return kDefaultSize;
        state.display = std::pair<int, int>(screen->width_in_pixels, screen->height_in_pixels);
    }
    return *state.display;
}

} // namespace

int ScreenWidthPixels()
{
    return ScreenSize().first;
}

int ScreenHeightPixels()
{
    return ScreenSize().second;
}

int ScreenWidthTwips()
{
    return PixelsToTwips(ScreenWidthPixels());
}

int ScreenHeightTwips()
{
    return PixelsToTwips(ScreenHeightPixels());
}

void SetScreenSizeOverride(int w, int h)
{
    auto& state = State();
    std::lock_guard lock(state.mutex);
    state.override = std::pair(w, h);
}

void ClearScreenSizeOverride()
{
    auto& state = State();
    std::lock_guard lock(state.mutex);
    state.override.reset();
}

} // namespace win
