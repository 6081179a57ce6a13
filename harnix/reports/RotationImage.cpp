#include "harnix/reports/RotationImage.h"

#include "platform/forms/Pictures.h"

#include <QImage>

namespace RotationImage {

void PivoterImage(forms::PictureBox& box)
{
    const QImage source = box.Picture().convertToFormat(QImage::Format_RGB32);
    const int w = source.width();
    const int h = source.height();
    QImage tourne(h, w, QImage::Format_RGB32);
    // (x, y) of the W × H picture goes to (y, W − 1 − x) of the H × W one.
    for (int y = 0; y < h; ++y) {
        const auto* ligne = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (int x = 0; x < w; ++x)
            reinterpret_cast<QRgb*>(tourne.scanLine(w - 1 - x))[y] = ligne[x];
    }
    box.SetPicture(tourne);
}

} // namespace RotationImage
