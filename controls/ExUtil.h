#pragma once
// Class-less routines the grid family shares for reading, writing and matching cell texts.
// None keeps state. Text positions count from 1, 0 meaning "not found"; a routine that can fail says
// so by its result and leaves its out parameters untouched. Number and date texts are read against the
// regional settings as they are at the moment of the call (plat::formatSettings()).
#include "platform/XmlDoc.h"

#include <QChar>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// A date-time value: whole days since 30 December 1899 plus the time of day as a fraction.
using TDateTime = double;

// A text that names no existing date or time.
class EConvertError : public plat::Error {
public:
    using plat::Error::Error;
};

// Date and time encoders: throw EConvertError for a date or time that does not exist
// (years 1 to 9999; hour 0-23, minute and second 0-59, milliseconds 0-999).
TDateTime EncodeDate(int Year, int Month, int Day);
TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec);
// The date part of a value; false for a value outside years 1 to 9999.
bool DecodeDate(TDateTime Date, int& Year, int& Month, int& Day);

// ---- Locale accessors and character tests ----
QChar TimeSeparatorChar();
QChar DateSeparatorChar();
QChar ThousandSeparatorChar();
QChar DecimalSeparatorChar();
QString ShortDateFormatText();
bool CharIsNumber(QChar Ch);
bool IsIntegerChar(QChar Ch);
bool IsFormattedNumberChar(QChar Ch);
bool IsScientificChar(QChar Ch);
bool IsPlainFloatChar(QChar Ch);
bool IsWordSeparator(QChar Ch);

// ---- Number texts ----
// 0 whole number, 1 number with the locale's separators, 2 not a number, 5 scientific notation.
int ClassifyNumberText(const QString& Text);
// A formatted number ("(1.234,50 €)") as plain float text ("-1234.50"); blanks and control
// characters at both ends go first.
QString NormalizeNumberText(const QString& Text);
// Thousand separators dropped, decimal separators made ".", everything else kept.
QString NormalizeDecimalText(const QString& Text);

// ---- Dates ----
// Month, day, year with "/", "." or "-" between; 0 when a part is missing or not a whole number;
// EConvertError for a date that does not exist. A year of one to three digits gets its century (below
// 26: 2000s); four digits stand as written.
TDateTime ParseDateMDY(const QString& Text);
TDateTime ParseDateDMY(const QString& Text);
// A date in the locale's order and separators with an optional time.
bool ParseLocaleDateTime(const QString& Text, TDateTime& Value);
bool HasDateSeparators(const QString& Text);
// The next date of a series whose first two dates differ by Years, Months, Days (parts) and Delta.
TDateTime StepDate(int16_t Years, int16_t Months, int16_t Days, TDateTime Date, TDateTime Delta);

// ---- Other texts ----
QString ToProperCase(const QString& Text);
// "R<row>C<col>": Point.x() := column, Point.y() := row.
bool ParseCellRef(const QString& Text, QPoint& Point);
QString ColorToHexRGB(uint32_t Color);
bool ContainsURL(const QString& Text);
void StripURLScheme(QString& Text);
// Makes the first link that starts with Prefix (given in upper case) an anchor.
bool LinkFirstURL(const QString& Text, const QString& Prefix, QString& HTML);

// ---- String and integer helpers ----
int ClampToLimits(int Value, int Min, int Max);
int IntMax(int A, int B);
int IntMin(int A, int B);
// Rect holds Left, Top, Right, Bottom of a cell range (QRect's right() and bottom() are inclusive).
bool CellInGridRect(const QRect& Rect, int Col, int Row);
int UpperCasePos(const QString& Sub, const QString& Text);
int FindPos(const QString& Sub, const QString& Text, int& Pos);
int FindCharPos(QChar Ch, const QString& Text, int& Pos);
int FirstCharPos(QChar Ch, const QString& Text);
int PosInWide(const QString& Sub, const QString& Text);
int CountChar(QChar Ch, const QString& Text);
void CutToDelimiter(QString& Text, QChar Delim, QString& Part);
QString ConcatStrings(const QStringList& List);
void FillWithChar(QString& Text, QChar Ch);
// OEM code page 437 and ANSI code page 1252: the result, written as ANSI text, yields the OEM bytes.
void StringToOem(QString& Text);
void OemToString(QString& Text);

// ---- Cell text kinds and one-line forms ----
// 0 plain, 1 mini-HTML, 2 rich text, 3 formula, 5 wide-encoded.
int ClassifyCellText(const QString& Text, bool AllowHTML);
QString EncodeWideText(const QString& WideText);
QString DecodeWideText(const QString& Text);
QString EncodeCellBreaks(const QString& Text);
QString DecodeCellBreaks(const QString& Text, bool MultiLine);
void ExtractFirstLine(QString& Text, bool KeepRest, QString& Line);
int CountTextLines(const QString& Text, bool MultiLine);

// ---- Line-break conversions ----
void CRLFToLF(QString& Text);
QString RemoveCR(const QString& Text);
QString CRToLF(const QString& Text);
QString EscapeLineBreaks(const QString& Text);
QString UnescapeLineBreaks(const QString& Text);
QString LineBreaksToBR(const QString& Text);
void LineBreaksToTilde(QString& Text);
void TildeToLineBreaks(QString& Text);

// ---- CSV field helpers ----
QString DoubleQuoteChars(const QString& Text);
void PackMultiLineField(QString& Text);
void UnpackMultiLineField(QString& Text);
QString CollapseDoubledChar(QChar Ch, const QString& Text);
int FindClosingQuote(QChar Quote, const QString& Text, int& Pos);
int CountClosingQuotes(QChar Quote, const QString& Text);

// ---- Filter matching ----
// Without CaseSensitive both sides are upper-cased one character at a time, so a pattern and a
// text keep their lengths ("stra?e" matches "stra\u00DFe", not "STRASSE").
bool MatchFilterExpression(const QString& Expression, const QString& Value, bool CaseSensitive);
bool MatchFilterCondition(const QString& Condition, const QString& Value, bool CaseSensitive);
bool MatchConditionText(const QString& Condition, const QString& Value);
// Value characters the wildcard parts of conditions have looked at on this thread so far. The
// match never backtracks, so the count grows with the lengths of pattern and value, never with a
// power of them; tests bound it.
uint64_t WildcardMatchSteps();
QString RemoveBlanksOutsideQuotes(const QString& Text);
int MatchingParenPos(const QString& Text);
// The first character of Text in Chars outside double quotes; NUL and Pos = -1 when there is none.
QChar FindFirstOfOutsideQuotes(const QString& Chars, const QString& Text, int& Pos);

// A filter expression compiled once and matched against many cell values. Operators apply from left
// to right without precedence ("a|b&c" is (a or b) and c); parentheses group. A "(" without its ")"
// groups up to the end of the expression. Regional settings are those at the time of compiling.
class FilterExpression {
public:
    FilterExpression(const QString& Expression, bool CaseSensitive);
    ~FilterExpression();
    FilterExpression(FilterExpression&&) noexcept;
    FilterExpression& operator=(FilterExpression&&) noexcept;

    bool matches(const QString& Value) const;

    struct Impl;

private:
    std::unique_ptr<Impl> d_;
};
