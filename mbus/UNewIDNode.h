#pragma once
// The identity of a pasted node: a primary or secondary address for a wired node, or a wireless
// address. The dialog only checks what was typed; the network editor reads its boxes afterwards.
#include "platform/Form.h"

class QLabel;
class QLineEdit;
class TFadeButton;
class QRadioButton;

class TFNewIDNode : public plat::TForm {
    Q_OBJECT
public:
    explicit TFNewIDNode(QWidget* parent = nullptr);
    void Set_Lang() override;

    // OK: closes with OK only when the address of the mode is valid (and, wired, still free).
    void FadeButton2Click();

    // Set by the caller before showing: 1 wired (two addresses), 2 wireless (one address).
    int Form_Type = 1;

    QLabel* Label1;
    QRadioButton* RB_ID_Primary;
    QLineEdit* E_New_Node_ID_Pri;
    QRadioButton* RB_ID_Secondary;
    QLineEdit* E_New_Node_ID_Sec;
    QLabel* L_wMBus_Add;
    QLineEdit* E_wMBus_Add;
    TFadeButton* Btn_OK;
    TFadeButton* Btn_Cancel;

protected:
    void FormShow() override;
};

inline TFNewIDNode* FNewIDNode = nullptr;
