#pragma once
// What the MQTT access list needs of the gateway's topic and template editor. The program start
// connects the editor, so the field-bus lists do not depend on the gateway's windows.
#include <QString>

class TTopicTemplateLink {
public:
    virtual ~TTopicTemplateLink() = default;
    // 1: the editor edits a template; 0: a topic. Its caption and description follow.
    virtual void Set_TopicTemplate(int mode) = 0;
    // The editor's text; line breaks come back as CR LF.
    virtual void Set_Text(const QString& text) = 0;
    virtual QString Text() const = 0;
    // Shows the editor modally: 1 when closed with OK, 2 with Cancel.
    virtual int ShowModal() = 0;
};
