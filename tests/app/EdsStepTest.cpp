// The hidden EDS step: the project test, the save dialog (its folder and filter, the extension added
// to a bare name, a file replaced without a question) and cancelling, which writes nothing.
#include "app/UVelmarineFirmWare.h"
#include "controls/FadeButton.h"
#include "fieldbus/USet_SDO_Server_Access.h"
#include "grid/ExCGrid.h"
#include "platform/Clock.h"
#include "platform/Form.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <deque>

using testing_support::readAll;
using testing_support::TempAppDir;
using testing_support::writeAll;

namespace {

// Answers the save dialog from a script and notes where it opened and what it offered.
class SaveDialogs final : public plat::UserDialogs {
public:
    SaveDialogs() { plat::setDialogs(this); }
    ~SaveDialogs() override { plat::setDialogs(nullptr); }

    void error(const QString& text) override { boxes << text; }
    void warning(const QString& text) override { boxes << text; }
    void information(const QString& text) override { boxes << text; }
    plat::Answer questionYesNo(const QString& text) override {
        boxes << text;
        return plat::Answer::Yes;
    }
    plat::Answer questionYesNoCancel(const QString& text) override {
        boxes << text;
        return plat::Answer::Yes;
    }
    std::optional<QString> openFile(const QString&, const QString&, const QString&) override {
        boxes << QStringLiteral("open dialog");
        return std::nullopt;
    }
    std::optional<QString> saveFile(const QString&, const QString& folder, const QString&,
                                    const QString& filter) override {
        folders << folder;
        filters << filter;
        if (names.empty()) return std::nullopt;
        const std::optional<QString> n = names.front();
        names.pop_front();
        return n;
    }

    QStringList boxes, folders, filters;
    std::deque<std::optional<QString>> names;
};

class EdsStep : public ::testing::Test {
protected:
    void SetUp() override {
        Create_Forms();
        main = FVelmarineFirmWare;
        step = main->Step_Button("Btn_CANopen_EDS");
        plat::setLocalNowSource([] { return QDateTime(QDate(2024, 1, 2), QTime(9, 30)); });
    }
    void TearDown() override {
        plat::setLocalNowSource({});
        Destroy_Forms();
        Load_Default_Language();
    }
    QStringList sheets() const { return QDir(g_ProjectPath).entryList({QStringLiteral("*.eds*")}, QDir::Files); }

    TempAppDir app;
    SaveDialogs dialogs;
    TFVelmarineFirmWare* main = nullptr;
    TFadeButton* step = nullptr;
};

TEST_F(EdsStep, NeedsAProject) {
    ASSERT_NE(step, nullptr);
    EXPECT_FALSE(plat::ownVisible(step));
    EXPECT_EQ(step->Caption(), Text_Table[41]);
    g_ProjectName.clear();
    g_ProjectPath.clear();
    Set_Files();
    dialogs.names = {QStringLiteral("/tmp/never.eds")};
    main->Btn_Click(step);
    EXPECT_EQ(dialogs.boxes, QStringList{Text_Table[18]});
    EXPECT_TRUE(dialogs.folders.isEmpty());
}

TEST_F(EdsStep, SavesWhereTheUserSaysAndReplacesWithoutAsking) {
    g_ProjectName = QStringLiteral("Line 4");
    g_ProjectPath = g_ProjectsRootPath + QStringLiteral("/Line 4");
    ASSERT_TRUE(QDir().mkpath(g_ProjectPath));
    Set_Files();

    main->Btn_Click(step);  // cancelled
    EXPECT_EQ(dialogs.folders, QStringList{g_ProjectPath});
    EXPECT_EQ(dialogs.filters, QStringList{"Electronic Data Sheet (*.eds)"});
    EXPECT_TRUE(sheets().isEmpty());

    // A bare name gets the extension; a name with one keeps it.
    dialogs.names = {g_ProjectPath + QStringLiteral("/plant"), g_ProjectPath + QStringLiteral("/plant.txt")};
    main->Btn_Click(step);
    main->Btn_Click(step);
    EXPECT_EQ(sheets(), QStringList{"plant.eds"});
    EXPECT_TRUE(readAll(g_ProjectPath + QStringLiteral("/plant.eds")).startsWith("[FileInfo]\r\nFileName=CANopen_MQTT.eds\r\n"));
    EXPECT_TRUE(readAll(g_ProjectPath + QStringLiteral("/plant.txt")).contains("CreationTime=09:30AM\r\n"));

    // The PDO list changes; the same name is chosen again and replaced without a question.
    writeAll(g_PDOCANopenFile,
             "<PDO_CANopen><Receive_PDO><row COB-ID=\"0x181\" Dimension=\"1\"/></Receive_PDO><Transmit_PDO/>"
             "</PDO_CANopen>");
    dialogs.names = {g_ProjectPath + QStringLiteral("/plant.eds")};
    main->Btn_Click(step);
    EXPECT_TRUE(dialogs.boxes.isEmpty()) << dialogs.boxes.join(u'|').toStdString();
    EXPECT_TRUE(readAll(g_ProjectPath + QStringLiteral("/plant.eds")).contains("NrOfRXPDO=1\r\n"));
    EXPECT_EQ(dialogs.folders.size(), 4);
}

// The SDO server window refuses at OK an index and sub-index the EDS step would refuse: what it
// saves, the step writes.
TEST_F(EdsStep, TheSDOServerWindowRefusesAnEntryTheSheetCannotHoldTwice) {
    g_ProjectName = QStringLiteral("Line 4");
    g_ProjectPath = g_ProjectsRootPath + QStringLiteral("/Line 4");
    ASSERT_TRUE(QDir().mkpath(g_ProjectPath));
    Set_Files();
    TFSet_SDO_Server_Access& f = *FSet_SDO_Server_Access;
    f.show();
    QApplication::processEvents();
    const auto fill = [](TExColumnGrid& g, int row, std::initializer_list<const char*> cells) {
        int c = 1;
        for (const char* t : cells) g.SetCells(c++, row, QString::fromLatin1(t));
    };
    fill(*f.sga, 1, {"0x2000", "1", "2", "0", "1", "", "", "level"});
    fill(*f.sgb, 1, {"0x2001", "0", "1", "0", "", "", "", "mode"});
    fill(*f.sgb, 2, {"8192", "0x01", "1", "1", "", "", "", "setpoint"});
    f.Btn_OK_Click();
    EXPECT_EQ(dialogs.boxes, QStringList{QStringLiteral(
                                 "Error row 2!! [SDO in Write] The Index 0x2000 with SubIndex 0x01 is already in row 1 "
                                 "of SDO in Read: the EDS file holds each entry once")});
    EXPECT_FALSE(QFile::exists(g_SDOServerCANopenFile));
    EXPECT_TRUE(f.isVisible());

    dialogs.boxes.clear();
    f.sgb->SetCells(2, 2, QStringLiteral("2"));
    f.Btn_OK_Click();
    EXPECT_TRUE(dialogs.boxes.isEmpty()) << dialogs.boxes.join(u'|').toStdString();
    EXPECT_EQ(f.ModalResult(), plat::mrOk);
    f.hide();
    dialogs.names = {g_ProjectPath + QStringLiteral("/plant.eds")};
    main->Btn_Click(step);
    EXPECT_TRUE(dialogs.boxes.isEmpty()) << dialogs.boxes.join(u'|').toStdString();
    const QByteArray sheet = readAll(g_ProjectPath + QStringLiteral("/plant.eds"));
    for (const char* section : {"[2000sub1]", "[2000sub2]", "[2001sub0]"})
        EXPECT_TRUE(sheet.contains(section)) << section;
}

}  // namespace
