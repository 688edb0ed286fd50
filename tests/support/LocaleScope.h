#pragma once
// Forces the regional settings for one test and gives the system's back afterwards.
#include "platform/FormatSettings.h"

#include <QString>

namespace testing_support {

struct LocaleCase {
    const char* name;
    QChar decimal;
    QChar thousand;
};

// The two number conventions every number test runs under.
inline const LocaleCase kDotDecimal{"DotDecimal", u'.', u','};
inline const LocaleCase kCommaDecimal{"CommaDecimal", u',', u'.'};

class LocaleScope {
public:
    explicit LocaleScope(QChar decimal = u'.', QChar thousand = u',', QChar dateSep = u'/',
                         QChar timeSep = u':', const QString& shortDate = QStringLiteral("dd/MM/yyyy")) {
        plat::FormatSettings s;
        s.decimalSeparator = decimal;
        s.thousandSeparator = thousand;
        s.dateSeparator = dateSep;
        s.timeSeparator = timeSep;
        s.shortDateFormat = shortDate;
        plat::setFormatSettingsOverride(s);
    }
    explicit LocaleScope(const LocaleCase& c) : LocaleScope(c.decimal, c.thousand) {}
    ~LocaleScope() { plat::setFormatSettingsOverride(std::nullopt); }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;
};

// Writes a number pattern in a locale: "T" stands for the thousand separator, "D" for the decimal one.
inline QString inLocale(const char* pattern, const LocaleCase& c) {
    QString s = QString::fromUtf8(pattern);
    for (QChar& ch : s) {
        if (ch == u'T')
            ch = c.thousand;
        else if (ch == u'D')
            ch = c.decimal;
    }
    return s;
}

}  // namespace testing_support
