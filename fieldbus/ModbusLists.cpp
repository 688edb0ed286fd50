#include "fieldbus/ModbusLists.h"

#include "grid/ExCGrid.h"
#include "platform/Files.h"
#include "platform/UserDialogs.h"
#include "shell/UComon.h"

#include <QFileInfo>
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
    : TAccessListForm(def, parent), columns_(columns), rules_(rules) {
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
    // One column beyond the file's keeps each read row's topic item.
    itemColumn_ = CG_Modbus_Read->TotalColCount();
    TGridColumnItem& item = CG_Modbus_Read->Columns().Add();
    item.SetEditor(edNormal);
    item.ReadOnly = true;
    CG_Modbus_Read->HideColumn(itemColumn_);
    CG_Modbus_Read->OnComboChange = [this](QObject* s, int c, int r, int i, const QString& t) {
        ComboChange(s, c, r, i, t);
    };
}

QString TModbusAccessForm::Get_Topic_From_Index(int Index) const {
    return modbus::topicFromIndex(List_Publish_Topic, Index);
}

int TModbusAccessForm::Get_Index_From_Topic(const QString& Topic, int Index) const {
    return modbus::indexFromTopic(List_Publish_Topic, Topic, Index);
}

void TModbusAccessForm::ComboChange(QObject* Sender, int ACol, int ARow, int AItemIndex, const QString& ASelection) {
    if (Sender != CG_Modbus_Read || ACol != columns_.readTopic || ARow < 1 || ARow >= CG_Modbus_Read->RowCount())
        return;
    CG_Modbus_Read->SetCells(itemColumn_, ARow, AItemIndex >= 0 ? QString::number(AItemIndex) : QString());
}

int TModbusAccessForm::ComboItem_Topic(int ARow) const {
    if (ARow < 1 || ARow >= CG_Modbus_Read->RowCount()) return -1;
    return accesslist::listNumber(CG_Modbus_Read->Cells(itemColumn_, ARow), accesslist::NumberRule::Decimal);
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
    if (!plat::fileExists(g_MQTTSetTopicFile)) return;
    const QString fileName = QFileInfo(g_MQTTSetTopicFile).fileName();
    QString readError;
    const std::optional<QByteArray> bytes = plat::readFile(g_MQTTSetTopicFile, &readError);
    if (!bytes) {
        plat::dialogs().error(QStringLiteral("Error in \"%1\": %2").arg(fileName, readError));
        return;
    }
    // A damaged topic file is reported, and the list shows what could be read: the grids have been
    // reset, so no edit of an earlier showing survives into this one.
    const modbus::PublishTopics read = modbus::readPublishTopics(*bytes, fileName);
    for (int i = 0; i < read.topics.size(); ++i)
        List_Publish_Topic << (columns_.numberedTopics ? QString::number(i + 1) + QStringLiteral(" - ") + read.topics[i]
                                                       : read.topics[i]);
    topicItem.SetComboItems(List_Publish_Topic);
    if (!read.error.isEmpty()) plat::dialogs().error(read.error);
}

void TModbusAccessForm::Loaded_Rows(std::vector<accesslist::Rows>& sections) {
    if (sections.empty()) return;
    // The file keeps the topic's position; the cell shows the topic now at that position.
    for (accesslist::Row& row : sections[0]) {
        const int index = accesslist::listNumber(row.value(columns_.readTopic), accesslist::NumberRule::House);
        while (row.size() <= itemColumn_) row.append(QString());
        row[columns_.readTopic] = Get_Topic_From_Index(index);
        row[itemColumn_] = index >= 0 && index < List_Publish_Topic.size() ? QString::number(index) : QString();
    }
}

void TModbusAccessForm::Saving_Rows(std::vector<accesslist::Rows>& sections) const {
    if (sections.empty()) return;
    for (accesslist::Row& row : sections[0]) {
        if (row.size() <= columns_.readTopic) continue;
        const int item = accesslist::listNumber(row.value(itemColumn_), accesslist::NumberRule::Decimal);
        row[columns_.readTopic] = QString::number(Get_Index_From_Topic(row[columns_.readTopic], item));
    }
}

std::vector<accesslist::SectionRules> TModbusAccessForm::Rules() const {
    std::vector<accesslist::SectionRules> rules = rules_(NByte_IN, NByte_OUT);
    // Write rules the user cannot see are written back as they were read.
    if (rules.size() > 1) rules[1].hidden = !PageControl1->isTabVisible(1);
    return rules;
}
