#include "shell/ULanguage.h"

#include "platform/Files.h"
#include "platform/IntConv.h"
#include "shell/UComon.h"
#include "shell/ULanguageTexts.h"

#include <QStringView>
#include <string>

namespace {

constexpr char16_t kPilcrow = u'\u00B6';

// Blanks, tabs and every other control character count as padding of a language line.
bool isPadding(QChar c) { return c.unicode() <= 32; }

QStringView trimmed(QStringView s) {
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && isPadding(s[b])) ++b;
    while (e > b && isPadding(s[e - 1])) --e;
    return s.sliced(b, e - b);
}

// Applies one line of a language file to the table; lines outside the grammar change nothing.
void applyLine(QStringView line) {
    const QStringView l = trimmed(line);
    if (!l.startsWith(u"STR")) return;
    const qsizetype eq = l.indexOf(u'=');
    if (eq < 0) return;
    // "STR", the number, one more character (normally a blank), then "=": the character directly
    // before "=" is never part of the number.
    const qsizetype numberLength = eq - 4;
    if (numberLength <= 0) return;
    // The entry number is decimal only: "STR$A" names no entry.
    const QStringView numberText = trimmed(l.sliced(3, numberLength));
    if (numberText.contains(u'$') || numberText.contains(u'x') || numberText.contains(u'X')) return;
    const auto number = plat::tryStrToInt(numberText);
    if (!number) return;
    // Entries from the bound on always keep their built-in text.
    if (*number < 0 || *number >= g_LngIndexLimit || *number >= Text_Table.size()) return;

    QStringView t = trimmed(l.sliced(eq + 1));
    if (t.isEmpty()) return;
    const qsizetype comment = t.indexOf(u"/#/");
    if (comment >= 0) {
        t = trimmed(t.first(comment));
        if (t.isEmpty()) return;
    }
    // A leading pilcrow opens a text whose blanks at the ends count; the next pilcrow closes it.
    if (t.startsWith(kPilcrow)) t = t.sliced(1);
    const qsizetype close = t.indexOf(kPilcrow);
    if (close >= 0) t = t.first(close);
    Text_Table[*number] = t.toString();
}

}  // namespace

void Load_Default_Language() {
    using namespace ulanguage_detail;
    const QString blank = QStringLiteral(" ");
    Text_Table.clear();
    Text_Table.reserve(kTextTableSize);
    std::size_t next = 0;
    for (int n = 0; n < kTextTableSize; ++n) {
        if (next < kBuiltInTextCount && kBuiltInTexts[next].number == n) {
            const char16_t* text = kBuiltInTexts[next].text;
            // The literals live for the whole run, so the strings can point at them.
            Text_Table.append(QString::fromRawData(reinterpret_cast<const QChar*>(text),
                                                   static_cast<qsizetype>(std::char_traits<char16_t>::length(text))));
            ++next;
        } else {
            Text_Table.append(blank);
        }
    }
}

bool Load_Language_File(const QString& path) {
    const auto bytes = plat::readFile(path);
    if (!bytes) return false;
    const QString text = plat::decodeText(*bytes);
    const QStringView all(text);
    qsizetype start = 0;
    while (start < all.size()) {
        qsizetype end = start;
        while (end < all.size() && all[end] != u'\r' && all[end] != u'\n') ++end;
        applyLine(all.sliced(start, end - start));
        if (end < all.size() && all[end] == u'\r' && end + 1 < all.size() && all[end + 1] == u'\n') ++end;
        start = end + 1;
    }
    return true;
}

void Load_Language() {
    Load_Default_Language();
    const QString chosen = g_LanguagePath + u'/' + g_LanguageName + QStringLiteral(".lng");
    if (plat::fileExists(chosen)) {
        // A file that cannot be read leaves the built-in texts; start-up goes on.
        Load_Language_File(chosen);
        return;
    }
    g_LanguageName = QStringLiteral("English");
    const QString english = g_LanguagePath + QStringLiteral("/English.lng");
    if (plat::fileExists(english)) Load_Language_File(english);
}
