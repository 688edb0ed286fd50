// Scrolling and column sizing: the looks of the scroll bars, proportional bars, the scroll
// messages with their position hint, drag scrolling, and the reactions to size changes.
#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"
#include "platform/Colors.h"
#include "platform/Error.h"
#include "platform/Numbers.h"

#include <QApplication>
#include <QCursor>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <utility>

using plat::TScrollBarInfo;

// ---------------------------------------------------------------- the bars' looks

// The flat looks are a style of the grid's own bars: no library is looked up.
void TExStringGrid::InitFlatScrollBars() { FIsFlat = true; }

void TExStringGrid::DoneFlatScrollBars() {
    FIsFlat = false;
    verticalScrollBar()->setStyleSheet(QString());
    horizontalScrollBar()->setStyleSheet(QString());
}

void TExStringGrid::ApplyFlatScrollStyle() {
    if (!FIsFlat || FScrollType == ssMetro) return;
    if (FScrollType == ssNormal) {
        verticalScrollBar()->setStyleSheet(QString());
        horizontalScrollBar()->setStyleSheet(QString());
        return;
    }
    const QString bg = FScrollColor == plat::clNone ? QStringLiteral("palette(button)")
                                                     : plat::ToQColor(FScrollColor).name();
    // Flat: a plain track and thumb without arrows' bevels; Encarta: the thumb lights up under
    // the pointer.
    const QString hover = FScrollType == ssEncarta ? QStringLiteral("QScrollBar::handle:hover{background:palette(highlight);}")
                                                    : QString();
    const int w = std::max(1, int(FScrollWidth));
    verticalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar:vertical{background:%1;width:%2px;border:none;}"
                       "QScrollBar::handle:vertical{background:palette(mid);min-height:8px;}%3")
            .arg(bg)
            .arg(w)
            .arg(hover));
    horizontalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar:horizontal{background:%1;height:%2px;border:none;}"
                       "QScrollBar::handle:horizontal{background:palette(mid);min-width:8px;}%3")
            .arg(bg)
            .arg(w)
            .arg(hover));
}

void TExStringGrid::ApplyFlatScrollSettings() {
    ApplyFlatScrollStyle();
    ApplyScrollBarAlways(false);
}

void TExStringGrid::makeScrollControls() {
    if (!FVScrlCtrl) FVScrlCtrl = std::make_unique<TScrollControl>(this, 0);
    if (!FHScrlCtrl) FHScrlCtrl = std::make_unique<TScrollControl>(this, 1);
    layoutScrollControls();
}

void TExStringGrid::layoutScrollControls() {
    if (!FVScrlCtrl || !FHScrlCtrl) return;
    const QRect cr = contentsRect();
    const int t = TScrollControl::Thickness;
    FVScrlCtrl->setGeometry(cr.right() + 1 - t, cr.top(), t, cr.height());
    FHScrlCtrl->setGeometry(cr.left(), cr.bottom() + 1 - t, cr.width() - t, t);
    FVScrlCtrl->raise();
    FHScrlCtrl->raise();
}

void TExStringGrid::SetScrollType(TScrollType Value) {
    if (FScrollType != Value) {
        FScrollType = Value;
        if (Value == ssFlat || Value == ssEncarta) {
            InitFlatScrollBars();
            ApplyFlatScrollSettings();
        } else {
            DoneFlatScrollBars();
        }
        if (FWndCreated) {
            if (Value == ssMetro) {
                makeScrollControls();
                SetScrollBars(plat::ssNone);
            } else if (FVScrlCtrl || FHScrlCtrl) {
                FVScrlCtrl.reset();
                FHScrlCtrl.reset();
                SetScrollBars(plat::ssBoth);
            }
        }
    }
    ApplyFlatScrollStyle();
}

void TExStringGrid::SetScrollColor(TColor Value) {
    FScrollColor = Value;
    ApplyFlatScrollStyle();
}

void TExStringGrid::SetScrollWidth(int32_t Value) {
    FScrollWidth = Value;
    ApplyFlatScrollStyle();
}

void TExStringGrid::SetScrollProportional(bool Value) {
    FScrollProportional = Value;
    if (Value) {
        UpdateProportionalHScroll();
        UpdateProportionalVScroll();
    } else if (FIsFlat && FScrollType == ssNormal) {
        DoneFlatScrollBars();
        // Back to the base grid's 0..127 bars without a page.
        TBaseGrid::UpdateScrollRange();
    }
}

// ---------------------------------------------------------------- proportional bars

void TExStringGrid::UpdateScrollPos() {
    // The base grid's range update ends here too.
    TBaseGrid::UpdateScrollPos();
    if (!FScrollProportional) return;
    // A thumb under the pointer is not rewritten.
    if (!horizontalScrollBar()->isSliderDown()) UpdateProportionalHScroll();
    if (!verticalScrollBar()->isSliderDown()) UpdateProportionalVScroll();
}

void TExStringGrid::UpdateProportionalVScroll() {
    if (!FLoaded || IsDesignTime() || !FScrollProportional || FScrollLock) return;
    if (VisibleRowCount() + FixedRows() >= RowCount()) return;
    TScrollBarInfo si = ScrollBarInfo(plat::sbVertical);
    const plat::TGridAxis& rows = RowAxis();
    const int64_t w = GridLineWidth();
    const int64_t fixedEnd = rows.Start(FixedRows());
    const int64_t F = w + fixedEnd;
    const int64_t T = w + rows.Start(RowCount()) - fixedEnd;
    const int64_t A = w + rows.Start(TopRow()) - fixedEnd;
    if (T == 0) return;
    const int h = ClientHeight();
    // Single precision, as the thumb's arithmetic has always been.
    const float e = float(h - F) / float(T);
    if (!(e < 0.9999f)) return;
    si.Max = int((127 + e) / (1 - e));
    si.Page = si.Max - 126;
    si.Pos = h < T ? int(double(A) / double(T - h) * 128) : 127;
    si.Min = 0;
    SetScrollBarInfo(plat::sbVertical, si);
}

void TExStringGrid::UpdateProportionalHScroll() {
    if (!FLoaded || IsDesignTime() || !FScrollProportional || FScrollLock) return;
    TScrollBarInfo si = ScrollBarInfo(plat::sbHorizontal);
    const plat::TGridAxis& cols = ColAxis();
    const int64_t w = GridLineWidth();
    const int64_t fixedEnd = cols.Start(FixedCols());
    const int64_t F = w + fixedEnd;
    const int64_t T = w + cols.Start(ColCount()) - fixedEnd;
    const int64_t A = w + cols.Start(LeftCol()) - fixedEnd;
    const int cw = ClientWidth();
    if (F + T - cw < 5) return;
    if (T == 0) return;
    const float e = float(cw - F) / float(T);
    if (!(e < 0.9999f)) return;
    si.Max = int((127 + e) / (1 - e));
    si.Page = si.Max - 126;
    if (cw < T) si.Pos = int(double(A) / double(T - cw) * 128);
    si.Min = 0;
    SetScrollBarInfo(plat::sbHorizontal, si);
    if (FScrollBarAlways != saHorz && FScrollBarAlways != saBoth) {
        const bool keep = cols.Start(ColCount()) >= cw && (ScrollBars() == plat::ssHorizontal || ScrollBars() == plat::ssBoth);
        if (!keep) setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
}

// ---------------------------------------------------------------- scroll messages

void TExStringGrid::showScrollHint(const QString& Text) {
    FScrollHintWnd->ActivateHint(QCursor::pos() + QPoint(10, 0), Text, 100, FHintColor);
    FScrollHintShow = true;
}

void TExStringGrid::HScrollMessage(int ScrollCode, int Pos) {
    const auto colOf = [this](int P) {
        return plat::MulDiv(P, ColCount() - VisibleColCount() - FixedCols(), 127) + FixedCols();
    };
    if (FScrollHints == shHorizontal || FScrollHints == shBoth) {
        if (ScrollCode == plat::SB_ENDSCROLL) {
            FScrollHintWnd->hide();
            FScrollHintShow = false;
        } else if (ScrollCode == plat::SB_THUMBTRACK) {
            const int c = colOf(Pos);
            QString text = QStringLiteral("Col : %1").arg(c);
            if (OnScrollHint) OnScrollHint(this, c, text);
            showScrollHint(text);
        }
    }
    if (ScrollCode == plat::SB_THUMBPOSITION && FIsFlat && ColCount() > 0) {
        const int v = int(std::nearbyint(double(VisibleColCount()) * 128 / ColCount()));
        if (v != 128) Pos = int(std::nearbyint(double(Pos) * 127 / (128 - v)));
    }
    const int c = colOf(Pos);
    if (ScrollCode == plat::SB_THUMBTRACK && FScrollSynch) SetLeftCol(std::clamp(c, FixedCols(), std::max(FixedCols(), MaxLeftCol())));
    // The cell goes out of view: its edit ends, with whichever editor it has.
    if (FixedCols() == 0 && Col() <= c) HideInplaceEdit();
    TBaseGrid::HScrollMessage(ScrollCode, Pos);
    if (ScrollCode == plat::SB_ENDSCROLL && ColCount() == 1) RepaintGrid();
    if (FFloatingFooter->Visible()) FFooterPanel->update();
}

bool TExStringGrid::HandleWMVScroll(int ScrollCode, int Pos, QScrollBar* Sender) {
    if (IsDesignTime()) {
        TBaseGrid::VScrollMessage(ScrollCode, Pos);
        return false;
    }
    if (Sender && Sender == FScrollBar.data()) {
        // The scroll bar inside a cell steps by its own lines and pages.
        QScrollBar& b = *FScrollBar;
        int p = b.value();
        switch (ScrollCode) {
            case plat::SB_LINEUP: p = std::max(b.minimum(), p - 10); break;
            case plat::SB_LINEDOWN: p = std::min(b.maximum(), p + 10); break;
            case plat::SB_PAGEUP: p = std::max(b.minimum(), p - 100); break;
            case plat::SB_PAGEDOWN: p = std::min(b.maximum(), p + 100); break;
            case plat::SB_THUMBTRACK: p = Pos; break;
            default: break;
        }
        if (p == b.value()) return false;
        b.setValue(p);
        const int rc = RealColIndex(FScrollCol);
        SetScrollPosition(rc, FScrollRow, p);
        InvalidateCell(FScrollCol, FScrollRow);
        if (OnScrollCell) OnScrollCell(this, FScrollCol, FScrollRow, b.maximum(), b.minimum(), p);
        return true;
    }
    if (FScrollHints == shVertical || FScrollHints == shBoth) {
        if (ScrollCode == plat::SB_ENDSCROLL) {
            FScrollHintWnd->hide();
            FScrollHintShow = false;
        } else if (ScrollCode == plat::SB_THUMBTRACK) {
            const int r = plat::MulDiv(Pos, RowCount() - VisibleRowCount() - FixedRows(), 127) + FixedRows();
            QString text = QStringLiteral("Row : %1").arg(r);
            if (OnScrollHint) OnScrollHint(this, r, text);
            showScrollHint(text);
        }
    }
    const int r = plat::MulDiv(Pos, RowCount() - VisibleRowCount() - FixedRows(), 127) + FixedRows();
    if (ScrollCode == plat::SB_THUMBTRACK && FScrollSynch)
        SetTopRow(std::clamp(r, FixedRows(), std::max(FixedRows(), MaxTopRow())));
    const bool footer = FSearchFooter->Visible();
    // The last row already shows above the search strip: a further step down is swallowed.
    const bool atEnd = footer && TopRow() + VisibleRowCount() >= RowCount();
    if (footer && atEnd && (ScrollCode == plat::SB_ENDSCROLL || ScrollCode == plat::SB_LINEDOWN)) return true;
    TBaseGrid::VScrollMessage(ScrollCode, Pos);
    if (footer && ScrollCode == plat::SB_LINEUP && TopRow() == RowCount() - VisibleRowCount() &&
        TopRow() > FixedRows())
        TBaseGrid::SetTopRow(TopRow() - 1);
    return false;
}

void TExStringGrid::VScrollMessage(int ScrollCode, int Pos) { HandleWMVScroll(ScrollCode, Pos, nullptr); }

void TExStringGrid::SetCellScrollBar(QScrollBar* Bar, int ACol, int ARow) {
    FScrollBar = Bar;
    FScrollCol = ACol;
    FScrollRow = ARow;
}

// ---------------------------------------------------------------- drag scrolling

void TExStringGrid::HandleDragOver(TDragOverState State, int X, int Y) {
    if (!FDragScrollOptions->Active()) {
        FDragTmr.reset();
        return;
    }
    const bool wasEmpty = FDragScrollDirection.empty();
    FDragScrollDirection = TDragScrollDirections();
    if (State == dsDragLeave) {
        FDragTmr.reset();
        return;
    }
    const TDragScrollMargins& m = FDragScrollOptions->Margins();
    if (Y < m.TopMargin())
        FDragScrollDirection.include(dsdUp);
    else if (Y > height() - m.BottomMargin())
        FDragScrollDirection.include(dsdDown);
    if (X < m.LeftMargin())
        FDragScrollDirection.include(dsdLeft);
    else if (X > width() - m.RightMargin())
        FDragScrollDirection.include(dsdRight);
    if (FDragScrollDirection.empty()) {
        FDragTmr.reset();
        return;
    }
    if (!FDragTmr) {
        FDragTmr = std::make_unique<plat::TTimer>(this);
        FDragTmr->SetInterval(FDragScrollOptions->Delays().InitialDelay());
        FDragTmr->SetOnTimer([this](QObject*) { dragScrollTick(); });
    } else if (!wasEmpty) {
        FDragTmr->SetInterval(FDragScrollOptions->Delays().InitialDelay());
    }
}

void TExStringGrid::dragScrollTick() {
    if (!FDragScrollOptions->Active()) {
        // The handler runs inside the timer: it goes once the tick is over.
        if (FDragTmr) FDragTmr.release()->deleteLater();
        return;
    }
    FDragTmr->SetInterval(FDragScrollOptions->Delays().RepeatDelay());
    TDragScrollDirections dir = FDragScrollDirection;
    bool canScroll = true;
    if (OnDragScroll) OnDragScroll(this, TopRow(), LeftCol(), dir, canScroll);
    if (!canScroll) return;
    if (dir.contains(dsdUp) && TopRow() > FixedRows()) SetTopRow(TopRow() - 1);
    if (dir.contains(dsdDown) && TopRow() + VisibleRowCount() < RowCount()) SetTopRow(TopRow() + 1);
    if (dir.contains(dsdLeft) && LeftCol() > FixedCols()) SetLeftCol(LeftCol() - 1);
    if (dir.contains(dsdRight) && LeftCol() + VisibleColCount() < ColCount()) SetLeftCol(LeftCol() + 1);
}

// ---------------------------------------------------------------- sizes

void TExStringGrid::UpdateColumnSize(int ACol, int& AWidth) {
    if (OnUpdateColumnSize) OnUpdateColumnSize(this, ACol, AWidth);
}

void TExStringGrid::UpdateAutoColumnSize(int ACol, int& AWidth) {
    if (OnUpdateColumnSize) OnUpdateColumnSize(this, ACol, AWidth);
}

void TExStringGrid::MouseDown(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) {
    // The cell under the press, taken before the press can scroll the grid; a press within 4 pixels
    // of a column border in the header row starts sizing instead of clicking the header.
    const plat::TGridCoord pressed = MouseCoord(X, Y);
    bool clicks = pressed.X >= 0 && pressed.Y >= 0 && !Shift.contains(plat::ssDouble);
    if (clicks && pressed.Y < FixedRows() && Options().contains(plat::goColSizing)) {
        const plat::TRect r = CellRect(pressed.X, pressed.Y);
        clicks = X - r.Left >= 4 && r.Right - X > 4;
    }
    {
        // A click on the current cell starts an edit only where a single click may.
        struct InClick {
            bool& f;
            ~InClick() { f = false; }
        } inClick{FInClick = true};
        const plat::TGridState before = GridState();
        // An editor that this click opens puts its caret under the click; the flag lives until the
        // button is released, so a later typed key opens the editor as typing does.
        if (Button == plat::mbLeft) {
            FLButFlg = true;
            FLButPos = QPoint(X, Y);
        }
        TBaseGrid::MouseDown(Button, Shift, X, Y);
        // Check boxes, radio buttons and node glyphs act on the click itself.
        if (Button == plat::mbLeft && before == plat::gsNormal &&
            (GridState() == plat::gsNormal || GridState() == plat::gsSelecting) && !Shift.contains(plat::ssDouble)) {
            const plat::TGridCoord cell = MouseCoord(X, Y);
            cellClick(cell.X, cell.Y, X, Y);
        }
    }
    // A sizing starts: remember what is sized and how large it was.
    if (GridState() == plat::gsColSizing || GridState() == plat::gsRowSizing) {
        plat::TGridDrawInfo info;
        CalcDrawInfo(info);
        plat::TGridState st = plat::gsNormal;
        int index = -1, pos = 0, ofs = 0;
        CalcSizingState(X, Y, st, index, pos, ofs, info);
        if (st == plat::gsColSizing && index >= 0 && index < ColCount()) {
            FColclicked = index;
            FColclickedsize = ColWidths(index);
            FColSized = true;
        } else if (st == plat::gsRowSizing && index >= 0 && index < RowCount()) {
            FRowclicked = index;
            FRowclickedsize = RowHeights(index);
            FRowSized = true;
        }
    }
    if (clicks) ClickCell(pressed.Y, pressed.X);
    // The press of a double click comes after the grid's own double-click step: the cell under it.
    FListOnRelease = false;
    if (Shift.contains(plat::ssDouble) && pressed.X >= 0 && pressed.Y >= 0) {
        QWidget* const window = this->window();
        DblClickCell(pressed.Y, pressed.X);
        // A double-clicked drop-down cell opens its list, unless the handler took the user to another
        // window; the list waits for the release, which would otherwise close it again at once.
        if (Button == plat::mbLeft && pressed.X == Col() && pressed.Y == Row() && !IsFixed(pressed.X, pressed.Y) &&
            QApplication::activeWindow() == window) {
            const TEditorType ed = GetCellEditor(RealColIndex(pressed.X), pressed.Y);
            FListOnRelease = ed == edComboList || ed == edComboEdit;
        }
    }
}

void TExStringGrid::MouseUp(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) {
    TBaseGrid::MouseUp(Button, Shift, X, Y);
    if (std::exchange(FListOnRelease, false) && Button == plat::mbLeft) {
        if (!FSpecialEditor && CanEditShow()) ShowInplaceEdit();
        if (FSpecialEditor && FEditCtrl == static_cast<QWidget*>(FEditCombo) && FEditCombo->isVisible())
            FEditCombo->SetDroppedDown(true);
    }
    FLButFlg = false;
    // A sizing that left the size as it was changed nothing: it is over all the same.
    FColSized = FRowSized = false;
}

void TExStringGrid::scaleOthers(bool Cols, int Index, int OldSize) {
    const int now = Cols ? ColWidths(Index) : RowHeights(Index);
    const int from = Cols ? FixedCols() : FixedRows();
    const int count = Cols ? ColCount() : RowCount();
    // Each write below re-enters the size reaction; the sizing is over for it.
    if (Cols) FColSized = false; else FRowSized = false;
    for (int i = from; i < count; ++i) {
        if (i == Index) continue;
        const int s = Cols ? ColWidths(i) : RowHeights(i);
        const int v = int(std::nearbyint(double(s) * now / OldSize));
        if (Cols)
            SetColWidths(i, v);
        else
            SetRowHeights(i, v);
    }
}

void TExStringGrid::ColWidthsChanged() {
    if (FColchgFlg && FColumnSize->Stretch() && !FIsColChanging && FLoaded && parentWidget())
        StretchColumnToFit(FColumnSize->StretchColumn());
    if (IsDesignTime()) FScrollHintWnd->hide();
    TBaseGrid::ColWidthsChanged();
    placeSpecialEditor();
    if (FControlList && FControlList->Count() > 0) CellControlsUpdate(false);
    FColSizeFlg = true;
    if (!FColSized || FColclicked < 0 || FColclicked >= ColCount()) return;
    const int col = FColclicked;
    // The mouse release writes the width once; the column keeps moving only with its pointer.
    if (GridState() == plat::gsColSizing) return;
    if (FMouseActions->AllColumnSize() && FColclickedsize > 0) scaleOthers(true, col, FColclickedsize);
    if (OnEndColumnSize) OnEndColumnSize(this, col);
    int w = ColWidths(col);
    const int before = w;
    UpdateColumnSize(col, w);
    bool done = true;
    if (w != before) {
        FColSized = false;
        SetColWidths(col, w);
        done = false;
    }
    if (done) {
        FColSized = false;
        FColclicked = -1;
        FRowclicked = -1;
    }
    if (FFloatingFooter->Visible()) FFooterPanel->update();
    if (FColumnSize->Stretch() && FScrollProportional) UpdateProportionalVScroll();
}

void TExStringGrid::RowHeightsChanged() {
    if (IsDesignTime()) FScrollHintWnd->hide();
    TBaseGrid::RowHeightsChanged();
    placeSpecialEditor();
    if (FControlList && FControlList->Count() > 0) CellControlsUpdate(false);
    if (!FRowSized || FRowclicked < 0 || FRowclicked >= RowCount()) return;
    if (GridState() == plat::gsRowSizing) return;
    const int row = FRowclicked;
    if (FMouseActions->AllRowSize() && FRowclickedsize > 0) scaleOthers(false, row, FRowclickedsize);
    if (OnEndRowSize) OnEndRowSize(this, row);
    FRowSized = false;
    FColclicked = -1;
    FRowclicked = -1;
}
