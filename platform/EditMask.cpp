#include "platform/EditMask.h"

#include "platform/FormatSettings.h"

namespace plat {

namespace {
[[noreturn]] void refuse(const QString& mask, int pos, const QString& why) {
    throw EEditMaskError(QStringLiteral("Invalid edit mask \"%1\": %2").arg(mask, why.arg(pos + 1)));
}
}  // namespace

TEditMask::TEditMask(const QString& mask) : source_(mask) {
    const int n = int(mask.size());
    Case convert = Case::None;
    const FormatSettings fs = formatSettings();
    int i = 0;
    for (; i < n; ++i) {
        const QChar c = mask[i];
        Slot s;
        s.convert = convert;
        switch (c.unicode()) {
            case ';': break;
            case '!': leadingBlanks_ = true; continue;
            case '>': convert = Case::Upper; continue;
            case '<':
                if (i + 1 < n && mask[i + 1] == u'>') {
                    ++i;
                    convert = Case::None;
                } else {
                    convert = Case::Lower;
                }
                continue;
            case '\\':
                if (i + 1 >= n) refuse(mask, i, QStringLiteral("\"\\\" at position %1 escapes nothing"));
                s.literal = mask[++i];
                s.convert = Case::None;
                break;
            case 'L': case 'l': s.kind = Kind::Letter; break;
            case 'A': case 'a': s.kind = Kind::LetterDigit; break;
            case 'C': case 'c': s.kind = Kind::Any; break;
            case '0': case '9': s.kind = Kind::Digit; break;
            case '#': s.kind = Kind::DigitSign; break;
            case ':': s.literal = fs.timeSeparator; s.convert = Case::None; break;
            case '/': s.literal = fs.dateSeparator; s.convert = Case::None; break;
            case '_': s.literal = u' '; s.convert = Case::None; break;
            default:
                refuse(mask, i, QStringLiteral("the character \"") + c + QStringLiteral("\" at position %1 is not a mask character"));
        }
        if (c == u';') break;
        if (s.kind != Kind::Literal) s.required = c == u'L' || c == u'A' || c == u'C' || c == u'0';
        slots_.push_back(s);
    }
    if (i < n) {
        // ";<save>[;<blank>]"
        const QString rest = mask.mid(i + 1);
        const int semi = int(rest.indexOf(u';'));
        const QString save = semi < 0 ? rest : rest.left(semi);
        if (save.size() > 1) refuse(mask, i + 1, QStringLiteral("the save field at position %1 is not one character"));
        if (!save.isEmpty()) saveLiterals_ = save != QStringLiteral("0");
        if (semi >= 0) {
            const QString blank = rest.mid(semi + 1);
            if (blank.size() > 1)
                refuse(mask, i + 1 + semi + 1, QStringLiteral("the blank field at position %1 is not one character"));
            if (!blank.isEmpty()) blank_ = blank[0];
        }
    }
    if (slots_.empty()) {
        // A mask of conversions and fields alone edits as no mask.
        source_.clear();
    }
}

QChar TEditMask::Accept(int slot, QChar c) const {
    if (slot < 0 || slot >= Length()) return {};
    const Slot& s = slots_[size_t(slot)];
    bool fits = false;
    switch (s.kind) {
        case Kind::Literal: return {};
        case Kind::Letter: fits = c.isLetter(); break;
        case Kind::LetterDigit: fits = c.isLetterOrNumber(); break;
        case Kind::Any: fits = c.unicode() >= 32 && c.unicode() != 127 && !c.isSurrogate(); break;
        case Kind::Digit: fits = c >= u'0' && c <= u'9'; break;
        case Kind::DigitSign: fits = (c >= u'0' && c <= u'9') || c == u'+' || c == u'-'; break;
    }
    if (!fits) return {};
    if (s.convert == Case::Upper) {
        const QString u = QString(c).toUpper();
        if (u.size() == 1) c = u[0];
    } else if (s.convert == Case::Lower) {
        const QString l = QString(c).toLower();
        if (l.size() == 1) c = l[0];
    }
    return c;
}

QString TEditMask::Format(const QString& value) const {
    QString out;
    out.reserve(Length());
    for (const Slot& s : slots_) out += s.kind == Kind::Literal ? s.literal : blank_;
    if (IsEmpty()) return value;
    const bool withLiterals = saveLiterals_;
    // The characters that go into editable positions.
    QString chars;
    if (withLiterals) {
        int v = 0;
        for (int i = 0; i < Length() && v < value.size(); ++i) {
            if (IsLiteral(i)) {
                if (value[v] == slots_[size_t(i)].literal) ++v;
                continue;
            }
            const QChar a = Accept(i, value[v]);
            if (!a.isNull()) out[i] = a;
            ++v;
        }
        return out;
    }
    int editable = 0;
    for (int i = 0; i < Length(); ++i) editable += IsLiteral(i) ? 0 : 1;
    chars = value.left(editable);
    int skip = leadingBlanks_ ? editable - int(chars.size()) : 0;
    int v = 0;
    for (int i = 0; i < Length() && v < chars.size(); ++i) {
        if (IsLiteral(i)) continue;
        if (skip > 0) {
            --skip;
            continue;
        }
        const QChar a = Accept(i, chars[v++]);
        if (!a.isNull()) out[i] = a;
    }
    return out;
}

QString TEditMask::Value(const QString& display) const {
    if (IsEmpty()) return display;
    QString out;
    for (int i = 0; i < Length() && i < display.size(); ++i) {
        if (IsLiteral(i)) {
            if (saveLiterals_) out += slots_[size_t(i)].literal;
            continue;
        }
        out += display[i] == blank_ ? QChar(u' ') : display[i];
    }
    return out;
}

bool TEditMask::Complete(const QString& display) const {
    for (int i = 0; i < Length(); ++i)
        if (slots_[size_t(i)].required && (i >= display.size() || display[i] == blank_)) return false;
    return true;
}

int TEditMask::NextEditable(int pos) const {
    for (int i = std::max(pos, 0); i < Length(); ++i)
        if (!IsLiteral(i)) return i;
    return Length();
}

int TEditMask::PrevEditable(int pos) const {
    for (int i = std::min(pos, Length()) - 1; i >= 0; --i)
        if (!IsLiteral(i)) return i;
    return -1;
}

bool TEditMask::Type(QString& display, int& pos, QChar c) const {
    if (IsEmpty() || display.size() != Length()) return false;
    int p = std::clamp(pos, 0, Length());
    // A typed literal jumps over the literals up to and including a matching one.
    for (int i = p; i < Length() && IsLiteral(i); ++i)
        if (slots_[size_t(i)].literal == c) {
            pos = i + 1;
            return true;
        }
    p = NextEditable(p);
    if (p >= Length()) return false;
    const QChar a = Accept(p, c);
    if (a.isNull()) return false;
    display[p] = a;
    pos = p + 1;
    return true;
}

void TEditMask::Clear(QString& display, int from, int to) const {
    if (display.size() != Length()) return;
    for (int i = std::max(from, 0); i < std::min(to, Length()); ++i)
        if (!IsLiteral(i)) display[i] = blank_;
}

}  // namespace plat
