// Printing, print preview and drawing a page on a canvas. One pass lays the chosen cells out into
// column bands and pages (TPrintLayout, in 0.1 mm with y negative below the page top) and, in the
// drawing passes, draws each page in range as it is laid out. Counting and drawing run the same
// rules; only the drawing passes touch the canvas.
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QTextDocument>
#include <algorithm>
#include <cmath>
#include <limits>

#include "controls/DateTimeUtil.h"
#include "controls/ExHTMLRender.h"
#include "controls/ExUtil.h"
#include "controls/ExUtilDraw.h"
#include "controls/RtfTextDocument.h"
#include "grid/ExGrid.h"
#include "grid/ExGridPaint.h"
#include "grid/ExGridPrintLayout.h"
#include "platform/Clock.h"
#include "platform/DateTimeFormat.h"
#include "platform/FormatSettings.h"

using plat::TRect;
using plat::TColor;

namespace {

constexpr int kAllPages = std::numeric_limits<int32_t>::max();
// The platform reports no landscape rotation of its printers; they count as turning by 270 degrees.
constexpr int kLandscapeRotation = 270;

int roundi(double v) { return int(std::lround(v)); }

// The print date format writes months as "m" and "mm" (minutes only right after an hour); the picker
// codes that the platform turns into Qt's write months as "M".
QString printDateFormatToPicker(const QString& Format) {
    QString out;
    QChar lastLetter;
    bool quoted = false;
    for (qsizetype i = 0; i < Format.size();) {
        const QChar ch = Format[i];
        if (ch == u'\'' || ch == u'"') quoted = !quoted;
        if (quoted || (ch != u'm' && ch != u'M')) {
            if (!quoted && ch.isLetter()) lastLetter = ch.toLower();
            out += ch;
            ++i;
            continue;
        }
        qsizetype j = i;
        while (j < Format.size() && Format[j].toLower() == u'm') ++j;
        const qsizetype run = j - i;
        out += QString(run, lastLetter == u'h' && run <= 2 ? u'n' : u'M');
        lastLetter = u'm';
        i = j;
    }
    return out;
}

// The widths and heights of text in one font, in 0.1 mm: the font is taken with its height in
// tenths of a millimetre as pixels, so the measures come out in page units on any device.
class TPrintMetrics {
public:
    const QFontMetricsF& For(const plat::TFont& Font, int Height) {
        for (auto& e : cache_)
            if (e.height == Height && e.style == Font.Style() && e.name == Font.Name()) return e.fm;
        QFont f = Font.ToQFont();
        f.setPixelSize(std::max(1, std::abs(Height)));
        if (cache_.size() > 16) cache_.erase(cache_.begin());
        cache_.push_back({Font.Name(), Font.Style(), Height, QFontMetricsF(f)});
        return cache_.back().fm;
    }

private:
    struct Entry {
        QString name;
        plat::TFontStyles style;
        int height;
        QFontMetricsF fm;
    };
    std::vector<Entry> cache_;
};

}  // namespace

// One layout pass over the print rectangle of the grid.
class TGridPrinter {
public:
    TGridPrinter(TExStringGrid& G, plat::TCanvas* Canvas, int Kind, const QRect& Device, double DpiX, double DpiY,
                 QPrinter* Printer)
        : g(G), ps(*G.FPrintSettings), canvas(Canvas), kind(Kind), dev(Device), dpiX(DpiX), dpiY(DpiY),
          printer(Printer) {}

    // Lays out (and in drawing passes draws) every page; returns the number of pages laid out.
    int Run(int Total, bool TotalKnown, bool SelectedOnly);
    static void PrintCore(TExStringGrid& G, const plat::TGridRect& GridRect, bool SelectedOnly);
    static void PreviewCore(TExStringGrid& G, plat::TCanvas& Canvas, const plat::TRect& DisplayRect,
                            const plat::TGridRect& GridRect, bool SelectedOnly);
    TPrintLayout layout;

private:
    TExStringGrid& g;
    TPrintSettings& ps;
    plat::TCanvas* canvas;
    int kind;
    QRect dev;
    double dpiX, dpiY;
    QPrinter* printer;
    TPrintMetrics metrics;
    bool selectedOnly = false;
    bool moreBands = false;  // set once a band ends before the rectangle's last column
    int total = 1;
    bool totalKnown = true;
    double screenFactor = 254.0 / plat::ScreenPixelsPerInch;
    double deviceRatio = 1.0;
    int W = 0, H = 0, th = 0, th8 = 0, hth = 0, fth = 0, gw = 0, cs = 0;
    int cellPointSize = 10;
    // A title of HTML lines: rendered apart, above the rows when at the top (its height in 0.1 mm,
    // measured the same way in every pass so counting and drawing agree).
    bool htmlTitle = false;
    int htmlTitleHeight = 0;
    QString htmlTitleText;
    int lastHeightRow = -1, lastHeight = 0, lastMeasuredHeight = 0;
    int p = 0, b = 0, bp = 0;
    plat::TGridRect rect;
    std::vector<int>& width() { return g.FMaxWidths; }
    std::vector<int>& left() { return g.FIndents; }

    bool drawing() const { return kind == 0 || kind == 1; }
    bool pageDrawn(int Page) const {
        return drawing() && canvas && Page >= g.FPrintPageFrom && Page <= g.FPrintPageTo;
    }
    int X(int x) const { return dev.left() + roundi(x * dpiX / 254.0); }
    int Y(int y) const { return dev.top() + roundi(-y * dpiY / 254.0); }
    TRect devRect(int l, int t, int r, int bt) const { return TRect(X(l), Y(t), X(r), Y(bt)); }
    int devLen(int v) const { return std::max(1, roundi(v * dpiX / 254.0)); }
    // The canvas font for a font of logical height Height.
    void setCanvasFont(const plat::TFont& Font, int Height) {
        canvas->Font().Assign(Font);
        canvas->Font().SetHeight(-std::max(1, roundi(std::abs(Height) * dpiY / 254.0)));
    }
    int mapHeight(int PointSize) const { return PrintFontHeight(PointSize, g.FFontscalefactor); }

    bool isPrintedRow(int ARow);
    bool isPrintedCol(int ACol);
    void calcColWidths();
    int rowHeight(int ARow);
    QSize measureCell(int ACol, int ARow);
    int rowAdvance(int ARow) { return th8 * 2 + rowHeight(ARow) + ps.RowSpacing(); }
    int printRowCells(int y, int FirstCol, int LastCol, int ARow, int ClipBottom);
    void drawCell(int DCol, int ARow, const TRect& R, int Advance, int BandRight, int ClipBottom, bool FirstOfBand,
                  int BandLast);
    void drawCellText(int DCol, int RCol, int ARow, const TRect& R, const TRect& D, int Advance, const plat::TFont& F,
                      TAlignment HA, TVAlignment VA, bool WW, int Gw, int GraphicW);
    void drawCellGraphic(int RCol, int ARow, const TRect& D, TCellGraphic* Gr, bool Checked);
    void buildSlots(TPrintPage& Page);
    void drawHeaderFooter(const TPrintPage& Page);
    void finishPage(int Start, int End, int y, TPrintPage& Page, const TPrintBand& Band);
    void startNextPage();
    int headerReserve() const;
    int footerReserve() const;
    bool topPos(TPrintPosition P) const { return P == ppTopLeft || P == ppTopRight || P == ppTopCenter; }
    bool bottomPos(TPrintPosition P) const { return P == ppBottomLeft || P == ppBottomRight || P == ppBottomCenter; }
    int textWidth(const plat::TFont& F, int Height, const QString& T) {
        return roundi(metrics.For(F, Height).horizontalAdvance(T));
    }
    int textHeight(const plat::TFont& F, int Height) { return roundi(metrics.For(F, Height).height()); }
};

// ---------------------------------------------------------------- which rows and columns print

bool TGridPrinter::isPrintedRow(int ARow) {
    if (!selectedOnly) return true;
    if (ARow < g.FixedRows()) return ps.FixedCellsAlways();
    const TMouseActions& ma = g.MouseActions();
    if (ma.DisjunctRowSelect()) return g.GetRowSelect(ma.RowSelectPersistent() ? g.RealRowIndex(ARow) : ARow);
    const plat::TGridRect s = g.Selection();
    return ARow >= s.Top && ARow <= s.Bottom;
}

bool TGridPrinter::isPrintedCol(int ACol) {
    if (!selectedOnly) return true;
    const TMouseActions& ma = g.MouseActions();
    if (ma.DisjunctRowSelect()) return true;
    if (ACol < g.FixedCols()) return ps.FixedCellsAlways();
    if (ma.DisjunctColSelect()) return g.GetColSelect(ACol);
    const plat::TGridRect s = g.Selection();
    return ACol >= s.Left && ACol <= s.Right;
}

// ---------------------------------------------------------------- measuring

QSize TGridPrinter::measureCell(int ACol, int ARow) {
    const int rc = g.RealColIndex(ACol);
    QString text = g.IsDataGraphicCell(rc, ARow) ? QString() : g.GetFormattedCell(rc, ARow);
    plat::TFont font;
    font.Assign(ps.UseDisplayFont() ? g.Font() : ps.Font());
    if (ACol < g.FixedCols() || ARow < g.FixedRows()) font.Assign(ps.UseDisplayFont() ? g.FixedFont() : ps.FixedFont());
    if (g.CellHasProperties(rc, ARow)) {
        const TCellProperties* cp = g.GridObjects(rc, ARow);
        if (!cp->FontStyle().empty()) font.SetStyle(cp->FontStyle());
        if (cp->FontSize() != 0) font.SetSize(cp->FontSize());
        if (!cp->FontName().isEmpty()) font.SetName(cp->FontName());
    }
    const int fh = mapHeight(font.Size());
    const int lineH = textHeight(font, fh);
    const QPoint gs = g.GetCellGraphicSize(rc, ARow);
    const int gwid = roundi(gs.x() * screenFactor), ghgt = roundi(gs.y() * screenFactor);
    QSize sz;
    const int kindOf = ClassifyCellText(text, g.EnableHTML());
    if (kindOf == 1) {
        // The renderer measures in device pixels of a 96-per-inch canvas; converted to 0.1 mm.
        plat::TCanvas probe;
        probe.Font().Assign(font);
        THTMLRenderIn in;
        in.Text = text;
        const int boxW = ps.NoAutoSize() ? g.ColWidths(ACol) + 12 : 0xFFFF;
        in.Rect = TRect(0, 0, boxW, 0xFFFF);
        in.MeasureOnly = true;
        in.Print = true;
        THTMLRenderOut out;
        RenderHTML(probe, in, out);
        sz = QSize(roundi(out.XSize * screenFactor), roundi(out.YSize * screenFactor) + roundi(th8 * screenFactor));
    } else {
        if (kindOf == 2) {
            QTextDocument doc;
            RtfToTextDocument(text, doc);
            text = doc.toPlainText();
        }
        int angle = 0;
        const bool rotated = g.IsRotated(rc, ARow, angle);
        bool ww = false;
        g.GetWordWrap(rc, ARow, ww);
        if (text.isEmpty()) text = QStringLiteral("gh");
        if (ww && ps.NoAutoSize() && !rotated) {
            const int colW = g.CellExt(rc, ARow).X > 0 ? 0xFFFF : width()[size_t(ACol)];
            const QRectF r = metrics.For(font, fh).boundingRect(QRectF(0, 0, std::max(1, colW), 50),
                                                                Qt::TextWordWrap | Qt::AlignLeft, text);
            sz = QSize(colW, roundi(r.height()));
        } else {
            QStringList lines = g.Multilinecells() ? text.split(u'\n') : QStringList{text};
            int widest = 0;
            for (QString& l : lines) {
                l.remove(u'\r');
                if (g.URLShow() && !g.URLFull()) StripURLScheme(l);
                widest = std::max(widest, textWidth(font, fh, l));
            }
            const int h = lineH * int(lines.size());
            if (rotated) {
                const double a = angle * M_PI / 180.0;
                sz = QSize(std::abs(roundi(std::cos(a) * widest)) + std::abs(roundi(std::sin(a) * h)),
                           std::abs(roundi(std::sin(a) * widest)) + std::abs(roundi(std::cos(a) * h)));
            } else {
                sz = QSize(widest + gwid, h);
            }
        }
    }
    if (ps.PrintGraphics()) sz = QSize(std::max(sz.width(), gwid), std::max(sz.height(), ghgt));
    if (g.OnCustomCellSize && canvas) g.OnCustomCellSize(&g, *canvas, rc, ARow, sz, true);
    return sz;
}

void TGridPrinter::calcColWidths() {
    auto& w = width();
    w.assign(size_t(rect.Right) + 2, 0);
    for (int c = rect.Left; c <= rect.Right; ++c) {
        if (!isPrintedCol(c)) continue;
        if (ps.NoAutoSize()) {
            w[size_t(c)] = roundi(g.ColWidths(c) * screenFactor);
            continue;
        }
        const int rc = g.RealColIndex(c);
        int best = 0;
        const auto measure = [&](int r) {
            if (g.CellExt(rc, r).X > 0 || (g.IsMergedNonBaseCell(rc, r) && g.IsXMergedCell(rc, r))) return;
            best = std::max(best, ps.UseFixedWidth() ? ps.FixedWidth() : measureCell(c, r).width());
        };
        if (ps.RepeatFixedRows())
            for (int r = 0; r < std::min(g.FixedRows(), rect.Top); ++r) measure(r);
        for (int r = rect.Top; r <= rect.Bottom; ++r) measure(r);
        w[size_t(c)] = best;
    }
}

int TGridPrinter::rowHeight(int ARow) {
    if (ARow == lastHeightRow) return lastHeight;
    int h = 0;
    if (ps.NoAutoSizeRow()) {
        h = roundi(g.RowHeights(ARow) * screenFactor) - 4;
    } else if (ps.UseFixedHeight()) {
        h = ps.FixedHeight();
    } else {
        bool any = false;
        for (int c = rect.Left; c <= rect.Right; ++c) {
            const int rc = g.RealColIndex(c);
            if (g.IsYMergedCell(rc, ARow)) continue;
            const int m = measureCell(c, ARow).height();
            h = any ? std::max(h, m) : m;
            any = true;
            lastMeasuredHeight = m;
        }
        if (!any) h = lastMeasuredHeight;
        h += h / 8;
        if (g.OnPrintSetRowHeight) g.OnPrintSetRowHeight(&g, ARow, h);
    }
    lastHeightRow = ARow;
    lastHeight = h;
    return h;
}

// ---------------------------------------------------------------- header and footer

int TGridPrinter::headerReserve() const {
    if (topPos(ps.Time()) || topPos(ps.Date()) || topPos(ps.PageNr()) || topPos(ps.Title())) {
        int e = th8 + hth + ps.HeaderSize();
        if (!ps.TitleLines().isEmpty() && topPos(ps.Title()) && ps.TitleText().isEmpty())
            e += (int(ps.TitleLines().size()) - 1) * hth;
        return e;
    }
    return ps.HeaderSize();
}

int TGridPrinter::footerReserve() const {
    if (bottomPos(ps.Time()) || bottomPos(ps.Date()) || bottomPos(ps.PageNr()) || bottomPos(ps.Title())) {
        int gr = (th8 + fth) * 2 + ps.FooterSize();
        if (!ps.TitleLines().isEmpty() && bottomPos(ps.Title()) && ps.TitleText().isEmpty())
            gr += (int(ps.TitleLines().size()) - 1) * fth;
        return gr;
    }
    return th8 + fth + ps.FooterSize();
}

void TGridPrinter::buildSlots(TPrintPage& Page) {
    TPrintSlotTexts& s = Page.Slots;
    const QDateTime now = plat::localNow();
    if (ps.Time() != ppNone) PutPrintSlotItem(s, ps.Time(), now.toString(QStringLiteral("hh:mm")));
    if (ps.Date() != ppNone)
    {
        const plat::FormatSettings fs = plat::formatSettings();
        PutPrintSlotItem(s, ps.Date(),
                         FormatDateTimeText(plat::PickerFormatToQt(printDateFormatToPicker(ps.DateFormat())), FromQDateTime(now), fs));
    }
    if (ps.PageNr() != ppNone) {
        const bool bands = moreBands;
        QString num = PrintPageNumberText(bands ? 2 : 1, Page.Number, Page.BandPage, Page.Band, total, totalKnown,
                                          ps.PageNumberOffset(), ps.PageNumSep(), ps.MaxPagesOffset());
        if (bands)
            g.PrintGetPageNum(Page.BandPage, Page.Band, num);
        else
            g.PrintGetPageNum(Page.Number, Page.Band, num);
        PutPrintSlotItem(s, ps.PageNr(), ps.PagePrefix() + u' ' + num + u' ' + ps.PageSuffix());
    }
    if (ps.Title() != ppNone) {
        if (!ps.TitleText().isEmpty()) {
            PutPrintSlotItem(s, ps.Title(), ps.TitleText());
        } else if (!ps.TitleLines().isEmpty() &&
                   ClassifyCellText(ps.TitleLines().join(QString()), g.EnableHTML()) != 1) {
            const int slot = PrintSlotOf(ps.Title());
            QString& t = s[size_t(slot)];
            const QString first = ps.TitleLines().first();
            const bool leftSlot = slot == psTopLeft || slot == psBottomLeft;
            const QString a = leftSlot ? first : t, bb = leftSlot ? t : first;
            t = a.isEmpty() || bb.isEmpty() ? a + bb : a + u' ' + bb;
        }
    }
}

void TGridPrinter::drawHeaderFooter(const TPrintPage& Page) {
    const plat::TFont keptFont = canvas->Font();
    canvas->Brush().SetStyle(plat::bsClear);
    const int hh = mapHeight(ps.HeaderFont().Size()), fh = mapHeight(ps.FooterFont().Size());
    const int titleSlot = PrintSlotOf(ps.Title());
    const bool plainLines = ps.TitleText().isEmpty() && ps.TitleLines().size() > 1 &&
                            ClassifyCellText(ps.TitleLines().join(QString()), g.EnableHTML()) != 1;
    for (int s = 0; s < 6; ++s) {
        const bool top = s <= psTopCenter;
        const plat::TFont& f = top ? ps.HeaderFont() : ps.FooterFont();
        const int fhgt = top ? hh : fh;
        const int lineH = top ? hth : fth;
        setCanvasFont(f, fhgt);
        const auto xOf = [&](const QString& t) {
            const int tw = textWidth(f, fhgt, t);
            if (s == psTopLeft || s == psBottomLeft) return ps.LeftSize();
            if (s == psTopRight || s == psBottomRight) return W - tw - ps.RightSize() - 20;
            return (W - tw) / 2;
        };
        int y = top ? -ps.HeaderSize() : H + fth + th8 + ps.FooterSize();
        const QString& t = Page.Slots[size_t(s)];
        if (!t.isEmpty()) canvas->TextOut(X(xOf(t)), Y(y), t);
        if (s == titleSlot && plainLines) {
            for (qsizetype i = 1; i < ps.TitleLines().size(); ++i) {
                y -= lineH;
                const QString& l = ps.TitleLines()[i];
                canvas->TextOut(X(xOf(l)), Y(y), l);
            }
        }
    }
    if (htmlTitle) {
        const bool top = topPos(ps.Title());
        const plat::TFont& f = top ? ps.HeaderFont() : ps.FooterFont();
        setCanvasFont(f, top ? hh : fh);
        THTMLRenderIn in;
        in.Text = htmlTitleText;
        in.Rect = top ? devRect(ps.LeftSize(), -ps.HeaderSize(), W, -ps.HeaderSize() - htmlTitleHeight)
                      : devRect(ps.LeftSize(), H + ps.FooterSize(), W, H);
        in.Print = true;
        in.ResFactor = deviceRatio;
        THTMLRenderOut out;
        RenderHTML(*canvas, in, out);
    }
    canvas->Font().Assign(keptFont);
}

// The closing frame and lines of a page.
void TGridPrinter::finishPage(int Start, int End, int y, TPrintPage& Page, const TPrintBand& Band) {
    Page.FrameBottom = y;
    if (!pageDrawn(Page.Number)) return;
    const auto& L = left();
    const int x0 = Band.RepeatFixedCols ? L[0] : L[size_t(Start)];
    const int x1 = L[size_t(End) + 1];
    const int yt = -Page.HeaderReserve - ps.TitleSpacing();
    const int yb = y + th8 / 2;
    plat::TPen kept = canvas->Pen();
    canvas->Pen().SetColor(plat::clBlack);
    canvas->Pen().SetStyle(plat::TPenStyle(std::min<int>(ps.BorderStyle(), plat::psClear)));
    canvas->Pen().SetWidth(devLen(ps.Borders() == pbDouble ? 10 : 2));
    const TPrintBorders bs = ps.Borders();
    if (bs == pbAround || bs == pbAroundVertical || bs == pbAroundHorizontal) {
        canvas->MoveTo(X(x0), Y(yt));
        canvas->LineTo(X(x1), Y(yt));
        canvas->LineTo(X(x1), Y(yb));
        canvas->LineTo(X(x0), Y(yb));
        canvas->LineTo(X(x0), Y(yt));
    }
    if (bs == pbDouble || bs == pbHorizontal || bs == pbAroundHorizontal) {
        canvas->MoveTo(X(x0), Y(yb));
        canvas->LineTo(X(x1), Y(yb));
    }
    if ((bs == pbDouble || bs == pbVertical || bs == pbAroundVertical) && Band.RepeatFixedCols) {
        for (int c = 0; c < g.FixedCols(); ++c) {
            canvas->MoveTo(X(L[size_t(c)]), Y(yt));
            canvas->LineTo(X(L[size_t(c)]), Y(yb));
        }
    }
    canvas->Pen() = kept;
}

void TGridPrinter::startNextPage() {
    if (p + 2 < g.FPrintPageFrom || p + 2 > g.FPrintPageTo) return;
    if (kind == 1 && printer && p + 1 >= g.FPrintPageFrom) printer->newPage();
    if (drawing() && canvas && g.OnPrintPage) g.OnPrintPage(&g, *canvas, p + 2, W, H);
}

// ---------------------------------------------------------------- cells

int TGridPrinter::printRowCells(int y, int FirstCol, int LastCol, int ARow, int ClipBottom) {
    g.FFontscalefactor = layout.Factor;
    const int adv = rowAdvance(ARow);
    const int page = p + 1;
    if (pageDrawn(page)) {
        const auto& L = left();
        const int bandRight = L[size_t(std::max(LastCol, FirstCol)) + 1];
        for (int c = FirstCol; c <= LastCol; ++c) {
            if (!isPrintedCol(c)) continue;
            const TRect r(L[size_t(c)], y, L[size_t(c) + 1], std::max(y - adv, ClipBottom));
            layout.Cells.push_back({page, c, ARow, r});
            drawCell(c, ARow, r, adv, bandRight, ClipBottom, c == FirstCol, LastCol);
        }
    }
    g.FFontscalefactor = 1.0;
    return adv;
}

void TGridPrinter::drawCell(int DCol, int ARow, const TRect& Box, int Advance, int BandRight, int ClipBottom,
                            bool FirstOfBand, int BandLast) {
    const int rc = g.RealColIndex(DCol);
    const plat::TGridCoord ext = g.CellExt(rc, ARow);
    const auto& L = left();
    TRect R = Box;
    // A merge reaches over the columns and rows it spans.
    if (ext.X > 0) {
        const int lastCol = std::min(DCol + ext.X, BandLast);
        R.Right = L[size_t(lastCol) + 1];
    }
    int height = Advance;
    if (ext.Y > 0) {
        for (int r = ARow + 1; r <= ARow + ext.Y && r < g.RowCount(); ++r) {
            const int h = roundi((g.RowHeights(r) - 4) * screenFactor);
            height += h + h / 8 + th8 * 2 + ps.RowSpacing();
        }
    }
    bool cutBottom = false;
    R.Bottom = R.Top - height;
    if (R.Bottom < ClipBottom) {
        R.Bottom = ClipBottom;
        cutBottom = true;
    }
    // Border set.
    TCellBorders borders;
    switch (ps.Borders()) {
    case pbSingle:
    case pbDouble: borders = TCellBorders{cbTop, cbLeft, cbRight, cbBottom}; break;
    case pbHorizontal:
    case pbAroundHorizontal: borders = TCellBorders{cbTop, cbBottom}; break;
    case pbVertical:
    case pbAroundVertical: borders = TCellBorders{cbLeft, cbRight}; break;
    default: break;
    }
    plat::TPen pen;
    pen.SetWidth(1);
    pen.SetColor(ps.BorderColor());
    g.GetCellPrintBorder(rc, ARow, pen, borders);
    const int pw = std::max(1, pen.Width());
    const bool base = !g.IsMergedNonBaseCell(rc, ARow);
    const TRect clipDev = devRect(R.Left, R.Top, std::min(R.Right, std::max(BandRight, R.Right)), R.Bottom);
    if (base) {
        plat::TGridDrawState state;
        if (DCol < g.FixedCols() || ARow < g.FixedRows()) state.include(plat::gdFixed);
        plat::TBrush brush;
        TColor colorTo = plat::clNone, mirror = plat::clNone, mirrorTo = plat::clNone;
        plat::TFont font;
        TAlignment ha = taLeftJustify;
        TVAlignment va = vtaTop;
        bool ww = false;
        TCellGradientDirection gd{};
        g.GetVisualProperties(DCol, ARow, state, true, false, true, brush, colorTo, mirror, mirrorTo, font, ha, va, ww,
                              gd);
        g.GetCellAlign(rc, ARow, ha, va);
        if (brush.Color() != plat::clNone && brush.Style() != plat::bsClear) {
            TRect bg = R;
            if (!borders.contains(cbLeft)) bg.Left += 2 * pw;
            if (!borders.contains(cbTop)) bg.Top -= 2 * pw;
            const TRect d = devRect(bg.Left, bg.Top, bg.Right, bg.Bottom);
            // One colour: a plain fill, which a PDF keeps as a rectangle, not as a picture of bands.
            FillRectColor(*canvas, d, brush.Color());
        }
        TCellGraphic* gr = ps.PrintGraphics() ? g.GetCellGraphic(rc, ARow) : nullptr;
        QPoint gsz = gr ? g.GetCellGraphicSize(rc, ARow) : QPoint();
        // A picture keeps its own size on the page even where it takes no room beside the text.
        if (gr && gr->CellBitmap && (gsz.x() == 0 || gsz.y() == 0))
            gsz = QPoint(gr->CellBitmap->Width(), gr->CellBitmap->Height());
        const int gwid = roundi(gsz.x() * screenFactor);
        const plat::TClipState clip = canvas->SaveClip();
        canvas->SelectClipRect(clipDev);
        drawCellText(DCol, rc, ARow, R, clipDev, Advance, font, ha, va, ww, gw, gr ? gwid : 0);
        if (gr) {
            bool checked = false;
            g.GetCheckBoxState(rc, g.RealRowIndex(ARow), checked);
            TRect gd2 = R;
            const int gh = roundi(gsz.y() * screenFactor);
            const int gx = (gr->CellHAlign == haRight || gr->CellHAlign == haAfterText) ? R.Right - gwid - gw
                                                                                        : R.Left + roundi(screenFactor);
            gd2 = TRect(gx, R.Top - th8, gx + gwid, R.Top - th8 - gh);
            if (gr->CellHAlign == haCenter) {
                gd2.Left = (R.Left + R.Right - gwid) / 2;
                gd2.Right = gd2.Left + gwid;
            }
            drawCellGraphic(rc, ARow, devRect(gd2.Left, gd2.Top, gd2.Right, gd2.Bottom), gr, checked);
        }
        canvas->RestoreClip(clip);
        if (g.OnCustomCellDraw) {
            if (QPainter* pt = canvas->Painter()) {
                TGridDrawState es;
                if (state.contains(plat::gdFixed)) es.include(gdFixed);
                g.OnCustomCellDraw(&g, pt, rc, ARow, es, clipDev.toQRect(), true);
            }
        }
    }
    // Borders.
    const plat::TGridCoord span = g.CellSpan(rc, ARow);
    if (!base) {
        if (span.X > 0) {
            borders.exclude(cbLeft);
            borders.exclude(cbRight);
        }
        if (span.Y > 0) {
            borders.exclude(cbTop);
            borders.exclude(cbBottom);
        }
    }
    if (cutBottom) borders.exclude(cbBottom);
    const plat::TPen kept = canvas->Pen();
    canvas->Pen().SetColor(pen.Color());
    canvas->Pen().SetStyle(pen.Style());
    canvas->Pen().SetWidth(devLen(roundi(pw * screenFactor)));
    const int right = std::min(R.Right, std::max(BandRight, Box.Right));
    // Inside the band the left line sits one pen width left, over the neighbour's right line.
    const int lx = FirstOfBand ? R.Left : R.Left - pw;
    if (borders.contains(cbLeft)) {
        canvas->MoveTo(X(lx), Y(R.Top));
        canvas->LineTo(X(lx), Y(R.Bottom));
    }
    if (borders.contains(cbRight)) {
        canvas->MoveTo(X(right), Y(R.Top));
        canvas->LineTo(X(right), Y(R.Bottom));
    }
    if (borders.contains(cbTop)) {
        canvas->MoveTo(X(lx), Y(R.Top));
        canvas->LineTo(X(right), Y(R.Top));
    }
    if (borders.contains(cbBottom)) {
        canvas->MoveTo(X(lx), Y(R.Bottom));
        canvas->LineTo(X(right), Y(R.Bottom));
    }
    canvas->Pen() = kept;
}

void TGridPrinter::drawCellText(int DCol, int RCol, int ARow, const TRect& R, const TRect& D, int Advance,
                                const plat::TFont& F, TAlignment HA, TVAlignment VA, bool WW, int Gw, int GraphicW) {
    QString text = g.IsDataGraphicCell(RCol, ARow) ? QString() : g.GetFormattedCell(RCol, ARow);
    if (text.isEmpty()) return;
    const int fh = mapHeight(F.Size());
    setCanvasFont(F, fh);
    canvas->Brush().SetStyle(plat::bsClear);
    const int kindOf = ClassifyCellText(text, g.EnableHTML());
    if (kindOf == 1) {
        THTMLRenderIn in;
        in.Text = text;
        in.Rect = TRect(D.Left, D.Top + roundi(th8 * screenFactor), D.Right - devLen(GraphicW) - devLen(roundi(2 * screenFactor)),
                        D.Bottom);
        in.Print = true;
        in.ResFactor = deviceRatio;
        THTMLRenderOut out;
        RenderHTML(*canvas, in, out);
        return;
    }
    if (kindOf == 2) {
        QPainter* pt = canvas->Painter();
        if (!pt) return;
        QTextDocument doc;
        QFont qf = F.ToQFont();
        qf.setPixelSize(std::max(1, roundi(std::abs(fh) * dpiY / 254.0)));
        doc.setDefaultFont(qf);
        RtfToTextDocument(text, doc);
        const int pad = devLen(Gw);
        PaintTextDocument(*pt, doc, QRect(D.Left + pad, D.Top, std::max(1, D.Width() - 2 * pad), D.Height()), true);
        return;
    }
    int angle = 0;
    if (g.IsRotated(RCol, ARow, angle)) {
        // The fix turns the text the other way on printers that rotate landscape pages by 90 degrees.
        if (kind == 1 && printer && g.PrinterDriverFix() && kLandscapeRotation != 270) angle = -angle;
        DrawRotatedText(*canvas, text, TRect(D.Left + 2, D.Top + 2, D.Right - 2, D.Bottom - 2), angle, HA, VA);
        return;
    }
    const int gwd = devLen(Gw);
    const int leftX = D.Left + devLen(GraphicW) + gwd, rightX = D.Right - gwd;
    if (WW && ps.NoAutoSize()) {
        TRect tr(D.Left + devLen(roundi(2 * screenFactor)) + (HA == taLeftJustify ? gwd : 0), D.Top,
                 D.Right - (HA == taRightJustify ? gwd : 0), D.Bottom);
        unsigned flags = plat::DT_WORDBREAK | plat::DT_EDITCONTROL | plat::DT_EXPANDTABS | plat::DT_NOPREFIX;
        if (HA == taRightJustify) flags |= plat::DT_RIGHT;
        if (HA == taCenter) flags |= plat::DT_CENTER;
        canvas->DrawText(text, tr, flags);
        return;
    }
    QStringList lines = g.Multilinecells() ? text.split(u'\n') : QStringList{text};
    for (QString& l : lines) {
        l.remove(u'\r');
        if (g.URLShow() && !g.URLFull()) StripURLScheme(l);
    }
    if (lines.size() == 1) {
        TRect tr(leftX, D.Top + std::max(0, roundi(th8 * dpiY / 254.0)), rightX, D.Bottom);
        unsigned flags = plat::DT_SINGLELINE | plat::DT_EDITCONTROL | plat::DT_NOPREFIX;
        if (HA == taRightJustify) flags |= plat::DT_RIGHT;
        if (HA == taCenter) flags |= plat::DT_CENTER;
        if (VA == vtaCenter) flags |= plat::DT_VCENTER;
        if (VA == vtaBottom) flags |= plat::DT_BOTTOM;
        if (g.EnhTextSize() && ps.NoAutoSize()) flags = plat::DT_SINGLELINE | plat::DT_END_ELLIPSIS | plat::DT_NOPREFIX;
        canvas->DrawText(lines.first(), tr, flags);
        return;
    }
    const int lh = std::max(1, roundi((textHeight(F, fh) + ps.RowSpacing() + (textHeight(F, fh) + ps.RowSpacing()) / 8 -
                                       ps.RowSpacing()) * dpiY / 254.0));
    const int all = lh * int(lines.size());
    const int advDev = roundi(Advance * dpiY / 254.0);
    int y = D.Top;
    if (VA == vtaCenter && g.CellExt(RCol, ARow).Y == 0) y += (advDev - all) / 2;
    if (VA == vtaBottom && g.CellExt(RCol, ARow).Y == 0) y += advDev - all;
    for (const QString& l : lines) {
        const int tw = canvas->TextWidth(l);
        int x = leftX;
        if (HA == taRightJustify) x = rightX - tw;
        if (HA == taCenter) x = (D.Left + D.Right - tw) / 2;
        canvas->TextOut(x, y, l);
        y += lh;
    }
}

void TGridPrinter::drawCellGraphic(int RCol, int ARow, const TRect& D, TCellGraphic* Gr, bool Checked) {
    switch (Gr->CellType) {
    case ctCheckBox:
    case ctDataCheckBox:
    case ctVirtCheckBox:
    case ctRowCheckBox:
    case ctTriStateCheckBox: {
        // Drawn at screen size on a bitmap filled with the cell's colour, then stretched onto the page.
        const TControlStyle style = g.ControlLook().ControlStyle() == csFlat ? csFlat : csClassic;
        const QPoint gs = g.GetCellGraphicSize(RCol, ARow);
        plat::TBitmap bmp;
        bmp.SetSize(std::max(1, gs.x()), std::max(1, gs.y()));
        bmp.Canvas().Brush().SetColor(canvas->Brush().Style() == plat::bsClear ? plat::clWhite : canvas->Brush().Color());
        bmp.Canvas().FillRect(TRect(0, 0, bmp.Width(), bmp.Height()));
        g.DrawCheck(bmp.Canvas(), TRect(0, 0, bmp.Width(), bmp.Height()), Checked, 0, false, style, false, true);
        bmp.Canvas().Release();
        canvas->StretchDraw(D, bmp);
        break;
    }
    case ctBitmap:
    case ctIcon:
        if (Gr->CellBitmap) canvas->StretchDraw(D, *Gr->CellBitmap);
        else if (Gr->CellIcon) canvas->StretchDraw(D, *Gr->CellIcon);
        break;
    case ctNode: {
        const int s = devLen(20);
        const TRect box(D.Left, D.Top, D.Left + s, D.Top + s);
        canvas->Pen().SetColor(plat::clBlack);
        canvas->Brush().SetColor(g.CellNode().NodeColor());
        canvas->Rectangle(box);
        canvas->MoveTo(box.Left + s / 4, box.Top + s / 2);
        canvas->LineTo(box.Right - s / 4, box.Top + s / 2);
        if (Gr->CellBoolean) {
            canvas->MoveTo(box.Left + s / 2, box.Top + s / 4);
            canvas->LineTo(box.Left + s / 2, box.Bottom - s / 4);
        }
        break;
    }
    case ctProgress:
        DrawProgressBar(*canvas, D, Gr->CellColor, TColor(plat::ColorToRGB(Gr->CellColor) ^ 0xFFFFFF), Gr->CellColor2,
                        TColor(plat::ColorToRGB(Gr->CellColor2) ^ 0xFFFFFF), g.GetFloats(RCol, ARow),
                        g.ControlLook().ProgressMarginX(), g.ControlLook().ProgressMarginY(), Gr->CellErrFrom,
                        Gr->CellErrLen, Gr->CellText, g.ControlLook().ProgressBorderColor(), true);
        break;
    case ctProgressPie: DrawProgressPie(*canvas, D, Gr->CellColor, int(Gr->CellValue), true); break;
    default: break;
    }
}

// ---------------------------------------------------------------- the pass

int TGridPrinter::Run(int Total, bool TotalKnown, bool SelectedOnly) {
    total = Total;
    totalKnown = TotalKnown;
    selectedOnly = SelectedOnly;
    rect = g.FPrintRect;
    layout = TPrintLayout{};
    layout.Kind = kind;
    g.FFontscalefactor = 1.0;
    // 1. The device ratio: the canvas's resolution over the screen's.
    if (const QScreen* scr = QGuiApplication::primaryScreen(); scr && scr->logicalDotsPerInchY() > 0)
        deviceRatio = dpiY / scr->logicalDotsPerInchY();
    // 4. Line heights and the text padding.
    const plat::TFont& cellFont = ps.UseDisplayFont() ? g.Font() : ps.Font();
    cellPointSize = cellFont.Size();
    hth = textHeight(ps.HeaderFont(), mapHeight(ps.HeaderFont().Size()));
    fth = textHeight(ps.FooterFont(), mapHeight(ps.FooterFont().Size()));
    th = textHeight(cellFont, mapHeight(cellPointSize));
    th8 = uint16_t(th / 8);
    gw = textWidth(cellFont, mapHeight(cellPointSize), QStringLiteral("g")) / 2;
    cs = ps.UseFixedWidth() ? 0 : ps.ColumnSpacing() + 20;
    if (ps.Title() != ppNone && ps.TitleText().isEmpty() && !ps.TitleLines().isEmpty()) {
        htmlTitleText = ps.TitleLines().join(QString());
        htmlTitle = ClassifyCellText(htmlTitleText, g.EnableHTML()) == 1;
    }
    // 5. The page.
    W = roundi(dev.width() * 254.0 / dpiX);
    H = -roundi(dev.height() * 254.0 / dpiY);
    g.SetPrintPageRect(QRect(0, 0, W, H));
    layout.PageWidth = W;
    if (htmlTitle) {
        plat::TCanvas probe;
        probe.Font().Assign(topPos(ps.Title()) ? ps.HeaderFont() : ps.FooterFont());
        THTMLRenderIn in;
        in.Text = htmlTitleText;
        in.Rect = TRect(0, 0, std::max(1, roundi((W - ps.LeftSize()) / screenFactor)), 0xFFFF);
        in.MeasureOnly = true;
        in.Print = true;
        THTMLRenderOut out;
        RenderHTML(probe, in, out);
        htmlTitleHeight = roundi(out.YSize * screenFactor);
        layout.HtmlTitleHeight = htmlTitleHeight;
    }
    layout.PageHeight = H;
    layout.TextHeight = th;
    layout.TextHeight8 = th8;
    layout.HeaderHeight = hth;
    layout.FooterHeight = fth;
    layout.HalfG = gw;
    layout.ColSpacing = cs;
    // 6, 7. Column widths, fitted to the page.
    calcColWidths();
    auto& w = width();
    if (ps.FitToPage() != fpNever) {
        int S = 0, F = 0;
        for (int c = rect.Left; c <= rect.Right; ++c) {
            if (isPrintedCol(c)) S += w[size_t(c)] + cs;
            F += cs;
        }
        const double f = PrintFitFactor(ps.FitToPage(), W - ps.RightSize() - ps.LeftSize(), S, F, [&](double& v) {
            bool allow = true;
            if (g.OnFitToPage) g.OnFitToPage(&g, v, allow);
            return allow;
        });
        if (f != 1.0)
            for (int c = rect.Left; c <= rect.Right; ++c) w[size_t(c)] = roundi(w[size_t(c)] * f);
        layout.Factor = f;
    }
    // 8.
    if (g.OnPrintSetColumnWidth)
        for (int c = rect.Left; c <= rect.Right; ++c) g.OnPrintSetColumnWidth(&g, c, w[size_t(c)]);
    layout.Widths = w;
    // 9.
    const TGridExportState rowKind =
        rect.Top <= g.FixedRows() && rect.Bottom >= g.RowCount() - 1 - g.FixedFooters() ? esExportNewRow : esExportSelRow;
    // 10. Column bands.
    auto& L = left();
    L.assign(size_t(rect.Right) + 2, 0);
    int start = rect.Left, end = rect.Left;
    p = 0;
    b = 0;
    int lastPrinted = -1;
    bool cancel = false;
    std::vector<int> bandStarts;
    while (end <= rect.Right && !cancel) {
        ++b;
        bp = 0;
        TPrintBand band;
        band.Number = b;
        band.RepeatFixedCols = g.FixedCols() > 0 && ps.RepeatFixedCols() &&
                               (start != rect.Left || rect.Left >= g.FixedCols());
        int FW = 0;
        if (band.RepeatFixedCols)
            for (int c = 0; c < g.FixedCols() && size_t(c) < w.size(); ++c) FW += w[size_t(c)] + cs;
        const TPrintBandFill fill = FillPrintBand(w, cs, start, rect.Right, W - ps.RightSize(), FW);
        end = fill.End;
        const int used = fill.Used;
        if (end < rect.Right) moreBands = true;
        g.SetPrintPageWidth(used);
        const int first = ps.Centered() ? 0 : ps.LeftSize();
        L[size_t(start)] = first;
        L[0] = first;
        for (int c = start; c <= end; ++c) L[size_t(c) + 1] = L[size_t(c)] + (isPrintedCol(c) ? w[size_t(c)] + cs : 0);
        if (band.RepeatFixedCols)
            for (int i = 1; i <= g.FixedCols() && size_t(i) < L.size(); ++i) L[size_t(i)] = L[size_t(i) - 1] + w[size_t(i) - 1] + cs;
        g.SetPrintColStart(start);
        g.SetPrintColEnd(end);
        if (ps.Centered() && used < W) {
            const int shift = (W - used) / 2;
            for (int c = start; c <= end + 1; ++c) L[size_t(c)] += shift;
            if (band.RepeatFixedCols)
                for (int c = 0; c <= g.FixedCols() && size_t(c) < L.size(); ++c)
                    if (c < start) L[size_t(c)] += shift;
        }
        for (int c = start; c <= end + 1; ++c) L[size_t(c)] += FW;
        band.Start = start;
        band.End = end;
        band.FixedWidth = FW;
        band.Used = used;
        band.Left = L;
        layout.Bands.push_back(band);
        // 7, 8. Reserves.
        int E = headerReserve();
        int G = footerReserve();
        int row = rect.Top;
        if (pageDrawn(p + 1) && g.OnPrintPage) g.OnPrintPage(&g, *canvas, p + 1, W, H);
        int k = 0, y = 0, bodyRows = 0;
        TPrintPage page;
        const auto openPage = [&] {
            page = TPrintPage{};
            page.Number = p + 1;
            page.Band = b;
            page.BandPage = bp + 1;
            page.HeaderReserve = E;
            page.FooterReserve = G;
            page.Drawn = pageDrawn(page.Number);
        };
        openPage();
        const auto printRow = [&](int r, bool repeated, int clipBottom) {
            const int yRow = y;
            if (band.RepeatFixedCols) printRowCells(y, 0, g.FixedCols() - 1, r, clipBottom);
            const int adv = printRowCells(y, start, end, r, clipBottom);
            page.Rows.push_back({r, yRow, adv, repeated});
            y -= adv;
        };
        const auto heightOf = [&](int r) {
            g.FFontscalefactor = layout.Factor;
            const int h = rowHeight(r);
            g.FFontscalefactor = 1.0;
            return h;
        };
        bool pageClosed = false;
        while (row <= rect.Bottom && !cancel) {
            g.ExportNotification(rowKind, row);
            pageClosed = false;
            if (k == 0) {
                y = -E;
                buildSlots(page);
                if (page.Drawn) {
                    g.FFontscalefactor = layout.Factor;
                    drawHeaderFooter(page);
                    g.FFontscalefactor = 1.0;
                }
                y -= ps.TitleSpacing() + (htmlTitle && topPos(ps.Title()) ? htmlTitleHeight : 0);
                bodyRows = 0;
                if (row > 0 && (p > 0 || g.FixedRows() <= rect.Top) && ps.RepeatFixedRows() && g.FixedRows() > 0)
                    for (int r = 0; r < g.FixedRows(); ++r) printRow(r, true, std::numeric_limits<int>::min());
                ++k;
            }
            if (isPrintedRow(row)) {
                const int h = heightOf(row);
                if (y - h > H + G) {
                    printRow(row, false, std::numeric_limits<int>::min());
                    ++bodyRows;
                    ++row;
                } else if (bodyRows == 0) {
                    // Taller than an empty page: alone on it, cut at the footer reserve.
                    page.Cut = true;
                    printRow(row, false, H + G);
                    ++bodyRows;
                    ++row;
                }
            } else {
                ++row;
            }
            ++k;
            bool newPage = false;
            if (g.OnPrintNewPage) g.OnPrintNewPage(&g, row, newPage);
            const bool full = row <= rect.Bottom && y - heightOf(row) <= H + G;
            if ((full || row > rect.Bottom || newPage) && pageDrawn(p + 1)) {
                if (g.OnPrintPageDone) g.OnPrintPageDone(&g, *canvas, row, y, p + 1, W, H);
                if (g.OnPrintCancel) g.OnPrintCancel(&g, p + 1, cancel);
            }
            // A break asked for after the last row would only open an empty page.
            if ((full || newPage) && row <= rect.Bottom) {
                finishPage(start, end, y, page, band);
                layout.Pages.push_back(std::move(page));
                pageClosed = true;
                k = 0;
                lastPrinted = row;
                // A cancelled print opens no page it will not fill.
                if (!cancel) startNextPage();
                if (g.FastPrint() && p + 1 >= g.FPrintPageTo) row = rect.Bottom + 1;
                ++p;
                ++bp;
                E = headerReserve();
                G = footerReserve();
                openPage();
            }
        }
        if (!(pageClosed && lastPrinted == row)) {
            finishPage(start, end, y, page, band);
            layout.Pages.push_back(std::move(page));
        }
        start = end = end + 1;
        if (start <= rect.Right && !cancel) startNextPage();
        ++p;
    }
    g.FFontscalefactor = 1.0;
    return p;
}

// ---------------------------------------------------------------- the grid's operations

namespace {

// The page of a printer in its device pixels, and its resolution.
QRect printerPage(QPrinter& P) { return QRect(0, 0, P.width(), P.height()); }

}  // namespace

QPrinter& TExStringGrid::Printer() {
    if (!FPrinter) FPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *FPrinter;
}

const TPrintLayout& TExStringGrid::PrintLayout() const {
    static const TPrintLayout none;
    return FPrintLayout ? *FPrintLayout : none;
}

int TExStringGrid::MapFontHeight(int PointSize) const { return PrintFontHeight(PointSize, FFontscalefactor); }

int TExStringGrid::MapFontSize(int Height) { return int(std::trunc(Height * 72.0 / 254.0)); }


void TExStringGrid::Print() { PrintRect(plat::TGridRect{0, 0, ColCount() - 1, RowCount() - 1}); }
void TExStringGrid::PrintSelection() { PrintRect(Selection()); }
void TExStringGrid::PrintRect(const plat::TGridRect& GridRect) { TGridPrinter::PrintCore(*this, GridRect, false); }
void TExStringGrid::PrintSelectedRows() { TGridPrinter::PrintCore(*this, plat::TGridRect{0, 0, ColCount() - 1, RowCount() - 1}, true); }
void TExStringGrid::PrintSelectedCols() { PrintSelectedRows(); }
void TExStringGrid::PrintPreview(plat::TCanvas& Canvas, const TRect& DisplayRect) {
    PrintPreviewRect(Canvas, DisplayRect, plat::TGridRect{0, 0, ColCount() - 1, RowCount() - 1});
}
void TExStringGrid::PrintPreviewRect(plat::TCanvas& Canvas, const TRect& DisplayRect, const plat::TGridRect& GridRect) {
    TGridPrinter::PreviewCore(*this, Canvas, DisplayRect, GridRect, false);
}
void TExStringGrid::PrintPreviewSelection(plat::TCanvas& Canvas, const TRect& DisplayRect) {
    TGridPrinter::PreviewCore(*this, Canvas, DisplayRect, Selection(), false);
}
void TExStringGrid::PrintPreviewSelectedRows(plat::TCanvas& Canvas, const TRect& DisplayRect) {
    TGridPrinter::PreviewCore(*this, Canvas, DisplayRect, plat::TGridRect{0, 0, ColCount() - 1, RowCount() - 1}, true);
}
void TExStringGrid::PrintPreviewSelectedCols(plat::TCanvas& Canvas, const TRect& DisplayRect) {
    PrintPreviewSelectedRows(Canvas, DisplayRect);
}

namespace {
double deviceDpiX(QPaintDevice* D) { return D && D->logicalDpiX() > 0 ? D->logicalDpiX() : plat::ScreenPixelsPerInch; }
double deviceDpiY(QPaintDevice* D) { return D && D->logicalDpiY() > 0 ? D->logicalDpiY() : plat::ScreenPixelsPerInch; }
}  // namespace

void TExStringGrid::PrintDrawRect(plat::TCanvas& Canvas, const TRect& DrawRect, const plat::TGridRect& GridRect) {
    FPrintRect = GridRect;
    FPrevRect = DrawRect;
    FPrintPageFrom = FPrintPageTo = 1;
    FPrintNrOfPages = 1;
    TGridPrinter pass(*this, &Canvas, 1, DrawRect.toQRect(), deviceDpiX(Canvas.Device()), deviceDpiY(Canvas.Device()),
                      nullptr);
    struct Keep {
        TExStringGrid& g;
        TGridPrinter& pass;
        ~Keep() { g.FPrintLayout = std::make_unique<TPrintLayout>(std::move(pass.layout)); }
    } keep{*this, pass};
    pass.Run(1, true, false);
}

void TExStringGrid::PrintDraw(plat::TCanvas& Canvas, const TRect& DrawRect) {
    PrintDrawRect(Canvas, DrawRect, plat::TGridRect{0, 0, ColCount() - 1, RowCount() - 1});
}

void TGridPrinter::PrintCore(TExStringGrid& G, const plat::TGridRect& GridRect, bool SelectedOnly) {
    G.ExportNotification(esExportStart, -1);
    G.FPrintRect = GridRect;
    TPrintSettings& ps = G.PrintSettings();
    QPrinter& printer = G.Printer();
    if (!ps.UseDefaultOrientation())
        printer.setPageOrientation(ps.Orientation() == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    const QRect page = printerPage(printer);
    const double dx = deviceDpiX(&printer), dy = deviceDpiY(&printer);
    G.FPrevRect = TRect(0, 0, roundi(254.0 / dx * page.width()), roundi(254.0 / dy * page.height()));
    printer.setDocName(ps.JobName());
    int n = kAllPages;
    if (!G.FastPrint()) {
        TGridPrinter count(G, nullptr, 2, page, dx, dy, &printer);
        n = count.Run(1, true, SelectedOnly);
        G.FPrintLayout = std::make_unique<TPrintLayout>(std::move(count.layout));
    }
    G.FPrintPageFrom = 1;
    G.FPrintPageTo = n;
    G.SetPrintNrOfPages(n);
    if (G.OnPrintStart) {
        int32_t from = G.FPrintPageFrom, to = G.FPrintPageTo;
        G.OnPrintStart(&G, n, from, to);
        if (from <= 0 || to <= 0 || from > to) return;
        G.FPrintPageFrom = from;
        G.FPrintPageTo = to;
    }
    G.SetPrintNrOfPages(G.FPrintPageTo);
    {
        // The document begins with the first drawing on the canvas and ends with it, whatever the pass does.
        plat::TCanvas canvas(&printer);
        TGridPrinter pass(G, &canvas, 1, page, dx, dy, &printer);
        struct Keep {
            TExStringGrid& g;
            TGridPrinter& pass;
            ~Keep() { g.FPrintLayout = std::make_unique<TPrintLayout>(std::move(pass.layout)); }
        } keep{G, pass};
        pass.Run(n, !G.FastPrint(), SelectedOnly);
    }
    G.ExportNotification(esExportDone, -1);
}

void TGridPrinter::PreviewCore(TExStringGrid& G, plat::TCanvas& Canvas, const TRect& DisplayRect,
                        const plat::TGridRect& GridRect, bool SelectedOnly) {
    G.ExportNotification(esExportStart, -1);
    G.FPrintRect = GridRect;
    G.FPrevRect = DisplayRect;
    struct Done {
        TExStringGrid& g;
        ~Done() {
            g.ExportNotification(esExportDone, -1);
            g.SetIsPrintPreview(false);
        }
    } done{G};
    const double dx = deviceDpiX(Canvas.Device()), dy = deviceDpiY(Canvas.Device());
    int n = 1;
    if (!G.FastPrint()) {
        TGridPrinter count(G, nullptr, 3, DisplayRect.toQRect(), dx, dy, nullptr);
        n = count.Run(1, true, SelectedOnly);
        G.FPrintLayout = std::make_unique<TPrintLayout>(std::move(count.layout));
    }
    G.SetPrintNrOfPages(n);
    G.SetIsPrintPreview(true);
    if (G.OnPrintStart) {
        int32_t from = 1, to = n;
        G.OnPrintStart(&G, n, from, to);
        if (from <= 0 || to <= 0 || from > to) return;
    }
    TGridPrinter pass(G, &Canvas, 0, DisplayRect.toQRect(), dx, dy, nullptr);
    const plat::TClipState clip = Canvas.SaveClip();
    Canvas.SelectClipRect(DisplayRect);
    struct Keep {
        TExStringGrid& g;
        TGridPrinter& pass;
        plat::TCanvas& c;
        plat::TClipState clip;
        ~Keep() {
            c.RestoreClip(clip);
            g.FPrintLayout = std::make_unique<TPrintLayout>(std::move(pass.layout));
        }
    } keep{G, pass, Canvas, clip};
    pass.Run(n, !G.FastPrint(), SelectedOnly);
}

// ---------------------------------------------------------------- measuring helpers of other parts

int TExStringGrid::MaxColumnTextLength(int ACol) {
    int best = 0;
    for (int r = 0; r < RowCount(); ++r) {
        QString t;
        GetSaveCellText(ACol, r, t);
        const QStringList lines = FMultilinecells ? t.split(u'\n') : QStringList{t};
        for (const QString& l : lines) best = std::max(best, int(QString(l).remove(u'\r').size()));
    }
    return best;
}

TRect TExStringGrid::CalcRotatedTextRect(const TRect& Rect, int Angle, TVAlignment VAlign, TAlignment HAlign,
                                         const QString& Text) {
    const TRect r(Rect.Left + 2, Rect.Top + 2, Rect.Right - 2, Rect.Bottom - 2);
    const QSize ext = Canvas().TextExtent(Text + u'w');
    const QPoint o = RotatedTextOrigin(r, ext, Angle, HAlign, VAlign);
    return TRect(o.x(), o.y(), r.Right, r.Bottom);
}

void TExStringGrid::InvalidateGridRect(const plat::TGridRect& GridRect) {
    const TRect a = CellRect(GridRect.Left, GridRect.Top), z = CellRect(GridRect.Right, GridRect.Bottom);
    const TRect u(std::min(a.Left, z.Left), std::min(a.Top, z.Top), std::max(a.Right, z.Right), std::max(a.Bottom, z.Bottom));
    if (QWidget* vp = viewport()) vp->update(u.toQRect());
}
