// One cell's texts and objects by real indexes, its look read and written through its properties,
// the row colour setters, and the controls embedded in cells with their placement.
#include "grid/ExGrid.h"

#include "controls/ExUtil.h"

#include <QScrollBar>
#include <QSet>
#include <algorithm>

namespace {

TGridItem* itemOf(TGridItems& Items, int ARealRow) {
    for (int i = Items.Count() - 1; i >= 0; --i)
        if (Items.Items(i).RealIdx == ARealRow) return &Items.Items(i);
    return nullptr;
}

}  // namespace

// ---------------------------------------------------------------- texts and objects by real row

QString TExStringGrid::AllGridCells(int ACol, int ARow) const {
    if (ACol < 0 || ARow < 0) return {};
    if (IsHiddenRow(ARow)) {
        for (int i = FGridItems.Count() - 1; i >= 0; --i)
            if (FGridItems.Items(i).RealIdx == ARow) return FGridItems.Items(i).Record().Cell(ACol);
        return {};
    }
    const int d = DisplRowIndex(ARow);
    return d < RowCount() && ACol < TotalColCount() ? GridCells(ACol, d) : QString();
}

void TExStringGrid::SetAllGridCells(int ACol, int ARow, const QString& Value) {
    if (ACol < 0 || ARow < 0) return;
    if (IsHiddenRow(ARow)) {
        // The raw form does not grow the row's texts: a column past them stays as it is.
        TGridItem* item = itemOf(FGridItems, ARow);
        if (item && ACol < item->Record().TextCount()) item->Record().SetCell(ACol, Value);
        return;
    }
    const int d = DisplRowIndex(ARow);
    SetGridCells(ACol, d, Value);
    if (DisplColIndex(ACol) != ACol) RepaintCell(DisplColIndex(ACol), d);
}

void TExStringGrid::SetAllObjects(int ACol, int ARow, uintptr_t Value) {
    if (IsHiddenRow(ARow)) {
        // A hidden row's user objects live in its cells' properties; a cell without them has no
        // slot to take one while the row is out of the store.
        TGridItem* item = itemOf(FGridItems, ARow);
        if (!item) return;
        if (auto* p = dynamic_cast<TCellProperties*>(item->Record().Object(ACol))) p->SetCellObject(Value);
        return;
    }
    SetObjectEx(ACol, DisplRowIndex(ARow), Value);
}

QString TExStringGrid::AllWideCells(int ACol, int ARow) const { return DecodeWideText(AllCells(ACol, ARow)); }
void TExStringGrid::SetAllWideCells(int ACol, int ARow, const QString& Value) {
    SetAllCells(ACol, ARow, EncodeWideText(Value));
}
QString TExStringGrid::WideCells(int ACol, int ARow) const { return DecodeWideText(GetCellEx(ACol, ARow)); }
void TExStringGrid::SetWideCells(int ACol, int ARow, const QString& Value) { SetCellEx(ACol, ARow, EncodeWideText(Value)); }

QString TExStringGrid::OriginalCells(int ACol, int ARow) const {
    const int pos = ColumnPosition(ACol);
    return GetCellEx(pos == -1 ? ACol : pos, ARow);
}

void TExStringGrid::SetOriginalCells(int ACol, int ARow, const QString& Value) {
    const int pos = ColumnPosition(ACol);
    SetCellEx(pos == -1 ? ACol : pos, ARow, Value);
}

// ---------------------------------------------------------------- one cell's look

namespace {

template <class T, class F>
T readProp(const TExStringGrid& G, int ACol, int ARow, T Default, F Read) {
    return G.CellHasProperties(ACol, ARow) ? Read(*G.GridObjects(ACol, ARow)) : Default;
}

}  // namespace

TColor TExStringGrid::Colors(int ACol, int ARow) const {
    return readProp(*this, ACol, ARow, plat::clNone, [](const TCellProperties& p) { return p.BrushColor(); });
}
TColor TExStringGrid::ColorsTo(int ACol, int ARow) const {
    return readProp(*this, ACol, ARow, plat::clNone, [](const TCellProperties& p) { return p.BrushColorTo(); });
}
TCellGradientDirection TExStringGrid::Gradients(int ACol, int ARow) const {
    return readProp(*this, ACol, ARow, GradientVertical,
                    [](const TCellProperties& p) { return p.GradientDirection(); });
}
TColor TExStringGrid::FontColors(int ACol, int ARow) const {
    return readProp(*this, ACol, ARow, plat::clNone, [](const TCellProperties& p) { return p.FontColor(); });
}
plat::TFontStyles TExStringGrid::FontStyles(int ACol, int ARow) const {
    return readProp(*this, ACol, ARow, plat::TFontStyles{}, [](const TCellProperties& p) { return p.FontStyle(); });
}
QString TExStringGrid::FontNames(int ACol, int ARow) const {
    return readProp(*this, ACol, ARow, QString(), [](const TCellProperties& p) { return p.FontName(); });
}
int TExStringGrid::FontSizes(int ACol, int ARow) const {
    return readProp(*this, ACol, ARow, 0, [](const TCellProperties& p) { return p.FontSize(); });
}
TAlignment TExStringGrid::Alignments(int ACol, int ARow) const {
    return readProp(*this, ACol, ARow, taLeftJustify, [](const TCellProperties& p) { return p.Alignment(); });
}

bool TExStringGrid::WordWraps(int ACol, int ARow) { return GetCellProperties(ACol, ARow)->WordWrap(); }

void TExStringGrid::SetGradients(int ACol, int ARow, TCellGradientDirection Value) {
    GetCellProperties(ACol, ARow)->SetGradientDirection(Value);
    RepaintCell(DisplColIndex(ACol), ARow);
}
void TExStringGrid::SetFontStyles(int ACol, int ARow, plat::TFontStyles Value) {
    GetCellProperties(ACol, ARow)->SetFontStyle(Value);
    RepaintCell(DisplColIndex(ACol), ARow);
}
void TExStringGrid::SetFontNames(int ACol, int ARow, const QString& Value) {
    GetCellProperties(ACol, ARow)->SetFontName(Value);
    RepaintCell(DisplColIndex(ACol), ARow);
}
void TExStringGrid::SetFontSizes(int ACol, int ARow, int Value) {
    GetCellProperties(ACol, ARow)->SetFontSize(Value);
    RepaintCell(DisplColIndex(ACol), ARow);
}
void TExStringGrid::SetFonts(int ACol, int ARow, const plat::TFont& Value) {
    TCellProperties* p = GetCellProperties(ACol, ARow);
    p->SetFontName(Value.Name());
    p->SetFontSize(Value.Size());
    p->SetFontStyle(Value.Style());
    p->SetFontColor(Value.Color());
    if (FUpdateCount == 0) RepaintCell(DisplColIndex(ACol), ARow);
}
void TExStringGrid::SetAlignments(int ACol, int ARow, TAlignment Value) {
    GetCellProperties(ACol, ARow)->SetAlignment(Value);
    RepaintCell(DisplColIndex(ACol), ARow);
}
void TExStringGrid::SetWordWraps(int ACol, int ARow, bool Value) {
    GetCellProperties(ACol, ARow)->SetWordWrap(Value);
    RepaintCell(DisplColIndex(ACol), ARow);
}

int TExStringGrid::LinesInCell(int ACol, int ARow) const { return 1 + int(GridCells(ACol, ARow).count(QChar(u'\r'))); }

void TExStringGrid::SetFocusHelper(const TFocusHelper& Value) { FFocusHelper->Assign(&Value); }

// ---------------------------------------------------------------- row colours

void TExStringGrid::rowColour(int ARow, int Which, TColor AColor) {
    if (ARow < 0 || ARow >= RowCount()) return;
    BeginUpdate();
    for (int c = FixedCols(); c < AllColCount(); ++c) {
        if (AColor != plat::clNone) {
            TCellProperties* p = GetCellProperties(c, ARow);
            if (Which == 0) p->SetBrushColor(AColor);
            else if (Which == 1) p->SetBrushColorTo(AColor);
            else p->SetFontColor(AColor);
            continue;
        }
        if (!CellHasProperties(c, ARow)) continue;
        TCellProperties* p = GetCellProperties(c, ARow);
        // A font colour goes alone while the cell keeps a background colour.
        if (Which == 2 && p->BrushColor() != plat::clNone) {
            p->SetFontColor(plat::clNone);
            continue;
        }
        // The whole properties object goes, and with it the cell's alignment and fonts; a cell
        // with a graphic (a check box's state), a control or a place in a merged block keeps its
        // properties and loses the colour only.
        if (!ownGraphic(c, ARow) && !p->Control() && !IsMergedCell(c, ARow)) {
            FreeCellProperties(c, ARow);
            continue;
        }
        if (Which == 0) p->SetBrushColor(plat::clNone);
        else if (Which == 1) p->SetBrushColorTo(plat::clNone);
        else p->SetFontColor(plat::clNone);
    }
    EndUpdate();
    RepaintRow(ARow);
}

void TExStringGrid::SetRowColor(int ARow, TColor AColor) { rowColour(ARow, 0, AColor); }
void TExStringGrid::SetRowColorTo(int ARow, TColor AColor) { rowColour(ARow, 1, AColor); }
void TExStringGrid::SetRowFontColor(int ARow, TColor AColor) { rowColour(ARow, 2, AColor); }

// ---------------------------------------------------------------- controls embedded in cells

QWidget* TExStringGrid::CellControls(int ACol, int ARow) const {
    return CellHasProperties(ACol, ARow) ? GridObjects(ACol, ARow)->Control() : nullptr;
}

void TExStringGrid::SetCellControls(int ACol, int ARow, QWidget* AControl) {
    const int real = RealRowIndex(ARow);
    if (!AControl) {
        if (!CellControls(ACol, ARow)) return;
        const int i = FControlList->ControlIndex(ACol, real);
        if (i >= 0) FControlList->RemoveControl(i);
        GridObjects(ACol, ARow)->SetControl(nullptr);
        return;
    }
    const int i = FControlList->ControlIndex(ACol, real);
    if (i >= 0) FControlList->RemoveControl(i);
    FControlList->AddControl(ACol, real, AControl);
    GetCellProperties(ACol, ARow)->SetControl(AControl);
    // The cells are painted in the viewport: placed there, the control scrolls with them.
    if (AControl->parentWidget() != viewport()) AControl->setParent(viewport());
    connect(AControl, &QObject::destroyed, this, &TExStringGrid::controlDestroyed, Qt::UniqueConnection);
    AControl->setGeometry(controlRect(DisplColIndex(ACol), ARow));
    CellControlsUpdate(false);
}

void TExStringGrid::controlDestroyed(QObject* Gone) { FControlList->RemoveDestroyed(Gone); }

QRect TExStringGrid::controlRect(int DisplCol, int DisplRow) const {
    const plat::TRect r = CellRect(DisplCol, DisplRow);
    return QRect(r.Left - 1, r.Top - 1, r.Width() + 1, r.Bottom - r.Top + 1);
}

void TExStringGrid::CellControlsUpdate(bool Rebuild) {
    FControlList->RemoveDestroyed();
    if (Rebuild) {
        // The cells' properties carry their controls through every move: the list is read from
        // them, hidden rows' items included; a control no cell holds any more is hidden.
        QSet<QObject*> before;
        for (int i = 0; i < FControlList->Count(); ++i) before.insert(FControlList->Control(i)->Control());
        TControlList fresh;
        const int cols = TotalColCount();
        Store().ForEachRowWithObjects([&](int r) {
            for (int c = 0; c < cols; ++c)
                if (QWidget* w = CellControls(c, r)) fresh.AddControl(c, RealRowIndex(r), w);
        });
        for (int i = 0; i < FGridItems.Count(); ++i) {
            const TGridItem& item = FGridItems.Items(i);
            for (int c = 0; c < cols; ++c)
                if (auto* p = dynamic_cast<const TCellProperties*>(item.Record().Object(c)))
                    if (QWidget* w = p->Control()) fresh.AddControl(c, item.RealIdx, w);
        }
        for (int i = 0; i < fresh.Count(); ++i) before.remove(fresh.Control(i)->Control());
        for (QObject* o : before)
            if (auto* w = qobject_cast<QWidget*>(o)) w->hide();
        *FControlList = std::move(fresh);
    }
    if (FScrollBar && FScrollBar->isVisible()) {
        const plat::TRect r = CellRect(FScrollCol, FScrollRow);
        if (r.Width() > 0 && r.Bottom > r.Top)
            FScrollBar->setGeometry(r.Right - FScrollBar->width(), r.Top, FScrollBar->width(), r.Bottom - r.Top);
        else
            FScrollBar->resize(FScrollBar->width(), 0);
    }
    for (int i = 0; i < FControlList->Count(); ++i) {
        const TControlItem* item = FControlList->Control(i);
        auto* w = qobject_cast<QWidget*>(item->Control());
        if (!w) continue;
        const bool hidden = IsHiddenColumn(item->X()) || IsHiddenRow(item->Y());
        const int dc = DisplColIndex(item->X()), dr = DisplRowIndex(item->Y());
        const bool fixed = dc < FixedCols() || dr < FixedRows();
        if (hidden) {
            w->hide();
            continue;
        }
        if (fixed) continue;
        const bool outside = dc < LeftCol() || dc > LeftCol() + VisibleColCount() || dr < TopRow() ||
                             dr > TopRow() + VisibleRowCount() || dr >= RowCount() || dc >= ColCount();
        const QRect r = outside ? QRect() : controlRect(dc, dr);
        if (r.width() <= 1 || r.height() <= 1) {
            w->hide();
            continue;
        }
        w->setGeometry(r);
        w->show();
        w->update();
    }
}
