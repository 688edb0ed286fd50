// Cell texts with mini-HTML come from files and the user: stripping, escaping, highlighting and the
// form-control scans must end on any text, and escaping must survive the round trip exactly.
#include "controls/ExHTMLUtil.h"

#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (bool entities : {false, true})
        if (UnescapeHTMLText(EscapeHTMLText(text, entities), entities) != text) __builtin_trap();

    const QString plain = StripHTMLTags(text);
    if (!text.contains(u'<') && plain != text) __builtin_trap();

    // Highlighting what the text holds and removing it again leaves no highlight tag behind. A text
    // that spells "hi" itself is left out: the search may read its "<hi>" as text (a "<" after the
    // first ">"), and the removal gives back such text, as it turns every "&lt;" into "<".
    const QString find = text.left(3);
    QString marked, back;
    InsertHighlightTags(text, find, QStringLiteral("hi"), marked, size % 2 == 0);
    if (find.isEmpty() && marked != text) __builtin_trap();
    RemoveHighlightTags(marked, QStringLiteral("hi"), back);
    const bool spellsTheTag = text.contains(QStringLiteral("hi"), Qt::CaseInsensitive);
    if (!spellsTheTag && back.contains(QStringLiteral("<hi>"), Qt::CaseInsensitive)) __builtin_trap();

    QString type, id, value, width, height, prop, maxLen;
    ParseControlTag(text, type, id, value, width, height, prop, maxLen);
    QString next, reset;
    NextEditControlID(text, id, next);
    ResetRadioControls(text, reset);
    QString edited = text;
    // (An ID that itself holds "VALUE=" hides the real attribute from the reader.)
    if (SetControlValue(edited, id, QStringLiteral("v\"<&>")) &&
        !id.contains(QStringLiteral("VALUE="), Qt::CaseInsensitive)) {
        QString got;
        if (!GetControlValue(edited, id, got) || got != QStringLiteral("v\"<&>")) __builtin_trap();
    }
    (void)GetControlMaxLen(text, id);
    (void)UnwrapHashTags(text);
    return 0;
}
