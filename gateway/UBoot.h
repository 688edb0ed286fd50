#pragma once
// The update dialog: checks that the gateway answers, writes the updater's parameter file
// "Flash_Loader.xml" beside the program and starts the updater.
#include "platform/Clock.h"
#include "platform/Form.h"
#include "platform/Ping.h"
#include "platform/XmlDoc.h"

#include <QString>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class TFadeButton;
class QTableWidget;

class TFBoot : public plat::TForm {
    Q_OBJECT
public:
    explicit TFBoot(QWidget* parent = nullptr);
    void Set_Lang() override;

    void Btn_UpdateClick();
    bool Send_Ping();
    // Writes "Flash_Loader.xml" for the address and the chosen operations; false with `error` when
    // the file cannot be written.
    bool Compile_XML_Parameter_New_Boot(const QString& address, QString* error);

    int Form_Type = 0;  // 0 serial port, 1 Ethernet
    int ping_res = 0;   // 0 nothing yet, 1 answered with data, 2 timed out

    // What the ping and its waits use; tests put fakes in.
    plat::Pinger* Ping = nullptr;
    plat::Clock* Clock = &plat::realClock();

    QWidget* P_IP_Address;
    QWidget* P_Options;
    QWidget* P_Serial;
    QWidget* P_Eth_Search;
    QWidget* P_Button;
    QLabel* L_IP_Address;
    QLineEdit* E_IP[4];
    QLabel* L_Update_Option;
    QComboBox* CB_Update_Options;
    QCheckBox* CB_Update_Option_Read_Back;
    QLabel* L_COM_Port;
    QComboBox* CB_COM_Port;
    TFadeButton* Btn_COM_List;
    QLabel* L_List_Device;
    TFadeButton* Btn_Search;
    QTableWidget* CG_List_Devices;
    QCheckBox* CB_Find_All_Quorim;
    TFadeButton* Btn_Cancel;
    TFadeButton* Btn_Update;

    // The address typed in the four octet edits as decimal octets, or nothing when an octet is not
    // 0-255 or the address cannot be a device (0.0.0.0, 255.255.255.255).
    std::optional<QString> Typed_Address() const;

protected:
    void FormShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    void update_ComPort();
    void setBusy(bool busy);
    std::unique_ptr<plat::Pinger> systemPinger_;
    bool busy_ = false;
};

inline TFBoot* FBoot = nullptr;
