#include "platform/FormatSettings.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <string>

namespace plat {
namespace {

std::optional<FormatSettings>& overrideStore() {
    static std::optional<FormatSettings> s;
    return s;
}

// The settings read from a locale.
FormatSettings readSettings(const QLocale& loc) {
    FormatSettings s;
    s.decimalSeparator = loc.decimalPoint().isEmpty() ? QChar(u'.') : loc.decimalPoint().at(0);
    s.thousandSeparator = loc.groupSeparator().isEmpty() ? QChar(u',') : loc.groupSeparator().at(0);
    s.shortDateFormat = loc.dateFormat(QLocale::ShortFormat);
    for (QChar c : s.shortDateFormat) {
        if (!c.isLetter()) {
            s.dateSeparator = c;
            break;
        }
    }
    const QString tf = loc.timeFormat(QLocale::ShortFormat);
    s.shortTimeFormat = tf;
    for (QChar c : tf) {
        if (!c.isLetter() && c != u' ') {
            s.timeSeparator = c;
            break;
        }
    }
    // The system's long form may end in a time-zone name, which no edit of ours shows or reads.
    QString ltf = loc.timeFormat(QLocale::LongFormat);
    ltf.remove(u't');
    s.longTimeFormat = ltf.trimmed();
    s.currencySymbol = loc.currencySymbol();
    return s;
}

}  // namespace

FormatSettings formatSettings() {
    if (overrideStore()) return *overrideStore();
    // Read again only when the locale changes: painters ask for every cell, and reading builds
    // every text anew.
    struct Read {
        QLocale locale;
        FormatSettings settings;
    };
    thread_local std::optional<Read> read;
    const QLocale loc;
    if (!read || read->locale != loc) read = Read{loc, readSettings(loc)};
    return read->settings;
}

void setFormatSettingsOverride(std::optional<FormatSettings> settings) { overrideStore() = std::move(settings); }

std::optional<double> textToFloat(QStringView text, QChar decimalSeparator) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == u' ') ++i;
    std::string ascii;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) ascii += static_cast<char>(text[i++].unicode());
    qsizetype digits = 0;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
        ascii += static_cast<char>(text[i++].unicode());
        ++digits;
    }
    if (i < n && text[i] == decimalSeparator) {
        ascii += '.';
        ++i;
        while (i < n && text[i].unicode() >= '0' && text[i].unicode() <= '9') {
            ascii += static_cast<char>(text[i++].unicode());
            ++digits;
        }
    }
    if (digits == 0) return std::nullopt;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ascii += 'e';
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-')) ascii += static_cast<char>(text[i++].unicode());
        qsizetype expDigits = 0;
        while (i < n && text[i].unicode() >= '0' && text[i].unicode() <= '9') {
            ascii += static_cast<char>(text[i++].unicode());
            ++expDigits;
        }
        if (expDigits == 0) return std::nullopt;
    }
    while (i < n && text[i] == u' ') ++i;
    if (i != n) return std::nullopt;
    // from_chars ignores the C locale, which the application object sets from the environment.
    const char* first = ascii.data();
    if (*first == '+') ++first;
    double v = 0;
    const auto [end, ec] = std::from_chars(first, ascii.data() + ascii.size(), v);
    if (ec != std::errc() || end != ascii.data() + ascii.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

}  // namespace plat
