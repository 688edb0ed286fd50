#pragma once
// The text of a time of day as the time picker drop-down edits it: two digits per field with the
// locale's time separator between them, its edit mask, and the parse of a typed text back into a
// time. Pure logic, so the parse is checked and fuzzed without a display.
#include <QChar>
#include <QString>
#include <optional>

namespace dropdowns {

struct TTimeFields {
    int Hour = 0, Minute = 0, Second = 0;
};

// n in decimal, with a leading "0" when that is one character long.
QString TwoDigits(int N);
// hh<sep>mm, followed by <sep>ss with seconds.
QString FormatTimeText(int Hour, int Minute, int Second, bool ShowSeconds, QChar Separator);
// The edit mask of the text: an optional and a required hour digit shown with leading blanks, two
// required digits per further field, the separator kept in the text, a blank shown as a space.
QString TimeEditMask(bool ShowSeconds, QChar Separator);
// The text has the separators the format asks for: a second one exactly with seconds, none more.
bool IsTimeText(const QString& Text, bool ShowSeconds, QChar Separator);
QString BlanksToZeros(QString Text);
// The first and the second character, those present, are decimal digits.
bool IsDigitPair(const QString& Part);
// The fields of a complete typed text (its trimmed length that of the format). Nothing for a text
// that is incomplete, malformed, or out of a day's range (hour above 23, minute or second above 59):
// such a text is left as typed.
std::optional<TTimeFields> ParseTimeText(const QString& Text, bool ShowSeconds, QChar Separator);

}  // namespace dropdowns
