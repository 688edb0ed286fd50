#include "dropdowns/ExColorPickerDropDown.h"

#include "platform/Keys.h"

#include <QBitmap>
#include <QColor>
#include <QHash>
#include <QStyle>
#include <QCursor>
#include <QEvent>
#include <QPainter>
#include <QPixmap>
#include <QToolTip>
#include <algorithm>
#include <cmath>

using namespace plat;

namespace dropdowns {

namespace {

QRect InflatedQRect(const TRect& r, int by) {
    return QRect(r.Left - by, r.Top - by, r.Width() + 2 * by, r.Height() + 2 * by);
}

}  // namespace

// ---------------------------------------------------------------------------------------------

TExCustomColorSelectorPanel::TExCustomColorSelectorPanel(QWidget* parent) : TCustomControl(parent) {
    setMouseTracking(true);
}

void TExCustomColorSelectorPanel::SetColor(TColor c) {
    if (c == color_) return;
    color_ = c;
    update();
}

void TExCustomColorSelectorPanel::PaintBackground() {
    TCanvas& canvas = Canvas();
    canvas.Brush().SetColor(color_);
    canvas.FillRect(Rect(0, 0, width(), height()));
}

// ---------------------------------------------------------------------------------------------
// Honeycomb

namespace {

// The cells' colours in number order, row by row (7, 8, ... 13, ... 8, 7 cells a row).
constexpr std::array<TColor, TExColorCubePanel::CellCount> kCubeColors = {
    // row 1
    RGB(0, 51, 102), RGB(51, 102, 153), RGB(51, 102, 204), RGB(0, 51, 153), RGB(0, 0, 153), RGB(0, 0, 204),
    RGB(0, 0, 102),
    // row 2
    RGB(0, 102, 102), RGB(0, 102, 153), RGB(0, 153, 204), RGB(0, 102, 204), RGB(0, 51, 204), RGB(0, 0, 255),
    RGB(51, 51, 255), RGB(51, 51, 153),
    // row 3
    RGB(0, 128, 128), RGB(0, 153, 153), RGB(51, 204, 204), RGB(0, 204, 255), RGB(0, 153, 255),
    RGB(0, 102, 255), RGB(51, 102, 255), RGB(51, 51, 204), RGB(102, 102, 153),
    // row 4
    RGB(51, 153, 102), RGB(0, 204, 153), RGB(0, 255, 204), RGB(0, 255, 255), RGB(51, 204, 255),
    RGB(51, 153, 255), RGB(102, 153, 255), RGB(102, 102, 255), RGB(102, 0, 255), RGB(102, 0, 204),
    // row 5
    RGB(51, 153, 51), RGB(0, 204, 102), RGB(0, 255, 153), RGB(102, 255, 204), RGB(102, 255, 255),
    RGB(102, 204, 255), RGB(153, 204, 255), RGB(153, 153, 255), RGB(153, 102, 255), RGB(153, 51, 255),
    RGB(153, 0, 255),
    // row 6
    RGB(0, 102, 0), RGB(0, 204, 0), RGB(0, 255, 0), RGB(102, 255, 153), RGB(153, 255, 204),
    RGB(204, 255, 255), RGB(204, 236, 255), RGB(204, 204, 255), RGB(204, 153, 255), RGB(204, 102, 255),
    RGB(204, 0, 255), RGB(153, 0, 204),
    // row 7
    RGB(0, 51, 0), RGB(0, 128, 0), RGB(51, 204, 51), RGB(102, 255, 102), RGB(153, 255, 153),
    RGB(204, 255, 204), RGB(255, 255, 255), RGB(255, 204, 255), RGB(255, 153, 255), RGB(255, 102, 255),
    RGB(255, 0, 255), RGB(204, 0, 204), RGB(102, 0, 102),
    // row 8
    RGB(51, 102, 0), RGB(0, 153, 0), RGB(102, 255, 51), RGB(153, 255, 102), RGB(204, 255, 153),
    RGB(255, 255, 204), RGB(255, 204, 204), RGB(255, 153, 204), RGB(255, 102, 204), RGB(255, 51, 204),
    RGB(204, 0, 153), RGB(128, 0, 128),
    // row 9
    RGB(51, 51, 0), RGB(102, 153, 0), RGB(153, 255, 51), RGB(204, 255, 102), RGB(255, 255, 153),
    RGB(255, 204, 153), RGB(255, 153, 153), RGB(255, 102, 153), RGB(255, 51, 153), RGB(204, 51, 153),
    RGB(153, 0, 153),
    // row 10
    RGB(102, 102, 51), RGB(153, 204, 0), RGB(204, 255, 51), RGB(255, 255, 102), RGB(255, 204, 102),
    RGB(255, 153, 102), RGB(255, 124, 128), RGB(255, 0, 102), RGB(214, 0, 147), RGB(153, 51, 102),
    // row 11
    RGB(128, 128, 0), RGB(204, 204, 0), RGB(255, 255, 0), RGB(255, 204, 0), RGB(255, 153, 51),
    RGB(255, 102, 0), RGB(255, 80, 80), RGB(204, 0, 102), RGB(102, 0, 51),
    // row 12
    RGB(153, 102, 51), RGB(204, 153, 0), RGB(255, 153, 0), RGB(204, 102, 0), RGB(255, 51, 0), RGB(255, 0, 0),
    RGB(204, 0, 0), RGB(153, 0, 51),
    // row 13
    RGB(102, 51, 0), RGB(153, 102, 0), RGB(204, 51, 0), RGB(153, 51, 0), RGB(153, 0, 0), RGB(128, 0, 0),
    RGB(165, 0, 33),
};

constexpr int kCubeRows = 13;

// A hexagon with a point at the top and at the bottom: half width a, half height of the sides b.
QList<QPoint> Hexagon(int cx, int cy, int a, int b) {
    return {QPoint(cx - a, cy - b), QPoint(cx, cy - 2 * b), QPoint(cx + a, cy - b),
            QPoint(cx + a, cy + b), QPoint(cx, cy + 2 * b), QPoint(cx - a, cy + b)};
}

}  // namespace

TExColorCubePanel::TExColorCubePanel(QWidget* parent) : TExCustomColorSelectorPanel(parent) {
    InitializeCells();
}

void TExColorCubePanel::InitializeCells() {
    const int a = CubeSize.x();
    std::size_t n = 0;
    for (int r = 1; r <= kCubeRows; ++r) {
        const int y = 20 + 10 * (r - 1);
        const int count = r <= 7 ? r + 6 : 20 - r;
        const int x0 = r <= 7 ? 55 - a * (r - 1) : 19 + a * (r - 7);
        for (int c = 0; c < count; ++c, ++n) FCubeCells[n] = {x0 + 2 * a * c, y, kCubeColors[n]};
    }
}

void TExColorCubePanel::PrepareShow() {
    FHotIndex = -1;
    resize(182, 160);
    update();
}

void TExColorCubePanel::SetSelectedColor(TColor c) {
    FSelectedColor = c;
    FSelectedIndex = -1;
    for (int i = 1; i <= CellCount; ++i)
        if (Cell(i).Color == c) {
            FSelectedIndex = i;
            break;
        }
}

void TExColorCubePanel::SetShowRGBHint(bool on) {
    FShowRGBHint = on;
}

int TExColorCubePanel::CellAt(int X, int Y) const {
    const int r = CubeSize.x();
    for (int i = 1; i <= CellCount; ++i) {
        const int dx = X - Cell(i).X, dy = Y - Cell(i).Y;
        if (dx * dx + dy * dy <= r * r) return i;
    }
    return -1;
}

void TExColorCubePanel::InvalidateCell(int index) {
    if (index < 1 || index > CellCount) return;
    // The hexagon reaches 2 * CubeSize.y() above and below the centre; one pixel more for the pen.
    const TCubeCell& c = Cell(index);
    const int a = CubeSize.x() + 1, b = 2 * CubeSize.y() + 1;
    update(QRect(c.X - a, c.Y - b, 2 * a + 1, 2 * b + 1));
}

void TExColorCubePanel::DrawCell(TCanvas& canvas, int index) {
    if (index < 1 || index > CellCount) return;
    const TCubeCell& c = Cell(index);
    canvas.Pen().SetColor(c.Color);
    canvas.Brush().SetColor(c.Color);
    canvas.Polygon(Hexagon(c.X, c.Y, CubeSize.x(), CubeSize.y()));
    auto outline = [&](TColor outer) {
        canvas.Brush().SetStyle(bsClear);
        canvas.Pen().SetColor(outer);
        canvas.Polygon(Hexagon(c.X, c.Y, 5, 3));
        canvas.Pen().SetColor(clWhite);
        canvas.Polygon(Hexagon(c.X, c.Y, 4, 2));
    };
    if (index == FHotIndex) outline(RGB(255, 0, 0));
    if (index == FSelectedIndex) outline(clBlack);
}

void TExColorCubePanel::Paint() {
    PaintBackground();
    for (int i = 1; i <= CellCount; ++i) DrawCell(Canvas(), i);
}

void TExColorCubePanel::MouseMove(TShiftState Shift, int X, int Y) {
    TExCustomColorSelectorPanel::MouseMove(Shift, X, Y);
    const int i = CellAt(X, Y);
    if (i > 0) {
        if (i == FHotIndex) return;
        const int old = FHotIndex;
        FHotIndex = -1;
        InvalidateCell(old);
        FHotIndex = i;
        InvalidateCell(i);
        if (FShowRGBHint) {
            const TColor c = Cell(i).Color;
            setToolTip(QString::asprintf("Red: %d,  Green: %d,  Blue: %d", GetRValue(c), GetGValue(c), GetBValue(c)));
            // The shown hint still has the old cell's values: let it come again with the new ones.
            QToolTip::hideText();
        }
    } else if (FShowRGBHint && !toolTip().isEmpty()) {
        setToolTip(QString());
        QToolTip::hideText();
    }
}

void TExColorCubePanel::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TExCustomColorSelectorPanel::MouseDown(Button, Shift, X, Y);
    const int i = CellAt(X, Y);
    if (i < 0) return;
    const int old = FSelectedIndex;
    FSelectedIndex = -1;
    InvalidateCell(old);
    FSelectedColor = Cell(i).Color;
    FSelectedIndex = i;
    InvalidateCell(i);
    if (OnSelect) OnSelect(this);
}

void TExColorCubePanel::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TExCustomColorSelectorPanel::MouseUp(Button, Shift, X, Y);
    if (FOnShouldHide) FOnShouldHide(this);
}

bool TExColorCubePanel::event(QEvent* e) {
    // The hint follows the RGB-hint switch.
    if (e->type() == QEvent::ToolTip && !FShowRGBHint) {
        e->ignore();
        return true;
    }
    return TExCustomColorSelectorPanel::event(e);
}

// ---------------------------------------------------------------------------------------------
// Spectrum

namespace {

// The fully saturated colour of hue x / width of a turn, red at x = 0.
void PureHue(int x, int width, int& r, int& g, int& b) {
    const double h = 6.0 * x / width;
    const int sector = std::min(5, int(h));
    const int up = int(std::lround(255.0 * (h - sector)));
    const int down = 255 - up;
    switch (sector) {
        case 0: r = 255, g = up, b = 0; break;
        case 1: r = down, g = 255, b = 0; break;
        case 2: r = 0, g = 255, b = up; break;
        case 3: r = 0, g = down, b = 255; break;
        case 4: r = up, g = 0, b = 255; break;
        default: r = 255, g = 0, b = down; break;
    }
}

QImage MakeSpectrum() {
    constexpr int size = TExColorSpectrumPanel::PictureSize;
    constexpr int middle = size / 2;  // rows middle - 1 and middle carry the pure hue
    QImage img(size, size, QImage::Format_RGB32);
    for (int x = 0; x < size; ++x) {
        int r, g, b;
        PureHue(x, size, r, g, b);
        for (int y = 0; y < size; ++y) {
            auto mix = [&](int c) {
                if (y < middle) {  // from white at the top to the pure hue
                    const double t = double(y) / (middle - 1);
                    return int(std::lround(255 + (c - 255) * t));
                }
                const double t = double(y - middle) / (size - 1 - middle);  // to black at the bottom
                return int(std::lround(c * (1 - t)));
            };
            img.setPixel(x, y, qRgb(mix(r), mix(g), mix(b)));
        }
    }
    return img;
}

// A small ring with a dot in its middle, its hot spot at the centre.
const QCursor& SpectrumPointer() {
    static const QCursor cursor = [] {
        QPixmap pm(15, 15);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setPen(QPen(Qt::white, 3));
        p.drawEllipse(QPoint(7, 7), 5, 5);
        p.setPen(QPen(Qt::black, 1));
        p.drawEllipse(QPoint(7, 7), 5, 5);
        p.drawPoint(7, 7);
        p.end();
        return QCursor(pm, 7, 7);
    }();
    return cursor;
}

// The picture control: it shows the spectrum; its mouse events are the panel's.
class TSpectrumImage : public TGraphicControl {
public:
    explicit TSpectrumImage(QWidget* parent) : TGraphicControl(parent) {
        setMouseTracking(true);
        resize(TExColorSpectrumPanel::PictureSize, TExColorSpectrumPanel::PictureSize);
        setCursor(SpectrumPointer());
    }

protected:
    void Paint() override {
        if (QPainter* p = Canvas().Painter()) p->drawImage(0, 0, SpectrumPicture());
    }
};

}  // namespace

const QImage& SpectrumPicture() {
    static const QImage picture = MakeSpectrum();
    return picture;
}

TExColorSpectrumPanel::TExColorSpectrumPanel(QWidget* parent) : TExCustomColorSelectorPanel(parent) {
    FSpectrumImage = new TSpectrumImage(this);
    FSpectrumImage->OnMouseMove = [this](QObject*, TShiftState, int X, int Y) { ImageMouseMove(X, Y); };
    FSpectrumImage->OnMouseDown = [this](QObject*, TMouseButton, TShiftState, int X, int Y) {
        ImageMouseDown(X, Y);
    };
    FSpectrumImage->OnMouseUp = [this](QObject*, TMouseButton, TShiftState, int, int) { ImageMouseUp(); };
}

void TExColorSpectrumPanel::PrepareShow() {
    constexpr int width = 150, height = 174;
    resize(width, height);
    const int left = (width - PictureSize) / 2, top = 10;
    FSpectrumImage->move(left, top);
    const int bottom = top + PictureSize;
    FSelectedRect = Rect(left - 1, bottom + 8, left + PictureSize / 2 - 2, bottom + 28);
    FHotRect = Rect(FSelectedRect.Right + 4, FSelectedRect.Top, left + PictureSize + 1, FSelectedRect.Bottom);
    FHotColor = clNone;
    update();
}

void TExColorSpectrumPanel::SetSelectedColor(TColor c) {
    FSelectedColor = c;
}

bool TExColorSpectrumPanel::TakeHotColor(int X, int Y) {
    // A drag that left the picture keeps the last colour it was over.
    if (X < 0 || Y < 0 || X >= PictureSize || Y >= PictureSize) return false;
    FHotColor = FromQRgb(SpectrumPicture().pixel(X, Y));
    return true;
}

void TExColorSpectrumPanel::ImageMouseMove(int X, int Y) {
    if (TakeHotColor(X, Y)) update(InflatedQRect(FHotRect, 1));
}

void TExColorSpectrumPanel::ImageMouseDown(int X, int Y) {
    // The press's own pixel: a press that no move preceded (a touch, a click right after the
    // pop-up opened) must not pick the "no colour" of an empty preview.
    if (!TakeHotColor(X, Y)) return;
    FSelectedColor = FHotColor;
    update(InflatedQRect(FSelectedRect, 1));
    update(InflatedQRect(FHotRect, 1));
    if (OnSelect) OnSelect(this);
}

void TExColorSpectrumPanel::ImageMouseUp() {
    if (FOnShouldHide) FOnShouldHide(this);
}

void TExColorSpectrumPanel::DrawSwatch(const TRect& r, TColor c) {
    TCanvas& canvas = Canvas();
    canvas.Brush().SetStyle(bsClear);
    canvas.Pen().SetColor(RGB(128, 128, 128));
    canvas.Rectangle(r.Left - 1, r.Top - 1, r.Right + 1, r.Bottom + 1);
    canvas.Pen().SetColor(clWhite);
    if (c != clNone) canvas.Brush().SetColor(c);
    canvas.Rectangle(r);
}

void TExColorSpectrumPanel::Paint() {
    PaintBackground();
    TCanvas& canvas = Canvas();
    const TRect pic = TRect::fromQRect(FSpectrumImage->geometry());
    canvas.Brush().SetStyle(bsClear);
    canvas.Pen().SetColor(clWhite);
    canvas.Rectangle(pic.Left - 1, pic.Top - 1, pic.Right + 1, pic.Bottom + 1);
    canvas.Pen().SetColor(RGB(128, 128, 128));
    canvas.Rectangle(pic.Left - 2, pic.Top - 2, pic.Right + 2, pic.Bottom + 2);
    DrawSwatch(FSelectedRect, FSelectedColor);
    DrawSwatch(FHotRect, FHotColor);
}

// ---------------------------------------------------------------------------------------------
// Palette

namespace {

struct PaletteRow {
    TItemPos pos;
    std::array<TColor, 10> colors;
};

// A row of base colours, then five rows of their shades from light to dark.
constexpr std::array<PaletteRow, 6> kPalette = {{
    {ipStandAlone,
     {RGB(255, 255, 255), RGB(0, 0, 0), RGB(238, 236, 225), RGB(31, 73, 125), RGB(79, 129, 189),
      RGB(192, 80, 77), RGB(155, 187, 89), RGB(128, 100, 162), RGB(75, 172, 198), RGB(247, 150, 70)}},
    {ipTop,
     {RGB(242, 242, 242), RGB(127, 127, 127), RGB(221, 217, 195), RGB(194, 206, 218), RGB(219, 229, 241),
      RGB(242, 220, 219), RGB(235, 241, 221), RGB(229, 224, 236), RGB(219, 238, 243), RGB(253, 234, 218)}},
    {ipMiddle,
     {RGB(216, 216, 216), RGB(89, 89, 89), RGB(196, 189, 151), RGB(141, 179, 226), RGB(184, 204, 228),
      RGB(229, 185, 183), RGB(215, 227, 188), RGB(204, 193, 217), RGB(183, 221, 232), RGB(251, 213, 181)}},
    {ipMiddle,
     {RGB(191, 191, 191), RGB(63, 63, 63), RGB(147, 137, 83), RGB(84, 141, 212), RGB(149, 179, 215),
      RGB(217, 150, 148), RGB(195, 214, 155), RGB(178, 162, 199), RGB(146, 205, 220), RGB(250, 192, 143)}},
    {ipMiddle,
     {RGB(165, 165, 165), RGB(38, 38, 38), RGB(73, 68, 41), RGB(23, 54, 93), RGB(54, 96, 146),
      RGB(149, 55, 52), RGB(118, 146, 60), RGB(95, 73, 122), RGB(49, 133, 155), RGB(227, 108, 9)}},
    {ipBottom,
     {RGB(127, 127, 127), RGB(12, 12, 12), RGB(29, 27, 16), RGB(15, 36, 62), RGB(36, 64, 97),
      RGB(99, 36, 35), RGB(79, 97, 40), RGB(63, 49, 81), RGB(32, 88, 103), RGB(151, 72, 6)}},
}};

}  // namespace

void TColorBoxItem::SetColor(TColor c) {
    if (c == FColor) return;
    FColor = c;
    if (auto* items = dynamic_cast<TColorBoxItems*>(Collection())) items->Changed();
}

void TColorBoxItem::Assign(const TColorBoxItem& source) {
    FColor = source.FColor;
    FEnabled = source.FEnabled;
    FColorBoxPos = source.FColorBoxPos;
}

void TColorBoxItems::Assign(const TColorBoxItems& source) {
    if (&source == this) return;
    Clear();
    for (int i = 0; i < source.Count(); ++i) Add().Assign(source.Items(i));
    Changed();
}

void TColorBoxItems::Changed() {
    if (OnChange) OnChange(FMyOwner);
}

void TColorBoxAppearance::Reset() {
    FBorderColor = RGB(197, 197, 197);
    FOuterBorderColorHot = RGB(242, 148, 54);
    FInnerBorderColorHot = RGB(255, 226, 148);
    FOuterBorderColorSelected = RGB(255, 0, 0);
    FInnerBorderColorSelected = RGB(255, 226, 148);
}

void TColorBoxAppearance::Assign(const TColorBoxAppearance& source) {
    FBorderColor = source.FBorderColor;
    FOuterBorderColorHot = source.FOuterBorderColorHot;
    FInnerBorderColorHot = source.FInnerBorderColorHot;
    FOuterBorderColorSelected = source.FOuterBorderColorSelected;
    FInnerBorderColorSelected = source.FInnerBorderColorSelected;
}

TCustomColorSelector::TCustomColorSelector(QWidget* parent) : TExCustomColorSelectorPanel(parent), FItems(this) {
    FItems.OnChange = [this](QObject*) { update(); };
    SetItemColorStyle(scOffice2007);
}

void TCustomColorSelector::FillDefaultPalette() {
    FItemIndex = -1;
    FItemHot = -1;
    FItems.Clear();
    for (const PaletteRow& row : kPalette)
        for (TColor c : row.colors) {
            TColorBoxItem& item = FItems.Add();
            item.SetColor(c);
            item.SetColorBoxPos(row.pos);
        }
    update();
}

void TCustomColorSelector::SetItems(const TColorBoxItems& items) {
    if (&items == &FItems) return;
    FItemIndex = -1;
    FItemHot = -1;
    FItems.Assign(items);
    ArrangeItems();
}

bool TCustomColorSelector::Selectable(int index) const {
    return index >= 0 && index < FItems.Count() && FItems.Items(index).Enabled();
}

void TCustomColorSelector::SetItemIndex(int index) {
    // Only a box that exists and is enabled, or none.
    if (index != -1 && !Selectable(index)) return;
    if (FItemIndex >= 0 && FItemIndex != index) {
        const int old = FItemIndex;
        FItemIndex = -1;
        InvalidateItem(old);
    }
    FItemIndex = index;
    if (index < 0) return;
    FSelectedColor = FItems.Items(index).Color();
    InvalidateItem(index);
    if (OnItemSelect) OnItemSelect(this);
}

void TCustomColorSelector::SetItemHot(int index) {
    if (index == FItemHot) return;
    if (index != -1 && !Selectable(index)) return;
    if (FItemHot >= 0) {
        const int old = FItemHot;
        FItemHot = -1;
        InvalidateItem(old);
    }
    FItemHot = index;
    if (index >= 0) InvalidateItem(index);
}

void TCustomColorSelector::SetColumns(int n) {
    if (n == FColumns) return;
    FColumns = n;
    ArrangeItems();
}

void TCustomColorSelector::SetColumnGap(int n) {
    if (n == FColumnGap) return;
    FColumnGap = n;
    ArrangeItems();
}

void TCustomColorSelector::SetColorBoxWidth(int n) {
    if (n == FColorBoxWidth) return;
    FColorBoxWidth = n;
    ArrangeItems();
}

void TCustomColorSelector::SetColorBoxHeight(int n) {
    if (n == FColorBoxHeight) return;
    FColorBoxHeight = n;
    ArrangeItems();
}

void TCustomColorSelector::SetItemColorStyle(TSelectionColorStyle s) {
    if (s == FItemColorStyle) return;
    FItemColorStyle = s;
    if (s != scCustom) {
        FColorBoxAppearance.Reset();
        update();
    }
}

void TCustomColorSelector::SetSelectedColor(TColor c) {
    if (c == FSelectedColor) return;
    FSelectedColor = c;
    if (c != clNone)
        for (int i = 0; i < FItems.Count(); ++i)
            if (FItems.Items(i).Color() == c) {
                SetItemIndex(i);
                return;
            }
    SetItemIndex(-1);
}

void TCustomColorSelector::SelectNext() {
    if (FItems.Count() == 0) return;
    const int target = FItemIndex < 0 ? 0 : FItemIndex + 1;
    if (target < FItems.Count()) SetItemIndex(target);
}

void TCustomColorSelector::SelectPrevious() {
    if (FItems.Count() == 0) return;
    const int target = FItemIndex < 0 ? 0 : FItemIndex - 1;
    if (target >= 0) SetItemIndex(target);
}

void TCustomColorSelector::HotNext() {
    if (FItems.Count() == 0) return;
    const int target = FItemHot < 0 ? 0 : FItemHot + 1;
    if (target < FItems.Count()) SetItemHot(target);
}

void TCustomColorSelector::HotPrevious() {
    if (FItems.Count() == 0) return;
    const int target = FItemHot < 0 ? 0 : FItemHot - 1;
    if (target >= 0) SetItemHot(target);
}

void TCustomColorSelector::HandleKeyDown(uint16_t Key, bool EditorEnabled, bool DroppedDown) {
    if (!isEnabled() || Key < VK_PRIOR || Key > VK_DOWN) return;
    const int count = FItems.Count();
    // With the pop-up open the boxes are a grid; closed, the arrows walk the boxes in order.
    auto byRow = [&](int step) {
        const int target = FItemIndex < 0 ? 0 : FItemIndex + step;
        if (target >= 0 && target < count) SetItemIndex(target);
    };
    switch (Key) {
        case VK_NEXT:
        case VK_END:
            if (count > 0) SetItemIndex(count - 1);
            break;
        case VK_PRIOR:
        case VK_HOME:
            if (count > 0) SetItemIndex(0);
            break;
        case VK_LEFT:
            if (DroppedDown || !EditorEnabled) SelectPrevious();
            break;
        case VK_RIGHT:
            if (DroppedDown || !EditorEnabled) SelectNext();
            break;
        case VK_UP:
            if (DroppedDown) byRow(-FColumns);
            else SelectPrevious();
            break;
        case VK_DOWN:
            if (DroppedDown) byRow(FColumns);
            else SelectNext();
            break;
        default: break;
    }
}

int TCustomColorSelector::ItemAt(int X, int Y) const {
    for (int i = 0; i < FItems.Count(); ++i) {
        const TRect r = FItems.Items(i).Rect();
        if (X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom) return i;
    }
    return -1;
}

void TCustomColorSelector::GetItemArea(TRect& R) {
    R = Rect(FOffSetX, FOffSetY, width() - FOffSetX, height() - FOffSetY);
}

void TCustomColorSelector::GetItemSize(QSize& Size) {
    Size = QSize(FColorBoxWidth, FColorBoxHeight);
}

void TCustomColorSelector::ArrangeItems() {
    if (FItems.Count() == 0) {
        resize(100, 50);
        return;
    }
    FItemHot = -1;
    QSize size;
    GetItemSize(size);
    const int w = size.width(), h = size.height();
    TRect area;
    GetItemArea(area);
    const int x0 = area.Left, y0 = area.Top;
    int x = x0, y = y0, column = 0, maxX = 0;
    bool gapRow = false;  // the row holds a stand-alone box: a gap separates it from the next
    const int last = FItems.Count() - 1;
    for (int i = 0; i <= last; ++i) {
        TColorBoxItem& item = FItems.Items(i);
        item.SetRect(Rect(x, y, x + w, y + h));
        ++column;
        if (i == last) break;
        if (item.ColorBoxPos() == ipStandAlone) gapRow = true;
        if (column < FColumns) {
            x += w + FColumnGap;
        } else {
            if (gapRow) y += FColumnGap;
            gapRow = false;
            y += h;
            maxX = std::max(maxX, x);
            x = x0;
            column = 0;
        }
    }
    resize(std::max(maxX, x) + w + x0 + 1, y + h + y0);
    update();
}

void TCustomColorSelector::InvalidateItem(int Index) {
    if (Index < 0 || Index >= FItems.Count()) return;
    // The border lines lie one pixel right of and below the box.
    const TRect r = FItems.Items(Index).Rect();
    update(QRect(r.Left, r.Top, r.Width() + 1, r.Height() + 1));
}

void TCustomColorSelector::DrawItem(int Index, TCanvas& Canvas) {
    if (Index < 0 || Index >= FItems.Count()) return;
    const TColorBoxItem& item = FItems.Items(Index);
    TRect r = item.Rect();
    if (r.Left < 0 && r.Right < 0) return;
    if (item.Color() != clNone) {
        Canvas.Pen().SetColor(item.Color());
        Canvas.Brush().SetColor(item.Color());
        Canvas.Rectangle(r);
    }
    const TColorBoxAppearance& a = FColorBoxAppearance;
    const bool selected = Index == FItemIndex;
    if (selected || Index == FItemHot) {
        const TColor outer = selected ? a.OuterBorderColorSelected() : a.OuterBorderColorHot();
        const TColor inner = selected ? a.InnerBorderColorSelected() : a.InnerBorderColorHot();
        Canvas.Brush().SetStyle(bsClear);
        if (outer != clNone) {
            Canvas.Pen().SetColor(outer);
            Canvas.Rectangle(r);
        }
        r = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
        if (inner != clNone) {
            Canvas.Pen().SetColor(inner);
            Canvas.Rectangle(r);
        }
        return;
    }
    // Shade rows touch, so a column of shades shares one frame: only its ends get a top or bottom.
    const TItemPos pos = item.ColorBoxPos();
    const bool top = pos == ipStandAlone || pos == ipTop;
    const bool bottom = pos == ipStandAlone || pos == ipBottom;
    const int sideEnd = bottom ? r.Bottom + 1 : r.Bottom;
    Canvas.Pen().SetColor(a.BorderColor());
    Canvas.MoveTo(r.Left, r.Top);
    Canvas.LineTo(r.Left, sideEnd);
    Canvas.MoveTo(r.Right, r.Top);
    Canvas.LineTo(r.Right, sideEnd);
    if (top) {
        Canvas.MoveTo(r.Left, r.Top);
        Canvas.LineTo(r.Right + 1, r.Top);
    }
    if (bottom) {
        Canvas.MoveTo(r.Left, r.Bottom);
        Canvas.LineTo(r.Right + 1, r.Bottom);
    }
}

void TCustomColorSelector::Paint() {
    PaintBackground();
    for (int i = 0; i < FItems.Count(); ++i) DrawItem(i, Canvas());
}

void TCustomColorSelector::MouseMove(TShiftState Shift, int X, int Y) {
    const int i = ItemAt(X, Y);
    if (i >= 0) {
        if (i != FItemHot) SetItemHot(FItems.Items(i).Enabled() ? i : -1);
    } else if (FItemHot >= 0) {
        SetItemHot(-1);
    }
    TExCustomColorSelectorPanel::MouseMove(Shift, X, Y);
}

void TCustomColorSelector::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TExCustomColorSelectorPanel::MouseDown(Button, Shift, X, Y);
    const int i = ItemAt(X, Y);
    if (i >= 0 && FItems.Items(i).Enabled()) SetItemIndex(i);
}

void TCustomColorSelector::MouseLeave() {
    if (FItemHot >= 0) SetItemHot(-1);
    TExCustomColorSelectorPanel::MouseLeave();
}

}  // namespace dropdowns

// ---------------------------------------------------------------------------------------------
// Colour items

namespace dropdowns {

void TColorItem::Changed() {
    if (auto* c = dynamic_cast<TColorItems*>(Collection())) c->Changed();
}

void TColorItem::SetCaption(const QString& Value) {
    if (Value == FCaption) return;
    FCaption = Value;
    Changed();
}

void TColorItem::SetColor(TColor Value) {
    if (Value == FColor) return;
    FColor = Value;
    Changed();
}

void TColorItem::Assign(const TColorItem& Source) {
    SetCaption(Source.FCaption);
    SetColor(Source.FColor);
    FEnabled = Source.FEnabled;
    FHint = Source.FHint;
}

TColorItem& TColorItems::Insert(int Index) {
    TColorItem& item = TCollection<TColorItem>::Insert(Index);
    Changed();
    return item;
}

void TColorItems::Delete(int Index) {
    TCollectionBase::Delete(Index);
    Changed();
}

void TColorItems::Clear() {
    TCollectionBase::Clear();
    Changed();
}

void TColorItems::Assign(const TColorItems& Source) {
    if (&Source == this) return;
    TCollectionBase::Clear();
    for (int i = 0; i < Source.Count(); ++i) TCollection<TColorItem>::Insert(Count()).Assign(Source.Items(i));
    Changed();
}

void TColorItems::Changed() {
    if (OnChange) OnChange(FMyOwner);
}

// ---------------------------------------------------------------------------------------------
// Colour texts

namespace {

QString HtmlText(TColor rgb) {
    return QString::asprintf("#%02X%02X%02X", GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

// The web names by value; of two names for one value the first in alphabetical order.
const QHash<TColor, QString>& WebNames() {
    static const QHash<TColor, QString> names = [] {
        QHash<TColor, QString> h;
        QStringList all = QColor::colorNames();
        all.sort();
        for (const QString& n : all) {
            const QColor q = QColor::fromString(n);
            if (q.alpha() != 255) continue;  // "transparent" is no colour of its own
            const TColor c = RGB(q.red(), q.green(), q.blue());
            if (!h.contains(c)) h.insert(c, n);
        }
        return h;
    }();
    return names;
}

}  // namespace

QString ColorValueText(TColor Value, TColorValueText Form) {
    switch (Form) {
        case cvtNone:
            return QString();
        case cvtHex:
            // The stored order: blue, green, red.
            return QString::number(quint32(Value), 16).toUpper().rightJustified(6, QChar('0'));
        case cvtWebName: {
            const TColor rgb = ColorToRGB(Value);
            const auto it = WebNames().constFind(rgb);
            return it != WebNames().constEnd() ? *it : HtmlText(rgb);
        }
        case cvtRGB: {
            const TColor rgb = ColorToRGB(Value);
            return QString::asprintf("Red:%d,Green:%d,Blue:%d", GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
        }
        case cvtHTML:
            return HtmlText(ColorToRGB(Value));
    }
    return QString();
}

// ---------------------------------------------------------------------------------------------
// The picker

TExColorPickerDropDown::TExColorPickerDropDown(QWidget* parent) : TExCustomDropDown(parent) {
    FColors = new TColorItems(this);
    FColors->OnChange = [](QObject*) {};
    FItemAppearance = new TItemAppearance(this);
    SetEditorEnabled(false);
    DropDownEnabled = true;
    setCursor(Qt::ArrowCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void TExColorPickerDropDown::Created() {
    SetDropDownHeight(200);
    DropDownHeader().SetVisible(false);
    DropDownFooter().SetVisible(false);
}

TExColorPickerDropDown::~TExColorPickerDropDown() {
    // The panels live on the pop-up form, which may outlive these callbacks' targets for a moment.
    if (FItemSelector) {
        FItemSelector->OnItemSelect = nullptr;
        FItemSelector->OnDrawItem = nullptr;
    }
    if (FColorSelector) FColorSelector->OnItemSelect = nullptr;
    if (FColorCubePanel) FColorCubePanel->OnSelect = nullptr;
    if (FSpectrumPanel) FSpectrumPanel->OnSelect = nullptr;
    delete FColors;
    delete FItemAppearance;
}

void TExColorPickerDropDown::AddDefaultColors() {
    static const struct {
        const char* caption;
        TColor color;
    } defaults[] = {
        {"Black", RGB(0, 0, 0)},       {"Maroon", RGB(128, 0, 0)},    {"Green", RGB(0, 128, 0)},
        {"Olive", RGB(128, 128, 0)},   {"Navy", RGB(0, 0, 128)},      {"Purple", RGB(128, 0, 128)},
        {"Teal", RGB(0, 128, 128)},    {"Gray", RGB(128, 128, 128)},  {"Silver", RGB(192, 192, 192)},
        {"Red", RGB(255, 0, 0)},       {"Lime", RGB(0, 255, 0)},      {"Yellow", RGB(255, 255, 0)},
        {"Blue", RGB(0, 0, 255)},      {"Fuchsia", RGB(255, 0, 255)}, {"Aqua", RGB(0, 255, 255)},
        {"White", RGB(255, 255, 255)},
    };
    for (const auto& d : defaults) {
        TColorItem& item = FColors->Add();
        item.SetCaption(QString::fromLatin1(d.caption));
        item.SetColor(d.color);
    }
}

void TExColorPickerDropDown::SetItemIndex(int Value) {
    if (Value >= FColors->Count()) return;
    FItemIndex = Value;
    if (Value >= 0) FSelectedColor = FColors->Items(Value).Color();
    update();
    if (OnSelect) OnSelect(this);
}

void TExColorPickerDropDown::SetSelectedColor(TColor Value) {
    if (Value == FSelectedColor) return;
    FSelectedColor = Value;
    int found = -1;
    for (int i = 0; i < FColors->Count(); ++i)
        if (FColors->Items(i).Color() == Value) {
            found = i;
            break;
        }
    SetItemIndex(found);
    update();
}

QString TExColorPickerDropDown::SelectedColorText() const {
    if (FColorSelectionStyle != csList || FItemIndex < 0)
        return dropdowns::ColorValueText(FSelectedColor, FColorValueText);
    return FColors->Items(FItemIndex).Caption();
}

void TExColorPickerDropDown::SetShowText(bool Value) {
    if (Value == FShowText) return;
    FShowText = Value;
    update();
}

void TExColorPickerDropDown::SetColorValueText(TColorValueText Value) {
    FColorValueText = Value;
    update();
}

void TExColorPickerDropDown::SetComponentStyle(TSkinStyle AStyle) {
    TExCustomDropDown::SetComponentStyle(AStyle);
    SetItemAppearanceStyle(FItemAppearance, AStyle);
}

void TExColorPickerDropDown::SetSelectionColorStyle(TSelectionColorStyle Value) {
    TExCustomDropDown::SetSelectionColorStyle(Value);
    if (FItemSelector) FItemSelector->ItemAppearance().ApplyColorStyle(Value);
}

// ---- Panels ----

void TExColorPickerDropDown::PreparePanel(TColorSelectionStyle Style) {
    TDropDownForm* form = DropDownForm();
    if (!form) return;
    switch (Style) {
        case csList:
            if (!FItemSelector) {
                FItemSelector = new TExCustomItemSelector(form);
                FItemSelector->SetSelectorType(stColor);
                FItemSelector->setGeometry(0, 0, FItemSelector->width(), 150);
                FItemSelector->OnResize = [this](QObject*) { FItemSelector->UpdateSelectorPanel(); };
            }
            FItemSelector->SetColor(DropDownColor());
            FItemSelector->UpdateSelectorPanel();
            SetControl(FItemSelector);
            break;
        case csDiscrete:
            if (!FColorSelector) {
                FColorSelector = new TCustomColorSelector(form);
                FColorSelector->FillDefaultPalette();
            }
            FColorSelector->move(0, 0);
            FColorSelector->SetColor(DropDownColor());
            FColorSelector->ArrangeItems();
            SetControl(FColorSelector);
            break;
        case csColorCube:
            if (!FColorCubePanel) FColorCubePanel = new TExColorCubePanel(form);
            FColorCubePanel->move(0, 0);
            FColorCubePanel->SetColor(DropDownColor());
            SetControl(FColorCubePanel);
            break;
        case csSpectrum:
            if (!FSpectrumPanel) FSpectrumPanel = new TExColorSpectrumPanel(form);
            FSpectrumPanel->move(0, 0);
            FSpectrumPanel->SetColor(DropDownColor());
            SetControl(FSpectrumPanel);
            break;
    }
}

QWidget* TExColorPickerDropDown::StylePanel() const {
    switch (FColorSelectionStyle) {
        case csList:
            return FItemSelector;
        case csDiscrete:
            return FColorSelector;
        case csColorCube:
            return FColorCubePanel;
        case csSpectrum:
            return FSpectrumPanel;
    }
    return nullptr;
}

void TExColorPickerDropDown::WirePanel(TColorSelectionStyle Style) {
    QWidget* panels[] = {FItemSelector, FColorSelector, FColorCubePanel, FSpectrumPanel};
    QWidget* own = panels[Style];
    if (!own) return;
    for (QWidget* p : panels)
        if (p && p != own) p->hide();
    switch (Style) {
        case csList:
            UpdateItemSelector();
            if (OnDrawColor)
                FItemSelector->OnDrawItem = [this](QObject*, TCanvas& Canvas, TRect& R, int Index) {
                    if (OnDrawColor) OnDrawColor(this, Canvas, R, Index);
                };
            else
                FItemSelector->OnDrawItem = nullptr;
            FOldItemIndex = FItemIndex;
            break;
        case csDiscrete:
            FColorSelector->OnItemSelect = nullptr;
            FColorSelector->SetSelectedColor(FSelectedColor);
            FColorSelector->ArrangeItems();
            FColorSelector->OnItemSelect = [this](QObject*) { DiscreteSelect(); };
            FColorSelector->SetItemColorStyle(SelectionColorStyle());
            FColorSelector->show();
            break;
        case csColorCube:
            FColorCubePanel->SetSelectedColor(FSelectedColor);
            FColorCubePanel->InitializeCells();
            FColorCubePanel->PrepareShow();
            FColorCubePanel->OnSelect = [this](QObject*) { PanelSelect(FColorCubePanel->SelectedColor()); };
            FColorCubePanel->show();
            break;
        case csSpectrum:
            FSpectrumPanel->SetSelectedColor(FSelectedColor);
            FSpectrumPanel->PrepareShow();
            FSpectrumPanel->OnSelect = [this](QObject*) { PanelSelect(FSpectrumPanel->SelectedColor()); };
            FSpectrumPanel->show();
            break;
    }
    FOldSelectedColor = FSelectedColor;
}

void TExColorPickerDropDown::CreateDropDownForm() {
    TExCustomDropDown::CreateDropDownForm();
    PreparePanel(FColorSelectionStyle);
}

void TExColorPickerDropDown::BeforeDropDown() {
    TExCustomDropDown::BeforeDropDown();
    PreparePanel(FColorSelectionStyle);
    WirePanel(FColorSelectionStyle);
}

void TExColorPickerDropDown::SetColorSelectionStyle(TColorSelectionStyle Value) {
    if (Value == FColorSelectionStyle) return;
    FColorSelectionStyle = Value;
    PreparePanel(Value);
    WirePanel(Value);
    if (QWidget* p = StylePanel()) p->show();
    if (DroppedDown()) {
        UpdateDropDownSize();
        PlaceDropDownControl();
    }
    if (DropDownForm()) DropDownForm()->update();
}

void TExColorPickerDropDown::UpdateItemSelector() {
    if (!FItemSelector) return;
    TExCustomItemSelector& list = *FItemSelector;
    list.OnItemSelect = nullptr;
    list.SetColumns(FColumns);
    list.SetImages(Images());
    list.SetItemLayout(FLayout);
    list.SetColor(DropDownColor());
    // One batch and one layout, however many colours.
    TSelectorItems& items = list.Items();
    items.BeginUpdate();
    items.Clear();
    for (int i = 0; i < FColors->Count(); ++i) {
        const TColorItem& c = FColors->Items(i);
        TSelectorItem& s = items.Add();
        s.SetCaption(c.Caption());
        s.SetColor(c.Color());
        s.SetHint(c.Hint());
    }
    items.EndUpdate();
    list.SetColorBoxHeight(FColorBoxHeight);
    list.SetColorBoxWidth(FColorBoxWidth);
    list.SetItemAppearance(*FItemAppearance);
    list.UpdateSelectorPanel();
    list.SetItemIndex(FItemIndex);
    list.ScrollItemInView(FItemIndex);
    list.OnItemSelect = [this](QObject*) { ListSelect(); };
}

void TExColorPickerDropDown::FillListIfStale() {
    if (FItemSelector && FItemSelector->Items().Count() != FColors->Count()) UpdateItemSelector();
}

void TExColorPickerDropDown::PlaceDropDownControl() {
    TExCustomDropDown::PlaceDropDownControl();
    if (FColorSelectionStyle != csList && DropDownForm()) DropDownForm()->Sizeable = false;
}

void TExColorPickerDropDown::UpdateDropDownSize() {
    TDropDownForm* form = DropDownForm();
    if (!form) return;
    if (FColorSelectionStyle == csList) {
        int panelHeight = 0;
        if (FItemSelector) {
            int w = 0, h = 0;
            FItemSelector->GetPanelSize(w, h);
            panelHeight = h;
            if (DropDownWidth() < 1) FItemSelector->resize(w, FItemSelector->height());
            if (DropDownHeight() < 1) FItemSelector->resize(FItemSelector->width(), h);
        }
        TExCustomDropDown::UpdateDropDownSize();
        if (FItemSelector) GrowForTheList(*this, *FItemSelector, panelHeight);
        return;
    }
    QWidget* panel = StylePanel();
    const bool shown = panel && !panel->isHidden();
    const int w = shown ? panel->width() + 2 * DropDownBorderWidth : width();
    int h = 2 * DropDownBorderWidth;
    if (DropDownHeader().Visible()) h += DropDownHeader().Height();
    if (DropDownFooter().Visible()) h += DropDownFooter().Height();
    if (shown) h += panel->height();
    form->resize(w, h);
}

void TExColorPickerDropDown::DoShowDropDown() {
    TExCustomDropDown::DoShowDropDown();
    if (!DroppedDown()) return;
    QWidget* panel = StylePanel();
    if (!panel) return;
    if (panel == FItemSelector) {
        // The cells take the pop-up's width, which is known only now that it is shown.
        FItemSelector->UpdateSelectorPanel();
        FItemSelector->ScrollItemInView(FItemSelector->ItemIndex());
    }
    // The panel takes the keys, which come on to the picker.
    panel->setFocus();
}

void TExColorPickerDropDown::DoHideDropDown(bool Cancelled) {
    TExCustomDropDown::DoHideDropDown(Cancelled);
    if (!Cancelled) return;
    if (FColorSelectionStyle == csList && FItemSelector) {
        SetItemIndex(FOldItemIndex);
    } else if (FColorSelectionStyle == csDiscrete && FColorSelector) {
        Internal([&] { FColorSelector->SetSelectedColor(FOldSelectedColor); });
        // The palette gives the colour back only when it holds it; a colour of its own stays
        // changed otherwise.
        SetSelectedColor(FOldSelectedColor);
    }
}

void TExColorPickerDropDown::DropDownFormDestroy() {
    FItemSelector = nullptr;
    FColorCubePanel = nullptr;
    FSpectrumPanel = nullptr;
    FColorSelector = nullptr;
}

// ---- Choices ----

void TExColorPickerDropDown::ListSelect() {
    SetItemIndex(FItemSelector->ItemIndex());
    if (!FInternalCall) DoHideDropDown(false);
}

void TExColorPickerDropDown::DiscreteSelect() {
    SetSelectedColor(FColorSelector->SelectedColor());
    SetItemIndex(-1);
    if (!FInternalCall) DoHideDropDown(false);
}

void TExColorPickerDropDown::PanelSelect(TColor Color) {
    SetSelectedColor(Color);
    SetItemIndex(-1);
    DoHideDropDown(false);
}

// ---- Keys and wheel ----

void TExColorPickerDropDown::keyPressEvent(QKeyEvent* event) {
    lastKeyText_ = plat::KeyPressText(*event);
    TExCustomDropDown::keyPressEvent(event);
}

bool TExColorPickerDropDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == StylePanel() && event->type() == QEvent::KeyPress)
        lastKeyText_ = plat::KeyPressText(*static_cast<QKeyEvent*>(event));
    return TExCustomDropDown::eventFilter(watched, event);
}

void TExColorPickerDropDown::MoveList(int Target) {
    if (!FItemSelector || Target < 0 || Target >= FItemSelector->Items().Count()) return;
    Internal([&] {
        FItemSelector->SetItemIndex(Target);
        FItemSelector->ScrollItemInView(Target);
    });
}

void TExColorPickerDropDown::KeyDown(uint16_t& Key, plat::TShiftState Shift) {
    const QString keyText = std::exchange(lastKeyText_, QString());
    const bool open = DroppedDown();
    bool chosen = false;
    if (isEnabled() && open && Key == VK_RETURN) {
        if (FColorSelectionStyle == csList && FItemSelector && FItemSelector->ItemHot() >= 0) {
            FItemSelector->SetItemIndex(FItemSelector->ItemHot());
            chosen = true;
        } else if (FColorSelectionStyle == csDiscrete && FColorSelector && FColorSelector->ItemHot() >= 0) {
            FColorSelector->SetItemIndex(FColorSelector->ItemHot());
            chosen = true;
        }
    }
    const uint16_t key = Key;
    TExCustomDropDown::KeyDown(Key, Shift);
    if (!isEnabled() || Shift.contains(plat::ssAlt)) return;
    const bool stillOpen = DroppedDown();
    if (FColorSelectionStyle == csList && FItemSelector) {
        TExCustomItemSelector& list = *FItemSelector;
        switch (key) {
            case VK_RETURN:
                if (!chosen && OnSelect) OnSelect(this);
                break;
            case VK_PRIOR:
            case VK_NEXT: {
                FillListIfStale();
                const int n = list.GetVisibleItemCount();
                if (n <= 0) break;
                MoveList(key == VK_PRIOR ? std::max(0, list.ItemIndex() - n)
                                         : std::min(list.ItemIndex() + n, FColors->Count() - 1));
                break;
            }
            case VK_HOME:
            case VK_END:
                if (stillOpen)
                    Internal([&] { key == VK_HOME ? list.SelectFirst() : list.SelectLast(); });
                else if (FColors->Count() > 0)
                    SetItemIndex(key == VK_HOME ? 0 : FColors->Count() - 1);
                break;
            case VK_LEFT:
            case VK_RIGHT:
                if (stillOpen && !EditorEnabled())
                    Internal([&] { key == VK_LEFT ? list.SelectPrevious() : list.SelectNext(); });
                break;
            case VK_UP:
            case VK_DOWN:
                if (stillOpen) {
                    const int i = list.ItemIndex();
                    MoveList(i < 0 ? 0 : key == VK_UP ? i - FColumns : i + FColumns);
                } else if (key == VK_UP) {
                    if (FItemIndex > 0)
                        SetItemIndex(FItemIndex - 1);
                    else if (FItemIndex < 0 && FColors->Count() > 0)
                        SetItemIndex(0);
                } else if (FItemIndex + 1 < FColors->Count()) {
                    SetItemIndex(FItemIndex + 1);
                }
                break;
            default:
                if (!Shift.contains(plat::ssCtrl)) {
                    // The key's own character; a key without one (a function key) searches nothing.
                    const int64_t t = Clock().nowMs();
                    const QString before = FCurSearch.Text(t);
                    const QString now = FCurSearch.Add(keyText, t);
                    if (now.isEmpty() || now == before) break;
                    FillListIfStale();
                    Internal([&] { list.LookupItem(now); });
                }
                break;
        }
        if (stillOpen && (key == VK_PRIOR || key == VK_NEXT || (key >= VK_LEFT && key <= VK_DOWN))) Key = 0;
    } else if (FColorSelectionStyle == csDiscrete && FColorSelector) {
        Internal([&] { FColorSelector->HandleKeyDown(key, EditorEnabled(), stillOpen); });
        if (key == VK_RETURN && !chosen && OnSelect) OnSelect(this);
    }
}

void TExColorPickerDropDown::HandleMouseWheelDown() {
    TExCustomDropDown::HandleMouseWheelDown();
    if (!isEnabled() || ReadOnly()) return;
    if (FColorSelectionStyle == csList && FItemSelector) {
        if (DroppedDown())
            FItemSelector->HotNext();
        else {
            FillListIfStale();
            Internal([&] { FItemSelector->SelectNext(); });
        }
    } else if (FColorSelectionStyle == csDiscrete && FColorSelector) {
        if (DroppedDown())
            FColorSelector->HotNext();
        else
            Internal([&] { FColorSelector->SelectNext(); });
    }
}

void TExColorPickerDropDown::HandleMouseWheelUp() {
    TExCustomDropDown::HandleMouseWheelUp();
    if (!isEnabled() || ReadOnly()) return;
    if (FColorSelectionStyle == csList && FItemSelector) {
        if (DroppedDown())
            FItemSelector->HotPrevious();
        else {
            FillListIfStale();
            Internal([&] { FItemSelector->SelectPrevious(); });
        }
    } else if (FColorSelectionStyle == csDiscrete && FColorSelector) {
        if (DroppedDown())
            FColorSelector->HotPrevious();
        else
            Internal([&] { FColorSelector->SelectPrevious(); });
    }
}

// ---- Face ----

void TExColorPickerDropDown::Paint() {
    TExCustomDropDown::Paint();
    if (Canvas().Painter()) PaintSelectedColor(Canvas());
}

void TExColorPickerDropDown::PaintSelectedColor(TCanvas& Canvas) {
    TRect R{1, 1, width() - DropDownButtonWidth() - 2, height() - 2};
    if (OnDrawSelectedColor) {
        OnDrawSelectedColor(this, Canvas, R);
        return;
    }
    if (FSelectedColor == clNone) return;
    const TRect box{R.Left + 4, R.Top + (height() - FColorBoxHeight) / 2, R.Left + 4 + FColorBoxWidth,
                    R.Top + (height() - FColorBoxHeight) / 2 + FColorBoxHeight};
    Canvas.Pen().SetColor(clBlack);
    Canvas.Pen().SetWidth(1);
    Canvas.Brush().SetStyle(bsSolid);
    Canvas.Brush().SetColor(FSelectedColor);
    Canvas.Rectangle(box);
    if (!FShowText) return;
    Canvas.Font().Assign(Font());
    const bool focused = hasFocus();
    if (!EditorEnabled() && focused) Canvas.Font().SetColor(clHighlightText);
    TRect text{box.Right + 4, R.Top, R.Right, R.Bottom};
    Canvas.Brush().SetColor(focused ? clHighlight : FromQColor(palette().color(QPalette::Base)));
    Canvas.DrawText(SelectedColorText(), text, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
}

}  // namespace dropdowns
