#pragma once
// The options dialog: the user-interface language (chosen from the language files present), the
// internet and update-check options, the two table options, and the version check that the main
// window's update timer also runs.
#include "platform/Clock.h"
#include "platform/Form.h"

#include <QStringList>
#include <functional>

class QCheckBox;
class QLabel;
class TFadeButton;
class QTabWidget;

// The configurator's own version and the code of its manual.
inline constexpr const char* kSoftwareVersion = "1.003";
inline constexpr const char* kManualCode = "KM73632";

// The maker's page with the newer versions, which the update links open.
QString Download_Page_Address();

class TFSoftOptions : public plat::TForm {
    Q_OBJECT
public:
    explicit TFSoftOptions(QWidget* parent = nullptr);
    ~TFSoftOptions() override;

    void Set_Lang() override;
    void Btn_OKClick();
    void Btn_NextClick(TFadeButton* sender);
    // Slot k (1 to 6) of the shown page, picture or label.
    void LangClick(int slot);
    void Update_CheckBox();
    void Btn_Check_UpdateClick();
    void LL_Check_UpdateLinkClick(const QString& link);
    void Create_Lang_List();
    void Update_Lang_Page(int Num_Page);

    // True when the maker's server announces a version newer than ours. Every failure of the
    // exchange counts as no newer version.
    bool Check_Version() const;
    // The number of a version text ("VER. 1.003" and "1.003" give 1003); -1 when unreadable.
    static int Conv_Version(const QString& Ver_str);

    // The longest the version check may take; tests shorten it.
    int Http_Timeout_Ms = 10000;
    // The clock that measures it; none: the monotonic clock. Tests drive their own.
    plat::Clock* Http_Clock = nullptr;
    // The longest answer the version check reads; anything longer is no answer.
    qint64 Http_Max_Reply_Bytes = 16 * 1024;

    // Relabels every window after a language change; the main window sets it. Without it only
    // this dialog is relabelled.
    std::function<void()> Change_Language;

    QTabWidget* PC_Options;
    QWidget* TS_Language;
    QWidget* TS_Con_Options;
    QWidget* TS_Soft_Settings;
    QLabel* L_Sel_Lang;
    QLabel* I_L[6];
    QLabel* L_L[6];
    QLabel* L_Page_Lang;
    TFadeButton* Btn_Prev;
    TFadeButton* Btn_Next;
    QCheckBox* CB_En_Con;
    QCheckBox* CB_Update;
    TFadeButton* Btn_Check_Update;
    QLabel* LL_Check_Update;
    QCheckBox* CB_Soft_Set_Jump_Table;
    QCheckBox* CB_DoubleClick_Auto_Size;
    TFadeButton* Btn_OK;
    TFadeButton* Btn_Cancel;

    QStringList SL_Languages;
    int Show_Page = 1;
    QString Language_In_Use;

protected:
    void FormShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int Page_Count() const { return static_cast<int>((SL_Languages.size() + 5) / 6); }
};

inline TFSoftOptions* FSoftOptions = nullptr;
