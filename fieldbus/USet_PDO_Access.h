#pragma once
// The CANopen PDO list: up to 30 receive and 30 transmit process data objects, each with its
// COB-ID, its length, the exchange-area position of every data byte and a timeout (receive) or a
// send period and an on-change flag (transmit). Kept in "PDO_CANopen.xml".
#include "shell/AccessListForm.h"

class TFSet_PDO_Access : public TAccessListForm {
    Q_OBJECT
public:
    explicit TFSet_PDO_Access(QWidget* parent = nullptr);

    // Rows below move up over columns 1 to ColCount - 1; the last row is emptied.
    void Delete_Row(int Row, TExColumnGrid& Grid) override;

    int PROFINET_NByte_IN = 1440;
    int PROFINET_NByte_OUT = 1440;
    QStringList& Hint_PDO_Receive = Hints[0];
    QStringList& Hint_PDO_Transmit = Hints[1];
    bool& Do_Copy_Receive_PDO = Do_Copy[0];
    bool& Do_Copy_Transmit_PDO = Do_Copy[1];
    QWidget* TS_Receive_PDO;
    QWidget* TS_Transmit_PDO;
    TExColumnGrid* sga;
    TExColumnGrid* sgb;

protected:
    void Prepare_Show() override;
    std::vector<accesslist::SectionRules> Rules() const override;
};

inline TFSet_PDO_Access* FSet_PDO_Access = nullptr;
