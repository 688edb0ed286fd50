#pragma once
// The DeviceNet network list: the slaves the gateway polls, each with its node ID, the number of
// input and output bytes it exchanges and a mnemonic. Kept in "DNETM_Net.xml"; the offset editor
// reads it to list the slaves.
#include "shell/AccessListForm.h"

class TFDNet : public TAccessListForm {
    Q_OBJECT
public:
    explicit TFDNet(QWidget* parent = nullptr);

    QStringList& Hint_DeviceNet = Hints[0];
    TExColumnGrid* SG;

protected:
    std::vector<accesslist::SectionRules> Rules() const override;
};

inline TFDNet* FDNet = nullptr;
