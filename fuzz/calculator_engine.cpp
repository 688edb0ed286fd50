// The calculator's engine fed any sequence of keypad clicks, characters typed into the closed edit
// or on the open keypad, texts written straight into the display, openings, selections and value
// writes, under a "." or a "," decimal separator, with or without thousand separators. Only the
// conversion error of a display that is not a number may leave it, and only while the program put
// such a text there; otherwise after every step the display is a number, "Error" or empty.
#include <QString>
#include <cstddef>
#include <cstdint>

#include "controls/ExUtil.h"
#include "dropdowns/DovUzerAdev.h"
#include "dropdowns/ExCalculatorEngine.h"
#include "platform/FormatSettings.h"

namespace {

struct Host final : dropdowns::IDropDownTextHost {
    QString clipboard;
    void TextChanged(bool) override {}
    QString ClipboardText() const override { return clipboard; }
    void SetClipboardText(const QString& Text) override { clipboard = Text; }
};

const int kTags[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
                     16, 17, 18, 30, 31, 32, 33, 34, 35, 36, 37, 38, -1, 19, 99};
const char16_t kChars[] = {u'0', u'1', u'5', u'9', u'.', u',', u'-', u'+', u'*', u'/', u'%', u'=', u'C',
                           u'c', u'e', u'E', u' ', u'a', 8,    13,   27,   0x00B2, 0x0664, u'x'};

bool displayIsNumber(const dropdowns::TDropDownText& t) {
    const QString s = t.Text();
    if (s.isEmpty() || s == QLatin1String("Error")) return true;
    return dropdowns::TextToExtended(dropdowns::RemoveThousandSeparators(s), dropdowns::DecimalSeparator())
        .has_value();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t flags = data[0];
    plat::FormatSettings fs;
    if (flags & 1) {
        fs.decimalSeparator = u',';
        fs.thousandSeparator = u'.';
    }
    plat::setFormatSettingsOverride(fs);
    Host host;
    dropdowns::TDropDownText t(host);
    t.SetEditType((flags & 2) ? dropdowns::etMoney : dropdowns::etFloat);
    t.SetPrecision((flags & 4) ? 2 : int(flags >> 5) - 1);
    t.MaxLength = (flags & 8) ? 8 : 0;
    dropdowns::TCalculatorEngine e(t);
    bool programText = false;  // the display holds a text the program wrote that is no number
    size_t i = 1;
    auto next = [&]() -> uint8_t { return i < size ? data[i++] : 0; };
    while (i < size) {
        const uint8_t op = next();
        try {
            switch (op % 9) {
                case 0:
                    e.ButtonClick(kTags[next() % std::size(kTags)]);
                    break;
                case 1:
                    e.TypeChar(QChar(kChars[next() % std::size(kChars)]), true);
                    break;
                case 2: {
                    // On the open keypad: the edit's rules first, then the keypad's.
                    const QChar c(kChars[next() % std::size(kChars)]);
                    e.TypeChar(c, false);
                    e.OpenKeypadChar(c);
                    break;
                }
                case 3: {
                    const uint8_t n = next() % 6;
                    QString s;
                    for (uint8_t j = 0; j < n; ++j) s += QChar(kChars[next() % std::size(kChars)]);
                    t.SetTextDirect(s);
                    programText = !displayIsNumber(t);
                    break;
                }
                case 4:
                    e.Opened();
                    break;
                case 5:
                    if (next() & 1) {
                        e.OpenKeypadBackspace();
                    } else {
                        uint16_t key = plat::VK_DELETE;
                        t.KeyDown(key, {});
                        e.DeleteDone();
                    }
                    break;
                case 6: {
                    const int a = next(), b = next();
                    t.Select(a % 12, b % 12);
                    break;
                }
                case 7:
                    if (next() & 1)
                        e.Value();
                    else
                        e.SetValue((long double)(int8_t(next())) * 12.345L);
                    break;
                case 8:
                    t.SelectAll();
                    break;
            }
        } catch (const EConvertError& err) {
            const QString expected = QStringLiteral("'%1' is not a valid floating point value")
                                         .arg(dropdowns::RemoveThousandSeparators(t.Text()));
            if (!programText || err.message() != expected) __builtin_trap();
            continue;
        }
        if (displayIsNumber(t))
            programText = false;
        else if (!programText)
            __builtin_trap();
    }
    plat::setFormatSettingsOverride(std::nullopt);
    return 0;
}
