#pragma once
// The CAN transmit list: for each frame the gateway sends, the exchange-area position that fills
// each of its data bytes and what sends it: a change of those bytes, a command, a timer. Kept in
// "CAN_Send_Frames.xml".
#include "fieldbus/CANLists.h"

class TFTransmitCAN : public TCANFrameForm {
    Q_OBJECT
public:
    explicit TFTransmitCAN(QWidget* parent = nullptr);

    // 1: each row's type cell says whether its identifier has 11 or 29 bits (the only way this
    // list works; a file row without a type is read as 11-bit). Set at every showing.
    int Hard_Type = 1;
    QStringList& Hint_TransmitCAN = Hints[0];
    TExColumnGrid* CG_CAN_Transmit;

protected:
    void Prepare_Show() override;
};

inline TFTransmitCAN* FTransmitCAN = nullptr;
