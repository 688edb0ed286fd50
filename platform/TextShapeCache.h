#pragma once
// Text shaped once per font and device. Painting shows the same texts again and again (the cells of
// a grid page, the rows of a tree as it scrolls by a few rows); a text already seen in a font costs
// a look-up instead of shaping: its width for measuring, its line breaks for DrawText and its
// glyphs for drawing. The canvas is the only user.
#include <QFont>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QList>
#include <QPointF>
#include <QRect>
#include <QString>

#include <cstddef>
#include <memory>
#include <unordered_map>
#include <vector>

class QPainter;
class QPaintDevice;

namespace plat {

// One line of text in one font: its width as the font's metrics measure it and, once drawn, the
// glyphs it is drawn with.
struct TShapedLine {
    QString text;
    int width = 0;
    bool glyphsMade = false;
    // Drawn from its glyphs; otherwise by the painter's own shaping (texts that need more than
    // one direction or that mix in marks that combine).
    bool glyphsDrawable = false;
    QList<QGlyphRun> runs;  // baseline at y 0, starting at x 0
    // Where the glyphs put ink, the baseline starting at (0, 0), in whole pixels rounded outwards
    // (known for drawable glyphs): a line that keeps inside its rectangle needs no clip.
    QRect ink;
};

// The lines a DrawText call breaks a text into: ranges of the text with its prefixes taken out.
struct TLaidOutLine {
    qsizetype start = 0;
    qsizetype length = 0;
    int width = 0;  // tabs expanded where the call expands them
    TShapedLine* shape = nullptr;
};
struct TLaidOutText {
    std::vector<TLaidOutLine> lines;
    std::vector<int> underlined;  // positions in the text without prefixes
};

class TFontShapes {
public:
    TFontShapes(const QFont& font, QPaintDevice* device);
    TFontShapes(const TFontShapes&) = delete;
    TFontShapes& operator=(const TFontShapes&) = delete;

    bool Matches(const QFont& font, int dpiX, int dpiY) const {
        return dpiX == dpiX_ && dpiY == dpiY_ && font == font_;
    }
    const QFontMetrics& Metrics() const { return metrics_; }
    // The step of an expanded tab: eight average characters.
    int TabWidth() const { return tabWidth_; }

    // The kept line for a text (made and measured on first use), or null when the text is too long
    // to keep.
    TShapedLine* Line(const QString& text);
    int Width(const QString& text);

    // A text as one DrawText call laid it out, by the call's text, flags and width; null when not
    // kept. Keep stores one (texts too long to keep are not stored: the caller keeps its own).
    const TLaidOutText* FindLayout(const QString& text, unsigned flags, int width) const;
    const TLaidOutText* KeepLayout(const QString& text, unsigned flags, int width, TLaidOutText layout);

    // Lets go of everything kept once it holds more than a page's worth of texts many times over.
    // Lines and layouts found before stay valid until the next call.
    void Trim();

    // Texts longer than this are measured and drawn each time, never kept.
    static constexpr qsizetype kMaxKeptLength = 256;
    static constexpr size_t kMaxKept = 4096;

private:
    struct LayoutKey {
        QString text;
        unsigned flags;
        int width;
        bool operator==(const LayoutKey& o) const { return flags == o.flags && width == o.width && text == o.text; }
    };
    struct HashText {
        size_t operator()(const QString& s) const noexcept { return qHash(s); }
    };
    struct HashLayout {
        size_t operator()(const LayoutKey& k) const noexcept { return qHash(k.text, size_t(k.flags) * 31 + size_t(k.width)); }
    };

    QFont font_;
    int dpiX_, dpiY_;
    QFontMetrics metrics_;
    int tabWidth_;
    // Node-based: a line's address stays while others are added.
    std::unordered_map<QString, TShapedLine, HashText> lines_;
    std::unordered_map<LayoutKey, TLaidOutText, HashLayout> layouts_;
};

// The shapes of a font on a device (null: measured as on the screen), shared by every canvas of the
// thread; the few fonts used last are kept.
std::shared_ptr<TFontShapes> FontShapesFor(const QFont& font, QPaintDevice* device);

// Makes the line's glyphs on first use, with the painter's font on its device and its direction.
void MakeGlyphs(QPainter* p, TShapedLine& line);
// Whether the line is drawn from its kept glyphs by this painter now.
bool DrawsFromGlyphs(QPainter* p, const TShapedLine& line);

// Draws a line of text with its baseline starting at `baseline`, with the painter's font (the
// font the shapes are for) and pen: from its kept glyphs, made on first use, where they draw the
// same as the painter's own text drawing; otherwise by the painter.
void DrawShapedLine(QPainter* p, QPointF baseline, TShapedLine& line);

// Whether texts are kept (on by default). Off, every text is laid out, measured and shaped on each
// call as the painter does it: what the kept glyphs are checked against.
void SetTextShapeCacheEnabled(bool enabled);
bool TextShapeCacheEnabled();

}  // namespace plat
