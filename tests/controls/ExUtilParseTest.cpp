// Number, date and text parsing routines of the grid utilities.
#include "controls/ExUtil.h"
#include "tests/support/LocaleScope.h"
#include "platform/Files.h"

#include <QDate>
#include <gtest/gtest.h>

using testing_support::inLocale;
using testing_support::kCommaDecimal;
using testing_support::kDotDecimal;
using testing_support::LocaleCase;
using testing_support::LocaleScope;

namespace {

TDateTime dateOf(int y, int m, int d) { return EncodeDate(y, m, d); }

class BothLocales : public ::testing::TestWithParam<LocaleCase> {};
INSTANTIATE_TEST_SUITE_P(Separators, BothLocales, ::testing::Values(kDotDecimal, kCommaDecimal),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(BothLocales, ClassifyNumberText) {
    const LocaleScope scope(GetParam());
    struct Case {
        const char* text;  // T thousand separator, D decimal separator
        int kind;
        const char* why;
    };
    const Case cases[] = {
        {"", 2, "empty"},
        {"-", 0, "a lone minus passes the whole-number test"},
        {"123", 0, "digits"},
        {"-123", 0, "leading minus"},
        {"12-", 2, "minus after the first position"},
        {"1D5", 1, "decimal separator"},
        {"1D2D3", 2, "two decimal separators"},
        {"1T234", 1, "thousand separator"},
        {"1T234T567D5", 1, "grouped with decimals"},
        {"1T23", 1, "the first thousand separator may stand anywhere"},
        {"1T23T4", 2, "thousand separators three apart"},
        {"e5", 2, "exponent first"},
        {"1e5", 5, "scientific"},
        {"1E5", 5, "upper-case exponent"},
        {"1e", 2, "exponent last"},
        {"1e5e6", 2, "two exponents"},
        {"-1D5e-3", 5, "one sign for the mantissa, one for the exponent"},
        {"---1e5", 2, "three minus signs"},
        {"1T5e3", 2, "no thousand separator in scientific notation"},
        {"+5", 2, "plus is not a number character"},
        {"12a", 2, "letter"},
        {"\u0663\u0664", 0, "Arabic-Indic digits count as numbers"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClassifyNumberText(inLocale(c.text, GetParam())), c.kind) << c.text << ": " << c.why;
}

TEST_P(BothLocales, NormalizeNumberText) {
    const LocaleScope scope(GetParam());
    struct Case {
        const char* text;
        const char* plain;
    };
    const Case cases[] = {
        {"(1T234D50 \u20ac)", "-1234.50"},
        {" (42) ", "-42"},
        {"abc", ""},  // "a" and "b" go, the walk stops at "c"
        {"x", ""},
        {"$", ""},
        {"", ""},
        {"-5", "-5"},
        {"5-", "5-"},
        {"$ 1T000D5", "1000.5"},
        {"-$3D25", "-3.25"},
        {"1D5e+3kg", "1.5e+3"},
        {"12 345", "12"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NormalizeNumberText(inLocale(c.text, GetParam())), QString::fromUtf8(c.plain)) << c.text;
}

TEST_P(BothLocales, NormalizeDecimalText) {
    const LocaleScope scope(GetParam());
    EXPECT_EQ(NormalizeDecimalText(inLocale("1T234T567D5", GetParam())), QStringLiteral("1234567.5"));
    EXPECT_EQ(NormalizeDecimalText(inLocale("aDb c", GetParam())), QStringLiteral("a.b c"));
}

TEST(ExUtilNumbers, DecimalSeparatorWinsWhenBothSettingsAgree) {
    const LocaleScope scope(u'.', u'.');
    EXPECT_EQ(NormalizeDecimalText(QStringLiteral("1.5")), QStringLiteral("1.5"));
}

TEST(ExUtilNumbers, SettingsAreReadAtEachCall) {
    {
        const LocaleScope scope(kDotDecimal);
        EXPECT_EQ(DecimalSeparatorChar(), u'.');
        EXPECT_EQ(ClassifyNumberText(QStringLiteral("1,5")), 1);  // thousand separator
        EXPECT_EQ(NormalizeNumberText(QStringLiteral("1,5")), QStringLiteral("15"));
    }
    const LocaleScope scope(kCommaDecimal);
    EXPECT_EQ(DecimalSeparatorChar(), u',');
    EXPECT_EQ(ThousandSeparatorChar(), u'.');
    EXPECT_EQ(NormalizeNumberText(QStringLiteral("1,5")), QStringLiteral("1.5"));
}

TEST(ExUtilChars, CharacterTests) {
    const LocaleScope scope(kCommaDecimal);
    EXPECT_TRUE(CharIsNumber(u'7'));
    EXPECT_TRUE(CharIsNumber(QChar(0x2163)));  // Roman numeral four: a letter number
    EXPECT_TRUE(CharIsNumber(QChar(0x00B2)));  // superscript two: another number
    EXPECT_FALSE(CharIsNumber(u'a'));
    EXPECT_TRUE(IsIntegerChar(u'-'));
    EXPECT_FALSE(IsIntegerChar(u'+'));
    EXPECT_TRUE(IsFormattedNumberChar(u','));
    EXPECT_TRUE(IsFormattedNumberChar(u'.'));
    EXPECT_TRUE(IsFormattedNumberChar(u'E'));
    EXPECT_FALSE(IsFormattedNumberChar(u'-'));
    EXPECT_TRUE(IsScientificChar(u'+'));
    EXPECT_TRUE(IsPlainFloatChar(u'.'));
    EXPECT_FALSE(IsPlainFloatChar(u','));
    for (QChar c : QStringView(u" ',-.")) EXPECT_TRUE(IsWordSeparator(c)) << int(c.unicode());
    EXPECT_FALSE(IsWordSeparator(u'_'));
}

TEST(ExUtilDates, ParseShortDates) {
    struct Case {
        const char* text;
        bool dayFirst;
        int y, m, d;  // y == 0: the result is 0
    };
    const Case cases[] = {
        {"12/31/99", false, 1999, 12, 31},
        {"1/2/25", false, 2025, 1, 2},
        {"1/2/26", false, 1926, 1, 2},
        {"1/2/2024", false, 2024, 1, 2},  // a four-digit year keeps its century
        {"1/2/1999", false, 1999, 1, 2},
        {"2.3.20", false, 2020, 2, 3},
        {"2-3-20", false, 2020, 2, 3},
        {"31/12/99", true, 1999, 12, 31},
        {"2/3.20", false, 0, 0, 0},  // the second separator differs
        {"2/3", false, 0, 0, 0},
        {"x/3/20", false, 0, 0, 0},
        {"2/3/x", false, 0, 0, 0},
        {"20200101", false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const QString t = QString::fromLatin1(c.text);
        const TDateTime got = c.dayFirst ? ParseDateDMY(t) : ParseDateMDY(t);
        EXPECT_EQ(got, c.y ? dateOf(c.y, c.m, c.d) : 0.0) << c.text;
    }
    for (const char* bad : {"2/30/20", "13/1/20", "0/1/20", "1/0/20"})
        EXPECT_THROW(ParseDateMDY(QString::fromLatin1(bad)), EConvertError) << bad;
}

TEST(ExUtilDates, ParseLocaleDateTime) {
    const TDateTime sentinel = -12345;
    const TDateTime d31 = dateOf(2020, 12, 31);
    struct Case {
        const char* format;
        QChar dateSep;
        const char* text;
        bool ok;
        TDateTime value;  // sentinel: untouched
    };
    const Case cases[] = {
        {"dd/MM/yyyy", u'/', "31/12/2020", true, d31},
        {"dd/MM/yyyy", u'/', " 31/12/2020 ", true, d31},
        {"dd/MM/yyyy", u'/', "31/12/2020 10:30", true, d31 + EncodeTime(10, 30, 0, 0)},
        {"dd/MM/yyyy", u'/', "31/12/2020 10:30:59", true, d31 + EncodeTime(10, 30, 59, 0)},
        {"dd/MM/yyyy", u'/', "31/12/2020 10", false, d31},  // the date stands, the time does not
        {"dd/MM/yyyy", u'/', "32/12/2020", false, sentinel},
        {"dd/MM/yyyy", u'/', "31/13/2020", false, sentinel},
        {"dd/MM/yyyy", u'/', "31/11/2020", false, sentinel},  // no such day
        {"dd/MM/yyyy", u'/', "31/12/2020 24:00", false, sentinel},
        {"dd/MM/yyyy", u'/', "31/12/2020 10:60", false, sentinel},
        {"dd/MM/yyyy", u'/', "31/12/2020 10:30:60", false, sentinel},
        {"dd/MM/yyyy", u'/', "31-12-2020", false, sentinel},
        {"dd/MM/yyyy", u'/', "-1/12/2020", false, sentinel},
        {"dd/MM/yyyy", u'/', "65567/12/2020", false, sentinel},  // no 16-bit wrap to day 31
        {"dd/MM/yyyy", u'/', "x/12/2020", false, sentinel},
        {"dd/MM/yyyy", u'/', "1/1/20", true, dateOf(20, 1, 1)},  // no century is added
        {"M/d/yyyy", u'/', "12/31/2020", true, d31},
        {"yyyy-MM-dd", u'-', "2020-12-31", true, d31},
        {"d.M.yy", u'.', "31.12.2020", true, d31},
    };
    for (const Case& c : cases) {
        const LocaleScope scope(u'.', u',', c.dateSep, u':', QString::fromLatin1(c.format));
        TDateTime v = sentinel;
        EXPECT_EQ(ParseLocaleDateTime(QString::fromLatin1(c.text), v), c.ok) << c.text;
        EXPECT_DOUBLE_EQ(v, c.value) << c.text;
    }
}

TEST(ExUtilDates, HasDateSeparators) {
    const LocaleScope scope(u'.', u',', u'/');
    struct Case {
        const char* text;
        bool has;
    };
    const Case cases[] = {{"1/2/3", true}, {"/1/2", false}, {"1//2", false}, {"1/2", false}, {"12/34/", true}, {"", false}};
    for (const Case& c : cases) EXPECT_EQ(HasDateSeparators(QString::fromLatin1(c.text)), c.has) << c.text;
}

TEST(ExUtilDates, StepDate) {
    const TDateTime jan10 = dateOf(2021, 1, 10);
    EXPECT_EQ(StepDate(0, 0, 1, jan10, 1), dateOf(2021, 1, 11));
    EXPECT_EQ(StepDate(0, 0, -1, jan10, -1), dateOf(2021, 1, 9));
    EXPECT_EQ(StepDate(0, -1, 0, dateOf(2020, 1, 15), -31), dateOf(2019, 12, 15));
    EXPECT_EQ(StepDate(0, 2, 0, dateOf(2020, 11, 15), 61), dateOf(2021, 1, 15));
    EXPECT_EQ(StepDate(1, 0, 0, dateOf(2020, 2, 28), 366), dateOf(2021, 2, 28));
    EXPECT_DOUBLE_EQ(StepDate(1, 1, 0, jan10 + 0.25, 40.5), jan10 + 0.25 + 40.5);  // several parts differ
    EXPECT_DOUBLE_EQ(StepDate(0, 0, 0, jan10, 0.5), jan10 + 0.5);
    EXPECT_THROW(StepDate(0, 1, 0, dateOf(2021, 1, 31), 31), EConvertError);
    EXPECT_THROW(StepDate(1, 0, 0, dateOf(2020, 2, 29), 366), EConvertError);
}

TEST(ExUtilTexts, ToProperCase) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"mcarro", "McArro"},
        {"la mcarro", "La McArro"},
        {"la mcarro mcbee", "La McArro Mcbee"},  // only the first " Mc" counts
        {"part iii", "Part III"},
        {"part iv", "Part IV"},
        {"ivan ivanov", "Ivan Ivanov"},
        {"o'ka-lu", "O'Ka-Lu"},
        {"HELLO wORLD", "Hello World"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ToProperCase(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
    EXPECT_EQ(ToProperCase(QStringLiteral("\u00e9t\u00c9")), QStringLiteral("\u00c9t\u00e9"));
}

TEST(ExUtilTexts, ParseCellRef) {
    struct Case {
        const char* text;
        bool ok;
        int x, y;
    };
    const Case cases[] = {{"R1C1", true, 1, 1}, {"r12c3", true, 3, 12}, {"RC1", false, 0, 0},
                          {"R12C", false, 0, 0}, {"A1", false, 0, 0},  {"R1C", false, 0, 0},
                          {"R1X2", false, 0, 0}, {"R1CX", false, 0, 0}, {"X1C1", false, 0, 0}};
    for (const Case& c : cases) {
        QPoint p(-7, -7);
        EXPECT_EQ(ParseCellRef(QString::fromLatin1(c.text), p), c.ok) << c.text;
        EXPECT_EQ(p, c.ok ? QPoint(c.x, c.y) : QPoint(-7, -7)) << c.text;
    }
}

TEST(ExUtilTexts, ColorAndUrls) {
    EXPECT_EQ(ColorToHexRGB(0x00336699), QStringLiteral("996633"));
    EXPECT_EQ(ColorToHexRGB(0xFF00000F), QStringLiteral("0F0000"));
    EXPECT_TRUE(ContainsURL(QStringLiteral("see http://x")));
    EXPECT_TRUE(ContainsURL(QStringLiteral("mailto:a@b")));
    EXPECT_FALSE(ContainsURL(QStringLiteral("MAILTO:a@b")));
    struct Case {
        const char* in;
        const char* out;
    };
    const Case strip[] = {{"http://a.b/c", "a.b/c"}, {"mailto:x@y", "x@y"}, {"plain", "plain"},
                          {"mailto:a http://b", "b"}};
    for (const Case& c : strip) {
        QString t = QString::fromLatin1(c.in);
        StripURLScheme(t);
        EXPECT_EQ(t, QString::fromLatin1(c.out)) << c.in;
    }
}

TEST(ExUtilTexts, LinkFirstURL) {
    QString html = QStringLiteral("untouched");
    EXPECT_FALSE(LinkFirstURL(QStringLiteral("no link"), QStringLiteral("HTTP://"), html));
    EXPECT_EQ(html, QStringLiteral("untouched"));

    ASSERT_TRUE(LinkFirstURL(QStringLiteral("go <b>Http://a.b/c?q=1 now"), QStringLiteral("HTTP://"), html));
    EXPECT_EQ(html, QStringLiteral("go &lt;b&gt;<a href=\"Http://a.b/c\">Http://a.b/c</a>?q=1 now"));

    ASSERT_TRUE(LinkFirstURL(QStringLiteral("www.x.org/\u00e9t\u00e9"), QStringLiteral("WWW."), html));
    EXPECT_EQ(html, QStringLiteral("<a href=\"www.x.org/\">www.x.org/</a>\u00e9t\u00e9"));

    ASSERT_TRUE(LinkFirstURL(QStringLiteral("mail MAILTO:a_b@c.d"), QStringLiteral("MAILTO:"), html));
    EXPECT_EQ(html, QStringLiteral("mail <a href=\"MAILTO:a_b@c.d\">MAILTO:a_b@c.d</a>"));
}

TEST(ExUtilHelpers, ClampToLimits) {
    struct Case {
        int v, lo, hi, out;
    };
    const Case cases[] = {{5, 10, 20, 10}, {25, 10, 20, 20}, {5, 0, 0, 5},   {5, 10, 10, 5},
                          {30, 40, 20, 20}, {15, 10, 20, 15}, {-3, -5, 0, -3}, {100, 0, 50, 50}};
    for (const Case& c : cases) EXPECT_EQ(ClampToLimits(c.v, c.lo, c.hi), c.out) << c.v << " " << c.lo << " " << c.hi;
}

TEST(ExUtilHelpers, PositionsCountFromOneAndZeroIsNotFound) {
    EXPECT_EQ(UpperCasePos(QStringLiteral("BC"), QStringLiteral("abc")), 2);
    EXPECT_EQ(UpperCasePos(QStringLiteral("bc"), QStringLiteral("abc")), 0);  // Sub is not upper-cased
    EXPECT_EQ(UpperCasePos(QString(), QStringLiteral("abc")), 0);
    int pos = -1;
    EXPECT_EQ(FindPos(QStringLiteral("c"), QStringLiteral("abc"), pos), 3);
    EXPECT_EQ(pos, 3);
    EXPECT_EQ(FindPos(QStringLiteral("C"), QStringLiteral("abc"), pos), 0);
    EXPECT_EQ(pos, 0);
    pos = 42;
    EXPECT_EQ(FindCharPos(u'z', QStringLiteral("abc"), pos), 0);
    EXPECT_EQ(pos, 42);  // written only when found
    EXPECT_EQ(FindCharPos(u'b', QStringLiteral("abcb"), pos), 2);
    EXPECT_EQ(pos, 2);
    EXPECT_EQ(FirstCharPos(u'a', QStringLiteral("bca")), 3);
    EXPECT_EQ(PosInWide(QStringLiteral("\u00e9"), QStringLiteral("caf\u00e9")), 4);
    EXPECT_EQ(CountChar(u'a', QStringLiteral("banana")), 3);
    EXPECT_EQ(IntMax(-2, 3), 3);
    EXPECT_EQ(IntMin(-2, 3), -2);
    const QRect r(QPoint(1, 2), QPoint(3, 4));
    EXPECT_TRUE(CellInGridRect(r, 3, 4));
    EXPECT_TRUE(CellInGridRect(r, 1, 2));
    EXPECT_FALSE(CellInGridRect(r, 4, 4));
    EXPECT_FALSE(CellInGridRect(r, 1, 1));
}

TEST(ExUtilHelpers, StringHelpers) {
    QString t = QStringLiteral("key=value=x");
    QString part = QStringLiteral("old");
    CutToDelimiter(t, u'=', part);
    EXPECT_EQ(part, QStringLiteral("key"));
    EXPECT_EQ(t, QStringLiteral("value=x"));
    CutToDelimiter(t, u';', part);
    EXPECT_EQ(part, QString());
    EXPECT_EQ(t, QStringLiteral("value=x"));
    EXPECT_EQ(ConcatStrings({QStringLiteral("a"), QStringLiteral("bc")}), QStringLiteral("abc"));
    EXPECT_EQ(ConcatStrings({}), QString());
    QString pw = QStringLiteral("s3cret");
    FillWithChar(pw, u'*');
    EXPECT_EQ(pw, QStringLiteral("******"));
}

TEST(ExUtilHelpers, OemConversionRoundTrips) {
    const QString original = QStringLiteral("Gr\u00fc\u00dfe \u00e9 \u00c7 \u2591");
    QString t = original;
    StringToOem(t);
    // Written as Windows-1252 the text gives the code page 437 bytes.
    EXPECT_EQ(plat::toWindows1252(t), QByteArray("Gr\x81\xE1" "e \x82 \x80 \xB0"));
    OemToString(t);
    EXPECT_EQ(t, original);
    QString unknown = QStringLiteral("\u20ac");
    StringToOem(unknown);
    EXPECT_EQ(unknown, QStringLiteral("?"));
}

}  // namespace
