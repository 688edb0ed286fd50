#include "building/UBACnet_Eng_Unit.h"

#include "controls/FadeButton.h"
#include "platform/Guard.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>

namespace {

QString text(int n) { return Text_Table.value(n); }

QFrame* separator(QWidget* parent, int top) {
    auto* f = new QFrame(parent);
    f->setFrameShape(QFrame::HLine);
    f->setFrameShadow(QFrame::Sunken);
    f->setGeometry(8, top, 532, 4);
    return f;
}

template <typename W>
W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

}  // namespace

TFBACnet_Eng_Unit::TFBACnet_Eng_Unit(QWidget* parent) : plat::TForm(parent) {
    setObjectName(QStringLiteral("FBACnet_Eng_Unit"));
    SetClientSize(548, 306);
    SetTitleHeight(kTitleHeight);
    L_SW_Code()->setText(g_SWCode);

    const int top = kTitleHeight;
    Label1 = named(new QLabel(this), "Label1");
    Label1->setGeometry(16, top + 10, 250, 21);
    E_Selected_EU = named(new QLineEdit(this), "E_Selected_EU");
    E_Selected_EU->setGeometry(270, top + 8, 70, 23);
    Label5 = named(new QLabel(this), "Label5");
    Label5->setGeometry(348, top + 10, 196, 21);
    separator(this, top + 40);
    Label2 = named(new QLabel(this), "Label2");
    Label2->setGeometry(16, top + 50, 400, 21);
    Label3 = named(new QLabel(this), "Label3");
    Label3->setGeometry(16, top + 78, 120, 21);
    CB_Select_Type = named(new QComboBox(this), "CB_Select_Type");
    CB_Select_Type->setGeometry(140, top + 76, 180, 23);
    for (int i = 0; i < bacnet::kCategoryCount; ++i)
        CB_Select_Type->addItem(QString::fromLatin1(bacnet::unitCategory(i).name));
    CB_Select_Type->setCurrentIndex(0);
    Label4 = named(new QLabel(this), "Label4");
    Label4->setGeometry(16, top + 108, 120, 21);
    CB_Select_Unit = named(new QComboBox(this), "CB_Select_Unit");
    CB_Select_Unit->setGeometry(140, top + 106, 300, 23);
    Btn_Select_Eng_Unit = named(NewHouseButton(this), "Btn_Select_Eng_Unit");
    Btn_Select_Eng_Unit->setGeometry(16, top + 140, 516, 30);
    separator(this, top + 180);

    P_Button = named(new QWidget(this), "P_Button");
    P_Button->setGeometry(0, 306 - 40, 548, 40);
    Btn_OK = named(NewHouseButton(QStringLiteral("OK"), P_Button, {110, 28, bsEncarta, plat::clYellow}), "Btn_OK");
    Btn_OK->setGeometry(16, 6, 110, 28);
    Btn_Cancel = named(NewHouseButton(QStringLiteral("Cancel"), P_Button), "Btn_Cancel");
    Btn_Cancel->setGeometry(134, 6, 110, 28);

    plat::onSignal(CB_Select_Type, &QComboBox::activated, this, [this](int) { CB_Select_TypeSelect(); });
    plat::onSignal(Btn_Select_Eng_Unit, &TFadeButton::clicked, this, [this]() { Btn_Select_Eng_UnitClick(); });
    plat::onSignal(Btn_OK, &TFadeButton::clicked, this, [this]() { SetModalResult(plat::mrOk); });
    plat::onSignal(Btn_Cancel, &TFadeButton::clicked, this, [this]() { SetModalResult(plat::mrCancel); });
    SetCancelButton(Btn_Cancel);  // Esc does what Cancel does
    Set_Lang();
}

void TFBACnet_Eng_Unit::Set_Lang() {
    setWindowTitle(text(4400));
    L_SW_Desc()->setText(text(4401));
    Btn_OK->SetCaption(text(4402));
    Btn_Cancel->SetCaption(text(4403));
    QLabel* labels[4] = {Label1, Label2, Label3, Label4};
    for (int i = 0; i < 4; ++i) labels[i]->setText(text(4404 + i));
    Btn_Select_Eng_Unit->SetCaption(text(4408));
}

void TFBACnet_Eng_Unit::FormShow() { CB_Select_TypeSelect(); }

void TFBACnet_Eng_Unit::CB_Select_TypeSelect() {
    CB_Select_Unit->clear();
    const int category = CB_Select_Type->currentIndex();
    if (category < 0 || category >= bacnet::kCategoryCount) return;
    const bacnet::UnitCategory& c = bacnet::unitCategory(category);
    for (size_t i = 0; i < c.count; ++i) CB_Select_Unit->addItem(bacnet::pickerUnitName(c.codes[i]));
    CB_Select_Unit->setCurrentIndex(0);
}

void TFBACnet_Eng_Unit::Btn_Select_Eng_UnitClick() {
    int code = 0;
    const int category = CB_Select_Type->currentIndex();
    const int unit = CB_Select_Unit->currentIndex();
    if (category >= 0 && category < bacnet::kCategoryCount && unit >= 0 &&
        size_t(unit) < bacnet::unitCategory(category).count)
        code = bacnet::unitCategory(category).codes[unit];
    E_Selected_EU->setText(QString::number(code));
    Label5->setText(QStringLiteral("-> ") + Desc_Unit(code));
}
