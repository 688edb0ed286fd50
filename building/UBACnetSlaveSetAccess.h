#pragma once
// The BACnet server objects: the objects BACnet clients read from the gateway's input area (page
// "BACnet in Read") and those they write into its output area (page "BACnet in Write"), each with
// its type, engineering unit, place in the area and name. Kept in "BACnet_Slave_SetAccess.xml",
// which the EDE export reads.
#include "shell/AccessListForm.h"

class TFBACnet_Eng_Unit;

class TFBACnetSlaveSetAccess : public TAccessListForm {
    Q_OBJECT
public:
    explicit TFBACnetSlaveSetAccess(QWidget* parent = nullptr);

    // Column 2 opens the unit picker; every double-click then sizes the column.
    void CG_BACnet_in_ReadDblClickCell(QObject* Sender, int ARow, int ACol);
    void CG_BACnet_in_WriteDblClickCell(QObject* Sender, int ARow, int ACol);
    // A type chosen on the write page presets its Length.
    void CG_BACnet_in_WriteComboChange(QObject* Sender, int ACol, int ARow, int ItemIndex, const QString& ASelection);
    void DblClickCell(QObject* Sender, int ARow, int ACol) override;
    void GridHint(QObject* Sender, int ARow, int ACol, QString& hint) override;

    // The picker the Eng. Unit cells open: the program's one unless a caller sets another.
    TFBACnet_Eng_Unit* Unit_Picker = nullptr;

    bool Desc_Lenght = false;
    bool& Do_Copy_Read = Do_Copy[0];
    bool& Do_Copy_Write = Do_Copy[1];
    int NByte_IN = 1440;
    int NByte_OUT = 1440;
    QWidget* TS_BACnet_in_Read;
    QWidget* TS_BACnet_in_Write;
    TExColumnGrid* CG_BACnet_in_Read;
    TExColumnGrid* CG_BACnet_in_Write;

protected:
    void Prepare_Show() override;
    std::vector<accesslist::SectionRules> Rules() const override;

private:
    void pickUnit(TExColumnGrid& grid, int row);
};

inline TFBACnetSlaveSetAccess* FBACnetSlaveSetAccess = nullptr;
