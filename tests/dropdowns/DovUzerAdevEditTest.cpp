// The drop-down edit on the offscreen platform, through a member that records the steps the base
// calls; and its drop-down button.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "dropdowns/DovUzerAdevEdit.h"
#include "tests/support/LocaleScope.h"

using namespace plat;
using namespace dropdowns;

namespace {

class TRecordingDropDown : public TExCustomDropDown {
public:
    explicit TRecordingDropDown(QWidget* parent = nullptr, TDropDownEditType type = etString)
        : TExCustomDropDown(parent) {
        SetEditType(type);
    }
    std::vector<std::string> calls;
    int changeWork = 0;

protected:
    void CreateDropDownForm() override {
        calls.push_back("CreateDropDownForm");
        TExCustomDropDown::CreateDropDownForm();
    }
    void CreateDropDownButton() override {
        calls.push_back("CreateDropDownButton");
        TExCustomDropDown::CreateDropDownButton();
    }
    void SetSelectionColorStyle(TSelectionColorStyle Value) override {
        calls.push_back("SetSelectionColorStyle");
        TExCustomDropDown::SetSelectionColorStyle(Value);
    }
    void SetComponentStyle(TSkinStyle AStyle) override {
        calls.push_back("SetComponentStyle");
        TExCustomDropDown::SetComponentStyle(AStyle);
    }
    void DoShowDropDown() override {
        calls.push_back("show");
        SetDroppedDown(true);
    }
    void DoHideDropDown(bool Cancelled) override {
        if (!DroppedDown()) return;
        calls.push_back(Cancelled ? "hide cancelled" : "hide");
        SetDroppedDown(false);
    }
    void DoChange() override { ++changeWork; }
};

// An edit on a parent window, shown and focused.
struct Fixture {
    QWidget window;
    TRecordingDropDown* edit;
    explicit Fixture(TDropDownEditType type = etString) {
        edit = TExCustomDropDown::CreateDropDown<TRecordingDropDown>(&window, type);
        edit->move(10, 10);
        window.resize(300, 100);
        window.show();
        QApplication::setActiveWindow(&window);
        edit->setFocus();
        edit->calls.clear();
    }
    std::vector<std::string> takeCalls() { return std::exchange(edit->calls, {}); }
};

TEST(DropDownEdit, CreationRunsTheMembersStepsInOrder) {
    std::unique_ptr<TRecordingDropDown> d(TExCustomDropDown::CreateDropDown<TRecordingDropDown>());
    EXPECT_EQ(d->calls, (std::vector<std::string>{"CreateDropDownForm", "CreateDropDownButton",
                                                  "SetSelectionColorStyle", "SetComponentStyle"}));
    EXPECT_EQ(d->Version(), QStringLiteral("1.2.1.4"));
    EXPECT_EQ(d->width(), 200);
    EXPECT_EQ(d->height(), 21);
    EXPECT_EQ(d->DropDownButtonWidth(), 17);
    ASSERT_NE(d->Button(), nullptr);
    EXPECT_EQ(d->Button()->width(), 16) << "the button is 16 wide whatever the edit asks";
    EXPECT_EQ(d->Button()->height(), 17);
    EXPECT_EQ(d->Button()->FocusControl(), d.get());
    EXPECT_TRUE(d->EditorEnabled());
    EXPECT_EQ(d->DropPosition, dpAuto);
    EXPECT_EQ(d->UserDropDownWidth(), -1);
    EXPECT_EQ(d->UserDropDownHeight(), -1);
    EXPECT_EQ(d->DropDownColor(), 0xF3E5DAu) << "the constructor's look";
    EXPECT_EQ(d->DropDownHeader().Font().Color(), 0x723708u);
    EXPECT_EQ(d->BorderColor(), clNone);
    EXPECT_EQ(d->SelectionColorStyle(), scOffice2007);
    EXPECT_EQ(d->GetComponentStyle(), tsOffice2007Luna);
    EXPECT_EQ(d->DropDownHeader().GetOwner(), d.get());
    EXPECT_EQ(d->Text(), QString());

    std::unique_ptr<TRecordingDropDown> n(TExCustomDropDown::CreateDropDown<TRecordingDropDown>(nullptr, etNumeric));
    EXPECT_EQ(n->EditText(), QStringLiteral("0")) << "a new numeric member shows 0";
}

TEST(DropDownEdit, AltArrowsOpenAndClose) {
    Fixture f;
    QTest::keyClicks(f.edit, "ab");
    QTest::keyClick(f.edit, Qt::Key_Down, Qt::AltModifier);
    QTest::keyClick(f.edit, Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(f.takeCalls(), (std::vector<std::string>{"show", "hide"}));
    EXPECT_EQ(f.edit->Text(), QStringLiteral("ab"));
    EXPECT_EQ(f.edit->EditText(), QStringLiteral("ab"));
}

TEST(DropDownEdit, EscSelectsTheValueAndClearsTheModifiedState) {
    Fixture f;
    QTest::keyClicks(f.edit, "123");
    EXPECT_TRUE(f.edit->GetModifiedState());
    QTest::keyClick(f.edit, Qt::Key_Escape);
    EXPECT_FALSE(f.edit->GetModifiedState());
    EXPECT_EQ(f.edit->SelStart(), 0);
    EXPECT_EQ(f.edit->SelLength(), 3);
    EXPECT_EQ(f.edit->Text(), QStringLiteral("123"));
}

TEST(DropDownEdit, DisabledEditor) {
    Fixture f;
    f.edit->SetText(QStringLiteral("pick"));
    f.edit->SetEditorEnabled(false);
    QTest::keyClicks(f.edit, "xy");
    EXPECT_EQ(f.edit->Text(), QStringLiteral("pick"));
    QTest::keyClick(f.edit, Qt::Key_F4);
    QTest::keyClick(f.edit, Qt::Key_Return);
    QTest::keyClick(f.edit, Qt::Key_F4);
    QTest::keyClick(f.edit, Qt::Key_Escape);
    EXPECT_EQ(f.takeCalls(), (std::vector<std::string>{"show", "hide", "show", "hide cancelled"}));
    QTest::mouseClick(f.edit, Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_EQ(f.takeCalls(), (std::vector<std::string>{"show"})) << "a click opens";
    EXPECT_EQ(f.edit->Text(), QStringLiteral("pick"));
}

TEST(DropDownEdit, TypingAndChanges) {
    testing_support::LocaleScope locale(testing_support::kDotDecimal);
    Fixture f(etFloat);
    f.edit->SetPrecision(2);
    int changes = 0;
    f.edit->OnChange = [&](QObject*) { ++changes; };
    f.edit->SetText(QStringLiteral("1.25"));
    f.edit->SelectAll();
    changes = 0;
    f.edit->changeWork = 0;
    QTest::keyClick(f.edit, Qt::Key_7);
    EXPECT_EQ(f.edit->Text(), QStringLiteral("7"));
    EXPECT_EQ(changes, 0) << "typed over the whole value";
    EXPECT_EQ(f.edit->changeWork, 1) << "the member's own change work runs all the same";
    QTest::keyClick(f.edit, Qt::Key_Period);
    QTest::keyClicks(f.edit, "5");
    EXPECT_EQ(f.edit->Text(), QStringLiteral("7.5"));
    EXPECT_EQ(changes, 2);

    // Ctrl+A is not ours; Ctrl+C and Ctrl+V go through the rules.
    f.edit->SelectAll();
    QTest::keyClick(f.edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("7.5"));
    QGuiApplication::clipboard()->setText(QStringLiteral("abc"));
    QTest::keyClick(f.edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(f.edit->Text(), QStringLiteral("7.5")) << "a letter is not pasted into a number";

    // Focus loss reformats.
    QWidget other(&f.window);
    other.setFocusPolicy(Qt::StrongFocus);
    other.show();
    f.edit->SetTextDirect(QStringLiteral("1"));
    other.setFocus();
    EXPECT_EQ(f.edit->Text(), QStringLiteral("1.00"));
}

TEST(DropDownEdit, APressInsideTheSelectionKeepsItUntilTheRelease) {
    Fixture f;
    f.edit->SetText(QStringLiteral("abcdef"));
    f.edit->Select(1, 4);
    f.edit->TextRules().Select(1, 4);
    int x = 0;
    while (x < f.edit->width() && f.edit->CharFromPos(QPoint(x, 10)) != 2) ++x;
    ASSERT_LT(x, f.edit->width());
    QTest::mousePress(f.edit, Qt::LeftButton, {}, QPoint(x, 10));
    EXPECT_EQ(f.edit->SelStart(), 1) << "the press inside the selection leaves it";
    EXPECT_EQ(f.edit->SelLength(), 3);
    QTest::mouseRelease(f.edit, Qt::LeftButton, {}, QPoint(x, 10));
    EXPECT_EQ(f.edit->SelStart(), 2) << "the release puts the caret where it is";
    EXPECT_EQ(f.edit->SelLength(), 0);
    EXPECT_EQ(f.edit->TextRules().SelStart(), 2);

    // Outside the selection a press moves the caret at once.
    f.edit->Select(1, 4);
    f.edit->TextRules().Select(1, 4);
    int far = f.edit->EditRect().Right - 2;
    QTest::mousePress(f.edit, Qt::LeftButton, {}, QPoint(far, 10));
    EXPECT_EQ(f.edit->SelLength(), 0);
    EXPECT_EQ(f.edit->SelStart(), 6);
    QTest::mouseRelease(f.edit, Qt::LeftButton, {}, QPoint(far, 10));
    EXPECT_TRUE(f.takeCalls().empty()) << "an enabled editor does not open on a click";
}

TEST(DropDownEdit, ButtonClickOpensOnTheRelease) {
    Fixture f;
    TDovUzerAdevSpeedButton* sb = f.edit->Button()->Button();
    QTest::mousePress(sb, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(f.takeCalls().empty()) << "nothing on the press";
    QTest::mouseRelease(sb, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(f.takeCalls(), (std::vector<std::string>{"show"}));
    f.edit->HideDropDown(false);
    f.takeCalls();
    // Pressed inside, released outside: the release still counts.
    QTest::mousePress(sb, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(sb, Qt::LeftButton, {}, QPoint(60, 40));
    EXPECT_EQ(f.takeCalls(), (std::vector<std::string>{"show"}));
    // The right button does nothing.
    f.edit->HideDropDown(false);
    f.takeCalls();
    QTest::mouseClick(sb, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_TRUE(f.takeCalls().empty());
}

TEST(DropDownEdit, ButtonKeepsItsWidth) {
    Fixture f;
    TDropDownEditButton* b = f.edit->Button();
    for (int w : {0, 5, 17, 40}) {
        b->SetBounds(3, 2, w, 19);
        EXPECT_EQ(b->width(), 16) << w;
        EXPECT_EQ(b->height(), 19) << w;
        b->resize(w + 1, 20);
        EXPECT_EQ(b->width(), 16) << w;
        EXPECT_EQ(b->Button()->geometry(), QRect(0, 0, 16, 20)) << w;
    }
    f.edit->SetDropDownButtonWidth(30);
    EXPECT_EQ(f.edit->DropDownButtonWidth(), 30);
    EXPECT_EQ(b->width(), 16);

    // Enabled follows.
    b->setEnabled(false);
    EXPECT_FALSE(b->Button()->isEnabled());
}

TEST(DropDownEdit, ColourSetLook) {
    Fixture f;
    TDropDownEditButton* b = f.edit->Button();
    b->SetBounds(0, 0, 16, 20);
    b->ButtonColor = clRed;
    b->ButtonColorHot = clYellow;
    b->ButtonTextColor = clBlue;
    f.edit->SetBorderColor(clLime);
    const QImage img = b->Button()->grab().toImage();
    auto at = [&](int x, int y) { return FromQRgb(img.pixel(x, y)); };
    for (int y = 0; y < 20; ++y) EXPECT_EQ(at(0, y), clLime) << "separator at " << y;
    EXPECT_EQ(at(8, 8), clBlue) << "arrow";
    EXPECT_EQ(at(6, 7), clBlue) << "arrow";
    EXPECT_EQ(at(8, 11), clRed) << "below the arrow";
    EXPECT_EQ(at(12, 3), clRed);
    EXPECT_EQ(at(14, 17), clRed);

    // Without a colour the standard look comes back (no separator in the border colour).
    b->ButtonColor = clNone;
    const QImage standard = b->Button()->grab().toImage();
    EXPECT_NE(FromQRgb(standard.pixel(0, 10)), clLime);
}

TEST(DropDownEdit, DropDownSizeAndControl) {
    Fixture f;
    f.edit->SetUserDropDownSize(300, 120);
    f.edit->SetDropDownWidth(250);
    EXPECT_EQ(f.edit->UserDropDownWidth(), -1);
    EXPECT_EQ(f.edit->UserDropDownHeight(), 120);
    f.edit->SetDropDownHeight(250);
    EXPECT_EQ(f.edit->UserDropDownHeight(), -1);

    auto* hosted = new QWidget;
    f.edit->SetControl(hosted);
    f.edit->SetFocusControl(hosted);
    EXPECT_EQ(f.edit->Control(), hosted);
    delete hosted;
    EXPECT_EQ(f.edit->Control(), nullptr);
    EXPECT_EQ(f.edit->FocusControl(), nullptr);
}

TEST(DropDownEdit, AssignCopiesTheSettings) {
    std::unique_ptr<TRecordingDropDown> a(TExCustomDropDown::CreateDropDown<TRecordingDropDown>(nullptr, etFloat));
    std::unique_ptr<TRecordingDropDown> b(TExCustomDropDown::CreateDropDown<TRecordingDropDown>());
    a->SetPrecision(3);
    a->SetDropDownWidth(222);
    a->SetDropDownButtonHint(QStringLiteral("Open"));
    a->DropDownHeader().SetCaption(QStringLiteral("Head"));
    a->SetEditorEnabled(false);
    a->SetText(QStringLiteral("1"));
    b->Assign(*a);
    EXPECT_EQ(b->EditType(), etFloat);
    EXPECT_EQ(b->Precision(), 3);
    EXPECT_EQ(b->DropDownWidth(), 222);
    EXPECT_EQ(b->DropDownButtonHint(), QStringLiteral("Open"));
    EXPECT_EQ(b->Button()->toolTip(), QStringLiteral("Open"));
    EXPECT_EQ(b->DropDownHeader().Caption(), QStringLiteral("Head"));
    EXPECT_FALSE(b->EditorEnabled());
}

}  // namespace
