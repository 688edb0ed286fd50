#include "fieldbus/TopicColumn.h"

#include "fieldbus/MQTTTopicTable.h"
#include "grid/ExCGrid.h"
#include "platform/Files.h"
#include "platform/UserDialogs.h"
#include "platform/XmlDoc.h"
#include "shell/UComon.h"

#include <QFileInfo>

TTopicColumn::TTopicColumn(TExColumnGrid& grid, int column, const QStringList& topics,
                           const accesslist::Section& section)
    : grid_(grid), column_(column), itemColumn_(grid.TotalColCount()), topics_(topics), section_(section) {
    TGridColumnItem& item = grid.Columns().Add();
    item.SetEditor(edNormal);
    item.ReadOnly = true;
    grid.HideColumn(itemColumn_);
}

int TTopicColumn::Item(int row) const {
    if (row < 1 || row >= grid_.RowCount()) return -1;
    return accesslist::listNumber(grid_.Cells(itemColumn_, row), accesslist::NumberRule::Decimal);
}

void TTopicColumn::Choose(int row, int item) {
    if (row < 1 || row >= grid_.RowCount()) return;
    grid_.SetCells(itemColumn_, row, item >= 0 ? QString::number(item) : QString());
}

void TTopicColumn::Loaded(accesslist::Rows& rows) const {
    for (accesslist::Row& row : rows) {
        while (row.size() <= itemColumn_) row.append(QString());
        const int index = accesslist::listNumber(row[column_], accesslist::NumberRule::House);
        row[column_] = mqtttopics::topicFromIndex(topics_, index);
        row[itemColumn_] = index >= 0 && index < topics_.size() ? QString::number(index) : QString();
    }
}

void TTopicColumn::Saving(accesslist::Rows& rows) const {
    const int end = accesslist::rowListLength(section_, rows);
    for (int r = 0; r < end; ++r) {
        accesslist::Row& row = rows[size_t(r)];
        if (row.size() <= column_) continue;
        const int item = accesslist::listNumber(row.value(itemColumn_), accesslist::NumberRule::Decimal);
        row[column_] = QString::number(mqtttopics::indexFromTopic(topics_, row[column_], item));
    }
}

bool Load_Topic_File(plat::XmlDocument& doc, QString& fileName) {
    doc.clear();
    if (!plat::fileExists(g_MQTTSetTopicFile)) return false;
    fileName = QFileInfo(g_MQTTSetTopicFile).fileName();
    QString error;
    const std::optional<QByteArray> bytes = plat::readFile(g_MQTTSetTopicFile, &error);
    if (bytes && doc.loadBytes(*bytes, &error)) return true;
    plat::dialogs().error(QStringLiteral("Error in \"%1\": %2").arg(fileName, error));
    return false;
}
