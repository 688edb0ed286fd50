#include "mbus/UMeter_Bus.h"

#include "controls/FadeButton.h"
#include "mbus/MBusCodeLists.h"
#include "mbus/UNewIDNode.h"
#include "platform/Files.h"
#include "platform/Guard.h"
#include "platform/IntConv.h"
#include "platform/UserDialogs.h"
#include "platform/XmlDoc.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTreeWidget>
#include <algorithm>

using mbus::TNetworkReadStatus;
using mbus::TNodo;
using mbus::TVariabile;

namespace {
// The editor's add and scan buttons go yellow when pressed, unlike the dialog buttons.
const THouseLook kEditorLook{170, 30, bsEncarta, plat::clYellow};

constexpr int kClientWidth = 834;
constexpr int kClientHeight = 662;
constexpr int kButtonHeight = 40;
constexpr int kTreeWidth = 330;
constexpr plat::TColor kPageColor = 15595512;  // the pages and their tabs
// Page rows: a label at the left, its input beside it.
constexpr int kLabelLeft = 10;
constexpr int kLabelWidth = 170;
constexpr int kInputLeft = 185;
constexpr int kInputWidth = 250;
constexpr int kRowTop = 12;
constexpr int kRowStep = 30;
constexpr int kWiredRows = 6;  // address rows, flags, list type, cut-after

constexpr int kTypeVifAscii = 21;
constexpr int kTypeVifeUnit = 19;
constexpr int kTypeNoPostOperation = 20;  // this type and every later one take no post operation
constexpr int kDimVariableLength = 7;
constexpr int kCutAfterItems = 250;
constexpr int kUnitItems = 11;

int rowTop(int k) { return kRowTop + kRowStep * k; }

QString T(int n) { return Text_Table.value(n); }

// The house integer rule; a text that is not a number gives the fallback.
int32_t intOr(const QString& text, int32_t fallback) { return plat::tryStrToInt(text).value_or(fallback); }
int64_t int64OrMinusOne(const QString& text) { return plat::tryStrToInt64(text).value_or(-1); }

bool fail(int text) {
    plat::dialogs().error(T(text));
    return false;
}

QLabel* label(QWidget* parent, const char* name) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

QLineEdit* edit(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

QCheckBox* check(QWidget* parent, const char* name) {
    auto* c = new QCheckBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    return c;
}

TIndexComboBox* combo(QWidget* parent, const char* name, const QStringList& items) {
    auto* c = new TIndexComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->addItems(items);
    return c;
}

QStringList numbers(int from, int to) {
    QStringList l;
    for (int i = from; i <= to; ++i) l << QString::number(i);
    return l;
}

// A label (or a check box or radio button leading its row) with its input beside it at row k.
void placeRow(QWidget* lead, QWidget* input, int k, int inputWidth = kInputWidth) {
    lead->setGeometry(kLabelLeft, rowTop(k), input ? kLabelWidth : kLabelWidth + kInputWidth, 20);
    if (input) input->setGeometry(kInputLeft, rowTop(k) - 2, inputWidth, 24);
}

const QString kRootCaption = QStringLiteral("M-Bus Network");

// Shown when OK would replace a network file that was not read whole.
const QString kReplaceUnreadFile = QStringLiteral(
    "\"M_Bus.xml\" could not be read whole when this window opened, so the network shown here lacks "
    "what could not be read. Saving replaces the file with the network shown here. Overwrite it?");

}  // namespace

// ---- TIndexComboBox ----

void TIndexComboBox::ShowValue(int value) {
    kept_ = value;
    setCurrentIndex(value >= 0 && value < count() ? value : -1);
}

void TIndexComboBox::ShowFirst() {
    kept_ = -1;
    setCurrentIndex(count() > 0 ? 0 : -1);
}

void TIndexComboBox::SetDroppedWidth(int width) {
    droppedWidth_ = width;
    view()->setMinimumWidth(width);
    // A wide list scrolls within its drop-down count rather than cover the screen.
    setStyleSheet(width > 0 ? QStringLiteral("QComboBox { combobox-popup: 0; }") : QString());
}

void TIndexComboBox::showPopup() {
    if (droppedWidth_ > 0) view()->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QComboBox::showPopup();
    if (droppedWidth_ <= 0) return;
    // A list wider than the box opens leftwards, so that it stays beside the page.
    QWidget* popup = view()->window();
    if (!popup || popup == window()) return;
    const int right = mapToGlobal(QPoint(width(), 0)).x();
    const QRect g = popup->geometry();
    if (g.x() + g.width() != right) popup->move(right - g.width(), g.y());
}

// ---- TFMeter_Bus ----

TFMeter_Bus::TFMeter_Bus(QWidget* parent) : plat::TForm(parent) {
    setObjectName(QStringLiteral("FMeter_Bus"));
    SetClientSize(kClientWidth, kClientHeight);
    SetTitleHeight(kTitleHeight);
    L_SW_Code()->setText(g_SWCode);
    L_MBus_NumByte = label(TitleStrip(), "L_MBus_NumByte");
    L_MBus_NumByte->setText(QStringLiteral("Bytes Used : 0"));
    L_MBus_NumByte->setGeometry(kClientWidth - 200, 38, 190, 24);
    L_MBus_NumByte->hide();

    const int bodyTop = kTitleHeight + 4;
    const int bodyHeight = kClientHeight - kButtonHeight - bodyTop - 2;
    TW = new QTreeWidget(this);
    TW->setObjectName(QStringLiteral("TW"));
    TW->setGeometry(6, bodyTop, kTreeWidth, bodyHeight);
    TW->setColumnCount(1);
    TW->header()->hide();
    TW->setRootIsDecorated(false);
    TW->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TW->setSelectionMode(QAbstractItemView::SingleSelection);
    TW->setSelectionBehavior(QAbstractItemView::SelectRows);
    TW->setAllColumnsShowFocus(true);
    TW->setContextMenuPolicy(Qt::CustomContextMenu);

    PM_CopyPaste = new QMenu(this);
    PM_CopyPaste->setObjectName(QStringLiteral("PM_CopyPaste"));
    CopyVariable1 = PM_CopyPaste->addAction(QString());
    PasteVariable1 = PM_CopyPaste->addAction(QString());
    CopyNode1 = PM_CopyPaste->addAction(QString());
    PasteNode1 = PM_CopyPaste->addAction(QString());
    DeleteItems1 = PM_CopyPaste->addAction(QString());
    PasteVariable1->setEnabled(false);
    PasteNode1->setEnabled(false);

    ExPageControl1 = new TExPageControl(this);
    ExPageControl1->setObjectName(QStringLiteral("ExPageControl1"));
    ExPageControl1->setGeometry(kTreeWidth + 12, bodyTop, kClientWidth - kTreeWidth - 18, bodyHeight);
    ExPageControl1->SetTabPosition(plat::tpLeft);
    ExPageControl1->SetTabStyle(tsDotNet);
    ExPageControl1->SetMultiLine(true);
    ExPageControl1->SetDefaultTabColor(kPageColor);
    ExPageControl1->SetTabBackGroundColor(kPageColor);
    ExPageControl1->SetActiveColor(plat::clSkyBlue);
    ExPageControl1->TabMargin().SetTopMargin(10);
    ExPageControl1->TabMargin().SetRightMargin(20);
    ExPageControl1->SetTabOverlap(0);
    plat::TFont tabFont;
    tabFont.SetName(QStringLiteral("Verdana"));
    tabFont.SetHeight(-13);
    ExPageControl1->Font().Assign(tabFont);
    ExPageControl1->SetActiveFont(tabFont);
    const auto sheet = [this](const char* name) {
        auto* s = new TExTabSheet(this);
        s->setObjectName(QString::fromLatin1(name));
        s->SetPageControl(ExPageControl1);
        s->SetColor(kPageColor);
        s->SetTabColor(kPageColor);
        s->SetColorTo(plat::clNone);
        s->SetTabColorTo(plat::clNone);
        s->SetImageIndex(-1);
        s->Font().SetName(QStringLiteral("Verdana"));
        s->Font().SetHeight(-11);
        return s;
    };
    ExTabSheet1 = sheet("ExTabSheet1");
    ExTabSheet2 = sheet("ExTabSheet2");
    ExPageControl1->Loaded();
    buildNodePage();
    buildVariablePage();

    auto* buttons = new QWidget(this);
    buttons->setObjectName(QStringLiteral("P_Button"));
    buttons->setGeometry(0, kClientHeight - kButtonHeight, kClientWidth, kButtonHeight);
    const auto button = [buttons](const char* name, int left, int width) {
        auto* b = NewHouseButton(buttons);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(left, 6, width, 28);
        return b;
    };
    Btn_OK = button("Btn_OK", 12, 110);
    Btn_Cancel = button("Btn_Cancel", 128, 110);
    Btn_ImportNet = button("Btn_ImportNet", kClientWidth - 162, 150);
    FadeButton1 = button("FadeButton1", 260, 130);
    FadeButton1->SetCaption(QStringLiteral("SCAN DEVICE"));
    FadeButton3 = button("FadeButton3", 400, 130);
    FadeButton3->SetCaption(QStringLiteral("SCAN VARIABLES"));
    for (TFadeButton* b : {FadeButton1, FadeButton3}) {
        b->SetColorWhenDown(plat::clYellow);
        b->hide();
        b->setEnabled(false);
    }

    plat::onSignal(TW, &QTreeWidget::itemSelectionChanged, this, [this] { TWClick(); });
    plat::onSignal(TW, &QTreeWidget::itemClicked, this, [this] { TWClick(); });
    plat::onSignal(TW, &QWidget::customContextMenuRequested, this,
                   [this](const QPoint& pos) { PM_CopyPaste->popup(TW->viewport()->mapToGlobal(pos)); });
    plat::onSignal(CopyVariable1, &QAction::triggered, this, [this] { CopyVariable1Click(); });
    plat::onSignal(PasteVariable1, &QAction::triggered, this, [this] { PasteVariable1Click(); });
    plat::onSignal(CopyNode1, &QAction::triggered, this, [this] { CopyNode1Click(); });
    plat::onSignal(PasteNode1, &QAction::triggered, this, [this] { PasteNode1Click(); });
    plat::onSignal(DeleteItems1, &QAction::triggered, this, [this] { btn_Delete_ItemClick(); });
    plat::onSignal(btn_Add_Node, &TFadeButton::clicked, this, [this] { btn_Add_NodeClick(); });
    plat::onSignal(btn_Add_Var, &TFadeButton::clicked, this, [this] { btn_Add_VarClick(); });
    plat::onSignal(CB_Var_ToD, &QComboBox::currentIndexChanged, this, [this] { CB_Var_ToDChange(); });
    plat::onSignal(CB_Var_ToD, &QComboBox::activated, this, [this] { CB_Var_ToDChange(); });
    plat::onSignal(CB_Var_Dim, &QComboBox::currentIndexChanged, this, [this] { CB_Var_DimChange(); });
    plat::onSignal(CB_MBus_Type, &QComboBox::currentIndexChanged, this, [this] { CB_MBus_TypeChange(); });
    plat::onSignal(Btn_OK, &TFadeButton::clicked, this, [this] { FadeButton2Click(); });
    plat::onSignal(Btn_Cancel, &TFadeButton::clicked, this, [this] { FadeButton4Click(); });
    SetCancelButton(Btn_Cancel);  // Esc does what Cancel does (and asks the same question)
    plat::onSignal(Btn_ImportNet, &TFadeButton::clicked, this, [this] { Btn_ImportNet_Click(); });

    // Creation: empty buffers, the layouts, the drop-down widths (measured against the boxes as
    // placed), the Nodes page, texts.
    MQTT_Topics.clear();
    clearNetwork();
    Sposta_Oggetti_Var(0);
    Nodes_Move_Elements();
    Select_Width_ComboBox(CB_Var_ToD);
    Select_Width_ComboBox(CB_VIFE);
    Select_Width_ComboBox(CB_Topic);
    ExPageControl1->SetActivePage(ExTabSheet1);
    Set_Lang();
}

TFMeter_Bus::~TFMeter_Bus() = default;

void TFMeter_Bus::buildNodePage() {
    QWidget* p = ExTabSheet1;
    CB_Enable_Node = check(p, "CB_Enable_Node");
    CB_Enable_Node->setChecked(true);
    L_New_Node_Desc = label(p, "L_New_Node_Desc");
    E_New_Node_Desc = edit(p, "E_New_Node_Desc");
    L_MBus_Type = label(p, "L_MBus_Type");
    CB_MBus_Type = combo(p, "CB_MBus_Type", {QStringLiteral("wM-Bus"), QStringLiteral("M-Bus on wires")});
    CB_MBus_Type->setCurrentIndex(1);
    // The type label has no text of its own in the table: it keeps its caption in every language.
    L_MBus_Type->setText(QStringLiteral("M-Bus Type"));
    placeRow(CB_Enable_Node, nullptr, 0);
    placeRow(L_New_Node_Desc, E_New_Node_Desc, 1);
    placeRow(L_MBus_Type, CB_MBus_Type, 2);

    RB_ID_Primary = new QRadioButton(p);
    RB_ID_Primary->setObjectName(QStringLiteral("RB_ID_Primary"));
    RB_ID_Primary->setChecked(true);
    E_New_Node_ID_Pri = edit(p, "E_New_Node_ID_Pri");
    E_New_Node_ID_Pri->setText(QStringLiteral("1"));
    RB_ID_Secondary = new QRadioButton(p);
    RB_ID_Secondary->setObjectName(QStringLiteral("RB_ID_Secondary"));
    E_New_Node_ID_Sec = edit(p, "E_New_Node_ID_Sec");
    E_New_Node_ID_Sec->setText(QStringLiteral("1"));
    CB_SND_NKE = check(p, "CB_SND_NKE");
    CB_Reset_App = check(p, "CB_Reset_App");
    L_Var_Type = label(p, "L_Var_Type");
    CB_Var_Type = combo(p, "CB_Var_Type", {QStringLiteral("By Type"), QStringLiteral("By Position")});
    CB_Var_Type->setCurrentIndex(0);
    L_Cut_After = label(p, "L_Cut_After");
    CB_Cut_After = combo(p, "CB_Cut_After", numbers(1, kCutAfterItems));
    CB_Cut_After->setCurrentIndex(0);
    L_Frames = label(p, "L_Frames");
    placeRow(RB_ID_Primary, E_New_Node_ID_Pri, 3, 120);
    placeRow(RB_ID_Secondary, E_New_Node_ID_Sec, 4, 120);
    placeRow(CB_SND_NKE, nullptr, 5);
    placeRow(CB_Reset_App, nullptr, 6);
    placeRow(L_Var_Type, CB_Var_Type, 7, 150);
    placeRow(L_Cut_After, CB_Cut_After, 8, 70);
    L_Frames->setGeometry(kInputLeft + 78, rowTop(8), 100, 20);

    // The wireless fields take the place of the wired ones.
    P_wMBus_Node = new QWidget(p);
    P_wMBus_Node->setObjectName(QStringLiteral("P_wMBus_Node"));
    QWidget* w = P_wMBus_Node;
    L_wMBus_ManID = label(w, "L_wMBus_ManID");
    E_wMBus_ManID = edit(w, "E_wMBus_ManID");
    L_wMBus_Add = label(w, "L_wMBus_Add");
    E_wMBus_Add = edit(w, "E_wMBus_Add");
    L_wMBus_Ver = label(w, "L_wMBus_Ver");
    E_wMBus_Ver = edit(w, "E_wMBus_Ver");
    L_wMBus_DevType = label(w, "L_wMBus_DevType");
    E_wMBus_DevType = edit(w, "E_wMBus_DevType");
    CB_wMBus_EnKey = check(w, "CB_wMBus_EnKey");
    placeRow(L_wMBus_ManID, E_wMBus_ManID, 0, 120);
    placeRow(L_wMBus_Add, E_wMBus_Add, 1, 120);
    placeRow(L_wMBus_Ver, E_wMBus_Ver, 2, 120);
    placeRow(L_wMBus_DevType, E_wMBus_DevType, 3, 120);
    placeRow(CB_wMBus_EnKey, nullptr, 4);
    // Sixteen key bytes in four rows of four, each with its number.
    for (int k = 0; k < 16; ++k) {
        const int left = kLabelLeft + (k % 4) * 105;
        const int top = rowTop(5 + k / 4);
        L_wMBus_K[size_t(k)] = label(w, "L_wMBus_K");
        L_wMBus_K[size_t(k)]->setObjectName(QStringLiteral("L_wMBus_K%1").arg(k + 1));
        L_wMBus_K[size_t(k)]->setGeometry(left, top, 24, 20);
        L_wMBus_K[size_t(k)]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        E_wMBus_K[size_t(k)] = edit(w, "E_wMBus_K");
        E_wMBus_K[size_t(k)]->setObjectName(QStringLiteral("E_wMBus_K%1").arg(k + 1));
        E_wMBus_K[size_t(k)]->setGeometry(left + 28, top - 2, 60, 24);
    }
    L_wMBus_VarList = label(w, "L_wMBus_VarList");
    CB_wMBus_VarList = combo(w, "CB_wMBus_VarList", {QStringLiteral("By Type"), QStringLiteral("By Position")});
    CB_wMBus_VarList->setCurrentIndex(0);
    placeRow(L_wMBus_VarList, CB_wMBus_VarList, 9, 150);
    // Its first row falls where the first wired row is.
    P_wMBus_Node->setGeometry(0, rowTop(3) - kRowTop, kInputLeft + kInputWidth + 10, rowTop(10));

    btn_Add_Node = NewHouseButton(p, kEditorLook);
    btn_Add_Node->setObjectName(QStringLiteral("btn_Add_Node"));
    btn_Add_Node->resize(170, 30);
}

void TFMeter_Bus::buildVariablePage() {
    QWidget* p = ExTabSheet2;
    CB_Var_En = check(p, "CB_Var_En");
    CB_Var_En->setChecked(true);
    L_New_Var_Desc = label(p, "L_New_Var_Desc");
    E_New_Var_Desc = edit(p, "E_New_Var_Desc");
    placeRow(CB_Var_En, nullptr, 0);
    placeRow(L_New_Var_Desc, E_New_Var_Desc, 1);
    // Created in the order of the "By Type" layout, so Tab follows the page.
    L_Var_ToD = label(p, "L_Var_ToD");
    CB_Var_ToD = combo(p, "CB_Var_ToD", mbus::Type_Of_Data_Items());
    L_VIF_ASCII = label(p, "L_VIF_ASCII");
    E_VIF_ASCII = edit(p, "E_VIF_ASCII");
    L_Var_FF = label(p, "L_Var_FF");
    CB_Var_FF = combo(p, "CB_Var_FF", mbus::Function_Field_Items());
    L_Var_Dim = label(p, "L_Var_Dim");
    CB_Var_Dim = combo(p, "CB_Var_Dim", mbus::Dimension_Items());
    L_Length = label(p, "L_Length");
    E_Length = edit(p, "E_Length");
    L_Var_Unit = label(p, "L_Var_Unit");
    CB_Var_Unit = combo(p, "CB_Var_Unit", numbers(0, kUnitItems - 1));
    L_Sto_Num = label(p, "L_Sto_Num");
    E_Sto_Num = edit(p, "E_Sto_Num");
    L_Tariff = label(p, "L_Tariff");
    E_Tariff = edit(p, "E_Tariff");
    L_VIFE = label(p, "L_VIFE");
    CB_VIFE = combo(p, "CB_VIFE", mbus::VIFE_Items());
    CB_BCDtoINT = check(p, "CB_BCDtoINT");
    L_Position = label(p, "L_Position");
    E_Position = edit(p, "E_Position");
    L_Topic = label(p, "L_Topic");
    CB_Topic = combo(p, "CB_Topic", {});
    L_PostOpe = label(p, "L_PostOpe");
    CB_PostOpe = combo(p, "CB_PostOpe", mbus::Post_Operation_Items());
    btn_Add_Var = NewHouseButton(p, kEditorLook);
    btn_Add_Var->setObjectName(QStringLiteral("btn_Add_Var"));
    btn_Add_Var->resize(170, 30);
    resetVariableFields();
}

void TFMeter_Bus::Set_Lang() {
    setWindowTitle(T(800));
    L_SW_Desc()->setText(T(801));
    Btn_OK->SetCaption(T(802));
    Btn_Cancel->SetCaption(T(803));
    Btn_ImportNet->SetCaption(T(804));
    ExTabSheet1->SetCaption(T(805));
    ExTabSheet2->SetCaption(T(806));
    const std::pair<QWidget*, int> texts[] = {
        {CB_Enable_Node, 807}, {L_New_Node_Desc, 808}, {RB_ID_Primary, 809}, {RB_ID_Secondary, 810},
        {CB_SND_NKE, 815},     {CB_Reset_App, 816},    {L_Var_Type, 817},     {L_Cut_After, 818},
        {L_Frames, 819},       {CB_Var_En, 822},       {L_New_Var_Desc, 823}, {L_Var_ToD, 824},
        {L_VIF_ASCII, 825},    {L_Var_FF, 826},        {L_Var_Dim, 827},      {L_Length, 828},
        {L_Var_Unit, 829},     {L_Sto_Num, 830},       {L_Tariff, 831},       {L_VIFE, 832},
        {CB_BCDtoINT, 833},    {L_Position, 834},      {L_Topic, 835},        {L_PostOpe, 837},
        {L_wMBus_ManID, 845},  {L_wMBus_Add, 846},     {L_wMBus_Ver, 847},    {L_wMBus_DevType, 848},
        {CB_wMBus_EnKey, 849}, {L_wMBus_VarList, 870},
    };
    for (const auto& [w, n] : texts) {
        if (auto* l = qobject_cast<QLabel*>(w))
            l->setText(T(n));
        else if (auto* b = qobject_cast<QAbstractButton*>(w))
            b->setText(T(n));
    }
    for (int k = 0; k < 16; ++k) L_wMBus_K[size_t(k)]->setText(T(850 + k));
    CopyVariable1->setText(T(840));
    PasteVariable1->setText(T(841));
    CopyNode1->setText(T(842));
    PasteNode1->setText(T(843));
    DeleteItems1->setText(T(844));
    btn_Add_Node->SetCaption(T(IND_NODO >= 0 && IND_VAR < 0 ? 820 : 821));
    btn_Add_Var->SetCaption(T(IND_VAR >= 0 ? 838 : 839));
}

// ---- showing ----

void TFMeter_Bus::FormShow() {
    {
        const QSignalBlocker block(CB_Cut_After);
        CB_Cut_After->clear();
        CB_Cut_After->addItems(numbers(1, kCutAfterItems));
        CB_Cut_After->ShowFirst();
    }
    Is_Change = false;
    clearNetwork();
    Working_Mode = 0;
    ExTabSheet2->SetTabVisible(true);
    loadTopics();
    loadNetwork();
    NODE_ORIG->setExpanded(true);
    TW->clearSelection();
    TWClick();
    Sposta_Oggetti_Var(0);
    PasteVariable1->setEnabled(Copy_Var.has_value());
    PasteNode1->setEnabled(Copy_Node.has_value());
    Is_Change = false;
}

void TFMeter_Bus::clearNetwork() {
    {
        const QSignalBlocker block(TW);
        TW->clear();
        NODE_ORIG = new QTreeWidgetItem(TW, QStringList{kRootCaption});
    }
    Nodi_List.clear();
    IND_NODO = IND_VAR = -1;
    NODE_ID = SELECT_NODE = nullptr;
}

void TFMeter_Bus::loadTopics() {
    MQTT_Topics.clear();
    // A topic file that cannot be read offers no topics; the variables keep their indexes.
    plat::XmlDocument doc;
    if (plat::fileExists(g_MQTTSetTopicFile) && doc.load(g_MQTTSetTopicFile)) {
        int n = 0;
        const plat::XmlElement section = doc.root().child(QStringLiteral("MQTT_Publish"));
        for (plat::XmlElement row = section ? section.firstChildElement() : plat::XmlElement(); row;
             row = row.nextSiblingElement())
            MQTT_Topics << QStringLiteral("%1; %2; %3;")
                               .arg(++n)
                               .arg(row.attribute(QStringLiteral("Topic")), row.attribute(QStringLiteral("Mnemonic")));
    }
    const QSignalBlocker block(CB_Topic);
    CB_Topic->clear();
    CB_Topic->addItems(MQTT_Topics);
    CB_Topic->ShowFirst();
    Select_Width_ComboBox(CB_Topic);
}

void TFMeter_Bus::loadNetwork() {
    readFailed_ = false;
    mbus::TNetworkRead read = mbus::Read_Network(g_MBusFile);
    Nodi_List = std::move(read.Nodes);
    {
        const QSignalBlocker block(TW);
        for (const TNodo& node : Nodi_List) addNodeItem(node);
    }
    if (read.Status == TNetworkReadStatus::Partial || read.Status == TNetworkReadStatus::Refused) {
        readFailed_ = true;
        plat::dialogs().error(read.Status == TNetworkReadStatus::Partial
                                  ? read.Message
                                  : QStringLiteral("%1: %2").arg(g_MBusFile, read.Message));
    }
}

QString TFMeter_Bus::Node_Caption(const TNodo& node) {
    if (node.MBus_Type == 0)
        return QStringLiteral("wM-Bus Node - Address ") + node.wMBus_Add + QStringLiteral(" - ") + node.Description;
    const int32_t id = node.Node_ID_Type == 0 ? node.Node_ID_Primary : node.Node_ID_Secondary;
    return QStringLiteral("ID ") + QString::number(id) + QStringLiteral(" - ") + node.Description;
}

QString TFMeter_Bus::Var_Caption(const TVariabile& var) { return QStringLiteral("VAR - ") + var.Description; }

QTreeWidgetItem* TFMeter_Bus::addNodeItem(const TNodo& node) {
    auto* item = new QTreeWidgetItem(NODE_ORIG, QStringList{Node_Caption(node)});
    if (Working_Mode == 0)
        for (const TVariabile& v : node.Var_List) new QTreeWidgetItem(item, QStringList{Var_Caption(v)});
    return item;
}

// ---- selection and fields ----

void TFMeter_Bus::TWClick() {
    const QList<QTreeWidgetItem*> selected = TW->selectedItems();
    QTreeWidgetItem* item = selected.isEmpty() ? nullptr : selected.first();
    IND_NODO = IND_VAR = -1;
    NODE_ID = SELECT_NODE = nullptr;
    if (item && item->parent() == NODE_ORIG) {
        const int n = NODE_ORIG->indexOfChild(item);
        if (n >= 0 && n < int(Nodi_List.size())) {
            NODE_ID = SELECT_NODE = item;
            IND_NODO = n;
        }
    } else if (item && item->parent() && item->parent()->parent() == NODE_ORIG) {
        const int n = NODE_ORIG->indexOfChild(item->parent());
        const int v = item->parent()->indexOfChild(item);
        if (n >= 0 && n < int(Nodi_List.size()) && v >= 0 && v < int(Nodi_List[size_t(n)].Var_List.size())) {
            NODE_ID = item->parent();
            SELECT_NODE = item;
            IND_NODO = n;
            IND_VAR = v;
        }
    }
    Aggiorna_Label();
    CB_Var_ToDChange();
    CB_Var_DimChange();
    if (IND_VAR >= 0)
        ExPageControl1->SetActivePage(ExTabSheet2);
    else if (IND_NODO >= 0)
        ExPageControl1->SetActivePage(ExTabSheet1);
}

void TFMeter_Bus::Aggiorna_Label() {
    if (IND_NODO < 0) {
        btn_Add_Node->SetCaption(T(821));
        btn_Add_Var->SetCaption(T(839));
        CB_SND_NKE->setChecked(false);
        CB_Reset_App->setChecked(false);
        CB_Enable_Node->setChecked(true);
        CB_Topic->ShowFirst();
        CB_PostOpe->ShowFirst();
        for (QLineEdit* e : {E_wMBus_ManID, E_wMBus_Add, E_wMBus_Ver, E_wMBus_DevType}) e->clear();
        for (QLineEdit* e : E_wMBus_K) e->clear();
        CB_wMBus_EnKey->setChecked(false);
        CB_wMBus_VarList->ShowFirst();
    } else {
        const TNodo& node = Nodi_List[size_t(IND_NODO)];
        showNodeFields(node);
        if (IND_VAR < 0) {
            btn_Add_Node->SetCaption(T(820));
            btn_Add_Var->SetCaption(T(839));
            resetVariableFields();
        } else {
            btn_Add_Node->SetCaption(T(821));
            btn_Add_Var->SetCaption(T(838));
            showVariableFields(node.Var_List[size_t(IND_VAR)]);
        }
        Sposta_Oggetti_Var(node.Var_List_Type);
    }
    Nodes_Move_Elements();
}

void TFMeter_Bus::showNodeFields(const TNodo& node) {
    CB_Enable_Node->setChecked(node.Enable);
    E_New_Node_Desc->setText(node.Description);
    E_New_Node_ID_Pri->setText(QString::number(node.Node_ID_Primary));
    E_New_Node_ID_Sec->setText(QString::number(node.Node_ID_Secondary));
    CB_SND_NKE->setChecked(node.Send_SNK != 0);
    CB_Reset_App->setChecked(node.Reset_App != 0);
    (node.Node_ID_Type == 0 ? RB_ID_Primary : RB_ID_Secondary)->setChecked(true);
    CB_Var_Type->ShowValue(node.Var_List_Type);
    CB_Cut_After->ShowValue(node.Cut_After);
    CB_MBus_Type->ShowValue(node.MBus_Type);
    E_wMBus_ManID->setText(node.wMBus_ManID);
    E_wMBus_Add->setText(node.wMBus_Add);
    E_wMBus_Ver->setText(node.wMBus_Ver);
    E_wMBus_DevType->setText(node.wMBus_DevType);
    CB_wMBus_EnKey->setChecked(node.wMBus_En_Key != 0);
    for (size_t k = 0; k < 16; ++k) E_wMBus_K[k]->setText(node.wMBus_Key[k]);
    CB_wMBus_VarList->ShowValue(node.Var_List_Type);
}

void TFMeter_Bus::resetVariableFields() {
    CB_Var_En->setChecked(true);
    E_New_Var_Desc->clear();
    for (TIndexComboBox* c : {CB_Var_ToD, CB_Var_FF, CB_Var_Dim, CB_Var_Unit, CB_VIFE, CB_Topic, CB_PostOpe})
        c->ShowFirst();
    E_Sto_Num->setText(QStringLiteral("0"));
    E_Tariff->setText(QStringLiteral("0"));
    CB_BCDtoINT->setChecked(false);
    E_VIF_ASCII->clear();
    E_Length->setText(QStringLiteral("0"));
    E_Position->setText(QStringLiteral("1"));
    shownPosition_.clear();
}

void TFMeter_Bus::showVariableFields(const TVariabile& var) {
    CB_Var_En->setChecked(var.Enable);
    E_New_Var_Desc->setText(var.Description);
    CB_Var_ToD->ShowValue(var.Type_Of_Data);
    CB_Var_FF->ShowValue(var.Function_Field);
    CB_Var_Dim->ShowValue(var.Dimension);
    CB_Var_Unit->ShowValue(var.Unita);
    CB_VIFE->ShowValue(var.VIFE);
    CB_Topic->ShowValue(var.Topic);
    CB_PostOpe->ShowValue(var.Post_Operation);
    E_Sto_Num->setText(QString::number(var.Storage_Number));
    E_Tariff->setText(QString::number(var.Tariff));
    CB_BCDtoINT->setChecked(var.BCDtoINT);
    E_VIF_ASCII->setText(var.VIF_ASCII);
    E_Length->setText(QString::number(var.Length));
    shownPosition_ = QString::number(var.Position);
    E_Position->setText(shownPosition_);
}

void TFMeter_Bus::Sposta_Oggetti_Var(int listType) {
    struct Row {
        QWidget* lead;
        QWidget* input;
        bool byType;
        bool byPosition;
    };
    const Row rows[] = {
        {L_Var_ToD, CB_Var_ToD, true, false},   {L_VIF_ASCII, E_VIF_ASCII, true, false},
        {L_Var_FF, CB_Var_FF, true, false},     {L_Var_Dim, CB_Var_Dim, true, true},
        {L_Length, E_Length, true, true},       {L_Var_Unit, CB_Var_Unit, true, false},
        {L_Sto_Num, E_Sto_Num, true, false},    {L_Tariff, E_Tariff, true, false},
        {L_VIFE, CB_VIFE, true, false},         {CB_BCDtoINT, nullptr, true, true},
        {L_Position, E_Position, false, true},  {L_Topic, CB_Topic, true, true},
        {L_PostOpe, CB_PostOpe, true, true},
    };
    int k = 2;
    for (const Row& r : rows) {
        const bool shown = listType == 1 ? r.byPosition : r.byType;
        r.lead->setVisible(shown);
        if (r.input) r.input->setVisible(shown);
        if (shown) placeRow(r.lead, r.input, k++);
    }
    btn_Add_Var->move(kInputLeft, rowTop(k) + 8);
}

void TFMeter_Bus::Nodes_Move_Elements() {
    const bool wired = wiredFields();
    for (QWidget* w : std::initializer_list<QWidget*>{RB_ID_Primary, E_New_Node_ID_Pri, RB_ID_Secondary,
                                                     E_New_Node_ID_Sec, CB_SND_NKE, CB_Reset_App, L_Var_Type,
                                                     CB_Var_Type, L_Cut_After, CB_Cut_After, L_Frames})
        w->setVisible(wired);
    P_wMBus_Node->setVisible(!wired);
    btn_Add_Node->move(kInputLeft, wired ? rowTop(3 + kWiredRows) + 8 : P_wMBus_Node->geometry().bottom() + 8);
}

void TFMeter_Bus::CB_Var_ToDChange() { E_VIF_ASCII->setEnabled(CB_Var_ToD->Value() == kTypeVifAscii); }

void TFMeter_Bus::CB_Var_DimChange() { E_Length->setEnabled(CB_Var_Dim->Value() == kDimVariableLength); }

void TFMeter_Bus::CB_MBus_TypeChange() { Nodes_Move_Elements(); }

void TFMeter_Bus::Select_Width_ComboBox(TIndexComboBox* box) {
    const QFontMetrics fm(box->view()->font());
    int widest = 0;
    for (int i = 0; i < box->count(); ++i) widest = std::max(widest, fm.horizontalAdvance(box->itemText(i)));
    int dropped = widest + 12 + (box == CB_Var_ToD ? 30 : 65);
    const int scrollBar = box->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, box);
    if (box->width() - scrollBar >= dropped) {
        box->SetDroppedWidth(0);
        return;
    }
    if (box->count() > box->maxVisibleItems()) dropped += scrollBar;
    box->SetDroppedWidth(dropped);
}

// ---- validation ----

bool TFMeter_Bus::Controllo_Dati_New_Nodo() {
    if (wiredFields()) {
        const bool primary = RB_ID_Primary->isChecked();
        const int32_t id = intOr((primary ? E_New_Node_ID_Pri : E_New_Node_ID_Sec)->text(), -1);
        if (primary && (id < 0 || id > 255)) return fail(881);
        if (!primary && (id < 0 || id > 99999999)) return fail(882);
        return Check_Node_ID(id);
    }
    const int32_t manId = intOr(E_wMBus_ManID->text(), -1);
    if (manId < 0 || manId > 0xFFFF) return fail(896);
    const int64_t address = int64OrMinusOne(E_wMBus_Add->text());
    if (address < 0 || address > 0xFFFFFFFFLL) return fail(897);
    const int32_t version = intOr(E_wMBus_Ver->text(), -1);
    if (version < 0 || version > 255) return fail(898);
    const int32_t deviceType = intOr(E_wMBus_DevType->text(), -1);
    if (deviceType < 0 || deviceType > 255) return fail(899);
    if (CB_wMBus_EnKey->isChecked()) {
        for (int k = 0; k < 16; ++k) {
            const int32_t byte = intOr(E_wMBus_K[size_t(k)]->text(), -1);
            if (byte < 0 || byte > 255) return fail(900 + k);
        }
    }
    // A wireless meter is told apart by its radio identity, not by a wired address: it is not
    // compared with the wired nodes.
    return true;
}

bool TFMeter_Bus::Check_Node_ID(int id) {
    // Modifying a node must not find the node itself; a new node added while one of its
    // variables is selected is compared with it too.
    const bool nodeSelected = IND_NODO >= 0 && IND_VAR < 0;
    for (int i = 0; i < int(Nodi_List.size()); ++i) {
        if (nodeSelected && i == IND_NODO) continue;
        const TNodo& n = Nodi_List[size_t(i)];
        if (n.MBus_Type == 0) continue;
        const int32_t address = n.Node_ID_Type == 1 ? n.Node_ID_Secondary : n.Node_ID_Primary;
        if (address == id) return fail(i == IND_NODO ? 884 : 885);
    }
    return true;
}

bool TFMeter_Bus::Check_Node_ID2(int id, int kind) {
    for (const TNodo& n : Nodi_List) {
        // A wireless node's wired addresses are never shown nor used.
        if (n.MBus_Type == 0) continue;
        const int32_t address = n.Node_ID_Type == 1 ? n.Node_ID_Secondary : n.Node_ID_Primary;
        if (address == id && n.Node_ID_Type == kind) return fail(883);
    }
    return true;
}

bool TFMeter_Bus::Check_VIFE_PostOpe(int vife) { return !(vife == 38 || vife == 39 || (vife >= 51 && vife <= 69)); }

bool TFMeter_Bus::positionUntouched() const { return IND_VAR >= 0 && E_Position->text() == shownPosition_; }

bool TFMeter_Bus::Controllo_Dati_New_Var() {
    const int64_t storage = int64OrMinusOne(E_Sto_Num->text());
    if (storage < 0 || storage > 0xFFFFFFFFLL) return fail(872);
    const int64_t tariff = int64OrMinusOne(E_Tariff->text());
    if (tariff < 0 || tariff > 0xFFFFF) return fail(873);
    if (CB_Var_Dim->Value() == kDimVariableLength) {
        const int32_t length = intOr(E_Length->text(), -1);
        if (length < 0 || length > 191) return fail(874);
    }
    // A position the variable came with is kept as it is, also one the box range does not cover.
    if (!positionUntouched()) {
        const int32_t position = intOr(E_Position->text(), -1);
        if (position < 1 || position > 100) return fail(875);
    }
    if (CB_PostOpe->Value() != 0) {
        const int type = CB_Var_ToD->Value();
        if (type >= kTypeNoPostOperation) return fail(879);
        if (type == kTypeVifeUnit && Check_VIFE_PostOpe(CB_VIFE->Value())) return fail(880);
    }
    return true;
}

// ---- building from the fields ----

TNodo TFMeter_Bus::nodeFromFields(const TNodo& base) const {
    TNodo n = base;
    n.Enable = CB_Enable_Node->isChecked();
    n.Description = E_New_Node_Desc->text();
    // The address the radio button does not choose is not checked: a box that holds no number
    // keeps the node's address.
    n.Node_ID_Primary = intOr(E_New_Node_ID_Pri->text(), base.Node_ID_Primary);
    n.Node_ID_Secondary = intOr(E_New_Node_ID_Sec->text(), base.Node_ID_Secondary);
    n.Send_SNK = CB_SND_NKE->isChecked() ? 1 : 0;
    n.Reset_App = CB_Reset_App->isChecked() ? 1 : 0;
    n.Node_ID_Type = RB_ID_Primary->isChecked() ? 0 : 1;
    n.Cut_After = uint8_t(CB_Cut_After->Value());
    n.MBus_Type = uint8_t(CB_MBus_Type->Value());
    n.Var_List_Type = uint8_t(wiredFields() ? CB_Var_Type->Value() : CB_wMBus_VarList->Value());
    n.wMBus_ManID = E_wMBus_ManID->text();
    n.wMBus_Add = E_wMBus_Add->text();
    n.wMBus_Ver = E_wMBus_Ver->text();
    n.wMBus_DevType = E_wMBus_DevType->text();
    n.wMBus_En_Key = CB_wMBus_EnKey->isChecked() ? 1 : 0;
    for (size_t k = 0; k < 16; ++k) n.wMBus_Key[k] = E_wMBus_K[k]->text();
    return n;
}

TVariabile TFMeter_Bus::variableFromFields(const TVariabile& base) const {
    TVariabile v = base;
    v.Enable = CB_Var_En->isChecked();
    v.Description = E_New_Var_Desc->text();
    v.Type_Of_Data = CB_Var_ToD->Value();
    v.Function_Field = CB_Var_FF->Value();
    v.Dimension = CB_Var_Dim->Value();
    v.Unita = CB_Var_Unit->Value();
    v.Storage_Number = uint32_t(uint64_t(int64OrMinusOne(E_Sto_Num->text())));
    v.Tariff = int32_t(int64OrMinusOne(E_Tariff->text()));
    v.VIFE = uint8_t(CB_VIFE->Value());
    v.BCDtoINT = CB_BCDtoINT->isChecked();
    v.VIF_ASCII = E_VIF_ASCII->text();
    v.Length = intOr(E_Length->text(), 0);
    if (!positionUntouched()) v.Position = uint8_t(intOr(E_Position->text(), 1));
    v.Topic = CB_Topic->Value();
    v.Post_Operation = uint8_t(CB_PostOpe->Value());
    return v;
}

// ---- adding, modifying, deleting ----

void TFMeter_Bus::btn_Add_NodeClick() {
    const bool modify = IND_NODO >= 0 && IND_VAR < 0;
    if (!Controllo_Dati_New_Nodo()) return;
    if (modify) {
        TNodo& node = Nodi_List[size_t(IND_NODO)];
        node = nodeFromFields(node);
        NODE_ID->setText(0, Node_Caption(node));
    } else {
        Nodi_List.push_back(nodeFromFields(TNodo{}));
        const QSignalBlocker block(TW);
        addNodeItem(Nodi_List.back());
    }
    Is_Change = true;
    NODE_ORIG->setExpanded(true);
}

void TFMeter_Bus::btn_Add_VarClick() {
    if (IND_NODO < 0) return;
    if (!Controllo_Dati_New_Var()) return;
    TNodo& node = Nodi_List[size_t(IND_NODO)];
    if (IND_VAR >= 0) {
        TVariabile& var = node.Var_List[size_t(IND_VAR)];
        var = variableFromFields(var);
        shownPosition_ = E_Position->text();
        SELECT_NODE->setText(0, Var_Caption(var));
    } else {
        node.Var_List.push_back(variableFromFields(TVariabile{}));
        const QSignalBlocker block(TW);
        new QTreeWidgetItem(NODE_ID, QStringList{Var_Caption(node.Var_List.back())});
    }
    Is_Change = true;
    NODE_ORIG->setExpanded(true);
}

void TFMeter_Bus::btn_Delete_ItemClick() {
    if (IND_NODO < 0) {
        if (plat::dialogs().questionYesNo(T(886)) != plat::Answer::Yes) return;
        const bool hadNodes = !Nodi_List.empty();
        clearNetwork();
        if (hadNodes) Is_Change = true;
    } else if (IND_VAR < 0) {
        if (plat::dialogs().questionYesNo(T(887)) != plat::Answer::Yes) return;
        Nodi_List.erase(Nodi_List.begin() + IND_NODO);
        {
            const QSignalBlocker block(TW);
            delete NODE_ID;
        }
        Is_Change = true;
    } else {
        if (plat::dialogs().questionYesNo(T(888)) != plat::Answer::Yes) return;
        auto& vars = Nodi_List[size_t(IND_NODO)].Var_List;
        vars.erase(vars.begin() + IND_VAR);
        {
            const QSignalBlocker block(TW);
            delete SELECT_NODE;
        }
        Is_Change = true;
    }
    NODE_ID = SELECT_NODE = nullptr;
    TWClick();
    TW->viewport()->update();
}

// ---- copy and paste ----

void TFMeter_Bus::CopyVariable1Click() {
    if (IND_NODO < 0 || IND_NODO >= int(Nodi_List.size())) {
        fail(890);
        return;
    }
    const TNodo& node = Nodi_List[size_t(IND_NODO)];
    if (IND_VAR < 0 || IND_VAR >= int(node.Var_List.size())) {
        fail(889);
        return;
    }
    Copy_Var = node.Var_List[size_t(IND_VAR)];
    PasteVariable1->setEnabled(true);
}

void TFMeter_Bus::PasteVariable1Click() {
    if (!Copy_Var) {
        fail(893);
        return;
    }
    if (IND_NODO < 0 || !NODE_ID) {
        fail(894);
        return;
    }
    Nodi_List[size_t(IND_NODO)].Var_List.push_back(*Copy_Var);
    {
        const QSignalBlocker block(TW);
        new QTreeWidgetItem(NODE_ID, QStringList{Var_Caption(*Copy_Var)});
    }
    Is_Change = true;
}

void TFMeter_Bus::CopyNode1Click() {
    if (IND_NODO >= int(Nodi_List.size())) {
        fail(892);
        return;
    }
    if (IND_NODO < 0) {
        fail(891);
        return;
    }
    Copy_Node = Nodi_List[size_t(IND_NODO)];
    PasteNode1->setEnabled(true);
}

void TFMeter_Bus::PasteNode1Click() {
    if (!Copy_Node || !FNewIDNode) return;
    const TNodo& copy = *Copy_Node;
    const bool wireless = copy.MBus_Type == 0;
    if (wireless) {
        FNewIDNode->Form_Type = 2;
    } else {
        FNewIDNode->Form_Type = 1;
        (copy.Node_ID_Type == 0 ? FNewIDNode->RB_ID_Primary : FNewIDNode->RB_ID_Secondary)->setChecked(true);
        FNewIDNode->E_New_Node_ID_Pri->setText(QString::number(copy.Node_ID_Primary));
        FNewIDNode->E_New_Node_ID_Sec->setText(QString::number(copy.Node_ID_Secondary));
    }
    if (FNewIDNode->ShowModal() != plat::mrOk) return;
    TNodo node = copy;
    node.Node_ID_Primary = intOr(FNewIDNode->E_New_Node_ID_Pri->text(), copy.Node_ID_Primary);
    node.Node_ID_Secondary = intOr(FNewIDNode->E_New_Node_ID_Sec->text(), copy.Node_ID_Secondary);
    node.Node_ID_Type = FNewIDNode->RB_ID_Primary->isChecked() ? 0 : 1;
    if (wireless) node.wMBus_Add = FNewIDNode->E_wMBus_Add->text();
    node.Access_Number = 0;
    node.AN_Topic = 0;
    node.wMBus_RSSI = 0;
    node.wMBus_RSSI_Topic = 0;
    Nodi_List.push_back(std::move(node));
    {
        const QSignalBlocker block(TW);
        addNodeItem(Nodi_List.back());
    }
    Is_Change = true;
}

// ---- import, OK, Cancel ----

void TFMeter_Bus::Btn_ImportNet_Click() {
    const std::optional<QString> file =
        plat::dialogs().openFile(T(804), g_ProjectPath, QStringLiteral("XML File (*.xml)"));
    if (!file) return;
    // The file is examined before anything is replaced: what the reader refuses, or reads only in
    // part, is not imported, and the network file is replaced in one step by what was examined.
    QString error;
    const std::optional<QByteArray> bytes = plat::readFile(*file, &error);
    if (!bytes) {
        plat::dialogs().error(QStringLiteral("%1: %2").arg(*file, error));
        return;
    }
    const mbus::TNetworkRead read = mbus::Network_From_Bytes(*bytes);
    if (read.Status != TNetworkReadStatus::Whole) {
        plat::dialogs().error(QStringLiteral("%1: %2").arg(*file, read.Message));
        return;
    }
    if (plat::fileExists(g_MBusFile) && plat::dialogs().questionYesNo(T(871)) != plat::Answer::Yes) return;
    if (!plat::atomicWrite(g_MBusFile, *bytes, &error)) {
        plat::dialogs().error(QStringLiteral("%1: %2").arg(g_MBusFile, error));
        return;
    }
    FormShow();
}

void TFMeter_Bus::FadeButton2Click() {
    if (readFailed_ && plat::dialogs().questionYesNo(kReplaceUnreadFile) != plat::Answer::Yes) return;
    try {
        mbus::Write_Network(Nodi_List, g_MBusFile);
    } catch (const plat::Error& e) {
        plat::dialogs().error(e.message());
        return;
    }
    readFailed_ = false;
    clearNetwork();
    SetModalResult(plat::mrOk);
}

void TFMeter_Bus::FadeButton4Click() {
    if (Is_Change && plat::dialogs().questionYesNo(T(895)) != plat::Answer::Yes) return;
    SetModalResult(plat::mrCancel);
}

int TFMeter_Bus::Found_BACnet_EngUnits(int typeOfData, int vife) {
    struct Unit {
        int key;
        int unit;
    };
    static constexpr Unit kByType[] = {{0, 18},  {1, 16},  {2, 80},  {3, 39},  {6, 47},  {8, 135}, {9, 165},
                                       {10, 85}, {11, 44}, {12, 62}, {13, 62}, {14, 63}, {15, 62}, {16, 55}};
    static constexpr Unit kByVife[] = {{38, 5},  {39, 3},  {51, 146}, {57, 83}, {59, 89}, {60, 192}, {61, 49},
                                       {63, 64}, {64, 64}, {65, 64},  {66, 64}, {67, 64}, {68, 62},  {69, 47},
                                       {70, 101}, {71, 100}};
    const auto find = [](const auto& table, int key) {
        for (const Unit& u : table)
            if (u.key == key) return u.unit;
        return BACnet_No_Units();
    };
    return typeOfData == kTypeVifeUnit ? find(kByVife, vife) : find(kByType, typeOfData);
}
