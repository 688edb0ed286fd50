#include "gateway/UParGen.h"

#include "platform/CategoryPanels.h"
#include "platform/Files.h"
#include "platform/Guard.h"
#include "platform/UserDialogs.h"
#include "platform/XmlDoc.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>
#include <QWheelEvent>
#include <array>
#include <span>

namespace {

QString T(int index) { return (index >= 0 && index < Text_Table.size()) ? Text_Table.at(index) : QString(); }

// ---------------------------------------------------------------------------------------------
// Controls with the dialog's own input rules.

// Limits what the user types (length, digits only) without touching texts set by the program:
// a file may hold a longer text, which is shown whole and can still be shortened.
class TypingLimit : public QValidator {
public:
    TypingLimit(QLineEdit* edit, int maxLength, bool digitsOnly)
        : QValidator(edit), max_(maxLength), digits_(digitsOnly), last_(edit->text()) {
        connect(edit, &QLineEdit::textChanged, this, [this](const QString& t) { last_ = t; });
    }
    // Texts the program sets are taken whole.
    void setTextUnchecked(QLineEdit* edit, const QString& text) {
        unchecked_ = true;
        edit->setText(text);
        unchecked_ = false;
    }
    State validate(QString& input, int&) const override {
        if (unchecked_) return Acceptable;
        if (max_ > 0 && input.size() > max_ && input.size() > last_.size()) return Invalid;
        if (digits_ && nonDigits(input) > nonDigits(last_)) return Invalid;
        return Acceptable;
    }

private:
    static int nonDigits(const QString& s) {
        int n = 0;
        for (QChar c : s)
            if (c < u'0' || c > u'9') ++n;
        return n;
    }
    int max_;
    bool digits_;
    bool unchecked_ = false;
    QString last_;
};

// A drop-down the user picks from; the wheel only turns it while it has the focus, so wheeling
// over the panels scrolls them.
class TDropDown : public QComboBox {
public:
    using QComboBox::QComboBox;

protected:
    void wheelEvent(QWheelEvent* e) override {
        if (hasFocus())
            QComboBox::wheelEvent(e);
        else
            e->ignore();
    }
};

// ---------------------------------------------------------------------------------------------
// Panel content, as data. Row k of a panel has its label at Top 12 + 28 k and its inputs 3 pixels
// higher; a gateway or diagnostic row puts its inputs 2 pixels above its check box.

enum class Row {
    Edit,     // label, edit 238 wide
    Rich,     // label, rich edit 238 wide
    Cert,     // label, rich edit 211 wide, "..." button
    Address,  // label, four octet edits with "." labels between them
    Gateway,  // check box 175 wide, four octet edits
    Check,    // check box filling the row
    CheckEdit,  // check box 175 wide, edit
    Combo,    // label, drop-down
    Heading,  // label across the row
};

struct Items {
    std::span<const char* const> fixed;  // never translated
    int firstText = -1;                  // or text-table entries firstText .. firstText + count - 1
    int count = 0;
};

struct RowDef {
    Row kind;
    const char* label;   // label or check box
    int text;            // its caption's text-table entry; -1: `fixedCaption`
    const char* input;   // input control, or the octet edits' common prefix (digits 1..4 follow)
    std::array<int, 4> hints{-1, -1, -1, -1};
    int maxLength = 0;
    bool digitsOnly = false;
    Items items{};
    const char* fixedCaption = nullptr;
    int inputOffset = -3;  // Top of the inputs relative to the label
    const char* button = nullptr;
};

struct PanelDef {
    const char* name;
    int caption;
    std::vector<RowDef> rows;
};

constexpr const char* kSelectDeviceItems[] = {"Only Ethernet Cable ", "Ethernet Cable + Wi-Fi",
                                              "Ethernet Cable + Mobile Connection"};
constexpr const char* kQoSItems[] = {"0", "1", "2"};
constexpr const char* kMaxClientItems[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
constexpr const char* kAuthItems[] = {"None", "PAP", "CHAP", "PAP or CHAP"};
constexpr const char* kSimItems[] = {"SIM 1", "SIM 2"};

using H = std::array<int, 4>;
constexpr H kNoHints{-1, -1, -1, -1};
constexpr H h1(int a) { return {a, -1, -1, -1}; }
constexpr H h4(int a) { return {a, a + 1, a + 2, a + 3}; }

// The nine panels of this gateway, in display order.
const std::vector<PanelDef>& panelDefs() {
    static const std::vector<PanelDef> defs = {
        {"CP_Select_Device", 4247,
         {{Row::Combo, "L_Select_Device_Device", 4248, "CB_Select_Device_Device", h1(4249), 0, false, {kSelectDeviceItems}}}},
        {"CP_Ethernet_Connection", 4250,
         {
             {Row::Edit, "L_EthConn_Device_Name", 4251, "E_EthConn_Device_Name", h1(4252), 31},
             {Row::Check, "CB_EthConn_En_DHCP_Cable", 4253, nullptr, h1(4254)},
             {Row::Check, "CB_EthConn_En_DHCP_WiFi", 4255, nullptr, h1(4256)},
             {Row::Check, "CB_EthConn_Enable_DNS", 4257, nullptr, h1(4258)},
             {Row::Address, "L_EthConn_Primary_DNS", 4263, "E_EthConn_Pri_DNS_IP", h4(4259)},
             {Row::Address, "L_EthConn_Secondary_DNS", 4264, "E_EthConn_Sec_DNS_IP", h4(4265)},
         }},
        {"CP_PROFINET", 1914,
         {
             {Row::Address, "L_PROFINET_IP", 1915, "E_PROFINET_IP", h4(1916)},
             {Row::Address, "L_PROFINET_SM", 1920, "E_PROFINET_SM", h4(1921)},
             {Row::Gateway, "CB_PROFINET_GAT", 1925, "E_PROFINET_GAT", h1(1926)},
             {Row::Edit, "L_PROFINET_TunnelPort", 1931, "E_PROFINET_TunnelPort", h1(1932)},
             {Row::Edit, "L_PROFINET_NameStation", 1933, "E_PROFINET_NameStation", h1(1934), 31},
             {Row::Edit, "L_PROFINET_NByte_In", 1935, "E_PROFINET_NByte_In", h1(1936)},
             {Row::Edit, "L_PROFINET_NByte_Out", 1937, "E_PROFINET_NByte_Out", h1(1938)},
             {Row::CheckEdit, "CB_PROFINET_Diagnostic", 1939, "E_PROFINET_Diagnostic", {1940, 1941, -1, -1}},
         }},
        {"CP_MQTT", 428,
         {
             {Row::Edit, "L_MQTT_Server", 429, "E_MQTT_Server", h1(430)},
             {Row::Edit, "L_MQTT_Server_Port", 431, "E_MQTT_Server_Port", h1(432)},
             {Row::Edit, "L_MQTT_Client_ID", 433, "E_MQTT_Client_ID", h1(434)},
             {Row::Edit, "L_MQTT_Keep_Alive", 435, "E_MQTT_Keep_Alive", h1(436)},
             {Row::Check, "CB_MQTT_Clean_Session", 437, nullptr, h1(438)},
             {Row::Check, "CB_MQTT_WillFlag", 439, nullptr, h1(440)},
             {Row::Edit, "L_MQTT_Will_TopicName", 441, "E_MQTT_Will_TopicName", h1(442)},
             {Row::Edit, "L_MQTT_Will_Message", 443, "E_MQTT_Will_Message", h1(444)},
             {Row::Check, "CB_MQTT_Will_Retained", 445, nullptr, h1(446)},
             {Row::Combo, "L_MQTT_Will_QoS", 447, "CB_MQTT_Will_QoS", h1(448), 0, false, {kQoSItems}},
             {Row::Check, "CB_MQTT_PublishTopicConnection", 4226, nullptr, h1(4227)},
             {Row::Edit, "L_MQTT_Connection_TopicName", 4228, "E_MQTT_Connection_TopicName", h1(4229)},
             {Row::Edit, "L_MQTT_Connection_Message", 4230, "E_MQTT_Connection_Message", h1(4231)},
             {Row::Check, "CB_MQTT_Connection_Retained", 4232, nullptr, h1(4233)},
             {Row::Edit, "L_MQTT_Username", 449, "E_MQTT_Username", h1(450)},
             {Row::Rich, "L_MQTT_Password", 451, "E_MQTT_Password", h1(452)},
             {Row::Edit, "L_MQTT_ASync_Send_Time", 453, "E_MQTT_ASync_Send_Time", h1(454)},
             {Row::Edit, "L_MQTT_TopicDALIAns", 4234, "E_MQTT_TopicDALIAns", h1(4235)},
             {Row::Check, "CB_MQTT_Enable_ReProgram", 4236, nullptr, h1(4237)},
             {Row::Edit, "L_MQTT_Reprogram_Topic", 4238, "E_MQTT_Reprogram_Topic", h1(4239)},
             {Row::Edit, "L_MQTT_Reproram_Value", 4240, "E_MQTT_Reproram_Value", h1(4241)},
         }},
        {"CP_Ethernet", 455,
         {
             {Row::Address, "L_Ethernet_IP", 456, "E_Ethernet_IP", h4(457)},
             {Row::Address, "L_Ethernet_SM", 461, "E_Ethernet_SM", h4(462)},
             {Row::Gateway, "CB_Ethernet_En_GAT", 466, "E_Ethernet_GAT", h1(467)},
             {Row::Gateway, "CB_Ethernet_En_DNS", -1, "E_Ethernet_DNS", kNoHints, 0, false, {}, "DNS"},
             {Row::Edit, "L_Ethernet_TCP_Port", -1, "E_Ethernet_TCP_Port", kNoHints, 0, false, {}, "TCP Port"},
             {Row::Edit, "L_Ethernet_UDP_Port", -1, "E_Ethernet_UDP_Port", kNoHints, 0, false, {}, "UDP Port"},
             {Row::Check, "CB_Ethernet_Reset_24h", 4243, nullptr, h1(4244)},
         }},
        {"CP_TLS", 554,
         {
             {Row::Check, "CB_TLS_Enable", 555, nullptr, h1(556)},
             {Row::Check, "CB_TLS_En_Server_Auth", 557, nullptr, h1(558)},
             {Row::Cert, "L_TLS_Server_Cert", 559, "E_TLS_Server_Cert", h1(560), 0, false, {}, nullptr, -5,
              "Btn_TLS_Server_Cert"},
             {Row::Check, "CB_TLS_En_Client_Auth", 561, nullptr, h1(562)},
             {Row::Cert, "L_TLS_CA_Cert", 5246, "E_TLS_CA_Cert", h1(5247), 0, false, {}, nullptr, -3, "Btn_TLS_CA_Cert"},
             {Row::Cert, "L_TLS_Client_Cert", 563, "E_TLS_Client_Cert", h1(564), 0, false, {}, nullptr, -3,
              "Btn_TLS_Client_Cert"},
             {Row::Cert, "L_TLS_Client_Cert_Key", 565, "E_TLS_Client_Cert_Key", h1(566), 0, false, {}, nullptr, -3,
              "Btn_TLS_Client_Cert_Key"},
             {Row::Edit, "L_TLS_Client_Cert_Key_Pass", 567, "E_TLS_Client_Cert_Key_Pass", h1(568)},
         }},
        {"CP_NTP", 569,
         {
             {Row::Edit, "L_NTP_Server_URL", 570, "E_NTP_Server_URL", h1(571)},
             {Row::Edit, "L_NTP_Poll_Time", 572, "E_NTP_Poll_Time", h1(573)},
         }},
        {"CP_WiFi2", 478,
         {
             {Row::Combo, "L_WiFi2_Type", 5101, "CB_WiFi2_Type", h1(5102), 0, false, {{}, 5103, 2}},
             {Row::Heading, "L_WiFi2_IP1", 5105, nullptr},
             {Row::Address, "L_WiFi2_IP1_IP", 5106, "E_WiFi2_IP1_IP", h4(5107)},
             {Row::Address, "L_WiFi2_IP1_SM", 5111, "E_WiFi2_IP1_SM", h4(5112)},
             {Row::Gateway, "CB_WiFi2_IP1_En_GAT", 5116, "E_WiFi2_IP1_GAT", h1(5117)},
             {Row::Heading, "L_WiFi2_IP2", 5122, nullptr},
             {Row::Address, "L_WiFi2_IP2_IP", 5123, "E_WiFi2_IP2_IP", h4(5124)},
             {Row::Address, "L_WiFi2_IP2_SM", 5128, "E_WiFi2_IP2_SM", h4(5129)},
             {Row::Gateway, "CB_WiFi2_IP2_En_GAT", 5133, "E_WiFi2_IP2_GAT", h1(5134)},
             {Row::Edit, "L_WiFi2_SSID", 5139, "E_WiFi2_SSID", h1(5140)},
             {Row::Edit, "L_WiFi2_Password", 5141, "E_WiFi2_Password", h1(5142)},
             {Row::Combo, "L_WiFi2_Secure_Type", 5143, "CB_WiFi2_Secure_Type", h1(5144), 0, false, {{}, 5145, 4}},
             {Row::Check, "CB_WiFi2_En_DHCP", 5149, nullptr, h1(5150)},
             {Row::Address, "L_WiFi2_DHCP_First_IP", 5151, "E_WiFi2_DHCP_First_IP", h4(5152)},
             {Row::Address, "L_WiFi2_DHCP_SM", 5156, "E_WiFi2_DHCP_SM", h4(5157)},
             {Row::Edit, "L_WiFi2_Lease_Time", 5161, "E_WiFi2_Lease_Time", h1(5162)},
             {Row::Combo, "L_WiFi2_Max_Client", 5163, "CB_WiFi2_Max_Client", h1(5164), 0, false, {kMaxClientItems}},
             {Row::Combo, "L_WiFi2_Channel", 5165, "CB_WiFi2_Channel", h1(5166), 0, false, {{}, 5167, 12}},
         }},
        {"CP_GSM_GPRS", 4150,
         {
             {Row::Edit, "L_GSM_GPRS_PIN", 4151, "E_GSM_GPRS_PIN", h1(4152), 8, true},
             {Row::Edit, "L_GSM_GPRS_APN", 4153, "E_GSM_GPRS_APN", h1(4154)},
             {Row::Combo, "L_GSM_GPRS_AuthType", 4220, "CB_GSM_GPRS_AuthType", h1(4221), 0, false, {kAuthItems}},
             {Row::Edit, "L_GSM_GPRS_UserName", 4222, "E_GSM_GPRS_UserName", h1(4223), 32},
             {Row::Edit, "L_GSM_GPRS_Password", 4224, "E_GSM_GPRS_Password", h1(4225), 32},
             {Row::Check, "CB_GSM_GPRS_En_Second_SIM", 5232, nullptr, h1(5233)},
             {Row::Edit, "L_GSM_GPRS_PIN2", 5234, "E_GSM_GPRS_PIN2", h1(5235), 8, true},
             {Row::Edit, "L_GSM_GPRS_APN2", 5236, "E_GSM_GPRS_APN2", h1(5237)},
             {Row::Combo, "L_GSM_GPRS_AuthType2", 5238, "CB_GSM_GPRS_AuthType2", h1(5239), 0, false, {kAuthItems}},
             {Row::Edit, "L_GSM_GPRS_UserName2", 5240, "E_GSM_GPRS_UserName2", h1(5241), 32},
             {Row::Edit, "L_GSM_GPRS_Password2", 5242, "E_GSM_GPRS_Password2", h1(5243), 32},
             {Row::Combo, "L_GSM_GPRS_Main_SIM", 5244, "CB_GSM_GPRS_Main_SIM", h1(5245), 0, false, {kSimItems}},
         }},
    };
    return defs;
}

// Chains along which "." moves the focus; each lists the octet-edit prefixes in order.
const std::vector<std::vector<const char*>>& dotChains() {
    static const std::vector<std::vector<const char*>> chains = {
        {"E_Ethernet_IP", "E_Ethernet_SM", "E_Ethernet_GAT"},
        {"E_EthConn_Pri_DNS_IP", "E_EthConn_Sec_DNS_IP"},
        {"E_WiFi2_IP1_IP", "E_WiFi2_IP1_SM", "E_WiFi2_IP1_GAT"},
        {"E_WiFi2_IP2_IP", "E_WiFi2_IP2_SM", "E_WiFi2_IP2_GAT"},
        {"E_WiFi2_DHCP_First_IP", "E_WiFi2_DHCP_SM"},
        {"E_PROFINET_IP", "E_PROFINET_SM", "E_PROFINET_GAT"},
    };
    return chains;
}

QString octetName(const char* prefix, int i) { return QLatin1StringView(prefix) + QString::number(i + 1); }
QString dotName(const char* prefix, int i) {
    // "E_Ethernet_IP" -> "L_Dot_Ethernet_IP_1"
    QString p = QLatin1StringView(prefix);
    if (p.startsWith(u"E_")) p = p.mid(2);
    return QStringLiteral("L_Dot_") + p + u'_' + QString::number(i + 1);
}

constexpr int kLeft = 14;
constexpr int kInputLeft = 191;
constexpr int kInputWidth = 238;
constexpr int kOctetLefts[4] = {191, 252, 313, 374};
constexpr int kDotLefts[3] = {247, 308, 369};
constexpr int kOctetWidth = 55;
constexpr int kEditHeight = 21;
constexpr int kComboHeight = 22;
constexpr int kRichHeight = 23;
constexpr int kCheckHeight = 17;
constexpr int kLabelHeight = 16;

const char* const kCertQuestion = "This file is already present in Certificates folder. Do you want to overwrite?";

}  // namespace

// -------------------------------------------------------------------------------------------------

TFParGen::TFParGen(QWidget* parent) : plat::TForm(parent) {
    setObjectName(QStringLiteral("FParGen"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);

    QWidget* title = TitleStrip();
    title->resize(title->width(), 69);
    QFont codeFont = font();
    codeFont.setPixelSize(26);
    codeFont.setBold(true);
    L_SW_Code()->setFont(codeFont);
    L_SW_Code()->setStyleSheet(QStringLiteral("color: rgb(128,128,128)"));
    L_SW_Code()->setGeometry(12, 6, 430, 34);
    L_SW_Desc()->setGeometry(14, 42, 430, 18);
    L_SW_Code()->setText(g_SWCode);

    CPG = new plat::TCategoryPanelGroup(this);
    CPG->setObjectName(QStringLiteral("CPG"));
    QPalette pal = CPG->palette();
    pal.setColor(QPalette::Window, HouseColor());
    CPG->setPalette(pal);
    CPG->viewport()->setPalette(pal);
    CPG->widget()->setPalette(pal);

    P_Button = new QWidget(this);
    P_Button->setObjectName(QStringLiteral("P_Button"));
    Btn_OK = new QPushButton(P_Button);
    Btn_OK->setObjectName(QStringLiteral("Btn_OK"));
    Btn_Cancel = new QPushButton(P_Button);
    Btn_Cancel->setObjectName(QStringLiteral("Btn_Cancel"));
    Btn_OK->setAutoDefault(false);
    Btn_Cancel->setAutoDefault(false);
    plat::onSignal(Btn_OK, &QPushButton::clicked, this, [this](bool) { Btn_OKClick(); });
    plat::onSignal(Btn_Cancel, &QPushButton::clicked, this, [this](bool) { SetModalResult(plat::mrCancel); });

    buildPanels();
    SetClientSize(460, 700);
    Order_TAB_Panels();
    Set_Lang();
}

void TFParGen::register_(QWidget* w, const QString& name) {
    w->setObjectName(name);
    controls_.insert(name, w);
}

void TFParGen::buildPanels() {
    for (const PanelDef& pd : panelDefs()) {
        auto* panel = new plat::TCategoryPanel(CPG);
        panel->setObjectName(QLatin1StringView(pd.name));
        panels_.insert(QLatin1StringView(pd.name), panel);
        QWidget* c = panel->client();
        int bottom = 0;
        auto place = [&](QWidget* w, int x, int y, int width, int height) {
            w->setGeometry(x, y, width, height);
            bottom = std::max(bottom, y + height);
        };
        auto makeLabel = [&](const char* name, int y, int width) {
            auto* l = new QLabel(c);
            register_(l, QLatin1StringView(name));
            place(l, kLeft, y, width, kLabelHeight);
            return l;
        };
        auto makeEdit = [&](const QString& name, int x, int y, int width, int height) {
            auto* e = new QLineEdit(c);
            register_(e, name);
            place(e, x, y, width, height);
            return e;
        };
        auto makeOctets = [&](const RowDef& r, int labelTop, int inputTop) {
            for (int i = 0; i < 4; ++i) {
                QLineEdit* e = makeEdit(octetName(r.input, i), kOctetLefts[i], inputTop, kOctetWidth, kEditHeight);
                e->installEventFilter(this);
                dotSuccessor_.insert(e, nullptr);
            }
            for (int i = 0; i < 3; ++i) {
                auto* dot = new QLabel(QStringLiteral("."), c);
                register_(dot, dotName(r.input, i));
                dot->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
                place(dot, kDotLefts[i], labelTop, 5, kLabelHeight);
            }
        };

        for (size_t k = 0; k < pd.rows.size(); ++k) {
            const RowDef& r = pd.rows[k];
            const int top = 12 + 28 * static_cast<int>(k);
            const int inputTop = top + r.inputOffset;
            switch (r.kind) {
            case Row::Edit:
            case Row::Rich: {
                makeLabel(r.label, top, kInputLeft - kLeft - 2);
                QLineEdit* e = makeEdit(QLatin1StringView(r.input), kInputLeft, inputTop, kInputWidth,
                                        r.kind == Row::Rich ? kRichHeight : kEditHeight);
                if (r.maxLength > 0 || r.digitsOnly) e->setValidator(new TypingLimit(e, r.maxLength, r.digitsOnly));
                break;
            }
            case Row::Cert: {
                makeLabel(r.label, top, kInputLeft - kLeft - 2);
                makeEdit(QLatin1StringView(r.input), kInputLeft, inputTop, 211, kRichHeight);
                auto* b = new QPushButton(QStringLiteral("..."), c);
                register_(b, QLatin1StringView(r.button));
                b->setAutoDefault(false);
                place(b, 406, inputTop, 23, 23);
                certBox_.insert(b, Edit(QLatin1StringView(r.input)));
                plat::onSignal(b, &QPushButton::clicked, this, [this, b](bool) { Btn_OnCertificate(b); });
                break;
            }
            case Row::Address:
                makeLabel(r.label, top, kInputLeft - kLeft - 2);
                makeOctets(r, top, inputTop);
                break;
            case Row::Gateway: {
                auto* cb = new QCheckBox(c);
                register_(cb, QLatin1StringView(r.label));
                place(cb, kLeft, top, 175, kCheckHeight);
                makeOctets(r, top, top - 2);
                break;
            }
            case Row::Check: {
                auto* cb = new QCheckBox(c);
                register_(cb, QLatin1StringView(r.label));
                place(cb, kLeft, top, 415, kCheckHeight);
                break;
            }
            case Row::CheckEdit: {
                auto* cb = new QCheckBox(c);
                register_(cb, QLatin1StringView(r.label));
                place(cb, kLeft, top, 175, kCheckHeight);
                makeEdit(QLatin1StringView(r.input), kInputLeft, top - 2, kInputWidth, kEditHeight);
                break;
            }
            case Row::Combo: {
                makeLabel(r.label, top, kInputLeft - kLeft - 2);
                auto* cb = new TDropDown(c);
                register_(cb, QLatin1StringView(r.input));
                place(cb, kInputLeft, inputTop, kInputWidth, kComboHeight);
                for (const char* item : r.items.fixed) cb->addItem(QString::fromLatin1(item));
                break;
            }
            case Row::Heading:
                makeLabel(r.label, top, 415);
                break;
            }
            if (r.fixedCaption) {
                QWidget* w = Control(QLatin1StringView(r.label));
                if (auto* l = qobject_cast<QLabel*>(w)) l->setText(QString::fromLatin1(r.fixedCaption));
                if (auto* cb = qobject_cast<QCheckBox*>(w)) cb->setText(QString::fromLatin1(r.fixedCaption));
            }
        }
        // Design height: the lowest control, the header and a margin.
        panel->setPanelHeight(bottom + CPG->HeaderHeight() + 12);
    }

    for (const auto& chain : dotChains()) {
        QWidget* prev = nullptr;
        for (const char* prefix : chain)
            for (int i = 0; i < 4; ++i) {
                QWidget* e = Control(octetName(prefix, i));
                if (prev) dotSuccessor_.insert(prev, e);
                prev = e;
            }
    }

    for (const pargen::Element& el : pargen::elements()) {
        QWidget* w = Control(QLatin1StringView(el.control));
        Q_ASSERT_X(w, "TFParGen", el.control);
        bound_.push_back(w);
    }
}

void TFParGen::Order_TAB_Panels() {
    // Shown, stacked, numbered and tab-ordered once; the captions stay in the language of now.
    int top = 0;
    int i = 0;
    for (const PanelDef& pd : panelDefs()) {
        plat::TCategoryPanel* p = Panel(QLatin1StringView(pd.name));
        p->show();
        p->setTop(top);
        top += p->panelHeight();
        ++i;
        p->setCaption(QString::number(i) + QStringLiteral(". ") + T(pd.caption));
    }
}

void TFParGen::Set_Lang() {
    setWindowTitle(T(400));
    L_SW_Desc()->setText(T(401));
    Btn_OK->setText(T(402));
    Btn_Cancel->setText(T(403));
    Btn_OK->setToolTip(T(404));
    Btn_Cancel->setToolTip(T(405));

    for (const PanelDef& pd : panelDefs()) {
        for (const RowDef& r : pd.rows) {
            QWidget* lead = Control(QLatin1StringView(r.label));
            if (r.text >= 0) {
                if (auto* l = qobject_cast<QLabel*>(lead)) l->setText(T(r.text));
                if (auto* cb = qobject_cast<QCheckBox*>(lead)) cb->setText(T(r.text));
            }
            switch (r.kind) {
            case Row::Edit:
            case Row::Rich:
            case Row::Combo:
                if (r.hints[0] >= 0) Control(QLatin1StringView(r.input))->setToolTip(T(r.hints[0]));
                break;
            case Row::Cert:
                Control(QLatin1StringView(r.input))->setToolTip(T(r.hints[0]));
                Control(QLatin1StringView(r.button))->setToolTip(T(r.hints[0]));
                break;
            case Row::Address:
                for (int i = 0; i < 4; ++i)
                    if (r.hints[i] >= 0) Control(octetName(r.input, i))->setToolTip(T(r.hints[i]));
                break;
            case Row::Gateway:
                // The check box's hint, then one for each octet.
                if (r.hints[0] >= 0) {
                    lead->setToolTip(T(r.hints[0]));
                    for (int i = 0; i < 4; ++i) Control(octetName(r.input, i))->setToolTip(T(r.hints[0] + 1 + i));
                }
                break;
            case Row::Check:
                lead->setToolTip(T(r.hints[0]));
                break;
            case Row::CheckEdit:
                lead->setToolTip(T(r.hints[0]));
                Control(QLatin1StringView(r.input))->setToolTip(T(r.hints[1]));
                break;
            case Row::Heading:
                break;
            }
            if (r.kind == Row::Combo && r.items.firstText >= 0) {
                // Translated items: refilled, first item selected until the next show.
                QComboBox* cb = Combo(QLatin1StringView(r.input));
                const QSignalBlocker block(cb);
                cb->clear();
                for (int i = 0; i < r.items.count; ++i) cb->addItem(T(r.items.firstText + i));
                cb->setCurrentIndex(0);
            }
        }
    }
}

QLineEdit* TFParGen::Edit(const QString& name) const { return qobject_cast<QLineEdit*>(Control(name)); }
QCheckBox* TFParGen::Check(const QString& name) const { return qobject_cast<QCheckBox*>(Control(name)); }
QComboBox* TFParGen::Combo(const QString& name) const { return qobject_cast<QComboBox*>(Control(name)); }
QLabel* TFParGen::Label(const QString& name) const { return qobject_cast<QLabel*>(Control(name)); }

pargen::Values TFParGen::Values() const {
    pargen::Values v;
    const auto els = pargen::elements();
    for (int i = 0; i < pargen::kElementCount; ++i) {
        QWidget* w = bound_[static_cast<size_t>(i)];
        switch (els[static_cast<size_t>(i)].kind) {
        case pargen::Kind::Text:
            v[i] = static_cast<QLineEdit*>(w)->text();
            break;
        case pargen::Kind::Check:
        case pargen::Kind::CheckInt:
            v[i] = static_cast<QCheckBox*>(w)->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
            break;
        case pargen::Kind::Index:
            v[i] = QString::number(static_cast<QComboBox*>(w)->currentIndex());
            break;
        case pargen::Kind::ItemText:
            v[i] = static_cast<QComboBox*>(w)->currentText();
            break;
        }
    }
    return v;
}

void TFParGen::SetValues(const pargen::Values& v) {
    const auto els = pargen::elements();
    for (int i = 0; i < pargen::kElementCount; ++i) {
        QWidget* w = bound_[static_cast<size_t>(i)];
        switch (els[static_cast<size_t>(i)].kind) {
        case pargen::Kind::Text: {
            auto* e = static_cast<QLineEdit*>(w);
            if (auto* limit = dynamic_cast<TypingLimit*>(const_cast<QValidator*>(e->validator())))
                limit->setTextUnchecked(e, v[i]);
            else
                e->setText(v[i]);
            break;
        }
        case pargen::Kind::Check:
        case pargen::Kind::CheckInt:
            static_cast<QCheckBox*>(w)->setChecked(v[i] == u"1");
            break;
        case pargen::Kind::Index: {
            auto* cb = static_cast<QComboBox*>(w);
            const int pos = v[i].toInt();
            cb->setCurrentIndex(pos >= 0 && pos < cb->count() ? pos : -1);
            break;
        }
        case pargen::Kind::ItemText: {
            auto* cb = static_cast<QComboBox*>(w);
            cb->setCurrentIndex(cb->findText(v[i], Qt::MatchFixedString));
            break;
        }
        }
    }
}

void TFParGen::FormShow() {
    try {
        SetValues(pargen::readFile(g_ParGenFile));
    } catch (const plat::Error& e) {
        // Never leave another project's values on screen behind an unreadable file.
        SetValues(pargen::fileMissingDefaults());
        plat::dialogs().error(e.message());
    }
}

void TFParGen::Btn_OKClick() {
    pargen::writeFile(g_ParGenFile, Values());
    SetModalResult(plat::mrOk);
}

void TFParGen::Btn_OnCertificate(QPushButton* sender) {
    QLineEdit* box = certBox_.value(sender);
    if (!box) return;
    const QString folder = g_ProjectPath + QStringLiteral("/Certificates");
    if (!plat::dirExists(folder) && !plat::forceDirectories(folder))
        throw plat::Error(QStringLiteral("Cannot create the folder \"%1\"").arg(folder));

    const std::optional<QString> chosen =
        plat::dialogs().openFile(QStringLiteral("Open"), folder, QStringLiteral("Any Files (*.*)"));
    if (!chosen || !plat::fileExists(*chosen)) return;

    const QString name = QFileInfo(*chosen).fileName();
    // The image builder looks the file up by this name in the folder: a bare file name only.
    if (name.isEmpty() || name == u"." || name == u".." || name.contains(u'/') || name.contains(u'\\')) {
        plat::dialogs().error(QStringLiteral("Invalid certificate file name: \"%1\"").arg(name));
        return;
    }
    const QString target = folder + u'/' + name;
    const QString chosenCanon = QFileInfo(*chosen).canonicalFilePath();
    const QString targetCanon = QFileInfo(target).canonicalFilePath();
    const bool alreadyHere = !targetCanon.isEmpty() && chosenCanon == targetCanon;
    if (!alreadyHere) {
        if (plat::fileExists(target) &&
            plat::dialogs().questionYesNoCancel(QString::fromLatin1(kCertQuestion)) != plat::Answer::Yes)
            return;
        QString error;
        if (!plat::copyFileReplace(*chosen, target, &error)) {
            plat::dialogs().error(QStringLiteral("The certificate could not be copied to \"%1\": %2").arg(target, error));
            return;
        }
    }
    box->setText(name);
}

int TFParGen::Check_Device_IP_Address_WiFi(QString& str_Bus_IP1, QString& str_Bus_IP2) const {
    str_Bus_IP1 = QStringLiteral("PROFINET Slave");
    str_Bus_IP2 = QStringLiteral("MQTT");
    return 2;
}

void TFParGen::KeyPress(QLineEdit* edit, QKeyEvent* event) {
    QWidget* next = dotSuccessor_.value(edit);
    if (next && next->isEnabled() && next->isVisibleTo(this)) next->setFocus(Qt::TabFocusReason);
    event->accept();
}

bool TFParGen::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* edit = qobject_cast<QLineEdit*>(watched);
        auto* ke = static_cast<QKeyEvent*>(event);
        if (edit && dotSuccessor_.contains(edit) && ke->text() == u".") {
            plat::guarded([&] { KeyPress(edit, ke); });
            return true;  // a "." never reaches an octet edit
        }
    }
    return plat::TForm::eventFilter(watched, event);
}

void TFParGen::FormMouseWheel(QWheelEvent* event) {
    const QPoint p = CPG->mapFrom(this, event->position().toPoint());
    if (!CPG->rect().contains(p)) {
        event->ignore();
        return;
    }
    event->accept();
    const int lines = QApplication::wheelScrollLines();
    const bool up = event->angleDelta().y() > 0;
    for (int i = 0; i < lines; ++i) up ? CPG->scrollLineUp() : CPG->scrollLineDown();
}

void TFParGen::wheelEvent(QWheelEvent* event) {
    plat::guarded([&] { FormMouseWheel(event); });
}

void TFParGen::resizeEvent(QResizeEvent* event) {
    plat::TForm::resizeEvent(event);
    const int w = width();
    const int h = height();
    const int titleH = TitleStrip()->height();
    TitleStrip()->setGeometry(0, 0, w, titleH);
    P_Button->setGeometry(0, h - 40, w, 40);
    Btn_Cancel->setGeometry(w - 8 - 110, 6, 110, 28);
    Btn_OK->setGeometry(w - 8 - 110 - 8 - 110, 6, 110, 28);
    CPG->setGeometry(0, titleH, w, h - titleH - 40);
}
