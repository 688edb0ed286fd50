// The grid's dimensions with their rules, the typed cell accessors, headers, and the disjunct,
// modified and enabled row marks.
#include "controls/ExUtil.h"
#include "controls/ExHTMLUtil.h"
#include "grid/ExGrid.h"
#include "platform/Format.h"
#include "platform/FormatSettings.h"

#include <QDate>
#include <QTime>
#include <cmath>

#include <algorithm>

namespace {
[[noreturn]] void gridError(const char* text) { throw EExGridError(QString::fromLatin1(text)); }
}  // namespace

// ---------------------------------------------------------------- dimensions

int TExStringGrid::FixedRows() const {
    const int n = TBaseGrid::FixedRows();
    return n == 0 && FFixedRowAlways ? 1 : n;
}

void TExStringGrid::SetFixedRows(int Value) {
    int v = Value;
    if (FFixedRowAlways && v >= RowCount()) v = RowCount() - 1;
    TBaseGrid::SetFixedRows(v);
    FFixedRowsMin = Value;
}

int TExStringGrid::FixedCols() const {
    const int n = TBaseGrid::FixedCols();
    return n == 0 && FFixedColAlways ? 1 : n;
}

void TExStringGrid::SetFixedCols(int Value) {
    int v = Value;
    if (FFixedColAlways && v >= ColCount()) v = ColCount() - 1;
    TBaseGrid::SetFixedCols(v);
    FFixedColsMin = Value;
}

void TExStringGrid::SetRowCount(int Value) {
    const int old = RowCount();
    if (FFloatingFooter && FFloatingFooter->Visible() && Value != old && old >= 2 && Value >= 2) {
        // The footer row goes with the end.
        std::vector<int> h;
        auto footer = TakeRowRecords(old - 1, 1, h);
        TBaseGrid::SetRowCount(Value - 1);
        InsertRowRecords(Value - 1, std::move(footer), h);
    } else {
        TBaseGrid::SetRowCount(Value);
    }
    if (FFixedRowAlways && RowCount() > FFixedRowsMin && FFixedRowsMin != TBaseGrid::FixedRows())
        TBaseGrid::SetFixedRows(FFixedRowsMin);
    FMaxRowCount = std::max(FMaxRowCount, Value);
    SetNormalRowCount(Value);
    if (FFloatingFooter) FFloatingFooter->Invalidate();
    UpdateProportionalVScroll();
    UpdateProportionalHScroll();
    ApplyScrollBarAlways(false);
    if (FScrollType != ssNormal) ApplyFlatScrollStyle();
    if (FFloatingFooter && FFloatingFooter->Visible() && RowCount() != old) CalcFooter(-1);
    numberNewRows(old);
}

void TExStringGrid::SetColCount(int Value) {
    const int oldTotal = TotalColCount();
    TBaseGrid::SetColCount(Value);
    dropHiddenBeyondEnd();
    clearColumnsFrom(oldTotal, TotalColCount());
    if (FFixedColAlways && ColCount() > FFixedColsMin && FFixedColsMin != TBaseGrid::FixedCols())
        TBaseGrid::SetFixedCols(FFixedColsMin);
    FMaxColCount = std::max(FMaxColCount, Value);
    if (FFloatingFooter) FFloatingFooter->Invalidate();
    UpdateProportionalHScroll();
    UpdateProportionalVScroll();
    ApplyScrollBarAlways(false);
}

void TExStringGrid::numberNewRows(int OldCount) {
    // Only a fixed column numbers its rows, and only the rows the count added (a floating footer
    // stays the last row).
    if (TBaseGrid::FixedCols() < 1 || RowCount() <= OldCount) return;
    const int shift = FFloatingFooter && FFloatingFooter->Visible() && OldCount >= 2 ? 1 : 0;
    for (int r = std::max(OldCount - shift, 1); r < RowCount() - shift; ++r) {
        if (HasCellProps() && CellHasProperties(0, r)) {
            TBaseGrid::SetCells(0, r, QString::number(r));
            continue;
        }
        // Kept without a record until the row is written or its number is read.
        SetRowNumber(r, r);
        if (HideLastRow() && r == RowCount() - 1) HiddenLastRowChanged();
    }
}

void TExStringGrid::dropHiddenBeyondEnd() {
    // A lower count cuts the columns after the last shown one, hidden ones among them.
    if (FNumHidden == 0 || ColCount() == 0) return;
    const int last = RealColIndex(ColCount() - 1);
    bool dropped = false;
    for (int c = last + 1; c < kMaxHideCol; ++c)
        if (!FVisibleCol[size_t(c)]) {
            FVisibleCol[size_t(c)] = true;
            --FNumHidden;
            dropped = true;
        }
    if (dropped) rebuildColumnMaps();
}

void TExStringGrid::clearColumnsFrom(int First, int End) {
    // The store keeps the cells beyond the last column while the count is low (a sort moves them with
    // their rows); columns that come back when the count grows again come back empty.
    for (int r = 0; r < RowCount(); ++r)
        for (int c = First; c < End; ++c) {
            if (!TBaseGrid::Cells(c, r).isEmpty()) TBaseGrid::SetCells(c, r, QString());
            if (Objects(c, r)) TakeObjects(c, r);
        }
}

void TExStringGrid::SetFixedRowHeight(int Value) {
    FFixedRowHeight = Value;
    if (Value == DefaultRowHeight()) {
        SetDefaultRowHeight(Value);
        return;
    }
    for (int r = 0; r < TBaseGrid::FixedRows(); ++r) SetRowHeights(r, Value);
}

void TExStringGrid::SetFixedColWidth(int Value) {
    if (Value == DefaultColWidth()) return;
    for (int c = 0; c < TBaseGrid::FixedCols(); ++c) SetColWidths(c, Value);
}

void TExStringGrid::SetWordWrap(bool Value) {
    TBaseGrid::SetWordWrap(Value);
    FWordWrapEx = Value;
    RepaintGrid();
}

// ---------------------------------------------------------------- headers

void TExStringGrid::SetColumnHeaders(const QStringList& Value) {
    FColumnHeaders = Value;
    if (FixedRows() > 0) ClearColumnHeaders();
    ColumnHeadersChanged();
    ShowColumnHeaders();
}

void TExStringGrid::SetRowHeaders(const QStringList& Value) {
    FRowHeaders = Value;
    ShowRowHeaders();
}

void TExStringGrid::ClearColumnHeaders() {
    for (int c = 0; c < ColCount(); ++c) SetCellEx(c, 0, QString());
}

void TExStringGrid::ClearRowHeaders() {
    for (int r = 0; r < RowCount(); ++r) SetCellEx(0, r, QString());
}

void TExStringGrid::ShowColumnHeaders() {
    if (FixedRows() <= 0 || RowCount() == 0) return;
    const int n = std::min<int>(int(FColumnHeaders.size()), TotalColCount());
    for (int c = 0; c < n; ++c) SetCellEx(c, 0, UnescapeLineBreaks(FColumnHeaders[c]));
}

void TExStringGrid::ShowRowHeaders() {
    if (FixedCols() <= 0 || TotalColCount() == 0) return;
    const int n = std::min<int>(int(FRowHeaders.size()), RowCount());
    for (int r = 0; r < n; ++r) SetCellEx(0, r, UnescapeLineBreaks(FRowHeaders[r]));
}

// ---------------------------------------------------------------- typed accessors

namespace {
int intOf(QString text) {
    text = text.trimmed();
    if (text.isEmpty() || text == u"-") return 0;
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok) gridError("Cell does not contain integer value");
    return v;
}
double floatOf(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t == u"-") return 0;
    bool ok = false;
    const double v = NormalizeNumberText(t).toDouble(&ok);
    if (!ok) gridError("Cell does not contain a float value");
    return v;
}
}  // namespace

void TExStringGrid::SetInts(int ACol, int ARow, int Value) {
    SetCells(ACol, ARow, QString::number(Value));
    if (FNumHidden > 0) RepaintCell(DisplColIndex(ACol), ARow);
}
int TExStringGrid::GetInts(int ACol, int ARow) const { return intOf(StripHTMLTags(Cells(ACol, ARow))); }
void TExStringGrid::SetAllInts(int ACol, int ARow, int Value) { SetCellsEx(ACol, ARow, QString::number(Value)); }
int TExStringGrid::GetAllInts(int ACol, int ARow) const { return intOf(GetCellsEx(ACol, ARow)); }
void TExStringGrid::SetFloats(int ACol, int ARow, double Value) {
    SetCells(ACol, ARow, plat::Format(GetFloatFormat(ACol, ARow), {Value}));
}
void TExStringGrid::SetAllFloats(int ACol, int ARow, double Value) {
    SetCellsEx(ACol, ARow, plat::Format(FFloatFormat, {Value}));
}
double TExStringGrid::GetFloats(int ACol, int ARow) const { return floatOf(StripHTMLTags(Cells(ACol, ARow))); }
double TExStringGrid::GetAllFloats(int ACol, int ARow) const { return floatOf(GetCellsEx(ACol, ARow)); }

namespace {
const QDate kDayZero(1899, 12, 30);
}  // namespace

void TExStringGrid::SetDates(int ACol, int ARow, double Value) {
    if (Value > 0 || FShowNullDates)
        SetCells(ACol, ARow, kDayZero.addDays(qint64(std::floor(Value))).toString(plat::formatSettings().shortDateFormat));
    else
        SetCells(ACol, ARow, QString());
}

double TExStringGrid::GetDates(int ACol, int ARow) const {
    const QString text = Cells(ACol, ARow);
    TDateTime v = 0;
    if (!ParseLocaleDateTime(text.trimmed(), v)) throw EConvertError(QStringLiteral("'%1' is not a valid date").arg(text));
    return v;
}

void TExStringGrid::SetTimes(int ACol, int ARow, double Value) {
    const double frac = Value - std::floor(Value);
    const QTime t = QTime(0, 0).addMSecs(int(std::llround(frac * 86400000.0)) % 86400000);
    SetCells(ACol, ARow, t.toString(plat::formatSettings().longTimeFormat));
}

double TExStringGrid::GetTimes(int ACol, int ARow) const {
    const QString text = Cells(ACol, ARow).trimmed();
    const plat::FormatSettings fs = plat::formatSettings();
    QTime t = QTime::fromString(text, fs.longTimeFormat);
    if (!t.isValid()) t = QTime::fromString(text, fs.shortTimeFormat);
    if (!t.isValid()) throw EConvertError(QStringLiteral("'%1' is not a valid time").arg(text));
    return t.msecsSinceStartOfDay() / 86400000.0;
}

uintptr_t TExStringGrid::GetCellObjectReal(int ACol, int ARealRow) const {
    if (IsHiddenRow(ARealRow)) {
        for (int i = FGridItems.Count() - 1; i >= 0; --i)
            if (FGridItems.Items(i).RealIdx == ARealRow) {
                const auto* p = dynamic_cast<const TCellProperties*>(FGridItems.Items(i).Record().Object(ACol));
                return p ? p->CellObject() : 0;
            }
    }
    return GetObjectEx(ACol, DisplRowIndex(ARealRow));
}

QString TExStringGrid::GetStrippedCell(int ACol, int ARow) const { return StripHTMLTags(Cells(ACol, ARow)); }

void TExStringGrid::SetCellsEx(int ACol, int ARealRow, const QString& Value) {
    if (IsHiddenRow(ARealRow)) {
        for (int i = FGridItems.Count() - 1; i >= 0; --i)
            if (FGridItems.Items(i).RealIdx == ARealRow) {
                FGridItems.Items(i).Record().SetCell(ACol, Value);
                return;
            }
    }
    SetCells(ACol, DisplRowIndex(ARealRow), Value);
}

// The tables are as long as the last printed rectangle is wide; columns below 512 always answer.
int TExStringGrid::GetPrintColWidth(int ACol) const {
    if (ACol < 0 || (ACol >= 512 && size_t(ACol) >= FMaxWidths.size())) gridError("Columns is not in valid range");
    return size_t(ACol) < FMaxWidths.size() ? FMaxWidths[size_t(ACol)] : 0;
}
int TExStringGrid::GetPrintColOffset(int ACol) const {
    if (ACol < 0 || (ACol >= 512 && size_t(ACol) >= FIndents.size())) gridError("Columns is not in valid range");
    return size_t(ACol) < FIndents.size() ? FIndents[size_t(ACol)] : 0;
}

// ---------------------------------------------------------------- navigation and selection

void TExStringGrid::SetRow(int Value) {
    if (Col() < 0 || Col() >= ColCount()) TBaseGrid::FocusCell(FixedCols(), Value, true);
    TBaseGrid::SetRow(Value);
    if (Row() != FOldRowSel && OnRowChanged) {
        const int old = FOldRowSel;
        FOldRowSel = Row();
        OnRowChanged(this, old, Row());
    }
    if (auto* other = dynamic_cast<TExStringGrid*>(FSyncGrid->Grid()); other && FSyncGrid->SelectionRow())
        if (Row() < other->RowCount()) other->SetRow(Row());
}

void TExStringGrid::SetTopRow(int Value) {
    if (Value >= FixedRows() && Value <= RowCount() - 1) TBaseGrid::SetTopRow(Value);
}

void TExStringGrid::GotoCell(int ACol, int ARow) {
    SetRow(ARow);
    SetCol(ACol);
}

void TExStringGrid::FocusCell(int ACol, int ARow) { SetSelection({ACol, ARow, ACol, ARow}); }

void TExStringGrid::SwapCells(plat::TGridCoord FromCell, plat::TGridCoord ToCell) {
    const QString a = GridCells(FromCell.X, FromCell.Y), b = GridCells(ToCell.X, ToCell.Y);
    std::unique_ptr<TCellProperties> pa = SetGridObject(FromCell.X, FromCell.Y, nullptr);
    std::unique_ptr<TCellProperties> pb = SetGridObject(ToCell.X, ToCell.Y, nullptr);
    SetGridCells(FromCell.X, FromCell.Y, b);
    SetGridCells(ToCell.X, ToCell.Y, a);
    SetGridObject(FromCell.X, FromCell.Y, std::move(pb));
    SetGridObject(ToCell.X, ToCell.Y, std::move(pa));
}

void TExStringGrid::SelectRange(int FromCol, int ToCol, int FromRow, int ToRow) {
    SetRow(ToRow);
    SetCol(ToCol);
    SetSelection({FromCol, FromRow, ToCol, ToRow});
}

bool TExStringGrid::GetRowSelect(int ARow) {
    if ((ARow < 0 || ARow >= RowCount() + NumHiddenRows()) && !FMouseActions->RowSelectPersistent())
        throw EExGridError(QStringLiteral("Invalid row %1 accessed").arg(ARow));
    if (FMouseActions->DisjunctRowSelect()) {
        if (ARow >= 0 && size_t(ARow) >= FRowSelect.size()) FRowSelect.resize(size_t(ARow) + 1, false);
        return ARow >= 0 && FRowSelect[size_t(ARow)];
    }
    const plat::TGridRect s = Selection();
    return ARow >= std::min(s.Top, s.Bottom) && ARow <= std::max(s.Top, s.Bottom);
}

void TExStringGrid::SetRowSelect(int ARow, bool Value) {
    if ((ARow >= RowCount() + NumHiddenRows() && RowCount() > FixedRows()) || ARow < 0)
        gridError("Invalid row accessed");
    bool allow = true;
    if ((size_t(ARow) >= FRowSelect.size() || FRowSelect[size_t(ARow)] != Value) && OnRowDisjunctSelect)
        OnRowDisjunctSelect(this, ARow, Value, allow);
    if (!allow) return;
    if (size_t(ARow) >= FRowSelect.size()) FRowSelect.resize(size_t(ARow) + 1, false);
    const bool was = FRowSelect[size_t(ARow)];
    FRowSelect[size_t(ARow)] = Value;
    if (was != Value) RepaintRow(ARow);
    // The list holds the flagged rows from the fixed rows on, each once: only a change of the
    // flag changes it (a look-up on every set would make selecting many rows quadratic).
    if (Value && !was) {
        if (ARow >= FixedRows()) FSelectedRows->Add(ARow);
    } else if (!Value && was) {
        FSelectedRows->DeleteValue(ARow);
    }
    if (OnRowDisjunctSelected) OnRowDisjunctSelected(this, ARow);
}

void TExStringGrid::SelectRows(int RowIndex, int RCount) {
    RCount = std::min(RCount, RowCount() - RowIndex);
    if (RCount > 0) {
        if (!FMouseActions->DisjunctRowSelect()) {
            SetSelection({FixedCols(), RowIndex, ColCount() - 1, RowIndex + RCount - 1});
        } else {
            for (int r = RowIndex; r < RowIndex + RCount; ++r)
                SetRowSelect(FMouseActions->RowSelectPersistent() ? RealRowIndex(r) : r, true);
        }
    }
    if (!FRowIndicator.Empty()) InvalidateCol(0);
    FSelChange = false;
}

void TExStringGrid::UnSelectRows(int RowIndex, int RCount) {
    if (FMouseActions->DisjunctRowSelect())
        for (int r = RowIndex; r < RowIndex + RCount && r < RowCount(); ++r)
            SetRowSelect(FMouseActions->RowSelectPersistent() ? RealRowIndex(r) : r, false);
    FSelChange = false;
}

void TExStringGrid::ClearRowSelect() {
    for (size_t r = 0; r < FRowSelect.size(); ++r)
        if (FRowSelect[r]) {
            FRowSelect[r] = false;
            RepaintRow(int(r));
        }
    FSelectedRows->Clear();
}

int TExStringGrid::RowSelectCount() const {
    if (FMouseActions->DisjunctRowSelect()) {
        const size_t n = std::min(size_t(RowCount() + NumHiddenRows()), FRowSelect.size());
        return int(std::count(FRowSelect.begin(), FRowSelect.begin() + ptrdiff_t(n), true));
    }
    const plat::TGridRect s = Selection();
    return std::abs(s.Bottom - s.Top) + 1;
}

void TExStringGrid::SyncRowSelectWithSelection(bool All) {
    plat::TGridRect sel = Selection();
    sel.Bottom = std::min(sel.Bottom, RowCount() - 1 - FFixedFooters);
    for (int r = FixedRows(); r < RowCount(); ++r) {
        const bool inside = r >= sel.Top && r <= sel.Bottom;
        if (inside || All) SetRowSelect(FMouseActions->RowSelectPersistent() ? RealRowIndex(r) : r, inside);
    }
    if (NumHiddenRows() > 0) RepaintGrid();
}

void TExStringGrid::SyncColSelectWithSelection(bool All) {
    const plat::TGridRect sel = Selection();
    for (int c = FixedCols(); c < ColCount(); ++c) {
        const bool inside = c >= sel.Left && c <= sel.Right;
        if (inside || All) SetColSelect(c, inside);
    }
}

void TExStringGrid::RepaintRect(const plat::TGridRect& R) {
    if (R.Left < 0 || R.Top < 0 || R.Right < 0 || R.Bottom < 0 || FUpdateCount > 0) return;
    const plat::TRect a = CellRect(R.Left, R.Top);
    const plat::TRect b = CellRect(std::min(VisibleColCount() + FixedCols(), R.Right), R.Bottom);
    if (a.Right <= a.Left || b.Right <= b.Left) {
        InvalidateGrid();
        return;
    }
    InvalidateRect({std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                    std::max(a.Bottom, b.Bottom)});
}

bool TExStringGrid::GetColSelect(int ACol) {
    if (ACol < 0 || ACol >= ColCount()) gridError("Invalid column accessed");
    if (size_t(ACol) >= FColSelect.size()) FColSelect.resize(size_t(ACol) + 1, false);
    return FColSelect[size_t(ACol)];
}

void TExStringGrid::SetColSelect(int ACol, bool Value) {
    if (ACol < 0 || ACol >= ColCount()) gridError("Invalid column accessed");
    if (size_t(ACol) >= FColSelect.size()) FColSelect.resize(size_t(ACol) + 1, false);
    if (FColSelect[size_t(ACol)] == Value) return;
    FColSelect[size_t(ACol)] = Value;
    RepaintCol(ACol);
}

void TExStringGrid::SelectCols(int ColIndex, int CCount) {
    if (!FMouseActions->DisjunctColSelect()) {
        SetSelection({ColIndex, FixedRows(), ColIndex + CCount - 1, RowCount() - 1});
        return;
    }
    for (int c = ColIndex; c < ColIndex + CCount && c < ColCount(); ++c) SetColSelect(c, true);
}

void TExStringGrid::UnSelectCols(int ColIndex, int CCount) {
    if (!FMouseActions->DisjunctColSelect()) return;
    for (int c = ColIndex; c < ColIndex + CCount && c < ColCount(); ++c) SetColSelect(c, false);
}

void TExStringGrid::ClearColSelect() {
    for (size_t c = 0; c < FColSelect.size(); ++c)
        if (FColSelect[c]) {
            FColSelect[c] = false;
            if (int(c) < ColCount()) RepaintCol(int(c));
        }
}

int TExStringGrid::ColSelectCount() const {
    if (FMouseActions->DisjunctColSelect()) return int(std::count(FColSelect.begin(), FColSelect.end(), true));
    const plat::TGridRect s = Selection();
    return s.Right - s.Left + 1;
}

bool TExStringGrid::GetRowModified(int ARow) const {
    return ARow >= 0 && ARow < FModifiedRows->Count() && FModifiedRows->Items(ARow) == 1;
}

void TExStringGrid::SetRowModified(int ARow, bool Value) {
    if (ARow < 0) return;
    while (FModifiedRows->Count() <= ARow) FModifiedRows->Add(0);
    FModifiedRows->SetInteger(ARow, Value ? 1 : 0);
    if (ARow < RowCount() && FUpdateCount == 0) RepaintCell(0, ARow);
}

int TExStringGrid::ModifiedRowCount() const {
    int n = 0;
    for (int i = 0; i < FModifiedRows->Count(); ++i) n += FModifiedRows->Items(i) == 1;
    return n;
}

bool TExStringGrid::GetRowEnabled(int ARow) const {
    return ARow < 0 || ARow >= FEnabledRows->Count() || FEnabledRows->Items(ARow) == 0;
}

void TExStringGrid::SetRowEnabled(int ARow, bool Value) {
    if (ARow < 0) return;
    if (ARow == Row()) {
        // The cursor leaves the row first, enabling or not.
        for (int r = FixedRows(); r < RowCount(); ++r)
            if (r != ARow && GetRowEnabled(r)) {
                SetRow(r);
                break;
            }
    }
    FUseEnabledRows = true;
    while (FEnabledRows->Count() <= ARow) FEnabledRows->Add(0);
    FEnabledRows->SetInteger(ARow, Value ? 0 : 1);
    if (ARow < RowCount()) RepaintRow(ARow);
}

void TExStringGrid::RepaintCol(int ACol) {
    if (FUpdateCount == 0 && ACol >= 0 && ACol < ColCount()) InvalidateCol(ACol);
}
