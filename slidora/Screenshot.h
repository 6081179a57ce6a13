#pragma once

#include <QImage>

class QWidget;

// Capture of what a window shows.
namespace slidora {

// Replaces picture with a new 32-bit picture of the rectangle (0, 0)-(width,
// height) of the window as drawn now, its child windows included (the video).
// A width and height both 0 take the whole screen's size. Parts outside the
// window are black.
void CaptureDC(QWidget* window, QImage& picture, int width, int height);

} // namespace slidora
