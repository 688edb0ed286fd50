// Cell text kinds, one-line forms, line-break encodings and CSV fields.
#include "controls/ExUtil.h"

#include <gtest/gtest.h>

namespace {

QString S(const char* s) { return QString::fromUtf8(s); }

TEST(ExUtilCellText, ClassifyCellText) {
    struct Case {
        QString text;
        bool html;
        int kind;
    };
    const QString nul(1, QChar(0));
    const Case cases[] = {
        {QString(), true, 0},
        {S("a"), true, 0},
        {S("=A1"), false, 3},
        {S("="), false, 3},
        {S("{\\rtf1"), true, 2},
        {S("<b>x</b>"), false, 0},
        {S("<b>x</b>"), true, 1},
        {S("<u>x"), true, 0},
        {S("<b>x"), true, 0},  // lower-case b alone does not count
        {S("a<BR>b"), true, 1},
        {S("<IMG src=x>"), true, 1},
        {S("<CONTROL id=\"a\">"), true, 1},
        {EncodeWideText(S("=A1")), true, 3},
        {EncodeWideText(S("=")), true, 5},
        {EncodeWideText(S("x")), true, 5},
        {S("|\\") + QChar(0x20) + S("=") + nul, true, 3},  // the first unit's high byte is not looked at
    };
    for (const Case& c : cases) EXPECT_EQ(ClassifyCellText(c.text, c.html), c.kind) << c.text.toStdString();
}

TEST(ExUtilCellText, WideTextForm) {
    const QString text = QStringLiteral("AB\u20ac\U0001F600");
    const QString enc = EncodeWideText(text);
    EXPECT_EQ(enc.left(6), QStringLiteral("|\\") + QChar(0) + u'A' + QChar(0) + u'B');
    for (qsizetype i = 2; i < enc.size(); ++i) EXPECT_LE(enc[i].unicode(), 0xFF);
    EXPECT_EQ(DecodeWideText(enc), text);
    EXPECT_EQ(DecodeWideText(enc + u'x'), text);  // an odd last character is ignored
    EXPECT_EQ(DecodeWideText(QStringLiteral("plain")), QStringLiteral("plain"));
    EXPECT_EQ(DecodeWideText(QStringLiteral("|\\")), QString());
}

TEST(ExUtilCellText, OneLineFormRoundTrips) {
    struct Case {
        QString text;
        QString encoded;
        QString decoded;  // DecodeCellBreaks(encoded, true)
    };
    const QString nul(1, QChar(0));
    const Case cases[] = {
        {S("a\r\nb\r\nc"), S("a\t\bb\t\bc"), S("a\r\nb\r\nc")},
        {S("a\r\nb") + nul, S("a\t\bb\x01"), S("a\r\nb") + nul},
        {S("a\rb"), S("a\tb"), S("a\tb")},         // CR only: back with a TAB
        {S("a\nb"), S("a\nb"), S("a\nb")},         // LF only: not touched
        {S("x\ty\r\nz"), S("x\ty\t\bz"), S("x\ry\r\nz")},  // a TAB beside CR LF comes back as CR
        {S("plain"), S("plain"), S("plain")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EncodeCellBreaks(c.text), c.encoded) << c.text.toStdString();
        EXPECT_EQ(DecodeCellBreaks(c.encoded, true), c.decoded) << c.text.toStdString();
        EXPECT_FALSE(EncodeCellBreaks(c.text).contains(u'\r'));
    }
    EXPECT_EQ(DecodeCellBreaks(EncodeCellBreaks(S("first\r\nsecond")), false), S("first"));
    EXPECT_EQ(CountTextLines(S("a\r\nb\r\nc"), true), 3);
    EXPECT_EQ(CountTextLines(S("a\r\nb\r\nc"), false), 1);
}

TEST(ExUtilCellText, ExtractFirstLine) {
    struct Case {
        const char* text;
        bool keep;
        const char* line;
        const char* rest;
    };
    const Case cases[] = {
        {"a\r\nb\r\nc", true, "a", "b\r\nc"}, {"a\r\nb", false, "a", ""}, {"a\rb", true, "a", "b"},
        {"a\r\n\nb", true, "a", "\nb"},       {"abc", true, "abc", ""},   {"", true, "", ""},
    };
    for (const Case& c : cases) {
        QString t = S(c.text), line = S("old");
        ExtractFirstLine(t, c.keep, line);
        EXPECT_EQ(line, S(c.line)) << c.text;
        EXPECT_EQ(t, S(c.rest)) << c.text;
    }
}

TEST(ExUtilCellText, LineBreakConversions) {
    QString t = S("a\r\nb\rc\nd");
    CRLFToLF(t);
    EXPECT_EQ(t, S("a\nb\rc\nd"));
    EXPECT_EQ(RemoveCR(S("a\r\nb\r")), S("a\nb"));
    EXPECT_EQ(CRToLF(S("a\r\nb\r")), S("a\n\nb\n"));
    EXPECT_EQ(EscapeLineBreaks(S("a\r\nb")), S("a\\nb"));
    EXPECT_EQ(UnescapeLineBreaks(S("a\\nb\\n")), S("a\rb\r"));
    EXPECT_EQ(UnescapeLineBreaks(EscapeLineBreaks(S("x\r\ny"))), S("x\ry"));
    EXPECT_EQ(LineBreaksToBR(S("a\r\nb")), S("a<br>\nb"));
    t = S("a\r\nb\nc");
    LineBreaksToTilde(t);
    EXPECT_EQ(t, S("a~bc"));
    t = S("^");
    TildeToLineBreaks(t);
    EXPECT_EQ(t, QString());
    t = S("a~b");
    TildeToLineBreaks(t);
    EXPECT_EQ(t, S("a\r\nb"));
}

TEST(ExUtilCsv, PackAndUnpackRoundTrip) {
    struct Case {
        const char* text;
        const char* packed;
    };
    const Case cases[] = {
        {"a\r\nb", "\"a\x0b" "b\""},
        {"x", "\"x\""},
        {"", "\"\""},
        {"say \"hi\"\r\n\r\nbye", "\"say \"hi\"\x0b\x0b" "bye\""},
    };
    for (const Case& c : cases) {
        QString t = S(c.text);
        PackMultiLineField(t);
        EXPECT_EQ(t, S(c.packed)) << c.text;
        // The reader strips the outer quotes, then restores the line breaks.
        QString inner = t.mid(1, t.size() - 2);
        UnpackMultiLineField(inner);
        EXPECT_EQ(inner, S(c.text));
    }
    QString noVt = S("a\rb");
    UnpackMultiLineField(noVt);
    EXPECT_EQ(noVt, S("a\rb"));
}

TEST(ExUtilCsv, QuoteDoublingRoundTrips) {
    for (const char* text : {"", "plain", "\"", "a\"\"b", "\"\"\"x\"", "end\""}) {
        const QString t = S(text);
        const QString doubled = DoubleQuoteChars(t);
        EXPECT_EQ(doubled.count(u'"'), 2 * t.count(u'"'));
        EXPECT_EQ(CollapseDoubledChar(u'"', doubled), t) << text;
    }
    EXPECT_EQ(CollapseDoubledChar(u'"', S("a\"b")), S("a\"b"));
    EXPECT_EQ(CollapseDoubledChar(u'"', S("\"\"\"")), S("\"\""));
}

TEST(ExUtilCsv, FindClosingQuote) {
    struct Case {
        const char* text;
        int pos;
    };
    const Case cases[] = {
        {"ab\"\"c\"d", 6}, {"ab\"c", 3}, {"ab\"\"", 4}, {"abc", 0}, {"", 0},
        {"\"", 1},         {"\"\"\"x", 3}, {"\"\"x", 0},
    };
    for (const Case& c : cases) {
        int pos = -9;
        EXPECT_EQ(FindClosingQuote(u'"', S(c.text), pos), c.pos) << c.text;
        EXPECT_EQ(pos, c.pos) << c.text;
    }
    EXPECT_EQ(CountClosingQuotes(u'"', S("a\"b\"c")), 2);
    EXPECT_EQ(CountClosingQuotes(u'"', S("a\"\"b")), 0);
    EXPECT_EQ(CountClosingQuotes(u'"', S("x")), 0);
}

}  // namespace
