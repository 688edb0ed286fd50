#pragma once
// The MQTT access list: which bytes of the exchange area, read as which data type, feed each MQTT
// publish topic through which template, and where the value of each subscribed topic is written.
// Two pages of rules tied to the topics of the gateway's MQTT topic table; kept in
// "MQTT_Set_Access.xml". It keeps the texts of the language active when it was created.
#include "fieldbus/TopicColumn.h"
#include "fieldbus/TopicTemplateLink.h"
#include "shell/AccessListForm.h"

#include <memory>

class TFMQTT_Set_Access : public TAccessListForm {
    Q_OBJECT
public:
    explicit TFMQTT_Set_Access(QWidget* parent = nullptr);
    ~TFMQTT_Set_Access() override;

    // A click in column 0 selects nothing here.
    void ClickCell(QObject* Sender, int ARow, int ACol) override {}
    // The column sizing, then on a table cell of the Template column the template editor.
    void DblClickCell(QObject* Sender, int ARow, int ACol) override;
    // A topic chosen in either grid: the row remembers which entry it was.
    void ComboChange(QObject* Sender, int ACol, int ARow, int AItemIndex, const QString& ASelection);
    // Edits the template of table row ARow, column ACol of Grid in the template editor; the cell
    // takes the editor's text, line breaks included, when it is closed with OK.
    void Show_Form_Topic(TExColumnGrid& Grid, int ARow, int ACol);

    // Entry Index of the topic list, empty out of range.
    QString Topic_Pub_from_Index_to_String(int Index) const;
    QString Topic_Sub_from_Index_to_String(int Index) const;
    // The first entry that reads Topic exactly, -1 when none.
    int Topic_Pub_from_String_to_Index(const QString& Topic) const;
    int Topic_Sub_from_String_to_Index(const QString& Topic) const;
    // The topic entry row ARow of page `page` was loaded with or last chose, -1 when none.
    int Topic_Item(int page, int ARow) const;

    // The program start connects the gateway's template editor; without one the double-click only
    // sizes the column.
    void Set_Template_Editor(std::unique_ptr<TTopicTemplateLink> editor);

    QStringList Topic_Pub;  // the publish topic column's items, in the order of the topic table
    QStringList Topic_Sub;
    bool& Do_Copy_Pub = Do_Copy[0];
    bool& Do_Copy_Sub = Do_Copy[1];
    QStringList& Hint_MQTT_Set_Access_Pub = Hints[0];
    QStringList& Hint_MQTT_Set_Access_Sub = Hints[1];
    QWidget* TS_MQTT_Publish;
    QWidget* TS_MQTT_Subscribe;
    TExColumnGrid* CG_Pub;
    TExColumnGrid* CG_Sub;

protected:
    void Prepare_Show() override;
    void Loaded_Rows(std::vector<accesslist::Rows>& sections) override;
    void Saving_Rows(std::vector<accesslist::Rows>& sections) const override;
    std::vector<accesslist::SectionRules> Rules() const override;

private:
    void readTopics();

    TTopicColumn pubTopic_;
    TTopicColumn subTopic_;
    std::unique_ptr<TTopicTemplateLink> editor_;
};

// A second MQTT access window laid out for Ethernet rules (an IP address and a data form per
// topic). It is created with the others and has no behaviour: no file, no handler, never
// relabelled or shown; it keeps the texts it was built with.
class TFMQTT_SetAccess_Eth : public plat::TForm {
    Q_OBJECT
public:
    explicit TFMQTT_SetAccess_Eth(QWidget* parent = nullptr);

    QWidget* P_Title;
    QWidget* P_Button;
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
};

inline TFMQTT_Set_Access* FMQTT_Set_Access = nullptr;
inline TFMQTT_SetAccess_Eth* FMQTT_SetAccess_Eth = nullptr;
