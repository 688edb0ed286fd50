// The masked edit and its mask engine: masks typed through the real key path, the formatting
// rectangle, paste and cut refused by a descendant, and masks that cannot be translated.
#include "platform/EditMask.h"
#include "platform/FormatSettings.h"
#include "platform/MaskEdit.h"
#include "tests/support/EventWait.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMenu>
#include <QTest>

using namespace plat;

namespace {

// Fixed separators, whatever the machine's locale.
struct SlashDates {
    SlashDates() {
        FormatSettings fs;
        fs.dateSeparator = u'/';
        fs.timeSeparator = u':';
        setFormatSettingsOverride(fs);
    }
    ~SlashDates() { setFormatSettingsOverride(std::nullopt); }
};

void typeText(QWidget* w, const QString& text) {
    for (QChar c : text) QTest::keyClick(w, c.toLatin1());
}

class RefusingEdit : public TCustomMaskEdit {
public:
    bool refuse = true;
    int pastes = 0, cuts = 0;
    void PasteFromClipboard() override {
        ++pastes;
        if (!refuse) TCustomMaskEdit::PasteFromClipboard();
    }
    void CutToClipboard() override {
        ++cuts;
        if (!refuse) TCustomMaskEdit::CutToClipboard();
    }
};

QAction* action(QMenu* menu, const QString& text) {
    for (QAction* a : menu->actions())
        if (a->text().remove(u'&') == text) return a;
    return nullptr;
}

}  // namespace

TEST(EditMask, TypingThroughTheKeys) {
    SlashDates dates;
    testing_support::RecordingBeeps beeps;
    struct Case {
        const char* name;
        const char* mask;
        const char* typed;
        const char* text;  // Text() afterwards
    };
    const Case cases[] = {
        {"a date with its literals typed", "!99/99/0000;1;_", "12/31/2024", "12/31/2024"},
        {"a date, literals skipped", "!99/99/0000;1;_", "12312024", "12/31/2024"},
        {"letters refused in digits", "!99/99/0000;1;_", "ab", "  /  /    "},
        {"literals not saved", "00/00;0;*", "1234", "1234"},
        {"upper then lower case", ">LL<ll", "abCD", "ABcd"},
        {"escaped literal", "\\A00", "12", "A12"},
        {"sign or digit", "#00", "-12", "-12"},
        {"no mask", "", "free text", "free text"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TCustomMaskEdit e;
        e.SetEditMask(QString::fromLatin1(k.mask));
        e.show();
        typeText(&e, QString::fromLatin1(k.typed));
        EXPECT_EQ(e.Text(), QString::fromLatin1(k.text));
    }
    // The letters typed into digits beeped.
    EXPECT_FALSE(beeps.beeps.empty());

    // The shown text keeps literals and blanks; a complete date is complete.
    TEditMask m(QStringLiteral("!99/99/0000;1;_"));
    EXPECT_EQ(m.Format(QString()), QStringLiteral("__/__/____"));
    EXPECT_TRUE(m.Complete(m.Format(QStringLiteral("12/31/2024"))));
    EXPECT_FALSE(m.Complete(m.Format(QStringLiteral("12/31/20"))));
}

TEST(EditMask, AMaskThatCannotBeTranslatedRaisesAndChangesNothing) {
    const char* bad[] = {"(999) 999", "99 99", "00-00", "99\\", "00;10", "00;1;ab"};
    for (const char* mask : bad) {
        SCOPED_TRACE(mask);
        try {
            TEditMask m{QString::fromLatin1(mask)};
            ADD_FAILURE() << "accepted";
        } catch (const EEditMaskError& e) {
            EXPECT_TRUE(e.message().contains(QString::fromLatin1(mask))) << e.message().toStdString();
        }
    }
    // The message names the character.
    try {
        TEditMask m(QStringLiteral("00-00"));
    } catch (const EEditMaskError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("\"-\""))) << e.message().toStdString();
    }
    TCustomMaskEdit e;
    e.SetEditMask(QStringLiteral("000"));
    e.SetText(QStringLiteral("123"));
    EXPECT_THROW(e.SetEditMask(QStringLiteral("0x0")), EEditMaskError);
    EXPECT_EQ(e.EditMask(), QStringLiteral("000"));
    EXPECT_EQ(e.Text(), QStringLiteral("123"));
}

TEST(MaskEdit, TheFormattingRectangleKeepsTextOffTheButton) {
    TCustomMaskEdit e;
    e.resize(200, 24);
    e.Font().SetColor(clBlack);
    auto* button = new QWidget(&e);  // the child button in the right 20 pixels
    button->setGeometry(180, 2, 18, 20);
    e.SetEditRect({3, 3, 180, 22});
    e.SetText(QString(60, u'W'));
    e.show();
    QImage img(e.size(), QImage::Format_RGB32);
    e.render(&img, QPoint(), QRegion(), QWidget::DrawWindowBackground);  // without the child
    auto dark = [&](int x0, int x1) {
        int n = 0;
        for (int x = x0; x < x1; ++x)
            for (int y = 3; y < 21; ++y) n += qGray(img.pixel(x, y)) < 100 ? 1 : 0;
        return n;
    };
    EXPECT_GT(dark(3, 180), 50);    // the text is there
    EXPECT_EQ(dark(180, 199), 0);   // and not under the button
    // The caret position of a character lies inside the rectangle.
    EXPECT_EQ(e.PosFromChar(0).x(), 3);
    EXPECT_EQ(e.CharFromPos(e.PosFromChar(5) + QPoint(1, 2)), 5);
}

TEST(MaskEdit, ARefusedPasteOrCutLeavesTextAndClipboard) {
    QWidget window;
    auto* e = new RefusingEdit;
    e->setParent(&window);
    window.show();
    ASSERT_TRUE(testing_support::waitForWindowActive(&window));
    e->setFocus();
    QClipboard* cb = QGuiApplication::clipboard();
    struct Road {
        const char* name;
        std::function<void()> run;
    };
    const Road roads[] = {
        {"Ctrl+V", [&] { QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier); }},
        {"Shift+Insert", [&] { QTest::keyClick(e, Qt::Key_Insert, Qt::ShiftModifier); }},
        {"menu Paste", [&] {
             std::unique_ptr<QMenu> m(e->CreateContextMenu(nullptr));
             action(m.get(), QStringLiteral("Paste"))->trigger();
         }},
        {"Ctrl+X", [&] { QTest::keyClick(e, Qt::Key_X, Qt::ControlModifier); }},
        {"Shift+Delete", [&] { QTest::keyClick(e, Qt::Key_Delete, Qt::ShiftModifier); }},
        {"menu Cut", [&] {
             std::unique_ptr<QMenu> m(e->CreateContextMenu(nullptr));
             action(m.get(), QStringLiteral("Cut"))->trigger();
         }},
    };
    for (bool refuse : {true, false}) {
        for (const Road& r : roads) {
            SCOPED_TRACE(std::string(r.name) + (refuse ? " refused" : " allowed"));
            e->refuse = refuse;
            e->SetText(QStringLiteral("hello"));
            e->SelectAll();
            cb->setText(QStringLiteral("clip"));
            const int before = e->pastes + e->cuts;
            r.run();
            EXPECT_EQ(e->pastes + e->cuts, before + 1);
            const bool paste = QString::fromLatin1(r.name).contains(QStringLiteral("V")) ||
                               QString::fromLatin1(r.name).contains(QStringLiteral("Insert")) ||
                               QString::fromLatin1(r.name).contains(QStringLiteral("Paste"));
            if (refuse) {
                EXPECT_EQ(e->Text(), QStringLiteral("hello"));
                EXPECT_EQ(cb->text(), QStringLiteral("clip"));
            } else if (paste) {
                EXPECT_EQ(e->Text(), QStringLiteral("clip"));
            } else {
                EXPECT_EQ(e->Text(), QString());
                EXPECT_EQ(cb->text(), QStringLiteral("hello"));
            }
        }
    }
}

TEST(MaskEdit, KeysEditTheTextAndEnterBreaksNoLine) {
    QWidget window;
    auto* e = new TCustomMaskEdit(&window);
    e->SetMultiLine(true);
    e->resize(120, 80);  // tall: the text wraps
    window.show();
    ASSERT_TRUE(testing_support::waitForWindowActive(&window));
    e->setFocus();
    int changes = 0;
    e->OnChange = [&](QObject*) { ++changes; };
    typeText(e, QStringLiteral("one two three four five six"));
    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_EQ(e->Text(), QStringLiteral("one two three four five six"));
    EXPECT_TRUE(e->Modified());
    EXPECT_GT(e->PosFromChar(26).y(), e->PosFromChar(0).y());  // wrapped onto a later line
    {
        // A masked text never wraps, blanks and literals included.
        TCustomMaskEdit masked;
        masked.SetMultiLine(true);
        masked.resize(40, 80);
        masked.SetEditMask(QStringLiteral("cc_cc_cc_cc_cc_cc"));
        EXPECT_EQ(masked.PosFromChar(17).y(), masked.PosFromChar(0).y());
    }
    QTest::keyClick(e, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(e, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(e, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(e->SelText(), QStringLiteral("on"));
    QTest::keyClick(e, Qt::Key_Backspace);
    QTest::keyClick(e, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(e, Qt::Key_Backspace);
    EXPECT_EQ(e->Text(), QStringLiteral("e two three four five si"));
    EXPECT_GE(changes, 3);

    // The maximum length and read-only.
    e->SetText(QString());
    e->SetMaxLength(3);
    typeText(e, QStringLiteral("abcd"));
    EXPECT_EQ(e->Text(), QStringLiteral("abc"));
    e->SetReadOnly(true);
    QTest::keyClick(e, Qt::Key_Backspace);
    EXPECT_EQ(e->Text(), QStringLiteral("abc"));
}

TEST(MaskEdit, AutoSelectOnEntryAndAlignment) {
    QWidget window;
    auto* first = new TCustomMaskEdit(&window);
    auto* e = new TCustomMaskEdit(&window);
    e->move(0, 40);
    e->SetText(QStringLiteral("all of it"));
    window.show();
    ASSERT_TRUE(testing_support::waitForWindowActive(&window));
    for (bool autoSelect : {true, false}) {
        SCOPED_TRACE(autoSelect);
        e->SetAutoSelect(autoSelect);
        e->SetSelStart(0);
        first->setFocus(Qt::TabFocusReason);
        e->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(e->SelLength(), autoSelect ? 9 : 0);
    }
    // Right and centre alignment move a short text towards the right.
    e->SetText(QStringLiteral("ab"));
    const int left = e->PosFromChar(0).x();
    e->SetAlignment(taCenter);
    const int centre = e->PosFromChar(0).x();
    e->SetAlignment(taRightJustify);
    const int right = e->PosFromChar(0).x();
    EXPECT_LT(left, centre);
    EXPECT_LT(centre, right);
    EXPECT_LE(e->PosFromChar(2).x(), e->EditRect().Right);
}
