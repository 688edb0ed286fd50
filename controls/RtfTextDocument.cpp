#include "controls/RtfTextDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QHash>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtMath>
#include <algorithm>
#include <cmath>

#include "controls/RtfWrite.h"

namespace {

constexpr qreal kTwipsPerPixel = 15.0;  // 1440 twips an inch, 96 pixels an inch

QString familyOf(const QFont& f) {
    const QStringList families = f.families();
    return families.isEmpty() ? f.family() : families.first();
}

QTextCharFormat charFormat(const TRtfCharFormat& r, const TRtfDocument& doc, qreal defaultPoints) {
    QTextCharFormat f;
    // Every style is set, on or off: RTF text without "\b" is not bold, whatever the default font.
    f.setFontWeight(r.Bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(r.Italic);
    f.setFontUnderline(r.Underline);
    f.setFontStrikeOut(r.Strike);
    if (r.FontSize > 0) f.setFontPointSize(r.FontSize / 2.0);
    if (r.Font >= 0 && std::size_t(r.Font) < doc.Fonts.size()) f.setFontFamilies({doc.Fonts[r.Font]});
    if (r.Color >= 0) f.setForeground(QColor::fromRgb(QRgb(r.Color)));
    if (r.Highlight >= 0) f.setBackground(QColor::fromRgb(QRgb(r.Highlight)));
    if (r.Script == rsSubscript) f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (r.Script == rsSuperscript) f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    if (r.Offset != 0) SetCharOffsetTwips(f, r.Offset, r.FontSize > 0 ? r.FontSize / 2.0 : defaultPoints);
    return f;
}

QTextBlockFormat blockFormat(const TRtfParagraph& p) {
    QTextBlockFormat f;
    static constexpr Qt::Alignment aligns[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter, Qt::AlignJustify};
    f.setAlignment(aligns[p.Align]);
    f.setLeftMargin(p.LeftIndent / kTwipsPerPixel);
    f.setRightMargin(p.RightIndent / kTwipsPerPixel);
    f.setTextIndent(p.FirstIndent / kTwipsPerPixel);
    return f;
}

int twips(qreal pixels) {
    return static_cast<int>(std::lround(pixels * kTwipsPerPixel));
}

int rgbOf(const QTextCharFormat& f, int property) {
    if (!f.hasProperty(property)) return -1;
    const QBrush b = f.brushProperty(property);
    return b.style() == Qt::NoBrush ? -1 : static_cast<int>(b.color().rgb() & 0xFFFFFF);
}

}  // namespace

qreal FontPoints(const QFont& Font) {
    if (Font.pointSizeF() > 0) return Font.pointSizeF();
    return Font.pixelSize() > 0 ? Font.pixelSize() * 0.75 : 0;
}

int CharOffsetTwips(const QTextCharFormat& Format) {
    return Format.intProperty(RtfOffsetProperty);
}

void SetCharOffsetTwips(QTextCharFormat& Format, int Twips, qreal PointSize) {
    if (Twips == 0) {
        Format.clearProperty(RtfOffsetProperty);
        Format.clearProperty(QTextFormat::TextBaselineOffset);
        return;
    }
    Format.setProperty(RtfOffsetProperty, Twips);
    // The document draws the shift as a share of the text's height (20 twips a point).
    if (PointSize > 0) Format.setBaselineOffset(Twips / 20.0 / PointSize * 100.0);
}

void FillTextDocument(const TRtfDocument& Rtf, QTextDocument& Doc) {
    // A load is no edit to undo; recording one step per run also made a long document's load grow
    // faster than its length.
    const bool undo = Doc.isUndoRedoEnabled();
    Doc.setUndoRedoEnabled(false);
    Doc.clear();
    QTextCursor cursor(&Doc);
    cursor.beginEditBlock();
    const qreal defaultPoints = FontPoints(Doc.defaultFont());
    bool first = true;
    for (const TRtfParagraph& para : Rtf.Paragraphs) {
        if (first)
            cursor.setBlockFormat(blockFormat(para));
        else
            cursor.insertBlock(blockFormat(para));
        first = false;
        for (const TRtfRun& run : para.Runs) cursor.insertText(run.Text, charFormat(run.Format, Rtf, defaultPoints));
    }
    cursor.endEditBlock();
    Doc.setUndoRedoEnabled(undo);
}

TRtfDocument RtfFromTextDocument(const QTextDocument& Doc) {
    TRtfDocument out;
    const QFont def = Doc.defaultFont();
    QHash<QString, int> fonts;
    auto fontIndex = [&](const QString& family) {
        auto it = fonts.find(family);
        if (it != fonts.end()) return it.value();
        out.Fonts.push_back(family);
        return fonts.insert(family, int(out.Fonts.size()) - 1).value();
    };
    fontIndex(familyOf(def));
    for (QTextBlock block = Doc.begin(); block.isValid(); block = block.next()) {
        TRtfParagraph para;
        const QTextBlockFormat bf = block.blockFormat();
        const Qt::Alignment a = bf.alignment() & Qt::AlignHorizontal_Mask;
        para.Align = (a & Qt::AlignJustify) == Qt::AlignJustify ? raJustify
                     : (a & Qt::AlignHCenter)                   ? raCenter
                     : (a & Qt::AlignRight)                     ? raRight
                                                                : raLeft;
        para.LeftIndent = twips(bf.leftMargin());
        para.RightIndent = twips(bf.rightMargin());
        para.FirstIndent = twips(bf.textIndent());
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.isValid() || frag.length() == 0) continue;
            const QTextCharFormat cf = frag.charFormat();
            const QFont f = cf.font().resolve(def);
            TRtfCharFormat r;
            r.Bold = f.weight() >= QFont::DemiBold;
            r.Italic = f.italic();
            r.Underline = cf.hasProperty(QTextFormat::TextUnderlineStyle) || cf.hasProperty(QTextFormat::FontUnderline)
                              ? cf.fontUnderline()
                              : def.underline();
            r.Strike = f.strikeOut();
            const qreal pt = f.pointSizeF();
            r.FontSize = pt > 0 ? std::clamp(static_cast<int>(std::lround(pt * 2)), 1, 3276) : 0;
            r.Font = fontIndex(familyOf(f));
            r.Color = rgbOf(cf, QTextFormat::ForegroundBrush);
            r.Highlight = rgbOf(cf, QTextFormat::BackgroundBrush);
            r.Script = cf.verticalAlignment() == QTextCharFormat::AlignSubScript     ? rsSubscript
                       : cf.verticalAlignment() == QTextCharFormat::AlignSuperScript ? rsSuperscript
                                                                                     : rsNormal;
            r.Offset = CharOffsetTwips(cf);
            if (!para.Runs.empty() && para.Runs.back().Format == r)
                para.Runs.back().Text += frag.text();
            else
                para.Runs.push_back(TRtfRun{r, frag.text()});
        }
        out.Paragraphs.push_back(std::move(para));
    }
    if (out.Paragraphs.empty()) out.Paragraphs.emplace_back();
    return out;
}

void RtfToTextDocument(QStringView Rtf, QTextDocument& Doc) {
    FillTextDocument(ReadRtf(Rtf), Doc);
}

QString TextDocumentToRtf(const QTextDocument& Doc) {
    return WriteRtf(RtfFromTextDocument(Doc));
}

QSize RtfContentSize(QTextDocument& Doc, int Width) {
    Doc.setDocumentMargin(0);
    Doc.setTextWidth(Width < 0 ? -1 : Width);
    return QSize(qCeil(Doc.idealWidth()), qCeil(Doc.size().height()));
}

void PaintTextDocument(QPainter& Painter, QTextDocument& Doc, const QRect& Rect, bool WordWrap,
                       const QColor& TextColor) {
    Doc.setDocumentMargin(0);
    Doc.setTextWidth(WordWrap ? Rect.width() : -1);
    Painter.save();
    Painter.setClipRect(Rect, Qt::IntersectClip);
    Painter.translate(Rect.topLeft());
    QAbstractTextDocumentLayout::PaintContext ctx;
    ctx.clip = QRectF(0, 0, Rect.width(), Rect.height());
    if (TextColor.isValid()) {
        QAbstractTextDocumentLayout::Selection all;
        all.cursor = QTextCursor(&Doc);
        all.cursor.select(QTextCursor::Document);
        all.format.setForeground(TextColor);
        ctx.selections.append(all);
    }
    Doc.documentLayout()->draw(&Painter, ctx);
    Painter.restore();
}
