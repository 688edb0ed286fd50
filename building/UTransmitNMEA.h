#pragma once
// The NMEA 2000 transmit list: the parameter groups (PGNs) the gateway sends, with their priority,
// source, length and whether they go on request, on a change of their data or on a timer. Kept in
// "NMEA_Send_Frames.xml".
#include "shell/AccessListForm.h"

class TFTransmitNMEA : public TAccessListForm {
    Q_OBJECT
public:
    explicit TFTransmitNMEA(QWidget* parent = nullptr);

    int NUM_BYTE_OUT = 512;
    QStringList& Hint_TransmitNMEA = Hints[0];
    TExColumnGrid* sga;

protected:
    void Prepare_Show() override;
    std::vector<accesslist::SectionRules> Rules() const override;
};

inline TFTransmitNMEA* FTransmitNMEA = nullptr;
