#include "shell/UComon.h"
#include "controls/FadeButton.h"
#include "shell/ULanguage.h"
#include "shell/UOpenConf.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QTemporaryDir>

namespace {

// The open dialog can be made larger or smaller; the list keeps its margins to all four sides and
// the buttons stay at the bottom.
TEST(OpenConf, TheListFollowsTheWindowSize) {
    if (Text_Table.size() < kTextTableSize) Load_Default_Language();
    QTemporaryDir projects;
    const QString previousRoot = g_ProjectsRootPath;
    g_ProjectsRootPath = projects.path();
    TFOpenConf dlg;
    EXPECT_EQ(dlg.size(), QSize(377, 351));
    dlg.show();  // a window lays itself out again when the user drags its border
    EXPECT_EQ(dlg.ListBox1->geometry(), QRect(16, 94, 345, 211));
    const struct {
        QSize size;
        QRect list;
    } cases[] = {{QSize(600, 500), QRect(16, 94, 568, 360)}, {QSize(300, 260), QRect(16, 94, 268, 120)}};
    for (const auto& c : cases) {
        dlg.resize(c.size);
        EXPECT_EQ(dlg.size(), c.size);
        EXPECT_EQ(dlg.ListBox1->geometry(), c.list);
        QWidget* buttons = dlg.Btn_OK->parentWidget();
        EXPECT_EQ(buttons->geometry(), QRect(0, c.size.height() - 40, c.size.width(), 40));
        EXPECT_LT(dlg.Btn_OK->geometry().right(), dlg.Btn_Cancel->geometry().left());
        EXPECT_GE(dlg.Btn_OK->x(), 0);
        EXPECT_LE(dlg.Btn_Cancel->geometry().right(), c.size.width());
        EXPECT_EQ(dlg.TitleStrip()->width(), c.size.width());
        const QByteArray dir = qgetenv("SCREENSHOT_DIR");
        if (!dir.isEmpty())
            dlg.grab().save(QStringLiteral("%1/open_conf_%2.png").arg(QString::fromLocal8Bit(dir)).arg(c.size.width()));
    }
    dlg.hide();
    g_ProjectsRootPath = previousRoot;
}

}  // namespace
