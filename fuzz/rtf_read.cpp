// Rich text comes from cells, the clipboard, drops and files: the reader must end on any bytes in
// time linear in their length and return a sound document, the writer must write it so that it reads
// back the same, and the text document filled from it must write and read back the same as well.
#include <QTextDocument>
#include <cstddef>
#include <cstdint>

#include "controls/RtfRead.h"
#include "controls/RtfTextDocument.h"
#include "controls/RtfWrite.h"
#include "fuzz/QtFuzzApp.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

// Runs are non-empty, differ from their neighbours and name a font of the table; texts are valid
// UTF-16 without control characters other than tab.
void checkSound(const TRtfDocument& doc) {
    check(!doc.Paragraphs.empty());
    for (const TRtfParagraph& p : doc.Paragraphs) {
        for (std::size_t i = 0; i < p.Runs.size(); ++i) {
            const TRtfRun& r = p.Runs[i];
            check(!r.Text.isEmpty());
            check(i == 0 || !(p.Runs[i - 1].Format == r.Format));
            check(doc.Fonts.empty() ? r.Format.Font == -1
                                    : r.Format.Font >= 0 && std::size_t(r.Format.Font) < doc.Fonts.size());
            for (qsizetype k = 0; k < r.Text.size(); ++k) {
                const char16_t c = r.Text[k].unicode();
                check(c >= 0x20 || c == u'\t');
                if (QChar::isHighSurrogate(c)) {
                    check(k + 1 < r.Text.size() && QChar::isLowSurrogate(r.Text[k + 1].unicode()));
                    ++k;
                } else {
                    check(!QChar::isLowSurrogate(c));
                }
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzqt::StartApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TRtfReadStats stats;
    const TRtfDocument doc = ReadRtf(bytes, &stats);
    check(stats.Steps <= 4 * int64_t(size) + 8);
    checkSound(doc);
    (void)RtfPlainText(doc);

    // Reader -> writer -> reader gives the same document.
    const QString written = WriteRtf(doc);
    check(ReadRtf(QStringView(written)) == doc);

    // Through the text document: what it holds writes and reads back the same.
    QTextDocument text;
    text.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    FillTextDocument(doc, text);
    const TRtfDocument held = RtfFromTextDocument(text);
    checkSound(held);
    QTextDocument again;
    again.setDefaultFont(text.defaultFont());
    RtfToTextDocument(QStringView(TextDocumentToRtf(text)), again);
    check(RtfFromTextDocument(again) == held);
    return 0;
}
