#pragma once

namespace win {

// The size of the screen: the override when one is set, else the X display's first screen,
// else 1024 x 768.
int ScreenWidthPixels();
int ScreenHeightPixels();
int ScreenWidthTwips();
int ScreenHeightTwips();

void SetScreenSizeOverride(int w, int h);
void ClearScreenSizeOverride();

} // namespace win
