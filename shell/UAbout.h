#pragma once
// The information window: the software's name, description, code, version and manual code, with
// links to the maker's home page. Its texts are fixed English; a language change leaves it alone.
#include "platform/Form.h"

#include <QPixmap>

class QLabel;
class TFadeButton;

// The maker's home page, asked for from this software.
QString Home_Page_Address();

// The logo the window shows, drawn by the program itself.
QPixmap Maker_Logo(int size);

class TFAbout : public plat::TForm {
    Q_OBJECT
public:
    explicit TFAbout(QWidget* parent = nullptr);
    ~TFAbout() override;

    void Label4Click();

    QLabel* Image2;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label6;
    QLabel* Label9;
    QLabel* Label3;
    QLabel* Label10;
    QLabel* Label8;
    QLabel* Label12;
    QLabel* Label4;
    TFadeButton* FadeButton1;

protected:
    void FormShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

inline TFAbout* FAbout = nullptr;
