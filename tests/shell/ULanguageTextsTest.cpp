// The built-in English texts: the table's size, which entries carry text, and exact samples.
#include "shell/ULanguage.h"

#include <QCryptographicHash>
#include <gtest/gtest.h>

namespace {

TEST(BuiltInTexts, TableHas5300EntriesOfWhich2978CarryText) {
    Text_Table = QStringList{QStringLiteral("stale")};
    Load_Default_Language();
    ASSERT_EQ(Text_Table.size(), kTextTableSize);
    ASSERT_EQ(kTextTableSize, 5300);
    EXPECT_EQ(g_LngIndexLimit, 5100);
    int blanks = 0;
    int other = 0;
    for (const QString& s : Text_Table) {
        if (s == QStringLiteral(" ")) ++blanks;
        else if (!s.trimmed().isEmpty()) ++other;
    }
    EXPECT_EQ(blanks, 2322);
    EXPECT_EQ(other, 2978);  // no entry is empty or blanks only except the single-blank ones
}

TEST(BuiltInTexts, BlanksPerRangeMatchTheListing) {
    Load_Default_Language();
    struct Range { int from, to, withText; } const ranges[] = {{0, 1799, 1013}, {1800, 3899, 1052}, {3900, 5299, 913}};
    for (const auto& r : ranges) {
        int n = 0;
        for (int i = r.from; i <= r.to; ++i)
            if (Text_Table[i] != QStringLiteral(" ")) ++n;
        EXPECT_EQ(n, r.withText) << r.from << "-" << r.to;
    }
}

TEST(BuiltInTexts, SampleEntriesAreExactToTheCharacter) {
    Load_Default_Language();
    struct Case { int entry; const char16_t* text; const char* why; } const cases[] = {
        {0, u"Begin", "first entry"},
        {9, u"None Configuration Opened ", "trailing blank kept"},
        {11, u"Opened Configuration of the Converter : ", "trailing blank after a colon"},
        {306, u" / ", "blanks at both ends"},
        {2923, u" Byte = ", "blanks at both ends around an equals sign"},
        {4087, u" and ", "joining word with blanks at both ends"},
        {877, u"Error!! The Dimension must be \"Variable Length\" if is selected the \"String\" in BACnet Data Type ",
         "inner quotes and a trailing blank"},
        {1726, u"Description for the M-Bus meter (defined in the section \u201CM-Bus\u201D)", "curly quotes"},
        {3979, u"!! [SNMP Write] Descrtiption is not correct (allowed characters are \"a\"..\"z\", \"A\"..\"Z\" "
               u"and \"0\"..\"9\"). First character must be a letter and must be lowercase",
         "longest entry"},
        {5099, u" ", "last entry a language file may change, unlisted"},
        {5100, u"5. Wi-Fi", "first entry no language file may change"},
        {5247, u"Insert the CA Certificate for the Client", "last entry with text"},
        {5248, u" ", "first unlisted entry after the last text"},
        {5299, u" ", "last entry of the table"},
        {1, u"Step 1", "neighbour of the first entry"},
        {73, u" ", "gap after the main window's block"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Text_Table[c.entry], QString::fromUtf16(c.text)) << c.entry << ": " << c.why;
}

TEST(BuiltInTexts, WholeTableMatchesTheListingDigest) {
    // SHA-256 of all 5300 entries joined by LF, as UTF-8, computed independently from the listing.
    Load_Default_Language();
    const QByteArray digest =
        QCryptographicHash::hash(Text_Table.join(u'\n').toUtf8(), QCryptographicHash::Sha256).toHex();
    EXPECT_EQ(digest, QByteArray("4edc3d4d493f37755c807a04642fdcdba1a643e91a9911b41e0324f837f9a9fb"));
}

TEST(BuiltInTexts, ReloadRestoresTextsChangedInTheTable) {
    Load_Default_Language();
    Text_Table[9] = QStringLiteral("changed");
    Text_Table[5200] = QStringLiteral("changed");
    Load_Default_Language();
    EXPECT_EQ(Text_Table[9], QStringLiteral("None Configuration Opened "));
    EXPECT_EQ(Text_Table[5200], QStringLiteral("Error WiFi!! DHCP First IP Address 2 must be between 0 and 255"));
    EXPECT_EQ(Text_Table.size(), kTextTableSize);
}

}  // namespace
