// The collapsible panel stack: stacking order, collapsing, locking, own flags of the controls.
#include "platform/CategoryPanels.h"
#include "platform/Form.h"
#include "tests/support/EventWait.h"

#include <QCursor>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Stack {
    Stack() {
        group.resize(460, 300);
        for (int i = 0; i < 3; ++i) {
            panels[i] = new plat::TCategoryPanel(&group);
            panels[i]->setPanelHeight(100 + 10 * i);
        }
        group.show();
    }
    QList<int> tops() const {
        QList<int> out;
        for (plat::TCategoryPanel* p : group.stackedPanels()) out << p->geometry().top();
        return out;
    }
    plat::TCategoryPanelGroup group;
    plat::TCategoryPanel* panels[3];
};

}  // namespace

TEST(CategoryPanels, StacksShownPanelsByTopWithoutGaps) {
    Stack s;
    s.panels[0]->setTop(200);
    s.panels[1]->setTop(0);
    s.panels[2]->setTop(100);
    EXPECT_EQ(s.group.stackedPanels(), (QList<plat::TCategoryPanel*>{s.panels[1], s.panels[2], s.panels[0]}));
    EXPECT_EQ(s.tops(), (QList<int>{0, 110, 230}));
    EXPECT_EQ(s.group.widget()->height(), 330);

    s.panels[2]->hide();
    EXPECT_EQ(s.tops(), (QList<int>{0, 110}));
    s.panels[2]->show();
    s.panels[1]->setPanelHeight(50);
    EXPECT_EQ(s.tops(), (QList<int>{0, 50, 170}));
    // Every panel spans the width that the group shows.
    for (plat::TCategoryPanel* p : s.group.stackedPanels()) EXPECT_EQ(p->width(), s.group.viewport()->width());
}

TEST(CategoryPanels, CollapseShowsOnlyTheHeaderAndKeepsTheExpandedHeight) {
    Stack s;
    QSignalSpy expanded(s.panels[0], &plat::TCategoryPanel::expanded);
    s.panels[0]->Collapse();
    EXPECT_EQ(s.panels[0]->height(), s.group.HeaderHeight());
    EXPECT_EQ(s.panels[0]->panelHeight(), 100);
    EXPECT_EQ(s.tops(), (QList<int>{0, 24, 134}));
    s.panels[0]->setPanelHeight(80);  // a collapsed panel takes its new height when expanded
    EXPECT_EQ(s.panels[0]->height(), 24);
    s.panels[0]->Expand();
    EXPECT_EQ(s.panels[0]->height(), 80);
    EXPECT_EQ(expanded.count(), 1);
    s.panels[0]->Expand();  // already expanded: nothing happens
    EXPECT_EQ(expanded.count(), 1);
}

TEST(CategoryPanels, HeaderClickTogglesOnlyAnEnabledPanel) {
    Stack s;
    plat::TCategoryPanel* p = s.panels[1];
    QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(50, 10));
    EXPECT_TRUE(p->collapsed());
    QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(50, 10));
    EXPECT_FALSE(p->collapsed());
    // A click below the header does nothing.
    QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(50, 60));
    EXPECT_FALSE(p->collapsed());

    p->Collapse();
    p->setEnabled(false);
    QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(50, 10));
    EXPECT_TRUE(p->collapsed());
    // The program may still expand it.
    p->Expand();
    EXPECT_FALSE(p->collapsed());
}

TEST(CategoryPanels, ControlsKeepTheirOwnFlagsWhileThePanelCollapsesOrLocks) {
    Stack s;
    auto* shown = new QLineEdit(s.panels[0]->client());
    auto* hidden = new QLineEdit(s.panels[0]->client());
    hidden->hide();
    auto* disabled = new QLineEdit(s.panels[0]->client());
    disabled->setEnabled(false);
    shown->show();
    disabled->show();

    s.panels[0]->Collapse();
    s.panels[0]->setEnabled(false);
    EXPECT_FALSE(shown->isVisible());
    EXPECT_FALSE(shown->isEnabled());
    EXPECT_TRUE(plat::ownVisible(shown));
    EXPECT_TRUE(plat::ownEnabled(shown));
    EXPECT_FALSE(plat::ownVisible(hidden));
    EXPECT_FALSE(plat::ownEnabled(disabled));

    s.panels[0]->setEnabled(true);
    s.panels[0]->Expand();
    EXPECT_TRUE(shown->isVisible());
    EXPECT_TRUE(shown->isEnabled());
    EXPECT_FALSE(hidden->isVisible());
    EXPECT_FALSE(disabled->isEnabled());
}

// The chevron is hot while the pointer is over its header: also when the stack moves the header from
// under a pointer that stays where it is (the wheel or the bar scrolls, a panel above collapses).
TEST(CategoryPanels, TheHotHeaderFollowsThePanelsMovingUnderAStillPointer) {
    Stack s;
    ASSERT_TRUE(testing_support::waitForWindowExposed(&s.group));
    ASSERT_GT(s.group.verticalScrollBar()->maximum(), 0);
    plat::TCategoryPanel* p = s.panels[1];  // at 100 .. 210
    const QPoint onHeader(50, 10);
    QCursor::setPos(p->mapToGlobal(onHeader));
    QTest::mouseMove(p, onHeader);
    ASSERT_TRUE(p->hot());
    s.group.scrollLineDown();  // 20 pixels: the pointer is now in the panel's client area
    EXPECT_FALSE(p->hot());
    EXPECT_FALSE(s.panels[0]->hot());
    EXPECT_FALSE(s.panels[2]->hot());
    s.group.scrollLineUp();  // back under the pointer
    EXPECT_TRUE(p->hot());
    // The panel above collapses: the panel moves up and its client area comes under the pointer.
    s.panels[0]->Collapse();
    EXPECT_FALSE(p->hot());
    for (plat::TCategoryPanel* q : s.panels) EXPECT_FALSE(q->hot());
}
