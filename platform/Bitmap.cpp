#include "platform/Bitmap.h"

#include <QFile>
#include <algorithm>
#include <cstring>

namespace plat {
namespace {

QImage::Format qtFormat(TPixelFormat f) {
    return f == pf32bit ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
}

}  // namespace

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height, TPixelFormat format) : format_(format) { SetSize(width, height); }

TBitmap::TBitmap(const TBitmap& other) { Assign(other); }

TBitmap& TBitmap::operator=(const TBitmap& other) {
    Assign(other);
    return *this;
}

TBitmap::~TBitmap() { release(); }

void TBitmap::release() const {
    if (canvas_) canvas_->Release();
}

void TBitmap::SetSize(int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == Width() && height == Height()) return;
    release();
    QImage next;
    if (width > 0 && height > 0) {
        next = QImage(width, height, qtFormat(format_));
        next.fill(Qt::white);
        if (!image_.isNull()) {
            for (int y = 0; y < std::min(height, image_.height()); ++y)
                std::memcpy(next.scanLine(y), image_.constScanLine(y), std::size_t(std::min(width, image_.width())) * 4);
        }
    }
    image_ = next;
    if (canvas_) canvas_->SetDevice(image_.isNull() ? nullptr : &image_);
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == format_) return;
    format_ = format;
    reformat();
}

void TBitmap::reformat() {
    release();
    if (!image_.isNull() && image_.format() != qtFormat(format_)) image_ = image_.convertToFormat(qtFormat(format_));
    if (canvas_) canvas_->SetDevice(image_.isNull() ? nullptr : &image_);
}

TCanvas& TBitmap::Canvas() {
    if (!canvas_) canvas_ = std::make_unique<TCanvas>(image_.isNull() ? nullptr : &image_);
    return *canvas_;
}

TColor TBitmap::TransparentColor() const {
    if (transparentMode_ == tmFixed) return transparentColor_;
    if (image_.isNull()) return clNone;
    release();
    return FromQRgb(image_.pixel(0, image_.height() - 1));
}

void TBitmap::SetTransparentColor(TColor color) {
    transparentColor_ = color;
    transparentMode_ = tmFixed;
}

void TBitmap::Assign(const TBitmap& other) {
    if (&other == this) return;
    release();
    other.release();
    format_ = other.format_;
    image_ = other.image_.copy();
    transparent_ = other.transparent_;
    transparentMode_ = other.transparentMode_;
    transparentColor_ = other.transparentColor_;
    if (canvas_) canvas_->SetDevice(image_.isNull() ? nullptr : &image_);
}

bool TBitmap::LoadFromFile(const QString& path) {
    QImage loaded;
    if (!loaded.load(path)) return false;
    format_ = loaded.hasAlphaChannel() ? pf32bit : pf24bit;
    SetImage(loaded);
    return true;
}

bool TBitmap::LoadFromResourceName(const QString& name) {
    for (const QString& suffix : {QString(), QStringLiteral(".bmp"), QStringLiteral(".png")}) {
        const QString path = QStringLiteral(":/") + name + suffix;
        if (QFile::exists(path)) return LoadFromFile(path);
    }
    return false;
}

bool TBitmap::SaveToFile(const QString& path) const { return Image().save(path); }

const QImage& TBitmap::Image() const {
    release();
    return image_;
}

void TBitmap::SetImage(const QImage& image) {
    release();
    image_ = image.convertToFormat(qtFormat(format_));
    if (canvas_) canvas_->SetDevice(image_.isNull() ? nullptr : &image_);
}

QImage TBitmap::MaskedImage() const {
    release();
    if (!transparent_ || image_.isNull()) return image_;
    const TColor key = TransparentColor();
    if (key == clNone) return image_;
    const QRgb k = ToQColor(key).rgb() & 0xFFFFFFu;
    QImage out = image_.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] & 0xFFFFFFu) == k) line[x] = 0;
    }
    return out;
}

}  // namespace plat
