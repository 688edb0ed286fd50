#pragma once
// The editor of one topic or message template of an MQTT table: a text area that takes line
// breaks, which a grid cell cannot edit comfortably, over a list of keywords.
#include "platform/Form.h"

#include <QString>
#include <QStringList>

class QKeyEvent;
class QLabel;
class QPlainTextEdit;
class TFadeButton;
class QSplitter;
class QWidget;
class TExStringGrid;

class TFTopicTemplate : public plat::TForm {
    Q_OBJECT
public:
    explicit TFTopicTemplate(QWidget* parent = nullptr);
    void Set_Lang() override;

    // Set by the caller before showing.
    bool TopicTemplate = false;  // true: a template; false: a topic
    int Working_Mode = 1;
    int Pub_Sub = 0;             // 0 publication, 1 subscription

    // The text as the cells keep it: line breaks are CR LF whatever the caller put in.
    void Set_Text(const QString& text);
    QString Text() const;

    void Laod_Keywords();

    QPlainTextEdit* RE_TopicTemplate;
    QSplitter* Splitter1;
    QWidget* P_Legend;
    QLabel* L_List_Keywords;
    // The keyword in column 1 and its description in column 2: the grid's column 0 is its fixed
    // column, hidden here.
    TExStringGrid* SG_Keywords;
    TFadeButton* Btn_OK;
    TFadeButton* Btn_Cancel;

protected:
    void FormShow() override;

private:
    void applyCaption();
};

inline TFTopicTemplate* FTopicTemplate = nullptr;
