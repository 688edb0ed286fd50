#pragma once
// The J1939 receive list: the parameter groups the gateway takes from the bus (data page, PGN,
// source address), the bytes it captures from each (through the transport protocol for longer
// groups), whether it clears them when they are not refreshed and whether and how often it asks
// for the group. The captured bytes fill the exchange area in row order. Kept in
// "J1939_Rec_Frames.xml".
#include "shell/AccessListForm.h"

class TFReceiveJ1939 : public TAccessListForm {
    Q_OBJECT
public:
    explicit TFReceiveJ1939(QWidget* parent = nullptr);

    int NUM_BYTE_IN = 1440;
    QStringList& Hint_ReceiveJ1939 = Hints[0];
    TExColumnGrid* sga;

protected:
    void Prepare_Show() override;
    std::vector<accesslist::SectionRules> Rules() const override;
};

inline TFReceiveJ1939* FReceiveJ1939 = nullptr;
