#pragma once
// The J1939 transmit list: the parameter groups the gateway sends (priority, data page, PGN, source
// address, length) and what sends them: a request, a change of the data, a timer with its period.
// The sent bytes come from the exchange area in row order. Kept in "J1939_Send_Frames.xml".
#include "shell/AccessListForm.h"

class TFTransmitJ1939 : public TAccessListForm {
    Q_OBJECT
public:
    explicit TFTransmitJ1939(QWidget* parent = nullptr);

    int NUM_BYTE_OUT = 1440;
    QStringList& Hint_TransmitJ1939 = Hints[0];
    TExColumnGrid* sga;

protected:
    void Prepare_Show() override;
    std::vector<accesslist::SectionRules> Rules() const override;
};

inline TFTransmitJ1939* FTransmitJ1939 = nullptr;
