#include "mbus/UNewIDNode.h"

#include "controls/FadeButton.h"
#include "mbus/UMeter_Bus.h"
#include "platform/Guard.h"
#include "platform/IntConv.h"
#include "platform/UserDialogs.h"
#include "shell/DialogFrame.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace {

constexpr int kClientWidth = 265;
constexpr int kClientHeight = 195;
constexpr int kPromptTop = 73;
constexpr int kPromptHeight = 18;
// The first radio button, or the wireless address in its place: under the prompt, whose text the
// edit would otherwise cut off.
constexpr int kFirstRow = kPromptTop + kPromptHeight + 4;
constexpr int kRowStep = 28;

}  // namespace

TFNewIDNode::TFNewIDNode(QWidget* parent) : plat::TForm(parent) {
    setObjectName(QStringLiteral("FNewIDNode"));
    SetClientSize(kClientWidth, kClientHeight);
    const DialogFrame frame = Build_Dialog_Frame(this, kTitleHeight);
    Btn_OK = frame.ok;
    Btn_Cancel = frame.cancel;

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(12, kPromptTop, kClientWidth - 24, kPromptHeight);
    const auto edit = [this](const char* name, int top) {
        auto* e = new QLineEdit(QStringLiteral("1"), this);
        e->setObjectName(QString::fromLatin1(name));
        e->setGeometry(140, top - 2, 110, 22);
        return e;
    };
    RB_ID_Primary = new QRadioButton(this);
    RB_ID_Primary->setObjectName(QStringLiteral("RB_ID_Primary"));
    RB_ID_Primary->setGeometry(12, kFirstRow, 126, 18);
    RB_ID_Primary->setChecked(true);
    E_New_Node_ID_Pri = edit("E_New_Node_ID_Pri", kFirstRow);
    RB_ID_Secondary = new QRadioButton(this);
    RB_ID_Secondary->setObjectName(QStringLiteral("RB_ID_Secondary"));
    RB_ID_Secondary->setGeometry(12, kFirstRow + kRowStep, 126, 18);
    E_New_Node_ID_Sec = edit("E_New_Node_ID_Sec", kFirstRow + kRowStep);
    L_wMBus_Add = new QLabel(this);
    L_wMBus_Add->setObjectName(QStringLiteral("L_wMBus_Add"));
    L_wMBus_Add->setGeometry(12, kFirstRow, 126, 18);
    E_wMBus_Add = edit("E_wMBus_Add", kFirstRow);

    plat::onSignal(Btn_OK, &TFadeButton::clicked, this, [this]() { FadeButton2Click(); });
    plat::onSignal(Btn_Cancel, &TFadeButton::clicked, this, [this]() { SetModalResult(plat::mrCancel); });
    // Nothing is lost by leaving this small dialog: Enter confirms and Esc cancels.
    SetDefaultButton(Btn_OK);
    SetCancelOnEscape(true);
    Set_Lang();
}

void TFNewIDNode::Set_Lang() {
    setWindowTitle(Text_Table[1200]);
    L_SW_Desc()->setText(Text_Table[1201]);
    Btn_OK->SetCaption(Text_Table[1202]);
    Btn_Cancel->SetCaption(Text_Table[1203]);
    Label1->setText(Text_Table[1204]);
    RB_ID_Primary->setText(Text_Table[1205]);
    RB_ID_Secondary->setText(Text_Table[1206]);
    L_wMBus_Add->setText(Text_Table[1209]);
}

void TFNewIDNode::FormShow() {
    const bool wired = Form_Type != 2;
    for (QWidget* w : {static_cast<QWidget*>(RB_ID_Primary), static_cast<QWidget*>(E_New_Node_ID_Pri),
                       static_cast<QWidget*>(RB_ID_Secondary), static_cast<QWidget*>(E_New_Node_ID_Sec)})
        w->setVisible(wired);
    L_wMBus_Add->setVisible(!wired);
    E_wMBus_Add->setVisible(!wired);
    if (wired)
        (RB_ID_Primary->isChecked() ? E_New_Node_ID_Pri : E_New_Node_ID_Sec)->setFocus();
    else
        E_wMBus_Add->setFocus();
}

void TFNewIDNode::FadeButton2Click() {
    if (Form_Type == 2) {
        const int64_t address = plat::tryStrToInt64(E_wMBus_Add->text()).value_or(-1);
        if (address < 0 || address > 0xFFFFFFFFLL) {
            plat::dialogs().error(Text_Table[1210]);
            return;
        }
        SetModalResult(plat::mrOk);
        return;
    }
    const bool primary = RB_ID_Primary->isChecked();
    const int32_t id = plat::tryStrToInt((primary ? E_New_Node_ID_Pri : E_New_Node_ID_Sec)->text()).value_or(-1);
    if (primary && (id < 0 || id > 255)) {
        plat::dialogs().error(Text_Table[1207]);
        return;
    }
    if (!primary && (id < 0 || id > 99999999)) {
        plat::dialogs().error(Text_Table[1208]);
        return;
    }
    if (FMeter_Bus && !FMeter_Bus->Check_Node_ID2(id, primary ? 0 : 1)) return;
    SetModalResult(plat::mrOk);
}
