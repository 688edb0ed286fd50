// CSV fields come from files of other programs: the quote helpers must take any field, and what the
// packers write must unpack to the original.
#include "controls/ExUtil.h"

#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (CollapseDoubledChar(u'"', DoubleQuoteChars(text)) != text) __builtin_trap();

    if (!text.contains(QChar(11))) {
        QString packed = text;
        PackMultiLineField(packed);
        if (!packed.startsWith(u'"') || !packed.endsWith(u'"') || packed.size() < 2) __builtin_trap();
        QString inner = packed.mid(1, packed.size() - 2);
        UnpackMultiLineField(inner);
        if (inner != text) __builtin_trap();
    }

    int pos = -1;
    const int closing = FindClosingQuote(u'"', text, pos);
    if (closing != pos || closing < 0 || closing > text.size()) __builtin_trap();
    if (closing > 0 && text[closing - 1] != u'"') __builtin_trap();
    const int count = CountClosingQuotes(u'"', text);
    if (count < 0 || count > text.count(u'"')) __builtin_trap();

    QString tilde = text;
    LineBreaksToTilde(tilde);
    if (tilde.contains(u'\r') || tilde.contains(u'\n')) __builtin_trap();
    return 0;
}
