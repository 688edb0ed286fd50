#pragma once
// The SNMP manager polling list: the requests the gateway, as an SNMP manager, sends to the agents
// on its network (address, version and credentials, object, kind of request, when it goes and where
// its bytes lie in the exchange area). Kept in "SNMP_Manager.xml".
#include "shell/AccessListForm.h"

class TFSNMPManagerAccess : public TAccessListForm {
    Q_OBJECT
public:
    explicit TFSNMPManagerAccess(QWidget* parent = nullptr);

    // This list selects no row from its number column.
    void ClickCell(QObject* Sender, int ARow, int ACol) override {}

    QStringList& Hint_SNMP = Hints[0];
    bool& Do_Copy_SNMP = Do_Copy[0];
    TExColumnGrid* CG_SNMP;

protected:
    void Prepare_Show() override;
    std::vector<accesslist::SectionRules> Rules() const override;
};

inline TFSNMPManagerAccess* FSNMPManagerAccess = nullptr;
