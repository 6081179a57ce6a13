#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QWidget>

namespace slidora {

// A picture box: a surface with its own coordinate scale, on which boxes are
// drawn into a kept picture (the box's background, which stays after repaints),
// and whose mouse events report the pointer in scale units.
class PictureBox : public QWidget
{
    Q_OBJECT

public:
    explicit PictureBox(const QString& name, QWidget* parent = nullptr);

    // The scale: (left, top) is the top-left corner, (right, bottom) the bottom-right.
    void SetScale(double left, double top, double right, double bottom);
    // Clears the kept picture to the background colour.
    void Cls();
    // Fills the box between two corners given in scale units.
    void FillBox(double x1, double y1, double x2, double y2, const QColor& colour);
    // The kept picture.
    const QImage& Image() const { return image_; }

    QPointF ToScale(const QPointF& pixel) const;

signals:
    void MouseDown(Qt::MouseButton button, Qt::MouseButtons held, double x, double y);
    void MouseMove(Qt::MouseButtons held, double x, double y);
    void MouseUp(Qt::MouseButton button, Qt::MouseButtons held, double x, double y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage image_;
    QRectF scale_;
};

} // namespace slidora
