#include "platform/ImageList.h"

#include <QPainter>

namespace plat {

void TImageList::SetSize(int width, int height) {
    width_ = std::max(1, width);
    height_ = std::max(1, height);
    Clear();
}

int TImageList::addImage(const QImage& source, std::optional<QRgb> key) {
    if (source.isNull()) return -1;
    const QImage src = source.convertToFormat(QImage::Format_ARGB32);
    const int first = Count();
    const int pieces = std::max(1, src.width() / width_);
    for (int i = 0; i < pieces; ++i) {
        QImage piece(width_, height_, QImage::Format_ARGB32);
        piece.fill(Qt::transparent);
        const QImage part = src.copy(i * width_, 0, std::min(width_, src.width() - i * width_), std::min(height_, src.height()));
        for (int y = 0; y < part.height(); ++y) {
            const auto* in = reinterpret_cast<const QRgb*>(part.constScanLine(y));
            auto* out = reinterpret_cast<QRgb*>(piece.scanLine(y));
            for (int x = 0; x < part.width(); ++x)
                out[x] = (key && (in[x] & 0xFFFFFFu) == (*key & 0xFFFFFFu)) ? 0 : in[x];
        }
        images_.push_back(piece);
    }
    greyed_.clear();
    return first;
}

int TImageList::Add(const TBitmap& image) {
    std::optional<QRgb> key;
    if (image.Transparent() && image.TransparentColor() != clNone) key = ToQColor(image.TransparentColor()).rgb();
    return addImage(image.Image(), key);
}

int TImageList::AddMasked(const TBitmap& image, TColor maskColor) {
    std::optional<QRgb> key;
    if (maskColor != clNone) key = ToQColor(maskColor).rgb();
    return addImage(image.Image(), key);
}

void TImageList::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    images_.erase(images_.begin() + index);
    greyed_.clear();
}

QImage TImageList::Image(int index) const {
    if (index < 0 || index >= Count()) return {};
    return images_[std::size_t(index)];
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) const {
    if (index < 0 || index >= Count()) return;
    QPainter* p = canvas.Painter();
    if (!p) return;
    if (enabled) {
        p->drawImage(QPoint(x, y), images_[std::size_t(index)]);
        return;
    }
    if (greyed_.size() != images_.size()) greyed_.assign(images_.size(), QImage());
    QImage& grey = greyed_[std::size_t(index)];
    if (grey.isNull()) {
        // Grey, and lifted towards white so that it reads as unavailable.
        grey = images_[std::size_t(index)].copy();
        for (int yy = 0; yy < grey.height(); ++yy) {
            auto* line = reinterpret_cast<QRgb*>(grey.scanLine(yy));
            for (int xx = 0; xx < grey.width(); ++xx) {
                const QRgb c = line[xx];
                const int g = 128 + qGray(c) / 2;
                line[xx] = qRgba(g, g, g, qAlpha(c));
            }
        }
    }
    p->drawImage(QPoint(x, y), grey);
}

void TImageList::SetOverlayImage(int image, int overlay) {
    if (overlay >= 1 && overlay <= 15) overlays_[overlay] = image;
}

void TImageList::DrawStyled(TCanvas& canvas, int x, int y, int index, uint32_t style, TColor blendColor) const {
    if (index < 0 || index >= Count()) return;
    QPainter* p = canvas.Painter();
    if (!p) return;
    QImage picture = images_[std::size_t(index)];
    if (style & (ILD_BLEND50 | ILD_BLEND25)) {
        // Opaque pixels take the blend colour by half (a quarter for ILD_BLEND25 alone).
        const QColor blend = ToQColor(blendColor);
        const int share = (style & ILD_BLEND50) ? 128 : 64;
        picture = picture.copy();
        for (int yy = 0; yy < picture.height(); ++yy) {
            auto* line = reinterpret_cast<QRgb*>(picture.scanLine(yy));
            for (int xx = 0; xx < picture.width(); ++xx) {
                const QRgb c = line[xx];
                auto mix = [&](int a, int b) { return (a * (256 - share) + b * share) >> 8; };
                line[xx] = qRgba(mix(qRed(c), blend.red()), mix(qGreen(c), blend.green()), mix(qBlue(c), blend.blue()),
                                 qAlpha(c));
            }
        }
    }
    if (!(style & ILD_TRANSPARENT) && BkColor != clNone) p->fillRect(QRect(x, y, width_, height_), ToQColor(BkColor));
    p->drawImage(QPoint(x, y), picture);
    const int overlay = int((style & ILD_OVERLAYMASK) >> 8);
    if (overlay > 0 && overlays_[overlay] >= 0 && overlays_[overlay] < Count())
        p->drawImage(QPoint(x, y), images_[std::size_t(overlays_[overlay])]);
}

}  // namespace plat
