// The grid unit's routines and its small settings objects.
#include "grid/ExGrid.h"

#include "controls/ExGridPopups.h"
#include "platform/FormatSettings.h"
#include "tests/support/EventWait.h"

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void settle() { QCoreApplication::processEvents(); }

// A shown grid that counts its paint passes.
struct ShownGrid {
    TExStringGrid grid;
    int paints = 0;
    ShownGrid() {
        grid.OnPainted = [this](QObject*) { ++paints; };
        grid.resize(300, 200);
        grid.show();
        (void)testing_support::waitForWindowExposed(&grid);
        settle();
        paints = 0;
    }
    // Whether something asked for a repaint since the last call.
    bool repainted() {
        settle();
        const bool r = paints > 0;
        paints = 0;
        return r;
    }
};

}  // namespace

TEST(ExGridUnit, LocaleRoutinesFollowTheFormatSettingsOfTheMoment) {
    plat::FormatSettings fs;
    fs.decimalSeparator = u',';
    fs.thousandSeparator = u'.';
    fs.dateSeparator = u'-';
    fs.timeSeparator = u'.';
    fs.shortDateFormat = QStringLiteral("dd-MM-yyyy");
    fs.shortTimeFormat = QStringLiteral("HH.mm");
    fs.longTimeFormat = QStringLiteral("HH.mm.ss");
    plat::setFormatSettingsOverride(fs);
    EXPECT_EQ(GetDecimalSeparator(), QChar(u','));
    EXPECT_EQ(GetThousandSeparator(), QChar(u'.'));
    EXPECT_EQ(GetDateSeparator(), QChar(u'-'));
    EXPECT_EQ(GetTimeSeparator(), QChar(u'.'));
    EXPECT_EQ(GetShortDateFormat(), "dd-MM-yyyy");
    EXPECT_EQ(GetShortTimeFormat(), "HH.mm");
    EXPECT_EQ(GetLongTimeFormat(), "HH.mm.ss");
    plat::setFormatSettingsOverride(plat::FormatSettings{});
    EXPECT_EQ(GetDecimalSeparator(), QChar(u'.'));
    EXPECT_EQ(GetLongTimeFormat(), "HH:mm:ss");
}

TEST(ExGridUnit, TransparentWindowLetsMouseInputThroughAndKeepsItsOtherAttributes) {
    QWidget w;
    w.setAttribute(Qt::WA_NoSystemBackground);
    MakeWindowTransparent(&w);
    EXPECT_TRUE(w.testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_TRUE(w.testAttribute(Qt::WA_NoSystemBackground));
    MakeWindowTransparent(nullptr);
}

TEST(ExGridUnit, FileVersionFromVersionedLibrariesElseMinusOne) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile plain(dir.filePath("plain.dll"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("no version here");
    plain.close();
    QFile lib(dir.filePath("libpanel.so.4.69"));
    ASSERT_TRUE(lib.open(QIODevice::WriteOnly));
    lib.close();
    ASSERT_TRUE(QFile::link(dir.filePath("libpanel.so.4.69"), dir.filePath("libpanel.so")));

    struct Case {
        const char* name;
        QString file;
        int32_t expected;
    } cases[] = {
        {"a file without version data", dir.filePath("plain.dll"), -1},
        {"a missing file", dir.filePath("missing.so.6"), -1},
        {"an empty name", QString(), -1},
        {"a name over 255 characters", QString(300, u'a'), -1},
        {"major and minor in the name", dir.filePath("libpanel.so.4.69"), 0x00040045},
        {"a link followed to the versioned file", dir.filePath("libpanel.so"), 0x00040045},
    };
    for (const Case& c : cases) EXPECT_EQ(GetFileVersion(c.file), c.expected) << c.name;

    // The toolkit's own library carries the version it reports.
    const QString qtCore = QLibraryInfo::path(QLibraryInfo::LibrariesPath) + "/libQt6Core.so.6";
    if (QFile::exists(qtCore)) {
        const QVersionNumber v = QLibraryInfo::version();
        EXPECT_EQ(GetFileVersion(qtCore), int32_t((v.majorVersion() << 16) | v.minorVersion()));
    }
}

TEST(ExGridUnit, SettingsObjectsStartValuesAndRepaintRules) {
    ShownGrid s;
    TCellNode& n = s.grid.CellNode();
    EXPECT_EQ(n.NodeType(), cnXP);
    EXPECT_EQ(n.NodeIndent(), 12);
    EXPECT_TRUE(n.ShowTree());
    EXPECT_TRUE(n.ShowTreeFull());
    EXPECT_EQ(n.TreeColor(), 0x808080u);
    EXPECT_EQ(n.Color(), 0xC0C0C0u);

    TColumnSize& cs = s.grid.ColumnSize();
    EXPECT_EQ(cs.StretchColumn(), -1);
    EXPECT_EQ(cs.Rows(), arAll);
    EXPECT_EQ(cs.Location(), clRegistry);

    THTMLSettings& h = s.grid.HTMLSettings();
    EXPECT_EQ(h.BorderSize(), 1);
    EXPECT_EQ(h.Width(), 100);
    EXPECT_TRUE(h.ExportImages());
    EXPECT_EQ(s.grid.PrintSettings().DateFormat(), "dd/mm/yyyy");
    EXPECT_EQ(s.grid.PrintSettings().PageNumSep(), "/");
    EXPECT_EQ(s.grid.PrintSettings().Borders(), pbSingle);
    EXPECT_TRUE(s.grid.PrintSettings().UseDisplayFont());
    EXPECT_FALSE(s.grid.SizeWhileTyping().Height());

    struct Write {
        const char* name;
        std::function<void()> write;
        bool repaints;
    } writes[] = {
        {"NodeIndent to a new value", [&] { n.SetNodeIndent(16); }, true},
        {"NodeIndent to the same value", [&] { n.SetNodeIndent(16); }, false},
        {"Color, changed", [&] { n.SetColor(0x123456); }, false},
        {"NodeType to a new value", [&] { n.SetNodeType(cnFlat); }, true},
        {"TreeColor to the same value", [&] { n.SetTreeColor(0x808080); }, false},
        {"ShowTree off", [&] { n.SetShowTree(false); }, true},
    };
    for (const Write& w : writes) {
        w.write();
        EXPECT_EQ(s.repainted(), w.repaints) << w.name;
    }
}

TEST(ExGridUnit, StretchOnAGridWithoutParentStoresTheFlagOnly) {
    TExStringGrid g;
    const int before = g.ColWidths(4);
    g.ColumnSize().SetStretch(true);
    EXPECT_TRUE(g.ColumnSize().Stretch());
    EXPECT_EQ(g.ColWidths(4), before);
}

TEST(ExGridUnit, AssignCopiesWhatEachSettingsObjectCopies) {
    TExStringGrid a, b;
    // Node look: copied without repaint.
    a.CellNode().SetNodeIndent(20);
    a.CellNode().SetTreeColor(0x0000FF);
    b.CellNode().Assign(&a.CellNode());
    EXPECT_EQ(b.CellNode().NodeIndent(), 20);
    EXPECT_EQ(b.CellNode().TreeColor(), 0x0000FFu);

    // Column size: Stretch as a field, the owner stays.
    a.ColumnSize().SetStretchColumn(2);
    a.ColumnSize().SetKey("cols.ini");
    b.ColumnSize().Assign(&a.ColumnSize());
    EXPECT_EQ(b.ColumnSize().StretchColumn(), 2);
    EXPECT_EQ(b.ColumnSize().Key(), "cols.ini");
    EXPECT_EQ(b.ColumnSize().Owner(), &b);

    // HTML settings: ExportImages and the column widths stay.
    a.HTMLSettings().SetExportImages(false);
    a.HTMLSettings().SetBorderSize(3);
    a.HTMLSettings().ColWidths().Add(50);
    b.HTMLSettings().Assign(&a.HTMLSettings());
    EXPECT_EQ(b.HTMLSettings().BorderSize(), 3);
    EXPECT_TRUE(b.HTMLSettings().ExportImages());
    EXPECT_EQ(b.HTMLSettings().ColWidths().Count(), 0);

    // Print settings: FixedCellsAlways stays; from another class the invalid-cast error.
    a.PrintSettings().SetTitleText("Report");
    a.PrintSettings().SetFixedCellsAlways(true);
    a.PrintSettings().SetTitleLines({"one", "two"});
    plat::TFont f;
    f.SetName("Courier");
    a.PrintSettings().SetHeaderFont(f);
    b.PrintSettings().Assign(&a.PrintSettings());
    EXPECT_EQ(b.PrintSettings().TitleText(), "Report");
    EXPECT_EQ(b.PrintSettings().TitleLines(), (QStringList{"one", "two"}));
    EXPECT_EQ(b.PrintSettings().HeaderFont().Name(), "Courier");
    EXPECT_FALSE(b.PrintSettings().FixedCellsAlways());
    EXPECT_EQ(b.PrintSettings().Grid(), &b);
    EXPECT_THROW(b.PrintSettings().Assign(&a.HTMLSettings()), plat::EInvalidCast);
    EXPECT_EQ(b.PrintSettings().TitleText(), "Report");
}

TEST(ExGridUnit, MovedDialogMovesTheShownFocusWindow) {
    QWidget dialog;
    dialog.resize(500, 400);
    TExStringGrid g(&dialog);
    g.setGeometry(20, 20, 400, 300);
    dialog.move(100, 100);
    dialog.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&dialog));
    g.SetCol(2);
    g.SetRow(3);
    g.ShowFocusWindow();
    ASSERT_EQ(FocusWindowGrid(), &g);
    const plat::TRect cell = g.CellRect(2, 3);
    const QPoint cellOnScreen = g.viewport()->mapToGlobal(QPoint(cell.Left, cell.Top));
    EXPECT_EQ(g.FocusWindow()->pos(), cellOnScreen - QPoint(4, 4));
    EXPECT_EQ(g.FocusWindow()->size(), QSize(cell.Right - cell.Left + 9, cell.Bottom - cell.Top + 9));

    const QPoint before = g.FocusWindow()->pos();
    dialog.move(160, 130);
    settle();
    EXPECT_EQ(g.FocusWindow()->pos(), before + QPoint(60, 30));

    g.HideFocusWindow();
    EXPECT_EQ(FocusWindowGrid(), nullptr);
    const QPoint hidden = g.FocusWindow()->pos();
    dialog.move(200, 200);
    settle();
    EXPECT_EQ(g.FocusWindow()->pos(), hidden);
}

TEST(ExGridUnit, DestroyedGridLeavesNoFocusWindowReference) {
    auto g = std::make_unique<TExStringGrid>();
    g->ShowFocusWindow();
    ASSERT_EQ(FocusWindowGrid(), g.get());
    g.reset();
    EXPECT_EQ(FocusWindowGrid(), nullptr);
    QWidget other;
    other.move(10, 10);
    settle();
}
