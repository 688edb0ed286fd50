// Cell graphics: the object and the grid's family of Add, Create, query and Remove operations.
#include "fullgrid/ExGridGraphics.h"

#include "fullgrid/ExGrid.h"

#include <cmath>

int RoundHalfEven(double Value) { return static_cast<int>(std::nearbyint(Value)); }

// ---------------------------------------------------------------- TCellGraphic

TCellGraphic::~TCellGraphic() { freeSlots(); }

void TCellGraphic::freeSlots() {
    // Lists the graphic always made itself; objects only when it created them.
    delete CellImages;
    CellImages = nullptr;
    delete CellBalloon;
    CellBalloon = nullptr;
    if (CellCreated) {
        delete CellBitmap;
        delete CellIcon;
        delete CellObject;
    }
    CellBitmap = CellIcon = nullptr;
    CellObject = nullptr;
}

void TCellGraphic::Assign(const TCellGraphic& Source) {
    CellType = Source.CellType;
    CellVAlign = Source.CellVAlign;
    CellHAlign = Source.CellHAlign;
    CellIndex = Source.CellIndex;
    CellTransparent = Source.CellTransparent;
    CellValue = Source.CellValue;
    CellAngle = Source.CellAngle;
    CellBoolean = Source.CellBoolean;
    CellErrFrom = Source.CellErrFrom;
    CellErrLen = Source.CellErrLen;
    CellText = Source.CellText;
    CellCreated = Source.CellCreated;
}

void TCellGraphic::SetBitmap(plat::TBitmap* ABmp, bool Transparent, TCellHAlign hal, TCellVAlign val) {
    CellType = ctBitmap;
    CellBitmap = ABmp;
    CellTransparent = Transparent;
    CellHAlign = hal;
    CellVAlign = val;
}

void TCellGraphic::SetPicture(QObject* APicture, bool Transparent, TStretchMode StretchMode, int padding,
                              TCellHAlign hal, TCellVAlign val, TCellType Kind) {
    CellType = Kind;
    CellObject = APicture;
    CellTransparent = Transparent;
    CellAngle = StretchMode;
    CellIndex = padding;
    CellHAlign = hal;
    CellVAlign = val;
}

void TCellGraphic::SetIcon(plat::TBitmap* AIcon, TCellHAlign hal, TCellVAlign val) {
    CellType = ctIcon;
    CellIcon = AIcon;
    CellHAlign = hal;
    CellVAlign = val;
}

void TCellGraphic::SetImageIdx(int idx, TCellHAlign hal, TCellVAlign val, TCellType Kind) {
    CellType = Kind;
    CellIndex = idx;
    CellHAlign = hal;
    CellVAlign = val;
}

void TCellGraphic::SetButton(int bw, int bh, const QString& Caption, TCellHAlign hal, TCellVAlign val) {
    CellType = ctButton;
    CellIndex = static_cast<int32_t>((static_cast<uint32_t>(bh) << 16) | (static_cast<uint32_t>(bw) & 0xFFFF));
    CellBoolean = false;
    CellText = Caption;
    CellHAlign = hal;
    CellVAlign = val;
}

void TCellGraphic::SetInterfacedCell(QObject* AObject) {
    CellType = ctInterface;
    CellObject = AObject;
}

void TCellGraphic::SetAngle(int16_t AAngle) {
    CellType = ctRotated;
    int a = AAngle;
    while (a < 0) a += 360;
    while (a > 360) a -= 360;
    CellAngle = a;
}

void TCellGraphic::GetPictureSize(int cw, int rh, QSize PictureSize, QPoint& Size) const {
    if (CellType != ctPicture && CellType != ctFilePicture) return;
    const int w = PictureSize.width(), h = PictureSize.height();
    const int a = cw - CellIndex, b = rh - CellIndex;
    const bool fits = a >= w && b >= h;
    auto aspect = [&](bool capAtOne) {
        double rx = w <= 0 ? 1.0 : double(a) / w;
        double ry = h <= 0 ? 1.0 : double(b) / h;
        if (capAtOne) {
            rx = std::min(rx, 1.0);
            ry = std::min(ry, 1.0);
        }
        if (rx >= ry) return QPoint(RoundHalfEven(w * ry), capAtOne ? RoundHalfEven(h * ry) : b);
        return QPoint(capAtOne ? RoundHalfEven(w * rx) : a, RoundHalfEven(h * rx));
    };
    switch (static_cast<TStretchMode>(CellAngle)) {
    case noStretch: Size = QPoint(w, h); break;
    case Stretch: Size = QPoint(a, b); break;
    case Shrink: Size = fits ? QPoint(w, h) : QPoint(a, b); break;
    case StretchWithAspectRatio: Size = aspect(false); break;
    case ShrinkWithAspectRatio: Size = fits ? QPoint(w, h) : aspect(true); break;
    }
}

// ---------------------------------------------------------------- the grid's graphic family

TCellGraphic* TExStringGrid::ownGraphic(int ACol, int ARow) const {
    if (ACol < 0 || ARow < 0) return nullptr;
    return dynamic_cast<TCellGraphic*>(GetGraphicObjectEx(ACol, ARow));
}

TCellGraphic* TExStringGrid::GetCellGraphic(int ACol, int ARow) { return ownGraphic(ACol, ARow); }

TCellType TExStringGrid::GetCellType(int ACol, int ARow) {
    if (ACol < 0 || ARow < 0) return ctEmpty;
    const TCellGraphic* g = GetCellGraphic(ACol, ARow);
    return g ? g->CellType : ctEmpty;
}

TCellGraphic* TExStringGrid::graphicOfType(int ACol, int ARow, TCellType CellType) {
    TCellGraphic* g = GetCellGraphic(ACol, ARow);
    return g && g->CellType == CellType ? g : nullptr;
}

TCellGraphic* TExStringGrid::CreateCellGraphic(int ACol, int ARow) {
    delete ownGraphic(ACol, ARow);
    auto* g = new TCellGraphic;
    SetGraphicObjectEx(ACol, ARow, g);
    if (NumHiddenColumns() > 0 && DisplColIndex(ACol) != ACol) RepaintCell(DisplColIndex(ACol), ARow);
    return g;
}

bool TExStringGrid::RemoveCellGraphic(int ACol, int ARow) {
    TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g) return false;
    // Only the cell's own graphic is freed; shared check boxes are never stored in a cell.
    if (g == ownGraphic(ACol, ARow)) {
        SetGraphicObjectEx(ACol, ARow, nullptr);
        delete g;
    }
    if (!IsDestroying()) RepaintCell(DisplColIndex(ACol), ARow);
    return true;
}

bool TExStringGrid::RemoveCellGraphicOfType(int ACol, int ARow, TCellType CellType) {
    return GetCellType(ACol, ARow) == CellType && RemoveCellGraphic(ACol, ARow);
}

bool TExStringGrid::IsNode(int ARow) { return ARow >= 0 && GetCellType(0, ARow) == ctNode; }
bool TExStringGrid::IsSummary(int ARow) { return ARow >= 0 && GetCellType(0, ARow) == ctSummary; }

// bitmaps

void TExStringGrid::AddBitmap(int ACol, int ARow, plat::TBitmap* ABmp, bool Transparent, int hal, int val) {
    CreateCellGraphic(ACol, ARow)->SetBitmap(ABmp, Transparent, TCellHAlign(hal), TCellVAlign(val));
}

plat::TBitmap* TExStringGrid::CreateBitmap(int ACol, int ARow, bool Transparent, int hal, int val) {
    TCellGraphic* g = CreateCellGraphic(ACol, ARow);
    g->SetBitmap(new plat::TBitmap, Transparent, TCellHAlign(hal), TCellVAlign(val));
    g->CellCreated = true;
    return g->CellBitmap;
}

plat::TBitmap* TExStringGrid::GetBitmap(int ACol, int ARow) {
    const TCellGraphic* g = graphicOfType(ACol, ARow, ctBitmap);
    return g ? g->CellBitmap : nullptr;
}

bool TExStringGrid::RemoveBitmap(int ACol, int ARow) { return RemoveCellGraphicOfType(ACol, ARow, ctBitmap); }

// comments

void TExStringGrid::AddComment(int ACol, int ARow, const QString& Comment) {
    AddColorComment(ACol, ARow, Comment, ControlLook().CommentColor());
}

void TExStringGrid::AddColorComment(int ACol, int ARow, const QString& Comment, TColor Color) {
    TCellGraphic* g = CreateCellGraphic(ACol, ARow);
    g->CellType = ctComment;
    g->CellHAlign = haLeft;
    g->CellVAlign = vaTop;
    g->CellText = Comment;
    g->CellIndex = static_cast<int32_t>(Color);
}

QString TExStringGrid::GetComment(int ACol, int ARow) {
    const TCellGraphic* g = graphicOfType(ACol, ARow, ctComment);
    return g ? g->CellText : QString();
}

void TExStringGrid::SetComment(int ACol, int ARow, const QString& Value) {
    TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g)
        AddComment(ACol, ARow, Value);
    else if (g->CellType == ctComment) {
        g->CellText = Value;
        RepaintCell(DisplColIndex(ACol), ARow);
    }
}

bool TExStringGrid::IsComment(int ACol, int ARow, QString& Comment) {
    const TCellGraphic* g = graphicOfType(ACol, ARow, ctComment);
    if (g) Comment = g->CellText;
    return g != nullptr;
}

bool TExStringGrid::RemoveComment(int ACol, int ARow) { return RemoveCellGraphicOfType(ACol, ARow, ctComment); }

// progress bars

void TExStringGrid::AddProgress(int ACol, int ARow, TColor FGColor, TColor BKColor) {
    TCellGraphic* g = CreateCellGraphic(ACol, ARow);
    g->CellType = ctProgress;
    g->CellHAlign = haLeft;
    g->CellVAlign = vaTop;
    g->CellColor = FGColor;
    g->CellColor2 = BKColor;
    g->CellErrFrom = 0;
    g->CellErrLen = 100;
    g->CellText.clear();
    g->CellBoolean = false;
    if (AutoNumAlign()) GetCellProperties(ACol, ARow)->SetAlignment(taRightJustify);
}

bool TExStringGrid::HasProgress(int ACol, int ARow) { return graphicOfType(ACol, ARow, ctProgress) != nullptr; }
bool TExStringGrid::RemoveProgress(int ACol, int ARow) { return RemoveCellGraphicOfType(ACol, ARow, ctProgress); }

// rotated text

void TExStringGrid::AddRotated(int ACol, int ARow, int16_t AAngle, const QString& S) {
    CreateCellGraphic(ACol, ARow)->SetAngle(AAngle);
    SetCells(ACol, ARow, S);
}

void TExStringGrid::SetRotated(int ACol, int ARow, int16_t AAngle) {
    TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g) g = CreateCellGraphic(ACol, ARow);
    g->SetAngle(AAngle);
    RepaintCell(DisplColIndex(ACol), ARow);
}

bool TExStringGrid::IsRotated(int ACol, int ARow, int& AAngle) {
    const TCellGraphic* g = graphicOfType(ACol, ARow, ctRotated);
    if (g) AAngle = g->CellAngle;
    return g != nullptr;
}

bool TExStringGrid::RemoveRotated(int ACol, int ARow) { return RemoveCellGraphicOfType(ACol, ARow, ctRotated); }

// shapes

void TExStringGrid::AddShape(int ACol, int ARow, int Shape, TColor FillColor, TColor LineColor, int hal, int val) {
    TCellGraphic* g = CreateCellGraphic(ACol, ARow);
    g->CellType = ctShape;
    g->CellAngle = Shape;
    g->CellIndex = static_cast<int32_t>(FillColor);
    g->CellColor = LineColor;
    g->CellHAlign = TCellHAlign(hal);
    g->CellVAlign = TCellVAlign(val);
}

void TExStringGrid::SetShapeColor(int ACol, int ARow, TColor FillColor) {
    if (TCellGraphic* g = graphicOfType(ACol, ARow, ctShape)) {
        g->CellIndex = static_cast<int32_t>(FillColor);
        RepaintCell(DisplColIndex(ACol), ARow);
    }
}

TColor TExStringGrid::GetShapeColor(int ACol, int ARow) {
    const TCellGraphic* g = graphicOfType(ACol, ARow, ctShape);
    return g ? static_cast<TColor>(g->CellIndex) : plat::clNone;
}

bool TExStringGrid::RemoveShape(int ACol, int ARow) { return RemoveCellGraphicOfType(ACol, ARow, ctShape); }

// cell scroll bars

void TExStringGrid::AddScrollBar(int ACol, int ARow, bool AutoRange) {
    TCellGraphic* g = CreateCellGraphic(ACol, ARow);
    g->CellType = ctScrollbar;
    g->CellAngle = 0;
    g->CellErrFrom = 100;
    g->CellBoolean = AutoRange;
}

bool TExStringGrid::HasScrollBar(int ACol, int ARow) { return graphicOfType(ACol, ARow, ctScrollbar) != nullptr; }

void TExStringGrid::SetScrollPosition(int ACol, int ARow, int Pos) {
    const plat::TGridCoord b = BaseCell(ACol, ARow);
    if (TCellGraphic* g = graphicOfType(b.X, b.Y, ctScrollbar)) {
        g->CellIndex = Pos;
        RepaintCell(DisplColIndex(b.X), b.Y);
    }
}

int TExStringGrid::GetScrollPosition(int ACol, int ARow) {
    const plat::TGridCoord b = BaseCell(ACol, ARow);
    const TCellGraphic* g = graphicOfType(b.X, b.Y, ctScrollbar);
    return g ? g->CellIndex : -1;
}

void TExStringGrid::SetScrollProp(int ACol, int ARow, TScrollProp Prop) {
    const plat::TGridCoord b = BaseCell(ACol, ARow);
    if (TCellGraphic* g = graphicOfType(b.X, b.Y, ctScrollbar)) {
        g->CellAngle = Prop.PageSize;
        g->CellErrFrom = Prop.Range;
        RepaintCell(DisplColIndex(b.X), b.Y);
    }
}

TScrollProp TExStringGrid::GetScrollProp(int ACol, int ARow) {
    const plat::TGridCoord b = BaseCell(ACol, ARow);
    const TCellGraphic* g = graphicOfType(b.X, b.Y, ctScrollbar);
    return g ? TScrollProp{g->CellAngle, g->CellErrFrom} : TScrollProp{};
}

bool TExStringGrid::RemoveScrollBar(int ACol, int ARow) { return RemoveCellGraphicOfType(ACol, ARow, ctScrollbar); }

// markers: a range on whatever graphic the cell has

void TExStringGrid::AddMarker(int ACol, int ARow, int ErrPos, int ErrLen) {
    TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g) {
        g = CreateCellGraphic(ACol, ARow);
        g->CellType = ctEmpty;
    }
    g->CellErrFrom = ErrPos;
    g->CellErrLen = ErrLen;
    RepaintCell(DisplColIndex(ACol), ARow);
}

void TExStringGrid::GetMarker(int ACol, int ARow, int& ErrPos, int& ErrLen) {
    const TCellGraphic* g = GetCellGraphic(ACol, ARow);
    ErrPos = g ? g->CellErrFrom : 0;
    ErrLen = g ? g->CellErrLen : 0;
}

void TExStringGrid::RemoveMarker(int ACol, int ARow) {
    TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g) return;
    if (g->CellType == ctEmpty) {
        RemoveCellGraphic(ACol, ARow);
        return;
    }
    g->CellErrFrom = 0;
    g->CellErrLen = 0;
    RepaintCell(DisplColIndex(ACol), ARow);
}

// expand buttons

void TExStringGrid::AddExpand(int ACol, int ARow, int ExpandedHeight) {
    TCellGraphic* g = CreateCellGraphic(ACol, ARow);
    g->CellType = ctExpand;
    g->CellAngle = ExpandedHeight;
    g->CellVar = false;
    g->CellIndex = RowHeights(ARow);
}

bool TExStringGrid::ToggleExpand(int ACol, int ARow) {
    const plat::TGridCoord b = BaseCell(ACol, ARow);
    TCellGraphic* g = GetCellGraphic(b.X, b.Y);
    if (!g) return false;
    g->CellVar = !g->CellVar.toBool();
    return g->CellVar.toBool();
}

bool TExStringGrid::GetExpandState(int ACol, int ARow) {
    const TCellGraphic* g = GetCellGraphic(ACol, ARow);
    return g && g->CellVar.toBool();
}

int TExStringGrid::GetExpandHeight(int ACol, int ARow, bool Expanded) {
    const TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g) return DefaultRowHeight();
    return Expanded ? g->CellAngle : g->CellIndex;
}

bool TExStringGrid::HasExpand(int ACol, int ARow) { return graphicOfType(ACol, ARow, ctExpand) != nullptr; }
bool TExStringGrid::RemoveExpand(int ACol, int ARow) { return RemoveCellGraphicOfType(ACol, ARow, ctExpand); }

// balloons: a graphic of their own, or a list attached to a check box or radio button

void TExStringGrid::AddBalloon(int ACol, int ARow, const QString& Title, const QString& Text, int Icon) {
    TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g) {
        g = CreateCellGraphic(ACol, ARow);
        g->CellType = ctBalloon;
        g->CellAngle = 0;
    } else if (g->CellType == ctCheckBox || g->CellType == ctDataCheckBox || g->CellType == ctRadioButton) {
        g->CellAngle = 1;
    } else {
        return;
    }
    delete g->CellBalloon;
    g->CellBalloon = new QStringList{Title, Text};
    g->CellIndex = Icon;
}

bool TExStringGrid::IsBalloon(int ACol, int ARow, QString& Title, QString& Text, int& Icon) {
    const TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g || !g->CellBalloon) return false;
    const bool own = g->CellType == ctBalloon;
    const bool attached = (g->CellType == ctCheckBox || g->CellType == ctDataCheckBox ||
                           g->CellType == ctRadioButton) && g->CellAngle == 1;
    if (!own && !attached) return false;
    Title = g->CellBalloon->value(0);
    Text = g->CellBalloon->value(1);
    Icon = g->CellIndex;
    return true;
}

bool TExStringGrid::HasBalloon(int ACol, int ARow) { return graphicOfType(ACol, ARow, ctBalloon) != nullptr; }

bool TExStringGrid::RemoveBalloon(int ACol, int ARow) {
    TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g) return false;
    if (g->CellType == ctBalloon) return RemoveCellGraphic(ACol, ARow);
    if (g->CellAngle == 1 && g->CellBalloon &&
        (g->CellType == ctCheckBox || g->CellType == ctDataCheckBox || g->CellType == ctRadioButton)) {
        delete g->CellBalloon;
        g->CellBalloon = nullptr;
        g->CellAngle = 0;
        return true;
    }
    return false;
}
