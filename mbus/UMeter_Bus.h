#pragma once
// The M-Bus network editor: the project's meters (nodes) and the values taken from them
// (variables) as a tree, the fields of the selected node or variable on two pages, and
// "M_Bus.xml", which is read when the window opens and written only by OK.
#include "controls/ExPageControl.h"
#include "mbus/MBusNetwork.h"
#include "platform/Form.h"

#include <QComboBox>
#include <QStringList>
#include <array>
#include <optional>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class TFadeButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

// A drop-down whose stored value is the item index. A value it has no item for (a scan can write
// such) is kept: the box then shows no item and gives the value back until an item is picked.
// A dropped list wider than the box opens leftwards, right edges aligned.
class TIndexComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;

    void ShowValue(int value);
    // The first item, or no item and -1 for an empty list.
    void ShowFirst();
    int Value() const { return currentIndex() >= 0 ? currentIndex() : kept_; }

    // 0: the list is as wide as the box.
    int DroppedWidth() const { return droppedWidth_; }
    void SetDroppedWidth(int width);
    void showPopup() override;

private:
    int kept_ = -1;
    int droppedWidth_ = 0;
};

class TFMeter_Bus : public plat::TForm {
    Q_OBJECT
public:
    explicit TFMeter_Bus(QWidget* parent = nullptr);
    ~TFMeter_Bus() override;
    void Set_Lang() override;

    // Handlers.
    void TWClick();
    void btn_Add_NodeClick();
    void btn_Add_VarClick();
    void btn_Delete_ItemClick();
    void CopyVariable1Click();
    void PasteVariable1Click();
    void CopyNode1Click();
    void PasteNode1Click();
    void CB_Var_ToDChange();
    void CB_Var_DimChange();
    void CB_MBus_TypeChange();
    void FadeButton2Click();  // OK
    void FadeButton4Click();  // Cancel
    void Btn_ImportNet_Click();

    void Aggiorna_Label();
    void Sposta_Oggetti_Var(int listType);
    void Nodes_Move_Elements();
    // Widens the box's dropped list to its widest item.
    void Select_Width_ComboBox(TIndexComboBox* box);
    bool Controllo_Dati_New_Nodo();
    bool Controllo_Dati_New_Var();
    // True when a post operation is not allowed with this VIFE of type of data 19.
    static bool Check_VIFE_PostOpe(int vife);
    // Whether a wired address is free among the other wired nodes; shows the refusal.
    bool Check_Node_ID(int id);
    // Whether an address of this kind (0 primary, 1 secondary) is free for a pasted node; shows
    // the refusal.
    bool Check_Node_ID2(int id, int kind);
    static int Found_BACnet_EngUnits(int typeOfData, int vife);

    // Tree captions.
    static QString Node_Caption(const mbus::TNodo& node);
    static QString Var_Caption(const mbus::TVariabile& var);

    // The network in editing.
    mbus::TNodiList Nodi_List;
    int IND_NODO = -1;
    int IND_VAR = -1;
    QTreeWidgetItem* NODE_ORIG = nullptr;
    QTreeWidgetItem* NODE_ID = nullptr;
    QTreeWidgetItem* SELECT_NODE = nullptr;
    // The copy buffers outlive the showing: what was copied can be pasted after reopening.
    std::optional<mbus::TVariabile> Copy_Var;
    std::optional<mbus::TNodo> Copy_Node;
    bool Is_Change = false;
    QStringList MQTT_Topics;
    int Working_Mode = 0;

    QTreeWidget* TW;
    QMenu* PM_CopyPaste;
    QAction* CopyVariable1;
    QAction* PasteVariable1;
    QAction* CopyNode1;
    QAction* PasteNode1;
    QAction* DeleteItems1;
    TExPageControl* ExPageControl1;
    TExTabSheet* ExTabSheet1;
    TExTabSheet* ExTabSheet2;

    // Nodes page.
    QCheckBox* CB_Enable_Node;
    QLabel* L_New_Node_Desc;
    QLineEdit* E_New_Node_Desc;
    QLabel* L_MBus_Type;
    TIndexComboBox* CB_MBus_Type;
    QRadioButton* RB_ID_Primary;
    QLineEdit* E_New_Node_ID_Pri;
    QRadioButton* RB_ID_Secondary;
    QLineEdit* E_New_Node_ID_Sec;
    QCheckBox* CB_SND_NKE;
    QCheckBox* CB_Reset_App;
    QLabel* L_Var_Type;
    TIndexComboBox* CB_Var_Type;
    QLabel* L_Cut_After;
    TIndexComboBox* CB_Cut_After;
    QLabel* L_Frames;
    TFadeButton* btn_Add_Node;
    QWidget* P_wMBus_Node;
    QLabel* L_wMBus_ManID;
    QLineEdit* E_wMBus_ManID;
    QLabel* L_wMBus_Add;
    QLineEdit* E_wMBus_Add;
    QLabel* L_wMBus_Ver;
    QLineEdit* E_wMBus_Ver;
    QLabel* L_wMBus_DevType;
    QLineEdit* E_wMBus_DevType;
    QCheckBox* CB_wMBus_EnKey;
    std::array<QLabel*, 16> L_wMBus_K;
    std::array<QLineEdit*, 16> E_wMBus_K;  // E_wMBus_K1 .. E_wMBus_K16
    QLabel* L_wMBus_VarList;
    TIndexComboBox* CB_wMBus_VarList;

    // Variables page.
    QCheckBox* CB_Var_En;
    QLabel* L_New_Var_Desc;
    QLineEdit* E_New_Var_Desc;
    QLabel* L_Var_ToD;
    TIndexComboBox* CB_Var_ToD;
    QLabel* L_VIF_ASCII;
    QLineEdit* E_VIF_ASCII;
    QLabel* L_Var_FF;
    TIndexComboBox* CB_Var_FF;
    QLabel* L_Var_Dim;
    TIndexComboBox* CB_Var_Dim;
    QLabel* L_Length;
    QLineEdit* E_Length;
    QLabel* L_Var_Unit;
    TIndexComboBox* CB_Var_Unit;
    QLabel* L_Sto_Num;
    QLineEdit* E_Sto_Num;
    QLabel* L_Tariff;
    QLineEdit* E_Tariff;
    QLabel* L_VIFE;
    TIndexComboBox* CB_VIFE;
    QCheckBox* CB_BCDtoINT;
    QLabel* L_Position;
    QLineEdit* E_Position;
    QLabel* L_Topic;
    TIndexComboBox* CB_Topic;
    QLabel* L_PostOpe;
    TIndexComboBox* CB_PostOpe;
    TFadeButton* btn_Add_Var;

    QLabel* L_MBus_NumByte;
    TFadeButton* Btn_OK;
    TFadeButton* Btn_Cancel;
    TFadeButton* Btn_ImportNet;
    TFadeButton* FadeButton1;  // "SCAN DEVICE": always hidden
    TFadeButton* FadeButton3;  // "SCAN VARIABLES": always hidden

protected:
    void FormShow() override;

private:
    void buildNodePage();
    void buildVariablePage();
    void clearNetwork();
    void loadTopics();
    void loadNetwork();
    QTreeWidgetItem* addNodeItem(const mbus::TNodo& node);
    void showNodeFields(const mbus::TNodo& node);
    void resetVariableFields();
    void showVariableFields(const mbus::TVariabile& var);
    // The node and variable the fields describe, over `base` (what the fields do not show).
    mbus::TNodo nodeFromFields(const mbus::TNodo& base) const;
    mbus::TVariabile variableFromFields(const mbus::TVariabile& base) const;
    bool positionUntouched() const;
    bool wiredFields() const { return CB_MBus_Type->Value() != 0; }

    // The network file was not read whole when the window opened.
    bool readFailed_ = false;
    // The position text that the selected variable was shown with.
    QString shownPosition_;
};

inline TFMeter_Bus* FMeter_Bus = nullptr;
