#pragma once
// The key of an encrypted wireless meter: 32 hexadecimal digits typed in capitals. The dialog only
// checks what was typed and keeps it for the next showing; the caller reads E_Key after OK.
#include "platform/Form.h"

class QLabel;
class QLineEdit;
class TFadeButton;

class TFInsertKeyWireless : public plat::TForm {
    Q_OBJECT
public:
    static constexpr int kKeyDigits = 32;

    explicit TFInsertKeyWireless(QWidget* parent = nullptr);
    void Set_Lang() override;

    // OK: closes with OK only for 32 hexadecimal digits.
    void Btn_OKClick();
    // True when every character is "0".."9" or "A".."F"; otherwise shows why and answers false.
    bool Check_Data(const QString& key);

    QLabel* L_InsKey;
    QLineEdit* E_Key;
    TFadeButton* Btn_OK;
    TFadeButton* Btn_Cancel;

protected:
    void FormShow() override;

private:
    void layoutRow();
};

inline TFInsertKeyWireless* FInsertKeyWireless = nullptr;
