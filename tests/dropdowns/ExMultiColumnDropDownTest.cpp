// The multi-column drop-down: completion from the lookup texts, Enter, Esc and the stepping keys,
// ItemIndex, the incremental search, short items, the looks, and the pop-up's sizes as arithmetic.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

#include "dropdowns/ExMultiColumnDropDown.h"
#include "dropdowns/MultiColumnSizing.h"

using namespace plat;
using namespace dropdowns;

namespace {

struct Multi {
    QWidget window;
    TExMultiColumnDropDown* edit;
    QLineEdit* next;
    explicit Multi(std::initializer_list<QStringList> items = {
                       {"Apple", "red"}, {"Apricot", "orange"}, {"Banana", "yellow"}}) {
        edit = TExCustomDropDown::CreateDropDown<TExMultiColumnDropDown>(&window);
        for (const QStringList& t : items) edit->Items().Add().SetText(t);
        edit->EndUpdate();
        edit->setGeometry(10, 10, 150, 22);
        next = new QLineEdit(&window);
        next->setGeometry(10, 40, 150, 22);
        window.resize(300, 100);
        window.show();
        QApplication::setActiveWindow(&window);
        edit->setFocus();
    }
    ~Multi() { delete edit; }
    void type(Qt::Key key) {
        QTest::keyClick(edit, key);
        QApplication::processEvents();
    }
    QString selected() const { return edit->TextRules().SelText(); }
};

}  // namespace

TEST(MultiColumnDropDown, TypingCompletesFromTheLookupTexts) {
    Multi m;
    m.type(Qt::Key_A);
    EXPECT_EQ(m.edit->Text(), "apple");
    EXPECT_EQ(m.selected(), "pple");
    EXPECT_EQ(m.edit->ItemIndex(), 0);
    m.type(Qt::Key_P);
    m.type(Qt::Key_R);
    EXPECT_EQ(m.edit->Text(), "apricot");
    EXPECT_EQ(m.selected(), "icot");
    EXPECT_EQ(m.edit->ItemIndex(), 1);
    m.type(Qt::Key_Backspace);
    EXPECT_EQ(m.edit->Text(), "apr") << "the tail goes and nothing completes";
    m.type(Qt::Key_I);
    EXPECT_EQ(m.edit->Text(), "apricot") << "the next key completes again";

    Multi c;
    c.edit->MatchCase = true;
    c.type(Qt::Key_A);
    EXPECT_EQ(c.edit->Text(), "a");
    EXPECT_EQ(c.edit->ItemIndex(), -1);

    // A character in the middle that matches nothing drops what followed the caret.
    Multi d;
    d.edit->SetText("Banana");
    d.type(Qt::Key_Right);
    d.type(Qt::Key_Right);
    d.type(Qt::Key_X);
    EXPECT_EQ(d.edit->Text(), "Bax");

    Multi l({{"L" + QString(300, QChar('o'))}});
    l.type(Qt::Key_L);
    EXPECT_EQ(l.edit->Text().size(), 1 + 255) << "at most 255 more characters";
}

TEST(MultiColumnDropDown, EnterEscAndReturnIsTab) {
    Multi m;
    m.edit->SetText("APPLE");
    m.type(Qt::Key_End);
    m.type(Qt::Key_Return);
    EXPECT_EQ(m.edit->Text(), "Apple") << "the entry's own case";
    EXPECT_EQ(m.edit->ItemIndex(), 0);

    m.edit->SetText("banana");
    m.type(Qt::Key_Escape);
    EXPECT_EQ(m.edit->ItemIndex(), 2) << "Esc takes the item of the text in any case";
    EXPECT_EQ(m.edit->Text(), "Banana");

    Multi t;
    t.edit->ReturnIsTab = true;
    int enters = 0;
    t.edit->OnKeyPress = [&](QObject*, QChar& c) { enters += c == QChar(13); };
    t.edit->SetText("apricot");
    t.type(Qt::Key_End);
    t.type(Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(t.edit->ItemIndex(), 1);
    EXPECT_TRUE(t.next->hasFocus()) << "Enter moves on like Tab";
    EXPECT_EQ(enters, 0) << "no Enter reaches the edit";
}

TEST(MultiColumnDropDown, ItemIndexAndStepping) {
    Multi m({{"a"}, {"b"}, {"c"}, {"d"}, {"e"}});
    m.edit->SetItemIndex(5);
    EXPECT_EQ(m.edit->ItemIndex(), -1) << "beyond the items: nothing";
    m.type(Qt::Key_Down);
    EXPECT_EQ(m.edit->ItemIndex(), 0);
    EXPECT_EQ(m.edit->Text(), "a");
    m.type(Qt::Key_PageDown);
    EXPECT_EQ(m.edit->ItemIndex(), 4) << "10 on, held at the last";
    m.type(Qt::Key_Down);
    EXPECT_EQ(m.edit->ItemIndex(), 4);
    m.type(Qt::Key_PageUp);
    EXPECT_EQ(m.edit->ItemIndex(), 0);
    m.type(Qt::Key_Up);
    EXPECT_EQ(m.edit->ItemIndex(), 0);
    m.type(Qt::Key_End);
    EXPECT_EQ(m.edit->ItemIndex(), 0) << "Home and End step only with the editor disabled";
    m.edit->SetEditorEnabled(false);
    m.type(Qt::Key_End);
    EXPECT_EQ(m.edit->ItemIndex(), 4);
    m.type(Qt::Key_Home);
    EXPECT_EQ(m.edit->ItemIndex(), 0);
    QWheelEvent wheel(QPointF(5, 5), m.edit->mapToGlobal(QPointF(5, 5)), {}, {0, -120}, Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(m.edit, &wheel);
    EXPECT_EQ(m.edit->ItemIndex(), 1) << "the wheel steps like Down";

    m.edit->SetItemIndex(-1);
    EXPECT_EQ(m.edit->Text(), QString());

    // The modified state follows the text: set by a non-empty text, cleared by an empty one (no
    // items: nothing completes and rewrites the text).
    Multi e({});
    e.type(Qt::Key_X);
    EXPECT_TRUE(e.edit->GetModifiedState());
    e.type(Qt::Key_Backspace);
    EXPECT_EQ(e.edit->Text(), QString());
    EXPECT_FALSE(e.edit->GetModifiedState());
}

TEST(MultiColumnDropDown, ShortItemsAndANegativeLookupColumn) {
    Multi m({{"one"}, {"two", "zwei"}, {"three", "drei"}});
    m.edit->SetLookupColumn(1);
    m.edit->EndUpdate();
    EXPECT_EQ(m.edit->LookupItems(), QStringList({"", "zwei", "drei"}));
    EXPECT_EQ(m.edit->GetItemIndex("drei"), 2);
    EXPECT_EQ(m.edit->GetItemIndex(""), 0) << "a missing entry is the empty text";
    EXPECT_EQ(m.edit->GetItemIndex("x"), -1);
    m.edit->SetItemIndex(1);
    EXPECT_EQ(m.edit->Text(), "zwei");
    m.edit->SetItemIndex(0);
    EXPECT_EQ(m.edit->Text(), QString()) << "no entry at the lookup column";
    EXPECT_EQ(m.edit->ItemIndex(), 0);
    QString found;
    int row = 7;
    EXPECT_TRUE(m.edit->FindPrefixMatch("DR", found, row));
    EXPECT_EQ(found, "drei");
    EXPECT_EQ(row, 2);
    EXPECT_FALSE(m.edit->FindPrefixMatch("o", found, row)) << "the short item has no text to match";
    EXPECT_EQ(row, -1);
    EXPECT_TRUE(found.isEmpty());
    EXPECT_EQ(m.edit->Items().IndexInColumn(1, "zwei"), 1);
    EXPECT_EQ(m.edit->Items().IndexInColumn(5, "zwei"), -1);

    // The incremental search walks the same texts: the short item is skipped without an error.
    m.edit->LookupKey('o', {});
    EXPECT_EQ(m.edit->ItemIndex(), 0) << "nothing found, nothing moved";
    m.edit->LookupKey('z', {});
    EXPECT_EQ(m.edit->ItemIndex(), 1);

    m.edit->SetLookupColumn(-1);
    EXPECT_EQ(m.edit->GetItemIndex(""), -1);
    EXPECT_FALSE(m.edit->FindPrefixMatch("d", found, row));
    m.edit->SetItemIndex(1);
    EXPECT_EQ(m.edit->Text(), QString());
}

TEST(MultiColumnDropDown, IncrementalSearch) {
    Multi m({{"Alpha"}, {"Beta"}, {"Betamax"}, {"Gamma"}});
    m.edit->LookupKey('b', {});
    EXPECT_EQ(m.edit->ItemIndex(), 1);
    EXPECT_EQ(m.edit->Text(), "Beta");
    EXPECT_EQ(m.selected(), "eta");
    for (QChar c : QString("etam")) m.edit->LookupKey(c, {});
    EXPECT_EQ(m.edit->ItemIndex(), 2);
    EXPECT_EQ(m.edit->LookupEntry(), "betam");
    m.edit->LookupKey('g', {});
    EXPECT_EQ(m.edit->ItemIndex(), 3) << "no match for the entry: the character alone";
    EXPECT_EQ(m.edit->LookupEntry(), "g");
    m.edit->LookupKey('z', {});
    EXPECT_EQ(m.edit->ItemIndex(), 3);
    EXPECT_EQ(m.edit->LookupEntry(), QString()) << "nothing found clears the entry";
    m.edit->LookupKey('a', {});
    m.edit->LookupKey(QChar(13), {});
    EXPECT_EQ(m.edit->LookupEntry(), QString());
    m.edit->CaseSensitive = true;
    m.edit->LookupKey('b', {});
    EXPECT_EQ(m.edit->LookupEntry(), QString()) << "case counts";
}

TEST(MultiColumnDropDown, IncrementalSearchReadsTheItemsAsTheyAreNow) {
    // Items added with no EndUpdate after them are found; items cleared are not.
    Multi m(std::initializer_list<QStringList>{});
    for (const char* t : {"Alpha", "Beta", "Gamma"}) m.edit->Items().Add().SetText({t});
    m.edit->LookupKey('b', {});
    EXPECT_EQ(m.edit->ItemIndex(), 1);
    EXPECT_EQ(m.edit->Text(), "Beta");
    m.edit->Items().Clear();
    m.edit->Items().Add().SetText({"Zulu"});
    m.edit->LookupKey(QChar(13), {});
    m.edit->LookupKey('g', {});
    EXPECT_EQ(m.edit->ItemIndex(), 1) << "nothing found, nothing moved";
    EXPECT_EQ(m.edit->Text(), "Beta");
    m.edit->LookupKey('z', {});
    EXPECT_EQ(m.edit->ItemIndex(), 0);
    EXPECT_EQ(m.edit->Text(), "Zulu");
    // An item's text changed in place is read as it is now.
    m.edit->Items().Items(0).Text()[0] = QStringLiteral("Yankee");
    m.edit->LookupKey(QChar(13), {});
    m.edit->LookupKey('y', {});
    EXPECT_EQ(m.edit->Text(), "Yankee");
}

TEST(MultiColumnDropDown, LooksAndAssign) {
    Multi m;
    EXPECT_EQ(m.edit->HeaderFont().Color(), 0x723708u) << "the starting look colours the header font";
    EXPECT_EQ(m.edit->HeaderColor, clWhite);
    EXPECT_EQ(m.edit->HeaderColorTo, 0x808080u);
    EXPECT_EQ(m.edit->LineColor, 0xF1EDEBu);
    EXPECT_EQ(m.edit->FixedLineColor, 0xD1BBA4u);
    EXPECT_EQ(m.edit->DropDownColor(), clWhite);
    EXPECT_EQ(m.edit->DropDownHeight(), 200);

    m.edit->SetComponentStyle(tsWindows7);
    EXPECT_EQ(m.edit->HeaderColor, 0xFDFBFAu);
    EXPECT_EQ(m.edit->LineColor, 0xFBD6B8u) << "the table's lines win over the selection style's";
    EXPECT_EQ(m.edit->FixedLineColor, 0xFBD6B8u);
    EXPECT_EQ(m.edit->SelectionColor, 0xFCEBDCu);
    m.edit->SetComponentStyle(tsOffice2010Black);
    EXPECT_EQ(m.edit->HeaderColorTo, clNone);
    EXPECT_EQ(m.edit->SelectionColor, 0x6CD0FFu);
    EXPECT_EQ(m.edit->SelectionColorTo, 0x6CD0FFu);
    EXPECT_EQ(m.edit->SelectionColorStyle(), scCustom);
    EXPECT_EQ(m.edit->HeaderFont().Color(), 0xD7D7D6u);
    m.edit->SetComponentStyle(tsOffice2003Silver);
    EXPECT_EQ(m.edit->HeaderFont().Color(), 0xD7D7D6u) << "left as it was";

    m.edit->HeaderFont().SetName("Courier");
    m.edit->SetItemIndex(2);
    std::unique_ptr<TExMultiColumnDropDown> copy(TExCustomDropDown::CreateDropDown<TExMultiColumnDropDown>());
    copy->Assign(*m.edit);
    EXPECT_EQ(copy->Items().Count(), 3);
    EXPECT_EQ(copy->Items().Items(2).Text(), QStringList({"Banana", "yellow"}));
    EXPECT_EQ(copy->HeaderFont().Name(), "Courier");
    EXPECT_EQ(copy->ItemIndex(), 2);
    EXPECT_EQ(copy->Text(), QString()) << "the index is copied without the text";
}

TEST(MultiColumnSizing, GridWidthHeightAndScaling) {
    EXPECT_EQ(MultiColumnGridWidth({80, 60, 40}, 1, false, 17), 182);
    EXPECT_EQ(MultiColumnGridWidth({80, 60, 40}, 1, true, 17), 199);
    EXPECT_EQ(MultiColumnGridWidth({}, 0, false, 17), 0);

    struct Case {
        int height, bars, header, row, expected;
    } cases[] = {
        {200, 0, 25, 22, 181},   // 25 + 2 + 7 x 22
        {200, 40, 25, 22, 199},  // bars count in the fixed part
        {27, 0, 25, 22, 27},     // no room for a row
        {200, 0, 25, 0, 200},    // no row height: not snapped
        {200, 0, 25, -5, 200},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SnapDropDownHeight(c.height, c.bars, c.header, c.row), c.expected) << c.height << "/" << c.row;

    EXPECT_EQ(ScaleColumnWidths({100, 100}, 300), (std::vector<int>{149, 149}));
    EXPECT_EQ(ScaleColumnWidths({}, 300), std::vector<int>{});
    // The carried remainder gives a column one more pixel once it passes 1.
    const std::vector<int> w = ScaleColumnWidths({10, 10, 10, 10, 10, 10, 10}, 100);
    EXPECT_EQ(w, (std::vector<int>{14, 14, 14, 14, 14, 14, 14}));
    const std::vector<int> v = ScaleColumnWidths({33, 33, 33}, 200);
    int sum = 0;
    for (int x : v) sum += x;
    EXPECT_LE(std::abs(sum - 198), 1) << "the widths add up to the scaled total";
}

namespace {

struct Popup : Multi {
    using Multi::Multi;
    int selects = 0;
    void open() {
        edit->OnSelect = [this](QObject*) { ++selects; };
        // The main window's activation is settled first: arriving later it would close the pop-up.
        QApplication::processEvents();
        QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier);
        QApplication::processEvents();
    }
    bool isOpen() const { return edit->DroppedDown() && edit->DropDownForm()->isVisible(); }
    TExColGrid& grid() const { return *edit->Grid(); }
    QPoint rowCentre(int row) const {
        const TRect r = grid().CellRect(0, row);
        return QPoint(r.Left + 3, (r.Top + r.Bottom) / 2);
    }
};

}  // namespace

TEST(MultiColumnPopup, FillAndSizes) {
    Popup none({});
    none.open();
    ASSERT_TRUE(none.isOpen());
    EXPECT_EQ(none.grid().RowCount(), 1);
    EXPECT_EQ(none.grid().FixedRows(), 0) << "the header row becomes an ordinary row";

    Popup one({{"only"}});
    one.open();
    EXPECT_EQ(one.grid().RowCount(), 2);
    EXPECT_EQ(one.grid().FixedRows(), 1);
    EXPECT_EQ(one.grid().Row(), 1);

    Popup w;
    w.edit->DropDownHeader().SetVisible(false);
    w.edit->DropDownFooter().SetVisible(false);
    for (int width : {80, 60, 40}) w.edit->Columns().Add().Width = width;
    w.open();
    ASSERT_TRUE(w.isOpen());
    EXPECT_EQ(w.edit->DropDownForm()->width(), 180 + 2 * 0 + 2 * w.edit->DropDownBorderWidth) << "no grid border";
    EXPECT_EQ(w.edit->DropDownForm()->height(), 181) << "25 + 2 + 7 x 22";

    Popup a({});
    a.edit->ColumnSizeWithDropDown = false;
    a.edit->Columns().Add().AutoSize = true;
    a.open();
    EXPECT_EQ(a.grid().ColWidths(0), 0) << "an auto-size column without items";

    Popup wrap({{"a long text that wraps over more than one line of the column"}, {"b"}});
    wrap.edit->DropDownRowHeight = 10;
    TDropDownColumn& c = wrap.edit->Columns().Add();
    c.Wordwrap = true;
    c.Width = 60;
    wrap.open();
    EXPECT_GE(wrap.grid().RowHeights(2), 24);
    EXPECT_GT(wrap.grid().RowHeights(1), wrap.grid().RowHeights(2));

    Popup zero;
    zero.edit->DropDownRowHeight = 0;
    zero.open();
    EXPECT_TRUE(zero.isOpen()) << "no row height: the height is not snapped";
}

TEST(MultiColumnPopup, ChoosingARow) {
    Popup p;
    p.edit->Columns().Add();
    p.open();
    ASSERT_TRUE(p.isOpen());
    QTest::mouseClick(p.grid().viewport(), Qt::LeftButton, {}, p.rowCentre(2));
    QApplication::processEvents();
    EXPECT_FALSE(p.isOpen());
    EXPECT_EQ(p.edit->ItemIndex(), 1);
    EXPECT_EQ(p.edit->Text(), "Apricot");
    EXPECT_EQ(p.selects, 1);

    // The wheel moves the row without choosing; a close that is not a cancel keeps the item.
    p.open();
    ASSERT_TRUE(p.isOpen());
    QWheelEvent wheel(QPointF(p.rowCentre(1)), p.grid().viewport()->mapToGlobal(QPointF(p.rowCentre(1))), {}, {0, -120},
                      Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(p.grid().viewport(), &wheel);
    EXPECT_FALSE(p.grid().ConfirmSelection());
    EXPECT_NE(p.grid().Row(), 2) << "the wheel moved the row";
    QTest::mouseClick(&p.window, Qt::LeftButton, {}, QPoint(250, 80));  // outside the pop-up
    QApplication::processEvents();
    EXPECT_FALSE(p.isOpen());
    EXPECT_EQ(p.edit->ItemIndex(), 1);
    EXPECT_EQ(p.edit->Text(), "Apricot");

    // Tab does nothing; keys move the row live; Esc restores the item of the opening.
    p.open();
    ASSERT_TRUE(p.isOpen());
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(p.grid().viewport(), Qt::Key_Tab);
    EXPECT_TRUE(p.isOpen());
    EXPECT_EQ(QApplication::focusWidget(), focus);
    QTest::keyClick(p.grid().viewport(), Qt::Key_Down);
    EXPECT_EQ(p.edit->ItemIndex(), 2);
    EXPECT_EQ(p.edit->Text(), "Banana");
    QTest::keyClick(p.grid().viewport(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(p.isOpen());
    EXPECT_EQ(p.edit->ItemIndex(), 1);
    EXPECT_EQ(p.edit->Text(), "Apricot");

    // Enter takes the current row.
    p.open();
    QTest::keyClick(p.grid().viewport(), Qt::Key_Up);
    QTest::keyClick(p.grid().viewport(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_FALSE(p.isOpen());
    EXPECT_EQ(p.edit->ItemIndex(), 0);
}

TEST(MultiColumnPopup, CellsDrawThemselves) {
    Popup p;
    for (int i = 0; i < 2; ++i) p.edit->Columns().Add().Width = 80;
    p.edit->Columns().Items(0).Color = clLime;
    p.edit->HeaderColor = clRed;
    p.edit->HeaderColorTo = clBlue;
    p.edit->LineColor = RGB(0, 0, 128);
    p.edit->SetSelectionColorStyle(scCustom);
    p.edit->SelectionColor = clYellow;
    std::vector<std::pair<int, int>> asked;
    p.edit->OnDropDownGetItemText = [&](QObject* sender, int col, int row, QString& text) {
        EXPECT_EQ(sender, p.edit);
        asked.emplace_back(col, row);
        if (col == 1 && row == 2) text.clear();
    };
    p.open();
    ASSERT_TRUE(p.isOpen());
    const QImage img = p.grid().viewport()->grab().toImage();
    auto at = [&](int x, int y) { return FromQRgb(img.pixel(x, y)); };
    auto cell = [&](int col, int row) { return p.grid().CellRect(col, row); };
    auto ink = [&](const TRect& r) {
        int n = 0;
        for (int y = r.Top + 2; y < r.Bottom - 2; ++y)
            for (int x = r.Left + 2; x < r.Right - 2; ++x) n += qGray(img.pixel(x, y)) < 100;
        return n;
    };

    // The header runs its gradient from the top colour down to the bottom one.
    const TRect h = cell(0, 0);
    EXPECT_GT(GetRValue(at(h.Left + 5, h.Top)), 200);
    EXPECT_LT(GetBValue(at(h.Left + 5, h.Top)), 40);
    EXPECT_GT(GetBValue(at(h.Left + 5, h.Bottom - 3)), 200);
    EXPECT_LT(GetRValue(at(h.Left + 5, h.Bottom - 3)), 40);
    // A data cell in its column's colour with the line colour along its bottom.
    const TRect d = cell(0, 2);
    EXPECT_EQ(at(d.Right - 5, d.Top + 3), clLime);
    EXPECT_EQ(at(d.Left + 60, d.Bottom - 1), RGB(0, 0, 128));
    // The current row is drawn as the selection, in every cell.
    EXPECT_EQ(at(cell(0, 1).Right - 5, cell(0, 1).Top + 3), clYellow);
    EXPECT_EQ(at(cell(1, 1).Right - 5, cell(1, 1).Top + 3), clYellow);
    // The text event may change what a cell shows.
    EXPECT_NE(std::find(asked.begin(), asked.end(), std::make_pair(1, 2)), asked.end());
    EXPECT_EQ(ink(cell(1, 2)), 0) << "its text taken away";
    EXPECT_GT(ink(cell(1, 3)), 0) << "\"yellow\" written in the next row";
    p.edit->HideDropDown(false);

    // A drawing event replaces the whole drawing.
    Popup own;
    own.edit->Columns().Add().Width = 80;
    int texts = 0;
    own.edit->OnDropDownGetItemText = [&](QObject*, int, int, QString&) { ++texts; };
    own.edit->OnDropDownDrawItem = [&](QObject* sender, int, int, TCanvas& c, const TRect& r) {
        EXPECT_EQ(sender, own.edit);
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(clFuchsia);
        c.FillRect(r);
    };
    own.open();
    ASSERT_TRUE(own.isOpen());
    const QImage mine = own.grid().viewport()->grab().toImage();
    const TRect any = own.grid().CellRect(0, 2);
    EXPECT_EQ(FromQRgb(mine.pixel(any.Left + 3, any.Top + 3)), clFuchsia);
    EXPECT_EQ(texts, 0) << "nothing else of the cell is drawn";
}
