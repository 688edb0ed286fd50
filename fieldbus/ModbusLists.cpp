#include "fieldbus/ModbusLists.h"

#include "grid/ExCGrid.h"
#include "platform/UserDialogs.h"
#include "platform/XmlDoc.h"
#include "shell/UComon.h"

#include <QTabWidget>

namespace {

QStringList numbers(int count) {
    QStringList items;
    items.reserve(count);
    for (int i = 0; i < count; ++i) items << QString::number(i);
    return items;
}

}  // namespace

TModbusAccessForm::TModbusAccessForm(const AccessListDef& def, const modbus::Columns& columns, RulesOf rules,
                                     QWidget* parent)
    : TAccessListForm(def, parent),
      columns_(columns),
      rules_(rules),
      topic_(Grid(0), columns.readTopic, List_Publish_Topic, def.schema->sections[0]) {
    TS_Modbus_Read = Page(0);
    TS_Modbus_Write = Page(1);
    CG_Modbus_Read = &Grid(0);
    CG_Modbus_Write = &Grid(1);
    CG_Modbus_Read->Columns().Items(columns.type).SetComboItems(
        {QStringLiteral("Coil Status"), QStringLiteral("Input Status"), QStringLiteral("Holding Register"),
         QStringLiteral("Input Register")});
    CG_Modbus_Write->Columns().Items(columns.type).SetComboItems(
        {QStringLiteral("Coil Status"), QStringLiteral("Holding Register")});
    CG_Modbus_Read->Columns().Items(columns.readPosition + 1).SetComboItems(numbers(8));
    CG_Modbus_Write->Columns().Items(columns.writePosition + 1).SetComboItems(numbers(8));
    CG_Modbus_Read->OnComboChange = [this](QObject* s, int c, int r, int i, const QString& t) {
        ComboChange(s, c, r, i, t);
    };
}

QString TModbusAccessForm::Get_Topic_From_Index(int Index) const {
    return mqtttopics::topicFromIndex(List_Publish_Topic, Index);
}

int TModbusAccessForm::Get_Index_From_Topic(const QString& Topic, int Index) const {
    return mqtttopics::indexFromTopic(List_Publish_Topic, Topic, Index);
}

void TModbusAccessForm::ComboChange(QObject* Sender, int ACol, int ARow, int AItemIndex, const QString& ASelection) {
    if (Sender == CG_Modbus_Read && ACol == columns_.readTopic) topic_.Choose(ARow, AItemIndex);
}

int TModbusAccessForm::ComboItem_Topic(int ARow) const {
    return topic_.Item(ARow);
}

void TModbusAccessForm::Prepare_Show() {
    Working_Mode = 0;
    PageControl1->setTabVisible(1, false);
    CG_Modbus_Read->UnHideColumn(columns_.readTopic);
    CG_Modbus_Read->HideColumns(columns_.readPosition, columns_.readPosition + 1);
    readTopics();
    NByte_IN = modbus::kAreaBytes;
    NByte_OUT = modbus::kAreaBytes;
    CG_Modbus_Read->Columns().Items(columns_.readPosition).SetComboItems(numbers(NByte_IN));
    CG_Modbus_Write->Columns().Items(columns_.writePosition).SetComboItems(numbers(NByte_OUT));
}

void TModbusAccessForm::readTopics() {
    List_Publish_Topic.clear();
    TGridColumnItem& topicItem = CG_Modbus_Read->Columns().Items(columns_.readTopic);
    topicItem.SetComboItems({});
    plat::XmlDocument doc;
    QString fileName;
    if (!Load_Topic_File(doc, fileName)) return;
    // A damaged topic file is reported, and the list shows what could be read: the grids have been
    // reset, so no edit of an earlier showing survives into this one.
    const mqtttopics::Topics read = mqtttopics::sectionTopics(doc.root(), fileName, mqtttopics::kPublish);
    for (int i = 0; i < read.topics.size(); ++i)
        List_Publish_Topic << (columns_.numberedTopics ? QString::number(i + 1) + QStringLiteral(" - ") + read.topics[i]
                                                       : read.topics[i]);
    topicItem.SetComboItems(List_Publish_Topic);
    if (!read.error.isEmpty()) plat::dialogs().error(read.error);
}

void TModbusAccessForm::Loaded_Rows(std::vector<accesslist::Rows>& sections) {
    // The file keeps the topic's position; the cell shows the topic now at that position.
    if (!sections.empty()) topic_.Loaded(sections[0]);
}

void TModbusAccessForm::Saving_Rows(std::vector<accesslist::Rows>& sections) const {
    if (!sections.empty()) topic_.Saving(sections[0]);
}

std::vector<accesslist::SectionRules> TModbusAccessForm::Rules() const {
    std::vector<accesslist::SectionRules> rules = rules_(NByte_IN, NByte_OUT);
    // Write rules the user cannot see are written back as they were read.
    if (rules.size() > 1) rules[1].hidden = !PageControl1->isTabVisible(1);
    return rules;
}
