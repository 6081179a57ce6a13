#include "platform/mci/VideoWindow.h"

#include <QPainter>

namespace mci {

VideoWindow::VideoWindow(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Clicks go to the picture area below, as they do on a child video window.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void VideoWindow::SetFrame(const QImage& frame)
{
    frame_ = frame;
    update();
}

void VideoWindow::SetDestination(const QRect& destination)
{
    destination_ = destination;
    update();
}

void VideoWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!frame_.isNull() && destination_.isValid())
        painter.drawImage(destination_, frame_);
}

} // namespace mci
