// The three small dialogs of a scan save and of wireless key entry: every check with its exact
// message, the capitals of the key box, and the start-address grid as a user edits it.
#include "controls/FadeButton.h"
#include "grid/ExCGrid.h"
#include "mbus/LabelCaption.h"
#include "mbus/UInsertKeyWireless.h"
#include "mbus/UModbusStartAdd_SD.h"
#include "mbus/UScanModbusStart.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/GridCells.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

using testing_support::RecordingDialogs;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

class ScanDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        Load_Default_Language();
        savedCode_ = g_SWCode;
        g_SWCode = QStringLiteral("KS73632");
    }
    void TearDown() override { g_SWCode = savedCode_; }

    RecordingDialogs rec;

private:
    QString savedCode_;
};

TEST(LabelCaption, ShowsAcceleratorMarksAsALabelDoes) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"SCAN && DECODE", "SCAN & DECODE"},
        {"&File", "File"},
        {"a&", "a"},
        {"&&&x", "&x"},
        {"plain", "plain"},
    };
    for (const auto& c : cases) EXPECT_EQ(labelCaption(s(c.in)), s(c.out)) << c.in;
}

// Key dialog ------------------------------------------------------------------------------------

using KeyDialog = ScanDialogs;

struct KeyCase {
    const char* name;
    const char* typed;
    int message;  // -1: closes with OK
};

const KeyCase kKeyCases[] = {
    {"32 digits", "0102030405060708090A0B0C0D0E0F11", -1},
    {"typed in small letters", "0102030405060708090a0b0c0d0e0f11", -1},
    {"31 characters", "0102030405060708090A0B0C0D0E0F1", 3004},
    {"empty", "", 3004},
    {"32 characters holding G", "0102030405060708090A0B0C0D0E0F1G", 3003},
    {"32 characters holding a blank", "0102030405060708 90A0B0C0D0E0F11", 3003},
    {"32 characters holding a sign", "-102030405060708090A0B0C0D0E0F11", 3003},
    {"only the length is checked first: 31 characters with G", "G102030405060708090A0B0C0D0E0F1", 3004},
};

TEST_F(KeyDialog, OKChecksLengthThenDigits) {
    for (const KeyCase& c : kKeyCases) {
        SCOPED_TRACE(c.name);
        rec.clear();
        TFInsertKeyWireless d;
        d.show();  // a hidden button does not answer
        QTest::keyClicks(d.E_Key, s(c.typed));
        d.Btn_OK->click();
        EXPECT_EQ(rec.errors(), c.message < 0 ? QStringList() : QStringList{Text_Table[c.message]});
        EXPECT_EQ(rec.shown.size(), c.message < 0 ? 0u : 1u) << "one message, no more";
        EXPECT_EQ(d.ModalResult(), c.message < 0 ? plat::mrOk : plat::mrNone);
        EXPECT_EQ(d.E_Key->text(), s(c.typed).toUpper()) << "the typed key stays for another try";
    }
}

TEST_F(KeyDialog, CheckDataTakesOnlyCapitalHexDigits) {
    TFInsertKeyWireless d;
    EXPECT_TRUE(d.Check_Data(QStringLiteral("0123456789ABCDEF")));
    EXPECT_TRUE(rec.shown.empty());
    for (const char* bad : {"abcdef", "0x12", "G", "12 34"}) {
        rec.clear();
        EXPECT_FALSE(d.Check_Data(s(bad))) << bad;
        EXPECT_EQ(rec.errors(), QStringList{Text_Table[3003]}) << bad;
    }
}

TEST_F(KeyDialog, TheBoxTakesThirtyTwoCapitalsWhereverTheyAreTyped) {
    TFInsertKeyWireless d;
    d.show();
    QTest::keyClicks(d.E_Key, QStringLiteral("abc"));
    EXPECT_EQ(d.E_Key->text(), QStringLiteral("ABC"));
    // A letter typed in the middle lands there, and typing goes on after it.
    d.E_Key->setCursorPosition(1);
    QTest::keyClicks(d.E_Key, QStringLiteral("ef"));
    EXPECT_EQ(d.E_Key->text(), QStringLiteral("AEFBC"));
    EXPECT_EQ(d.E_Key->cursorPosition(), 3);
    // Pasted or set text is capitalised too.
    d.E_Key->setText(QStringLiteral("deadbeef"));
    EXPECT_EQ(d.E_Key->text(), QStringLiteral("DEADBEEF"));
    d.E_Key->clear();
    QTest::keyClicks(d.E_Key, QString(40, u'a'));
    EXPECT_EQ(d.E_Key->text(), QString(32, u'A'));
}

TEST_F(KeyDialog, KeepsTheKeyBetweenShowingsAndAnswersEnterAndEsc) {
    TFInsertKeyWireless d;
    EXPECT_EQ(d.ClientWidth(), 481);
    EXPECT_EQ(d.ClientHeight(), 47);
    EXPECT_EQ(d.L_InsKey->text(), Text_Table[3000]);
    EXPECT_EQ(d.Btn_OK->Caption(), Text_Table[3001]);
    EXPECT_EQ(d.Btn_Cancel->Caption(), Text_Table[3002]);
    const QString key = QStringLiteral("0102030405060708090A0B0C0D0E0F11");
    // One row: label, a box that shows a whole key, the buttons inside the window.
    EXPECT_LT(d.L_InsKey->geometry().right(), d.E_Key->x());
    EXPECT_GE(d.E_Key->width(), d.E_Key->fontMetrics().horizontalAdvance(key) + 8);
    EXPECT_LT(d.E_Key->geometry().right(), d.Btn_OK->x());
    EXPECT_LE(d.Btn_Cancel->geometry().right(), d.ClientWidth());

    // Enter confirms a valid key; the next showing still holds it.
    QTimer::singleShot(0, &d, [&] {
        EXPECT_EQ(d.focusWidget(), d.E_Key);
        QTest::keyClicks(d.E_Key, key);
        QTest::keyClick(d.E_Key, Qt::Key_Return);
    });
    EXPECT_EQ(d.ShowModal(), plat::mrOk);
    QString shown;
    QTimer::singleShot(0, &d, [&] {
        shown = d.E_Key->text();
        // Enter on a short key keeps the window open with the message; Esc then cancels.
        QTest::keyClick(d.E_Key, Qt::Key_Backspace);
        QTest::keyClick(d.E_Key, Qt::Key_Return);
        EXPECT_TRUE(d.isVisible());
        QTest::keyClick(d.E_Key, Qt::Key_Escape);
    });
    EXPECT_EQ(d.ShowModal(), plat::mrCancel);
    EXPECT_EQ(shown, key);
    EXPECT_EQ(rec.errors(), QStringList{Text_Table[3004]});

    rec.clear();
    d.show();
    d.Btn_Cancel->click();
    EXPECT_EQ(d.ModalResult(), plat::mrCancel);
    EXPECT_TRUE(rec.shown.empty());
}

// Start-register dialog -------------------------------------------------------------------------

using StartRegisterDialog = ScanDialogs;

TEST_F(StartRegisterDialog, TakesARegisterFrom1To65535) {
    const struct {
        const char* typed;
        int value;  // -1: refused with text 3206
    } cases[] = {
        {"0", -1}, {"65536", -1}, {"1", 1}, {"65535", 65535}, {"", -1},
        {"-5", -1}, {"register", -1}, {"4294967297", -1}, {"40001", 40001},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        rec.clear();
        TFScanModbusStart d;
        d.show();
        d.StartModAdd = 7;
        d.E_StartModAdd->setText(s(c.typed));
        d.Btn_OK->click();
        EXPECT_EQ(rec.errors(), c.value < 0 ? QStringList{Text_Table[3206]} : QStringList());
        EXPECT_EQ(d.ModalResult(), c.value < 0 ? plat::mrNone : plat::mrOk);
        EXPECT_EQ(d.StartModAdd, c.value < 0 ? 7 : c.value) << "only a valid OK sets the register";
    }
}

TEST_F(StartRegisterDialog, IsLabelledAndCancels) {
    TFScanModbusStart d;
    EXPECT_EQ(d.ClientWidth(), 331);
    EXPECT_EQ(d.ClientHeight(), 162);
    EXPECT_EQ(d.windowTitle(), Text_Table[3200]);
    EXPECT_EQ(d.L_SW_Code()->text(), QStringLiteral("SCAN & DECODE"));
    EXPECT_EQ(d.L_SW_Desc()->text(), Text_Table[3202]);
    EXPECT_EQ(d.L_StartModAdd->text(), Text_Table[3203]);
    EXPECT_EQ(d.Btn_OK->Caption(), Text_Table[3204]);
    EXPECT_EQ(d.Btn_Cancel->Caption(), Text_Table[3205]);
    // The prompt fits the window in the built-in language.
    EXPECT_LE(d.L_StartModAdd->sizeHint().width(), d.L_StartModAdd->width());

    d.StartModAdd = 9;
    QTimer::singleShot(0, &d, [&] {
        EXPECT_EQ(d.focusWidget(), d.E_StartModAdd);
        d.E_StartModAdd->setText(QStringLiteral("100"));
        QTest::keyClick(d.E_StartModAdd, Qt::Key_Escape);
    });
    EXPECT_EQ(d.ShowModal(), plat::mrCancel);
    EXPECT_EQ(d.StartModAdd, 9);
    QTimer::singleShot(0, &d, [&] { QTest::keyClick(d.E_StartModAdd, Qt::Key_Return); });
    EXPECT_EQ(d.ShowModal(), plat::mrOk);
    EXPECT_EQ(d.StartModAdd, 100);
    EXPECT_TRUE(rec.shown.empty());
}

// Start-address dialog --------------------------------------------------------------------------

using StartAddressDialog = ScanDialogs;

// Fills the grid as the scan window does: one row per meter, an identification and an address.
void fill(TFModbusStartAdd_SD& d, const QStringList& addresses) {
    d.sga->SetRowCount(int(addresses.size()) + 1);
    for (int r = 1; r <= addresses.size(); ++r) {
        d.sga->SetCells(0, r, QStringLiteral("%1 - %2").arg(r).arg(12345600 + r));
        d.sga->SetCells(1, r, addresses[r - 1]);
    }
}

TEST_F(StartAddressDialog, ChecksEveryRowAndNamesTheFirstBadOne) {
    const struct {
        const char* name;
        QStringList addresses;
        const char* message;  // empty: closes with OK
    } cases[] = {
        {"third row too high", {"1", "1", "60000"}, "Error row 3!! Modbus Start Address must be between 1 and 59999"},
        {"all rows 1", {"1", "1", "1"}, ""},
        {"bounds", {"1", "59999", "30000"}, ""},
        {"empty second row before a bad third", {"1", "", "x"}, "Error row 2!! Modbus Start Address cannot be empty"},
        {"zero", {"0"}, "Error row 1!! Modbus Start Address must be between 1 and 59999"},
        {"not a number", {"7", "seven"}, "Error row 2!! Modbus Start Address must be between 1 and 59999"},
        {"blanks are no address", {" "}, "Error row 1!! Modbus Start Address must be between 1 and 59999"},
        {"negative", {"-1"}, "Error row 1!! Modbus Start Address must be between 1 and 59999"},
        {"no meter", {}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rec.clear();
        TFModbusStartAdd_SD d;
        d.show();
        fill(d, c.addresses);
        d.Btn_OK->click();
        const bool ok = *c.message == 0;
        EXPECT_EQ(rec.errors(), ok ? QStringList() : QStringList{s(c.message)});
        EXPECT_EQ(rec.shown.size(), ok ? 0u : 1u) << "only the first failure is shown";
        EXPECT_EQ(d.ModalResult(), ok ? plat::mrOk : plat::mrNone);
    }
}

TEST_F(StartAddressDialog, IsLabelledAndHoldsTwoColumns) {
    TFModbusStartAdd_SD d;
    EXPECT_EQ(d.ClientWidth(), 511);
    EXPECT_EQ(d.ClientHeight(), 336);
    EXPECT_EQ(d.windowTitle(), Text_Table[3100]);
    EXPECT_EQ(d.L_SW_Code()->text(), QStringLiteral("KS73632"));
    EXPECT_EQ(d.L_SW_Desc()->text(), Text_Table[3101]);
    EXPECT_EQ(d.CB_En_NodeState->text(), Text_Table[3102]);
    EXPECT_EQ(d.CB_En_IndNum->text(), Text_Table[3103]);
    EXPECT_EQ(d.Btn_OK->Caption(), Text_Table[3106]);
    EXPECT_EQ(d.Btn_Cancel->Caption(), Text_Table[3107]);
    EXPECT_EQ(d.sga->ColCount(), 2);
    EXPECT_EQ(d.sga->RowCount(), 31);
    d.show();
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(d.sga->ColWidths(c), 200);
        EXPECT_EQ(d.sga->Cells(c, 0), Text_Table[3104 + c]);
        // The whole of both columns shows beside the vertical scroll bar.
        EXPECT_FALSE(cellRect(*d.sga, c, 1).isEmpty());
    }
    EXPECT_LE(cellRect(*d.sga, 1, 1).right(), d.sga->width());

    Text_Table[3104] = QStringLiteral("ID M-Bus");
    Text_Table[3102] = QStringLiteral("Stato del nodo");
    d.Set_Lang();
    EXPECT_EQ(d.sga->Cells(0, 0), QStringLiteral("ID M-Bus"));
    EXPECT_EQ(d.CB_En_NodeState->text(), QStringLiteral("Stato del nodo"));
    Load_Default_Language();
}

// The user types the addresses into column 1; the identification in column 0 takes no typing.
TEST_F(StartAddressDialog, TheUserEditsTheAddressColumnOnly) {
    TFModbusStartAdd_SD d;
    fill(d, {"1", "1", "60000"});
    d.show();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d, 60000));  // the bound only ends a broken test
    d.sga->setFocus();
    d.sga->SetRow(1);
    d.sga->SetCol(0);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("9"));
    EXPECT_FALSE(d.sga->EditorMode()) << "column 0 opened an editor";
    EXPECT_EQ(d.sga->Cells(0, 1), QStringLiteral("1 - 12345601"));

    d.sga->SetRow(3);
    d.sga->SetCol(1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_4);  // typing opens the editor with the key
    ASSERT_TRUE(d.sga->EditorMode());
    auto* editor = d.sga->InplaceEditor();
    ASSERT_EQ(QApplication::focusWidget(), editor);
    editor->SelectAll();
    QTest::keyClicks(editor, QStringLiteral("40001"));
    // A press on OK takes the focus, and with it the edit, before the rows are checked.
    QTest::mouseClick(d.Btn_OK, Qt::LeftButton);
    EXPECT_EQ(d.sga->Cells(1, 3), QStringLiteral("40001"));
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(d.ModalResult(), plat::mrOk);
}

TEST_F(StartAddressDialog, KeepsItsBoxesAndCancels) {
    TFModbusStartAdd_SD d;
    fill(d, {"0"});
    d.CB_En_NodeState->setChecked(true);
    QTimer::singleShot(0, &d, [&] {
        EXPECT_TRUE(d.sga->isAncestorOf(d.focusWidget())) << "the addresses are typed first";
        d.Btn_Cancel->click();
    });
    EXPECT_EQ(d.ShowModal(), plat::mrCancel);
    EXPECT_TRUE(rec.shown.empty()) << "Cancel checks nothing";
    EXPECT_TRUE(d.CB_En_NodeState->isChecked());
    EXPECT_FALSE(d.CB_En_IndNum->isChecked());
}

TEST_F(ScanDialogs, Screenshot) {
    const QByteArray dir = qgetenv("SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set SCREENSHOT_DIR to save a picture of the windows";
    const QString folder = QString::fromLocal8Bit(dir);
    // Shown first: the buttons paint themselves only on a shown window.
    const auto save = [&](plat::TForm& form, const char* name) {
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form, 60000));  // the bound only ends a broken test
        EXPECT_TRUE(form.grab().save(folder + u'/' + QString::fromLatin1(name)));
        form.hide();
    };
    TFInsertKeyWireless key;
    key.E_Key->setText(QStringLiteral("0102030405060708090a0b0c0d0e0f11"));
    save(key, "scan-key.png");
    TFScanModbusStart reg;
    reg.E_StartModAdd->setText(QStringLiteral("1"));
    save(reg, "scan-start-register.png");
    TFModbusStartAdd_SD addr;
    fill(addr, {"1", "11", "21"});
    save(addr, "scan-start-addresses.png");
}

}  // namespace
