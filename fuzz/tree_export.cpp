// Cell texts and a font name of any UTF-16 through the string tree's HTML, RTF and "CSV" exports.
// The HTML must carry exactly the markup the exporter writes for harmless texts, and give every cell
// text back when its entities are read; the "CSV" text must parse, by the RFC 4180 reader below,
// into the tree's fields; the RTF must be ASCII with balanced groups whose Unicode escapes decode
// to the texts and whose font table gives the font name back.
//
// Input: a flags byte (bits 0-1: header columns 0-3; bit 2: ";" instead of "," as the list
// separator), then records of a level byte, a length byte and that many UTF-16 units (little
// endian). The first record is the font name; each node takes one record per cell.
#include <QApplication>
#include <QFont>
#include <QStringDecoder>
#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <vector>

#include "treeview/LazyTrees.ClipBoard.h"
#include "treeview/LazyTrees.h"
#include "fuzz/QtFuzzApp.h"

namespace {

[[noreturn]] void FailAt(int line) {
    fprintf(stderr, "failed check at line %d\n", line);
    __builtin_trap();
}

struct Node {
    int level;
    QStringList cells;
};

class FuzzTree : public TLazyStringTree {
public:
    using TCustomLazyStringTree::RenderOLEData;
};

// UTF-8 read back, a leading U+FEFF kept as the character it is.
QString Utf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder(bytes);
}

QString Unescaped(QStringView s) {
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] != u'&') {
            out += s[i];
            continue;
        }
        static const std::pair<const char16_t*, QChar> entities[] = {
            {u"&amp;", u'&'}, {u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&quot;", u'"'}};
        bool known = false;
        for (const auto& [name, c] : entities) {
            const QStringView n(name);
            if (s.sliced(i).startsWith(n)) {
                out += c;
                i += n.size() - 1;
                known = true;
                break;
            }
        }
        if (!known) FailAt(__LINE__);  // a raw "&" came from a text
    }
    return out;
}

// The texts of the cells that hold node texts, in document order.
QStringList HtmlCellTexts(const QString& html) {
    QStringList texts;
    for (QStringView piece : QStringView(html).split(u"</td>")) {
        const qsizetype start = piece.lastIndexOf(u"<td class=\"normalborder\"");
        if (start < 0 || piece.sliced(start).contains(u"&nbsp;")) continue;
        const qsizetype close = piece.indexOf(u'>', start);
        if (close < 0) FailAt(__LINE__);
        texts << Unescaped(piece.sliced(close + 1));
    }
    return texts;
}

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
            // A quote opens a field only at its start.
            if (!field.isEmpty()) FailAt(__LINE__);
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
        } else if (c == u'\r' || c == u'\n') {
            FailAt(__LINE__);  // a bare line break outside quotes
        } else {
            field += c;
        }
        any = true;
    }
    if (quoted) FailAt(__LINE__);
    if (any) {
        record << field;
        records.push_back(record);
    }
    return records;
}

// The units of \uN\'3f escapes and {\par} from Start on.
QString RtfUnits(const QByteArray& rtf, qsizetype Start) {
    QString out;
    for (qsizetype i = Start; i < rtf.size(); ++i) {
        if (rtf.sliced(i).startsWith("{\\par}")) {
            out += u'\n';
            i += 5;
            continue;
        }
        if (rtf[i] != '\\' || i + 2 >= rtf.size() || rtf[i + 1] != 'u') continue;
        qsizetype j = i + 2;
        if (rtf[j] == '-') ++j;
        if (j >= rtf.size() || rtf[j] < '0' || rtf[j] > '9') continue;
        while (j < rtf.size() && rtf[j] >= '0' && rtf[j] <= '9') ++j;
        bool ok = false;
        const int value = rtf.sliced(i + 2, j - i - 2).toInt(&ok);
        if (!ok || value < -32768 || value > 32767 || !rtf.sliced(j).startsWith("\\'3f")) FailAt(__LINE__);
        out += QChar(char16_t(uint16_t(int16_t(value))));
        i = j + 3;
    }
    return out;
}

// The name of font 0 in the table, its escapes read.
QString RtfFontName(const QByteArray& rtf) {
    const qsizetype start = rtf.indexOf("{\\fonttbl{\\f0 ");
    if (start < 0) FailAt(__LINE__);
    QString out;
    for (qsizetype i = start + 14; i < rtf.size(); ++i) {
        const char c = rtf[i];
        if (c == ';') return out;
        if (c == '{' || c == '}') FailAt(__LINE__);
        if (c != '\\') {
            out += QLatin1Char(c);
            continue;
        }
        if (i + 1 >= rtf.size()) FailAt(__LINE__);
        const char n = rtf[i + 1];
        if (n == '\\' || n == '{' || n == '}') {
            out += QLatin1Char(n);
            ++i;
        } else if (n == '\'') {
            if (i + 3 >= rtf.size()) FailAt(__LINE__);
            bool ok = false;
            out += QChar(rtf.sliced(i + 2, 2).toInt(&ok, 16));
            if (!ok) FailAt(__LINE__);
            i += 3;
        } else if (n == 'u') {
            qsizetype j = i + 2;
            if (j < rtf.size() && rtf[j] == '-') ++j;
            while (j < rtf.size() && rtf[j] >= '0' && rtf[j] <= '9') ++j;
            out += QChar(char16_t(uint16_t(int16_t(rtf.sliced(i + 2, j - i - 2).toInt()))));
            if (!rtf.sliced(j).startsWith("\\'3f")) FailAt(__LINE__);
            i = j + 3;
        } else {
            FailAt(__LINE__);
        }
    }
    FailAt(__LINE__);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzqt::StartApplication(argc, argv);
    lazytree::RegisterLibraryFormats();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 1 << 14) return 0;
    const int columns = data[0] & 3;
    const QChar separator = data[0] & 4 ? u';' : u',';
    const int cellsPerNode = columns ? columns : 1;
    // The records.
    std::vector<std::pair<int, QString>> records;
    for (size_t pos = 1; pos + 2 <= size && records.size() < 200;) {
        const int level = data[pos] % 4;
        const size_t units = data[pos + 1];
        pos += 2;
        QString text;
        for (size_t k = 0; k < units && pos + 2 <= size; ++k, pos += 2)
            text += QChar(char16_t(data[pos] | data[pos + 1] << 8));
        records.emplace_back(level, text);
    }
    if (records.empty()) return 0;
    std::vector<Node> nodes;
    for (size_t r = 1; r + size_t(cellsPerNode) <= records.size(); r += size_t(cellsPerNode)) {
        Node n;
        const int deepest = nodes.empty() ? 0 : nodes.back().level + 1;
        n.level = std::min(records[r].first, deepest);
        for (int c = 0; c < cellsPerNode; ++c) n.cells << records[r + size_t(c)].second;
        nodes.push_back(n);
    }

    FuzzTree tree;
    tree.SetNodeDataSize(int(sizeof(int)));
    tree.SetListSeparator(separator);
    tree.Font().SetName(records[0].second);
    for (int c = 0; c < columns; ++c) tree.Header().Columns().Add()->SetText(QString(QChar(u'A' + c)));
    if (columns) tree.Header().SetMainColumn(0);
    tree.OnGetText = [&](TCustomLazyStringTree* t, PLazyNode node, TColumnIndex column, TVSTTextType type,
                         QString& text) {
        if (type == TVSTTextType::ttNormal)
            text = nodes[size_t(*t->GetNodeData<int>(node))].cells[column < 0 ? 0 : column];
    };
    std::vector<PLazyNode> made;
    for (size_t i = 0; i < nodes.size(); ++i) {
        PLazyNode parent = nullptr;
        for (size_t k = i; k-- > 0;)
            if (nodes[k].level == nodes[i].level - 1) {
                parent = made[k];
                break;
            }
        PLazyNode n = tree.AddChild(parent);
        *tree.GetNodeData<int>(n) = int(i);
        made.push_back(n);
    }
    int maxLevel = 0;
    for (const Node& n : nodes) maxLevel = std::max(maxLevel, n.level);

    // HTML: the markup of harmless texts, and every text back.
    const QString html = tree.ContentToHTML(TVSTTextSourceType::tstAll, records[0].second);
    std::vector<Node> saved = nodes;
    const QString font = tree.Font().Name();
    for (Node& n : nodes)
        for (QString& c : n.cells) c = QStringLiteral("x");
    tree.Font().SetName(QStringLiteral("F"));
    const QString plain =
        tree.ContentToHTML(TVSTTextSourceType::tstAll, records[0].second.isEmpty() ? QString() : QStringLiteral("x"));
    nodes = saved;
    tree.Font().SetName(font);
    // Apostrophes matter only in the style block, where they close the font's CSS string.
    auto markup = [](QString s) {
        std::vector<qsizetype> counts{s.left(s.indexOf(QLatin1String("</style>"))).count(u'\'')};
        for (const char* entity : {"&amp;", "&lt;", "&gt;", "&quot;"}) s.remove(QLatin1String(entity));
        for (char16_t c : {u'<', u'>', u'"', u'&'}) counts.push_back(s.count(QChar(c)));
        return counts;
    };
    if (markup(html) != markup(plain)) FailAt(__LINE__);
    QStringList expectedCells;
    for (const Node& n : nodes) expectedCells << n.cells;
    if (HtmlCellTexts(html) != expectedCells) FailAt(__LINE__);

    // CSV: the tree's fields, as they come through UTF-8.
    for (PLazyNode n : made) tree.AddToSelection(n);
    QByteArray medium;
    if (!tree.RenderOLEData(TFormatEtc{RegisterClipboardFormat(QStringLiteral("CSV")), QStringLiteral("text/csv")},
                            medium, false))
        FailAt(__LINE__);
    std::vector<QStringList> expected;
    auto utf8 = [](const QString& s) { return Utf8(s.toUtf8()); };
    if (columns) {
        QStringList header;
        for (int c = 0; c < columns; ++c) {
            header << QString(QChar(u'A' + c));
            if (c == 0 && columns > 1)
                for (int k = 0; k < maxLevel; ++k) header << QString();
        }
        expected.push_back(header);
    }
    for (const Node& n : nodes) {
        QStringList record;
        for (int k = 0; k < n.level; ++k) record << QString();
        record << utf8(n.cells[0]);
        if (columns) {
            for (int k = n.level; k < maxLevel; ++k) record << QString();
            for (int c = 1; c < columns; ++c) record << utf8(n.cells[c]);
        }
        expected.push_back(record);
    }
    if (ReadCSV(Utf8(medium), separator) != expected) FailAt(__LINE__);

    // RTF: ASCII, balanced, the texts and the font name back.
    const QByteArray rtf = tree.ContentToRTF(TVSTTextSourceType::tstAll);
    int depth = 0;
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        if (uint8_t(rtf[i]) >= 0x80) FailAt(__LINE__);
        if (rtf[i] == '\\') {
            ++i;
            continue;
        }
        if (rtf[i] == '{') ++depth;
        if (rtf[i] == '}' && --depth < 0) FailAt(__LINE__);
    }
    if (depth != 0) FailAt(__LINE__);
    QString texts;
    for (int c = 0; c < columns; ++c) texts += QChar(u'A' + c);
    for (const Node& n : nodes)
        for (const QString& c : n.cells) texts += QString(c).remove(u'\r');
    const qsizetype body = rtf.indexOf("\\trgaph70");
    if (body < 0 || RtfUnits(rtf, body) != texts) FailAt(__LINE__);
    // The tree's font is font 0 when no header row came first and a cell had text to write.
    bool anyText = false;
    for (const Node& n : nodes)
        for (const QString& c : n.cells) anyText = anyText || !c.isEmpty();
    if (columns == 0 && anyText && RtfFontName(rtf) != font) FailAt(__LINE__);
    return 0;
}
