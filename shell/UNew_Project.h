#pragma once
// The new-project dialog: asks for a name and creates the project folder with its "bin" folder.
#include "platform/Form.h"

class QLabel;
class QLineEdit;
class TFadeButton;

class TFNew_Project : public plat::TForm {
    Q_OBJECT
public:
    explicit TFNew_Project(QWidget* parent = nullptr);
    void Set_Lang() override;
    void Btn_OKClick();

    QLabel* Label1;
    QLineEdit* E_New_Proj;
    TFadeButton* Btn_OK;
    TFadeButton* Btn_Cancel;

protected:
    void FormShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

inline TFNew_Project* FNew_Project = nullptr;

// Whether a name can be a project folder: one folder level inside the projects folder, no
// separators, no control characters, not "." or "..".
bool Is_Valid_Project_Name(const QString& name);
