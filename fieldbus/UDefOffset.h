#pragma once
// The DeviceNet offset editor: the slaves of the network list above, and for the selected slave
// one line per input byte and per output byte in which the user picks the byte's position in the
// exchange area (or "None" to leave it out) and a mnemonic. Two output bytes may not share a
// position. Kept in "DNETM_DefOff.xml", one record per slave in the order of the network list.
#include "fieldbus/DeviceNet.h"
#include "platform/Form.h"
#include "platform/XmlDoc.h"

#include <vector>

class QLabel;
class TFadeButton;
class QResizeEvent;
class QSplitter;
class QTabWidget;
class QWidget;
class TExColumnGrid;

using devicenet::TSlave_DN;

class TFDefOffset : public plat::TForm {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 482;
    static constexpr int kClientHeight = 610;

    explicit TFDefOffset(QWidget* parent = nullptr);

    void Set_Lang() override;
    void Load_Slave_DN();
    void Load_Offset_Slave_DN();
    void Select_First();
    void CG_DN_SlavesClick();
    void Update_Slave_DN();
    bool Save_Data_ByteIN_ByteOUT();
    void Reset_Array_Check();
    bool Check_Data();
    bool Save_Offset_Slave_DN();
    void bitbtn1Click();

    std::vector<TSlave_DN> List_Slaves_DN;
    int Slave_Before_Select = -1;
    int MAX_BYTE_IN = 1440;
    int MAX_BYTE_OUT = 1440;
    devicenet::OffsetOwners Check_Byte_Offset;

    QWidget* P_Title;
    QWidget* P_Slaves;
    QLabel* Label1;
    TExColumnGrid* CG_DN_Slaves;
    QSplitter* Splitter1;
    QWidget* P_Client;
    QLabel* Label2;
    QLabel* Label3;
    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    TExColumnGrid* CG_ByteIN;
    TExColumnGrid* CG_ByteOUT;
    QWidget* P_Button;
    TFadeButton* Btn_OK;
    TFadeButton* Btn_Cancel;
    plat::XmlDocument XML1;

protected:
    void FormShow() override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layoutPanels();
    bool splitterPlaced_ = false;
    // The slave of the byte grids, or nullptr while none is shown.
    TSlave_DN* shownSlave();
    // A file could not be read completely at this showing: OK asks before replacing the offsets.
    bool loadFailed_ = false;
    // The network file was there and read: only then does OK write the offset file.
    bool networkRead_ = false;
};

inline TFDefOffset* FDefOffset = nullptr;
