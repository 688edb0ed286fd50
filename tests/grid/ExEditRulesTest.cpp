// The text editor's rules on their own: the character filter by editor kind, the paste, look-up
// completion and the width of a combo's list.
#include "grid/ExEditRules.h"
#include "tests/support/LocaleScope.h"

#include <gtest/gtest.h>

using namespace exedit;

namespace {

struct CharCase {
    const char* name;
    TEditorType type;
    QString text;
    int selStart, selLength;
    char16_t c;
    TCharVerdict verdict;
    bool skipAdvance;
};

const exedit::TSeparators kComma{u',', u'.'};

}  // namespace

TEST(ExEditRules, CharacterFilterByKind) {
    const CharCase cases[] = {
        {"numeric digit", edNumeric, "12", 2, 0, u'7', TCharVerdict::Pass, false},
        {"numeric letter beeps", edNumeric, "12", 2, 0, u'a', TCharVerdict::Beep, false},
        {"numeric minus at the start", edNumeric, "12", 0, 0, u'-', TCharVerdict::Pass, false},
        {"numeric minus in the middle beeps", edNumeric, "12", 1, 0, u'-', TCharVerdict::Beep, false},
        {"numeric second minus beeps", edNumeric, "-12", 0, 0, u'-', TCharVerdict::Beep, false},
        {"positive numeric minus beeps", edPositiveNumeric, "", 0, 0, u'-', TCharVerdict::Beep, false},
        {"float second decimal dropped", edFloat, "1,5", 3, 0, u',', TCharVerdict::Silent, true},
        {"float decimal over the first", edFloat, "1,5", 1, 1, u',', TCharVerdict::Pass, false},
        {"float thousand always dropped", edFloat, "15", 2, 0, u'.', TCharVerdict::Silent, true},
        {"float minus in the middle beeps", edFloat, "15", 1, 0, u'-', TCharVerdict::Beep, true},
        {"float minus at the start", edFloat, "15", 0, 0, u'-', TCharVerdict::Pass, false},
        {"float minus over the minus", edFloat, "-15", 0, 1, u'-', TCharVerdict::Pass, false},
        {"float letter dropped silently", edFloat, "15", 2, 0, u'x', TCharVerdict::Silent, false},
        {"positive float minus dropped silently", edPositiveFloat, "", 0, 0, u'-', TCharVerdict::Silent, false},
        {"valid chars outside the list beep", edValidChars, "", 0, 0, u'z', TCharVerdict::Beep, false},
        {"valid chars inside the list", edValidChars, "", 0, 0, u'b', TCharVerdict::Pass, false},
        {"valid chars backspace", edValidChars, "a", 1, 0, u'\b', TCharVerdict::Pass, false},
        {"a kind without text drops", edComboList, "", 0, 0, u'a', TCharVerdict::Silent, false},
    };
    for (const CharCase& c : cases) {
        const TCharResult r = FilterEditorChar(c.type, QChar(c.c), c.text, c.selStart, c.selLength, false, kComma,
                                               QStringLiteral("abc"), QString());
        EXPECT_EQ(r.Verdict, c.verdict) << c.name;
        EXPECT_EQ(r.SkipAutoAdvance, c.skipAdvance) << c.name;
    }
    // Case kinds convert; a float kind passes other characters only with Ctrl (the clipboard keys).
    EXPECT_EQ(FilterEditorChar(edUpperCase, u'q', "", 0, 0, false, kComma, {}, {}).Char, QChar(u'Q'));
    EXPECT_EQ(FilterEditorChar(edLowerCase, u'Q', "", 0, 0, false, kComma, {}, {}).Char, QChar(u'q'));
    EXPECT_EQ(FilterEditorChar(edFloat, QChar(22), "", 0, 0, true, kComma, {}, {}).Verdict, TCharVerdict::Pass);
    EXPECT_EQ(FilterEditorChar(edFloat, QChar(22), "", 0, 0, false, kComma, {}, {}).Verdict, TCharVerdict::Silent);
    // Copy, paste and cut with Ctrl in the kinds that beep at other characters.
    for (TEditorType t : {edNumeric, edPositiveNumeric, edValidChars})
        for (char16_t k : {u'\x03', u'\x16', u'\x18'})
            EXPECT_EQ(FilterEditorChar(t, QChar(k), "", 0, 0, true, kComma, "a", {}).Verdict, TCharVerdict::Pass);
    // Without a list of its own the kind takes the grid's character set, up to 255.
    EXPECT_EQ(FilterEditorChar(edValidChars, u'x', "", 0, 0, false, kComma, {}, "xy").Verdict, TCharVerdict::Pass);
    EXPECT_EQ(FilterEditorChar(edValidChars, QChar(0x100), "", 0, 0, false, kComma, {}, QString(QChar(0x100))).Verdict,
              TCharVerdict::Beep);
}

TEST(ExEditRules, PasteRules) {
    testing_support::LocaleScope dot(u'.', u',');
    // One CR LF at the end goes: a cell copied from a table pastes as its text.
    TPasteResult r = ApplyPaste("", 0, 0, "12\r\n", 0, edNumeric, {});
    EXPECT_FALSE(r.Refused);
    EXPECT_TRUE(r.Accepted);
    EXPECT_EQ(r.Text, "12");
    EXPECT_EQ(r.SelStart, 2);
    EXPECT_EQ(r.SelLength, 0);
    // The first CR LF is not at the end: all four line characters stay and the integer check refuses.
    r = ApplyPaste("", 0, 0, "1\r\n2\r\n", 0, edNumeric, {});
    EXPECT_FALSE(r.Refused);
    EXPECT_FALSE(r.Accepted);
    EXPECT_EQ(r.Text, "");
    // Longer than the limit, alone or with the text.
    EXPECT_TRUE(ApplyPaste("", 0, 0, "123456", 5, edNormal, {}).Refused);
    EXPECT_TRUE(ApplyPaste("abc", 3, 0, "def", 5, edNormal, {}).Refused);
    EXPECT_FALSE(ApplyPaste("abc", 0, 3, "def", 5, edNormal, {}).Refused);
    // A replaced selection stays selected, now holding the pasted text.
    r = ApplyPaste("a-b", 1, 1, "xyz", 0, edNormal, {});
    EXPECT_EQ(r.Text, "axyzb");
    EXPECT_EQ(r.SelStart, 1);
    EXPECT_EQ(r.SelLength, 3);
    // Kinds: signs, floats, case.
    EXPECT_TRUE(ApplyPaste("", 0, 0, "-12", 0, edNumeric, {}).Accepted);
    EXPECT_FALSE(ApplyPaste("", 0, 0, "-12", 0, edPositiveNumeric, {}).Accepted);
    EXPECT_TRUE(ApplyPaste("", 0, 0, "1.5", 0, edFloat, {}).Accepted);
    EXPECT_FALSE(ApplyPaste("", 0, 0, "1.5", 0, edNumeric, {}).Accepted);
    EXPECT_FALSE(ApplyPaste("", 0, 0, "-1.5", 0, edPositiveFloat, {}).Accepted);
    EXPECT_EQ(ApplyPaste("", 0, 0, "hello world", 0, edMixedCase, {}).Text, "Hello World");
    EXPECT_EQ(ApplyPaste("", 0, 0, "Mixed", 0, edUpperCase, {}).Text, "MIXED");
    EXPECT_FALSE(ApplyPaste("", 0, 0, "abz", 0, edValidChars, "abc").Accepted);
    // Upper-casing lengthens "ß" to "SS": within the limit it is taken, past it refused unchanged.
    EXPECT_EQ(ApplyPaste("", 0, 0, QString(QChar(0x00DF)), 2, edUpperCase, {}).Text, "SS");
    r = ApplyPaste("ab", 2, 0, QString(QChar(0x00DF)), 3, edUpperCase, {});
    EXPECT_TRUE(r.Refused);
    EXPECT_EQ(r.Text, "ab");
    // A refused text keeps its own selection inside it, however far the paste would have reached.
    r = ApplyPaste("7", 1, 0, "abcdef", 0, edNumeric, {});
    EXPECT_EQ(r.Text, "7");
    EXPECT_LE(r.SelStart + r.SelLength, 1);
}

TEST(ExEditRules, LookupCompletion) {
    const QStringList items{"Abc", "abd"};
    TLookupResult r = CompleteLookup("a", 1, items, false);
    ASSERT_TRUE(r.Completed);
    EXPECT_EQ(r.Text, "abc");  // the user's own case, then the item's
    EXPECT_EQ(r.SelStart, 1);
    EXPECT_EQ(r.SelLength, 2);
    r = CompleteLookup("ab", 2, items, false);
    EXPECT_EQ(r.Text, "abc");
    EXPECT_EQ(r.SelLength, 1);
    EXPECT_FALSE(CompleteLookup("a", 0, items, false).Completed);  // an empty prefix matches nothing
    EXPECT_EQ(CompleteLookup("a", 1, items, true).Text, "abd");    // case-sensitive: only "abd"
    EXPECT_FALSE(CompleteLookup("x", 1, items, false).Completed);
    const QString longItem = QStringLiteral("L") + QString(300, u'x');
    r = CompleteLookup("L", 1, {longItem}, false);
    EXPECT_EQ(r.Text.size(), 1 + kMaxLookupTail);
}

TEST(ExEditRules, DropDownWidth) {
    EXPECT_EQ(DropDownWidthFor(100, {90, 96}, 8), 104);
    std::vector<int> nine;
    for (int i = 0; i < 9; ++i) nine.push_back(i % 2 ? 96 : 90);
    EXPECT_EQ(DropDownWidthFor(100, {90}, 0), 115);
    EXPECT_EQ(DropDownWidthFor(100, {90, 96}, 1), 121);
    EXPECT_EQ(DropDownWidthFor(100, nine, 8), 121);
    EXPECT_EQ(DropDownWidthFor(100, {10}, 8), 100);  // never narrower than the combo
}
