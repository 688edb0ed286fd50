// Cell graphics: replacing, ownership of the objects in the slots, and the kind queries.
#include "grid/ExGrid.h"
#include "platform/ImageList.h"

#include <gtest/gtest.h>

TEST(ExGridGraphics, AddReplacesWhatTheCellHeldAndOnlyCreatedObjectsAreFreed) {
    TExStringGrid g;
    g.AddComment(1, 1, "note");
    plat::TBitmap mine(8, 6);
    g.AddBitmap(1, 1, &mine, true, haLeft, vaTop);
    EXPECT_EQ(g.GetCellType(1, 1), ctBitmap);
    EXPECT_EQ(g.GetComment(1, 1), "");
    EXPECT_EQ(g.GetBitmap(1, 1), &mine);
    EXPECT_TRUE(g.RemoveBitmap(1, 1));
    EXPECT_EQ(g.GetCellType(1, 1), ctEmpty);
    EXPECT_EQ(mine.Width(), 8) << "the caller's bitmap survives the graphic";

    // A created bitmap goes with its graphic (the leak check fails otherwise), whether removed,
    // replaced or left to the grid.
    g.CreateBitmap(2, 1, false, haLeft, vaTop)->SetSize(3, 3);
    EXPECT_TRUE(g.RemoveBitmap(2, 1));
    g.CreateBitmap(2, 2, false, haLeft, vaTop);
    g.AddComment(2, 2, "replaces");
    g.CreateBitmap(2, 3, false, haLeft, vaTop);
    EXPECT_FALSE(g.RemoveBitmap(2, 4)) << "nothing to remove";
    EXPECT_FALSE(g.RemoveComment(2, 3)) << "another kind stays";
    EXPECT_TRUE(g.HasBitmap(2, 3));
}

TEST(ExGridGraphics, BalloonsOnTextCellsAndNeverOverOtherGraphics) {
    TExStringGrid g;
    g.AddProgress(1, 1, plat::clBlue, plat::clWhite);
    g.AddBalloon(1, 1, "T", "x", biInfo);
    EXPECT_TRUE(g.HasProgress(1, 1));
    QString title, text;
    int icon = -1;
    EXPECT_FALSE(g.IsBalloon(1, 1, title, text, icon));

    g.SetCells(2, 1, "text");
    g.AddBalloon(2, 1, "Title", "Body", biWarning);
    EXPECT_TRUE(g.HasBalloon(2, 1));
    EXPECT_TRUE(g.IsBalloon(2, 1, title, text, icon));
    EXPECT_EQ(title, "Title");
    EXPECT_EQ(text, "Body");
    EXPECT_EQ(icon, biWarning);
    EXPECT_EQ(g.Cells(2, 1), "text");
    EXPECT_TRUE(g.RemoveBalloon(2, 1));
    EXPECT_EQ(g.GetCellType(2, 1), ctEmpty);
}

TEST(ExGridGraphics, AngleComesIntoOneTurn) {
    struct Case {
        int16_t in;
        int out;
    } cases[] = {{-90, 270}, {720, 360}, {360, 360}, {0, 0}, {-360, 0}, {450, 90}};
    for (const Case& c : cases) {
        TCellGraphic gr;
        gr.SetAngle(c.in);
        EXPECT_EQ(gr.CellType, ctRotated);
        EXPECT_EQ(gr.CellAngle, c.out) << c.in;
    }
    TExStringGrid g;
    g.AddBitmap(1, 1, nullptr, false, haLeft, vaTop);
    g.SetRotated(1, 1, -45);
    int a = 0;
    EXPECT_TRUE(g.IsRotated(1, 1, a));
    EXPECT_EQ(a, 315);
    g.AddRotated(2, 2, 90, "up");
    EXPECT_EQ(g.Cells(2, 2), "up");
}

TEST(ExGridGraphics, PictureSizeByStretchMode) {
    struct Case {
        const char* name;
        TStretchMode mode;
        int padding, cw, rh;
        QPoint expected;
    } cases[] = {
        {"aspect into a square", StretchWithAspectRatio, 0, 60, 60, {60, 30}},
        {"aspect into a flat room", StretchWithAspectRatio, 0, 300, 60, {120, 60}},
        {"aspect with padding", StretchWithAspectRatio, 10, 70, 70, {60, 30}},
        {"shrink that fits", Shrink, 0, 200, 200, {100, 50}},
        {"shrink that does not fit", Shrink, 0, 80, 200, {80, 200}},
        {"shrink with aspect that fits", ShrinkWithAspectRatio, 0, 200, 200, {100, 50}},
        {"shrink with aspect too small", ShrinkWithAspectRatio, 0, 50, 50, {50, 25}},
        {"no stretch", noStretch, 0, 10, 10, {100, 50}},
        {"stretch", Stretch, 4, 44, 24, {40, 20}},
        // 50 x 0.05 = 2.5 rounds to the even 2, not 3.
        {"halves to even", StretchWithAspectRatio, 0, 5, 100, {5, 2}},
    };
    for (const Case& c : cases) {
        TCellGraphic gr;
        gr.SetPicture(nullptr, false, c.mode, c.padding, haLeft, vaTop);
        QPoint size(-1, -1);
        gr.GetPictureSize(c.cw, c.rh, QSize(100, 50), size);
        EXPECT_EQ(size, c.expected) << c.name;
    }
    TCellGraphic other;
    QPoint untouched(7, 7);
    other.GetPictureSize(60, 60, QSize(100, 50), untouched);
    EXPECT_EQ(untouched, QPoint(7, 7));
}

TEST(ExGridGraphics, KindQueriesOnCellsOfAnotherKind) {
    TExStringGrid g;
    g.SetCells(1, 1, "plain");
    EXPECT_EQ(g.GetShapeColor(1, 1), plat::clNone);
    const TScrollProp p = g.GetScrollProp(1, 1);
    EXPECT_EQ(p.PageSize, -1);
    EXPECT_EQ(p.Range, -1);
    EXPECT_EQ(g.GetScrollPosition(1, 1), -1);
    EXPECT_FALSE(g.ToggleExpand(1, 1));
    EXPECT_EQ(g.GetExpandHeight(1, 1, true), g.DefaultRowHeight());
    int from = -1, len = -1;
    g.GetMarker(1, 1, from, len);
    EXPECT_EQ(from, 0);
    EXPECT_EQ(len, 0);
    EXPECT_EQ(g.GetCellType(-1, 1), ctEmpty);

    g.AddShape(2, 1, csCircle, plat::clRed, plat::clBlack, haCenter, vaCenter);
    EXPECT_EQ(g.GetShapeColor(2, 1), plat::clRed);
    g.SetShapeColor(2, 1, plat::clGreen);
    EXPECT_EQ(g.GetShapeColor(2, 1), plat::clGreen);

    g.AddScrollBar(3, 1, false);
    EXPECT_EQ(g.GetScrollProp(3, 1).Range, 100);
    g.SetScrollProp(3, 1, {20, 300});
    g.SetScrollPosition(3, 1, 40);
    EXPECT_EQ(g.GetScrollProp(3, 1).PageSize, 20);
    EXPECT_EQ(g.GetScrollProp(3, 1).Range, 300);
    EXPECT_EQ(g.GetScrollPosition(3, 1), 40);
}

TEST(ExGridGraphics, MarkersSitOnWhateverGraphicTheCellHas) {
    TExStringGrid g;
    plat::TBitmap bmp(2, 2);
    g.AddBitmap(1, 1, &bmp, false, haLeft, vaTop);
    g.AddMarker(1, 1, 3, 4);
    int from = 0, len = 0;
    g.GetMarker(1, 1, from, len);
    EXPECT_EQ(from, 3);
    EXPECT_EQ(len, 4);
    g.RemoveMarker(1, 1);
    EXPECT_EQ(g.GetBitmap(1, 1), &bmp);
    g.GetMarker(1, 1, from, len);
    EXPECT_EQ(from, 0);
    EXPECT_EQ(len, 0);

    g.AddMarker(2, 1, 1, 2);
    EXPECT_EQ(g.GetCellType(2, 1), ctEmpty);
    EXPECT_NE(g.GetCellGraphic(2, 1), nullptr);
    g.RemoveMarker(2, 1);
    EXPECT_EQ(g.GetCellGraphic(2, 1), nullptr);
}

TEST(ExGridGraphics, ExpandKeepsBothHeights) {
    TExStringGrid g;
    g.SetRowHeights(2, 30);
    g.AddExpand(1, 2, 90);
    EXPECT_FALSE(g.GetExpandState(1, 2));
    EXPECT_TRUE(g.ToggleExpand(1, 2));
    EXPECT_TRUE(g.GetExpandState(1, 2));
    EXPECT_EQ(g.GetExpandHeight(1, 2, true), 90);
    EXPECT_EQ(g.GetExpandHeight(1, 2, false), 30);
    EXPECT_FALSE(g.ToggleExpand(1, 2));
}

TEST(ExGridGraphics, VerticalRadioGroupNeedsSixteenPixelRowsOnScreenOnly) {
    TExStringGrid g;
    // A canvas font whose "gh" is 13 pixels high.
    int h = 0;
    for (int px = 8; px <= 24 && h != 13; ++px) {
        g.Canvas().Font().SetHeight(-px);
        h = g.Canvas().TextHeight("gh");
    }
    ASSERT_EQ(h, 13);
    TCellGraphic* radio = g.CreateCellGraphic(1, 1);
    radio->CellType = ctRadio;
    radio->CellStrings = new QStringList{"one", "two", "three"};
    QPoint layout, print;
    g.CalcCellGraphicRect(1, 1, layout, 0);
    g.CalcCellGraphicRectEx(1, 1, print, 1.0, 100, 100);
    EXPECT_EQ(layout.y(), 48);
    EXPECT_EQ(print.y(), 39);
    EXPECT_EQ(layout.x(), 12 + g.Canvas().TextWidth("three"));
}

TEST(ExGridGraphics, BitmapRoomBesideOrAboveTheText) {
    struct Case {
        const char* name;
        const char* text;
        TCellHAlign hal;
        TCellVAlign val;
        QPoint layout;
    } cases[] = {
        {"no text: all of it", "", haLeft, vaTop, {20, 10}},
        {"over the text: none", "t", haLeft, vaTop, {0, 0}},
        {"before the text: its width", "t", haBeforeText, vaTop, {20, 0}},
        {"under the text: its height", "t", haLeft, vaUnderText, {0, 10}},
    };
    for (const Case& c : cases) {
        TExStringGrid g;
        plat::TBitmap bmp(20, 10);
        g.SetCells(1, 1, c.text);
        g.AddBitmap(1, 1, &bmp, false, c.hal, c.val);
        EXPECT_EQ(g.GetCellGraphicSize(1, 1), c.layout) << c.name;
        QPoint print;
        g.CalcCellGraphicRectEx(1, 1, print, 1.0, 100, 100);
        EXPECT_EQ(print, QPoint(20, 10)) << "printing always reserves the whole bitmap: " << c.name;
    }
    TExStringGrid g;
    g.AddRating(1, 1, 5, plat::clYellow, plat::clGray);
    EXPECT_EQ(g.GetCellGraphicSize(1, 1), QPoint(90, 16)) << "ratings keep their width under haFull";
    g.SetCells(2, 1, "");
    g.AddButton(2, 1, 40, 18, "", haLeft, vaTop);
    EXPECT_EQ(g.GetCellGraphicSize(2, 1), QPoint(40, 18));
    g.SetCells(3, 1, "text");
    g.AddButton(3, 1, 40, 18, "Go", haCenter, vaTop);
    EXPECT_EQ(g.GetCellGraphicSize(3, 1), QPoint(0, 0));
}

TEST(ExGridGraphics, CreatedObjectsOfEveryKindGoWithTheirGraphic) {
    // Under the leak check each of these would leak if the graphic did not free what it made.
    TExStringGrid g;
    g.CreatePicture(1, 1, false, Stretch, 0, haLeft, vaTop);
    EXPECT_NE(g.GetPicture(1, 1), nullptr);
    g.CreateFilePicture(1, 2, false, Stretch, 0, haLeft, vaTop);
    EXPECT_NE(g.GetFilePicture(1, 2), nullptr);
    g.CreateIcon(1, 3, haLeft, vaTop);
    g.CreateBitButton(1, 4, 20, 20, "b", haLeft, vaTop);
    EXPECT_TRUE(g.HasButton(1, 4));
    g.RemoveAllButtons();
    EXPECT_FALSE(g.HasButton(1, 4));
    g.AddComment(2, 1, "a");
    g.AddComment(3, 3, "b");
    g.RemoveAllComments();
    EXPECT_EQ(g.GetComment(3, 3), "");

    THTMLPicture mine;
    g.AddPicture(2, 2, &mine, false, Stretch, 0, haLeft, vaTop);
    EXPECT_TRUE(g.RemovePicture(2, 2));
    EXPECT_TRUE(mine.Empty()) << "the caller's picture is still there to ask";
}

TEST(ExGridGraphics, ImageKindsNeedTheGridImages) {
    TExStringGrid g;
    g.AddImageIdx(1, 1, 3, haLeft, vaTop);
    EXPECT_EQ(g.GetCellType(1, 1), ctEmpty);
    plat::TImageList images;
    g.SetGridImages(&images);
    g.AddImageIdx(1, 1, 3, haLeft, vaTop);
    int idx = -1;
    EXPECT_TRUE(g.GetImageIdx(1, 1, idx));
    EXPECT_EQ(idx, 3);
    EXPECT_EQ(g.GetCellImageKey(1, 1), 3);
    g.AddDataImage(2, 1, 4, haLeft, vaTop);
    EXPECT_EQ(g.Cells(2, 1), "4");
    EXPECT_TRUE(g.RemoveDataImage(2, 1));
    EXPECT_EQ(g.Cells(2, 1), "");
    g.AddMultiImage(3, 1, 0, haLeft, vaTop);
    ASSERT_NE(g.GetCellImages(3, 1), nullptr);
    g.GetCellImages(3, 1)->Add(2);
    EXPECT_EQ(g.GetCellImages(3, 1)->Count(), 1);
}

TEST(ExGridGraphics, RowCheckBoxesAreSharedAndNeverFreedByCellOperations) {
    TExStringGrid g;
    g.SetRowCount(5);
    g.MouseActions().SetHotmailRowSelect(true);
    g.MouseActions().SetDisjunctRowSelect(true);
    EXPECT_EQ(g.GetCellType(0, 2), ctRowCheckBox);
    EXPECT_EQ(g.GetCellType(1, 2), ctEmpty);
    TCellGraphic* box = g.GetCellGraphic(0, 2);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(g.GetCellGraphic(0, 3), box) << "one shared graphic";
    EXPECT_FALSE(box->CellBoolean);
    g.SetRowSelect(2, true);
    EXPECT_TRUE(g.GetCellGraphic(0, 2)->CellBoolean);
    TCellGraphic* header = g.GetCellGraphic(0, 0);
    EXPECT_EQ(header->CellAngle, 1) << "some rows selected";
    EXPECT_FALSE(header->CellBoolean);
    EXPECT_TRUE(g.RemoveCellGraphic(0, 2));
    EXPECT_EQ(g.GetCellType(0, 2), ctRowCheckBox) << "the shared box stays (ASan: not freed)";
}

TEST(ExGridGraphics, ButtonAndExpandRectanglesWhereTheyWerePainted) {
    TExStringGrid g;
    g.resize(400, 250);
    const plat::TRect cell = g.CellRect(2, 1);
    ASSERT_FALSE(cell.IsEmpty());
    EXPECT_EQ(g.CellButtonRect(2, 1), plat::TRect{}) << "no graphic";
    g.AddButton(2, 1, 30, 16, "Go", haLeft, vaTop);
    g.GetCellGraphic(2, 1)->CellValue = 3 + 65536 * 2;  // painted 3 right, 2 down
    EXPECT_EQ(g.CellButtonRect(2, 1), plat::Rect(cell.Left + 3, cell.Top + 2, cell.Left + 33, cell.Top + 18));
    g.AddButton(2, 1, 30, 16, "Go", haFull, vaFull);
    EXPECT_EQ(g.CellButtonRect(2, 1), cell);
    EXPECT_EQ(g.ExpandButtonRect(2, 1), plat::TRect{});
    g.AddExpand(2, 1, 60);
    EXPECT_EQ(g.ExpandButtonRect(2, 1), plat::Rect(cell.Right - 13, cell.Top + 2, cell.Right - 2, cell.Top + 13));
}

TEST(ExGridGraphics, AddingOutsideTheGridRaisesAndLeaksNothing) {
    TExStringGrid g;
    bool raised = false;
    try {
        g.AddComment(1, g.RowCount() + 5, "x");
    } catch (const std::exception&) {
        raised = true;
    }
    EXPECT_TRUE(raised);
}
