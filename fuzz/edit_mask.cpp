// The edit mask on an arbitrary mask and typed input: the first line is the mask, the rest is
// typed, with 0x01 standing for Backspace and 0x02 for a jump of the caret. Never crashes; a mask
// either raises EEditMaskError or yields a shown text that obeys it at every step.
#include "platform/EditMask.h"

#include <QString>
#include <cstddef>
#include <cstdint>

namespace {

void checkShown(const plat::TEditMask& m, const QString& shown) {
    if (shown.size() != m.Length()) __builtin_trap();
    for (int i = 0; i < m.Length(); ++i) {
        const QChar c = shown[i];
        if (m.IsLiteral(i)) {
            if (c != m.SlotAt(i).literal) __builtin_trap();
        } else if (c != m.Blank() && m.Accept(i, c) != c) {
            __builtin_trap();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString all = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype nl = all.indexOf(u'\n');
    const QString mask = nl < 0 ? all : all.left(nl);
    const QString input = nl < 0 ? QString() : all.mid(nl + 1);
    plat::TEditMask m;
    try {
        m = plat::TEditMask(mask);
    } catch (const plat::EEditMaskError& e) {
        if (e.message().isEmpty()) __builtin_trap();
        return 0;
    }
    if (m.IsEmpty()) return 0;
    // Formatting any text, and formatting a value read back, obey the mask.
    QString shown = m.Format(input);
    checkShown(m, shown);
    const QString again = m.Format(m.Value(shown));
    checkShown(m, again);
    int pos = 0;
    for (QChar c : input) {
        if (c == QChar(1)) {
            const int p = m.PrevEditable(pos);
            if (p >= 0) {
                m.Clear(shown, p, p + 1);
                pos = p;
            }
        } else if (c == QChar(2)) {
            pos = (pos * 7 + 3) % (m.Length() + 1);
        } else {
            const int before = pos;
            if (m.Type(shown, pos, c) && (pos <= before || pos > m.Length())) __builtin_trap();
        }
        checkShown(m, shown);
    }
    (void)m.Complete(shown);
    return 0;
}
