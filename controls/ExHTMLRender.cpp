#include "controls/ExHTMLRender.h"

#include "controls/ExHTMLUtil.h"
#include "controls/PictureContainer.h"
#include "platform/ImageList.h"
#include "platform/Themes.h"

#include <QApplication>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QLocale>
#include <QPaintDevice>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <array>
#include <cmath>

using namespace plat;

namespace {

TColor gHighlightBack = clHighlight;
TColor gHighlightText = clHighlightText;

// Sizes from the markup are clamped so no size arithmetic overflows.
constexpr int kMaxPixels = 32767;
constexpr int kMaxPoints = 1638;

int clampPixels(int v) { return std::clamp(v, -kMaxPixels, kMaxPixels); }

QChar upperAscii(QChar c) { return (c >= u'a' && c <= u'z') ? QChar(c.unicode() - 32) : c; }

QString asciiUpper(QStringView s) {
    QString out(s.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < s.size(); ++i) out[i] = upperAscii(s[i]);
    return out;
}

bool startsWithNoCase(QStringView s, qsizetype at, QLatin1StringView what) {
    if (at + what.size() > s.size()) return false;
    for (qsizetype i = 0; i < what.size(); ++i)
        if (upperAscii(s[at + i]) != upperAscii(QChar(what[i]))) return false;
    return true;
}

// The named entities, replaced in one left-to-right scan that never looks at its own output.
QString replaceEntities(const QString& text) {
    if (!text.contains(u'&')) return text;
    struct Entity {
        QLatin1StringView name;
        const char16_t* value;
    };
    static const Entity table[] = {
        {QLatin1StringView("&amp;"), u"&&"},       {QLatin1StringView("&quot;"), u"\""},
        {QLatin1StringView("&sect;"), u"\u00A7"},  {QLatin1StringView("&permil;"), u"\u2030"},
        {QLatin1StringView("&reg;"), u"\u00AE"},   {QLatin1StringView("&copy;"), u"\u00A9"},
        {QLatin1StringView("&para;"), u"\u00B6"},  {QLatin1StringView("&trade;"), u"\u2122"},
        {QLatin1StringView("&euro;"), u"\u20AC"},
    };
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] == u'&') {
            bool hit = false;
            for (const auto& e : table)
                if (startsWithNoCase(text, i, e.name)) {
                    out += QString::fromUtf16(e.value);
                    i += e.name.size();
                    hit = true;
                    break;
                }
            if (hit) continue;
        }
        out += text[i++];
    }
    return out;
}

// "&nbsp;", "&lt;" and "&gt;" inside one run.
QString replaceRunEntities(QStringView run, bool& had) {
    had = false;
    if (!run.contains(u'&')) return run.toString();
    QString out;
    out.reserve(run.size());
    for (qsizetype i = 0; i < run.size();) {
        if (run[i] == u'&') {
            if (startsWithNoCase(run, i, QLatin1StringView("&nbsp;"))) {
                out += QChar(0x00A0);
                i += 6;
                had = true;
                continue;
            }
            if (startsWithNoCase(run, i, QLatin1StringView("&lt;"))) {
                out += u'<';
                i += 4;
                had = true;
                continue;
            }
            if (startsWithNoCase(run, i, QLatin1StringView("&gt;"))) {
                out += u'>';
                i += 4;
                had = true;
                continue;
            }
        }
        out += run[i++];
    }
    return out;
}

// The text as drawing shows it: a single "&" underlines the next character and is not shown,
// "&&" shows one "&".
QString withoutPrefixes(QStringView s) {
    if (!s.contains(u'&')) return s.toString();
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'&') {
            if (i + 1 < s.size()) out += s[++i];
            continue;
        }
        out += s[i];
    }
    return out;
}

// The value of an attribute: the text between the first double quote after the first occurrence
// of the name anywhere in the tag and the next double quote.
QString attrValue(const QString& tag, QLatin1StringView name, qsizetype from = 0) {
    const qsizetype at = tag.indexOf(name, from);
    if (at < 0) return {};
    const qsizetype q1 = tag.indexOf(u'"', at + name.size());
    if (q1 < 0) return {};
    const qsizetype q2 = tag.indexOf(u'"', q1 + 1);
    if (q2 < 0) return {};
    return tag.mid(q1 + 1, q2 - q1 - 1);
}

// The text between the first double quote after position `at` and the next one.
QString quotedAfter(const QString& tag, qsizetype at) {
    const qsizetype q1 = tag.indexOf(u'"', at + 1);
    if (q1 < 0) return {};
    const qsizetype q2 = tag.indexOf(u'"', q1 + 1);
    if (q2 < 0) return {};
    return tag.mid(q1 + 1, q2 - q1 - 1);
}

bool isWholeNumber(const QString& s) {
    bool ok = false;
    s.trimmed().toInt(&ok);
    return ok && !s.trimmed().isEmpty();
}

TColor colorOfValue(const QString& v) {
    if (v.startsWith(u'#')) return HTMLHexToColor(v);
    return HTMLColorByName(v);
}

int scaleByRes(int v, int dpi) { return clampPixels(static_cast<int>((static_cast<long long>(v) * dpi) / 96)); }

bool rtlLocale() { return QLocale::system().textDirection() == Qt::RightToLeft; }

class TRenderer {
public:
    TRenderer(TCanvas& canvas, const THTMLRenderIn& in, THTMLRenderOut& out, IHTMLTextMetrics& m)
        : C(canvas), In(in), Out(out), M(m) {}
    bool Run();

private:
    struct PassState {
        // Shadow, hidden text, subscript and superscript start each pass of a line as they
        // started its first, so text before their tag is drawn as it was measured.
        bool shadow = false, hidden = false, sub = false, sup = false;
        bool inAnchor = false;
        QString href, title;
        int listLevel = 0;
        int imgCount = 0;
        int anchorCount = 0;
    };
    struct LineMetrics {
        int h = 0, q = 0, r = 0, p = 0;
        int w = 0;
    };

    int ghHeight() { return M.TextHeight(C.Font()); }
    int blankWidth() { return M.TextWidth(C.Font(), u" "); }
    void setBack(TColor c) {
        back = c;
        if (c == clNone)
            C.Brush().SetStyle(bsClear);
        else
            C.Brush().SetColor(c);
    }
    void fillBand(const TRect& r, TColor c) {
        if (c == clNone) return;
        const TColor pen = C.Pen().Color();
        const TBrush brush = C.Brush();
        C.Pen().SetColor(c);
        C.Brush().SetColor(c);
        C.FillRect(r);
        C.Pen().SetColor(pen);
        C.Brush() = brush;
    }
    unsigned textFlags() const;
    // One pass over one line. In the measuring pass `lineText` collects the consumed text.
    // Where the next "<" and the next blank of a string are, found once and kept while the
    // position moves on, so a long text is scanned once and not once a line.
    struct Scan {
        qsizetype lt = -2, blank = -2;
    };
    void renderLine(const QString& s, qsizetype& pos, Scan& scan, TRect lr, bool measuring, QString* lineText);
    void handleTag(const QString& s, qsizetype pos, qsizetype tagEnd, bool closing, const TRect& lr, bool measuring);
    void handleImage(const QString& tag, const TRect& lr, bool measuring);
    void handleControl(const QString& tag, const TRect& lr, bool measuring);
    THTMLPicture* findPicture(const QString& src);

    TCanvas& C;
    const THTMLRenderIn& In;
    THTMLRenderOut& Out;
    IHTMLTextMetrics& M;

    TFont baseFont, measureCarry, drawCarry;
    TColor back = clNone, entryBack = clNone;
    PassState ps;
    int hoveredImage = -1;
    int align = 0, indent = 0;
    bool errLine = false, paraBack = false;
    TColor fontBackSlot = clNone, hiTextSlot = clBlack, hiBackSlot = clNone, paraBackSlot = clNone;
    TColor hoverBackSlot = clNone, hoverTextSlot = clBlack;
    TRect focusRect;
    LineMetrics lm;
    int dpiX = 96, dpiY = 96;
    bool themed = false;
    bool rtlReading = false, swapAlign = false;
    std::optional<TFont> rotatedKept;

    // Per-line-pass values.
    int x = 0, trailing = 0;
    bool lineEnd = false, noFit = false, liMet = false;
    bool hHit = false, objHit = false, overAnchor = false;
    int runBottom = 0;
    int rightEdge = 0;
    QString lineRuns;
    QPoint anchorStart;
};

unsigned TRenderer::textFlags() const {
    unsigned f = DT_SINGLELINE | DT_BOTTOM | DT_EXPANDTABS | DT_EXTERNALLEADING;
    if (!In.WordWrap) f |= DT_END_ELLIPSIS;
    if (swapAlign) f |= DT_RIGHT;
    if (rtlReading) f |= DT_RTLREADING;
    return f;
}

THTMLPicture* TRenderer::findPicture(const QString& src) {
    if (!src.contains(u':') && In.Container) return In.Container->FindPicture(src);
    if (src.contains(QLatin1StringView("://")) && In.PictureCache) {
        THTMLPicture* pic = In.PictureCache->FindPicture(src);
        if (!pic) {
            pic = In.PictureCache->AddPicture();
            pic->SetAsynch(false);
            // A source whose bytes cannot be decoded shows nothing: no error leaves a paint.
            try {
                pic->LoadFromURL(src);
            } catch (...) {
            }
            pic = In.PictureCache->FindPicture(src);
        }
        return pic;
    }
    return nullptr;
}

bool TRenderer::Run() {
    const TColor penColor = C.Pen().Color();
    const int penWidth = C.Pen().Width();
    const TBrush brushAtEntry = C.Brush();
    const TFont fontAtEntry = C.Font();
    baseFont = measureCarry = drawCarry = C.Font();
    entryBack = brushAtEntry.Style() == bsClear ? clNone : brushAtEntry.Color();
    setBack(clNone);
    themed = IsWindowsXPOrLater() && IsThemeActive();
    if (QPaintDevice* d = C.Device()) {
        dpiX = std::max(1, d->logicalDpiX());
        dpiY = std::max(1, d->logicalDpiY());
    }
    const bool rtl = rtlLocale();
    swapAlign = rtl && In.BiDiMode == 1;
    rtlReading = rtl && In.BiDiMode != 0;

    Out.StripVal.clear();
    Out.FocusAnchor.clear();
    Out.AnchorTitle.clear();
    Out.XSize = Out.YSize = Out.HyperLinks = 0;
    Out.MouseLink = -1;
    Out.ControlRect = TRect{};
    if (!In.HitTestOnly) Out.ControlID.clear();
    Out.ControlValue.clear();
    Out.ControlType.clear();
    bool result = false;

    const QString src = CRToBRTags(UnwrapHashTags(replaceEntities(In.Text)), true);
    qsizetype pos = 0;
    Scan scan;
    TRect running = In.Rect;
    running.Left += 1;
    while (pos < src.size()) {
        C.Font() = measureCarry;
        lm = LineMetrics{};
        lm.h = ghHeight();
        const int h0 = lm.h;
        ps.sub = ps.sup = false;
        const PassState kept = ps;
        QString lineText;
        const qsizetype lineStart = pos;
        renderLine(src, pos, scan, running, true, &lineText);
        // The fonts of this line's measuring pass carry into the next line's measuring pass.
        measureCarry = C.Font();

        TRect lr = running;
        if (align == 1 && lr.Right - lm.w > lr.Left) lr.Left = lr.Right - lm.w;
        if (align == 2 && lr.Right - lr.Left - lm.w > 0) lr.Left += (lr.Right - lr.Left - lm.w) / 2;
        lr.Left = clampPixels(lr.Left + indent);
        lr.Bottom = lr.Top + lm.h + lm.q + lm.r;
        const int lineH = lm.h + lm.q + lm.r;
        if (!In.MeasureOnly) {
            ps = kept;
            C.Font() = drawCarry;
            qsizetype lp = 0;
            Scan lineScan;
            renderLine(lineText, lp, lineScan, lr, In.HitTestOnly, nullptr);
            drawCarry = C.Font();
            const int gh = ghHeight();
            const int bottom = lr.Bottom - lm.p;
            if ((hHit && In.Y > bottom - gh && In.Y < bottom) || objHit) result = true;
        }
        running.Top = clampPixels(running.Top + lineH);
        Out.YSize = clampPixels(Out.YSize + lineH);
        if (!In.MeasureOnly && h0 + running.Top > In.Rect.Bottom) break;
        // Every line takes some text; should one ever take none, stop rather than loop.
        if (pos == lineStart) break;
    }
    if (Out.YSize == 0) Out.YSize = M.TextHeight(C.Font());
    if (rotatedKept) C.Font() = *rotatedKept;
    C.Pen().SetColor(penColor);
    C.Pen().SetWidth(penWidth);
    C.Brush() = brushAtEntry;
    C.Font() = fontAtEntry;
    return result;
}

void TRenderer::renderLine(const QString& s, qsizetype& pos, Scan& scan, TRect lr, bool measuring,
                           QString* lineText) {
    const bool drawing = !measuring;
    lr.Bottom -= lm.r;
    lm.w = 0;
    trailing = 0;
    lineEnd = noFit = liMet = false;
    // The pointer-over-anchor flag lives on until the anchor closes, on a later line too.
    hHit = objHit = false;
    x = lr.Left;
    rightEdge = lr.Right;
    runBottom = lr.Bottom;
    lineRuns.clear();
    if (drawing && paraBack) fillBand(TRect{In.Rect.Left, lr.Top, In.Rect.Right, lr.Top + lm.h}, back);
    const int W = lr.Right - lr.Left;
    while (pos < s.size() && !lineEnd && !noFit) {
        if (scan.lt != -1 && scan.lt < pos) scan.lt = s.indexOf(u'<', pos);
        const qsizetype runEndTag = scan.lt < 0 ? s.size() : scan.lt;
        qsizetype runEnd = runEndTag;
        if (In.WordWrap) {
            if (scan.blank != -1 && scan.blank < pos) scan.blank = s.indexOf(u' ', pos);
            if (scan.blank >= 0 && scan.blank < runEndTag) runEnd = scan.blank + 1;
        }
        if (runEnd > pos) {
            const QStringView raw = QStringView(s).mid(pos, runEnd - pos);
            bool hadEntity = false;
            const QString run = replaceRunEntities(raw, hadEntity);
            const int th = M.TextHeight(C.Font());
            if (ps.sub) lm.r = std::max(lm.r, th / 4);
            if (ps.sup) lm.q = std::max(lm.q, th / 4);
            lm.h = std::max(lm.h, th);
            if (ps.hidden) {
                Out.StripVal += run;
                pos = runEnd;
            } else {
                const int runW = M.TextWidth(C.Font(), withoutPrefixes(run));
                if (drawing) {
                    TRect rr{x, lr.Top, lr.Right, lr.Bottom};
                    if (rtlReading) rr = TRect{lr.Left, lr.Top, rightEdge, lr.Bottom};
                    if (ps.sup) rr.Bottom -= lm.q;
                    if (ps.sub) rr.Bottom += lm.r;
                    rr.Bottom -= lm.p;
                    unsigned flags = textFlags();
                    if (rtlReading) flags |= DT_RIGHT;
                    if (ps.shadow) {
                        const TFont f = C.Font();
                        const TBrush b = C.Brush();
                        C.Font().SetColor(In.ShadowColor);
                        C.Brush().SetStyle(bsClear);
                        TRect sr{rr.Left + In.ShadowOffset, rr.Top + In.ShadowOffset, rr.Right + In.ShadowOffset,
                                 rr.Bottom + In.ShadowOffset};
                        C.DrawText(run, sr, flags);
                        C.Font() = f;
                        C.Brush() = b;
                    }
                    TRect dr = rr;
                    C.DrawText(run, dr, flags);
                    if (ps.inAnchor && ps.anchorCount - 1 == In.FocusLink) Out.FocusAnchor = ps.href;
                    runBottom = rr.Bottom;
                    if (errLine) {
                        const int oldPen = C.Pen().Color();
                        C.Pen().SetColor(0x0000FF);
                        C.Pen().SetWidth(1);
                        int zx = (rr.Left / 2) * 2;
                        int d = zx % 4 == 0 ? 2 : 0;
                        C.MoveTo(zx, lr.Bottom + d - 1);
                        const int end = std::min(rr.Left + runW, lr.Right + kMaxPixels / 2);
                        while (zx < end) {
                            d = d == 0 ? 2 : 0;
                            zx += 2;
                            C.LineTo(zx, lr.Bottom + d - 1);
                        }
                        C.Pen().SetColor(oldPen);
                    }
                    if (rtlReading)
                        rightEdge -= runW;
                    else
                        x = clampPixels(x + runW);
                }
                const int wBefore = lm.w;
                if (measuring) {
                    lm.w = clampPixels(lm.w + runW);
                    const int xr = rtlReading ? lr.Right - In.X - lr.Left : In.X - lr.Left;
                    if (ps.inAnchor && wBefore <= xr && xr <= lm.w) {
                        hHit = true;
                        if (In.Y > lr.Top) {
                            Out.AnchorVal = ps.href;
                            Out.AnchorTitle = ps.title;
                            overAnchor = true;
                        }
                    }
                }
                bool fit = W > lm.w || W <= runW;
                if (!fit && !lineRuns.isEmpty() && !lineRuns.endsWith(u' ')) fit = true;
                if (!fit && In.WordWrap) {
                    if (measuring) lm.w -= runW;
                    lineEnd = true;
                } else {
                    const bool dropRest = !fit && measuring && !lineRuns.isEmpty();
                    // Only a run that stays on the line counts for the plain text; one carried to
                    // the next line is collected there.
                    Out.StripVal += run;
                    if (lineText) *lineText += raw;
                    lineRuns += run;
                    pos = runEnd;
                    if (measuring) x = lr.Left + lm.w;
                    trailing = (run.endsWith(u' ') && !hadEntity) ? blankWidth() : 0;
                    if (dropRest) {
                        pos = s.size();
                        break;
                    }
                }
            }
        }
        if (lineEnd) break;
        if (pos < s.size() && s[pos] == u'<') {
            if (s.size() - pos <= 2) {
                pos = s.size();
                break;
            }
            const qsizetype tagEnd = s.indexOf(u'>', pos);
            const bool closing = s[pos + 1] == u'/' && s.size() - pos >= 4;
            handleTag(s, pos, tagEnd < 0 ? s.size() - 1 : tagEnd, closing, lr, measuring);
            if (!noFit) {
                if (tagEnd < 0) {
                    pos = s.size();
                } else {
                    if (lineText) *lineText += QStringView(s).mid(pos, tagEnd - pos + 1);
                    pos = tagEnd + 1;
                }
            }
        }
    }
    lm.w -= trailing;
    Out.XSize = std::max(Out.XSize, lm.w);
    if (drawing && ps.inAnchor && ps.anchorCount - 1 == In.FocusLink) {
        focusRect.Right = x;
        focusRect.Bottom = runBottom;
        TRect fr{focusRect.Left - 1, focusRect.Top - 1, focusRect.Right + 1, focusRect.Bottom + 1};
        C.DrawFocusRect(fr);
        focusRect.Left = lr.Left + 1;
        focusRect.Top = runBottom;
    }
}

void TRenderer::handleTag(const QString& s, qsizetype pos, qsizetype tagEnd, bool closing, const TRect& lr,
                          bool measuring) {
    const bool drawing = !measuring;
    const qsizetype li = pos + (closing ? 2 : 1);
    if (li >= s.size()) return;
    const QChar letter = upperAscii(s[li]);
    const QChar next = li + 1 < s.size() ? s[li + 1] : QChar();
    const QChar nextUp = upperAscii(next);
    const QString raw = s.mid(pos, tagEnd - pos + 1);
    TFont& f = C.Font();
    auto setStyle = [&](TFontStyle st, bool on) {
        TFontStyles ss = f.Style();
        if (on)
            ss.include(st);
        else
            ss.exclude(st);
        f.SetStyle(ss);
    };
    if (closing) {
        switch (letter.unicode()) {
        case u'A':
            if (drawing && (!In.UnderlineHoveredOnly || ps.anchorCount == In.HoverLink)) {
                setStyle(fsUnderline, false);
                if (In.HoverColor != clNone) setBack(hoverBackSlot);
                if (In.HoverFontColor != clNone) f.SetColor(hoverTextSlot);
            }
            if (!In.Selected) f.SetColor(baseFont.Color());
            ps.inAnchor = false;
            if (overAnchor) {
                TRect hr{anchorStart.x(), anchorStart.y(), lr.Left + lm.w, lr.Bottom};
                if (anchorStart.y() != lr.Top) {
                    hr.Left = lr.Left;
                    hr.Top = lr.Top;
                }
                Out.HoverRect = hr;
                Out.MouseLink = ps.anchorCount;
                overAnchor = false;
            }
            if (ps.anchorCount - 1 == In.FocusLink) {
                focusRect.Right = x;
                focusRect.Bottom = runBottom - lm.p;
                focusRect.Top = focusRect.Bottom - ghHeight();
                if (drawing) {
                    TRect fr{focusRect.Left - 1, focusRect.Top - 1, focusRect.Right + 1, focusRect.Bottom + 1};
                    C.DrawFocusRect(fr);
                }
            }
            break;
        case u'B':
            if (next == u'>')
                setStyle(fsBold, false);
            else
                f.SetColor(baseFont.Color());
            break;
        case u'E':
            if (drawing) errLine = false;
            break;
        case u'F':
            f.SetName(baseFont.Name());
            f.SetSize(baseFont.Size());
            if (drawing && !In.Selected) {
                f.SetColor(baseFont.Color());
                setBack(fontBackSlot);
            }
            break;
        case u'H':
            if (drawing) {
                f.SetColor(hiTextSlot);
                setBack(hiBackSlot);
            }
            break;
        case u'I': setStyle(fsItalic, false); break;
        case u'L': lineEnd = true; break;
        case u'P':
            lineEnd = true;
            if (drawing) setBack(paraBackSlot);
            paraBack = false;
            break;
        case u'R':
            if (rotatedKept) {
                RestoreRotatedFont(C, *rotatedKept);
                rotatedKept.reset();
            }
            break;
        case u'S':
            if (nextUp == u'U')
                ps.sub = ps.sup = false;
            else if (nextUp == u'H')
                ps.shadow = false;
            else
                setStyle(fsStrikeOut, false);
            break;
        case u'U':
            if (next == u'>')
                setStyle(fsUnderline, false);
            else if (ps.listLevel > 0)
                --ps.listLevel;
            else
                setStyle(fsUnderline, false);
            break;
        case u'Z': ps.hidden = false; break;
        default: break;
        }
        return;
    }
    const QString up = asciiUpper(raw);
    switch (letter.unicode()) {
    case u'A': {
        if (drawing && ps.anchorCount == In.FocusLink) focusRect = TRect{x, lr.Top, x, lr.Top};
        ++ps.anchorCount;
        Out.HyperLinks = ps.anchorCount;
        const int n = ps.anchorCount;
        if (drawing && (!In.UnderlineHoveredOnly || n == In.HoverLink)) {
            setStyle(fsUnderline, true);
            if (In.HoverColor != clNone) {
                hoverBackSlot = back;
                setBack(In.HoverColor);
            }
            if (In.HoverFontColor != clNone) {
                hoverTextSlot = f.Color();
                f.SetColor(In.HoverFontColor);
            }
        }
        if (!In.Selected && !(n == In.HoverLink && In.UnderlineHoveredOnly && In.HoverFontColor != clNone))
            f.SetColor(In.URLColor);
        // HREF and TITLE keep their letter case: found in the upper-cased tag, read from the tag.
        if (const qsizetype at = up.indexOf(QLatin1StringView("HREF")); at >= 0) {
            ps.href = quotedAfter(raw, at + 3);
            ps.inAnchor = true;
        }
        if (const qsizetype at = up.indexOf(QLatin1StringView("TITLE")); at >= 0) ps.title = quotedAfter(raw, at + 4);
        anchorStart = QPoint(lr.Left + lm.w, lr.Top);
        break;
    }
    case u'B':
        if (next == u'>') {
            setStyle(fsBold, true);
        } else if (nextUp == u'R') {
            lineEnd = true;
            Out.StripVal += u'\r';
        } else if (nextUp == u'L') {
            if (!In.Blink) f.SetColor(entryBack == clNone ? clWhite : entryBack);
        } else if (nextUp == u'O' && drawing) {
            const QString bg = attrValue(up, QLatin1StringView("BACKGROUND"));
            if (!bg.isEmpty()) {
                THTMLPicture* pic = findPicture(bg);
                if (pic && !pic->Empty() && pic->Width() > 0 && pic->Height() > 0) {
                    const TClipState clip = C.SaveClip();
                    C.IntersectClipRect(In.Rect);
                    const int pw = pic->Width(), ph = pic->Height();
                    for (int ty = In.Rect.Top; ty < In.Rect.Bottom; ty += ph)
                        for (int tx = In.Rect.Left; tx < In.Rect.Right; tx += pw)
                            pic->Draw(C, TRect{tx, ty, tx + pw, ty + ph});
                    C.RestoreClip(clip);
                }
            }
            if (up.contains(QLatin1StringView("BGCOLOR"))) {
                const QString v = attrValue(up, QLatin1StringView("BGCOLOR"));
                if (v.contains(QLatin1StringView("CL"))) setBack(HTMLColorByName(v.toLower()));
                if (v.contains(u'#')) setBack(HTMLHexToColor(v.mid(v.indexOf(u'#'))));
                fontBackSlot = back;
                fillBand(In.Rect, back);
            }
        }
        break;
    case u'C': handleControl(raw, lr, measuring); break;
    case u'E':
        if (drawing) errLine = true;
        break;
    case u'F': {
        if (up.contains(QLatin1StringView("FACE"))) f.SetName(attrValue(up, QLatin1StringView("FACE")));
        if (!In.Selected && up.contains(QLatin1StringView(" COLOR"))) {
            const QString v = attrValue(up, QLatin1StringView(" COLOR"));
            if (!v.isEmpty()) f.SetColor(colorOfValue(v));
        }
        if (drawing && !In.Selected && up.contains(QLatin1StringView("BGCOLOR"))) {
            fontBackSlot = back;
            const QString v = attrValue(up, QLatin1StringView("BGCOLOR"));
            if (!v.isEmpty()) setBack(colorOfValue(v));
        }
        const qsizetype sz = up.indexOf(QLatin1StringView("SIZE"));
        if (sz >= 0) {
            const qsizetype eq = up.indexOf(u'=', sz);
            if (eq >= 0) {
                static constexpr std::array<int, 6> sizes{0, 8, 10, 12, 14, 16};
                const int v = IntOfText(quotedAfter(up, eq));
                f.SetSize(std::clamp(v >= 1 && v <= 5 ? sizes[v] : v, 1, kMaxPoints));
            }
        }
        break;
    }
    case u'H':
        if (nextUp == u'I') {
            if (drawing) {
                hiTextSlot = f.Color();
                hiBackSlot = back;
                setBack(gHighlightBack);
                f.SetColor(gHighlightText);
            }
        } else if (nextUp == u'R') {
            lineEnd = true;
            if (drawing) {
                const TColor pen = C.Pen().Color();
                C.Pen().SetColor(clBlack);
                C.Pen().SetWidth(1);
                C.MoveTo(lr.Left, runBottom + 1);
                C.LineTo(lr.Right, runBottom + 1);
                C.Pen().SetColor(pen);
            }
        }
        break;
    case u'I':
        if (next == u'>') {
            setStyle(fsItalic, true);
        } else if (nextUp == u'N') {
            const qsizetype xi = raw.indexOf(u'x', 0, Qt::CaseInsensitive);
            const QString v = xi >= 0 ? quotedAfter(raw, xi) : QString();
            if (isWholeNumber(v)) {
                const int n = clampPixels(v.trimmed().toInt());
                if (n > lm.w) {
                    lm.w = n;
                    x = In.Rect.Left + n;
                }
            }
        } else if (nextUp == u'M') {
            handleImage(up, lr, measuring);
        }
        break;
    case u'L':
        if (liMet) {
            noFit = true;
            break;
        }
        liMet = true;
        lm.w = clampPixels(lm.w + 12 * ps.listLevel);
        x = clampPixels(x + 12 * (ps.listLevel - 1));
        if (drawing) {
            const QString name = f.Name();
            f.SetName(QStringLiteral("Symbol"));
            const TBrush b = C.Brush();
            C.Brush().SetStyle(bsClear);
            C.TextOut(x, lr.Top, ps.listLevel % 2 == 1 ? QString(QChar(0x00B7)) : QStringLiteral("o"));
            C.Brush() = b;
            f.SetName(name);
        }
        x = clampPixels(x + 12);
        break;
    case u'P': {
        const QString al = attrValue(up, QLatin1StringView("ALIGN"));
        if (up.contains(QLatin1StringView("ALIGN"))) {
            if (al.contains(QLatin1StringView("RIGHT"))) align = 1;
            if (al.contains(QLatin1StringView("LEFT"))) align = 0;
            if (al.contains(QLatin1StringView("CENTER"))) align = 2;
        }
        if (up.contains(QLatin1StringView("INDENT")))
            indent = clampPixels(IntOfText(attrValue(up, QLatin1StringView("INDENT"))));
        if (up.contains(QLatin1StringView("BGCOLOR"))) {
            const QString v = attrValue(up, QLatin1StringView("BGCOLOR"));
            const TColor c = v.isEmpty() ? clNone : colorOfValue(v);
            if (drawing) {
                paraBack = true;
                paraBackSlot = back;
                setBack(c);
                C.Pen().SetColor(c == clNone ? C.Pen().Color() : c);
                fillBand(TRect{In.Rect.Left, lr.Top, In.Rect.Right, lr.Bottom}, c);
            }
        }
        break;
    }
    case u'R': {
        const qsizetype ai = raw.indexOf(u'a', 0, Qt::CaseInsensitive);
        if (ai >= 0) {
            const int angle = IntOfText(quotedAfter(raw, ai));
            if (rotatedKept) RestoreRotatedFont(C, *rotatedKept);
            rotatedKept = SelectRotatedFont(C, angle);
        }
        break;
    }
    case u'S':
        if (next == u'>')
            setStyle(fsStrikeOut, true);
        else if (nextUp == u'H')
            ps.shadow = true;
        else if (up.startsWith(QLatin1StringView("<SUB>")))
            ps.sub = true;
        else if (up.startsWith(QLatin1StringView("<SUP>")))
            ps.sup = true;
        break;
    case u'U':
        if (next == u'>') {
            setStyle(fsUnderline, true);
        } else {
            ps.listLevel = std::min(ps.listLevel + 1, kMaxPixels / 12);
            lineEnd = true;
        }
        break;
    case u'Z': ps.hidden = true; break;
    default: break;
    }
}

void TRenderer::handleImage(const QString& tag, const TRect& lr, bool measuring) {
    const bool drawing = !measuring;
    ++ps.imgCount;
    QString src = attrValue(tag, QLatin1StringView("SRC"));
    if (tag.contains(QLatin1StringView("ALT")) && ps.imgCount == hoveredImage)
        src = attrValue(tag, QLatin1StringView("ALT"));
    const int wAttr = std::clamp(IntOfText(attrValue(tag, QLatin1StringView("WIDTH"))), 0, kMaxPixels);
    const int hAttr = std::clamp(IntOfText(attrValue(tag, QLatin1StringView("HEIGHT"))), 0, kMaxPixels);
    int bw = 0, bh = 0;
    const int top = lr.Top;
    if (const qsizetype at = src.indexOf(QLatin1StringView("IDX:")); at >= 0) {
        // Only an index inside the list names a picture.
        const QString rest = src.mid(4);
        const int idx = IntOfText(rest);
        if (In.Images && idx >= 0 && idx < In.Images->Count()) {
            bw = scaleByRes(In.Images->Width(), dpiX);
            bh = scaleByRes(In.Images->Height(), dpiY);
            if (drawing && !In.Print) {
                In.Images->Draw(C, x, top, idx);
            } else if (drawing) {
                const QImage img = In.Images->Image(idx);
                const int sw = static_cast<int>(std::lround(In.Images->Width() * In.ResFactor));
                const int sh = static_cast<int>(std::lround(In.Images->Height() * In.ResFactor));
                if (QPainter* p = C.Painter(); p && !img.isNull())
                    p->drawImage(QRect(x, top, std::clamp(sw, 0, kMaxPixels), std::clamp(sh, 0, kMaxPixels)), img);
            }
        }
    } else if (src.contains(QLatin1StringView("SSYS:")) || src.contains(QLatin1StringView("LSYS:"))) {
        const bool large = src.contains(QLatin1StringView("LSYS:"));
        QSize size;
        DrawShellIcon(C, x, top, src.mid(5), large, drawing, In.Print, In.ResFactor, size);
        bw = scaleByRes(size.width(), dpiX);
        bh = scaleByRes(size.height(), dpiY);
    } else {
        THTMLPicture* pic = findPicture(src);
        if (pic && !pic->Empty()) {
            const int pw = pic->Width(), ph = pic->Height();
            int dw = pw, dh = ph;
            const bool sized = wAttr > 0 || hAttr > 0;
            // A picture without a size takes no room, whatever WIDTH or HEIGHT say.
            if (pw > 0 && ph > 0) {
                if (wAttr > 0 && hAttr > 0) {
                    dw = wAttr;
                    dh = hAttr;
                } else if (wAttr > 0) {
                    dw = wAttr;
                    dh = static_cast<int>(std::lround(double(ph) * wAttr / pw));
                } else if (hAttr > 0) {
                    dw = static_cast<int>(std::lround(double(pw) * hAttr / ph));
                    dh = hAttr;
                }
                dw = std::clamp(dw, 0, kMaxPixels);
                dh = std::clamp(dh, 0, kMaxPixels);
                if (drawing) {
                    if (sized) {
                        pic->SetStretch(true);
                        pic->Draw(C, TRect{x, top, x + dw, top + dh});
                    } else {
                        if (pic->FrameCount() > 1) {
                            const TColor pen = C.Pen().Color();
                            const TBrush brush = C.Brush();
                            if (entryBack != clNone) {
                                C.Pen().SetColor(entryBack);
                                C.Brush().SetColor(entryBack);
                                C.FillRect(TRect{x, top, x + pic->MaxWidth(), top + pic->MaxHeight()});
                            }
                            C.Pen().SetColor(pen);
                            C.Brush() = brush;
                        }
                        pic->Draw(C, TRect{x + pic->FrameXPos(), top + pic->FrameYPos(),
                                           x + pic->FrameXPos() + pw, top + pic->FrameYPos() + ph});
                    }
                }
                bw = scaleByRes(sized ? dw : pic->MaxWidth(), dpiX);
                bh = scaleByRes(sized ? dh : pic->MaxHeight(), dpiY);
            }
        }
    }
    const int xr = In.X - lr.Left;
    if (lm.w < xr && xr < lm.w + bw && top < In.Y && In.Y < top + bh && ps.inAnchor) {
        objHit = true;
        Out.AnchorVal = ps.href;
        Out.AnchorTitle = ps.title;
        hoveredImage = ps.imgCount;
    }
    const int W = lr.Right - lr.Left;
    if (W < lm.w + bw && bw < W) {
        noFit = true;
        --ps.imgCount;  // the tag is met again on the next line
    } else {
        lm.w = clampPixels(lm.w + bw);
        x = clampPixels(x + bw);
        lm.h = std::max(lm.h, bh);
    }
    if (tag.contains(QLatin1StringView("ALIGN"))) {
        const int g = ghHeight();
        if (tag.contains(QLatin1StringView("\"TOP")))
            lm.p = lm.h - g;
        else if (tag.contains(QLatin1StringView("\"MIDDLE")))
            lm.p = std::max(0, (lm.h - g) / 2);
    }
}

void TRenderer::handleControl(const QString& tag, const TRect& lr, bool measuring) {
    const bool drawing = !measuring;
    QString type, id, value, width, height, prop, maxLen;
    ParseControlTag(tag.mid(8), type, id, value, width, height, prop, maxLen);
    const int B = lr.Bottom;
    int H = 25;
    if (!height.isEmpty() && isWholeNumber(height)) H = std::clamp(height.trimmed().toInt(), 0, kMaxPixels);
    if (width.isEmpty()) return;
    int bw = 0, bh = 0;
    const bool wholeWidth = isWholeNumber(width);
    const int WIDTH = wholeWidth ? std::clamp(width.trimmed().toInt(), 0, kMaxPixels) : 0;
    if (wholeWidth) {
        bw = WIDTH;
        bh = ghHeight() + 10;
    }
    const bool checkLike = type == QLatin1StringView("CHECK") || type == QLatin1StringView("RADIO");
    lm.h = H > 25 ? H - 2 : (checkLike ? 16 : 23);
    const int h = lm.h;
    const bool hot = x - 2 < In.X && In.X < x + bw - 2 && B - bh - 2 < In.Y && In.Y < B - 2;
    if (drawing && wholeWidth) {
        const TColor border = themed ? 0xB99D7F : 0x808080;
        const TColor pen = C.Pen().Color();
        const TBrush brush = C.Brush();
        const TColor fontColor = C.Font().Color();
        auto box = [&] {
            C.Pen().SetColor(border);
            C.Brush().SetColor(clWhite);
            C.Rectangle(x, B - h + 4, x + WIDTH, B + 2);
            C.Brush().SetStyle(bsClear);
        };
        auto textIn = [&](const QString& t, TRect r, unsigned flags) {
            C.Brush().SetStyle(bsClear);
            C.DrawText(t, r, flags | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        };
        if (type == QLatin1StringView("CHECK") || type == QLatin1StringView("RADIO")) {
            const bool radio = type == QLatin1StringView("RADIO");
            const bool on = value.toUpper() == QLatin1StringView("TRUE");
            TRect r = radio ? TRect{x + 2, B - 14, x + 14, B} : TRect{x + 2, B - 15, x + 15, B};
            bool done = false;
            if (themed) {
                const TThemeData td = OpenThemeData(In.WindowHandle, u"button");
                done = DrawThemeBackground(td, C, radio ? BP_RADIOBUTTON : BP_CHECKBOX,
                                           on ? CBS_CHECKEDNORMAL : CBS_UNCHECKEDNORMAL, r);
            }
            if (!done)
                DrawFrameControl(C, r, DFC_BUTTON,
                                 (radio ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK) | DFCS_FLAT | (on ? DFCS_CHECKED : 0));
        } else if (type == QLatin1StringView("BUTTON")) {
            TRect r{x + 2, B - H, x + WIDTH - 2, B};
            bool done = false;
            if (themed) {
                const TThemeData td = OpenThemeData(In.WindowHandle, u"button");
                done = DrawThemeBackground(td, C, BP_PUSHBUTTON,
                                           In.MouseDown ? PBS_PRESSED : (hot ? PBS_HOT : PBS_NORMAL), r);
            }
            if (!done) {
                TRect fr = r;
                DrawFrameControl(C, fr, DFC_BUTTON, DFCS_BUTTONPUSH | ((hot && In.MouseDown) ? DFCS_PUSHED : 0));
            }
            TRect tr{r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2};
            textIn(value, tr, DT_CENTER);
        } else if (type == QLatin1StringView("COMBO")) {
            box();
            textIn(value, TRect{x + 4, B - h + 4, x + WIDTH - 18, B}, 0);
            TRect br{x + WIDTH - 18, B - h + 5, x + WIDTH - 1, B + 1};
            bool done = false;
            if (themed) {
                const TThemeData td = OpenThemeData(In.WindowHandle, u"combobox");
                done = DrawThemeBackground(td, C, CP_DROPDOWNBUTTON, hot ? CBXS_HOT : CBXS_NORMAL, br);
            }
            if (!done) DrawFrameControl(C, br, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
        } else {
            box();
            textIn(type == QLatin1StringView("PASSWORD") ? MaskText(value) : value,
                   TRect{x + 2, B - h + 4, x + WIDTH, B}, 0);
        }
        C.Pen().SetColor(pen);
        C.Brush() = brush;
        C.Font().SetColor(fontColor);
    }
    if (wholeWidth) {
        if (type == QLatin1StringView("BUTTON") || type == QLatin1StringView("COMBO")) bh = 25;
        if (checkLike) bw = bh = 16;
    }
    const int xr = In.X - lr.Left;
    if ((lm.w < xr && xr < lm.w + bw && lr.Top < In.Y && In.Y < lr.Top + bh) ||
        (In.HitTestOnly && !id.isEmpty() && id == Out.ControlID)) {
        objHit = true;
        Out.AnchorVal = QStringLiteral("ctrl");
        hoveredImage = ps.imgCount;
        Out.ControlRect = TRect{lr.Left + lm.w, lr.Top, lr.Left + lm.w + bw, lr.Top + bh};
        Out.ControlValue = value;
        Out.ControlID = id;
        Out.ControlType = type;
    }
    const int W = lr.Right - lr.Left;
    if (W < lm.w + bw && bw < W) {
        noFit = true;
    } else {
        lm.w = clampPixels(lm.w + bw);
        x = clampPixels(x + bw);
        lm.h = std::max(lm.h, bh);
    }
}

}  // namespace

const QFontMetrics& TFontTextMetrics::metrics(const TFont& Font) {
    const QFont f = Font.ToQFont();
    for (auto& entry : cache_)
        if (entry.first == f) return entry.second;
    if (cache_.size() >= 8) cache_.pop_back();
    cache_.insert(cache_.begin(), {f, QFontMetrics(f)});
    return cache_.front().second;
}

int TFontTextMetrics::TextWidth(const TFont& Font, QStringView Text) {
    return metrics(Font).horizontalAdvance(Text.toString());
}

int TFontTextMetrics::TextHeight(const TFont& Font) { return metrics(Font).height(); }

bool RenderHTML(TCanvas& Canvas, const THTMLRenderIn& In, THTMLRenderOut& Out, IHTMLTextMetrics* Metrics) {
    // Kept from call to call (the renderer runs on the user-interface thread only): cell after
    // cell uses the same few fonts. Never destroyed, so no font outlives the application's fonts.
    static TFontTextMetrics* const real = new TFontTextMetrics;
    TRenderer r(Canvas, In, Out, Metrics ? *Metrics : *real);
    return r.Run();
}

void SetHTMLHighlightColors(TColor Background, TColor Text) {
    gHighlightBack = Background;
    gHighlightText = Text;
}
TColor HTMLHighlightBackground() { return gHighlightBack; }
TColor HTMLHighlightText() { return gHighlightText; }

TColor HTMLColorByName(const QString& Name) {
    struct Named {
        const char* name;
        TColor value;
    };
    static const Named fixed[] = {
        {"clred", 0x0000FF},    {"clblack", 0x000000},   {"clblue", 0xFF0000},   {"clgreen", 0x008000},
        {"claqua", 0xFFFF00},   {"clyellow", 0x00FFFF},  {"clfuchsia", 0xFF00FF}, {"clwhite", 0xFFFFFF},
        {"cllime", 0x00FF00},   {"clsilver", 0xC0C0C0},  {"clgray", 0x808080},   {"clolive", 0x008080},
        {"clnavy", 0x800000},   {"clpurple", 0x800080},  {"clteal", 0x808000},   {"clmaroon", 0x000080},
    };
    static const char* const system[] = {
        "clbackground",   "clactivecaption",   "clinactivecaption", "clmenu",      "clwindow",
        "clwindowframe",  "clmenutext",        "clwindowtext",      "clcaptiontext", "clactiveborder",
        "clinactiveborder", "clappworkspace",  "clhighlight",       "clhighlighttext", "clbtnface",
        "clbtnshadow",    "clgraytext",        "clbtntext",         "clinactivecaptiontext", "clbtnhighlight",
        "cl3ddkshadow",   "cl3dlight",         "clinfotext",        "clinfobk",
    };
    const QString n = Name.toLower();
    for (const auto& c : fixed)
        if (n == QLatin1StringView(c.name)) return c.value;
    for (size_t i = 0; i < std::size(system); ++i)
        if (n == QLatin1StringView(system[i])) return 0xFF000001u + static_cast<TColor>(i);
    return 0;
}

int HexPairValue(QStringView Text) {
    if (Text.size() < 2) return 0;
    auto digit = [](QChar c) {
        if (c >= u'0' && c <= u'9') return c.unicode() - u'0';
        if (c >= u'A' && c <= u'F') return c.unicode() - u'A' + 10;
        return 0;
    };
    return digit(Text[0]) * 16 + digit(Text[1]);
}

TColor HTMLHexToColor(const QString& Text) {
    const QStringView v(Text);
    auto pair = [&](qsizetype at) { return at < v.size() ? HexPairValue(v.mid(at)) : 0; };
    return RGB(pair(1), pair(3), pair(5));
}

void DrawShellIcon(TCanvas& Canvas, int X, int Y, const QString& Path, bool Large, bool Draw, bool Print,
                   double ResFactor, QSize& Size) {
    const int px = Large ? 32 : 16;
    Size = QSize(0, 0);
    static const QAbstractFileIconProvider::IconType standard[] = {
        QAbstractFileIconProvider::Computer, QAbstractFileIconProvider::Desktop, QAbstractFileIconProvider::Trashcan,
        QAbstractFileIconProvider::Network,  QAbstractFileIconProvider::Drive,   QAbstractFileIconProvider::Folder,
        QAbstractFileIconProvider::File,
    };
    // The widget provider asks the application's style; without a widget application the
    // platform's provider alone serves.
    QFileIconProvider widgetProvider;
    QAbstractFileIconProvider plainProvider;
    QAbstractFileIconProvider& provider =
        qobject_cast<QApplication*>(QCoreApplication::instance()) ? widgetProvider : plainProvider;
    QIcon icon;
    bool isNumber = false;
    const int index = Path.isEmpty() ? 0 : Path.trimmed().toInt(&isNumber);
    if (Path.isEmpty() || isNumber) {
        if (index < 0 || index >= int(std::size(standard))) return;
        icon = provider.icon(standard[index]);
    } else {
        const QFileInfo info(Path);
        if (info.exists()) {
            icon = provider.icon(info);
        } else {
            provider.setOptions(QAbstractFileIconProvider::DontUseCustomDirectoryIcons);
            icon = provider.icon(QFileInfo(QDir::tempPath() + u'/' + info.fileName()));
            if (icon.isNull()) icon = provider.icon(QAbstractFileIconProvider::File);
        }
    }
    Size = QSize(px, px);
    if (!Draw || icon.isNull()) return;
    const QPixmap pm = icon.pixmap(px, px);
    QPainter* p = Canvas.Painter();
    if (!p) return;
    if (!Print) {
        p->drawPixmap(QRect(X, Y, px, px), pm);
    } else {
        const int s = std::clamp(static_cast<int>(std::lround(px * ResFactor)), 0, kMaxPixels);
        p->drawImage(QRect(X, Y, s, s), pm.toImage());
    }
}

TFont SelectRotatedFont(TCanvas& Canvas, int Angle) {
    TFont kept = Canvas.Font();
    Canvas.Font().SetOrientation((Angle % 360) * 10);
    return kept;
}

void RestoreRotatedFont(TCanvas& Canvas, const TFont& Kept) { Canvas.Font().SetOrientation(Kept.Orientation()); }
