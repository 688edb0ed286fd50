#pragma once
// The user's regional number and date settings, read at each call; tests force them.
#include <QChar>
#include <QString>
#include <QStringView>
#include <optional>

namespace plat {

struct FormatSettings {
    QChar decimalSeparator = u'.';
    QChar thousandSeparator = u',';
    QChar dateSeparator = u'/';
    QChar timeSeparator = u':';
    QString shortDateFormat = QStringLiteral("dd/MM/yyyy");  // Qt date-format syntax
    QString shortTimeFormat = QStringLiteral("HH:mm");       // Qt time-format syntax
    // Qt time-format syntax; ":" stands for the time separator as "/" does for the date separator.
    QString longTimeFormat = QStringLiteral("HH:mm:ss");
    QString currencySymbol = QStringLiteral("$");
};

// The settings as they are now: the override when one is set, else the system locale's.
FormatSettings formatSettings();
// Forces the settings (tests); nothing restores the system's.
void setFormatSettingsOverride(std::optional<FormatSettings> settings);

// Text to number with the given decimal separator: optional blanks around, an optional sign,
// digits with at most one separator, an optional exponent ("E" and signed digits). No thousand
// separators. Nothing when the text is not a number.
std::optional<double> textToFloat(QStringView text, QChar decimalSeparator);

}  // namespace plat
