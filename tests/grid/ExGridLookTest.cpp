// Cell layout and text metrics, cell colours, the colour presets, the Look writer and URL display.
#include "controls/ExStyleIF.h"
#include "grid/ExGrid.h"
#include "platform/FormatSettings.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFontMetrics>
#include <gtest/gtest.h>

namespace {

struct DecimalComma {
    DecimalComma() {
        plat::FormatSettings fs;
        fs.decimalSeparator = u',';
        fs.thousandSeparator = u'.';
        plat::setFormatSettingsOverride(fs);
    }
    ~DecimalComma() { plat::setFormatSettingsOverride(std::nullopt); }
};

// A grid whose formulas calculate to a fixed text.
class FormulaGrid : public TExStringGrid {
public:
    void GetCellTextForCalc(int ACol, int ARow, QString& Value) override {
        Value = GetCellEx(ACol, ARow).startsWith(u'=') ? QStringLiteral("42") : GetCellEx(ACol, ARow);
    }
};

struct Visual {
    plat::TGridDrawState state;
    plat::TBrush brush;
    TColor to = 0, mirror = 0, mirrorTo = 0;
    plat::TFont font;
    TAlignment ha = taLeftJustify;
    TVAlignment va = vtaTop;
    bool ww = false;
    TCellGradientDirection gd = GradientHorizontal;
};

Visual visual(TExStringGrid& g, int c, int r, plat::TGridDrawState state = {}) {
    Visual v;
    v.state = state;
    g.GetVisualProperties(c, r, v.state, false, true, true, v.brush, v.to, v.mirror, v.mirrorTo, v.font, v.ha, v.va,
                          v.ww, v.gd);
    return v;
}

}  // namespace

// ---------------------------------------------------------------- layout

TEST(ExGridLayout, AutoNumAlignRightAlignsNumbersUnderTheLocaleSeparator) {
    DecimalComma comma;
    FormulaGrid g;
    g.SetAutoNumAlign(true);
    struct Case {
        const char* text;
        TAlignment expected;
    } cases[] = {{"12,5", taRightJustify}, {"-7", taRightJustify}, {"1e5", taRightJustify}, {"12a", taLeftJustify}};
    for (const Case& c : cases) {
        g.SetCells(1, 1, c.text);
        EXPECT_EQ(g.GetCellAlignment(1, 1).first, c.expected) << c.text;
    }
    // A formula follows its calculation and not the alignment stored with it.
    g.SetCells(2, 1, "=A1+B1");
    g.CellProperties(2, 1)->SetAlignment(taCenter);
    EXPECT_EQ(g.GetCellAlignment(2, 1).first, taRightJustify);
    // A numeric cell of its own alignment keeps it.
    g.SetCells(3, 1, "12,5");
    g.CellProperties(3, 1)->SetAlignment(taCenter);
    EXPECT_EQ(g.GetCellAlignment(3, 1).first, taCenter);
    // Without AutoNumAlign the default stands; the alignment event has the last word.
    g.SetAutoNumAlign(false);
    EXPECT_EQ(g.GetCellAlignment(1, 1).first, taLeftJustify);
    g.OnGetAlignment = [](QObject*, int32_t, int32_t, TAlignment& h, TVAlignment& v) {
        h = taCenter;
        v = vtaBottom;
    };
    EXPECT_EQ(g.GetCellAlignment(1, 1), std::make_pair(taCenter, vtaBottom));
}

TEST(ExGridLayout, FormattedCellsOnlyThroughTheEventAndOnlyForNumbers) {
    TExStringGrid g;
    g.SetCells(1, 1, "2");
    g.SetCells(1, 2, "7");
    g.SetCells(1, 3, "abc");
    EXPECT_EQ(g.GetFormattedCell(1, 1), "2");  // no event: FloatFormat is not applied
    int calls = 0;
    QString format = "%.3f";
    g.OnGetFloatFormat = [&](QObject*, int32_t, int32_t, bool& isFloat, QString& f) {
        ++calls;
        EXPECT_TRUE(isFloat);
        EXPECT_EQ(f, "%.2f");  // FloatFormat comes in
        f = format;
    };
    EXPECT_EQ(g.GetFormattedCell(1, 1), "2.000");
    format = "%5d";
    EXPECT_EQ(g.GetFormattedCell(1, 2), "    7");
    calls = 0;
    EXPECT_EQ(g.GetFormattedCell(1, 3), "abc");
    EXPECT_EQ(calls, 0);
    format = "%s";  // refused by the formatter: the text stays
    EXPECT_EQ(g.GetFormattedCell(1, 1), "2");
}

TEST(ExGridLayout, TextSizeByLinesAndRotation) {
    QWidget form;
    TExStringGrid g(&form);
    g.resize(300, 200);
    const QFontMetrics fm(g.Font().ToQFont());
    const int gh = fm.height();
    struct Case {
        const char* name;
        QString text;
        bool multi;
        QSize expected;
    } cases[] = {
        {"two lines", QStringLiteral("ab\rcdef"), true, QSize(fm.horizontalAdvance("cdef"), 2 * gh)},
        {"first line only", QStringLiteral("ab\rcdef"), false, QSize(fm.horizontalAdvance("ab"), gh)},
        {"CR LF counts once", QStringLiteral("ab\r\ncdef"), true, QSize(fm.horizontalAdvance("cdef"), 2 * gh)},
        {"empty is one line", QString(), true, QSize(0, gh)},
    };
    for (const Case& c : cases) {
        g.SetMultilinecells(c.multi);
        g.SetCells(1, 1, c.text);
        EXPECT_EQ(g.CalcCellTextSize(1, 1, 1, false, false), c.expected) << c.name;
    }
    g.SetMultilinecells(false);
    g.AddRotated(1, 2, 90, "abcd");
    const int w = fm.horizontalAdvance("abcd");
    EXPECT_EQ(g.GetCellTextSize(1, 2, false, false), QSize(gh + 12, w + 12));
}

TEST(ExGridLayout, GraphicLayoutByKind) {
    TExStringGrid g;
    int w, h;
    TCellHAlign ha;
    TCellVAlign va;
    bool text;
    EXPECT_EQ(g.CellGraphicLayout(1, 1, w, h, ha, va, text), nullptr);
    EXPECT_EQ(std::make_tuple(w, h, ha, va, text), std::make_tuple(0, 0, haLeft, vaTop, true));
    g.AddButton(1, 1, 40, 18, "Go", haRight, vaCenter);
    ASSERT_NE(g.CellGraphicLayout(1, 1, w, h, ha, va, text), nullptr);
    EXPECT_EQ(std::make_tuple(w, h, ha, va, text), std::make_tuple(40, 18, haRight, vaCenter, true));
    g.AddRating(1, 2, 5, 0xFF, 0xCCCCCC);
    g.GetCellGraphic(1, 2)->CellAngle = 5;
    g.CellGraphicLayout(1, 2, w, h, ha, va, text);
    EXPECT_EQ(std::make_tuple(w, h, text), std::make_tuple(90, 16, false));
    g.AddProgressPie(1, 3, 0xFF, 50);
    g.CellGraphicLayout(1, 3, w, h, ha, va, text);
    EXPECT_EQ(std::make_tuple(w, h, text), std::make_tuple(20, 20, true));
    g.AddImageIdx(1, 4, 0, haLeft, vaTop);  // no image list: no room
    g.CellGraphicLayout(1, 4, w, h, ha, va, text);
    EXPECT_EQ(std::make_tuple(w, h), std::make_tuple(0, 0));
}

TEST(ExGridHooks, AutoDeleteOfTheOnlyDataRowClearsIt) {
    TExStringGrid g;
    g.SetRowCount(2);
    g.SetCells(1, 1, "x");
    int reported = -1;
    g.OnAutoDeleteRow = [&](QObject*, int32_t r) { reported = r; };
    g.AutoDeleteRow(1);
    EXPECT_EQ(g.RowCount(), 2);
    EXPECT_EQ(g.Cells(1, 1), "");
    EXPECT_EQ(reported, 1);
    g.SetRowCount(4);
    g.SetCells(1, 2, "y");
    g.AutoDeleteRow(1);
    EXPECT_EQ(g.RowCount(), 3);
    EXPECT_EQ(g.Cells(1, 1), "y");
}

TEST(ExGridHooks, SaveAndLoadTextsAndTheSelectionNotice) {
    TExStringGrid g;
    g.SetCells(1, 1, "<b>5</b>");
    QString v;
    g.GetSaveCellText(1, 1, v);
    EXPECT_EQ(v, "<b>5</b>");
    g.SetSaveWithHTML(false);
    g.GetSaveCellText(1, 1, v);
    EXPECT_EQ(v, "5");
    g.OnLoadCell = [](QObject*, int32_t, int32_t, QString& s) { s += "!"; };
    g.SetLoadCellText(1, 2, "in");
    EXPECT_EQ(g.Cells(1, 2), "in!");
    std::vector<int> seen;
    g.OnSelectionChanged = [&](QObject*, int32_t l, int32_t t, int32_t r, int32_t b) { seen = {l, t, r, b}; };
    g.SelectionChanged(1, 2, 3, 4);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_TRUE(g.SelectionChangedFlag());
}

// ---------------------------------------------------------------- colours

TEST(ExGridColours, WhereACellsColoursComeFrom) {
    TExStringGrid g;
    g.SetRowCount(10);
    g.SetColCount(4);
    g.SetColor(plat::clWhite);

    // Bands do not paint over a cell's own colour.
    g.Bands().SetPrimaryColor(0x00FFFF);
    g.Bands().SetSecondaryColor(0x00FF00);
    g.Bands().SetPrimaryLength(1);
    g.Bands().SetSecondaryLength(1);
    g.Bands().SetActive(true);
    for (int r = 1; r < 5; ++r) {
        g.CellProperties(2, r)->SetBrushColor(plat::clRed);
        EXPECT_EQ(visual(g, 2, r).brush.Color(), plat::clRed) << r;
        EXPECT_EQ(visual(g, 3, r).brush.Color(), r % 2 ? TColor(0x00FFFF) : TColor(0x00FF00)) << r;
    }
    g.Bands().SetActive(false);

    // Fixed cells: their own colour, else the look's white to button-face gradient.
    g.CellProperties(1, 0)->SetBrushColor(0x123456);
    Visual own = visual(g, 1, 0);
    EXPECT_EQ(own.brush.Color(), 0x123456);
    EXPECT_TRUE(own.state.contains(plat::gdFixed) == false);
    Visual plain = visual(g, 2, 0);
    EXPECT_EQ(plain.brush.Color(), 0xFFFFFF);
    EXPECT_EQ(plain.to, plat::ColorToRGB(plat::clBtnFace));
    EXPECT_TRUE(plain.state.contains(plat::gdFixed));

    // Selection mixed with the cell's colour; the grid colour gives the pure selection colour.
    g.SetSelectionColor(0xFF0000);
    g.SetSelectionColorMixer(true);
    g.SetSelectionColorMixerFactor(50);
    g.SelectRange(1, 3, 6, 6);
    g.CellProperties(1, 6)->SetBrushColor(0x0000FF);
    EXPECT_EQ(visual(g, 1, 6).brush.Color(), 0x800080);
    EXPECT_EQ(visual(g, 2, 6).brush.Color(), 0xFF0000);
    EXPECT_TRUE(visual(g, 2, 6).state.contains(plat::gdSelected));
    g.SetSelectionColorMixerFactor(0);
    EXPECT_EQ(visual(g, 1, 6).brush.Color(), 0x0000FF);
    g.SetSelectionColorMixerFactor(100);
    EXPECT_EQ(visual(g, 1, 6).brush.Color(), 0xFF0000);

    // A disabled row's font.
    g.SetRowEnabled(8, false);
    EXPECT_EQ(visual(g, 2, 8).font.Color(), 0xC0C0C0);
    EXPECT_NE(visual(g, 2, 7).font.Color(), 0xC0C0C0);
}

TEST(ExGridColours, MixingRoundsHalvesToEvenAndKeepsNone) {
    struct Case {
        TColor a, b;
        int percent;
        TColor expected;
    } cases[] = {
        {0xFF0000, 0x0000FF, 50, 0x800080},  // 127.5 -> 128
        {0x010101, 0x000000, 50, 0x000000},  // 0.5 -> 0
        {0x030303, 0x000000, 50, 0x020202},  // 1.5 -> 2
        {0xFF0000, 0x0000FF, 0, 0x0000FF},
        {0xFF0000, 0x0000FF, 100, 0xFF0000},
        {plat::clNone, 0x0000FF, 50, 0x0000FF},
        {0xFF0000, plat::clNone, 50, 0xFF0000},
        {plat::clWhite, plat::clBtnFace, 100, plat::clWhite},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TExStringGrid::MixColors(c.a, c.b, c.percent), c.expected) << std::hex << c.a << " " << c.b;
    EXPECT_EQ(TExStringGrid::SelectionMixColor(0xFF0000, 0x0000FF, false, 50), 0xFF0000);
}

TEST(ExGridColours, DisjunctSelectedRowsAreLightenedWithoutWrapping) {
    TExStringGrid g;
    g.SetRowCount(10);
    g.MouseActions().SetDisjunctRowSelect(true);
    g.SetRowSelect(5, true);
    g.SetRow(2);
    g.SetSelectionColor(0xFFFFFF);
    EXPECT_EQ(visual(g, 1, 5).brush.Color(), 0xFFFFFF);
    g.SetSelectionColor(0x646464);
    EXPECT_EQ(visual(g, 1, 5).brush.Color(), 0x6B6B6B);
    // Rows not marked lose the selection.
    EXPECT_FALSE(visual(g, 1, 4, {plat::gdSelected}).state.contains(plat::gdSelected));
}

// ---------------------------------------------------------------- presets

TEST(ExGridStyles, PresetsAndTheLook) {
    TExStringGrid g;
    g.SetComponentStyle(tsOffice2007Luna);
    EXPECT_EQ(g.Look(), glOffice2007);
    EXPECT_EQ(g.SelectionColor(), 0x5EC1F1);
    g.SetLook(glXP);
    EXPECT_EQ(g.SelectionColor(), 0xEACAB6);

    g.SetStyle(gsWindowsVista);
    EXPECT_EQ(g.Look(), glVista);
    EXPECT_EQ(g.SelectionStyle(), ssVista);
    EXPECT_EQ(g.GridLineColor(), 0xECECF0);
    EXPECT_EQ(g.GridFixedLineColor(), 0xD4D2D1);
    EXPECT_EQ(g.SelectionColor(), 0xEACAB6);
    EXPECT_EQ(g.VEZGradientMirrorTo(), 0xF4F2F1);
    EXPECT_EQ(g.SortSettings().HeaderMirrorColorTo(), 0xF6ECD8);
    EXPECT_EQ(g.ControlLook().FixedGradientFrom(), plat::clNone);  // none at the end
    EXPECT_EQ(g.SearchFooter().ColorTo(), 0xF4F2F1);

    const TColor line = g.GridLineColor();
    g.SetStyle(gsCustom);
    EXPECT_EQ(g.SelectionColor(), plat::clHighlight);
    EXPECT_EQ(g.SelectionTextColor(), plat::clHighlightText);
    EXPECT_EQ(g.SortSettings().HeaderColor(), plat::clNone);
    EXPECT_EQ(g.SortSettings().HeaderMirrorColorTo(), plat::clNone);
    EXPECT_EQ(g.SelectionStyle(), ssDefault);
    EXPECT_EQ(g.Look(), glVista);
    EXPECT_EQ(g.GridLineColor(), line);

    g.SetStyle(gsOffice2003Blue);
    EXPECT_EQ(g.Look(), glXP);
    EXPECT_EQ(g.VEZGradientFrom(), 0xFCE1CB);
    EXPECT_EQ(g.ControlLook().FixedGradientTo(), 0xE0A57D);
    EXPECT_EQ(g.ActiveCellColorTo(), 0x1595EE);
}

TEST(ExGridStyles, ColourTonesGiveTheFlatMetroLook) {
    QWidget form;
    TExStringGrid g(&form);
    TColorTones t;
    t.Background = {0xFAFAFA, 0xDDDDDD, 0x111111};
    t.Foreground = {0x646464, 0x000000, 0xFFFFFF};
    t.Selected = {0xFF8000, 0, 0xFFFFFF};
    g.SetColorTones(t);
    EXPECT_EQ(g.Look(), glClassic);
    EXPECT_TRUE(g.Flat());
    EXPECT_EQ(g.ScrollType(), ssMetro);
    EXPECT_EQ(g.ControlLook().ControlStyle(), csGlyph);
    EXPECT_EQ(g.GridLineColor(), 0xE6E6E6);
    EXPECT_EQ(g.GridFixedLineColor(), 0x505050);  // 100 less 20 percent
    EXPECT_EQ(g.FixedColor(), 0x646464);
    EXPECT_EQ(g.SelectionColor(), 0xFF8000);
    EXPECT_EQ(g.Color(), 0xFAFAFA);
    EXPECT_EQ(g.Font().Name(), DefaultUIFontName());
    EXPECT_EQ(g.CellNode().NodeType(), cnFlat);
    EXPECT_FALSE(g.ControlLook().CheckedGlyph().Empty());
    EXPECT_FALSE(g.ControlLook().RadioOnGlyph().Empty());
}

namespace {
class Office2010 : public IRegistryReader {
public:
    int theme = 1;
    bool KeyExists(const QString& Key) const override { return Key.contains("14.0\\Common\\General"); }
    std::optional<int> ReadInteger(const QString& Key, const QString& Name) const override {
        if (Key.contains("14.0\\Common") && Name == "Theme") return theme;
        return std::nullopt;
    }
};
}  // namespace

TEST(ExGridStyles, OfficeThemeAppliedOncePerChange) {
    TExStringGrid g;
    g.AdaptToOfficeTheme();  // no Office: nothing
    EXPECT_EQ(g.Look(), glXP);
    Office2010 office;
    SetRegistryReader(&office);
    g.AdaptToOfficeTheme();
    EXPECT_EQ(g.ComponentStyle(), tsOffice2010Blue);
    EXPECT_EQ(g.SelectionColor(), 0xFFDBB7);
    g.SetSelectionColor(0x111111);
    g.AdaptToOfficeTheme();  // the same theme again
    EXPECT_EQ(g.SelectionColor(), 0x111111);
    office.theme = 3;
    g.AdaptToOfficeTheme();
    EXPECT_EQ(g.ComponentStyle(), tsOffice2010Black);
    EXPECT_EQ(g.GridFixedLineColor(), 0x444444);

    // Switched on, a grid follows the theme at once and at each change notice.
    TExStringGrid follower;
    follower.SetAutoThemeAdapt(true);
    EXPECT_TRUE(follower.SearchFooter().AutoThemeAdapt());
    EXPECT_EQ(follower.ComponentStyle(), tsOffice2010Black);
    office.theme = 2;
    QEvent notice(OfficeThemeChangeEventType());
    QCoreApplication::sendEvent(&follower, &notice);
    EXPECT_EQ(follower.ComponentStyle(), tsOffice2010Silver);
    SetRegistryReader(nullptr);
}

TEST(ExGridLookWriter, SameLookChangesNothingAndCustomKeepsTheGradients) {
    TExStringGrid g;
    g.SetGridLineColor(0x123456);
    g.SetBorderColor(0x654321);
    g.SetScrollType(ssFlat);
    g.SetLook(glXP);  // the current look
    EXPECT_EQ(g.GridLineColor(), 0x123456);
    EXPECT_EQ(g.BorderColor(), 0x654321);
    EXPECT_EQ(g.ScrollType(), ssFlat);

    g.SetVEZGradientMirrorFrom(0x0A0B0C);
    g.ControlLook().SetFixedGradientFrom(0x0D0E0F);
    g.SetBorderStyle(plat::bsNone);
    g.SetLook(glCustom);
    EXPECT_EQ(g.VEZGradientMirrorFrom(), 0x0A0B0C);
    EXPECT_EQ(g.ControlLook().FixedGradientFrom(), 0x0D0E0F);
    EXPECT_EQ(g.ScrollType(), ssNormal);
    EXPECT_EQ(g.BorderStyle(), plat::bsSingle);
    EXPECT_EQ(g.BorderColor(), 0xB99D7F);

    // A classic look: button-face fixed cells and the highlight selection.
    g.SetLook(glClassic);
    EXPECT_EQ(g.FixedColor(), plat::clBtnFace);
    EXPECT_EQ(g.SelectionColor(), plat::clHighlight);
    EXPECT_EQ(g.ControlLook().FixedGradientFrom(), plat::clNone);
    EXPECT_EQ(TExStringGrid::LookName(glOffice2007), "glOffice2007");
    EXPECT_EQ(TExStringGrid::LookDisplayName(glXP), "Windows XP");
    EXPECT_EQ(TExStringGrid::LookName(glCustom), "");
}

// ---------------------------------------------------------------- URLs, group counts, sort row

TEST(ExGridDisplayText, FirstPrefixFoundIsLinkedAndNodesCountTheirRows) {
    TExStringGrid g;
    g.SetRowCount(10);
    g.SetCells(1, 1, "see www.one.com or http://two.com");
    EXPECT_EQ(g.Cells(1, 1), "see www.one.com or http://two.com");
    g.SetURLShowInText(true);
    const QString shown = g.Cells(1, 1);
    EXPECT_TRUE(shown.contains("href=\"http://two.com\"")) << shown.toStdString();
    EXPECT_FALSE(shown.contains("href=\"www.one.com\"")) << shown.toStdString();
    g.SetURLShowInText(false);

    g.SetCells(1, 2, "Group");
    g.AddNode(2, 5);
    g.Grouping().SetShowGroupCount(true);
    EXPECT_EQ(g.Cells(1, 2), "Group (4)");
    EXPECT_EQ(g.Cells(2, 2), "");  // column 1 only
    g.Grouping().SetGroupCountFormat(" [%d]");
    EXPECT_EQ(g.Cells(1, 2), "Group [4]");
    // A format the formatter refuses shows the plain count instead of failing at every paint.
    g.Grouping().SetGroupCountFormat(" %s");
    EXPECT_EQ(g.Cells(1, 2), "Group (4)");
}

TEST(ExGridDisplayText, SortIndicatorRowNeedsARowBeyondTheFirstDataRow) {
    TExStringGrid g;
    g.SetRowCount(2);
    g.SortSettings().SetShow(true);
    g.SortSettings().SetRow(0);
    EXPECT_FALSE(g.IsSortIndicatorRow(1, 0));
    g.SetRowCount(3);
    EXPECT_TRUE(g.IsSortIndicatorRow(1, 0));
    g.SortSettings().SetShow(false);
    EXPECT_FALSE(g.IsSortIndicatorRow(1, 0));
}
