// The RTF layer: the reader, the writer, the text document they fill and read, measuring and drawing.
#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "controls/RtfRead.h"
#include "controls/RtfTextDocument.h"
#include "controls/RtfWrite.h"

namespace {

QString S(const char* s) {
    return QString::fromUtf8(s);
}

// A run as "text" or "text:format words": b i ul strike fsN fN c#rrggbb h#rrggbb upN (twips) sub super.
QString describe(const TRtfRun& run) {
    const TRtfCharFormat& f = run.Format;
    QStringList w;
    if (f.Bold) w << QStringLiteral("b");
    if (f.Italic) w << QStringLiteral("i");
    if (f.Underline) w << QStringLiteral("ul");
    if (f.Strike) w << QStringLiteral("strike");
    if (f.FontSize) w << QStringLiteral("fs%1").arg(f.FontSize);
    if (f.Font > 0) w << QStringLiteral("f%1").arg(f.Font);
    if (f.Color >= 0) w << QStringLiteral("c#%1").arg(f.Color, 6, 16, QChar(u'0'));
    if (f.Highlight >= 0) w << QStringLiteral("h#%1").arg(f.Highlight, 6, 16, QChar(u'0'));
    if (f.Offset) w << QStringLiteral("up%1").arg(f.Offset);
    if (f.Script == rsSubscript) w << QStringLiteral("sub");
    if (f.Script == rsSuperscript) w << QStringLiteral("super");
    return w.isEmpty() ? run.Text : run.Text + u':' + w.join(u',');
}

// Paragraphs joined by " / ", runs by "|".
QString describe(const TRtfDocument& doc) {
    QStringList paras;
    for (const TRtfParagraph& p : doc.Paragraphs) {
        QStringList runs;
        for (const TRtfRun& r : p.Runs) runs << describe(r);
        paras << runs.join(u'|');
    }
    return paras.join(QStringLiteral(" / "));
}

TRtfDocument read(const char* rtf) {
    return ReadRtf(QStringView(S(rtf)));
}

// ---------------------------------------------------------------- reader: text

TEST(RtfRead, PlainTextOfSmallDocuments) {
    struct Case {
        const char* name;
        const char* rtf;
        const char* plain;
    };
    const Case cases[] = {
        {"unicode escape skips its fallback", "{\\rtf1\\uc1\\u8364?x}", "€x"},
        {"two fallback characters", "{\\rtf1\\uc2\\u1046ab c}", "Ж c"},
        {"no fallback", "{\\rtf1\\uc0\\u1046 x}", "Жx"},
        {"default fallback count is one", "{\\rtf1 \\u1046?x}", "Жx"},
        {"a hex escape is one fallback character", "{\\rtf1\\uc1\\u233\\'e9x}", "éx"},
        {"a control word is one fallback character", "{\\rtf1\\uc1\\u233\\tab x}", "éx"},
        {"the fallback ends at a group", "{\\rtf1\\uc3\\u1046{}x}", "Жx"},
        {"fallback count is scoped to its group", "{\\rtf1{\\uc0 \\u1046}\\u1046?}", "ЖЖ"},
        {"negative escapes and a surrogate pair", "{\\rtf1\\uc0\\u-10179\\u-8704 !}", "😀!"},
        {"a lone surrogate is replaced", "{\\rtf1\\uc0\\u-10179 x}", "\xEF\xBF\xBDx"},
        {"hex escape in Windows-1252", "{\\rtf1\\ansi\\'e9\\'80\\'9f\\'A0}", "é€Ÿ\xC2\xA0"},
        {"other code pages read as Windows-1252", "{\\rtf1\\ansi\\ansicpg1251 \\'e9}", "é"},
        {"text above 0x7F stands as it is", "{\\rtf1 Жук 日本}", "Жук 日本"},
        {"optional destination leaves nothing", "{\\rtf1 a{\\*\\foo x}b}", "ab"},
        {"picture leaves nothing", "{\\rtf1 a{\\pict\\pngblip 89504e47}b}", "ab"},
        {"information and style sheet leave nothing",
         "{\\rtf1{\\info{\\title t}{\\author w}}{\\stylesheet{\\s0 Normal;}}a}", "a"},
        {"binary data may hold braces", "{\\rtf1 a{\\pict\\bin3 }}x}b}", "ab"},
        {"binary data outside a picture", "{\\rtf1 a\\bin2 zzb}", "ab"},
        {"field result kept, instruction dropped",
         "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}} end}", "link end"},
        {"field instruction without the star", "{\\rtf1 {\\field{\\fldinst PAGE}{\\fldrslt 7}}}", "7"},
        {"paragraphs and lines", "{\\rtf1 a\\par b\\line c}", "a\r\nb\r\nc"},
        {"a last paragraph mark opens no paragraph", "{\\rtf1 a\\par}", "a"},
        {"an empty paragraph before it stays", "{\\rtf1 a\\par\\par}", "a\r\n"},
        {"backslash before a line end is a paragraph", "{\\rtf1 a\\\r\nb}", "a\r\nb"},
        {"tab", "{\\rtf1 a\\tab b}", "a\tb"},
        {"escaped braces and backslash", "{\\rtf1 \\{x\\}\\\\}", "{x}\\"},
        {"line ends of the file are layout", "{\\rtf1 a\r\nb\rc\nd}", "abcd"},
        {"unknown words and their parameters", "{\\rtf1 \\foo123 a\\bar-5 b\\baz-x}", "ab-x"},
        {"blank after a word is its delimiter", "{\\rtf1 \\b  two}", " two"},
        {"font and colour tables are no text",
         "{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl ;\\red1\\green2\\blue3;}x}", "x"},
        {"text after the document's group", "{\\rtf1 a}b{c}", "a"},
        {"a document cut off in a group", "{\\rtf1 {\\b abc", "abc"},
        {"cut off after a backslash", "{\\rtf1 a\\", "a"},
        {"cut off in a hex escape", "{\\rtf1 a\\'4", "a4"},
        {"cut off in binary data", "{\\rtf1 a\\bin999999999 xyz", "a"},
        {"stray closing braces before the document", "}}a", "a"},
        {"unbalanced opening braces", "{{{{a{b", "ab"},
        {"empty input", "", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(RtfPlainText(QStringView(S(c.rtf))).toStdString(), c.plain) << c.name;
}

TEST(RtfRead, Windows1252Mapping) {
    struct Case {
        uint8_t byte;
        char16_t ch;
    };
    const Case cases[] = {{0x41, u'A'},   {0x80, 0x20AC}, {0x82, 0x201A}, {0x8A, 0x0160},
                          {0x8C, 0x0152}, {0x96, 0x2013}, {0x99, 0x2122}, {0x9F, 0x0178},
                          {0xA0, 0x00A0}, {0xE9, 0x00E9}, {0xFF, 0x00FF}, {0x81, 0x0081},
                          {0x8D, 0x008D}, {0x8F, 0x008F}, {0x90, 0x0090}, {0x9D, 0x009D}};
    for (const Case& c : cases) EXPECT_EQ(Windows1252ToUnicode(c.byte), c.ch) << int(c.byte);
    // Back: every defined byte from its character; no byte for the undefined ones or for others.
    for (int b = 0; b < 256; ++b) {
        const bool undefined = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
        EXPECT_EQ(UnicodeToWindows1252(Windows1252ToUnicode(uint8_t(b))), undefined ? -1 : b) << b;
    }
    EXPECT_EQ(UnicodeToWindows1252(u'Ж'), -1);
    EXPECT_EQ(UnicodeToWindows1252(0x2028), -1);

    // Bytes read as Windows-1252 text, in the body and in "\'hh" alike.
    const QByteArray bytes("{\\rtf1 \x80\xe9\\'80}");
    EXPECT_EQ(RtfPlainText(ReadRtf(QByteArrayView(bytes))), S("€é€"));
}

// ---------------------------------------------------------------- reader: formats

TEST(RtfRead, CharacterFormats) {
    struct Case {
        const char* name;
        const char* rtf;
        const char* runs;
    };
    const char* colors = "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}";
    const Case cases[] = {
        {"a nested group's bold ends with the group", "{\\rtf1 a{\\b b}c}", "a|b:b|c"},
        {"toggles on and off", "{\\rtf1 \\b\\i\\ul\\strike x\\b0\\i0\\ulnone\\strike0 y}", "x:b,i,ul,strike|y"},
        {"underline off by a zero", "{\\rtf1 \\ul x\\ul0 y}", "x:ul|y"},
        {"bold with a non-zero parameter", "{\\rtf1 \\b2 x}", "x:b"},
        {"font sizes in half-points", "{\\rtf1 \\fs36 x\\fs y\\fs0 z}", "x:fs36|y:fs24|z"},
        {"a huge size is bounded", "{\\rtf1 \\fs99999999999999999999 x}", "x:fs3276"},
        {"raised and lowered, in twips", "{\\rtf1 \\up4 a\\dn4 b\\up0 c\\up d\\dn e}",
         "a:up40|b:up-40|c|d:up60|e:up-60"},
        {"subscript and superscript", "{\\rtf1 \\super a\\sub b\\nosupersub c}", "a:super|b:sub|c"},
        {"plain resets the characters", "{\\rtf1 \\b\\fs40\\super\\up2 x\\plain y}", "x:b,fs40,up20,super|y"},
        {"text colours from the table", "{\\rtf1 %C\\cf1 r\\cf2 b\\cf0 a\\cf7 z}", "r:c#ff0000|b:c#0000ff|az"},
        {"highlight and background", "{\\rtf1 %C\\highlight2 x\\highlight0 y\\cb1 z\\cb0 w}",
         "x:h#0000ff|y|z:h#ff0000|w"},
        {"an empty colour entry is automatic", "{\\rtf1{\\colortbl\\red9\\green9\\blue9;;}\\cf0 a\\cf1 b}",
         "a:c#090909|b"},
        {"colour components are bounded", "{\\rtf1{\\colortbl;\\red999\\green-5\\blue7;}\\cf1 a}", "a:c#ff0007"},
    };
    for (const Case& c : cases) {
        QString rtf = S(c.rtf);
        rtf.replace(QStringLiteral("%C"), S(colors));
        EXPECT_EQ(describe(ReadRtf(QStringView(rtf))).toStdString(), c.runs) << c.name;
    }
}

TEST(RtfRead, FontTable) {
    struct Case {
        const char* name;
        const char* rtf;
        std::vector<const char*> fonts;
        const char* runs;
    };
    const Case cases[] = {
        {"fonts by number, unknown ones the default",
         "{\\rtf1\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fmodern Courier New;}}\\f1 x\\f0 y\\f9 z}",
         {"Arial", "Courier New"},
         "x:f1|yz"},
        {"the default font comes first",
         "{\\rtf1\\deff1{\\fonttbl{\\f0 Arial;}{\\f1 Times;}}a\\f0 b\\f1 c}",
         {"Times", "Arial"},
         "a|b:f1|c"},
        {"numbers need not count from zero",
         "{\\rtf1\\deff7{\\fonttbl{\\f7 A;}{\\f3 B;}}a\\f3 b}",
         {"A", "B"},
         "a|b:f1"},
        {"entries without their own groups", "{\\rtf1{\\fonttbl\\f0 A;\\f1 B;}\\f1 b}", {"A", "B"}, "b:f1"},
        {"escaped and alternative names", "{\\rtf1{\\fonttbl{\\f0 \\u1046?\\'e9{\\*\\falt X};}}a}", {"Жé"}, "a"},
        {"no table, no fonts", "{\\rtf1 \\f1 a}", {}, "a"},
    };
    for (const Case& c : cases) {
        const TRtfDocument doc = read(c.rtf);
        std::vector<QString> fonts;
        for (const char* f : c.fonts) fonts.push_back(S(f));
        EXPECT_EQ(doc.Fonts, fonts) << c.name;
        EXPECT_EQ(describe(doc).toStdString(), c.runs) << c.name;
        // Every run names a font of the table, or none when there is no table.
        for (const TRtfParagraph& p : doc.Paragraphs) {
            for (const TRtfRun& r : p.Runs) {
                if (doc.Fonts.empty())
                    EXPECT_EQ(r.Format.Font, -1) << c.name;
                else
                    EXPECT_TRUE(r.Format.Font >= 0 && std::size_t(r.Format.Font) < doc.Fonts.size()) << c.name;
            }
        }
    }
}

TEST(RtfRead, ParagraphFormats) {
    struct Para {
        TRtfAlign align;
        int left, right, first;
    };
    struct Case {
        const char* name;
        const char* rtf;
        std::vector<Para> paras;
    };
    const Case cases[] = {
        {"alignments, kept until pard",
         "{\\rtf1 \\qc a\\par b\\par\\pard c\\par\\qr d\\par\\qj e}",
         {{raCenter, 0, 0, 0}, {raCenter, 0, 0, 0}, {raLeft, 0, 0, 0}, {raRight, 0, 0, 0}, {raJustify, 0, 0, 0}}},
        {"indents in twips",
         "{\\rtf1 \\li300\\ri200\\fi-100 a\\par\\pard\\ql b}",
         {{raLeft, 300, 200, -100}, {raLeft, 0, 0, 0}}},
        {"properties in force at the paragraph mark",
         "{\\rtf1 {\\qc a\\par}b\\par{\\qr c}\\par}",
         {{raCenter, 0, 0, 0}, {raLeft, 0, 0, 0}, {raLeft, 0, 0, 0}}},
        {"huge indents are bounded", "{\\rtf1 \\li2147483647\\fi-99999999999 a}", {{raLeft, 31680, 0, -31680}}},
        {"an empty document is one empty paragraph", "{\\rtf1 }", {{raLeft, 0, 0, 0}}},
    };
    for (const Case& c : cases) {
        const TRtfDocument doc = read(c.rtf);
        ASSERT_EQ(doc.Paragraphs.size(), c.paras.size()) << c.name;
        for (std::size_t i = 0; i < c.paras.size(); ++i) {
            const TRtfParagraph& p = doc.Paragraphs[i];
            EXPECT_EQ(p.Align, c.paras[i].align) << c.name << " " << i;
            EXPECT_EQ(p.LeftIndent, c.paras[i].left) << c.name << " " << i;
            EXPECT_EQ(p.RightIndent, c.paras[i].right) << c.name << " " << i;
            EXPECT_EQ(p.FirstIndent, c.paras[i].first) << c.name << " " << i;
        }
    }
}

// ---------------------------------------------------------------- reader: hostile input

QString repeat(const char* unit, int n) {
    return S(unit).repeated(n);
}

TEST(RtfRead, MalformedInputEndsWithSaneOutput) {
    struct Case {
        const char* name;
        QString rtf;
        QString plain;
    };
    const int n = 200000;
    const Case cases[] = {
        {"deep nesting, never closed", repeat("{", n) + u'x', QStringLiteral("x")},
        {"deep nesting, closed", u'{' + repeat("{", n) + QStringLiteral("x") + repeat("}", n) + QStringLiteral("y}"),
         QStringLiteral("xy")},
        {"deep nesting of formats", repeat("{\\b\\i\\fs30 a", n / 4), repeat("a", n / 4)},
        {"a skipped destination nested deeply", QStringLiteral("{\\rtf1 a{\\*") + repeat("{x", n) + QStringLiteral("b"),
         QStringLiteral("a")},
        {"only closing braces", repeat("}", n) + u'z', QStringLiteral("z")},
        {"a huge fallback count", QStringLiteral("{\\rtf1\\uc2147483647\\u65 ") + repeat("q", n) + QStringLiteral("}"),
         QStringLiteral("A")},
        {"a huge fallback count ends at a group", QStringLiteral("{\\rtf1\\uc99999999999\\u65 qq{}b}"),
         QStringLiteral("Ab")},
        {"escapes out of range", QStringLiteral("{\\rtf1 \\u99999999 a\\u-99999 b\\u c}"), QStringLiteral("abc")},
        {"a very long control word", QStringLiteral("{\\rtf1 \\") + repeat("b", n) + QStringLiteral(" x}"),
         QStringLiteral("x")},
        {"a very long parameter", QStringLiteral("{\\rtf1 \\fs") + repeat("9", n) + QStringLiteral(" x}"),
         QStringLiteral("x")},
        {"binary data longer than the input", QStringLiteral("{\\rtf1 a\\bin2147483647 ") + repeat("}", 10),
         QStringLiteral("a")},
        {"negative binary length", QStringLiteral("{\\rtf1 a\\bin-5 b}"), QStringLiteral("ab")},
        {"a font table that never ends", QStringLiteral("{\\rtf1{\\fonttbl{\\f0 ") + repeat("N", 1000), QString()},
    };
    for (const Case& c : cases) {
        TRtfReadStats stats;
        const TRtfDocument doc = ReadRtf(QStringView(c.rtf), &stats);
        EXPECT_EQ(RtfPlainText(doc).toStdString(), c.plain.toStdString()) << c.name;
        EXPECT_FALSE(doc.Paragraphs.empty()) << c.name;
        EXPECT_LE(stats.Steps, 4 * c.rtf.size() + 8) << c.name;
    }
}

// Work grows in proportion to the input for the shapes that could make a reader slow.
TEST(RtfRead, WorkIsLinearInTheInput) {
    const char* tables = "{\\fonttbl{\\f0 A;}{\\f1 B;}}{\\colortbl ;\\red1\\green2\\blue3;}";
    struct Shape {
        const char* name;
        const char* head;
        const char* unit;
    };
    const Shape shapes[] = {
        {"nested groups", "", "{"},
        {"nested groups with formats", "{\\rtf1 ", "{\\b\\i\\ul\\fs30\\cf1\\up4\\super x"},
        {"closed groups", "{\\rtf1 ", "{\\b x}"},
        {"format toggles", "{\\rtf1 ", "\\b a\\b0 b\\f1\\cf1 c\\plain d"},
        {"escapes and fallbacks", "{\\rtf1\\uc3 ", "\\u1046abc\\'e9\\u-10179???\\u-8704???"},
        {"a huge fallback count over text", "{\\rtf1\\uc99999999 \\u65 ", "abc\\'e9\\tab "},
        {"paragraphs", "{\\rtf1 ", "\\pard\\qc\\li30 a\\par\\line"},
        {"font table entries", "{\\rtf1{\\fonttbl", "{\\f1 Name;}"},
        {"colour table entries", "{\\rtf1{\\colortbl ", "\\red1\\green2\\blue3;"},
        {"skipped destinations", "{\\rtf1 ", "{\\*\\x{\\pict\\bin1 }}a}"},
    };
    for (const Shape& s : shapes) {
        int64_t steps[2] = {0, 0};
        qsizetype sizes[2] = {0, 0};
        for (int k = 0; k < 2; ++k) {
            const QString rtf = S(s.head) + S(tables) + repeat(s.unit, k == 0 ? 5000 : 40000);
            TRtfReadStats stats;
            (void)ReadRtf(QStringView(rtf), &stats);
            steps[k] = stats.Steps;
            sizes[k] = rtf.size();
        }
        EXPECT_LE(steps[1], 4 * sizes[1]) << s.name;
        // Eight times the input, at most a little over eight times the work.
        EXPECT_LE(double(steps[1]) / double(steps[0]), 1.1 * double(sizes[1]) / double(sizes[0])) << s.name;
    }
}

// ---------------------------------------------------------------- writer

TRtfDocument oneRun(const QString& text) {
    TRtfDocument doc;
    doc.Fonts = {QStringLiteral("Arial")};
    TRtfRun run;
    run.Format.Font = 0;
    run.Text = text;
    doc.Paragraphs.push_back(TRtfParagraph{raLeft, 0, 0, 0, {run}});
    return doc;
}

TEST(RtfWrite, WholeDocument) {
    EXPECT_EQ(WriteRtf(oneRun(QStringLiteral("x"))).toStdString(),
              "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}{\\colortbl ;}\\pard x\\par }");
}

TEST(RtfWrite, TextEscapes) {
    struct Case {
        const char* name;
        QString text;
        const char* body;
    };
    const Case cases[] = {
        {"ASCII as it is", QStringLiteral("Ab 1;~"), "Ab 1;~"},
        {"backslash and braces", QStringLiteral("\\{}"), "\\\\\\{\\}"},
        {"Windows-1252 as hex", S("é€Ÿ\xC2\xA0"), "\\'e9\\'80\\'9f\\'a0"},
        {"other characters as escapes", S("Ж日"), "\\u1046?\\u26085?"},
        {"high characters signed", S("\xEF\xBF\xBD"), "\\u-3?"},
        {"a pair as two escapes", S("😀"), "\\u-10179?\\u-8704?"},
        {"undefined code-page bytes as escapes", QString(QChar(0x81)), "\\u129?"},
        {"tab and line break", QStringLiteral("a\tb") + QChar(0x2028) + u'c', "a\\tab b\\line c"},
    };
    for (const Case& c : cases) {
        const QString rtf = WriteRtf(oneRun(c.text));
        EXPECT_TRUE(rtf.contains(QStringLiteral("\\pard ") + S(c.body) + QStringLiteral("\\par }")))
            << c.name << ": " << rtf.toStdString();
        for (const QChar ch : rtf) EXPECT_TRUE(ch.unicode() >= 0x20 && ch.unicode() < 0x7F) << c.name;
        EXPECT_EQ(ReadRtf(QStringView(rtf)), oneRun(c.text)) << c.name;
    }
}

// Everything the reader returns, the writer writes so that it reads back the same.
TEST(RtfWrite, ReadWriteReadIsStable) {
    const char* tables =
        "{\\fonttbl{\\f0 Arial;}{\\f1 Courier {New}\\\\;}{\\f2 \\u1046?x;}}"
        "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green128\\blue255;\\red255\\green0\\blue0;}";
    const char* bodies[] = {
        "a{\\b b{\\i c}}{\\ul d}\\strike e\\strike0 f",
        "\\fs40 a\\plain b\\fs18 c\\fs d",
        "\\f1 a\\f2 b\\plain c\\f0 d",
        "\\cf1 a\\cf2 b\\cf3 c\\highlight2 d\\cb1 e\\cf0\\highlight0 f",
        "\\up4 a\\dn4 b\\up0 c\\super d\\sub\\up3 e\\nosupersub f",
        "\\qc a\\par\\pard\\li300\\ri20\\fi-40 b\\par\\par\\qj\\par",
        "a\\tab b\\line c \\{\\}\\\\ \\'e9\\'80\\u1046?\\u-10179?\\u-8704?\\u-10179?",
        "\\b\\par\\b0\\par x",
        "",
    };
    for (const char* body : bodies) {
        for (const bool withTables : {true, false}) {
            const QString rtf =
                QStringLiteral("{\\rtf1\\deff0") + (withTables ? S(tables) : QString()) + S(body) + u'}';
            const TRtfDocument doc = ReadRtf(QStringView(rtf));
            const QString written = WriteRtf(doc);
            EXPECT_EQ(ReadRtf(QStringView(written)), doc) << body << "\n" << written.toStdString();
            EXPECT_EQ(RtfPlainText(QStringView(written)), RtfPlainText(doc)) << body;
        }
    }
}

// ---------------------------------------------------------------- the text document

QTextCharFormat fragmentFormat(const QTextDocument& doc, const QString& text) {
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().text() == text) return it.fragment().charFormat();
    ADD_FAILURE() << "no fragment " << text.toStdString();
    return {};
}

TEST(RtfTextDocument, FillsTheDocument) {
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    RtfToTextDocument(
        S("{\\rtf1{\\fonttbl{\\f0 DejaVu Sans;}{\\f1 DejaVu Serif;}}{\\colortbl;\\red255\\green0\\blue0;}"
          "a{\\b\\fs36\\cf1 b}\\line{\\f1\\highlight1 c}\\par\\qc\\li300\\fi-150{\\super d}{\\up4 e}{\\dn4 f}}"),
        doc);
    ASSERT_EQ(doc.blockCount(), 2);
    EXPECT_EQ(doc.begin().text(), QStringLiteral("ab") + QChar(0x2028) + u'c');
    const QTextBlockFormat second = doc.begin().next().blockFormat();
    EXPECT_EQ(second.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_DOUBLE_EQ(second.leftMargin(), 20.0);
    EXPECT_DOUBLE_EQ(second.textIndent(), -10.0);

    const QTextCharFormat a = fragmentFormat(doc, QStringLiteral("a")), b = fragmentFormat(doc, QStringLiteral("b"));
    EXPECT_EQ(a.fontWeight(), QFont::Normal);
    EXPECT_FALSE(a.hasProperty(QTextFormat::FontPointSize));  // the document's default size
    EXPECT_EQ(b.fontWeight(), QFont::Bold);
    EXPECT_DOUBLE_EQ(b.fontPointSize(), 18.0);
    EXPECT_EQ(b.foreground().color(), QColor(255, 0, 0));
    const QTextCharFormat c = fragmentFormat(doc, QStringLiteral("c"));
    EXPECT_EQ(c.fontFamilies().toStringList(), QStringList{QStringLiteral("DejaVu Serif")});
    EXPECT_EQ(c.background().color(), QColor(255, 0, 0));
    EXPECT_EQ(fragmentFormat(doc, QStringLiteral("d")).verticalAlignment(), QTextCharFormat::AlignSuperScript);
    const QTextCharFormat e = fragmentFormat(doc, QStringLiteral("e")), f = fragmentFormat(doc, QStringLiteral("f"));
    EXPECT_EQ(CharOffsetTwips(e), 40);
    EXPECT_EQ(CharOffsetTwips(f), -40);
    EXPECT_GT(e.baselineOffset(), 0);  // drawn raised
    EXPECT_LT(f.baselineOffset(), 0);  // drawn lowered
    EXPECT_EQ(e.verticalAlignment(), QTextCharFormat::AlignNormal);
}

// A document as an editor leaves it: formats set on the characters by a cursor.
void buildEdited(QTextDocument& doc) {
    doc.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    QTextCursor cur(&doc);
    cur.insertText(QStringLiteral("plain "));
    QTextCharFormat f;
    f.setFontWeight(QFont::Bold);
    cur.insertText(QStringLiteral("bold "), f);
    f = {};
    f.setFontItalic(true);
    cur.insertText(QStringLiteral("italic "), f);
    f = {};
    f.setFontPointSize(18);
    cur.insertText(QStringLiteral("big "), f);
    f = {};
    f.setForeground(QColor(0, 128, 255));
    cur.insertText(QStringLiteral("blue "), f);
    cur.insertText(S("Ж€ "), {});
    f = {};
    f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    cur.insertText(QStringLiteral("sup"), f);
    cur.insertText(QString(QChar(0x2028)), {});
    for (const int twips : {40, -40, 0}) {
        f = {};
        SetCharOffsetTwips(f, twips, 9);
        cur.insertText(QStringLiteral("o%1 ").arg(twips), f);
    }
    QTextBlockFormat bf;
    bf.setAlignment(Qt::AlignRight);
    bf.setLeftMargin(20);
    cur.insertBlock(bf);
    f = {};
    f.setFontUnderline(true);
    f.setFontStrikeOut(true);
    f.setBackground(QColor(255, 255, 0));
    f.setFontFamilies({QStringLiteral("DejaVu Serif")});
    cur.insertText(QStringLiteral("tail {x} \\"), f);
}

TEST(RtfTextDocument, DocumentRoundTrip) {
    QTextDocument doc;
    buildEdited(doc);
    const TRtfDocument before = RtfFromTextDocument(doc);
    const QString rtf = TextDocumentToRtf(doc);
    EXPECT_TRUE(rtf.startsWith(QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 DejaVu Sans;}")));
    EXPECT_TRUE(rtf.contains(QStringLiteral("\\up4 o40"))) << rtf.toStdString();
    EXPECT_TRUE(rtf.contains(QStringLiteral("\\dn4 o-40"))) << rtf.toStdString();

    QTextDocument back;
    back.setDefaultFont(doc.defaultFont());
    RtfToTextDocument(QStringView(rtf), back);
    EXPECT_EQ(RtfFromTextDocument(back), before);
    EXPECT_EQ(back.toPlainText(), doc.toPlainText());
    EXPECT_EQ(CharOffsetTwips(fragmentFormat(back, QStringLiteral("o40 "))), 40);
    EXPECT_EQ(CharOffsetTwips(fragmentFormat(back, QStringLiteral("o-40 "))), -40);
    EXPECT_EQ(CharOffsetTwips(fragmentFormat(back, QStringLiteral("o0 "))), 0);
    EXPECT_EQ(fragmentFormat(back, QStringLiteral("sup")).verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_DOUBLE_EQ(fragmentFormat(back, QStringLiteral("big ")).fontPointSize(), 18.0);
    EXPECT_EQ(fragmentFormat(back, QStringLiteral("blue ")).foreground().color(), QColor(0, 128, 255));
    // A second pass writes the very same text.
    EXPECT_EQ(TextDocumentToRtf(back), rtf);
}

// unrtf, an RTF reader of its own (Debian package unrtf), finds the same words in what we write.
QString unrtfText(const QString& rtf, QString* error) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.rtf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(rtf.toLatin1()) < 0) {
        *error = QStringLiteral("cannot write ") + path;
        return {};
    }
    file.close();
    QProcess p;
    p.start(QStringLiteral("unrtf"), {QStringLiteral("--text"), path});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *error = QStringLiteral("unrtf could not run (Debian package unrtf)");
        return {};
    }
    // Its text follows a banner that ends in a line of dashes.
    const QString out = QString::fromLatin1(p.readAllStandardOutput());
    const qsizetype dashes = out.indexOf(QStringLiteral("-----------------\n"));
    return dashes < 0 ? out : out.mid(dashes + 18);
}

TEST(RtfTextDocument, AnotherReaderReadsTheSameText) {
    QTextDocument doc;
    buildEdited(doc);
    const QString rtf = TextDocumentToRtf(doc);
    QString error;
    // unrtf's text shows a "\u" escape by its fallback "?" and a Windows-1252 character as one byte
    // of its own choice: with every character outside ASCII as "?", the words must be the same.
    const QRegularExpression blanks(QStringLiteral("\\s+"));
    const auto masked = [](QString t) {
        for (QChar& c : t)
            if (c.unicode() >= 0x80) c = u'?';
        return t;
    };
    const QString ours = masked(RtfPlainText(ReadRtf(QStringView(rtf))));
    const QString theirs = masked(unrtfText(rtf, &error));
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(theirs.split(blanks, Qt::SkipEmptyParts).join(u' ').toStdString(),
              ours.split(blanks, Qt::SkipEmptyParts).join(u' ').toStdString());
}

TEST(RtfTextDocument, ContentSize) {
    const QFont font(QStringLiteral("DejaVu Sans"), 9);
    auto size = [&](const char* rtf, int width) {
        QTextDocument doc;
        doc.setDefaultFont(font);
        RtfToTextDocument(QStringView(S(rtf)), doc);
        return RtfContentSize(doc, width);
    };
    const QSize plain = size("{\\rtf1 Wide words here}", -1), bold = size("{\\rtf1 \\b Wide words here}", -1);
    EXPECT_GT(bold.width(), plain.width());
    EXPECT_EQ(bold.height(), plain.height());
    EXPECT_GT(size("{\\rtf1 \\fs48 Wide words here}", -1).height(), plain.height());
    // Laid out narrower than its text, it wraps into more lines and no wider than the width.
    const QSize wrapped = size("{\\rtf1 Wide words here}", plain.width() / 2);
    EXPECT_GE(wrapped.height(), 2 * plain.height());
    EXPECT_LE(wrapped.width(), plain.width() / 2);
    EXPECT_EQ(size("{\\rtf1 a\\par b\\line c}", -1).height(), 3 * size("{\\rtf1 a}", -1).height());
}

TEST(RtfTextDocument, PaintsClippedInItsColoursOrOne) {
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 12));
    RtfToTextDocument(S("{\\rtf1{\\colortbl;\\red0\\green0\\blue255;}\\cf1 WWWWWWWWWWWWWWWWWWWW\\par WWWW\\par WWWW}"),
                      doc);
    struct Count {
        int inside = 0, outside = 0, red = 0, blue = 0;
    };
    const QRect rect(10, 5, 60, 20);
    auto paint = [&](const QColor& color) {
        QImage img(120, 80, QImage::Format_RGB32);
        img.fill(Qt::white);
        {
            QPainter p(&img);
            PaintTextDocument(p, doc, rect, false, color);
        }
        Count c;
        for (int y = 0; y < img.height(); ++y) {
            for (int x = 0; x < img.width(); ++x) {
                const QColor px = img.pixelColor(x, y);
                if (px == Qt::white) continue;
                (rect.contains(x, y) ? c.inside : c.outside)++;
                if (px.red() > 150 && px.blue() < 100) ++c.red;
                if (px.blue() > 150 && px.red() < 100) ++c.blue;
            }
        }
        return c;
    };
    const Count own = paint(QColor()), selected = paint(QColor(255, 0, 0));
    EXPECT_GT(own.inside, 0);
    EXPECT_EQ(own.outside, 0);
    EXPECT_GT(own.blue, 0);
    EXPECT_EQ(own.red, 0);
    EXPECT_EQ(selected.outside, 0);
    EXPECT_GT(selected.red, 0);
    EXPECT_EQ(selected.blue, 0);
}

}  // namespace
