// The colour picker's panels: the honeycomb's cells, hit test, hint and marks; the spectrum picture,
// its swatches and picking by press; the palette's layout, borders, selection, hot tracking and keys.
#include "dropdowns/ExColorPickerDropDown.h"
#include "platform/Keys.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <vector>

using namespace plat;
using namespace dropdowns;

namespace {

void mouse(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button = Qt::LeftButton) {
    const bool move = type == QEvent::MouseMove;
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
    QMouseEvent e(type, QPointF(p), QPointF(w->mapToGlobal(p)), move ? Qt::NoButton : button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
void moveTo(QWidget* w, QPoint p) { mouse(w, QEvent::MouseMove, p); }
void press(QWidget* w, QPoint p, Qt::MouseButton b = Qt::LeftButton) { mouse(w, QEvent::MouseButtonPress, p, b); }
void release(QWidget* w, QPoint p) { mouse(w, QEvent::MouseButtonRelease, p); }
void leave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

TColor at(const QImage& img, int x, int y) { return FromQRgb(img.pixel(x, y)); }
QImage shot(QWidget& w) { return w.grab().toImage(); }

constexpr TColor kBack = RGB(10, 20, 30);

// ---------------------------------------------------------------------------------------------
// Honeycomb

TEST(ColorCube, CellsFollowTheRowsOfTheHoneycomb) {
    struct Row {
        int firstX, count;
        TColor first, last;
    };
    // Per row: the first centre's x, the number of cells and the first and last colour.
    const Row rows[13] = {
        {55, 7, RGB(0, 51, 102), RGB(0, 0, 102)},        {49, 8, RGB(0, 102, 102), RGB(51, 51, 153)},
        {43, 9, RGB(0, 128, 128), RGB(102, 102, 153)},   {37, 10, RGB(51, 153, 102), RGB(102, 0, 204)},
        {31, 11, RGB(51, 153, 51), RGB(153, 0, 255)},    {25, 12, RGB(0, 102, 0), RGB(153, 0, 204)},
        {19, 13, RGB(0, 51, 0), RGB(102, 0, 102)},       {25, 12, RGB(51, 102, 0), RGB(128, 0, 128)},
        {31, 11, RGB(51, 51, 0), RGB(153, 0, 153)},      {37, 10, RGB(102, 102, 51), RGB(153, 51, 102)},
        {43, 9, RGB(128, 128, 0), RGB(102, 0, 51)},      {49, 8, RGB(153, 102, 51), RGB(153, 0, 51)},
        {55, 7, RGB(102, 51, 0), RGB(165, 0, 33)},
    };
    TExColorCubePanel cube;
    int n = 1;
    for (int r = 0; r < 13; ++r) {
        SCOPED_TRACE(r + 1);
        const int y = 20 + 10 * r;
        EXPECT_EQ(cube.Cell(n).Color, rows[r].first);
        EXPECT_EQ(cube.Cell(n + rows[r].count - 1).Color, rows[r].last);
        for (int c = 0; c < rows[r].count; ++c, ++n) {
            EXPECT_EQ(cube.Cell(n).X, rows[r].firstX + 12 * c) << n;
            EXPECT_EQ(cube.Cell(n).Y, y) << n;
        }
    }
    EXPECT_EQ(n, TExColorCubePanel::CellCount + 1);
    EXPECT_EQ(cube.Cell(64).Color, RGB(255, 255, 255));
    EXPECT_EQ(cube.Cell(118).Color, RGB(255, 0, 0));
}

TEST(ColorCube, HitTestFindsTheCellWithinSixPixelsOfItsCentre) {
    TExColorCubePanel cube;
    const QPoint c64(cube.Cell(64).X, cube.Cell(64).Y), c70(cube.Cell(70).X, cube.Cell(70).Y);
    struct Case {
        const char* what;
        QPoint p;
        int cell;
    };
    const Case cases[] = {
        {"centre", c64, 64},
        {"six pixels right of a centre, the border of the radius", c70 + QPoint(6, 0), 70},
        {"seven pixels right of the row's last centre", c70 + QPoint(7, 0), -1},
        {"in the seam between two cells and the row below", c64 + QPoint(6, 1), -1},
        {"halfway to the next cell: the first in number order", c64 + QPoint(6, 0), 64},
        {"outside the honeycomb", QPoint(2, 2), -1},
    };
    for (const Case& c : cases) EXPECT_EQ(cube.CellAt(c.p.x(), c.p.y()), c.cell) << c.what;
}

TEST(ColorCube, PressSelectsTheCellAndReleaseAsksToHide) {
    TExColorCubePanel cube;
    cube.PrepareShow();
    int selects = 0, hides = 0;
    cube.OnSelect = [&](QObject* s) {
        EXPECT_EQ(s, &cube);
        ++selects;
    };
    cube.FOnShouldHide = [&](QObject*) { ++hides; };
    const QPoint c64(cube.Cell(64).X, cube.Cell(64).Y);

    press(&cube, c64, Qt::RightButton);  // any button picks
    EXPECT_EQ(cube.SelectedColor(), RGB(255, 255, 255));
    EXPECT_EQ(cube.SelectedIndex(), 64);
    EXPECT_EQ(selects, 1);
    release(&cube, c64);
    EXPECT_EQ(hides, 1);

    // Between cells nothing is picked and the old choice stays.
    const QPoint c70(cube.Cell(70).X, cube.Cell(70).Y);
    press(&cube, c70 + QPoint(7, 0));
    EXPECT_EQ(cube.SelectedIndex(), 64);
    EXPECT_EQ(cube.SelectedColor(), RGB(255, 255, 255));
    EXPECT_EQ(selects, 1);
}

TEST(ColorCube, SelectedColorMarksTheFirstCellOfExactlyThatColour) {
    TExColorCubePanel cube;
    cube.SetSelectedColor(RGB(255, 0, 0));
    EXPECT_EQ(cube.SelectedIndex(), 118);
    cube.SetSelectedColor(RGB(255, 0, 1));
    EXPECT_EQ(cube.SelectedIndex(), -1);
    EXPECT_EQ(cube.SelectedColor(), RGB(255, 0, 1));
    cube.SetSelectedColor(clNone);
    EXPECT_EQ(cube.SelectedIndex(), -1);
}

TEST(ColorCube, HoverSetsTheRgbHintAndKeepsTheHotCell) {
    TExColorCubePanel cube;
    cube.PrepareShow();
    moveTo(&cube, QPoint(cube.Cell(1).X, cube.Cell(1).Y));
    EXPECT_EQ(cube.HotIndex(), 1);
    EXPECT_EQ(cube.toolTip(), QStringLiteral("Red: 0,  Green: 51,  Blue: 102"));

    moveTo(&cube, QPoint(2, 2));  // over no cell: no hint, the hot mark stays
    EXPECT_EQ(cube.toolTip(), QString());
    EXPECT_EQ(cube.HotIndex(), 1);
    leave(&cube);
    EXPECT_EQ(cube.HotIndex(), 1);

    cube.SetShowRGBHint(false);
    moveTo(&cube, QPoint(cube.Cell(2).X, cube.Cell(2).Y));
    EXPECT_EQ(cube.HotIndex(), 2);
    EXPECT_EQ(cube.toolTip(), QString());

    cube.PrepareShow();
    EXPECT_EQ(cube.HotIndex(), -1);
    EXPECT_EQ(cube.size(), QSize(182, 160));
}

TEST(ColorCube, PaintsCellsWithHotAndSelectedOutlines) {
    TExColorCubePanel cube;
    cube.SetColor(kBack);
    cube.PrepareShow();
    cube.SetSelectedColor(RGB(255, 255, 255));  // cell 64
    moveTo(&cube, QPoint(cube.Cell(1).X, cube.Cell(1).Y));
    const QImage img = shot(cube);
    const TCubeCell &c1 = cube.Cell(1), &c64 = cube.Cell(64), &c2 = cube.Cell(2);
    EXPECT_EQ(at(img, 1, 1), kBack);
    // A plain cell is its colour throughout.
    EXPECT_EQ(at(img, c2.X, c2.Y), c2.Color);
    EXPECT_EQ(at(img, c2.X - 5, c2.Y), c2.Color);
    // Hot: red outer and white inner outline, the colour inside.
    EXPECT_EQ(at(img, c1.X - 5, c1.Y), RGB(255, 0, 0));
    EXPECT_EQ(at(img, c1.X - 4, c1.Y), clWhite);
    EXPECT_EQ(at(img, c1.X, c1.Y), c1.Color);
    // Selected: black outer outline.
    EXPECT_EQ(at(img, c64.X - 5, c64.Y), clBlack);
    EXPECT_EQ(at(img, c64.X + 5, c64.Y), clBlack);
    EXPECT_EQ(at(img, c64.X - 4, c64.Y), clWhite);
}

// ---------------------------------------------------------------------------------------------
// Spectrum

TEST(ColorSpectrum, PictureRunsTheHueBetweenWhiteAndBlack) {
    const QImage& pic = SpectrumPicture();
    ASSERT_EQ(pic.size(), QSize(128, 128));
    EXPECT_EQ(at(pic, 0, 64), RGB(255, 0, 0));
    EXPECT_EQ(at(pic, 0, 63), RGB(255, 0, 0));
    for (int x = 0; x < 128; ++x) {
        EXPECT_EQ(at(pic, x, 0), clWhite) << x;
        EXPECT_EQ(at(pic, x, 127), clBlack) << x;
    }
    // The hue's landmarks in the saturated rows: which channels are full and which empty.
    struct Mark {
        int x;
        int r, g, b;  // 1 full, 0 empty, -1 any
    };
    const Mark marks[] = {{21, 1, 1, 0}, {43, 0, 1, 0}, {64, 0, 1, 1}, {85, 0, 0, 1}, {107, 1, 0, 1}, {127, 1, 0, -1}};
    for (const Mark& m : marks) {
        const TColor c = at(pic, m.x, 64);
        const int ch[3] = {GetRValue(c), GetGValue(c), GetBValue(c)};
        const int want[3] = {m.r, m.g, m.b};
        for (int i = 0; i < 3; ++i) {
            if (want[i] == 1) {
                EXPECT_GE(ch[i], 245) << m.x << " channel " << i;
            }
            if (want[i] == 0) {
                EXPECT_LE(ch[i], 10) << m.x << " channel " << i;
            }
        }
    }
    // Towards the top the colour pales, towards the bottom it darkens.
    const TColor top = at(pic, 43, 20), bottom = at(pic, 43, 100);
    EXPECT_GT(GetRValue(top), 100);
    EXPECT_EQ(GetGValue(top), 255);
    EXPECT_LT(GetGValue(bottom), 200);
    EXPECT_EQ(GetRValue(bottom), 0);
}

TEST(ColorSpectrum, ShowPreparationPlacesPictureAndSwatches) {
    TExColorSpectrumPanel panel;
    panel.PrepareShow();
    EXPECT_EQ(panel.size(), QSize(150, 174));
    EXPECT_EQ(panel.SpectrumImage()->geometry(), QRect(11, 10, 128, 128));
    EXPECT_EQ(panel.SelectedRect(), Rect(10, 146, 73, 166));
    EXPECT_EQ(panel.HotRect(), Rect(77, 146, 140, 166));
    EXPECT_EQ(panel.HotColor(), clNone);
    EXPECT_EQ(panel.SelectedColor(), clWhite);
}

TEST(ColorSpectrum, PressPicksThePixelUnderTheMouse) {
    TExColorSpectrumPanel panel;
    panel.PrepareShow();
    int selects = 0, hides = 0;
    panel.OnSelect = [&](QObject* s) {
        EXPECT_EQ(s, &panel);
        ++selects;
    };
    panel.FOnShouldHide = [&](QObject*) { ++hides; };
    QWidget* pic = panel.SpectrumImage();
    const QImage& picture = SpectrumPicture();

    moveTo(pic, QPoint(85, 40));
    EXPECT_EQ(panel.HotColor(), at(picture, 85, 40));
    EXPECT_EQ(selects, 0);

    // A press with no move before it takes its own pixel, not the preview's.
    press(pic, QPoint(0, 64));
    EXPECT_EQ(panel.SelectedColor(), RGB(255, 0, 0));
    EXPECT_EQ(panel.HotColor(), RGB(255, 0, 0));
    EXPECT_EQ(selects, 1);
    release(pic, QPoint(0, 64));
    EXPECT_EQ(hides, 1);

    // A drag past the picture's edge keeps the last colour it was over.
    moveTo(pic, QPoint(50, 70));
    moveTo(pic, QPoint(200, 70));
    EXPECT_EQ(panel.HotColor(), at(picture, 50, 70));
}

TEST(ColorSpectrum, PaintsFramesAndSwatches) {
    TExColorSpectrumPanel panel;
    panel.SetColor(kBack);
    panel.PrepareShow();
    panel.SetSelectedColor(RGB(1, 2, 250));
    const QImage before = shot(panel);
    EXPECT_EQ(at(before, 10, 9), clWhite);                 // one pixel outside the picture
    EXPECT_EQ(at(before, 9, 8), RGB(128, 128, 128));       // two pixels outside
    EXPECT_EQ(at(before, 11, 10 + 64), RGB(255, 0, 0));    // the picture's red left edge
    EXPECT_EQ(at(before, 40, 156), RGB(1, 2, 250));        // the selected swatch
    EXPECT_EQ(at(before, 10, 146), clWhite);               // its white edge
    EXPECT_EQ(at(before, 9, 145), RGB(128, 128, 128));     // its grey frame
    EXPECT_EQ(at(before, 100, 156), kBack);                // no hot colour yet: an empty swatch

    moveTo(panel.SpectrumImage(), QPoint(43, 64));
    const QImage after = shot(panel);
    EXPECT_EQ(at(after, 100, 156), at(SpectrumPicture(), 43, 64));
}

// ---------------------------------------------------------------------------------------------
// Palette

struct Palette {
    TCustomColorSelector sel;
    std::vector<int> selects;  // ItemIndex at each OnItemSelect
    Palette() {
        sel.SetColor(kBack);
        sel.FillDefaultPalette();
        sel.ArrangeItems();
        sel.OnItemSelect = [this](QObject* s) {
            EXPECT_EQ(s, &sel);
            selects.push_back(sel.ItemIndex());
        };
    }
    QPoint centre(int i) const {
        const TRect r = sel.Items().Items(i).Rect();
        return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
};

TEST(ColorPalette, LayoutSeparatesTheBaseRowFromTheShadeColumns) {
    Palette p;
    EXPECT_EQ(p.sel.Items().Count(), 60);
    EXPECT_EQ(p.sel.size(), QSize(165, 84));
    EXPECT_EQ(p.sel.Items().Items(0).Rect(), Rect(4, 4, 16, 16));
    EXPECT_EQ(p.sel.Items().Items(9).Rect(), Rect(148, 4, 160, 16));
    EXPECT_EQ(p.sel.Items().Items(10).Rect(), Rect(4, 20, 16, 32));  // a gap under the base row
    EXPECT_EQ(p.sel.Items().Items(20).Rect(), Rect(4, 32, 16, 44));  // shade rows touch
    EXPECT_EQ(p.sel.Items().Items(59).Rect(), Rect(148, 68, 160, 80));
    EXPECT_EQ(p.sel.Items().Items(0).ColorBoxPos(), ipStandAlone);
    EXPECT_EQ(p.sel.Items().Items(15).ColorBoxPos(), ipTop);
    EXPECT_EQ(p.sel.Items().Items(35).ColorBoxPos(), ipMiddle);
    EXPECT_EQ(p.sel.Items().Items(55).ColorBoxPos(), ipBottom);

    // Five columns: two rows of base colours, each followed by a gap.
    p.sel.SetColumns(5);
    EXPECT_EQ(p.sel.size(), QSize(85, 160));
    EXPECT_EQ(p.sel.Items().Items(5).Rect(), Rect(4, 20, 16, 32));
    EXPECT_EQ(p.sel.Items().Items(10).Rect(), Rect(4, 36, 16, 48));
    EXPECT_EQ(p.sel.Items().Items(15).Rect(), Rect(4, 48, 16, 60));

    TCustomColorSelector empty;
    empty.ArrangeItems();
    EXPECT_EQ(empty.size(), QSize(100, 50));
}

TEST(ColorPalette, KeysMoveTheSelection) {
    struct Case {
        const char* what;
        int from;
        uint16_t key;
        bool editorEnabled, dropped;
        int to;
    };
    const Case cases[] = {
        {"open: Down goes a row down", 3, VK_DOWN, false, true, 13},
        {"open: Down from the last row does nothing", 53, VK_DOWN, false, true, 53},
        {"open: Up goes a row up", 13, VK_UP, false, true, 3},
        {"open: Up from the first row does nothing", 3, VK_UP, false, true, 3},
        {"open: Down from no selection takes the first box", -1, VK_DOWN, false, true, 0},
        {"closed: Down takes the next box", 3, VK_DOWN, false, false, 4},
        {"closed: Up takes the previous box", 3, VK_UP, false, false, 2},
        {"closed: Up from no selection takes the first box", -1, VK_UP, false, false, 0},
        {"closed: Down on the last box stays", 59, VK_DOWN, false, false, 59},
        {"open: Right takes the next box, across rows", 9, VK_RIGHT, true, true, 10},
        {"open: Left on the first box stays", 0, VK_LEFT, true, true, 0},
        {"closed, editor off: Left takes the previous box", 5, VK_LEFT, false, false, 4},
        {"closed, editor on: Left is the editor's", 5, VK_LEFT, true, false, 5},
        {"closed, editor on: Right is the editor's", 5, VK_RIGHT, true, false, 5},
        {"End takes the last box", 3, VK_END, true, false, 59},
        {"Page Down takes the last box", 3, VK_NEXT, false, true, 59},
        {"Home takes the first box", 30, VK_HOME, false, true, 0},
        {"Page Up takes the first box", 30, VK_PRIOR, true, false, 0},
        {"Enter is not the palette's", 30, VK_RETURN, false, true, 30},
    };
    for (const Case& c : cases) {
        Palette p;
        p.sel.SetItemIndex(c.from);
        p.selects.clear();
        p.sel.HandleKeyDown(c.key, c.editorEnabled, c.dropped);
        EXPECT_EQ(p.sel.ItemIndex(), c.to) << c.what;
        EXPECT_EQ(p.selects.size(), c.to == c.from ? 0u : 1u) << c.what;
    }

    Palette p;
    p.sel.SetItemIndex(3);
    p.sel.setEnabled(false);
    p.sel.HandleKeyDown(VK_DOWN, false, false);
    EXPECT_EQ(p.sel.ItemIndex(), 3);
}

TEST(ColorPalette, SelectedColorSelectsTheFirstBoxOfThatColour) {
    Palette p;
    p.sel.SetSelectedColor(RGB(255, 255, 255));
    EXPECT_EQ(p.sel.ItemIndex(), 0);
    p.sel.SetSelectedColor(RGB(127, 127, 127));  // boxes 11 and 50 share it
    EXPECT_EQ(p.sel.ItemIndex(), 11);
    EXPECT_EQ(p.selects, (std::vector<int>{0, 11}));
    p.sel.SetSelectedColor(RGB(127, 127, 127));  // unchanged: no event
    EXPECT_EQ(p.selects.size(), 2u);

    p.sel.SetSelectedColor(RGB(1, 2, 3));
    EXPECT_EQ(p.sel.ItemIndex(), -1);
    EXPECT_EQ(p.sel.SelectedColor(), RGB(1, 2, 3));
    p.sel.SetSelectedColor(RGB(0, 0, 0));
    EXPECT_EQ(p.sel.ItemIndex(), 1);
    p.sel.SetSelectedColor(clNone);
    EXPECT_EQ(p.sel.ItemIndex(), -1);
    EXPECT_EQ(p.selects.size(), 3u);
}

TEST(ColorPalette, ItemIndexRefusesDisabledAndMissingBoxes) {
    Palette p;
    p.sel.Items().Items(7).SetEnabled(false);
    p.sel.SetItemIndex(5);
    p.sel.SetItemIndex(7);
    EXPECT_EQ(p.sel.ItemIndex(), 5);
    p.sel.SetItemIndex(60);
    p.sel.SetItemIndex(-2);
    EXPECT_EQ(p.sel.ItemIndex(), 5);
    EXPECT_EQ(p.sel.SelectedColor(), RGB(192, 80, 77));
    p.sel.SetItemIndex(5);  // the same box again is a choice again
    EXPECT_EQ(p.selects, (std::vector<int>{5, 5}));
    p.sel.SetItemIndex(-1);
    EXPECT_EQ(p.sel.ItemIndex(), -1);
    EXPECT_EQ(p.selects.size(), 2u);

    // The arrows stop at a disabled box.
    p.sel.SetItemIndex(6);
    p.sel.HandleKeyDown(VK_RIGHT, false, true);
    EXPECT_EQ(p.sel.ItemIndex(), 6);
}

TEST(ColorPalette, MouseTracksAndSelectsEnabledBoxes) {
    Palette p;
    p.sel.Items().Items(7).SetEnabled(false);
    moveTo(&p.sel, p.centre(12));
    EXPECT_EQ(p.sel.ItemHot(), 12);
    moveTo(&p.sel, p.centre(7));
    EXPECT_EQ(p.sel.ItemHot(), -1);
    moveTo(&p.sel, p.centre(13));
    moveTo(&p.sel, QPoint(1, 1));
    EXPECT_EQ(p.sel.ItemHot(), -1);
    moveTo(&p.sel, p.centre(13));
    leave(&p.sel);
    EXPECT_EQ(p.sel.ItemHot(), -1);

    press(&p.sel, p.centre(7));
    EXPECT_EQ(p.sel.ItemIndex(), -1);
    press(&p.sel, p.centre(42), Qt::RightButton);
    EXPECT_EQ(p.sel.ItemIndex(), 42);
    EXPECT_EQ(p.selects, (std::vector<int>{42}));

    p.sel.HotNext();
    EXPECT_EQ(p.sel.ItemHot(), 0);
    p.sel.SetItemHot(6);
    p.sel.HotNext();  // box 7 is disabled
    EXPECT_EQ(p.sel.ItemHot(), 6);
    p.sel.HotPrevious();
    EXPECT_EQ(p.sel.ItemHot(), 5);
}

TEST(ColorPalette, BordersFollowTheBoxPosition) {
    Palette p;
    const QImage img = shot(p.sel);
    const TColor border = RGB(197, 197, 197);
    auto r = [&](int i) { return p.sel.Items().Items(i).Rect(); };
    auto fill = [&](int i) { return p.sel.Items().Items(i).Color(); };
    EXPECT_EQ(at(img, 1, 1), kBack);
    // Stand-alone: a frame on all four sides, right and bottom one pixel outside the fill.
    EXPECT_EQ(at(img, r(3).Left + 5, r(3).Top), border);
    EXPECT_EQ(at(img, r(3).Left + 5, r(3).Bottom), border);
    EXPECT_EQ(at(img, r(3).Right, r(3).Top + 5), border);
    EXPECT_EQ(at(img, r(3).Left + 5, r(3).Top + 5), fill(3));
    // Top of a column: a top line, no bottom line (the next shade fills it).
    EXPECT_EQ(at(img, r(13).Left + 5, r(13).Top), border);
    EXPECT_EQ(at(img, r(13).Left + 5, r(13).Bottom), fill(23));
    // Middle: sides only.
    EXPECT_EQ(at(img, r(33).Left + 5, r(33).Top), fill(33));
    EXPECT_EQ(at(img, r(33).Left, r(33).Top + 5), border);
    EXPECT_EQ(at(img, r(33).Right, r(33).Top + 5), border);
    // Bottom: a bottom line, the right side reaching it.
    EXPECT_EQ(at(img, r(53).Left + 5, r(53).Bottom), border);
    EXPECT_EQ(at(img, r(53).Right, r(53).Bottom), border);
    EXPECT_EQ(at(img, r(53).Left + 5, r(53).Top), fill(53));
}

TEST(ColorPalette, HotAndSelectedBoxesGetTwoOutlines) {
    Palette p;
    p.sel.SetItemIndex(22);
    moveTo(&p.sel, p.centre(25));
    const QImage img = shot(p.sel);
    const TRect sel = p.sel.Items().Items(22).Rect(), hot = p.sel.Items().Items(25).Rect();
    EXPECT_EQ(at(img, sel.Left, sel.Top), RGB(255, 0, 0));
    EXPECT_EQ(at(img, sel.Left + 1, sel.Top + 1), RGB(255, 226, 148));
    EXPECT_EQ(at(img, sel.Left + 5, sel.Top + 5), p.sel.Items().Items(22).Color());
    EXPECT_EQ(at(img, hot.Left, hot.Top), RGB(242, 148, 54));
    EXPECT_EQ(at(img, hot.Left + 1, hot.Top + 1), RGB(255, 226, 148));
}

TEST(ColorPalette, ColourStylesResetTheAppearanceButCustomKeepsIt) {
    TCustomColorSelector sel;
    EXPECT_EQ(sel.ItemColorStyle(), scOffice2007);
    EXPECT_EQ(sel.ColorBoxAppearance().BorderColor(), RGB(197, 197, 197));
    EXPECT_EQ(sel.ColorBoxAppearance().OuterBorderColorHot(), RGB(242, 148, 54));
    EXPECT_EQ(sel.ColorBoxAppearance().InnerBorderColorHot(), RGB(255, 226, 148));
    EXPECT_EQ(sel.ColorBoxAppearance().OuterBorderColorSelected(), RGB(255, 0, 0));
    EXPECT_EQ(sel.ColorBoxAppearance().InnerBorderColorSelected(), RGB(255, 226, 148));

    sel.SetItemColorStyle(scCustom);
    sel.ColorBoxAppearance().SetBorderColor(RGB(1, 1, 1));
    sel.ColorBoxAppearance().SetOuterBorderColorSelected(RGB(2, 2, 2));
    sel.SetItemColorStyle(scCustom);
    EXPECT_EQ(sel.ColorBoxAppearance().BorderColor(), RGB(1, 1, 1));

    TColorBoxAppearance copy;
    copy.Assign(sel.ColorBoxAppearance());
    EXPECT_EQ(copy.OuterBorderColorSelected(), RGB(2, 2, 2));

    sel.SetItemColorStyle(scWindows7);
    EXPECT_EQ(sel.ColorBoxAppearance().BorderColor(), RGB(197, 197, 197));
    EXPECT_EQ(sel.ColorBoxAppearance().OuterBorderColorSelected(), RGB(255, 0, 0));
}

TEST(ColorPalette, ItemsCopyAndReportColourChanges) {
    Palette p;
    int changes = 0;
    p.sel.Items().OnChange = [&](QObject* s) {
        EXPECT_EQ(s, &p.sel);
        ++changes;
    };
    p.sel.Items().Items(4).SetColor(RGB(9, 9, 9));
    p.sel.Items().Items(4).SetColor(RGB(9, 9, 9));
    EXPECT_EQ(changes, 1);

    TCustomColorSelector other;
    other.SetColumns(4);
    other.SetItems(p.sel.Items());
    ASSERT_EQ(other.Items().Count(), 60);
    EXPECT_EQ(other.Items().Items(4).Color(), RGB(9, 9, 9));
    EXPECT_EQ(other.Items().Items(59).ColorBoxPos(), ipBottom);
    EXPECT_EQ(other.Items().Items(4).Rect(), Rect(4, 20, 16, 32));  // laid out in four columns
}

}  // namespace
