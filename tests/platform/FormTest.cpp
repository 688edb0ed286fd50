#include "platform/Form.h"
#include "platform/Guard.h"
#include "platform/XmlDoc.h"
#include "tests/support/EventWait.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest/QTest>

namespace {

class ThrowingForm : public plat::TForm {
public:
    ThrowingForm() {
        SetClientSize(300, 200);
        button = new QPushButton(QStringLiteral("Go"), this);
        button->setGeometry(10, 100, 80, 25);
        plat::onSignal(button, &QPushButton::clicked, this,
                       [](bool) { throw plat::Error(QStringLiteral("ParGen.xml: XML not well-formed")); });
        hidden = new QLabel(this);
        hidden->hide();
        disabled = new QLabel(this);
        disabled->setEnabled(false);
        plain = new QLabel(this);
    }
    QPushButton* button;
    QLabel* hidden;
    QLabel* disabled;
    QLabel* plain;
    int shows = 0;

protected:
    void FormShow() override {
        ++shows;
        if (shows == 2) throw std::runtime_error("show failed");
    }
};

TEST(Form, AThrowingHandlerIsReportedAndTheDialogStaysOpen) {
    testing_support::RecordingDialogs rec;
    ThrowingForm form;
    int result = -1;
    QTimer::singleShot(0, &form, [&] {
        QTest::mouseClick(form.button, Qt::LeftButton);
        EXPECT_TRUE(form.isVisible());  // still open after the error
        EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("ParGen.xml: XML not well-formed")});
        form.SetModalResult(plat::mrOk);
    });
    result = form.ShowModal();
    EXPECT_EQ(result, plat::mrOk);
    EXPECT_EQ(form.shows, 1);

    // A show handler that throws is reported too, and the window still opens.
    QTimer::singleShot(0, &form, [&] {
        EXPECT_TRUE(form.isVisible());
        form.reject();
    });
    EXPECT_EQ(form.ShowModal(), plat::mrCancel);
    EXPECT_EQ(rec.errors().size(), 2);
    EXPECT_EQ(rec.errors().last(), QStringLiteral("show failed"));
}

TEST(Form, OwnFlagsDoNotDependOnTheParent) {
    ThrowingForm form;  // never shown: Qt's own isVisible() is false for every child
    EXPECT_TRUE(plat::ownVisible(form.plain));
    EXPECT_FALSE(plat::ownVisible(form.hidden));
    form.setEnabled(false);
    EXPECT_TRUE(plat::ownEnabled(form.plain));
    EXPECT_FALSE(plat::ownEnabled(form.disabled));
    form.hidden->show();
    EXPECT_TRUE(plat::ownVisible(form.hidden));
}

TEST(Form, HouseLook) {
    ThrowingForm form;
    EXPECT_EQ(form.palette().color(QPalette::Window), QColor(248, 247, 237));
    EXPECT_EQ(form.font().family(), QStringLiteral("Verdana"));
    form.L_SW_Code()->setText(QStringLiteral("KS73632"));
    EXPECT_EQ(form.L_SW_Code()->parentWidget(), form.TitleStrip());
    EXPECT_EQ(form.ClientWidth(), 300);
}

// Every window's title strip looks alike and spans the window, also after a resize.
TEST(Form, TitleStripLayoutAndColours) {
    ThrowingForm form;
    EXPECT_EQ(form.TitleStrip()->geometry(), QRect(0, 0, 300, 69));
    EXPECT_EQ(form.L_SW_Code()->palette().color(QPalette::WindowText), QColor(128, 128, 128));
    EXPECT_EQ(form.L_SW_Code()->font().pixelSize(), 26);
    EXPECT_TRUE(form.L_SW_Code()->font().bold());
    EXPECT_EQ(form.TitleStrip()->palette().color(QPalette::Window), QColor(Qt::white));
    form.SetClientSize(500, 200);
    EXPECT_EQ(form.TitleStrip()->width(), 500);
    EXPECT_EQ(form.L_SW_Code()->width(), 500 - 24);
    EXPECT_EQ(form.L_SW_Desc()->width(), 500 - 26);
    EXPECT_EQ(form.TitleStrip()->height(), 69);
}

// A window is centred on its screen at every showing, wherever it was left; one told otherwise
// stays where it is put.
TEST(Form, CentredAtEveryShowing) {
    plat::TForm form;
    form.SetClientSize(300, 200);
    const QRect area = form.screen()->availableGeometry();
    for (int showing = 1; showing <= 2; ++showing) {
        SCOPED_TRACE(showing);
        form.show();
        ASSERT_TRUE(testing_support::waitForWindowExposed(&form));
        EXPECT_LE((form.frameGeometry().center() - area.center()).manhattanLength(), 1);
        form.hide();
        form.move(area.topLeft() + QPoint(5, 7));
    }
    form.SetCentred(false);
    form.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&form));
    EXPECT_EQ(form.pos(), area.topLeft() + QPoint(5, 7));
}

}  // namespace

namespace {

// Enter and Esc reach only the buttons a window names for them.
TEST(Form, EnterAndEscOnlyWhereTheWindowAsksForThem) {
    struct Case {
        const char* name;
        bool defaultButton;
        bool cancelOnEscape;
        Qt::Key key;
        int okClicks;
        bool closed;
        enum { none, shown, hidden, disabled } cancelButton = none;
        Qt::KeyboardModifiers mods = Qt::NoModifier;
        int cancelClicks = 0;
    } cases[] = {
        {"enter without a default button", false, false, Qt::Key_Return, 0, false},
        {"enter with a default button", true, false, Qt::Key_Return, 1, false},
        {"keypad enter with a default button", true, false, Qt::Key_Enter, 1, false},
        {"esc without cancel", false, false, Qt::Key_Escape, 0, false},
        {"esc with cancel", false, true, Qt::Key_Escape, 0, true},
        {"esc presses the cancel button", false, false, Qt::Key_Escape, 0, true, Case::shown, {}, 1},
        {"enter leaves the cancel button alone", false, false, Qt::Key_Return, 0, false, Case::shown, {}, 0},
        {"shift esc presses nothing", false, false, Qt::Key_Escape, 0, false, Case::shown, Qt::ShiftModifier, 0},
        {"ctrl esc presses nothing", false, false, Qt::Key_Escape, 0, false, Case::shown, Qt::ControlModifier, 0},
        {"a hidden cancel button is not pressed", false, false, Qt::Key_Escape, 0, false, Case::hidden, {}, 0},
        {"a disabled cancel button is not pressed", false, false, Qt::Key_Escape, 0, false, Case::disabled, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        plat::TForm form;
        form.SetClientSize(200, 100);
        auto* edit = new QLineEdit(&form);
        auto* ok = new QPushButton(QStringLiteral("OK"), &form);
        ok->move(10, 60);
        int clicks = 0;
        QObject::connect(ok, &QPushButton::clicked, [&] { ++clicks; });
        if (c.defaultButton) form.SetDefaultButton(ok);
        form.SetCancelOnEscape(c.cancelOnEscape);
        int cancelClicks = 0;
        if (c.cancelButton != Case::none) {
            auto* cancel = new QPushButton(QStringLiteral("Cancel"), &form);
            cancel->move(100, 60);
            cancel->setVisible(c.cancelButton != Case::hidden);
            cancel->setEnabled(c.cancelButton != Case::disabled);
            // The button's own handler closes the window, as the windows' Cancel buttons do.
            QObject::connect(cancel, &QPushButton::clicked, [&] {
                ++cancelClicks;
                form.SetModalResult(plat::mrCancel);
            });
            form.SetCancelButton(cancel);
        }
        bool stillOpen = false;
        QTimer::singleShot(0, &form, [&] {
            edit->setFocus();
            QTest::keyClick(edit, c.key, c.mods);
            QCoreApplication::processEvents();  // the click is queued
            stillOpen = form.isVisible();
            if (stillOpen) form.SetModalResult(plat::mrOk);
        });
        const int result = form.ShowModal();
        EXPECT_EQ(clicks, c.okClicks);
        EXPECT_EQ(cancelClicks, c.cancelClicks);
        EXPECT_EQ(!stillOpen, c.closed);
        if (c.closed) EXPECT_EQ(result, plat::mrCancel);
    }
}

}  // namespace

namespace {

// The client area is centred whatever frame the window has or another window had: a frame of a
// maximised window seen earlier moves nothing; only a window too tall for the middle is moved down
// as far as its caption needs.
TEST(Form, TheClientAreaIsCentredWhateverTheFrame) {
    const QRect area(0, 0, 1280, 994);
    const struct {
        const char* name;
        QSize client;
        int frameTop;
        QRect expected;
    } cases[] = {
        {"no frame known", {400, 300}, 0, {440, 347, 400, 300}},
        {"a window frame", {400, 300}, 22, {440, 347, 400, 300}},
        {"a taller caption", {400, 300}, 30, {440, 347, 400, 300}},
        {"as tall as the area", {400, 994}, 22, {440, 22, 400, 994}},
        {"a little too tall for its caption", {400, 970}, 22, {440, 22, 400, 970}},
        {"just fits with its caption", {400, 950}, 22, {440, 22, 400, 950}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(plat::CentredClientRect(area, c.client, c.frameTop), c.expected);
    }
    // The area need not start at the origin (a panel above or at the left).
    EXPECT_EQ(plat::CentredClientRect(QRect(100, 40, 1180, 954), {400, 300}, 22), QRect(490, 367, 400, 300));
}

}  // namespace
