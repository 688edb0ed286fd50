#pragma once
// The rules of the spin edit that depend only on its text, caret, selection, kind of value and the
// regional settings: which typed characters it takes, which field of a date or a time the caret
// is in, and how a field steps. No widget here.
#include "controls/ExUtil.h"
#include "platform/FormatSettings.h"

#include <QString>
#include <cstdint>

namespace ctl {

enum TSgSpinType : uint8_t { sptNormal, sptFloat, sptDate, sptTime };

// What of the edit a typed character is judged against.
struct TSpinCharState {
    QString Text;
    int SelStart = 0;  // the caret when nothing is selected
    int SelLength = 0;
    TSgSpinType SpinType = sptNormal;
    int Precision = 0;
    bool EditorEnabled = true;
};

// Whether the edit takes the character k (Backspace counts as 8, Enter as 13).
bool SpinIsValidChar(QChar k, const TSpinCharState& s, const plat::FormatSettings& fs);

enum TSpinField : uint8_t { sfDay, sfMonth, sfYear, sfHours, sfMinutes, sfSeconds };

// The field of a date text the 0-based caret is in: the fields are cut at the first two date
// separators, and their meaning follows whether the short date format names the month before the
// day (`usDates`, set when given).
TSpinField SpinDateField(const QString& text, int caret, const plat::FormatSettings& fs, bool* usDates = nullptr);
// The field of a time text the caret is in, cut at the first two time separators; without seconds
// everything after the first separator is minutes.
TSpinField SpinTimeField(const QString& text, int caret, bool showSeconds, const plat::FormatSettings& fs);

// A date one step (dir +1 or -1) on in a field: a day, a month (the month's last day when the day
// does not exist there) or a year (29 February becomes 28 February). A date that would leave years
// 1 to 9999 stays as it is.
TDateTime StepDateField(TDateTime date, TSpinField field, int dir);
// A time of day `increment` hours, minutes or seconds on (dir +1) or back (-1); the result stays
// within the day, so steps past midnight and steps of a day or more wrap.
TDateTime StepTimeField(TDateTime time, TSpinField field, int increment, int dir);

}  // namespace ctl
