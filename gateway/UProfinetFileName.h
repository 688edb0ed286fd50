#pragma once
// The name dialog of the PROFINET device description: a fixed first part, the user's part and a
// fixed last part carrying the date of the program's start.
#include "platform/Form.h"

#include <QDate>
#include <QString>

class QLabel;
class QLineEdit;
class TFadeButton;

class TFProfinetFileName : public plat::TForm {
    Q_OBJECT
public:
    // `today` dates the fixed last part; it is taken once, when the window is created.
    explicit TFProfinetFileName(QWidget* parent = nullptr, QDate today = QDate::currentDate());

    void Set_Lang() override;

    // The composed file name, valid after the dialog closed with OK.
    QString Name_File_XML;

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* L_XML_Fix1;
    QLabel* L_XML_Fix2;
    QLineEdit* E_XML_User;
    TFadeButton* Btn_OK;
    TFadeButton* Btn_Cancel;

    void Btn_OKClick();

    // The name the three parts give; empty when the user's part cannot stand in a file name.
    static QString Compose_Name(const QString& fix1, const QString& user, const QString& fix2);

private:
    void FormCreate(QDate today);
};

// The one instance, created with the other windows at start-up.
extern TFProfinetFileName* FProfinetFileName;
