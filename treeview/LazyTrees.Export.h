#pragma once
// The string tree's exports (HTML and RTF tables, delimited text, the CSV file, the clipboard's text
// blocks and the event-only custom export) are members of the tree; the clipboard's HTML envelope
// stands on its own.
#include <QByteArray>

namespace lazytree {
// Wraps a UTF-8 HTML fragment into the clipboard's HTML envelope: a header with the byte offsets of
// the document and the fragment, then the document around the fragment.
void MakeCFHTMLData(QByteArray& HTML);
}  // namespace lazytree
