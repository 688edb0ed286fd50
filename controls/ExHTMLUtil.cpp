#include "controls/ExHTMLUtil.h"
#include "controls/TextCase.h"

#include <QStringView>
#include <algorithm>
#include <array>
#include <climits>
#include <optional>
#include <QStringList>

namespace {

struct Entity {
    const char16_t* name;
    char16_t ch;
};

// The entity names the HTML export writes for accented letters and signs.
constexpr std::array<Entity, 51> kEntities{{
    {u"&eacute;", 0xE9}, {u"&egrave;", 0xE8}, {u"&euml;", 0xEB},   {u"&ecirc;", 0xEA},  {u"&oacute;", 0xF3},
    {u"&ograve;", 0xF2}, {u"&ouml;", 0xF6},   {u"&ocirc;", 0xF4},  {u"&iacute;", 0xED}, {u"&igrave;", 0xEC},
    {u"&iuml;", 0xEF},   {u"&icirc;", 0xEE},  {u"&uacute;", 0xFA}, {u"&ugrave;", 0xF9}, {u"&uuml;", 0xFC},
    {u"&ucirc;", 0xFB},  {u"&aacute;", 0xE1}, {u"&agrave;", 0xE0}, {u"&auml;", 0xE4},   {u"&acirc;", 0xE2},
    {u"&Eacute;", 0xC9}, {u"&Egrave;", 0xC8}, {u"&Euml;", 0xCB},   {u"&Ecirc;", 0xCA},  {u"&Oacute;", 0xD3},
    {u"&Ograve;", 0xD2}, {u"&Ouml;", 0xD6},   {u"&Ocirc;", 0xD4},  {u"&Iacute;", 0xCD}, {u"&Igrave;", 0xCC},
    {u"&Iuml;", 0xCF},   {u"&Icirc;", 0xCE},  {u"&Uacute;", 0xDA}, {u"&Ugrave;", 0xD9}, {u"&Uuml;", 0xDC},
    {u"&Ucirc;", 0xDB},  {u"&Aacute;", 0xC1}, {u"&Agrave;", 0xC0}, {u"&Auml;", 0xC4},   {u"&Acirc;", 0xC2},
    {u"&ccedil;", 0xE7}, {u"&Ccedil;", 0xC7}, {u"&oslash;", 0xF8}, {u"&Oslash;", 0xD8}, {u"&aring;", 0xE5},
    {u"&Aring;", 0xC5},  {u"&copy;", 0xA9},   {u"&reg;", 0xAE},    {u"&euro;", 0x20AC}, {u"&laquo;", 0xAB},
    {u"&raquo;", 0xBB},
}};

const Entity* entityOf(QChar c) {
    for (const Entity& e : kEntities)
        if (e.ch == c.unicode()) return &e;
    return nullptr;
}

using textcase::asciiUpper;

// Does `text` hold `what` at `at`, comparing a-z without case?
bool atIgnoreCase(QStringView text, qsizetype at, QStringView what) {
    if (at < 0 || at + what.size() > text.size()) return false;
    for (qsizetype k = 0; k < what.size(); ++k)
        if (asciiUpper(text[at + k]) != asciiUpper(what[k])) return false;
    return true;
}

// Removes `pattern` (a-z without case) as often as it occurs, also where a removal joins the text
// around it into a new occurrence, in one pass.
QString removeAllIgnoreCase(QStringView text, QStringView pattern) {
    if (pattern.isEmpty()) return text.toString();
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        out += c;
        if (out.size() >= pattern.size() && atIgnoreCase(out, out.size() - pattern.size(), pattern))
            out.chop(pattern.size());
    }
    return out;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

namespace {
bool lineBreakTagAt(QStringView t, qsizetype i) { return atIgnoreCase(t, i, u"<BR>") || atIgnoreCase(t, i, u"<HR>"); }
}  // namespace

QString StripHTMLTags(const QString& Text) {
    if (!Text.contains(u'<')) return Text;
    const QStringView t(Text);
    const qsizetype n = t.size();
    QString out;
    out.reserve(n);
    qsizetype i = 0;
    while (i < n) {
        if (t[i] != u'<') {
            out += t[i++];
            continue;
        }
        if (lineBreakTagAt(t, i)) {
            out += QLatin1StringView("\r\n");
            i += 4;
            continue;
        }
        // The tag ends at the first ">" that is not part of a line-break tag (those became line
        // breaks before any tag is removed).
        qsizetype j = i + 1;
        while (j < n && t[j] != u'>') j += (t[j] == u'<' && lineBreakTagAt(t, j)) ? 4 : 1;
        if (j >= n) break;  // an unclosed "<" stays, with the rest of the text
        i = j + 1;
    }
    // The rest after an unclosed "<", with its line-break tags still turned into line breaks.
    while (i < n) {
        if (t[i] == u'<' && lineBreakTagAt(t, i)) {
            out += QLatin1StringView("\r\n");
            i += 4;
        } else {
            out += t[i++];
        }
    }
    return out;
}

QString StripTagsForSearch(const QString& text) {
    QString out;
    QStringView rest(text);
    while (true) {
        const qsizetype lt = rest.indexOf(u'<');
        const qsizetype gt = rest.indexOf(u'>');
        if (lt < 0 || gt < lt) break;
        out += rest.left(lt);
        rest = rest.mid(gt + 1);
    }
    out += rest;
    return out;
}

// 1-based raw position just after the (n - 1)th visible character, so a tag that follows that
// character (the end of a bold run, say) stays behind the insertion point; 0 when the text has fewer
// characters. Used for closing tags.
int VisibleToRawIndex(const QString& text, int n) {
    if (n <= 1) return 1;
    qsizetype count = 0;
    bool inTag = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (inTag) {
            if (c == u'>') inTag = false;
            continue;
        }
        if (c == u'<') {
            inTag = true;
            continue;
        }
        if (++count == n - 1) return static_cast<int>(i) + 2;
    }
    return 0;
}

namespace {

QString escapeAngles(const QString& s) {
    QString out;
    out.reserve(s.size());
    for (QChar c : s) {
        if (c == u'<')
            out += QLatin1StringView("&lt;");
        else if (c == u'>')
            out += QLatin1StringView("&gt;");
        else
            out += c;
    }
    return out;
}

QString upperPerChar(const QString& s) {
    QString out = s;
    for (QChar& c : out) c = c.toUpper();
    return out;
}

}  // namespace

void InsertHighlightTags(const QString& Text, const QString& FindText, const QString& TagName, QString& Result,
                         bool CaseSensitive) {
    Result = Text;
    if (FindText.isEmpty()) return;
    QString visible = StripTagsForSearch(Text);
    QString find = FindText;
    if (Text.contains(FindText) && (visible.contains(u'<') || visible.contains(u'>'))) {
        // Angle brackets that are text would read as tags once tags are inserted.
        visible = escapeAngles(visible);
        Result = visible;
        find = escapeAngles(find);
    }
    // Upper-cased character by character, so positions stay those of the visible text.
    const QString hay = CaseSensitive ? visible : upperPerChar(visible);
    const QString needle = CaseSensitive ? find : upperPerChar(find);
    const QString open = u'<' + TagName + u'>';
    const QString close = QLatin1StringView("</") + TagName + u'>';
    // The search goes on right after a match, so a match that directly follows another is found
    // too; its opening tag then goes behind the closing tag just written, not into it, or the
    // highlight would run on to the end of the text.
    qsizetype from = 0;
    qsizetype afterClose = 0;  // 0-based raw index just past the last closing tag
    while (true) {
        const qsizetype at = hay.indexOf(needle, from);
        if (at < 0) break;
        const qsizetype c = at + 1;  // 1-based visible position
        const qsizetype rawOpen = VisibleToRawIndex(Result, static_cast<int>(c));
        if (rawOpen == 0) break;
        Result.insert(std::max(rawOpen - 1, afterClose), open);
        const qsizetype rawClose = VisibleToRawIndex(Result, static_cast<int>(c + needle.size()));
        if (rawClose == 0) break;
        Result.insert(rawClose - 1, close);
        afterClose = rawClose - 1 + close.size();
        from = at + needle.size();  // matches do not overlap
    }
}

void RemoveHighlightTags(const QString& Text, const QString& TagName, QString& Result) {
    QString t = removeAllIgnoreCase(Text, QString(u'<' + TagName + u'>'));
    t = removeAllIgnoreCase(t, QString(QLatin1StringView("</") + TagName + u'>'));
    t.replace(QLatin1StringView("&lt;"), QLatin1StringView("<"));
    t.replace(QLatin1StringView("&gt;"), QLatin1StringView(">"));
    Result = t;
}

QString EscapeHTMLText(const QString& Text, bool WithEntities) {
    QString out;
    out.reserve(Text.size() + Text.size() / 8);
    for (QChar c : Text) {
        switch (c.unicode()) {
        case u'&': out += QLatin1StringView("&amp;"); continue;
        case u'"': out += QLatin1StringView("&quot;"); continue;
        case u'<': out += QLatin1StringView("&lt;"); continue;
        case u'>': out += QLatin1StringView("&gt;"); continue;
        default: break;
        }
        if (WithEntities && c.unicode() >= 0xA9) {
            if (const Entity* e = entityOf(c)) {
                out += QStringView(e->name);
                continue;
            }
        }
        out += c;
    }
    return out;
}

QString UnescapeHTMLText(const QString& Text, bool WithEntities) {
    if (!Text.contains(u'&')) return Text;
    static constexpr std::array<Entity, 4> kBasic{
        {{u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&amp;", u'&'}, {u"&quot;", u'"'}}};
    QString out;
    out.reserve(Text.size());
    const QStringView t(Text);
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (t[i] != u'&') {
            out += t[i];
            continue;
        }
        const Entity* hit = nullptr;
        for (const Entity& e : kBasic)
            if (t.mid(i).startsWith(QStringView(e.name))) hit = &e;
        if (!hit && WithEntities)
            for (const Entity& e : kEntities)
                if (t.mid(i).startsWith(QStringView(e.name))) {
                    hit = &e;
                    break;
                }
        if (hit) {
            out += QChar(hit->ch);
            i += QStringView(hit->name).size() - 1;
        } else {
            out += t[i];
        }
    }
    return out;
}

QString SpacesToNbsp(const QString& Text) {
    QString out = Text;
    out.replace(u' ', QLatin1StringView("&nbsp;"));
    return out;
}

QString MaskText(const QString& Text) { return QString(Text.size(), u'*'); }

// ---------------------------------------------------------------------------------------------
// Form controls

bool HasControlTag(const QString& Text) { return asciiUpper(Text).contains(QLatin1StringView("<CONTROL")); }

namespace {

// The double-quoted value after the first "NAME=" of the tag; empty when a quote is missing.
QString attribute(const QString& tag, const QString& upperTag, QStringView nameEq) {
    const qsizetype at = upperTag.indexOf(nameEq);
    if (at < 0) return QString();
    const qsizetype open = tag.indexOf(u'"', at + nameEq.size());
    if (open < 0) return QString();
    const qsizetype close = tag.indexOf(u'"', open + 1);
    if (close < 0) return QString();
    return tag.mid(open + 1, close - open - 1);
}

struct ControlTag {
    qsizetype start = 0;  // index of "<"
    qsizetype end = 0;    // index just past ">"
    QString type, id, value, width, height, prop, maxLen;
};

// The controls of a text from left to right; a "<CONTROL " without a ">" after it ends the scan.
template <class Visit>
void forEachControl(const QString& text, Visit visit) {
    const QString upper = asciiUpper(text);
    qsizetype from = 0;
    while (true) {
        const qsizetype start = upper.indexOf(QLatin1StringView("<CONTROL "), from);
        if (start < 0) return;
        const qsizetype gt = text.indexOf(u'>', start);
        if (gt < 0) return;
        ControlTag c;
        c.start = start;
        c.end = gt + 1;
        ParseControlTag(text.mid(start, c.end - start), c.type, c.id, c.value, c.width, c.height, c.prop, c.maxLen);
        if (!visit(c)) return;
        from = c.end;
    }
}

std::optional<ControlTag> findControl(const QString& text, const QString& id) {
    std::optional<ControlTag> found;
    forEachControl(text, [&](const ControlTag& c) {
        if (c.id != id) return true;
        found = c;
        return false;
    });
    return found;
}

}  // namespace

void ParseControlTag(const QString& Tag, QString& Type, QString& ID, QString& Value, QString& Width,
                     QString& Height, QString& Prop, QString& MaxLen) {
    const QString upper = asciiUpper(Tag);
    Type = asciiUpper(attribute(Tag, upper, u"TYPE="));
    Width = attribute(Tag, upper, u"WIDTH=");
    Height = attribute(Tag, upper, u"HEIGHT=");
    ID = attribute(Tag, upper, u"ID=");
    Value = UnescapeHTMLText(attribute(Tag, upper, u"VALUE="), true);
    Prop = UnescapeHTMLText(attribute(Tag, upper, u"PROP="), true);
    MaxLen = attribute(Tag, upper, u"MAXLEN=");
}

void NextEditControlID(const QString& Text, const QString& AfterID, QString& ID) {
    ID.clear();
    bool counting = AfterID.isEmpty();
    forEachControl(Text, [&](const ControlTag& c) {
        if (!counting) {
            counting = c.id == AfterID;
            return true;
        }
        if (c.type == QLatin1StringView("BUTTON") || c.type == QLatin1StringView("CHECK") ||
            c.type == QLatin1StringView("RADIO"))
            return true;
        ID = c.id;
        return false;
    });
}

void ResetRadioControls(const QString& Text, QString& Result) {
    QStringList radios;
    forEachControl(Text, [&](const ControlTag& c) {
        if (c.type == QLatin1StringView("RADIO")) radios << c.id;
        return true;
    });
    QString t = Text;
    for (const QString& id : radios) SetControlValue(t, id, QStringLiteral("FALSE"));
    Result = t;
}

bool GetControlValue(const QString& Text, const QString& ID, QString& Value) {
    const auto c = findControl(Text, ID);
    if (!c) return false;
    Value = c->value;
    return true;
}

void GetControlProp(const QString& Text, const QString& ID, QString& Prop) {
    Prop.clear();
    if (const auto c = findControl(Text, ID)) Prop = c->prop;
}

int GetControlMaxLen(const QString& Text, const QString& ID) {
    const auto c = findControl(Text, ID);
    return c ? IntOfText(c->maxLen) : 0;
}

bool SetControlValue(QString& Text, const QString& ID, const QString& NewValue) {
    const auto c = findControl(Text, ID);
    if (!c) return false;
    auto quoted = [](const QString& v) { return u'"' + v + u'"'; };
    QString tag = QLatin1StringView("<CONTROL ID=") + quoted(ID) + QLatin1StringView(" VALUE=") +
                  quoted(EscapeHTMLText(NewValue, true)) + QLatin1StringView(" WIDTH=") + quoted(c->width) +
                  QLatin1StringView(" TYPE=") + quoted(c->type);
    if (!c->prop.isEmpty()) tag += QLatin1StringView(" PROP=") + quoted(EscapeHTMLText(c->prop, true));
    if (!c->maxLen.isEmpty()) tag += QLatin1StringView(" MAXLEN=") + quoted(c->maxLen);
    if (!c->height.isEmpty()) tag += QLatin1StringView(" HEIGHT=") + quoted(c->height);
    tag += u'>';
    Text.replace(c->start, c->end - c->start, tag);
    return true;
}

// ---------------------------------------------------------------------------------------------
// String routines

int PosIgnoreCase(const QString& Sub, const QString& Text) {
    if (Sub.isEmpty()) return 0;
    return static_cast<int>(asciiUpper(Text).indexOf(asciiUpper(Sub))) + 1;
}

int FindPosOut(const QString& Sub, const QString& Text, int& Pos) {
    Pos = Sub.isEmpty() ? 0 : static_cast<int>(Text.indexOf(Sub)) + 1;
    return Pos;
}

int FindPosUpper(const QString& Sub, const QString& Text, int& Pos) {
    Pos = Sub.isEmpty() ? 0 : static_cast<int>(asciiUpper(Text).indexOf(Sub)) + 1;
    return Pos;
}

bool ReplaceFirstIgnoreCase(QString& Text, const QString& Find, const QString& Replacement) {
    const int p = PosIgnoreCase(Find, Text);
    if (p == 0) return false;
    Text.replace(p - 1, Find.size(), Replacement);
    return true;
}

// Attribute numbers: leading decimal digits after leading blanks, hexadecimal ones after "$" or
// "0x"; a "-" counts only when nothing follows the digits; no leading digit gives 0.
int IntOfText(const QString& Text) {
    const qsizetype n = Text.size();
    qsizetype i = 0;
    while (i < n && Text[i] == u' ') ++i;
    const bool minus = i < n && Text[i] == u'-';
    if (minus) ++i;
    int base = 10;
    if (i < n && Text[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < n && Text[i] == u'0' && (Text[i + 1] == u'x' || Text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    const long long limit = minus ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long v = 0;
    qsizetype digits = 0;
    for (; i < n; ++i, ++digits) {
        const char16_t u = Text[i].unicode();
        int d;
        if (u >= u'0' && u <= u'9')
            d = u - u'0';
        else if (base == 16 && u >= u'a' && u <= u'f')
            d = u - u'a' + 10;
        else if (base == 16 && u >= u'A' && u <= u'F')
            d = u - u'A' + 10;
        else
            break;
        v = std::min(v * base + d, limit);
    }
    if (digits == 0) return 0;
    if (!minus) return static_cast<int>(v);
    return i == n ? static_cast<int>(-v) : 0;
}

QString UnwrapHashTags(const QString& Text) {
    if (!Text.contains(QLatin1StringView("<#"))) return Text;
    QString out;
    out.reserve(Text.size());
    int pending = 0;  // unwrapped "<#" whose ">" is still to go
    for (const QChar c : Text) {
        if (c == u'#') {
            // Every "<" that now stands before this "#" goes: one written before it, or one that a
            // removed ">" or "<" has brought next to it.
            while (!out.isEmpty() && out.back() == u'<') {
                out.chop(1);
                ++pending;
            }
        } else if (c == u'>' && pending > 0) {
            --pending;
            continue;
        }
        out += c;
    }
    return out;
}

QString CRToBRTags(const QString& Text, bool ToBR) {
    QString out;
    out.reserve(Text.size());
    for (QChar c : Text) {
        if (c == u'\r') {
            if (ToBR) out += QLatin1StringView("<BR>");
        } else if (c != u'\n') {
            out += c;
        }
    }
    return out;
}
