// The template editor, alone and opened from the topic tables by a double-click.
#include "grid/ExGrid.h"
#include "controls/FadeButton.h"
#include "tests/gateway/MQTTTopicTestSupport.h"
#include "tests/support/EventWait.h"
#include "tests/support/GridCells.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>

namespace {

using topic_test::TopicProject;
using topic_test::whenModal;

using TemplateEditor = TopicProject;

// Double-clicks a data cell as the user does: the click makes it the current cell first.
void doubleClick(TExColumnGrid& g, int row, int realCol) {
    g.SetRow(row);
    g.SetCol(g.DisplColIndex(realCol));
    g.DblClickCell(row, g.DisplColIndex(realCol));
}

TEST_F(TemplateEditor, ReturnsLineBreaksAsCRLF) {
    const struct {
        const char* name;
        QString in;
        QString out;
    } cases[] = {
        {"CR LF kept", QStringLiteral("a\r\nb"), QStringLiteral("a\r\nb")},
        {"LF alone", QStringLiteral("a\nb\n"), QStringLiteral("a\r\nb\r\n")},
        {"CR alone", QStringLiteral("a\rb"), QStringLiteral("a\r\nb")},
        {"empty lines kept", QStringLiteral("\r\n\r\nx"), QStringLiteral("\r\n\r\nx")},
        {"non-breaking blank kept", QStringLiteral("a\u00A0b"), QStringLiteral("a\u00A0b")},
        {"empty", QString(), QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        editor->Set_Text(c.in);
        EXPECT_EQ(editor->Text(), c.out);
    }
}

TEST_F(TemplateEditor, TypedLinesReachThePublicationCellWithCRLF) {
    open();
    dlg->CG_Pub->SetCells(10, 4, QStringLiteral("old"));
    whenModal([this](QWidget* w) {
        ASSERT_EQ(w, editor.get());
        EXPECT_EQ(editor->windowTitle(), QStringLiteral("Set Template"));
        EXPECT_EQ(editor->L_SW_Desc()->text(), QStringLiteral("Set Template"));
        EXPECT_EQ(editor->Text(), QStringLiteral("old"));
        EXPECT_EQ(editor->Pub_Sub, 0);
        EXPECT_EQ(editor->Working_Mode, 1);
        editor->RE_TopicTemplate->selectAll();
        QTest::keyClicks(editor->RE_TopicTemplate, QStringLiteral("{\"v\":"));
        QTest::keyClick(editor->RE_TopicTemplate, Qt::Key_Return);
        QTest::keyClicks(editor->RE_TopicTemplate, QStringLiteral("$VALUE$}"));
        editor->Btn_OK->click();
    });
    doubleClick(*dlg->CG_Pub, 4, 10);
    EXPECT_EQ(dlg->CG_Pub->Cells(10, 4), QStringLiteral("{\"v\":\r\n$VALUE$}"));
}

TEST_F(TemplateEditor, CancelLeavesTheSubscriptionCellAsItWas) {
    open();
    dlg->CG_Sub->SetCells(12, 2, QStringLiteral("a\r\nb"));
    whenModal([this](QWidget*) {
        EXPECT_EQ(editor->windowTitle(), QStringLiteral("Set Template"));
        EXPECT_EQ(editor->Pub_Sub, 1);
        EXPECT_EQ(editor->RE_TopicTemplate->toPlainText(), QStringLiteral("a\nb"));
        editor->RE_TopicTemplate->setPlainText(QStringLiteral("changed"));
        editor->Btn_Cancel->click();
    });
    doubleClick(*dlg->CG_Sub, 2, 12);
    EXPECT_EQ(dlg->CG_Sub->Cells(12, 2), QStringLiteral("a\r\nb"));
}

TEST_F(TemplateEditor, OnlyTheTemplateColumnsOpenTheEditor) {
    open();
    const struct {
        const char* name;
        TExColumnGrid* grid;
        int row, col;
    } cases[] = {
        {"publication topic", dlg->CG_Pub, 1, 1},
        {"publication mnemonic", dlg->CG_Pub, 3, 18},
        {"subscription topic", dlg->CG_Sub, 1, 1},
        {"subscription position", dlg->CG_Sub, 1, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        editor->setWindowTitle(QStringLiteral("never shown"));
        doubleClick(*c.grid, c.row, c.col);
        EXPECT_EQ(editor->windowTitle(), QStringLiteral("never shown"));
    }
    // Wherever the double-click lands, a current cell in the template column is edited.
    dlg->CG_Pub->SetCells(10, 2, QStringLiteral("$VALUE$"));
    dlg->CG_Pub->SetRow(2);
    dlg->CG_Pub->SetCol(dlg->CG_Pub->DisplColIndex(10));
    const std::pair<int, int> elsewhere[] = {{0, dlg->CG_Pub->DisplColIndex(10)}, {0, 0}, {5, 0}, {4, 1}};
    for (const auto& [row, col] : elsewhere) {
        SCOPED_TRACE(testing::Message() << "double-click at row " << row << ", column " << col);
        QString shown;
        whenModal([&](QWidget*) {
            shown = editor->RE_TopicTemplate->toPlainText();
            editor->Btn_Cancel->click();
        });
        dlg->CG_Pub->DblClickCell(row, col);
        EXPECT_EQ(shown, QStringLiteral("$VALUE$"));
        EXPECT_EQ(editor->windowTitle(), QStringLiteral("Set Template"));
    }
}

// The user's own double-click on a template cell, whose editor is a drop-down: the template
// editor opens, the cell's list does not.
TEST_F(TemplateEditor, AMouseDoubleClickOnATemplateCellOpensTheEditorNotTheList) {
    open();
    dlg->activateWindow();
    ASSERT_TRUE(testing_support::waitForWindowActive(dlg.get()));
    TExColumnGrid& g = *dlg->CG_Pub;
    g.SetCells(10, 1, QStringLiteral("$VALUE$"));
    g.SetRow(2);
    g.SetCol(1);
    g.SetCol(g.DisplColIndex(10));  // scrolls the column into view
    const QRect cell = cellRect(g, g.DisplColIndex(10), 1);
    ASSERT_FALSE(cell.isEmpty());
    QWidget* area = g.childAt(cell.center());
    ASSERT_NE(area, nullptr);
    const QPoint at = area->mapFrom(&g, cell.center());
    int opened = 0;
    whenModal([&](QWidget* w) {
        EXPECT_EQ(w, editor.get());
        ++opened;
        editor->Set_Text(QStringLiteral("$VALUE$ x"));
        editor->Btn_OK->click();
    });
    QTest::mouseClick(area, Qt::LeftButton, {}, at);
    QTest::mouseDClick(area, Qt::LeftButton, {}, at);
    QCoreApplication::processEvents();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(g.Cells(10, 1), QStringLiteral("$VALUE$ x"));
    EXPECT_FALSE(g.EditorMode()) << "no cell editor is left open over the cell";
    EXPECT_EQ(g.childAt(cell.center()), g.viewport()) << "the cell itself is shown, no editor over it";
    for (auto* combo : g.findChildren<QComboBox*>()) EXPECT_FALSE(combo->view()->isVisible());
}

// Tab leaves the text area without typing into it, and the keyboard alone reaches OK.
TEST_F(TemplateEditor, TabMovesTheFocusOnAndOKIsReachedByKeyboard) {
    open();
    TExColumnGrid& g = *dlg->CG_Pub;
    bool reachedOk = false;
    whenModal([&](QWidget*) {
        editor->activateWindow();
        ASSERT_TRUE(testing_support::waitForWindowActive(editor.get()));
        ASSERT_EQ(QApplication::focusWidget(), editor->RE_TopicTemplate);
        QTest::keyClicks(editor->RE_TopicTemplate, "plant/a");
        QTest::keyClick(editor->RE_TopicTemplate, Qt::Key_Tab);
        EXPECT_NE(QApplication::focusWidget(), editor->RE_TopicTemplate);
        for (int i = 0; i < 8 && QApplication::focusWidget() != editor->Btn_OK; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reachedOk = QApplication::focusWidget() == editor->Btn_OK;
        if (reachedOk)
            QTest::keyClick(editor->Btn_OK, Qt::Key_Space);
        else
            editor->Btn_Cancel->click();
    });
    dlg->Show_Form_Topic(g, 1, 10);
    EXPECT_TRUE(reachedOk);
    EXPECT_EQ(g.Cells(10, 1), QStringLiteral("plant/a"));
}

TEST_F(TemplateEditor, TheCaptionFollowsTheColumnAndTheCurrentLanguage) {
    open();
    const struct {
        const char* name;
        TExColumnGrid* grid;
        int col;
        const char* caption;
    } cases[] = {
        {"publication template", dlg->CG_Pub, 10, "Set Template"},
        {"publication topic", dlg->CG_Pub, 1, "Set Topic"},
        {"subscription template", dlg->CG_Sub, 12, "Set Template"},
        {"subscription mnemonic", dlg->CG_Sub, 15, "Set Topic"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QString caption, description;
        whenModal([&](QWidget*) {
            caption = editor->windowTitle();
            description = editor->L_SW_Desc()->text();
            editor->Btn_Cancel->click();
        });
        dlg->Show_Form_Topic(*c.grid, 1, c.col);
        EXPECT_EQ(caption, QString::fromUtf8(c.caption));
        EXPECT_EQ(description, QString::fromUtf8(c.caption));
    }

    // The editor is not relabelled on a language change, but reads its caption at every showing.
    Text_Table[1701] = QStringLiteral("Imposta modello");
    Text_Table[1703] = QStringLiteral("Imposta il modello");
    QString caption, description;
    whenModal([&](QWidget*) {
        caption = editor->windowTitle();
        description = editor->L_SW_Desc()->text();
        editor->Btn_Cancel->click();
    });
    dlg->Show_Form_Topic(*dlg->CG_Pub, 1, 10);
    EXPECT_EQ(caption, QStringLiteral("Imposta modello"));
    EXPECT_EQ(description, QStringLiteral("Imposta il modello"));
}

TEST_F(TemplateEditor, TheKeywordListShowsOneEmptyRowUnderItsHeader) {
    editor->SG_Keywords->SetCells(0, 1, QStringLiteral("left from before"));
    whenModal([this](QWidget*) {
        TExStringGrid& g = *editor->SG_Keywords;
        EXPECT_EQ(g.RowCount(), 2);
        EXPECT_EQ(g.Cells(0, 0), QStringLiteral("Keyword"));
        EXPECT_EQ(g.Cells(1, 0), QStringLiteral("Description of Keyword"));
        EXPECT_TRUE(g.Cells(0, 1).isEmpty());
        EXPECT_TRUE(g.Cells(1, 1).isEmpty());
        EXPECT_TRUE(g.CanEditCell(0, 1));
        EXPECT_FALSE(g.CanEditCell(1, 1));
        EXPECT_EQ(g.ColCount(), 2);
        EXPECT_EQ(g.FixedCols(), 0);
        EXPECT_EQ(g.ColWidths(0), 200);
        EXPECT_EQ(g.ColWidths(1), 380);
        EXPECT_EQ(editor->L_List_Keywords->text(), QStringLiteral("List of keywords"));
        EXPECT_EQ(editor->Btn_OK->Caption(), QStringLiteral("OK"));
        editor->Btn_OK->click();
    });
    editor->TopicTemplate = false;
    editor->ShowModal();
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Set Topic"));
    EXPECT_EQ(editor->size(), QSize(635, 396));
}

}  // namespace

namespace {

using TopicScreens = topic_test::TopicProject;

TEST_F(TopicScreens, Screenshot) {
    const QByteArray dir = qgetenv("SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set SCREENSHOT_DIR to save pictures of the windows";
    const QString folder = QString::fromLocal8Bit(dir);
    open();
    set(*dlg->CG_Pub, 1, goodPub(QStringLiteral("plant/line1/temperature")));
    set(*dlg->CG_Pub, 1, {{2, QStringLiteral("Y")}, {13, QStringLiteral("Y")}, {14, QStringLiteral("1000")},
                          {18, QStringLiteral("Line 1 temperature")}});
    set(*dlg->CG_Pub, 2, goodPub(QStringLiteral("plant/line1/pressure")));
    set(*dlg->CG_Sub, 1, goodSub(QStringLiteral("plant/line1/setpoint")));
    EXPECT_TRUE(dlg->grab().save(folder + QStringLiteral("/topics_publish.png")));
    dlg->PageControl1->setCurrentWidget(dlg->TS_MQTT_Subscribe);
    EXPECT_TRUE(dlg->grab().save(folder + QStringLiteral("/topics_subscribe.png")));
    whenModal([&](QWidget*) {
        EXPECT_TRUE(editor->grab().save(folder + QStringLiteral("/topic_template.png")));
        editor->Btn_Cancel->click();
    });
    editor->Set_Text(QStringLiteral("{\r\n  \"temperature\": $VALUE$\r\n}"));
    editor->TopicTemplate = true;
    editor->ShowModal();
}

}  // namespace
