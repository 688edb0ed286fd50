#pragma once
// The CANopen SDO server list: the objects of the gateway's own dictionary, in the manufacturer area
// 0x2000 to 0x5FFF, that a master may read ("SDO in Read") or write ("SDO in Write"), each bound to
// exchange-area bytes. Kept in "SDO_Server_CANopen.xml"; the EDS file is written from it.
#include "shell/AccessListForm.h"

class TFSet_SDO_Server_Access : public TAccessListForm {
    Q_OBJECT
public:
    explicit TFSet_SDO_Server_Access(QWidget* parent = nullptr);

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

inline TFSet_SDO_Server_Access* FSet_SDO_Server_Access = nullptr;
