// The topic tables driven end to end as a user drives them: a project's topic file is loaded, cells
// are typed, clicked, toggled and picked with the mouse and the keyboard, a template is rewritten in
// the template editor, and OK writes the file, which must equal the recorded one byte for byte.
//
// The grid is reached only through its own API and through real mouse and key events delivered to
// the widget under a cell or to the focused widget, never through whatever the grid paints with, so
// the same steps hold for any grid that keeps the API.
#include <QComboBox>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <ostream>
#include <vector>

#include "controls/FadeButton.h"
#include "tests/gateway/MQTTTopicTestSupport.h"
#include "tests/support/EventWait.h"
#include "tests/support/GridCells.h"

namespace {

using topic_test::TopicProject;
using topic_test::whenModal;

using TopicTablesEndToEnd = TopicProject;

QByteArray fixture(const char* name) {
    const QString path = QStringLiteral(GATEWAY_FIXTURES "/") + QString::fromLatin1(name);
    const QByteArray bytes = testing_support::readAll(path);
    if (bytes.isEmpty()) ADD_FAILURE() << "missing fixture " << path.toStdString();
    return bytes;
}

// Where a user aims at a cell: its centre, on whatever widget is drawn there.
struct Aim {
    QWidget* widget;
    QPoint at;
};

Aim aimAt(TExStringGrid& g, int row, int realCol) {
    const QRect cell = cellRect(g, g.DisplColIndex(realCol), row);
    EXPECT_FALSE(cell.isEmpty()) << "cell (" << realCol << ", " << row << ") is not on screen";
    QWidget* w = g.childAt(cell.center());
    if (!w) w = &g;
    return {w, w->mapFrom(&g, cell.center())};
}

void clickCell(TExStringGrid& g, int row, int realCol) {
    const Aim a = aimAt(g, row, realCol);
    QTest::mouseClick(a.widget, Qt::LeftButton, {}, a.at);
}

void clickWidget(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

// Keys go where the keyboard sends them: to the widget that has the focus at that moment (the grid
// until a typed key opens its editor, then the editor).
QWidget* focused(QWidget* fallback) {
    QWidget* w = QApplication::focusWidget();
    return w ? w : fallback;
}

void press(QWidget* fallback, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(focused(fallback), key, modifiers);
}

void type(QWidget* fallback, const char* text) {
    for (const char* c = text; *c; ++c) QTest::keyClick(focused(fallback), *c);
}

struct ComboChange {
    int col, row, index;
    QString text;
    bool operator==(const ComboChange&) const = default;
    friend void PrintTo(const ComboChange& c, std::ostream* os) {
        *os << "(col " << c.col << ", row " << c.row << ", item " << c.index << ", \"" << c.text.toStdString() << "\")";
    }
};

TEST_F(TopicTablesEndToEnd, EditsMadeWithMouseAndKeyboardAreSavedAsRecorded) {
    writeFile(fixture("topic_tables_project.xml"));
    open();
    dlg->activateWindow();
    ASSERT_TRUE(testing_support::waitForWindowActive(dlg.get()));
    ASSERT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    TExColumnGrid& pub = *dlg->CG_Pub;
    TExColumnGrid& sub = *dlg->CG_Sub;
    ASSERT_EQ(pub.Cells(1, 3), QStringLiteral("plant/line1/state"));
    ASSERT_EQ(sub.Cells(1, 2), QStringLiteral("plant/line1/command"));

    // Publications. A new topic typed over the one of row 2: the click makes the cell current, the
    // first key opens its editor and is not lost, Enter ends the edit.
    clickCell(pub, 2, 1);
    type(&pub, "plant/line1/pressure_bar");
    press(&pub, Qt::Key_Return);
    EXPECT_EQ(pub.Cells(1, 2), QStringLiteral("plant/line1/pressure_bar"));

    // Retained of row 1 ticked by a click on its box, in the middle of the cell where it is drawn.
    bool state = true;
    ASSERT_TRUE(pub.GetCheckBoxState(2, 1, state));
    EXPECT_FALSE(state);
    clickCell(pub, 1, 2);
    ASSERT_TRUE(pub.GetCheckBoxState(2, 1, state));
    EXPECT_TRUE(state);
    EXPECT_EQ(pub.Cells(2, 1), QStringLiteral("Y"));

    // Retained of row 3 cleared from the keyboard: two rows down from the clicked box, then Space.
    press(&pub, Qt::Key_Down);
    press(&pub, Qt::Key_Down);
    EXPECT_EQ(pub.Row(), 3);
    EXPECT_EQ(pub.GetRealCol(), 2);
    press(&pub, Qt::Key_Space);
    ASSERT_TRUE(pub.GetCheckBoxState(2, 3, state));
    EXPECT_FALSE(state);
    EXPECT_EQ(pub.Cells(2, 3), QStringLiteral("N"));

    // Subscriptions, by a click on their tab.
    auto* tabs = dlg->PageControl1->findChild<QTabBar*>();
    ASSERT_NE(tabs, nullptr);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    ASSERT_EQ(dlg->PageControl1->currentWidget(), dlg->TS_MQTT_Subscribe);

    // The data type of row 1 picked from its list. Column 2 of this table is hidden, so the data
    // type's display column (3) differs from its real column (4), which the event must report.
    std::vector<ComboChange> changes;
    sub.OnComboChange = [&](QObject* sender, int col, int row, int index, const QString& text) {
        EXPECT_EQ(sender, &sub);
        changes.push_back({col, row, index, text});
    };
    ASSERT_EQ(sub.DisplColIndex(4), 3);
    clickCell(sub, 1, 4);  // makes the cell current
    clickCell(sub, 1, 4);  // opens its editor
    auto* combo = qobject_cast<QComboBox*>(QApplication::focusWidget());
    ASSERT_NE(combo, nullptr) << "no drop-down editor has the focus";
    ASSERT_TRUE(sub.isAncestorOf(combo));
    press(&sub, Qt::Key_Down, Qt::AltModifier);  // opens the list on "Int"
    ASSERT_NE(QApplication::activePopupWidget(), nullptr) << "the list did not open";
    press(&sub, Qt::Key_Down);
    press(&sub, Qt::Key_Return);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    // The editor holds the choice; the cell takes it when the edit ends.
    EXPECT_EQ(combo->currentText(), QStringLiteral("SInt"));
    // One choice, one report, at the real column.
    const std::vector<ComboChange> picked{{4, 1, 1, QStringLiteral("SInt")}};
    EXPECT_EQ(changes, picked);
    sub.OnComboChange = nullptr;

    // The template of row 2 rewritten in the template editor, opened by a double-click on its cell
    // (the first click makes the cell current, as a user's first click does).
    clickCell(sub, 2, 12);
    bool edited = false;
    whenModal([&](QWidget* w) {
        ASSERT_EQ(w, editor.get());
        editor->activateWindow();
        ASSERT_TRUE(testing_support::waitForWindowActive(editor.get()));
        ASSERT_EQ(QApplication::focusWidget(), editor->RE_TopicTemplate);
        EXPECT_EQ(editor->Text(), QStringLiteral("{\"cmd\": $VALUE$}"));
        press(editor.get(), Qt::Key_A, Qt::ControlModifier);
        type(editor.get(), "{");
        press(editor.get(), Qt::Key_Return);
        type(editor.get(), "  \"cmd\": $VALUE$,");
        press(editor.get(), Qt::Key_Return);
        type(editor.get(), "  \"from\": \"panel\"");
        press(editor.get(), Qt::Key_Return);
        type(editor.get(), "}");
        clickWidget(editor->Btn_OK);
        edited = true;
    });
    const Aim templ = aimAt(sub, 2, 12);
    QTest::mouseDClick(templ.widget, Qt::LeftButton, {}, templ.at);
    QCoreApplication::processEvents();
    ASSERT_TRUE(edited);
    const QString rewritten = QStringLiteral("{\r\n  \"cmd\": $VALUE$,\r\n  \"from\": \"panel\"\r\n}");
    EXPECT_EQ(sub.Cells(12, 2), rewritten);

    // OK validates both tables and writes the file.
    clickWidget(dlg->Btn_OK);
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(dlg->ModalResult(), plat::mrOk);
    EXPECT_EQ(sub.Cells(12, 2), rewritten);  // no editor left open wrote its older text back
    EXPECT_EQ(file().toStdString(), fixture("topic_tables_after_edit.xml").toStdString());
}

}  // namespace
