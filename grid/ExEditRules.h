#pragma once
// The text editor's rules as plain functions over the editor's state: which typed character an
// editor kind takes, what a paste makes of the text, how a typed prefix completes from a look-up
// list, and how wide a combo's list must be. No widget: the editors call these and apply the result.
#include "controls/ExGridTypes.h"

#include <QChar>
#include <QString>
#include <QStringList>
#include <vector>

namespace exedit {

// The locale's separators the float kinds filter by.
struct TSeparators {
    QChar Decimal = u'.';
    QChar Thousand = u',';
};

enum class TCharVerdict : uint8_t {
    Pass,    // the edit takes Char (possibly case-converted)
    Beep,    // refused with the alert sound
    Silent,  // dropped without a sound
};

struct TCharResult {
    TCharVerdict Verdict = TCharVerdict::Pass;
    QChar Char;
    // The separator refusals and the float kind's "-" refusal skip the auto-advance check.
    bool SkipAutoAdvance = false;
    // The mixed-case kind puts the whole text into proper case after the character.
    bool ProperCaseAfter = false;
};

// The character filter of the editor kinds. Text is the editor text, SelStart/SelLength its
// selection (the caret is SelStart with nothing selected). ValidCharSet is the grid's set of valid
// characters, used by edValidChars when ValidChars is empty.
TCharResult FilterEditorChar(TEditorType Type, QChar C, const QString& Text, int SelStart, int SelLength,
                             bool CtrlHeld, TSeparators Sep, const QString& ValidChars, const QString& ValidCharSet);

struct TPasteResult {
    // Refused by the length limit: nothing changes and no event follows.
    bool Refused = false;
    // The editor kind's check took the new text; when false Text is the text before the paste.
    bool Accepted = false;
    QString Text;
    int SelStart = 0;
    int SelLength = 0;
};

// A paste of Pasted over the selection of Text. LengthLimit <= 0 means no limit. One CR LF that ends
// the pasted text is dropped (a cell copied from a table). The number kinds classify the new text
// with the locale's number rules; the selection is kept inside the resulting text.
TPasteResult ApplyPaste(const QString& Text, int SelStart, int SelLength, QString Pasted, int LengthLimit,
                        TEditorType Type, const QString& ValidChars);

struct TLookupResult {
    bool Completed = false;
    QString Text;
    int SelStart = 0;   // the completed tail is selected
    int SelLength = 0;
    int ItemIndex = -1;  // the winning item of Items
};

// The first item that starts with the text before the caret (case-insensitively unless asked)
// completes it: the user's own characters stay and at most 255 characters of the item follow. An
// empty prefix matches nothing.
TLookupResult CompleteLookup(const QString& Text, int Caret, const QStringList& Items, bool CaseSensitive);

inline constexpr int kMaxLookupTail = 255;

// The width of a combo's list: at least the combo's own; items wider than it widen it, with room for
// the scroll bar when there are more items than the list shows at once.
int DropDownWidthFor(int ComboWidth, const std::vector<int>& ItemWidths, int DropDownCount);

}  // namespace exedit
