// Painting, probed on rendered pictures with the fixed test font: the dialog grids' road (fixed
// cells, selection, check boxes, focus rectangle), the text and graphic layers, the size lines, the
// frame border, the background outside the cells, balloon texts and the focus window.
#include "controls/ExGridPopups.h"
#include "controls/ExUtilDraw.h"
#include "grid/ExCGrid.h"
#include "grid/ExGrid.h"
#include "grid/ExGridPaint.h"
#include "platform/ImageList.h"
#include "platform/Themes.h"

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QPointer>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

using plat::TColor;

// A dialog grid as the configuration windows set it up: 4 columns of 80, rows of 24, one fixed row
// and column, shown in a dialog so that focus and frames are real.
struct DialogGrid {
    QDialog dialog;
    QLineEdit* other;  // takes the focus away from the grid
    TExStringGrid* g;
    explicit DialogGrid(int rows = 6, int cols = 4) {
        other = new QLineEdit(&dialog);
        other->setGeometry(0, 210, 100, 20);
        g = new TExStringGrid(&dialog);
        SetConfiguratorFormValues(*g);
        g->Loaded();
        g->SetColCount(cols);
        g->SetRowCount(rows);
        g->SetFixedRows(1);
        g->SetFixedCols(1);
        g->SetDefaultColWidth(80);
        g->SetDefaultRowHeight(24);
        g->SetBounds(0, 0, 360, 200);
        dialog.resize(360, 240);
        dialog.show();
        dialog.activateWindow();
        QApplication::processEvents();
        unfocus();
    }
    void focus() {
        g->setFocus();
        QApplication::processEvents();
    }
    void unfocus() {
        other->setFocus();
        QApplication::processEvents();
    }
    QImage shot() {
        g->viewport()->repaint();
        return g->viewport()->grab().toImage();
    }
    plat::TRect cell(int c, int r) const { return g->CellRect(c, r); }
};

TColor px(const QImage& img, int x, int y) { return plat::FromQRgb(img.pixel(x, y)); }
int lum(TColor c) { return int(c & 0xFF) + int((c >> 8) & 0xFF) + int((c >> 16) & 0xFF); }

// Whether any pixel of the rectangle differs from the colour.
bool anyOther(const QImage& img, const plat::TRect& r, TColor color) {
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if (px(img, x, y) != color) return true;
    return false;
}


// The first and last columns holding a pixel other than the background within the rows, -1 when none.
std::pair<int, int> inkColumns(const QImage& img, int x0, int x1, int y0, int y1, TColor background) {
    int first = -1, last = -1;
    for (int x = x0; x < x1; ++x)
        for (int y = y0; y < y1; ++y)
            if (px(img, x, y) != background) {
                if (first < 0) first = x;
                last = x;
                break;
            }
    return {first, last};
}

// The cell's data check box, as the check-box cells carry it.
void dataCheckBox(TExStringGrid& g, int c, int r, TCellType kind = ctDataCheckBox) {
    TCellGraphic* cg = g.CreateCellGraphic(c, r);
    cg->CellType = kind;
    cg->CellHAlign = haBeforeText;
    cg->CellVAlign = vaTop;
}

QImage resourceGlyph(const char* name) {
    plat::TBitmap b;
    EXPECT_TRUE(b.LoadFromResourceName(QLatin1String(name))) << name;
    return b.Image();
}

// Whether the picture shows the glyph's opaque pixels at (x, y); its corner colour is see-through.
bool showsGlyph(const QImage& img, const QImage& glyph, int x, int y) {
    const QRgb key = glyph.pixel(0, glyph.height() - 1);
    for (int gy = 0; gy < glyph.height(); ++gy)
        for (int gx = 0; gx < glyph.width(); ++gx)
            if (glyph.pixel(gx, gy) != key && (img.pixel(x + gx, y + gy) & 0xFFFFFF) != (glyph.pixel(gx, gy) & 0xFFFFFF))
                return false;
    return true;
}

}  // namespace

// ---------------------------------------------------------------- the dialog grids' road

TEST(ExGridPaintRoad, HeaderCellsRunFromWhiteToTheButtonFaceWithXPEdgesOnlyWithFixedHorizontalLines) {
    DialogGrid d;
    const plat::TRect r = d.cell(1, 0);
    const int x = r.Left + 40, mid = r.Top + r.Height() / 2;
    const TColor face = plat::ColorToRGB(plat::clBtnFace), darker = DarkerColor(d.g->FixedColor());
    QImage img = d.shot();
    const TColor top = px(img, x, r.Top + 2), bottom = px(img, x, r.Bottom - 3);
    EXPECT_GE(lum(top), 760);
    EXPECT_NE(bottom, top);  // a flat fill fails here
    EXPECT_LE(std::abs(lum(bottom) - lum(face)), 12);
    EXPECT_EQ(px(img, x, r.Bottom - 1), darker);
    EXPECT_EQ(px(img, r.Left, mid), plat::clWhite);
    EXPECT_EQ(px(img, r.Left + 3, r.Top), plat::clWhite);

    plat::TGridOptions o = d.g->Options();
    o.exclude(plat::goFixedHorzLine);
    d.g->SetOptions(o);
    img = d.shot();
    EXPECT_NE(px(img, x, r.Bottom - 1), darker);
    EXPECT_NE(px(img, r.Left, mid), plat::clWhite);
    // Without the top line the content's first row shows the gradient's start.
    EXPECT_EQ(px(img, x, r.Top), plat::clWhite);
    EXPECT_NE(px(img, x, r.Bottom - 3), px(img, x, r.Top + 2));

    o.include(plat::goFixedHorzLine);
    d.g->SetOptions(o);
    d.g->SetFlat(true);
    img = d.shot();
    EXPECT_NE(px(img, x, r.Bottom - 1), darker);
    EXPECT_NE(px(img, r.Left, mid), plat::clWhite);
}

TEST(ExGridPaintRoad, SelectedCellsOfAnUnfocusedGridShowTheSelectionColourOrTheHighlight) {
    DialogGrid d;
    d.g->SetSelection({1, 1, 2, 2});
    const plat::TRect r = d.cell(2, 2);
    EXPECT_EQ(px(d.shot(), r.Left + 5, r.Bottom - 4), TColor(0xEACAB6));
    d.g->SetSelectionColor(plat::clNone);
    EXPECT_EQ(px(d.shot(), r.Left + 5, r.Bottom - 4), plat::ColorToRGB(plat::clHighlight));
    // A cell outside the selection keeps the grid's colour.
    const plat::TRect out = d.cell(3, 3);
    EXPECT_EQ(px(d.shot(), out.Left + 5, out.Bottom - 4), plat::ColorToRGB(d.g->Color()));
}

// An editable cell's box; one the grid may not edit takes the disabled glyph.
void allowEditing(TExStringGrid& g) {
    plat::TGridOptions o = g.Options();
    o.include(plat::goEditing);
    g.SetOptions(o);
}

TEST(ExGridPaintRoad, DataCheckBoxShowsItsGlyphAtTheContentCornerAndNoText) {
    DialogGrid d;
    d.g->ControlLook().SetControlStyle(csWinXP);
    allowEditing(*d.g);
    const plat::TRect r = d.cell(2, 2), content{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    const TColor white = plat::clWhite;
    struct Case {
        const char* name;
        const char* text;
        const char* glyph;
    } cases[] = {{"checked", "Y", "SGCHK05"}, {"unchecked", "N", "SGCHK06"}, {"anything else", "yes", "SGCHK06"},
                 {"read-only", "Y", "SGCHK07"}};
    for (const Case& c : cases) {
        if (std::string(c.name) == "read-only") d.g->SetReadOnly(2, 2, true);
        dataCheckBox(*d.g, 2, 2);
        d.g->SetCells(2, 2, c.text);
        const QImage img = d.shot();
        const QImage glyph = resourceGlyph(c.glyph);
        EXPECT_EQ(glyph.size(), QSize(15, 15));
        EXPECT_TRUE(showsGlyph(img, glyph, content.Left + 1, content.Top + 1)) << c.name;
        // Nothing beside the box: the stored value is no text to show.
        EXPECT_FALSE(anyOther(img, {content.Left + 17, content.Top, content.Right, content.Bottom}, white)) << c.name;
    }
}

TEST(ExGridPaintRoad, PlainCheckBoxTextStartsSeventeenPixelsRightOfTheContentEdge) {
    DialogGrid d;
    d.g->ControlLook().SetControlStyle(csWinXP);
    allowEditing(*d.g);
    const plat::TRect r = d.cell(2, 2);
    d.g->SetCells(2, 2, "Mm");
    d.g->SetCells(2, 3, "Mm");
    dataCheckBox(*d.g, 2, 2, ctCheckBox);
    const QImage img = d.shot();
    const plat::TRect plain = d.cell(2, 3);
    const auto withBox = inkColumns(img, r.Left + 18, r.Right - 1, r.Top + 1, r.Bottom - 1, plat::clWhite);
    const auto without = inkColumns(img, plain.Left + 1, plain.Right - 1, plain.Top + 1, plain.Bottom - 1, plat::clWhite);
    ASSERT_GE(without.first, 0);
    // The plain cell's text starts at content + 2; beside the box 15 pixels further.
    EXPECT_EQ(withBox.first - r.Left, without.first - plain.Left + 15);
    EXPECT_TRUE(showsGlyph(img, resourceGlyph("SGCHK06"), r.Left + 2, r.Top + 2));
}

TEST(ExGridPaintRoad, FocusRectangleOnlyOnTheCurrentCellOfAFocusedGrid) {
    DialogGrid d;
    d.g->FocusCell(2, 2);
    const QImage unfocused = d.shot();
    d.focus();
    ASSERT_TRUE(d.g->Focused());
    const QImage focused = d.shot();
    // The ring: the cell less one pixel at the right and bottom.
    auto ringDiffers = [&](const QImage& a, const QImage& b, const plat::TRect& c) {
        int n = 0;
        for (int x = c.Left; x < c.Right - 1; ++x) n += a.pixel(x, c.Top) != b.pixel(x, c.Top);
        for (int y = c.Top; y < c.Bottom - 1; ++y) n += a.pixel(c.Left, y) != b.pixel(c.Left, y);
        return n;
    };
    EXPECT_GT(ringDiffers(unfocused, focused, d.cell(2, 2)), 20);
    EXPECT_EQ(ringDiffers(unfocused, focused, d.cell(3, 3)), 0);
    EXPECT_EQ(ringDiffers(unfocused, focused, d.cell(1, 1)), 0);

    d.g->SetHideFocusRect(true);
    EXPECT_EQ(ringDiffers(unfocused, d.shot(), d.cell(2, 2)), 0);
    d.g->SetHideFocusRect(false);

    plat::TGridOptions o = d.g->Options();
    o.include(plat::goRowSelect);
    d.g->SetOptions(o);
    const QImage rowFocused = d.shot();
    d.unfocus();
    const QImage rowUnfocused = d.shot();
    EXPECT_EQ(ringDiffers(rowUnfocused, rowFocused, d.cell(2, 2)), 0);
}

TEST(ExGridPaintRoad, FocusRectangleOfAMergedBlockRunsRoundTheWholeBlock) {
    DialogGrid d;
    d.g->MergeCells(1, 1, 2, 2);
    d.g->FocusCell(2, 2);
    const QImage unfocused = d.shot();
    d.focus();
    const QImage focused = d.shot();
    const plat::TRect block = d.cell(1, 1);
    ASSERT_EQ(block.Right, d.cell(3, 1).Left);
    int top = 0, inner = 0;
    for (int x = block.Left; x < block.Right - 1; ++x) top += unfocused.pixel(x, block.Top) != focused.pixel(x, block.Top);
    // Nothing along the line between the merged cells' former rows.
    const int midY = d.cell(1, 2).Top - 1;
    for (int x = block.Left + 2; x < block.Right - 2; ++x) inner += unfocused.pixel(x, midY) != focused.pixel(x, midY);
    EXPECT_GT(top, 40);
    EXPECT_EQ(inner, 0);
}

// ---------------------------------------------------------------- the text layer

TEST(ExGridPaintText, LinesAfterTheFirstShowOnlyWithWordWrapOrMultiLineCells) {
    DialogGrid d;
    d.g->SetRowHeights(2, 48);
    d.g->SetCells(2, 2, "a\rb");
    const plat::TRect r = d.cell(2, 2);
    const int lineH = QFontMetrics(d.g->Font().ToQFont()).height();
    auto ink = [&](int y0, int y1) {
        return inkColumns(d.shot(), r.Left + 1, r.Right - 1, y0, y1, plat::clWhite).first >= 0;
    };
    const int first0 = r.Top + 3, first1 = r.Top + 3 + lineH, second1 = r.Top + 3 + 2 * lineH;
    struct Case {
        const char* name;
        bool wordWrap, multiLine, secondLine;
    } cases[] = {{"plain", false, false, false}, {"word wrap", true, false, true}, {"multi-line", false, true, true}};
    for (const Case& c : cases) {
        d.g->SetWordWrap(c.wordWrap);
        d.g->SetMultilinecells(c.multiLine);
        EXPECT_TRUE(ink(first0, first1)) << c.name;  // the first line from the top
        EXPECT_EQ(ink(first1, second1), c.secondLine) << c.name;
    }
}

TEST(ExGridPaintText, PasswordCellShowsThePasswordCharacterPerCharacter) {
    DialogGrid d;
    d.g->SetCells(2, 2, "secret");
    d.g->SetCells(2, 3, "******");
    d.g->SetCells(2, 4, "secret");
    d.g->OnIsPasswordCell = [](QObject*, int ARow, int, bool& Value) { Value = ARow == 2; };
    const QImage img = d.shot();
    const plat::TRect a = d.cell(2, 2), b = d.cell(2, 3), c = d.cell(2, 4);
    const QImage hidden = img.copy(a.toQRect()), stars = img.copy(b.toQRect()), shown = img.copy(c.toQRect());
    EXPECT_EQ(hidden, stars);
    EXPECT_NE(hidden, shown);
}

namespace {
// The columns where a picture differs from another inside a rectangle.
std::pair<int, int> diffColumns(const QImage& a, const QImage& b, const plat::TRect& r) {
    int first = -1, last = -1;
    for (int x = r.Left; x < r.Right; ++x)
        for (int y = r.Top; y < r.Bottom; ++y)
            if (a.pixel(x, y) != b.pixel(x, y)) {
                if (first < 0) first = x;
                last = x;
                break;
            }
    return {first, last};
}
}  // namespace

TEST(ExGridPaintText, SortGlyphSitsEightPixelsInForCentredHeadersAndTenPastLeftAlignedText) {
    DialogGrid d(8);
    d.g->SortSettings().SetColumn(2);
    const plat::TRect r = d.cell(2, 0);
    const plat::TRect inner{r.Left + 1, r.Top + 1, r.Right - 2, r.Bottom - 2};
    // Centred, without text: the glyph alone, centred 8 pixels from the content's left edge.
    d.g->OnGetAlignment = [](QObject*, int ARow, int, TAlignment& H, TVAlignment&) {
        if (ARow == 0) H = taCenter;
    };
    const QImage bare = d.shot();
    d.g->SortSettings().SetShow(true);
    auto [first, last] = diffColumns(bare, d.shot(), inner);
    ASSERT_GE(first, 0);
    EXPECT_EQ((first + last) / 2, r.Left + 8);
    EXPECT_LE(last - first, 9);

    // Left-aligned with text: 10 pixels after the text.
    d.g->OnGetAlignment = nullptr;
    d.g->SetCells(2, 0, "Name");
    d.g->SortSettings().SetShow(false);
    const QImage text = d.shot();
    d.g->SortSettings().SetShow(true);
    std::tie(first, last) = diffColumns(text, d.shot(), inner);
    plat::TCanvas measure;
    QImage scratch(10, 10, QImage::Format_RGB32);
    measure.SetDevice(&scratch);
    measure.Font().Assign(d.g->FixedFont());
    const int q = measure.TextWidth("Name");
    ASSERT_GE(first, 0);
    EXPECT_EQ((first + last) / 2, r.Left + q + 10);
}

TEST(ExGridPaintText, RightAlignedNumberPutsABeforeTextBoxLeftOfTheTextOrAtTheRightEdge) {
    DialogGrid d;
    d.g->ControlLook().SetControlStyle(csWinXP);
    allowEditing(*d.g);
    d.g->SetDefaultAlignment(taRightJustify);
    dataCheckBox(*d.g, 2, 2, ctCheckBox);
    dataCheckBox(*d.g, 2, 3, ctCheckBox);
    d.g->SetCells(2, 2, "12345");
    const QImage img = d.shot();
    const QImage glyph = resourceGlyph("SGCHK06");
    const plat::TRect r = d.cell(2, 2), e = d.cell(2, 3);
    // The text's own columns, right of the box.
    const auto text = inkColumns(img, r.Left + 1, r.Right - 1, r.Top + 1, r.Bottom - 1, plat::clWhite);
    int boxX = -1;
    for (int x = r.Left; x + 15 <= r.Right && boxX < 0; ++x)
        if (showsGlyph(img, glyph, x, r.Top + 2)) boxX = x;
    ASSERT_GE(boxX, 0);
    const auto digits = inkColumns(img, boxX + 15, r.Right - 1, r.Top + 1, r.Bottom - 1, plat::clWhite);
    EXPECT_EQ(text.first, boxX);
    EXPECT_GT(digits.first, boxX + 15);
    EXPECT_LT(digits.first - (boxX + 15), 6);
    // Without text the box stands at the right edge less its width.
    EXPECT_TRUE(showsGlyph(img, glyph, e.Right - 1 - 15, e.Top + 2));
}

// ---------------------------------------------------------------- the graphic layer

TEST(ExGridPaintGraphic, CommentTriangleOnlyWithACommentColour) {
    DialogGrid d;
    const plat::TRect r = d.cell(2, 2);
    d.g->AddComment(2, 2, "note");
    EXPECT_EQ(px(d.shot(), r.Right - 3, r.Top + 1), plat::clRed);
    d.g->ControlLook().SetCommentColor(plat::clNone);
    EXPECT_FALSE(anyOther(d.shot(), {r.Right - 8, r.Top, r.Right - 1, r.Top + 6}, plat::clWhite));
}

TEST(ExGridPaintGraphic, TriStateBoxWithValueTwoIsDrawnGrayed) {
    DialogGrid d;
    allowEditing(*d.g);
    ASSERT_EQ(d.g->ControlLook().ControlStyle(), csTheme);
    TCellGraphic* cg = d.g->CreateCellGraphic(2, 2);
    cg->CellType = ctTriStateCheckBox;
    cg->CellHAlign = haBeforeText;
    cg->CellCheckBoxState = cbGrayed;
    const plat::TRect r = d.cell(2, 2);
    const QImage img = d.shot().copy(r.Left + 2, r.Top + 2, 15, 15);
    // The theme's own parts on the cell's colour.
    auto part = [&](int state) {
        QImage p(15, 15, QImage::Format_RGB32);
        p.fill(Qt::white);
        plat::TCanvas c(&p);
        plat::DrawThemeBackground(plat::OpenThemeData(d.g, u"button"), c, plat::BP_CHECKBOX, state, {0, 0, 15, 15});
        c.Release();
        return p;
    };
    EXPECT_EQ(img.convertToFormat(QImage::Format_RGB32), part(9));
    EXPECT_NE(part(9), part(5));
    EXPECT_NE(part(9), part(1));
}

TEST(ExGridPaintGraphic, ImageIndexOutsideTheListDrawsNothing) {
    DialogGrid d;
    plat::TImageList images(16, 16);
    plat::TBitmap red(16, 16);
    red.Canvas().Brush().SetColor(plat::clRed);
    red.Canvas().FillRect({0, 0, 16, 16});
    red.Canvas().Release();
    images.Add(red);
    images.Add(red);
    d.g->SetGridImages(&images);
    struct Case {
        const char* name;
        int row, index;
        bool drawn;
    } cases[] = {{"inside", 1, 1, true}, {"negative", 2, -1, false}, {"at the count", 3, 2, false}, {"far past", 4, 99, false}};
    for (const Case& c : cases) d.g->AddImageIdx(2, c.row, c.index, haLeft, vaTop);
    // A data image adds the cell's value: -3 + 4 is inside, 1 + 1 and 0 - 1 are not.
    d.g->AddDataImage(3, 1, -3, haLeft, vaTop);
    d.g->SetCells(3, 1, "4");
    d.g->AddDataImage(3, 2, 1, haLeft, vaTop);
    d.g->SetCells(3, 2, "1");
    d.g->AddDataImage(3, 3, 0, haLeft, vaTop);
    d.g->SetCells(3, 3, "-1");
    const QImage img = d.shot();
    for (const Case& c : cases) {
        const plat::TRect r = d.cell(2, c.row);
        EXPECT_EQ(px(img, r.Left + 8, r.Top + 8) == plat::clRed, c.drawn) << c.name;
    }
    const bool dataDrawn[] = {true, false, false};
    for (int row = 1; row <= 3; ++row) {
        const plat::TRect r = d.cell(3, row);
        EXPECT_EQ(px(img, r.Left + 8, r.Top + 8) == plat::clRed, dataDrawn[row - 1]) << "data image row " << row;
    }
    d.g->SetGridImages(nullptr);
}

TEST(ExGridPaintGraphic, StyledProgressWithEqualLimitsDrawsNothingDone) {
    DialogGrid d;
    d.g->AddExProgress(2, 2, 5, 5);
    d.g->SetCells(2, 2, "7");
    d.g->AddExProgress(2, 3, 0, 100);
    d.g->SetCells(2, 3, "0");
    d.g->AddExProgress(2, 4, 0, 100);
    d.g->SetCells(2, 4, "60");
    const QImage img = d.shot();
    const plat::TRect a = d.cell(2, 2), b = d.cell(2, 3), c = d.cell(2, 4);
    EXPECT_EQ(img.copy(a.toQRect()), img.copy(b.toQRect()));
    EXPECT_NE(img.copy(b.toQRect()), img.copy(c.toQRect()));
}

// ---------------------------------------------------------------- around the cells

TEST(ExGridPaintAround, ColumnAndRowSizeLinesGoAwayWhenDrawnAgainAtTheSamePlace) {
    DialogGrid d;
    const QImage before = d.shot();
    d.g->DrawColSizeLine(130);
    const QImage once = d.shot();
    EXPECT_NE(once, before);
    EXPECT_EQ(px(once, 130, 60), plat::clBlack);
    d.g->DrawColSizeLine(130);
    EXPECT_EQ(d.shot(), before);
    d.g->DrawRowSizeLine(70);
    EXPECT_NE(d.shot(), before);
    d.g->DrawRowSizeLine(70);
    EXPECT_EQ(d.shot(), before);
}

TEST(ExGridPaintAround, FrameBorderOnlyForTheLooksThatHaveOne) {
    DialogGrid d;
    d.g->SetBorderColor(0x0000FF);
    struct Case {
        TGridLook look;
        bool fit, drawn;
    } cases[] = {{glStandard, true, false}, {glClassic, true, false}, {glCustom, true, false},
                 {glXP, true, true},        {glSoft, true, true},     {glOffice2007, false, true}};
    for (const Case& c : cases) {
        d.g->SetLook(c.look);
        d.g->SetBorderColor(0x0000FF);
        d.g->SetFitCellsInGrid(c.fit);
        const auto lines = d.g->NCBorderLines();
        EXPECT_EQ(!lines.empty(), c.drawn) << TExStringGrid::LookName(c.look).toStdString();
        if (!lines.empty()) EXPECT_EQ(lines.front().Color, TColor(0x0000FF));
    }
    // Drawn in the frame, around the cells.
    d.g->SetLook(glXP);
    d.g->SetBorderColor(0x0000FF);
    d.g->SetFitCellsInGrid(true);
    d.g->PaintNCBorder();
    const QImage whole = d.g->grab().toImage();
    const int edge = d.g->frameWidth() < 2 ? 0 : 1;
    EXPECT_EQ(px(whole, edge, 40), TColor(0x0000FF));
    EXPECT_EQ(px(whole, 120, edge), TColor(0x0000FF));
    d.g->SetFlat(true);
    EXPECT_TRUE(d.g->NCBorderLines().empty());
}

TEST(ExGridPaintAround, BackgroundOutsideTheCellsOnlyWhereNoCellIs) {
    DialogGrid d(40);
    d.g->BackGround().SetDisplay(bdGradientVert);
    d.g->BackGround().SetColor(plat::clRed);
    d.g->BackGround().SetColorTo(plat::clBlue);
    d.g->BackGround().SetCells(bcFixed);  // the normal cells keep their own colour
    d.g->SetDefaultColWidth(120);
    // 40 rows and 4 columns of 120 cover the client area: the painter has nothing to do.
    d.shot();
    EXPECT_FALSE(d.g->PaintBackgroundOutsideCells());
    d.g->SetRowCount(3);
    d.g->SetDefaultColWidth(60);
    const QImage img = d.shot();
    const plat::TRect last = d.cell(3, 2);
    const TColor below = px(img, 20, last.Bottom + 5), right = px(img, last.Right + 5, 5);
    EXPECT_NE(below, plat::ColorToRGB(d.g->Color()));
    EXPECT_NE(right, plat::ColorToRGB(d.g->Color()));
    EXPECT_GT(below & 0xFF, (below >> 16) & 0xFF);  // red above, towards blue below
    EXPECT_EQ(px(img, last.Left + 5, last.Top + 5), plat::ColorToRGB(d.g->Color()));
}

TEST(ExGridPaintAround, BalloonTextsAreCutAsTheBalloonShowsThem) {
    const QString long3000(3000, u'x');
    const QString shown = BalloonDisplayText(long3000);
    EXPECT_EQ(shown.size(), 2048);
    EXPECT_EQ(shown.left(2045), long3000.left(2045));
    EXPECT_TRUE(shown.endsWith("..."));
    // Tabs before the last place are blanks before the leading line ends go.
    EXPECT_EQ(BalloonDisplayText("\r\n\tab\tc\t"), QString(" ab c\t"));
    EXPECT_EQ(BalloonDisplayText("\r\nab"), QString("ab"));
    EXPECT_EQ(BalloonDisplayText("short"), QString("short"));
    const QString title150(150, u't');
    EXPECT_EQ(BalloonDisplayTitle(title150), title150.left(97) + "...");
    EXPECT_EQ(BalloonDisplayTitle(QString(100, u't')), QString(100, u't'));
    EXPECT_EQ(BalloonDisplayTitle(QString()), QString(" "));

    // Through the grid: the cell's text, the event's title.
    DialogGrid d;
    d.g->SetCells(2, 2, "<b>bold</b> text");
    QString title, text;
    int icon = 0;
    const plat::TRect r = d.cell(2, 2);
    EXPECT_FALSE(d.g->GetBalloonText(QPoint(r.Left + 3, r.Top + 3), title, text, icon));
    d.g->Balloon().SetEnable(true);
    d.g->OnCellBalloon = [](QObject*, int ACol, int ARow, QString& T, QString&, int& I) {
        if (ACol == 2 && ARow == 2) T = QString(150, u'T');
        I = 3;
    };
    EXPECT_TRUE(d.g->GetBalloonText(QPoint(r.Left + 3, r.Top + 3), title, text, icon));
    EXPECT_EQ(text, QString("bold text"));
    EXPECT_EQ(title, QString(97, u'T') + "...");
    EXPECT_EQ(icon, 3);
    EXPECT_EQ(d.g->LastBalloonPos(), QPoint(2, 2));
    d.g->OnCellBalloon = nullptr;
    EXPECT_TRUE(d.g->GetBalloonText(QPoint(r.Left + 3, r.Top + 3), title, text, icon));
    EXPECT_EQ(title, QString(" "));
    EXPECT_EQ(icon, 1);
    // Outside every cell: no text, the title still " ".
    EXPECT_TRUE(d.g->GetBalloonText(QPoint(355, 195), title, text, icon));
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(title, QString(" "));
}

TEST(ExGridPaintAround, FocusWindowFollowsTheDialogAndGoesWithTheGrid) {
    auto d = std::make_unique<DialogGrid>();
    d->g->FocusHelper().SetEnabled(true);
    d->g->FocusCell(2, 2);
    d->g->ShowFocusWindow();
    QPointer<TGridFocusWindow> w = d->g->FocusWindow();
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(FocusWindowGrid(), d->g);
    const plat::TRect r = d->cell(2, 2);
    auto expected = [&] { return d->g->viewport()->mapToGlobal(QPoint(r.Left - 4, r.Top - 4)); };
    EXPECT_EQ(w->pos(), expected());
    EXPECT_EQ(w->size(), QSize(r.Width() + 9, r.Height() + 9));
    // Only the 4-pixel frame shows, the cell inside stays clear.
    EXPECT_FALSE(w->mask().contains(QPoint(10, 10)));
    EXPECT_TRUE(w->mask().contains(QPoint(1, 10)));
    EXPECT_EQ(qRed(LayeredWindowPicture(w).pixel(2, w->height() / 2)) > 0, true);

    d->dialog.move(d->dialog.pos() + QPoint(37, 23));
    QApplication::processEvents();
    EXPECT_EQ(w->pos(), expected());

    d.reset();  // the grid goes, and its window with it
    EXPECT_FALSE(w);
    EXPECT_EQ(FocusWindowGrid(), nullptr);
}

namespace {
class DesignGrid : public TExStringGrid {
public:
    using TExStringGrid::TExStringGrid;
    bool designing = true;
    bool IsDesignTime() const override { return designing; }
};
}  // namespace

TEST(ExGridPaintAround, DesignHelperOnlyWhileDesigning) {
    QDialog dialog;
    auto* g = new DesignGrid(&dialog);
    g->SetColCount(3);
    g->SetRowCount(3);
    g->SetBounds(0, 0, 300, 200);
    dialog.resize(300, 200);
    dialog.show();
    QApplication::processEvents();
    const int cw = g->ClientWidth(), ch = g->ClientHeight();
    // The close box at the top right of the panel, the items down its left side.
    const int h = QFontMetrics([] {
                      QFont f("Tahoma");
                      f.setPointSize(8);
                      return f;
                  }()).height();
    const int L = h + 2, P = 4 * L + 10;
    EXPECT_EQ(g->DesignHelperHitTest(cw - 5, ch - P + 5), 4);
    EXPECT_EQ(g->DesignHelperHitTest(cw - 145, ch - P + L + 8), 1);
    EXPECT_EQ(g->DesignHelperHitTest(cw - 145, ch - P + 2 * L + 8), 2);
    EXPECT_EQ(g->DesignHelperHitTest(cw - 145, ch - P + 3 * L + 8), 3);
    EXPECT_EQ(g->DesignHelperHitTest(10, 10), -1);

    EXPECT_FALSE(g->Options().contains(plat::goEditing));
    g->DesignHelperClick(cw - 145, ch - P + L + 8);
    EXPECT_TRUE(g->Options().contains(plat::goEditing));
    const bool nrs = g->ShowColNrs();
    g->DesignHelperClick(cw - 145, ch - P + 2 * L + 8);
    EXPECT_NE(g->ShowColNrs(), nrs);
    g->FDesignLookChooser = [](TGridLook) { return int(glSoft) + 1; };
    g->DesignHelperClick(cw - 145, ch - P + 3 * L + 8);
    EXPECT_EQ(g->Look(), glSoft);

    g->viewport()->repaint();
    const QImage shown = g->viewport()->grab().toImage();
    EXPECT_EQ(px(shown, cw - 140, ch - 3), plat::ColorToRGB(plat::clInfoBk));
    g->designing = false;
    EXPECT_EQ(g->DesignHelperHitTest(cw - 5, ch - P + 5), -1);
    g->viewport()->repaint();
    EXPECT_NE(px(g->viewport()->grab().toImage(), cw - 140, ch - 3), plat::ColorToRGB(plat::clInfoBk));
    g->designing = true;
    g->DesignHelperClick(cw - 5, ch - P + 5);
    EXPECT_FALSE(g->ShowDesignHelper());
}

TEST(ExGridPaintRoad, ColumnGridCheckColumnShowsItsBoxesInTheDialogLook) {
    QDialog dialog;
    auto* g = new TExColumnGrid(&dialog);
    SetConfiguratorFormValues(*g);
    g->SetColCount(4);
    g->SetRowCount(5);
    g->SetFixedRows(1);
    g->SetFixedCols(1);
    g->Loaded();
    g->ControlLook().SetControlStyle(csWinXP);
    g->Columns().Items(2).SetEditor(edDataCheckBox);
    g->SetBounds(0, 0, 360, 200);
    g->SetCells(2, 1, "Y");
    g->SetCells(2, 2, "N");
    g->SetSelection({1, 2, 3, 2});
    dialog.resize(360, 200);
    dialog.show();
    QApplication::processEvents();
    g->viewport()->repaint();
    const QImage img = g->viewport()->grab().toImage();
    // Editable by its column (the grid has no goEditing): the enabled glyphs, at the content + 1.
    const plat::TRect checked = g->CellRect(2, 1), unchecked = g->CellRect(2, 2);
    EXPECT_TRUE(showsGlyph(img, resourceGlyph("SGCHK05"), checked.Left + 2, checked.Top + 2));
    EXPECT_TRUE(showsGlyph(img, resourceGlyph("SGCHK06"), unchecked.Left + 2, unchecked.Top + 2));
    EXPECT_FALSE(anyOther(img, {checked.Left + 18, checked.Top + 1, checked.Right - 1, checked.Bottom - 1}, plat::clWhite));
    // The selected box keeps the selection colour around its glyph.
    EXPECT_EQ(px(img, unchecked.Right - 5, unchecked.Bottom - 4), TColor(0xEACAB6));
    g->Columns().Items(2).ReadOnly = true;
    g->viewport()->repaint();
    EXPECT_TRUE(showsGlyph(g->viewport()->grab().toImage(), resourceGlyph("SGCHK07"), checked.Left + 2, checked.Top + 2));
}

TEST(ExGridPaintGraphic, RadioButtonsAndGroupsShowTheSelectedOption) {
    DialogGrid d;
    allowEditing(*d.g);
    d.g->ControlLook().SetControlStyle(csWinXP);
    d.g->AddRadioButton(2, 1, true);
    d.g->AddRadioButton(2, 2, false);
    d.g->SetRowHeights(3, 60);
    TCellGraphic* group = d.g->CreateCellGraphic(2, 3);
    group->CellType = ctRadio;
    group->CellStrings = new QStringList{"A", "B", "C"};
    group->CellIndex = 1;
    const QImage img = d.shot();
    const QImage on = resourceGlyph("SGRAD05"), off = resourceGlyph("SGRAD06");
    const plat::TRect a = d.cell(2, 1), b = d.cell(2, 2), g = d.cell(2, 3);
    EXPECT_TRUE(showsGlyph(img, on, a.Left + 6, a.Top + 4));
    EXPECT_TRUE(showsGlyph(img, off, b.Left + 6, b.Top + 4));
    // One option a line of 16 pixels: the second is the chosen one.
    EXPECT_TRUE(showsGlyph(img, off, g.Left + 3, g.Top + 3));
    EXPECT_TRUE(showsGlyph(img, on, g.Left + 3, g.Top + 19));
    EXPECT_TRUE(showsGlyph(img, off, g.Left + 3, g.Top + 35));
    // Index -1 takes the option whose text is the cell's.
    group->CellIndex = -1;
    d.g->SetCells(2, 3, "C");
    const QImage byText = d.shot();
    EXPECT_TRUE(showsGlyph(byText, off, g.Left + 3, g.Top + 19));
    EXPECT_TRUE(showsGlyph(byText, on, g.Left + 3, g.Top + 35));
}

TEST(ExGridPaintGraphic, BorderQueryDrawsTheAskedSidesAndTheDrawEventsSeeTheCell) {
    DialogGrid d;
    d.g->SetCells(2, 2, "text");
    d.g->OnGetCellBorder = [](QObject*, int ARow, int ACol, QPen& APen, TCellBorders& Borders) {
        if (ACol == 2 && ARow == 2) {
            Borders.include(cbLeft);
            Borders.include(cbBottom);
            APen.setColor(Qt::blue);
        }
    };
    std::vector<std::pair<int, int>> drawn;
    plat::TRect eventRect;
    d.g->OnDrawCell = [&](QObject*, int ACol, int ARow, const plat::TRect& R, plat::TGridDrawState) {
        drawn.emplace_back(ACol, ARow);
        if (ACol == 2 && ARow == 2) eventRect = R;
    };
    QImage img = d.shot();
    const plat::TRect r = d.cell(2, 2);
    const TColor blue = plat::ColorToRGB(plat::clBlue);
    EXPECT_EQ(px(img, r.Left + 1, r.Top + 10), blue);
    EXPECT_EQ(px(img, r.Left + 30, r.Bottom - 2), blue);
    EXPECT_NE(px(img, r.Right - 2, r.Top + 10), blue);  // no right side asked for
    EXPECT_NE(px(img, r.Left + 30, r.Top + 1), blue);
    // Every visible cell once, the rectangle inside the grid lines.
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), std::pair{2, 2}), drawn.end());
    EXPECT_EQ(eventRect, (plat::TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}));
    // With NoDefaultDraw the events draw the text: the grid writes none.
    const bool hadText = inkColumns(img, r.Left + 3, r.Right - 3, r.Top + 2, r.Bottom - 3, plat::clWhite).first >= 0;
    d.g->SetNoDefaultDraw(true);
    img = d.shot();
    EXPECT_TRUE(hadText);
    EXPECT_LT(inkColumns(img, r.Left + 3, r.Right - 3, r.Top + 2, r.Bottom - 3, plat::clWhite).first, 0);
}

TEST(ExGridPaintText, RotatedTextStartsWhereItsTurnedExtentFitsTheAlignments) {
    const plat::TRect r{10, 20, 110, 120};
    const QSize extent(40, 12);
    struct Case {
        const char* name;
        int angle;
        TAlignment h;
        TVAlignment v;
        QPoint origin;
    } cases[] = {
        {"level, top left", 0, taLeftJustify, vtaTop, {10, 20}},
        {"level, bottom right", 0, taRightJustify, vtaBottom, {70, 108}},
        {"level, centred", 0, taCenter, vtaCenter, {40, 64}},
        // Upwards: the start is the bottom-left of the turned box.
        {"up, top left", 90, taLeftJustify, vtaTop, {10, 60}},
        {"up, bottom right", 90, taRightJustify, vtaBottom, {98, 120}},
        // Upside down: the start is the top-right corner's opposite.
        {"upside down, top left", 180, taLeftJustify, vtaTop, {50, 32}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RotatedTextOrigin(r, extent, c.angle, c.h, c.v), c.origin) << c.name;
}

TEST(ExGridPaintRoad, HotTrackedHeaderTakesTheHoverAndDownColours) {
    DialogGrid d;
    d.g->SetHoverFixedCells(hfAll);
    d.g->SetVEZGradientHoverFrom(0x00C0FF);
    d.g->SetVEZGradientHoverTo(0x00C0FF);
    d.g->SetVEZGradientHoverBorder(0x0000FF);
    d.g->SetVEZGradientDownFrom(0xFF8000);
    d.g->SetVEZGradientDownTo(0xFF8000);
    d.g->SetVEZGradientDownBorder(0x800000);
    const plat::TRect r = d.cell(2, 0), next = d.cell(3, 0);
    const QImage plain = d.shot();
    struct Case {
        const char* name;
        int hoverX;
        bool down;
        TColor inside;
    } cases[] = {{"plain", -1, false, plat::clWhite}, {"hovered", 2, false, 0x00C0FF}, {"pressed", 2, true, 0xFF8000}};
    for (const Case& c : cases) {
        d.g->SetHoverFixedCell(c.hoverX, c.hoverX < 0 ? -1 : 0);
        d.g->SetFixedMouseDown(c.down, false);
        const QImage img = d.shot();
        if (c.hoverX >= 0)
            EXPECT_EQ(px(img, r.Left + 30, r.Top + 3), c.inside) << c.name;
        else
            EXPECT_GE(lum(px(img, r.Left + 30, r.Top + 3)), 755) << c.name;
        // Only the hot cell changes.
        EXPECT_EQ(img.copy(next.toQRect()), plain.copy(next.toQRect())) << c.name;
    }
    // The frame of a hot cell in its border colour (its left and top lie under the XP edges).
    d.g->SetHoverFixedCell(2, 0);
    d.g->SetFixedMouseDown(false, false);
    EXPECT_EQ(px(d.shot(), r.Right - 2, r.Top + r.Height() / 2), TColor(0x0000FF));
    d.g->SetFixedMouseDown(true, false);
    EXPECT_EQ(px(d.shot(), r.Right - 2, r.Top + r.Height() / 2), TColor(0x800000));
}

TEST(ExGridPaintText, CellScrollBarMovesTheTextUpInsideItsCell) {
    DialogGrid d;
    d.g->SetMultilinecells(true);
    d.g->SetCells(2, 2, "A\rB\rC\rD\rE");
    const QImage plain = d.shot();
    d.g->AddScrollBar(2, 2, false);
    d.g->SetScrollProp(2, 2, {10, 100});
    const QImage top = d.shot();
    d.g->SetScrollPosition(2, 2, 12);
    const QImage scrolled = d.shot();
    const plat::TRect r = d.cell(2, 2), above = d.cell(2, 1);
    const QRect strip(r.Right - 12, r.Top + 2, 10, r.Height() - 4), text(r.Left + 1, r.Top + 1, 30, r.Height() - 2);
    // The bar takes the cell's right side; at position 0 the text stands as before.
    EXPECT_NE(top.copy(strip), plain.copy(strip));
    EXPECT_EQ(top.copy(text), plain.copy(text));
    // Scrolled, the text moves up inside the cell and the cell above stays as it was.
    EXPECT_NE(scrolled.copy(text), top.copy(text));
    EXPECT_EQ(scrolled.copy(above.toQRect()), plain.copy(above.toQRect()));
}

TEST(ExGridPaintText, FilterGlyphShowsInTheFilterRowWhenTheColumnOffersValues) {
    DialogGrid d;
    d.g->SetCells(2, 1, "pump");
    const plat::TRect r = d.cell(2, 0);
    // The funnel's black top edge, 16 pixels from the content's right.
    const int x = r.Right - 1 - 16 + 7, y = r.Top + 1 + 3;
    EXPECT_NE(px(d.shot(), x, y), plat::clBlack);
    d.g->SetFilterDropDownAuto(true);
    EXPECT_EQ(px(d.shot(), x, y), plat::clBlack);
    // Only in the filter row.
    const plat::TRect below = d.cell(2, 1);
    EXPECT_NE(px(d.shot(), below.Right - 1 - 16 + 7, below.Top + 1 + 3), plat::clBlack);
    // An event that offers nothing takes the glyph away.
    d.g->SetFilterDropDownAuto(false);
    d.g->OnGetColumnFilter = [](QObject*, int Column, QStringList& Values) {
        if (Column == 3) Values << "a";
    };
    EXPECT_NE(px(d.shot(), x, y), plat::clBlack);
    const plat::TRect other = d.cell(3, 0);
    EXPECT_EQ(px(d.shot(), other.Right - 1 - 16 + 7, y), plat::clBlack);
}
