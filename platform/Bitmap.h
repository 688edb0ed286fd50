#pragma once
// A bitmap over QImage: 24 or 32 bits a pixel, its own canvas, and a transparent colour that
// defaults to the colour of its bottom-left pixel.
#include "platform/Canvas.h"
#include "platform/Colors.h"

#include <QImage>
#include <QString>
#include <memory>

namespace plat {

enum TPixelFormat : uint8_t { pf24bit, pf32bit };
enum TTransparentMode : uint8_t { tmAuto, tmFixed };

class TBitmap {
public:
    TBitmap();
    TBitmap(int width, int height, TPixelFormat format = pf24bit);
    TBitmap(const TBitmap& other);
    TBitmap& operator=(const TBitmap& other);  // = Assign
    ~TBitmap();

    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    bool Empty() const { return image_.isNull(); }
    // New pixels are white; the kept part keeps its pixels.
    void SetSize(int width, int height);
    void SetWidth(int width) { SetSize(width, Height()); }
    void SetHeight(int height) { SetSize(Width(), height); }
    TPixelFormat PixelFormat() const { return format_; }
    void SetPixelFormat(TPixelFormat format);

    // The canvas drawing on the bitmap; it keeps its pen, brush and font.
    TCanvas& Canvas();

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on) { transparent_ = on; }
    TTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TTransparentMode mode) { transparentMode_ = mode; }
    // The bottom-left pixel's colour in tmAuto mode; setting a colour switches to tmFixed.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor color);

    // Copies the picture and the transparency settings.
    void Assign(const TBitmap& other);
    // False with nothing changed when the file is missing or not a picture.
    bool LoadFromFile(const QString& path);
    // A picture compiled into the program (":/name" with ".bmp" or ".png" tried after the bare name).
    bool LoadFromResourceName(const QString& name);
    bool SaveToFile(const QString& path) const;

    // The pixels; drawing on the canvas finishes first.
    const QImage& Image() const;
    void SetImage(const QImage& image);
    // The picture with the transparent colour's pixels see-through (the picture itself when it is
    // not transparent).
    QImage MaskedImage() const;

private:
    void release() const;
    void reformat();
    QImage image_;
    TPixelFormat format_ = pf24bit;
    bool transparent_ = false;
    TTransparentMode transparentMode_ = tmAuto;
    TColor transparentColor_ = clNone;
    mutable std::unique_ptr<TCanvas> canvas_;
};

}  // namespace plat
