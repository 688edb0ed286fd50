// The string tree's exports. Every document is assembled in one growable buffer; the cells' texts
// come from the text event and their fonts from OnPaintText, as when painting. Texts from the
// application are escaped for the document they go into, so no cell can add markup of its own.
#include "treeview/LazyTrees.Export.h"

#include <QLocale>
#include <QtEndian>
#include <charconv>
#include <cstring>

#include "platform/Files.h"
#include "platform/Numbers.h"
#include "treeview/LazyTrees.Classes.h"
#include "treeview/LazyTrees.ClipBoard.h"
#include "treeview/LazyTrees.h"
#include "treeview/LazyTreesStream.h"

using enum TLTExportType;
using enum TVSTTextSourceType;
using plat::TColor;
using plat::TFont;

namespace {

using TGetNextNodeProc = PLazyNode (*)(TLazyTreeCore& Tree, PLazyNode Node);

void AddNumber(TBufferedString& B, int64_t Value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, Value).ptr;
    char16_t wide[24];
    const auto n = end - digits;
    for (ptrdiff_t i = 0; i < n; ++i) wide[i] = char16_t(digits[i]);
    B.Add(QStringView(wide, n));
}

void AddNumber(TBufferedRawByteString& B, int64_t Value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, Value).ptr;
    B.Add(QByteArrayView(digits, end - digits));
}

// Text in HTML content or in a double-quoted attribute.
void AddHTMLText(TBufferedString& B, QStringView S) {
    qsizetype start = 0;
    for (qsizetype i = 0; i < S.size(); ++i) {
        const char16_t* entity;
        switch (S[i].unicode()) {
            case u'&': entity = u"&amp;"; break;
            case u'<': entity = u"&lt;"; break;
            case u'>': entity = u"&gt;"; break;
            case u'"': entity = u"&quot;"; break;
            default: continue;
        }
        B.Add(S.sliced(start, i - start));
        B.Add(QStringView(entity));
        start = i + 1;
    }
    B.Add(S.sliced(start));
}

// A font name inside a single-quoted CSS string, which stands in the style element or in a style
// attribute: characters that could end the string, the attribute or the element are CSS escapes.
void AddCSSName(TBufferedString& B, QStringView S) {
    static constexpr char16_t Hex[] = u"0123456789abcdef";
    for (QChar c : S) {
        const char16_t u = c.unicode();
        const bool escape = u < 0x20 || u == 0x7F || u == u'\\' || u == u'\'' || u == u'"' || u == u'<' ||
                            u == u'>' || u == u'&';
        if (!escape) {
            B.Add(c);
            continue;
        }
        const char16_t e[5] = {u'\\', Hex[u >> 4], Hex[u & 15], u' ', 0};
        B.Add(QStringView(e, 4));
    }
}

void WriteColorAsHex(TBufferedString& B, TColor Color) {
    static constexpr char16_t Hex[] = u"0123456789ABCDEF";
    const TColor c = plat::ColorToRGB(Color);
    const int rgb[3] = {plat::GetRValue(c), plat::GetGValue(c), plat::GetBValue(c)};
    char16_t out[7] = {u'#'};
    for (int i = 0; i < 3; ++i) {
        out[1 + 2 * i] = Hex[rgb[i] >> 4];
        out[2 + 2 * i] = Hex[rgb[i] & 15];
    }
    B.Add(QStringView(out, 7));
}

// A named style keeps its braces; the inline one is a style attribute's plain declarations.
void WriteStyle(TBufferedString& B, QStringView Name, const TFont& Font) {
    if (!Name.isEmpty()) {
        B.Add(u".");
        B.Add(Name);
        B.Add(u"{");
    } else {
        B.Add(u" style=\"");
    }
    B.Add(u"font-family: '");
    AddCSSName(B, Font.Name());
    B.Add(u"'; ");
    B.Add(u"font-size: ");
    if (Font.Size() < 0) {
        AddNumber(B, Font.Height());
        B.Add(u"px; ");
    } else {
        AddNumber(B, Font.Size());
        B.Add(u"pt; ");
    }
    const auto style = Font.Style();
    B.Add(style.contains(plat::fsItalic) ? QStringView(u"font-style: italic; ") : QStringView(u"font-style: normal; "));
    B.Add(style.contains(plat::fsBold) ? QStringView(u"font-weight: bold; ") : QStringView(u"font-weight: normal; "));
    B.Add(style.contains(plat::fsUnderline) ? QStringView(u"text-decoration: underline; ")
                                            : QStringView(u"text-decoration: none; "));
    B.Add(u"color: ");
    WriteColorAsHex(B, Font.Color());
    B.Add(Name.isEmpty() ? QStringView(u";\"") : QStringView(u";}"));
}

TAlignment Mirrored(TAlignment A, bool RightToLeft) {
    if (!RightToLeft) return A;
    return A == TAlignment::taLeftJustify    ? TAlignment::taRightJustify
           : A == TAlignment::taRightJustify ? TAlignment::taLeftJustify
                                             : A;
}

// What tells one font from another in a document.
struct TFontState {
    QString Name;
    int Height;
    plat::TFontStyles Style;
    TColor Color;
    explicit TFontState(const TFont& F) : Name(F.Name()), Height(F.Height()), Style(F.Style()), Color(F.Color()) {}
    bool operator==(const TFontState&) const = default;
};

// The long operation around a whole export, closed whatever happens; the canvas gets the tree's
// font back.
template <typename Body>
auto WithExportOperation(TCustomLazyStringTree& Tree, Body&& Run) {
    Tree.StartOperation(TLTOperationKind::okExport);
    struct Close {
        TCustomLazyStringTree& tree;
        bool closed = false;
        void operator()() {
            if (closed) return;
            closed = true;
            lazytree::TakeFont(tree.Canvas().Font(), tree.Font());
            tree.EndOperation(TLTOperationKind::okExport);
        }
    } close{Tree};
    try {
        auto result = Run();
        close();
        return result;
    } catch (...) {
        // The first failure is the one reported; a second one is counted.
        try {
            close();
        } catch (...) {
            Tree.NoteSuppressedError();
        }
        throw;
    }
}

uint16_t FormatId(const char16_t* Name) {
    lazytree::RegisterLibraryFormats();
    return RegisterClipboardFormat(QString::fromUtf16(Name));
}

}  // namespace

// One export run over a string tree: the walk, the cells and the documents.
class TLTExport {
public:
    explicit TLTExport(TCustomLazyStringTree& Tree) : FTree(Tree) {}

    QString ContentToHTML(TVSTTextSourceType Source, const QString& Caption);
    QByteArray ContentToRTF(TVSTTextSourceType Source);
    // A value holding the separator is quoted; for CSV (RFC 4180) also one holding a quote or a line break.
    QString ContentToText(TVSTTextSourceType Source, const QString& Separator, bool CSV);
    void ContentToCustom(TVSTTextSourceType Source);
    bool SaveToCSVFile(const QString& FileNameWithPath, bool IncludeHeading);

private:
    struct TCell {
        TLazyTreeColumn* Column;  // nil without columns
        TColumnIndex Index;
    };
    void GetRenderStartValues(TVSTTextSourceType Source, PLazyNode& Node, TGetNextNodeProc& NextNodeProc);
    bool CanExportNode(PLazyNode Node);
    std::vector<TCell> Cells() const;
    // The greatest level among the nodes of the walk (only those that pass the export mode when
    // asked).
    uint32_t MaxLevel(TVSTTextSourceType Source, bool ExportModeOnly);
    // The canvas font for a cell: the tree's, then what OnPaintText makes of it.
    void CellFont(PLazyNode Node, TColumnIndex Column);
    void GetText(TVSTGetCellTextEventArgs& E, PLazyNode Node, TColumnIndex Column, TLTExportType Type);
    bool ShowStaticText() const {
        return FTree.StringTreeOptions().StringOptions().Contains(TLTStringOption::toShowStaticText);
    }
    TAlignment CellAlignment(const TCell& C, bool& RightToLeft) const;
    // RTF.
    void SelectFont(const QString& Name);
    void SelectColor(TColor Color);
    void TextPlusFont(QStringView Text, const TFont& Font);
    void AddQuotedIfNeeded(TBufferedString& B, QStringView Text, bool ByCSV);

    TCustomLazyStringTree& FTree;
    TLazyTreeCore& Core() { return FTree; }
    // RTF state.
    TBufferedRawByteString* FRTF = nullptr;
    QStringList FFonts;
    std::vector<TColor> FColors;
    int FFontIndex = -1, FColorIndex = -1, FFontSize = -1;
    int FPixelsPerInch = 96;
    QString FSeparator;
};

void TLTExport::GetRenderStartValues(TVSTTextSourceType Source, PLazyNode& Node, TGetNextNodeProc& NextNodeProc) {
    TLazyTreeCore& t = Core();
    switch (Source) {
        case tstInitialized:
            Node = t.GetFirstInitialized();
            NextNodeProc = [](TLazyTreeCore& T, PLazyNode N) { return T.GetNextInitialized(N, false); };
            break;
        case tstSelected:
            Node = t.GetFirstSelected();
            NextNodeProc = [](TLazyTreeCore& T, PLazyNode N) { return T.GetNextSelected(N, false); };
            break;
        case tstCutCopySet:
            Node = t.GetFirstCutCopy();
            NextNodeProc = [](TLazyTreeCore& T, PLazyNode N) { return T.GetNextCutCopy(N, false); };
            break;
        case tstVisible:
            Node = t.GetFirstVisible(nullptr, true);
            NextNodeProc = [](TLazyTreeCore& T, PLazyNode N) { return T.GetNextVisible(N, false); };
            break;
        case tstChecked:
            Node = t.GetFirstChecked(TCheckState::csCheckedNormal);
            NextNodeProc = [](TLazyTreeCore& T, PLazyNode N) {
                return T.GetNextChecked(N, TCheckState::csCheckedNormal, false);
            };
            break;
        default:
            Node = t.GetFirst();
            NextNodeProc = [](TLazyTreeCore& T, PLazyNode N) { return T.GetNext(N, false); };
            break;
    }
}

bool TLTExport::CanExportNode(PLazyNode Node) {
    switch (FTree.TreeOptions().ExportMode()) {
        case TLTExportMode::emChecked: return Node->CheckState == TCheckState::csCheckedNormal;
        case TLTExportMode::emUnchecked: return Node->CheckState == TCheckState::csUncheckedNormal;
        case TLTExportMode::emVisibleDueToExpansion: return Node->Parent->States.Contains(TLazyNodeState::vsExpanded);
        case TLTExportMode::emSelected: return FTree.Selected(Node);
        default: return true;
    }
}

std::vector<TLTExport::TCell> TLTExport::Cells() const {
    std::vector<TCell> cells;
    if (!FTree.Header().UseColumns()) {
        cells.push_back({nullptr, NoColumn});
        return cells;
    }
    for (TLazyTreeColumn* c : FTree.Header().Columns().GetVisibleColumns()) cells.push_back({c, c->Index()});
    return cells;
}

uint32_t TLTExport::MaxLevel(TVSTTextSourceType Source, bool ExportModeOnly) {
    uint32_t result = 0;
    PLazyNode node;
    TGetNextNodeProc next;
    GetRenderStartValues(Source, node, next);
    while (node && !FTree.OperationCanceled()) {
        if (!ExportModeOnly || CanExportNode(node)) result = std::max(result, FTree.GetNodeLevel(node));
        node = next(FTree, node);
    }
    return result;
}

void TLTExport::CellFont(PLazyNode Node, TColumnIndex Column) {
    TFont& font = FTree.Canvas().Font();
    lazytree::TakeFont(font, FTree.Font());
    const TFontState before(font);
    FTree.DoPaintText(Node, &FTree.Canvas(), Column, TVSTTextType::ttNormal);
    FTree.FFontChanged = !(TFontState(font) == before);
}

void TLTExport::GetText(TVSTGetCellTextEventArgs& E, PLazyNode Node, TColumnIndex Column, TLTExportType Type) {
    E.Node = Node;
    E.Column = Column;
    E.ExportType = Type;
    E.CellText.clear();
    E.StaticText.clear();
    FTree.DoGetText(E);
}

TAlignment TLTExport::CellAlignment(const TCell& C, bool& RightToLeft) const {
    RightToLeft = C.Column ? C.Column->UseRightToLeftReading() : FTree.UseRightToLeftReading();
    return Mirrored(C.Column ? C.Column->Alignment() : FTree.Alignment(), RightToLeft);
}

// ---- HTML ----

QString TLTExport::ContentToHTML(TVSTTextSourceType Source, const QString& Caption) {
    TBufferedString B;
    TLTHeader& header = FTree.Header();
    const std::vector<TCell> cells = Cells();
    const bool useColumns = header.UseColumns();
    const TLTPaintOptions paint = FTree.TreeOptions().PaintOptions();
    const bool horzLines = paint.Contains(TLTPaintOption::toShowHorzGridLines);
    const bool vertLines = paint.Contains(TLTPaintOption::toShowVertGridLines);
    const QString padding = QStringLiteral("padding-left: %1px; padding-right: %1px;").arg(FTree.Margin());
    const QString indentText = QString::number(FTree.Indent());
    const QStringView lineStyle = FTree.LineStyle == TLTLineStyle::lsSolid ? QStringView(u"solid;") : QStringView(u"dotted;");
    const uint32_t maxLevel = MaxLevel(Source, true);
    const TColumnIndex mainColumn = FTree.MainColumn();

    B.Add(u"<META http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"><style type=\"text/css\">");
    B.AddNewLine();
    WriteStyle(B, u"default", FTree.Font());
    B.AddNewLine();
    WriteStyle(B, u"header", header.Font());
    B.AddNewLine();
    if (horzLines) {
        B.Add(u".noborder{ border-bottom:1px; border-left: 0px; border-right: 0px; border-top: 1px;border-style:");
        B.Add(lineStyle);
    } else {
        B.Add(u".noborder{border-style: none;");
    }
    B.Add(padding);
    B.Add(u"}");
    B.AddNewLine();
    B.Add(u".normalborder {vertical-align: top; ");
    B.Add(vertLines ? QStringView(u"border-right: 1px; border-left: 1px; ")
                    : QStringView(u"border-right: none; border-left:none; "));
    B.Add(horzLines ? QStringView(u"border-top: 1px; border-bottom: 1px; ")
                    : QStringView(u"border-top:none; border-bottom: none;"));
    B.Add(u"border-width: thin; border-style: ");
    B.Add(lineStyle);
    B.Add(padding);
    B.Add(u"}</style>");
    B.AddNewLine();
    B.Add(u"<table class=\"default\" style=\"border-collapse: collapse;\" bgcolor=");
    WriteColorAsHex(B, FTree.Color());
    B.Add(u" ");
    if (!Caption.isEmpty()) {
        B.Add(u"caption=\"");
        AddHTMLText(B, Caption);
        B.Add(u"\"");
    }
    if (FTree.BorderStyle() != TBorderStyle::bsNone) {
        B.Add(u" border=\"");
        AddNumber(B, FTree.BorderWidth() + 1);
        B.Add(u"\" frame=box");
    }
    B.Add(u" cellspacing=\"0\">");
    B.AddNewLine();

    if (useColumns) {
        FTree.DoBeforeHeaderExport(etHTML);
        B.Add(u"<tr class=\"header\" style=\"");
        B.Add(padding);
        B.Add(u"\">");
        B.AddNewLine();
        for (const TCell& c : cells) {
            FTree.DoBeforeColumnExport(etHTML, c.Column);
            B.Add(u"<th height=\"");
            AddNumber(B, header.Height());
            B.Add(u"px\"");
            const bool rtl = c.Column->UseRightToLeftReading();
            const TAlignment a = Mirrored(c.Column->CaptionAlignment(), rtl);
            if (rtl) B.Add(u" dir=\"rtl\"");
            B.Add(a == TAlignment::taRightJustify ? QStringView(u" align=right")
                  : a == TAlignment::taCenter     ? QStringView(u" align=center")
                                                  : QStringView(u" align=left"));
            if (maxLevel > 0 && c.Index == mainColumn) {
                B.Add(u" colspan=\"");
                AddNumber(B, maxLevel + 1);
                B.Add(u"\"");
            }
            B.Add(u" bgcolor=");
            WriteColorAsHex(B, plat::clBtnFace);
            B.Add(u" width=\"");
            AddNumber(B, c.Column->Width());
            B.Add(u"px\">");
            AddHTMLText(B, c.Column->Text());
            B.Add(u"</th>");
            FTree.DoAfterColumnExport(etHTML, c.Column);
        }
        B.Add(u"</tr>");
        B.AddNewLine();
        FTree.DoAfterHeaderExport(etHTML);
    }

    const bool showStatic = ShowStaticText();
    TVSTGetCellTextEventArgs e;
    PLazyNode node;
    TGetNextNodeProc next;
    GetRenderStartValues(Source, node, next);
    while (node && !FTree.OperationCanceled()) {
        if (!CanExportNode(node) || !FTree.DoBeforeNodeExport(etHTML, node)) {
            node = next(FTree, node);
            continue;
        }
        const uint32_t level = FTree.GetNodeLevel(node);
        B.Add(u" <tr class=\"default\">");
        B.AddNewLine();
        for (const TCell& c : cells) {
            CellFont(node, c.Index);
            const bool main = c.Index == mainColumn;
            const bool columnColor = c.Column && !c.Column->Options().Contains(TLTColumnOption::coParentColor);
            if (main) {
                for (uint32_t i = 0; i < level; ++i) {
                    if (columnColor) {
                        B.Add(u"<td class=\"noborder\" width=\"");
                        B.Add(indentText);
                        B.Add(u"\" height=\"");
                        AddNumber(B, FTree.NodeHeight(node));
                        B.Add(u"px\" bgcolor=");
                        WriteColorAsHex(B, c.Column->Color());
                        B.Add(u">&nbsp;</td>");
                    } else if (i == 0) {
                        B.Add(u" <td height=\"");
                        AddNumber(B, FTree.NodeHeight(node));
                        B.Add(u"px\" class=\"normalborder\">&nbsp;</td>");
                    } else {
                        B.Add(u" <td>&nbsp;</td>");
                    }
                }
            }
            if (FTree.FFontChanged) {
                B.Add(u" <td class=\"normalborder\" ");
                WriteStyle(B, {}, FTree.Canvas().Font());
                B.Add(u" height=\"");
            } else {
                B.Add(u" <td class=\"normalborder\"  height=\"");
            }
            AddNumber(B, FTree.NodeHeight(node));
            B.Add(u"px\"");
            bool rtl;
            const TAlignment a = CellAlignment(c, rtl);
            if (rtl) B.Add(u" dir=\"rtl\"");
            B.Add(a == TAlignment::taRightJustify ? QStringView(u" align=right")
                  : a == TAlignment::taCenter     ? QStringView(u" align=center")
                                                  : QStringView(u" align=left"));
            if (main && maxLevel > 0 && level < maxLevel) {
                B.Add(u" colspan=\"");
                AddNumber(B, maxLevel - level + 1);
                B.Add(u"\"");
            }
            if (columnColor) {
                B.Add(u" bgcolor=");
                WriteColorAsHex(B, c.Column->Color());
            }
            B.Add(u">");
            GetText(e, node, c.Index, etHTML);
            AddHTMLText(B, e.CellText);
            if (!e.StaticText.isEmpty() && showStatic) {
                B.Add(u" ");
                AddHTMLText(B, e.StaticText);
            }
            B.Add(u"</td>");
        }
        FTree.DoAfterNodeExport(etHTML, node);
        node = next(FTree, node);
        B.Add(u" </tr>");
        B.AddNewLine();
    }
    B.Add(u"</table>");
    return B.TakeString();
}

// ---- RTF ----

void TLTExport::SelectFont(const QString& Name) {
    int index = -1;
    for (int i = 0; i < FFonts.size(); ++i)
        if (FFonts[i].compare(Name, Qt::CaseInsensitive) == 0) {
            index = i;
            break;
        }
    if (index < 0) {
        FFonts << Name;
        index = int(FFonts.size()) - 1;
    } else if (index == FFontIndex) {
        return;
    }
    FRTF->Add("\\f");
    AddNumber(*FRTF, index);
    FFontIndex = index;
}

void TLTExport::SelectColor(TColor Color) {
    const auto at = std::find(FColors.begin(), FColors.end(), Color);
    int index = int(at - FColors.begin());
    if (at == FColors.end()) {
        FColors.push_back(Color);
    } else if (index == FColorIndex) {
        return;
    }
    FRTF->Add("\\cf");
    AddNumber(*FRTF, index + 1);
    FColorIndex = index;
}

namespace {
// Every UTF-16 unit as a Unicode escape with "?" for readers without Unicode; assembled in a
// local block, since a text writes ten times its length.
void AddRTFUnits(TBufferedRawByteString& B, QStringView Text) {
    char block[512];
    char* out = block;
    for (QChar c : Text) {
        // The longest escape: \u-32768\'3f.
        if (out > block + sizeof block - 16) {
            B.Add(QByteArrayView(block, out - block));
            out = block;
        }
        const char16_t u = c.unicode();
        if (u == 10) {
            std::memcpy(out, "{\\par}", 6);
            out += 6;
        } else if (u != 13) {
            *out++ = '\\';
            *out++ = 'u';
            out = std::to_chars(out, out + 8, int(int16_t(u))).ptr;
            std::memcpy(out, "\\'3f", 4);
            out += 4;
        }
    }
    B.Add(QByteArrayView(block, out - block));
}
}  // namespace

void TLTExport::TextPlusFont(QStringView Text, const TFont& Font) {
    if (Text.isEmpty()) return;
    const auto style = Font.Style();
    const bool underline = style.contains(plat::fsUnderline), italic = style.contains(plat::fsItalic),
               bold = style.contains(plat::fsBold);
    if (underline) FRTF->Add("\\ul");
    if (italic) FRTF->Add("\\i");
    if (bold) FRTF->Add("\\b");
    SelectFont(Font.Name());
    SelectColor(Font.Color());
    // A font sized by its cell height in pixels has a size in points at the screen's resolution.
    const int size = Font.Size() >= 0 ? Font.Size() : (Font.Height() * 72 + FPixelsPerInch / 2) / FPixelsPerInch;
    if (size != FFontSize) {
        FRTF->Add("\\fs");
        AddNumber(*FRTF, size * 2);
        FFontSize = size;
    }
    FRTF->Add(" ");
    AddRTFUnits(*FRTF, Text);
    if (underline) FRTF->Add("\\ul0");
    if (italic) FRTF->Add("\\i0");
    if (bold) FRTF->Add("\\b0");
}

namespace {
// A font name in the font table: group and escape characters escaped, ";" (which ends the name) and
// control characters as hex bytes, the rest of Unicode as in the text.
void AddRTFFontName(TBufferedRawByteString& B, QStringView Name) {
    static constexpr char Hex[] = "0123456789abcdef";
    for (QChar c : Name) {
        const char16_t u = c.unicode();
        if (u == u'\\' || u == u'{' || u == u'}') {
            const char e[2] = {'\\', char(u)};
            B.Add(QByteArrayView(e, 2));
        } else if (u < 0x20 || u == u';' || u == 0x7F) {
            const char e[4] = {'\\', '\'', Hex[u >> 4], Hex[u & 15]};
            B.Add(QByteArrayView(e, 4));
        } else if (u < 0x80) {
            const char e = char(u);
            B.Add(QByteArrayView(&e, 1));
        } else {
            AddRTFUnits(B, QStringView(&c, 1));
        }
    }
}
}  // namespace

QByteArray TLTExport::ContentToRTF(TVSTTextSourceType Source) {
    TBufferedRawByteString B;
    FRTF = &B;
    FPixelsPerInch = std::max(1, FTree.logicalDpiX());
    TLTHeader& header = FTree.Header();
    const std::vector<TCell> cells = Cells();
    const bool useColumns = header.UseColumns();
    const TColumnIndex mainColumn = FTree.MainColumn();
    auto twips = [&](int64_t pixels) { return plat::Round(double(pixels) * 1440.0 / FPixelsPerInch); };

    B.Add("\\uc1\\trowd\\trgaph70");
    if (useColumns) {
        int64_t w = 0;
        for (const TCell& c : cells) {
            w += c.Column->Width();
            B.Add("\\cellx");
            AddNumber(B, twips(w));
        }
    } else {
        B.Add("\\cellx");
        AddNumber(B, twips(FTree.viewport()->width()));
    }
    auto addAlignment = [&](TAlignment a, bool left) {
        if (a == TAlignment::taRightJustify)
            B.Add("\\qr");
        else if (a == TAlignment::taCenter)
            B.Add("\\qc");
        else if (left)
            B.Add("\\ql");
    };
    if (useColumns) {
        FTree.DoBeforeHeaderExport(etRTF);
        B.Add("\\pard\\intbl");
        for (const TCell& c : cells) {
            FTree.DoBeforeColumnExport(etRTF, c.Column);
            addAlignment(Mirrored(c.Column->CaptionAlignment(), c.Column->UseRightToLeftReading()), true);
            TextPlusFont(c.Column->Text(), header.Font());
            B.Add("\\cell");
            FTree.DoAfterColumnExport(etRTF, c.Column);
        }
        B.Add("\\row");
        FTree.DoAfterHeaderExport(etRTF);
    }

    const bool showStatic = ShowStaticText();
    uint32_t lastLevel = 0;
    QByteArray tabs;
    TVSTGetCellTextEventArgs e;
    PLazyNode node;
    TGetNextNodeProc next;
    GetRenderStartValues(Source, node, next);
    while (node && !FTree.OperationCanceled()) {
        if (!CanExportNode(node) || !FTree.DoBeforeNodeExport(etRTF, node)) {
            node = next(FTree, node);
            continue;
        }
        for (const TCell& c : cells) {
            GetText(e, node, c.Index, etRTF);
            B.Add("\\pard\\intbl");
            bool rtl;
            addAlignment(CellAlignment(c, rtl), false);
            CellFont(node, c.Index);
            if (c.Index == mainColumn) {
                const uint32_t level = FTree.GetNodeLevel(node);
                if (level != lastLevel) {
                    lastLevel = level;
                    tabs = QByteArray("\\tab").repeated(level);
                }
                if (level >= 1) {
                    B.Add(tabs);
                    B.Add(" ");
                }
            }
            TextPlusFont(e.CellText, FTree.Canvas().Font());
            if (!e.StaticText.isEmpty() && showStatic) {
                FTree.DoPaintText(node, &FTree.Canvas(), c.Index, TVSTTextType::ttStatic);
                TextPlusFont(QString(QChar(u' ') + e.StaticText), FTree.Canvas().Font());
            }
            B.Add("\\cell");
        }
        B.Add("\\row");
        B.AddNewLine();
        FTree.DoAfterNodeExport(etRTF, node);
        node = next(FTree, node);
    }
    B.Add("\\pard\\par");

    TBufferedRawByteString prefix;
    prefix.Add("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1043{\\fonttbl");
    for (int i = 0; i < FFonts.size(); ++i) {
        prefix.Add("{\\f");
        AddNumber(prefix, i);
        prefix.Add(" ");
        AddRTFFontName(prefix, FFonts[i]);
        prefix.Add(";}");
    }
    prefix.Add("}{\\colortbl;");
    for (TColor color : FColors) {
        const TColor rgb = plat::ColorToRGB(color);
        prefix.Add("\\red");
        AddNumber(prefix, plat::GetRValue(rgb));
        prefix.Add("\\green");
        AddNumber(prefix, plat::GetGValue(rgb));
        prefix.Add("\\blue");
        AddNumber(prefix, plat::GetBValue(rgb));
        prefix.Add(";");
    }
    prefix.Add("}");
    prefix.Add(QLocale().measurementSystem() == QLocale::MetricSystem ? "\\paperw16840\\paperh11907"
                                                                        : "\\paperw15840\\paperh12240");
    prefix.Add("\\margl720\\margr720\\margt720\\margb720");
    FRTF = nullptr;
    // The tables are known only now: the prefix goes in front of the body.
    QByteArray document = prefix.TakeString();
    document.reserve(document.size() + qsizetype(B.Length()) + 1);
    document += B.TakeString();
    document += '}';
    return document;
}

// ---- Text ----

void TLTExport::AddQuotedIfNeeded(TBufferedString& B, QStringView Text, bool ByCSV) {
    // An empty separator occurs in no text (though every text "contains" it).
    const bool quote = (!FSeparator.isEmpty() && Text.contains(FSeparator)) ||
                       (ByCSV && (Text.contains(u'"') || Text.contains(u'\r') || Text.contains(u'\n')));
    if (!quote) {
        B.Add(Text);
        return;
    }
    B.Add(u'"');
    qsizetype start = 0;
    for (qsizetype i = 0; i < Text.size(); ++i)
        if (Text[i] == u'"') {
            B.Add(Text.sliced(start, i - start + 1));
            B.Add(u'"');
            start = i + 1;
        }
    B.Add(Text.sliced(start));
    B.Add(u'"');
}

QString TLTExport::ContentToText(TVSTTextSourceType Source, const QString& Separator, bool CSV) {
    TBufferedString B;
    FSeparator = Separator;
    const bool useColumns = FTree.Header().UseColumns();
    const std::vector<TCell> cells = useColumns ? Cells() : std::vector<TCell>{};
    const TLazyTreeColumn* lastColumn = cells.empty() ? nullptr : cells.back().Column;
    const TColumnIndex mainColumn = FTree.MainColumn();
    const uint32_t maxLevel = MaxLevel(Source, false);
    const QString indent = Separator.repeated(maxLevel);
    auto separators = [&](uint32_t count) {
        for (uint32_t i = 0; i < count; ++i) B.Add(Separator);
    };

    if (useColumns) {
        for (const TCell& c : cells) {
            if (CSV)
                AddQuotedIfNeeded(B, c.Column->Text(), true);
            else
                B.Add(c.Column->Text());
            if (c.Column != lastColumn) {
                if (c.Index == mainColumn) B.Add(indent);
                B.Add(Separator);
            }
        }
        B.AddNewLine();
    }
    const bool showStatic = ShowStaticText();
    TVSTGetCellTextEventArgs e;
    QString cell;
    PLazyNode node;
    TGetNextNodeProc next;
    GetRenderStartValues(Source, node, next);
    while (node && !FTree.OperationCanceled()) {
        const uint32_t level = FTree.GetNodeLevel(node);
        if (useColumns) {
            for (const TCell& c : cells) {
                GetText(e, node, c.Index, etText);
                const bool main = c.Index == mainColumn;
                if (main) separators(level);
                if (!e.StaticText.isEmpty() && showStatic) {
                    cell = e.CellText;
                    cell += u' ';
                    cell += e.StaticText;
                    AddQuotedIfNeeded(B, cell, CSV);
                } else {
                    AddQuotedIfNeeded(B, e.CellText, CSV);
                }
                if (main) separators(maxLevel - level);
                if (c.Column != lastColumn) B.Add(Separator);
            }
        } else {
            GetText(e, node, NoColumn, etText);
            separators(level);
            if (CSV)
                AddQuotedIfNeeded(B, e.CellText, true);
            else
                B.Add(e.CellText);
        }
        node = next(FTree, node);
        B.AddNewLine();
    }
    return B.TakeString();
}

// ---- CSV file ----

bool TLTExport::SaveToCSVFile(const QString& FileNameWithPath, bool IncludeHeading) {
    if (FileNameWithPath.isEmpty()) return false;
    TBufferedString B;
    auto quoted = [&](QStringView Text) {
        B.Add(u'"');
        for (QChar c : Text) {
            if (c == u'"') B.Add(c);
            B.Add(c);
        }
        B.Add(u'"');
    };
    const TLazyTreeColumns& columns = FTree.Header().Columns();
    const int count = columns.Count();
    if (IncludeHeading) {
        for (int i = 0; i < count; ++i) {
            if (i > 0) B.Add(u',');
            quoted(columns[i].Text());
        }
        B.AddNewLine();
    }
    for (PLazyNode node = Core().GetFirst(); node; node = Core().GetNextSibling(node)) {
        for (int i = 0; i < count; ++i) {
            if (i > 0) B.Add(u',');
            const QString text = FTree.Text(node, i);
            quoted(text.isEmpty() ? QStringView(u" ") : QStringView(text));
        }
        B.AddNewLine();
    }
    // The system code page here is the locale's, UTF-8: every text is written as it is.
    QString error;
    if (!plat::atomicWrite(FileNameWithPath, B.TakeString().toUtf8(), &error))
        throw EStreamError("Cannot create file \"" + FileNameWithPath.toStdString() + "\". " + error.toStdString());
    return true;
}

// ---- Custom ----

void TLTExport::ContentToCustom(TVSTTextSourceType Source) {
    PLazyNode node;
    TGetNextNodeProc next;
    GetRenderStartValues(Source, node, next);
    FTree.DoBeforeTreeExport(etCustom);
    TLTHeader& header = FTree.Header();
    if (header.UseColumns() && header.Options().Contains(TLTHeaderOption::hoVisible)) {
        FTree.DoBeforeHeaderExport(etCustom);
        for (TLazyTreeColumn* c : header.Columns().GetVisibleColumns()) {
            FTree.DoBeforeColumnExport(etCustom, c);
            FTree.DoColumnExport(etCustom, c);
            FTree.DoAfterColumnExport(etCustom, c);
        }
        FTree.DoAfterHeaderExport(etCustom);
    }
    while (node && !FTree.OperationCanceled()) {
        if (CanExportNode(node)) {
            FTree.DoBeforeNodeExport(etCustom, node);
            FTree.DoNodeExport(etCustom, node);
            FTree.DoAfterNodeExport(etCustom, node);
        }
        node = next(FTree, node);
    }
    FTree.DoAfterTreeExport(etCustom);
}

// ---- The tree's entry points ----

QString TCustomLazyStringTree::ContentToHTML(TVSTTextSourceType Source, const QString& Caption) {
    return WithExportOperation(*this, [&] { return TLTExport(*this).ContentToHTML(Source, Caption); });
}

QByteArray TCustomLazyStringTree::ContentToRTF(TVSTTextSourceType Source) {
    return WithExportOperation(*this, [&] { return TLTExport(*this).ContentToRTF(Source); });
}

QString TCustomLazyStringTree::ContentToText(TVSTTextSourceType Source, const QString& Separator) {
    return WithExportOperation(*this, [&] { return TLTExport(*this).ContentToText(Source, Separator, false); });
}

bool TCustomLazyStringTree::SaveToCSVFile(const QString& FileNameWithPath, bool IncludeHeading) {
    return TLTExport(*this).SaveToCSVFile(FileNameWithPath, IncludeHeading);
}

void TCustomLazyStringTree::ContentToCustom(TVSTTextSourceType Source) {
    WithExportOperation(*this, [&] {
        TLTExport(*this).ContentToCustom(Source);
        return true;
    });
}

namespace {
QString CSVText(TCustomLazyStringTree& Tree, TVSTTextSourceType Source) {
    return WithExportOperation(Tree, [&] { return TLTExport(Tree).ContentToText(Source, Tree.ListSeparator(), true); });
}
bool IsRTFFormat(uint16_t Format) {
    static const uint16_t rtf = FormatId(u"Rich Text Format"), plain = FormatId(u"Rich Text Format Without Objects");
    return Format == rtf || Format == plain;
}
}  // namespace

QByteArray TCustomLazyStringTree::ContentToClipboard(uint16_t Format, TVSTTextSourceType Source) {
    static const uint16_t csv = FormatId(u"CSV"), html = FormatId(u"HTML Format");
    QByteArray block;
    if (Format == lazytree::CF_TEXT) {
        block = plat::toWindows1252(ContentToText(Source, u'\t'));
    } else if (Format == lazytree::CF_UNICODETEXT) {
        const QString text = ContentToText(Source, u'\t');
        block.resize(text.size() * 2 + 2);
        qToLittleEndian<char16_t>(text.utf16(), text.size(), block.data());
        block[block.size() - 2] = 0;
        block[block.size() - 1] = 0;
        return block;
    } else if (Format == csv) {
        block = plat::toWindows1252(CSVText(*this, Source));
    } else if (IsRTFFormat(Format)) {
        block = ContentToRTF(Source);
    } else if (Format == html) {
        block = ContentToHTML(Source).toUtf8();
        lazytree::MakeCFHTMLData(block);
    } else {
        return {};
    }
    block.append('\0');
    return block;
}

bool TCustomLazyStringTree::RenderOLEData(const TFormatEtc& FormatEtcIn, QByteArray& Medium, bool ForClipboard) {
    if (TBaseLazyTree::RenderOLEData(FormatEtcIn, Medium, ForClipboard)) return true;
    static const uint16_t csv = FormatId(u"CSV"), html = FormatId(u"HTML Format");
    const TVSTTextSourceType source = ForClipboard ? tstCutCopySet : tstSelected;
    const uint16_t format = FormatEtcIn.cfFormat;
    // The forms readers on this platform expect: UTF-8 text and the HTML document without the
    // envelope; only the "Plain text" form stays in Windows-1252.
    try {
        if (format == lazytree::CF_TEXT)
            Medium = plat::toWindows1252(ContentToText(source, u'\t'));
        else if (format == lazytree::CF_UNICODETEXT)
            Medium = ContentToText(source, u'\t').toUtf8();
        else if (format == csv)
            Medium = CSVText(*this, source).toUtf8();
        else if (IsRTFFormat(format))
            Medium = ContentToRTF(source);
        else if (format == html)
            Medium = ContentToHTML(source).toUtf8();
        else
            return false;
    } catch (...) {
        // The reader gets no data and cannot be told why; the count keeps the failure visible.
        NoteSuppressedError();
        Medium.clear();
        return false;
    }
    return true;
}

// ---- Export events ----

void TBaseLazyTree::DoBeforeTreeExport(TLTExportType Type) {
    if (OnBeforeTreeExport) OnBeforeTreeExport(this, Type);
}
void TBaseLazyTree::DoAfterTreeExport(TLTExportType Type) {
    if (OnAfterTreeExport) OnAfterTreeExport(this, Type);
}
void TBaseLazyTree::DoBeforeHeaderExport(TLTExportType Type) {
    if (OnBeforeHeaderExport) OnBeforeHeaderExport(this, Type);
}
void TBaseLazyTree::DoAfterHeaderExport(TLTExportType Type) {
    if (OnAfterHeaderExport) OnAfterHeaderExport(this, Type);
}
void TBaseLazyTree::DoBeforeColumnExport(TLTExportType Type, TLazyTreeColumn* Column) {
    if (OnBeforeColumnExport) OnBeforeColumnExport(this, Type, Column);
}
void TBaseLazyTree::DoColumnExport(TLTExportType Type, TLazyTreeColumn* Column) {
    if (OnColumnExport) OnColumnExport(this, Type, Column);
}
void TBaseLazyTree::DoAfterColumnExport(TLTExportType Type, TLazyTreeColumn* Column) {
    if (OnAfterColumnExport) OnAfterColumnExport(this, Type, Column);
}
bool TBaseLazyTree::DoBeforeNodeExport(TLTExportType Type, PLazyNode Node) {
    return !OnBeforeNodeExport || OnBeforeNodeExport(this, Type, Node);
}
bool TBaseLazyTree::DoNodeExport(TLTExportType Type, PLazyNode Node) {
    return !OnNodeExport || OnNodeExport(this, Type, Node);
}
void TBaseLazyTree::DoAfterNodeExport(TLTExportType Type, PLazyNode Node) {
    if (OnAfterNodeExport) OnAfterNodeExport(this, Type, Node);
}

// ---- The clipboard's HTML envelope ----

void lazytree::MakeCFHTMLData(QByteArray& HTML) {
    static constexpr char Doctype[] = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">";
    static constexpr char Head[] =
        "<html><head><META http-equiv=Content-Type content=\"text/html; charset=utf-8\"></head><body>"
        "<!--StartFragment-->";
    static constexpr char Tail[] = "<!--EndFragment--></body></html>";
    const qsizetype length = HTML.size();
    auto line = [](const char* Name, qsizetype Value) {
        return QByteArray(Name) + QByteArray::number(Value).rightJustified(8, '0') + "\r\n";
    };
    QByteArray out = "Version:1.0\r\n" + line("StartHTML:", 97) + line("EndHTML:", length + 301) +
                     line("StartFragment:", 269) + line("EndFragment:", length + 269);
    out.reserve(length + 301);
    out += Doctype;
    out += Head;
    out += HTML;
    out += Tail;
    HTML = std::move(out);
}
