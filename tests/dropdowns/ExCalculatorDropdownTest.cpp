// The calculator: key sequences on its engine under both number conventions, the memory and the
// conversion error through the drop-down, the keypad's geometry and clicks, and the keys typed on
// the open keypad.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "controls/ExUtil.h"
#include "dropdowns/DovUzerAdev.h"
#include "dropdowns/DovUzerAdevForm.h"
#include "dropdowns/ExCalculatorDropdown.h"
#include "dropdowns/ExCalculatorEngine.h"
#include "tests/support/LocaleScope.h"
#include "tests/support/TestSupport.h"

using namespace plat;
using namespace dropdowns;
using testing_support::LocaleCase;
using testing_support::LocaleScope;

namespace {

const LocaleCase kLocales[] = {testing_support::kDotDecimal, testing_support::kCommaDecimal};

struct Host final : IDropDownTextHost {
    QString clipboard;
    void TextChanged(bool) override {}
    QString ClipboardText() const override { return clipboard; }
    void SetClipboardText(const QString& Text) override { clipboard = Text; }
};

// The calculator's engine on a bare text set up as the drop-down sets its own.
struct Calc {
    Host host;
    TDropDownText text{host};
    TCalculatorEngine engine{text};
    Calc() {
        text.SetEditType(etFloat);
        text.SetPrecision(2);
    }
    // Keypad keys by caption, separated by blanks; digits may run together ("200").
    void press(const QString& keys) {
        static const std::pair<const char*, int> named[] = {
            {"+", ctAdd},           {"-", ctSubtract},    {"*", ctMultiply},  {"/", ctDivide},
            {"+/-", ctSign},        {".", ctDecimal},     {"C", ctClear},     {"=", ctResult},
            {"%", ctPercent},       {"ON", ctOn},         {"Back", ctBack},   {"CE", ctClearEntry},
            {"MC", ctMemoryClear},  {"MR", ctMemoryRecall}, {"MS", ctMemoryStore}, {"M+", ctMemoryAdd},
            {"sqrt", ctSqrt},       {"1/x", ctReciprocal}};
        for (const QString& k : keys.split(u' ', Qt::SkipEmptyParts)) {
            bool found = false;
            for (const auto& [name, tag] : named)
                if (k == QLatin1String(name)) {
                    engine.ButtonClick(tag);
                    found = true;
                }
            if (!found)
                for (QChar d : k) engine.ButtonClick(d.digitValue());
        }
    }
    // Characters typed into the closed edit, "." standing for the locale's decimal separator.
    void type(const QString& chars) {
        for (QChar c : chars) engine.TypeChar(c == u'.' ? DecimalSeparator() : c, true);
    }
};

TEST(CalculatorEngine, KeySequences) {
    struct Case {
        const char* name;
        bool typed;     // typed into the closed edit (never opened), the value selected first
        const char* keys;
        const char* shown;  // D: the locale's decimal separator
        int pending;
    } cases[] = {
        {"left to right, no precedence", false, "2 + 3 * 4 =", "20D00", coNone},
        {"percent of the accumulator, then the addition", false, "200 + 10 % =", "220D00", coNone},
        {"percent alone keeps the addition pending", false, "200 + 10 %", "20D00", coAdd},
        {"division by zero", false, "5 / 0 =", "Error", coNone},
        {"an error reads as 0 for the next operation", false, "5 / 0 = +", "0D00", coAdd},
        {"decimal entry after C", false, "C . 5", "0D50", coNone},
        {"integer then decimal digits", false, "1 2 . 5", "12D50", coNone},
        {"Back drops the last digit", false, "1 2 . 5 Back", "12D00", coNone},
        {"Back with an operation pending does nothing", false, "1 2 . 5 + Back", "12D50", coAdd},
        {"square root of a negative value", false, "4 +/- sqrt", "Error", coNone},
        {"square root", false, "9 sqrt", "3D00", coNone},
        {"reciprocal of 0", false, "0 1/x", "Error", coNone},
        {"reciprocal", false, "4 1/x", "0D25", coNone},
        {"CE leaves decimal entry active", false, ". 5 CE 7", "0D07", coNone},
        {"the blank key likewise", false, ". 5 ON 7", "0D07", coNone},
        {"C ends decimal entry", false, ". 5 C 7", "7D00", coNone},
        {"repeated = keeps the value", false, "6 * 7 = =", "42D00", coNone},
        {"memory store, clear and recall", false, "8 MS C MR", "8D00", coNone},
        {"memory add", false, "8 MS C 2 M+ C MR", "10D00", coNone},
        {"MS after an error stores 0", false, "8 MS C 1/x MS 5 MR", "0D00", coNone},
        {"the separator over Error starts from 0", false, "0 1/x . 5", "0D50", coNone},
        {"the sign leaves Error alone", false, "0 1/x +/-", "Error", coNone},
        {"typed into the closed edit", true, "5+3=", "8D00", coNone},
        {"a digit typed over Error starts a new number", true, "5/0=7", "7D00", coNone},
        {"a separator typed into a formatted number moves to its decimals", true, "1+7.5=", "8D50", coNone},
        {"a separator typed over Error starts from 0", true, "5/0=.", "0D00", coNone},
        {"C typed into the closed edit clears", true, "5+C", "0D00", coNone},
        {"Backspace on a one-character display", true, "5\b", "0D00", coNone},
        {"a typed decimal separator is refused when there is one", true, "5..2+", "5D20", coAdd},
    };
    for (const LocaleCase& lc : kLocales) {
        LocaleScope scope(lc);
        for (const Case& cs : cases) {
            Calc c;
            if (cs.typed) {
                c.text.SelectAll();
                c.type(QString::fromLatin1(cs.keys));
            } else {
                c.engine.Opened();
                c.press(QString::fromLatin1(cs.keys));
            }
            EXPECT_EQ(c.text.Text(), testing_support::inLocale(cs.shown, lc)) << lc.name << ": " << cs.name;
            EXPECT_EQ(c.engine.FPrevop, cs.pending) << lc.name << ": " << cs.name;
        }
    }
}

TEST(CalculatorEngine, StateAcrossOperations) {
    Calc c;
    c.engine.Opened();
    // The accumulator holds the rounded display, not the exact quotient.
    c.press("2 / 3 =");
    EXPECT_EQ(c.text.Text(), "0.67");
    EXPECT_EQ(c.engine.FPrevval, 0.67L);
    // Division by zero resets the accumulator; the memory survives C.
    c.press("MS 5 / 0 =");
    EXPECT_EQ(c.engine.FPrevval, 0.0L);
    c.press("C");
    EXPECT_EQ(c.engine.FMVal, 0.67L);
    // An overflow is a fault: the accumulator starts again from 0 instead of showing infinity.
    c.text.SetTextDirect(QStringLiteral("1e300"));
    c.press("*");
    c.text.SetTextDirect(QStringLiteral("1e300"));
    c.press("=");
    EXPECT_EQ(c.engine.FPrevval, 0.0L);
    EXPECT_EQ(c.text.Text(), "0.00");
    // Many decimal digits: the divisor stops growing instead of overflowing.
    c.press("C .");
    for (int i = 0; i < 30; ++i) c.press("3");
    EXPECT_EQ(c.text.Text(), "0.33");
    EXPECT_GT(c.engine.FDecim, 0);
}

TEST(CalculatorEngine, ConversionErrorKeepsTheFields) {
    for (const char* shown : {"-", "abc"}) {
        Calc c;
        c.engine.Opened();
        c.press("7 +");
        c.text.SetTextDirect(QString::fromLatin1(shown));
        try {
            c.engine.CalcResult();
            ADD_FAILURE() << shown << ": no error";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("'%1' is not a valid floating point value").arg(shown));
        }
        EXPECT_EQ(c.engine.FPrevval, 7.0L) << shown;
        EXPECT_EQ(c.engine.FPrevop, coAdd) << shown;
        EXPECT_EQ(c.text.Text(), QString::fromLatin1(shown));
        EXPECT_THROW(c.engine.CalcPercent(), EConvertError) << shown;
        // Reading the value is guarded.
        EXPECT_EQ(c.engine.Value(), 0.0L) << shown;
    }
}

TEST(CalculatorEngine, DeletingIntoError) {
    // Backspace on the open keypad and Delete take "Error" away whole instead of leaving "Erro".
    Calc c;
    c.press("0 1/x");
    c.engine.OpenKeypadBackspace();
    EXPECT_EQ(c.text.Text(), "0.00");
    c.press("0 1/x");
    c.text.SetSelStart(0);
    uint16_t key = VK_DELETE;
    c.text.KeyDown(key, {});
    EXPECT_EQ(c.text.Text(), "rror");
    c.engine.DeleteDone(true);
    EXPECT_EQ(c.text.Text(), "0.00");
    // Backspace on the open keypad drops the last character and reformats.
    c.text.SetText(QStringLiteral("12.5"));
    c.engine.OpenKeypadBackspace();
    EXPECT_EQ(c.text.Text(), "12.50");
}

TEST(CalculatorEngine, ValueAndMaxLength) {
    Calc c;
    c.text.SetTextDirect(QString());
    EXPECT_EQ(c.engine.Value(), 0.0L);
    EXPECT_EQ(c.text.Text(), "0.00");
    c.engine.SetValue(12.345L);
    EXPECT_EQ(c.text.Text(), "12.35");
    // Digits, sign and separator are ignored at the length limit; operations are not.
    c.text.MaxLength = 5;
    c.press("9 +/- .");
    EXPECT_EQ(c.text.Text(), "12.35");
    c.press("+ 1");
    EXPECT_EQ(c.engine.FPrevop, coAdd);
    c.text.MaxLength = 0;
    c.press("1 =");
    EXPECT_EQ(c.text.Text(), "13.35");
}

TEST(CalculatorEngine, ShortestText) {
    LocaleScope scope(testing_support::kCommaDecimal);
    EXPECT_EQ(ShortestFloatText(12.5), "12,5");
    EXPECT_EQ(ShortestFloatText(0.1), "0,1");
    EXPECT_EQ(ShortestFloatText(-3), "-3");
}

// ---------------------------------------------------------------------------------------------------
// The drop-down

struct Fixture {
    QWidget window;
    TExCalculatorDropdown* calc;
    testing_support::RecordingDialogs dialogs;
    Fixture() {
        calc = TExCustomDropDown::CreateDropDown<TExCalculatorDropdown>(&window);
        calc->move(10, 10);
        window.resize(300, 100);
        window.show();
        QApplication::setActiveWindow(&window);
        calc->setFocus();
    }
    ~Fixture() { delete calc; }
    // The keypad's button with this caption.
    int key(const QString& caption) const {
        TButtonItems& b = calc->ButtonPanel()->Buttons();
        for (int i = 0; i < b.Count(); ++i)
            if (b.Items(i).Caption() == caption) return i;
        return -1;
    }
    void click(const QString& caption) { calc->ButtonPanelClick(calc->ButtonPanel(), key(caption)); }
};

TEST(CalculatorDropDown, Creation) {
    Fixture f;
    EXPECT_EQ(f.calc->EditType(), etFloat);
    EXPECT_EQ(f.calc->Precision(), 2);
    EXPECT_EQ(f.calc->Text(), "0.00");
    EXPECT_EQ(f.calc->DropDownWidth(), 230);
    EXPECT_EQ(f.calc->DropDownColor(), clWhite);
    // White is the creation look only: a style set later is not overruled.
    f.calc->SetDropDownColor(clRed);
    f.calc->SetComponentStyle(tsOffice2007Luna);
    EXPECT_NE(f.calc->DropDownColor(), clWhite);
    EXPECT_FALSE(f.calc->DropDownHeader().Visible());
    EXPECT_FALSE(f.calc->DropDownFooter().Visible());
    EXPECT_TRUE(f.calc->CalcClosed());
    ASSERT_NE(f.calc->ButtonPanel(), nullptr);
    EXPECT_EQ(f.calc->Control(), f.calc->ButtonPanel());
    EXPECT_EQ(f.calc->ButtonPanel()->height(), 150);
    EXPECT_EQ(f.calc->ButtonPanel()->Buttons().Count(), 28);
    EXPECT_EQ(f.calc->Engine().FPrevop, coNone);
}

TEST(CalculatorDropDown, ThousandSeparatorAndMemory) {
    for (const LocaleCase& lc : kLocales) {
        LocaleScope scope(lc);
        Fixture f;
        f.calc->SetFloatValue(1234.5);
        EXPECT_EQ(f.calc->Text(), testing_support::inLocale("1234D50", lc));
        f.calc->SetShowThousandSeparator(true);
        EXPECT_EQ(f.calc->EditType(), etMoney);
        EXPECT_EQ(f.calc->Text(), testing_support::inLocale("1T234D50", lc)) << lc.name;
        f.click("MS");
        EXPECT_EQ(f.calc->Engine().FMVal, 1234.5L) << lc.name;
        EXPECT_EQ(f.calc->Value(), 1234.5L) << lc.name;
        f.calc->SetShowThousandSeparator(false);
        EXPECT_EQ(f.calc->Text(), testing_support::inLocale("1234D50", lc)) << lc.name;
        f.calc->SetValue(0.5L);
        EXPECT_EQ(f.calc->Text(), testing_support::inLocale("0D50", lc)) << lc.name;
    }
}

TEST(CalculatorDropDown, ConversionErrorIsShownByTheGuard) {
    Fixture f;
    f.click("7");
    f.click("+");
    f.calc->SetTextDirect(QStringLiteral("abc"));
    EXPECT_THROW(f.calc->CalcResult(), EConvertError);
    // Typed "=" into the closed edit: the key handler's guard shows it.
    QTest::keyClick(f.calc, Qt::Key_Equal);
    EXPECT_EQ(f.dialogs.errors(), QStringList{"'abc' is not a valid floating point value"});
    EXPECT_EQ(f.calc->Engine().FPrevval, 7.0L);
    EXPECT_EQ(f.calc->Engine().FPrevop, coAdd);
    EXPECT_EQ(f.calc->Text(), "abc");
}

TEST(CalculatorDropDown, KeypadGeometry) {
    TCustomButtonPanel panel;
    panel.resize(230, 150);
    panel.Loaded();
    ASSERT_EQ(panel.Buttons().Count(), 28);
    // Area 8..222 x 8..142: key width (214 - 8) / 6 = 34, height (134 - 4) / 5 = 26; columns at
    // 8, 46, 79, 112, 150, 183 (end 217), rows at 8, 38, 63, 88, 113.
    struct Case {
        int index;
        TRect r;
    } cases[] = {
        {0, {8, 8, 42, 34}},       // blank key
        {1, {46, 8, 100, 34}},     // Back: (217 - 46 - 8) / 3 = 54
        {2, {104, 8, 158, 34}},    // CE
        {3, {162, 8, 217, 34}},    // C runs to the end
        {4, {8, 38, 42, 64}},      // MC
        {11, {46, 38, 80, 64}},    // 7
        {12, {79, 38, 113, 64}},   // 8 shares a pixel column with 7
        {19, {112, 38, 146, 64}},  // 9
        {20, {150, 38, 184, 64}},  // / after the gap
        {27, {183, 38, 217, 64}},  // sqrt
        {13, {79, 63, 113, 89}},   // 5 shares a pixel row with 8
        {7, {8, 113, 42, 139}},    // M+
        {24, {183, 113, 217, 139}},  // =
    };
    for (const Case& cs : cases) EXPECT_EQ(panel.Buttons().Items(cs.index).Rect(), cs.r) << cs.index;

    struct Hit {
        QPoint p;
        int index;
    } hits[] = {
        {{79, 40}, 11},   // a shared column belongs to the earlier key
        {{80, 40}, 12},   // the right edge of 7 is not 7's
        {{85, 63}, 12},   // shared row
        {{85, 64}, 13},   // the bottom edge of 8 is not 8's
        {{42, 40}, -1},   // the gap after the memory column
        {{217, 10}, -1},  // right end of C
        {{50, 139}, -1},  // below the last row
        {{50, 138}, 8},
    };
    for (const Hit& h : hits) EXPECT_EQ(panel.ButtonAtPos(h.p.x(), h.p.y()), h.index) << h.p.x() << "," << h.p.y();

    // A custom panel keeps the rectangles it was given.
    panel.SetButtonPanelType(plCustom);
    panel.Buttons().Items(0).SetBounds(1, 2, 3, 4);
    panel.resize(300, 200);
    EXPECT_EQ(panel.Buttons().Items(0).Rect(), (TRect{1, 2, 4, 6}));
}

// A keypad that records the order its keys are drawn in.
struct RecordingPanel : TCustomButtonPanel {
    std::vector<int> drawn;
    void DrawButton(int Index, TCanvas& Canvas) override {
        drawn.push_back(Index);
        TCustomButtonPanel::DrawButton(Index, Canvas);
    }
};

TEST(CalculatorDropDown, HotKeyIsDrawnLast) {
    RecordingPanel panel;
    panel.resize(230, 150);
    panel.Loaded();
    panel.show();
    QTest::mouseMove(&panel, QPoint(95, 50));
    ASSERT_EQ(panel.ButtonHot(), 12);
    panel.drawn.clear();
    panel.grab();
    ASSERT_EQ(panel.drawn.size(), 28u);
    EXPECT_EQ(panel.drawn.back(), 12);
    EXPECT_EQ(std::count(panel.drawn.begin(), panel.drawn.end(), 12), 1);
    // Leaving the panel: no hot key, collection order.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&panel, &leave);
    EXPECT_EQ(panel.ButtonHot(), -1);
    panel.drawn.clear();
    panel.grab();
    EXPECT_EQ(panel.drawn.back(), 27);
}

TEST(CalculatorDropDown, KeypadClicks) {
    TCustomButtonPanel panel;
    panel.resize(230, 150);
    panel.Loaded();
    panel.show();
    std::vector<int> clicks;
    panel.OnButtonClick = [&](QObject*, int Index) { clicks.push_back(Index); };
    // Press on 7, release on 8: nothing.
    QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(60, 50));
    EXPECT_EQ(panel.ButtonDown(), 11);
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(95, 50));
    EXPECT_EQ(panel.ButtonDown(), -1);
    EXPECT_TRUE(clicks.empty());
    // Press and release on 8.
    QTest::mouseClick(&panel, Qt::LeftButton, {}, QPoint(95, 50));
    EXPECT_EQ(clicks, std::vector<int>{12});
    // A disabled key takes neither the press nor the hot state.
    panel.Buttons().Items(12).SetEnabled(false);
    QTest::mouseMove(&panel, QPoint(95, 52));
    EXPECT_EQ(panel.ButtonHot(), -1);
    QTest::mouseClick(&panel, Qt::LeftButton, {}, QPoint(95, 50));
    EXPECT_EQ(clicks, std::vector<int>{12});
    QTest::mouseMove(&panel, QPoint(60, 52));
    EXPECT_EQ(panel.ButtonHot(), 11);
}

TEST(CalculatorDropDown, KeysOnTheOpenKeypad) {
    for (const LocaleCase& lc : kLocales) {
        LocaleScope scope(lc);
        Fixture f;
        int ups = 0, cancelled = 0;
        f.calc->OnDropUp = [&](QObject*, bool c) {
            ++ups;
            cancelled += c;
        };
        f.calc->ShowDropDown();
        ASSERT_TRUE(f.calc->DroppedDown());
        EXPECT_FALSE(f.calc->CalcClosed());
        EXPECT_FALSE(f.calc->DropDownForm()->CancelOnDeActivate);
        TDropDownForm* form = f.calc->DropDownForm();
        QTest::keyClicks(form, "2+3*4");
        EXPECT_EQ(f.calc->Text(), testing_support::inLocale("4D00", lc)) << lc.name;
        QTest::keyClick(form, Qt::Key_Return);
        EXPECT_EQ(f.calc->Text(), testing_support::inLocale("20D00", lc)) << lc.name;
        EXPECT_FALSE(f.calc->DroppedDown());
        EXPECT_EQ(ups, 1);
        EXPECT_EQ(cancelled, 0);
        // Reopened: the next digit starts a new number; "-" subtracts (the edit refuses the sign).
        f.calc->ShowDropDown();
        QTest::keyClicks(form, "9-4=");
        EXPECT_EQ(f.calc->Text(), testing_support::inLocale("5D00", lc)) << lc.name;
        QTest::keyClicks(form, QStringLiteral("2") + lc.decimal + QStringLiteral("5*4="));
        EXPECT_EQ(f.calc->Text(), testing_support::inLocale("10D00", lc)) << lc.name;
        QTest::keyClick(form, Qt::Key_Tab);
        EXPECT_FALSE(f.calc->DroppedDown());
        EXPECT_EQ(cancelled, 0);
        EXPECT_EQ(f.calc->Text(), testing_support::inLocale("10D00", lc)) << lc.name;
        // F4 closes likewise, without cancel, once.
        f.calc->ShowDropDown();
        QTest::keyClicks(form, "+1=");
        QTest::keyClick(form, Qt::Key_F4);
        EXPECT_FALSE(f.calc->DroppedDown());
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(cancelled, 0);
        EXPECT_EQ(f.calc->Text(), testing_support::inLocale("11D00", lc)) << lc.name;
        // Esc cancels: the text last written comes back, and the keypad's results are writes too.
        f.calc->SetText(QStringLiteral("3"));
        f.calc->ShowDropDown();
        QTest::keyClicks(form, "9*");
        QTest::keyClick(form, Qt::Key_Escape);
        EXPECT_FALSE(f.calc->DroppedDown());
        EXPECT_EQ(cancelled, 1);
        EXPECT_EQ(f.calc->Text(), testing_support::inLocale("9D00", lc)) << lc.name;
    }
}

TEST(CalculatorDropDown, ClickedKeysReachTheDisplay) {
    Fixture f;
    f.calc->ShowDropDown();
    TCustomButtonPanel* panel = f.calc->ButtonPanel();
    ASSERT_TRUE(panel->isVisible());
    auto centre = [&](const QString& caption) {
        const TRect r = panel->Buttons().Items(f.key(caption)).Rect();
        return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    };
    for (const char* k : {"9", "*", "9", "="}) QTest::mouseClick(panel, Qt::LeftButton, {}, centre(k));
    EXPECT_EQ(f.calc->Text(), "81.00");
    EXPECT_TRUE(f.calc->DroppedDown());
    EXPECT_TRUE(f.calc->GetModifiedState());
}

TEST(CalculatorDropDown, AppearanceAndStyle) {
    Fixture f;
    f.calc->CalcButtonAppearance().SetTextColor(clRed);
    f.calc->CalcButtonAppearance().SetSpecialTextColor(clGreen);
    f.calc->ShowDropDown();
    EXPECT_EQ(f.calc->ButtonPanel()->ButtonAppearance().TextColor(), clRed);
    EXPECT_EQ(f.calc->ButtonPanel()->ButtonAppearance().SpecialTextColor(), clGreen);
    EXPECT_EQ(f.calc->ButtonPanel()->ButtonAppearance().Font().Size(), 10);
    f.calc->HideDropDown();

    TButtonAppearance a;
    int changes = 0;
    a.OnChange = [&](QObject* s) {
        EXPECT_EQ(s, &a);
        ++changes;
    };
    a.SetColor(a.Color());
    a.SetShineColor(clRed);
    EXPECT_EQ(changes, 0);
    a.SetColorHot(clBlue);
    EXPECT_EQ(changes, 1);

    // The style copies the drop-down button's colours into the keypad's.
    TExButtonAppearance& b = f.calc->ButtonAppearance();
    for (TSkinStyle s : {tsOffice2010Blue, tsOffice2007Luna}) {
        f.calc->SetComponentStyle(s);
        const TButtonAppearance& c = f.calc->CalcButtonAppearance();
        EXPECT_EQ(c.Color(), b.Color());
        EXPECT_EQ(c.ColorTo(), b.ColorTo());
        EXPECT_EQ(c.ColorHot(), b.ColorHot());
        EXPECT_EQ(c.ColorHotTo(), b.ColorHotTo());
        EXPECT_EQ(c.ColorDown(), b.ColorDown());
        EXPECT_EQ(c.ColorDownTo(), b.ColorDownTo());
        EXPECT_EQ(c.BorderColorHot(), b.BorderColorHot());
        EXPECT_EQ(c.BorderColorDown(), b.BorderColorDown());
        if (s == tsOffice2010Blue) {
            EXPECT_EQ(c.GlowColorHot(), b.ColorHot());
            EXPECT_EQ(c.GlowColorDown(), b.ColorHot());
        } else {
            EXPECT_EQ(c.GlowColorHot(), b.ColorDownTo());
            EXPECT_EQ(c.GlowColorDown(), TColor(0xD5C244));
        }
    }
}

}  // namespace
