#pragma once

#include <QImage>
#include <QWidget>

// Controls that show a picture.
namespace forms {

// An image control: with Stretch it shows its picture stretched to its own size; without, it takes
// the picture's size and shows it unscaled. MouseMove fires whenever the mouse moves over it.
class Image : public QWidget
{
    Q_OBJECT

public:
    explicit Image(const QString& name, QWidget* parent = nullptr);

    // Null when it holds no picture.
    const QImage& Picture() const { return picture_; }
    void SetPicture(const QImage& picture);
    void SetStretch(bool stretch);

signals:
    void MouseMove();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QImage picture_;
    bool stretch_ = false;
};

// A picture box: a framed area that shows its picture as loaded, unscaled, and takes its size.
class PictureBox : public Image
{
    Q_OBJECT

public:
    explicit PictureBox(const QString& name, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace forms
