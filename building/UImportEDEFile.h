#pragma once
// The EDE import of the BACnet client: the objects of a device's EDE file, of which the user
// chooses those to import and whether each is read, written or both, and the device's address.
// The caller sets the file and the network kind, shows the window and, after OK, reads the list.
#include "building/BACnetEDEList.h"
#include "platform/Form.h"

#include <vector>

class QLabel;
class QLineEdit;
class QObject;
class QResizeEvent;
class TExColumnGrid;
class TFadeButton;

class TFImportEDEFile : public plat::TForm {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 863;
    static constexpr int kClientHeight = 337;
    static constexpr int kDesignedRows = 512;

    explicit TFImportEDEFile(QWidget* parent = nullptr);

    void Set_Lang() override;
    void Cancel_EDE_List_Vars();
    void Load_EDE_File();
    void Show_Data_in_Grid();
    void CGCheckBoxClick(QObject* Sender, int ACol, int ARow, bool State);
    void Btn_Select_AllClick();
    void Btn_Unselect_AllClick();
    void Btn_OKClick();

    QString EDE_File;
    int App_BACnet_Type = 0;
    // Filled at each showing; what the caller reads after OK.
    std::vector<TBACnet_Var> List_EDE_Var;

    QWidget* P_ID_IP;
    QLabel* LID_IP;
    QLineEdit* E_ID_IP;
    TExColumnGrid* CG;
    QWidget* P_Button;
    TFadeButton* Btn_OK;
    TFadeButton* Btn_Cancel;
    TFadeButton* Btn_Select_All;
    TFadeButton* Btn_Unselect_All;

protected:
    void FormShow() override;
    void resizeEvent(QResizeEvent* event) override;
};

inline TFImportEDEFile* FImportEDEFile = nullptr;
