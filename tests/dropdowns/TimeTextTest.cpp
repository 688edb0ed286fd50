// The time picker's text: formatting, the parse of typed texts, and its edit mask run by the
// drop-down text's rules, under a ":" and a "." time separator.
#include <gtest/gtest.h>

#include "dropdowns/DropDownText.h"
#include "dropdowns/TimeText.h"
#include "tests/support/LocaleScope.h"

using namespace dropdowns;

namespace {

// "#" in a pattern stands for the separator.
QString withSep(const char* pattern, QChar sep) {
    QString s = QString::fromLatin1(pattern);
    s.replace(u'#', sep);
    return s;
}

const QChar kSeparators[] = {u':', u'.'};

TEST(TimeText, Formatting) {
    EXPECT_EQ(TwoDigits(0), QStringLiteral("00"));
    EXPECT_EQ(TwoDigits(7), QStringLiteral("07"));
    EXPECT_EQ(TwoDigits(59), QStringLiteral("59"));
    for (QChar sep : kSeparators) {
        EXPECT_EQ(FormatTimeText(7, 5, 9, true, sep), withSep("07#05#09", sep));
        EXPECT_EQ(FormatTimeText(23, 59, 30, false, sep), withSep("23#59", sep));
    }
}

TEST(TimeText, ParseOfTypedTexts) {
    struct Case {
        const char* text;
        bool seconds;
        int h, m, s;  // h -1: ignored
    } cases[] = {
        {"12#34#56", true, 12, 34, 56},
        {"00#00#00", true, 0, 0, 0},
        {"23#59#59", true, 23, 59, 59},
        {"07#45", false, 7, 45, 0},
        {"12# 0", false, 12, 0, 0},       // a blank inside a field is a 0
        {"12#3 #56", true, 12, 30, 56},
        {"25#00#00", true, -1, 0, 0},     // out of a day's range: left as typed
        {"24#00", false, -1, 0, 0},
        {"23#60#00", true, -1, 0, 0},
        {"23#59#60", true, -1, 0, 0},
        {"12#34", true, -1, 0, 0},        // too short for the format
        {"12#34#56", false, -1, 0, 0},    // seconds where none are shown
        {"12#34#5 ", true, -1, 0, 0},     // incomplete
        {"1a#00#00", true, -1, 0, 0},
        {"12#0x#00", true, -1, 0, 0},
        {"12#34##6", true, -1, 0, 0},     // a third separator
        {"", true, -1, 0, 0},
    };
    for (QChar sep : kSeparators) {
        for (const Case& c : cases) {
            const QString text = withSep(c.text, sep);
            const std::optional<TTimeFields> f = ParseTimeText(text, c.seconds, sep);
            SCOPED_TRACE(text.toStdString());
            if (c.h < 0) {
                EXPECT_FALSE(f.has_value());
                continue;
            }
            ASSERT_TRUE(f.has_value());
            EXPECT_EQ(f->Hour, c.h);
            EXPECT_EQ(f->Minute, c.m);
            EXPECT_EQ(f->Second, c.s);
        }
        EXPECT_FALSE(ParseTimeText(withSep("12#34#56", sep), true, sep == u':' ? u'.' : u':'))
            << "the other locale's separator is no separator";
    }
}

struct Host final : IDropDownTextHost {
    int changes = 0;
    QString clipboard;
    void TextChanged(bool) override { ++changes; }
    QString ClipboardText() const override { return clipboard; }
    void SetClipboardText(const QString& Text) override { clipboard = Text; }
};

TEST(TimeText, MaskedEditing) {
    for (QChar sep : kSeparators) {
        testing_support::LocaleScope locale(u'.', u',', u'/', sep);
        SCOPED_TRACE(QString(sep).toStdString());
        Host host;
        TDropDownText t(host);
        t.SetEditMask(TimeEditMask(false, sep));
        EXPECT_EQ(t.Display(), withSep("  #  ", sep)) << "an empty text is shown in full length";
        t.SetTextDirect(withSep("00#00", sep));
        EXPECT_EQ(t.Text(), withSep("00#00", sep));

        // Typing over the whole text overwrites position by position and skips the separator.
        t.SelectAll();
        for (QChar c : QStringLiteral("0745")) t.Char(c, false);
        EXPECT_EQ(t.Text(), withSep("07#45", sep));
        t.Char(u'9', false);
        EXPECT_EQ(t.Text(), withSep("07#45", sep)) << "nothing is typed past the end";

        // A letter does not fit a digit; a typed separator moves over the literal.
        t.SetSelStart(0);
        t.Char(u'x', false);
        EXPECT_EQ(t.Text(), withSep("07#45", sep));
        t.SetSelStart(2);
        t.Char(sep, false);
        EXPECT_EQ(t.CaretPos(), 3);
        t.Char(u'1', false);
        EXPECT_EQ(t.Text(), withSep("07#15", sep));

        // Backspace after the separator blanks the hour digit before it; Delete blanks in place.
        t.SetSelStart(3);
        t.Char(QChar(8), false);
        EXPECT_EQ(t.Display(), withSep("0 #15", sep));
        EXPECT_EQ(t.CaretPos(), 1);
        uint16_t del = plat::VK_DELETE;
        t.SetSelStart(4);
        t.KeyDown(del, {});
        EXPECT_EQ(t.Display(), withSep("0 #1 ", sep));
        EXPECT_EQ(t.CaretPos(), 4);
        EXPECT_EQ(t.Text().size(), 5) << "the text keeps its full length";

        // A paste is typed: what fits goes in, the literal stays.
        host.clipboard = QStringLiteral("1230");
        t.SelectAll();
        t.Paste();
        EXPECT_EQ(t.Text(), withSep("12#30", sep));
        host.clipboard = QStringLiteral("ab");
        t.SelectAll();
        t.Paste();
        EXPECT_EQ(t.Text(), withSep("12#30", sep)) << "nothing that fits: the text stays";
    }
}

}  // namespace
