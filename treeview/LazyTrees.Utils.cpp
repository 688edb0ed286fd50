#include "treeview/LazyTrees.Utils.h"

#include <QPainter>
#include <algorithm>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/ImageList.h"
#include "treeview/LazyTreesTypes.h"

namespace lazytree {

bool DetectMMX() {
    return MMXAvailable;
}

int TCanvasTextMeasure::TextWidth(const QString& Text) {
    return canvas_.TextWidth(Text);
}

void TCanvasTextMeasure::CalcRect(const QString& Text, TRect& Bounds, unsigned) {
    const QSize size = canvas_.TextExtent(Text);
    Bounds.Right = std::max(Bounds.Right, Bounds.Left + size.width());
    Bounds.Bottom = std::max(Bounds.Bottom, Bounds.Top + size.height());
}

TRect SortRectCorners(TRect R) {
    if (R.Left > R.Right) std::swap(R.Left, R.Right);
    if (R.Top > R.Bottom) std::swap(R.Top, R.Bottom);
    return R;
}

void SetCanvasClip(plat::TCanvas& Canvas, const TRect& ClipRect, const QRegion* VisibleRegion) {
    if (!VisibleRegion) {
        Canvas.SelectClipRect(ClipRect);
        return;
    }
    Canvas.SelectClipRegion(QRegion(ClipRect.toQRect()).intersected(*VisibleRegion));
}

void TextDrawBounds(ITextMeasure& Measure, const QString& Text, TRect& Bounds, unsigned DrawFormat) {
    Bounds.Right = Bounds.Left + 1;
    Bounds.Bottom = Bounds.Top + 1;
    Measure.CalcRect(Text, Bounds, DrawFormat | plat::DT_CALCRECT);
}

QString EllipsisText(ITextMeasure& Measure, const QString& Text, int Width, int EllipsisWidth) {
    if (Text.isEmpty() || Width <= 0) return QString();
    static const QString kEllipsis = QStringLiteral("...");
    if (EllipsisWidth == 0) EllipsisWidth = Measure.TextWidth(kEllipsis);
    int low = 0, high = static_cast<int>(Text.size());
    while (high > low) {
        const int n = (low + high + 1) / 2;
        if (EllipsisWidth + Measure.TextWidth(Text.left(n)) <= Width)
            low = n;
        else
            high = n - 1;
    }
    if (low >= Text.size()) return Text;
    if (EllipsisWidth < Width) return Text.left(low) + kEllipsis;
    return QString();
}

QString WordWrapText(ITextMeasure& Measure, const QString& Text, const TRect& Bounds, bool RightToLeft,
                     unsigned DrawFormat) {
    int first = 0, last = static_cast<int>(Text.size()) - 1;
    while (first <= last && Text[first].unicode() <= 32) ++first;
    while (last >= first && Text[last].unicode() <= 32) --last;
    const QString s = Text.mid(first, last - first + 1);
    if (s.isEmpty()) return QString();
    const int maxWidth = Bounds.Right - Bounds.Left;
    int count = 1 + static_cast<int>(s.count(QLatin1Char(' ')));
    std::vector<QString> words(static_cast<size_t>(count));
    // Words are taken from the end of the array: left-to-right fills it from the end.
    {
        int w = RightToLeft ? 0 : count - 1;
        for (QChar c : s) {
            if (c == QLatin1Char(' '))
                w += RightToLeft ? 1 : -1;
            else
                words[static_cast<size_t>(w)] += c;
        }
    }
    auto width = [&](const QString& text) {
        TRect r{0, 0, 0, 0};
        TextDrawBounds(Measure, text, r, DrawFormat);
        return r.Right;
    };
    auto piece = [&](const QString& word, int n) { return RightToLeft ? word.right(n) : word.left(n); };
    // Kept from one cut to the next.
    int splitLength = static_cast<int>(s.size());
    QString result;
    while (count > 0) {
        QString line;
        int inLine = 0;
        while (count > 0) {
            QString& word = words[static_cast<size_t>(count - 1)];
            const QString sep = inLine == 0 ? QString() : QStringLiteral(" ");
            const QString joined = RightToLeft ? word + sep + line : line + sep + word;
            if (width(joined) > maxWidth) {
                if (inLine == 0) {
                    const int length = static_cast<int>(word.size());
                    if (splitLength < 2) {
                        splitLength = length;
                    } else {
                        splitLength = length - 1;
                        while (splitLength > 1 && width(piece(word, splitLength)) > maxWidth) --splitLength;
                    }
                    const int k = std::max(splitLength, 1);
                    line += piece(word, k);
                    word = RightToLeft ? word.left(length - k) : word.mid(k);
                    if (word.isEmpty()) --count;
                }
                break;
            }
            line = joined;
            ++inLine;
            --count;
        }
        result += line + QLatin1Char('\n');
    }
    if (result.endsWith(QLatin1Char('\n'))) result.chop(1);
    return result;
}

uint8_t* ScanlineAt(void* Bits, int Width, int Height, int Row) {
    const int64_t row = Height > 0 ? int64_t(Height) - Row - 1 : Row;
    return static_cast<uint8_t*>(Bits) + (int64_t(Width) * 32 * row) / 8;
}

namespace {

// One byte: the weighted mean of S and D by A, then the bias with the saturations of 16-bit lanes.
inline uint8_t BlendByte(int s, int d, int a, int16_t bias) {
    int v = static_cast<uint16_t>((s - d) * a + d * 256) >> 8;
    v -= 128;
    v = std::clamp(v + bias, -32768, 32767);
    v = static_cast<int16_t>(static_cast<uint16_t>(v + 128));
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

template <typename AlphaOf>
void BlendRow(const uint8_t* source, uint8_t* destination, int count, int bias, AlphaOf alphaOf) {
    const auto b = static_cast<int16_t>(bias & 0xFFFF);
    for (int i = 0; i < count; ++i, source += 4, destination += 4) {
        const int a = alphaOf(source[3]);
        for (int k = 0; k < 4; ++k) destination[k] = BlendByte(source[k], destination[k], a, b);
    }
}

bool Is32Bit(const QImage& image) {
    return image.depth() == 32;
}

const QImage& Checked(const QImage* image) {
    Assert(image && !image->isNull(), "Alpha blending DC error: no bitmap available.");
    Assert(Is32Bit(*image), "Alpha blending error: bitmap must use 32 bpp.");
    return *image;
}

}  // namespace

void BlendRowFixed(const uint8_t* Source, uint8_t* Destination, int Count, int Bias, int ConstantAlpha) {
    BlendRow(Source, Destination, Count, Bias, [&](uint8_t) { return ConstantAlpha & 0xFF; });
}

void BlendRowByPixel(const uint8_t* Source, uint8_t* Destination, int Count, int Bias) {
    BlendRow(Source, Destination, Count, Bias, [](uint8_t alpha) { return int(alpha); });
}

void BlendRowScaled(const uint8_t* Source, uint8_t* Destination, int Count, int Bias, int ConstantAlpha) {
    BlendRow(Source, Destination, Count, Bias, [&](uint8_t alpha) { return ((ConstantAlpha & 0xFF) * alpha) >> 8; });
}

void BlendRowTint(uint8_t* Destination, int Count, int ConstantAlpha, uint32_t Color) {
    const int a = ConstantAlpha & 0xFF;
    const int c[4] = {int((Color >> 16) & 0xFF), int((Color >> 8) & 0xFF), int(Color & 0xFF), 0};
    for (int i = 0; i < Count; ++i, Destination += 4)
        for (int k = 0; k < 4; ++k) Destination[k] = static_cast<uint8_t>((Destination[k] * (256 - a) + c[k] * a) >> 8);
}

void BlendRect(const QImage* Source, QImage& Destination, TRect R, QPoint Target, int Mode, int ConstantAlpha,
               int Bias) {
    if (R.IsEmpty() || Mode < 0 || Mode > 3) return;
    Checked(&Destination);
    const int dw = Destination.width(), dh = Destination.height();
    if (Mode == 3) {
        // Only the part inside the image is tinted.
        R = {std::max(R.Left, 0), std::max(R.Top, 0), std::min(R.Right, dw), std::min(R.Bottom, dh)};
        if (R.IsEmpty()) return;
        uchar* bits = Destination.bits();
        for (int y = 0; y < R.Height(); ++y)
            BlendRowTint(ScanlineAt(bits, dw, -dh, R.Top + y) + R.Left * 4, R.Width(), ConstantAlpha,
                         static_cast<uint32_t>(Bias));
        return;
    }
    const QImage& source = Checked(Source);
    // Clamp the source rectangle to the source and its target to the destination, moving both alike.
    auto clampAxis = [](int& from, int& to, int& target, int sourceSize, int targetSize) {
        if (from < 0) {
            target -= from;
            from = 0;
        }
        if (target < 0) {
            from -= target;
            target = 0;
        }
        to = std::min({to, sourceSize, from + (targetSize - target)});
    };
    int tx = Target.x(), ty = Target.y();
    clampAxis(R.Left, R.Right, tx, source.width(), dw);
    clampAxis(R.Top, R.Bottom, ty, source.height(), dh);
    if (R.IsEmpty()) return;
    const uchar* sbits = source.constBits();
    uchar* dbits = Destination.bits();
    const int count = R.Width();
    for (int y = 0; y < R.Height(); ++y) {
        const uint8_t* s = ScanlineAt(const_cast<uchar*>(sbits), source.width(), -source.height(), R.Top + y) + R.Left * 4;
        uint8_t* d = ScanlineAt(dbits, dw, -dh, ty + y) + tx * 4;
        switch (Mode) {
            case 0:
                BlendRowFixed(s, d, count, Bias, ConstantAlpha);
                break;
            case 1:
                BlendRowByPixel(s, d, count, Bias);
                break;
            default:
                BlendRowScaled(s, d, count, Bias, ConstantAlpha);
                break;
        }
    }
}

uint32_t ImageListColor(plat::TColor Color) {
    if (Color == plat::clNone) return CLR_NONE;
    if (Color == clDefault) return CLR_DEFAULT;
    return static_cast<uint32_t>(plat::ColorToRGB(Color));
}

void StretchDIBToCanvas(plat::TCanvas& Canvas, const TRect& DestRect, const plat::TBitmap& Bitmap) {
    QPainter* p = Canvas.Painter();
    if (!p || Bitmap.Image().isNull()) return;
    p->drawImage(DestRect.toQRect(), Bitmap.Image());
}

void DrawListImage(const plat::TImageList& ImageList, int Index, plat::TCanvas& Canvas, int X, int Y, uint32_t Style,
                   bool Enabled) {
    if (Enabled)
        ImageList.DrawStyled(Canvas, X, Y, Index, Style);
    else
        DrawSaturatedImage(ImageList, Canvas, X, Y, Index);
}

void DrawSaturatedImage(const plat::TImageList& ImageList, plat::TCanvas& Canvas, int X, int Y, int Index) {
    ImageList.Draw(Canvas, X, Y, Index, false);
}

void SplitMovedPicture(int Width, int Height, int DeltaX, int DeltaY, TRect& RestoreA, TRect& RestoreB, TRect& FetchA,
                       TRect& FetchB, TRect& Scroll, TRect& Clip) {
    const int W = Width, H = Height, X = std::abs(DeltaX), Y = std::abs(DeltaY);
    Clip = {0, 0, W, H};
    const int sx = (DeltaX > 0) - (DeltaX < 0), sy = (DeltaY > 0) - (DeltaY < 0);
    // One row per direction pair: Scroll, RestoreA, RestoreB, FetchA, FetchB; a row without a strip
    // leaves it alone.
    struct Row {
        TRect scroll, restoreA, restoreB, fetchA, fetchB;
        bool hasA, hasB;
    };
    Row row{};
    if (sx == 0 && sy > 0)
        row = {{0, 0, W, H - Y}, {0, H - Y, W, Y}, {}, {0, 0, W, Y}, {}, true, false};
    else if (sx == 0 && sy < 0)
        row = {{0, Y, W, H}, {0, 0, W, Y}, {}, {0, H - Y, W, Y}, {}, true, false};
    else if (sx > 0 && sy == 0)
        row = {{0, 0, W - X, H}, {}, {W - X, 0, X, H}, {}, {0, 0, X, H}, false, true};
    else if (sx > 0 && sy > 0)
        row = {{0, 0, W - X, H - Y}, {W - X, 0, X, H}, {0, H - Y, W - X, Y}, {X, 0, W - X, Y}, {0, 0, X, H}, true, true};
    else if (sx > 0 && sy < 0)
        row = {{0, Y, W - X, H}, {W - X, 0, X, H}, {0, 0, W - X, Y}, {X, H - Y, W - X, Y}, {0, 0, X, H}, true, true};
    else if (sx < 0 && sy == 0)
        row = {{X, 0, W, H}, {}, {0, 0, X, H}, {}, {W - X, 0, X, H}, false, true};
    else if (sx < 0 && sy > 0)
        row = {{X, 0, W, H}, {X, H - Y, W - X, Y}, {0, 0, X, H}, {W - X, 0, X, H}, {0, 0, W - X, Y}, true, true};
    else if (sx < 0 && sy < 0)
        row = {{X, Y, W, H}, {X, 0, W - X, Y}, {0, 0, X, H}, {W - X, 0, X, H}, {0, H - Y, W - X, Y}, true, true};
    else
        return;
    Scroll = row.scroll;
    if (row.hasA) {
        RestoreA = row.restoreA;
        FetchA = row.fetchA;
    }
    if (row.hasB) {
        RestoreB = row.restoreB;
        FetchB = row.fetchB;
    }
}

}  // namespace lazytree
