#pragma once

namespace win {

// Window sizes of the system are in twips: 15 to a pixel at 96 dots per inch.
constexpr int TwipsPerPixel = 15;

constexpr int TwipsToPixels(int twips)
{
    return twips / TwipsPerPixel;
}

constexpr int PixelsToTwips(int pixels)
{
    return pixels * TwipsPerPixel;
}

} // namespace win
