// The BACnet server windows and the EDE step among the program's windows: created and relabelled
// after the SNMP manager list, the object list shown by its hidden step, the EDE file written by
// its step with the name rule and the overwrite question.
#include "app/UVelmarineFirmWare.h"
#include "building/UBACnetAccess.h"
#include "building/UBACnetSlaveSetAccess.h"
#include "building/UBACnet_EDE_File.h"
#include "building/UBACnet_Eng_Unit.h"
#include "building/USNMPManagerAccess.h"
#include "building/UDALI_Access.h"
#include "building/UImportEDEFile.h"
#include "controls/FadeButton.h"
#include "platform/Files.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTimer>
#include <algorithm>

using testing_support::readAll;
using testing_support::TempAppDir;
using testing_support::writeAll;

namespace {

// In front of the recording service: notes the folder and filter the save dialog opens with.
class SaveDialogSpy : public plat::UserDialogs {
public:
    explicit SaveDialogSpy(testing_support::RecordingDialogs& rec) : rec_(rec) { plat::setDialogs(this); }
    ~SaveDialogSpy() override { plat::setDialogs(&rec_); }
    void error(const QString& text) override { rec_.error(text); }
    void warning(const QString& text) override { rec_.warning(text); }
    void information(const QString& text) override { rec_.information(text); }
    plat::Answer questionYesNo(const QString& text) override { return rec_.questionYesNo(text); }
    plat::Answer questionYesNoCancel(const QString& text) override { return rec_.questionYesNoCancel(text); }
    std::optional<QString> openFile(const QString& title, const QString& folder, const QString& filter) override {
        return rec_.openFile(title, folder, filter);
    }
    std::optional<QString> saveFile(const QString& title, const QString& folder, const QString& fileName,
                                    const QString& filter) override {
        folders << folder;
        filters << filter;
        return rec_.saveFile(title, folder, fileName, filter);
    }
    QStringList folders, filters;

private:
    testing_support::RecordingDialogs& rec_;
};

class BACnetSteps : public ::testing::Test {
protected:
    void SetUp() override {
        Create_Forms();
        main = FVelmarineFirmWare;
        g_EDELocalTime = [] { return QDateTime(QDate(2024, 2, 3), QTime(9, 5, 0)); };
    }
    void TearDown() override {
        g_EDELocalTime = nullptr;
        Destroy_Forms();
        Load_Default_Language();
    }
    void openProject() {
        g_ProjectName = QStringLiteral("Stage");
        g_ProjectPath = g_ProjectsRootPath + QStringLiteral("/Stage");
        ASSERT_TRUE(QDir().mkpath(g_ProjectPath));
        Set_Files();
    }

    TempAppDir app;
    testing_support::RecordingDialogs rec;
    SaveDialogSpy spy{rec};
    TFVelmarineFirmWare* main = nullptr;
};

// The client's tables and the EDE import come last, in that order, and follow a language change.
TEST_F(BACnetSteps, TheClientWindowsAreCreatedAndRelabelledAfterTheDALIWindow) {
    const QObjectList children = main->children();
    const auto at = [&](QObject* o) { return children.indexOf(o); };
    ASSERT_GE(at(FDALI_Access), 0);
    EXPECT_LT(at(FDALI_Access), at(FBACnetAccess));
    EXPECT_LT(at(FBACnetAccess), at(FImportEDEFile));

    const std::vector<plat::TForm*> relabelled = main->Language_Windows();
    const auto pos = std::find(relabelled.begin(), relabelled.end(), FDALI_Access);
    ASSERT_LE(pos + 3, relabelled.end());
    EXPECT_EQ(std::vector<plat::TForm*>(pos, pos + 3),
              (std::vector<plat::TForm*>{FDALI_Access, FBACnetAccess, FImportEDEFile}));

    Text_Table[4700] = QStringLiteral("Accesso BACnet client");
    Text_Table[4759] = QStringLiteral("Importa EDE");
    Text_Table[4815] = QStringLiteral("ID o indirizzo IP");
    main->Change_Language();
    EXPECT_EQ(FBACnetAccess->windowTitle(), QStringLiteral("Accesso BACnet client"));
    EXPECT_EQ(FBACnetAccess->Btn_Import_CSV->Caption(), QStringLiteral("Importa EDE"));
    EXPECT_EQ(FImportEDEFile->LID_IP->text(), QStringLiteral("ID o indirizzo IP"));
}

TEST_F(BACnetSteps, CreatedAndRelabelledAfterTheSNMPManagerList) {
    const QObjectList children = main->children();
    const auto at = [&](QObject* o) { return children.indexOf(o); };
    ASSERT_GE(at(FSNMPManagerAccess), 0);
    EXPECT_LT(at(FSNMPManagerAccess), at(FBACnetSlaveSetAccess));
    EXPECT_LT(at(FBACnetSlaveSetAccess), at(FBACnet_Eng_Unit));
    EXPECT_LT(at(FBACnet_Eng_Unit), at(FDALI_Access));

    const std::vector<plat::TForm*> relabelled = main->Language_Windows();
    const auto pos = std::find(relabelled.begin(), relabelled.end(), FSNMPManagerAccess);
    ASSERT_LE(pos + 4, relabelled.end());
    EXPECT_EQ(std::vector<plat::TForm*>(pos, pos + 4),
              (std::vector<plat::TForm*>{FSNMPManagerAccess, FBACnetSlaveSetAccess, FBACnet_Eng_Unit, FDALI_Access}));

    Text_Table[4300] = QStringLiteral("Accesso BACnet");
    Text_Table[4404] = QStringLiteral("Unita selezionata");
    main->Change_Language();
    EXPECT_EQ(FBACnetSlaveSetAccess->windowTitle(), QStringLiteral("Accesso BACnet"));
    EXPECT_EQ(FBACnet_Eng_Unit->Label1->text(), QStringLiteral("Unita selezionata"));
}

TEST_F(BACnetSteps, TheHiddenObjectStepShowsTheList) {
    openProject();
    TFadeButton* b = main->Step_Button("Btn_BACnet_SetAccess");
    ASSERT_NE(b, nullptr);
    EXPECT_FALSE(plat::ownVisible(b));
    EXPECT_EQ(b->Caption(), Text_Table[66]);
    QWidget* shown = nullptr;
    QTimer::singleShot(0, [&] {
        shown = QApplication::activeModalWidget();
        if (shown) shown->close();
    });
    main->Btn_Click(b);
    EXPECT_EQ(shown, FBACnetSlaveSetAccess);
}

TEST_F(BACnetSteps, TheEDEStepNamesAsksAndWrites) {
    openProject();
    writeAll(g_ParGenFile, "<ParGen><BACnet_DEV_IDE>1234</BACnet_DEV_IDE></ParGen>");
    writeAll(g_BACnetSlaveSetAccessFile,
             "<BACnet_to_Modbus><BACnet_in_Read><row Data_Type=\"Analog Input\" Eng_Unit=\"62\" Position=\"0\" "
             "Bit=\"\" Length=\"4\" Swap=\"N\" Mnemonic=\"TempRoom1\"/></BACnet_in_Read><BACnet_in_Write/>"
             "</BACnet_to_Modbus>");
    TFadeButton* b = main->Step_Button("Btn_BACnet_EDE_File");
    ASSERT_NE(b, nullptr);
    EXPECT_FALSE(plat::ownVisible(b));
    EXPECT_EQ(b->Caption(), Text_Table[68]);
    const QByteArray line = "1234_TempRoom1_0;1234;TempRoom1;0;0;TempRoom1;62;\r\n";

    rec.files = {g_ProjectPath + QStringLiteral("/x")};
    main->Btn_Click(b);
    EXPECT_EQ(spy.folders, QStringList{g_ProjectPath});
    EXPECT_EQ(spy.filters, QStringList{QStringLiteral("CSV (MS-DOS) (*.csv)")});
    EXPECT_TRUE(readAll(g_ProjectPath + QStringLiteral("/x.csv")).endsWith(line));
    EXPECT_FALSE(plat::fileExists(g_ProjectPath + QStringLiteral("/x")));

    // A name ending in ".CSV" in any case is kept; an existing file is replaced only after Yes.
    const QString upper = g_ProjectPath + QStringLiteral("/y.CSV");
    for (const plat::Answer answer : {plat::Answer::No, plat::Answer::Cancel, plat::Answer::Yes}) {
        writeAll(upper, "keep");
        rec.clear();
        rec.files = {upper};
        rec.answers = {answer};
        main->Btn_Click(b);
        ASSERT_EQ(rec.texts().size(), 2);  // the dialog and the question
        EXPECT_EQ(rec.shown[1].kind, testing_support::Shown::YesNoCancel);
        EXPECT_EQ(rec.shown[1].text, Text_Table[70]);
        if (answer == plat::Answer::Yes)
            EXPECT_TRUE(readAll(upper).endsWith(line));
        else
            EXPECT_EQ(readAll(upper), QByteArray("keep"));
    }
    EXPECT_FALSE(plat::fileExists(upper + QStringLiteral(".csv")));
    // Cancelled dialog: nothing.
    rec.clear();
    main->Btn_Click(b);
    EXPECT_EQ(rec.texts().size(), 1);
}

}  // namespace
