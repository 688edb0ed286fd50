// The text editor's paste on arbitrary clipboard text: the first byte picks the editor kind, the
// second the length limit, the third and fourth the selection; the rest is split at the first NUL
// into the editor text and the pasted text. Never crashes; a paste is refused or yields a text
// within the limit with the selection inside it, and a refused kind keeps the text as it was.
#include "grid/ExEditRules.h"

#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const auto type = static_cast<TEditorType>(data[0] % (edMaskEditBtn + 1));
    const int limit = data[1] % 40;
    const int selStart = data[2] % 64;
    const int selLength = data[3] % 64;
    const QByteArray rest(reinterpret_cast<const char*>(data + 4), static_cast<qsizetype>(size - 4));
    const qsizetype nul = rest.indexOf('\0');
    const QString text = QString::fromUtf8(nul < 0 ? rest : rest.left(nul));
    const QString pasted = nul < 0 ? QString() : QString::fromUtf8(rest.mid(nul + 1));
    const exedit::TPasteResult r = exedit::ApplyPaste(text, selStart, selLength, pasted, limit, type, QStringLiteral("0123456789abc"));
    if (r.Refused) {
        if (r.Text != text) __builtin_trap();
        return 0;
    }
    if (limit > 0 && r.Accepted && r.Text.size() > limit) __builtin_trap();
    if (!r.Accepted && r.Text != text) __builtin_trap();
    if (r.SelStart < 0 || r.SelLength < 0 || r.SelStart + r.SelLength > r.Text.size()) __builtin_trap();
    // The typed-character filter on the same state never crashes either.
    for (QChar c : pasted.left(16))
        (void)exedit::FilterEditorChar(type, c, text, selStart, selLength, false, {}, QString(), QString());
    return 0;
}
