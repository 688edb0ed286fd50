#pragma once
// Routines over the text of mini-HTML strings, without drawing them: the plain text of a cell,
// highlighting found text, escaping for HTML and back, and reading and rewriting the form controls
// ("<CONTROL ...>" tags) a cell's text can hold. Plain functions without state; positions count from
// 1, 0 meaning "not found". Letter case is ignored by ASCII rules (a-z) where a routine ignores it.
#include <QString>

// Plain text: "<BR>" and "<HR>" in any case become CR LF, every other tag goes. A "<" without a ">"
// after it ends the stripping and stays with the rest of the text.
QString StripHTMLTags(const QString& Text);

// Wraps every occurrence of FindText outside tags in "<tag>" ... "</tag>". An empty FindText leaves
// the text as it is.
void InsertHighlightTags(const QString& Text, const QString& FindText, const QString& TagName, QString& Result,
                         bool CaseSensitive);
void RemoveHighlightTags(const QString& Text, const QString& TagName, QString& Result);
// The text as highlighting searches it: each "<" up to the first ">" of the rest goes; the walk stops
// at a "<" that has no ">" after it.
QString StripTagsForSearch(const QString& Text);
// 1-based position in Text just after its (n - 1)th character outside tags (1 for n = 1), before any
// tag that follows that character; 0 when Text has fewer such characters.
int VisibleToRawIndex(const QString& Text, int n);

// "&", the double quote, "<" and ">" as entities; with WithEntities also the accented letters and
// signs of the entity table. Unescaping reads exactly what escaping writes, so every text survives
// the round trip.
QString EscapeHTMLText(const QString& Text, bool WithEntities);
QString UnescapeHTMLText(const QString& Text, bool WithEntities);
QString SpacesToNbsp(const QString& Text);
QString MaskText(const QString& Text);

// ---- Form controls inside a cell's text ----
bool HasControlTag(const QString& Text);
// Attributes of one tag; each is cleared first and stays empty when absent. Type is upper-cased,
// Value and Prop are unescaped.
void ParseControlTag(const QString& Tag, QString& Type, QString& ID, QString& Value, QString& Width,
                     QString& Height, QString& Prop, QString& MaxLen);
// The next text-entry control after the one named AfterID (the first when AfterID is empty).
void NextEditControlID(const QString& Text, const QString& AfterID, QString& ID);
void ResetRadioControls(const QString& Text, QString& Result);
bool GetControlValue(const QString& Text, const QString& ID, QString& Value);
void GetControlProp(const QString& Text, const QString& ID, QString& Prop);
int GetControlMaxLen(const QString& Text, const QString& ID);
bool SetControlValue(QString& Text, const QString& ID, const QString& NewValue);

// ---- String routines shared with the renderer ----
int PosIgnoreCase(const QString& Sub, const QString& Text);
int FindPosOut(const QString& Sub, const QString& Text, int& Pos);
int FindPosUpper(const QString& Sub, const QString& Text, int& Pos);
bool ReplaceFirstIgnoreCase(QString& Text, const QString& Find, const QString& Replacement);
int IntOfText(const QString& Text);
QString UnwrapHashTags(const QString& Text);
QString CRToBRTags(const QString& Text, bool ToBR);
