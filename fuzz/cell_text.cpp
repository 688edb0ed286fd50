// The grid's own text files carry each cell in its one-line form and wide texts in their 8-bit form:
// decoding must take any line, and texts written by the encoders must read back as they were.
#include "controls/ExUtil.h"

#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString multi = DecodeCellBreaks(text, true);
    const QString first = DecodeCellBreaks(text, false);
    if (!multi.startsWith(first) || first.contains(u'\r')) __builtin_trap();
    if (CountTextLines(multi, true) < 1) __builtin_trap();

    // A text with CR LF line breaks and none of the characters the form uses comes back whole.
    const bool encodable = text.contains(u'\r') && text.contains(u'\n') && !text.contains(u'\t') &&
                           !text.contains(QChar(8)) && !text.contains(QChar(1));
    const QString encoded = EncodeCellBreaks(text);
    if (text.contains(u'\r') && encoded.contains(u'\r')) __builtin_trap();
    if (encodable && DecodeCellBreaks(encoded, true) != text) __builtin_trap();

    if (DecodeWideText(EncodeWideText(text)) != text) __builtin_trap();
    const QString wide = DecodeWideText(text);
    if (!text.startsWith(QStringLiteral("|\\")) && wide != text) __builtin_trap();
    const int kind = ClassifyCellText(text, true);
    if (kind < 0 || kind > 5 || kind == 4) __builtin_trap();
    return 0;
}
