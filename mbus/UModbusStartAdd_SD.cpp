#include "mbus/UModbusStartAdd_SD.h"

#include "controls/FadeButton.h"
#include "grid/ExCGrid.h"
#include "platform/Guard.h"
#include "platform/IntConv.h"
#include "platform/UserDialogs.h"
#include "shell/DialogFrame.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <QCheckBox>
#include <QLabel>

namespace {

constexpr int kClientWidth = 511;
constexpr int kClientHeight = 336;
constexpr int kMargin = 12;
constexpr int kColumnWidth = 200;
constexpr int kDesignedRows = 31;  // the header row and 30 meters, until the caller sets the count
constexpr int kIdCol = 0;
constexpr int kAddressCol = 1;
constexpr int kMaxAddress = 59999;

}  // namespace

TFModbusStartAdd_SD::TFModbusStartAdd_SD(QWidget* parent) : plat::TForm(parent) {
    setObjectName(QStringLiteral("FModbusStartAdd_SD"));
    SetClientSize(kClientWidth, kClientHeight);
    const DialogFrame frame = Build_Dialog_Frame(this, kTitleHeight);
    Btn_OK = frame.ok;
    Btn_Cancel = frame.cancel;

    CB_En_NodeState = new QCheckBox(this);
    CB_En_NodeState->setObjectName(QStringLiteral("CB_En_NodeState"));
    CB_En_NodeState->setGeometry(kMargin, kTitleHeight + 6, kClientWidth - 2 * kMargin, 18);
    CB_En_IndNum = new QCheckBox(this);
    CB_En_IndNum->setObjectName(QStringLiteral("CB_En_IndNum"));
    CB_En_IndNum->setGeometry(kMargin, kTitleHeight + 28, kClientWidth - 2 * kMargin, 18);

    sga = new TExColumnGrid(this);
    sga->setObjectName(QStringLiteral("sga"));
    Set_Table_Grid_Form(*sga);
    // Both columns are data: the meter's identification is no row number.
    sga->SetFixedCols(0);
    sga->SetColCount(2);
    sga->SetRowCount(kDesignedRows);
    for (int c : {kIdCol, kAddressCol}) sga->Columns().Items(c).SetWidth(kColumnWidth);
    // The identification only tells the meters apart; the address is what the user types.
    sga->Columns().Items(kIdCol).ReadOnly = true;
    sga->Loaded();
    const int gridTop = kTitleHeight + 52;
    sga->setGeometry(kMargin, gridTop, kClientWidth - 2 * kMargin, kClientHeight - 40 - 6 - gridTop);

    plat::onSignal(Btn_OK, &TFadeButton::clicked, this, [this]() { Btn_OKClick(); });
    plat::onSignal(Btn_Cancel, &TFadeButton::clicked, this, [this]() { SetModalResult(plat::mrCancel); });
    SetCancelButton(Btn_Cancel);  // Esc does what Cancel does
    // Neither Enter nor Esc closes the window: both belong to the cell editor here.
    Set_Lang();
}

void TFModbusStartAdd_SD::Set_Lang() {
    setWindowTitle(Text_Table[3100]);
    L_SW_Code()->setText(g_SWCode);
    L_SW_Desc()->setText(Text_Table[3101]);
    CB_En_NodeState->setText(Text_Table[3102]);
    CB_En_IndNum->setText(Text_Table[3103]);
    sga->Columns().Items(kIdCol).SetHeader(Text_Table[3104]);
    sga->Columns().Items(kAddressCol).SetHeader(Text_Table[3105]);
    Btn_OK->SetCaption(Text_Table[3106]);
    Btn_Cancel->SetCaption(Text_Table[3107]);
}

// The addresses are what the user comes to type.
void TFModbusStartAdd_SD::FormShow() { sga->setFocus(); }

bool TFModbusStartAdd_SD::Check_Data() {
    for (int row = 1; row < sga->RowCount(); ++row) {
        const QString cell = sga->Cells(kAddressCol, row);
        int message = 0;
        if (cell.isEmpty()) {
            message = 3109;
        } else {
            const int32_t address = plat::tryStrToInt(cell).value_or(-1);
            if (address < 1 || address > kMaxAddress) message = 3110;
        }
        if (message != 0) {
            plat::dialogs().error(Text_Table[3108] + QString::number(row) + Text_Table[message]);
            return false;
        }
    }
    return true;
}

void TFModbusStartAdd_SD::Btn_OKClick() {
    if (Check_Data()) SetModalResult(plat::mrOk);
}
