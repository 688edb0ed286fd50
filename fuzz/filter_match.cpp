// A filter expression is typed by the user and matched against every cell: whatever it holds, the
// match must end quickly, the compiled form must agree with the one-off routine, and a wildcard
// condition must agree with a plain character walk of the same rules (small inputs only, as the walk
// tries every tail again for every star).
// Input: one flag byte (bit 0: case-sensitive), then the expression, a NUL, and the cell value (UTF-8).
#include "controls/ExUtil.h"
#include "platform/FormatSettings.h"
#include "tests/support/ReferenceWildcard.h"

#include <QString>
#include <cstddef>
#include <cstdint>

using testing_support::referenceWildcardWalk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    plat::setFormatSettingsOverride(plat::FormatSettings{});
    const bool cs = data[0] & 1;
    const QByteArray rest(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const qsizetype nul = rest.indexOf('\0');
    const QString expr = QString::fromUtf8(nul < 0 ? rest : rest.left(nul));
    const QString value = nul < 0 ? QString() : QString::fromUtf8(rest.mid(nul + 1));

    const bool once = MatchFilterExpression(expr, value, cs);
    if (FilterExpression(expr, cs).matches(value) != once) __builtin_trap();

    bool plainWildcard = expr.size() <= 10 && value.size() <= 10;
    for (QChar c : expr)
        if (c == u'<' || c == u'>' || c == u'&' || c == u'^') plainWildcard = false;
    if (plainWildcard && MatchConditionText(expr, value) != referenceWildcardWalk(expr, value)) __builtin_trap();
    return 0;
}
