// Every list window of the program as a user first meets it: each header of each table shows
// whole at the column widths the window is built with, the long ones on more lines of a taller
// header row.
#include "app/UVelmarineFirmWare.h"
#include "building/UDALI_Access.h"
#include "building/USNMPManagerAccess.h"
#include "grid/ExCGrid.h"
#include "shell/AccessListForm.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/EventWait.h"
#include "tests/support/GridCells.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTest>

using testing_support::RecordingDialogs;
using testing_support::TempAppDir;

namespace {

class ListHeaders : public ::testing::Test {
protected:
    void SetUp() override {
        Create_Forms();
        g_ProjectName = QStringLiteral("Headers");
        g_ProjectPath = g_ProjectsRootPath + QStringLiteral("/Headers");
        QDir().mkpath(g_ProjectPath);
        Set_Files();
    }
    void TearDown() override {
        Destroy_Forms();
        Load_Default_Language();
    }
    // The window shown with page `page` in front.
    static void show(plat::TForm& form, QTabWidget* pages, int page) {
        form.show();
        if (pages) pages->setCurrentIndex(page);
        ASSERT_TRUE(testing_support::waitForWindowExposed(&form));
        QApplication::processEvents();
    }
    static QStringList cutHeaderTexts(TExStringGrid& g) {
        QStringList texts;
        for (int c : cutHeaders(g)) texts << g.Cells(g.RealColIndex(c), 0);
        return texts;
    }

    TempAppDir app;
    RecordingDialogs rec;
};

TEST_F(ListHeaders, EveryAccessListShowsItsHeadersWhole) {
    int grids = 0;
    for (QObject* child : FVelmarineFirmWare->children()) {
        auto* form = qobject_cast<TAccessListForm*>(child);
        if (!form) continue;
        for (int p = 0; p < form->PageCount(); ++p) {
            SCOPED_TRACE(form->objectName().toStdString() + ", page " + std::to_string(p));
            show(*form, form->PageControl1, p);
            EXPECT_EQ(cutHeaderTexts(form->Grid(p)).join(u'|').toStdString(), "");

            ++grids;
        }
        form->hide();
    }
    EXPECT_GE(grids, 20) << "the program makes the lists";
    // The manager's community column keeps its width; its header takes two lines.
    TExColumnGrid& snmp = *FSNMPManagerAccess->CG_SNMP;
    EXPECT_EQ(snmp.Cells(4, 0), QStringLiteral("Community Name"));
    EXPECT_EQ(snmp.ColWidths(4), 105);
    EXPECT_GT(snmp.RowHeights(0), snmp.DefaultRowHeight());
}

TEST_F(ListHeaders, TheDALIPagesShowTheirHeadersWhole) {
    TFDALI_Access& f = *FDALI_Access;
    const struct {
        int page;
        TExStringGrid* grid;
    } grids[] = {{0, f.CG_DALI_Device}, {1, f.SG}, {2, f.CG}};
    for (const auto& g : grids) {
        SCOPED_TRACE(g.page);
        show(f, f.PC_DALI, g.page);
        EXPECT_EQ(cutHeaderTexts(*g.grid).join(u'|').toStdString(), "");
    }
    // "Time Send" and "Num Bytes" at the widths the window gives them.
    EXPECT_EQ(f.SG->Cells(7, 0), QStringLiteral("Time Send"));
    EXPECT_EQ(f.SG->Cells(11, 0), QStringLiteral("Num Bytes"));
    EXPECT_EQ(f.SG->ColWidths(7), 70);
    EXPECT_EQ(f.SG->ColWidths(11), 70);
    f.hide();
}

}  // namespace
