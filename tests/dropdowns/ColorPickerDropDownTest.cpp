// The colour picker drop-down: its named colours, the colour texts, the face, the keys with the
// pop-up closed and open, type-ahead on a driven clock, and the choice and cancel of each style.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>

#include "dropdowns/DovUzerAdevForm.h"
#include "dropdowns/ExColorPickerDropDown.h"

using namespace plat;
using namespace dropdowns;

namespace {

class FakeClock final : public plat::Clock {
public:
    int64_t now = 1'000'000;
    int64_t nowMs() override { return now; }
    void sleepMs(int ms) override { now += ms; }
};

struct Picker {
    FakeClock clock;
    QWidget window;
    TExColorPickerDropDown* edit;
    int selects = 0;
    explicit Picker(bool defaults = true) {
        TExCustomDropDown::SetClock(&clock);
        edit = TExCustomDropDown::CreateDropDown<TExColorPickerDropDown>(&window);
        if (defaults) edit->AddDefaultColors();
        edit->OnSelect = [this](QObject* sender) {
            EXPECT_EQ(sender, edit);
            ++selects;
        };
        edit->setGeometry(10, 10, 150, 22);
        window.resize(300, 100);
        window.move(100, 100);
        window.show();
        QApplication::setActiveWindow(&window);
        edit->setFocus();
    }
    ~Picker() {
        delete edit;
        TExCustomDropDown::SetClock(nullptr);
    }
    void type(Qt::Key key, QWidget* target = nullptr) {
        QTest::keyClick(target ? target : static_cast<QWidget*>(edit), key);
        QApplication::processEvents();
    }
    void openPopup() {
        QApplication::processEvents();  // a pending activation of the window would close the pop-up
        QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier);
        QApplication::processEvents();
    }
    bool open() const { return edit->DroppedDown() && edit->DropDownForm()->isVisible(); }
    QString caption() const {
        return edit->ItemIndex() < 0 ? QString() : edit->Colors().Items(edit->ItemIndex()).Caption();
    }
};

void press(QWidget* w, QPoint p) {
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::LeftButton, Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
    QMouseEvent r(QEvent::MouseButtonRelease, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::LeftButton, Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &r);
    QApplication::processEvents();
}


// A notch of the wheel over the widget: negative steps turn it down.
void turnWheel(QWidget* w, int steps) {
    QWheelEvent e(QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120 * steps), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
    QApplication::processEvents();
}

}  // namespace

TEST(ColorPickerDropDown, CreationAndDefaultColours) {
    Picker p(false);
    EXPECT_EQ(p.edit->Colors().Count(), 0) << "no colours until asked for";
    EXPECT_EQ(p.edit->DropDownHeight(), 200);
    EXPECT_FALSE(p.edit->DropDownHeader().Visible());
    EXPECT_FALSE(p.edit->DropDownFooter().Visible());
    EXPECT_EQ(p.edit->ItemIndex(), -1);
    EXPECT_EQ(p.edit->SelectedColor(), clNone);
    EXPECT_FALSE(p.edit->EditorEnabled());

    p.edit->AddDefaultColors();
    const char* names[] = {"Black",  "Maroon", "Green", "Olive",  "Navy", "Purple",  "Teal", "Gray",
                           "Silver", "Red",    "Lime",  "Yellow", "Blue", "Fuchsia", "Aqua", "White"};
    const TColor colours[] = {RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
                              RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(128, 128, 128),
                              RGB(192, 192, 192), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
                              RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255)};
    ASSERT_EQ(p.edit->Colors().Count(), 16);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(p.edit->Colors().Items(i).Caption(), names[i]) << i;
        EXPECT_EQ(p.edit->Colors().Items(i).Color(), colours[i]) << i;
    }
    p.edit->AddDefaultColors();
    EXPECT_EQ(p.edit->Colors().Count(), 32) << "appends, does not clear";
}

TEST(ColorPickerDropDown, ItemIndexRaisesOnSelectOnEveryWrite) {
    Picker p;
    p.edit->SetItemIndex(3);
    p.edit->SetItemIndex(3);
    EXPECT_EQ(p.selects, 2) << "no equality test";
    EXPECT_EQ(p.edit->SelectedColor(), RGB(128, 128, 0));
    p.edit->SetItemIndex(16);
    EXPECT_EQ(p.edit->ItemIndex(), 3) << "past the colours: ignored";
    EXPECT_EQ(p.selects, 2);
    p.edit->SetItemIndex(-1);
    EXPECT_EQ(p.edit->SelectedColor(), RGB(128, 128, 0)) << "-1 keeps the colour";
    EXPECT_EQ(p.selects, 3);
}

TEST(ColorPickerDropDown, SelectedColorFindsTheItemAndNamesTheColour) {
    Picker p;
    p.edit->SetSelectedColor(RGB(255, 0, 0));
    EXPECT_EQ(p.edit->ItemIndex(), 9);
    EXPECT_EQ(p.edit->SelectedColorText(), "Red");
    p.edit->SetSelectedColor(RGB(255, 128, 0));
    EXPECT_EQ(p.edit->ItemIndex(), -1);
    EXPECT_EQ(p.edit->SelectedColorText(), "") << "cvtNone";

    struct Case {
        TColor colour;
        TColorValueText form;
        const char* text;
    } cases[] = {
        {RGB(255, 128, 0), cvtRGB, "Red:255,Green:128,Blue:0"},
        {RGB(0, 0, 255), cvtHex, "FF0000"},
        {RGB(255, 0, 0), cvtHex, "0000FF"},
        {RGB(0, 0, 255), cvtHTML, "#0000FF"},
        {RGB(255, 128, 0), cvtHTML, "#FF8000"},
        {RGB(0, 255, 255), cvtWebName, "aqua"},    // before "cyan"
        {RGB(128, 128, 128), cvtWebName, "gray"},  // before "grey"
        {RGB(255, 128, 1), cvtWebName, "#FF8001"},
        {clBtnFace, cvtHTML, ""},  // resolved below
    };
    for (const Case& c : cases) {
        p.edit->SetColorValueText(c.form);
        p.edit->SetSelectedColor(c.colour);
        const QString expected = c.colour == clBtnFace ? ColorValueText(ColorToRGB(clBtnFace), cvtHTML) : c.text;
        if (p.edit->ItemIndex() >= 0) p.edit->SetItemIndex(-1);  // the item's caption would win
        EXPECT_EQ(p.edit->SelectedColorText(), expected) << c.text;
    }
    EXPECT_TRUE(ColorValueText(clBtnFace, cvtHTML).startsWith('#'));
    EXPECT_NE(ColorValueText(clBtnFace, cvtHTML), "#000000") << "a system colour is resolved first";

    // Outside the list style the form applies also to a list colour.
    p.edit->SetColorValueText(cvtHTML);
    p.edit->SetSelectedColor(RGB(0, 128, 0));
    EXPECT_EQ(p.edit->SelectedColorText(), "Green");
    p.edit->SetColorSelectionStyle(csDiscrete);
    EXPECT_EQ(p.edit->ItemIndex(), 2);
    EXPECT_EQ(p.edit->SelectedColorText(), "#008000");
}

TEST(ColorPickerDropDown, FaceShowsTheColourBoxAndText) {
    Picker p;
    p.edit->SetSelectedColor(RGB(255, 0, 0));
    p.window.setFocus();  // unfocused: no highlight over the face
    QApplication::processEvents();
    const QImage face = p.edit->grab().toImage();
    const int boxTop = 1 + (p.edit->height() - 14) / 2;
    EXPECT_EQ(FromQRgb(face.pixel(1 + 4 + 7, boxTop + 7)), RGB(255, 0, 0)) << "inside the box";
    EXPECT_EQ(FromQRgb(face.pixel(1 + 4, boxTop + 7)), clBlack) << "the box's frame";
    // The text "Red" is drawn right of the box: some dark pixels there.
    int dark = 0;
    for (int x = 1 + 4 + 14 + 4; x < 60; ++x)
        for (int y = 3; y < p.edit->height() - 3; ++y) dark += qGray(face.pixel(x, y)) < 100;
    EXPECT_GT(dark, 5);

    p.edit->SetShowText(false);
    const QImage bare = p.edit->grab().toImage();
    dark = 0;
    for (int x = 1 + 4 + 14 + 4; x < 60; ++x)
        for (int y = 3; y < p.edit->height() - 3; ++y) dark += qGray(bare.pixel(x, y)) < 100;
    EXPECT_EQ(dark, 0);

    p.edit->SetSelectedColor(clNone);
    const QImage none = p.edit->grab().toImage();
    EXPECT_NE(FromQRgb(none.pixel(1 + 4, boxTop + 7)), clBlack) << "no colour, no box";
}

TEST(ColorPickerDropDown, ClosedKeysWalkTheColours) {
    Picker p;
    p.type(Qt::Key_Down);
    EXPECT_EQ(p.caption(), "Black");
    p.edit->SetItemIndex(15);
    p.selects = 0;
    p.type(Qt::Key_Down);
    EXPECT_EQ(p.caption(), "White");
    EXPECT_EQ(p.selects, 0) << "no wrap";
    p.type(Qt::Key_Up);
    EXPECT_EQ(p.caption(), "Aqua");
    p.type(Qt::Key_Home);
    EXPECT_EQ(p.caption(), "Black");
    p.type(Qt::Key_End);
    EXPECT_EQ(p.caption(), "White");

    // The wheel over the closed edit steps through the colours, each step reported.
    p.selects = 0;
    turnWheel(p.edit, 1);
    EXPECT_EQ(p.caption(), "Aqua");
    turnWheel(p.edit, -1);
    turnWheel(p.edit, -1);
    EXPECT_EQ(p.caption(), "White") << "no step past the last";
    EXPECT_EQ(p.selects, 2);
    EXPECT_FALSE(p.open());
}

TEST(ColorPickerDropDown, TypeAheadWithinHalfASecond) {
    Picker p;
    p.type(Qt::Key_G);
    EXPECT_EQ(p.caption(), "Green");
    EXPECT_FALSE(p.open()) << "typing does not open the pop-up";
    p.clock.now += 100;
    p.type(Qt::Key_R);
    p.clock.now += 100;
    p.type(Qt::Key_F5);  // no character: adds nothing
    p.clock.now += 100;
    p.type(Qt::Key_A);
    EXPECT_EQ(p.caption(), "Gray");
    p.clock.now += 600;
    p.type(Qt::Key_R);
    EXPECT_EQ(p.caption(), "Red");
    EXPECT_EQ(p.edit->SelectedColor(), RGB(255, 0, 0));
}

TEST(ColorPickerDropDown, ListPopupMovesAndCancelRestores) {
    Picker p;
    p.edit->SetItemIndex(3);
    p.openPopup();
    ASSERT_TRUE(p.open());
    TExCustomItemSelector* list = p.edit->ItemSelector();
    EXPECT_EQ(list->Items().Count(), 16);
    EXPECT_EQ(list->ItemIndex(), 3);
    EXPECT_GT(p.edit->DropDownForm()->height(), 100);
    // Sixteen colours need the vertical bar; it stands beside the cells, so no sideways bar.
    EXPECT_TRUE(list->VerticalScrollBarShown());
    EXPECT_FALSE(list->HorizontalScrollBarShown());
    EXPECT_GE(list->viewport()->width(), list->Panel()->width());
    p.selects = 0;
    // The keys move the selection; the list itself does not scroll on them (the item in view
    // stays where it stands).
    const int scrolled = list->verticalScrollBar()->value();
    p.type(Qt::Key_Up, list);
    EXPECT_EQ(list->verticalScrollBar()->value(), scrolled);
    p.type(Qt::Key_Down, list);
    p.type(Qt::Key_Down, list);
    p.type(Qt::Key_Down, list);
    EXPECT_EQ(list->verticalScrollBar()->value(), scrolled);
    EXPECT_TRUE(p.open()) << "moving in the list keeps the pop-up open";
    EXPECT_EQ(p.edit->ItemIndex(), 5);
    EXPECT_EQ(p.selects, 4);
    p.type(Qt::Key_Escape, list);
    EXPECT_FALSE(p.open());
    EXPECT_EQ(p.edit->ItemIndex(), 3) << "Esc restores the index held at opening";
    EXPECT_EQ(p.edit->SelectedColor(), RGB(128, 128, 0));

    // A click takes the colour and closes.
    p.openPopup();
    ASSERT_TRUE(p.open());
    press(list->Panel(), list->Items().Items(12).Rect().toQRect().center());
    EXPECT_FALSE(p.open());
    EXPECT_EQ(p.caption(), "Blue");

    // Enter over a hot item chooses that item, once.
    p.openPopup();
    ASSERT_TRUE(p.open());
    const QPoint over = list->Items().Items(13).Rect().toQRect().center();
    QMouseEvent move(QEvent::MouseMove, QPointF(over), QPointF(list->Panel()->mapToGlobal(over)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(list->Panel(), &move);
    ASSERT_EQ(list->ItemHot(), 13);
    p.selects = 0;
    p.type(Qt::Key_Return, list);
    EXPECT_FALSE(p.open());
    EXPECT_EQ(p.caption(), "Fuchsia");
    EXPECT_EQ(p.selects, 1);
}

TEST(ColorPickerDropDown, CubePickClosesAndLeavesNoItem) {
    Picker p;
    p.edit->SetColorSelectionStyle(csColorCube);
    p.openPopup();
    ASSERT_TRUE(p.open());
    TExColorCubePanel* cube = p.edit->ColorCubePanel();
    ASSERT_NE(cube, nullptr);
    EXPECT_TRUE(cube->isVisible());
    EXPECT_FALSE(p.edit->ItemSelector()->isVisible());
    EXPECT_EQ(p.edit->DropDownForm()->size(), QSize(182 + 2, 160 + 2));
    EXPECT_FALSE(p.edit->DropDownForm()->Sizeable);
    p.selects = 0;
    press(cube, QPoint(cube->Cell(64).X, cube->Cell(64).Y));
    EXPECT_FALSE(p.open());
    EXPECT_EQ(p.edit->SelectedColor(), RGB(255, 255, 255));
    EXPECT_EQ(p.edit->ItemIndex(), -1) << "a cube pick is no list choice, even of a listed colour";
    EXPECT_GE(p.selects, 1);
}

TEST(ColorPickerDropDown, SpectrumPickTakesThePixel) {
    Picker p;
    p.edit->SetColorSelectionStyle(csSpectrum);
    p.openPopup();
    ASSERT_TRUE(p.open());
    TExColorSpectrumPanel* spectrum = p.edit->SpectrumPanel();
    ASSERT_NE(spectrum, nullptr);
    auto* image = static_cast<QWidget*>(spectrum->SpectrumImage());
    press(image, QPoint(0, 64));
    EXPECT_FALSE(p.open());
    EXPECT_EQ(p.edit->SelectedColor(), FromQRgb(SpectrumPicture().pixel(0, 64)));
    EXPECT_EQ(GetRValue(p.edit->SelectedColor()), 255);
}

TEST(ColorPickerDropDown, PaletteKeysAndCancelRestoreTheColour) {
    Picker p;
    p.edit->SetSelectedColor(RGB(1, 2, 3));  // in no palette box
    p.edit->SetColorSelectionStyle(csDiscrete);
    p.openPopup();
    ASSERT_TRUE(p.open());
    TCustomColorSelector* palette = p.edit->ColorSelector();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->ItemIndex(), -1);
    p.type(Qt::Key_Down, palette);
    EXPECT_TRUE(p.open()) << "a key move keeps the pop-up open";
    EXPECT_EQ(palette->ItemIndex(), 0);
    EXPECT_EQ(p.edit->SelectedColor(), palette->Items().Items(0).Color());
    p.type(Qt::Key_Escape, palette);
    EXPECT_FALSE(p.open());
    EXPECT_EQ(p.edit->SelectedColor(), RGB(1, 2, 3)) << "cancel gives the colour back though no box holds it";

    // A palette colour chosen by mouse closes the pop-up.
    p.openPopup();
    ASSERT_TRUE(p.open());
    press(palette, palette->Items().Items(5).Rect().toQRect().center());
    EXPECT_FALSE(p.open());
    EXPECT_EQ(p.edit->SelectedColor(), palette->Items().Items(5).Color());
    EXPECT_EQ(p.edit->ItemIndex(), -1);
}
