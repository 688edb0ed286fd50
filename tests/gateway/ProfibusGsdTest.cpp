#include "gateway/UProfibus_GSD.h"

#include "tests/gateway/WriterTestSupport.h"

#include <QFile>
#include <gtest/gtest.h>

using writer_test::Dialogs;
using writer_test::Project;

namespace {

// The lines between the module section's opening and the slot list.
QStringList moduleLines(const QStringList& all) {
    const QString title = QStringLiteral(";==== Module-Definition-List ");
    const qsizetype head = all.indexOf(title + QString(79 - title.size(), u'='));
    const qsizetype slotList = all.indexOf(QStringLiteral("SlotDefinition"));
    if (head < 0 || slotList < 0) return {QStringLiteral("<sections missing>")};
    QStringList out = all.mid(head + 3, slotList - head - 3);  // after the closing ruler and the blank
    while (!out.isEmpty() && out.last().isEmpty()) out.removeLast();
    return out;
}

QStringList slotLines(const QStringList& all) {
    const qsizetype a = all.indexOf(QStringLiteral("SlotDefinition"));
    const qsizetype b = all.indexOf(QStringLiteral("EndSlotDefinition"));
    return (a < 0 || b < a) ? QStringList{QStringLiteral("<slotList missing>")} : all.mid(a + 1, b - a - 1);
}

QString lineStarting(const QStringList& all, const QString& key) {
    for (const QString& l : all)
        if (l.startsWith(key)) return l;
    return {};
}

}  // namespace

TEST(GsdModules, OneModuleEvery64BytesWithTheRestInTheLast) {
    const struct {
        const char* why;
        int in, out;
        std::vector<std::pair<int, const char*>> expect;  // module lines at these positions of the section
        int modules;
    } cases[] = {
        {"no data, no modules", 0, 0, {}, 0},
        {"64 bytes fill one module", 64, 0, {{0, "Module=\"DI  (PORT1)    \" 0x42,0x3F,0x00,0x01"}, {1, "1"}, {2, "EndModule"}}, 1},
        {"65 bytes spill one byte into a second", 65, 0,
         {{0, "Module=\"DI  (PORT1)    \" 0x42,0x3F,0x00,0x01"}, {3, "Module=\"DI  (PORT2)    \" 0x42,0x00,0x00,0x02"}}, 2},
        {"one output byte", 0, 1, {{0, "Module=\"DO  (PORT1)    \" 0x82,0x00,0x00,0x01"}}, 1},
        {"outputs numbered after the inputs", 100, 130,
         {{3, "Module=\"DI  (PORT2)    \" 0x42,0x23,0x00,0x02"},
          {6, "Module=\"DO  (PORT3)    \" 0x82,0x3F,0x00,0x03"},
          {12, "Module=\"DO  (PORT5)    \" 0x82,0x01,0x00,0x05"}}, 5},
        {"full areas", 1438, 1438,
         {{3 * 15, "Module=\"DI  (PORT16)    \" 0x42,0x3F,0x00,0x10"}, {3 * 15 + 1, "16"},
          {3 * 22, "Module=\"DI  (PORT23)    \" 0x42,0x1D,0x00,0x17"},
          {3 * 23, "Module=\"DO  (PORT24)    \" 0x82,0x3F,0x00,0x18"},
          {3 * 45, "Module=\"DO  (PORT46)    \" 0x82,0x1D,0x00,0x2E"}, {3 * 45 + 1, "46"}}, 46},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const QStringList all = Build_GSD_Lines(c.in, c.out);
        const QStringList mods = moduleLines(all);
        ASSERT_EQ(mods.size(), 3 * c.modules);
        for (int k = 0; k < c.modules; ++k) {
            EXPECT_EQ(mods[3 * k + 1], QString::number(k + 1));
            EXPECT_EQ(mods[3 * k + 2], QStringLiteral("EndModule"));
        }
        for (const auto& [at, text] : c.expect) EXPECT_EQ(mods.value(at), QString::fromLatin1(text)) << "line " << at;

        const QStringList slotList = slotLines(all);
        ASSERT_EQ(slotList.size(), c.modules);
        for (int f = 1; f <= c.modules; ++f)
            EXPECT_EQ(slotList[f - 1], QStringLiteral("Slot(%1) = \"Slot %1\" %1 %1").arg(f));

        EXPECT_EQ(lineStarting(all, QStringLiteral("Max_Module=")), QStringLiteral("Max_Module=%1").arg(c.modules));
        EXPECT_EQ(lineStarting(all, QStringLiteral("Max_Input_Len=")), QStringLiteral("Max_Input_Len=%1").arg(c.in));
        EXPECT_EQ(lineStarting(all, QStringLiteral("Max_Output_Len=")), QStringLiteral("Max_Output_Len=%1").arg(c.out));
        EXPECT_EQ(lineStarting(all, QStringLiteral("Max_Data_Len=")), QStringLiteral("Max_Data_Len=%1").arg(c.in + c.out));
    }
}

TEST(GsdLayout, HeaderRulersAndHeadingsHaveTheirWidths) {
    const QStringList all = Build_GSD_Lines(100, 100);
    ASSERT_GE(all.size(), 21);
    EXPECT_EQ(all[0], QStringLiteral(";"));
    for (int i = 1; i <= 20; ++i) {
        EXPECT_EQ(all[i].size(), 85) << "header line " << i << ": " << all[i].toStdString();
        EXPECT_TRUE(all[i].startsWith(u';'));
    }
    EXPECT_EQ(all[1], QStringLiteral(";***********************") + QStringLiteral(" PROFIBUS Slave / MQTT - Converter ") +
                          QString(26, u'*'));
    EXPECT_EQ(all[2], QStringLiteral(";* ") + QString(80, u'=') + QStringLiteral(" *"));
    EXPECT_EQ(all[20], u';' + QString(84, u'*'));
    EXPECT_EQ(all[14].trimmed(), QStringLiteral(";* Function:       PROFIBUS Slave / MQTT - Converter") + QString(32, u' ') + u'*');
    EXPECT_EQ(all.mid(21, 5), (QStringList{QString(), QString(), QStringLiteral("#Profibus_DP"), QString(), QString()}));

    const struct {
        const char* section;
        int width;
    } sections[] = {
        {"Prm-Text-Def-List", 85},  {"Ext-User-Prm-Data-Def-List", 86}, {"General DP Keywords", 86},
        {"Supported baudrates", 79}, {"Slave specific values", 79},     {"User-Prm-Data", 79},
        {"Modulstatus", 79},        {"Module-Definition-List", 79},
    };
    for (const auto& s : sections) {
        SCOPED_TRACE(s.section);
        const QString head = QStringLiteral(";==== %1 ").arg(QLatin1String(s.section));
        qsizetype at = -1;
        for (qsizetype i = 0; i < all.size(); ++i)
            if (all[i].startsWith(head)) at = i;
        ASSERT_GT(at, 0);
        const QString ruler = u';' + QString(s.width - 1, u'=');
        EXPECT_EQ(all[at - 1], ruler);
        EXPECT_EQ(all[at], head + QString(s.width - head.size(), u'='));
        EXPECT_EQ(all[at + 1], ruler);
        EXPECT_EQ(all[at + 2], QString());
    }
    // Four blank lines close the file.
    EXPECT_EQ(all.mid(all.size() - 5), (QStringList{QStringLiteral("EndSlotDefinition"), QString(), QString(), QString(), QString()}));
}

struct GsdSaveCase {
    const char* name;
    bool parGen;
    std::vector<std::pair<QString, QString>> elements;
    std::optional<QString> chosen;  // relative to the project folder
    bool targetExists;
    std::deque<plat::Answer> answers;
    QString target;                 // relative; empty: nothing may be written
    int in, out;
};

class GsdSave : public testing::TestWithParam<GsdSaveCase> {};

TEST_P(GsdSave, RefusesAsksAndWrites) {
    const GsdSaveCase& c = GetParam();
    Project project;
    Dialogs dialogs;
    QDir(project.path()).mkpath(QStringLiteral("lines.gsd"));
    if (c.parGen) project.writeParGen(c.elements);
    if (c.chosen) dialogs.chosen.push_back(project.file(*c.chosen));
    if (c.targetExists) testing_support::writeAll(project.file(c.target.isEmpty() ? *c.chosen : c.target), "old");
    dialogs.answers = c.answers;

    Save_GSD_File();

    if (!c.parGen) {
        EXPECT_EQ(dialogs.errors,
                  QStringList{QStringLiteral("Error! Please set the Set Communication Parameter before to create the GSD file")});
        EXPECT_TRUE(dialogs.saves.empty());
        return;
    }
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(u'|').toStdString();
    ASSERT_EQ(dialogs.saves.size(), 1u);
    EXPECT_EQ(dialogs.saves[0].folder, project.path());
    EXPECT_EQ(dialogs.saves[0].filter, QStringLiteral("Generic Station Description (*.gsd)"));
    EXPECT_EQ(dialogs.questions.size(), c.targetExists ? 1 : 0);
    if (c.targetExists) {
        EXPECT_EQ(dialogs.questions[0], QStringLiteral("File already exists! Do you want to overwrite the file?"));
    }
    if (c.target.isEmpty()) {
        if (c.targetExists) {
            EXPECT_EQ(testing_support::readAll(project.file(*c.chosen)), QByteArray("old"));
        }
        return;
    }
    const QByteArray bytes = testing_support::readAll(project.file(c.target));
    ASSERT_TRUE(bytes.startsWith(";\r\n;****")) << bytes.left(10).toStdString();
    EXPECT_TRUE(bytes.endsWith("EndSlotDefinition\r\n\r\n\r\n\r\n\r\n"));
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
    EXPECT_TRUE(bytes.contains(QStringLiteral("\r\nMax_Input_Len=%1\r\n").arg(c.in).toLatin1()));
    EXPECT_TRUE(bytes.contains(QStringLiteral("\r\nMax_Output_Len=%1\r\n").arg(c.out).toLatin1()));
}

namespace {
std::pair<QString, QString> el(const char* n, const char* v) { return {QString::fromLatin1(n), QString::fromLatin1(v)}; }
const std::vector<std::pair<QString, QString>> kSizes = {el("PROFINET_NB_IN", "10"), el("PROFINET_NB_OUT", "20")};
}  // namespace

INSTANTIATE_TEST_SUITE_P(
    Cases, GsdSave,
    testing::Values(
        GsdSaveCase{"NoParGenIsRefused", false, {}, QStringLiteral("x.gsd"), false, {}, QString(), 0, 0},
        GsdSaveCase{"CancelWritesNothing", true, kSizes, std::nullopt, false, {}, QString(), 0, 0},
        // The slave sends what the PROFINET side receives: In from NB_OUT, Out from NB_IN.
        GsdSaveCase{"ExtensionAdded", true, kSizes, QStringLiteral("line"), false, {}, QStringLiteral("line.gsd"), 20, 10},
        GsdSaveCase{"UpperCaseExtensionKept", true, kSizes, QStringLiteral("LINE.GSD"), false, {}, QStringLiteral("LINE.GSD"), 20, 10},
        GsdSaveCase{"OnlyTheEndingCounts", true, kSizes, QStringLiteral("lines.gsd/a.gsd"), false, {},
                    QStringLiteral("lines.gsd/a.gsd"), 20, 10},
        GsdSaveCase{"OtherExtensionGetsOneAdded", true, kSizes, QStringLiteral("a.gsdx"), false, {},
                    QStringLiteral("a.gsdx.gsd"), 20, 10},
        GsdSaveCase{"ExistingKeptOnNo", true, kSizes, QStringLiteral("a.gsd"), true, {plat::Answer::No}, QString(), 0, 0},
        GsdSaveCase{"ExistingReplacedOnYes", true, kSizes, QStringLiteral("a.gsd"), true, {plat::Answer::Yes},
                    QStringLiteral("a.gsd"), 20, 10},
        GsdSaveCase{"MissingElementsGiveZero", true, {el("PROFINET_PORT", "2000")}, QStringLiteral("a.gsd"), false, {},
                    QStringLiteral("a.gsd"), 0, 0},
        GsdSaveCase{"TextThatIsNoIntegerGivesZero", true, {el("PROFINET_NB_IN", "x"), el("PROFINET_NB_OUT", "")},
                    QStringLiteral("a.gsd"), false, {}, QStringLiteral("a.gsd"), 0, 0},
        GsdSaveCase{"HandEditedSizesAreBounded", true, {el("PROFINET_NB_IN", "-3"), el("PROFINET_NB_OUT", "100000")},
                    QStringLiteral("a.gsd"), false, {}, QStringLiteral("a.gsd"), 1438, 0}),
    [](const testing::TestParamInfo<GsdSaveCase>& i) { return std::string(i.param.name); });

TEST(GsdSaveFailure, IsReported) {
    Project project;
    Dialogs dialogs;
    project.writeParGen(kSizes);
    dialogs.chosen.push_back(project.file(QStringLiteral("gone/a.gsd")));
    Save_GSD_File();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains(project.file(QStringLiteral("gone/a.gsd")))) << dialogs.errors[0].toStdString();

    dialogs.errors.clear();
    testing_support::writeAll(g_ParGenFile, "<Par_Gen>");
    dialogs.chosen.push_back(project.file(QStringLiteral("a.gsd")));
    Save_GSD_File();
    EXPECT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.saves.size() == 1) << "no save dialog after an unreadable parameter file";
    EXPECT_FALSE(QFile::exists(project.file(QStringLiteral("a.gsd"))));
}
