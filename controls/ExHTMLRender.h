#pragma once
// The mini-HTML renderer: lays a marked-up cell text (bold, italic, fonts, colours, links,
// pictures, lists, form controls drawn inside the text) out in a rectangle of a canvas and, by its
// flags, draws it, only measures it, or finds what lies under a point. Layout measures through a
// small text-metrics interface, so the measuring and hit-testing passes can run with a fixed-width
// test font; drawing goes through the canvas. Whatever the markup, a call ends, reads only inside
// its strings and costs time linear in the text's length.
#include "platform/Canvas.h"
#include "platform/Colors.h"
#include "platform/Font.h"

#include <QFont>
#include <QFontMetrics>
#include <QString>
#include <QStringView>
#include <utility>
#include <vector>

class QWidget;
class THTMLPictureCache;
class TPictureContainer;
namespace plat {
class TImageList;
}

// What the layout needs to know of a font: the width of a run of text (as shown, "&" prefixes
// already taken out) and the height of a line of it.
class IHTMLTextMetrics {
public:
    virtual ~IHTMLTextMetrics() = default;
    virtual int TextWidth(const plat::TFont& Font, QStringView Text) = 0;
    virtual int TextHeight(const plat::TFont& Font) = 0;
};

// The metrics of the real fonts.
class TFontTextMetrics final : public IHTMLTextMetrics {
public:
    int TextWidth(const plat::TFont& Font, QStringView Text) override;
    int TextHeight(const plat::TFont& Font) override;

private:
    const QFontMetrics& metrics(const plat::TFont& Font);
    // The metrics of the few fonts a text switches between at its tags, newest first.
    std::vector<std::pair<QFont, QFontMetrics>> cache_;
};

// The inputs of a call, in the renderer's parameter order (the canvas comes first, apart).
struct THTMLRenderIn {
    QString Text;
    plat::TRect Rect;
    const plat::TImageList* Images = nullptr;
    int X = -1, Y = -1;
    int FocusLink = -1;
    int HoverLink = 0;
    int ShadowOffset = 1;
    bool HitTestOnly = false;
    bool MeasureOnly = false;
    bool Print = false;
    bool Selected = false;
    bool Blink = true;
    bool UnderlineHoveredOnly = false;
    bool WordWrap = true;
    bool MouseDown = false;
    double ResFactor = 1.0;
    plat::TColor URLColor = plat::clBlue;
    plat::TColor HoverColor = plat::clNone;
    plat::TColor HoverFontColor = plat::clNone;
    plat::TColor ShadowColor = 0x808080;
    THTMLPictureCache* PictureCache = nullptr;
    TPictureContainer* Container = nullptr;
    QWidget* WindowHandle = nullptr;
    int BiDiMode = 0;  // 0 left-to-right, 1 right-to-left, 2 without alignment change, 3 reading only
};

// The outputs, in the renderer's parameter order. AnchorVal is not cleared on entry; ControlID is
// an input too when hit-testing.
struct THTMLRenderOut {
    QString AnchorVal;
    QString StripVal;
    QString FocusAnchor;
    QString AnchorTitle;
    int XSize = 0;
    int YSize = 0;
    int HyperLinks = 0;
    int MouseLink = -1;
    plat::TRect HoverRect;
    plat::TRect ControlRect;
    QString ControlID;
    QString ControlValue;
    QString ControlType;
};

// Lays out, draws, measures or hit-tests In.Text on Canvas. True when the point (X, Y) lies on the
// text of an anchor, on a picture inside an anchor or on a control. Canvas's pen, brush and font
// are given back unchanged. Metrics null: the real fonts.
bool RenderHTML(plat::TCanvas& Canvas, const THTMLRenderIn& In, THTMLRenderOut& Out,
                IHTMLTextMetrics* Metrics = nullptr);

// The two colours of the HI tag, for every later call.
void SetHTMLHighlightColors(plat::TColor Background, plat::TColor Text);
plat::TColor HTMLHighlightBackground();
plat::TColor HTMLHighlightText();

// "clRed" and the other colour names in any case; any other text is black (0).
plat::TColor HTMLColorByName(const QString& Name);
// "#RRGGBB" (upper-case digits) as a colour; missing pairs read 0.
plat::TColor HTMLHexToColor(const QString& Text);
// The value of the first two characters as hexadecimal digits 0-9, A-F; 0 for a shorter text.
int HexPairValue(QStringView Text);

// The small (16 px) or large (32 px) icon of a file or folder, or of a file type, or one of the
// standard icons by number. Size gets the icon size (0 x 0 when there is none); drawn at (X, Y)
// when Draw, scaled by ResFactor when Print.
void DrawShellIcon(plat::TCanvas& Canvas, int X, int Y, const QString& Path, bool Large, bool Draw, bool Print,
                   double ResFactor, QSize& Size);

// Turns the canvas font by Angle degrees; returns the font it had, for RestoreRotatedFont.
plat::TFont SelectRotatedFont(plat::TCanvas& Canvas, int Angle);
void RestoreRotatedFont(plat::TCanvas& Canvas, const plat::TFont& Kept);
