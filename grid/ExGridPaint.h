#pragma once
// What one cell's painting shares between its layers, and the painting rules that need no grid:
// the balloon texts and the start point of rotated text.
#include "controls/ExGridTypes.h"
#include "platform/Canvas.h"
#include "platform/StringGrid.h"

#include <QPoint>
#include <QString>

class TCellGraphic;
enum TCellHAlign : uint8_t;
enum TCellVAlign : uint8_t;

// Filled by DrawCellContent before the layers run; the layers read and change it. Lives for one
// cell only.
struct TCellPaintContext {
    plat::TCanvas* Canvas = nullptr;
    plat::TRect R;  // the working content rectangle
    int DisplayCol = 0, RealCol = 0, Row = 0, SelRow = 0;
    plat::TGridDrawState State;
    TAlignment HAlign = taLeftJustify;
    TVAlignment VAlign = vtaTop;
    bool WordWrap = true;
    bool Fixed = false;
    // The cell's graphic with the room it takes and whether the text is drawn beside it.
    TCellGraphic* Graphic = nullptr;
    int W = 0, H = 0;
    TCellHAlign GraphicHAlign{};
    TCellVAlign GraphicVAlign{};
    bool DrawText = true;
    int TextWidth = 0;      // drawn text width + 2, 0 until measured
    int GraphicOffset = 0;  // room of a graphic left of left-aligned text, for the sort glyph
    bool FilterButton = false;
    int ScrollOffset = 0;
    plat::TColor SavedBrush = plat::clNone, SavedFontColor = plat::clNone, LinkColor = plat::clNone;
};

// The balloon's text: tabs inside it as blanks, leading CR, LF and tabs dropped, and past 2048
// characters its first 2045 kept characters and "...".
QString BalloonDisplayText(const QString& Text);
// The balloon's title: past 100 characters its first 97 and "..."; an empty title is " ".
QString BalloonDisplayTitle(const QString& Title);

// Where text of Extent turned by Angle degrees (counter-clockwise) starts, so that it sits in Rect
// by the alignments: the start point from the sine and cosine of the extent.
QPoint RotatedTextOrigin(const plat::TRect& Rect, QSize Extent, int Angle, TAlignment HAlign, TVAlignment VAlign);
// Draws Text turned by Angle degrees from that start point, clipped to Rect; the font comes back
// unturned.
void DrawRotatedText(plat::TCanvas& Canvas, const QString& Text, const plat::TRect& Rect, int Angle,
                     TAlignment HAlign, TVAlignment VAlign);

// ClampPercent: a value held to 0 .. 100.
double ClampPercent(double Value);
