#include "mbus/UScanDecode.h"

#include "controls/FadeButton.h"
#include "grid/ExCGrid.h"
#include "grid/ExGrid.h"
#include "mbus/LabelCaption.h"
#include "mbus/UInsertKeyWireless.h"
#include "mbus/UModbusStartAdd_SD.h"
#include "mbus/UScanModbusStart.h"
#include "platform/Files.h"
#include "platform/Guard.h"
#include "platform/ImageList.h"
#include "platform/IntConv.h"
#include "platform/UserDialogs.h"
#include "platform/XmlDoc.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTimer>

using namespace plat;
using mbus::TMBusScanDecode;

namespace {

constexpr int kClientWidth = 1000;
constexpr int kHeightWired = 523;    // Form_Type 0
constexpr int kHeightChoice = 571;   // Form_Type 1
constexpr int kSettingsWidth = 360;
constexpr int kButtonPanel = 40;
constexpr int kButtonWidth = 150;
constexpr int kButtonGap = 8;
constexpr int kRow = 26;
constexpr int kLabelWidth = 150;
constexpr int kBoxLeft = 170;
constexpr int kSplitX = 70;  // where the second part of a "[NOT FOUND]" line starts
constexpr int kDetails = 12;
constexpr int kWirelessTableHeight = 200;
constexpr int kCyclicTarget = 30;
constexpr TColor kEncryptedColor = 0xB9BBFF;  // BGR: light red
constexpr TColor kPlainColor = 0xA8FFA8;      // BGR: light green
const QString kNotFound = QStringLiteral("[NOT FOUND]");

QString hex(uint64_t v, int digits) { return QStringLiteral("%1").arg(v, digits, 16, QLatin1Char('0')).toUpper(); }

// The device list: a "[NOT FOUND]" line in red, in two parts either side of pixel 70; any other
// line whole in blue.
class DeviceLineDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& idx) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, idx);
        const QString text = opt.text;
        opt.text.clear();
        opt.widget->style()->drawControl(QStyle::CE_ItemViewItem, &opt, p, opt.widget);
        const QRect r = option.rect;
        p->save();
        p->setFont(opt.font);
        const int bracket = text.indexOf(kNotFound);
        if (bracket >= 0) {
            const int open = int(text.indexOf(u'['));
            p->setPen(Qt::red);
            p->drawText(QRect(r.left(), r.top(), kSplitX, r.height()), Qt::AlignLeft | Qt::AlignVCenter,
                        text.left(open).trimmed());
            p->drawText(QRect(r.left() + kSplitX, r.top(), r.width() - kSplitX - 1, r.height()),
                        Qt::AlignLeft | Qt::AlignVCenter, text.mid(std::max(0, open - 1)).trimmed());
        } else {
            p->setPen(Qt::blue);
            p->drawText(r, Qt::AlignLeft | Qt::AlignVCenter, text);
        }
        p->restore();
    }
};

// Three pictures for the tree levels, and the closed and open padlock of the wireless table.
void fillTreeImages(TImageList& list) {
    const QColor colours[] = {QColor(0x2E, 0x6D, 0xB4), QColor(0x3C, 0x9A, 0x3C), QColor(0xC8, 0x8A, 0x1E)};
    for (int i = 0; i < 3; ++i) {
        QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(colours[i]);
        p.setPen(colours[i].darker());
        if (i == 0)
            p.drawRoundedRect(QRectF(1.5, 2.5, 13, 11), 2, 2);
        else if (i == 1)
            p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
        else
            p.drawRect(QRectF(4.5, 4.5, 7, 7));
        p.end();
        TBitmap b(16, 16, pf32bit);
        b.SetImage(image);
        list.Add(b);
    }
}

void fillLockImages(TImageList& list) {
    for (int i = 0; i < 2; ++i) {
        QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor c = i == 0 ? QColor(0xC0, 0x20, 0x20) : QColor(0x20, 0x90, 0x20);
        p.setPen(QPen(c, 2));
        p.setBrush(Qt::NoBrush);
        // Closed shackle for an encrypted meter, open for a readable one.
        if (i == 0)
            p.drawArc(QRectF(4, 1, 8, 10), 0, 180 * 16);
        else
            p.drawArc(QRectF(7, 0, 8, 10), 0, 180 * 16);
        p.setBrush(c);
        p.drawRect(QRectF(3, 7, 10, 8));
        p.end();
        TBitmap b(16, 16, pf32bit);
        b.SetImage(image);
        list.Add(b);
    }
}

QLabel* label(QWidget* parent, const char* name) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

QComboBox* combo(QWidget* parent, const char* name, const QStringList& items = {}) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->addItems(items);
    return c;
}

QCheckBox* check(QWidget* parent, const char* name) {
    auto* c = new QCheckBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    return c;
}

QLineEdit* edit(QWidget* parent, const char* name, const QString& text) {
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

}  // namespace

std::unique_ptr<TScanEngineControl> Make_Scan_Engine(mbus::TScanEngineSetup setup) {
    return std::make_unique<TScanEngine>(std::move(setup));
}

TFScanDecode::TFScanDecode(QWidget* parent, std::unique_ptr<TScanEngineControl> engine)
    : plat::TForm(parent), TR_ScanDecode(engine ? std::move(engine) : Make_Scan_Engine()) {
    setObjectName(QStringLiteral("FScanDecode"));
    SetClientSize(kClientWidth, kHeightWired);
    L_SW_Code();
    L_Title_Cyclic = label(this, "Label1");
    L_Title_Cyclic->setGeometry(kClientWidth - 200, 8, 190, 18);
    L_Title_Cyclic->hide();

    IL_Tree1 = std::make_unique<TImageList>(16, 16);
    fillTreeImages(*IL_Tree1);
    IL_Wireless_Table = std::make_unique<TImageList>(16, 16);
    fillLockImages(*IL_Wireless_Table);

    buildSettings();
    buildResults();

    P_Button = new QWidget(this);
    P_Button->setObjectName(QStringLiteral("P_Button"));
    auto button = [this](const char* name) {
        THouseLook look;
        look.Width = kButtonWidth;
        look.Height = 28;
        auto* b = NewHouseButton(P_Button, look);
        b->setObjectName(QString::fromLatin1(name));
        plat::onSignal(b, &TFadeButton::clicked, this, [this, b]() { BtnClick(b); });
        return b;
    };
    Btn_StartScan = button("Btn_StartScan");
    Btn_StopScan = button("Btn_StopScan");
    Btn_AbortScan = button("Btn_AbortScan");
    Btn_NewScan = button("Btn_NewScan");
    Btn_SaveConf = button("Btn_SaveConf");
    Btn_SaveConfManual = button("Btn_SaveConfManual");

    T_InScan = new QTimer(this);
    T_InScan->setObjectName(QStringLiteral("T_InScan"));
    T_InScan->setInterval(1000);
    plat::onSignal(T_InScan, &QTimer::timeout, this, [this]() { T_InScanTimer(); });

    // The cyclic command belongs to a menu that no control shows.
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Ciclic1 = PopupMenu1->addAction(QStringLiteral("Scan Cyclic"));
    Ciclic1->setObjectName(QStringLiteral("Ciclic1"));
    plat::onSignal(Ciclic1, &QAction::triggered, this, [this]() { Ciclic1Click(); });

    Form_Type = 0;
    CB_ScanMethod->setCurrentIndex(0);
    Colomns_Width_Init();
    Cancel_Grid_Wireless();
    Set_Lang();
    Form_Style(1);
}

TFScanDecode::~TFScanDecode() {
    // The engine's threads report into this window: they end before its widgets go.
    TR_ScanDecode.reset();
    // The meters outlive this window; their tree nodes do not.
    g_MBusSlaveList.Locked([](mbus::TMBusMeters& meters) {
        for (auto& m : meters) m->Node = nullptr;
    });
}

void TFScanDecode::buildSettings() {
    P_Main = new QWidget(this);
    P_Main->setObjectName(QStringLiteral("P_Main"));
    L_ScanMethod = label(P_Main, "L_ScanMethod");
    CB_ScanMethod = combo(P_Main, "CB_ScanMethod", {QString(), QString()});
    L_ScanBy = label(P_Main, "L_ScanBy");
    CB_ScanBy = combo(P_Main, "CB_ScanBy", {QString(), QString()});
    L_HardwareType = label(P_Main, "L_HardwareType");
    CB_HardwareType = combo(P_Main, "CB_HardwareType", {QString(), QString()});
    L_IP = label(P_Main, "L_IP");
    const char* ipNames[] = {"E_IP1", "E_IP2", "E_IP3", "E_IP4"};
    const char* ipDesigned[] = {"192", "168", "2", "205"};
    for (int i = 0; i < 4; ++i) {
        E_IP[i] = edit(P_Main, ipNames[i], QString::fromLatin1(ipDesigned[i]));
        E_IP[i]->installEventFilter(this);
    }
    for (int i = 0; i < 3; ++i) {
        L_Dot[i] = label(P_Main, "L_Dot");
        L_Dot[i]->setText(QStringLiteral("."));
    }
    L_ComPort = label(P_Main, "L_ComPort");
    CB_ComPort = combo(P_Main, "CB_ComPort");
    Btn_COM_List = NewHouseButton(P_Main);
    Btn_COM_List->setObjectName(QStringLiteral("Btn_COM_List"));
    Btn_COM_List->SetHint(QStringLiteral("Update COM Ports List"));
    Btn_COM_List->SetCaption(QStringLiteral("..."));
    plat::onSignal(Btn_COM_List, &TFadeButton::clicked, this, [this]() { Btn_COM_ListClick(); });
    L_Port = label(P_Main, "L_Port");
    E_Port = edit(P_Main, "E_Port", QStringLiteral("502"));
    L_MBus_ParGen = label(P_Main, "L_MBus_ParGen");
    L_MBus_Baud = label(P_Main, "L_MBus_Baud");
    CB_MBus_Baud = combo(P_Main, "CB_MBus_Baud",
                         {QStringLiteral("300"), QStringLiteral("600"), QStringLiteral("1200"), QStringLiteral("2400"),
                          QStringLiteral("4800"), QStringLiteral("9600"), QStringLiteral("19200"),
                          QStringLiteral("38400")});
    CB_MBus_Baud->setCurrentIndex(3);
    L_MBus_Parity = label(P_Main, "L_MBus_Parity");
    CB_MBus_Parity = combo(P_Main, "CB_MBus_Parity", {QStringLiteral("NONE"), QStringLiteral("EVEN"), QStringLiteral("ODD")});
    CB_MBus_Parity->setCurrentIndex(1);
    L_wMBus_Mode = label(P_Main, "L_wMBus_Mode");
    CB_wMBus_Mode = combo(P_Main, "CB_wMBus_Mode",
                          {QStringLiteral("S"), QStringLiteral("T"), QStringLiteral("N1"), QStringLiteral("N2"),
                           QStringLiteral("C")});
    L_wMBus_Radio_Channel = label(P_Main, "L_wMBus_Radio_Channel");
    CB_wMBus_Radio_Channel = combo(P_Main, "CB_wMBus_Radio_Channel");
    for (int i = 1; i <= 9; ++i) CB_wMBus_Radio_Channel->addItem(QStringLiteral("Channel %1").arg(i));
    L_Option_Scan = label(P_Main, "L_Option_Scan");
    CB_Opt_App_Reset = check(P_Main, "CB_Opt_App_Reset");
    CB_Opt_SND_NKE = check(P_Main, "CB_Opt_SND_NKE");
    L_Opt_Cut_After = label(P_Main, "L_Opt_Cut_After");
    E_Opt_Cut_After = edit(P_Main, "E_Opt_Cut_After", QStringLiteral("3"));
    CB_Opt_Use_Fix_C_Field = check(P_Main, "CB_Opt_Use_Fix_C_Field");
    CB_Opt_Use_Fix_C_Field_Value = combo(P_Main, "CB_Opt_Use_Fix_C_Field_Value", {QStringLiteral("0x5X"), QStringLiteral("0x7X")});
    CB_Opt_Check_BCD_to_Int = check(P_Main, "CB_Opt_Check_BCD_to_Int");
    CB_Opt_Enable_Remote_Scan = check(P_Main, "CB_Opt_Enable_Remote_Scan");

    for (QComboBox* box : {CB_HardwareType, CB_MBus_Baud, CB_MBus_Parity, CB_ScanBy, CB_ScanMethod})
        plat::onSignal(box, &QComboBox::currentIndexChanged, this, [this](int) { CB_HardwareTypeChange(); });
}

void TFScanDecode::buildResults() {
    P_TreeView = new QWidget(this);
    P_TreeView->setObjectName(QStringLiteral("P_TreeView"));
    L_ScanProgress = label(P_TreeView, "L_ScanProgress");
    L_ScanProgress->setGeometry(8, 4, 200, 20);
    L_Num_Slave = label(P_TreeView, "L_Num_Slave");
    L_Num_Slave->setGeometry(210, 4, 100, 20);
    L_AvailableDevice = label(P_TreeView, "L_AvailableDevice");
    L_AvailableDevice->setGeometry(8, 28, 300, 20);
    LB_AvailableDevice = new QListWidget(P_TreeView);
    LB_AvailableDevice->setObjectName(QStringLiteral("LB_AvailableDevice"));
    LB_AvailableDevice->setItemDelegate(new DeviceLineDelegate(LB_AvailableDevice));

    P_View_Wireless = new QWidget(this);
    P_View_Wireless->setObjectName(QStringLiteral("P_View_Wireless"));
    Splitter_Wireless = new QSplitter(Qt::Vertical, P_View_Wireless);
    SG_Wireless = new TExStringGrid(Splitter_Wireless);
    SG_Wireless->setObjectName(QStringLiteral("SG_Wireless"));
    Set_Table_Grid_Form(*SG_Wireless);
    SG_Wireless->SetFixedCols(0);
    SG_Wireless->SetColCount(13);
    SG_Wireless->SetRowSelect(true);
    SG_Wireless->SetGridImages(IL_Wireless_Table.get());
    SG_Wireless->OnClickCell = [this](QObject*, int row, int col) { SG_WirelessClickCell(row, col); };
    SG_Wireless->OnDblClickCell = [this](QObject*, int row, int col) { SG_WirelessDblClickCell(row, col); };
    SG_Wireless->Loaded();
    Make_Trees();
    Splitter_Wireless->addWidget(SG_Wireless);
    Splitter_Wireless->addWidget(vstWirelessWidget_);
    Splitter_Wireless->setSizes({kWirelessTableHeight, 300});
}


void TFScanDecode::Set_Lang() {
    setWindowTitle(Text_Table[3300]);
    L_SW_Code()->setText(labelCaption(Text_Table[3301]));
    L_SW_Desc()->setText(labelCaption(Text_Table[3302]));
    L_ScanBy->setText(Text_Table[3303]);
    L_HardwareType->setText(Text_Table[3306]);
    L_IP->setText(Text_Table[3309]);
    L_ComPort->setText(Text_Table[3310]);
    L_MBus_ParGen->setText(Text_Table[3311]);
    L_MBus_Baud->setText(Text_Table[3312]);
    L_MBus_Parity->setText(Text_Table[3313]);
    L_Option_Scan->setText(Text_Table[3314]);
    CB_Opt_App_Reset->setText(Text_Table[3315]);
    CB_Opt_SND_NKE->setText(Text_Table[3316]);
    L_Opt_Cut_After->setText(Text_Table[3317]);
    L_AvailableDevice->setText(Text_Table[3320]);
    Btn_StartScan->SetCaption(Text_Table[3321]);
    Btn_StopScan->SetCaption(Text_Table[3322]);
    Btn_AbortScan->SetCaption(Text_Table[3323]);
    Btn_NewScan->SetCaption(Text_Table[3324]);
    Btn_SaveConf->SetCaption(Text_Table[3325]);
    Btn_SaveConfManual->SetCaption(Text_Table[3339]);
    L_ScanMethod->setText(Text_Table[3331]);
    L_wMBus_Mode->setText(Text_Table[3334]);
    L_wMBus_Radio_Channel->setText(Text_Table[3335]);
    L_Port->setText(Text_Table[3336]);
    CB_Opt_Use_Fix_C_Field->setText(Text_Table[3340]);
    CB_Opt_Check_BCD_to_Int->setText(Text_Table[3341]);
    CB_Opt_Enable_Remote_Scan->setText(Text_Table[3342]);
    // Refilling a drop-down selects its first item.
    auto refill = [](QComboBox* box, const QStringList& texts) {
        const QSignalBlocker block(box);
        box->clear();
        box->addItems(texts);
        box->setCurrentIndex(0);
    };
    refill(CB_ScanBy, {Text_Table[3304], Text_Table[3305]});
    refill(CB_HardwareType, {Text_Table[3307], Text_Table[3308]});
    refill(CB_ScanMethod, {Text_Table[3332], Text_Table[3333]});
    if (Window_State == 2 || Window_State == 3)
        L_ScanProgress->setText(Text_Table[Window_State == 2 ? 3318 : 3319]);
    Move_Object_Type_Form();
}

void TFScanDecode::FormShow() {
    Move_Object_Type_Form();
    Update_List_of_COM_Port();
    closePending_ = false;
    Engine().Set_Run(true);
    readIpFromParGen();
    Form_Style(1);
}

void TFScanDecode::readIpFromParGen() {
    if (!plat::fileExists(g_ParGenFile)) return;
    plat::XmlDocument doc;
    if (!doc.load(g_ParGenFile)) return;
    QString prefix;
    switch (XML_Code_Dev) {
    case 18: prefix = QStringLiteral("Ethernet_IP"); break;
    case 15: prefix = QStringLiteral("Modbus_TCP_Slave_IP"); break;
    case 11: case 17: case 20: prefix = QStringLiteral("PROFINET_IP"); break;
    case 6: prefix = QStringLiteral("BACnet_IP"); break;
    case 10: case 16: case 19: prefix = QStringLiteral("Eth_IP"); break;
    default: prefix = QStringLiteral("IP_"); break;
    }
    for (int i = 0; i < 4; ++i) {
        const plat::XmlElement e = doc.root().child(prefix + QString::number(i + 1));
        if (e) E_IP[i]->setText(e.text());
    }
}

bool TFScanDecode::wirelessScan() const { return Form_Type == 1 && CB_ScanMethod->currentIndex() == 1; }

void TFScanDecode::Move_Object_Type_Form() {
    const bool wireless = wirelessScan();
    const bool ethernet = CB_HardwareType->currentIndex() != 1;
    SetClientSize(kClientWidth, Form_Type == 1 ? kHeightChoice : kHeightWired);
    int y = 8;
    auto row = [&](QLabel* l, QWidget* w, bool on, int width = 170) {
        l->setVisible(on);
        w->setVisible(on);
        if (!on) return;
        l->setGeometry(8, y + 3, kLabelWidth, 20);
        w->setGeometry(kBoxLeft, y, width, 22);
        y += kRow;
    };
    row(L_ScanMethod, CB_ScanMethod, Form_Type == 1);
    row(L_ScanBy, CB_ScanBy, !wireless);
    row(L_HardwareType, CB_HardwareType, true);
    L_IP->setVisible(ethernet);
    for (int i = 0; i < 4; ++i) E_IP[i]->setVisible(ethernet);
    for (int i = 0; i < 3; ++i) L_Dot[i]->setVisible(ethernet);
    if (ethernet) {
        L_IP->setGeometry(8, y + 3, kLabelWidth, 20);
        for (int i = 0; i < 4; ++i) E_IP[i]->setGeometry(kBoxLeft + 44 * i, y, 36, 22);
        for (int i = 0; i < 3; ++i) L_Dot[i]->setGeometry(kBoxLeft + 44 * i + 38, y + 3, 6, 20);
        y += kRow;
    }
    Btn_COM_List->setVisible(!ethernet);
    row(L_ComPort, CB_ComPort, !ethernet, 140);
    if (!ethernet) Btn_COM_List->setGeometry(kBoxLeft + 146, y - kRow, 24, 22);
    const bool port = wireless && ethernet;
    if (port && (XML_Code_Dev == 12 || XML_Code_Dev == 15 || XML_Code_Dev == 18)) {
        E_Port->setText(QStringLiteral("10001"));
        E_Port->setReadOnly(XML_Code_Dev != 18);
    } else {
        E_Port->setReadOnly(false);
    }
    row(L_Port, E_Port, port, 80);
    L_MBus_ParGen->setGeometry(8, y + 6, kSettingsWidth - 16, 20);
    y += kRow + 4;
    row(L_MBus_Baud, CB_MBus_Baud, !wireless, 100);
    row(L_MBus_Parity, CB_MBus_Parity, !wireless, 100);
    row(L_wMBus_Mode, CB_wMBus_Mode, wireless, 100);
    row(L_wMBus_Radio_Channel, CB_wMBus_Radio_Channel, wireless, 140);
    L_Option_Scan->setGeometry(8, y + 6, kSettingsWidth - 16, 20);
    y += kRow + 4;
    auto line = [&](QWidget* w, bool on) {
        w->setVisible(on);
        if (!on) return;
        w->setGeometry(16, y, kSettingsWidth - 24, 22);
        y += kRow;
    };
    line(CB_Opt_App_Reset, !wireless);
    line(CB_Opt_SND_NKE, !wireless);
    row(L_Opt_Cut_After, E_Opt_Cut_After, !wireless, 60);
    if (!wireless) L_Opt_Cut_After->setGeometry(16, y - kRow + 3, kLabelWidth, 20);
    CB_Opt_Use_Fix_C_Field->setVisible(!wireless);
    CB_Opt_Use_Fix_C_Field_Value->setVisible(!wireless);
    if (!wireless) {
        CB_Opt_Use_Fix_C_Field->setGeometry(16, y, kLabelWidth, 22);
        CB_Opt_Use_Fix_C_Field_Value->setGeometry(kBoxLeft, y, 80, 22);
        y += kRow;
    }
    line(CB_Opt_Check_BCD_to_Int, true);
    line(CB_Opt_Enable_Remote_Scan, true);
    Form_Style(Window_State);
}

void TFScanDecode::CB_HardwareTypeChange() { Move_Object_Type_Form(); }

void TFScanDecode::Form_Style(int state) {
    Window_State = state;
    {
        // Every scan from this window goes over Ethernet.
        const QSignalBlocker block(CB_HardwareType);
        CB_HardwareType->setCurrentIndex(0);
    }
    CB_HardwareType->setEnabled(false);
    const int top = kTitleHeight;
    const int bottom = height() - kButtonPanel;
    const bool results = state != 1;
    P_Main->setGeometry(0, top, results ? kSettingsWidth : width(), bottom - top);
    P_TreeView->setVisible(state == 2 || state == 3);
    P_View_Wireless->setVisible(state == 4 || state == 5);
    const QRect panel(kSettingsWidth, top, width() - kSettingsWidth - 4, bottom - top);
    P_TreeView->setGeometry(panel);
    P_View_Wireless->setGeometry(panel);
    Splitter_Wireless->setGeometry(0, 0, panel.width(), panel.height());
    const int listTop = 52;
    LB_AvailableDevice->setGeometry(8, listTop, panel.width() - 16, panel.height() - listTop - 4);
    vstWidget_->setGeometry(8, 28, panel.width() - 16, panel.height() - 32);
    if (state == 2) L_ScanProgress->setText(Text_Table[3318]);
    if (state == 3) L_ScanProgress->setText(Text_Table[3319]);
    L_Num_Slave->setVisible(state == 3);
    vstWidget_->setVisible(state == 3);
    L_AvailableDevice->setVisible(state == 2);
    LB_AvailableDevice->setVisible(state == 2);

    std::vector<TFadeButton*> shown;
    if (state == 1) shown = {Btn_StartScan};
    if (state == 2 || state == 4) shown = {Btn_StopScan, Btn_AbortScan};
    if (state == 3 || state == 5) {
        shown = {Btn_NewScan, Btn_SaveConf};
        const bool manual = state == 3 ? !(XML_Code_Dev == 6 || XML_Code_Dev == 11 || XML_Code_Dev == 15 ||
                                            XML_Code_Dev == 20)
                                       : XML_Code_Dev != 15;
        if (manual) shown.push_back(Btn_SaveConfManual);
    }
    P_Button->setGeometry(0, bottom, width(), kButtonPanel);
    for (TFadeButton* b : {Btn_StartScan, Btn_StopScan, Btn_AbortScan, Btn_NewScan, Btn_SaveConf, Btn_SaveConfManual})
        b->hide();
    int x = 8;
    for (TFadeButton* b : shown) {
        b->move(x, 6);
        b->show();
        x += b->width() + kButtonGap;
    }
}

bool TFScanDecode::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        for (int i = 0; i < 4; ++i) {
            if (watched != E_IP[i]) continue;
            // "." moves on to the next box and is not typed.
            if (static_cast<QKeyEvent*>(event)->text() == QStringLiteral(".")) {
                // As Tab would: the next box's number is selected, so typing replaces it.
                if (i < 3) {
                    E_IP[i + 1]->setFocus(Qt::TabFocusReason);
                    E_IP[i + 1]->selectAll();
                }
                return true;
            }
        }
    }
    return plat::TForm::eventFilter(watched, event);
}

void TFScanDecode::Update_List_of_COM_Port() {
    CB_ComPort->clear();
    CB_ComPort->addItems(Get_COM_Port_List());
    if (CB_ComPort->count() > 0) CB_ComPort->setCurrentIndex(0);
}

void TFScanDecode::Btn_COM_ListClick() { Update_List_of_COM_Port(); }

void TFScanDecode::BtnClick(TFadeButton* sender) {
    if (sender == Btn_StartScan) Select_Scan();
    if (sender == Btn_StopScan) StopScan();
    if (sender == Btn_AbortScan) AbortScan();
    if (sender == Btn_NewScan) NewScan();
    if (sender == Btn_SaveConf) Select_SaveXML(0);
    if (sender == Btn_SaveConfManual) Select_SaveXML(1);
}

void TFScanDecode::Select_Scan() {
    if (wirelessScan())
        StarScanWireless();
    else
        StartScan();
}

QString TFScanDecode::Progress_Line(int event, int address, int found, int scanType) {
    if (scanType == 2) {
        if (event == 1) return Text_Table[3327];
        if (event == 2) return QStringLiteral("ID = ") + hex(uint32_t(address), 8);
        if (event == 3) return Text_Table[3328];
        return {};
    }
    if (scanType == 1 && event == 2)
        return QStringLiteral("ID = %1\t").arg(address) + (found ? QString() : kNotFound);
    return {};
}

void TFScanDecode::addProgressLine(const QString& line) {
    LB_AvailableDevice->addItem(line);
    LB_AvailableDevice->scrollToBottom();
}

void TFScanDecode::StartScan() {
    if (Engine().InScan()) {
        plat::dialogs().error(Text_Table[3326]);
        return;
    }
    Cancel_Device_List();
    const bool serial = CB_HardwareType->currentIndex() == 1;
    // On this system the port's device path is its name.
    const QString address = serial ? CB_ComPort->currentText()
                                   : QStringLiteral("%1.%2.%3.%4").arg(E_IP[0]->text(), E_IP[1]->text(),
                                                                       E_IP[2]->text(), E_IP[3]->text());
    const int32_t baud = plat::tryStrToInt(CB_MBus_Baud->currentText()).value_or(2400);
    const int32_t cutAfter = plat::tryStrToInt(E_Opt_Cut_After->text()).value_or(3);
    LB_AvailableDevice->clear();
    LB_AvailableDevice->show();
    Engine().Set_SaveXMLFile(QString());
    const int scan = ++scanNumber_;
    QPointer<TFScanDecode> self(this);
    auto progress = [self, scan](int32_t event, int32_t addressNo, int32_t found, int32_t scanType) {
        const QString text = Progress_Line(event, addressNo, found, scanType);
        if (text.isEmpty() || !self) return;
        // Applied on the window's thread, in the order reported; a report of an earlier scan is dropped.
        QMetaObject::invokeMethod(
            self.data(),
            [self, scan, text] {
                if (self && self->scanNumber_ == scan) self->addProgressLine(text);
            },
            Qt::QueuedConnection);
    };
    if (!Engine().Start_Scan(CB_ScanBy->currentIndex() == 1 ? TMBusScanDecode::saSecondaryAddress
                                                             : TMBusScanDecode::saPrimaryAddress,
                             serial ? TMBusScanDecode::shSerial : TMBusScanDecode::shEthernet, address, baud,
                             CB_MBus_Parity->currentIndex(), CB_Opt_App_Reset->isChecked(),
                             CB_Opt_SND_NKE->isChecked(), cutAfter, CB_Opt_Use_Fix_C_Field->isChecked(),
                             uint8_t(std::max(0, CB_Opt_Use_Fix_C_Field_Value->currentIndex())),
                             CB_Opt_Enable_Remote_Scan->isChecked(), progress)) {
        plat::dialogs().error(Text_Table[3326]);
        return;
    }
    Form_Style(2);
    T_InScan->start();
}

void TFScanDecode::StarScanWireless() {
    if (Engine().InScan()) {
        plat::dialogs().error(Text_Table[3326]);
        return;
    }
    // The port goes to the engine as a 16-bit number: anything else is refused here.
    const std::optional<int32_t> port = plat::tryStrToInt(E_Port->text());
    if (!port || *port < 1 || *port > 65535) {
        plat::dialogs().error(Port_Range_Text());
        return;
    }
    Cancel_Device_List_Wireless();
    const QString address =
        QStringLiteral("%1.%2.%3.%4").arg(E_IP[0]->text(), E_IP[1]->text(), E_IP[2]->text(), E_IP[3]->text());
    static const int kModes[] = {1, 5, 15, 17, 11};
    const int modeIndex = std::clamp(CB_wMBus_Mode->currentIndex(), 0, 4);
    const int scan = ++scanNumber_;
    QPointer<TFScanDecode> self(this);
    // The listener thread's report carries a copy of the meter: nothing points into the list,
    // which the next start frees.
    auto heard = [self, scan](int32_t index, const mbus::TSlave_wMBus*) {
        std::optional<mbus::TSlave_wMBus> copy = g_WMBusSlaveList.Snapshot(index);
        if (!copy || !self) return;
        QMetaObject::invokeMethod(
            self.data(),
            [self, scan, index, meter = std::move(*copy)] {
                if (self && self->scanNumber_ == scan) self->showWirelessRow(index, meter);
            },
            Qt::QueuedConnection);
    };
    if (!Engine().Start_Scan_Wireless(TMBusScanDecode::shEthernet, address, uint16_t(*port), kModes[modeIndex],
                                      std::max(0, CB_wMBus_Radio_Channel->currentIndex()),
                                      CB_Opt_Enable_Remote_Scan->isChecked(), heard)) {
        plat::dialogs().error(Text_Table[3326]);
        return;
    }
    Form_Style(4);
    T_InScan->start();
}

void TFScanDecode::StopScan() {
    if (Engine().InScan()) Engine().Stop_Scan();
}

void TFScanDecode::AbortScan() {
    if (Engine().InScan()) Engine().Abort_Scan();
}

void TFScanDecode::NewScan() {
    Cancel_Device_List();
    Form_Style(1);
}

void TFScanDecode::Cancel_Device_List_Wireless() {
    Clear_Wireless_Tree();
    g_WMBusSlaveList.Clear();
    Cancel_Grid_Wireless();
}

void TFScanDecode::Cancel_Grid_Wireless() {
    wirelessRow_ = 0;
    SG_Wireless->SetRowCount(2);
    for (int c = 0; c < SG_Wireless->TotalColCount(); ++c) {
        SG_Wireless->SetCells(c, 1, QString());
        SG_Wireless->SetColors(c, 1, clWhite);
        SG_Wireless->RemoveImageIdx(c, 1);
    }
}

void TFScanDecode::Colomns_Width_Init() {
    static const std::pair<const char*, int> kColumns[] = {
        {"N", 40},
        {"Date Time", 65},
        {"Message Type", 90},
        {"Manufacturer (LLA)", 120},
        {"Address (LLA)", 90},
        {"Version (LLA)", 85},
        {"Device Type (LLA)", 110},
        {"Manufacturer (ALA)", 120},
        {"Address (ALA)", 90},
        {"Version (ALA)", 85},
        {"Device Type (ALA)", 110},
        {"RSSI", 50},
        {"Cripted", 70},
    };
    for (int c = 0; c < 13; ++c) {
        SG_Wireless->SetCells(c, 0, QString::fromLatin1(kColumns[c].first));
        SG_Wireless->SetAllColWidths(c, kColumns[c].second);
    }
}

void TFScanDecode::T_InScanTimer() {
    T_InScan->stop();
    if (Engine().InScan()) {
        T_InScan->start();
        return;
    }
    if (closePending_) {
        // The engine has switched the gateway back; only now may its loop idle.
        finishClose();
        return;
    }
    const bool wireless = wirelessScan();
    if (Engine().Result() == 2) {
        plat::dialogs().error(Scan_Failure_Text(Engine().Failure(), Engine().Failure_Message()));
        // What the scan found before it failed stays listed and can be saved as after a normal
        // end; with nothing found the settings come back.
        const int found = wireless ? g_WMBusSlaveList.Count() : g_MBusSlaveList.Count();
        if (found == 0) {
            Form_Style(1);
        } else if (wireless) {
            Form_Style(5);
        } else {
            Form_Style(3);
            Show_Slave_in_Tree();
        }
    } else if (wireless) {
        Form_Style(5);
    } else {
        Form_Style(3);
        Show_Slave_in_Tree();
    }
    if (Cyclic_Scan) {
        const int found = wireless ? g_WMBusSlaveList.Count() : g_MBusSlaveList.Count();
        if (found != kCyclicTarget) {
            ++Error_Cyclic;
            L_Title_Cyclic->setText(QString::number(Error_Cyclic));
        }
        Select_Scan();
    }
}

QString Scan_Failure_Text(int failure, const QString& detail) {
    switch (failure) {
    case TMBusScanDecode::sfKeyLoad:
        return QStringLiteral("The radio module did not take the key, so the scan ended. The meters heard so far "
                              "stay listed.");
    case TMBusScanDecode::sfTransport:
        return QStringLiteral("The scan ended: the gateway could not be reached") +
               (detail.isEmpty() ? QStringLiteral(".") : QStringLiteral(" (") + detail + QStringLiteral(")."));
    case TMBusScanDecode::sfReport:
        return QStringLiteral("The scan ended, but its report could not be written.");
    default:
        return Text_Table[3329];
    }
}

void TFScanDecode::Ciclic1Click() {
    Cyclic_Scan = true;
    Error_Cyclic = 0;
    Select_Scan();
}

void TFScanDecode::showWirelessRow(int index, const mbus::TSlave_wMBus& m) {
    const int row = index + 1;
    if (SG_Wireless->RowCount() < index + 2) SG_Wireless->SetRowCount(index + 2);
    const TColor colour = m.Cripted ? kEncryptedColor : kPlainColor;
    for (int c = 0; c < 13; ++c) SG_Wireless->SetColors(c, row, colour);
    auto twoWays = [](int v) { return QStringLiteral("%1 (%2)").arg(v).arg(hex(uint32_t(v), 2)); };
    SG_Wireless->SetCells(0, row, QString::number(row));
    SG_Wireless->SetCells(1, row, m.DateTime.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")));
    SG_Wireless->SetCells(2, row, QStringLiteral("0x") + hex(m.Message_Type, 2));
    SG_Wireless->SetCells(3, row, m.LLA_Manu_str + u'(' + hex(m.LLA_Manufacturer, 4) + u')');
    SG_Wireless->SetCells(4, row, hex(m.LLA_Address, 8));
    SG_Wireless->SetCells(5, row, twoWays(m.LLA_Version));
    SG_Wireless->SetCells(6, row, twoWays(m.LLA_DeviceType));
    SG_Wireless->SetCells(7, row, m.ALA_Manu_str + u'(' + hex(m.ALA_Manufacturer, 4) + u')');
    SG_Wireless->SetCells(8, row, hex(m.ALA_Address, 8));
    SG_Wireless->SetCells(9, row, twoWays(m.ALA_Version));
    SG_Wireless->SetCells(10, row, twoWays(m.ALA_DeviceType));
    SG_Wireless->SetCells(11, row, QString::number(m.RSSI));
    SG_Wireless->AddImageIdx(12, row, m.Cripted ? 0 : 1, haCenter, vaCenter);
}

int TFScanDecode::selectedWirelessIndex() const { return wirelessRow_ < 1 ? -1 : wirelessRow_ - 1; }

void TFScanDecode::SG_WirelessClickCell(int row, int) {
    if (row < 1) return;
    wirelessRow_ = row;
    Show_Slave_in_Tree_Wireless(row - 1);
}

void TFScanDecode::SG_WirelessDblClickCell(int row, int) {
    if (row < 1) return;
    const int index = row - 1;
    const std::optional<mbus::TSlave_wMBus> meter = g_WMBusSlaveList.Snapshot(index);
    if (!meter || !meter->Cripted || !FInsertKeyWireless) return;
    // At the mouse, moved left and up as far as needed to stay inside this window.
    QPoint at = mapFromGlobal(QCursor::pos());
    at.setX(std::clamp(at.x(), 0, std::max(0, width() - FInsertKeyWireless->width())));
    at.setY(std::clamp(at.y(), 0, std::max(0, height() - FInsertKeyWireless->height())));
    FInsertKeyWireless->SetCentred(false);
    FInsertKeyWireless->move(mapToGlobal(at));
    if (FInsertKeyWireless->ShowModal() != plat::mrOk) return;
    Insert_Key(index, FInsertKeyWireless->E_Key->text());
}

std::array<uint8_t, 16> TFScanDecode::Key_Bytes(const QString& digits) {
    std::array<uint8_t, 16> key{};
    for (int i = 0; i < 16; ++i) {
        bool ok = false;
        const uint v = digits.mid(2 * i, 2).toUInt(&ok, 16);
        key[size_t(i)] = ok ? uint8_t(v) : 0;
    }
    return key;
}

void TFScanDecode::Insert_Key(int index, const QString& digits) {
    // A key the engine did not take would otherwise be lost without a word.
    if (!Engine().Insert_Wireless_Key(index, Key_Bytes(digits))) plat::dialogs().error(Key_Refused_Text());
}

void TFScanDecode::Carica_Dati_Modbus_Start_Add() {
    TExColumnGrid* grid = FModbusStartAdd_SD->sga;
    QStringList ids;
    if (wirelessScan()) {
        g_WMBusSlaveList.Locked([&](mbus::TWMBusMeters& meters) {
            for (const auto& m : meters) ids << QString::number(m->ALA_Address);
        });
    } else {
        g_MBusSlaveList.Locked([&](mbus::TMBusMeters& meters) {
            for (const auto& m : meters)
                ids << QStringLiteral("%1 - %2").arg(m->Primary_Addresss).arg(m->Secondary_Addresss);
        });
    }
    grid->SetRowCount(int(ids.size()) + 1);
    for (int i = 0; i < ids.size(); ++i) {
        grid->SetCells(0, i + 1, ids[i]);
        grid->SetCells(1, i + 1, QStringLiteral("1"));
    }
}

void TFScanDecode::Select_SaveXML(int kind) {
    int append = 0;
    const bool exists = plat::fileExists(FileName_MBus);
    if (exists) {
        const plat::Answer a = plat::dialogs().questionYesNoCancel(Text_Table[3337]);
        if (a == plat::Answer::Cancel) return;
        append = a == plat::Answer::Yes ? 1 : 0;
    }
    const bool modbusFamily =
        XML_Code_Dev == 0 || XML_Code_Dev == 1 || XML_Code_Dev == 9 || XML_Code_Dev == 13 || XML_Code_Dev == 14;
    int modStart = 1;
    if (kind == 1 && modbusFamily) {
        Carica_Dati_Modbus_Start_Add();
        if (FModbusStartAdd_SD->ShowModal() != plat::mrOk) return;
    }
    if (kind == 0 && append == 1 && modbusFamily) {
        if (FScanModbusStart->ShowModal() != plat::mrOk) return;
        modStart = FScanModbusStart->StartModAdd;
    }
    if (wirelessScan())
        SaveXMLWireless(append, modStart, kind);
    else
        SaveXML(append, modStart, kind);
}

namespace {

mbus::TSaveConfXML saveRecord(int append, int codeDev, int modStart, int kind, const QString& file) {
    mbus::TSaveConfXML d;
    d.Append = append;
    d.XML_Code_Dev = codeDev;
    d.Mod_Start = modStart;
    d.StartModnode = kind;
    d.File_Name = file;
    if (FModbusStartAdd_SD) {
        TExColumnGrid* grid = FModbusStartAdd_SD->sga;
        for (int r = 1; r < grid->RowCount(); ++r)
            d.SMN_Array.push_back(plat::tryStrToInt(grid->Cells(1, r)).value_or(1));
        d.En_NodeState = FModbusStartAdd_SD->CB_En_NodeState->isChecked();
        d.En_IdeNum = FModbusStartAdd_SD->CB_En_IndNum->isChecked();
    }
    return d;
}

}  // namespace

void TFScanDecode::SaveXML(int append, int modStart, int kind) {
    mbus::TSaveConfXML d = saveRecord(append, XML_Code_Dev, modStart, kind, FileName_MBus);
    d.Index_Baud = CB_MBus_Baud->currentIndex();
    d.Index_Par = CB_MBus_Parity->currentIndex();
    d.Node_ID_Type = CB_ScanBy->currentIndex();
    d.SND_NKE = CB_Opt_SND_NKE->isChecked() ? 1 : 0;
    d.Reset_App = CB_Opt_App_Reset->isChecked() ? 1 : 0;
    d.Cut_After = plat::tryStrToInt(E_Opt_Cut_After->text()).value_or(3);
    if (Engine().Save_XML_Conf_Wired(d, CB_Opt_Check_BCD_to_Int->isChecked(),
                                     [this](int meter, int variable) { return Wired_Ticked(meter, variable); }))
        plat::dialogs().information(Text_Table[3330]);
}

void TFScanDecode::SaveXMLWireless(int append, int modStart, int kind) {
    mbus::TSaveConfXML d = saveRecord(append, XML_Code_Dev, modStart, kind, FileName_MBus);
    d.Index_Baud = 0;
    d.Index_Par = 0;
    d.SND_NKE = 0;
    d.Reset_App = 0;
    d.Cut_After = 3;
    if (Engine().Save_XML_Conf_Wireless(d, CB_Opt_Check_BCD_to_Int->isChecked()))
        plat::dialogs().information(Text_Table[3330]);
}

void TFScanDecode::done(int r) {
    // An aborted scan still switches the gateway out of its analyzer or configuration mode: the
    // engine's loop runs until it has, and only then idles.
    if (Engine().InScan()) {
        Engine().Abort_Scan();
        closePending_ = true;
        if (!T_InScan->isActive()) T_InScan->start();
    } else {
        finishClose();
    }
    plat::TForm::done(r);
}

void TFScanDecode::finishClose() {
    closePending_ = false;
    Engine().Set_Run(false);
}
