#include "app/UVelmarineFirmWare.h"

#include "building/UBACnetAccess.h"
#include "building/UBACnetSlaveSetAccess.h"
#include "building/UBACnet_EDE_File.h"
#include "building/UBACnet_Eng_Unit.h"
#include "building/UDALI_Access.h"
#include "building/UImportEDEFile.h"
#include "building/UDMXDefVal.h"
#include "building/UKNXAccess.h"
#include "building/UReceiveNMEA.h"
#include "building/USNMPManagerAccess.h"
#include "building/USNMP_MIB.h"
#include "building/USNMP_Trap_Access.h"
#include "building/UTransmitNMEA.h"
#include "controls/FadeButton.h"
#include "fieldbus/UDNet.h"
#include "fieldbus/UDefOffset.h"
#include "fieldbus/UEds.h"
#include "fieldbus/UMQTT_Set_Access.h"
#include "fieldbus/UModbus_TCP_Master_Set_Access.h"
#include "fieldbus/UReceiveCAN.h"
#include "fieldbus/UReceiveJ1939.h"
#include "fieldbus/USetAccess.h"
#include "fieldbus/USet_PDO_Access.h"
#include "fieldbus/USet_SDO_Client_Access.h"
#include "fieldbus/USet_SDO_Server_Access.h"
#include "fieldbus/UTransmitCAN.h"
#include "fieldbus/UTransmitJ1939.h"
#include "gateway/UBoot.h"
#include "gateway/UMQTT_Set_Topic.h"
#include "gateway/UParGen.h"
#include "gateway/UProfibus_GSD.h"
#include "gateway/UProfinetFileName.h"
#include "gateway/UProfinetXML.h"
#include "gateway/USaveBincc.h"
#include "gateway/UTopicTemplate.h"
#include "mbus/MBusMeters.h"
#include "mbus/UInsertKeyWireless.h"
#include "mbus/UMeter_Bus.h"
#include "mbus/UModbusStartAdd_SD.h"
#include "mbus/UScanDecode.h"
#include "mbus/UNewIDNode.h"
#include "mbus/UScanModbusStart.h"
#include "platform/Files.h"
#include "platform/Guard.h"
#include "platform/IntConv.h"
#include "shell/UAbout.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "shell/UNew_Project.h"
#include "shell/UOpenConf.h"
#include "shell/USoftOptions.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QScopeGuard>
#include <QStyle>
#include <map>
#include <utility>

namespace {

constexpr int kStepWidth = 170;
constexpr int kStepHeight = 36;
constexpr int kPictureButton = 50;

QLabel* makeLabel(QWidget* parent, const char* name, int left, int top) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->move(left, top);
    return l;
}

// The MQTT access list edits its templates in the gateway's topic and template editor.
class TopicTemplateEditor final : public TTopicTemplateLink {
public:
    explicit TopicTemplateEditor(TFTopicTemplate* form) : form_(form) {}
    void Set_TopicTemplate(int mode) override {
        if (form_) form_->TopicTemplate = mode == 1;
    }
    void Set_Text(const QString& text) override {
        if (form_) form_->Set_Text(text);
    }
    QString Text() const override { return form_ ? form_->Text() : QString(); }
    int ShowModal() override { return form_ ? form_->ShowModal() : int(plat::mrCancel); }

private:
    QPointer<TFTopicTemplate> form_;
};

}  // namespace

TFVelmarineFirmWare::TFVelmarineFirmWare(QWidget* parent) : plat::TForm(parent) {
    setObjectName(QStringLiteral("FVelmarineFirmWare"));
    setModal(false);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    QFont f = HouseFont();
    f.setPixelSize(11);
    setFont(f);
    FormCreate();
}

void TFVelmarineFirmWare::FormCreate() {
    // 1. The table exists (empty) before anything reads it.
    Text_Table.clear();
    for (int i = 0; i < kTextTableSize; ++i) Text_Table.append(QString());

    // 2. Layout.
    const QColor grey(128, 128, 128);
    L_SW_Code = makeLabel(this, "L_SW_Code", 16, 8);
    QFont codeFont = font();
    codeFont.setPixelSize(32);
    L_SW_Code->setFont(codeFont);
    L_SW_Desc = makeLabel(this, "L_SW_Desc", 16, 42);
    QFont bold = font();
    bold.setBold(true);
    L_SW_Desc->setFont(bold);
    for (QLabel* l : {L_SW_Code, L_SW_Desc}) {
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, grey);
        l->setPalette(p);
    }
    L_Begin = makeLabel(this, "L_Begin", 16, 84);
    Shape2 = new QFrame(this);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    Shape2->setFrameShape(QFrame::Box);
    Shape2->setStyleSheet(QStringLiteral("QFrame#Shape2 { border: 1px solid silver; }"));
    Shape2->setGeometry(80, 70, 348, 36);
    L_Name_Conf = makeLabel(this, "L_Name_Conf", 87, 75);
    L_Name_Conf_L2 = makeLabel(this, "L_Name_Conf_L2", 87, 88);
    for (int i = 0; i < 8; ++i) {
        L_Step[i] = makeLabel(this, "L_Step", 16, 128 + 44 * i);
        L_Step[i]->setObjectName(QStringLiteral("L_Step_%1").arg(i + 1));
        L_Step[i]->setFont(bold);
        QPalette p = L_Step[i]->palette();
        p.setColor(QPalette::WindowText, grey);
        L_Step[i]->setPalette(p);
        L_Step[i]->setVisible(i < 5);
    }
    Build_Steps();
    L_Quorim = makeLabel(this, "L_Quorim", 565, 304);
    L_Quorim->setCursor(Qt::PointingHandCursor);
    L_Quorim->setText(QStringLiteral("www.quorim.example"));
    L_Quorim->installEventFilter(this);
    LL_Update = makeLabel(this, "LL_Update", 438, 84);
    LL_Update->setTextFormat(Qt::RichText);
    LL_Update->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    LL_Update->setOpenExternalLinks(false);
    LL_Update->hide();
    plat::onSignal(LL_Update, &QLabel::linkActivated, this, [this](const QString&) { LL_UpdateLinkClick(); });
    const int binTop = Btn_CreateBin->y();
    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::HLine);
    Shape1->setGeometry(10, binTop + 51, 674, 1);
    SetClientSize(694, binTop + 152);

    // 3. Folders beside the program.
    Set_App_Folders(plat::appPath());
    plat::createDir(g_MasterPath);
    plat::createDir(g_ProjectsRootPath);
    plat::createDir(g_LanguagePath);

    // 4.-5. Run-time state and settings.
    g_ProjectName.clear();
    g_UpdateReadBack = 1;
    Read_Settings();

    // 6. The update timer runs only while both options are on.
    Timer_Update.SetEnabled(false);
    Timer_Update.SetInterval(60000);
    Timer_Update.SetOnTimer([this](QObject*) { Timer_UpdateTimer(); });
    Timer_Update.SetEnabled(g_EnableInternet && g_EnableUpdate);

    // 7. Identity.
    g_MainTitle = QString::fromLatin1(kMainTitle);
    g_SWCode = QString::fromLatin1(kSoftwareCode);
    g_SWDescription = QString::fromLatin1(kSoftwareDescription);
    setWindowTitle(g_MainTitle);
    L_SW_Code->setText(g_SWCode);
    L_SW_Desc->setText(g_SWDescription);
    L_SW_Code->adjustSize();
    L_SW_Desc->adjustSize();

    // 8. Texts.
    Load_Language();

    // 9. The last project, while its folder still exists.
    const QString last = g_ProjectsRootPath + u'/' + g_ProjectName;
    if (!g_ProjectName.isEmpty() && Is_Valid_Project_Name(g_ProjectName) && plat::dirExists(last))
        g_ProjectPath = last;
    else
        g_ProjectPath.clear();

    // 10. The meter lists.
    g_MBusSlaveList.Clear();
    g_WMBusSlaveList.Clear();

    // 11.-13.
    Set_Lang();
    Set_Files();
    g_RowClipboard.clear();
    g_RowClipboardIsCheck.clear();
    g_MIBReadDescriptions.clear();
    g_MIBWriteDescriptions.clear();
}

void TFVelmarineFirmWare::Build_Steps() {
    struct Def {
        TFadeButton** member;
        const char* name;
        bool visible;
        int left, top;
        int caption, hint;
        bool needsProject;
        QStyle::StandardPixmap picture;
        std::function<void()> action;
    };
    TFadeButton* hiddenButton = nullptr;
    // The hidden steps whose editors or writers this program does not carry stop after the project
    // test (the Modbus step does nothing by design).
    auto none = [] {};
    const Def defs[] = {
        {&Btn_New, "Btn_New", true, 80, 112, 15, 22, false, QStyle::SP_FileIcon, [this] { Create_New_Project(); }},
        {&Btn_Open, "Btn_Open", true, 258, 112, 16, 23, false, QStyle::SP_DirOpenIcon, [this] { Open_Project(); }},
        {&Btn_Close, "Btn_Close", true, 632, 8, -1, 14, false, QStyle::SP_DialogCloseButton, [this] { close(); }},
        {&Btn_Info, "Btn_Info", true, 516, 8, -1, 12, false, QStyle::SP_MessageBoxInformation,
         [this] { Show_Form(FAbout); }},
        {&Btn_Opz, "Btn_Opz", true, 574, 8, -1, 13, false, QStyle::SP_FileDialogDetailedView,
         [this] { Show_Options(); }},
        {&Btn_Prm_Gen, "Btn_Prm_Gen", true, 80, 156, 20, 24, true, QStyle::SP_ComputerIcon,
         [this] { Show_Form(FParGen); }},
        {&Btn_MQTT_Set_Topic, "Btn_MQTT_Set_Topic", true, 80, 200, 21, 25, true, QStyle::SP_FileDialogContentsView,
         [this] { Show_Form(FMQTT_Set_Topic); }},
        {&Btn_PROFINET_XML, "Btn_PROFINET_XML", true, 80, 244, 50, 51, true, QStyle::SP_DialogSaveButton,
         [this] { PROFINET_XML(); }},
        {&Btn_CreateBin, "Btn_CreateBin", true, 80, 288, 17, 26, true, QStyle::SP_ArrowUp,
         [this] { Update_Device(); }},
        {&hiddenButton, "Btn_MBus", false, 80, 332, 27, 28, true, QStyle::SP_DriveNetIcon,
         [this] { Show_Form(FMeter_Bus); }},
        {&hiddenButton, "Btn_Modbus_Set_Access", false, 80, 332, 29, 30, true, QStyle::SP_DriveNetIcon, none},
        {&hiddenButton, "Btn_MQTT_Set_Access", false, 80, 332, -1, -1, true, QStyle::SP_DriveNetIcon,
         [this] { Show_Form(FMQTT_Set_Access); }},
        {&hiddenButton, "Btn_CAN_Rec_Frame", false, 80, 332, 31, 32, true, QStyle::SP_DriveNetIcon,
         [this] { Show_Form(FReceiveCAN); }},
        {&hiddenButton, "Btn_CAN_Send_Frame", false, 80, 332, 33, 34, true, QStyle::SP_DriveNetIcon,
         [this] { Show_Form(FTransmitCAN); }},
        {&hiddenButton, "Btn_PDO_CANopen", false, 80, 332, 39, 40, true, QStyle::SP_DriveNetIcon,
         [this] { Show_Form(FSet_PDO_Access); }},
        {&hiddenButton, "Btn_SDO_Client_CANopen", false, 80, 332, 37, 38, true, QStyle::SP_DriveNetIcon,
         [this] { Show_Form(FSet_SDO_Client_Access); }},
        {&hiddenButton, "Btn_SDO_Server_CANopen", false, 80, 332, 35, 36, true, QStyle::SP_DriveNetIcon,
         [this] { Show_Form(FSet_SDO_Server_Access); }},
        {&hiddenButton, "Btn_CANopen_EDS", false, 80, 332, 41, 42, true, QStyle::SP_DriveNetIcon,
         [this] { Build_EDS_File(); }},
        {&hiddenButton, "Btn_DNet_Net", false, 80, 332, 45, 46, true, QStyle::SP_DriveNetIcon,
         [this] { Show_Form(FDNet); }},
        {&hiddenButton, "Btn_DNet_Offset", false, 80, 332, 47, 48, true, QStyle::SP_DriveNetIcon,
         [this] { Show_Form(FDefOffset); }},
        {&hiddenButton, "Btn_PROFIBUS_GSD", false, 80, 332, 52, 53, true, QStyle::SP_DriveNetIcon,
         [] { Save_GSD_File(); }},
        {&hiddenButton, "Btn_DMX_Default", false, 80, 332, 56, 57, true, QStyle::SP_DriveNetIcon,
         [this] { Show_Form(FDMXDefVal); }},
        {&hiddenButton, "Btn_KNX_Access", false, 80, 332, 58, 59, true, QStyle::SP_DriveNetIcon,
         [this] { Show_Form(FKNXAccess); }},
        {&hiddenButton, "Btn_SNMP_Trap", false, 80, 332, 60, 61, true, QStyle::SP_DriveNetIcon,
         [this] { Show_Form(FSNMP_Trap_Access); }},
        {&hiddenButton, "Btn_SNMP_MIB", false, 80, 332, 62, 63, true, QStyle::SP_DriveNetIcon,
         [] { Save_MIB_File(); }},
        {&hiddenButton, "Btn_SNMP_Manager_Access", false, 80, 332, 64, 65, true, QStyle::SP_DriveNetIcon,
         [this] { Show_Form(FSNMPManagerAccess); }},
        {&hiddenButton, "Btn_BACnet_SetAccess", false, 80, 332, 66, 67, true, QStyle::SP_DriveNetIcon,
         [this] { Show_Form(FBACnetSlaveSetAccess); }},
        {&hiddenButton, "Btn_BACnet_EDE_File", false, 80, 332, 68, 69, true, QStyle::SP_DriveNetIcon,
         [this] { BACnet_EDE_File(); }},
        {&hiddenButton, "Btn_DALI_Access", false, 80, 332, 71, 72, true, QStyle::SP_DriveNetIcon,
         [this] { Show_Form(FDALI_Access); }},
        {&hiddenButton, "Btn_ScanDecode", false, 80, 332, -1, -1, true, QStyle::SP_DriveNetIcon,
         [this] { Show_Scan_Decode(); }},
    };
    // A picture is decoded once, however many buttons show it (the hidden steps share one).
    std::map<std::pair<int, int>, QImage> glyphs;
    for (const Def& d : defs) {
        const bool picture = d.caption < 0 && d.hint >= 0;  // Information, Options, Close
        // The side buttons and "Set Communication" keep the plain frame; New, Open and the update
        // step light up sky blue, the other steps yellow.
        const bool plain = picture || qstrcmp(d.name, "Btn_Prm_Gen") == 0;
        const bool sky = d.member == &Btn_New || d.member == &Btn_Open || d.member == &Btn_CreateBin;
        THouseLook look;
        look.Style = plain ? bsNormal : bsEncarta;
        look.HotTrackColor = sky ? plat::clSkyBlue : plat::clYellow;
        look.Width = picture ? kPictureButton : kStepWidth;
        look.Height = picture ? kPictureButton : kStepHeight;
        if (!picture) look.Alignment = taLeftJustify;
        auto* b = NewHouseButton(this, look);
        b->setObjectName(QString::fromLatin1(d.name));
        const int side = picture ? 32 : 24;
        plat::TBitmap glyph;
        QImage& image = glyphs[{int(d.picture), side}];
        if (image.isNull()) image = style()->standardIcon(d.picture).pixmap(side, side).toImage();
        glyph.SetImage(image);
        b->SetGlyph(&glyph);
        b->move(d.left, d.top);
        b->setVisible(d.visible);
        *d.member = b;
        steps_.push_back({b, d.name, d.visible, d.caption, d.hint, d.needsProject, d.action});
        plat::onSignal(b, &TFadeButton::clicked, this, [this, b]() { Btn_Click(b); });
    }
    // Captions the window itself carries (not texts of the table).
    Step_Button("Btn_MQTT_Set_Access")->SetCaption(QStringLiteral("MQTT Set Access"));
    Step_Button("Btn_ScanDecode")->SetCaption(QStringLiteral("Scan && Decode"));
}

TFadeButton* TFVelmarineFirmWare::Step_Button(const char* name) const {
    for (const Step& s : steps_)
        if (qstrcmp(s.name, name) == 0) return s.button;
    return nullptr;
}

void TFVelmarineFirmWare::Read_Settings() {
    g_ProjectName.clear();
    g_ProjectPath.clear();
    g_LastIPAddress = QString::fromLatin1(kDefaultIPAddress);
    g_LanguageName = QStringLiteral("English");
    g_EnableInternet = g_EnableUpdate = g_EnableJumpFieldTables = g_DoubleClickAutoSize = 0;
    const QString file = g_AppPath + QStringLiteral("/Velmarin.xml");
    if (!plat::fileExists(file)) return;
    // A file that cannot be read or is not well-formed leaves every value at its default.
    if (!XML1.load(file)) return;
    const plat::XmlElement root = XML1.root();
    auto text = [&root](const char* outer, const char* inner, const QString& fallback) {
        const plat::XmlElement e = root.child(QString::fromLatin1(outer)).child(QString::fromLatin1(inner));
        // An element without text has nothing usable: its value keeps the default.
        return e.isNull() || e.text().isEmpty() ? fallback : e.text();
    };
    g_ProjectName = text("lastproj", "projectname", QString());
    g_LastIPAddress = text("lastipadd", "ipaddress", QString::fromLatin1(kDefaultIPAddress));
    g_LanguageName = text("lastlang", "language", QStringLiteral("English"));
    auto flag = [&](const char* name) { return text("lastinternet", name, QString()) == u"1" ? 1 : 0; };
    g_EnableInternet = flag("enable_internet");
    g_EnableUpdate = flag("enable_update");
    g_EnableJumpFieldTables = flag("enable_jump_field_tables");
    g_DoubleClickAutoSize = flag("Double_Click_Auto_Size");
}

void TFVelmarineFirmWare::Save_Setting() {
    XML1.clear();
    plat::XmlElement root = XML1.createRoot(QStringLiteral("Conf_Settings"));
    root.appendChild(QStringLiteral("lastproj")).appendTextChild(QStringLiteral("projectname"), g_ProjectName);
    root.appendChild(QStringLiteral("lastipadd")).appendTextChild(QStringLiteral("ipaddress"), g_LastIPAddress);
    root.appendChild(QStringLiteral("lastlang")).appendTextChild(QStringLiteral("language"), g_LanguageName);
    plat::XmlElement flags = root.appendChild(QStringLiteral("lastinternet"));
    auto bit = [](uint8_t v) { return v ? QStringLiteral("1") : QStringLiteral("0"); };
    flags.appendTextChild(QStringLiteral("enable_internet"), bit(g_EnableInternet));
    flags.appendTextChild(QStringLiteral("enable_update"), bit(g_EnableUpdate));
    flags.appendTextChild(QStringLiteral("enable_jump_field_tables"), bit(g_EnableJumpFieldTables));
    flags.appendTextChild(QStringLiteral("Double_Click_Auto_Size"), bit(g_DoubleClickAutoSize));
    QString error;
    if (!XML1.save(g_AppPath + QStringLiteral("/Velmarin.xml"), &error)) throw plat::Error(error);
}

void TFVelmarineFirmWare::Set_Files() { ::Set_Files(); }

void TFVelmarineFirmWare::Show_Project_Labels() {
    if (!g_ProjectPath.isEmpty()) {
        L_Name_Conf->setText(Text_Table[11]);
        L_Name_Conf_L2->setText(g_ProjectName);
    } else {
        L_Name_Conf->setText(Text_Table[9]);
        L_Name_Conf_L2->setText(Text_Table[10]);
    }
    L_Name_Conf->adjustSize();
    L_Name_Conf_L2->adjustSize();
}

void TFVelmarineFirmWare::Set_Lang() {
    L_Begin->setText(Text_Table[0]);
    L_Begin->adjustSize();
    for (int i = 0; i < 8; ++i) {
        L_Step[i]->setText(Text_Table[1 + i]);
        L_Step[i]->adjustSize();
    }
    Show_Project_Labels();
    for (const Step& s : steps_) {
        if (s.caption >= 0) s.button->SetCaption(Text_Table[s.caption]);
        if (s.hint >= 0) s.button->SetHint(Text_Table[s.hint]);
    }
}

std::vector<plat::TForm*> TFVelmarineFirmWare::Language_Windows() const {
    std::vector<plat::TForm*> all = {const_cast<TFVelmarineFirmWare*>(this), FNew_Project, FOpenConf, FSoftOptions,
                                     FBoot, FParGen, FMQTT_Set_Topic, FMeter_Bus, FNewIDNode, FSetAccess,
                                     FModbus_TCP_Master_Set_Access, FReceiveCAN, FTransmitCAN, FSet_PDO_Access, FSet_SDO_Client_Access,
                                     FSet_SDO_Server_Access, FReceiveJ1939, FTransmitJ1939, FDNet, FDefOffset,
                                     FScanDecode, FInsertKeyWireless, FScanModbusStart, FModbusStartAdd_SD,
                                     FProfinetFileName, FReceiveNMEA, FTransmitNMEA, FDMXDefVal, FKNXAccess,
                                     FSNMP_Trap_Access, FSNMPManagerAccess, FBACnetSlaveSetAccess, FBACnet_Eng_Unit,
                                     FDALI_Access, FBACnetAccess, FImportEDEFile};
    all.erase(std::remove(all.begin(), all.end(), nullptr), all.end());
    return all;
}

void TFVelmarineFirmWare::Change_Language() {
    for (plat::TForm* f : Language_Windows()) f->Set_Lang();
}

void TFVelmarineFirmWare::Show_Form(plat::TForm* form) {
    if (form) form->ShowModal();
}

void TFVelmarineFirmWare::Show_Scan_Decode() {
    if (!FScanDecode) return;
    // A scan saved over the network file would change it: the user says whether to go on.
    if (plat::fileExists(g_MBusFile) && plat::dialogs().warningYesNo(Text_Table[49]) == plat::Answer::No) return;
    FScanDecode->XML_Code_Dev = 18;
    FScanDecode->FileName_MBus = g_MBusFile;
    FScanDecode->Form_Type = 0;
    Show_Form(FScanDecode);
}

void TFVelmarineFirmWare::Btn_Click(TFadeButton* sender) {
    for (const Step& s : steps_) {
        if (s.button != sender) continue;
        if (s.needsProject && g_ProjectPath.isEmpty()) {
            plat::dialogs().error(Text_Table[18]);
            return;
        }
        s.action();
        return;
    }
}

void TFVelmarineFirmWare::Create_New_Project() {
    if (!FNew_Project || FNew_Project->ShowModal() != plat::mrOk) return;
    Show_Project_Labels();
}

void TFVelmarineFirmWare::Open_Project() {
    if (!FOpenConf || FOpenConf->ShowModal() != plat::mrOk) return;
    g_ProjectName = FOpenConf->Name_Conf;
    const QString folder = g_ProjectsRootPath + u'/' + g_ProjectName;
    if (g_ProjectName.isEmpty()) {
        g_ProjectPath.clear();
    } else if (!Is_Valid_Project_Name(g_ProjectName) || !plat::dirExists(folder)) {
        // The folder went away while the list was open: open nothing rather than a ghost project.
        g_ProjectPath.clear();
        plat::dialogs().error(Text_Table[18]);
    } else {
        g_ProjectPath = folder;
    }
    Show_Project_Labels();
    Set_Files();
}

void TFVelmarineFirmWare::Update_Device() {
    // The images are rebuilt from the project files every time; a failure has been shown and the
    // update dialog must not open on stale images.
    if (!USaveBincc::Build_Images()) return;
    FBoot->Form_Type = 1;
    FBoot->ShowModal();
}

void TFVelmarineFirmWare::PROFINET_XML() {
    if (FProfinetFileName->ShowModal() == plat::mrOk) Save_GSDML_File(FProfinetFileName->Name_File_XML);
}

void TFVelmarineFirmWare::Build_EDS_File() {
    const std::optional<QString> chosen = plat::dialogs().saveFile(
        QString(), g_ProjectPath, QString(), QStringLiteral("Electronic Data Sheet (*.eds)"));
    if (!chosen) return;
    QString path = *chosen;
    // The dialog's default extension: a name without one gets ".eds". A file already there is
    // replaced without a question.
    if (QFileInfo(path).suffix().isEmpty()) path += QLatin1String(".eds");
    Build_EDS(path);
}

void TFVelmarineFirmWare::BACnet_EDE_File() {
    plat::guarded([] {
        const std::optional<QString> chosen =
            plat::dialogs().saveFile(QString(), g_ProjectPath, QString(), QStringLiteral("CSV (MS-DOS) (*.csv)"));
        if (!chosen) return;
        QString path = *chosen;
        if (path.right(4).toUpper() != u".CSV") path += QLatin1String(".csv");
        if (plat::fileExists(path) && plat::dialogs().questionYesNoCancel(Text_Table[70]) != plat::Answer::Yes)
            return;
        Create_EDE_File(path);
    });
}

int TFVelmarineFirmWare::Get_Type_BACnet() {
    if (!plat::fileExists(g_ParGenFile) || !XML1.load(g_ParGenFile)) return 0;
    return plat::strToIntDef(XML1.root().child(QStringLiteral("BACnet_Type")).text(), 0);
}

void TFVelmarineFirmWare::Show_Options() {
    if (!FSoftOptions || FSoftOptions->ShowModal() != plat::mrOk) return;
    // The timer follows the options also when the settings file cannot be written. Switching it
    // on keeps its interval and a running countdown.
    const auto timer = qScopeGuard([this] { Timer_Update.SetEnabled(g_EnableInternet && g_EnableUpdate); });
    Save_Setting();
}

void TFVelmarineFirmWare::Timer_UpdateTimer() {
    Timer_Update.SetEnabled(false);
    // Two hours after this check ends, also when it fails.
    const auto again = qScopeGuard([this] {
        Timer_Update.SetInterval(7200000);
        Timer_Update.SetEnabled(true);
    });
    if (FSoftOptions && FSoftOptions->Check_Version()) {
        LL_Update->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                               .arg(Download_Page_Address().toHtmlEscaped(), Text_Table[19].toHtmlEscaped()));
        // The link wraps rather than run past the window's edge.
        LL_Update->setWordWrap(true);
        LL_Update->resize(ClientWidth() - LL_Update->x() - 10, 0);
        LL_Update->resize(LL_Update->width(), LL_Update->heightForWidth(LL_Update->width()));
        LL_Update->show();
    } else {
        LL_Update->hide();
    }
}

void TFVelmarineFirmWare::LL_UpdateLinkClick() { plat::openUrl(Download_Page_Address()); }

void TFVelmarineFirmWare::L_QuorimClick() { plat::openUrl(Home_Page_Address()); }

void TFVelmarineFirmWare::Start_Program(const QString& NomeSW, const QString& Parameter, int tipo) {
    ::Start_Program(NomeSW, Parameter, tipo);
}

void TFVelmarineFirmWare::keyPressEvent(QKeyEvent* event) {
    // Escape closes dialogs, not the program.
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    plat::TForm::keyPressEvent(event);
}

bool TFVelmarineFirmWare::eventFilter(QObject* watched, QEvent* event) {
    // The maker's address is a plain label: a left click on it opens the home page.
    if (watched == L_Quorim && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        plat::guarded([this] { L_QuorimClick(); });
        return true;
    }
    return plat::TForm::eventFilter(watched, event);
}

void TFVelmarineFirmWare::closeEvent(QCloseEvent* event) {
    // The settings are saved on the way out; a folder that cannot be written must not keep the
    // program from closing.
    plat::guarded([this] { Save_Setting(); });
    plat::TForm::closeEvent(event);
    event->accept();
}

void Create_Forms() {
    FVelmarineFirmWare = new TFVelmarineFirmWare();
    FParGen = new TFParGen(FVelmarineFirmWare);
    FNew_Project = new TFNew_Project(FVelmarineFirmWare);
    FOpenConf = new TFOpenConf(FVelmarineFirmWare);
    FAbout = new TFAbout(FVelmarineFirmWare);
    FSoftOptions = new TFSoftOptions(FVelmarineFirmWare);
    FSoftOptions->Change_Language = [main = FVelmarineFirmWare] { main->Change_Language(); };
    FMQTT_Set_Topic = new TFMQTT_Set_Topic(FVelmarineFirmWare);
    FMeter_Bus = new TFMeter_Bus(FVelmarineFirmWare);
    FNewIDNode = new TFNewIDNode(FVelmarineFirmWare);
    FBoot = new TFBoot(FVelmarineFirmWare);
    FSetAccess = new TFSetAccess(FVelmarineFirmWare);
    FMQTT_Set_Access = new TFMQTT_Set_Access(FVelmarineFirmWare);
    FMQTT_SetAccess_Eth = new TFMQTT_SetAccess_Eth(FVelmarineFirmWare);
    FTopicTemplate = new TFTopicTemplate(FVelmarineFirmWare);
    FMQTT_Set_Access->Set_Template_Editor(std::make_unique<TopicTemplateEditor>(FTopicTemplate));
    FModbus_TCP_Master_Set_Access = new TFModbus_TCP_Master_Set_Access(FVelmarineFirmWare);
    FReceiveCAN = new TFReceiveCAN(FVelmarineFirmWare);
    FTransmitCAN = new TFTransmitCAN(FVelmarineFirmWare);
    FSet_PDO_Access = new TFSet_PDO_Access(FVelmarineFirmWare);
    FSet_SDO_Client_Access = new TFSet_SDO_Client_Access(FVelmarineFirmWare);
    FSet_SDO_Server_Access = new TFSet_SDO_Server_Access(FVelmarineFirmWare);
    FReceiveJ1939 = new TFReceiveJ1939(FVelmarineFirmWare);
    FTransmitJ1939 = new TFTransmitJ1939(FVelmarineFirmWare);
    FDNet = new TFDNet(FVelmarineFirmWare);
    FDefOffset = new TFDefOffset(FVelmarineFirmWare);
    FScanDecode = new TFScanDecode(FVelmarineFirmWare);
    FInsertKeyWireless = new TFInsertKeyWireless(FVelmarineFirmWare);
    FScanModbusStart = new TFScanModbusStart(FVelmarineFirmWare);
    FModbusStartAdd_SD = new TFModbusStartAdd_SD(FVelmarineFirmWare);
    FProfinetFileName = new TFProfinetFileName(FVelmarineFirmWare);
    FReceiveNMEA = new TFReceiveNMEA(FVelmarineFirmWare);
    FTransmitNMEA = new TFTransmitNMEA(FVelmarineFirmWare);
    FDMXDefVal = new TFDMXDefVal(FVelmarineFirmWare);
    FKNXAccess = new TFKNXAccess(FVelmarineFirmWare);
    FSNMP_Trap_Access = new TFSNMP_Trap_Access(FVelmarineFirmWare);
    FSNMPManagerAccess = new TFSNMPManagerAccess(FVelmarineFirmWare);
    FBACnetSlaveSetAccess = new TFBACnetSlaveSetAccess(FVelmarineFirmWare);
    FBACnet_Eng_Unit = new TFBACnet_Eng_Unit(FVelmarineFirmWare);
    FDALI_Access = new TFDALI_Access(FVelmarineFirmWare);
    FBACnetAccess = new TFBACnetAccess(FVelmarineFirmWare);
    FImportEDEFile = new TFImportEDEFile(FVelmarineFirmWare);
}

void Destroy_Forms() {
    delete FVelmarineFirmWare;  // owns every other window
    FVelmarineFirmWare = nullptr;
    FNew_Project = nullptr;
    FOpenConf = nullptr;
    FParGen = nullptr;
    FAbout = nullptr;
    FSoftOptions = nullptr;
    FMQTT_Set_Topic = nullptr;
    FMeter_Bus = nullptr;
    FNewIDNode = nullptr;
    FBoot = nullptr;
    FTopicTemplate = nullptr;
    FSetAccess = nullptr;
    FMQTT_Set_Access = nullptr;
    FMQTT_SetAccess_Eth = nullptr;
    FModbus_TCP_Master_Set_Access = nullptr;
    FReceiveCAN = nullptr;
    FTransmitCAN = nullptr;
    FSet_PDO_Access = nullptr;
    FSet_SDO_Client_Access = nullptr;
    FSet_SDO_Server_Access = nullptr;
    FReceiveJ1939 = nullptr;
    FTransmitJ1939 = nullptr;
    FDNet = nullptr;
    FDefOffset = nullptr;
    FScanDecode = nullptr;
    FInsertKeyWireless = nullptr;
    FScanModbusStart = nullptr;
    FModbusStartAdd_SD = nullptr;
    FProfinetFileName = nullptr;
    FReceiveNMEA = nullptr;
    FTransmitNMEA = nullptr;
    FDMXDefVal = nullptr;
    FKNXAccess = nullptr;
    FSNMP_Trap_Access = nullptr;
    FSNMPManagerAccess = nullptr;
    FBACnetSlaveSetAccess = nullptr;
    FBACnet_Eng_Unit = nullptr;
    FDALI_Access = nullptr;
    FBACnetAccess = nullptr;
    FImportEDEFile = nullptr;
}
