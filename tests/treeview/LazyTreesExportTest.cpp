// The string tree's exports: the HTML and RTF tables with their literals, levels, fonts and
// escaping; delimited text and its quoting; the CSV file's bytes; the clipboard's blocks and the
// forms the data object hands out; the events of the custom export; and how a cancel or a failure
// ends an export.
#include <gtest/gtest.h>

#include <stdexcept>

#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QMimeData>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>

#include "platform/Clipboard.h"
#include "platform/Files.h"
#include "treeview/LazyTrees.ClipBoard.h"
#include "treeview/LazyTrees.Classes.h"
#include "treeview/LazyTrees.Export.h"
#include "treeview/LazyTrees.h"
#include "treeview/LazyTreesStream.h"

using enum TVSTTextSourceType;
using enum TLTExportType;
using enum TLTColumnOption;
using enum TLTHeaderOption;

static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
static void PrintTo(const QByteArray& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

// A string tree whose nodes carry the index of their row of cell texts (column -1 reads cell 0) and
// of their static text; fonts and colours fixed so the documents can be spelt out.
struct ExportTree {
    TLazyStringTree tree;
    std::vector<QStringList> rows;
    std::vector<QString> statics;
    explicit ExportTree(int columns = 0) {
        tree.SetNodeDataSize(int(sizeof(int)));
        tree.Font().SetName(QStringLiteral("Arial"));
        tree.Font().SetSize(9);
        tree.Font().SetColor(plat::clBlack);
        tree.Header().Font().SetName(QStringLiteral("Tahoma"));
        tree.Header().Font().SetSize(8);
        tree.Header().Font().SetColor(plat::RGB(0, 0, 128));
        tree.SetColor(plat::RGB(255, 255, 255));
        for (int i = 0; i < columns; ++i) {
            TLazyTreeColumn* c = tree.Header().Columns().Add();
            c->SetText(QString(QChar(u'A' + i)));
            c->SetWidth(100);
        }
        tree.OnGetText = [this](TCustomLazyStringTree*, PLazyNode node, TColumnIndex column, TVSTTextType type,
                                QString& text) {
            const int i = *tree.GetNodeData<int>(node);
            if (type == TVSTTextType::ttStatic) {
                text = statics[size_t(i)];
                return;
            }
            const QStringList& row = rows[size_t(i)];
            const int c = column < 0 ? 0 : column;
            if (c < row.size()) text = row[c];
        };
    }
    PLazyNode Add(PLazyNode parent, const QStringList& row, const QString& staticText = {}) {
        PLazyNode n = tree.AddChild(parent);
        *tree.GetNodeData<int>(n) = int(rows.size());
        rows.push_back(row);
        statics.push_back(staticText);
        return n;
    }
    PLazyNode Add(PLazyNode parent, const QString& text) { return Add(parent, QStringList{text}); }
    // A chain of nodes, each the child of the one before.
    std::vector<PLazyNode> Chain(const QStringList& texts) {
        std::vector<PLazyNode> nodes;
        for (const QString& t : texts) nodes.push_back(Add(nodes.empty() ? nullptr : nodes.back(), t));
        return nodes;
    }
};

const QString kHtmlPrologue = QStringLiteral(
    "<META http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"><style type=\"text/css\">\r\n"
    ".default{font-family: 'Arial'; font-size: 9pt; font-style: normal; font-weight: normal; text-decoration: "
    "none; color: #000000;}\r\n"
    ".header{font-family: 'Tahoma'; font-size: 8pt; font-style: normal; font-weight: normal; text-decoration: "
    "none; color: #000080;}\r\n"
    ".noborder{border-style: none;padding-left: 4px; padding-right: 4px;}\r\n"
    ".normalborder {vertical-align: top; border-right: none; border-left:none; border-top:none; border-bottom: "
    "none;border-width: thin; border-style: dotted;padding-left: 4px; padding-right: 4px;}</style>\r\n"
    "<table class=\"default\" style=\"border-collapse: collapse;\" bgcolor=#FFFFFF  border=\"1\" frame=box "
    "cellspacing=\"0\">\r\n");

// The cells of each node row of an HTML export: a row is " <tr ...>", a line end, the cells and
// " </tr>".
QStringList HtmlRows(const QString& html) {
    QStringList rows;
    const QStringList lines = html.split(QStringLiteral("\r\n"));
    for (int i = 0; i + 1 < lines.size(); ++i)
        if (lines[i] == QLatin1String(" <tr class=\"default\">")) {
            EXPECT_TRUE(lines[i + 1].endsWith(QLatin1String(" </tr>")));
            rows << lines[i + 1].chopped(6);
        }
    return rows;
}

// An RFC 4180 reader: fields separated by Sep, quoted fields may hold anything with "" for a quote;
// records end with CR LF (a last record without one counts too).
std::vector<QStringList> ReadCSV(const QString& text, QChar sep) {
    std::vector<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false, any = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == sep) {
            record << field;
            field.clear();
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            record << field;
            records.push_back(record);
            record.clear();
            field.clear();
            ++i;
            any = false;
            continue;
        } else {
            field += c;
        }
        any = true;
    }
    if (any) {
        record << field;
        records.push_back(record);
    }
    return records;
}

// Whether the RTF's braces pair up, counting neither escaped ones nor those inside \'hh.
bool BracesBalance(const QByteArray& rtf) {
    int depth = 0;
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\\') {
            ++i;
            continue;
        }
        if (rtf[i] == '{') ++depth;
        if (rtf[i] == '}' && --depth < 0) return false;
    }
    return depth == 0;
}

struct DefaultLocale {
    QLocale previous;
    explicit DefaultLocale(const QLocale& l) { QLocale::setDefault(l); }
    ~DefaultLocale() { QLocale::setDefault(previous); }
};

}  // namespace

// ---- HTML ----

TEST(LazyTreeHtmlExport, AnEmptyTreeGivesTheStyleBlockTheTableLineAndTheHeaderRowWithColumns) {
    ExportTree plain;
    EXPECT_EQ(plain.tree.ContentToHTML(tstAll), kHtmlPrologue + "</table>");

    ExportTree columns(2);
    columns.tree.Header().Columns()[1].SetAlignment(TAlignment::taRightJustify);
    const QString face = plat::ToQColor(plat::clBtnFace).name().toUpper();
    EXPECT_EQ(columns.tree.ContentToHTML(tstAll),
              kHtmlPrologue + "<tr class=\"header\" style=\"padding-left: 4px; padding-right: 4px;\">\r\n" +
                  "<th height=\"19px\" align=left bgcolor=" + face + " width=\"100px\">A</th>" +
                  "<th height=\"19px\" align=right bgcolor=" + face + " width=\"100px\">B</th></tr>\r\n</table>");
}

TEST(LazyTreeHtmlExport, LevelsGiveIndentationCellsAndColspans) {
    ExportTree t;
    const auto chain = t.Chain({"a", "b", "c", "d"});
    t.Add(nullptr, "e");
    const QStringList rows = HtmlRows(t.tree.ContentToHTML(tstAll));
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[0], " <td class=\"normalborder\"  height=\"18px\" align=left colspan=\"4\">a</td>");
    // Level 2 of a tree 3 deep: two indentation cells, the first with the class and the height.
    EXPECT_EQ(rows[2],
              " <td height=\"18px\" class=\"normalborder\">&nbsp;</td> <td>&nbsp;</td>"
              " <td class=\"normalborder\"  height=\"18px\" align=left colspan=\"2\">c</td>");
    // The deepest node spans nothing.
    EXPECT_EQ(rows[3],
              " <td height=\"18px\" class=\"normalborder\">&nbsp;</td> <td>&nbsp;</td> <td>&nbsp;</td>"
              " <td class=\"normalborder\"  height=\"18px\" align=left>d</td>");

    // A flat tree: no colspan anywhere, no indentation.
    ExportTree flat(1);
    flat.Add(nullptr, "x");
    flat.Add(nullptr, "y");
    const QString html = flat.tree.ContentToHTML(tstAll);
    EXPECT_FALSE(html.contains(QStringLiteral("colspan")));
    EXPECT_FALSE(html.contains(QStringLiteral("&nbsp;")));
    EXPECT_EQ(HtmlRows(html).size(), 2);
    (void)chain;
}

TEST(LazyTreeHtmlExport, ARefusedNodeStillCountsForTheDepthAndColumnsColourTheirIndentation) {
    ExportTree t(2);
    const auto chain = t.Chain({"a", "b", "c", "d"});
    t.tree.Header().SetMainColumn(0);
    t.tree.OnBeforeNodeExport = [&](TBaseLazyTree*, TLTExportType type, PLazyNode n) {
        EXPECT_EQ(type, etHTML);
        return n != chain[3];
    };
    const QString html = t.tree.ContentToHTML(tstAll);
    EXPECT_TRUE(html.contains(QStringLiteral("<th height=\"19px\" align=left colspan=\"4\" bgcolor=")));
    QStringList rows = HtmlRows(html);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_TRUE(rows[2].contains(QStringLiteral("align=left colspan=\"2\">c</td>"))) << rows[2].toStdString();

    // A column with a colour of its own colours its indentation cells and its cells.
    auto& col = t.tree.Header().Columns()[0];
    col.SetOptions(col.Options() - coParentColor);
    col.SetColor(plat::RGB(0x12, 0x34, 0x56));
    t.tree.OnBeforeNodeExport = nullptr;
    rows = HtmlRows(t.tree.ContentToHTML(tstAll));
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[1],
              "<td class=\"noborder\" width=\"18\" height=\"18px\" bgcolor=#123456>&nbsp;</td>"
              " <td class=\"normalborder\"  height=\"18px\" align=left colspan=\"3\" bgcolor=#123456>b</td>"
              " <td class=\"normalborder\"  height=\"18px\" align=left></td>");
}

TEST(LazyTreeHtmlExport, ACellFontChangedByOnPaintTextGoesInlineWithoutBraces) {
    ExportTree t;
    t.Add(nullptr, "plain");
    PLazyNode bold = t.Add(nullptr, "bold");
    t.tree.OnPaintText = [&](TCustomLazyStringTree*, TCanvas* canvas, PLazyNode n, TColumnIndex, TVSTTextType) {
        if (n == bold) {
            canvas->Font().SetStyle(canvas->Font().Style().include(plat::fsBold));
            canvas->Font().SetColor(plat::RGB(255, 0, 0));
        }
    };
    const QStringList rows = HtmlRows(t.tree.ContentToHTML(tstAll));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0], " <td class=\"normalborder\"  height=\"18px\" align=left>plain</td>");
    EXPECT_EQ(rows[1],
              " <td class=\"normalborder\"  style=\"font-family: 'Arial'; font-size: 9pt; font-style: normal; "
              "font-weight: bold; text-decoration: none; color: #FF0000;\" height=\"18px\" align=left>bold</td>");
    // The canvas has the tree's font again.
    EXPECT_FALSE(t.tree.Canvas().Font().Style().contains(plat::fsBold));
}

TEST(LazyTreeHtmlExport, TextsFromTheApplicationAreEscaped) {
    ExportTree t(1);
    t.tree.Header().Columns()[0].SetText(QStringLiteral("<i>\"&"));
    t.Add(nullptr, {QStringLiteral("<b>&\"")}, QStringLiteral("</td>"));
    auto options = t.tree.StringTreeOptions().StringOptions();
    t.tree.StringTreeOptions().SetStringOptions(options + TLTStringOption::toShowStaticText);
    t.tree.Font().SetName(QStringLiteral("x'</style><script>&"));
    const QString html = t.tree.ContentToHTML(tstAll, QStringLiteral("<b>&\""));
    EXPECT_TRUE(html.contains(QStringLiteral(">&lt;b&gt;&amp;&quot; &lt;/td&gt;</td>")));
    EXPECT_TRUE(html.contains(QStringLiteral(">&lt;i&gt;&quot;&amp;</th>")));
    EXPECT_TRUE(html.contains(QStringLiteral(" caption=\"&lt;b&gt;&amp;&quot;\" border=")));
    EXPECT_TRUE(html.contains(QStringLiteral(".default{font-family: 'x\\27 \\3c /style\\3e \\3c script\\3e \\26 ';")));
    // Only the exporter's own tags remain.
    QStringList tags;
    for (const auto& m : QRegularExpression(QStringLiteral("<(/?[A-Za-z]+)")).globalMatch(html)) tags << m.captured(1);
    tags.removeDuplicates();
    tags.sort();
    EXPECT_EQ(tags, (QStringList{"/style", "/table", "/td", "/th", "/tr", "META", "style", "table", "td", "th", "tr"}));
}

TEST(LazyTreeHtmlExport, RightToLeftColumnsAreMirroredAndMarked) {
    ExportTree t(1);
    auto& col = t.tree.Header().Columns()[0];
    col.SetBiDiMode(TColumnBiDiMode::bdRightToLeft);
    col.SetAlignment(TAlignment::taLeftJustify);
    t.Add(nullptr, "x");
    const QString html = t.tree.ContentToHTML(tstAll);
    EXPECT_TRUE(html.contains(QStringLiteral("<th height=\"19px\" dir=\"rtl\" align=right bgcolor=")));
    EXPECT_EQ(HtmlRows(html).value(0), " <td class=\"normalborder\"  height=\"18px\" dir=\"rtl\" align=right>x</td>");
}

// ---- Which nodes ----

TEST(LazyTreeExportWalk, SourcesAndExportModesChooseTheNodes) {
    struct Case {
        const char* name;
        TVSTTextSourceType source;
        TLTExportMode mode;
        QStringList expected;
    };
    const Case cases[] = {
        {"all", tstAll, TLTExportMode::emAll, {"a", "a1", "b", "b1"}},
        {"selected", tstSelected, TLTExportMode::emAll, {"a1", "b"}},
        {"checked", tstChecked, TLTExportMode::emAll, {"a", "b1"}},
        {"visible", tstVisible, TLTExportMode::emAll, {"a", "a1", "b"}},
        {"initialized", tstInitialized, TLTExportMode::emAll, {"a", "a1", "b", "b1"}},
        {"modeChecked", tstAll, TLTExportMode::emChecked, {"a", "b1"}},
        {"modeUnchecked", tstAll, TLTExportMode::emUnchecked, {"a1", "b"}},
        {"modeSelected", tstAll, TLTExportMode::emSelected, {"a1", "b"}},
        {"modeExpansion", tstAll, TLTExportMode::emVisibleDueToExpansion, {"a", "a1", "b"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExportTree t;
        PLazyNode a = t.Add(nullptr, "a");
        PLazyNode a1 = t.Add(a, "a1");
        PLazyNode b = t.Add(nullptr, "b");
        PLazyNode b1 = t.Add(b, "b1");
        t.tree.SetExpanded(a, true);
        for (PLazyNode n : {a, a1, b, b1}) t.tree.SetCheckType(n, TCheckType::ctCheckBox);
        t.tree.SetCheckState(a, TCheckState::csCheckedNormal);
        t.tree.SetCheckState(b1, TCheckState::csCheckedNormal);
        t.tree.SetCheckState(a1, TCheckState::csUncheckedNormal);
        t.tree.SetCheckState(b, TCheckState::csUncheckedNormal);
        t.tree.AddToSelection(a1);
        t.tree.AddToSelection(b);
        t.tree.TreeOptions().SetExportMode(c.mode);
        QStringList seen;
        t.tree.OnNodeExport = [&](TBaseLazyTree*, TLTExportType, PLazyNode n) {
            seen << t.tree.Text(n);
            return true;
        };
        t.tree.ContentToCustom(c.source);
        EXPECT_EQ(seen, c.expected);
    }
}

TEST(LazyTreeExportWalk, ACancelEndsTheDocumentNormallyAndAFailureClosesTheOperation) {
    ExportTree t;
    PLazyNode first = t.Add(nullptr, "first");
    t.Add(nullptr, "second");
    t.tree.OnBeforeNodeExport = [&](TBaseLazyTree* sender, TLTExportType, PLazyNode n) {
        if (n == first) sender->CancelOperation();
        return true;
    };
    const QString html = t.tree.ContentToHTML(tstAll);
    EXPECT_TRUE(html.endsWith(QStringLiteral(">first</td> </tr>\r\n</table>")));
    EXPECT_FALSE(html.contains(QStringLiteral("second")));
    const QByteArray rtf = t.tree.ContentToRTF(tstAll);
    EXPECT_TRUE(rtf.endsWith("\\cell\\row\r\n\\pard\\par}"));
    EXPECT_EQ(rtf.count("\\row"), 1);
    EXPECT_EQ(t.tree.OperationCount(), 0u);
    // The next export starts uncancelled.
    t.tree.OnBeforeNodeExport = nullptr;
    EXPECT_EQ(HtmlRows(t.tree.ContentToHTML(tstAll)).size(), 2);

    t.tree.OnAfterNodeExport = [](TBaseLazyTree*, TLTExportType, PLazyNode) -> bool { throw std::runtime_error("disk"); };
    t.tree.OnPaintText = [](TCustomLazyStringTree*, TCanvas* canvas, PLazyNode, TColumnIndex, TVSTTextType) {
        canvas->Font().SetName(QStringLiteral("Courier"));
    };
    EXPECT_THROW(t.tree.ContentToRTF(tstAll), std::runtime_error);
    EXPECT_EQ(t.tree.OperationCount(), 0u);
    EXPECT_EQ(t.tree.Canvas().Font().Name(), QStringLiteral("Arial"));
}

// ---- RTF ----

TEST(LazyTreeRtfExport, AnEmptyTreeIsThePrefixTheCellsTheHeaderRowAndAnEmptyParagraph) {
    const int ppi = [] {
        TLazyStringTree probe;
        return probe.logicalDpiX();
    }();
    auto twips = [&](int pixels) { return QByteArray::number(qRound64(double(pixels) * 1440 / ppi)); };
    {
        DefaultLocale us(QLocale(QLocale::English, QLocale::UnitedStates));
        ExportTree plain;
        EXPECT_EQ(plain.tree.ContentToRTF(tstAll),
                  "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1043{\\fonttbl}{\\colortbl;}\\paperw15840\\paperh12240"
                  "\\margl720\\margr720\\margt720\\margb720\\uc1\\trowd\\trgaph70\\cellx" +
                      twips(plain.tree.viewport()->width()) + "\\pard\\par}");
    }
    DefaultLocale de(QLocale(QLocale::German, QLocale::Germany));
    ExportTree columns(2);
    columns.tree.Header().Columns()[1].SetWidth(50);
    columns.tree.Header().Columns()[1].SetCaptionAlignment(TAlignment::taCenter);
    EXPECT_EQ(columns.tree.ContentToRTF(tstAll),
              "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1043{\\fonttbl{\\f0 Tahoma;}}{\\colortbl;\\red0\\green0\\blue128;}"
              "\\paperw16840\\paperh11907\\margl720\\margr720\\margt720\\margb720"
              "\\uc1\\trowd\\trgaph70\\cellx" +
                  twips(100) + "\\cellx" + twips(150) +
                  "\\pard\\intbl\\ql\\f0\\cf1\\fs16 \\u65\\'3f\\cell\\qc \\u66\\'3f\\cell\\row\\pard\\par}");
}

TEST(LazyTreeRtfExport, TextsAreUnicodeEscapesOfSignedUnits) {
    const struct {
        const char* name;
        QString text;
        QByteArray escaped;
    } cases[] = {
        {"letters", QStringLiteral("ab"), "\\u97\\'3f\\u98\\'3f"},
        {"euro", QString(QChar(0x20AC)), "\\u8364\\'3f"},
        {"replacement", QString(QChar(0xFFFD)), "\\u-3\\'3f"},
        {"lineBreaks", QStringLiteral("a\r\nb"), "\\u97\\'3f{\\par}\\u98\\'3f"},
        {"braces", QStringLiteral("{\\}"), "\\u123\\'3f\\u92\\'3f\\u125\\'3f"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExportTree t;
        t.Add(nullptr, c.text);
        const QByteArray rtf = t.tree.ContentToRTF(tstAll);
        EXPECT_TRUE(rtf.contains("\\pard\\intbl\\f0\\cf1\\fs18 " + c.escaped + "\\cell\\row\r\n")) << rtf.toStdString();
    }
}

TEST(LazyTreeRtfExport, FontsAndColoursAreDeclaredOnceAndSelectedOnChange) {
    ExportTree t;
    const auto chain = t.Chain({"a", "b", "c"});
    PLazyNode styled = t.Add(nullptr, "d");
    t.Add(nullptr, "e");
    t.tree.OnPaintText = [&](TCustomLazyStringTree*, TCanvas* canvas, PLazyNode n, TColumnIndex, TVSTTextType) {
        if (n != styled) return;
        canvas->Font().SetStyle({plat::fsBold, plat::fsItalic, plat::fsUnderline});
        canvas->Font().SetColor(plat::RGB(1, 2, 3));
        canvas->Font().SetName(QStringLiteral("ARIAL"));  // the same font in another letter case
        canvas->Font().SetHeight(16);                     // a cell height in pixels
    };
    const QByteArray rtf = t.tree.ContentToRTF(tstAll);
    EXPECT_TRUE(rtf.contains("{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue0;\\red1\\green2\\blue3;}"));
    EXPECT_EQ(rtf.count("\\f0"), 2);  // declared and selected once
    const QList<QByteArray> rows = rtf.mid(rtf.indexOf("\\pard\\intbl")).split('\n');
    ASSERT_GE(rows.size(), 5);
    EXPECT_EQ(rows[0], "\\pard\\intbl\\f0\\cf1\\fs18 \\u97\\'3f\\cell\\row\r");
    // The indentation's blank, then the one that ends the (here empty) font words.
    EXPECT_EQ(rows[1], "\\pard\\intbl\\tab  \\u98\\'3f\\cell\\row\r");
    EXPECT_EQ(rows[2], "\\pard\\intbl\\tab\\tab  \\u99\\'3f\\cell\\row\r");
    // 16 pixels are 12 points at 96 pixels per inch.
    const int points = (16 * 72 + t.tree.logicalDpiX() / 2) / t.tree.logicalDpiX();
    EXPECT_EQ(rows[3], "\\pard\\intbl\\ul\\i\\b\\cf2\\fs" + QByteArray::number(points * 2) +
                           " \\u100\\'3f\\ul0\\i0\\b0\\cell\\row\r");
    EXPECT_EQ(rows[4], "\\pard\\intbl\\cf1\\fs18 \\u101\\'3f\\cell\\row\r");
    (void)chain;
}

TEST(LazyTreeRtfExport, OnlyHeaderCellsWriteLeftAlignmentAndStaticTextFollowsInItsFont) {
    ExportTree t(2);
    t.tree.Header().Columns()[1].SetAlignment(TAlignment::taRightJustify);
    t.Add(nullptr, {"l", "r"}, QStringLiteral("s"));
    auto options = t.tree.StringTreeOptions().StringOptions();
    t.tree.StringTreeOptions().SetStringOptions(options + TLTStringOption::toShowStaticText);
    t.tree.OnPaintText = [](TCustomLazyStringTree*, TCanvas* canvas, PLazyNode, TColumnIndex, TVSTTextType type) {
        if (type == TVSTTextType::ttStatic) canvas->Font().SetColor(plat::RGB(0, 128, 0));
    };
    const QByteArray rtf = t.tree.ContentToRTF(tstAll);
    EXPECT_TRUE(rtf.contains("\\row\\pard\\intbl\\f1\\cf2\\fs18 \\u108\\'3f\\cf3 \\u32\\'3f\\u115\\'3f\\cell"
                             "\\pard\\intbl\\qr\\cf2 \\u114\\'3f\\cf3 \\u32\\'3f\\u115\\'3f\\cell\\row"))
        << rtf.toStdString();
    EXPECT_TRUE(rtf.contains("\\pard\\intbl\\ql\\f0\\cf1\\fs16 \\u65\\'3f\\cell\\qr \\u66\\'3f\\cell\\row"));
}

TEST(LazyTreeRtfExport, FontNamesAreEscapedInTheFontTable) {
    ExportTree t;
    t.Add(nullptr, "x");
    t.tree.Font().SetName(QStringLiteral("Odd {Font} \\ä;"));
    const QByteArray rtf = t.tree.ContentToRTF(tstAll);
    EXPECT_TRUE(rtf.contains("{\\fonttbl{\\f0 Odd \\{Font\\} \\\\\\u228\\'3f\\'3b;}}")) << rtf.toStdString();
    EXPECT_TRUE(BracesBalance(rtf));
    // Nothing beyond ASCII in the whole document.
    for (char c : rtf) EXPECT_GE(int(c), 0);
}

// ---- Text ----

TEST(LazyTreeTextExport, LevelsBecomeLeadingAndTrailingSeparators) {
    ExportTree plain;
    plain.Chain({"x", "y"});
    EXPECT_EQ(plain.tree.ContentToText(tstAll, u';'), "x\r\n;y\r\n");
    EXPECT_EQ(plain.tree.ContentToUnicode(tstAll, u';'), "x\r\n;y\r\n");

    ExportTree columns(2);
    PLazyNode top = columns.Add(nullptr, {"a", "b"});
    columns.Add(top, {"c", "d"});
    columns.tree.Header().SetMainColumn(0);
    EXPECT_EQ(columns.tree.ContentToText(tstAll, u'\t'), "A\t\tB\r\na\t\tb\r\n\tc\td\r\n");
    // With the main column last the header carries no indent; a longer separator is used whole.
    columns.tree.Header().SetMainColumn(1);
    EXPECT_EQ(columns.tree.ContentToText(tstAll, QStringLiteral("||")), "A||B\r\na||b||\r\nc||||d\r\n");
}

TEST(LazyTreeTextExport, AnEmptySeparatorQuotesNothing) {
    // No text holds an empty separator: nothing is quoted, not even a text with quotes of its own.
    ExportTree t(2);
    t.Add(nullptr, {"a", "say \"hi\""});
    t.tree.Header().SetMainColumn(0);
    EXPECT_EQ(t.tree.ContentToText(tstAll, QString()), "AB\r\nasay \"hi\"\r\n");
}

TEST(LazyTreeTextExport, QuotingByTheSeparatorAndInTheCsvFormat) {
    struct Case {
        const char* name;
        int columns;
        QString text;
        QString tabText;  // ContentToText with a tab
        QString csvText;  // the "CSV" clipboard format's text with ","
    };
    const Case cases[] = {
        {"columnsTab", 1, "a\tb", "A\r\n\"a\tb\"\r\n", "A\r\na\tb\r\n"},
        {"columnsComma", 1, "a,b", "A\r\na,b\r\n", "A\r\n\"a,b\"\r\n"},
        {"columnsQuote", 1, "say \"hi\"", "A\r\nsay \"hi\"\r\n", "A\r\n\"say \"\"hi\"\"\"\r\n"},
        {"columnsLineBreak", 1, "1\r\n2", "A\r\n1\r\n2\r\n", "A\r\n\"1\r\n2\"\r\n"},
        {"columnsTabAndQuote", 1, "\"\t", "A\r\n\"\"\"\t\"\r\n", "A\r\n\"\"\"\t\"\r\n"},
        {"noColumnsTab", 0, "a\tb", "a\tb\r\n", "a\tb\r\n"},
        {"noColumnsComma", 0, "a,b", "a,b\r\n", "\"a,b\"\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExportTree t(c.columns);
        PLazyNode n = t.Add(nullptr, c.text);
        t.tree.AddToSelection(n);
        EXPECT_EQ(t.tree.ContentToText(tstAll, u'\t'), c.tabText);
        const QByteArray csv = t.tree.ContentToClipboard(RegisterClipboardFormat(QStringLiteral("CSV")), tstAll);
        EXPECT_EQ(csv, plat::toWindows1252(c.csvText) + '\0');
    }
}

TEST(LazyTreeTextExport, CsvValuesReadBackWholeWithAnyListSeparator) {
    ExportTree t(2);
    PLazyNode top = t.Add(nullptr, {"he said \"x;y\"", "line\r\nbreak"});
    t.Add(top, {"", "\"\""});
    t.tree.Header().Columns()[0].SetText(QStringLiteral("Na;me"));
    t.tree.Header().SetMainColumn(0);
    t.tree.SetListSeparator(u';');
    const uint16_t csv = RegisterClipboardFormat(QStringLiteral("CSV"));
    const QByteArray block = t.tree.ContentToClipboard(csv, tstAll);
    const auto records = ReadCSV(plat::fromWindows1252(block.chopped(1)), u';');
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0], (QStringList{"Na;me", "", "B"}));
    EXPECT_EQ(records[1], (QStringList{"he said \"x;y\"", "", "line\r\nbreak"}));
    EXPECT_EQ(records[2], (QStringList{"", "", "\"\""}));
}

// ---- Clipboard blocks ----

TEST(LazyTreeClipboardExport, BlocksPerFormat) {
    ExportTree t;
    PLazyNode n = t.Add(nullptr, QStringLiteral("€ü日"));
    // Nothing selected: only the terminators.
    EXPECT_EQ(t.tree.ContentToClipboard(lazytree::CF_UNICODETEXT, tstSelected), QByteArray(2, '\0'));
    EXPECT_EQ(t.tree.ContentToClipboard(lazytree::CF_TEXT, tstSelected), QByteArray(1, '\0'));
    EXPECT_TRUE(t.tree.ContentToClipboard(2, tstAll).isNull());
    EXPECT_TRUE(t.tree.ContentToClipboard(lazytree::CF_LAZYTREE(), tstAll).isNull());

    t.tree.AddToSelection(n);
    EXPECT_EQ(t.tree.ContentToClipboard(lazytree::CF_TEXT, tstSelected), QByteArray("\x80\xFC?\r\n", 5) + '\0');
    EXPECT_EQ(t.tree.ContentToClipboard(lazytree::CF_UNICODETEXT, tstSelected),
              QByteArray("\xAC\x20\xFC\x00\xE5\x65\r\0\n\0\0\0", 12));
    for (const char* rtf : {"Rich Text Format", "Rich Text Format Without Objects"})
        EXPECT_EQ(t.tree.ContentToClipboard(RegisterClipboardFormat(QString::fromLatin1(rtf)), tstSelected),
                  t.tree.ContentToRTF(tstSelected) + '\0');

    // The HTML block: the envelope's offsets cut out exactly the UTF-8 document.
    const QByteArray html = t.tree.ContentToClipboard(RegisterClipboardFormat(QStringLiteral("HTML Format")), tstSelected);
    ASSERT_TRUE(html.endsWith('\0'));
    auto number = [&](const char* name) {
        const qsizetype at = html.indexOf(name) + qsizetype(qstrlen(name));
        return html.mid(at, 8).toInt();
    };
    EXPECT_EQ(html.mid(number("StartFragment:"), number("EndFragment:") - number("StartFragment:")),
              t.tree.ContentToHTML(tstSelected).toUtf8());
    EXPECT_EQ(number("EndHTML:"), html.size() - 1);
}

TEST(LazyTreeClipboardExport, TheHtmlEnvelopeOfAThousandBytes) {
    QByteArray fragment(1000, 'x');
    lazytree::MakeCFHTMLData(fragment);
    EXPECT_TRUE(fragment.startsWith("Version:1.0\r\nStartHTML:00000097\r\nEndHTML:00001301\r\n"
                                    "StartFragment:00000269\r\nEndFragment:00001269\r\n"
                                    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">"));
    EXPECT_EQ(fragment.size(), 1301);
    EXPECT_EQ(fragment.mid(269, 1269 - 269), QByteArray(1000, 'x'));
    EXPECT_TRUE(fragment.mid(97, 269 - 97).endsWith("<body><!--StartFragment-->"));
    EXPECT_TRUE(fragment.endsWith("<!--EndFragment--></body></html>"));
}

TEST(LazyTreeClipboardExport, TheDataObjectHandsOutTheTextFormatsOfTheCopiedNodes) {
    ExportTree t(2);
    PLazyNode a = t.Add(nullptr, {"a,1", "€"});
    t.Add(nullptr, {"not copied", "-"});
    t.tree.SetClipboardFormats({"Plain text", "Unicode text", "CSV", "HTML Format", "Rich Text Format"});
    t.tree.AddToSelection(a);
    t.tree.CopyToClipboard();
    // The selection moves on; the copied nodes are what the clipboard renders.
    t.tree.ClearSelection();
    const QMimeData* data = plat::clipboard().Get();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->data("text/plain"), QByteArray("A\tB\r\na,1\t\xE2\x82\xAC\r\n"));
    EXPECT_EQ(data->data("text/plain;charset=windows-1252"), QByteArray("A\tB\r\na,1\t\x80\r\n"));
    EXPECT_EQ(data->data("text/csv"), QByteArray("A,B\r\n\"a,1\",\xE2\x82\xAC\r\n"));
    EXPECT_TRUE(data->data("text/html").startsWith("<META http-equiv="));
    EXPECT_TRUE(data->data("text/html").contains(">\xE2\x82\xAC</td>"));
    EXPECT_FALSE(data->data("text/html").contains("not copied"));
    EXPECT_TRUE(data->data("text/rtf").startsWith("{\\rtf1\\ansi"));
    EXPECT_TRUE(data->data("text/rtf").contains("\\u8364\\'3f"));
    t.tree.CancelCutOrCopy();
    plat::clipboard().Clear();
}

TEST(LazyTreeClipboardExport, ARenderingThatFailsGivesNoDataAndIsCounted) {
    ExportTree t(1);
    PLazyNode a = t.Add(nullptr, QStringLiteral("a"));
    t.tree.SetClipboardFormats({"Plain text", "Unicode text"});
    t.tree.AddToSelection(a);
    t.tree.CopyToClipboard();
    // The text handler fails by the time a reader asks for the data.
    t.tree.OnGetText = [](TCustomLazyStringTree*, PLazyNode, TColumnIndex, TVSTTextType, QString&) {
        throw std::runtime_error("no text");
    };
    const QMimeData* data = plat::clipboard().Get();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(t.tree.SuppressedErrors(), 0u);
    EXPECT_TRUE(data->data("text/plain").isEmpty());
    EXPECT_EQ(t.tree.SuppressedErrors(), 1u);
    t.tree.CancelCutOrCopy();
    plat::clipboard().Clear();
}

// ---- CSV file ----

TEST(LazyTreeCsvFile, TopLevelNodesEveryColumnQuotedInUtf8) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ExportTree t(2);
    EXPECT_FALSE(t.tree.SaveToCSVFile({}, true));

    // Empty texts are one blank; children never appear.
    t.tree.OnGetText = [](TCustomLazyStringTree*, PLazyNode, TColumnIndex, TVSTTextType, QString& text) { text.clear(); };
    PLazyNode top = t.Add(nullptr, {"", ""});
    t.Add(top, {"child", "child"});
    const QString path = dir.filePath(QStringLiteral("blank.csv"));
    EXPECT_TRUE(t.tree.SaveToCSVFile(path, false));
    EXPECT_EQ(plat::readFile(path).value_or("missing"), QByteArray("\" \",\" \"\r\n"));

    ExportTree named(3);
    named.tree.Header().Columns()[0].SetText(QStringLiteral("Say \"x\""));
    auto& hidden = named.tree.Header().Columns()[2];
    hidden.SetOptions(hidden.Options() - coVisible);
    named.Add(nullptr, {"ü€日", "a,b", "h"});
    named.Add(nullptr, QStringList{"2"});  // columns 1 and 2 unanswered: the default text
    const QString path2 = dir.filePath(QStringLiteral("named.csv"));
    EXPECT_TRUE(named.tree.SaveToCSVFile(path2, true));
    // The texts as they are: the locale's code page here is UTF-8, and a 1252 file would turn the
    // last character into "?".
    EXPECT_EQ(plat::readFile(path2).value_or("missing"),
              QByteArray("\"Say \"\"x\"\"\",\"B\",\"C\"\r\n\"\xC3\xBC\xE2\x82\xAC\xE6\x97\xA5\",\"a,b\",\"h\"\r\n"
                         "\"2\",\"Node\",\"Node\"\r\n"));

    // A file that cannot be made raises and leaves nothing.
    const QString bad = dir.filePath(QStringLiteral("no/such/folder.csv"));
    EXPECT_THROW(named.tree.SaveToCSVFile(bad, true), EStreamError);
    EXPECT_FALSE(QFile::exists(bad));
}

// ---- Custom ----

TEST(LazyTreeCustomExport, EventsInOrderAndNoneOfTheHeaderWhenItIsHidden) {
    for (bool headerVisible : {true, false}) {
        SCOPED_TRACE(headerVisible);
        ExportTree t(2);
        const auto options = t.tree.Header().Options();
        t.tree.Header().SetOptions(headerVisible ? options + hoVisible : options - hoVisible);
        PLazyNode a = t.Add(nullptr, "a");
        t.Add(a, "a1");
        QStringList log;
        auto tree = [&](const char* name) {
            return [&log, name](TBaseLazyTree*, TLTExportType type) {
                EXPECT_EQ(type, etCustom);
                log << name;
            };
        };
        auto column = [&](const char* name) {
            return [&log, name](TBaseLazyTree*, TLTExportType, TLazyTreeColumn* c) {
                log << QStringLiteral("%1 %2").arg(name).arg(c->Index());
            };
        };
        auto node = [&](const char* name, bool answer) {
            return [&log, &t, name, answer](TBaseLazyTree*, TLTExportType, PLazyNode n) {
                log << QStringLiteral("%1 %2").arg(name, t.tree.Text(n));
                return answer;
            };
        };
        t.tree.OnBeforeTreeExport = tree("BeforeTree");
        t.tree.OnAfterTreeExport = tree("AfterTree");
        t.tree.OnBeforeHeaderExport = tree("BeforeHeader");
        t.tree.OnAfterHeaderExport = tree("AfterHeader");
        t.tree.OnBeforeColumnExport = column("BeforeColumn");
        t.tree.OnColumnExport = column("Column");
        t.tree.OnAfterColumnExport = column("AfterColumn");
        // A refusal does not keep the node from its export event here.
        t.tree.OnBeforeNodeExport = node("BeforeNode", false);
        t.tree.OnNodeExport = node("Node", true);
        t.tree.OnAfterNodeExport = node("AfterNode", true);
        t.tree.ContentToCustom(tstAll);
        QStringList expected{"BeforeTree"};
        if (headerVisible)
            expected << "BeforeHeader" << "BeforeColumn 0" << "Column 0" << "AfterColumn 0" << "BeforeColumn 1"
                     << "Column 1" << "AfterColumn 1" << "AfterHeader";
        expected << "BeforeNode a" << "Node a" << "AfterNode a" << "BeforeNode a1" << "Node a1" << "AfterNode a1"
                 << "AfterTree";
        EXPECT_EQ(log, expected);
        EXPECT_EQ(t.tree.OperationCount(), 0u);
    }
}

// ---- Buffers ----

TEST(LazyTreeExportBuffers, GrowWhateverTheSizesAppendedAndHandTheTextOver) {
    TBufferedString wide;
    EXPECT_EQ(wide.AsString(), QString());
    TBufferedRawByteString raw;
    QString expectedWide;
    QByteArray expectedRaw;
    // Pieces around the block boundaries, line ends into nearly full blocks.
    for (int n : {1, 4094, 1, 1, 0, 4096, 8191, 3, 20000}) {
        const QString piece(n, QChar(u'a' + n % 26));
        wide.Add(piece);
        wide.AddNewLine();
        raw.Add(piece.toLatin1());
        raw.AddNewLine();
        expectedWide += piece + "\r\n";
        expectedRaw += piece.toLatin1() + "\r\n";
    }
    EXPECT_EQ(wide.AsString(), expectedWide);
    EXPECT_EQ(raw.AsString(), expectedRaw);
    // Handing the text over empties the buffer, which can be written again.
    EXPECT_EQ(wide.TakeString(), expectedWide);
    EXPECT_EQ(raw.TakeString(), expectedRaw);
    EXPECT_EQ(wide.Length(), 0u);
    wide.Add(u"again");
    wide.AddNewLine();
    EXPECT_EQ(wide.AsString(), "again\r\n");
}
