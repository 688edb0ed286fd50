#pragma once
// The printed layout as plain values: column bands, pages, the rows of each page with their y, the
// cell rectangles and the header and footer slot texts. A pass of the print engine fills it; the
// counting passes stop there, the drawing passes draw what it holds. No widget, no canvas.
//
// Units: 0.1 mm. x grows to the right from the page's left edge; y is 0 at the top of the page and
// negative below it, so a page height is negative and lower means more negative.
#include "grid/ExGridUnit.h"
#include "platform/Canvas.h"

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

// Where header and footer items go, in the order the slots are kept.
enum TPrintSlot : uint8_t { psTopLeft, psTopRight, psTopCenter, psBottomLeft, psBottomRight, psBottomCenter };
using TPrintSlotTexts = std::array<QString, 6>;

struct TPrintBand {
    int Number = 0;  // from 1
    int Start = 0, End = 0;  // display columns of the band, inclusive
    bool RepeatFixedCols = false;
    int FixedWidth = 0;  // of the repeated fixed columns, spacing included
    int Used = 0;        // width the band takes, repeated fixed columns included
    // Left edge of each column, by display column; entry c + 1 is the right edge of column c.
    // As long as the printed rectangle is wide (plus one), so any column count prints.
    std::vector<int> Left;
};

// One printed row of a page: a row of the band, or a fixed row repeated at the page top.
struct TPrintRowStep {
    int Row = 0;
    int Y = 0;        // top of the row
    int Advance = 0;  // how far the next row starts below
    bool Repeated = false;
};

struct TPrintCellBox {
    int Page = 0;  // page number, from 1
    int Col = 0, Row = 0;  // display column, row
    plat::TRect Rect;      // Left, Top (y), Right, Bottom (y, below the top)
};

struct TPrintPage {
    int Number = 0;    // from 1, across bands
    int Band = 0;      // from 1
    int BandPage = 0;  // page within the band, from 1
    int HeaderReserve = 0, FooterReserve = 0;  // E and G
    int FrameBottom = 0;  // y of the page's last row end
    bool Drawn = false;   // inside the page range of a drawing pass
    bool Cut = false;     // holds one row taller than an empty page, cut at the footer reserve
    TPrintSlotTexts Slots;
    std::vector<TPrintRowStep> Rows;
};

struct TPrintLayout {
    int Kind = 0;  // 0 preview, 1 print or draw, 2 counting for a print, 3 counting for a preview
    int PageWidth = 0, PageHeight = 0;  // W, H (H negative)
    double Factor = 1.0;                // fit-to-page factor
    int HtmlTitleHeight = 0;            // of a title of HTML lines, 0 without
    int TextHeight = 0, TextHeight8 = 0, HeaderHeight = 0, FooterHeight = 0, HalfG = 0, ColSpacing = 0;
    std::vector<int> Widths;  // printed width of each display column of the rectangle's range
    std::vector<TPrintBand> Bands;
    std::vector<TPrintPage> Pages;
    std::vector<TPrintCellBox> Cells;  // drawing passes only, pages in range only
    // The boxes of one page.
    std::vector<TPrintCellBox> CellsOfPage(int Page) const;
};

// The slot an item at Pos goes into; -1 for ppNone.
int PrintSlotOf(TPrintPosition Pos);
// Puts Item into the slot of Pos: in front of a left slot's text, behind a right or centre slot's,
// one blank between.
void PutPrintSlotItem(TPrintSlotTexts& Slots, TPrintPosition Pos, const QString& Item);

// The number text of a page before the caller's own form. With more than one band:
// "<page in band>-<band>"; else the page number plus PageNumberOffset, followed by Sep and the total
// plus MaxPagesOffset when Sep is set, the total is known and above 1. A fast print knows no total.
QString PrintPageNumberText(int Bands, int Page, int BandPage, int Band, int Total, bool TotalKnown,
                            int PageNumberOffset, const QString& Sep, int MaxPagesOffset);

// The fit-to-page factor: (Avail - F) / (S - F) with S the columns' widths with spacing and F the
// spacing alone, held by the mode; Ask answers fpCustom (false: refused, factor 1).
double PrintFitFactor(TFitToPage Mode, int Avail, int S, int F, const std::function<bool(double&)>& Ask);

// Fills a band from Start: columns are added while they fit in Limit (FixedWidth already used);
// at least one column. Returns the band's last column and the width used.
struct TPrintBandFill {
    int End = 0;
    int Used = 0;
};
TPrintBandFill FillPrintBand(const std::vector<int>& Widths, int Spacing, int Start, int Last, int Limit,
                             int FixedWidth);

// The font height in 0.1 mm for a point size at a factor (negative: a character height).
int PrintFontHeight(int PointSize, double Factor);
