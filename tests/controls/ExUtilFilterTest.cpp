// Filter expressions and conditions.
#include "controls/ExUtil.h"
#include "tests/support/ReferenceWildcard.h"
#include "tests/support/LocaleScope.h"

#include <gtest/gtest.h>
#include <random>

using testing_support::inLocale;
using testing_support::kCommaDecimal;
using testing_support::kDotDecimal;
using testing_support::LocaleCase;
using testing_support::LocaleScope;

namespace {

QString S(const char* s) { return QString::fromUtf8(s); }

struct FilterCase {
    const char* expr;  // numbers: T thousand separator, D decimal separator
    const char* value;
    bool caseSensitive;
    bool match;
    const char* why;
};

void runCases(const FilterCase* begin, const FilterCase* end, const LocaleCase& lc) {
    for (const FilterCase* c = begin; c != end; ++c) {
        const QString e = inLocale(c->expr, lc), v = inLocale(c->value, lc);
        EXPECT_EQ(MatchFilterExpression(e, v, c->caseSensitive), c->match)
            << c->expr << " / " << c->value << ": " << c->why;
        EXPECT_EQ(FilterExpression(e, c->caseSensitive).matches(v), c->match) << c->expr << " / " << c->value;
    }
}

class FilterBothLocales : public ::testing::TestWithParam<LocaleCase> {};
INSTANTIATE_TEST_SUITE_P(Separators, FilterBothLocales, ::testing::Values(kDotDecimal, kCommaDecimal),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(FilterBothLocales, Comparisons) {
    const LocaleScope scope(GetParam());
    const FilterCase cases[] = {
        {">5", "7", true, true, "greater"},
        {">5", "3", true, false, "not greater"},
        {">5", "5", true, false, "strictly greater"},
        {">=5", "5", true, true, "or equal"},
        {"<5", "3", true, true, "less"},
        {"<=5", "6", true, false, "not less or equal"},
        {">=5&<=10", "5", true, true, "range, low end"},
        {">=5&<=10", "10", true, true, "range, high end"},
        {">=5&<=10", "11", true, false, "above the range"},
        {">=5&<=10", "4", true, false, "below the range"},
        {">1T000D5", "1T001", true, true, "separators compare by value"},
        {">1T000D5", "999D9", true, false, "999.9 is less"},
        {">1T000D5", "1T000D5", true, false, "equal value"},
        {"<-2D5", "-3", true, true, "negative numbers"},
        {">9", "10", true, true, "numbers, not texts: \"10\" < \"9\" as text"},
        {">b", "c", true, true, "texts compare by code"},
        {">b", "B", true, false, "upper case sorts first when case counts"},
        {">b", "c", false, true, "both sides upper-cased"},
        {"> 5", "7", true, true, "blank after the operator"},
        {"\">5&<10\"", "7", true, true, "quoted range test arrives whole"},
        {"\">5&<10\"", "12", true, false, "quoted range test, above"},
        {"\">5^<2\"", "1", true, true, "either side of a gap"},
        {"\">5^<2\"", "3", true, false, "inside the gap"},
    };
    runCases(std::begin(cases), std::end(cases), GetParam());
}

// Ignoring case folds one character at a time: pattern and text keep their lengths.
TEST_P(FilterBothLocales, CaseIsFoldedCharacterByCharacter) {
    const LocaleScope scope(GetParam());
    const FilterCase cases[] = {
        {"stra?e", "stra\u00DFe", false, true, "sharp s is one character"},
        {"stra?e", "STRASSE", false, false, "never two"},
        {"STRA\u00DFE", "stra\u00DFe", false, true, "sharp s equals itself"},
        {"strasse", "STRA\u00DFE", false, false, "nor does ss match it"},
        {"*\u00DF", "GRO\u00DF", false, true, "star before it"},
        {"\u00E9t\u00E9", "\u00C9T\u00C9", false, true, "accented letters fold"},
        {"\u00E9t\u00E9", "\u00C9T\u00C9", true, false, "unless case counts"},
        {"?\U0001D41A", "x\U0001D41A", false, true, "a pair stays whole"},
        {"\uFB01*", "\uFB01le", false, true, "a ligature stays one character"},
        {">1.5", "2.5", false, true, "numbers unaffected"},
    };
    // Letters are given as they are (no separator stands in for "T" or "D" here).
    for (const FilterCase& c : cases) {
        const QString e = S(c.expr), v = S(c.value);
        EXPECT_EQ(MatchFilterExpression(e, v, c.caseSensitive), c.match) << c.why;
        EXPECT_EQ(FilterExpression(e, c.caseSensitive).matches(v), c.match) << c.why;
        if (c.caseSensitive || e.startsWith(u'>')) continue;
        EXPECT_EQ(MatchFilterCondition(QString::fromUtf8(c.expr), QString::fromUtf8(c.value), false), c.match) << c.why;
    }
}

TEST(ExUtilFilter, DatesCompareAsDates) {
    const LocaleScope scope(u'.', u',', u'/', u':', QStringLiteral("dd/MM/yyyy"));
    EXPECT_TRUE(MatchFilterExpression(S(">31/12/2019"), S("1/1/2020"), false));
    EXPECT_FALSE(MatchFilterExpression(S(">31/12/2019"), S("30/12/2019"), false));
    EXPECT_TRUE(MatchFilterExpression(S("<1/2/2020"), S("31/1/2020 23:59"), false));
    // As texts "1/1/2020" would sort before "31/12/2019".
    EXPECT_FALSE(MatchFilterExpression(S("<31/12/2019"), S("1/1/2020"), false));
}

TEST(ExUtilFilter, DateSeparatorThatLooksLikeAThousandSeparator) {
    // "1.2.2020" would read as the number 122020 with "." as thousand separator; as a date it is
    // 1 February 2020.
    const LocaleScope scope(u',', u'.', u'.', u':', QStringLiteral("dd.MM.yyyy"));
    EXPECT_TRUE(MatchFilterExpression(S(">31.1.2020"), S("1.2.2020"), true));
    EXPECT_FALSE(MatchFilterExpression(S(">1.2.2020"), S("31.1.2020"), true));
}

TEST(ExUtilFilter, WildcardsAndOperators) {
    const LocaleScope scope(kDotDecimal);
    const FilterCase cases[] = {
        {"a*", "ABC", false, true, "case ignored"},
        {"a*", "ABC", true, false, "case counts"},
        {"!a*", "bcd", true, true, "inverted"},
        {"!a*", "abc", true, false, "inverted, starts with a"},
        {"?b", "ab", true, true, "one any character"},
        {"?b", "b", true, false, "? needs a character"},
        {"a*c", "abbbc", true, true, "star in the middle"},
        {"a*c", "abbbd", true, false, "wrong end"},
        {"*", "", true, true, "star matches the empty text"},
        {"", "", true, true, "empty expression, empty value"},
        {"", "x", true, false, "empty expression, some value"},
        {"a!b", "ac", true, true, "inversion after a matched prefix"},
        {"x!a", "b", true, false, "mismatch before the inversion"},
        {"*!b", "ab", true, true, "the inversion of a sub-match"},
        {"*!b", "", true, true, "the empty tail is not b"},
        {"*!", "", true, false, "no tail to invert"},
        {"*!", "x", true, true, "a tail longer than the empty one"},
        {"1|2&3", "1", true, false, "left to right: (1 or 2) and 3"},
        {"1|2&3", "3", true, false, "(1 or 2) is false for 3"},
        {"1&2|3", "3", true, true, "(1 and 2) or 3"},
        {"1&2|3", "1", true, false, "(1 and 2) is false, 3 does not match"},
        {"1;2", "2", true, true, "; is or"},
        {"1^2", "2", true, true, "^ is or"},
        {"=abc", "abc", true, true, "leading = dropped"},
        {"a b", "ab", true, true, "blanks outside quotes dropped"},
        {"\"a b\"", "a b", true, true, "blank inside quotes kept"},
        {"\"a|b\"", "a|b", true, true, "quoted operator is text"},
        {"a&(b|c)", "a", true, false, "a and (b or c)"},
        {"a*&(*b|*c)", "ac", true, true, "group after and"},
        {"(a|b)&*c*", "a", true, false, "group first, then and"},
        {"(a*|b*)&*c", "abc", true, true, "group first, then and"},
        {"(=a)", "a", true, true, "= dropped inside a group too"},
        {"((a|b))", "b", true, true, "nested groups"},
        {"(a)(b)", "a", true, true, "a group right after a group is dropped"},
        {"(a)b", "a", true, true, "text right after a group is dropped"},
        {"a(b", "a", true, true, "unbalanced: the condition before '(' decides"},
        {"(a", "a", true, true, "unbalanced group runs to the end"},
        {"((a)", "a", true, true, "unbalanced outer group"},
        {"(a|", "a", true, true, "unbalanced with a trailing operator"},
        {")", ")", true, true, "a lone ')' is text"},
    };
    runCases(std::begin(cases), std::end(cases), kDotDecimal);
}

TEST(ExUtilFilter, QuotedOperandsKeepTheirBlanks) {
    const LocaleScope scope(kDotDecimal);
    EXPECT_TRUE(MatchFilterExpression(S(">\"b c\""), S("b d"), true));
    EXPECT_FALSE(MatchFilterExpression(S(">\"b c\""), S("b b"), true));
}

TEST(ExUtilFilter, ConditionRoutines) {
    const LocaleScope scope(kDotDecimal);
    EXPECT_TRUE(MatchFilterCondition(S("ab*"), S("ABc"), false));
    EXPECT_FALSE(MatchFilterCondition(S("ab*"), S("ABc"), true));
    EXPECT_TRUE(MatchConditionText(S(">5"), S("6")));
    EXPECT_TRUE(MatchConditionText(S("<5"), S("<5")));  // the failed comparison falls back to the pattern
    EXPECT_FALSE(MatchConditionText(S("<5"), S("<6")));
    EXPECT_EQ(RemoveBlanksOutsideQuotes(S(" a \" b \" c ")), S("a\" b \"c"));
    EXPECT_EQ(MatchingParenPos(S("(a(b)c)d")), 7);
    EXPECT_EQ(MatchingParenPos(S("(a(b)c")), 0);
    EXPECT_EQ(MatchingParenPos(S("x)")), 0);
    int pos = 0;
    EXPECT_EQ(FindFirstOfOutsideQuotes(S("&|"), S("\"a&b\"|c"), pos), u'|');
    EXPECT_EQ(pos, 6);
    EXPECT_EQ(FindFirstOfOutsideQuotes(S("&|"), S("\"a&b\""), pos), QChar(0));
    EXPECT_EQ(pos, -1);
    // A quote of the set counts where the quotes up to and including it are even: the closing one.
    EXPECT_EQ(FindFirstOfOutsideQuotes(S("\"x"), S("a\"bx\"x"), pos), u'"');
    EXPECT_EQ(pos, 5);
}

// ---- The matcher against a direct transcription of the walk it replaces ----

using testing_support::referenceWildcardWalk;

QString randomText(std::mt19937& rng, QStringView alphabet, int maxLen) {
    std::uniform_int_distribution<int> len(0, maxLen), pick(0, static_cast<int>(alphabet.size()) - 1);
    QString s;
    for (int n = len(rng); n > 0; --n) s += alphabet[pick(rng)];
    return s;
}

TEST(ExUtilFilter, WildcardAgreesWithTheCharacterWalk) {
    std::mt19937 rng(20240611);
    for (int round = 0; round < 20000; ++round) {
        const QString p = randomText(rng, u"ab?*!\"", 7);
        const QString v = randomText(rng, u"ab", 6);
        ASSERT_EQ(MatchConditionText(p, v), referenceWildcardWalk(p, v)) << p.toStdString() << " / " << v.toStdString();
    }
}

// The expression level, step by step as the rules read, with the conditions left to the routine.
bool referenceExpression(const QString& expression, const QString& value, bool cs) {
    QString e = RemoveBlanksOutsideQuotes(expression.trimmed());
    if (e.startsWith(u'=')) e.remove(0, 1);
    bool r = true;
    QChar op;  // null: none
    auto join = [&](bool v) {
        if (op.isNull())
            r = v;
        else if (op == u'&')
            r = r && v;
        else if (op != u'(')
            r = r || v;
    };
    int pos = 0;
    while (FindFirstOfOutsideQuotes(S("(;^&|"), e, pos) != QChar(0)) {
        const QChar found = e[pos - 1];
        if (e.startsWith(u'(')) {
            const int close = MatchingParenPos(e);
            const QString inner = close > 0 ? e.mid(1, close - 2) : e.mid(1);
            join(referenceExpression(inner, value, cs));
            e = close > 0 ? e.mid(close) : QString();
        } else {
            join(MatchFilterCondition(e.left(pos - 1), value, cs));
            e = e.mid(pos);
        }
        op = found;
    }
    join(MatchFilterCondition(e, value, cs));
    return r;
}

TEST(ExUtilFilter, ExpressionAgreesWithStepByStepEvaluation) {
    const LocaleScope scope(kDotDecimal);
    std::mt19937 rng(7);
    for (int round = 0; round < 20000; ++round) {
        const QString e = randomText(rng, u"ab*()&|;^ \"", 9);
        const QString v = randomText(rng, u"abAB", 3);
        const bool cs = round % 2 == 0;
        ASSERT_EQ(MatchFilterExpression(e, v, cs), referenceExpression(e, v, cs))
            << e.toStdString() << " / " << v.toStdString();
    }
}

// Stars never send the match back to try every tail again: the value characters it looks at grow
// with the lengths of value and pattern, where a backtracking match would look at a power of them.
TEST(ExUtilFilter, ManyStarsAgainstALongTextLookAtEachCharacterAFewTimes) {
    const QString as(200000, u'a');
    const QString bThenAs = u'b' + as;
    const QString twentyStars = S("*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a");
    const struct {
        const char* name;
        QString pattern;
        const QString& value;
        bool caseSensitive;
        bool match;
    } cases[] = {
        {"a thousand stars before a missing character", QString(1000, u'*') + u'b', as, true, false},
        {"twenty stars, the last text missing", twentyStars + S("*b"), as, true, false},
        {"twenty stars, every text found", twentyStars, as, true, true},
        {"any-character runs, the end missing", S("a?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*c"), as, false, false},
        {"a text found only at the far end of the search", S("*b*a*a*a"), bThenAs, true, true},
        {"any-character segments searched back to the start", S("*b?*a?*a"), bThenAs, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const uint64_t before = WildcardMatchSteps();
        EXPECT_EQ(MatchFilterExpression(c.pattern, c.value, c.caseSensitive), c.match);
        EXPECT_LE(WildcardMatchSteps() - before, uint64_t(2 * (c.value.size() + c.pattern.size())));
    }
    // Deep nesting is compiled without recursion.
    EXPECT_TRUE(MatchFilterExpression(QString(5000, u'(') + u'a', S("a"), true));
}

}  // namespace
