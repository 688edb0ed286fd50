#include "mbus/UInsertKeyWireless.h"

#include "controls/FadeButton.h"
#include "controls/TextCase.h"
#include "platform/Guard.h"
#include "platform/UserDialogs.h"
#include "shell/ULanguage.h"

#include <QLabel>
#include <QLineEdit>
#include <algorithm>

namespace {

constexpr int kClientWidth = 481;
constexpr int kClientHeight = 47;
constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kButtonWidth = 56;
constexpr int kButtonHeight = 27;
constexpr int kEditHeight = 22;

}  // namespace

TFInsertKeyWireless::TFInsertKeyWireless(QWidget* parent) : plat::TForm(parent) {
    setObjectName(QStringLiteral("FInsertKeyWireless"));
    SetClientSize(kClientWidth, kClientHeight);

    L_InsKey = new QLabel(this);
    L_InsKey->setObjectName(QStringLiteral("L_InsKey"));
    E_Key = new QLineEdit(this);
    E_Key->setObjectName(QStringLiteral("E_Key"));
    E_Key->setMaxLength(kKeyDigits);
    Btn_OK = NewHouseButton(this);
    Btn_OK->setObjectName(QStringLiteral("Btn_OK"));
    Btn_Cancel = NewHouseButton(this);
    Btn_Cancel->setObjectName(QStringLiteral("Btn_Cancel"));

    // Letters become capitals however they arrive (typed or pasted), the cursor staying where it was.
    plat::onSignal(E_Key, &QLineEdit::textChanged, this, [this](const QString& text) {
        const QString upper = textcase::charUpper(text);
        if (upper == text) return;
        const int cursor = E_Key->cursorPosition();
        E_Key->setText(upper);
        E_Key->setCursorPosition(cursor);
    });
    plat::onSignal(Btn_OK, &TFadeButton::clicked, this, [this]() { Btn_OKClick(); });
    plat::onSignal(Btn_Cancel, &TFadeButton::clicked, this, [this]() { SetModalResult(plat::mrCancel); });
    // One box: Enter confirms and Esc cancels.
    SetDefaultButton(Btn_OK);
    SetCancelOnEscape(true);
    Set_Lang();
}

void TFInsertKeyWireless::Set_Lang() {
    L_InsKey->setText(Text_Table[3000]);
    Btn_OK->SetCaption(Text_Table[3001]);
    Btn_Cancel->SetCaption(Text_Table[3002]);
    layoutRow();
}

// Label, box and buttons on one row; the box takes what the label of the language leaves.
void TFInsertKeyWireless::layoutRow() {
    const int labelWidth = L_InsKey->sizeHint().width();
    const int buttonsLeft = kClientWidth - kMargin - 2 * kButtonWidth - kGap;
    const int editLeft = kMargin + labelWidth + kGap;
    L_InsKey->setGeometry(kMargin, (kClientHeight - kEditHeight) / 2, labelWidth, kEditHeight);
    E_Key->setGeometry(editLeft, (kClientHeight - kEditHeight) / 2, std::max(buttonsLeft - kGap - editLeft, 0),
                       kEditHeight);
    const int top = (kClientHeight - kButtonHeight) / 2;
    Btn_OK->setGeometry(buttonsLeft, top, kButtonWidth, kButtonHeight);
    Btn_Cancel->setGeometry(buttonsLeft + kButtonWidth + kGap, top, kButtonWidth, kButtonHeight);
}

void TFInsertKeyWireless::FormShow() { E_Key->setFocus(); }

bool TFInsertKeyWireless::Check_Data(const QString& key) {
    const bool hex = std::all_of(key.begin(), key.end(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F');
    });
    if (!hex) plat::dialogs().error(Text_Table[3003]);
    return hex;
}

void TFInsertKeyWireless::Btn_OKClick() {
    const QString key = E_Key->text();
    if (key.size() != kKeyDigits) {
        plat::dialogs().error(Text_Table[3004]);
        return;
    }
    if (!Check_Data(key)) return;
    SetModalResult(plat::mrOk);
}
