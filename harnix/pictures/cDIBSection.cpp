#include "harnix/pictures/cDIBSection.h"

#include "platform/forms/Dialogs.h"
#include "platform/vb/Error.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <random>

namespace {

// Rows of 24-bit pixels in blue-green-red order, addressed top row first: a picture object's
// rows run upwards in memory, a Qt picture's downwards.
struct Surface
{
    uint8_t* top;
    ptrdiff_t step;
    int32_t width;
    int32_t height;

    uint8_t* Row(int32_t y) const { return top + y * step; }
};

Surface SurfaceOf(cDIBSection& dib)
{
    const ptrdiff_t stride = dib.BytesPerScanLine();
    return {dib.DIBSectionBitsPtr() + (dib.Height() - 1) * stride, -stride, dib.Width(),
            dib.Height()};
}

// A Qt picture is first brought to 24-bit blue-green-red rows.
Surface SurfaceOf(QImage& image)
{
    if (image.format() != QImage::Format_BGR888)
        image = image.convertToFormat(QImage::Format_BGR888);
    return {image.bits(), image.bytesPerLine(), image.width(), image.height()};
}

Surface SurfaceOf(QImage* image, cDIBSection* dib)
{
    return dib != nullptr ? SurfaceOf(*dib) : SurfaceOf(*image);
}

// The nearest integer, a value halfway between two going to the even one.
double Nearest(double value)
{
    return std::nearbyint(value);
}

// Copies a block between surfaces, clipped to both.
void Copy(const Surface& from, int32_t fromLeft, int32_t fromTop, const Surface& to, int32_t left,
          int32_t top, int32_t width, int32_t height)
{
    auto clip = [](int32_t& a, int32_t& b, int32_t& extent) {
        const int32_t under = std::min({a, b, int32_t(0)});
        a -= under;
        b -= under;
        extent += under;
    };
    clip(fromLeft, left, width);
    clip(fromTop, top, height);
    width = std::min({width, from.width - fromLeft, to.width - left});
    height = std::min({height, from.height - fromTop, to.height - top});
    if (width <= 0 || height <= 0)
        return;
    for (int32_t y = 0; y < height; ++y)
        std::memmove(to.Row(top + y) + 3 * int64_t(left),
                     from.Row(fromTop + y) + 3 * int64_t(fromLeft), 3 * size_t(width));
}

std::atomic<cDIBSection::Handle> DerniereSection{0};

} // namespace

cDIBSection::~cDIBSection()
{
    ClearUp();
}

bool cDIBSection::CopyToClipboard(bool asDib)
{
    if (QGuiApplication::instance() == nullptr || bits_ == nullptr)
        return false;
    if (asDib) {
        forms::MsgBox("I don't know how to put a DIB on the clipboard! Copy as bitmap instead!!!");
        return false;
    }
    QImage copie(width_, height_, QImage::Format_BGR888);
    if (copie.isNull())
        return false;
    PaintPicture(DeviceContext(&copie));
    QGuiApplication::clipboard()->setImage(copie);
    const QMimeData* contenu = QGuiApplication::clipboard()->mimeData();
    return contenu != nullptr && contenu->hasImage();
}

bool cDIBSection::CreateDIB(int32_t width, int32_t height, Handle& hDib)
{
    if (width <= 0 || height <= 0 || width > (std::numeric_limits<int32_t>::max() - 3) / 3)
        return false;
    const int32_t stride = (width * 3 + 3) & ~3;
    if (height > std::numeric_limits<int32_t>::max() / stride)
        return false;
    bits_.reset(new (std::nothrow) uint8_t[size_t(stride) * size_t(height)]());
    if (bits_ == nullptr)
        return false;
    width_ = width;
    height_ = height;
    stride_ = stride;
    hDib = handle_ = ++DerniereSection;
    return true;
}

bool cDIBSection::Create(int32_t width, int32_t height)
{
    ClearUp();
    return CreateDIB(width, height, handle_);
}

bool cDIBSection::CreateFromPicture(const QImage& picture)
{
    if (!Create(picture.width(), picture.height()))
        return false;
    QImage source = picture;
    LoadPictureBlt(DeviceContext(&source));
    return true;
}

int32_t cDIBSection::BytesPerScanLine() const
{
    return stride_;
}

int32_t cDIBSection::Width() const
{
    return width_;
}

int32_t cDIBSection::Height() const
{
    return height_;
}

DeviceContext cDIBSection::hdc()
{
    return bits_ ? DeviceContext(this) : DeviceContext();
}

void cDIBSection::LoadPictureBlt(const DeviceContext& source, int32_t sourceLeft, int32_t sourceTop,
                                 int32_t width, int32_t height, RasterOperation rop)
{
    if (rop != SRCCOPY)
        vb::Raise(vb::ErrInvalidCall);
    if (bits_ == nullptr || source.IsNull())
        return;
    // A picture of Qt is read through a copy, which the conversion may replace.
    QImage lue;
    if (source.image_ != nullptr)
        lue = *source.image_;
    const Surface from = SurfaceOf(&lue, source.dib_);
    const Surface to = SurfaceOf(*this);
    Copy(from, sourceLeft, sourceTop, to, 0, 0, width < 0 ? width_ : width,
         height < 0 ? height_ : height);
}

void cDIBSection::PaintPicture(const DeviceContext& destination, int32_t left, int32_t top,
                               int32_t width, int32_t height, int32_t sourceLeft, int32_t sourceTop,
                               RasterOperation rop)
{
    if (rop != SRCCOPY)
        vb::Raise(vb::ErrInvalidCall);
    if (bits_ == nullptr || destination.IsNull())
        return;
    const Surface from = SurfaceOf(*this);
    const Surface to = SurfaceOf(destination.image_, destination.dib_);
    Copy(from, sourceLeft, sourceTop, to, left, top, width < 0 ? width_ : width,
         height < 0 ? height_ : height);
}

void cDIBSection::RandomiseBits(bool grey)
{
    if (bits_ == nullptr)
        return;
    std::mt19937 generateur(uint32_t(std::chrono::system_clock::now().time_since_epoch().count()));
    std::uniform_real_distribution<double> tirage(0.0, 1.0);
    auto valeur = [&] { return uint8_t(Nearest(tirage(generateur) * 255)); };
    for (int32_t y = 0; y < height_; ++y) {
        uint8_t* pixel = Row(y);
        for (int32_t x = 0; x < width_; ++x, pixel += 3) {
            if (grey) {
                pixel[0] = pixel[1] = pixel[2] = valeur();
            } else {
                pixel[0] = 0;
                pixel[1] = valeur();
                pixel[2] = valeur();
            }
        }
    }
}

void cDIBSection::ClearUp()
{
    bits_.reset();
    handle_ = 0;
    width_ = height_ = stride_ = 0;
}

std::unique_ptr<cDIBSection> cDIBSection::Resample(int32_t newHeight, int32_t newWidth)
{
    auto nouvelle = std::make_unique<cDIBSection>();
    if (bits_ == nullptr || !nouvelle->Create(newWidth, newHeight))
        return nullptr;
    if (newWidth == width_ && newHeight == height_)
        nouvelle->LoadPictureBlt(hdc());
    else
        ResampleInto(*nouvelle);
    return nouvelle;
}

// Bilinear scaling, each byte of a pixel on its own, over the stored rows (counted from the
// bottom). The scales divide by the target's size, so that the target's first column and row
// are the source's; a source under 2 pixels repeats its edge for the missing neighbour.
void cDIBSection::ResampleInto(cDIBSection& target) const
{
    const float xScale = float(double(width_ - 1) / double(target.width_));
    const float yScale = float(double(height_ - 1) / double(target.height_));
    for (int32_t y = 0; y < target.height_; ++y) {
        const float fy = float(double(y) * double(yScale));
        const int32_t iy = std::min(int32_t(std::floor(fy)), height_ - 1);
        const double dy = double(float(fy - float(iy)));
        const uint8_t* bas = bits_.get() + int64_t(iy) * stride_;
        const uint8_t* haut = bits_.get() + int64_t(std::min(iy + 1, height_ - 1)) * stride_;
        uint8_t* sortie = target.bits_.get() + int64_t(y) * target.stride_;
        for (int32_t x = 0; x < target.width_; ++x) {
            const float fx = float(double(x) * double(xScale));
            const int32_t ix = std::min(int32_t(std::floor(fx)), width_ - 1);
            const double dx = double(float(fx - float(ix)));
            const int32_t b = 3 * ix;
            const int32_t d = 3 * std::min(ix + 1, width_ - 1);
            for (int k = 0; k < 3; ++k) {
                const double gauche = Nearest((1 - dy) * bas[b + k] + dy * haut[b + k]);
                const double droite = Nearest((1 - dy) * bas[d + k] + dy * haut[d + k]);
                const double valeur = Nearest((1 - dx) * gauche + dx * droite);
                sortie[3 * x + k] = uint8_t(std::clamp(valeur, 0.0, 255.0));
            }
        }
    }
}
