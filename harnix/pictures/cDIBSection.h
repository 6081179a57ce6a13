#pragma once
// The program's in-memory picture: 24-bit pixels in blue-green-red order, rows padded to a
// multiple of 4 bytes and stored bottom-up (the first row in memory is the picture's bottom row),
// with block transfers to and from other pictures and bilinear scaling. The scanner window and
// the report copies of the article pictures use it; it knows no window.

#include <QImage>

#include <cstdint>
#include <memory>

class cDIBSection;

// Raster operations of the block transfers; the program copies only.
enum RasterOperation : uint32_t { SRCCOPY = 0x00CC0020 };

// The surface a block transfer reads from or writes to: a picture object's own pixels, or a
// picture of Qt's (a loaded file, the clipboard's content). Null when it names neither.
class DeviceContext
{
public:
    DeviceContext() = default;
    explicit DeviceContext(QImage* image) : image_(image) {}
    explicit DeviceContext(cDIBSection* dib) : dib_(dib) {}

    bool IsNull() const { return image_ == nullptr && dib_ == nullptr; }

private:
    friend class cDIBSection;
    QImage* image_ = nullptr;
    cDIBSection* dib_ = nullptr;
};

class cDIBSection
{
public:
    // Identifies a created picture; 0 when none is held.
    using Handle = uint64_t;

    cDIBSection() = default;
    ~cDIBSection();
    cDIBSection(const cDIBSection&) = delete;
    cDIBSection& operator=(const cDIBSection&) = delete;

    // As a device-independent picture: the message that it cannot be done, and false. Otherwise a
    // copy of the picture on the clipboard; true when the clipboard took it.
    bool CopyToClipboard(bool asDib = false);
    // A zero-filled picture of that size; its handle goes to hDib. False for a size of 0 or below,
    // one whose row length or picture size leaves the 32-bit range, or when memory runs out.
    bool CreateDIB(int32_t width, int32_t height, Handle& hDib);
    // Takes the size of the picture and copies it; false (nothing held) for a null picture.
    bool CreateFromPicture(const QImage& picture);
    // (Re)creates the object at that size, all black.
    bool Create(int32_t width, int32_t height);
    // The length of a stored row in bytes: width × 3 rounded up to a multiple of 4.
    int32_t BytesPerScanLine() const;
    // The size of the picture held; 0 when none is.
    int32_t Width() const;
    int32_t Height() const;
    // Copies from the source at (sourceLeft, sourceTop) to (0, 0) of this picture. A width or
    // height below 0 stands for this picture's own; the copy is clipped to both pictures.
    void LoadPictureBlt(const DeviceContext& source, int32_t sourceLeft = 0, int32_t sourceTop = 0,
                        int32_t width = -1, int32_t height = -1, RasterOperation rop = SRCCOPY);
    // Copies from (sourceLeft, sourceTop) of this picture to the destination at (left, top).
    void PaintPicture(const DeviceContext& destination, int32_t left = 0, int32_t top = 0,
                      int32_t width = -1, int32_t height = -1, int32_t sourceLeft = 0,
                      int32_t sourceTop = 0, RasterOperation rop = SRCCOPY);
    DeviceContext hdc();
    Handle hDib() const { return handle_; }
    // The first stored byte (of the bottom row); null when no picture is held.
    uint8_t* DIBSectionBitsPtr() { return bits_.get(); }
    const uint8_t* DIBSectionBitsPtr() const { return bits_.get(); }
    // Fills the picture with noise: green and red at random with no blue, or random greys.
    void RandomiseBits(bool grey = false);
    // Lets the picture go.
    void ClearUp();
    // A new picture of that size (height first) holding this one scaled; an exact copy at the same
    // size; null when the new picture cannot be made.
    std::unique_ptr<cDIBSection> Resample(int32_t newHeight, int32_t newWidth);

private:
    void ResampleInto(cDIBSection& target) const;
    // The stored bytes of a row counted from the top.
    uint8_t* Row(int32_t y) const { return bits_.get() + int64_t(height_ - 1 - y) * stride_; }

    std::unique_ptr<uint8_t[]> bits_;
    Handle handle_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t stride_ = 0;
};
