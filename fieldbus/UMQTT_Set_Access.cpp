#include "fieldbus/UMQTT_Set_Access.h"

#include "controls/FadeButton.h"
#include "fieldbus/MQTTAccessSchema.h"
#include "fieldbus/MQTTTopicTable.h"
#include "grid/ExCGrid.h"
#include "platform/UserDialogs.h"
#include "platform/XmlDoc.h"
#include "shell/UComon.h"

#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

using namespace mqttaccess;

constexpr TColor kEnableColour = 11589887;    // light orange
constexpr TColor kIdentityColour = 16710368;  // pale cyan: the topic
constexpr TColor kTypeColour = 11075496;      // light green: data type and its size
constexpr TColor kAreaColour = 16045820;      // light pink: exchange-area position
constexpr TColor kTemplateColour = 11075583;  // light yellow

// Both pages have the same columns; `header` and `hint` are the page's first texts, the last hint
// (the mnemonic's) stands apart.
std::vector<AccessListColumn> columns(int header, int hint, int mnemonicHint) {
    return {{header, -1, edNormal, 40, clWindow},
            {header + 1, hint, edDataCheckBox, 50, kEnableColour},
            {header + 2, hint + 1, edComboList, 120, kIdentityColour},
            {header + 3, hint + 2, edComboList, 80, kTypeColour},
            {header + 4, hint + 3, edNormal, 80, kTypeColour},
            {header + 5, hint + 4, edNormal, 80, kAreaColour},
            {header + 6, hint + 5, edComboEdit, 80, kTemplateColour},
            {header + 7, mnemonicHint, edNormal, 199, clWhite}};
}

const AccessListDef& definition() {
    static const AccessListDef def{
        "FMQTT_Set_Access", 760, nullptr, 1400, 1401, 1402, 1408, 723, 1446, false,
        &mqttaccess::schema(), &g_MQTTSetAccessFile,
        {{"TS_MQTT_Publish", "CG_Pub", 1414, columns(1416, 1424, 1444)},
         {"TS_MQTT_Subscribe", "CG_Sub", 1415, columns(1430, 1438, 1445)}}};
    return def;
}

}  // namespace

TFMQTT_Set_Access::TFMQTT_Set_Access(QWidget* parent)
    : TAccessListForm(definition(), parent),
      pubTopic_(Grid(0), kTopic, Topic_Pub, mqttaccess::schema().sections[0]),
      subTopic_(Grid(1), kTopic, Topic_Sub, mqttaccess::schema().sections[1]) {
    TS_MQTT_Publish = Page(0);
    TS_MQTT_Subscribe = Page(1);
    CG_Pub = &Grid(0);
    CG_Sub = &Grid(1);
    for (TExColumnGrid* g : {CG_Pub, CG_Sub}) {
        g->Columns().Items(kDataType).SetComboItems(
            {QStringLiteral("Int"), QStringLiteral("Float"), QStringLiteral("String")});
        g->Columns().Items(kTemplate).SetComboItems({QStringLiteral("$VALUE$")});
        g->OnComboChange = [this](QObject* s, int c, int r, int i, const QString& t) { ComboChange(s, c, r, i, t); };
    }
    Set_Lang();
}

TFMQTT_Set_Access::~TFMQTT_Set_Access() = default;

void TFMQTT_Set_Access::Set_Template_Editor(std::unique_ptr<TTopicTemplateLink> editor) {
    editor_ = std::move(editor);
}

QString TFMQTT_Set_Access::Topic_Pub_from_Index_to_String(int Index) const {
    return mqtttopics::topicFromIndex(Topic_Pub, Index);
}

QString TFMQTT_Set_Access::Topic_Sub_from_Index_to_String(int Index) const {
    return mqtttopics::topicFromIndex(Topic_Sub, Index);
}

int TFMQTT_Set_Access::Topic_Pub_from_String_to_Index(const QString& Topic) const {
    return mqtttopics::indexFromTopic(Topic_Pub, Topic);
}

int TFMQTT_Set_Access::Topic_Sub_from_String_to_Index(const QString& Topic) const {
    return mqtttopics::indexFromTopic(Topic_Sub, Topic);
}

int TFMQTT_Set_Access::Topic_Item(int page, int ARow) const {
    return (page == 0 ? pubTopic_ : subTopic_).Item(ARow);
}

void TFMQTT_Set_Access::ComboChange(QObject* Sender, int ACol, int ARow, int AItemIndex, const QString& ASelection) {
    if (ACol != kTopic) return;
    if (Sender == CG_Pub) pubTopic_.Choose(ARow, AItemIndex);
    else if (Sender == CG_Sub) subTopic_.Choose(ARow, AItemIndex);
}

void TFMQTT_Set_Access::DblClickCell(QObject* Sender, int ARow, int ACol) {
    TAccessListForm::DblClickCell(Sender, ARow, ACol);
    TExColumnGrid* grid = Sender == CG_Pub ? CG_Pub : Sender == CG_Sub ? CG_Sub : nullptr;
    if (!grid || ARow < 1) return;
    const int real = grid->RealColIndex(ACol);
    if (real == kTemplate) Show_Form_Topic(*grid, ARow, real);
}

void TFMQTT_Set_Access::Show_Form_Topic(TExColumnGrid& Grid, int ARow, int ACol) {
    if (!editor_) return;
    editor_->Set_TopicTemplate(1);
    // The editor takes over the cell, whose own drop-down the double click opened.
    Edit_Cell_In_Window(Grid, ACol, ARow, [this](QString& text) {
        editor_->Set_Text(text);
        if (editor_->ShowModal() != plat::mrOk) return false;
        text = editor_->Text();
        return true;
    });
}

void TFMQTT_Set_Access::Prepare_Show() { readTopics(); }

void TFMQTT_Set_Access::readTopics() {
    Topic_Pub.clear();
    Topic_Sub.clear();
    CG_Pub->Columns().Items(kTopic).SetComboItems({});
    CG_Sub->Columns().Items(kTopic).SetComboItems({});
    plat::XmlDocument doc;
    QString fileName;
    if (!Load_Topic_File(doc, fileName)) return;
    // A damaged table is reported, and the list shows what could be read.
    const mqtttopics::Topics pub = mqtttopics::sectionTopics(doc.root(), fileName, mqtttopics::kPublish);
    const mqtttopics::Topics sub = mqtttopics::sectionTopics(doc.root(), fileName, mqtttopics::kSubscribe);
    Topic_Pub = pub.topics;
    Topic_Sub = sub.topics;
    CG_Pub->Columns().Items(kTopic).SetComboItems(Topic_Pub);
    CG_Sub->Columns().Items(kTopic).SetComboItems(Topic_Sub);
    for (const QString& error : {pub.error, sub.error})
        if (!error.isEmpty()) plat::dialogs().error(error);
}

void TFMQTT_Set_Access::Loaded_Rows(std::vector<accesslist::Rows>& sections) {
    // The file keeps each topic's position in its own table; the cell shows the topic now there.
    if (sections.size() > 0) pubTopic_.Loaded(sections[0]);
    if (sections.size() > 1) subTopic_.Loaded(sections[1]);
}

void TFMQTT_Set_Access::Saving_Rows(std::vector<accesslist::Rows>& sections) const {
    if (sections.size() > 0) pubTopic_.Saving(sections[0]);
    if (sections.size() > 1) subTopic_.Saving(sections[1]);
}

std::vector<accesslist::SectionRules> TFMQTT_Set_Access::Rules() const { return mqttaccess::rules(); }

// The Ethernet form --------------------------------------------------------------------------------

namespace {

void paintPanel(QWidget* w) {
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, QColor(248, 245, 237));  // 15595512, the family's cream
    w->setPalette(p);
}

struct EthColumn {
    const char* header;
    TEditorType editor;
    int width;
};

TExColumnGrid* ethGrid(QTabWidget* pages, QWidget*& page, const char* pageName, const char* gridName,
                       const char* tab, std::initializer_list<EthColumn> columns) {
    page = new QWidget;
    page->setObjectName(QString::fromLatin1(pageName));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* grid = new TExColumnGrid(page);
    grid->setObjectName(QString::fromLatin1(gridName));
    Set_Table_Grid_Form(*grid);
    layout->addWidget(grid);
    pages->addTab(page, QString::fromLatin1(tab));
    grid->SetColCount(int(columns.size()));
    grid->SetRowCount(kRows + 1);
    int c = 0;
    for (const EthColumn& col : columns) {
        TGridColumnItem& item = grid->Columns().Items(c);
        item.SetEditor(col.editor);
        item.SetWidth(col.width);
        item.SetHeader(QString::fromLatin1(col.header));
        ++c;
    }
    for (int r = 1; r <= kRows; ++r) grid->SetCells(0, r, QString::number(r));
    grid->Loaded();
    return grid;
}

}  // namespace

TFMQTT_SetAccess_Eth::TFMQTT_SetAccess_Eth(QWidget* parent) : plat::TForm(parent) {
    constexpr int kWidth = 860, kHeight = 337, kButtons = 40;
    setObjectName(QStringLiteral("FMQTT_SetAccess_Eth"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setWindowTitle(QStringLiteral("MQTT Set Access"));
    SetClientSize(kWidth, kHeight);
    paintPanel(this);
    SetTitleHeight(kTitleHeight);
    P_Title = TitleStrip();
    paintPanel(P_Title);
    L_SW_Desc()->setText(QStringLiteral("MQTT Set Access"));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(0, kTitleHeight, kWidth, kHeight - kTitleHeight - kButtons);
    CG_Pub = ethGrid(PageControl1, TS_MQTT_Publish, "TS_MQTT_Publish", "CG_Pub", "MQTT Publish",
                     {{"N", edNormal, 40},
                      {"Enable", edDataCheckBox, 50},
                      {"Topic", edComboList, 120},
                      {"IP Address", edNormal, 100},
                      {"Ethernet Data Form", edNormal, 130},
                      {"Template MQTT", edComboEdit, 100},
                      {"Mnemonic", edNormal, 199}});
    CG_Sub = ethGrid(PageControl1, TS_MQTT_Subscribe, "TS_MQTT_Subscribe", "CG_Sub", "MQTT Subscribe",
                     {{"N", edNormal, 40},
                      {"Enable", edDataCheckBox, 50},
                      {"Topic", edComboList, 120},
                      {"IP Address", edNormal, 100},
                      {"Port", edNormal, 50},
                      {"Type", edComboList, 50},
                      {"Template MQTT", edComboEdit, 100},
                      {"Ethernet Data Form", edNormal, 130},
                      {"Mnemonic", edNormal, 150}});
    CG_Sub->Columns().Items(5).SetComboItems({QStringLiteral("TCP"), QStringLiteral("UDP")});

    P_Button = new QWidget(this);
    P_Button->setObjectName(QStringLiteral("P_Button"));
    P_Button->setGeometry(0, kHeight - kButtons, kWidth, kButtons);
    paintPanel(P_Button);
    const struct {
        TFadeButton** button;
        const char* name;
        const char* caption;
    } buttons[] = {{&Btn_OK, "Btn_OK", "OK"},
                   {&Btn_Cancel, "Btn_Cancel", "Cancel"},
                   {&Btn_DelRow, "Btn_DelRow", "Delete Row"},
                   {&Btn_InsRow, "Btn_InsRow", "Insert Row"},
                   {&Btn_CopyRow, "Btn_CopyRow", "Copy Row"},
                   {&Btn_PasteRow, "Btn_PasteRow", "Paste Row"}};
    int left = 16;
    for (const auto& b : buttons) {
        *b.button = NewHouseButton(QString::fromLatin1(b.caption), P_Button);
        (*b.button)->setObjectName(QString::fromLatin1(b.name));
        (*b.button)->setGeometry(left, 6, 110, 28);
        left += 118;
    }
}
