// Cell layout and text metrics, the small hooks around them, and the grid's look and URL display.
#include "controls/ExHTMLRender.h"
#include "controls/ExHTMLUtil.h"
#include "controls/ExUtil.h"
#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"
#include "platform/Format.h"
#include "platform/ImageList.h"

#include <QtMath>
#include <array>
#include <cmath>
#include <cstdlib>

namespace {

// ClassifyNumberText's answers that are numbers: whole, with separators, scientific.
bool isNumberClass(int c) { return c == 0 || c == 1 || c == 5; }

// A wide-encoded text that stands for a formula.
bool isWideFormula(const QString& s) {
    return s.size() > 3 && s[0] == u'|' && s[1] == u'\\' && s[3] == u'=';
}

}  // namespace

// ---------------------------------------------------------------- alignment and fonts

std::pair<TAlignment, TVAlignment> TExStringGrid::GetCellAlignment(int ACol, int ARow) {
    TAlignment ha = FDefaultAlignment;
    TVAlignment va = FVAlignment;
    bool formula = false;
    if (FAutoNumAlign) {
        QString s = GetCellEx(ACol, ARow);
        formula = s.startsWith(u'=');
        if (formula || isWideFormula(s)) GetCellTextForCalc(ACol, ARow, s);
        if (isNumberClass(ClassifyNumberText(s.trimmed()))) ha = taRightJustify;
    }
    if (CellHasProperties(ACol, ARow) && !formula) ha = GridObjects(ACol, ARow)->Alignment();
    GetCellAlign(ACol, ARow, ha, va);
    return {ha, va};
}

void TExStringGrid::GetFontProperties(int ACol, int RCol, int ARow, plat::TGridDrawState& AState, plat::TFont& AFont,
                                      plat::TBrush& ABrush, bool) {
    bool fixed = false;
    IsFixedCell(RCol, ARow, fixed);
    fixed = fixed || ACol < FixedCols() || ARow < FixedRows();
    AFont.Assign(fixed ? FFixedFont : Font());
    if (CellHasProperties(RCol, ARow)) {
        const TCellProperties* p = GridObjects(RCol, ARow);
        if (p->FontColor() != plat::clNone) AFont.SetColor(p->FontColor());
        if (!p->FontStyle().empty()) AFont.SetStyle(p->FontStyle());
        if (p->FontSize() != 0) AFont.SetSize(p->FontSize());
        if (!p->FontName().isEmpty()) AFont.SetName(p->FontName());
    }
    GetCellColor(RCol, ARow, AState, ABrush, AFont);
}

// ---------------------------------------------------------------- text size

QSize TExStringGrid::GetCellTextSize(int ACol, int ARow, bool VS, bool SB) {
    return CalcCellTextSize(ACol, DisplColIndex(ACol), ARow, VS, SB);
}

QSize TExStringGrid::CalcCellTextSize(int ACol, int DisplayCol, int ARow, bool VS, bool SB) {
    QString text = GetFormattedCell(ACol, ARow);
    const int kind = ClassifyCellText(text, FEnableHTML);
    plat::TCanvas& cv = Canvas();
    const plat::TFont keptFont = cv.Font();
    plat::TGridDrawState state;
    plat::TBrush brush;
    // The cell's own font values are read at its real column.
    GetFontProperties(DisplayCol, ACol, ARow, state, cv.Font(), brush, true);
    if ((DisplayCol < FixedCols() || ARow < FixedRows()) && FActiveCellShow &&
        FActiveCellFont.Style().contains(plat::fsBold)) {
        plat::TFontStyles st = cv.Font().Style();
        st.include(plat::fsBold);
        cv.Font().SetStyle(st);
    }
    cv.Font().SetSize(cv.Font().Size() + FZoomFactor);
    if (kind == 3) GetCellTextForCalc(ACol, ARow, text);

    plat::TRect r = CellRect(DisplayCol, ARow);
    if (r.IsEmpty()) {
        // Off screen: the cell's size from the axes.
        r = {0, 0, DisplayCol >= 0 && DisplayCol < ColCount() ? ColWidths(DisplayCol) : 0,
             ARow >= 0 && ARow < RowCount() ? RowHeights(ARow) : 0};
    }
    if (FXYOffsetTopLeftOnly) {
        r.Left += FXYOffset.x();
        r.Top += FXYOffset.y();
    } else {
        r.Left += FXYOffset.x();
        r.Top += FXYOffset.y();
        r.Right -= FXYOffset.x();
        r.Bottom -= FXYOffset.y();
    }
    if (SB) r.Right -= 17;

    QSize result;
    if (kind == 2 && !IsDesignTime()) {
        // RTF: the converter lays its content out for the cell (wrapped at the cell's width with the
        // grid's word wrap) and the size it asks for is the cell's.
        TExRichEdit& conv = *RichEdit();
        CellToRich(ACol, ARow, &conv);
        const QSize req = conv.RequestResize(FWordWrapEx ? std::max(0, r.Right - r.Left) : -1);
        result = QSize(req.width(), req.height() + 4);
    } else if (kind == 1) {
        if (!VS) r.Right = 65535;
        r.Bottom = 65535;
        THTMLRenderIn in;
        in.Text = text;
        in.Rect = r;
        in.URLColor = FURLColor;
        in.Container = FPictureContainer;
        in.WordWrap = VS;
        THTMLRenderOut out;
        RenderHTML(cv, in, out);
        result = QSize(out.XSize + 2, out.YSize + 2);
    } else {
        int angle = 0;
        const bool rotated = IsRotated(ACol, ARow, angle);
        if (VS) {
            r.Left += 2;
            r.Top += 2;
            r.Right -= 2;
            r.Bottom -= 2;
            if (EditorMode() && RealColIndex(Col()) == ACol && Row() == ARow && text.endsWith(u'\n')) text += u'w';
            plat::TRect m = r;
            const unsigned flags = plat::DT_CALCRECT | plat::DT_EDITCONTROL | plat::DT_NOPREFIX | plat::DT_EXPANDTABS |
                                   (rotated ? plat::DT_SINGLELINE : plat::DT_WORDBREAK);
            const int h = cv.DrawText(text, m, flags);
            result = QSize(m.Right - r.Left, h);
        } else {
            QStringList lines;
            int from = 0;
            while (true) {
                const int cr = text.indexOf(u'\r', from);
                if (cr < 0) {
                    lines << text.mid(from);
                    break;
                }
                lines << text.mid(from, cr - from);
                from = cr + 1;
                if (from < text.size() && text[from] == u'\n') ++from;
                if (!FMultilinecells) break;
            }
            if (!FMultilinecells) lines = lines.mid(0, 1);
            int w = 0;
            for (QString line : lines) {
                if (FURLShow && !FURLFull && ClassifyCellText(line, FEnableHTML) == 0) StripURLScheme(line);
                w = std::max(w, cv.TextWidth(line));
            }
            result = QSize(w, cv.TextHeight(QStringLiteral("gh")) * int(lines.size()));
        }
        if (rotated) {
            const double a = angle * M_PI / 180.0;
            const double s = std::sin(a), c = std::cos(a);
            // Each product cut toward zero; the difference, not the sum.
            const int hs = std::abs(int(result.height() * s)), wc = std::abs(int(result.width() * c));
            const int hc = std::abs(int(result.height() * c)), ws = std::abs(int(result.width() * s));
            result = QSize(std::abs(hs - wc) + 12, std::abs(hc - ws) + 12);
        }
    }
    cv.Font().Assign(keptFont);
    return result;
}

// ---------------------------------------------------------------- formatted text

QString TExStringGrid::GetFormattedCell(int ACol, int ARow) {
    const QString text = GetCellEx(ACol, ARow);
    if (!OnGetFloatFormat || !isNumberClass(ClassifyNumberText(text))) return text;
    bool isFloat = true;
    QString fmt = FFloatFormat;
    OnGetFloatFormat(this, ACol, ARow, isFloat, fmt);
    if (!isFloat || fmt.isEmpty()) return text;
    try {
        if (fmt.contains(u'd')) return plat::Format(fmt, {GetInts(ACol, ARow)});
        return plat::Format(fmt, {GetFloats(ACol, ARow)});
    } catch (const plat::Error&) {
        return text;
    } catch (const std::exception&) {
        return text;
    }
}

// ---------------------------------------------------------------- graphic layout

TCellGraphic* TExStringGrid::CellGraphicLayout(int ACol, int ARow, int& W, int& H, TCellHAlign& HAlign,
                                               TCellVAlign& VAlign, bool& DrawText) {
    W = H = 0;
    HAlign = haLeft;
    VAlign = vaTop;
    DrawText = true;
    TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g) return nullptr;
    HAlign = g->CellHAlign;
    VAlign = g->CellVAlign;
    const int check = FControlLook->CheckSize();
    const plat::TImageList* images = GetGridImages();
    switch (g->CellType) {
        case ctBitmap:
            if (g->CellBitmap) W = g->CellBitmap->Width(), H = g->CellBitmap->Height();
            break;
        case ctIcon:
            if (g->CellIcon) W = g->CellIcon->Width(), H = g->CellIcon->Height();
            break;
        case ctDataImage:
            DrawText = false;
            [[fallthrough]];
        case ctImageList:
            if (images) W = images->Width(), H = images->Height();
            break;
        case ctCheckBox:
        case ctTriStateCheckBox: W = H = check; break;
        case ctDataCheckBox:
        case ctVirtCheckBox:
        case ctRowCheckBox:
            W = H = check;
            DrawText = false;
            break;
        case ctRotated:
        case ctRadio:
        case ctProgress:
        case ctRangeIndicator:
        case ctXPProgress: DrawText = false; break;
        case ctImages:
            if (images && g->CellImages) {
                const int n = g->CellImages->Count();
                if (g->CellBoolean)
                    W = n * images->Width(), H = images->Height();
                else
                    W = images->Width(), H = n * images->Height();
            }
            break;
        case ctPicture:
        case ctFilePicture: {
            const int d = DisplColIndex(ACol);
            QPoint size;
            g->GetPictureSize(d >= 0 && d < ColCount() ? ColWidths(d) : 0, ARow >= 0 && ARow < RowCount() ? RowHeights(ARow) : 0,
                              pictureSize(*g), size);
            W = size.x();
            H = size.y();
            break;
        }
        case ctButton:
        case ctBitButton:
            W = g->CellIndex & 0xFFFF;
            H = (g->CellIndex >> 16) & 0xFFFF;
            break;
        case ctProgressPie: W = H = 20; break;
        case ctInterface:
            if (const auto* d = dynamic_cast<const IGridCellDrawer*>(g->CellObject)) W = d->GetWidth(), H = d->GetHeight();
            break;
        case ctRadioButton: W = H = FControlLook->RadioSize() + 4; break;
        case ctShape: W = H = (ARow >= 0 && ARow < RowCount() ? RowHeights(ARow) : DefaultRowHeight()) - 2 * FXYOffset.y(); break;
        case ctRating:
            W = g->CellAngle * 18;
            H = 16;
            DrawText = false;
            break;
        default: break;
    }
    return g;
}

// ---------------------------------------------------------------- hooks

void TExStringGrid::SelectionChanged(int ALeft, int ATop, int ARight, int ABottom) {
    if (FLook == glVista || FLook == glWin7 || FLook == glOffice2007) RepaintRect(Selection());
    FSelChange = true;
    if (OnSelectionChanged) OnSelectionChanged(this, ALeft, ATop, ARight, ABottom);
}

void TExStringGrid::AutoInsertRow(int ARow) {
    if (!HasNodes()) {
        InsertRows(ARow, 1);
        return;
    }
    if (GetParentRow(ARow) < 0)
        InsertNormalRow(RealRowIndex(ARow));
    else
        InsertChildRow(RealRowIndex(ARow), 0);
}

void TExStringGrid::AutoDeleteRow(int ARow) {
    if (HasNodes()) {
        if (GetParentRow(ARow) < 0)
            RemoveNormalRow(RealRowIndex(ARow));
        else
            RemoveChildRow(RealRowIndex(ARow));
    } else if (RowCount() - FixedRows() - FFixedFooters != 1 || FFixedRowAlways) {
        RemoveRows(ARow, 1);
    } else {
        ClearRows(ARow, 1);
    }
    if (OnAutoDeleteRow) OnAutoDeleteRow(this, ARow);
}

void TExStringGrid::FilterDone() {
    if (OnFilterDone) OnFilterDone(this);
}

void TExStringGrid::FixedEdit(int ACol, int ARow, TGridFixedCellEditor& AEditor, QStringList& Values) {
    if (OnFixedEdit) OnFixedEdit(this, ACol, ARow, AEditor, Values);
}

void TExStringGrid::GetCellTextForCalc(int ACol, int ARow, QString& Value) { Value = GetCellEx(ACol, ARow); }

void TExStringGrid::GetSaveCellText(int ACol, int ARow, QString& Value) {
    Value = FSaveVirtCells ? GetFormattedCell(ACol, ARow) : GridCells(ACol, ARow);
    if (Value.isEmpty()) {
        // A check box's state as its check text; the check-box issue gives the state itself.
        const TCellGraphic* g = ownGraphic(ACol, ARow);
        if (g && (g->CellType == ctCheckBox || g->CellType == ctTriStateCheckBox)) {
            QString t = g->CellCheckBoxState == cbChecked ? CheckTrue : CheckFalse;
            if (g->CellCheckBoxState == cbChecked) GetCheckTrue(ACol, ARow, t); else GetCheckFalse(ACol, ARow, t);
            Value = t;
        }
    }
    const int kind = ClassifyCellText(Value, true);
    if (kind == 1 && !FSaveWithHTML) Value = StripHTMLTags(Value);
    if (kind == 2) {
        if (FSaveWithRTF) {
            Value.remove(u'\r');
            Value.remove(u'\n');
        }
        // Without a rich-text layer the text stands for its plain text.
    }
    if (OnSaveCell) OnSaveCell(this, ACol, ARow, Value);
}

void TExStringGrid::SetLoadCellText(int ACol, int ARow, QString Value) {
    if (OnLoadCell) OnLoadCell(this, ACol, ARow, Value);
    SetGridCells(ACol, ARow, Value);
}

// ---------------------------------------------------------------- URL display

void TExStringGrid::SetURLColor(TColor Value) {
    FURLColor = Value;
    if (FURLShow) RepaintGrid();
}
void TExStringGrid::SetURLFull(bool Value) {
    FURLFull = Value;
    if (FURLShow) RepaintGrid();
}
void TExStringGrid::SetURLShow(bool Value) {
    if (FURLShow == Value) return;
    FURLShow = Value;
    RepaintGrid();
}
void TExStringGrid::SetURLShowInText(bool Value) {
    if (FURLShowInText == Value) return;
    FURLShowInText = Value;
    RepaintGrid();
}

void TExStringGrid::DoGetDisplText(int ACol, int ARow, QString& Value) const {
    TBaseGrid::DoGetDisplText(ACol, ARow, Value);
    if (FURLShowInText) {
        static const std::array<QString, 7> prefixes = {
            QStringLiteral("HTTP://"), QStringLiteral("WWW."),   QStringLiteral("MAILTO:"), QStringLiteral("HTTPS://"),
            QStringLiteral("NNTP://"), QStringLiteral("FILE://"), QStringLiteral("FTP://")};
        const QString upper = Value.toUpper();
        for (const QString& p : prefixes) {
            if (!upper.contains(p)) continue;
            QString html;
            if (LinkFirstURL(Value, p, html)) Value = html;
            break;  // only the first prefix found
        }
    }
    if (FGrouping->ShowGroupCount() && ACol == 1) {
        auto* self = const_cast<TExStringGrid*>(this);
        if (self->IsNode(ARow)) {
            const int n = self->GetNodeSpan(ARow) - self->GetSubNodeCount(ARow) - 1;
            const QString fmt = FGrouping->GroupCountFormat();
            QString count = QStringLiteral(" (%1)").arg(n);
            if (!fmt.isEmpty()) {
                // A format the formatter refuses would fail at every paint: the plain count stands.
                try {
                    count = plat::Format(fmt, {n});
                } catch (const plat::Error&) {
                }
            }
            Value += count;
        }
    }
}

// ---------------------------------------------------------------- look

QString TExStringGrid::LookName(TGridLook Look) {
    static const char* const names[] = {"glStandard", "glSoft",  "glClassic", "glVEZ",       "glXP",
                                        "glListView", "glVista", "glWin7",    "glOffice2007"};
    return Look < glCustom ? QString::fromLatin1(names[Look]) : QString();
}

QString TExStringGrid::LookDisplayName(TGridLook Look) {
    static const char* const names[] = {"Standard", "Soft",          "Classic",   "VEZ",       "Windows XP",
                                        "ListView", "Windows Vista", "Windows 7", "Office2007"};
    return Look < glCustom ? QString::fromLatin1(names[Look]) : QString();
}

void TExStringGrid::RepaintActiveHeaders(int OldCol, int OldRow, int NewCol, int NewRow) {
    for (const auto& [c, r] : {std::pair{OldCol, OldRow}, std::pair{NewCol, NewRow}}) {
        if (FixedRows() > 0 && c >= 0 && c < ColCount()) RepaintCell(c, FixedRows() - 1);
        if (FixedCols() > 0 && r >= 0 && r < RowCount()) RepaintCell(FixedCols() - 1, r);
    }
}

bool TExStringGrid::IsSortIndicatorRow(int ACol, int ARow) {
    int r = ARow;
    if (IsMergedCell(ACol, ARow)) {
        const plat::TGridCoord b = BaseCell(ACol, ARow);
        r = b.Y + CellSpan(b.X, b.Y).Y;
    }
    return r == FSortSettings->Row() && FSortSettings->Show() && FixedRows() + 1 < RowCount();
}
