#pragma once
// The SNMP agent's object lists: the read list (values the gateway publishes from its input area
// and may send as traps) and the write list (values a manager may set into its output area), each
// object with its community, type, place in the data area and the description that names it in the
// MIB. Column 0 shows each object's index among the enabled rows, the index the MIB gives it.
// Kept in "SNMP_Trap.xml".
#include "shell/AccessListForm.h"

class TFSNMP_Trap_Access : public TAccessListForm {
    Q_OBJECT
public:
    explicit TFSNMP_Trap_Access(QWidget* parent = nullptr);

    // A check box of either grid was clicked: a click in the Enable column renumbers the objects.
    void CG_SNMP_ReadCheckBoxClick(QObject* Sender, int ACol, int ARow, bool State);
    // Column 0 of both grids: 1, 2, ... over the enabled rows, empty for the others.
    void Rebuild_Index();

    int NByte_IN = 1440;
    int NByte_OUT = 1440;
    QStringList& Hint_SNMP_Read = Hints[0];
    QStringList& Hint_SNMP_Write = Hints[1];
    bool& Do_Copy_In_Read = Do_Copy[0];
    bool& Do_Copy_In_Write = Do_Copy[1];
    // The descriptions the last validation checked.
    mutable QStringList SL_Check_Desc;
    QWidget* TS_SNMP_Read;
    QWidget* TS_SNMP_Write;
    TExColumnGrid* CG_SNMP_Read;
    TExColumnGrid* CG_SNMP_Write;

protected:
    void FormShow() override;
    void Prepare_Show() override;
    std::vector<accesslist::SectionRules> Rules() const override;
};

inline TFSNMP_Trap_Access* FSNMP_Trap_Access = nullptr;
