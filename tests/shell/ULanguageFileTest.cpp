// Language files: the line grammar, encodings and line ends, the bound of changeable entries, and
// the choice of file with its fallback to English.
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

namespace {

using Changes = std::map<int, QString>;

QStringList defaults() {
    Load_Default_Language();
    return Text_Table;
}

void write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

class LanguageFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.path() + QStringLiteral("/Test.lng"); }

    // Loads the built-ins, applies `bytes` as a language file and checks every entry.
    void check(const QByteArray& bytes, const Changes& changes, const std::string& what) {
        QStringList expected = defaults();
        for (const auto& [n, t] : changes) expected[n] = t;
        write(path(), bytes);
        Load_Default_Language();
        ASSERT_TRUE(Load_Language_File(path())) << what;
        ASSERT_EQ(Text_Table.size(), kTextTableSize) << what;
        for (int i = 0; i < kTextTableSize; ++i)
            ASSERT_EQ(Text_Table[i], expected[i]) << what << ": entry " << i;
    }
};

QString u(const char16_t* s) { return QString::fromUtf16(s); }

TEST_F(LanguageFile, LineGrammar) {
    // Lines are Windows-1252 here (no byte-order mark); 0xB6 is the pilcrow.
    struct Case { const char* line; Changes changes; const char* why; } const cases[] = {
        {"STR0009 = Nessuna configurazione", {{9, u(u"Nessuna configurazione")}}, "text after '=' trimmed"},
        {"STR0009 = \xB6Nessuna configurazione \xB6", {{9, u(u"Nessuna configurazione ")}},
         "pilcrows keep the trailing blank"},
        {"STR0009 = Nessuna /#/ nota", {{9, u(u"Nessuna")}}, "comment cut off and the rest trimmed"},
        {"STR0009 = /#/ nota", {}, "only a comment: ignored"},
        {"STR0009 = \xB6\xB6", {{9, QString()}}, "two pilcrows give an empty text"},
        {"STR09=Nessuna", {{0, u(u"Nessuna")}}, "the character before '=' is not part of the number"},
        {"str0009 = Nessuna", {}, "lower-case prefix ignored"},
        {"STR5100 = Nessuna", {}, "first entry beyond the bound ignored"},
        {"STR5099 = Ultima", {{5099, u(u"Ultima")}}, "last changeable entry"},
        {"STR0000 = Inizio", {{0, u(u"Inizio")}}, "entry zero"},
        {"STR-001 = Nessuna", {}, "negative number ignored"},
        {"STR0009 = \xB6   \xB6", {{9, u(u"   ")}}, "pilcrow, three blanks, pilcrow: three blanks"},
        {"STR 9 =", {}, "nothing after '=' is ignored"},
        {"STR0009 =    \t  ", {}, "only blanks after '=' is ignored"},
        {"STR 9 = Nove", {{9, u(u"Nove")}}, "blanks around the number are removed"},
        {" \t STR0009 = Nove \t ", {{9, u(u"Nove")}}, "padding of the line removed first"},
        {"\x01STR0009 = Nove\x1F", {{9, u(u"Nove")}}, "control characters count as padding"},
        {"X STR0009 = Nove", {}, "prefix not at the first character"},
        {"STR0009 Nove", {}, "no '='"},
        {"STR9=Nove", {}, "no room for a number before the extra character"},
        {"STRab = Nove", {}, "number not an integer"},
        {"STR$A = Nove", {}, "the number is decimal only"},
        {"STR0x9 = Nove", {}, "no hexadecimal prefix either"},
        {"STR99999999999 = Nove", {}, "number overflows"},
        {"STR0009 = a = b", {{9, u(u"a = b")}}, "only the first '=' separates"},
        {"STR0009 = \xB6  aperto", {{9, u(u"  aperto")}}, "leading pilcrow without a closing one"},
        {"STR0009 = prima\xB6" "dopo", {{9, u(u"prima")}}, "a pilcrow inside ends the text"},
        {"STR0009 = \xB6 a /#/ b \xB6", {{9, u(u" a")}}, "comment cut before the pilcrows are read"},
        {"STR0009 = \xB6 /#/ nota", {{9, QString()}}, "a lone pilcrow before a comment gives an empty text"},
        {"STR0009 = Uno\nSTR0009 = Due", {{9, u(u"Due")}}, "the later line for an entry wins"},
        {"STR0009 = Uno\nSTR0009 = \nSTR0009 = /#/", {{9, u(u"Uno")}}, "ignored later lines do not undo"},
        {"", {}, "empty file"},
        {"\n\r\n\r", {}, "only line ends"},
    };
    for (const auto& c : cases) check(QByteArray(c.line), c.changes, c.why);
}

TEST_F(LanguageFile, EncodingsAndLineEnds) {
    struct Case { QByteArray bytes; Changes changes; const char* why; } const cases[] = {
        {"\xEF\xBB\xBFSTR0009 = caff\xC3\xA8", {{9, u(u"caff\u00E8")}}, "UTF-8 with a byte-order mark"},
        {"STR0009 = caff\xE8", {{9, u(u"caff\u00E8")}}, "no byte-order mark: Windows-1252"},
        {"STR0009 = caff\xC3\xA8", {{9, u(u"caff\u00C3\u00A8")}}, "UTF-8 bytes without a mark are not UTF-8"},
        {"STR0009 = 5 \x80", {{9, u(u"5 \u20AC")}}, "Windows-1252 high range"},
        {"\xEF\xBB\xBFSTR0009 = \xC2\xB6 a \xC2\xB6", {{9, u(u" a ")}}, "UTF-8 pilcrows"},
        {QByteArray("\xFF\xFES\0T\0R\0" "9\0" "9\0 \0=\0 \0\xAC\x20", 20), {{99, u(u"\u20AC")}},
         "UTF-16 little-endian with a mark"},
        {"\xEF\xBB\xBF", {}, "mark only"},
        {"STR0001 = \xB6uno \xB6\rSTR0002 = due\nSTR0003 = tre\r\nSTR0004 = quattro",
         {{1, u(u"uno ")}, {2, u(u"due")}, {3, u(u"tre")}, {4, u(u"quattro")}},
         "lines end at CR, LF or CR LF; the last needs no end"},
        {"STR0001 = a\r\r\nSTR0002 = b\n\rSTR0003 = c\r\n", {{1, u(u"a")}, {2, u(u"b")}, {3, u(u"c")}},
         "mixed and doubled line ends"},
        {"STR0001 = a\rSTR0001 = b", {{1, u(u"b")}}, "a lone CR splits two lines for one entry"},
    };
    for (const auto& c : cases) check(c.bytes, c.changes, c.why);
}

TEST_F(LanguageFile, EntriesFrom5100NeverChange) {
    QByteArray bytes;
    Changes changes;
    for (int n = 0; n < kTextTableSize + 5; ++n) {
        bytes += "STR" + QByteArray::number(n).rightJustified(4, '0') + " = T" + QByteArray::number(n) + "\r\n";
        if (n < g_LngIndexLimit) changes[n] = QStringLiteral("T%1").arg(n);
    }
    check(bytes, changes, "every number named");
}

TEST_F(LanguageFile, MissingFileLeavesTheTable) {
    Load_Default_Language();
    const QStringList before = Text_Table;
    EXPECT_FALSE(Load_Language_File(dir.path() + QStringLiteral("/Nowhere.lng")));
    EXPECT_FALSE(Load_Language_File(dir.path()));  // a folder is not a language file
    EXPECT_EQ(Text_Table, before);
}

TEST_F(LanguageFile, FileAppliedBeforeTheBuiltInsTouchesNothing) {
    // The table is created empty; a file read before the built-ins must not write past its end.
    write(path(), "STR0000 = Inizio\nSTR0009 = Nove");
    Text_Table.clear();
    EXPECT_TRUE(Load_Language_File(path()));
    EXPECT_TRUE(Text_Table.isEmpty());
    Text_Table = QStringList(10, QStringLiteral(" "));
    EXPECT_TRUE(Load_Language_File(path()));
    EXPECT_EQ(Text_Table.size(), 10);
    EXPECT_EQ(Text_Table[0], QStringLiteral("Inizio"));
    EXPECT_EQ(Text_Table[9], QStringLiteral("Nove"));
}

// Load_Language: the chosen language, the fallback to English, and the rebuild on every switch.
class LanguageSwitch : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString savedPath = g_LanguagePath;
    QString savedName = g_LanguageName;
    void SetUp() override { g_LanguagePath = dir.path(); }
    void TearDown() override {
        g_LanguagePath = savedPath;
        g_LanguageName = savedName;
        Load_Default_Language();
    }
    QString file(const char* name) const { return dir.path() + u'/' + QString::fromLatin1(name); }
};

TEST_F(LanguageSwitch, ChoiceAndFallback) {
    const QString english9 = defaults()[9];
    struct Case {
        bool italiano, english;
        QString entry9, nameAfter;
        const char* why;
    } const cases[] = {
        {true, true, QStringLiteral("Italiano"), QStringLiteral("Italiano"), "chosen file present"},
        {true, false, QStringLiteral("Italiano"), QStringLiteral("Italiano"), "chosen file present, no English file"},
        {false, true, QStringLiteral("English file"), QStringLiteral("English"), "missing file falls back to English.lng"},
        {false, false, english9, QStringLiteral("English"), "neither file: built-in texts"},
    };
    for (const auto& c : cases) {
        QFile::remove(file("Italiano.lng"));
        QFile::remove(file("English.lng"));
        if (c.italiano) write(file("Italiano.lng"), "STR0009 = Italiano\nSTR0010 = Solo italiano");
        if (c.english) write(file("English.lng"), "STR0009 = English file");
        Load_Default_Language();
        Text_Table[10] = QStringLiteral("left over");
        g_LanguageName = QStringLiteral("Italiano");
        Load_Language();
        EXPECT_EQ(Text_Table.size(), kTextTableSize) << c.why;
        EXPECT_EQ(Text_Table[9], c.entry9) << c.why;
        EXPECT_EQ(Text_Table[10], c.italiano ? QStringLiteral("Solo italiano") : defaults()[10]) << c.why;
        EXPECT_EQ(g_LanguageName, c.nameAfter) << c.why;
    }
}

TEST_F(LanguageSwitch, SwitchingBackRestoresEnglishForEntriesTheFileDoesNotName) {
    write(file("Italiano.lng"), "STR0009 = Italiano\nSTR0011 = Aperta:");
    write(file("Deutsch.lng"), "STR0009 = Deutsch");
    g_LanguageName = QStringLiteral("Italiano");
    Load_Language();
    ASSERT_EQ(Text_Table[11], QStringLiteral("Aperta:"));
    g_LanguageName = QStringLiteral("Deutsch");
    Load_Language();
    EXPECT_EQ(Text_Table[9], QStringLiteral("Deutsch"));
    EXPECT_EQ(Text_Table[11], QStringLiteral("Opened Configuration of the Converter : "));
}

TEST_F(LanguageSwitch, UnreadableFileKeepsBuiltInTexts) {
    // The name exists as a file, yet reading it fails; even the superuser cannot read this one.
    ASSERT_TRUE(QFile::exists(QStringLiteral("/proc/self/mem")));
    ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/mem"), file("Italiano.lng")));
    write(file("English.lng"), "STR0009 = English file");
    g_LanguageName = QStringLiteral("Italiano");
    Load_Default_Language();
    Text_Table[9] = QStringLiteral("left over");
    Load_Language();
    EXPECT_EQ(Text_Table, defaults());
    EXPECT_EQ(g_LanguageName, QStringLiteral("Italiano"));  // the file exists: no fallback
}

}  // namespace
