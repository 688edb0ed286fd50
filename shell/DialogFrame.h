#pragma once
// The frame the small dialogs share: the title panel with the software code and the dialog's
// description, and the bottom panel with OK and Cancel.
#include "controls/FadeButton.h"

namespace plat {
class TForm;
}

struct DialogFrame {
    TFadeButton* ok;
    TFadeButton* cancel;
};

// Lays out a title panel `titleHeight` high and a 40-pixel button panel holding two 110 x 28
// buttons; call after the client size is set.
DialogFrame Build_Dialog_Frame(plat::TForm* form, int titleHeight);
