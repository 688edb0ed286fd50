// Mini-HTML text utilities: stripping, highlighting, escaping and the form controls of a cell.
#include "controls/ExHTMLUtil.h"

#include <gtest/gtest.h>
#include <climits>
#include <random>

namespace {

QString S(const char* s) { return QString::fromUtf8(s); }

TEST(ExHTMLUtil, StripHTMLTags) {
    struct Case {
        const char* html;
        const char* plain;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"<b>bold</b> and <i>it</i>", "bold and it"},
        {"a<br>b<BR>c<Hr>d", "a\r\nb\r\nc\r\nd"},
        {"a<b", "a<b"},                       // unclosed: it and the rest stay
        {"x<b>y<z", "xy<z"},                  // stripped up to the unclosed "<"
        {"a<b <br>c", "a<b \r\nc"},           // the line break's ">" closes nothing
        {"a<b<br>>c", "ac"},
        {"<b>x</b><u", "x<u"},
        {"1 > 0", "1 > 0"},
        {"", ""},
        {"<>", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(StripHTMLTags(S(c.html)), S(c.plain)) << c.html;
}

TEST(ExHTMLUtil, EscapeUnescape) {
    struct Case {
        const char* text;
        bool entities;
        const char* escaped;
    };
    const Case cases[] = {
        {"a&b", false, "a&amp;b"},
        {"&amp;", false, "&amp;amp;"},  // escaped once more
        {"*amp;", false, "*amp;"},      // a literal "*amp;" is just text
        {"\"<x>\"", false, "&quot;&lt;x&gt;&quot;"},
        {"caf\u00e9 \u00c9t\u00e9", true, "caf&eacute; &Eacute;t&eacute;"},
        {"caf\u00e9", false, "caf\u00e9"},
        {"\u20ac \u00a9 \u00ab\u00bb", true, "&euro; &copy; &laquo;&raquo;"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EscapeHTMLText(S(c.text), c.entities), S(c.escaped)) << c.text;
        EXPECT_EQ(UnescapeHTMLText(S(c.escaped), c.entities), S(c.text)) << c.text;
    }
    // Names are read with their exact letter case, each once.
    EXPECT_EQ(UnescapeHTMLText(S("&Eacute;&eacute;&EACUTE;"), true), S("\u00c9\u00e9&EACUTE;"));
    EXPECT_EQ(UnescapeHTMLText(S("&amp;lt;"), false), S("&lt;"));
    EXPECT_EQ(UnescapeHTMLText(S("&eacute;"), false), S("&eacute;"));
    EXPECT_EQ(UnescapeHTMLText(S("a & b &"), true), S("a & b &"));
}

TEST(ExHTMLUtil, EveryTextSurvivesTheEscapeRoundTrip) {
    const QString alphabet = S("&*;amplt\"<>eacuteEacute\u00e9\u00c9\u20ac ");
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> len(0, 20), pick(0, static_cast<int>(alphabet.size()) - 1);
    for (int round = 0; round < 5000; ++round) {
        QString t;
        for (int n = len(rng); n > 0; --n) t += alphabet[pick(rng)];
        for (bool entities : {false, true})
            ASSERT_EQ(UnescapeHTMLText(EscapeHTMLText(t, entities), entities), t) << t.toStdString();
    }
}

TEST(ExHTMLUtil, InsertHighlightTags) {
    struct Case {
        const char* text;
        const char* find;
        bool caseSensitive;
        const char* result;
    };
    const Case cases[] = {
        {"abcabc", "b", true, "a<hi>b</hi>ca<hi>b</hi>c"},
        {"aaa", "a", true, "<hi>a</hi><hi>a</hi><hi>a</hi>"},
        {"aaaa", "aa", true, "<hi>aa</hi><hi>aa</hi>"},  // no overlapping matches
        {"ABC", "b", false, "A<hi>B</hi>C"},
        {"ABC", "b", true, "ABC"},
        {"a<b>bc</b>d", "bc", true, "a<hi><b>bc</hi></b>d"},  // opens before the tag after "a"
        {"a<b>bc</b>d", "bcd", true, "a<hi><b>bc</b>d</hi>"},  // spans the bold tag
        {"<b>a</b>b", "b", true, "<b>a<hi></b>b</hi>"},
        {"ab<i>ab</i>", "ab", true, "<hi>ab</hi><hi><i>ab</hi></i>"},  // never inside the last closing tag
        {"a<b>b</b>c", "ab", true, "<hi>a<b>b</hi></b>c"},
        {"x > y", "y", true, "x &gt; <hi>y</hi>"},             // text brackets escaped first
        // The "<" comes after the first ">", so the search text reads "<hI>" as text, not as a tag.
        {"><hI>", "><h", false, "<hi>&gt;&lt;h</hi>I&gt;"},
        {"abc", "", true, "abc"},                               // nothing to find, nothing changes
        {"", "a", true, ""},
    };
    for (const Case& c : cases) {
        QString out = S("stale");
        InsertHighlightTags(S(c.text), S(c.find), S("hi"), out, c.caseSensitive);
        EXPECT_EQ(out, S(c.result)) << c.text << " / " << c.find;
    }
}

TEST(ExHTMLUtil, RemoveHighlightTags) {
    struct Case {
        const char* text;
        const char* result;
    };
    const Case cases[] = {
        {"a<hi>b</hi>c", "abc"},
        {"a<HI>b</Hi>c", "abc"},
        {"x &lt;b&gt; <hi>y</hi>", "x <b> y"},
        {"<h<hi>i>x", "x"},  // a removal that joins a new tag removes that too
        {"<b>keep</b>", "<b>keep</b>"},
    };
    for (const Case& c : cases) {
        QString out;
        RemoveHighlightTags(S(c.text), S("hi"), out);
        EXPECT_EQ(out, S(c.result)) << c.text;
    }
    // Insertion then removal gives the text back when it held no angle brackets as text.
    QString marked, back;
    InsertHighlightTags(S("one <b>two</b> one"), S("one"), S("e"), marked, false);
    RemoveHighlightTags(marked, S("e"), back);
    EXPECT_EQ(back, S("one <b>two</b> one"));
    // A text that spells the highlight tag as text gets that text back, not a tag removed.
    InsertHighlightTags(S("><hI>"), S("><h"), S("hi"), marked, false);
    RemoveHighlightTags(marked, S("hi"), back);
    EXPECT_EQ(back, S("><hI>"));
}

TEST(ExHTMLUtil, ParseControlTag) {
    QString type = S("x"), id = S("x"), value = S("x"), width = S("x"), height = S("x"), prop = S("x"), maxLen = S("x");
    ParseControlTag(S("<control type=\"check\" id=\"C1\" value=\"caf&eacute; &amp;\" width=\"20\" "
                      "prop=\"a&quot;b\" maxlen=\"12\">"),
                    type, id, value, width, height, prop, maxLen);
    EXPECT_EQ(type, S("CHECK"));
    EXPECT_EQ(id, S("C1"));
    EXPECT_EQ(value, S("caf\u00e9 &"));
    EXPECT_EQ(width, S("20"));
    EXPECT_EQ(height, QString());
    EXPECT_EQ(prop, S("a\"b"));
    EXPECT_EQ(maxLen, S("12"));
    // A missing quote ends the value: nothing is read past the tag.
    ParseControlTag(S("<CONTROL ID=\"a"), type, id, value, width, height, prop, maxLen);
    EXPECT_EQ(id, QString());
    ParseControlTag(S("<CONTROL ID=a>"), type, id, value, width, height, prop, maxLen);
    EXPECT_EQ(id, QString());
    EXPECT_EQ(type, QString());
}

const QString kForm = S("Name <CONTROL TYPE=\"EDIT\" ID=\"n\" VALUE=\"Bob\" WIDTH=\"80\" MAXLEN=\"10\">"
                        " ok <CONTROL TYPE=\"CHECK\" ID=\"c\" VALUE=\"FALSE\" WIDTH=\"15\" HEIGHT=\"9\" "
                        "PROP=\"p&amp;q\" MAXLEN=\"3\" EXTRA=\"1\">"
                        " <control type=\"radio\" id=\"r1\" value=\"TRUE\" width=\"15\">"
                        " <CONTROL TYPE=\"RADIO\" ID=\"r2\" VALUE=\"TRUE\" WIDTH=\"15\">"
                        " <CONTROL TYPE=\"BUTTON\" ID=\"b\" VALUE=\"Go\" WIDTH=\"40\">"
                        " <CONTROL TYPE=\"COMBO\" ID=\"m\" VALUE=\"x\" WIDTH=\"40\" PROP=\"a,b\">"
                        " <CONTROL\tTYPE=\"EDIT\" ID=\"tab\" VALUE=\"t\" WIDTH=\"9\">");

TEST(ExHTMLUtil, ControlScans) {
    EXPECT_TRUE(HasControlTag(S("x <control")));
    EXPECT_FALSE(HasControlTag(S("x <contro")));
    QString v = S("untouched");
    EXPECT_TRUE(GetControlValue(kForm, S("n"), v));
    EXPECT_EQ(v, S("Bob"));
    EXPECT_FALSE(GetControlValue(kForm, S("N"), v));  // IDs keep their letter case
    EXPECT_EQ(v, S("Bob"));
    EXPECT_FALSE(GetControlValue(kForm, S("tab"), v));  // the scans need a blank after CONTROL
    QString prop = S("stale");
    GetControlProp(kForm, S("c"), prop);
    EXPECT_EQ(prop, S("p&q"));
    GetControlProp(kForm, S("none"), prop);
    EXPECT_EQ(prop, QString());
    EXPECT_EQ(GetControlMaxLen(kForm, S("n")), 10);
    EXPECT_EQ(GetControlMaxLen(kForm, S("b")), 0);
    EXPECT_EQ(GetControlMaxLen(kForm, S("none")), 0);

    struct Next {
        const char* after;
        const char* id;
    };
    const Next next[] = {{"", "n"}, {"n", "m"}, {"c", "m"}, {"m", ""}, {"nobody", ""}};
    for (const Next& n : next) {
        QString id = S("stale");
        NextEditControlID(kForm, S(n.after), id);
        EXPECT_EQ(id, S(n.id)) << n.after;
    }
}

TEST(ExHTMLUtil, SetControlValueRewritesTheTag) {
    QString t = kForm;
    ASSERT_TRUE(SetControlValue(t, S("c"), S("TRUE")));
    EXPECT_TRUE(t.contains(S("<CONTROL ID=\"c\" VALUE=\"TRUE\" WIDTH=\"15\" TYPE=\"CHECK\" PROP=\"p&amp;q\" "
                             "MAXLEN=\"3\" HEIGHT=\"9\">")));
    EXPECT_FALSE(t.contains(S("EXTRA")));
    QString v;
    ASSERT_TRUE(GetControlValue(t, S("c"), v));
    EXPECT_EQ(v, S("TRUE"));
    ASSERT_TRUE(SetControlValue(t, S("n"), S("\"A&B\" <caf\u00e9>")));
    ASSERT_TRUE(GetControlValue(t, S("n"), v));
    EXPECT_EQ(v, S("\"A&B\" <caf\u00e9>"));
    EXPECT_EQ(GetControlMaxLen(t, S("n")), 10);
    EXPECT_TRUE(t.startsWith(S("Name <CONTROL ID=\"n\"")));
    EXPECT_TRUE(t.endsWith(S("VALUE=\"t\" WIDTH=\"9\">")));

    const QString before = t;
    EXPECT_FALSE(SetControlValue(t, S("zz"), S("x")));
    EXPECT_EQ(t, before);

    QString reset;
    ResetRadioControls(kForm, reset);
    for (const char* id : {"r1", "r2"}) {
        ASSERT_TRUE(GetControlValue(reset, S(id), v));
        EXPECT_EQ(v, S("FALSE")) << id;
    }
    ASSERT_TRUE(GetControlValue(reset, S("c"), v));
    EXPECT_EQ(v, S("FALSE"));
    ASSERT_TRUE(GetControlValue(reset, S("n"), v));
    EXPECT_EQ(v, S("Bob"));
}

TEST(ExHTMLUtil, ScansEndOnAMissingBracket) {
    QString v = S("untouched");
    EXPECT_FALSE(GetControlValue(S("<CONTROL ID=\"a\" VALUE=\"b\""), S("a"), v));
    EXPECT_EQ(v, S("untouched"));
    QString t = S("<CONTROL ID=\"a\" VALUE=\"b\"");
    EXPECT_FALSE(SetControlValue(t, S("a"), S("c")));
    QString id = S("x");
    NextEditControlID(S("<CONTROL ID=\"a\" "), QString(), id);
    EXPECT_EQ(id, QString());
}

TEST(ExHTMLUtil, StringRoutines) {
    EXPECT_EQ(PosIgnoreCase(S("bC"), S("aBc")), 2);
    EXPECT_EQ(PosIgnoreCase(S("\u00e9"), S("\u00c9")), 0);  // only a-z change case
    EXPECT_EQ(PosIgnoreCase(QString(), S("abc")), 0);
    int pos = -1;
    EXPECT_EQ(FindPosOut(S("c"), S("abc"), pos), 3);
    EXPECT_EQ(pos, 3);
    EXPECT_EQ(FindPosUpper(S("BC"), S("abc"), pos), 2);
    EXPECT_EQ(pos, 2);
    EXPECT_EQ(FindPosUpper(S("bc"), S("abc"), pos), 0);
    EXPECT_EQ(pos, 0);
    QString t = S("one TWO two");
    EXPECT_TRUE(ReplaceFirstIgnoreCase(t, S("two"), S("2")));
    EXPECT_EQ(t, S("one 2 two"));
    EXPECT_FALSE(ReplaceFirstIgnoreCase(t, S("three"), S("3")));
    EXPECT_EQ(t, S("one 2 two"));
    struct Num {
        const char* text;
        int value;
    };
    const Num nums[] = {{"12px", 12},   {"007", 7},     {"x1", 0},         {"", 0},
                        {"-3", -3},     {"-3px", 0},    {" 12", 12},       {"  -7", -7},
                        {"-", 0},       {"+5", 0},      {"$1F", 31},       {"0x1fz", 31},
                        {"$", 0},       {"0xg", 0},     {"-$10", -16},     {"99999999999", INT_MAX},
                        {"-99999999999", INT_MIN}};
    for (const Num& n : nums) EXPECT_EQ(IntOfText(S(n.text)), n.value) << n.text;
    EXPECT_EQ(UnwrapHashTags(S("<#FF0000> and <#00FF00>")), S("#FF0000 and #00FF00"));
    EXPECT_EQ(UnwrapHashTags(S("<<#x>y>")), S("#xy"));
    EXPECT_EQ(UnwrapHashTags(S("a>b")), S("a>b"));
    EXPECT_EQ(UnwrapHashTags(S("<#x<>#")), S("#x#"));  // the removed ">" joins a new "<#"
    EXPECT_EQ(CRToBRTags(S("a\r\nb\nc"), true), S("a<BR>bc"));
    EXPECT_EQ(CRToBRTags(S("a\r\nb"), false), S("ab"));
    EXPECT_EQ(SpacesToNbsp(S("a b  c")), S("a&nbsp;b&nbsp;&nbsp;c"));
    EXPECT_EQ(MaskText(S("abc")), S("***"));
}

}  // namespace

namespace {

// Line-break tags first, each replaced while one is left; then every "<" to the first ">" after it.
QString stripByTheRules(QString t) {
    for (const char* tag : {"<BR>", "<HR>"}) {
        qsizetype at;
        while ((at = t.indexOf(QLatin1StringView(tag), 0, Qt::CaseInsensitive)) >= 0) t.replace(at, 4, "\r\n");
    }
    QString out;
    while (true) {
        const qsizetype lt = t.indexOf(u'<');
        if (lt < 0) break;
        const qsizetype gt = t.indexOf(u'>', lt);
        if (gt < 0) break;
        out += t.left(lt);
        t = t.mid(gt + 1);
    }
    return out + t;
}

TEST(ExHTMLUtil, StrippingInOnePassFollowsTheRules) {
    const QString alphabet = QStringLiteral("<>brhBRHx ");
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> len(0, 16), pick(0, static_cast<int>(alphabet.size()) - 1);
    for (int round = 0; round < 20000; ++round) {
        QString t;
        for (int n = len(rng); n > 0; --n) t += alphabet[pick(rng)];
        ASSERT_EQ(StripHTMLTags(t), stripByTheRules(t)) << t.toStdString();
    }
}

// Each "<#" in turn loses its "<" and the first ">" after it, until none is left.
QString unwrapByTheRules(QString t) {
    qsizetype at;
    while ((at = t.indexOf(QLatin1StringView("<#"))) >= 0) {
        t.remove(at, 1);
        const qsizetype gt = t.indexOf(u'>', at);
        if (gt >= 0) t.remove(gt, 1);
    }
    return t;
}

TEST(ExHTMLUtil, UnwrappingInOnePassFollowsTheRules) {
    const QString alphabet = QStringLiteral("<>#x");
    std::mt19937 rng(9);
    std::uniform_int_distribution<int> len(0, 14), pick(0, static_cast<int>(alphabet.size()) - 1);
    for (int round = 0; round < 20000; ++round) {
        QString t;
        for (int n = len(rng); n > 0; --n) t += alphabet[pick(rng)];
        ASSERT_EQ(UnwrapHashTags(t), unwrapByTheRules(t)) << t.toStdString();
    }
}

TEST(ExHTMLUtil, VisiblePositions) {
    EXPECT_EQ(StripTagsForSearch(S("a<b>c</b>d")), S("acd"));
    EXPECT_EQ(StripTagsForSearch(S("a>b<c>d")), S("a>b<c>d"));  // a ">" before the "<" stops the walk
    EXPECT_EQ(StripTagsForSearch(S("a<b")), S("a<b"));
    struct Case {
        const char* text;
        int n;
        int pos;
    };
    const Case cases[] = {
        {"abc", 1, 1}, {"abc", 2, 2}, {"abc", 4, 4}, {"abc", 5, 0}, {"a<b>c", 2, 2}, {"a<b>c", 3, 6}, {"", 1, 1},
    };
    for (const Case& c : cases) EXPECT_EQ(VisibleToRawIndex(S(c.text), c.n), c.pos) << c.text << " " << c.n;
}

}  // namespace
