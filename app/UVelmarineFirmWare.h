#pragma once
// The main window: a launcher of numbered steps. Its creation does the set-up every other window
// relies on (text table, folders, settings, last project, shared lists).
#include "platform/Form.h"
#include "platform/Process.h"
#include "platform/Timer.h"
#include "platform/XmlDoc.h"

#include <functional>
#include <vector>

class QLabel;
class QFrame;
class TFadeButton;

class TFVelmarineFirmWare : public plat::TForm {
    Q_OBJECT
public:
    explicit TFVelmarineFirmWare(QWidget* parent = nullptr);

    void Set_Lang() override;
    void Change_Language();
    void Set_Files();
    void Save_Setting();
    void Btn_Click(TFadeButton* sender);
    void Create_New_Project();
    void Open_Project();
    void Update_Device();
    void PROFINET_XML();
    void Build_EDS_File();
    // The hidden EDE step: the file name, the overwrite question, then the export.
    void BACnet_EDE_File();
    int Get_Type_BACnet();
    void Timer_UpdateTimer();
    void LL_UpdateLinkClick();
    void L_QuorimClick();
    // Starts a program and waits for it; reports a failed start and a wait that ran out.
    void Start_Program(const QString& NomeSW, const QString& Parameter, int tipo);

    // The windows relabelled by Change_Language, in their order (windows not built are skipped).
    std::vector<plat::TForm*> Language_Windows() const;

    QLabel* L_SW_Code;
    QLabel* L_SW_Desc;
    QLabel* L_Begin;
    QFrame* Shape1;
    QFrame* Shape2;
    QLabel* L_Name_Conf;
    QLabel* L_Name_Conf_L2;
    QLabel* L_Step[8];
    QLabel* L_Quorim;
    QLabel* LL_Update;
    plat::TTimer Timer_Update;
    plat::XmlDocument XML1;

    TFadeButton* Btn_New;
    TFadeButton* Btn_Open;
    TFadeButton* Btn_Close;
    TFadeButton* Btn_Info;
    TFadeButton* Btn_Opz;
    TFadeButton* Btn_Prm_Gen;
    TFadeButton* Btn_MQTT_Set_Topic;
    TFadeButton* Btn_PROFINET_XML;
    TFadeButton* Btn_CreateBin;

    // Every step button with its texts and action, in dispatch order.
    struct Step {
        TFadeButton* button;
        const char* name;
        bool visible;
        int caption;            // text number, -1: fixed caption or none
        int hint;               // text number, -1: none
        bool needsProject;
        std::function<void()> action;
    };
    const std::vector<Step>& Steps() const { return steps_; }
    TFadeButton* Step_Button(const char* name) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void Read_Settings();
    void Show_Project_Labels();
    void Build_Steps();
    void Show_Form(plat::TForm* form);
    // The hidden Scan & Decode step.
    void Show_Scan_Decode();
    void Show_Options();
    std::vector<Step> steps_;
};

inline TFVelmarineFirmWare* FVelmarineFirmWare = nullptr;

// Creates the main window and then every other window once, in the program's order.
void Create_Forms();
// Destroys them again and forgets every instance (program end, tests).
void Destroy_Forms();
