#pragma once
// The open-project dialog: lists the project folders and lets the user pick one.
#include "platform/Form.h"

#include <QStringList>

class QLabel;
class QListWidget;
class TFadeButton;

class TFOpenConf : public plat::TForm {
    Q_OBJECT
public:
    explicit TFOpenConf(QWidget* parent = nullptr);
    void Set_Lang() override;
    void Load_Existing_Configuration();
    int Search_Open_Conf(const QString& name) const;

    QLabel* Label1;
    QListWidget* ListBox1;
    TFadeButton* Btn_OK;
    TFadeButton* Btn_Cancel;
    QStringList SL;
    QString Name_Conf;

protected:
    void FormShow() override;
    void resizeEvent(QResizeEvent* event) override;
};

inline TFOpenConf* FOpenConf = nullptr;
