#include "platform/forms/Pictures.h"

#include <QMouseEvent>
#include <QPainter>

namespace forms {

Image::Image(const QString& name, QWidget* parent) : QWidget(parent)
{
    setObjectName(name);
    setMouseTracking(true);
}

void Image::SetPicture(const QImage& picture)
{
    picture_ = picture;
    if (!stretch_ && !picture_.isNull())
        resize(picture_.size());
    update();
}

void Image::SetStretch(bool stretch)
{
    stretch_ = stretch;
    SetPicture(picture_);
}

void Image::paintEvent(QPaintEvent* event)
{
    (void)event;
    if (picture_.isNull())
        return;
    QPainter peintre(this);
    if (stretch_) {
        peintre.setRenderHint(QPainter::SmoothPixmapTransform);
        peintre.drawImage(rect(), picture_);
    } else {
        peintre.drawImage(0, 0, picture_);
    }
}

void Image::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    emit MouseMove();
}

PictureBox::PictureBox(const QString& name, QWidget* parent) : Image(name, parent)
{
    setAutoFillBackground(true);
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    Image::paintEvent(event);
    QPainter peintre(this);
    peintre.setPen(palette().color(QPalette::Dark));
    peintre.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace forms
