#include "slidora/Screenshot.h"

#include <QPainter>
#include <QScreen>
#include <QWidget>

namespace slidora {

void CaptureDC(QWidget* window, QImage& picture, int width, int height)
{
    if (width == 0 && height == 0) {
        const QScreen* screen = window->screen();
        const QSize size = screen ? screen->size() : window->size();
        width = size.width();
        height = size.height();
    }
    QImage capture(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    capture.fill(Qt::black);
    {
        QPainter painter(&capture);
        painter.drawPixmap(0, 0, window->grab(QRect(0, 0, width, height)));
    }
    picture = capture;
}

} // namespace slidora
