#pragma once
// The engineering-unit picker of the BACnet server objects: the caller puts a code into the edit
// and its name into the label, the user types a code or chooses one by category and unit, and OK
// hands the edit's text back.
#include "building/BACnetUnits.h"
#include "platform/Form.h"

class QComboBox;
class QLabel;
class QLineEdit;
class TFadeButton;

class TFBACnet_Eng_Unit : public plat::TForm {
    Q_OBJECT
public:
    explicit TFBACnet_Eng_Unit(QWidget* parent = nullptr);

    void Set_Lang() override;
    // Refills the unit list with the chosen category's units and selects the first.
    void CB_Select_TypeSelect();
    // Puts the chosen unit's code into the edit and its name into the label.
    void Btn_Select_Eng_UnitClick();

    QLabel* Label1;
    QLineEdit* E_Selected_EU;
    QLabel* Label5;
    QLabel* Label2;
    QLabel* Label3;
    QComboBox* CB_Select_Type;
    QLabel* Label4;
    QComboBox* CB_Select_Unit;
    TFadeButton* Btn_Select_Eng_Unit;
    QWidget* P_Button;
    TFadeButton* Btn_OK;
    TFadeButton* Btn_Cancel;

protected:
    void FormShow() override;
};

inline TFBACnet_Eng_Unit* FBACnet_Eng_Unit = nullptr;
