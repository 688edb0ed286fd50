#pragma once
// Captions of the scan windows' labels are written with accelerator marks ("SCAN && DECODE"); a
// label shows "&&" as one "&" and hides a lone "&", which a Qt label without a partner would not.
#include <QString>

inline QString labelCaption(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'&') {
            out += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == u'&') {
            out += u'&';
            ++i;
        }
    }
    return out;
}
