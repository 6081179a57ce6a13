#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>

namespace mci {

// The child window in which a device shows its video: it paints the last
// rendered frame into the destination rectangle and black around it.
class VideoWindow : public QWidget
{
    Q_OBJECT
public:
    explicit VideoWindow(QWidget* parent);

    void SetFrame(const QImage& frame);
    void SetDestination(const QRect& destination);
    QRect Destination() const { return destination_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage frame_;
    QRect destination_;
};

} // namespace mci
