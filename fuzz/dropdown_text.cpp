// The drop-down edit's text rules fed any sequence of typed characters, keys, pastes, cuts,
// copies, selections, value writes and focus losses, for every edit type and settings byte, under
// a "." or a "," decimal separator. Never crashes; the selection always lies inside the text.
#include <QString>
#include <cstddef>
#include <cstdint>

#include "dropdowns/DropDownText.h"
#include "platform/FormatSettings.h"

namespace {

struct Host final : dropdowns::IDropDownTextHost {
    QString clipboard;
    bool dropped = false;
    void TextChanged(bool) override {}
    QString ClipboardText() const override { return clipboard; }
    void SetClipboardText(const QString& Text) override { clipboard = Text; }
    bool DroppedDown() const override { return dropped; }
    void ShowDropDown() override { dropped = true; }
    void HideDropDown(bool) override { dropped = false; }
};

// Characters worth typing into number and text edits, control characters included.
const char16_t kChars[] = {u'0', u'1', u'5', u'9', u'.', u',', u'-', u';', u'a', u'F', u'g', u'Z',
                           u' ', u'%', u'$', 8,    13,   27,   3,    22,   24,   10,   9,    0xE4};
const uint16_t kKeys[] = {
    plat::VK_LEFT,   plat::VK_RIGHT, plat::VK_HOME, plat::VK_END,  plat::VK_DELETE, plat::VK_BACK, plat::VK_RETURN,
    plat::VK_ESCAPE, plat::VK_F4,    plat::VK_UP,   plat::VK_DOWN, plat::VK_TAB,    'A',           '1'};

void check(const dropdowns::TDropDownText& t) {
    const int n = int(t.Display().size());
    if (t.SelStart() < 0 || t.SelLength() < 0 || t.SelStart() + t.SelLength() > n) __builtin_trap();
    if (t.CaretPos() < 0 || t.CaretPos() > n) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint8_t type = data[0], flags = data[1];
    plat::FormatSettings fs;
    if (flags & 1) {
        fs.decimalSeparator = u',';
        fs.thousandSeparator = u'.';
    }
    plat::setFormatSettingsOverride(fs);
    Host host;
    dropdowns::TDropDownText t(host);
    t.Signed = flags & 2;
    if (flags & 4) t.Prefix = QStringLiteral("$");
    if (flags & 8) t.Suffix = QStringLiteral("%");
    t.EditorEnabled = !(flags & 16);
    t.LengthLimit = (flags & 32) ? 4 : 0;
    t.MaxLength = (flags & 64) ? 12 : 0;
    t.ExcelStyleDecimalSeparator = flags & 128;
    t.ValidChars = QStringLiteral("0123abc");
    t.SetEditType(dropdowns::TDropDownEditType(type % 12));
    t.SetPrecision(int(type / 12 % 5) - 1);
    check(t);
    size_t i = 2;
    auto next = [&]() -> uint8_t { return i < size ? data[i++] : 0; };
    while (i < size) {
        const uint8_t op = next();
        switch (op % 9) {
            case 0: {
                const uint8_t c = next();
                t.Char(QChar(kChars[c % std::size(kChars)]), c & 0x80, c & 0x40);
                break;
            }
            case 1: {
                const uint8_t k = next();
                uint16_t key = kKeys[k % std::size(kKeys)];
                plat::TShiftState shift;
                if (k & 0x80) shift.include(plat::ssShift);
                if (k & 0x40) shift.include(plat::ssCtrl);
                if (k & 0x20) shift.include(plat::ssAlt);
                t.KeyDown(key, shift);
                break;
            }
            case 2: {
                const uint8_t n = next() % 8;
                host.clipboard.clear();
                for (uint8_t j = 0; j < n; ++j) host.clipboard += QChar(kChars[next() % std::size(kChars)]);
                t.Paste();
                break;
            }
            case 3:
                t.Cut();
                break;
            case 4:
                t.Copy();
                break;
            case 5:
                t.FocusLost();
                break;
            case 6: {
                const int a = next(), b = next();
                t.Select(a % 40 - 5, b % 40 - 5);
                break;
            }
            case 7:
                t.SetFloatValue(double(int8_t(next())) * 1234.567);
                break;
            case 8:
                t.SelectAll();
                break;
        }
        check(t);
    }
    plat::setFormatSettingsOverride(std::nullopt);
    return 0;
}
