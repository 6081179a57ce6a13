#include "slidora/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace slidora {

PictureBox::PictureBox(const QString& name, QWidget* parent) : QWidget(parent)
{
    setObjectName(name);
    setAutoFillBackground(true);
    // Moves without a button held are reported too.
    setMouseTracking(true);
}

void PictureBox::SetScale(double left, double top, double right, double bottom)
{
    scale_ = QRectF(QPointF(left, top), QPointF(right, bottom));
}

void PictureBox::Cls()
{
    image_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image_.fill(palette().color(QPalette::Window));
    update();
}

void PictureBox::FillBox(double x1, double y1, double x2, double y2, const QColor& colour)
{
    if (image_.size() != size())
        Cls();
    // The scale maps onto pixel columns 0 .. width and rows 0 .. height.
    auto toPixel = [this](double x, double y) {
        const double sw = scale_.width() != 0 ? scale_.width() : width();
        const double sh = scale_.height() != 0 ? scale_.height() : height();
        return QPointF((x - scale_.left()) * width() / sw, (y - scale_.top()) * height() / sh);
    };
    QPainter painter(&image_);
    painter.fillRect(QRectF(toPixel(x1, y1), toPixel(x2, y2)).normalized(), colour);
    update();
}

QPointF PictureBox::ToScale(const QPointF& pixel) const
{
    const double sw = scale_.width() != 0 ? scale_.width() : width();
    const double sh = scale_.height() != 0 ? scale_.height() : height();
    return QPointF(scale_.left() + pixel.x() * sw / std::max(width(), 1),
                   scale_.top() + pixel.y() * sh / std::max(height(), 1));
}

void PictureBox::paintEvent(QPaintEvent*)
{
    if (image_.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
}

void PictureBox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The kept picture keeps what was drawn; a larger box shows background beyond it.
    if (!image_.isNull()) {
        QImage grown(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        grown.fill(palette().color(QPalette::Window));
        QPainter(&grown).drawImage(0, 0, image_);
        image_ = grown;
    }
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    const QPointF p = ToScale(event->position());
    emit MouseDown(event->button(), event->buttons(), p.x(), p.y());
}

void PictureBox::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF p = ToScale(event->position());
    emit MouseMove(event->buttons(), p.x(), p.y());
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointF p = ToScale(event->position());
    emit MouseUp(event->button(), event->buttons(), p.x(), p.y());
}

} // namespace slidora
