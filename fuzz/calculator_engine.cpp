// The calculator's engine fed any sequence of keypad clicks, characters typed into the closed edit
// or on the open keypad, texts written straight into the display, openings, selections and value
// writes, under a "." or a "," decimal separator, with or without thousand separators. Nothing but
// the conversion error naming the display as it stands may leave it, and every key that computes
// (operations, result, percent, clear, memory recall, square root, reciprocal) and every value write
// leaves a number or "Error". Typing may leave a number in the making (a lone "-").
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
    if (s == QLatin1String("Error")) return true;
    return dropdowns::TextToExtended(dropdowns::RemoveThousandSeparators(s), dropdowns::DecimalSeparator())
        .has_value();
}

bool computes(int tag) {
    return (tag >= 10 && tag <= 13) || (tag >= 16 && tag <= 18) || tag == 30 || tag == 32 || tag == 34 || tag == 37 ||
           tag == 38;
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
    // A precision of -1 writes values in "%g"; the money edit's grouping does not take its exponent form.
    t.SetPrecision((flags & 4) ? 2 : ((flags & 2) ? int(flags >> 5) : int(flags >> 5) - 1));
    t.MaxLength = (flags & 8) ? 8 : 0;
    dropdowns::TCalculatorEngine e(t);
    size_t i = 1;
    auto next = [&]() -> uint8_t { return i < size ? data[i++] : 0; };
    while (i < size) {
        const uint8_t op = next();
        try {
            switch (op % 9) {
                case 0: {
                    const int tag = kTags[next() % std::size(kTags)];
                    e.ButtonClick(tag);
                    if (computes(tag) && !displayIsNumber(t)) __builtin_trap();
                    break;
                }
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
                    break;
                }
                case 4:
                    e.Opened();
                    break;
                case 5:
                    if (next() & 1) {
                        e.OpenKeypadBackspace();
                    } else {
                        const bool wasError = e.DisplayIsError();
                        uint16_t key = plat::VK_DELETE;
                        t.KeyDown(key, {});
                        e.DeleteDone(wasError);
                    }
                    break;
                case 6: {
                    const int a = next(), b = next();
                    t.Select(a % 12, b % 12);
                    break;
                }
                case 7:
                    if (next() & 1) {
                        e.Value();
                    } else {
                        e.SetValue((long double)(int8_t(next())) * 12.345L);
                        if (!displayIsNumber(t)) __builtin_trap();
                    }
                    break;
                case 8:
                    t.SelectAll();
                    break;
            }
        } catch (const EConvertError& err) {
            const QString expected = QStringLiteral("'%1' is not a valid floating point value")
                                         .arg(dropdowns::RemoveThousandSeparators(t.Text()));
            if (err.message() != expected) __builtin_trap();
            continue;
        }
    }
    plat::setFormatSettingsOverride(std::nullopt);
    return 0;
}
