#pragma once
// What the Modbus master and Modbus TCP master lists share: two pages of polling rules (read and
// write) over a 1500-byte exchange area, read rules tied to the gateway's MQTT publish topics. Both
// always run in the topic mode: the write page is not shown and the read rules' data-area columns
// are hidden; write rules are still loaded and written back.
#include "fieldbus/ModbusSchemas.h"
#include "fieldbus/TopicColumn.h"
#include "shell/AccessListForm.h"

namespace modbus::colours {
inline constexpr TColor kEnable = 11589887;    // light orange
inline constexpr TColor kIdentity = 16710368;  // pale cyan: server, slave, type and register range
inline constexpr TColor kTiming = 11075496;    // light green: timing and triggers
inline constexpr TColor kArea = 16045820;      // light pink: exchange-area position and bit
inline constexpr TColor kSwap = 11075583;      // light yellow
inline constexpr TColor kTopic = 16766421;     // light blue
}  // namespace modbus::colours

class TModbusAccessForm : public TAccessListForm {
    Q_OBJECT
public:
    // Entry Index of List_Publish_Topic, empty out of range.
    QString Get_Topic_From_Index(int Index) const;
    // Index when its entry still reads Topic, else the first entry that does; -1 when none.
    int Get_Index_From_Topic(const QString& Topic, int Index) const;
    // A topic chosen in the read grid: the row remembers which item it was.
    void ComboChange(QObject* Sender, int ACol, int ARow, int AItemIndex, const QString& ASelection);
    // The topic item read-grid row ARow was loaded with or last chose, -1 when none. It is kept in a
    // hidden column of its own, so it moves with the row through Delete, Insert, Copy and Paste.
    int ComboItem_Topic(int ARow) const;

    QStringList List_Publish_Topic;  // the topic column's items, in the order of the publish table
    int Working_Mode = 0;            // 0: topic mode, the only mode these lists run in
    int NByte_IN = modbus::kAreaBytes;
    int NByte_OUT = modbus::kAreaBytes;
    bool& Do_Copy_In_Read = Do_Copy[0];
    bool& Do_Copy_In_Write = Do_Copy[1];
    QStringList& Hint_Modbus_Set_Access_Read = Hints[0];
    QStringList& Hint_Modbus_Set_Access_Write = Hints[1];
    QWidget* TS_Modbus_Read;
    QWidget* TS_Modbus_Write;
    TExColumnGrid* CG_Modbus_Read;
    TExColumnGrid* CG_Modbus_Write;

protected:
    using RulesOf = std::vector<accesslist::SectionRules> (*)(int nbyteIn, int nbyteOut);
    TModbusAccessForm(const AccessListDef& def, const modbus::Columns& columns, RulesOf rules, QWidget* parent);

    void Prepare_Show() override;
    void Loaded_Rows(std::vector<accesslist::Rows>& sections) override;
    void Saving_Rows(std::vector<accesslist::Rows>& sections) const override;
    std::vector<accesslist::SectionRules> Rules() const override;

private:
    void readTopics();

    const modbus::Columns& columns_;
    RulesOf rules_;
    TTopicColumn topic_;  // the read grid's topic column
};
