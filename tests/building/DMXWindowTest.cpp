// The DMX default-value window as a user meets it, offscreen with recorded message boxes: one row
// per channel of the project's parameter file, OK and Cancel only, every row stored.
#include "building/UDMXDefVal.h"
#include "building/UReceiveNMEA.h"
#include "controls/FadeButton.h"
#include "grid/ExCGrid.h"
#include "platform/Files.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/building/BuildingTestSupport.h"
#include "tests/building/ListWindowFixture.h"

#include <gtest/gtest.h>

#include <QLabel>

using testing_support::readAll;
using testing_support::writeAll;

namespace {

using building_tests::xvalue;

class DMXWindow : public building_tests::ListWindow {
protected:
    void channels(const char* count) {
        writeAll(g_ParGenFile, QByteArray("<ParGen><Ethernet_IP1>192</Ethernet_IP1><DMX_Num_Channels>") + count +
                                   "</DMX_Num_Channels></ParGen><!--SW_VERSION = 1.003-->");
    }
    // A saved file of `n` rows, row i holding the value i % 256 and the description "ch i".
    void savedRows(int n) {
        QByteArray file = "<DMX_Default_Values>";
        for (int i = 1; i <= n; ++i)
            file += "<Row Default_Value=\"" + QByteArray::number(i % 256) + "\" Mnemonic=\"ch " + QByteArray::number(i) +
                    "\"/>";
        writeAll(g_DMXDefaultValuesFile, file + "</DMX_Default_Values><!--SW_VERSION = 1.000-->");
    }
};

TEST_F(DMXWindow, LayoutOkAndCancelOnly) {
    TFDMXDefVal f;
    EXPECT_EQ(f.ClientWidth(), 475);
    EXPECT_EQ(f.ClientHeight(), 337);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("DMX Default Value"));
    EXPECT_EQ(f.L_SW_Desc()->text(), QStringLiteral("DMX Default Value"));
    EXPECT_EQ(f.CG_DMX_Def_Val->objectName(), QStringLiteral("CG_DMX_Def_Val"));
    EXPECT_EQ(f.CG_DMX_Def_Val->ColCount(), 3);
    EXPECT_EQ(f.Btn_OK->Caption(), QStringLiteral("OK"));
    EXPECT_EQ(f.Btn_Cancel->Caption(), QStringLiteral("Cancel"));
    EXPECT_EQ(f.Btn_OK->toolTip(), QStringLiteral("Confirm and save the DMX Default Values"));
    EXPECT_EQ(f.Btn_Cancel->toolTip(), QStringLiteral("Exit without save the DMX Default Values"));
    EXPECT_EQ(f.Btn_DelRow, nullptr);
    EXPECT_EQ(f.Btn_PasteRow, nullptr);
    EXPECT_EQ(f.P_Button->findChildren<TFadeButton*>().size(), 2);
    const char* headers[] = {"Channel", "Default Value", "Mnemonic"};
    for (int c = 0; c < 3; ++c) EXPECT_EQ(f.CG_DMX_Def_Val->Cells(c, 0), QString::fromLatin1(headers[c])) << c;
    EXPECT_EQ(f.CG_DMX_Def_Val->CellHint(0, 1), QStringLiteral("Insert the Default Value for the DMX Channel"));
    EXPECT_EQ(f.CG_DMX_Def_Val->CellHint(0, 2), QStringLiteral("Insert a description of the DMX Channel"));
    EXPECT_EQ(f.Hint.size(), 2);
}

TEST_F(DMXWindow, TheChannelCountOfTheParameterFileSizesTheTable) {
    TFDMXDefVal f;
    struct Case {
        const char* count;  // nullptr: no "ParGen.xml"
        int channels;
    } cases[] = {{nullptr, 512}, {"24", 24}, {"0", 512}, {"-5", 512}, {"100000", 512}, {"1", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count ? c.count : "no file");
        QFile::remove(g_ParGenFile);
        if (c.count) channels(c.count);
        open(f);
        EXPECT_EQ(f.Num_Channels, c.channels);
        ASSERT_EQ(f.CG_DMX_Def_Val->RowCount(), c.channels + 1);
        for (int r = 1; r <= c.channels; ++r) {
            ASSERT_EQ(f.CG_DMX_Def_Val->Cells(0, r), QString::number(r));
            ASSERT_EQ(f.CG_DMX_Def_Val->Cells(1, r), QStringLiteral("0"));
            ASSERT_TRUE(f.CG_DMX_Def_Val->Cells(2, r).isEmpty());
        }
        f.Btn_Cancel->click();
    }
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
}

TEST_F(DMXWindow, ALongerFileFillsTheChannelsWarnsAndSavesOnlyThem) {
    savedRows(512);
    channels("24");
    TFDMXDefVal f;
    open(f);
    EXPECT_EQ(rec.texts(),
              QStringList{QStringLiteral("\"DMX_Default_Values.xml\": the list holds 512 rows, the table only 24: the "
                                         "last 488 rows are not shown and will be dropped when the list is saved.")});
    EXPECT_EQ(f.CG_DMX_Def_Val->Cells(1, 24), QStringLiteral("24"));
    EXPECT_EQ(f.CG_DMX_Def_Val->Cells(2, 24), QStringLiteral("ch 24"));
    rec.clear();
    f.Btn_OK_Click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(f.ModalResult(), plat::mrOk);
    EXPECT_EQ(xvalue(g_DMXDefaultValuesFile, QStringLiteral("count(/DMX_Default_Values/Row)")), QStringLiteral("24"));
    EXPECT_EQ(xvalue(g_DMXDefaultValuesFile, QStringLiteral("count(//row)")), QStringLiteral("0"));
    EXPECT_EQ(xvalue(g_DMXDefaultValuesFile, QStringLiteral("string(/DMX_Default_Values/Row[24]/@Mnemonic)")),
              QStringLiteral("ch 24"));
    EXPECT_EQ(xvalue(g_DMXDefaultValuesFile, QStringLiteral("string(/comment())")), QStringLiteral("SW_VERSION = 1.000"));
}

TEST_F(DMXWindow, AShorterFileLeavesTheOtherChannelsAtZeroAndEveryRowIsSaved) {
    savedRows(24);
    TFDMXDefVal f;
    open(f);
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(f.CG_DMX_Def_Val->Cells(1, 24), QStringLiteral("24"));
    for (int r = 25; r <= 512; ++r) {
        ASSERT_EQ(f.CG_DMX_Def_Val->Cells(1, r), QStringLiteral("0")) << r;
        ASSERT_TRUE(f.CG_DMX_Def_Val->Cells(2, r).isEmpty()) << r;
    }
    f.CG_DMX_Def_Val->SetCells(1, 300, QStringLiteral("255"));
    f.Btn_OK_Click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(xvalue(g_DMXDefaultValuesFile, QStringLiteral("count(/DMX_Default_Values/Row)")), QStringLiteral("512"));
    EXPECT_EQ(xvalue(g_DMXDefaultValuesFile, QStringLiteral("string(/DMX_Default_Values/Row[300]/@Default_Value)")),
              QStringLiteral("255"));
    EXPECT_EQ(xvalue(g_DMXDefaultValuesFile, QStringLiteral("count(/DMX_Default_Values/Row[512]/@*)")),
              QStringLiteral("2"));
    // The first row as written: both attributes, in column order.
    EXPECT_TRUE(readAll(g_DMXDefaultValuesFile)
                    .startsWith("<DMX_Default_Values><Row Default_Value=\"1\" Mnemonic=\"ch 1\"/>"));
}

TEST_F(DMXWindow, AMissingValueReadsAsZeroAndAnUnknownAttributeIsDropped) {
    channels("3");
    writeAll(g_DMXDefaultValuesFile,
             "<DMX_Default_Values><Row Mnemonic=\"dimmer\" Fade=\"2s\"/><Row Default_Value=\"9\"/></DMX_Default_Values>");
    TFDMXDefVal f;
    open(f);
    EXPECT_EQ(f.CG_DMX_Def_Val->Cells(1, 1), QStringLiteral("0"));
    EXPECT_EQ(f.CG_DMX_Def_Val->Cells(2, 1), QStringLiteral("dimmer"));
    EXPECT_EQ(f.CG_DMX_Def_Val->Cells(1, 2), QStringLiteral("9"));
    f.Btn_OK_Click();
    EXPECT_EQ(readAll(g_DMXDefaultValuesFile),
              QByteArray("<DMX_Default_Values><Row Default_Value=\"0\" Mnemonic=\"dimmer\"/><Row Default_Value=\"9\" "
                         "Mnemonic=\"\"/><Row Default_Value=\"0\" Mnemonic=\"\"/></DMX_Default_Values>"
                         "<!--SW_VERSION = 1.000-->"));
}

TEST_F(DMXWindow, AValueOutsideAByteIsRefusedWithItsRow) {
    channels("24");
    TFDMXDefVal f;
    open(f);
    const struct {
        int row;
        const char* value;
    } cases[] = {{7, "256"}, {12, "-1"}, {24, ""}, {1, "$10"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        f.CG_DMX_Def_Val->SetCells(1, c.row, QString::fromLatin1(c.value));
        rec.clear();
        f.Btn_OK_Click();
        EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Error row %1!! Default Value must be between 0 and 255")
                                                .arg(c.row)});
        EXPECT_FALSE(plat::fileExists(g_DMXDefaultValuesFile));
        f.CG_DMX_Def_Val->SetCells(1, c.row, QStringLiteral("0"));
    }
    EXPECT_TRUE(f.isVisible());
}

TEST_F(DMXWindow, CancelDiscardsTheEdits) {
    savedRows(4);
    channels("4");
    TFDMXDefVal f;
    open(f);
    f.CG_DMX_Def_Val->SetCells(1, 2, QStringLiteral("77"));
    f.Btn_Cancel->click();
    EXPECT_EQ(f.ModalResult(), plat::mrCancel);
    open(f);
    EXPECT_EQ(f.CG_DMX_Def_Val->Cells(1, 2), QStringLiteral("2"));
}

}  // namespace

namespace {

using ScreenshotOfTheLists = building_tests::ListWindow;

TEST_F(ScreenshotOfTheLists, Screenshot) {
    const QByteArray dir = qgetenv("SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set SCREENSHOT_DIR to save pictures of the windows";
    writeAll(g_NMEARecFramesFile,
             "<Receive_NMEA_2000><row PGN=\"127250\" SA=\"1\" TP=\"N\" FP=\"N\" TP_Start=\"1\" TP_NByte=\"7\" "
             "Delete=\"Y\" Mnemonic=\"Heading\"/><row PGN=\"126996\" SA=\"2\" TP=\"N\" FP=\"Y\" TP_Start=\"0\" "
             "TP_NByte=\"134\" Delete=\"N\" Mnemonic=\"Product information\"/></Receive_NMEA_2000>");
    writeAll(g_ParGenFile, "<ParGen><DMX_Num_Channels>24</DMX_Num_Channels></ParGen>");
    writeAll(g_DMXDefaultValuesFile,
             "<DMX_Default_Values><Row Default_Value=\"255\" Mnemonic=\"Stage left dimmer\"/></DMX_Default_Values>");
    TFReceiveNMEA rx;
    TFDMXDefVal dmxWindow;
    const std::pair<TAccessListForm*, const char*> shots[] = {{&rx, "/nmea-receive.png"}, {&dmxWindow, "/dmx.png"}};
    for (const auto& [form, name] : shots) {
        open(*form);
        EXPECT_TRUE(form->grab().save(QString::fromLocal8Bit(dir) + QString::fromLatin1(name)));
        form->Btn_Cancel->click();
    }
}

}  // namespace
