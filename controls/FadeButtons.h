#pragma once
// What the push button paints with: the colour presets, the 32-band gradient, the hot-track blend
// and the face painter. Plain functions over a canvas; they keep no state.
#include "controls/ExGridTypes.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/Colors.h"
#include "platform/Font.h"

#include <QString>
#include <cstdint>

enum TFadeButtonKind : uint8_t { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
enum TFadeButtonLayout : uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TFadeButtonStyle : uint8_t { bsNormal, bsEncarta, bsModern, bsOld, bsShape, bsQuicken };
enum TFadeColorStyle : uint8_t {
    lcsCustom, lcsGold, lcsChrome, lcsBlue, lcsRed, lcsUltraFlat1, lcsUltraFlat2, lcsUltraFlatXP, lcsAqua,
    lcsDefault, lcsQuicken
};


struct TFadeColorPreset {
    plat::TColor Color, LightColor, ShadowColor, ColorWhenDown, HotTrackColor;
    bool Flat;
    plat::TColor FontColor;
    TFadeButtonStyle Style;
};
// The preset of a colour style; lcsCustom (or a value out of range) has none.
const TFadeColorPreset* GetColorStyleColors(TFadeColorStyle style);

struct TFadeKindPreset {
    int ModalResult;
    const char* Resource;
    const char* Caption;
};
// The preset of a kind; bkCustom (or a value out of range) has none.
const TFadeKindPreset* FadeKindPreset(TFadeButtonKind kind);
// The picture of a kind resource ("LBOK" ... "LBALL": two cells, normal and disabled; "LBARROW": the
// drop-down mark). Its bottom-left pixel is the colour that stays transparent. Empty for an
// unknown name.
plat::TBitmap FadeButtonResource(const QString& name);

// Colour A to colour B in 32 bands over the rectangle, each band without outline.
void FadeGradient(plat::TCanvas& canvas, plat::TColor a, plat::TColor b, int left, int top, int right, int bottom);
// The face colour F moved towards the hot-track colour T by step/8 (step 0: F, step 8: T).
plat::TColor HotTrackBlend(plat::TColor f, plat::TColor t, int step);

struct TFadeFace {
    int Width = 0, Height = 0;
    int HotTrackStep = 0;
    int NumGlyphs = 0;
    const plat::TBitmap* Glyph = nullptr;
    bool Pressed = false;
    bool Hot = false;  // pointer inside or focused
    bool SkipBackground = false;
    bool Enabled = true;
    bool Flat = false;
    bool WordWrap = false;
    bool HasPopupMenu = false;
    TFadeButtonStyle Style = bsNormal;
    plat::TColor Color = plat::clBtnFace;
    plat::TColor ColorWhenDown = plat::clNone;
    plat::TColor HotTrackColor = plat::clNone;
    plat::TColor LightColor = plat::clWhite;
    plat::TColor ShadowColor = plat::clGray;
    const plat::TFont* Font = nullptr;
    TFadeButtonLayout Layout = blGlyphLeft;
    QString Caption;
    TAlignment Alignment = taCenter;
};
// Paints one button face on the canvas from (0, 0).
void PaintFadeButtonFace(plat::TCanvas& canvas, const TFadeFace& face);
// The caption shortened at its end (no ellipsis) until it is at most `room` pixels wide.
QString FitFadeCaption(const plat::TCanvas& canvas, QString caption, int room);
