#pragma once
// "Set Communication": the gateway's communication parameters of the open project, kept in
// "ParGen.xml". The body is a scrolling stack of collapsible, numbered panels; the dialog reads the
// file when shown and writes it on OK.
#include "gateway/ParGenFile.h"
#include "platform/Form.h"

#include <QHash>
#include <QList>
#include <QString>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class TFadeButton;
class QWheelEvent;

namespace plat {
class TCategoryPanel;
class TCategoryPanelGroup;
}  // namespace plat

class TFParGen : public plat::TForm {
    Q_OBJECT
public:
    explicit TFParGen(QWidget* parent = nullptr);

    void Set_Lang() override;

    // Checks the numeric fields in a fixed order; shows the first error and returns false.
    bool Controllo_Dati();
    // True when the text holds a character outside "0".."9", "A".."Z", "a".."z".
    bool Check_Device_Name(const QString& text) const;

    // Re-lays out the whole dialog from the current state of its controls.
    void Move_GroupBoxs();
    // Change handler of the edits and drop-downs, click handler of the check boxes.
    void On_Change(QObject* sender);
    void On_Click(QObject* sender);

    // The panels every model of the family shows, in display order, and what its re-layout does
    // besides running their routines.
    struct ModelOrder {
        enum class Rule { ConnectionType, EthernetOnlyFirst, Nothing };
        const char* code;
        std::vector<const char*> panels;
        Rule rule;
    };
    static const std::vector<ModelOrder>& ModelOrders();
    static const ModelOrder* FindModel(QStringView code);
    // Shows, stacks, numbers and tab-orders the model's panels; the others stay as they are.
    void Order_TAB_Panels_Model(const ModelOrder& model);
    void RePosition_Objects_Model(const ModelOrder& model);

    // Each model's order routine (run once, at creation) and re-layout routine, named after its code.
#define PARGEN_MODEL_ROUTINES(code)                                                     \
    void Order_TAB_Panels_##code() { Order_TAB_Panels_Model(*FindModel(u"" #code)); } \
    void RePosition_Objects_##code() { RePosition_Objects_Model(*FindModel(u"" #code)); }
    PARGEN_MODEL_ROUTINES(610)
    PARGEN_MODEL_ROUTINES(611)
    PARGEN_MODEL_ROUTINES(612)
    PARGEN_MODEL_ROUTINES(613)
    PARGEN_MODEL_ROUTINES(614)
    PARGEN_MODEL_ROUTINES(615)
    PARGEN_MODEL_ROUTINES(616)
    PARGEN_MODEL_ROUTINES(617)
    PARGEN_MODEL_ROUTINES(618)
    PARGEN_MODEL_ROUTINES(619)
    PARGEN_MODEL_ROUTINES(620)
    PARGEN_MODEL_ROUTINES(621)
    PARGEN_MODEL_ROUTINES(622)
    PARGEN_MODEL_ROUTINES(623)
    PARGEN_MODEL_ROUTINES(624)
    PARGEN_MODEL_ROUTINES(625)
    PARGEN_MODEL_ROUTINES(626)
    PARGEN_MODEL_ROUTINES(627)
    PARGEN_MODEL_ROUTINES(629)
    PARGEN_MODEL_ROUTINES(631)
    PARGEN_MODEL_ROUTINES(632)
    PARGEN_MODEL_ROUTINES(633)
    PARGEN_MODEL_ROUTINES(634)
    PARGEN_MODEL_ROUTINES(811_R1)
    PARGEN_MODEL_ROUTINES(811_R2)
    PARGEN_MODEL_ROUTINES(811_R3)
#undef PARGEN_MODEL_ROUTINES

    // Panel routines of this gateway's panels.
    void RePosition_Object_Select_Device();
    void RePosition_Object_Ethernet_Connection();
    void RePosition_Object_PROFINET();
    void RePosition_Object_MQTT();
    void RePosition_Object_Ethernet();
    void RePosition_Object_TLS();
    void RePosition_Object_NTP();
    void RePosition_Object_WiFi2();
    void RePosition_Object_GSM_GPRS();
    // Panel routines of the panels that the other models show.
    void RePosition_Object_WorkMode();
    void RePosition_Object_MBus();
    void RePosition_Object_wMBus();
    void RePosition_Object_WiFi();
    void RePosition_Object_Serial();
    void RePosition_Object_Modbus_Master();
    void RePosition_Object_Modbus_Slave();
    void RePosition_Object_Modbus_TCP_Master();
    void RePosition_Object_Modbus_TCP_Slave();
    void RePosition_Object_CAN();
    void RePosition_Object_CANopen();
    void RePosition_Object_J1939();
    void RePosition_Object_DeviceNet_Master();
    void RePosition_Object_DeviceNet_Slave();
    void RePosition_Object_EtherNetIP();
    void RePosition_Object_PROFIBUS();
    void RePosition_Object_NMEA2000();
    void RePosition_Object_DMX();
    void RePosition_Object_KNX();
    void RePosition_Object_SNMP_Agent();
    void RePosition_Object_SNMP_Manager();
    void RePosition_Object_BACnet_Slave();
    void RePosition_Object_BACnet_Master();
    void RePosition_Object_DALI();

    // OK: writes "ParGen.xml" and closes with the result OK.
    void Btn_OKClick();
    // The "..." button of a certificate box: copies the chosen file into the project's
    // "Certificates" folder and puts its bare name into the box.
    void Btn_OnCertificate(TFadeButton* sender);

    // Number of IP addresses the device has on Wi-Fi, with the protocol of each.
    int Check_Device_IP_Address_WiFi(QString& str_Bus_IP1, QString& str_Bus_IP2) const;

    // The controls' values in the file's written form, and back.
    pargen::Values Values() const;
    void SetValues(const pargen::Values& values);

    // Controls and panels by their names ("E_Ethernet_IP1", "CP_MQTT", ...); nullptr when unknown.
    QWidget* Control(const QString& name) const { return controls_.value(name); }
    QLineEdit* Edit(const QString& name) const;
    QCheckBox* Check(const QString& name) const;
    QComboBox* Combo(const QString& name) const;
    QLabel* Label(const QString& name) const;
    plat::TCategoryPanel* Panel(const QString& name) const { return panels_.value(name); }

    plat::TCategoryPanelGroup* CPG = nullptr;
    QWidget* P_Button = nullptr;
    TFadeButton* Btn_OK = nullptr;
    TFadeButton* Btn_Cancel = nullptr;

protected:
    void FormShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Wheel over the panel stack scrolls it by the system's lines per notch.
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct RowWidgets {
        QWidget* lead = nullptr;  // label or check box
        QList<QWidget*> inputs;
        QList<QWidget*> dots;
        QWidget* button = nullptr;
        int inputOffset = -3;  // Top of the inputs and of the "." labels relative to the lead
        int dotOffset = 0;
    };
    void buildPanels();
    void Order_TAB_Panels();
    void FormResize();
    // Row helpers of the layout: placing a row at Y shows it there and returns the next Y.
    int placeRow(const char* lead, int y);
    void hideRow(const char* lead);
    void showRow(const char* lead);
    void setAddressBlockEnabled(const char* ip, const char* sm, const char* gatewayCheck, const char* gat, bool enabled);
    void setPanelHeight(const char* panel, const char* anchor);
    void layoutFixedPanel(const char* panel);
    void layoutAddressBlock(const char* panel);
    bool ticked(const char* checkBox) const;
    int position(const char* comboBox) const;
    // The caption a field is known by in messages: its row's label or check box.
    QString fieldCaption(QWidget* field) const;
    void register_(QWidget* w, const QString& name);
    void KeyPress(QLineEdit* edit, QKeyEvent* event);
    void FormMouseWheel(QWheelEvent* event);

    bool Is_Change = false;
    QHash<QString, QWidget*> controls_;
    QHash<QString, RowWidgets> rows_;            // by the row's lead control
    QHash<QWidget*, QWidget*> leadOf_;           // input -> lead of its row
    QHash<QString, plat::TCategoryPanel*> panels_;
    std::vector<QWidget*> bound_;               // control of each element, in file order
    QHash<QWidget*, QWidget*> dotSuccessor_;    // octet edit -> next edit of its chain (nullptr: end)
    QHash<TFadeButton*, QLineEdit*> certBox_;  // "..." button -> its file-name box
};

inline TFParGen* FParGen = nullptr;
