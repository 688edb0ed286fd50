#pragma once
// The CANopen SDO client list: the objects the gateway reads from other devices periodically (read
// page) and the objects it writes, periodically or on change (write page), with the exchange-area
// position of each data byte. Kept in "SDO_Client_CANopen.xml".
#include "shell/AccessListForm.h"

class TFSet_SDO_Client_Access : public TAccessListForm {
    Q_OBJECT
public:
    explicit TFSet_SDO_Client_Access(QWidget* parent = nullptr);

    void Delete_Row(int Row, TExColumnGrid& Grid) override;

    int PROFINET_NByte_IN = 1440;
    int PROFINET_NByte_OUT = 1440;
    QStringList& Hint_SDO_Client_Read = Hints[0];
    QStringList& Hint_SDO_Client_Write = Hints[1];
    bool& Do_Copy_SDO_Read = Do_Copy[0];
    bool& Do_Copy_SDO_Write = Do_Copy[1];
    QWidget* TS_SDO_Read;
    QWidget* TS_SDO_Write;
    TExColumnGrid* sga;
    TExColumnGrid* sgb;

protected:
    void Prepare_Show() override;
    std::vector<accesslist::SectionRules> Rules() const override;
};

inline TFSet_SDO_Client_Access* FSet_SDO_Client_Access = nullptr;
