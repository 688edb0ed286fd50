// Rich-text cells as the grid measures, draws and edits them, the grid's edit-text and current-cell
// accessors, the small cell editors and the HTML hint window.
#include "controls/ExUtil.h"
#include "controls/RtfRead.h"
#include "controls/RtfTextDocument.h"
#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"
#include "grid/ExGridParts.h"
#include "platform/InplaceEdit.h"
#include "tests/support/EventWait.h"

#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolTip>
#include <gtest/gtest.h>

namespace {

// A 4 x 6 grid with one fixed row and column, editing on, in a shown window.
struct Fixture {
    QWidget form;
    TExStringGrid* g;
    Fixture() : g(new TExStringGrid(&form)) {
        form.resize(520, 320);
        g->setGeometry(0, 0, 480, 280);
        g->SetColCount(4);
        g->SetRowCount(6);
        setOption(plat::goEditing, true);
        form.show();
        EXPECT_TRUE(testing_support::waitForWindowExposed(&form));
        QApplication::setActiveWindow(&form);
        g->viewport()->setFocus();
    }
    void setOption(plat::TGridOption o, bool on) {
        plat::TGridOptions opts = g->Options();
        on ? opts.include(o) : opts.exclude(o);
        g->SetOptions(opts);
    }
    QWidget* focus() const { return QApplication::focusWidget(); }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        ASSERT_NE(focus(), nullptr);
        QTest::keyClick(focus(), Qt::Key(k), m);
        QApplication::processEvents();
    }
    void type(const QString& s) {
        ASSERT_NE(focus(), nullptr);
        QTest::keyClicks(focus(), s);
        QApplication::processEvents();
    }
    void go(int col, int row) {
        g->SetCol(col);
        g->SetRow(row);
    }
    // Column 2 is edited with the rich-text editor.
    void richColumn() {
        g->OnGetEditorType = [](QObject*, int ACol, int, TEditorType& E) {
            if (ACol == 2) E = edRichEdit;
        };
    }
    // Opens the rich-text editor on (2, ARow) with F2.
    TExRichEdit* openRich(int ARow) {
        richColumn();
        go(2, ARow);
        g->viewport()->setFocus();
        key(Qt::Key_F2);
        return g->InplaceRichEdit();
    }
};

QString rtfOf(const QString& body) {
    return QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Sans;}}") + body + u'}';
}

// The cell as the grid paints it, on a white image.
QImage paintCell(TExStringGrid& g, int ACol, int ARow) {
    const QRect r = g.CellRect(ACol, ARow).toQRect();
    QImage img(r.size(), QImage::Format_RGB32);
    img.fill(Qt::white);
    plat::TCanvas cv(&img);
    cv.Brush().SetStyle(plat::bsClear);
    g.DrawRichTextCell(g.RealColIndex(ACol), ARow, plat::TRect{0, 0, r.width(), r.height()}, cv);
    cv.Release();
    return img;
}

int countPixels(const QImage& img, const std::function<bool(QColor)>& pick) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (pick(img.pixelColor(x, y))) ++n;
    return n;
}

}  // namespace

// ---------------------------------------------------------------- edit texts and current cell

TEST(ExGridRichEditText, TheStandardEditorLoadsTagsStrippedOrWhole) {
    Fixture f;
    f.g->SetCells(1, 1, "<B>one</B><BR>two");
    EXPECT_EQ(f.g->GetEditText(1, 1), "one\r\ntwo");
    f.g->SetEditWithTags(true);
    EXPECT_EQ(f.g->GetEditText(1, 1), "<B>one</B><BR>two");
    // The editor itself opens with that text.
    f.g->SetEditWithTags(false);
    f.go(1, 1);
    f.key(Qt::Key_F2);
    ASSERT_TRUE(f.g->InplaceEditor() && f.g->InplaceEditor()->isVisible());
    EXPECT_EQ(f.g->InplaceEditor()->Text(), "one\r\ntwo");
}

TEST(ExGridRichEditText, AnInnerCellOfAMergedBlockLoadsAndStoresItsBaseCell) {
    for (bool hiddenBefore : {false, true}) {
        SCOPED_TRACE(hiddenBefore ? "a column before the block hidden" : "no column hidden");
        Fixture f;
        f.g->SetColCount(5);
        // The block covers real columns 2 and 3 of row 1.
        f.g->SetCells(2, 1, "base");
        f.g->SetCells(3, 1, "covered");
        f.g->MergeCells(2, 1, 2, 1);
        if (hiddenBefore) f.g->HideColumn(1);
        const int inner = f.g->DisplColIndex(3);
        ASSERT_EQ(inner, hiddenBefore ? 2 : 3);
        EXPECT_EQ(f.g->GetEditText(inner, 1), "base");
        f.g->SetEditText(inner, 1, "new");
        EXPECT_EQ(f.g->GridCells(2, 1), "new");
        EXPECT_EQ(f.g->GridCells(3, 1), "covered");
        if (hiddenBefore) EXPECT_EQ(f.g->GridCells(1, 1), "");
    }
}

TEST(ExGridRichEditText, CurrentCellIsTheRawTextAndTheCellTextGoesThroughTheDisplayHooks) {
    Fixture f;
    f.g->OnGetDisplText = [](QObject*, int, int, QString& V) { V = V + "!"; };
    f.g->SetCells(2, 1, "raw");
    f.go(2, 1);
    EXPECT_EQ(f.g->CurrentCell(), "raw");
    EXPECT_EQ(f.g->GetCurrentCellText(), "raw!");
    EXPECT_EQ(f.g->CurrentEditor(), edNormal);
}

TEST(ExGridRichEditText, HiddenRowCellsAndTheBorderEvent) {
    Fixture f;
    f.g->SetCells(1, 3, "a");
    f.g->SetCells(2, 3, "b");
    EXPECT_FALSE(f.g->FindHiddenRowCells(3).has_value());
    f.g->HideRow(3);
    const std::optional<QStringList> cells = f.g->FindHiddenRowCells(3);
    ASSERT_TRUE(cells.has_value());
    EXPECT_EQ(cells->value(1), "a");
    EXPECT_EQ(cells->value(2), "b");
    EXPECT_FALSE(f.g->FindHiddenRowCells(2).has_value());
    EXPECT_FALSE(f.g->HasCellBorderEvent());
    f.g->OnGetCellBorder = [](QObject*, int, int, QPen&, TCellBorders&) {};
    EXPECT_TRUE(f.g->HasCellBorderEvent());
}

// ---------------------------------------------------------------- cells and rich-text controls

TEST(ExGridRichCells, CellToRichAndBack) {
    struct Case {
        const char* name;
        QString cell;
        QString plain;  // the control's plain text after CellToRich
    } cases[] = {
        {"empty cell empties the control", "", ""},
        {"plain text beyond 8 bits as it is", QStringLiteral("Жук 日本"), QStringLiteral("Жук 日本")},
        {"RTF through the reader", rtfOf(QStringLiteral("{\\b bold} and \\u1046?")), QStringLiteral("bold and Ж")},
        {"plain text that looks like markup", QStringLiteral("a {b} \\c"), QStringLiteral("a {b} \\c")},
    };
    Fixture f;
    TExRichEdit* re = f.g->RichEdit();
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        re->setPlainText("left over");
        f.g->SetCells(1, 1, k.cell);
        f.g->CellToRich(1, 1, re);
        EXPECT_EQ(re->toPlainText(), k.plain);
        // Stored back, the cell holds RTF whose plain text is the same.
        f.g->RichToCell(1, 2, re);
        const QString stored = f.g->Cells(1, 2);
        EXPECT_TRUE(stored.startsWith("{\\rtf1")) << stored.toStdString();
        EXPECT_EQ(RtfPlainText(stored), k.plain);
    }
    EXPECT_FALSE(re->isVisible());
    EXPECT_EQ(re->size(), QSize(0, 0));
    EXPECT_TRUE(re->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_EQ(f.g->RichEdit(), re);
}

TEST(ExGridRichCells, TheScriptOffsetsAreKeptExactly) {
    Fixture f;
    TExRichEdit* re = f.g->InplaceRichEdit();
    EXPECT_EQ(f.g->InplaceRichEdit(), re);
    EXPECT_FALSE(re->isVisible());
    struct Case {
        const char* name;
        void (TExRichEdit::*set)();
        bool normal, sub, super;
    } cases[] = {
        {"superscript", &TExRichEdit::SelSuperscript, false, false, true},
        {"subscript", &TExRichEdit::SelSubscript, false, true, false},
        {"normal", &TExRichEdit::SelNormal, true, false, false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        // Loaded as a plain cell is: nothing of the raised text before carries over.
        f.g->SetCells(1, 2, "x2 y");
        f.g->CellToRich(1, 2, re);
        QTextCursor c = re->textCursor();
        c.setPosition(1);
        c.setPosition(2, QTextCursor::KeepAnchor);
        re->setTextCursor(c);
        (re->*k.set)();
        EXPECT_EQ(re->IsSelNormal(), k.normal);
        EXPECT_EQ(re->IsSelSubscript(), k.sub);
        EXPECT_EQ(re->IsSelSuperscript(), k.super);
        // Only the selected character moved.
        c.setPosition(0);
        c.setPosition(1, QTextCursor::KeepAnchor);
        re->setTextCursor(c);
        EXPECT_TRUE(re->IsSelNormal());
        // Through the cell and back the offset is the same.
        f.g->SetCells(1, 1, f.g->RichToString(re));
        f.g->CellToRich(1, 1, re);
        c = re->textCursor();
        c.setPosition(1);
        c.setPosition(2, QTextCursor::KeepAnchor);
        re->setTextCursor(c);
        EXPECT_EQ(re->IsSelNormal(), k.normal);
        EXPECT_EQ(re->IsSelSubscript(), k.sub);
        EXPECT_EQ(re->IsSelSuperscript(), k.super);
        EXPECT_EQ(re->toPlainText(), "x2 y");
    }
}

TEST(ExGridRichCells, ARtfCellIsMeasuredAndDrawnWithItsFormats) {
    Fixture f;
    f.g->SetColWidths(1, 300);
    f.g->SetCells(1, 1, rtfOf("WWWWWWWW"));
    f.g->SetCells(1, 2, rtfOf("{\\b WWWWWWWW}"));
    f.g->SetCells(1, 3, rtfOf("WWWWWWWW\\par WWWWWWWW"));
    f.g->SetCells(1, 4, rtfOf("{\\fs48 WWWWWWWW}"));
    const QSize plain = f.g->GetCellTextSize(1, 1, false, false);
    const QSize bold = f.g->GetCellTextSize(1, 2, false, false);
    const QSize twoLines = f.g->GetCellTextSize(1, 3, false, false);
    const QSize big = f.g->GetCellTextSize(1, 4, false, false);
    EXPECT_GT(plain.width(), 0);
    EXPECT_GT(bold.width(), plain.width());
    EXPECT_EQ(twoLines.width(), plain.width());
    EXPECT_GT(twoLines.height(), plain.height() + 8);
    EXPECT_GT(big.height(), plain.height() + 8);
    // The markup itself is never measured.
    EXPECT_LT(plain.width(), f.g->Canvas().TextWidth(f.g->Cells(1, 1)));

    // Bold draws more ink than plain; a coloured run draws in its colour.
    auto dark = [](QColor c) { return c.lightness() < 128; };
    EXPECT_GT(countPixels(paintCell(*f.g, 1, 2), dark), countPixels(paintCell(*f.g, 1, 1), dark));
    f.g->SetCells(1, 5, rtfOf("{\\colortbl;\\red255\\green0\\blue0;}\\cf1 WWWW"));
    auto red = [](QColor c) { return c.red() > 200 && c.green() < 80 && c.blue() < 80; };
    EXPECT_GT(countPixels(paintCell(*f.g, 1, 5), red), 10);
    EXPECT_EQ(countPixels(paintCell(*f.g, 1, 1), red), 0);
}

// ---------------------------------------------------------------- the rich-text editor

TEST(ExGridRichEditor, AnRtfCellOpensTheRichEditorAndEnterStoresRtf) {
    Fixture f;
    f.g->SetCells(2, 1, rtfOf("{\\b old}"));
    int done = 0;
    f.g->OnEditingDone = [&](QObject*) { ++done; };
    TExRichEdit* re = f.openRich(1);
    ASSERT_TRUE(re->isVisible());
    EXPECT_EQ(f.g->EditControl(), edRichEdit);
    EXPECT_EQ(f.g->CurrentEditor(), edRichEdit);
    EXPECT_EQ(f.focus(), re);
    EXPECT_EQ(re->toPlainText(), "old");
    EXPECT_TRUE(re->textCursor().charFormat().font().bold() || re->document()->begin().begin().fragment().charFormat().fontWeight() >= QFont::Bold);
    QTextCursor c = re->textCursor();
    c.movePosition(QTextCursor::End);
    re->setTextCursor(c);
    f.type(" new");
    f.key(Qt::Key_Return);
    EXPECT_FALSE(re->isVisible());
    EXPECT_FALSE(f.g->EditMode());
    const QString stored = f.g->Cells(2, 1);
    EXPECT_EQ(ClassifyCellText(stored, false), 2) << stored.toStdString();
    EXPECT_EQ(RtfPlainText(stored), "old new");
    // The bold run stays bold.
    const TRtfDocument doc = ReadRtf(QStringView(stored));
    ASSERT_FALSE(doc.Paragraphs.empty());
    ASSERT_FALSE(doc.Paragraphs[0].Runs.empty());
    EXPECT_TRUE(doc.Paragraphs[0].Runs[0].Format.Bold);
    EXPECT_EQ(done, 1);

    // Esc leaves the cell as it was; a plain cell opens as plain text.
    f.g->SetCells(2, 2, "plain");
    re = f.openRich(2);
    ASSERT_TRUE(re->isVisible());
    EXPECT_EQ(re->toPlainText(), "plain");
    f.type("xyz");
    f.key(Qt::Key_Escape);
    EXPECT_FALSE(re->isVisible());
    EXPECT_EQ(f.g->Cells(2, 2), "plain");
}

TEST(ExGridRichEditor, ATypedCharacterStartsTheEditAndReachesTheEditor) {
    Fixture f;
    f.richColumn();
    f.go(2, 3);
    f.g->viewport()->setFocus();
    f.type("q");
    TExRichEdit* re = f.g->InplaceRichEdit();
    ASSERT_TRUE(re->isVisible());
    EXPECT_TRUE(re->toPlainText().endsWith("q")) << re->toPlainText().toStdString();
}

TEST(ExGridRichEditor, TabUpDownAndTheGridsFocusEndTheEdit) {
    struct Case {
        const char* name;
        int key;
        bool tabs;
        bool reopened;  // an editor is open again afterwards
        int col, row;   // the current cell afterwards
    } cases[] = {
        {"Tab with goTabs edits the next cell", Qt::Key_Tab, true, true, 3, 2},
        {"Down goes to the grid", Qt::Key_Down, false, false, 2, 3},
        {"Up goes to the grid", Qt::Key_Up, false, false, 2, 1},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Fixture f;
        f.setOption(plat::goTabs, k.tabs);
        // Up and Down stay in a word-wrapped editor.
        f.g->SetWordWrap(false);
        f.g->SetCells(2, 2, "before");
        TExRichEdit* re = f.openRich(2);
        ASSERT_TRUE(re->isVisible());
        f.key(Qt::Key_End);
        f.type("!");
        f.key(k.key);
        EXPECT_EQ(RtfPlainText(f.g->Cells(2, 2)), "before!");
        EXPECT_EQ(std::pair(f.g->Col(), f.g->Row()), std::pair(k.col, k.row));
        EXPECT_EQ(f.g->EditMode(), k.reopened);
    }
    // Without goTabs Tab is typed into the text; with word wrap Down stays in the editor.
    Fixture f;
    f.g->SetCells(2, 2, "a");
    TExRichEdit* re = f.openRich(2);
    f.key(Qt::Key_Tab);
    f.key(Qt::Key_Down);
    EXPECT_EQ(f.g->Row(), 2);
    EXPECT_TRUE(re->isVisible());
    EXPECT_TRUE(re->toPlainText().contains(u'\t'));
    // The focus going to the grid ends the edit and stores it.
    f.g->viewport()->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(re->isVisible());
    EXPECT_TRUE(RtfPlainText(f.g->Cells(2, 2)).contains(u'\t'));
}

TEST(ExGridRichEditor, TypedLinesGrowTheRowWithSizeWhileTyping) {
    Fixture f;
    f.g->SizeWhileTyping().SetHeight(true);
    std::vector<int> sized;
    f.g->OnEndRowSize = [&](QObject*, int ARow) { sized.push_back(ARow); };
    const int before = f.g->RowHeights(1);
    TExRichEdit* re = f.openRich(1);
    ASSERT_TRUE(re->isVisible());
    // Loading the cell asks for nothing.
    EXPECT_TRUE(sized.empty());
    f.type("one");
    f.key(Qt::Key_Return, Qt::ShiftModifier);
    f.type("two");
    f.key(Qt::Key_Return, Qt::ShiftModifier);
    f.type("three");
    ASSERT_TRUE(re->isVisible());
    EXPECT_EQ(re->document()->blockCount(), 3);
    const int h = re->ReqHeight();
    EXPECT_GT(h, before);
    EXPECT_EQ(f.g->RowHeights(1), h + 10);
    EXPECT_EQ(re->height(), h + 9);
    ASSERT_FALSE(sized.empty());
    EXPECT_EQ(sized.back(), 1);
    // Without the setting the row keeps its height.
    Fixture g;
    g.g->OnEndRowSize = [&](QObject*, int) { ADD_FAILURE() << "no resize without SizeWhileTyping"; };
    TExRichEdit* re2 = g.openRich(1);
    g.type("one");
    g.key(Qt::Key_Return, Qt::ShiftModifier);
    g.type("two");
    EXPECT_TRUE(re2->isVisible());
    EXPECT_EQ(g.g->RowHeights(1), before);
}

// ---------------------------------------------------------------- small cell editors

TEST(ExGridSmallEditors, AFixedCellEditStopsThroughCellValidate) {
    Fixture f;
    f.g->SetColCount(5);
    f.g->HideColumn(1);
    TGridTransEdit* e = f.g->EditTrans();
    ASSERT_EQ(e->Grid(), f.g);
    // Display column 2 of the header row is real column 3.
    e->setParent(f.g->viewport());
    e->SetCell(2, 0);
    e->setText("Header");
    e->show();
    e->setFocus();
    bool accept = false;
    QList<int> asked;
    int done = 0;
    f.g->OnCellValidate = [&](QObject* S, int ACol, int ARow, QString& V, bool& Valid) {
        EXPECT_EQ(S, f.g);
        asked << ACol << ARow;
        Valid = accept;
        if (accept) V = V.toUpper();
    };
    f.g->OnEditingDone = [&](QObject*) { ++done; };
    EXPECT_FALSE(e->StopEdit());
    EXPECT_TRUE(e->isVisible());
    EXPECT_EQ(f.focus(), e);
    EXPECT_EQ(f.g->Col(), 2);
    EXPECT_EQ(done, 0);
    EXPECT_EQ(f.g->Cells(3, 0), "");
    // Enter types nothing and ends nothing; leaving the editor stops the edit.
    f.key(Qt::Key_Return);
    EXPECT_TRUE(e->isVisible());
    accept = true;
    f.g->viewport()->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(e->isVisible());
    EXPECT_EQ(done, 1);
    EXPECT_EQ(f.g->Cells(3, 0), "HEADER");
    EXPECT_EQ(f.g->Cells(2, 0), "");
    EXPECT_EQ(asked, (QList<int>{2, 0, 2, 0}));
    // Without a grid the editor only hides.
    TGridTransEdit loose(nullptr);
    loose.show();
    EXPECT_TRUE(loose.StopEdit());
    EXPECT_FALSE(loose.isVisible());
}

TEST(ExGridSmallEditors, TabInAFormControlMovesToTheNextControlOrAdvancesTheGrid) {
    for (bool advanceAuto : {false, true}) {
        SCOPED_TRACE(advanceAuto ? "AdvanceAuto" : "next control");
        Fixture f;
        f.g->SetDefaultRowHeight(40);
        f.g->SetColWidths(2, 300);
        f.g->Navigation().SetAdvanceAuto(advanceAuto);
        f.g->SetCells(2, 1,
                      "<CONTROL TYPE=\"EDIT\" ID=\"a\" WIDTH=\"60\" VALUE=\"first\"> "
                      "<CONTROL TYPE=\"EDIT\" ID=\"b\" WIDTH=\"60\" VALUE=\"second\">");
        f.go(2, 1);
        QString doneID;
        f.g->OnControlEditDone = [&](QObject*, int, int, const QString& ID, const QString&, const QString&) {
            doneID = ID;
        };
        f.g->FocusNextCellControl(2, 1, QString());
        TControlEdit* e = f.g->ControlEdit();
        ASSERT_TRUE(e->isVisible());
        EXPECT_EQ(f.g->CtrlID(), "a");
        EXPECT_EQ(e->Text(), "first");
        EXPECT_EQ(f.focus(), e);
        e->SelectAll();
        f.type("changed");
        f.key(Qt::Key_Tab);
        // The typed value went into the control's VALUE in the cell text.
        EXPECT_EQ(doneID, "a");
        EXPECT_TRUE(f.g->Cells(2, 1).contains("VALUE=\"changed\"")) << f.g->Cells(2, 1).toStdString();
        if (advanceAuto) {
            EXPECT_FALSE(e->isVisible());
            EXPECT_EQ(std::pair(f.g->Col(), f.g->Row()), std::pair(3, 1));
        } else {
            ASSERT_TRUE(e->isVisible());
            EXPECT_EQ(f.g->CtrlID(), "b");
            EXPECT_EQ(e->Text(), "second");
            EXPECT_EQ(std::pair(f.g->Col(), f.g->Row()), std::pair(2, 1));
            // Enter ends it and gives the focus back to the grid.
            f.key(Qt::Key_Return);
            EXPECT_FALSE(e->isVisible());
            EXPECT_EQ(f.focus(), f.g->viewport());
            EXPECT_EQ(doneID, "b");
        }
    }
}

// ---------------------------------------------------------------- HTML hints

TEST(ExGridHTMLHint, TheHintWindowsSizeAndPlace) {
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QRect avail = screen->availableGeometry();
    THTMLHintWindow w;
    // A plain hint: the renderer's measure + 16 wide, + 4 high.
    const QString plain = QStringLiteral("<B>Plain</B> words");
    const QRect m = w.CalcHintRect(THTMLHintWindow::kMaxHintWidth, plain, nullptr);
    EXPECT_GT(m.width(), 0);
    w.ActivateHint(QRect(avail.topLeft() + QPoint(10, 10), QSize(1, 1)), plain);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.Text(), plain);
    EXPECT_EQ(w.geometry(), QRect(avail.topLeft() + QPoint(10, 10), QSize(m.width() + 16, m.height() + 4)));
    // Wider than the room to the screen's right edge: it ends 2 pixels inside.
    const QString wide = QString(80, u'W');
    w.ActivateHint(QRect(QPoint(avail.right() - 20, avail.top() + 10), QSize(1, 1)), wide);
    EXPECT_EQ(w.geometry().x() + w.geometry().width(), avail.x() + avail.width() - 2);
    EXPECT_EQ(w.geometry().y(), avail.top() + 10);
    // Below the bottom: it moves up likewise.
    w.ActivateHint(QRect(QPoint(avail.left() + 10, avail.bottom() - 3), QSize(1, 1)), plain);
    EXPECT_EQ(w.geometry().y() + w.geometry().height(), avail.y() + avail.height() - 2);
    // A wide-encoded hint is decoded and measured on one line with padding 8.
    const QString decoded = QStringLiteral("Жук 日本 one line");
    w.ActivateHint(QRect(avail.topLeft() + QPoint(10, 10), QSize(1, 1)), EncodeWideText(decoded));
    EXPECT_EQ(w.WideCaption(), decoded);
    const QFontMetrics fm(w.font());
    EXPECT_EQ(w.TextHeight(), fm.height());
    EXPECT_EQ(w.geometry().width(), w.TextWidth() + 8);
    EXPECT_EQ(w.geometry().height(), fm.height() + 4);
    // The paint shows text in the window colour's box.
    const QImage shot = w.grab().toImage();
    EXPECT_EQ(shot.pixelColor(shot.width() / 2, 1), plat::ToQColor(plat::clInfoBk));
}

TEST(ExGridHTMLHint, UseHTMLHintsServesEveryWidgetsToolTip) {
    Fixture a;
    Fixture b;
    QPushButton button("B", &a.form);
    button.setGeometry(490, 10, 25, 25);
    button.setToolTip("<B>bold</B> tip");
    button.show();
    auto ask = [&] {
        QHelpEvent e(QEvent::ToolTip, QPoint(5, 5), button.mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&button, &e);
        QApplication::processEvents();
    };
    a.g->SetUseHTMLHints(true);
    EXPECT_TRUE(a.g->UseHTMLHints());
    ask();
    ASSERT_NE(ApplicationHintWindow(), nullptr);
    EXPECT_TRUE(ApplicationHintWindow()->isVisible());
    EXPECT_EQ(ApplicationHintWindow()->Text(), "<B>bold</B> tip");
    EXPECT_FALSE(QToolTip::isVisible());
    // The other grid switching it off returns every widget to the plain tool tip.
    b.g->SetUseHTMLHints(false);
    EXPECT_FALSE(ApplicationHintWindow()->isVisible());
    ask();
    EXPECT_FALSE(ApplicationHintWindow()->isVisible());
    EXPECT_EQ(QToolTip::text(), "<B>bold</B> tip");
    QToolTip::hideText();
}

// A rich-text cell edited with sub- and superscript, and an HTML hint at the screen's right edge,
// saved as the screen shows them.
TEST(ExGridRichEditor, Screenshot) {
    const QByteArray dir = qgetenv("SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set SCREENSHOT_DIR to save a picture of the rich-text editor";
    const QString folder = QString::fromLocal8Bit(dir);
    Fixture f;
    f.form.setWindowTitle("Rich-text cells");
    f.g->SetColWidths(2, 260);
    f.g->SetDefaultRowHeight(30);
    f.g->SetCells(1, 1, "plain");
    f.g->SetCells(2, 1, rtfOf("{\\b Bold} {\\i italic} {\\colortbl;\\red200\\green0\\blue0;}\\cf1 red\\cf0  H{\\dn4 2}O x{\\up4 2}"));
    f.g->SizeWhileTyping().SetHeight(true);
    TExRichEdit* re = f.openRich(1);
    ASSERT_TRUE(re->isVisible());
    f.key(Qt::Key_End);
    f.type(" CO");
    re->SelSubscript();
    f.type("2");
    re->SelNormal();
    f.type(" m");
    re->SelSuperscript();
    f.type("3");
    re->SelNormal();
    f.key(Qt::Key_Return, Qt::ShiftModifier);
    f.type("second line");
    QApplication::processEvents();
    QScreen* screen = f.form.screen();
    EXPECT_TRUE(screen->grabWindow(0).save(folder + "/rich-editing.png"));
    f.key(Qt::Key_Return);
    f.g->SetCells(2, 3, f.g->Cells(2, 1));
    QApplication::processEvents();
    // The hint at the screen's right edge.
    const QRect avail = screen->availableGeometry();
    f.g->SetUseHTMLHints(true);
    ShowApplicationHint(QPoint(avail.right() - 30, f.form.geometry().bottom() + 20),
                        "<B>Pump 3</B> <FONT COLOR=\"clRed\">alarm</FONT><BR>flow 12.5 m3/h", f.g);
    QApplication::processEvents();
    EXPECT_TRUE(screen->grabWindow(0).save(folder + "/rich-stored-and-hint.png"));
    f.g->SetUseHTMLHints(false);
}
