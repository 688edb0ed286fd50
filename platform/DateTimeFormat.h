#pragma once
// Date and time format texts: the platform's picker codes ("dd/MM/yyyy hh:nn tt") turned into Qt's,
// and the regional formats (Qt syntax with "/" and ":" standing for the locale's separators) made
// ready for Qt. Pure text work.
#include "platform/FormatSettings.h"

#include <QString>
#include <QStringView>

namespace plat {

// d dd ddd dddd, M MM MMM MMMM, y yy yyyy, h hh H HH, m mm (n nn: minutes too), s ss, t tt (AM/PM);
// quoted text stays; any other letter is written as it is.
QString PickerFormatToQt(QStringView format);
// "/" and ":" outside quotes become the locale's date and time separators.
QString RegionalFormatToQt(QStringView format, const FormatSettings& settings);

}  // namespace plat
