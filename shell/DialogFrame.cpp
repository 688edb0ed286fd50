#include "shell/DialogFrame.h"

#include "platform/Form.h"
#include "shell/UComon.h"

#include <QLabel>

DialogFrame Build_Dialog_Frame(plat::TForm* form, int titleHeight) {
    form->SetTitleHeight(titleHeight);
    form->L_SW_Code()->setText(g_SWCode);
    auto* panel = new QWidget(form);
    panel->setObjectName(QStringLiteral("P_Buttons"));
    panel->setGeometry(0, form->ClientHeight() - 40, form->ClientWidth(), 40);
    DialogFrame f;
    f.ok = NewHouseButton(panel);
    f.ok->setObjectName(QStringLiteral("Btn_OK"));
    f.cancel = NewHouseButton(panel);
    f.cancel->setObjectName(QStringLiteral("Btn_Cancel"));
    const int w = form->ClientWidth();
    f.ok->setGeometry(w / 2 - 116, 6, 110, 28);
    f.cancel->setGeometry(w / 2 + 6, 6, 110, 28);
    return f;
}
