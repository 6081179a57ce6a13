#pragma once

#include "platform/forms/Controls.h"

// A panel that floods part of its inside from the left, as a level gauge: the percentage, and
// the colours of the flood and of the rest (the back colour).
namespace forms {

class FloodPanel : public Panel
{
    Q_OBJECT

public:
    explicit FloodPanel(const QString& name, QWidget* parent = nullptr);

    // Kept within 0 to 100.
    int FloodPercent() const { return percent_; }
    void SetFloodPercent(int percent);
    long BackColor() const { return backColor_; }
    void SetBackColor(long color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int percent_ = 0;
    long floodColor_;
    long backColor_;
};

} // namespace forms
