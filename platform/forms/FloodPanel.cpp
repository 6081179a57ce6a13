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
        // The percentage in black over the rest and in white over the flood.
        const QString texte = QString::number(percent_) + " %";
        painter.drawText(inside, Qt::AlignCenter, texte);
        painter.setClipRect(flood);
        painter.setPen(Qt::white);
        painter.drawText(inside, Qt::AlignCenter, texte);
    }
    Panel::paintEvent(event);
}

} // namespace forms
