#include "platform/forms/FloodPanel.h"

#include "platform/forms/Colors.h"

#include <QPainter>

#include <algorithm>

namespace forms {

FloodPanel::FloodPanel(const QString& name, QWidget* parent)
    : Panel(name, {}, parent), floodColor_(Rgb(0, 0, 255)), backColor_(Rgb(192, 192, 192))
{
}

void FloodPanel::SetFloodPercent(int percent)
{
    percent_ = std::clamp(percent, 0, 100);
    update();
}

void FloodPanel::SetFloodColor(long color)
{
    floodColor_ = color;
    update();
}

void FloodPanel::SetBackColor(long color)
{
    backColor_ = color;
    update();
}

void FloodPanel::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(this);
        const QRect inside = contentsRect();
        painter.fillRect(inside, ColorFromVb(backColor_));
        QRect flood = inside;
        flood.setWidth(inside.width() * percent_ / 100);
        painter.fillRect(flood, ColorFromVb(floodColor_));
        painter.drawText(inside, Qt::AlignCenter, QString::number(percent_) + " %");
    }
    Panel::paintEvent(event);
}

} // namespace forms
