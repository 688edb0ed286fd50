// The time picker's text fed any sequence of typed characters, keys, pastes, selections and
// switches between the formats with and without seconds, under a ":" or a "." time separator: the
// text goes through the edit mask and every change is parsed as the drop-down parses it. Never an
// exception; the text keeps the mask's length and every time taken from it is a time of day.
#include <QString>
#include <cstddef>
#include <cstdint>

#include "controls/ExUtil.h"
#include "dropdowns/DropDownText.h"
#include "dropdowns/TimeText.h"
#include "platform/FormatSettings.h"

namespace {

struct Host final : dropdowns::IDropDownTextHost {
    QString clipboard;
    dropdowns::TDropDownText* text = nullptr;
    bool seconds = true;
    QChar sep = u':';
    double time = 0;
    void TextChanged(bool) override {
        if (!text) return;
        const std::optional<dropdowns::TTimeFields> f = dropdowns::ParseTimeText(text->Text(), seconds, sep);
        if (!f) return;
        // Raises for a field out of range: the parse must never hand one on.
        time = EncodeTime(f->Hour, f->Minute, f->Second, 0);
        if (!(time >= 0 && time < 1)) __builtin_trap();
    }
    QString ClipboardText() const override { return clipboard; }
    void SetClipboardText(const QString& Text) override { clipboard = Text; }
};

const char16_t kChars[] = {u'0', u'1', u'2', u'3', u'5', u'6', u'9', u':', u'.', u' ', u'a', u'-', 8, 13, 27, 0xE4};
const uint16_t kKeys[] = {plat::VK_LEFT,  plat::VK_RIGHT,  plat::VK_HOME, plat::VK_END,
                          plat::VK_DELETE, plat::VK_BACK,   plat::VK_UP,   plat::VK_DOWN};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    Host host;
    host.sep = (data[0] & 1) ? u'.' : u':';
    host.seconds = !(data[0] & 2);
    plat::FormatSettings fs;
    fs.timeSeparator = host.sep;
    plat::setFormatSettingsOverride(fs);
    dropdowns::TDropDownText t(host);
    host.text = &t;
    t.SetEditMask(dropdowns::TimeEditMask(host.seconds, host.sep));
    t.SetTextDirect(dropdowns::FormatTimeText(0, 0, 0, host.seconds, host.sep));
    auto check = [&] {
        if (t.Display().size() != (host.seconds ? 8 : 5)) __builtin_trap();
        const int n = int(t.Display().size());
        if (t.SelStart() < 0 || t.SelStart() + t.SelLength() > n || t.CaretPos() > n) __builtin_trap();
    };
    check();
    size_t i = 1;
    auto next = [&]() -> uint8_t { return i < size ? data[i++] : 0; };
    while (i < size) {
        const uint8_t op = next();
        switch (op % 6) {
            case 0:
                t.Char(QChar(kChars[next() % std::size(kChars)]), false);
                break;
            case 1: {
                uint16_t key = kKeys[next() % std::size(kKeys)];
                t.KeyDown(key, {});
                break;
            }
            case 2: {
                const uint8_t n = next() % 10;
                host.clipboard.clear();
                for (uint8_t j = 0; j < n; ++j) host.clipboard += QChar(kChars[next() % std::size(kChars)]);
                t.Paste();
                break;
            }
            case 3: {
                const int a = next(), b = next();
                t.Select(a % 12 - 2, b % 12 - 2);
                break;
            }
            case 4: {
                // A text written from outside, as a pasted or programmed value.
                const uint8_t n = next() % 10;
                QString s;
                for (uint8_t j = 0; j < n; ++j) s += QChar(kChars[next() % std::size(kChars)]);
                t.SetTextDirect(s);
                break;
            }
            case 5:
                // The other format, as switching the seconds does.
                host.seconds = !host.seconds;
                t.SetEditMask(QString());
                t.SetText(QString());
                t.SetEditMask(dropdowns::TimeEditMask(host.seconds, host.sep));
                break;
        }
        check();
    }
    plat::setFormatSettingsOverride(std::nullopt);
    return 0;
}
