#pragma once

#include <QColor>

// Colours as the system's code writes them: a long &H00BBGGRR, red in the low byte.
namespace forms {

constexpr long Rgb(int red, int green, int blue)
{
    return long(red & 0xFF) | long(green & 0xFF) << 8 | long(blue & 0xFF) << 16;
}

inline QColor ColorFromVb(long color)
{
    return QColor(int(color & 0xFF), int(color >> 8 & 0xFF), int(color >> 16 & 0xFF));
}

inline long VbFromColor(const QColor& color)
{
    return Rgb(color.red(), color.green(), color.blue());
}

} // namespace forms
