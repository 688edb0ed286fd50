// The detail drop-down: completion while typing, Enter and ItemIndex, the pop-up's list and its
// keys, type-ahead, and the drawing of an item with notes. The completion engine and the
// type-ahead buffer are tested alone first.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWheelEvent>
#include <QWidget>

#include "dropdowns/DropDownCompletion.h"
#include "dropdowns/ExDetailDropDown.h"

using namespace plat;
using namespace dropdowns;

namespace {

class FakeClock final : public plat::Clock {
public:
    int64_t now = 1'000'000;
    int64_t nowMs() override { return now; }
    void sleepMs(int ms) override { now += ms; }
};

struct Detail {
    FakeClock clock;
    QWidget window;
    TExDetailDropDown* edit;
    int selects = 0;
    explicit Detail(std::initializer_list<const char*> captions = {"Alpha", "Beta", "Betamax"}) {
        TExCustomDropDown::SetClock(&clock);
        edit = TExCustomDropDown::CreateDropDown<TExDetailDropDown>(&window);
        for (const char* c : captions) edit->Items().Add().SetCaption(QString::fromLatin1(c));
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
    ~Detail() {
        delete edit;
        TExCustomDropDown::SetClock(nullptr);
    }
    void type(Qt::Key key, QWidget* target = nullptr) {
        QTest::keyClick(target ? target : static_cast<QWidget*>(edit), key);
        QApplication::processEvents();
    }
    QString selected() const { return edit->TextRules().SelText(); }
    int caret() const { return edit->TextRules().CaretPos(); }
    bool open() const { return edit->DroppedDown() && edit->DropDownForm()->isVisible(); }
};


// A notch of the wheel over the widget: negative steps turn it down.
void turnWheel(QWidget* w, int steps) {
    QWheelEvent e(QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120 * steps), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
    QApplication::processEvents();
}

}  // namespace

TEST(DropDownCompletion, CompletesFromTheFirstMatch) {
    const TCompletionList list({"Alpha", "Beta", "Betamax", QString(300, QChar('x')).prepend("Long")}, false);
    struct Case {
        const char* name;
        QString text;
        int selStart;
        int index;
        QString result;
        int anchor, caret;
    } cases[] = {
        {"typed in lower case keeps its case", "b", 1, 1, "beta", 4, 1},
        {"longer typed part", "BETAM", 5, 2, "BETAMax", 7, 5},
        {"what followed the caret goes", "xyz", 1, -1, "x", 1, 1},
        {"nothing typed changes nothing", "abc", 0, -1, QString(), 0, 0},
        {"at most 255 more characters", "lon", 3, 3, "lon" + QString(255, QChar('x')).mid(1).prepend("g"), 258, 3},
    };
    for (const Case& c : cases) {
        const TCompletion r = Complete(c.text, c.selStart, list);
        EXPECT_EQ(r.Index, c.index) << c.name;
        EXPECT_EQ(r.Changed, !c.result.isEmpty()) << c.name;
        if (!r.Changed) continue;
        EXPECT_EQ(r.Text, c.result) << c.name;
        EXPECT_EQ(r.Anchor, c.anchor) << c.name;
        EXPECT_EQ(r.Caret, c.caret) << c.name;
    }
    const TCompletionList exact({"Beta"}, true);
    EXPECT_EQ(Complete("b", 1, exact).Index, -1) << "case counts with MatchCase";
    EXPECT_EQ(Complete("B", 1, exact).Text, "Beta");
    EXPECT_EQ(TCompletionList({"a"}, false).FindPrefix(QString()), -1) << "an empty key matches nothing";
    // Folding keeps every position, so the typed part and the caption line up.
    EXPECT_EQ(CaseFold(QString::fromUtf8("straße"), false).size(), 6);
}

TEST(DropDownCompletion, TypeAheadTakesCharactersOnly) {
    TTypeAhead t;
    EXPECT_EQ(t.Add("b", 0), "B");
    EXPECT_EQ(t.Add(QString(), 100), "B") << "a function key adds nothing";
    EXPECT_EQ(t.Add("\r", 150), "B") << "nor does a control character";
    EXPECT_EQ(t.Add("e", 499), "BE");
    EXPECT_EQ(t.Text(998), "BE");
    EXPECT_EQ(t.Text(999), QString()) << "500 ms after the last character";
    EXPECT_EQ(t.Add(QString(), 999), QString()) << "a key without a character keeps the time";
    EXPECT_EQ(t.Add("t", 1100), "T");
}

TEST(DetailDropDown, TypingCompletes) {
    Detail d;
    d.type(Qt::Key_B);
    EXPECT_EQ(d.edit->Text(), "beta");
    EXPECT_EQ(d.selected(), "eta");
    EXPECT_EQ(d.caret(), 1);
    EXPECT_EQ(d.edit->ItemIndex(), 1);
    EXPECT_EQ(d.selects, 0) << "completion selects silently";
    d.type(Qt::Key_E);
    d.type(Qt::Key_T);
    EXPECT_EQ(d.edit->Text(), "beta");
    EXPECT_EQ(d.selected(), "a");
    d.type(Qt::Key_Backspace);
    EXPECT_EQ(d.edit->Text(), "bet") << "no completion after Backspace";
    d.type(Qt::Key_A);
    d.type(Qt::Key_M);
    EXPECT_EQ(d.edit->Text(), "betamax");
    EXPECT_EQ(d.edit->ItemIndex(), 2);
    EXPECT_EQ(d.selects, 0);
}

TEST(DetailDropDown, NoMatchKeepsTheTypedPart) {
    Detail d;
    d.edit->SetMatchCase(true);
    d.type(Qt::Key_B);
    EXPECT_EQ(d.edit->Text(), "b");
    EXPECT_EQ(d.edit->ItemIndex(), -1);

    Detail e;
    e.edit->SetText("Beta");
    e.type(Qt::Key_Home);
    e.type(Qt::Key_X);
    EXPECT_EQ(e.edit->Text(), "x") << "cut at the caret";
    EXPECT_EQ(e.caret(), 1);
}

TEST(DetailDropDown, EnterAndItemIndex) {
    Detail d;
    d.edit->SetText("beta");
    d.type(Qt::Key_End);
    d.type(Qt::Key_Return);
    EXPECT_EQ(d.edit->ItemIndex(), -1) << "Enter compares with case";
    d.edit->SetText("Beta");
    d.type(Qt::Key_End);
    d.type(Qt::Key_Return);
    EXPECT_EQ(d.edit->ItemIndex(), 1);
    EXPECT_EQ(d.selects, 1);
    d.type(Qt::Key_Return);
    EXPECT_EQ(d.selects, 1) << "only a change of the index reports";

    d.edit->SetItemIndex(5);
    EXPECT_EQ(d.edit->ItemIndex(), 1) << "beyond the items: nothing";
    EXPECT_EQ(d.edit->Text(), "Beta");
    d.edit->SetItemIndex(-2);
    EXPECT_EQ(d.edit->ItemIndex(), 1);
    d.edit->SetItemIndex(2);
    EXPECT_EQ(d.edit->Text(), "Betamax");
    EXPECT_EQ(d.selected(), "Betamax");
    EXPECT_EQ(d.selects, 2);
    d.edit->SetItemIndex(-1);
    EXPECT_EQ(d.edit->Text(), QString());
    EXPECT_EQ(d.edit->ItemIndex(), -1);
    EXPECT_EQ(d.selects, 2) << "clearing does not report";

    EXPECT_EQ(d.edit->Items().IndexOf("Betamax"), 2);
    EXPECT_EQ(d.edit->Items().IndexOf("betamax"), -1);
}

TEST(DetailDropDown, PopupListAndCancel) {
    Detail d;
    d.edit->SetItemIndex(0);
    d.selects = 0;
    d.type(Qt::Key_Down, nullptr);  // closed: the next item
    EXPECT_EQ(d.edit->ItemIndex(), 1);
    QTest::keyClick(d.edit, Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(d.open());
    TExCustomItemSelector* list = d.edit->ItemSelector();
    EXPECT_EQ(list->Items().Count(), 3);
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_EQ(list->window()->focusWidget(), list) << "the list takes the focus";
    d.type(Qt::Key_Down, list);
    EXPECT_TRUE(d.open()) << "moving in the list keeps the pop-up open";
    EXPECT_EQ(d.edit->ItemIndex(), 2);
    EXPECT_EQ(d.edit->Text(), "Betamax");
    d.type(Qt::Key_Escape, list);
    EXPECT_FALSE(d.open());
    EXPECT_EQ(d.edit->ItemIndex(), 1) << "cancel restores the index";
    EXPECT_EQ(d.edit->Text(), "Beta");

    // The wheel over the closed edit selects the next and the previous item.
    turnWheel(d.edit, -1);
    EXPECT_EQ(d.edit->ItemIndex(), 2);
    EXPECT_EQ(d.edit->Text(), "Betamax");
    turnWheel(d.edit, 1);
    EXPECT_EQ(d.edit->ItemIndex(), 1);
    EXPECT_FALSE(d.open());

    // A click on an item takes it and closes the pop-up.
    QTest::keyClick(d.edit, Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(d.open());
    QTest::mouseClick(list->Panel(), Qt::LeftButton, {}, list->Items().Items(0).Rect().toQRect().center());
    QApplication::processEvents();
    EXPECT_FALSE(d.open());
    EXPECT_EQ(d.edit->ItemIndex(), 0);
    EXPECT_EQ(d.edit->Text(), "Alpha");
}

TEST(DetailDropDown, TypeAheadIgnoresKeysWithoutCharacters) {
    Detail d({"Alpha", "Beta", "Betamax", "Bravo"});
    QTest::keyClick(d.edit, Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(d.open());
    TExCustomItemSelector* list = d.edit->ItemSelector();
    for (Qt::Key k : {Qt::Key_B, Qt::Key_E, Qt::Key_F5, Qt::Key_T, Qt::Key_A, Qt::Key_M}) {
        d.type(k, list);
        d.clock.now += 100;
    }
    EXPECT_EQ(list->ItemIndex(), 2) << "BETAM, with nothing from F5";
    d.clock.now += 600;
    d.type(Qt::Key_B, list);
    EXPECT_EQ(list->ItemIndex(), 1) << "a new search after the pause";
}

TEST(DetailDropDown, StyleReachesTheItemAppearance) {
    Detail d;
    d.edit->SetComponentStyle(tsWindows7);
    EXPECT_EQ(d.edit->ItemAppearance().ColorHot, 0xFDFBFAu);
    EXPECT_EQ(d.edit->ItemAppearance().BorderColor, 0xCEA27Du);
}

TEST(DetailDropDown, NotesOnTheSecondLine) {
    Detail d;
    d.edit->Items().Items(0).SetNotes("<b>Notes</b> here");
    d.edit->CaptionFont().SetColor(clBlue);
    d.edit->NotesFont().SetColor(clRed);
    d.edit->SetItemHeight(40);
    d.edit->SetDropDownWidth(200);
    QTest::keyClick(d.edit, Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(d.open());
    TExCustomItemSelector* list = d.edit->ItemSelector();
    const TRect r = list->Items().Items(0).Rect();
    const QImage img = list->Panel()->grab().toImage();
    // Ink of the colour, smoothed edges included.
    auto firstRowWith = [&](bool red) {
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) {
                const QColor c(img.pixel(x, y));
                if (red ? c.red() - c.blue() > 60 : c.blue() - c.red() > 60) return y;
            }
        return -1;
    };
    const int caption = firstRowWith(false), notes = firstRowWith(true);
    ASSERT_GE(caption, 0);
    ASSERT_GE(notes, 0);
    const int line =
        d.edit->CaptionFont().ToQFont().pixelSize() > 0 ? QFontMetrics(d.edit->CaptionFont().ToQFont()).height() : 0;
    ASSERT_GT(line, 0);
    // Both start at their line's top: the notes' ink is one caption line below the caption's.
    EXPECT_NEAR(notes - caption, line, 2);
    EXPECT_GE(caption, r.Top + 2);
}
