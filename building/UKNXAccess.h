#pragma once
// The KNX telegram list of the KNX gateway: for each rule the source and destination address, the
// service, priority and data format, when the telegram goes out, and where its data lies in the
// gateway's 1440-byte data area. Kept in "KNX_SetAccess.xml".
#include "shell/AccessListForm.h"

class TFKNXAccess : public TAccessListForm {
    Q_OBJECT
public:
    explicit TFKNXAccess(QWidget* parent = nullptr);

    int Max_Num_Byte = 1440;
    QStringList& Hint = Hints[0];
    bool& Do_Copy_In_Write = Do_Copy[0];
    bool& Do_Copy_In_Read = Do_Copy[1];  // the list has no read page: it stays false
    TExColumnGrid* CG_KNX_in_Write;

protected:
    void Prepare_Show() override;
    std::vector<accesslist::SectionRules> Rules() const override;
};

inline TFKNXAccess* FKNXAccess = nullptr;
