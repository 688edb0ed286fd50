#pragma once
// "Set Communication": the gateway's communication parameters of the open project, kept in
// "ParGen.xml". The body is a scrolling stack of collapsible, numbered panels; the dialog reads the
// file when shown and writes it on OK.
#include "gateway/ParGenFile.h"
#include "platform/Form.h"

#include <QHash>
#include <QString>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWheelEvent;

namespace plat {
class TCategoryPanel;
class TCategoryPanelGroup;
}  // namespace plat

class TFParGen : public plat::TForm {
    Q_OBJECT
public:
    explicit TFParGen(QWidget* parent = nullptr);

    void Set_Lang() override;

    // OK: writes "ParGen.xml" and closes with the result OK.
    void Btn_OKClick();
    // The "..." button of a certificate box: copies the chosen file into the project's
    // "Certificates" folder and puts its bare name into the box.
    void Btn_OnCertificate(QPushButton* sender);

    // Number of IP addresses the device has on Wi-Fi, with the protocol of each.
    int Check_Device_IP_Address_WiFi(QString& str_Bus_IP1, QString& str_Bus_IP2) const;

    // The controls' values in the file's written form, and back.
    pargen::Values Values() const;
    void SetValues(const pargen::Values& values);

    // Controls and panels by their names ("E_Ethernet_IP1", "CP_MQTT", ...); nullptr when unknown.
    QWidget* Control(const QString& name) const { return controls_.value(name); }
    QLineEdit* Edit(const QString& name) const;
    QCheckBox* Check(const QString& name) const;
    QComboBox* Combo(const QString& name) const;
    QLabel* Label(const QString& name) const;
    plat::TCategoryPanel* Panel(const QString& name) const { return panels_.value(name); }

    plat::TCategoryPanelGroup* CPG = nullptr;
    QWidget* P_Button = nullptr;
    QPushButton* Btn_OK = nullptr;
    QPushButton* Btn_Cancel = nullptr;

protected:
    void FormShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Wheel over the panel stack scrolls it by the system's lines per notch.
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildPanels();
    void Order_TAB_Panels();
    void register_(QWidget* w, const QString& name);
    void KeyPress(QLineEdit* edit, QKeyEvent* event);
    void FormMouseWheel(QWheelEvent* event);

    QHash<QString, QWidget*> controls_;
    QHash<QString, plat::TCategoryPanel*> panels_;
    std::vector<QWidget*> bound_;               // control of each element, in file order
    QHash<QWidget*, QWidget*> dotSuccessor_;    // octet edit -> next edit of its chain (nullptr: end)
    QHash<QPushButton*, QLineEdit*> certBox_;  // "..." button -> its file-name box
};

inline TFParGen* FParGen = nullptr;
