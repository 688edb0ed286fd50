#pragma once
// Date and time routines of the editors, beside the grid's: today from the platform clock, month
// steps, the time of day, and the short-date and long-time texts of the regional settings in both
// directions. A text that names no date or time fails by the result; nothing here throws.
#include "controls/ExUtil.h"
#include "platform/FormatSettings.h"

#include <QDateTime>
#include <QString>

// The local date of the platform clock (tests drive it), at midnight.
TDateTime Today();
// The same day and time `months` months on; a day the target month lacks becomes its last day.
// A result outside years 1 to 9999 gives the date unchanged.
TDateTime IncMonth(TDateTime Date, int Months);
// The fraction of the day, always in 0 <= t < 1.
TDateTime TimeOfDay(TDateTime Value);
TDateTime DateOf(TDateTime Value);
// Hours, minutes, seconds and milliseconds of the time of day.
void DecodeTime(TDateTime Value, int& Hour, int& Min, int& Sec, int& MSec);

// A value as text in a Qt date-time format whose "/" and ":" stand for the locale's date and time
// separators.
QString FormatDateTimeText(const QString& Format, TDateTime Value, const plat::FormatSettings& Settings);
QString DateToText(TDateTime Value);  // the short date form
QString TimeToText(TDateTime Value);  // the long time form
// A short date (in the locale's field order and separator); false for any other text.
bool TextToDate(const QString& Text, TDateTime& Value);
// Hours, minutes and optionally seconds between the locale's time separators, with an optional
// "AM" or "PM" after a blank; false for any other text.
bool TextToTime(const QString& Text, TDateTime& Value);

// The same moment as a Qt date and time, and back (milliseconds kept).
QDateTime ToQDateTime(TDateTime Value);
TDateTime FromQDateTime(const QDateTime& Value);
