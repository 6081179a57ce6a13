#include "platform/forms/Geometry.h"

#include "platform/win/Twips.h"

#include <QCoreApplication>
#include <QWidget>

namespace forms {

void MoveTwips(QWidget& control, int left, int top, int width, int height)
{
    control.setGeometry(win::TwipsToPixels(left), win::TwipsToPixels(top),
                        win::TwipsToPixels(width), win::TwipsToPixels(height));
}

int LeftTwips(const QWidget& control)
{
    return win::PixelsToTwips(control.x());
}

int TopTwips(const QWidget& control)
{
    return win::PixelsToTwips(control.y());
}

int WidthTwips(const QWidget& control)
{
    return win::PixelsToTwips(control.width());
}

int HeightTwips(const QWidget& control)
{
    return win::PixelsToTwips(control.height());
}

void SetWidthTwips(QWidget& control, int width)
{
    control.resize(win::TwipsToPixels(width), control.height());
}

void SetHeightTwips(QWidget& control, int height)
{
    control.resize(control.width(), win::TwipsToPixels(height));
}

void DoEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace forms
