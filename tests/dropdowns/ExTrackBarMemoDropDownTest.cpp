// The track bar drop-down (value flow, bounds, keys, mouse drag, conversion error) and the memo
// drop-down (what the edit shows, typing, closing with and without cancel, the memo's keys,
// AutoDrop).
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTest>
#include <QWidget>

#include "controls/ExUtil.h"
#include "dropdowns/DovUzerAdev.h"
#include "dropdowns/DovUzerAdevForm.h"
#include "dropdowns/ExMemoDropDown.h"
#include "dropdowns/ExTrackBarDropDown.h"
#include "platform/Guard.h"
#include "tests/support/TestSupport.h"

using namespace plat;
using namespace dropdowns;

namespace {

template <class T>
struct Fixture {
    QWidget window;
    T* edit;
    testing_support::RecordingDialogs dialogs;
    Fixture() {
        edit = TExCustomDropDown::CreateDropDown<T>(&window);
        edit->setGeometry(10, 10, 200, 21);
        window.resize(400, 100);
        window.show();
        QApplication::setActiveWindow(&window);
        edit->setFocus();
    }
    ~Fixture() { delete edit; }
};

using TrackFixture = Fixture<TExTrackBarDropDown>;
using MemoFixture = Fixture<TExMemoDropDown>;

TEST(TrackBarDropDown, NewAndKeys) {
    TrackFixture f;
    EXPECT_EQ(f.edit->Text(), "0");
    EXPECT_FALSE(f.edit->EditorEnabled());
    EXPECT_TRUE(f.edit->DropDownEnabled);
    EXPECT_EQ(f.edit->EditType(), etNumeric);
    ASSERT_NE(f.edit->TrackBar(), nullptr);
    EXPECT_EQ(f.edit->TrackBar()->maximum(), 10);
    QTest::keyClicks(f.edit, "57");
    EXPECT_EQ(f.edit->Text(), "0");
    QTest::keyClick(f.edit, Qt::Key_Up);
    EXPECT_EQ(f.edit->Position(), 0);
    QTest::keyClick(f.edit, Qt::Key_Down);
    EXPECT_EQ(f.edit->Position(), 1);
    EXPECT_EQ(f.edit->Text(), "1");
    QTest::keyClick(f.edit, Qt::Key_Up);
    EXPECT_EQ(f.edit->Text(), "0");

    // A step that would cross a bound is dropped, not clamped.
    f.edit->SetPosition(9);
    f.edit->SetFrequency(2);
    QTest::keyClick(f.edit, Qt::Key_Down);
    EXPECT_EQ(f.edit->Position(), 9);
    f.edit->SetFrequency(1);
    QTest::keyClick(f.edit, Qt::Key_Down);
    EXPECT_EQ(f.edit->Position(), 10);
    EXPECT_EQ(f.edit->Text(), "10");
    // With the editor enabled the arrows are the edit's.
    f.edit->SetEditorEnabled(true);
    QTest::keyClick(f.edit, Qt::Key_Up);
    EXPECT_EQ(f.edit->Position(), 10);
    EXPECT_FALSE(f.edit->DroppedDown());
}

TEST(TrackBarDropDown, PositionAndBounds) {
    TrackFixture f;
    int tracks = 0;
    f.edit->OnTrackChange = [&](QObject* s) {
        EXPECT_EQ(s, f.edit);
        ++tracks;
    };
    f.edit->SetPosition(15);
    EXPECT_EQ(f.edit->Position(), 10);
    EXPECT_EQ(f.edit->Text(), "10");
    EXPECT_EQ(tracks, 1);
    f.edit->SetPosition(10);
    EXPECT_EQ(tracks, 1);

    f.edit->SetMin(20);
    EXPECT_EQ(f.edit->Min(), 0);
    EXPECT_EQ(f.edit->TrackBar()->minimum(), 0);
    EXPECT_EQ(f.edit->TrackBar()->maximum(), 10);
    f.edit->SetMax(-5);
    EXPECT_EQ(f.edit->Max(), 10);
    EXPECT_EQ(f.edit->TrackBar()->minimum(), 0);
    // A new bound that moves the value past it clamps the value, and the edit follows.
    f.edit->SetMax(4);
    EXPECT_EQ(f.edit->Max(), 4);
    EXPECT_EQ(f.edit->Position(), 4);
    EXPECT_EQ(f.edit->Text(), "4");
    EXPECT_EQ(tracks, 2);
    f.edit->SetMin(4);
    EXPECT_EQ(f.edit->Min(), 4);
}

TEST(TrackBarDropDown, OpeningAndLiveChanges) {
    TrackFixture f;
    int tracks = 0;
    f.edit->OnTrackChange = [&](QObject*) { ++tracks; };
    f.edit->SetPosition(3);
    f.edit->SetPageSize(5);
    f.edit->ShowDropDown();
    ASSERT_TRUE(f.edit->DroppedDown());
    QSlider* t = f.edit->TrackBar();
    EXPECT_EQ(f.edit->Control(), t);
    // As wide as the edit; 40 + 2 border pixels high, raised to the pop-up's minimum of 50.
    EXPECT_EQ(f.edit->DropDownForm()->width(), f.edit->width());
    EXPECT_EQ(t->pageStep(), 5);
    EXPECT_EQ(t->value(), 3);
    EXPECT_EQ(f.edit->DropDownForm()->height(), 50);
    EXPECT_FALSE(f.edit->DropDownForm()->CancelOnDeActivate);
    // The arrows on the open track bar step as on the edit: Down raises, Up lowers, once.
    QTest::keyClick(t, Qt::Key_Down);
    EXPECT_EQ(f.edit->Position(), 4);
    QTest::keyClick(t, Qt::Key_Up);
    QTest::keyClick(t, Qt::Key_Up);
    EXPECT_EQ(f.edit->Position(), 2);
    EXPECT_TRUE(f.edit->DroppedDown());
    tracks = 0;
    t->setValue(7);
    EXPECT_EQ(f.edit->Text(), "7");
    EXPECT_EQ(f.edit->Position(), 7);
    EXPECT_EQ(tracks, 1);
    // Esc cancels: the text the program last wrote comes back, and the value with it.
    QTest::keyClick(f.edit->DropDownForm(), Qt::Key_Escape);
    EXPECT_FALSE(f.edit->DroppedDown());
    EXPECT_EQ(f.edit->Text(), "0");
    EXPECT_EQ(f.edit->Position(), 0);
}

TEST(TrackBarDropDown, MouseDrag) {
    struct Case {
        const char* name;
        std::vector<int> moves;  // x of each move after a press at x = 20
        int pageSize;
        bool editorEnabled, dropDownEnabled;
        int position;  // from 5
    } cases[] = {
        {"7 pixels in one move", {27}, 2, false, true, 8},
        {"7 one-pixel moves", {21, 22, 23, 24, 25, 26, 27}, 2, false, true, 5},
        {"to the left", {13}, 2, false, true, 2},
        {"to the left, truncated toward zero", {17}, 2, false, true, 4},
        {"clamped at the maximum", {80}, 2, false, true, 10},
        {"with the editor enabled", {27}, 2, true, true, 5},
        {"with the drop-down disabled", {27}, 2, false, false, 5},
        {"page size 0", {27, 40}, 0, false, true, 5},
        {"negative page size", {27, 40}, -2, false, true, 5},
    };
    for (const Case& cs : cases) {
        TrackFixture f;
        f.edit->SetPosition(5);
        f.edit->SetPageSize(cs.pageSize);
        f.edit->SetEditorEnabled(cs.editorEnabled);
        f.edit->DropDownEnabled = cs.dropDownEnabled;
        QTest::mousePress(f.edit, Qt::LeftButton, {}, QPoint(20, 10));
        for (int x : cs.moves) QTest::mouseMove(f.edit, QPoint(x, 10));
        QTest::mouseRelease(f.edit, Qt::LeftButton, {}, QPoint(cs.moves.back(), 10));
        EXPECT_EQ(f.edit->Position(), cs.position) << cs.name;
        // After the release moves change nothing.
        QTest::mouseMove(f.edit, QPoint(90, 10));
        EXPECT_EQ(f.edit->Position(), cs.position) << cs.name;
    }
}

TEST(TrackBarDropDown, TextThatIsNoNumber) {
    TrackFixture f;
    f.edit->SetPosition(6);
    int changes = 0;
    f.edit->OnChange = [&](QObject*) { ++changes; };
    guarded([&] { f.edit->SetText(QStringLiteral("x")); });
    EXPECT_EQ(f.dialogs.errors(), QStringList{"'x' is not a valid integer value"});
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(f.edit->Position(), 6);
    EXPECT_EQ(f.edit->Text(), "x");
    EXPECT_THROW(f.edit->SetTextDirect(QString()), EConvertError);
    EXPECT_EQ(f.edit->Position(), 6);
    // A number written by the program moves the track bar.
    f.edit->SetText(QStringLiteral("2"));
    EXPECT_EQ(f.edit->Position(), 2);
    EXPECT_EQ(f.edit->TrackBar()->value(), 2);
}

// ---------------------------------------------------------------------------------------------------
// Memo

int textWidth(TExMemoDropDown* edit, const QString& text) {
    QImage device(1, 1, QImage::Format_RGB32);
    TCanvas c(&device);
    c.Font().Assign(edit->Font());
    return GetTextSize(c, text).width();
}

TEST(MemoDropDown, WhatTheEditShows) {
    MemoFixture f;
    f.edit->SetEditorEnabled(false);
    f.edit->resize(300, 21);
    f.edit->SetMemoText({"one", "two"});
    EXPECT_EQ(f.edit->Text(), "one...");
    f.edit->SetMemoText({"one"});
    EXPECT_EQ(f.edit->Text(), "one");
    const QString wide = QString(80, u'W');
    f.edit->SetMemoText({wide, "two"});
    const QString shown = f.edit->Text();
    EXPECT_TRUE(shown.endsWith("...")) << shown.toStdString();
    EXPECT_LT(shown.size(), wide.size());
    EXPECT_LT(textWidth(f.edit, shown), f.edit->GetEditRect().Width());
    // The shortened line does not go back into the lines.
    EXPECT_EQ(f.edit->MemoText(), (QStringList{wide, "two"}));

    f.edit->SetEditorEnabled(true);
    f.edit->SetMemoText({"one", "two"});
    EXPECT_EQ(f.edit->Text(), "one\ntwo\n");

    // Lines given before the edit was ever shown are measured against its size all the same.
    QWidget hidden;
    auto* e = TExCustomDropDown::CreateDropDown<TExMemoDropDown>(&hidden);
    e->setGeometry(0, 0, 300, 21);
    e->SetEditorEnabled(false);
    e->SetMemoText({"one", "two"});
    EXPECT_EQ(e->Text(), "one...");
    delete e;
}

TEST(MemoDropDown, Typing) {
    MemoFixture f;
    QTest::keyClicks(f.edit, "abc");
    EXPECT_EQ(f.edit->MemoText(), QStringList{"abc"});
    EXPECT_EQ(f.edit->Text(), "abc");
    // Over the whole text one character replaces the lines too.
    f.edit->SetMemoText({"one", "two"});
    f.edit->SelectAll();
    QTest::keyClick(f.edit, Qt::Key_X);
    EXPECT_EQ(f.edit->MemoText(), QStringList{"x"});
    EXPECT_EQ(f.edit->Text(), "x");
}

TEST(MemoDropDown, ClosingTakesOrDropsTheMemo) {
    MemoFixture f;
    f.edit->SetEditorEnabled(false);
    f.edit->SetText(QStringLiteral("first"));
    int memoChanges = 0;
    f.edit->OnMemoChange = [&](QObject* s) {
        EXPECT_EQ(s, f.edit);
        ++memoChanges;
    };
    f.edit->ShowDropDown();
    ASSERT_TRUE(f.edit->DroppedDown());
    QPlainTextEdit* memo = f.edit->Memo();
    EXPECT_EQ(f.edit->Control(), memo);
    EXPECT_EQ(memo->toPlainText(), "first\n");
    EXPECT_FALSE(f.edit->DropDownForm()->CancelOnDeActivate);
    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, "second");
    EXPECT_GT(memoChanges, 0);
    EXPECT_EQ(f.edit->MemoText(), QStringList{"first"});
    // Enter is a line break in the memo and leaves the pop-up open.
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClicks(memo, "third");
    EXPECT_TRUE(f.edit->DroppedDown());
    EXPECT_EQ(memo->toPlainText(), "first\nsecond\nthird");
    // Ctrl+A selects the whole memo.
    QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(memo->textCursor().selectedText().size(), memo->toPlainText().size());
    // Esc drops the memo's edits.
    QTest::keyClick(memo, Qt::Key_Escape);
    EXPECT_FALSE(f.edit->DroppedDown());
    EXPECT_EQ(f.edit->MemoText(), QStringList{"first"});
    EXPECT_EQ(f.edit->Text(), "first");
    EXPECT_EQ(memo->toPlainText(), "first\n");

    // A click outside closes it without cancel: the memo's text becomes the lines and the edit
    // shows the first.
    QApplication::processEvents();
    f.edit->ShowDropDown();
    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, "second");
    QTest::mouseClick(&f.window, Qt::LeftButton, {}, QPoint(350, 80));
    QApplication::processEvents();
    EXPECT_FALSE(f.edit->DroppedDown());
    EXPECT_EQ(f.edit->MemoText(), (QStringList{"first", "second"}));
    EXPECT_EQ(f.edit->Text(), "first...");
    EXPECT_EQ(f.edit->TextRules().SelLength(), 0);
}

TEST(MemoDropDown, SettingsReachTheMemo) {
    MemoFixture f;
    f.edit->SetMemoReadOnly(true);
    f.edit->SetMemoScrollBars(ssVertical);
    f.edit->SetMaxLength(5);
    f.edit->ShowDropDown();
    QPlainTextEdit* memo = f.edit->Memo();
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    f.edit->SetMemoReadOnly(false);
    EXPECT_FALSE(memo->isReadOnly());
    QTest::keyClicks(memo, "abcdefgh");
    EXPECT_EQ(memo->toPlainText(), "abcde");
}

TEST(MemoDropDown, AutoDrop) {
    QWidget window;
    auto* before = new QLineEdit(&window);
    auto* edit = TExCustomDropDown::CreateDropDown<TExMemoDropDown>(&window);
    before->setGeometry(10, 10, 100, 21);
    edit->setGeometry(10, 40, 200, 21);
    edit->SetAutoDrop(true);
    window.resize(300, 100);
    window.show();
    QApplication::setActiveWindow(&window);
    before->setFocus();
    EXPECT_FALSE(edit->DroppedDown());
    QTest::keyClick(before, Qt::Key_Tab);
    EXPECT_TRUE(edit->DroppedDown());
    edit->HideDropDown(false);
    EXPECT_FALSE(edit->DroppedDown());
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_TRUE(edit->AutoDrop());
    delete edit;
}

TEST(MemoDropDown, Lines) {
    EXPECT_EQ(JoinMemoLines({"a", "", "b"}), "a\n\nb\n");
    EXPECT_EQ(SplitMemoLines("a\r\n\rb\n"), (QStringList{"a", "", "b"}));
    EXPECT_EQ(SplitMemoLines(""), QStringList{});
    EXPECT_EQ(SplitMemoLines("\n"), QStringList{""});
}

}  // namespace
