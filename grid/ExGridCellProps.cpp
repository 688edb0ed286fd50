// What the grid asks about one cell: colours, font, borders, alignment, editor, editability,
// fixedness, hint, check texts and column filter values.
#include "controls/ExUtil.h"
#include "grid/ExGrid.h"
#include "platform/DateTimePicker.h"

#include <QApplication>
#include <QPen>

namespace {

// The colour and font handed to events that speak Qt types, and what they changed taken back.
void fireColorEvent(const TGridColorEvent& Event, QObject* Sender, int ACol, int ARow, plat::TGridDrawState AState,
                    plat::TBrush& ABrush, plat::TFont& AFont) {
    TGridDrawState state;
    for (auto item : {plat::gdSelected, plat::gdFocused, plat::gdFixed})
        if (AState.contains(item)) state.include(static_cast<TGridDrawStateItem>(item));
    const QColor before = plat::ToQColor(ABrush.Color());
    QBrush brush(before);
    QFont font = AFont.ToQFont();
    Event(Sender, ARow, ACol, state, brush, font);
    // Only a colour the handler set comes back: none and system colours stay what they were.
    if (brush.color() != before) ABrush.SetColor(plat::FromQColor(brush.color()));
    AFont.AssignQFont(font);
}

void fireBorderEvent(const TGridBorderEvent& Event, QObject* Sender, int ACol, int ARow, plat::TPen& APen,
                     TCellBorders& Borders) {
    const QColor before = plat::ToQColor(APen.Color());
    QPen pen(before);
    pen.setWidth(APen.Width());
    Event(Sender, ARow, ACol, pen, Borders);
    if (pen.color() != before) APen.SetColor(plat::FromQColor(pen.color()));
    APen.SetWidth(pen.width());
}

bool lessNoCase(const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) < 0; }

// A sorted list that ignores duplicates, as the filter values are gathered.
void addSortedUnique(QStringList& List, const QString& S) {
    auto it = std::lower_bound(List.begin(), List.end(), S, lessNoCase);
    if (it != List.end() && QString::compare(*it, S, Qt::CaseInsensitive) == 0) return;
    List.insert(it, S);
}

// A value with a blank is offered as a display name and a quoted condition.
QString filterEntry(const QString& S) {
    return S.contains(u' ') ? S + QStringLiteral("=\"") + S + u'"' : S;
}

}  // namespace

void TExStringGrid::GetCellHint(int ACol, int ARow, QString& AHint, QString& AWideHint) {
    if (OnGridHint) OnGridHint(this, ARow, ACol, AHint);
    if (OnGridWideHint) {
        OnGridWideHint(this, ARow, ACol, AWideHint);
        // The hint painter decodes the wide form.
        if (!AWideHint.isEmpty()) AHint = EncodeWideText(AWideHint);
    }
}

void TExStringGrid::GetCellColor(int ACol, int ARow, plat::TGridDrawState AState, plat::TBrush& ABrush,
                                 plat::TFont& AFont) {
    if (ActiveCellShow()) {
        const int d = DisplColIndex(ACol);
        if ((ARow == Row() && FixedCols() > 0 && d == FixedCols() - 1) ||
            (d == Col() && FixedRows() > 0 && ARow == FixedRows() - 1)) {
            AFont.Assign(FActiveCellFont);
            ABrush.SetColor(ActiveCellColor());
        }
    }
    if (CellHasProperties(ACol, ARow)) {
        const TCellProperties* p = GridObjects(ACol, ARow);
        // Kinds that paint over their own background keep the painter's brush.
        switch (GetCellType(ACol, ARow)) {
        case ctIcon:
        case ctNone:
        case ctImageList:
        case ctEmpty:
        case ctImages:
        case ctComment:
            if (p->BrushColor() != plat::clNone) ABrush.SetColor(p->BrushColor());
            break;
        default:
            break;
        }
        if (p->FontColor() != plat::clNone) AFont.SetColor(p->FontColor());
        if (!p->FontStyle().empty()) AFont.SetStyle(p->FontStyle());
        if (p->FontSize() != 0) AFont.SetSize(p->FontSize());
        if (!p->FontName().isEmpty()) AFont.SetName(p->FontName());
    }
    if (OnGetCellColor) fireColorEvent(OnGetCellColor, this, ACol, ARow, AState, ABrush, AFont);
}

void TExStringGrid::GetCellPrintColor(int ACol, int ARow, plat::TGridDrawState AState, plat::TBrush& ABrush,
                                      plat::TFont& AFont) {
    if (OnGetCellPrintColor) fireColorEvent(OnGetCellPrintColor, this, ACol, ARow, AState, ABrush, AFont);
}

void TExStringGrid::GetCellBorder(int ACol, int ARow, plat::TPen& APen, TCellBorders& Borders) {
    if (Grouping().HeaderUnderline() && ACol > 0 && IsNode(ARow)) {
        Borders = TCellBorders{};
        Borders.include(cbBottom);
        APen.SetColor(Grouping().HeaderLineColor());
        APen.SetWidth(Grouping().HeaderLineWidth());
    }
    if (Grouping().SummaryLine() && ACol > 0 && IsSummary(ARow)) {
        Borders = TCellBorders{};
        Borders.include(cbTop);
        APen.SetColor(Grouping().SummaryLineColor());
        APen.SetWidth(Grouping().SummaryLineWidth());
    }
    if (OnGetCellBorder) fireBorderEvent(OnGetCellBorder, this, ACol, ARow, APen, Borders);
}

void TExStringGrid::GetCellPrintBorder(int ACol, int ARow, plat::TPen& APen, TCellBorders& Borders) {
    if (OnGetCellPrintBorder) fireBorderEvent(OnGetCellPrintBorder, this, ACol, ARow, APen, Borders);
}

void TExStringGrid::GetCellAlign(int ACol, int ARow, TAlignment& HAlign, TVAlignment& VAlign) {
    // Column 0 holds the row check boxes.
    if (ACol == 0 && MouseActions().HotmailRowSelect()) HAlign = taCenter;
    if (OnGetAlignment) OnGetAlignment(this, ARow, ACol, HAlign, VAlign);
}

void TExStringGrid::GetCellFormat(int ACol, TSortStyle& AStyle, QString& APrefix, QString& ASuffix) {
    if (OnGetFormat) OnGetFormat(this, ACol, AStyle, APrefix, ASuffix);
}

void TExStringGrid::GetGridCellEditor(int ACol, int ARow, TEditorType& AEditor) {
    if (OnGetEditorType) OnGetEditorType(this, ACol, ARow, AEditor);
}

void TExStringGrid::GetCellEditor(int ACol, int ARow, TEditorType& AEditor) {
    if (OnGetEditorType) OnGetEditorType(this, ACol, ARow, AEditor);
}

bool TExStringGrid::IsNoEditorCell(int ACol, int ARow) {
    if (!OnGetEditorType) return false;
    TEditorType ed = edNormal;
    OnGetEditorType(this, ACol, ARow, ed);
    return ed == edNone;
}

void TExStringGrid::IsFixedCell(int ACol, int ARow, bool& IsFixed) {
    // The row rule takes in the row just below the fixed minimum; the column rule does not.
    IsFixed = IsFixed || (FixedRowAlways() && ARow <= FFixedRowsMin && RowCount() == FFixedRowsMin) ||
              (FixedColAlways() && ACol < FFixedColsMin && ColCount() == FFixedColsMin) || ACol < FixedCols() ||
              ARow < FixedRows();
    // The event can make a normal cell fixed, never a fixed one normal.
    if (!IsFixed && OnIsFixedCell) OnIsFixedCell(this, ARow, ACol, IsFixed);
}

void TExStringGrid::CanEditCell(int ACol, int ARow, bool& CanEdit) {
    const plat::TGridCoord bc = BaseCell(ACol, ARow);
    if (CellHasProperties(bc.X, bc.Y) && CanEdit) {
        CanEdit = !GetReadOnly(bc.X, bc.Y);
        if (!Options().contains(plat::goEditing) && !FEditDisable && !MouseActions().RangeSelectAndEdit())
            CanEdit = false;
    }
    if (bc.X < ColCount() + NumHiddenColumns())
        DoCanEditCell(bc.X, bc.Y, CanEdit);
    else
        CanEdit = true;
}

void TExStringGrid::DoCanEditCell(int ACol, int ARow, bool& CanEdit) {
    if (OnCanEditCell) OnCanEditCell(this, ARow, ACol, CanEdit);
}

void TExStringGrid::IsPasswordCell(int ACol, int ARow, bool& IsPassword) {
    if (OnIsPasswordCell) OnIsPasswordCell(this, ARow, ACol, IsPassword);
}

void TExStringGrid::GetWordWrap(int ACol, int ARow, bool& WordWrap) {
    if (OnGetWordWrap) OnGetWordWrap(this, ACol, ARow, WordWrap);
}

bool TExStringGrid::HasComboBox(int ACol, int ARow) {
    bool has = false;
    if (OnHasComboBox) {
        OnHasComboBox(this, ACol, ARow, has);
        return has;
    }
    if (ControlLook().DropDownAlwaysVisible()) {
        TEditorType ed = DefaultEditor();
        GetCellEditor(ACol, ARow, ed);
        has = ed == edComboEdit || ed == edComboList;
    }
    return has;
}

bool TExStringGrid::HasSpinEdit(int ACol, int ARow) {
    if (ACol < FixedCols() || ARow < FixedRows()) return false;
    bool has = false;
    if (OnHasSpinEdit) {
        OnHasSpinEdit(this, ACol, ARow, has);
        return has;
    }
    if (ControlLook().SpinButtonsAlwaysVisible()) {
        TEditorType ed = DefaultEditor();
        GetGridCellEditor(ACol, ARow, ed);
        has = ed == edSpinEdit || ed == edFloatSpinEdit || ed == edTimeSpinEdit || ed == edDateSpinEdit;
    }
    return has;
}

void TExStringGrid::GetCheckTrue(int ACol, int ARow, QString& Value) {
    Value = CheckTrue;
    if (OnGetCheckTrue) OnGetCheckTrue(this, ACol, ARow, Value);
}

void TExStringGrid::GetCheckFalse(int ACol, int ARow, QString& Value) {
    Value = CheckFalse;
    if (OnGetCheckFalse) OnGetCheckFalse(this, ACol, ARow, Value);
}

bool TExStringGrid::GetColumnFilter(int Column) {
    FFilterList.clear();
    if (FilterDropDownAuto() && (Column >= FixedCols() || FilterDropDownColumns() == fdAll)) {
        for (int r = FixedRows(); r <= RowCount() - FixedFooters() - 1; ++r)
            addSortedUnique(FFilterList, filterEntry(Cells(Column, r).trimmed()));
        // Rows an earlier filter took out still offer their values.
        if (!FilterIncremental()) {
            for (int i = 0; i < FGridItems.Count(); ++i) {
                const QStringList items = FGridItems.Items(i).Items();
                if (Column >= 0 && Column < items.size()) addSortedUnique(FFilterList, filterEntry(items[Column]));
            }
        }
        if (!FilterDropDownClear().isEmpty()) FFilterList.prepend(FilterDropDownClear());
    }
    if (OnGetColumnFilter) OnGetColumnFilter(this, Column, FFilterList);
    return !FFilterList.isEmpty();
}

void TExStringGrid::GetCellCursor(int ACol, int ARow, int X, int Y) {
    if (!OnGetCellCursor) return;
    QCursor c = Cursor();
    OnGetCellCursor(this, ACol, ARow, X, Y, c);
    // Shown at once; the grid's own Cursor setting stays.
    if (QWidget* vp = viewport()) vp->setCursor(c);
}

void TExStringGrid::GetCellDefaults(int ACol, int ARow, plat::TFont& AFont, plat::TBrush& ABrush, TColor& ColorTo,
                                    TColor& MirrorColor, TColor& MirrorColorTo, TAlignment& HA, TVAlignment& VA,
                                    bool& WW, TCellGradientDirection& GD) {
    TBaseGrid::GetCellDefaults(ACol, ARow, AFont, ABrush, ColorTo, MirrorColor, MirrorColorTo, HA, VA, WW, GD);
    plat::TGridDrawState state;
    GetVisualProperties(ACol, ARow, state, false, false, false, ABrush, ColorTo, MirrorColor, MirrorColorTo, AFont,
                        HA, VA, WW, GD);
    // A new properties object must not freeze fixed, band, gradient or selection colours.
    if (IsFixed(ACol, ARow) || Bands().Active() || BackGround().Display() == bdGradientHorz ||
        BackGround().Display() == bdGradientVert || state.contains(plat::gdSelected)) {
        ABrush.SetColor(plat::clNone);
        ColorTo = plat::clNone;
    }
}

plat::TFont TExStringGrid::GetCellFont(int ACol, int ARow) const {
    plat::TFont f;
    if (!CellHasProperties(ACol, ARow)) {
        f.Assign(const_cast<TExStringGrid*>(this)->Font());
        return f;
    }
    const TCellProperties* p = GridObjects(ACol, ARow);
    f.SetName(p->FontName());
    f.SetSize(p->FontSize());
    f.SetStyle(p->FontStyle());
    f.SetColor(p->FontColor());
    return f;
}

void TExStringGrid::SearchFooterAction(const QString& Value, int ACol, int ARow, TSearchAction SearchAction) {
    if (OnSearchFooterAction) OnSearchFooterAction(this, Value, ACol, ARow, SearchAction);
}

void TExStringGrid::ButtonClick(int ACol, int ARow) {
    if (OnButtonClick) OnButtonClick(this, ACol, ARow);
}

void TExStringGrid::ExpandClick(int ACol, int ARow, bool Expanded) {
    if (OnExpandClick) OnExpandClick(this, ACol, ARow, Expanded);
    SetRowHeights(ARow, GetExpandHeight(ACol, ARow, Expanded));
}

void TExStringGrid::ComboCloseUp(int ACol, int ARow) {
    if (OnComboCloseUp) OnComboCloseUp(this, ARow, ACol);
}

void TExStringGrid::ComboDropDown(int ACol, int ARow) {
    if (OnComboDropDown) OnComboDropDown(this, ARow, ACol);
}

bool TExStringGrid::GetReadOnly(int ACol, int ARow) const {
    return CellHasProperties(ACol, ARow) && GridObjects(ACol, ARow)->ReadOnly();
}

void TExStringGrid::SetReadOnly(int ACol, int ARow, bool Value) { GetCellProperties(ACol, ARow)->SetReadOnly(Value); }

void TExStringGrid::DateTimeChanged(const QDateTime& ADateTime) {
    if (OnDateTimeChange) OnDateTimeChange(this, Col(), Row(), ADateTime);
}

void TExStringGrid::DatePickerChange(const plat::TDateTimePicker& Picker) {
    if (!OnEditChange) return;
    const QDateTime v = Picker.DateTime();
    const QString text =
        Picker.Kind() == plat::dtkTime ? v.time().toString(GetLongTimeFormat()) : v.date().toString(GetShortDateFormat());
    OnEditChange(this, Col(), Row(), text);
}

void TExStringGrid::DatePickerCloseUp() {
    if (OnDatePickerCloseUp) OnDatePickerCloseUp(this, Row(), Col());
    if (MouseActions().DirectDateClose()) HideEditor();
}

void TExStringGrid::DatePickerDropDown() {
    // The calendar here has no today mark or week numbers to switch; the event remains.
    if (OnDatePickerDropDown) OnDatePickerDropDown(this, Row(), Col());
}
