#pragma once
// The MQTT topic tables of the project: what the gateway publishes and what it subscribes to, each
// row naming a topic and the slice of the gateway's internal data array it carries. Kept in
// "MQTT_Set_Topic.xml"; the slices are bounded by the PROFINET data areas of "ParGen.xml".
#include "platform/Form.h"
#include "platform/XmlDoc.h"

#include <QChar>
#include <QString>
#include <QStringList>

class QCheckBox;
class QKeyEvent;
class QObject;
class TFadeButton;
class QTabWidget;
class QWidget;
class TExColumnGrid;

class TFMQTT_Set_Topic : public plat::TForm {
    Q_OBJECT
public:
    explicit TFMQTT_Set_Topic(QWidget* parent = nullptr);
    void Set_Lang() override;

    bool Controllo_dati();
    // True when the text holds an odd number of "$" (an unclosed keyword).
    static bool Error_In_Topic_Template(const QString& text);

    void Btn_OKClick();
    void Btn_DelRowClick();
    void Btn_InsRowClick();
    void Btn_CopyRowClick();
    void Btn_PasteRowClick();

    void CG_MQTT_DblClickCell(QObject* Sender, int ARow, int ACol);
    void CG_MQTT_GridHint(QObject* Sender, int ARow, int ACol, QString& hint);
    void CG_MQTT_KeyPress(QObject* Sender, QChar& Key);
    void Show_Form_Topic(TExColumnGrid& grid, int row, int col);

    int Working_Mode = 1;
    int Byte_IN = 1438;
    int Byte_OUT = 1438;
    bool Do_Copy_Pub = false;
    bool Do_Copy_Sub = false;
    QStringList Hint_MQTT_Set_Topic_Pub;
    QStringList Hint_MQTT_Set_Topic_Sub;

    QTabWidget* PageControl1;
    QWidget* TS_MQTT_Publish;
    QWidget* TS_MQTT_Subscribe;
    TExColumnGrid* CG_Pub;
    TExColumnGrid* CG_Sub;
    TFadeButton* Btn_OK;
    TFadeButton* Btn_Cancel;
    TFadeButton* Btn_DelRow;
    TFadeButton* Btn_InsRow;
    TFadeButton* Btn_CopyRow;
    TFadeButton* Btn_PasteRow;
    QCheckBox* CB_Allow_CR_LF;
    plat::XmlDocument XML1;

protected:
    void FormShow() override;

private:
    TExColumnGrid& activeGrid() const;
    void readByteSizes();
    void prepareGrids();
    void loadFile();
    bool checkTable(const TExColumnGrid& grid, bool publish);
    bool saveFile();

    // The file could not be read when the window opened: what OK writes would replace it.
    bool loadFailed_ = false;
};

inline TFMQTT_Set_Topic* FMQTT_Set_Topic = nullptr;
