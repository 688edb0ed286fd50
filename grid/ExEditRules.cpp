#include "grid/ExEditRules.h"

#include "controls/ExUtil.h"

#include <QLocale>
#include <algorithm>

namespace exedit {

namespace {

constexpr char16_t kBack = 8, kTab = 9, kEnter = 13, kEscape = 27;

bool isControlKey(char16_t c) { return c == kBack || c == kTab || c == kEnter || c == kEscape; }
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

TCharResult pass(QChar c) { return {TCharVerdict::Pass, c, false, false}; }
TCharResult beep(QChar c) { return {TCharVerdict::Beep, c, false, false}; }
TCharResult silent(QChar c, bool skipAdvance = false) { return {TCharVerdict::Silent, c, skipAdvance, false}; }

TCharResult filterFloat(bool positive, QChar C, const QString& Text, int SelStart, int SelLength, bool CtrlHeld,
                        TSeparators Sep) {
    const char16_t c = C.unicode();
    const QString sel = Text.mid(SelStart, SelLength);
    if (isControlKey(c) || isDigit(c)) return pass(C);
    if (C == Sep.Thousand) return silent(C, true);
    if (C == Sep.Decimal) {
        if (Text.contains(Sep.Decimal) && !sel.contains(Sep.Decimal)) return silent(C, true);
        return pass(C);
    }
    if (c == u'-' && !positive) {
        if ((SelStart == 0 && !Text.contains(u'-')) || sel.contains(u'-')) return pass(C);
        TCharResult r = beep(C);
        r.SkipAutoAdvance = true;
        return r;
    }
    if ((c == u',' || c == u'.') ) return pass(C);
    // Outside the set (and "-" of the positive kind): only with Ctrl (the clipboard keys).
    return CtrlHeld ? pass(C) : silent(C);
}

}  // namespace

TCharResult FilterEditorChar(TEditorType Type, QChar C, const QString& Text, int SelStart, int SelLength,
                             bool CtrlHeld, TSeparators Sep, const QString& ValidChars, const QString& ValidCharSet) {
    const char16_t c = C.unicode();
    // Copy, paste and cut typed with Ctrl reach the edit in every kind: the paste has rules of its own.
    if (CtrlHeld && (c == 3 || c == 22 || c == 24)) return pass(C);
    switch (Type) {
        case edNormal:
        case edPassword:
            return pass(C);
        case edNumeric:
            if (isControlKey(c) || isDigit(c)) return pass(C);
            if (c == u'-' && !Text.contains(u'-') && SelStart == 0) return pass(C);
            return beep(C);
        case edPositiveNumeric:
            if (isControlKey(c) || isDigit(c)) return pass(C);
            return beep(C);
        case edFloat:
        case edPositiveFloat:
            return filterFloat(Type == edPositiveFloat, C, Text, SelStart, SelLength, CtrlHeld, Sep);
        case edCapital:
        case edUpperCase: {
            const QString up = QLocale().toUpper(QString(C));
            return pass(up.size() == 1 ? up[0] : C);
        }
        case edLowerCase: {
            const QString low = QLocale().toLower(QString(C));
            return pass(low.size() == 1 ? low[0] : C);
        }
        case edMixedCase: {
            TCharResult r = pass(C);
            r.ProperCaseAfter = true;
            return r;
        }
        case edValidChars:
            if (c == kBack || c == kEnter) return pass(C);
            if (!ValidChars.isEmpty()) return ValidChars.contains(C) ? pass(C) : beep(C);
            return c <= 255 && ValidCharSet.contains(C) ? pass(C) : beep(C);
        default:
            return silent(C);
    }
}

TPasteResult ApplyPaste(const QString& Text, int SelStart, int SelLength, QString Pasted, int LengthLimit,
                        TEditorType Type, const QString& ValidChars) {
    TPasteResult r;
    r.Text = Text;
    if (LengthLimit > 0 && Pasted.size() > LengthLimit) {
        r.Refused = true;
        return r;
    }
    // Only a CR LF that is the first and stands at the end goes: "1\r\n2\r\n" keeps both.
    const qsizetype crlf = Pasted.indexOf(QStringLiteral("\r\n"));
    if (crlf >= 0 && crlf == Pasted.size() - 2) Pasted.chop(2);

    const int n = int(Text.size());
    const int start = std::clamp(SelStart, 0, n);
    const int len = std::clamp(SelLength, 0, n - start);
    const QString next = Text.left(start) + Pasted + Text.mid(start + len);
    if (LengthLimit > 0 && next.size() > LengthLimit) {
        r.Refused = true;
        return r;
    }
    const int pasted = int(Pasted.size());
    r.SelStart = len > 0 ? start : start + pasted;
    r.SelLength = len > 0 ? pasted : 0;

    const auto number = [&](bool floats, bool minusAllowed) {
        const int kind = ClassifyNumberText(next);
        const bool isNumber = kind == 0 || (floats && kind == 1);
        return isNumber && (minusAllowed || !next.contains(u'-'));
    };
    bool ok = true;
    QString result = next;
    switch (Type) {
        case edNumeric: ok = number(false, true); break;
        case edPositiveNumeric: ok = number(false, false); break;
        case edFloat: ok = number(true, true); break;
        case edPositiveFloat: ok = number(true, false); break;
        case edMixedCase: result = ToProperCase(next); break;
        case edLowerCase: result = QLocale().toLower(next); break;
        case edUpperCase: result = QLocale().toUpper(next); break;
        case edValidChars:
            ok = std::all_of(next.begin(), next.end(), [&](QChar ch) { return ValidChars.contains(ch); });
            break;
        default: break;
    }
    // A case change may lengthen the text ("ß" upper-cases to "SS"): past the limit it is refused
    // like a paste that is too long, so the editor never holds more than its limit.
    if (ok && LengthLimit > 0 && result.size() > LengthLimit) {
        r.Refused = true;
        r.SelStart = r.SelLength = 0;
        return r;
    }
    r.Accepted = ok;
    if (ok) r.Text = result;
    // The selection meant for the new text must stay inside the text the editor keeps.
    const int kept = int(r.Text.size());
    r.SelStart = std::clamp(r.SelStart, 0, kept);
    r.SelLength = std::clamp(r.SelLength, 0, kept - r.SelStart);
    return r;
}

TLookupResult CompleteLookup(const QString& Text, int Caret, const QStringList& Items, bool CaseSensitive) {
    TLookupResult r;
    r.Text = Text;
    const int caret = std::clamp(Caret, 0, int(Text.size()));
    if (caret == 0) return r;
    const QLocale locale;
    const auto cased = [&](const QString& s) { return CaseSensitive ? s : locale.toUpper(s); };
    const QString prefix = cased(Text.left(caret));
    for (int i = 0; i < Items.size(); ++i) {
        const QString& item = Items[i];
        if (!cased(item).startsWith(prefix)) continue;
        // Upper-casing may change lengths (ß); the item's own characters follow the typed ones.
        r.Completed = true;
        r.ItemIndex = i;
        r.Text = Text.left(caret) + item.mid(caret, kMaxLookupTail);
        r.SelStart = caret;
        r.SelLength = int(r.Text.size()) - caret;
        return r;
    }
    return r;
}

int DropDownWidthFor(int ComboWidth, const std::vector<int>& ItemWidths, int DropDownCount) {
    int w = ComboWidth;
    const bool scrolls = int(ItemWidths.size()) > DropDownCount;
    for (const int t : ItemWidths) {
        if (scrolls) {
            if (t > w - 25) w = t + 25;
        } else if (t > w - 5) {
            w = t + 8;
        }
    }
    return w;
}

}  // namespace exedit
