#pragma once
// What the CAN receive and transmit lists share: one grid of frames in the root of their file,
// eight byte columns offering "None" and every position of the exchange area, and the rules of a
// frame's identifier, length and bytes.
#include "shell/AccessListForm.h"

class TCANFrameForm : public TAccessListForm {
    Q_OBJECT
public:
    // A click in column 0 selects nothing in these lists.
    void ClickCell(QObject* Sender, int ARow, int ACol) override {}

    int MAX_Byte = 1440;  // the exchange area's size, set at every showing

protected:
    using RulesOf = std::vector<accesslist::SectionRules> (*)(int maxByte);
    TCANFrameForm(const AccessListDef& def, int firstByteColumn, RulesOf rules, QWidget* parent);

    void Prepare_Show() override;
    std::vector<accesslist::SectionRules> Rules() const override;

private:
    int firstByte_;
    RulesOf rules_;
};
