#pragma once
// Writing rich text (RTF) from the plain structs of RtfRead.h. The output is ASCII on one line:
// "{\rtf1\ansi\ansicpg1252\deff0", the font table (the document's fonts in order, the first being
// the default), the colour table of the colours the runs use, then every paragraph with its
// alignment and indents, its runs' formats as changes from the run before, and "\par" after it.
// Text: printable ASCII as it is with "\", "{" and "}" escaped, tabs and line breaks as "\tab" and
// "\line", other Windows-1252 characters as "\'hh", every other character as "\uN?".
// Reading the output gives the same document back: ReadRtf(WriteRtf(d)) == d for every d that
// ReadRtf returned.
#include <QString>

#include "controls/RtfRead.h"

QString WriteRtf(const TRtfDocument& Doc);
