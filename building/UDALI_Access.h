#pragma once
// The DALI gateway's window: which of the 64 short addresses carry a device and how each reacts on
// power-up (Select Device, kept in "DALI_Access.xml"), the rules that read or command devices and
// sensors (Set Access) and the chain of small functions the rules call (Functions), both kept in
// "DALI2_Access.xml". OK checks both lists and writes both files.
#include "building/DALISchemas.h"
#include "controls/ExGridTypes.h"
#include "platform/Form.h"
#include "platform/XmlDoc.h"

#include <QChar>
#include <QStringList>

class QLabel;
class QMenu;
class TFadeButton;
class QSplitter;
class QTabWidget;
class QWidget;
class TExColumnGrid;
class TExStringGrid;

class TFDALI_Access : public plat::TForm {
    Q_OBJECT
public:
    explicit TFDALI_Access(QWidget* parent = nullptr);

    static constexpr int kClientWidth = 1200;
    static constexpr int kClientHeight = 496;
    static constexpr int kButtonPanelHeight = 40;
    // Device grid columns.
    enum { dName = 0, dEnable, dAddress, dDimming, dMinMax, dRecall };

    void Set_Lang() override;
    bool Controllo_dati();
    void PC_DALIChange();
    void Compile_Function();
    void SetConditionOnEvent(int ARow, const QString& Value);

    void Btn_OKClick();
    void Btn_SelectAllClick();
    void Btn_ClearAllClick();
    void Btn_DelRowClick();
    void Btn_InsRowClick();
    void Btn_CopyRowClick();
    void Btn_PasteRowClick();
    void SGGetEditorType(QObject* Sender, int ACol, int ARow, TEditorType& AEditor);
    void CGComboChange(QObject* Sender, int ACol, int ARow, int AItemIndex, const QString& ASelection);

    QWidget* P_Title = nullptr;
    QWidget* P_Button = nullptr;
    QLabel* L_NBI_Title = nullptr;
    QLabel* L_NBI_Value = nullptr;
    QLabel* L_NBO_Title = nullptr;
    QLabel* L_NBO_Value = nullptr;
    QTabWidget* PC_DALI = nullptr;
    QWidget* TS_Select_Device = nullptr;
    QWidget* TS_Set_Access = nullptr;
    QWidget* TS_Functions = nullptr;
    QSplitter* Splitter1 = nullptr;
    QWidget* PDaliDevice = nullptr;
    QWidget* PDaliGroupBroad = nullptr;
    TExColumnGrid* CG_DALI_Device = nullptr;
    TExColumnGrid* CG_DALI_GroupBroad = nullptr;
    TExStringGrid* SG = nullptr;
    TExColumnGrid* CG = nullptr;
    QMenu* PM_MinMax = nullptr;
    QMenu* PM_Recall = nullptr;
    QMenu* PM_Dimming = nullptr;
    TFadeButton* Btn_OK = nullptr;
    TFadeButton* Btn_Cancel = nullptr;
    TFadeButton* Btn_SelectAll = nullptr;
    TFadeButton* Btn_ClearAll = nullptr;
    TFadeButton* Btn_DelRow = nullptr;
    TFadeButton* Btn_InsRow = nullptr;
    TFadeButton* Btn_CopyRow = nullptr;
    TFadeButton* Btn_PasteRow = nullptr;
    TFadeButton* Btn_DALI_Maps = nullptr;
    plat::XmlDocument XML1;

    QStringList Hint, Hint_Fun;
    QStringList DevSen, SenType, DevType, SelFunct, NumBytes;
    QStringList SenEvent, Channel;  // filled, read by nothing
    bool Do_Copy = false;
    bool Do_Copy_Fun = false;

protected:
    void FormShow() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Init_Table();
    void buildDeviceGrids();
    void buildFunctionsGrid();
    void buildMenus();
    void setDeviceColumn(int ACol, const QString& value);
    void resetDevices();
    void loadDevices();
    void resetRules();
    void loadRules();
    std::vector<accesslist::Rows> ruleRows() const;
    bool saveFiles();
    void gridEvents(TExStringGrid& grid, QStringList* hints);

    bool loadFailed_ = false;  // a file could not be read whole at the last showing
};

inline TFDALI_Access* FDALI_Access = nullptr;
