#include "controls/RtfWrite.h"

#include <QHash>
#include <cmath>

namespace {

void appendEscaped(QString& out, QStringView text, bool fontName) {
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c == u'\\' || c == u'{' || c == u'}') {
            out += u'\\';
            out += qc;
        } else if (c >= 0x20 && c < 0x7F) {
            // A font name ends at ";" and holds no control characters.
            if (!(fontName && c == u';')) out += qc;
        } else if (fontName && c < 0x20) {
        } else if (c == u'\t') {
            out += QLatin1String("\\tab ");
        } else if (c == 0x2028) {
            out += QLatin1String("\\line ");
        } else if (const int b = UnicodeToWindows1252(c); b >= 0x80) {
            out += QLatin1String("\\'");
            out += QString::number(b, 16).rightJustified(2, u'0');
        } else {
            // Signed 16 bits, as readers expect; "?" for a reader that cannot show the character.
            out += QLatin1String("\\u");
            out += QString::number(static_cast<int16_t>(c));
            out += u'?';
        }
    }
}

class TColorTable {
public:
    explicit TColorTable(const TRtfDocument& doc) {
        for (const TRtfParagraph& para : doc.Paragraphs) {
            for (const TRtfRun& run : para.Runs) {
                add(run.Format.Color);
                add(run.Format.Highlight);
            }
        }
    }
    // Entry 0 is the automatic colour.
    int Index(int rgb) const { return rgb < 0 ? 0 : FIndex.value(rgb, 0); }
    void Write(QString& out) const {
        out += QLatin1String("{\\colortbl ;");
        for (const int rgb : FOrder) {
            out += QStringLiteral("\\red%1\\green%2\\blue%3;")
                       .arg((rgb >> 16) & 0xFF)
                       .arg((rgb >> 8) & 0xFF)
                       .arg(rgb & 0xFF);
        }
        out += u'}';
    }

private:
    void add(int rgb) {
        if (rgb < 0 || FIndex.contains(rgb)) return;
        FOrder.push_back(rgb);
        FIndex.insert(rgb, static_cast<int>(FOrder.size()));
    }
    QHash<int, int> FIndex;
    std::vector<int> FOrder;
};

void word(QString& out, QLatin1String name, int value) {
    out += name;
    out += QString::number(value);
}

// The control words that turn the format `cur` into `to`; `cur` follows.
void appendFormat(QString& out, TRtfCharFormat& cur, const TRtfCharFormat& to, const TRtfCharFormat& base,
                  const TColorTable& colors) {
    const qsizetype start = out.size();
    // The default size has no word of its own: "\plain" returns to it, and to the default font.
    if ((to.FontSize == 0 && cur.FontSize != 0) || (to.Font < 0 && cur.Font >= 0)) {
        out += QLatin1String("\\plain");
        cur = base;
    }
    if (to.Font != cur.Font && to.Font >= 0) word(out, QLatin1String("\\f"), to.Font);
    if (to.FontSize != cur.FontSize && to.FontSize > 0) word(out, QLatin1String("\\fs"), to.FontSize);
    if (to.Bold != cur.Bold) out += to.Bold ? QLatin1String("\\b") : QLatin1String("\\b0");
    if (to.Italic != cur.Italic) out += to.Italic ? QLatin1String("\\i") : QLatin1String("\\i0");
    if (to.Underline != cur.Underline) out += to.Underline ? QLatin1String("\\ul") : QLatin1String("\\ulnone");
    if (to.Strike != cur.Strike) out += to.Strike ? QLatin1String("\\strike") : QLatin1String("\\strike0");
    if (to.Color != cur.Color) word(out, QLatin1String("\\cf"), colors.Index(to.Color));
    if (to.Highlight != cur.Highlight) word(out, QLatin1String("\\highlight"), colors.Index(to.Highlight));
    if (to.Offset != cur.Offset) {
        // Half-points in the file.
        const int hp = static_cast<int>(std::lround(to.Offset / 10.0));
        if (hp < 0)
            word(out, QLatin1String("\\dn"), -hp);
        else
            word(out, QLatin1String("\\up"), hp);
    }
    if (to.Script != cur.Script) {
        out += to.Script == rsSubscript     ? QLatin1String("\\sub")
               : to.Script == rsSuperscript ? QLatin1String("\\super")
                                            : QLatin1String("\\nosupersub");
    }
    if (out.size() > start) out += u' ';
    cur = to;
}

}  // namespace

QString WriteRtf(const TRtfDocument& Doc) {
    QString out;
    out += QLatin1String("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl");
    for (std::size_t i = 0; i < Doc.Fonts.size(); ++i) {
        word(out, QLatin1String("{\\f"), static_cast<int>(i));
        out += u' ';
        appendEscaped(out, Doc.Fonts[i], true);
        out += QLatin1String(";}");
    }
    out += u'}';
    const TColorTable colors(Doc);
    colors.Write(out);

    TRtfCharFormat base;
    base.Font = Doc.Fonts.empty() ? -1 : 0;
    TRtfCharFormat cur = base;
    for (const TRtfParagraph& para : Doc.Paragraphs) {
        out += QLatin1String("\\pard");
        if (para.Align == raRight) out += QLatin1String("\\qr");
        if (para.Align == raCenter) out += QLatin1String("\\qc");
        if (para.Align == raJustify) out += QLatin1String("\\qj");
        if (para.LeftIndent != 0) word(out, QLatin1String("\\li"), para.LeftIndent);
        if (para.RightIndent != 0) word(out, QLatin1String("\\ri"), para.RightIndent);
        if (para.FirstIndent != 0) word(out, QLatin1String("\\fi"), para.FirstIndent);
        out += u' ';
        for (const TRtfRun& run : para.Runs) {
            appendFormat(out, cur, run.Format, base, colors);
            appendEscaped(out, run.Text, false);
        }
        out += QLatin1String("\\par ");
    }
    out += u'}';
    return out;
}
