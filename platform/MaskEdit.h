#pragma once
// The masked edit every edit box of the program stands on: an owner-drawn text edit with the
// original's key entry points (KeyDown, KeyPress per character, KeyUp), a selection, a maximum
// length, read-only and auto-select, a formatting rectangle (the part of the control the text lives
// in, so a button or a unit can sit beside it as a child control), single or multi-line (a
// multi-line edit taller than one line wraps words; Enter never breaks a line) and an edit mask
// run by TEditMask (a masked text stays on one line). Paste and cut, from the keyboard and the context menu alike, go through virtual
// operations a descendant may refuse.
#include "platform/Controls.h"
#include "platform/EditMask.h"

#include <QString>

class QMenu;
class QTextLayout;

namespace plat {

class TCustomMaskEdit : public TCustomControl {
public:
    explicit TCustomMaskEdit(QWidget* parent = nullptr);
    ~TCustomMaskEdit() override;

    // The text the edit hands on: with a mask, as the mask's save field says.
    QString Text() const;
    void SetText(const QString& text);
    // The text as shown (with a mask: literals and blanks in place).
    const QString& EditText() const { return text_; }
    int SelStart() const { return std::min(anchor_, caret_); }
    void SetSelStart(int pos);
    int SelLength() const { return std::abs(caret_ - anchor_); }
    void SetSelLength(int length);
    QString SelText() const { return text_.mid(SelStart(), SelLength()); }
    void SelectAll();
    // The caret: the moving end of the selection.
    int CaretPos() const { return caret_; }
    void Select(int anchor, int caret);
    int MaxLength() const { return maxLength_; }  // 0: no limit
    void SetMaxLength(int length);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool on) { readOnly_ = on; }
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool on) { autoSelect_ = on; }
    bool Modified() const { return modified_; }
    void SetModified(bool on) { modified_ = on; }
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    // Not null: every character shows as this one, and nothing is copied or cut out of the text.
    QChar PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(QChar c);
    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool on);
    // Raises EEditMaskError for a mask that cannot be translated; the text is formatted anew.
    const QString& EditMask() const { return mask_.Source(); }
    void SetEditMask(const QString& mask);
    const TEditMask& Mask() const { return mask_; }

    // The text area in client pixels; until set, the client area inside the border.
    TRect EditRect() const;
    void SetEditRect(const TRect& r);
    void ResetEditRect();

    // The top-left of the character at index (index = length: after the last character) in client
    // pixels, and the character index nearest a client point.
    QPoint PosFromChar(int index) const;
    int CharFromPos(QPoint p) const;
    // The laid-out line of the character at index, and the number of lines.
    int LineFromChar(int index) const;
    int LineCount() const;

    void Clear() { SetText(QString()); }
    void CopyToClipboard();
    // The clipboard operations that change the text; a descendant refuses by not calling these.
    virtual void CutToClipboard();
    virtual void PasteFromClipboard();
    void ClearSelection();
    // The context menu (Cut, Copy, Paste, Delete, Select All); its actions run the operations above.
    QMenu* CreateContextMenu(QWidget* parent);

    TNotifyEvent OnChange;

protected:
    // The text changed (by the user or by code); fires OnChange.
    virtual void Change();
    // Whether the text may be changed now: not read-only.
    virtual bool EditCanModify();
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void DoEnter() override;
    void Paint() override;

    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Puts s in place of the selection (typing, paste); false when the mask or the maximum length
    // leaves no room for it.
    bool replaceSelection(const QString& s);
    void setTextInternal(const QString& display, bool byUser);
    void moveCaret(int pos, bool extend);
    bool wraps() const;
    // The laid out text in client pixels, rebuilt when text, font, size or style changed.
    const QTextLayout& layout() const;
    void invalidateLayout();
    int lineStep(int index, int dir) const;  // the index one line up (dir -1) or down (+1); -1: none
    QPointF origin() const;  // where the layout's (0, 0) lies in client pixels
    void ensureCaretVisible();

    QString text_;
    TEditMask mask_;
    int anchor_ = 0, caret_ = 0;
    int maxLength_ = 0;
    bool readOnly_ = false, autoSelect_ = true, modified_ = false, multiLine_ = false;
    TBorderStyle borderStyle_ = bsSingle;
    TAlignment alignment_ = taLeftJustify;
    TColor color_ = clWindow;
    bool ownRect_ = false;
    QChar passwordChar_;
    TRect editRect_;
    mutable QTextLayout* layout_ = nullptr;
    mutable int scrollX_ = 0;  // single-line: pixels the text is shifted left to show the caret
};

}  // namespace plat
