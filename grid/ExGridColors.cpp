// Where a cell's colours come from, and the grid's colour presets: styles, component styles,
// colour tones, XP themes, the Office theme and the Look writer.
#include "controls/ExStyleIF.h"
#include "grid/ExGrid.h"
#include "platform/Colors.h"

#include <cmath>

using plat::clNone;

// From the drawing helpers, whose shape names the graphics header also uses: each channel c becomes
// round(c + Percent * c / 100), held to 0..255.
plat::TColor AdjustColorPercent(plat::TColor Color, int Percent);

namespace {

constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kBlack = 0x000000;
// "Unchanged" in the style table.
constexpr TColor kKeep = 0xFEFEFEFE;

// One style's colours, as its row of the style table says.
struct StyleRow {
    int look;  // a TGridLook, or -1: unchanged
    TColor fixFrom, fixTo, fixMirrorFrom, fixMirrorTo;
    // The from and to colours go to the control look too (else the control look's become none).
    bool copied;
    TColor activeColor, activeTo;
    TColor selColor, selTo, selText;  // kKeep: the first step's
    TColor line, fixedLine;
    TColor footerColor, footerTo;
};

// Positions follow TExGridStyle.
const StyleRow kStyles[] = {
    /* gsOffice2003Blue */ {glXP, 0xFCE1CB, 0xE0A57D, clNone, clNone, true, 0x94E6FB, 0x1595EE, 0x94E6FB, 0x1595EE,
                            kBlack, 0xC0C0C0, 0x808080, 0xFCE1CB, clNone},
    /* gsOffice2003Silver */ {glXP, 0xECE2E1, 0xB39698, clNone, clNone, true, 0x94E6FB, 0x1595EE, 0x94E6FB, 0x1595EE,
                              kBlack, 0xC0C0C0, 0x808080, 0xECE2E1, clNone},
    /* gsOffice2003Olive */ {glXP, 0xCFF0EA, 0x8CC0B1, clNone, clNone, true, 0x94E6FB, 0x1595EE, 0x94E6FB, 0x1595EE,
                             kBlack, 0xC0C0C0, 0x808080, 0xCFF0EA, clNone},
    /* gsOffice2003Classic */ {glXP, kWhite, 0xCCD4D8, clNone, clNone, false, 0xD8D5D4, 0xD8D5D4, kKeep, kKeep,
                               kKeep, 0xC0C0C0, 0x808080, kWhite, clNone},
    /* gsOffice2007Luna */ {glOffice2007, 0xFBF9F6, 0xE8DBD2, clNone, clNone, true, 0x9DD8F9, 0x5EC1F1, 0x5EC1F1,
                            clNone, kBlack, 0xF1EDEB, 0xD1BBA4, 0xFBF9F6, clNone},
    /* gsOffice2007Obsidian */ {glOffice2007, 0xF7F7F7, 0xDEDEDE, clNone, clNone, true, 0x9DD8F9, 0x5EC1F1,
                                0x5EC1F1, clNone, kBlack, 0xE5D7D0, 0x808080, 0xF7F7F7, clNone},
    /* gsWindowsXP */ {glXP, plat::clBtnFace, plat::clBtnFace, clNone, clNone, false, plat::clBtnFace,
                       plat::clBtnFace, kKeep, kKeep, kKeep, 0xC0C0C0, 0x808080, plat::clBtnFace, clNone},
    /* gsWhidbey */ {-1, kWhite, plat::clBtnFace, clNone, clNone, false, 0x94E6FB, 0x1595EE, kKeep, kKeep, kKeep,
                     0xC0C0C0, 0x808080, kWhite, clNone},
    /* gsCustom */ {-1, kKeep, kKeep, kKeep, kKeep, false, kKeep, kKeep, kKeep, kKeep, kKeep, kKeep, kKeep, kKeep,
                    kKeep},
    /* gsOffice2007Silver */ {glOffice2007, 0xF3F3F1, 0xCAC9C8, kKeep, kKeep, true, 0x99CCFF, 0x699CFF, 0x95C7F5,
                              clNone, kBlack, 0xE5D7D0, 0x808080, 0xF3F3F1, kKeep},
    /* gsWindowsVista */ {glVista, kWhite, kWhite, 0xFAF8F7, 0xF4F2F1, true, 0xFDF8F1, 0xFCEFD5, 0xEACAB6, clNone,
                          kBlack, 0xECECF0, 0xD4D2D1, kWhite, 0xF4F2F1},
    /* gsWindows7 */ {glWin7, 0xFDFCFA, 0xFAF0E6, 0xF4E6DC, 0xF7E9DD, true, 0xFCEBDC, 0xFCDBC1, 0xEACAB6, clNone,
                      kBlack, 0xECECF0, 0xD4D2D1, 0xFDFCFA, 0xF7E9DD},
    /* gsTerminal */ {glStandard, kKeep, kKeep, kKeep, kKeep, false, kKeep, kKeep, kKeep, kKeep, kKeep, kKeep, kKeep,
                      kKeep, kKeep},
    /* gsOffice2010Blue */ {glOffice2007, 0xF5E7DA, 0xF5E7DA, 0xF5E7DA, 0xF5E7DA, true, 0x5BD5FF, 0x71EFFF, 0xFFDBB7,
                            kKeep, kBlack, 0xC0C0C0, 0xC7B0A0, 0xF5E7DA, 0xF5E7DA},
    /* gsOffice2010Silver */ {glOffice2007, 0xE8E3DF, 0xE8E3DF, 0xE8E3DF, 0xE8E3DF, true, 0x5BD5FF, 0x71EFFF,
                              0xFFDBB7, kKeep, kBlack, 0xC0C0C0, 0xBAB5B1, 0xE8E3DF, 0xE8E3DF},
    /* gsOffice2010Black */ {glOffice2007, 0x6A6A6A, 0x6A6A6A, 0x6A6A6A, 0x6A6A6A, true, 0x5BD5FF, 0x71EFFF,
                             0xFFDBB7, kKeep, kBlack, 0xC0C0C0, 0x444444, 0x6A6A6A, 0x6A6A6A},
};
static_assert(std::size(kStyles) == gsOffice2010Black + 1);

// The hover and pressed gradients and the sort-header colours some styles bring.
struct StyleExtras {
    TExGridStyle style;
    TColor hoverFrom, hoverTo, hoverMirrorFrom, hoverMirrorTo, hoverBorder;
    TColor downFrom, downTo, downMirrorFrom, downMirrorTo, downBorder;
    TColor sortFrom, sortTo, sortMirrorFrom, sortMirrorTo;
    TGridSelectionStyle selStyle;
};
const StyleExtras kExtras[] = {
    {gsOffice2007Luna, 0xE4E2DF, 0xDBD3CD, 0xDBD3CD, 0xD2C5BC, 0xB79F87, 0xE4C19D, 0xE4C19D, 0xE4C19D, 0xE4C19D,
     0xE4C19D, kKeep, kKeep, kKeep, kKeep, ssOffice2007},
    {gsWindowsVista, 0xFFF7E3, 0xFFF7E3, 0xFFEDBD, 0xFBE7B7, 0xE3C993, 0xF9E4BC, 0xF9E4BC, 0xF7D68D, 0xF5D18A,
     0xAE904F, 0xFCF9F2, 0xFCF9F2, 0xF9F1E1, 0xF6ECD8, ssVista},
    {gsWindows7, 0xFEFBF8, 0xFAF2ED, 0xF4E4D7, 0xE8D2C1, 0xEEE8E3, 0xF1E8DD, 0xF1E4D8, 0xECDBCF, 0xEDDCCF, 0xD5BCAA,
     0xFCF9F2, 0xFCF9F2, 0xF9F1E1, 0xF6ECD8, ssWin7},
    {gsOffice2010Blue, 0x6BDFFF, 0xAFEFFF, 0xAFEFFF, 0xE6FCFF, 0x3ABFE8, 0x5BD5FF, 0x64E0FF, 0x64E0FF, 0x71EFFF,
     0x308AC2, 0xD6CEC7, 0xD6CEC7, 0xD6CEC7, 0xD6CEC7, ssDefault},
    {gsOffice2010Silver, 0x6BDFFF, 0xAFEFFF, 0xAFEFFF, 0xE6FCFF, 0x3ABFE8, 0x5BD5FF, 0x64E0FF, 0x64E0FF, 0x71EFFF,
     0x308AC2, 0xAAAAAA, 0xAAAAAA, 0xAAAAAA, 0xAAAAAA, ssDefault},
    {gsOffice2010Black, 0x6BDFFF, 0xAFEFFF, 0xAFEFFF, 0xE6FCFF, 0x3ABFE8, 0x5BD5FF, 0x64E0FF, 0x64E0FF, 0x71EFFF,
     0x308AC2, 0xBABABA, 0xBABABA, 0xBABABA, 0xBABABA, ssDefault},
};

template <typename Set>
void setIf(TColor v, Set set) {
    if (v != kKeep) set(v);
}

}  // namespace

// ---------------------------------------------------------------- mixing

TColor TExStringGrid::MixColors(TColor A, TColor B, int Percent) {
    if (Percent >= 100) return A;
    if (Percent < 1 || A == clNone) return B;
    if (B == clNone) return A;
    const TColor a = plat::ColorToRGB(A), b = plat::ColorToRGB(B);
    const double p = Percent / 100.0;
    const auto mix = [p](int x, int y) {
        const int v = int(std::nearbyint(p * x + (1 - p) * y));  // halves to even
        return std::min(v, 255);
    };
    return plat::RGB(mix(plat::GetRValue(a), plat::GetRValue(b)), mix(plat::GetGValue(a), plat::GetGValue(b)),
                     mix(plat::GetBValue(a), plat::GetBValue(b)));
}

TColor TExStringGrid::SelectionMixColor(TColor SelColor, TColor CellColor, bool Mixer, int Factor) {
    return Mixer ? MixColors(SelColor, CellColor, Factor) : SelColor;
}

// ---------------------------------------------------------------- one cell's colours

bool TExStringGrid::IsSelectedCell(int ACol, int ARow) const {
    for (int i = 0; i + 1 < FSelectedCells->Count(); i += 2)
        if (FSelectedCells->Items(i) == ACol && FSelectedCells->Items(i + 1) == ARow) return true;
    return false;
}

void TExStringGrid::GetVisualProperties(int ACol, int ARow, plat::TGridDrawState& AState, bool Print, bool Select,
                                        bool Remap, plat::TBrush& ABrush, TColor& AColorTo, TColor& AMirrorColor,
                                        TColor& AMirrorColorTo, plat::TFont& AFont, TAlignment& HA, TVAlignment& VA,
                                        bool& WW, TCellGradientDirection& GD) {
    const TMouseActions& ma = *FMouseActions;
    const bool printFonts = Print && !FPrintSettings->UseDisplayFont();
    // 1. Font.
    if (ACol >= FixedCols() && ARow >= FixedRows())
        AFont.Assign(printFonts ? FPrintSettings->Font() : Font());
    else
        AFont.Assign(printFonts ? FPrintSettings->FixedFont() : FFixedFont);
    // 2. The real column and the row the selection marks are kept by.
    const int C = Remap ? RealColIndex(ACol) : ACol;
    const int SelRow = (ma.DisjunctRowSelect() && ma.RowSelectPersistent()) || FUseEnabledRows ? RealRowIndex(ARow) : ARow;
    // 3.
    ABrush.SetColor(clNone);
    AColorTo = AMirrorColor = AMirrorColorTo = clNone;
    bool ownColour = false;
    // 4. The cell's own properties.
    if (CellHasProperties(C, ARow)) {
        const TCellProperties* p = GridObjects(C, ARow);
        ABrush.SetColor(p->BrushColor());
        const TCellType kind = GetCellType(C, ARow);
        if ((kind == ctNone || kind == ctRotated || kind == ctEmpty) && p->BrushColor() != clNone) ownColour = true;
        if (p->FontColor() != clNone) AFont.SetColor(p->FontColor());
        if (!p->FontStyle().empty()) AFont.SetStyle(p->FontStyle());
        if (p->FontSize() != 0) AFont.SetSize(p->FontSize());
        if (!p->FontName().isEmpty()) AFont.SetName(p->FontName());
        WW = p->WordWrap();
        AColorTo = p->BrushColorTo();
        GD = p->GradientDirection();
    }
    // 5.
    if (AState.contains(plat::gdSelected)) GD = GradientVertical;
    // 6. Base colour: grid, bands, fixed colour.
    if (ABrush.Color() == clNone) {
        ABrush.SetColor(Color());
        const TBands& b = *FBands;
        if (b.Active() && (!Print || b.Print()) && ACol >= FixedCols() &&
            ACol < ColCount() + NumHiddenColumns() - FFixedRightCols && ARow >= FixedRows() &&
            ARow < RowCount() - FFixedFooters) {
            if (b.TotalLength() > 0)
                ABrush.SetColor((ARow - FixedRows()) % b.TotalLength() < b.PrimaryLength() ? b.PrimaryColor()
                                                                                           : b.SecondaryColor());
        }
        if (ACol < FixedCols() || ARow < FixedRows() || ACol >= ColCount() - FFixedRightCols ||
            ARow >= RowCount() - FFixedFooters)
            ABrush.SetColor(FixedColor());
    }
    // 7. Fixed cells.
    bool fixed = false;
    IsFixedCell(C, ARow, fixed);
    fixed = fixed || ACol < FixedCols() || ARow < FixedRows();
    if (fixed && !ownColour) {
        if (!Print) {
            ABrush.SetColor(FixedColor());
            AFont.Assign(FFixedFont);
            AState.include(plat::gdFixed);
        }
        if (FLook >= glVEZ) {
            ABrush.SetColor(FVEZGradientFrom);
            AColorTo = FVEZGradientTo;
            AMirrorColor = FVEZGradientMirrorFrom;
            AMirrorColorTo = FVEZGradientMirrorTo;
        }
    }
    // 8. The colour query.
    if (Print)
        GetCellPrintColor(C, ARow, AState, ABrush, AFont);
    else
        GetCellColor(C, ARow, AState, ABrush, AFont);
    // 9.
    if (OnGetCellGradient) {
        TColor c = ABrush.Color();
        OnGetCellGradient(this, ARow, C, c, AColorTo, AMirrorColor, AMirrorColorTo, GD);
        ABrush.SetColor(c);
    }
    // 10.
    const TColor R0 = ABrush.Color(), F0 = AFont.Color();
    const bool mouseDown = GridState() == plat::gsSelecting;
    const auto applySelection = [&] {
        ABrush.SetColor(FSelectionColor);
        AColorTo = FSelectionColorTo;
        AMirrorColor = FSelectionMirrorColor;
        AMirrorColorTo = FSelectionMirrorColorTo;
        if (FSelectionTextColor != clNone) AFont.SetColor(FSelectionTextColor);
    };
    const bool normal = ACol >= FixedCols() && ARow >= FixedRows() && !fixed;
    const bool selectable = normal && !Print && Select && FShowSelection;
    // 11. Disjunct rows.
    if (ma.DisjunctRowSelect()) {
        const bool marked = SelRow >= 0 && size_t(SelRow) < FRowSelect.size() && FRowSelect[size_t(SelRow)];
        if (selectable && ((marked && !(mouseDown && ARow == Row())) ||
                           (mouseDown && !marked && AState.contains(plat::gdSelected)))) {
            AState = plat::TGridDrawState{plat::gdSelected};
            applySelection();
        } else {
            AState.exclude(plat::gdSelected);
        }
    }
    // 12. Disjunct columns.
    if (ma.DisjunctColSelect() && selectable) {
        const bool marked = size_t(ACol) < FColSelect.size() && FColSelect[size_t(ACol)];
        if ((marked && !(mouseDown && ACol == Col())) ||
            (mouseDown && !marked && AState.contains(plat::gdSelected))) {
            AState = plat::TGridDrawState{plat::gdSelected};
            applySelection();
        }
    }
    // 13. Range selection.
    const plat::TGridRect sel = Selection();
    const bool inRange = ACol >= std::min(sel.Left, sel.Right) && ACol <= std::max(sel.Left, sel.Right) &&
                         ARow >= std::min(sel.Top, sel.Bottom) && ARow <= std::max(sel.Top, sel.Bottom);
    if ((Select && !Print && FShowSelection && !fixed && inRange && !ma.DisjunctRowSelect() &&
         !ma.DisjunctColSelect()) ||
        (AState.contains(plat::gdSelected) && mouseDown && FShowSelection)) {
        const TColor cell = ABrush.Color();
        ABrush.SetColor(cell == Color() ? FSelectionColor
                                        : SelectionMixColor(FSelectionColor, cell, FSelectionColorMixer,
                                                            FSelectionColorMixerFactor));
        AColorTo = FSelectionColorTo;
        AMirrorColor = FSelectionMirrorColor;
        AMirrorColorTo = FSelectionMirrorColorTo;
        if (FSelectionTextColor != clNone) AFont.SetColor(FSelectionTextColor);
        AState.include(plat::gdSelected);
    }
    // 14. Disjunct cells.
    if (ma.DisjunctCellSelect() && FShowSelection) {
        if (IsSelectedCell(ACol, ARow)) {
            applySelection();
            AState.include(plat::gdSelected);
        } else if (ACol == Col() && ARow == Row()) {
            AState.exclude(plat::gdSelected);
            ABrush.SetColor(R0);
            AFont.SetColor(F0);
        }
    }
    // 15. Disabled rows.
    if (FUseDisabledFont && ((FUseEnabledRows && !GetRowEnabled(SelRow)) || !isEnabled()))
        AFont.SetColor(FDisabledFontColor);
    // 16. Selected rows outside the current one are a shade lighter, never wrapped round to dark.
    if (AState.contains(plat::gdSelected) && ARow != Row() && ma.DisjunctRowSelect() && FSelectionColorTo == clNone &&
        ABrush.Color() != clNone)
        ABrush.SetColor(AdjustColorPercent(ABrush.Color(), 7));
    // 17.
    GetWordWrap(C, ARow, WW);
    std::tie(HA, VA) = GetCellAlignment(C, ARow);
}

// ---------------------------------------------------------------- presets

void TExStringGrid::SetStyle(TExGridStyle AStyle) {
    // First step, for every style.
    FSelectionColor = plat::clHighlight;
    FSelectionColorTo = clNone;
    FSelectionTextColor = plat::clHighlightText;
    SetSelectionStyle(ssDefault);
    TSortSettings& sort = *FSortSettings;
    sort.SetHeaderColor(clNone);
    sort.SetHeaderColorTo(clNone);
    sort.SetHeaderMirrorColor(clNone);
    sort.SetHeaderMirrorColorTo(clNone);
    TControlLook& cl = *FControlLook;
    cl.Init();

    const StyleRow& s = kStyles[AStyle];
    // The look first: its writer may bring its own style, which this one's values then override.
    if (s.look >= 0) SetLook(TGridLook(s.look));
    if (AStyle == gsOffice2010Blue || AStyle == gsOffice2010Silver || AStyle == gsOffice2010Black) {
        cl.SetFixedGradientHoverFrom(clNone);
        cl.SetFixedGradientHoverTo(clNone);
    }
    setIf(s.fixFrom, [&](TColor v) { FVEZGradientFrom = v; });
    setIf(s.fixTo, [&](TColor v) { FVEZGradientTo = v; });
    setIf(s.fixMirrorFrom, [&](TColor v) { FVEZGradientMirrorFrom = v; });
    setIf(s.fixMirrorTo, [&](TColor v) { FVEZGradientMirrorTo = v; });
    if (AStyle != gsCustom && AStyle != gsTerminal) {
        cl.SetFixedGradientFrom(s.copied ? s.fixFrom : clNone);
        cl.SetFixedGradientTo(s.copied ? s.fixTo : clNone);
    }
    setIf(s.activeColor, [&](TColor v) { FActiveCellColor = v; });
    setIf(s.activeTo, [&](TColor v) { FActiveCellColorTo = v; });
    setIf(s.selColor, [&](TColor v) { FSelectionColor = v; });
    setIf(s.selTo, [&](TColor v) { FSelectionColorTo = v; });
    setIf(s.selText, [&](TColor v) { FSelectionTextColor = v; });
    setIf(s.line, [&](TColor v) { SetGridLineColor(v); });
    setIf(s.fixedLine, [&](TColor v) { SetGridFixedLineColor(v); });
    for (const StyleExtras& e : kExtras) {
        if (e.style != AStyle) continue;
        const bool throughLook = AStyle != gsOffice2007Luna;
        if (throughLook) {
            cl.SetFixedGradientHoverFrom(e.hoverFrom);
            cl.SetFixedGradientHoverTo(e.hoverTo);
            cl.SetFixedGradientHoverMirrorFrom(e.hoverMirrorFrom);
            cl.SetFixedGradientHoverMirrorTo(e.hoverMirrorTo);
        }
        FVEZGradientHoverFrom = e.hoverFrom;
        FVEZGradientHoverTo = e.hoverTo;
        FVEZGradientHoverMirrorFrom = e.hoverMirrorFrom;
        FVEZGradientHoverMirrorTo = e.hoverMirrorTo;
        FVEZGradientHoverBorder = e.hoverBorder;
        FVEZGradientDownFrom = e.downFrom;
        FVEZGradientDownTo = e.downTo;
        FVEZGradientDownMirrorFrom = e.downMirrorFrom;
        FVEZGradientDownMirrorTo = e.downMirrorTo;
        FVEZGradientDownBorder = e.downBorder;
        setIf(e.sortFrom, [&](TColor v) { sort.SetHeaderColor(v); });
        setIf(e.sortTo, [&](TColor v) { sort.SetHeaderColorTo(v); });
        setIf(e.sortMirrorFrom, [&](TColor v) { sort.SetHeaderMirrorColor(v); });
        setIf(e.sortMirrorTo, [&](TColor v) { sort.SetHeaderMirrorColorTo(v); });
        if (AStyle != gsOffice2007Luna || FLook == glOffice2007) SetSelectionStyle(e.selStyle);
        if (AStyle != gsOffice2007Luna) {
            // These styles paint their fixed cells from the grid's gradient alone.
            cl.SetFixedGradientFrom(clNone);
            cl.SetFixedGradientTo(clNone);
        }
    }
    if (AStyle == gsWindows7) FVEZGradientHoverBorder = 0xEEE8E3;
    setIf(s.footerColor, [&](TColor v) { FSearchFooter->SetColor(v); });
    if (s.footerTo == kKeep && AStyle == gsOffice2007Silver)
        FSearchFooter->SetColorTo(FVEZGradientMirrorTo);
    else
        setIf(s.footerTo, [&](TColor v) { FSearchFooter->SetColorTo(v); });
    UpdateSearchPanel();
    RepaintGrid();
}

void TExStringGrid::SetComponentStyle(TSkinStyle AStyle) {
    FStyle = AStyle;
    SetStyle(TExGridStyle(AStyle));
    if (!IsDesignTime()) StyleDropDownEditors(AStyle);
    if (AStyle != tsCustom && FScrollType == ssMetro) SetScrollType(ssNormal);
}

void TExStringGrid::SetColorTones(const TColorTones& ATones) {
    FTones = ATones;
    SetLook(glClassic);
    FFlat = true;
    SetScrollType(ssMetro);
    SetFixedColor(ATones.Foreground.BrushColor);
    const QString ui = DefaultUIFontName();
    FFixedFont.SetColor(ATones.Foreground.TextColor);
    FFixedFont.SetName(ui);
    SetColor(ATones.Background.BrushColor);
    Font().SetName(ui);
    Font().SetColor(ATones.Background.TextColor);
    FSelectionColor = ATones.Selected.BrushColor;
    FSelectionTextColor = ATones.Selected.TextColor;
    FSelectionColorTo = clNone;
    SetGridLineColor(0xE6E6E6);
    SetGridFixedLineColor(AdjustColorPercent(ATones.Foreground.BrushColor, -20));
    SetBorderStyle(plat::bsNone);
    FControlLook->SetControlStyle(csGlyph);
    const struct {
        void (TControlLook::*set)(const plat::TBitmap&);
        const char* name;
    } glyphs[] = {{&TControlLook::SetCheckedGlyph, "metrocheckon"},
                  {&TControlLook::SetUnCheckedGlyph, "metrocheckoff"},
                  {&TControlLook::SetRadioOffGlyph, "metroradiooff"},
                  {&TControlLook::SetRadioOnGlyph, "metroradioon"}};
    for (const auto& g : glyphs) {
        plat::TBitmap bmp;
        bmp.LoadFromResourceName(QString::fromLatin1(g.name));
        (FControlLook.get()->*g.set)(bmp);
    }
    // The in-place editors' buttons and the drop-down editors join when they exist.
    FControlLook->SetFlatButton(true);
    FFloatingFooter->SetColor(ATones.Foreground.BrushColor);
    FSearchFooter->SetColor(ATones.Foreground.BrushColor);
    FSearchFooter->SetColorTo(ATones.Foreground.BrushColor);
    FCellNode->SetNodeType(cnFlat);
    UpdateSearchPanel();
    RepaintGrid();
}

void TExStringGrid::SetTheme(TXPColorScheme Scheme) {
    static const struct {
        TColor from, to, mirrorFrom, mirrorTo, active, activeTo, footer, footerTo;
        bool copied;
    } kThemes[] = {
        /* xpNone */ {kWhite, plat::clBtnFace, clNone, clNone, kWhite, 0xFFD9B3, kWhite, 0xFFD9B3, false},
        /* xpBlue */ {0xFCE1CB, 0xE0A57D, clNone, clNone, 0x94E6FB, 0x1595EE, 0xFCE1CB, 0xE0A57D, true},
        /* xpGreen */ {0xCFF0EA, 0x8CC0B1, clNone, clNone, 0x94E6FB, 0x1595EE, 0xCFF0EA, 0x8CC0B1, true},
        /* xpGray */ {0xECE2E1, 0xB39698, clNone, clNone, 0x94E6FB, 0x1595EE, 0xECE2E1, 0xB39698, true},
        /* vistaAero */ {kWhite, kWhite, 0xFAF8F7, 0xF4F2F1, 0x94E6FB, 0x1595EE, 0xECE2E1, 0xB39698, true},
    };
    const auto& t = kThemes[Scheme];
    FVEZGradientFrom = t.from;
    FVEZGradientTo = t.to;
    FVEZGradientMirrorFrom = t.mirrorFrom;
    FVEZGradientMirrorTo = t.mirrorTo;
    FActiveCellColor = t.active;
    FActiveCellColorTo = t.activeTo;
    FControlLook->SetFixedGradientFrom(t.copied ? t.from : clNone);
    FControlLook->SetFixedGradientTo(t.copied ? t.to : clNone);
    FSearchFooter->SetColor(t.footer);
    FSearchFooter->SetColorTo(t.footerTo);
    UpdateSearchPanel();
    RepaintGrid();
}

void TExStringGrid::AdaptToOfficeTheme() {
    if (IsDesignTime()) return;
    // Without an Office installation there is no theme to follow.
    const TOfficeTheme theme = OfficeVersion() > 0 ? DetectOfficeTheme() : otUnknown;
    if (theme == FOldOfficeTheme) return;
    static const TSkinStyle kByTheme[] = {tsOffice2003Blue, tsOffice2003Silver, tsOffice2003Olive,
                                          tsOffice2003Classic, tsOffice2007Luna, tsOffice2007Silver,
                                          tsOffice2007Obsidian, tsOffice2010Blue, tsOffice2010Silver,
                                          tsOffice2010Black};
    if (theme != otUnknown) SetComponentStyle(kByTheme[theme]);
    FOldOfficeTheme = theme;
}

void TExStringGrid::SetSyncGrid(const TSyncGrid& Value) { FSyncGrid->Assign(&Value); }

// ---------------------------------------------------------------- the Look writer

void TExStringGrid::SetLook(TGridLook Value) {
    if (FLook == Value) return;
    FLook = Value;
    TControlLook& cl = *FControlLook;
    if (Value != glCustom) {
        cl.SetFixedGradientMirrorFrom(clNone);
        cl.SetFixedGradientMirrorTo(clNone);
        cl.SetFixedGradientFrom(clNone);
        cl.SetFixedGradientTo(clNone);
        FVEZGradientFrom = FVEZGradientTo = FVEZGradientMirrorFrom = FVEZGradientMirrorTo = clNone;
        FSortSettings->SetHeaderColor(clNone);
    }
    if (Value == glVista || Value == glWin7 || Value == glOffice2007) {
        const TExGridStyle style = Value == glVista ? gsWindowsVista : Value == glWin7 ? gsWindows7 : gsOffice2007Luna;
        SetStyle(style);
        SetSelectionStyle(Value == glVista ? ssVista : Value == glWin7 ? ssWin7 : ssOffice2007);
    } else if (Value != glCustom) {
        if (!IsDesignTime()) StyleDropDownEditors(tsWindowsXP);
        SetSelectionStyle(ssDefault);
        if (!FLoading) {
            if (Value == glStandard || Value == glSoft || Value == glClassic) {
                SetFixedColor(plat::clBtnFace);
                FVEZGradientFrom = plat::clBtnFace;
                FVEZGradientTo = clNone;
            } else {
                FVEZGradientFrom = kWhite;
                FVEZGradientTo = Value == glVEZ ? TColor(0xC0C0C0) : plat::ColorToRGB(plat::clBtnFace);
            }
            SetGridFixedLineColor(0x808080);
            FVEZGradientMirrorFrom = FVEZGradientMirrorTo = clNone;
            SetGridLineColor(0xC0C0C0);
        }
        if (Value != glVEZ && Value != glXP) {
            FActiveCellColor = 0x808080;
            FActiveCellColorTo = clNone;
            FSelectionColor = plat::clHighlight;
            FSelectionTextColor = plat::clHighlightText;
            FSearchFooter->SetColor(plat::clBtnFace);
            FSearchFooter->SetColorTo(plat::clBtnFace);
        } else {
            FActiveCellColor = FSelectionColor = 0xEACAB6;
            FActiveCellColorTo = FSelectionColorTo = clNone;
            FSelectionTextColor = kBlack;
            FSearchFooter->SetColor(FVEZGradientFrom);
            FSearchFooter->SetColorTo(FVEZGradientTo);
            FVEZGradientHoverFrom = 0xCFD0D1;
            FVEZGradientHoverTo = 0xBEC6C8;
            FVEZGradientHoverMirrorFrom = 0xBEC6C8;
            FVEZGradientHoverMirrorTo = 0xABBCBF;
            FVEZGradientDownFrom = 0x868788;
            FVEZGradientDownTo = 0x737C7E;
            FVEZGradientDownMirrorFrom = 0x737C7E;
            FVEZGradientDownMirrorTo = 0x627376;
        }
    }
    SetScrollType(ssNormal);
    SetBorderStyle(plat::bsSingle);
    SetBorderColor(0xB99D7F);
    UpdateSearchPanel();
    RepaintGrid();
    if (FFloatingFooter->Visible()) FFooterPanel->update();
}
