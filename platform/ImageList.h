#pragma once
// A list of small pictures of one size, drawn by index: the glyphs of the drop-downs, trees and
// page tabs. Each picture keeps its see-through pixels; a disabled draw shows it greyed; an index
// outside the list draws nothing.
#include "platform/Bitmap.h"
#include "platform/Canvas.h"

#include <QImage>
#include <optional>
#include <vector>

namespace plat {

// Draw styles of TImageList::DrawStyled.
inline constexpr uint32_t ILD_NORMAL = 0x0, ILD_TRANSPARENT = 0x1, ILD_BLEND25 = 0x2, ILD_BLEND50 = 0x4;
inline constexpr uint32_t ILD_OVERLAYMASK = 0xF00;
// The overlay number (1-15) as a draw style.
constexpr uint32_t IndexToOverlayMask(int overlay) {
    return uint32_t(overlay) << 8;
}

class TImageList {
public:
    TImageList() = default;
    TImageList(int width, int height) : width_(std::max(1, width)), height_(std::max(1, height)) {}

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Changing the size empties the list.
    void SetSize(int width, int height);
    int Count() const { return int(images_.size()); }

    // Adds the bitmap cut into pictures of the list's width (a strip gives several), its
    // transparent colour see-through when it is transparent; returns the index of the first, -1
    // for an empty bitmap.
    int Add(const TBitmap& image);
    // The same with the pixels of `maskColor` see-through.
    int AddMasked(const TBitmap& image, TColor maskColor);
    void Delete(int index);  // nothing for an index outside the list
    void Clear() { images_.clear(); }

    void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true) const;
    // With a style: ILD_NORMAL fills the picture's see-through pixels with BkColor (none when it is
    // clNone), ILD_TRANSPARENT keeps them; ILD_BLEND50 (or 25) mixes the picture half with BlendColor;
    // an overlay number in ILD_OVERLAYMASK draws that overlay's picture on top.
    void DrawStyled(TCanvas& canvas, int x, int y, int index, uint32_t style, TColor blendColor = clHighlight) const;
    // Makes the picture Image the overlay number Overlay (1-15).
    void SetOverlayImage(int image, int overlay);
    TColor BkColor = clNone;
    // The picture with its see-through pixels (a null image outside the list).
    QImage Image(int index) const;

private:
    int addImage(const QImage& source, std::optional<QRgb> key);
    int width_ = 16, height_ = 16;
    std::vector<QImage> images_;          // ARGB32, the list's size
    int overlays_[16] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    mutable std::vector<QImage> greyed_;  // made on the first disabled draw
};

}  // namespace plat
