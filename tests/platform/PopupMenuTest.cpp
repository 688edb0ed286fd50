// The pop-up menu with item identifiers: the chosen item answers its identifier, a dismissed menu 0.
#include "platform/PopupMenu.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <QTest>
#include <QTimer>

using namespace plat;

TEST(PopupMenu, AnswersTheChosenIdentifierOrNone) {
    QWidget owner;
    TPopupMenu m(&owner);
    m.Add(QStringLiteral("kg"), 7);
    m.Add(QStringLiteral("g"), 9);
    EXPECT_EQ(m.Count(), 2);
    EXPECT_EQ(m.Caption(1), QStringLiteral("g"));
    EXPECT_EQ(m.Id(1), 9);
    EXPECT_EQ(m.Id(5), 0);

    QTimer::singleShot(0, &m.Menu(), [&] {
        m.Menu().setActiveAction(m.Menu().actions()[1]);
        QTest::keyClick(&m.Menu(), Qt::Key_Return);
    });
    EXPECT_EQ(m.Popup(QPoint(10, 10)), 9);

    QTimer::singleShot(0, &m.Menu(), [&] { QTest::keyClick(&m.Menu(), Qt::Key_Escape); });
    EXPECT_EQ(m.Popup(QPoint(10, 10)), 0);
}
