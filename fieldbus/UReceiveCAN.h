#pragma once
// The CAN receive list: for each frame identifier the gateway takes from the bus, the position in
// the exchange area of each of its data bytes and the time after which its data count as stale.
// Kept in "CAN_Rec_Frames.xml".
#include "fieldbus/CANLists.h"

class TFReceiveCAN : public TCANFrameForm {
    Q_OBJECT
public:
    explicit TFReceiveCAN(QWidget* parent = nullptr);

    QStringList& Hint_ReceiveCAN = Hints[0];
    TExColumnGrid* CG_CAN_Receive;
};

inline TFReceiveCAN* FReceiveCAN = nullptr;
