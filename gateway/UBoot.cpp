#include "gateway/UBoot.h"

#include "controls/FadeButton.h"
#include "platform/Files.h"
#include "platform/Guard.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

namespace {

constexpr int kClientWidth = 449;
constexpr int kIPHeight = 49;
constexpr int kOptionsHeight = 72;
constexpr int kSerialHeight = 49;
constexpr int kSearchHeight = 160;
constexpr int kButtonHeight = 40;
constexpr int kEchoTimeoutMs = 400;
constexpr int kEchoPacketSize = 1024;
constexpr int kPingWindowMs = 5000;

QWidget* panel(QWidget* parent, const char* name) {
    auto* p = new QWidget(parent);
    p->setObjectName(QString::fromLatin1(name));
    return p;
}

// One memory write of the updater, column by column as the updater reads it.
struct Operation {
    QString fileName;
    const char* startAddress;
    const char* bankType;
    const char* writeCss;
    bool goToAppAfter;
};

}  // namespace

TFBoot::TFBoot(QWidget* parent) : plat::TForm(parent) {
    setObjectName(QStringLiteral("FBoot"));
    SetClientSize(kClientWidth, kTitleHeight + kIPHeight + kOptionsHeight + kButtonHeight);
    SetTitleHeight(kTitleHeight);

    P_IP_Address = panel(this, "P_IP_Address");
    L_IP_Address = new QLabel(P_IP_Address);
    L_IP_Address->setGeometry(12, 4, 420, 16);
    for (int i = 0; i < 4; ++i) {
        E_IP[i] = new QLineEdit(QStringLiteral("0"), P_IP_Address);
        E_IP[i]->setObjectName(QStringLiteral("E_IP%1").arg(i + 1));
        E_IP[i]->setGeometry(12 + i * 56, 22, 40, 22);
        E_IP[i]->setAlignment(Qt::AlignCenter);
        E_IP[i]->installEventFilter(this);
        if (i < 3) {
            auto* dot = new QLabel(QStringLiteral("."), P_IP_Address);
            dot->setGeometry(12 + i * 56 + 44, 26, 8, 16);
        }
    }

    P_Eth_Search = panel(this, "P_Eth_Search");
    L_List_Device = new QLabel(P_Eth_Search);
    L_List_Device->setGeometry(12, 4, 300, 16);
    Btn_Search = NewHouseButton(P_Eth_Search);
    Btn_Search->setGeometry(330, 2, 105, 24);
    CG_List_Devices = new QTableWidget(0, 2, P_Eth_Search);
    CG_List_Devices->setGeometry(12, 28, 423, 100);
    CG_List_Devices->verticalHeader()->hide();
    CB_Find_All_Quorim = new QCheckBox(P_Eth_Search);
    CB_Find_All_Quorim->setGeometry(12, 134, 300, 20);

    P_Options = panel(this, "P_Options");
    L_Update_Option = new QLabel(P_Options);
    L_Update_Option->setGeometry(12, 4, 420, 16);
    CB_Update_Options = new QComboBox(P_Options);
    CB_Update_Options->setObjectName(QStringLiteral("CB_Update_Options"));
    CB_Update_Options->setGeometry(12, 22, 260, 22);
    CB_Update_Option_Read_Back = new QCheckBox(P_Options);
    CB_Update_Option_Read_Back->setGeometry(12, 48, 260, 20);
    CB_Update_Option_Read_Back->setChecked(true);

    P_Serial = panel(this, "P_Serial");
    L_COM_Port = new QLabel(QStringLiteral("COM Port"), P_Serial);
    L_COM_Port->setGeometry(12, 4, 200, 16);
    CB_COM_Port = new QComboBox(P_Serial);
    CB_COM_Port->setGeometry(12, 22, 200, 22);
    Btn_COM_List = NewHouseButton(QStringLiteral("..."), P_Serial, {30, 22, bsEncarta, clFadeOrange, plat::clYellow, blGlyphRight});
    Btn_COM_List->setGeometry(220, 22, 30, 22);
    plat::onSignal(Btn_COM_List, &TFadeButton::clicked, this, [this]() { update_ComPort(); });

    P_Button = panel(this, "P_Button");
    Btn_Cancel = NewHouseButton(P_Button);
    Btn_Cancel->setObjectName(QStringLiteral("Btn_Cancel"));
    Btn_Update = NewHouseButton(P_Button);
    Btn_Update->setObjectName(QStringLiteral("Btn_Update"));
    Btn_Update->setGeometry(kClientWidth / 2 - 176, 6, 170, 28);
    Btn_Cancel->setGeometry(kClientWidth / 2 + 6, 6, 110, 28);
    plat::onSignal(Btn_Cancel, &TFadeButton::clicked, this, [this]() { SetModalResult(plat::mrCancel); });
    SetCancelButton(Btn_Cancel);  // Esc does what Cancel does
    plat::onSignal(Btn_Update, &TFadeButton::clicked, this, [this]() { Btn_UpdateClick(); });

    systemPinger_ = plat::makeSystemPinger();
    Ping = systemPinger_.get();
    Set_Lang();
}

void TFBoot::Set_Lang() {
    const bool serial = Form_Type == 0;
    setWindowTitle(Text_Table[serial ? 1000 : 1002]);
    L_SW_Desc()->setText(Text_Table[serial ? 1001 : 1003]);
    L_IP_Address->setText(Text_Table[1006]);
    L_List_Device->setText(Text_Table[1009]);
    Btn_Search->SetCaption(Text_Table[1010]);
    Btn_Search->SetHint(Text_Table[1029]);
    CG_List_Devices->setHorizontalHeaderLabels({Text_Table[1011], Text_Table[1012]});
    CG_List_Devices->setToolTip(Text_Table[1030]);
    CB_Find_All_Quorim->setText(Text_Table[1013]);
    CB_Find_All_Quorim->setToolTip(Text_Table[1031]);
    L_Update_Option->setText(Text_Table[1014]);
    CB_Update_Options->clear();
    CB_Update_Options->addItems({Text_Table[1015], Text_Table[1016], Text_Table[1017]});
    CB_Update_Options->setCurrentIndex(0);
    CB_Update_Options->setToolTip(Text_Table[1032]);
    CB_Update_Option_Read_Back->setText(Text_Table[1018]);
    CB_Update_Option_Read_Back->setToolTip(Text_Table[1033]);
    Btn_Cancel->SetCaption(Text_Table[1019]);
    Btn_Cancel->SetHint(Text_Table[1034]);
    Btn_Update->SetCaption(Text_Table[1020]);
    Btn_Update->SetHint(Text_Table[1035]);
    for (int i = 0; i < 4; ++i) E_IP[i]->setToolTip(Text_Table[1021 + i]);
}

void TFBoot::FormShow() {
    Set_Lang();
    L_SW_Code()->setText(g_SWCode);
    P_Eth_Search->hide();
    // Panels stacked from the top in their order, hidden ones taking no room.
    QWidget* order[] = {P_IP_Address, P_Eth_Search, P_Serial, P_Options};
    const bool ethernet = Form_Type == 1;
    P_IP_Address->setVisible(ethernet);
    P_Serial->setVisible(!ethernet);
    const int heights[] = {kIPHeight, kSearchHeight, kSerialHeight, kOptionsHeight};
    int top = kTitleHeight;
    for (int i = 0; i < 4; ++i) {
        if (!plat::ownVisible(order[i])) continue;
        order[i]->setGeometry(0, top, kClientWidth, heights[i]);
        top += heights[i];
    }
    SetClientSize(kClientWidth, top + kButtonHeight);
    P_Button->setGeometry(0, top, kClientWidth, kButtonHeight);
    setTabOrder(E_IP[0], E_IP[1]);
    setTabOrder(E_IP[1], E_IP[2]);
    setTabOrder(E_IP[2], E_IP[3]);
    setTabOrder(E_IP[3], CB_Update_Options);
    setTabOrder(CB_Update_Options, CB_Update_Option_Read_Back);
    // The buttons in the order they are drawn, left to right.
    setTabOrder(CB_Update_Option_Read_Back, Btn_Update);
    setTabOrder(Btn_Update, Btn_Cancel);

    if (ethernet) {
        QString p[4];
        if (Check_IP_Parts(g_LastIPAddress, p[0], p[1], p[2], p[3]))
            for (int i = 0; i < 4; ++i) E_IP[i]->setText(p[i]);
    } else {
        update_ComPort();
    }
    CB_Update_Options->setCurrentIndex(g_UpdateOption >= 0 && g_UpdateOption < 3 ? g_UpdateOption : 0);
    CB_Update_Option_Read_Back->setChecked(g_UpdateReadBack != 0);
    (ethernet ? static_cast<QWidget*>(E_IP[0]) : CB_COM_Port)->setFocus();
}

void TFBoot::update_ComPort() {
    CB_COM_Port->clear();
    CB_COM_Port->addItems(Get_COM_Port_List());
    if (CB_COM_Port->count() > 0) CB_COM_Port->setCurrentIndex(0);
}

bool TFBoot::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->text() == QLatin1String(".")) {
        for (int i = 0; i < 4; ++i) {
            if (watched != E_IP[i]) continue;
            // "." moves on to the next octet and is never typed.
            // Reached as by Tab, the next octet has its text selected, so typing replaces it.
            if (i < 3) E_IP[i + 1]->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return plat::TForm::eventFilter(watched, event);
}

void TFBoot::reject() {
    // No leaving while a ping or the updater runs: the click that started it is still working.
    if (!busy_) plat::TForm::reject();
}

void TFBoot::setBusy(bool busy) {
    busy_ = busy;
    Btn_Update->setEnabled(!busy);
    Btn_Cancel->setEnabled(!busy);
}

std::optional<QString> TFBoot::Typed_Address() const {
    QStringList octets;
    for (QLineEdit* e : E_IP) {
        const QString t = e->text().trimmed();
        // Decimal only: "010" is ten, never eight, whatever reads the address later.
        if (t.isEmpty() || t.size() > 3) return std::nullopt;
        for (QChar c : t)
            if (c < u'0' || c > u'9') return std::nullopt;
        const int v = t.toInt();
        if (v > 255) return std::nullopt;
        octets << QString::number(v);
    }
    const QString a = octets.join(u'.');
    if (a == QLatin1String("0.0.0.0") || a == QLatin1String("255.255.255.255")) return std::nullopt;
    return a;
}

bool TFBoot::Send_Ping() {
    ping_res = 0;
    try {
        const std::optional<QString> host = Typed_Address();
        if (!host) throw std::runtime_error("not a device address");
        const int64_t t0 = Clock->nowMs();
        int answered = 0;
        do {
            const int64_t t1 = Clock->nowMs();
            const plat::EchoReply reply = Ping->echo(*host, kEchoTimeoutMs, kEchoPacketSize);
            ping_res = (reply.answered && reply.bytes > 0) ? 1 : 2;
            do {
                Clock->sleepMs(10);
            } while (ping_res == 0 && Clock->nowMs() - t1 <= kEchoTimeoutMs);
            if (ping_res == 1 && ++answered == 2) break;
        } while (Clock->nowMs() - t0 <= kPingWindowMs);
    } catch (const std::exception&) {
        return false;
    }
    return ping_res == 1;
}

bool TFBoot::Compile_XML_Parameter_New_Boot(const QString& address, QString* error) {
    plat::XmlDocument doc;
    plat::XmlElement root = doc.createRoot(QStringLiteral("Flash_Loader"));
    auto add = [](plat::XmlElement e, const char* name, const QString& text) {
        e.appendTextChild(QString::fromLatin1(name), text);
    };
    add(root, "Version", QStringLiteral("1000"));
    add(root, "Title", QStringLiteral("Quorim - KS73632 Flash Loader"));
    add(root, "IP_Address_Dev", address);
    add(root, "Application_Port", QStringLiteral("10000"));
    add(root, "Boot_Port", QStringLiteral("2008"));
    add(root, "Boot_Port_Sec", QStringLiteral("2007"));
    add(root, "Address_Protection", QStringLiteral("0x07800"));
    add(root.appendChild(QStringLiteral("Protections")), "Protection", QString::fromLatin1(kProfinetDeviceId));

    const int option = CB_Update_Options->currentIndex();
    const QString readBack = CB_Update_Option_Read_Back->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    std::vector<Operation> ops;
    if (option == 0 || option == 1)
        ops.push_back({g_MasterPath + QStringLiteral("/Sim73632.sim"), "0x8000", "1", "1", option == 1});
    if (option == 0 || option == 2) {
        ops.push_back({g_ProjectPath + QStringLiteral("/bin/bank1.bin"), "0x07000", "2", "0", false});
        ops.push_back({g_ProjectPath + QStringLiteral("/bin/bank2.bin"), "0x80000", "2", "0", true});
    }
    plat::XmlElement list = root.appendChild(QStringLiteral("Operations"));
    for (const Operation& op : ops) {
        plat::XmlElement o = list.appendChild(QStringLiteral("Operation"));
        const QString fixed[][2] = {
            {QStringLiteral("Ope_Protection_Enabled"), QString()},
            {QStringLiteral("Ope_GoToBoot_Before"), QStringLiteral("0")},
            {QStringLiteral("Ope_GoToApp_Before"), QStringLiteral("0")},
            {QStringLiteral("Ope_IP_Address"), QString()},
            {QStringLiteral("Ope_Port"), QStringLiteral("2008")},
            {QStringLiteral("Ope_Port_Sec"), QStringLiteral("2007")},
            {QStringLiteral("Ope_Erase_Memory"), QStringLiteral("0")},
            {QStringLiteral("Ope_FileName"), op.fileName},
            {QStringLiteral("Ope_Start_Address"), QString::fromLatin1(op.startAddress)},
            {QStringLiteral("Ope_Memory_Type"), QStringLiteral("0")},
            {QStringLiteral("Ope_Bank_Type"), QString::fromLatin1(op.bankType)},
            {QStringLiteral("Ope_Read_Back"), readBack},
            {QStringLiteral("Ope_Write_CSS"), QString::fromLatin1(op.writeCss)},
            {QStringLiteral("Ope_Address_CSS"), QStringLiteral("0x07A00")},
            {QStringLiteral("Ope_Command_CSS"), QStringLiteral("0x02")},
            {QStringLiteral("Ope_Write_Internal_Data"), QStringLiteral("0")},
            {QStringLiteral("Ope_WID_Address"), QStringLiteral("0x07810")},
            {QStringLiteral("Ope_WID_Command"), QStringLiteral("0x02")},
            {QStringLiteral("Ope_WID_Data"), QStringLiteral("0x00, 0x00, 0x00, 0x01")},
            {QStringLiteral("Ope_GoToApp_After"), op.goToAppAfter ? QStringLiteral("1") : QStringLiteral("0")},
        };
        for (const auto& [name, text] : fixed) o.appendTextChild(name, text);
    }
    return doc.save(g_AppPath + QStringLiteral("/Flash_Loader.xml"), error);
}

void TFBoot::Btn_UpdateClick() {
    if (busy_ || Form_Type != 1) {
        if (Form_Type == 0) {
            g_UpdateOption = CB_Update_Options->currentIndex();
            g_UpdateReadBack = CB_Update_Option_Read_Back->isChecked() ? 1 : 0;
        }
        return;
    }
    setBusy(true);
    struct Idle {
        TFBoot* f;
        ~Idle() { f->setBusy(false); }
    } idle{this};
    // Taken before the check: the window keeps working while it runs, so the edits may change,
    // and what is stored and handed to the updater must be the address that answered.
    const std::optional<QString> checked = Typed_Address();
    if (!Send_Ping() || !checked) {
        if (ping_res == 2)
            plat::dialogs().warning(Text_Table[1036]);
        else
            plat::dialogs().error(Text_Table[1037]);
        return;
    }
    const QString address = *checked;
    g_LastIPAddress = address;
    g_UpdateOption = CB_Update_Options->currentIndex();
    g_UpdateReadBack = CB_Update_Option_Read_Back->isChecked() ? 1 : 0;
    QString error;
    // A stale parameter file could send the update to another device: no file, no updater.
    if (!Compile_XML_Parameter_New_Boot(address, &error)) {
        plat::dialogs().error(error);
        return;
    }
    Start_Program(g_AppPath + QStringLiteral("/Flash_Loader.exe"), QString(), 0);
}
