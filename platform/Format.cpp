#include "platform/Format.h"

#include "platform/FormatSettings.h"
#include "platform/Numbers.h"

#include <vector>

namespace plat {
namespace {

[[noreturn]] void incompatible(QStringView specifier) {
    throw EFormatError(QStringLiteral("Format '%1' invalid or incompatible with argument").arg(specifier));
}

// "-1234.5" with "," and "." -> "-1.234,5"
QString localized(const QString& plain, bool thousands, const FormatSettings& fs) {
    QString sign, intPart = plain, frac;
    if (intPart.startsWith(u'-')) {
        sign = QStringLiteral("-");
        intPart.remove(0, 1);
    }
    const qsizetype point = intPart.indexOf(u'.');
    if (point >= 0) {
        frac = intPart.mid(point + 1);
        intPart.truncate(point);
    }
    if (thousands && !fs.thousandSeparator.isNull()) {
        for (qsizetype i = intPart.size() - 3; i > 0; i -= 3) intPart.insert(i, fs.thousandSeparator);
    }
    QString out = sign + intPart;
    if (point >= 0) out += fs.decimalSeparator + frac;
    return out;
}

}  // namespace

QString Format(QStringView fmt, std::initializer_list<FormatArg> args) {
    const std::vector<const FormatArg*> list = [&] {
        std::vector<const FormatArg*> v;
        for (const FormatArg& a : args) v.push_back(&a);
        return v;
    }();
    std::size_t next = 0;
    const FormatSettings fs = formatSettings();
    QString out;
    const qsizetype n = fmt.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar ch = fmt[i];
        if (ch != u'%') {
            out += ch;
            ++i;
            continue;
        }
        const qsizetype start = i++;
        if (i < n && fmt[i] == u'%') {
            out += u'%';
            ++i;
            continue;
        }
        auto specifierText = [&] { return fmt.mid(start, std::min(i + 1, n) - start); };
        auto takeArg = [&]() -> const FormatArg& {
            if (next >= list.size())
                throw EFormatError(QStringLiteral("No argument for format '%1'").arg(specifierText()));
            return *list[next++];
        };
        auto number = [&](int& target) {
            if (i < n && fmt[i] == u'*') {
                const FormatArg& a = takeArg();
                const auto* v = std::get_if<FormatArg::Int>(&a.value());
                if (!v) incompatible(specifierText());
                target = int(std::clamp<int64_t>(v->value, -1000, 1000));
                ++i;
                return;
            }
            bool any = false;
            int value = 0;
            while (i < n && fmt[i].isDigit() && fmt[i].unicode() < 128) {
                value = std::min(value * 10 + (fmt[i].unicode() - '0'), 1000);
                ++i;
                any = true;
            }
            if (any) target = value;
        };
        bool left = false;
        if (i < n && fmt[i] == u'-') {
            left = true;
            ++i;
        }
        int width = -1;
        number(width);
        if (width < 0) {
            left = true;
            width = -width;
        }
        int precision = -1;
        if (i < n && fmt[i] == u'.') {
            ++i;
            precision = 0;
            number(precision);
        }
        if (i >= n) throw EFormatError(QStringLiteral("Format '%1' invalid or incompatible with argument").arg(fmt.mid(start)));
        const QChar type = fmt[i].toLower();
        const QString specifier = specifierText().toString();
        ++i;
        QString text;
        switch (type.unicode()) {
        case 'd':
        case 'u':
        case 'x': {
            const FormatArg& a = takeArg();
            const auto* v = std::get_if<FormatArg::Int>(&a.value());
            if (!v) incompatible(specifier);
            bool negative = false;
            QString digits;
            if (type == u'd') {
                negative = v->value < 0;
                digits = QString::number(negative ? -(uint64_t)v->value : (uint64_t)v->value);
            } else {
                const uint64_t bits = v->wide ? uint64_t(v->value) : uint64_t(uint32_t(v->value));
                digits = type == u'u' ? QString::number(bits) : QString::number(bits, 16).toUpper();
            }
            if (precision > int(digits.size())) digits.prepend(QString(precision - digits.size(), u'0'));
            text = negative ? u'-' + digits : digits;
            break;
        }
        case 'e':
        case 'f':
        case 'g':
        case 'n':
        case 'm': {
            const FormatArg& a = takeArg();
            const auto* v = std::get_if<double>(&a.value());
            if (!v) incompatible(specifier);
            if (const QString s = numtext::special(*v); !s.isEmpty()) {
                text = s;
                break;
            }
            switch (type.unicode()) {
            case 'e':
                text = numtext::exponent(*v, precision < 0 ? 15 : precision);
                text.replace(u'.', fs.decimalSeparator);
                break;
            case 'f': text = localized(numtext::fixed(*v, precision < 0 ? 2 : precision), false, fs); break;
            case 'g':
                text = numtext::general(*v, precision < 0 ? 15 : precision);
                text.replace(u'.', fs.decimalSeparator);
                break;
            case 'n': text = localized(numtext::fixed(*v, precision < 0 ? 2 : precision), true, fs); break;
            default: {
                QString amount = localized(numtext::fixed(*v, precision < 0 ? 2 : precision), true, fs);
                const bool negative = amount.startsWith(u'-');
                if (negative) amount.remove(0, 1);
                text = (negative ? QStringLiteral("-") : QString()) + fs.currencySymbol + amount;
            }
            }
            break;
        }
        case 's': {
            const FormatArg& a = takeArg();
            const auto* v = std::get_if<QString>(&a.value());
            if (!v) incompatible(specifier);
            text = precision >= 0 ? v->left(precision) : *v;
            break;
        }
        default:
            throw EFormatError(QStringLiteral("Format '%1' invalid or incompatible with argument").arg(specifier));
        }
        if (text.size() < width) {
            const QString pad(width - text.size(), u' ');
            text = left ? text + pad : pad + text;
        }
        out += text;
    }
    return out;
}

}  // namespace plat
