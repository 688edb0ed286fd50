// The header's column menu, built without showing it: its entries in display or collection order,
// the last visible column that cannot be hidden, entries the application leaves out or greys, the
// fit entry, choosing entries, and the automatic menu of a right click in the header.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMouseEvent>

#include "treeview/LTHeaderPopup.h"
#include "treeview/LazyTrees.h"

using enum TLTColumnOption;
using enum TLTHeaderOption;
using enum TLTHeaderPopupOption;

namespace {

// Four columns A..D, C hidden, D moved to the front: display order D A B C.
struct MenuTree {
    TLazyStringTree tree;
    TLTHeaderPopupMenu menu{&tree};
    explicit MenuTree(int count = 4) {
        tree.resize(400, 200);
        auto& columns = tree.Header().Columns();
        for (int i = 0; i < count; ++i) {
            TLazyTreeColumn* c = columns.Add();
            c->SetText(QString(QChar(u'A' + i)));
            c->SetHint(QStringLiteral("hint %1").arg(i));
            c->SetWidth(60);
        }
        if (count == 4) {
            columns[2].SetOptions(columns[2].Options() - coVisible);
            columns[3].SetPosition(0);
        }
        tree.Header().SetOptions(tree.Header().Options() + hoVisible);
        menu.SetPopupComponent(&tree);
    }
    // The entries as "text" or "[x]text" when checked, "-" for a separator, "~" before a greyed one.
    QStringList Entries() {
        menu.BuildEntries();
        QStringList out;
        for (QAction* a : menu.actions()) {
            if (a->isSeparator()) {
                out << QStringLiteral("-");
                continue;
            }
            out << (a->isEnabled() ? QString() : QStringLiteral("~")) +
                       (a->isChecked() ? QStringLiteral("[x]") : QString()) + a->text();
        }
        return out;
    }
    QAction* Entry(const QString& text) {
        for (QAction* a : menu.actions())
            if (a->text() == text) return a;
        return nullptr;
    }
    TLazyTreeColumn& Col(int i) { return tree.Header().Columns()[i]; }
};

}  // namespace

TEST(LazyTreeHeaderMenu, EntriesInDisplayOrOriginalOrder) {
    MenuTree t;
    EXPECT_EQ(t.Entries(), (QStringList{"[x]D", "[x]A", "[x]B", "C"}));
    t.menu.SetOptions({poOriginalOrder});
    EXPECT_EQ(t.Entries(), (QStringList{"[x]A", "[x]B", "C", "[x]D"}));
    // Each entry carries its column, hint and check mark; building again replaces the entries.
    QAction* b = t.Entry(QStringLiteral("B"));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->data().toInt(), 1);
    EXPECT_EQ(b->toolTip(), QStringLiteral("hint 1"));
    EXPECT_TRUE(b->isCheckable());
    EXPECT_EQ(t.menu.actions().size(), 4);
    // A menu that is not for a tree keeps what it has.
    t.menu.SetPopupComponent(nullptr);
    t.menu.BuildEntries();
    EXPECT_EQ(t.menu.actions().size(), 4);
}

TEST(LazyTreeHeaderMenu, TheOnlyVisibleColumnCannotBeHidden) {
    struct Case {
        const char* name;
        std::vector<int> visible;
        TLTHeaderPopupOptions options;
        int hiddenByHandler;  // answered apHidden, -1 none
        QStringList expected;
    };
    const Case cases[] = {
        {"two visible", {0, 1}, {poOriginalOrder}, -1, {"[x]A", "[x]B", "C", "D"}},
        {"one visible: greyed", {1}, {poOriginalOrder}, -1, {"A", "~[x]B", "C", "D"}},
        {"one visible, hiding all allowed", {1}, {poOriginalOrder, poAllowHideAll}, -1, {"A", "[x]B", "C", "D"}},
        // A left-out column still counts as visible: the one shown may be hidden.
        {"the other visible one left out", {0, 1}, {poOriginalOrder}, 0, {"[x]B", "C", "D"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MenuTree t;
        for (int i = 0; i < 4; ++i) {
            const bool visible = std::find(c.visible.begin(), c.visible.end(), i) != c.visible.end();
            t.Col(i).SetOptions(visible ? t.Col(i).Options() + coVisible : t.Col(i).Options() - coVisible);
        }
        t.menu.SetOptions(c.options);
        t.menu.OnAddHeaderPopupItem = [&](TBaseLazyTree* sender, TColumnIndex column, TAddPopupItemType& cmd) {
            EXPECT_EQ(sender, &t.tree);
            EXPECT_EQ(cmd, TAddPopupItemType::apNormal);
            if (column == c.hiddenByHandler) cmd = TAddPopupItemType::apHidden;
        };
        EXPECT_EQ(t.Entries(), c.expected);
    }
}

TEST(LazyTreeHeaderMenu, HandlerGreysAnEntry) {
    MenuTree t;
    t.menu.OnAddHeaderPopupItem = [](TBaseLazyTree*, TColumnIndex column, TAddPopupItemType& cmd) {
        if (column == 0) cmd = TAddPopupItemType::apDisabled;
    };
    EXPECT_EQ(t.Entries(), (QStringList{"[x]D", "~[x]A", "[x]B", "C"}));
}

TEST(LazyTreeHeaderMenu, NoColumnsGiveTheFitEntryOrNothing) {
    MenuTree t(0);
    EXPECT_TRUE(t.Entries().isEmpty());
    t.menu.SetOptions({poResizeToFitItem});
    EXPECT_EQ(t.Entries(), (QStringList{"&Resize All Columns To Fit", "-"}));
    EXPECT_EQ(t.menu.actions().front()->objectName(), QStringLiteral("LT_ResizeToFitMenuItem"));
}

TEST(LazyTreeHeaderMenu, ChoosingEntriesShowsHidesAndFits) {
    MenuTree t;
    t.tree.OnGetText = [](TCustomLazyStringTree*, PLazyNode node, TColumnIndex column, TVSTTextType, QString& text) {
        text = column == 1 ? QStringLiteral("a much longer text in column B %1").arg(node->Index) : QStringLiteral("x");
    };
    t.tree.SetRootNodeCount(3);
    t.tree.Header().SetOptions(t.tree.Header().Options() + hoDblClickResize);
    std::vector<std::pair<TColumnIndex, bool>> changes;
    t.menu.OnColumnChange = [&](TBaseLazyTree* sender, TColumnIndex column, bool visible) {
        EXPECT_EQ(sender, &t.tree);
        changes.emplace_back(column, visible);
    };
    t.menu.SetOptions({poResizeToFitItem});
    t.menu.BuildEntries();
    t.Entry(QStringLiteral("A"))->trigger();
    EXPECT_FALSE(t.Col(0).Options().Contains(coVisible));
    t.menu.BuildEntries();
    t.Entry(QStringLiteral("C"))->trigger();
    EXPECT_TRUE(t.Col(2).Options().Contains(coVisible));
    EXPECT_EQ(changes, (std::vector<std::pair<TColumnIndex, bool>>{{0, false}, {2, true}}));
    // The fit entry sizes every visible column to its widest content.
    const int wanted = t.tree.GetMaxColumnWidth(1);
    ASSERT_GT(wanted, t.Col(1).Width());
    t.menu.BuildEntries();
    t.Entry(QStringLiteral("&Resize All Columns To Fit"))->trigger();
    EXPECT_EQ(t.Col(1).Width(), wanted);
    EXPECT_EQ(changes.size(), 2u);
}

TEST(LazyTreeHeaderMenu, RightClickInTheHeaderPopsUpTheAutomaticMenu) {
    TLazyStringTree tree;
    tree.show();
    tree.resize(400, 200);
    for (int i = 0; i < 3; ++i) tree.Header().Columns().Add()->SetText(QStringLiteral("Col %1").arg(i));
    tree.Header().SetOptions(tree.Header().Options() + hoVisible + hoAutoColumnPopupMenu + hoDblClickResize);
    tree.SetRootNodeCount(2);
    QApplication::processEvents();
    int applicationMenus = 0;
    tree.OnGetPopupMenu = [&](TBaseLazyTree*, PLazyNode, TColumnIndex, QPoint, bool&, QMenu*&) { ++applicationMenus; };
    std::vector<std::pair<TColumnIndex, bool>> changes;
    tree.OnColumnVisibilityChanged = [&](TBaseLazyTree*, TColumnIndex column, bool visible) {
        changes.emplace_back(column, visible);
    };
    QWidget* bar = tree.HeaderBar();
    ASSERT_NE(bar, nullptr);
    const QPointF at(70, 5);
    QMouseEvent press(QEvent::MouseButtonPress, at, bar->mapToGlobal(at), Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QApplication::sendEvent(bar, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, bar->mapToGlobal(at), Qt::RightButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(bar, &release);
    auto* menu = qobject_cast<TLTHeaderPopupMenu*>(tree.ColumnPopupMenu());
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(applicationMenus, 0);
    // With nodes and double-click fitting the menu offers the fit entry; then the three columns.
    const QList<QAction*> entries = menu->actions();
    ASSERT_EQ(entries.size(), 5);
    EXPECT_EQ(entries[0]->objectName(), QStringLiteral("LT_ResizeToFitMenuItem"));
    EXPECT_EQ(entries[3]->text(), QStringLiteral("Col 1"));
    entries[3]->trigger();
    EXPECT_FALSE(tree.Header().Columns()[1].Options().Contains(coVisible));
    EXPECT_EQ(changes, (std::vector<std::pair<TColumnIndex, bool>>{{1, false}}));
    menu->close();
}
