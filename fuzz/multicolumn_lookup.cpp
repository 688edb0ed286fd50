// The multi-column drop-down's completion, Enter, Esc, stepping keys and incremental search fed
// arbitrary typed characters against arbitrary items (short items, empty texts, negative and large
// lookup columns). Never an exception; the selection stays inside the text and the chosen index
// below the item count.
#include <QApplication>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <memory>

#include "dropdowns/ExMultiColumnDropDown.h"
#include "platform/Keys.h"
#include "fuzz/QtFuzzApp.h"

namespace {

const char16_t kChars[] = {u'a', u'A', u'p', u'P', u'b', u'e', u'z', u' ', u'1', 0xDF, 8, 9, 13, 27};
const uint16_t kKeys[] = {
    plat::VK_UP,     plat::VK_DOWN,   plat::VK_PRIOR,  plat::VK_NEXT, plat::VK_HOME,  plat::VK_END, plat::VK_BACK,
    plat::VK_DELETE, plat::VK_RETURN, plat::VK_ESCAPE, plat::VK_LEFT, plat::VK_RIGHT, 'A',          'P'};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzqt::StartApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    std::unique_ptr<dropdowns::TExMultiColumnDropDown> d(
        dropdowns::TExCustomDropDown::CreateDropDown<dropdowns::TExMultiColumnDropDown>());
    size_t p = 0;
    const int items = data[p++] % 6;
    const int lookup = int(data[p++] % 8) - 2;
    for (int i = 0; i < items && p < size; ++i) {
        QStringList texts;
        const int n = data[p++] % 4;
        for (int c = 0; c < n && p < size; ++c) {
            QString t;
            const int len = p < size ? data[p++] % 6 : 0;
            for (int k = 0; k < len && p < size; ++k) t += QChar(kChars[data[p++] % std::size(kChars)]);
            texts << t;
        }
        d->Items().Add().SetText(texts);
    }
    d->SetLookupColumn(lookup);
    d->EndUpdate();
    if (p < size) d->MatchCase = data[p] & 1, d->CaseSensitive = data[p] & 2, d->ReturnIsTab = data[p++] & 4;
    while (p + 1 < size) {
        const uint8_t op = data[p++] % 5, arg = data[p++];
        switch (op) {
            case 0: {
                QChar c(kChars[arg % std::size(kChars)]);
                d->KeyPress(c);
                break;
            }
            case 1: {
                uint16_t k = kKeys[arg % std::size(kKeys)];
                const uint16_t up = k;
                d->KeyDown(k, {});
                uint16_t u = up;
                d->KeyUp(u, {});
                break;
            }
            case 2:
                d->LookupKey(QChar(kChars[arg % std::size(kChars)]), {});
                break;
            case 3:
                d->SetItemIndex(int(arg % 10) - 2);
                break;
            case 4:
                d->TextRules().Select(arg % 16, (arg / 16) % 16);
                break;
        }
        const dropdowns::TDropDownText& t = d->TextRules();
        if (t.SelStart() < 0 || t.SelStart() + t.SelLength() > t.Display().size()) std::abort();
        if (d->ItemIndex() >= d->Items().Count()) std::abort();
    }
    return 0;
}
