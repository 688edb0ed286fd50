// The drop-down edit's input rules on the display-free text, each number case under a point and
// a comma as decimal separator.
#include <gtest/gtest.h>

#include <vector>

#include "dropdowns/DropDownText.h"
#include "tests/support/LocaleScope.h"

using namespace plat;
using namespace dropdowns;
using testing_support::inLocale;
using testing_support::LocaleCase;
using testing_support::LocaleScope;

namespace {

struct Host final : IDropDownTextHost {
    int changes = 0, userChanges = 0;
    int shows = 0, hides = 0, cancels = 0;
    bool dropped = false;
    bool allowPaste = true, allowCut = true, allowCopy = true;
    int copyEvents = 0;
    QString clipboard;
    std::vector<std::pair<uint16_t, bool>> posted;

    void TextChanged(bool NotifyUser) override {
        ++changes;
        if (NotifyUser) ++userChanges;
    }
    QString ClipboardText() const override { return clipboard; }
    void SetClipboardText(const QString& Text) override { clipboard = Text; }
    bool DroppedDown() const override { return dropped; }
    void ShowDropDown() override {
        ++shows;
        dropped = true;
    }
    void HideDropDown(bool Cancelled) override {
        if (!dropped) return;
        ++hides;
        cancels += Cancelled;
        dropped = false;
    }
    bool ClipboardPaste(const QString&) override { return allowPaste; }
    bool ClipboardCut(const QString&) override { return allowCut; }
    bool ClipboardCopy(const QString&) override {
        ++copyEvents;
        return allowCopy;
    }
    bool HasParent() const override { return true; }
    void PostKeyToParent(uint16_t Key, bool Down) override { posted.push_back({Key, Down}); }
};

const LocaleCase kLocales[] = {testing_support::kDotDecimal, testing_support::kCommaDecimal};

// An edit of the type with the given text and caret.
struct Edit {
    Host host;
    TDropDownText text{host};
    Edit(TDropDownEditType type, int precision, const QString& shown, int caret) {
        text.SetEditType(type);
        text.SetPrecision(precision);
        text.SetTextDirect(shown);
        text.SetSelStart(caret);
        host.changes = host.userChanges = 0;
    }
    void type(const QString& chars) {
        for (QChar c : chars) text.Char(c, false);
    }
};

TEST(DropDownText, DecimalTyping) {
    struct Case {
        const char* name;
        TDropDownEditType type;
        int precision;
        const char* text;  // D decimal, T thousand separator
        int caret;
        const char* typed;
        const char* expected;
        int expectedCaret;
    } cases[] = {
        {"precision full at the end drops a digit", etFloat, 2, "1D25", 4, "7", "1D25", 4},
        {"a digit before a full decimal overwrites it", etFloat, 2, "1D25", 2, "7", "1D75", 3},
        {"a separator after the digits", etFloat, 2, "12", 2, "D", "12D", 3},
        {"a second separator only moves the caret", etFloat, 2, "12D", 1, "D", "12D", 3},
        {"precision 0 drops the separator", etFloat, 0, "12", 2, "D", "12", 2},
        {"an empty value gets a leading 0", etFloat, 2, "", 0, "D", "0D", 2},
        {"letters are dropped", etFloat, 2, "1", 1, "a", "1", 1},
        {"unsigned drops the minus", etFloat, 2, "1", 1, "-", "1", 1},
        {"money regroups after each digit", etMoney, 0, "", 0, "1234", "1T234", 5},
        {"money keeps the caret behind the digit typed", etMoney, 0, "1T234", 1, "5", "15T234", 2},
        {"money: precision 0 drops the separator", etMoney, 0, "12", 2, "D", "12", 2},
        {"thousand separator 3 places from the nearest", etFloat, 2, "1T234", 5, "T", "1T234T", 6},
        {"thousand separator 2 places from the nearest", etFloat, 2, "1T234", 4, "T", "1T234", 4},
        {"numeric takes digits only", etNumeric, -1, "12", 2, "3x", "123", 3},
        {"range: a second mark after a mark", etRange, 0, "1-", 2, "-", "1-", 2},
        {"range: a mark at the start", etRange, 0, "1", 0, ",", "1", 0},
        {"range: marks between numbers", etRange, 0, "1", 1, "-5;7", "1-5;7", 5},
        {"hex drops g", etHex, 0, "A", 1, "gF", "AF", 2},
        {"upper case", etUppercase, 0, "", 0, "ab", "AB", 2},
        {"mixed case", etMixedCase, 0, "", 0, "ab cd", "Ab Cd", 5},
        {"alphanumeric", etAlphaNumeric, 0, "", 0, "a-1", "a1", 2},
    };
    for (const LocaleCase& lc : kLocales) {
        LocaleScope scope(lc);
        for (const Case& cs : cases) {
            Edit e(cs.type, cs.precision, inLocale(cs.text, lc), cs.caret);
            e.type(inLocale(cs.typed, lc));
            EXPECT_EQ(e.text.Display(), inLocale(cs.expected, lc)) << cs.name << " / " << lc.name;
            EXPECT_EQ(e.text.SelStart(), cs.expectedCaret) << cs.name << " / " << lc.name;
        }
    }
}

TEST(DropDownText, ValidCharsAndSignedToggle) {
    Edit e(etValidChars, 0, "", 0);
    e.text.ValidChars = QStringLiteral("xy");
    e.type(QStringLiteral("xayz"));
    EXPECT_EQ(e.text.Display(), QStringLiteral("xy"));

    Edit n(etNumeric, -1, "12", 2);
    n.text.Signed = true;
    n.type(QStringLiteral("-"));
    EXPECT_EQ(n.text.Display(), QStringLiteral("-12"));
    EXPECT_EQ(n.text.SelStart(), 3);
    n.type(QStringLiteral("-"));
    EXPECT_EQ(n.text.Display(), QStringLiteral("12"));
    n.text.SelectAll();
    n.type(QStringLiteral("-"));
    EXPECT_EQ(n.text.Display(), QStringLiteral("-")) << "a minus over the whole value starts a new one";
}

TEST(DropDownText, ChangeGate) {
    // Backspace over the whole value: one OnChange.
    Edit a(etNumeric, -1, "123", 0);
    a.text.SelectAll();
    a.text.Char(QChar(8), false);
    EXPECT_EQ(a.text.Display(), QString());
    EXPECT_EQ(a.host.userChanges, 1);

    // A digit over the whole value: none, though the edit's own change work ran.
    Edit b(etNumeric, -1, "123", 0);
    b.text.SelectAll();
    b.type(QStringLiteral("4"));
    EXPECT_EQ(b.text.Display(), QStringLiteral("4"));
    EXPECT_EQ(b.host.userChanges, 0);
    EXPECT_EQ(b.host.changes, 1);
    EXPECT_FALSE(b.text.BlockChange());

    // A refused character over the whole value arms nothing: the next change is reported.
    Edit c(etHex, 0, "FF", 0);
    c.text.SelectAll();
    c.type(QStringLiteral("g"));
    EXPECT_EQ(c.text.Display(), QStringLiteral("FF"));
    c.text.SetSelStart(2);
    c.type(QStringLiteral("1"));
    EXPECT_EQ(c.text.Display(), QStringLiteral("FF1"));
    EXPECT_EQ(c.host.userChanges, 1);

    // A plain digit: one change, reported.
    Edit d(etNumeric, -1, "12", 2);
    d.type(QStringLiteral("3"));
    EXPECT_EQ(d.host.userChanges, 1);
}

TEST(DropDownText, ValuesAndFormats) {
    for (const LocaleCase& lc : kLocales) {
        LocaleScope scope(lc);
        Host host;
        TDropDownText t(host);
        t.SetEditType(etNumeric);
        EXPECT_EQ(t.Display(), QStringLiteral("0")) << "a new numeric edit";

        TDropDownText f(host);
        f.SetEditType(etFloat);
        f.SetPrecision(2);
        f.SetText(QString());
        EXPECT_EQ(f.Display(), inLocale("0D00", lc));
        f.SetText(QStringLiteral("Error"));
        EXPECT_EQ(f.Display(), QStringLiteral("Error"));
        f.SetText(inLocale("1T234D5", lc));
        EXPECT_EQ(f.Display(), inLocale("1234D50", lc));
        EXPECT_EQ(f.OldText(), inLocale("1234D50", lc));
        EXPECT_FALSE(f.GetModifiedState());
        EXPECT_DOUBLE_EQ(f.GetFloatValue(), 1234.5);

        f.SetPrecision(-1);
        f.SetFloatValue(1234567.891);
        EXPECT_EQ(f.Display(), inLocale("1234567D891", lc)) << "every digit kept";
        EXPECT_TRUE(f.GetModifiedState());

        TDropDownText m(host);
        m.SetEditType(etMoney);
        m.SetPrecision(2);
        m.SetFloatValue(1234567.5);
        EXPECT_EQ(m.Display(), inLocale("1T234T567D50", lc));
        EXPECT_DOUBLE_EQ(m.GetFloatValue(), 1234567.5);

        TDropDownText s(host);
        s.Suffix = QStringLiteral("%");
        s.SetTextDirect(QStringLiteral("12"));
        EXPECT_EQ(s.Text(), QStringLiteral("1"));
        s.Suffix.clear();
        EXPECT_EQ(s.Text(), QStringLiteral("12"));
        s.Prefix = QStringLiteral("$");
        s.SetText(QStringLiteral("5"));
        EXPECT_EQ(s.Display(), QStringLiteral("$5"));
        EXPECT_EQ(s.Text(), QStringLiteral("5"));

        TDropDownText h(host);
        h.SetEditType(etHex);
        EXPECT_EQ(h.Display(), QStringLiteral("0"));
        h.SetText(QStringLiteral("ff"));
        EXPECT_EQ(h.Display(), QStringLiteral("FF"));
        EXPECT_DOUBLE_EQ(h.GetFloatValue(), 255);
        h.SetIntValue(-1);
        EXPECT_EQ(h.Display(), QStringLiteral("FFFFFFFF"));
    }
}

TEST(DropDownText, FocusLossNormalises) {
    for (const LocaleCase& lc : kLocales) {
        LocaleScope scope(lc);
        Edit f(etFloat, 2, "1", 1);
        f.text.FocusLost();
        EXPECT_EQ(f.text.Display(), inLocale("1D00", lc)) << lc.name;

        Edit n(etNumeric, -1, "", 0);
        n.text.FocusLost();
        EXPECT_EQ(n.text.Display(), QStringLiteral("0")) << lc.name;

        Edit kept(etNumeric, -1, "", 0);
        kept.text.AllowNumericNullValue = true;
        kept.text.FocusLost();
        EXPECT_EQ(kept.text.Display(), QString()) << lc.name;
    }
}

TEST(DropDownText, Paste) {
    struct Case {
        const char* name;
        TDropDownEditType type;
        const char* text;
        const char* clip;
        const char* expected;
        int selStart, selLength;
    } cases[] = {
        {"hex text is not written, the caret goes to the end", etHex, "A", "FF", "A", 1, 0},
        {"mixed case", etMixedCase, "", "hello world", "Hello World", 11, 0},
        {"upper case", etUppercase, "x", "abc", "XABC", 4, 0},
        {"numeric refuses a letter", etNumeric, "1", "2a", "1", 1, 0},
        {"numeric takes digits", etNumeric, "1", "23", "123", 3, 0},
        {"alphanumeric refuses a blank", etAlphaNumeric, "a", "b c", "a", 1, 0},
    };
    for (const Case& cs : cases) {
        Edit e(cs.type, 0, QString::fromUtf8(cs.text), int(strlen(cs.text)));
        e.host.clipboard = QString::fromUtf8(cs.clip);
        e.text.Paste();
        EXPECT_EQ(e.text.Display(), QString::fromUtf8(cs.expected)) << cs.name;
        EXPECT_EQ(e.text.SelStart(), cs.selStart) << cs.name;
        EXPECT_EQ(e.text.SelLength(), cs.selLength) << cs.name;
    }

    // The paste event can refuse.
    Edit r(etString, 0, "ab", 2);
    r.host.clipboard = QStringLiteral("cd");
    r.host.allowPaste = false;
    r.text.Paste();
    EXPECT_EQ(r.text.Display(), QStringLiteral("ab"));

    // Ctrl+V typed is a paste.
    Edit v(etString, 0, "ab", 1);
    v.host.clipboard = QStringLiteral("X");
    v.text.Char(QChar(22), true);
    EXPECT_EQ(v.text.Display(), QStringLiteral("aXb"));
}

TEST(DropDownText, CutAndCopy) {
    Edit e(etString, 0, "abcd", 0);
    e.text.Select(1, 3);
    e.text.Cut();
    EXPECT_EQ(e.text.Display(), QStringLiteral("ad"));
    EXPECT_EQ(e.host.clipboard, QStringLiteral("bc"));
    EXPECT_EQ(e.host.copyEvents, 0) << "a cut raises no copy event";

    e.text.Select(0, 1);
    e.text.Copy();
    EXPECT_EQ(e.host.clipboard, QStringLiteral("a"));
    EXPECT_EQ(e.host.copyEvents, 1);

    e.host.allowCut = false;
    e.text.Select(0, 2);
    e.text.Cut();
    EXPECT_EQ(e.text.Display(), QStringLiteral("ad"));
    EXPECT_FALSE(e.text.BlockCopy());

    e.host.allowCopy = false;
    e.text.Select(1, 2);
    e.text.Copy();
    EXPECT_EQ(e.host.clipboard, QStringLiteral("a"));
}

TEST(DropDownText, PopupKeys) {
    Edit e(etString, 0, "abc", 3);
    uint16_t key = VK_DOWN;
    e.text.KeyDown(key, TShiftState{ssAlt});
    EXPECT_TRUE(e.host.dropped);
    key = VK_UP;
    e.text.KeyDown(key, TShiftState{ssAlt});
    EXPECT_FALSE(e.host.dropped);
    EXPECT_EQ(e.host.cancels, 0);
    EXPECT_EQ(e.text.Display(), QStringLiteral("abc"));

    // Editor disabled: typing ignored, Enter closes, Esc cancels, F4 toggles.
    Edit d(etString, 0, "abc", 3);
    d.text.EditorEnabled = false;
    key = u'X';
    EXPECT_FALSE(d.text.KeyDown(key, {}));
    d.type(QStringLiteral("x"));
    EXPECT_EQ(d.text.Display(), QStringLiteral("abc"));
    key = VK_F4;
    d.text.KeyDown(key, {});
    EXPECT_TRUE(d.host.dropped);
    key = VK_RETURN;
    d.text.KeyDown(key, {});
    EXPECT_FALSE(d.host.dropped);
    EXPECT_EQ(d.host.cancels, 0);
    key = VK_F4;
    d.text.KeyDown(key, {});
    key = VK_ESCAPE;
    d.text.KeyDown(key, {});
    EXPECT_FALSE(d.host.dropped);
    EXPECT_EQ(d.host.cancels, 1);

    // Enter without default handling goes to the parent.
    Edit p(etString, 0, "", 0);
    p.text.DefaultHandling = false;
    p.text.Char(QChar(13), false);
    EXPECT_EQ(p.host.posted, (std::vector<std::pair<uint16_t, bool>>{{VK_RETURN, true}, {VK_RETURN, false}}));
}

TEST(DropDownText, Classification) {
    for (const LocaleCase& lc : kLocales) {
        LocaleScope scope(lc);
        struct Case {
            const char* text;
            int cls;
        } cases[] = {{"", 2},     {"12", 0}, {"-12", 0}, {"1D5", 1},   {"1T234D5", 1}, {"1T23", 1},
                     {"1TT2", 2}, {"AB", 5}, {"1f", 5},  {"1D2D3", 2}, {"--1", 2},     {"x", 2}};
        for (const Case& cs : cases)
            EXPECT_EQ(ClassifyNumberText(inLocale(cs.text, lc)), cs.cls) << cs.text << " / " << lc.name;
    }
}

}  // namespace
