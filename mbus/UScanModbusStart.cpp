#include "mbus/UScanModbusStart.h"

#include "controls/FadeButton.h"
#include "mbus/LabelCaption.h"
#include "platform/Guard.h"
#include "platform/IntConv.h"
#include "platform/UserDialogs.h"
#include "shell/DialogFrame.h"
#include "shell/ULanguage.h"

#include <QLabel>
#include <QLineEdit>

namespace {

constexpr int kClientWidth = 331;
constexpr int kClientHeight = 162;
constexpr int kMargin = 12;

}  // namespace

TFScanModbusStart::TFScanModbusStart(QWidget* parent) : plat::TForm(parent) {
    setObjectName(QStringLiteral("FScanModbusStart"));
    SetClientSize(kClientWidth, kClientHeight);
    const DialogFrame frame = Build_Dialog_Frame(this, kTitleHeight);
    Btn_OK = frame.ok;
    Btn_Cancel = frame.cancel;

    L_StartModAdd = new QLabel(this);
    L_StartModAdd->setObjectName(QStringLiteral("L_StartModAdd"));
    L_StartModAdd->setGeometry(kMargin, kTitleHeight + 6, kClientWidth - 2 * kMargin, 18);
    E_StartModAdd = new QLineEdit(this);
    E_StartModAdd->setObjectName(QStringLiteral("E_StartModAdd"));
    E_StartModAdd->setGeometry(kMargin, kTitleHeight + 26, 110, 22);

    plat::onSignal(Btn_OK, &TFadeButton::clicked, this, [this]() { Btn_OKClick(); });
    plat::onSignal(Btn_Cancel, &TFadeButton::clicked, this, [this]() { SetModalResult(plat::mrCancel); });
    // One box: Enter confirms and Esc cancels.
    SetDefaultButton(Btn_OK);
    SetCancelOnEscape(true);
    Set_Lang();
}

void TFScanModbusStart::Set_Lang() {
    setWindowTitle(Text_Table[3200]);
    // This window's title shows the scan's name in place of the software code.
    L_SW_Code()->setText(labelCaption(Text_Table[3201]));
    L_SW_Desc()->setText(Text_Table[3202]);
    L_StartModAdd->setText(Text_Table[3203]);
    Btn_OK->SetCaption(Text_Table[3204]);
    Btn_Cancel->SetCaption(Text_Table[3205]);
}

void TFScanModbusStart::FormShow() { E_StartModAdd->setFocus(); }

void TFScanModbusStart::Btn_OKClick() {
    const int32_t value = plat::tryStrToInt(E_StartModAdd->text()).value_or(-1);
    if (value < 1 || value > 65535) {
        plat::dialogs().error(Text_Table[3206]);
        return;
    }
    StartModAdd = value;
    SetModalResult(plat::mrOk);
}
