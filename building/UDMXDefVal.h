#pragma once
// The DMX default values: the value each channel of the DMX gateway takes until it is driven, with a
// free description, one row per channel of the project's channel count. Kept in
// "DMX_Default_Values.xml"; OK and Cancel only, every row stored.
#include "shell/AccessListForm.h"

class TFDMXDefVal : public TAccessListForm {
    Q_OBJECT
public:
    explicit TFDMXDefVal(QWidget* parent = nullptr);

    // The channel count of the last showing, from "ParGen.xml".
    int Num_Channels = 512;
    QStringList& Hint = Hints[0];
    TExColumnGrid* CG_DMX_Def_Val;

protected:
    void Prepare_Show() override;
    std::vector<accesslist::SectionRules> Rules() const override;
};

inline TFDMXDefVal* FDMXDefVal = nullptr;
