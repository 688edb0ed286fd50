#pragma once
// The NMEA 2000 receive list: the parameter groups (PGNs) the gateway takes from the bus, from
// which source, by which protocol, and which of their bytes it keeps. Kept in "NMEA_Rec_Frames.xml".
#include "shell/AccessListForm.h"

class TFReceiveNMEA : public TAccessListForm {
    Q_OBJECT
public:
    explicit TFReceiveNMEA(QWidget* parent = nullptr);

    int NUM_BYTE_IN = 512;
    QStringList& Hint_ReceiveNMEA = Hints[0];
    TExColumnGrid* sga;

protected:
    void Prepare_Show() override;
    std::vector<accesslist::SectionRules> Rules() const override;
};

inline TFReceiveNMEA* FReceiveNMEA = nullptr;
