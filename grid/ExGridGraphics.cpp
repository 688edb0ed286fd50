// Cell graphics: the object and the grid's family of Add, Create, query and Remove operations.
#include "grid/ExGridGraphics.h"

#include "grid/ExGrid.h"
#include "platform/ImageList.h"

#include <cmath>

int RoundHalfEven(double Value) { return static_cast<int>(std::nearbyint(Value)); }

// ---------------------------------------------------------------- TCellGraphic

TCellGraphic::~TCellGraphic() { freeSlots(); }

void TCellGraphic::freeSlots() {
    // Lists the graphic always made itself; objects only when it created them.
    delete CellImages;
    CellImages = nullptr;
    delete CellStrings;
    CellStrings = nullptr;
    if (CellCreated) {
        delete CellBitmap;
        delete CellIcon;
        delete CellObject;
        delete CellFilePicture;
    }
    CellFilePicture = nullptr;
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

bool TExStringGrid::showsRowCheckBox(int ACol, int ARow) const {
    if (ACol != 0 || ARow < 0 || !FMouseActions->HotmailRowSelect()) return false;
    QObject* o = GetGraphicObjectEx(0, ARow);
    return !o || dynamic_cast<TCellGraphic*>(o);
}

TCellGraphic* TExStringGrid::GetCellGraphic(int ACol, int ARow) {
    if (!showsRowCheckBox(ACol, ARow)) return ownGraphic(ACol, ARow);
    if (!FRowCheckBox) FRowCheckBox = std::make_unique<TCellGraphic>();
    TCellGraphic& box = *FRowCheckBox;
    box.CellType = ctRowCheckBox;
    box.CellTransparent = ControlLook().ControlStyle() == csFlat;
    if (ARow == 0) {
        // The header box: all rows, some rows (grey) or none.
        const int n = RowSelectCount(), data = RowCount() - FixedRows();
        box.CellAngle = n > 0 && n < data ? 1 : 0;
        box.CellBoolean = n >= data;
    } else {
        box.CellAngle = 0;
        box.CellBoolean = ARow < RowCount() && GetRowSelect(RealRowIndex(ARow));
    }
    return &box;
}

TCellType TExStringGrid::GetCellType(int ACol, int ARow) {
    if (ACol < 0 || ARow < 0) return ctEmpty;
    if (FMouseActions->HotmailRowSelect() && ACol == 0) return showsRowCheckBox(ACol, ARow) ? ctRowCheckBox : ctEmpty;
    const TCellGraphic* g = GetCellGraphic(ACol, ARow);
    return g ? g->CellType : ctEmpty;
}

TCellGraphic* TExStringGrid::graphicOfType(int ACol, int ARow, TCellType CellType) {
    TCellGraphic* g = GetCellGraphic(ACol, ARow);
    return g && g->CellType == CellType ? g : nullptr;
}

TCellGraphic* TExStringGrid::CreateCellGraphic(int ACol, int ARow) {
    TCellGraphic* old = ownGraphic(ACol, ARow);
    // Stored before anything is freed: a cell outside the grid raises and changes nothing.
    auto fresh = std::make_unique<TCellGraphic>();
    SetGraphicObjectEx(ACol, ARow, fresh.get());
    delete old;
    TCellGraphic* g = fresh.release();
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
    delete g->CellStrings;
    g->CellStrings = new QStringList{Title, Text};
    g->CellIndex = Icon;
}

bool TExStringGrid::IsBalloon(int ACol, int ARow, QString& Title, QString& Text, int& Icon) {
    const TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g || !g->CellStrings) return false;
    const bool own = g->CellType == ctBalloon;
    const bool attached = (g->CellType == ctCheckBox || g->CellType == ctDataCheckBox ||
                           g->CellType == ctRadioButton) && g->CellAngle == 1;
    if (!own && !attached) return false;
    Title = g->CellStrings->value(0);
    Text = g->CellStrings->value(1);
    Icon = g->CellIndex;
    return true;
}

bool TExStringGrid::HasBalloon(int ACol, int ARow) { return graphicOfType(ACol, ARow, ctBalloon) != nullptr; }

bool TExStringGrid::RemoveBalloon(int ACol, int ARow) {
    TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g) return false;
    if (g->CellType == ctBalloon) return RemoveCellGraphic(ACol, ARow);
    if (g->CellAngle == 1 && g->CellStrings &&
        (g->CellType == ctCheckBox || g->CellType == ctDataCheckBox || g->CellType == ctRadioButton)) {
        delete g->CellStrings;
        g->CellStrings = nullptr;
        g->CellAngle = 0;
        return true;
    }
    return false;
}

// pictures

void TExStringGrid::AddPicture(int ACol, int ARow, THTMLPicture* APicture, bool Transparent,
                               TStretchMode StretchMode, int Padding, int hal, int val) {
    CreateCellGraphic(ACol, ARow)->SetPicture(APicture, Transparent, StretchMode, Padding, TCellHAlign(hal),
                                              TCellVAlign(val));
}

THTMLPicture* TExStringGrid::CreatePicture(int ACol, int ARow, bool Transparent, TStretchMode StretchMode,
                                           int Padding, int hal, int val) {
    auto* pic = new THTMLPicture;
    TCellGraphic* g = CreateCellGraphic(ACol, ARow);
    g->SetPicture(pic, Transparent, StretchMode, Padding, TCellHAlign(hal), TCellVAlign(val));
    g->CellCreated = true;
    return pic;
}

THTMLPicture* TExStringGrid::GetPicture(int ACol, int ARow) {
    const TCellGraphic* g = graphicOfType(ACol, ARow, ctPicture);
    return g ? dynamic_cast<THTMLPicture*>(g->CellObject) : nullptr;
}

bool TExStringGrid::RemovePicture(int ACol, int ARow) { return RemoveCellGraphicOfType(ACol, ARow, ctPicture); }

void TExStringGrid::AddFilePicture(int ACol, int ARow, TFilePicture* APicture, bool Transparent,
                                   TStretchMode StretchMode, int Padding, int hal, int val) {
    TCellGraphic* g = CreateCellGraphic(ACol, ARow);
    g->SetPicture(nullptr, Transparent, StretchMode, Padding, TCellHAlign(hal), TCellVAlign(val), ctFilePicture);
    g->CellFilePicture = APicture;
}

TFilePicture* TExStringGrid::CreateFilePicture(int ACol, int ARow, bool Transparent, TStretchMode StretchMode,
                                               int Padding, int hal, int val) {
    AddFilePicture(ACol, ARow, new TFilePicture, Transparent, StretchMode, Padding, hal, val);
    TCellGraphic* g = GetCellGraphic(ACol, ARow);
    g->CellCreated = true;
    return g->CellFilePicture;
}

TFilePicture* TExStringGrid::GetFilePicture(int ACol, int ARow) {
    const TCellGraphic* g = graphicOfType(ACol, ARow, ctFilePicture);
    return g ? g->CellFilePicture : nullptr;
}

bool TExStringGrid::RemoveFilePicture(int ACol, int ARow) {
    return RemoveCellGraphicOfType(ACol, ARow, ctFilePicture);
}

QSize TExStringGrid::pictureSize(const TCellGraphic& G) const {
    if (G.CellType == ctFilePicture && G.CellFilePicture)
        return {G.CellFilePicture->Width(), G.CellFilePicture->Height()};
    if (const auto* pic = dynamic_cast<const THTMLPicture*>(G.CellObject)) return {pic->Width(), pic->Height()};
    return {0, 0};
}

// icons and image lists

void TExStringGrid::AddIcon(int ACol, int ARow, plat::TBitmap* AIcon, int hal, int val) {
    CreateCellGraphic(ACol, ARow)->SetIcon(AIcon, TCellHAlign(hal), TCellVAlign(val));
}

plat::TBitmap* TExStringGrid::CreateIcon(int ACol, int ARow, int hal, int val) {
    TCellGraphic* g = CreateCellGraphic(ACol, ARow);
    g->SetIcon(new plat::TBitmap, TCellHAlign(hal), TCellVAlign(val));
    g->CellCreated = true;
    return g->CellIcon;
}

bool TExStringGrid::RemoveIcon(int ACol, int ARow) { return RemoveCellGraphicOfType(ACol, ARow, ctIcon); }

void TExStringGrid::AddImageIdx(int ACol, int ARow, int Aidx, int hal, int val) {
    if (!GetGridImages()) return;
    CreateCellGraphic(ACol, ARow)->SetImageIdx(Aidx, TCellHAlign(hal), TCellVAlign(val));
}

bool TExStringGrid::GetImageIdx(int ACol, int ARow, int& idx) {
    const TCellGraphic* g = graphicOfType(ACol, ARow, ctImageList);
    if (!GetGridImages() || !g) return false;
    idx = g->CellIndex;
    return true;
}

void TExStringGrid::SetImageIdx(int ACol, int ARow, int Idx) {
    TCellGraphic* g = graphicOfType(ACol, ARow, ctImageList);
    if (!GetGridImages() || !g) return;
    g->CellIndex = Idx;
    RepaintCell(DisplColIndex(ACol), ARow);
}

bool TExStringGrid::RemoveImageIdx(int ACol, int ARow) { return RemoveCellGraphicOfType(ACol, ARow, ctImageList); }

void TExStringGrid::AddDataImage(int ACol, int ARow, int Aidx, int hal, int val) {
    if (!GetGridImages()) return;
    CreateCellGraphic(ACol, ARow)->SetImageIdx(Aidx, TCellHAlign(hal), TCellVAlign(val), ctDataImage);
    if (Cells(ACol, ARow).isEmpty()) SetInts(ACol, ARow, Aidx);
}

bool TExStringGrid::HasDataImage(int ACol, int ARow) { return CellTypeInSet(ACol, ARow, {ctDataImage}); }

bool TExStringGrid::RemoveDataImage(int ACol, int ARow) {
    if (!RemoveCellGraphicOfType(ACol, ARow, ctDataImage)) return false;
    SetCells(ACol, ARow, QString());
    return true;
}

void TExStringGrid::AddMultiImage(int ACol, int ARow, int Dir, int hal, int val) {
    if (!GetGridImages()) return;
    TCellGraphic* g = CreateCellGraphic(ACol, ARow);
    g->CellType = ctImages;
    g->CellBoolean = Dir == 0;
    g->CellHAlign = TCellHAlign(hal);
    g->CellVAlign = TCellVAlign(val);
    g->CellImages = new TIntList(ACol, ARow);
    g->CellCreated = true;
    // The cell shows every change of its list.
    g->CellImages->OnChange = [this](QObject*, int Col, int Row) { RepaintCell(DisplColIndex(Col), Row); };
}

TIntList* TExStringGrid::GetCellImages(int ACol, int ARow) {
    const TCellGraphic* g = graphicOfType(ACol, ARow, ctImages);
    return g ? g->CellImages : nullptr;
}

bool TExStringGrid::RemoveMultiImage(int ACol, int ARow) { return RemoveCellGraphicOfType(ACol, ARow, ctImages); }

intptr_t TExStringGrid::GetCellImageKey(int ACol, int ARow) {
    const TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g) return -1;
    switch (g->CellType) {
    case ctBitmap: return reinterpret_cast<intptr_t>(g->CellBitmap);
    case ctIcon: return reinterpret_cast<intptr_t>(g->CellIcon);
    case ctImageList: return g->CellIndex;
    default: return -1;
    }
}

// progress kinds

void TExStringGrid::AddProgressEx(int ACol, int ARow, TColor FGColor, TColor FGTextColor, TColor BKColor,
                                  TColor BKTextColor) {
    AddProgress(ACol, ARow, FGColor, BKColor);
    TCellGraphic* g = GetCellGraphic(ACol, ARow);
    g->CellBoolean = true;
    g->CellIndex = static_cast<int32_t>(FGTextColor);
    g->CellAngle = static_cast<int32_t>(BKTextColor);
}

void TExStringGrid::AddProgressFormatted(int ACol, int ARow, TColor FGColor, TColor FGTextColor, TColor BKColor,
                                         TColor BKTextColor, const QString& Fmt, int Min, int Max) {
    AddProgressEx(ACol, ARow, FGColor, FGTextColor, BKColor, BKTextColor);
    TCellGraphic* g = GetCellGraphic(ACol, ARow);
    g->CellText = Fmt;
    g->CellErrFrom = Min;
    g->CellErrLen = Max;
}

void TExStringGrid::AddExProgress(int ACol, int ARow, int Min, int Max) {
    TCellGraphic* g = CreateCellGraphic(ACol, ARow);
    g->CellType = ctXPProgress;
    g->CellHAlign = haLeft;
    g->CellVAlign = vaTop;
    g->CellErrFrom = Min;
    g->CellErrLen = Max;
    g->CellBoolean = false;
    g->CellText.clear();
}

bool TExStringGrid::RemoveExProgress(int ACol, int ARow) { return RemoveCellGraphicOfType(ACol, ARow, ctXPProgress); }

void TExStringGrid::AddProgressPie(int ACol, int ARow, TColor Color, int Value) {
    TCellGraphic* g = CreateCellGraphic(ACol, ARow);
    g->CellType = ctProgressPie;
    g->CellHAlign = haBeforeText;
    g->CellVAlign = vaTop;
    g->CellColor = Color;
    g->CellAngle = Value;
}

void TExStringGrid::SetProgressPie(int ACol, int ARow, int Value) {
    if (TCellGraphic* g = graphicOfType(ACol, ARow, ctProgressPie)) {
        g->CellAngle = Value;
        RepaintCell(DisplColIndex(ACol), ARow);
    }
}

bool TExStringGrid::RemoveProgressPie(int ACol, int ARow) {
    return RemoveCellGraphicOfType(ACol, ARow, ctProgressPie);
}

void TExStringGrid::AddRangeIndicator(int ACol, int ARow, int Range, TColor NegColor, TColor PosColor,
                                      bool ShowValue) {
    TCellGraphic* g = CreateCellGraphic(ACol, ARow);
    g->CellType = ctRangeIndicator;
    g->CellHAlign = haLeft;
    g->CellVAlign = vaTop;
    g->CellIndex = Range;
    g->CellColor = NegColor;
    g->CellColor2 = PosColor;
    g->CellBoolean = ShowValue;
}

bool TExStringGrid::RemoveRangeIndicator(int ACol, int ARow) {
    return RemoveCellGraphicOfType(ACol, ARow, ctRangeIndicator);
}

void TExStringGrid::AddRating(int ACol, int ARow, int Scale, TColor FillColor, TColor EmptyColor) {
    TCellGraphic* g = CreateCellGraphic(ACol, ARow);
    g->CellType = ctRating;
    g->CellHAlign = haFull;
    g->CellAngle = Scale;
    g->CellIndex = static_cast<int32_t>(FillColor);
    g->CellColor = EmptyColor;
}

bool TExStringGrid::HasRating(int ACol, int ARow) { return graphicOfType(ACol, ARow, ctRating) != nullptr; }
bool TExStringGrid::RemoveRating(int ACol, int ARow) { return RemoveCellGraphicOfType(ACol, ARow, ctRating); }

// buttons

void TExStringGrid::AddButton(int ACol, int ARow, int bw, int bh, const QString& Caption, int hal, int val) {
    CreateCellGraphic(ACol, ARow)->SetButton(bw, bh, Caption, TCellHAlign(hal), TCellVAlign(val));
}

void TExStringGrid::AddBitButton(int ACol, int ARow, int bw, int bh, const QString& Caption, plat::TBitmap* Glyph,
                                 int hal, int val) {
    TCellGraphic* g = CreateCellGraphic(ACol, ARow);
    g->SetButton(bw, bh, Caption, TCellHAlign(hal), TCellVAlign(val));
    g->CellType = ctBitButton;
    g->CellBitmap = Glyph;
}

plat::TBitmap* TExStringGrid::CreateBitButton(int ACol, int ARow, int bw, int bh, const QString& Caption, int hal,
                                              int val) {
    auto* glyph = new plat::TBitmap;
    AddBitButton(ACol, ARow, bw, bh, Caption, glyph, hal, val);
    GetCellGraphic(ACol, ARow)->CellCreated = true;
    return glyph;
}

void TExStringGrid::SetButtonText(int ACol, int ARow, const QString& Value) {
    if (TCellGraphic* g = GetCellGraphic(RealColIndex(ACol), ARow)) {
        g->CellText = Value;
        RepaintCell(ACol, ARow);
    }
}

QString TExStringGrid::GetButtonText(int ACol, int ARow) {
    const TCellGraphic* g = GetCellGraphic(RealColIndex(ACol), ARow);
    return g ? g->CellText : QString();
}

void TExStringGrid::PushButton(int ACol, int ARow, bool Push) {
    TCellGraphic* g = GetCellGraphic(RealColIndex(ACol), ARow);
    // A node keeps its state in the same flag.
    if (!g || g->CellType == ctNode) return;
    g->CellBoolean = Push;
    RepaintCell(ACol, ARow);
}

bool TExStringGrid::HasButton(int ACol, int ARow) { return CellTypeInSet(ACol, ARow, {ctButton, ctBitButton}); }

bool TExStringGrid::RemoveButton(int ACol, int ARow) {
    return RemoveCellGraphicOfType(ACol, ARow, ctButton) || RemoveCellGraphicOfType(ACol, ARow, ctBitButton);
}

bool TExStringGrid::RemoveBitButton(int ACol, int ARow) { return RemoveCellGraphicOfType(ACol, ARow, ctBitButton); }

void TExStringGrid::RemoveAllButtons() {
    for (int c = 0; c < ColCount(); ++c)
        for (int r = 0; r < RowCount(); ++r) RemoveButton(c, r);
}

// interfaced objects: drawn and measured through IGridCellDrawer, never owned

void TExStringGrid::AddInterfacedCell(int ACol, int ARow, QObject* AObject) {
    CreateCellGraphic(ACol, ARow)->SetInterfacedCell(AObject);
}

QObject* TExStringGrid::GetInterfacedCell(int ACol, int ARow) {
    const TCellGraphic* g = graphicOfType(ACol, ARow, ctInterface);
    return g ? g->CellObject : nullptr;
}

bool TExStringGrid::RemoveInterfacedCell(int ACol, int ARow) {
    return RemoveCellGraphicOfType(ACol, ARow, ctInterface);
}

// whole-grid removals and small queries

void TExStringGrid::RemoveAllComments() {
    for (int c = 0; c < ColCount(); ++c)
        for (int r = 0; r < RowCount(); ++r) RemoveComment(c, r);
}

void TExStringGrid::RemoveAllMarkers() {
    for (int c = 0; c < ColCount(); ++c)
        for (int r = 0; r < RowCount(); ++r) RemoveMarker(c, r);
}

bool TExStringGrid::HasAutoRangeScrollBar(int ACol, int ARow) {
    const plat::TGridCoord b = BaseCell(ACol, ARow);
    const TCellGraphic* g = graphicOfType(b.X, b.Y, ctScrollbar);
    return g && g->CellBoolean;
}

bool TExStringGrid::CellTypeInSet(int ACol, int ARow, std::initializer_list<TCellType> Kinds) {
    const plat::TGridCoord b = BaseCell(ACol, ARow);
    const TCellType t = GetCellType(b.X, b.Y);
    return std::find(Kinds.begin(), Kinds.end(), t) != Kinds.end();
}

plat::TRect TExStringGrid::CellButtonRect(int ACol, int ARow) {
    const TCellGraphic* g = GetCellGraphic(RealColIndex(ACol), ARow);
    if (!g) return plat::TRect{};
    const plat::TRect cell = CellRect(ACol, ARow);
    const auto offset = static_cast<uint32_t>(std::lround(g->CellValue));
    const auto size = static_cast<uint32_t>(g->CellIndex);
    plat::TRect r;
    r.Left = cell.Left + int(offset & 0xFFFF);
    r.Top = cell.Top + int(offset >> 16);
    r.Right = r.Left + int(size & 0xFFFF);
    r.Bottom = r.Top + int(size >> 16);
    if (g->CellVAlign == vaFull) {
        r.Top = cell.Top;
        r.Bottom = cell.Bottom;
    }
    if (g->CellHAlign == haFull) {
        r.Left = cell.Left;
        r.Right = cell.Right;
    }
    return r;
}

plat::TRect TExStringGrid::ExpandButtonRect(int ACol, int ARow) {
    if (!graphicOfType(RealColIndex(ACol), ARow, ctExpand)) return plat::TRect{};
    const plat::TRect cell = CellRect(ACol, ARow);
    return plat::Rect(cell.Right - 13, cell.Top + 2, cell.Right - 2, cell.Top + 13);
}

// ---------------------------------------------------------------- room for graphics

QPoint TExStringGrid::GetCellGraphicSize(int ACol, int ARow) {
    QPoint size;
    CalcCellGraphicRect(ACol, ARow, size, 0);
    return size;
}

void TExStringGrid::CalcCellGraphicRect(int ACol, int ARow, QPoint& Size, int YInset) {
    Size = QPoint(0, 0);
    const TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g) return;
    const bool hasText = !Cells(ACol, ARow).isEmpty();
    const bool beside = g->CellHAlign == haBeforeText || g->CellHAlign == haAfterText || !hasText;
    const bool stacked = g->CellVAlign == vaUnderText || g->CellVAlign == vaAboveText || !hasText;
    plat::TCanvas& canvas = Canvas();
    const int gh = canvas.TextHeight(QStringLiteral("gh"));
    const plat::TImageList* images = GetGridImages();
    bool fullWidth = true;
    switch (g->CellType) {
    case ctBitmap:
        if (g->CellBitmap) Size = QPoint(beside ? g->CellBitmap->Width() : 0, stacked ? g->CellBitmap->Height() : 0);
        break;
    case ctIcon:
        if (g->CellIcon) Size = QPoint(beside ? g->CellIcon->Width() : 0, g->CellIcon->Height());
        break;
    case ctImageList:
    case ctDataImage:
        if (images) Size = QPoint(beside ? images->Width() : 0, stacked ? images->Height() : 0);
        break;
    case ctImages:
        if (images && g->CellImages) {
            const int n = g->CellImages->Count();
            Size = g->CellBoolean ? QPoint(n * images->Width(), images->Height())
                                  : QPoint(images->Width(), n * images->Height());
        }
        break;
    case ctCheckBox:
    case ctDataCheckBox:
    case ctVirtCheckBox:
    case ctRowCheckBox:
    case ctTriStateCheckBox:
        Size = QPoint(ControlLook().CheckSize(), ControlLook().CheckSize());
        break;
    case ctRadioButton: Size = QPoint(ControlLook().RadioSize(), ControlLook().RadioSize()); break;
    case ctProgressPie: Size = QPoint(20, 20); break;
    case ctRating:
        Size = QPoint(18 * g->CellAngle, 16);
        fullWidth = false;
        break;
    case ctRadio: {
        const QStringList options = g->CellStrings ? *g->CellStrings : QStringList();
        if (g->CellBoolean) {
            int w = 0;
            for (const QString& o : options) w += canvas.TextWidth(o) + 12;
            Size = QPoint(w, gh);
        } else {
            int w = 12;
            for (const QString& o : options) w = std::max(w, canvas.TextWidth(o));
            Size = QPoint(12 + w, std::max(16, gh) * int(options.size()));
        }
        break;
    }
    case ctPicture:
    case ctFilePicture: {
        const QSize cs = CellSize(ACol, ARow);
        const int k = XYOffsetTopLeftOnly() ? 1 : 2;
        g->GetPictureSize(cs.width() - k * XYOffset().x() - 1, cs.height() - k * XYOffset().y() - YInset - 1,
                          pictureSize(*g), Size);
        break;
    }
    case ctButton:
    case ctBitButton: {
        const auto idx = static_cast<uint32_t>(g->CellIndex);
        const int bw = int(idx & 0xFFFF), bh = int(idx >> 16);
        const bool underAbove = g->CellVAlign == vaUnderText || g->CellVAlign == vaAboveText;
        if (hasText) {
            int w = g->CellHAlign == haCenter || underAbove ? 0 : bw;
            if (g->CellHAlign == haFull) w = canvas.TextWidth(g->CellText) + 4;
            Size = QPoint(w, underAbove ? bh : 0);
        } else {
            int w = bw;
            if (g->CellHAlign == haFull) {
                plat::TCanvas& c = canvas;
                const plat::TFont keep = c.Font();
                c.Font().Assign(Font());
                w = c.TextWidth(g->CellText) + 4;
                c.Font().Assign(keep);
                fullWidth = g->CellText.isEmpty();
            }
            Size = QPoint(w, bh);
        }
        break;
    }
    case ctInterface:
        if (auto* d = dynamic_cast<IGridCellDrawer*>(g->CellObject)) {
            Size = QPoint(d->GetWidth(), d->GetHeight());
            if (Size.x() == 0 || Size.y() == 0) {
                const QSize cs = CellSize(ACol, ARow);
                Size = QPoint(cs.width(), cs.height());
            }
        }
        break;
    default: break;
    }
    const plat::TRect cell = CellRect(DisplColIndex(ACol), ARow);
    if (g->CellVAlign == vaFull) Size.setY(cell.Bottom - cell.Top);
    if (g->CellHAlign == haFull && fullWidth) Size.setX(cell.Right - cell.Left);
}

void TExStringGrid::CalcCellGraphicRectEx(int ACol, int ARow, QPoint& Size, double Scale, int Width, int Height) {
    Size = QPoint(0, 0);
    const TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g) return;
    const bool hasText = !Cells(ACol, ARow).isEmpty();
    const bool beside = g->CellHAlign == haBeforeText || g->CellHAlign == haAfterText || !hasText;
    plat::TCanvas& canvas = Canvas();
    const int gh = canvas.TextHeight(QStringLiteral("gh"));
    const plat::TImageList* images = GetGridImages();
    switch (g->CellType) {
    case ctBitmap:
        if (g->CellBitmap) Size = QPoint(g->CellBitmap->Width(), g->CellBitmap->Height());
        break;
    case ctIcon:
        if (g->CellIcon) Size = QPoint(g->CellIcon->Width(), g->CellIcon->Height());
        break;
    case ctImageList:
        if (images) Size = QPoint(beside ? images->Width() : 0, images->Height());
        break;
    case ctDataImage:
        if (images) Size = QPoint(images->Width(), images->Height());
        break;
    case ctImages:
        if (images && g->CellImages) {
            const int n = g->CellImages->Count();
            Size = g->CellBoolean ? QPoint(n * images->Width(), images->Height())
                                  : QPoint(images->Width(), n * images->Height());
        }
        break;
    case ctCheckBox:
    case ctDataCheckBox:
    case ctVirtCheckBox:
    case ctRowCheckBox:
    case ctTriStateCheckBox:
        Size = QPoint(ControlLook().CheckSize(), ControlLook().CheckSize());
        break;
    case ctRadioButton: Size = QPoint(ControlLook().RadioSize(), ControlLook().RadioSize()); break;
    case ctNode:
    case ctProgressPie: Size = QPoint(20, 20); break;
    case ctRadio: {
        const QStringList options = g->CellStrings ? *g->CellStrings : QStringList();
        if (g->CellBoolean) {
            int w = 0;
            for (const QString& o : options) w += canvas.TextWidth(o) + 12;
            Size = QPoint(w, gh);
        } else {
            int w = 12;
            for (const QString& o : options) w = std::max(w, canvas.TextWidth(o));
            Size = QPoint(12 + w, gh * int(options.size()));
        }
        break;
    }
    case ctPicture:
    case ctFilePicture:
        g->GetPictureSize(RoundHalfEven(Width / Scale), RoundHalfEven(Height / Scale), pictureSize(*g), Size);
        break;
    case ctProgress:
    case ctXPProgress: Size = QPoint(ColWidths(DisplColIndex(ACol)), RowHeights(ARow)); break;
    case ctShape: {
        const int side = RowHeights(ARow) - 2 * XYOffset().y();
        Size = QPoint(side, side);
        break;
    }
    case ctButton:
    case ctBitButton: {
        const auto idx = static_cast<uint32_t>(g->CellIndex);
        Size = QPoint(int(idx & 0xFFFF), int(idx >> 16));
        break;
    }
    case ctInterface:
        if (auto* d = dynamic_cast<IGridCellDrawer*>(g->CellObject)) {
            const plat::TRect cell = CellRect(DisplColIndex(ACol), ARow);
            Size = QPoint(d->GetWidth() ? d->GetWidth() : cell.Right - cell.Left,
                          d->GetHeight() ? d->GetHeight() : cell.Bottom - cell.Top);
        }
        break;
    default: break;
    }
}
