// Layout persistence: the column-states string, widths and order in an INI file or the per-user
// store, the visual-properties file and the print-settings section, against real files.
#include "controls/ExUtil.h"
#include "grid/ExGrid.h"
#include "platform/Files.h"
#include "platform/IniFile.h"
#include "tests/support/TestSupport.h"

#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList headers(TExStringGrid& g) {
    QStringList out;
    for (int c = 0; c < g.ColCount(); ++c) out << g.Cells(g.RealColIndex(c), 0);
    return out;
}

// Three columns a, b, c of 64, 80, 80 (the default width 80), loaded.
void threeColumns(TExStringGrid& g) {
    g.SetColCount(3);
    g.SetFixedCols(0);
    g.SetFixedRows(1);
    g.SetDefaultColWidth(80);
    for (int c = 0; c < 3; ++c) g.SetColWidths(c, 80);
    g.SetColWidths(0, 64);
    g.SetColumnHeaders({"a", "b", "c"});
    g.Loaded();
}

QString readText(const QString& path) { return plat::decodeText(testing_support::readAll(path)); }

void writeText(const QString& path, const QString& text) { testing_support::writeAll(path, text.toUtf8()); }

}  // namespace

TEST(ExGridColumnStates, WrittenAndRestored) {
    TExStringGrid g;
    threeColumns(g);
    EXPECT_EQ(g.ColumnStatesToString(), "3#64,80,80#0,1,2#1,1,1");
    g.MoveColumn(1, 2);
    g.HideColumn(2);
    ASSERT_EQ(headers(g), (QStringList{"a", "c"}));
    const QString s = g.ColumnStatesToString();
    EXPECT_EQ(s, "3#64,80,80#0,2,1#1,1,0");

    TExStringGrid h;
    threeColumns(h);
    h.StringToColumnStates(s);
    EXPECT_EQ(headers(h), (QStringList{"a", "c"}));
    EXPECT_EQ(h.ColumnStatesToString(), s);
    h.UnHideColumnsAll();
    EXPECT_EQ(headers(h), (QStringList{"a", "c", "b"}));
}

TEST(ExGridColumnStates, VisibilityHidesAndTheFirstWidthsSizeTheShownColumns) {
    TExStringGrid g;
    threeColumns(g);
    g.StringToColumnStates("3#30,40,50#0,1,2#1,0,1");
    EXPECT_TRUE(g.IsHiddenColumn(1));
    EXPECT_EQ(g.ColCount(), 2);
    EXPECT_EQ(g.ColWidths(0), 30);
    EXPECT_EQ(g.ColWidths(1), 40);
    EXPECT_EQ(headers(g), (QStringList{"a", "c"}));
}

TEST(ExGridColumnStates, AnythingThatDoesNotFitChangesNothing) {
    const char* bad[] = {
        "abc",
        "2147483647#64,80,80#0,1,2#1,1,1",
        "3#64,80,80#0,0,1#1,1,1",
        "3#-5,80,80#0,1,2#1,1,1",
        "3#64,80,40000#0,1,2#1,1,1",
        "4#64,80,80#0,1,2#1,1,1",
        "3#64,80,80#0,1,3#1,1,1",
        "3#64,80,80#0,1,2#1,2,1",
        "3#64,80,80#0,1,2#1,1",
        "0##",
        "3#64,x,80#0,1,2#1,1,1",
        "3#64,80,80#0,1,2#1,1,1#more",
        "3#64,80,80#0,1,2#0,0,0",
    };
    for (const char* s : bad) {
        TExStringGrid g;
        threeColumns(g);
        g.MoveColumn(0, 2);
        const QString before = g.ColumnStatesToString();
        g.StringToColumnStates(s);
        EXPECT_EQ(g.ColumnStatesToString(), before) << s;
        EXPECT_EQ(headers(g), (QStringList{"b", "c", "a"})) << s;
    }
    // Real columns from 512 on are never hidden: a string hiding one is none the grid wrote.
    QStringList widths, flags;
    for (int i = 0; i < 600; ++i) {
        widths << "10";
        flags << (i == 550 ? "0" : "1");
    }
    TExStringGrid g;
    threeColumns(g);
    g.StringToColumnStates("600#" + widths.join(',') + "##" + flags.join(','));
    EXPECT_EQ(g.ColCount(), 3);
    flags[550] = "1";
    flags[7] = "0";
    g.StringToColumnStates("600#" + widths.join(',') + "##" + flags.join(','));
    EXPECT_EQ(g.ColCount(), 599);
    EXPECT_TRUE(g.IsHiddenColumn(7));
}

TEST(ExGridColumnSizes, WidthsAndOrderInAnIniFileAndThePerUserStore) {
    QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    for (TColumnSizeLocation where : {clIniFile, clRegistry}) {
        SCOPED_TRACE(where);
        auto setUp = [&](TExStringGrid& g) {
            threeColumns(g);
            g.ColumnSize().SetLocation(where);
            g.ColumnSize().SetKey(where == clIniFile ? dir.filePath("grid.ini") : QStringLiteral("Software\\Test"));
            g.ColumnSize().SetSection("Table");
        };
        {
            TExStringGrid g;
            setUp(g);
            g.MoveColumn(0, 2);
            g.SetColWidths(1, 123);
            g.SaveColSizes();
            g.SaveColPositions();
        }
        TExStringGrid h;
        setUp(h);
        h.LoadColPositions();
        EXPECT_EQ(headers(h), (QStringList{"b", "c", "a"}));
        h.LoadColSizes();
        EXPECT_EQ(h.ColWidths(1), 123);
    }
    plat::TIniFile ini(dir.filePath("grid.ini"));
    EXPECT_EQ(ini.ReadInteger("Table", "Col1", -1), 123);
    EXPECT_EQ(ini.ReadInteger("Table", "Pos2", -1), 0);
}

TEST(ExGridColumnSizes, SavedAtDestructionLoadedAtLoaded) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("auto.ini");
    auto setUp = [&](TExStringGrid& g) {
        g.ColumnSize().SetSave(true);
        g.ColumnSize().SetLocation(clIniFile);
        g.ColumnSize().SetKey(ini);
        g.ColumnSize().SetSection("S");
    };
    {
        TExStringGrid g;
        setUp(g);
        g.SetColWidths(2, 77);
    }
    TExStringGrid h;
    setUp(h);
    h.Loaded();
    EXPECT_EQ(h.ColWidths(2), 77);
}

TEST(ExGridColumnSizes, ValuesOutOfRangeChangeNothing) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("bad.ini");
    struct Case {
        const char* name;
        const char* text;
    } cases[] = {
        {"negative width", "[S]\nCol0=10\nCol1=-5\n"},
        {"huge width", "[S]\nCol0=10\nCol1=99999\n"},
        {"positions not a permutation", "[S]\nPos0=0\nPos1=0\nPos2=1\n"},
        {"a position past the columns", "[S]\nPos0=0\nPos1=1\nPos2=7\n"},
    };
    for (const Case& c : cases) {
        writeText(ini, c.text);
        TExStringGrid g;
        threeColumns(g);
        g.ColumnSize().SetLocation(clIniFile);
        g.ColumnSize().SetKey(ini);
        g.ColumnSize().SetSection("S");
        g.LoadColSizes();
        g.LoadColPositions();
        EXPECT_EQ(g.ColWidths(0), 64) << c.name;
        EXPECT_EQ(headers(g), (QStringList{"a", "b", "c"})) << c.name;
    }
}

TEST(ExGridIniFile, PlainSectionsCaseInsensitiveAndEncodings) {
    QTemporaryDir dir;
    const QString path = dir.filePath("x.ini");
    // Windows-1252 without a mark; blanks around names and values; comments.
    testing_support::writeAll(path, QByteArray("; note\r\n[Sect]\r\n Name = Gr\xfc\xdf" "e \r\nnoequals\r\n"));
    plat::TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("sect", "NAME", "-"), QString::fromUtf8("Grüße"));
    EXPECT_EQ(ini.ReadInteger("Sect", "Name", 7), 7) << "no integer";
    ini.WriteString("Sect", "Quote", "\"a=b\"; c");
    ini.WriteInteger("Other", "N", -3);
    ASSERT_TRUE(ini.UpdateFile());
    plat::TIniFile back(path);
    EXPECT_EQ(back.ReadString("Sect", "Name", "-"), QString::fromUtf8("Grüße")) << "written as UTF-8 with a mark";
    EXPECT_EQ(back.ReadString("Sect", "Quote", "-"), "\"a=b\"; c");
    EXPECT_EQ(back.ReadInteger("other", "n", 0), -3);
    EXPECT_TRUE(testing_support::readAll(path).startsWith("\xEF\xBB\xBF"));
}

TEST(ExGridVisualProps, RoundTripAndTheFileForm) {
    QTemporaryDir dir;
    const QString file = dir.filePath("look.txt");
    TExStringGrid g;
    // A look sets colours of its own; the custom one leaves them.
    g.SetLook(glCustom);
    g.SetSelectionColor(0x123456);
    g.SetURLShow(true);
    g.SetScrollColor(plat::clBtnFace);
    g.Font().SetStyle({plat::fsBold, plat::fsItalic});
    g.Font().SetSize(11);
    g.Font().SetName("Courier New");
    g.ControlLook().SetControlStyle(csFlat);
    g.Grouping().SetHeaderLineWidth(5);
    g.BackGround().SetDisplay(bdGradientVert);
    g.SaveVisualProps(file);

    const QString text = readText(file);
    for (const char* line : {"SelectionColor=$00123456", "URLShow=true", "ScrollColor=clBtnFace",
                             "Font.Style=fsBold,fsItalic", "Font.Size=11", "Font.Name=Courier New",
                             "ControlLook.ControlStyle=csFlat", "Look=", "BackGround.Display=bdGradientVert",
                             "Balloon.BackgroundColor=clNone"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(line) + "\r\n")) << line;
    EXPECT_LT(text.indexOf("Grouping.SummaryLineWidth"), text.indexOf("GridLineColor")) << "writing order";

    TExStringGrid h;
    h.LoadVisualProps(file);
    EXPECT_EQ(h.SelectionColor(), 0x123456u);
    EXPECT_TRUE(h.URLShow());
    EXPECT_EQ(h.ScrollColor(), plat::clBtnFace);
    EXPECT_EQ(h.Font().Style(), (plat::TFontStyles{plat::fsBold, plat::fsItalic}));
    EXPECT_EQ(h.Font().Size(), 11);
    EXPECT_EQ(h.Font().Name(), "Courier New");
    EXPECT_EQ(h.ControlLook().ControlStyle(), csFlat);
    EXPECT_EQ(h.Look(), glCustom);
    EXPECT_EQ(h.Grouping().HeaderLineWidth(), 5);
    EXPECT_EQ(h.BackGround().Display(), bdGradientVert);
    EXPECT_EQ(h.GridLineColor(), g.GridLineColor()) << "read after the look, so it stands";
}

TEST(ExGridVisualProps, MissingKeysBadNumbersAndLooks) {
    QTemporaryDir dir;
    const QString file = dir.filePath("look.txt");
    TExStringGrid src;
    src.SaveVisualProps(file);
    QString text = readText(file);

    auto without = [](QString t, const QString& key) {
        const qsizetype at = t.indexOf("\r\n" + key + "=");
        return at < 0 ? t : t.remove(at, t.indexOf("\r\n", at + 2) - at);
    };
    {
        TExStringGrid g;
        g.SetScrollColor(plat::clRed);
        writeText(file, without(text, "ScrollColor"));
        g.LoadVisualProps(file);
        EXPECT_EQ(g.ScrollColor(), plat::clNone);
    }
    {
        TExStringGrid g;
        QString t = without(text, "Font.Size");
        t.replace("\r\nSelectionColor=", "\r\nselectioncolor=$00ABCDEF\r\nX=");
        writeText(file, t);
        g.SetActiveCellColor(0x111111);
        EXPECT_THROW(g.LoadVisualProps(file), EConvertError);
        EXPECT_EQ(g.SelectionColor(), 0xABCDEFu) << "keys before the bad one stay applied; names ignore case";
        EXPECT_EQ(g.ActiveCellColor(), 0x111111u) << "keys after it are not read";
    }
    struct Case {
        const char* look;
        TGridLook expected;
    } cases[] = {{"glvista", glVista}, {"GLWIN7", glWin7}, {"glNothing", glOffice2007}, {"", glCustom}};
    for (const Case& c : cases) {
        TExStringGrid g;
        g.SetLook(glOffice2007);
        QString t = text;
        t.replace(QRegularExpression("\r\nLook=[^\r]*\r\n"), QString("\r\nLook=%1\r\n").arg(c.look));
        writeText(file, t);
        g.LoadVisualProps(file);
        EXPECT_EQ(g.Look(), c.expected) << c.look;
    }

    TExStringGrid g;
    const QString missing = dir.filePath("none.txt");
    try {
        g.LoadVisualProps(missing);
        FAIL();
    } catch (const EExGridError& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), "Cannot open file " + missing);
    }
    const QString nowhere = dir.filePath("no/such/dir/look.txt");
    try {
        g.SaveVisualProps(nowhere);
        FAIL();
    } catch (const EExGridError& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), "Cannot Create " + nowhere);
    }
}

TEST(ExGridPrintSettings, DefaultsRulesAndTitleLines) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("print.ini");
    TExStringGrid g;
    g.LoadPrintSettings(ini, "Print");
    const TPrintSettings& ps = g.PrintSettings();
    EXPECT_EQ(ps.ColumnSpacing(), 20);
    EXPECT_EQ(ps.RowSpacing(), 20);
    EXPECT_EQ(ps.TitleSpacing(), 20);
    EXPECT_EQ(ps.LeftSize(), 100);
    EXPECT_EQ(ps.FooterSize(), 100);
    EXPECT_EQ(ps.Font().Name(), "Arial");
    EXPECT_EQ(ps.HeaderFont().Size(), 10);
    EXPECT_TRUE(ps.Centered());
    EXPECT_FALSE(ps.UseDisplayFont());
    EXPECT_EQ(ps.Borders(), pbNoborder);

    plat::TFont italic = ps.Font();
    italic.SetStyle({plat::fsItalic});
    g.PrintSettings().SetFont(italic);
    g.PrintSettings().SetTitleLines({"First line", "Second"});
    g.PrintSettings().SetBorders(pbAround);
    g.PrintSettings().SetOrientation(poLandscape);
    g.SavePrintSettings(ini, "Print");
    const QString text = readText(ini);
    EXPECT_TRUE(text.contains("TitleLines=First line\\nSecond\\n\r\n"));
    EXPECT_TRUE(text.contains("Centered=Y\r\n"));

    QString t = text;
    t.replace("FontStyle=2", "FontStyle=1").replace("Borders=5", "Borders=9").replace("Date=0", "Date=7");
    t.replace("Orientation=1", "Orientation=2");
    writeText(ini, t);
    TExStringGrid h;
    h.PrintSettings().SetFont(italic);
    h.PrintSettings().SetBorders(pbDouble);
    h.PrintSettings().SetDate(ppTopLeft);
    h.LoadPrintSettings(ini, "Print");
    EXPECT_EQ(h.PrintSettings().Font().Style(), (plat::TFontStyles{plat::fsBold, plat::fsItalic}))
        << "styles are only added";
    EXPECT_EQ(h.PrintSettings().TitleLines(), (QStringList{"First line", "Second"}));
    EXPECT_EQ(h.PrintSettings().Borders(), pbDouble) << "out of range leaves the setting";
    EXPECT_EQ(h.PrintSettings().Date(), ppNone) << "out of range gives none";
    EXPECT_EQ(h.PrintSettings().Orientation(), poPortrait) << "out of range leaves the setting";
}
