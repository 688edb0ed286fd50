#include "platform/Canvas.h"

#include "platform/Bitmap.h"
#include "platform/TextShapeCache.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <list>
#include <vector>

namespace plat {
namespace {

// On and off runs of the dashed pens, in pixels.
struct Pattern {
    const int* runs;
    int count;
};
constexpr int dashRuns[] = {18, 6};
constexpr int dotRuns[] = {3, 3};
constexpr int dashDotRuns[] = {9, 6, 3, 6};
constexpr int dashDotDotRuns[] = {9, 3, 3, 3, 3, 3};

Pattern patternOf(TPenStyle s) {
    switch (s) {
    case psDash: return {dashRuns, 2};
    case psDot: return {dotRuns, 2};
    case psDashDot: return {dashDotRuns, 4};
    case psDashDotDot: return {dashDotDotRuns, 6};
    default: return {nullptr, 0};
    }
}

// Whether the pixel at position `pos` along a patterned line is on.
bool patternOn(const Pattern& pat, int pos) {
    if (!pat.runs) return true;
    int total = 0;
    for (int i = 0; i < pat.count; ++i) total += pat.runs[i];
    pos %= total;
    for (int i = 0; i < pat.count; ++i) {
        if (pos < pat.runs[i]) return i % 2 == 0;
        pos -= pat.runs[i];
    }
    return true;
}

struct PrefixedText {
    QString text;
    std::vector<int> underlined;  // positions in text
};

// "&&" shows one "&", a single "&" underlines the next character and is not shown.
PrefixedText stripPrefixes(const QString& in) {
    PrefixedText out;
    out.text.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == u'&') {
            if (i + 1 < in.size() && in[i + 1] == u'&') {
                out.text += u'&';
                ++i;
            } else if (i + 1 < in.size()) {
                out.underlined.push_back(int(out.text.size()));
            }
            continue;
        }
        out.text += in[i];
    }
    return out;
}

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

}  // namespace

TCanvas::TCanvas() {
    font_.OnChange = [this] {
        fontApplied_ = false;
        shapes_.reset();
    };
}

TCanvas::TCanvas(QPaintDevice* device) : TCanvas() { device_ = device; }

TCanvas::~TCanvas() { Release(); }

void TCanvas::SetDevice(QPaintDevice* device) {
    Release();
    device_ = device;
    clip_ = {};
    shapes_.reset();
}

void TCanvas::Release() {
    if (painter_) {
        painter_->end();
        painter_.reset();
    }
    session_ = 0;
}

QPainter* TCanvas::painter() {
    if (painter_) return painter_.get();
    if (!device_) return nullptr;
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(device_)) {
        painter_.reset();
        return nullptr;
    }
    static std::atomic<uint64_t> sessions{0};
    session_ = ++sessions;
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setRenderHint(QPainter::TextAntialiasing, true);
    fontApplied_ = false;
    applyClip(painter_.get());
    return painter_.get();
}

void TCanvas::applyClip(QPainter* p) {
    if (clip_.enabled)
        p->setClipRegion(clip_.region);
    else
        p->setClipping(false);
}

void TCanvas::applyFont(QPainter* p) {
    if (fontApplied_) return;
    // Painters assign a font for every cell, mostly the one in use: setting it again would make
    // the painter a new copy.
    const QFont f = font_.ToQFont();
    if (!(p->font() == f)) p->setFont(f);
    fontApplied_ = true;
}

TFontShapes& TCanvas::shapes() const {
    if (!shapes_) shapes_ = FontShapesFor(font_.ToQFont(), device_);
    return *shapes_;
}

const QFontMetrics& TCanvas::metrics() const { return shapes().Metrics(); }

// ---- lines and shapes ----

void TCanvas::thinLine(QPainter* p, QPoint a, QPoint b, int& patternPos) {
    const QColor& c = pen_.qcolor();
    const Pattern pat = patternOf(pen_.Style());
    const int dx = std::abs(b.x() - a.x()), dy = std::abs(b.y() - a.y());
    if (dx == 0 && dy == 0) return;
    if (!pat.runs && (dx == 0 || dy == 0)) {
        // Straight solid lines as one fill; the end point stays out.
        if (dy == 0) {
            const int x0 = b.x() > a.x() ? a.x() : b.x() + 1;
            p->fillRect(QRect(x0, a.y(), dx, 1), c);
        } else {
            const int y0 = b.y() > a.y() ? a.y() : b.y() + 1;
            p->fillRect(QRect(a.x(), y0, 1, dy), c);
        }
        return;
    }
    // Bresenham, stopping before the end point.
    const int sx = a.x() < b.x() ? 1 : -1, sy = a.y() < b.y() ? 1 : -1;
    int err = dx - dy;
    int x = a.x(), y = a.y();
    std::vector<QPoint> pts;
    pts.reserve(std::size_t(std::max(dx, dy)));
    while (x != b.x() || y != b.y()) {
        if (patternOn(pat, patternPos)) pts.emplace_back(x, y);
        ++patternPos;
        const int e2 = 2 * err;
        if (e2 > -dy) {
            err -= dy;
            x += sx;
        }
        if (e2 < dx) {
            err += dx;
            y += sy;
        }
    }
    if (pts.empty()) return;
    p->setPen(QPen(c, 0));
    p->drawPoints(pts.data(), int(pts.size()));
}

void TCanvas::wideLine(QPainter* p, QPoint a, QPoint b) {
    p->setPen(QPen(pen_.qcolor(), pen_.Width(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p->drawLine(QPointF(a) + QPointF(0.5, 0.5), QPointF(b) + QPointF(0.5, 0.5));
}

QPoint TCanvas::PenPos() const {
    if (penAfterText_) {
        penPos_.rx() += TextWidth(*penAfterText_);
        penAfterText_.reset();
    }
    return penPos_;
}

void TCanvas::LineTo(int x, int y) {
    const QPoint from = PenPos(), to(x, y);
    SetPenPos(to);
    if (!pen_.Visible()) return;
    QPainter* p = painter();
    if (!p) return;
    if (pen_.Width() > 1) {
        wideLine(p, from, to);
    } else {
        int pos = 0;
        thinLine(p, from, to, pos);
    }
}

void TCanvas::Polyline(const QList<QPoint>& points) {
    if (points.isEmpty()) return;
    QPainter* p = pen_.Visible() ? painter() : nullptr;
    int pos = 0;
    for (qsizetype i = 1; i < points.size(); ++i) {
        if (p) {
            if (pen_.Width() > 1)
                wideLine(p, points[i - 1], points[i]);
            else
                thinLine(p, points[i - 1], points[i], pos);
        }
    }
    SetPenPos(points.back());
}

void TCanvas::setShapePen(QPainter* p) {
    if (!pen_.Visible()) {
        p->setPen(Qt::NoPen);
        return;
    }
    QPen pen(pen_.qcolor(), pen_.Width() > 1 ? pen_.Width() : 0);
    if (pen_.Width() <= 1 && pen_.Style() != psSolid) {
        const Pattern pat = patternOf(pen_.Style());
        QList<qreal> dashes;
        for (int i = 0; i < pat.count; ++i) dashes << pat.runs[i];
        pen.setDashPattern(dashes);
    }
    pen.setJoinStyle(Qt::MiterJoin);
    p->setPen(pen);
}

void TCanvas::Polygon(const QList<QPoint>& points) {
    if (points.size() < 2) return;
    QPainter* p = painter();
    if (!p) return;
    if (pen_.Width() > 1) {
        setShapePen(p);
        p->setBrush(brush_.Visible() ? QBrush(brush_.qcolor()) : QBrush(Qt::NoBrush));
        p->drawPolygon(points.data(), int(points.size()));
        return;
    }
    if (brush_.Visible()) {
        p->setPen(Qt::NoPen);
        p->setBrush(brush_.qcolor());
        p->drawPolygon(points.data(), int(points.size()));
    }
    // A thin outline runs the closed figure line by line, so every corner is painted once.
    if (!pen_.Visible()) return;
    int pos = 0;
    for (qsizetype i = 0; i < points.size(); ++i) thinLine(p, points[i], points[(i + 1) % points.size()], pos);
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    if (right == left || bottom == top) return;
    QPainter* p = painter();
    if (!p) return;
    if (!pen_.Visible()) {
        if (brush_.Visible()) p->fillRect(QRect(left, top, right - left - 1, bottom - top - 1), brush_.qcolor());
        return;
    }
    if (brush_.Visible()) p->fillRect(QRect(left, top, right - left, bottom - top), brush_.qcolor());
    if (pen_.Width() > 1) {
        p->setPen(QPen(pen_.qcolor(), pen_.Width(), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p->setBrush(Qt::NoBrush);
        p->drawRect(QRectF(left + 0.5, top + 0.5, right - left - 1, bottom - top - 1));
        return;
    }
    if (pen_.Style() == psSolid) {
        const QColor& c = pen_.qcolor();
        const int w = right - left, h = bottom - top;
        p->fillRect(QRect(left, top, w, 1), c);
        if (h > 1) p->fillRect(QRect(left, bottom - 1, w, 1), c);
        if (h > 2) {
            p->fillRect(QRect(left, top + 1, 1, h - 2), c);
            if (w > 1) p->fillRect(QRect(right - 1, top + 1, 1, h - 2), c);
        }
        return;
    }
    // A patterned outline runs once around, clockwise from the top-left corner.
    int pos = 0;
    const QPoint tl(left, top), tr(right - 1, top), br(right - 1, bottom - 1), bl(left, bottom - 1);
    thinLine(p, tl, tr, pos);
    thinLine(p, tr, br, pos);
    thinLine(p, br, bl, pos);
    thinLine(p, bl, tl, pos);
    if (tl == br) thinLine(p, tl, tl + QPoint(1, 0), pos);
}

void TCanvas::FillRect(const TRect& r) {
    if (r.IsEmpty() || !brush_.Visible()) return;
    if (QPainter* p = painter()) p->fillRect(r.toQRect(), brush_.qcolor());
}

void TCanvas::FrameRect(const TRect& r) {
    if (r.IsEmpty() || !brush_.Visible()) return;
    QPainter* p = painter();
    if (!p) return;
    const QColor& c = brush_.qcolor();
    const int w = r.Width(), h = r.Height();
    p->fillRect(QRect(r.Left, r.Top, w, 1), c);
    if (h > 1) p->fillRect(QRect(r.Left, r.Bottom - 1, w, 1), c);
    if (h > 2) {
        p->fillRect(QRect(r.Left, r.Top + 1, 1, h - 2), c);
        if (w > 1) p->fillRect(QRect(r.Right - 1, r.Top + 1, 1, h - 2), c);
    }
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    QPainter* p = painter();
    if (!p || right - left < 1 || bottom - top < 1) return;
    setShapePen(p);
    p->setBrush(brush_.Visible() ? QBrush(brush_.qcolor()) : QBrush(Qt::NoBrush));
    // Through pixel centres: an integer rectangle lets the rasterizer overshoot a wide, flat
    // ellipse by a pixel on each side.
    p->drawEllipse(QRectF(left + 0.5, top + 0.5, right - left - 1, bottom - top - 1));
}

void TCanvas::RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    QPainter* p = painter();
    if (!p || right - left < 1 || bottom - top < 1) return;
    setShapePen(p);
    p->setBrush(brush_.Visible() ? QBrush(brush_.qcolor()) : QBrush(Qt::NoBrush));
    p->drawRoundedRect(QRect(left, top, right - left - 1, bottom - top - 1), cornerWidth / 2.0, cornerHeight / 2.0);
}

TColor TCanvas::Pixels(int x, int y) {
    if (!device_ || device_->devType() != QInternal::Image) return clNone;
    const auto* image = static_cast<const QImage*>(device_);
    if (!image->valid(x, y)) return clNone;
    return FromQRgb(image->pixel(x, y));
}

void TCanvas::SetPixel(int x, int y, TColor color) {
    if (color == clNone) return;
    if (QPainter* p = painter()) p->fillRect(QRect(x, y, 1, 1), ToQColor(color));
}

// ---- text ----

int TCanvas::TextWidth(const QString& text) const {
    return TextShapeCacheEnabled() ? shapes().Width(text) : metrics().horizontalAdvance(text);
}

int TCanvas::TextHeight(const QString&) const { return metrics().height(); }

QSize TCanvas::TextExtent(const QString& text) const { return {TextWidth(text), TextHeight(text)}; }

void TCanvas::TextOut(int x, int y, const QString& text) {
    if (QPainter* p = painter()) {
        applyFont(p);
        const QFontMetrics& fm = metrics();
        const bool turned = font_.Orientation() != 0;
        if (turned) {
            p->save();
            p->translate(x, y);
            p->rotate(-font_.Orientation() / 10.0);
        }
        const QPoint origin = turned ? QPoint(0, 0) : QPoint(x, y);
        if (brush_.Visible()) p->fillRect(QRect(origin.x(), origin.y(), TextWidth(text), fm.height()), brush_.qcolor());
        if (font_.Color() != clNone) {
            const QColor color = ToQColor(font_.Color());
            const QPen& current = p->pen();
            if (current.color() != color || current.style() != Qt::SolidLine) p->setPen(color);
            p->drawText(QPoint(origin.x(), origin.y() + fm.ascent()), text);
        }
        if (turned) p->restore();
    }
    penPos_ = QPoint(x, y);
    penAfterText_ = text;
}

void TCanvas::TextRect(const TRect& r, int x, int y, const QString& text) {
    QPainter* p = painter();
    if (!p) return;
    applyFont(p);
    const QFontMetrics& fm = metrics();
    p->save();
    p->setClipRect(r.toQRect(), clip_.enabled ? Qt::IntersectClip : Qt::ReplaceClip);
    if (brush_.Visible()) p->fillRect(r.toQRect(), brush_.qcolor());
    if (font_.Color() != clNone) {
        p->setPen(ToQColor(font_.Color()));
        p->translate(x, y);
        if (font_.Orientation() != 0) p->rotate(-font_.Orientation() / 10.0);
        p->drawText(QPoint(0, fm.ascent()), text);
    }
    p->restore();
}

int TCanvas::lineWidth(const QString& text, unsigned flags, int tabWidth) const {
    const QFontMetrics& fm = metrics();
    if (!(flags & DT_EXPANDTABS) || !text.contains(u'\t')) return fm.horizontalAdvance(text);
    int x = 0;
    qsizetype start = 0;
    for (;;) {
        const qsizetype tab = text.indexOf(u'\t', start);
        x += fm.horizontalAdvance(text.mid(start, tab < 0 ? -1 : tab - start));
        if (tab < 0) return x;
        x = (x / tabWidth + 1) * tabWidth;
        start = tab + 1;
    }
}

void TCanvas::drawTextLine(QPainter* p, int x, int y, const QString& text, unsigned flags, int tabWidth) {
    const QFontMetrics& fm = metrics();
    if (font_.Orientation() != 0) {
        // A turned font turns each line about the top-left corner of its cell.
        p->save();
        p->translate(x, y);
        p->rotate(-font_.Orientation() / 10.0);
        x = 0;
        y = 0;
    }
    if (!(flags & DT_EXPANDTABS) || !text.contains(u'\t')) {
        p->drawText(QPoint(x, y + fm.ascent()), text);
        if (font_.Orientation() != 0) p->restore();
        return;
    }
    int dx = 0;
    qsizetype start = 0;
    for (;;) {
        const qsizetype tab = text.indexOf(u'\t', start);
        const QString part = text.mid(start, tab < 0 ? -1 : tab - start);
        p->drawText(QPoint(x + dx, y + fm.ascent()), part);
        dx += fm.horizontalAdvance(part);
        if (tab < 0) break;
        dx = (dx / tabWidth + 1) * tabWidth;
        start = tab + 1;
    }
    if (font_.Orientation() != 0) p->restore();
}

namespace {
// The flags a DrawText layout depends on (with the text, the font and the width).
constexpr unsigned kLayoutFlags = DT_SINGLELINE | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_HIDEPREFIX |
                                  DT_END_ELLIPSIS | DT_EDITCONTROL;
}  // namespace

// The lines of a DrawText call, as ranges of the text without its prefixes, each with its width and
// the line drawn (an ellipsis may end it). Lines come from the font's kept lines when `keep`, else
// from `own` (then the layout must not be kept).
TLaidOutText TCanvas::layOut(const QString& input, unsigned flags, int width, bool keep,
                              std::list<TShapedLine>& own, bool& kept) const {
    TFontShapes& fs = shapes();
    const int tabWidth = fs.TabWidth();
    const bool single = flags & DT_SINGLELINE;

    // Line breaks of a single line show as nothing.
    QString source = input;
    if (single) source.remove(u'\r').remove(u'\n');
    PrefixedText pt;
    if (flags & DT_NOPREFIX)
        pt.text = source;
    else
        pt = stripPrefixes(source);
    if (flags & DT_HIDEPREFIX) pt.underlined.clear();

    struct Line {
        qsizetype start, length;
        QString shown;
        int width = -1;
    };
    std::vector<Line> lines;
    const QString& t = pt.text;
    // A width already measured goes with its line; measuring shapes the text again.
    auto addLine = [&](qsizetype s, qsizetype len, int measured = -1) {
        lines.push_back({s, len, t.mid(s, len), measured});
    };
    auto breakParagraph = [&](qsizetype s, qsizetype e) {
        if (!(flags & DT_WORDBREAK) || single) {
            addLine(s, e - s);
            return;
        }
        qsizetype lineStart = s;
        while (true) {
            // The longest run of whole words that fits; blanks at a break are dropped.
            qsizetype lastFit = -1;  // end of the last word that fits
            int lastFitWidth = -1;
            qsizetype i = lineStart;
            while (i < e) {
                qsizetype wordEnd = i;
                while (wordEnd < e && isBlank(t[wordEnd])) ++wordEnd;
                while (wordEnd < e && !isBlank(t[wordEnd])) ++wordEnd;
                const int w = lineWidth(t.mid(lineStart, wordEnd - lineStart), flags, tabWidth);
                if (w > width) break;
                lastFit = wordEnd;
                lastFitWidth = w;
                i = wordEnd;
            }
            if (i >= e) {
                addLine(lineStart, e - lineStart, lastFit == e ? lastFitWidth : -1);
                return;
            }
            qsizetype cut = lastFit;
            if (cut < 0) {
                // A word wider than the rectangle: an edit control breaks inside it, otherwise it
                // stands alone on its line.
                qsizetype wordEnd = lineStart;
                while (wordEnd < e && isBlank(t[wordEnd])) ++wordEnd;
                while (wordEnd < e && !isBlank(t[wordEnd])) ++wordEnd;
                cut = wordEnd;
                if (flags & DT_EDITCONTROL) {
                    qsizetype c = lineStart + 1;
                    while (c < wordEnd && lineWidth(t.mid(lineStart, c + 1 - lineStart), flags, tabWidth) <= width) ++c;
                    cut = c;
                }
            }
            qsizetype len = cut - lineStart;
            while (len > 0 && isBlank(t[lineStart + len - 1])) --len;
            addLine(lineStart, len);
            lineStart = cut;
            while (lineStart < e && isBlank(t[lineStart])) ++lineStart;
            if (lineStart >= e) return;
        }
    };
    if (single) {
        addLine(0, t.size());
    } else {
        qsizetype s = 0;
        for (qsizetype i = 0; i <= t.size(); ++i) {
            if (i == t.size() || t[i] == u'\r' || t[i] == u'\n') {
                breakParagraph(s, i);
                if (i < t.size() && t[i] == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n') ++i;
                s = i + 1;
            }
        }
    }

    // Every line carries its width: a kept layout serves later calls of any alignment and brush.
    for (Line& l : lines)
        if (l.width < 0) l.width = lineWidth(l.shown, flags, tabWidth);
    if (flags & DT_END_ELLIPSIS) {
        const QString dots = QStringLiteral("...");
        for (Line& l : lines) {
            if (l.width <= width) continue;
            // The longest start that fits with the dots after it, found by halving.
            qsizetype lo = 0, hi = l.shown.size() - 1;
            while (lo < hi) {
                const qsizetype mid = (lo + hi + 1) / 2;
                if (lineWidth(l.shown.left(mid) + dots, flags, tabWidth) <= width)
                    lo = mid;
                else
                    hi = mid - 1;
            }
            l.shown = l.shown.left(lo) + dots;
            l.length = lo;  // underlines past the cut go with it
            l.width = lineWidth(l.shown, flags, tabWidth);
        }
    }

    TLaidOutText out;
    out.underlined = std::move(pt.underlined);
    out.lines.reserve(lines.size());
    kept = keep;
    for (Line& l : lines) {
        TShapedLine* shape = keep ? fs.Line(l.shown) : nullptr;
        if (!shape) {
            kept = false;
            shape = &own.emplace_back();
            shape->text = l.shown;
            shape->width = l.width;
        }
        out.lines.push_back({l.start, l.length, l.width, shape});
    }
    return out;
}

int TCanvas::DrawText(const QString& input, TRect& r, unsigned flags) {
    TFontShapes& fs = shapes();
    const bool keep = TextShapeCacheEnabled() && input.size() <= TFontShapes::kMaxKeptLength;
    if (keep) fs.Trim();
    const QFontMetrics& fm = fs.Metrics();
    const int tabWidth = fs.TabWidth();
    const int lineHeight = fm.height() + ((flags & DT_EXTERNALLEADING) ? std::max(0, fm.leading()) : 0);
    const bool single = flags & DT_SINGLELINE;
    const int width = r.Width();

    // A text laid out before in this font, with these flags and (where it breaks or cuts lines) this
    // width is not laid out again.
    const int keyWidth = (flags & (DT_WORDBREAK | DT_END_ELLIPSIS)) ? width : 0;
    const TLaidOutText* laid = keep ? fs.FindLayout(input, flags & kLayoutFlags, keyWidth) : nullptr;
    std::list<TShapedLine> own;  // allocates nothing unless used
    TLaidOutText local;
    if (!laid) {
        bool kept = false;
        local = layOut(input, flags, width, keep, own, kept);
        laid = kept ? fs.KeepLayout(input, flags & kLayoutFlags, keyWidth, std::move(local)) : &local;
    }

    int maxWidth = 0;
    for (const TLaidOutLine& l : laid->lines) maxWidth = std::max(maxWidth, l.width);
    const int total = int(laid->lines.size()) * lineHeight;

    if (flags & DT_CALCRECT) {
        r.Right = r.Left + maxWidth;
        r.Bottom = r.Top + total;
        return total;
    }

    QPainter* p = painter();
    if (!p) return total;
    applyFont(p);
    const QColor textColor = ToQColor(font_.Color());
    int y = r.Top;
    if (single && (flags & DT_VCENTER))
        y = r.Top + (r.Height() - lineHeight) / 2;
    else if (single && (flags & DT_BOTTOM))
        y = r.Bottom - lineHeight;
    const int firstTop = y;
    // An edit control shows no partly visible last line.
    const auto shown = [&](int top) { return !((flags & DT_EDITCONTROL) && !single && top + lineHeight > r.Bottom && top > r.Top); };
    const auto left = [&](const TLaidOutLine& l) {
        if (flags & DT_CENTER) return r.Left + (width - l.width) / 2;
        if (flags & DT_RIGHT) return r.Right - l.width;
        return r.Left;
    };
    bool clipped = !(flags & DT_NOCLIP);
    if (clipped && TextShapeCacheEnabled() && font_.Orientation() == 0 && !(flags & DT_RTLREADING) &&
        laid->underlined.empty()) {
        // A text whose ink and background keep inside the rectangle draws the same without the
        // clip, which would cost the painter a clip of its own for every cell.
        const QRect box = r.toQRect();
        bool inside = true;
        for (int top = firstTop; const TLaidOutLine& l : laid->lines) {
            if (!shown(top)) break;
            const int x = left(l);
            if (brush_.Visible() && !box.contains(QRect(x, top, l.width, fm.height()))) inside = false;
            if (inside && textColor.isValid()) {
                if ((flags & DT_EXPANDTABS) && l.shape->text.contains(u'\t')) {
                    inside = false;
                } else {
                    MakeGlyphs(p, *l.shape);
                    inside = DrawsFromGlyphs(p, *l.shape) && box.contains(l.shape->ink.translated(x, top + fm.ascent()));
                }
            }
            if (!inside) break;
            top += lineHeight;
        }
        clipped = !inside;
    }
    if (clipped) p->setClipRect(r.toQRect(), clip_.enabled ? Qt::IntersectClip : Qt::ReplaceClip);
    if (flags & DT_RTLREADING) p->setLayoutDirection(Qt::RightToLeft);
    for (const TLaidOutLine& l : laid->lines) {
        if (!shown(y)) break;
        const int lw = l.width;
        const int x = left(l);
        if (brush_.Visible()) p->fillRect(QRect(x, y, lw, fm.height()), brush_.qcolor());
        if (textColor.isValid()) {
            // The text pen is kept while its colour stays: a pen made anew for every line would be
            // an allocation a cell.
            if (textPen_.color() != textColor || textPen_.style() != Qt::SolidLine) textPen_ = QPen(textColor);
            if (!(p->pen() == textPen_)) p->setPen(textPen_);
            const QString& shown = l.shape->text;
            if (font_.Orientation() == 0 && TextShapeCacheEnabled() &&
                !((flags & DT_EXPANDTABS) && shown.contains(u'\t')))
                DrawShapedLine(p, QPointF(x, y + fm.ascent()), *l.shape);
            else
                drawTextLine(p, x, y, shown, flags, tabWidth);
            for (int u : laid->underlined) {
                if (u < l.start || u >= l.start + l.length) continue;
                const qsizetype at = u - l.start;
                const int ux = x + lineWidth(shown.left(at), flags, tabWidth);
                const int uw = fm.horizontalAdvance(shown.mid(at, 1));
                p->fillRect(QRect(ux, y + fm.ascent() + std::max(1, fm.underlinePos()), uw, std::max(1, fm.lineWidth())),
                            textColor);
            }
        }
        y += lineHeight;
    }
    if (clipped) applyClip(p);
    if (flags & DT_RTLREADING) p->setLayoutDirection(Qt::LeftToRight);
    // Placed lower by the alignment, the height counts from the top of the rectangle.
    return single && (flags & (DT_VCENTER | DT_BOTTOM)) ? firstTop - r.Top + total : total;
}

// ---- focus rectangle ----

void TCanvas::DrawFocusRect(const TRect& r) {
    if (r.IsEmpty()) return;
    QPainter* p = painter();
    if (!p) return;
    // Every other pixel of the outline, each exactly once, so a second call restores them.
    std::vector<QPoint> pts;
    auto dot = [&](int x, int y) {
        if (((x + y) & 1) == 0) pts.emplace_back(x, y);
    };
    for (int x = r.Left; x < r.Right; ++x) {
        dot(x, r.Top);
        if (r.Bottom - 1 > r.Top) dot(x, r.Bottom - 1);
    }
    for (int y = r.Top + 1; y < r.Bottom - 1; ++y) {
        dot(r.Left, y);
        if (r.Right - 1 > r.Left) dot(r.Right - 1, y);
    }
    if (pts.empty()) return;
    p->save();
    p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p->setPen(QPen(QColor(255, 255, 255), 0));
    p->drawPoints(pts.data(), int(pts.size()));
    p->restore();
}

// ---- clip ----

void TCanvas::SelectClipRect(const TRect& r) { SelectClipRegion(QRegion(r.toQRect())); }

void TCanvas::SelectClipRegion(const QRegion& region) {
    clip_.enabled = true;
    clip_.region = region;
    if (painter_) applyClip(painter_.get());
}

void TCanvas::IntersectClipRect(const TRect& r) {
    if (!clip_.enabled) {
        SelectClipRect(r);
        return;
    }
    SelectClipRegion(clip_.region.intersected(r.toQRect()));
}

void TCanvas::ExcludeClipRect(const TRect& r) {
    QRegion base = clip_.enabled ? clip_.region : QRegion(QRect(0, 0, device_ ? device_->width() : 0, device_ ? device_->height() : 0));
    SelectClipRegion(base.subtracted(r.toQRect()));
}

void TCanvas::ClearClip() {
    clip_ = {};
    if (painter_) applyClip(painter_.get());
}

void TCanvas::RestoreClip(const TClipState& state) {
    clip_ = state;
    if (painter_) applyClip(painter_.get());
}

// ---- bitmaps ----

void TCanvas::drawImageAt(const QRect& target, const QImage& image) {
    QPainter* p = painter();
    if (!p || image.isNull()) return;
    if (target.size() == image.size())
        p->drawImage(target.topLeft(), image);
    else
        p->drawImage(target, image);
}

void TCanvas::Draw(int x, int y, const TBitmap& bitmap) {
    if (bitmap.Empty()) return;
    drawImageAt(QRect(x, y, bitmap.Width(), bitmap.Height()), bitmap.MaskedImage());
}

void TCanvas::StretchDraw(const TRect& r, const TBitmap& bitmap) {
    if (bitmap.Empty() || r.IsEmpty()) return;
    drawImageAt(r.toQRect(), bitmap.MaskedImage());
}

void TCanvas::BrushCopy(const TRect& dest, const TBitmap& bitmap, const TRect& source, TColor color) {
    if (bitmap.Empty() || dest.IsEmpty() || source.IsEmpty()) return;
    QImage part = bitmap.Image().copy(source.toQRect()).convertToFormat(QImage::Format_RGB32);
    const QRgb key = ToQColor(color).rgb();
    const QRgb fill = brush_.Visible() ? brush_.qcolor().rgb() : key;
    for (int y = 0; y < part.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(part.scanLine(y));
        for (int x = 0; x < part.width(); ++x)
            if ((line[x] | 0xFF000000u) == (key | 0xFF000000u)) line[x] = fill;
    }
    drawImageAt(dest.toQRect(), part);
}

}  // namespace plat
