// The editor link as a user meets it: a line edit of the test's own edits the edCustom cells in the
// cell or on the link's pop-up window, and its keys end the edit and move on as the grid does.
#include "grid/ExCGrid.h"
#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"
#include "tests/support/EventWait.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

class LineLink;

// Hands its key-downs to the link, as a descendant's control does; a key the link took goes no
// further.
class LinkEdit : public QLineEdit {
public:
    LinkEdit(TEditLink* Link, QWidget* Parent) : QLineEdit(Parent), link_(Link) {}

protected:
    void keyPressEvent(QKeyEvent* e) override {
        const plat::TKeyInfo info = plat::KeyFromEvent(*e);
        uint16_t key = info.Key;
        if (link_) link_->EditKeyDown(this, key, info.Shift);
        if (info.Key != 0 && key == 0) {
            e->accept();
            return;
        }
        QLineEdit::keyPressEvent(e);
    }

private:
    QPointer<TEditLink> link_;
};

// A link over a line edit that records the calls the grid makes.
class LineLink : public TEditLink {
public:
    using TEditLink::TEditLink;
    QPointer<LinkEdit> edit;
    std::vector<std::string> calls;
    QWidget* parentGiven = nullptr;

    QWidget* GetEditControl() override { return edit; }
    void CreateEditor(QWidget* AParent) override {
        calls.push_back("CreateEditor");
        parentGiven = AParent;
        if (!edit || edit->parentWidget() != AParent) edit = new LinkEdit(this, AParent);
    }
    // Called from inside the control's own key handling: the control goes once that is over.
    void DestroyEditor() override {
        calls.push_back("DestroyEditor");
        if (edit) edit->deleteLater();
    }
    void SetRect(const plat::TRect& R) override {
        calls.push_back("SetRect");
        TEditLink::SetRect(R);
    }
    void SetVisible(bool Value) override {
        calls.push_back(Value ? "SetVisible" : "Hide");
        TEditLink::SetVisible(Value);
    }
    void SetCellProps(plat::TColor, const plat::TFont&) override { calls.push_back("SetCellProps"); }
    void SetProperties() override { calls.push_back("SetProperties"); }
    void SetFocus(bool Value) override {
        calls.push_back("SetFocus");
        TEditLink::SetFocus(Value);
    }
    QString GetEditorValue() override { return edit ? edit->text() : QString(); }
    void SetEditorValue(const QString& S) override {
        calls.push_back("SetEditorValue");
        if (edit) edit->setText(S);
    }
    bool shown() const { return edit && edit->isVisible(); }
};

// A 4 x 5 grid with one fixed row and column in an active window, editing on; columns 1 and 2
// are edited through the link.
struct LinkGrid {
    QWidget host;
    TExStringGrid* g;
    LineLink link;

    explicit LinkGrid(TExStringGrid* Grid = nullptr) {
        host.resize(520, 260);
        g = Grid ? Grid : new TExStringGrid;
        g->setParent(&host);
        g->setGeometry(0, 0, 480, 200);
        auto* ok = new QPushButton("OK", &host);
        ok->setGeometry(0, 220, 80, 30);
        g->SetColCount(4);
        g->SetRowCount(5);
        g->SetFixedCols(1);
        g->SetFixedRows(1);
        plat::TGridOptions o = g->Options();
        o.include(plat::goEditing);
        g->SetOptions(o);
        if (!Grid)
            g->OnGetEditorType = [](QObject*, int ACol, int, TEditorType& E) {
                if (ACol == 1 || ACol == 2) E = edCustom;
            };
        g->SetEditLink(&link);
        host.show();
        host.activateWindow();
        EXPECT_TRUE(testing_support::waitForWindowActive(&host));
        g->setFocus();
        QApplication::processEvents();
    }
    ~LinkGrid() {
        // The grid goes first, its open edit with it; the link after.
        delete g;
    }
    void setOption(plat::TGridOption O, bool On) {
        plat::TGridOptions o = g->Options();
        On ? o.include(O) : o.exclude(O);
        g->SetOptions(o);
    }
    // Opens the edit on a cell with F2.
    void open(int ACol, int ARow, const QString& Text) {
        g->SetCells(ACol, ARow, Text);
        g->FocusCell(ACol, ARow);
        g->setFocus();
        QApplication::processEvents();
        key(Qt::Key_F2);
    }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        QTest::keyClick(w, Qt::Key(k), m);
        QApplication::processEvents();
    }
    void type(const QString& s) {
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        QTest::keyClicks(w, s);
        QApplication::processEvents();
    }
    bool editing() const { return g->EditMode() && link.shown(); }
};

}  // namespace

TEST(ExEditLink, StartsInTheGridsOrderOnTheCellLessTheGridLine) {
    LinkGrid t;
    t.g->SetBaseGridLineWidth(2);
    bool propsAsked = false;
    t.g->OnGetEditorProp = [&](QObject*, int ACol, int ARow, TEditLink* L) {
        propsAsked = true;
        EXPECT_EQ(L, &t.link);
        EXPECT_EQ(ACol, 2);
        EXPECT_EQ(ARow, 3);
        t.link.calls.push_back("GetEditorProp");
    };
    t.open(2, 3, "old");
    ASSERT_TRUE(propsAsked);
    const std::vector<std::string> order{"CreateEditor", "SetRect",       "SetVisible", "SetCellProps",
                                         "SetProperties", "GetEditorProp", "SetEditorValue", "SetFocus"};
    EXPECT_EQ(t.link.calls, order);
    EXPECT_EQ(t.link.Grid(), t.g);
    EXPECT_EQ(t.link.EditCell, QPoint(2, 3));
    EXPECT_EQ(t.link.parentGiven, t.g->viewport());
    EXPECT_EQ(t.link.GetParent(), t.g->viewport());
    const QRect cell = t.g->CellRect(2, 3).toQRect();
    EXPECT_EQ(t.link.edit->geometry(), QRect(cell.topLeft(), cell.size() - QSize(2, 2)));
    EXPECT_TRUE(t.link.edit->hasFocus());
    EXPECT_EQ(t.link.edit->text(), "old");
    EXPECT_EQ(t.link.GetCellValue(), "old");
    EXPECT_EQ(t.g->EditCtrl(), t.link.edit.data());
    EXPECT_TRUE(t.link.SubClassed());
    t.key(Qt::Key_Return);
    EXPECT_FALSE(t.link.SubClassed());
    EXPECT_FALSE(t.link.edit->isVisible());
    EXPECT_EQ(t.g->EditCtrl(), nullptr);
}

TEST(ExEditLink, TheCharacterThatStartsTheEditReachesTheControl) {
    LinkGrid t;
    t.g->SetCells(1, 1, "old");
    t.g->FocusCell(1, 1);
    t.g->setFocus();
    QApplication::processEvents();
    t.type("x");
    ASSERT_TRUE(t.editing());
    EXPECT_TRUE(t.link.edit->text().endsWith("x")) << t.link.edit->text().toStdString();
    t.type("y");
    EXPECT_TRUE(t.link.edit->text().endsWith("xy"));
}

TEST(ExEditLink, KeyProtocol) {
    struct Case {
        const char* name;
        std::function<void(LinkGrid&)> setUp;
        int key;
        Qt::KeyboardModifiers mods;
        bool stillEditing;
        QString cellText;  // of cell (1, 1) afterwards
        QPoint current;
        bool openAt;  // the link has opened again at the current cell once the queued keys came
    };
    const auto none = [](LinkGrid&) {};
    const std::vector<Case> cases{
        {"DownKeptWithWantKeyUpDown", [](LinkGrid& t) { t.link.WantKeyUpDown = true; }, Qt::Key_Down, {}, true,
         "old", {1, 1}, true},
        {"UpKeptWithWantKeyUpDown", [](LinkGrid& t) { t.link.WantKeyUpDown = true; }, Qt::Key_Up, {}, true, "old",
         {1, 1}, true},
        {"DownEndsAndMoves", none, Qt::Key_Down, {}, false, "oldx", {1, 2}, false},
        {"LeftKeptWithWantKeyLeftRight", [](LinkGrid& t) { t.link.WantKeyLeftRight = true; }, Qt::Key_Left, {}, true,
         "old", {1, 1}, true},
        {"RightEndsAndMoves", none, Qt::Key_Right, {}, false, "oldx", {2, 1}, false},
        {"HomeEndsWithoutWantKeyHomeEnd", none, Qt::Key_Home, {}, false, "oldx", {1, 1}, false},
        {"HomeKeptWithWantKeyHomeEnd", [](LinkGrid& t) { t.link.WantKeyHomeEnd = true; }, Qt::Key_Home, {}, true,
         "old", {1, 1}, true},
        {"PageDownEnds", none, Qt::Key_PageDown, {}, false, "oldx", {1, 1}, false},
        {"EscapeLeavesTheOldText", none, Qt::Key_Escape, {}, false, "old", {1, 1}, false},
        {"EscapeKeptWithWantKeyEscape", [](LinkGrid& t) { t.link.WantKeyEscape = true; }, Qt::Key_Escape, {}, true,
         "old", {1, 1}, true},
        {"EnterEnds", none, Qt::Key_Return, {}, false, "oldx", {1, 1}, false},
        {"EnterAdvancesWithAdvanceOnEnter", [](LinkGrid& t) { t.g->Navigation().SetAdvanceOnEnter(true); },
         Qt::Key_Return, {}, false, "oldx", {2, 1}, false},
        {"EnterKeptWithWantKeyReturn", [](LinkGrid& t) { t.link.WantKeyReturn = true; }, Qt::Key_Return, {}, true,
         "old", {1, 1}, true},
        {"AltWithALetterEnds", none, Qt::Key_X, Qt::AltModifier, false, "oldx", {1, 1}, false},
        {"TabWithTabToNextAtEndOpensTheNextCell",
         [](LinkGrid& t) {
             t.setOption(plat::goTabs, true);
             t.g->Navigation().SetTabToNextAtEnd(true);
         },
         Qt::Key_Tab, {}, false, "oldx", {2, 1}, true},
        {"TabWithGoTabsOpensTheNextCell", [](LinkGrid& t) { t.setOption(plat::goTabs, true); }, Qt::Key_Tab, {},
         false, "oldx", {2, 1}, true},
        {"TabKeptWithWantTabs",
         [](LinkGrid& t) {
             t.setOption(plat::goTabs, true);
             t.link.WantTabs = true;
         },
         Qt::Key_Tab, {}, true, "old", {1, 1}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkGrid t;
        c.setUp(t);
        t.open(1, 1, "old");
        ASSERT_TRUE(t.editing());
        t.type("x");
        t.key(c.key, c.mods);
        if (c.stillEditing) {
            EXPECT_TRUE(t.editing());
            EXPECT_TRUE(t.link.edit->hasFocus());
            EXPECT_EQ(t.link.edit->text(), "oldx");
        }
        EXPECT_EQ(t.g->Cells(1, 1), c.cellText);
        EXPECT_EQ(QPoint(t.g->Col(), t.g->Row()), c.current);
        // What was posted (the F2 of a Tab) has arrived.
        QApplication::processEvents();
        EXPECT_EQ(t.editing(), c.openAt);
        if (c.openAt) EXPECT_EQ(t.link.EditCell, c.current);
        if (!c.openAt) EXPECT_TRUE(t.g->viewport()->hasFocus());
    }
}

TEST(ExEditLink, ARefusedValueReopensTheLinkOnItsCell) {
    struct Case {
        const char* name;
        int key;
        std::function<void(LinkGrid&)> setUp;
    };
    const std::vector<Case> cases{
        {"Enter", Qt::Key_Return, [](LinkGrid& t) { t.g->Navigation().SetAdvanceOnEnter(true); }},
        {"TabToNextAtEnd", Qt::Key_Tab,
         [](LinkGrid& t) {
             t.setOption(plat::goTabs, true);
             t.g->Navigation().SetTabToNextAtEnd(true);
         }},
        {"TabWithGoTabs", Qt::Key_Tab, [](LinkGrid& t) { t.setOption(plat::goTabs, true); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkGrid t;
        c.setUp(t);
        int refused = 0;
        t.g->OnCellValidate = [&](QObject*, int, int, QString& Value, bool& Valid) {
            if (Value == "bad") {
                Valid = false;
                ++refused;
            }
        };
        t.open(1, 1, "ok");
        t.link.edit->clear();
        t.type("bad");
        t.key(c.key);
        QApplication::processEvents();
        EXPECT_EQ(refused, 1);
        EXPECT_EQ(QPoint(t.g->Col(), t.g->Row()), QPoint(1, 1));
        ASSERT_TRUE(t.editing());
        EXPECT_EQ(t.link.EditCell, QPoint(1, 1));
        EXPECT_TRUE(t.link.edit->hasFocus());
        // Put right, the value goes through and the cursor moves on.
        t.link.edit->clear();
        t.type("good");
        t.key(c.key);
        QApplication::processEvents();
        EXPECT_EQ(t.g->Cells(1, 1), "good");
        EXPECT_EQ(QPoint(t.g->Col(), t.g->Row()), QPoint(2, 1));
    }
}

TEST(ExEditLink, PopupSitsUnderTheCellAndAGridKeyLeavesItsValue) {
    LinkGrid t;
    t.link.EditStyle = esPopup;
    t.link.AutoPopupWidth = true;
    t.link.PopupHeight = 60;
    t.g->SetColWidths(2, 90);
    t.open(2, 2, "old");
    QWidget* form = t.link.PopupForm();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->isWindow());
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    const QRect cell = t.g->CellRect(2, 2).toQRect();
    EXPECT_EQ(form->pos(), t.g->viewport()->mapToGlobal(cell.topLeft()));
    EXPECT_EQ(t.link.PopupWidth, cell.width());
    EXPECT_EQ(form->size(), QSize(cell.width(), 60));
    EXPECT_EQ(t.link.parentGiven, form);
    EXPECT_EQ(t.link.GetParent(), form);
    ASSERT_TRUE(t.link.edit);
    EXPECT_EQ(t.link.edit->parentWidget(), form);
    EXPECT_FALSE(t.link.SubClassed());
    EXPECT_TRUE(testing_support::processEventsUntil([&] { return form->isActiveWindow(); }));
    t.link.edit->setFocus();
    t.type("x");
    t.key(Qt::Key_Down);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(t.g->Cells(2, 2), "oldx");
    EXPECT_EQ(QPoint(t.g->Col(), t.g->Row()), QPoint(2, 3));
    EXPECT_FALSE(t.g->EditMode());
    // Reused at the next pop-up edit, at the place the link asks for.
    t.link.PopupLeft = 40;
    t.link.PopupTop = 50;
    t.key(Qt::Key_F2);
    EXPECT_EQ(t.link.PopupForm(), form);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->pos(), QPoint(40, 50));
}

TEST(ExEditLink, APopupThatLosesActivationWritesItsValue) {
    LinkGrid t;
    t.link.EditStyle = esPopup;
    t.link.PopupWidth = 80;
    t.link.PopupHeight = 30;
    t.open(1, 1, "old");
    QWidget* form = t.link.PopupForm();
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(testing_support::processEventsUntil([&] { return form->isActiveWindow(); }));
    t.link.edit->setText("new");
    t.host.activateWindow();
    ASSERT_TRUE(testing_support::waitForWindowActive(&t.host));
    EXPECT_TRUE(testing_support::processEventsUntil([&] { return !form->isVisible(); }));
    EXPECT_EQ(t.g->Cells(1, 1), "new");
    EXPECT_FALSE(t.g->EditMode());
}

TEST(ExEditLink, AColumnsLinkOpensInThatColumnOnly) {
    auto* cg = new TExColumnGrid;
    LinkGrid t(cg);
    t.g->SetEditLink(nullptr);
    cg->Columns().Items(1).SetEditor(edCustom);
    cg->Columns().Items(1).EditLink = &t.link;
    cg->Columns().Items(2).SetEditor(edCustom);
    t.open(1, 1, "one");
    ASSERT_TRUE(t.editing());
    EXPECT_EQ(t.link.EditCell, QPoint(1, 1));
    t.type("x");
    // Another column asked for its editor meanwhile (as the drop-down count and the combo items
    // do) puts its own, empty, link into the grid; the open edit ends through its own link.
    cg->GetCellEditor(3, 1);
    EXPECT_EQ(t.g->EditLink(), nullptr);
    t.key(Qt::Key_Return);
    EXPECT_EQ(t.g->Cells(1, 1), "onex");
    EXPECT_FALSE(t.link.shown());
    t.link.calls.clear();
    t.open(2, 1, "two");
    EXPECT_FALSE(t.link.shown());
    EXPECT_TRUE(t.link.calls.empty());
    EXPECT_EQ(t.g->EditLink(), nullptr);
    t.g->HideInplaceEdit();
    EXPECT_EQ(t.g->Cells(2, 1), "two");
    // Assign copies the link.
    cg->Columns().Items(3).Assign(cg->Columns().Items(1));
    EXPECT_EQ(cg->Columns().Items(3).EditLink.data(), &t.link);
}

TEST(ExEditLink, ADestroyedLinkIsClearedFromTheGridAndTheColumns) {
    for (const bool open : {false, true}) {
        SCOPED_TRACE(open ? "during an edit" : "between edits");
        auto* cg = new TExColumnGrid;
        LinkGrid t(cg);
        auto* gone = new LineLink;
        cg->Columns().Items(1).SetEditor(edCustom);
        cg->Columns().Items(1).EditLink = gone;
        cg->Columns().Items(2).EditLink = gone;
        cg->SetEditLink(gone);
        if (open) {
            t.open(1, 1, "one");
            ASSERT_TRUE(cg->EditMode());
            ASSERT_TRUE(gone->shown());
        }
        delete gone;
        EXPECT_EQ(cg->EditLink(), nullptr);
        EXPECT_TRUE(cg->Columns().Items(1).EditLink.isNull());
        EXPECT_TRUE(cg->Columns().Items(2).EditLink.isNull());
        EXPECT_FALSE(cg->EditMode());
        EXPECT_EQ(cg->EditCtrl(), nullptr);
        // The grid goes on: a key moves it, F2 opens nothing in the link's column.
        cg->setFocus();
        QApplication::processEvents();
        t.key(Qt::Key_F2);
        t.key(Qt::Key_Down);
        EXPECT_EQ(cg->Row(), 2);
    }
}

TEST(ExEditLink, TwoGridsWithPopupLinksUsedInTurnAndDestroyedInEitherOrder) {
    // Which of the four goes first, second, third and last.
    const std::vector<std::vector<int>> orders{{0, 1, 2, 3}, {1, 0, 3, 2}, {2, 3, 0, 1}, {3, 2, 1, 0}, {0, 3, 1, 2}};
    for (const auto& order : orders) {
        SCOPED_TRACE(::testing::PrintToString(order));
        QWidget host;
        host.resize(600, 300);
        std::unique_ptr<TExStringGrid> grids[2];
        std::unique_ptr<LineLink> links[2];
        for (int i = 0; i < 2; ++i) {
            grids[i] = std::make_unique<TExStringGrid>(&host);
            grids[i]->setGeometry(i * 300, 0, 280, 200);
            grids[i]->SetColCount(3);
            grids[i]->SetRowCount(4);
            plat::TGridOptions o = grids[i]->Options();
            o.include(plat::goEditing);
            grids[i]->SetOptions(o);
            grids[i]->SetDefaultEditor(edCustom);
            links[i] = std::make_unique<LineLink>();
            links[i]->EditStyle = esPopup;
            links[i]->PopupWidth = 70;
            links[i]->PopupHeight = 25;
            grids[i]->SetEditLink(links[i].get());
        }
        host.show();
        host.activateWindow();
        ASSERT_TRUE(testing_support::waitForWindowActive(&host));
        for (int round = 0; round < 2; ++round) {
            for (int i = 0; i < 2; ++i) {
                TExStringGrid& g = *grids[i];
                g.FocusCell(1, 1);
                g.setFocus();
                QApplication::processEvents();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
                QApplication::processEvents();
                ASSERT_TRUE(links[i]->shown());
                links[i]->edit->setFocus();
                const QString value = QStringLiteral("g%1r%2").arg(i).arg(round);
                links[i]->edit->setText(value);
                QTest::keyClick(links[i]->edit, Qt::Key_Return);
                QApplication::processEvents();
                EXPECT_EQ(g.Cells(1, 1), value);
                EXPECT_FALSE(links[i]->PopupForm()->isVisible());
                host.activateWindow();
                ASSERT_TRUE(testing_support::waitForWindowActive(&host));
            }
        }
        EXPECT_NE(links[0]->PopupForm(), links[1]->PopupForm());
        // The second grid's last edit stays open while things go.
        grids[1]->setFocus();
        QApplication::processEvents();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
        QApplication::processEvents();
        for (int k : order) {
            if (k < 2)
                grids[k].reset();
            else
                links[k - 2].reset();
            QApplication::processEvents();
        }
    }
}
