#include "platform/TextShapeCache.h"

#include <QPaintDevice>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <atomic>
#include <utility>

namespace plat {

namespace {

std::atomic<bool> cacheEnabled{true};

// Characters whose glyphs come out of one left-to-right run exactly as the painter's own text
// drawing places them: no other direction and no marks that combine with what comes before.
bool simpleText(const QString& text) {
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u < 0xA0) || (u >= 0x0300 && u < 0x0370) || u >= 0x0590) return false;
    }
    return true;
}

// A font whose lines get decorations (underline, strike-out, overline) draws them by the painter:
// the decorations of glyph runs are placed by other rules.
bool plainFont(const QFont& f) { return !f.underline() && !f.strikeOut() && !f.overline(); }

struct FontList {
    std::vector<std::shared_ptr<TFontShapes>> fonts;  // the one used last first
};
FontList& fontList() {
    thread_local FontList list;
    return list;
}
constexpr size_t kMaxFonts = 8;

}  // namespace

TFontShapes::TFontShapes(const QFont& font, QPaintDevice* device)
    : font_(font),
      dpiX_(device ? device->logicalDpiX() : -1),
      dpiY_(device ? device->logicalDpiY() : -1),
      // Pixel-sized fonts measure the same on every device.
      metrics_(device ? QFontMetrics(font, device) : QFontMetrics(font)),
      tabWidth_(std::max(1, 8 * metrics_.averageCharWidth())) {}

TShapedLine* TFontShapes::Line(const QString& text) {
    if (text.size() > kMaxKeptLength) return nullptr;
    auto it = lines_.find(text);
    if (it == lines_.end()) {
        it = lines_.emplace(text, TShapedLine{}).first;
        it->second.text = text;
        it->second.width = metrics_.horizontalAdvance(text);
    }
    return &it->second;
}

int TFontShapes::Width(const QString& text) {
    if (const TShapedLine* line = Line(text)) return line->width;
    return metrics_.horizontalAdvance(text);
}

const TLaidOutText* TFontShapes::FindLayout(const QString& text, unsigned flags, int width) const {
    if (text.size() > kMaxKeptLength) return nullptr;
    const auto it = layouts_.find(LayoutKey{text, flags, width});
    return it == layouts_.end() ? nullptr : &it->second;
}

const TLaidOutText* TFontShapes::KeepLayout(const QString& text, unsigned flags, int width, TLaidOutText layout) {
    if (text.size() > kMaxKeptLength) return nullptr;
    return &layouts_.insert_or_assign(LayoutKey{text, flags, width}, std::move(layout)).first->second;
}

void TFontShapes::Trim() {
    if (lines_.size() <= kMaxKept && layouts_.size() <= kMaxKept) return;
    // Layouts point at lines: both go together.
    layouts_.clear();
    lines_.clear();
}

std::shared_ptr<TFontShapes> FontShapesFor(const QFont& font, QPaintDevice* device) {
    const int dpiX = device ? device->logicalDpiX() : -1, dpiY = device ? device->logicalDpiY() : -1;
    auto& fonts = fontList().fonts;
    for (size_t i = 0; i < fonts.size(); ++i)
        if (fonts[i]->Matches(font, dpiX, dpiY)) {
            if (i > 0) std::rotate(fonts.begin(), fonts.begin() + ptrdiff_t(i), fonts.begin() + ptrdiff_t(i) + 1);
            return fonts.front();
        }
    auto made = std::make_shared<TFontShapes>(font, device);
    if (fonts.size() >= kMaxFonts) fonts.pop_back();
    fonts.insert(fonts.begin(), made);
    return made;
}

void MakeGlyphs(QPainter* p, TShapedLine& line) {
    if (line.glyphsMade) return;
    line.glyphsMade = true;
    // A painter left to find the direction from the text finds left to right in these.
    line.glyphsDrawable = p->layoutDirection() != Qt::RightToLeft && plainFont(p->font()) && simpleText(line.text);
    if (!line.glyphsDrawable) return;
    // Laid out as the painter lays out a line it draws: its font on its device, one line, left to
    // right.
    QTextLayout layout(line.text, p->font(), p->device());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTextDirection(Qt::LeftToRight);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine l = layout.createLine();
    layout.endLayout();
    if (!l.isValid()) {
        line.glyphsDrawable = false;
        return;
    }
    const qreal ascent = l.ascent();
    line.runs = l.glyphRuns();
    QRectF ink;
    for (QGlyphRun& run : line.runs) {
        QList<QPointF> positions = run.positions();
        for (QPointF& at : positions) at.ry() -= ascent;
        run.setPositions(positions);
        const QRawFont font = run.rawFont();
        const QList<quint32> glyphs = run.glyphIndexes();
        for (qsizetype i = 0; i < glyphs.size() && i < positions.size(); ++i)
            ink |= font.boundingRect(glyphs[i]).translated(positions[i]);
    }
    // Outwards to whole pixels: the glyph pictures are made to the same boxes, smoothed edges
    // included.
    line.ink = ink.toAlignedRect();
}

bool DrawsFromGlyphs(QPainter* p, const TShapedLine& line) {
    // Kept glyphs stand for the font and direction they were made with.
    return line.glyphsMade && line.glyphsDrawable && p->layoutDirection() != Qt::RightToLeft;
}

void DrawShapedLine(QPainter* p, QPointF baseline, TShapedLine& line) {
    MakeGlyphs(p, line);
    if (DrawsFromGlyphs(p, line)) {
        for (const QGlyphRun& run : line.runs) p->drawGlyphRun(baseline, run);
        return;
    }
    p->drawText(baseline, line.text);
}

void SetTextShapeCacheEnabled(bool enabled) { cacheEnabled.store(enabled, std::memory_order_relaxed); }
bool TextShapeCacheEnabled() { return cacheEnabled.load(std::memory_order_relaxed); }

}  // namespace plat
