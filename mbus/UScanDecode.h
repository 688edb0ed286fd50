#pragma once
// The Scan & Decode window: the installer lets the gateway search its M-Bus line for meters (wired
// scan by primary or secondary address) or listen to wireless meters, looks at what every meter
// sends, ticks what to keep and saves it into the project's "M_Bus.xml". The window owns the scan
// engine; the engine's threads report through callbacks whose reports are applied here, on the
// user-interface thread, in the order made.
#include "mbus/MBusMeters.h"
#include "mbus/MBusScanSave.h"
#include "mbus/UMBusScanDecode.h"
#include "platform/Form.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QAction;
class QSplitter;
class QTimer;
class TExStringGrid;
class TFadeButton;
class TLazyStringTree;
namespace plat {
class TImageList;
}

// What the window asks of the scan engine. The window runs on the real engine; tests give a fake.
class TScanEngineControl {
public:
    virtual ~TScanEngineControl() = default;
    virtual bool InScan() const = 0;
    virtual int Result() const = 0;
    // Why the last scan failed (TMBusScanDecode::TScanFailure) and the system's text of a transport
    // failure; an engine that tells no cause has failed on the device.
    virtual int Failure() const {
        return Result() == 2 ? mbus::TMBusScanDecode::sfDevice : mbus::TMBusScanDecode::sfNone;
    }
    virtual QString Failure_Message() const { return {}; }
    virtual bool Start_Scan(mbus::TMBusScanDecode::TScanType scanType, mbus::TMBusScanDecode::TSelectHard hard,
                            const QString& ipCom, int32_t baud, int32_t parity, bool appReset, bool sndNke,
                            int32_t cutAfter, bool fixCField, uint8_t fixCFieldValue, bool remoteTimeout,
                            mbus::TUpdateSlaveList progress) = 0;
    virtual bool Start_Scan_Wireless(mbus::TMBusScanDecode::TSelectHard hard, const QString& ip, uint16_t port,
                                     int32_t mode, int32_t channel, bool remoteTimeout,
                                     mbus::TUpdateListWirelessSlave heard) = 0;
    virtual void Stop_Scan() = 0;
    virtual void Abort_Scan() = 0;
    virtual bool Insert_Wireless_Key(int32_t index, const std::array<uint8_t, 16>& key) = 0;
    virtual bool Save_XML_Conf_Wired(const mbus::TSaveConfXML& data, bool checkBcd, const mbus::TTickQuery& ticked) = 0;
    virtual bool Save_XML_Conf_Wireless(const mbus::TSaveConfXML& data, bool checkBcd) = 0;
    // The run gate: the engine's loop steps only while it is open.
    virtual void Set_Run(bool run) = 0;
    // The scan report's file name; empty writes no report.
    virtual void Set_SaveXMLFile(const QString& name) = 0;
};

// The real engine behind the window; a test may derive from it to watch the engine's state.
class TScanEngine : public TScanEngineControl {
public:
    explicit TScanEngine(mbus::TScanEngineSetup setup) : e_(std::move(setup)) {}
    bool InScan() const override { return e_.FInScan; }
    int Result() const override { return e_.FResult; }
    int Failure() const override { return e_.Failure; }
    QString Failure_Message() const override { return InScan() ? QString() : e_.Failure_Message; }
    bool Start_Scan(mbus::TMBusScanDecode::TScanType scanType, mbus::TMBusScanDecode::TSelectHard hard,
                    const QString& ipCom, int32_t baud, int32_t parity, bool appReset, bool sndNke, int32_t cutAfter,
                    bool fixCField, uint8_t fixCFieldValue, bool remoteTimeout,
                    mbus::TUpdateSlaveList progress) override {
        return e_.Start_Scan(scanType, hard, ipCom, baud, parity, appReset, sndNke, cutAfter, fixCField, fixCFieldValue,
                             remoteTimeout, std::move(progress));
    }
    bool Start_Scan_Wireless(mbus::TMBusScanDecode::TSelectHard hard, const QString& ip, uint16_t port, int32_t mode,
                             int32_t channel, bool remoteTimeout, mbus::TUpdateListWirelessSlave heard) override {
        return e_.Start_Scan_Wireless(hard, ip, port, mode, channel, remoteTimeout, std::move(heard), false);
    }
    void Stop_Scan() override { e_.Stop_Scan(); }
    void Abort_Scan() override { e_.Abort_Scan(); }
    bool Insert_Wireless_Key(int32_t index, const std::array<uint8_t, 16>& key) override {
        return e_.Insert_Wireless_Key(index, key);
    }
    bool Save_XML_Conf_Wired(const mbus::TSaveConfXML& data, bool checkBcd, const mbus::TTickQuery& t) override {
        return e_.Save_XML_Conf_Wired(data, checkBcd, t);
    }
    bool Save_XML_Conf_Wireless(const mbus::TSaveConfXML& data, bool checkBcd) override {
        return e_.Save_XML_Conf_Wireless(data, checkBcd);
    }
    void Set_Run(bool run) override {
        if (run)
            e_.Event_Run->SetEvent();
        else
            e_.Event_Run->ResetEvent();
    }
    void Set_SaveXMLFile(const QString& name) override { e_.SaveXMLFile = name; }

protected:
    const mbus::TMBusScanDecode& Scan() const { return e_; }

private:
    mbus::TMBusScanDecode e_;
};

// The window's engine when none is given.
std::unique_ptr<TScanEngineControl> Make_Scan_Engine(mbus::TScanEngineSetup setup = {});

// The message for a key that the engine did not take. It has no entry in the text table.
inline QString Key_Refused_Text() {
    return QStringLiteral("The key was not loaded: the radio module is not listening or has no free key slot. "
                          "Try again while the scan listens.");
}

// The message for a UDP port outside the range the wireless start accepts. The text table's entry
// for the port names a range that starts at 0, which no scan can use.
inline QString Port_Range_Text() {
    return QStringLiteral("Port must be between 1 and 65535");
}

// The message for a scan that ended as a failure, by its cause: the text table's "device not found"
// only when the gateway or its radio module did not answer; the others have no entry in the
// text table.
QString Scan_Failure_Text(int failure, const QString& detail);

class TFScanDecode : public plat::TForm {
    Q_OBJECT
public:
    explicit TFScanDecode(QWidget* parent = nullptr, std::unique_ptr<TScanEngineControl> engine = nullptr);
    ~TFScanDecode() override;
    void Set_Lang() override;

    // Caller's fields.
    int XML_Code_Dev = 18;
    QString FileName_MBus;
    int Form_Type = 0;

    // Own fields.
    int Index_Dev_MBus = -1;
    bool Cyclic_Scan = false;
    int Error_Cyclic = 0;
    int Window_State = 1;

    // Handlers and operations.
    void BtnClick(TFadeButton* sender);
    void T_InScanTimer();
    void CB_HardwareTypeChange();
    void Btn_COM_ListClick();
    void Ciclic1Click();
    void Move_Object_Type_Form();
    void Form_Style(int state);
    void Update_List_of_COM_Port();
    void Select_Scan();
    void StartScan();
    void StarScanWireless();
    void StopScan();
    void AbortScan();
    void NewScan();
    void Select_SaveXML(int kind);
    void SaveXML(int append, int modStart, int kind);
    void SaveXMLWireless(int append, int modStart, int kind);
    void Carica_Dati_Modbus_Start_Add();
    void Show_Slave_in_Tree();
    void Show_Slave_in_Tree_Wireless(int index);
    void Cancel_Device_List();
    void Cancel_Device_List_Wireless();
    void Cancel_Grid_Wireless();
    void Colomns_Width_Init();
    void SG_WirelessClickCell(int row, int col);
    void SG_WirelessDblClickCell(int row, int col);
    // The key typed for meter `index` as 16 bytes to the engine; a refusal is told to the user.
    void Insert_Key(int index, const QString& digits);

    // Wired progress line of a report (empty when the report adds none).
    static QString Progress_Line(int event, int address, int found, int scanType);
    // 32 hexadecimal digits as 16 bytes, digit pairs in order; a pair that is no number gives 0.
    static std::array<uint8_t, 16> Key_Bytes(const QString& digits);
    // Ticks of the wired tree, as the save asks them (meter, value -1 for the meter itself).
    bool Wired_Ticked(int meter, int variable);

    // The scan whose reports are shown; reports of an earlier scan are dropped.
    int Scan_Number() const { return scanNumber_; }
    // Whether the engine still finishes a scan that a close aborted.
    bool Close_Pending() const { return closePending_; }

    QLabel* L_Title_Cyclic;  // Label1: the cyclic error counter
    QWidget* P_Main;
    QLabel* L_ScanMethod;
    QComboBox* CB_ScanMethod;
    QLabel* L_ScanBy;
    QComboBox* CB_ScanBy;
    QLabel* L_HardwareType;
    QComboBox* CB_HardwareType;
    QLabel* L_IP;
    std::array<QLineEdit*, 4> E_IP;  // E_IP1 .. E_IP4
    std::array<QLabel*, 3> L_Dot;
    QLabel* L_ComPort;
    QComboBox* CB_ComPort;
    TFadeButton* Btn_COM_List;
    QLabel* L_Port;
    QLineEdit* E_Port;
    QLabel* L_MBus_ParGen;
    QLabel* L_MBus_Baud;
    QComboBox* CB_MBus_Baud;
    QLabel* L_MBus_Parity;
    QComboBox* CB_MBus_Parity;
    QLabel* L_wMBus_Mode;
    QComboBox* CB_wMBus_Mode;
    QLabel* L_wMBus_Radio_Channel;
    QComboBox* CB_wMBus_Radio_Channel;
    QLabel* L_Option_Scan;
    QCheckBox* CB_Opt_App_Reset;
    QCheckBox* CB_Opt_SND_NKE;
    QLabel* L_Opt_Cut_After;
    QLineEdit* E_Opt_Cut_After;
    QCheckBox* CB_Opt_Use_Fix_C_Field;
    QComboBox* CB_Opt_Use_Fix_C_Field_Value;
    QCheckBox* CB_Opt_Check_BCD_to_Int;
    QCheckBox* CB_Opt_Enable_Remote_Scan;

    QWidget* P_TreeView;
    QLabel* L_ScanProgress;
    QLabel* L_Num_Slave;
    QLabel* L_AvailableDevice;
    QListWidget* LB_AvailableDevice;
    TLazyStringTree* VST;

    QWidget* P_View_Wireless;
    TExStringGrid* SG_Wireless;
    QSplitter* Splitter_Wireless;
    TLazyStringTree* VST_Wireless;

    QWidget* P_Button;
    TFadeButton* Btn_StartScan;
    TFadeButton* Btn_StopScan;
    TFadeButton* Btn_AbortScan;
    TFadeButton* Btn_NewScan;
    TFadeButton* Btn_SaveConf;
    TFadeButton* Btn_SaveConfManual;

    QTimer* T_InScan;
    QMenu* PopupMenu1;
    QAction* Ciclic1;

    TScanEngineControl& Engine() { return *TR_ScanDecode; }

protected:
    void FormShow() override;
    void done(int r) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildSettings();
    void buildResults();
    void Make_Trees();  // before the wireless panel is laid out
    void Clear_Wireless_Tree();
    void setUpTree(TLazyStringTree* tree, bool wireless);
    void readIpFromParGen();
    void addProgressLine(const QString& line);
    void showWirelessRow(int index, const mbus::TSlave_wMBus& meter);
    bool wirelessScan() const;
    int selectedWirelessIndex() const;
    void finishClose();

    QWidget* vstWidget_ = nullptr;
    QWidget* vstWirelessWidget_ = nullptr;
    std::unique_ptr<TScanEngineControl> TR_ScanDecode;
    std::unique_ptr<plat::TImageList> IL_Tree1;
    std::unique_ptr<plat::TImageList> IL_Wireless_Table;
    int scanNumber_ = 0;
    bool closePending_ = false;
    int wirelessRow_ = 0;  // the table row whose meter the wireless tree shows
};

inline TFScanDecode* FScanDecode = nullptr;
