// The named looks of the drop-down edits, kept as tables: one row per look, read by small loops.
// A cell holding Keep is a value the look leaves as it is.
#include <algorithm>
#include <array>

#include "controls/ExUtilDraw.h"
#include "dropdowns/DovUzerAdevEdit.h"
#include "dropdowns/ExItemSelector.h"

namespace dropdowns {

namespace {

using plat::TColor;
constexpr TColor None = plat::clNone;
constexpr TColor Keep = 0x7FFFFFFE;  // not a colour: the look does not write this value

struct TPopupRow {
    TSkinStyle Style;
    TColor DropDownColor, DropDownColorTo, DropDownBorderColor;
    TColor HeaderColor, HeaderColorTo, HeaderFont, HeaderBorder;
    TColor FooterColor, FooterColorTo, FooterBorder;  // Keep: the footer takes the header's
};

// The pop-up and its header and footer.
constexpr std::array<TPopupRow, 15> kPopupRows{{
    {tsOffice2003Blue, 0xFFFFFF, None, Keep, 0xFCE1CB, 0xE0A57D, 0x000000, 0x000000, Keep, Keep, 0x962D00},
    {tsOffice2003Silver, 0xFFFFFF, None, Keep, 0xECE2E1, 0xB39698, 0x000000, 9731196, Keep, Keep, Keep},
    {tsOffice2003Olive, 0xFFFFFF, None, None, 0xCFF0EA, 0x8CC0B1, 0x000000, 0x588060, Keep, Keep, Keep},
    {tsOffice2003Classic, 0xF2F2F2, 0xF2F2F2, None, 0x808080, 0x808080, 0xFFFFFF, 0x808080, Keep, Keep, Keep},
    {tsOffice2007Luna, 0xF3E5DA, 0xF0DED0, None, 0xFFEFE3, 0xFFD2AF, 0x723708, 0xFFD2AF, Keep, Keep, Keep},
    {tsOffice2007Obsidian, 0xFFFFFF, None, None, 0xF2F1F0, 0xC9C2BD, 0x433C37, 0x5C534C, Keep, Keep, Keep},
    {tsWindowsXP, 0xFFFFFF, None, Keep, 0xFFFFFF, plat::clBtnFace, 0x000000, 0x808080, Keep, Keep, Keep},
    {tsWhidbey, 0xF5F9FA, 0xF5F9FA, None, 0xEBEEEF, 0x7E9898, 0xFFFFFF, 0x962D00, Keep, Keep, Keep},
    {tsOffice2007Silver, 0xF8F4F1, 0xF0E8E3, None, 0xF8F7F6, 0xE8E0DB, 0x8B4215, 0x74706F, Keep, Keep, Keep},
    {tsWindowsVista, 0xFFFFFF, 0xFFFFFF, 0x979797, 0xFFFDF9, 0xFFFAF0, 0x000000, 0xFCF2DA, 0xFFFAF0, 0xFFFDF9, Keep},
    {tsWindows7, 0xFFFFFF, 0xFFFFFF, 0x979797, 0xFDFBFA, 0xFDF3EB, 0x000000, 0xFBD6B8, Keep, Keep, Keep},
    {tsTerminal, 0xFFFFFF, 0xFFFFFF, 0x808080, plat::clBtnFace, plat::clBtnFace, 0x000000, None, Keep, Keep, Keep},
    {tsOffice2010Blue, 0xFFFFFF, 0xF1EFED, 0xEDEDEC, 0xFDF6EF, 0xF0DAC7, 0x5B391E, 0xC7B29F, Keep, Keep, Keep},
    {tsOffice2010Silver, 0xFFFFFF, 0xF1EFED, 0xEDEDEC, 0xFFFFFF, 0xEDE5E0, 0x5B391E, 0xD2CDC8, Keep, Keep, Keep},
    {tsOffice2010Black, 0xFFFFFF, 0xF1EFED, 0xEDEDEC, 0xBFBFBF, 0x919191, 0xD7D7D6, 0x6D6D6D, Keep, Keep, Keep},
}};

// The header and footer buttons, in the column order of the setters below.
struct TButtonRow {
    TSkinStyle Style;
    std::array<TColor, 14> C;
};
using BA = TExButtonAppearance;
constexpr std::array<void (BA::*)(TColor), 14> kButtonSetters{
    &BA::SetColor,           &BA::SetColorTo,           &BA::SetBorderColor,     &BA::SetColorHot,
    &BA::SetColorHotTo,      &BA::SetBorderColorHot,    &BA::SetColorDown,       &BA::SetColorDownTo,
    &BA::SetBorderColorDown, &BA::SetColorDisabled,     &BA::SetColorDisabledTo, &BA::SetColorChecked,
    &BA::SetColorCheckedTo,  &BA::SetBorderColorChecked};

#define OFFICE_HOT \
    0xEBFDFF, 0xACECFF, 0x99CEDB, 0xAAD9FF, 0x6EBBFF, 0x42AEFE, 0xF2F2F2, 0xB6B6B6, 0x76AFF1, 0x4190F3, 0x45667B
#define OFFICE2010_HOT 0x8AE3FD, None, 0x58CAF1, 0x6CD0FF, None, 0x308AC2, 0xF2F2F2, 0xB6B6B6, 0x45E1FE, None, 0x4FA0CE
constexpr TColor Face = plat::clBtnFace, Hl = plat::clHighlight, Ic = plat::clInactiveCaption;
constexpr std::array<TButtonRow, 15> kButtonRows{{
    {tsOffice2003Blue, {0xFCE1CB, 0xE0A57D, None, OFFICE_HOT}},
    {tsOffice2003Silver, {0xECE2E1, 0xB39698, None, OFFICE_HOT}},
    {tsOffice2003Olive, {0xCFF0EA, 0x8CC0B1, None, OFFICE_HOT}},
    {tsOffice2003Classic,
     {0xFFFFFF, 0xC9D1D5, None, 0xD2BDB6, 0xD2BDB6, 0x808080, 0xB59285, 0xB59285, 0x808080, 0xD8D5D4, 0xD8D5D4,
      0xD8D5D4, 0xD8D5D4, 0x808080}},
    {tsOffice2007Luna, {0xFFEFE3, 0xFFDDC4, None, OFFICE_HOT}},
    {tsOffice2007Obsidian, {0xF2F1F0, 0xC9C2BD, None, OFFICE_HOT}},
    {tsWindowsXP,
     {0xFFFFFF, Face, None, 0xEFD3C6, 0xEFD3C6, Hl, Ic, Ic, Hl, 0xB6B6B6, 0xB6B6B6, 0xB9D8DC, 0xB9D8DC, 0x000000}},
    {tsWhidbey, {0xFFFFFF, 0xDFEDF0, None, OFFICE_HOT}},
    {tsOffice2007Silver, {0xF9F8F8, 0xE4E2DF, None, OFFICE_HOT}},
    {tsWindowsVista,
     {0xFFFDF9, 0xFFFAF0, 0xFCF2DA, 0xFEF9F0, 0xFFFAF0, 0xFCF2DA, 0xFEF9F0, 0xFDF0D7, 0xFEDF9A, 0xFFFFFF, 0xFFFFFF,
      0xFEF9F0, 0xFDF0D7, 0xFEDF9A}},
    {tsWindows7,
     {0xFDFBFA, 0xFDF3EB, 0xFBD6B8, 0xFDFBFA, 0xFDF3EB, 0xFBD6B8, 0xFCEBDC, 0xFCDBC1, 0xCEA27D, 0xFFFFFF, 0xFFFFFF,
      0xFEF9F0, 0xFCDBC1, 0xCEA27D}},
    {tsTerminal, {Face, Face, None, 0xC0C0C0, 0xC0C0C0, 0x808080, Hl, Hl, 0x808080, Face, Face, Face, Face, Hl}},
    {tsOffice2010Blue, {0xFDF6EF, 0xF0DAC7, 0xC7B29F, OFFICE2010_HOT}},
    {tsOffice2010Silver, {0xFFFFFF, 0xEDE5E0, 0xD2CDC8, OFFICE2010_HOT}},
    {tsOffice2010Black, {0xBFBFBF, 0x919191, 0xD7D7D6, OFFICE2010_HOT}},
}};
#undef OFFICE_HOT
#undef OFFICE2010_HOT

// The item lists of the members. Selected text Keep: black (the common first step).
struct TItemRow {
    std::array<TSkinStyle, 4> Styles;  // tsCustom pads a shorter group
    TColor ColorHot, ColorHotTo, ColorMirrorHot, ColorMirrorHotTo, BorderColor;
    TColor ColorSelected, ColorSelectedTo, ColorMirrorSelected, ColorMirrorSelectedTo;
    TColor BorderColorTop, BorderColorBottom, EdgeColor, SelectedText;
};
constexpr TSkinStyle Pad = tsCustom;
constexpr std::array<TItemRow, 8> kItemRows{{
    {{tsOffice2003Blue, tsOffice2003Silver, tsOffice2003Olive, tsWhidbey},
     0xEBFDFF,
     0xACECFF,
     0x59DAFF,
     0xA4E9FF,
     0x42AEFE,
     0xAAD9FF,
     0x6EBBFF,
     0x42AEFE,
     0x7AE1FE,
     None,
     None,
     None,
     Keep},
    {{tsOffice2007Luna, tsOffice2007Obsidian, tsOffice2007Silver, Pad},
     0xEBFDFF,
     0xACECFF,
     0x59DAFF,
     0xA4E9FF,
     0x42AEFE,
     0xAAD9FF,
     0x6EBBFF,
     0x42AEFE,
     0x7AE1FE,
     0xF4FEFF,
     0xCAF8FF,
     0xC3D9DF,
     Keep},
    {{tsOffice2003Classic, Pad, Pad, Pad},
     0xD2BDB6,
     0xD2BDB6,
     None,
     None,
     0x808080,
     0xB59285,
     0xB59285,
     None,
     None,
     None,
     None,
     None,
     Keep},
    {{tsWindowsXP, Pad, Pad, Pad},
     0xEFD3C6,
     0xEFD3C6,
     None,
     None,
     Hl,
     Hl,
     None,
     None,
     None,
     None,
     None,
     None,
     plat::clHighlightText},
    {{tsWindowsVista, Pad, Pad, Pad},
     0xFFFDF9,
     0xFFFAF0,
     None,
     None,
     0xFEDF9A,
     0xFEF9F0,
     0xFDF0D7,
     None,
     None,
     0xFDFBF6,
     0xFDF5E7,
     0xFCEDCB,
     Keep},
    {{tsWindows7, Pad, Pad, Pad},
     0xFDFBFA,
     0xFDF3EB,
     None,
     None,
     0xCEA27D,
     0xFCEBDC,
     0xFCDBC1,
     None,
     None,
     0xFDF4EB,
     0xFDEADB,
     0xE0C5AE,
     Keep},
    {{tsTerminal, Pad, Pad, Pad},
     0xC0C0C0,
     0xC0C0C0,
     None,
     None,
     0x808080,
     Hl,
     None,
     None,
     None,
     None,
     None,
     None,
     plat::clHighlightText},
    {{tsOffice2010Blue, tsOffice2010Silver, tsOffice2010Black, Pad},
     0xD9F9FD,
     0x8AE3FD,
     0x8AE3FD,
     0xD9F9FD,
     0x308AC2,
     0x7BEEFF,
     0x6CD0FF,
     0x6CD0FF,
     0x7BEEFF,
     None,
     None,
     None,
     0x000000},
}};

// The six colours DrawSelectionRect takes after the two fill colours, per selection style.
struct TSelectionRow {
    TColor SelectionColor, SelectionColorTo;
    std::array<TColor, 6> Frame;
};
constexpr std::array<TSelectionRow, 4> kSelectionRows{{
    {0, 0, {}},  // scCustom: colours stay, a plain fill
    {0xD7FFFD, 0x58D4FC, {0x58D4FC, 0xB3F1FC, 0xF4FEFF, 0xCAF8FF, 0x8DD7D3, 0xC3D9DF}},
    {0xFDF8F1, 0xFCEFD5, {None, None, 0xFDFBF6, 0xFDF5E7, 0xFDDE99, 0xFCEDCB}},
    {0xFCEBDC, 0xFCDBC1, {None, None, 0xFDF4EB, 0xFDEADB, 0xCEA27D, 0xE0C5AE}},
}};

void put(TColor Value, TColor& Field) {
    if (Value != Keep) Field = Value;
}

}  // namespace

void TExCustomDropDown::SetComponentStyle(TSkinStyle AStyle) {
    FSkinStyle = AStyle;
    for (const TPopupRow& r : kPopupRows) {
        if (r.Style != AStyle) continue;
        SetDropDownColor(r.DropDownColor);
        DropDownColorTo = r.DropDownColorTo;
        put(r.DropDownBorderColor, DropDownBorderColor);
        THeaderAppearance& h = *FDropDownHeader;
        TFooterAppearance& f = *FDropDownFooter;
        h.SetColor(r.HeaderColor);
        h.SetColorTo(r.HeaderColorTo);
        h.Font().SetColor(r.HeaderFont);
        h.SetBorderColor(r.HeaderBorder);
        f.SetColor(r.FooterColor != Keep ? r.FooterColor : r.HeaderColor);
        f.SetColorTo(r.FooterColorTo != Keep ? r.FooterColorTo : r.HeaderColorTo);
        f.Font().SetColor(r.HeaderFont);
        f.SetBorderColor(r.FooterBorder != Keep ? r.FooterBorder : r.HeaderBorder);
    }
    for (const TButtonRow& r : kButtonRows) {
        if (r.Style != AStyle) continue;
        for (std::size_t i = 0; i < kButtonSetters.size(); ++i) (FButtonAppearance.get()->*kButtonSetters[i])(r.C[i]);
    }
}

void TExCustomDropDown::SetColorTones(const TColorTones& ATones) {
    if (FButton) {
        FButton->ButtonColor = ATones.Background.BrushColor;
        FButton->ButtonColorHot = ATones.Hover.BrushColor;
        FButton->ButtonColorDown = ATones.Selected.BrushColor;
        FButton->ButtonBorderColor = ATones.Background.BorderColor;
    }
    SetBorderColor(ATones.Background.BorderColor);
}

void TExCustomDropDown::SetSelectionColorStyle(TSelectionColorStyle Value) {
    FSelectionColorStyle = Value;
    if (Value == scCustom) return;
    SelectionColor = kSelectionRows[Value].SelectionColor;
    SelectionColorTo = kSelectionRows[Value].SelectionColorTo;
}

void TExCustomDropDown::DrawSelection(plat::TCanvas& Canvas, const plat::TRect& R, plat::TColor BackColor,
                                      uint8_t Position) {
    if (FSelectionColorStyle == scCustom) {
        Canvas.Pen().SetColor(SelectionColor);
        Canvas.Brush().SetColor(SelectionColor);
        Canvas.FillRect(R);
        return;
    }
    const auto& f = kSelectionRows[FSelectionColorStyle].Frame;
    DrawSelectionRect(Canvas, SelectionColor, SelectionColorTo, f[0], f[1], f[2], f[3], f[4], f[5], BackColor, R,
                      Position);
}

void TExCustomDropDown::SetItemAppearanceStyle(TItemAppearance* Appearance, TSkinStyle AStyle) {
    if (!Appearance || AStyle == tsCustom) return;
    TItemAppearance& a = *Appearance;
    a.BorderColorHot = None;
    a.BorderColorSelected = None;
    a.ColorSelectedText = plat::clBlack;
    a.ColorHotText = plat::clBlack;
    for (const TItemRow& r : kItemRows) {
        if (std::find(r.Styles.begin(), r.Styles.end(), AStyle) == r.Styles.end()) continue;
        a.ColorHot = r.ColorHot;
        a.ColorHotTo = r.ColorHotTo;
        a.ColorMirrorHot = r.ColorMirrorHot;
        a.ColorMirrorHotTo = r.ColorMirrorHotTo;
        a.BorderColor = r.BorderColor;
        a.ColorSelected = r.ColorSelected;
        a.ColorSelectedTo = r.ColorSelectedTo;
        a.ColorMirrorSelected = r.ColorMirrorSelected;
        a.ColorMirrorSelectedTo = r.ColorMirrorSelectedTo;
        a.BorderColorTop = r.BorderColorTop;
        a.BorderColorBottom = r.BorderColorBottom;
        a.EdgeColor = r.EdgeColor;
        put(r.SelectedText, a.ColorSelectedText);
        return;
    }
}

}  // namespace dropdowns
