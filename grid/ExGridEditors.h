#pragma once
// The grid's cell editors: the default text editor laid over a cell for the text kinds, and the
// combo box, spin edit, check box and push button for the kinds with a control of their own. Each
// knows its grid (the owner, which must be a string grid), keeps the keys it handles and hands the
// others back to the grid, and commits its value to the cell through the grid's validation. The
// editor link lets any control of the user's edit a cell.
#include "controls/SgCombo.h"
#include "controls/sgspin.h"
#include "platform/Canvas.h"
#include "platform/Colors.h"
#include "platform/Font.h"
#include "platform/InplaceEdit.h"
#include "platform/Keys.h"

#include <QCheckBox>
#include <QPoint>
#include <QPointer>
#include <QPushButton>
#include <QTextEdit>

class TExStringGrid;

// The owner as a string grid; another owner raises the invalid-cast error.
TExStringGrid* GridOwnerOf(QObject* AOwner);

// ---------------------------------------------------------------- default text editor

class TExInplaceEdit : public plat::TInplaceEdit {
public:
    explicit TExInplaceEdit(TExStringGrid* AOwner);

    TExStringGrid* Grid() const { return FGrid; }
    bool VAlign() const { return FValign; }
    // Right-aligned text for a centred cell; a change restyles the editor.
    void SetVAlign(bool Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    int16_t LengthLimit() const { return FLengthLimit; }
    void SetLengthLimit(int16_t Value) { FLengthLimit = Value; }
    bool Workmode() const { return Workmode_; }
    bool AltBack() const { return FAltBack; }
    int ColE() const { return FColE; }
    int RowE() const { return FRowE; }
    bool GotFocus() const { return FGotFocus; }

    // Look-up completion after a key went up.
    void DoChange();
    void UpdateContents() override;
    // Over the current cell, less the grid line.
    void BoundsChanged();
    // Over the cell less the grid lines the painter draws inside it, its text where the painter puts
    // the cell's text.
    void Move(const plat::TRect& r) override;
    // The paste with the grid's clipboard events; copy and cut ask first.
    void PasteFromClipboard() override;
    void CutToClipboard() override;
    void CopySelection();
    // Delivers a key release still waiting for a possible repeat.
    using plat::TInplaceEdit::FlushKeyUp;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void KeyDown(uint16_t& Key, plat::TShiftState Shift) override;
    void KeyUp(uint16_t& Key, plat::TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void Change() override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    // The message-level key steps; true when the key went no further.
    bool keyDownMessage(uint16_t Key, plat::TShiftState Shift, const QString& T);
    // The character steps; true when the character went no further.
    bool charMessage(QChar& C, plat::TShiftState Shift);
    void refusalRestore(const QString& OldText);
    void selectAllOrEnd();
    void setTextKeep(const QString& Text);
    void walk(bool Forward);
    void growRow();
    void insertLineBreak();

    int FSelKeyDown = 0;
    int FOldSelStart = 0;
    int16_t FLengthLimit = 0;
    bool FValign = false;
    bool FWordWrap = false;
    bool FGotFocus = false;
    bool Workmode_ = true;
    TExStringGrid* FGrid;
    int FColE = -1, FRowE = -1;
    bool FAltBack = false;
    plat::TShiftState FShift;
};

// ---------------------------------------------------------------- combo box

class TGridCombo : public ctl::TSgComboBox {
public:
    explicit TGridCombo(QWidget* AOwner);
    TExStringGrid* Grid() const { return FGrid; }

    bool WorkMode = true;
    plat::TNotifyEvent OnReturnKey;

    // Look-up completion over Items, then the grid's LookupItems.
    void DoChange();
    // Widens the list to its items on the grid's canvas.
    void SizeDropDownWidth();
    bool IsListStyle() const { return Style() == plat::csDropDownList; }
    // The key-down handling of the grid's combo editor; Key 0 when it went no further.
    void HandleKeyDown(uint16_t& Key, plat::TShiftState Shift);
    void HandleKeyUp(uint16_t& Key, plat::TShiftState Shift);
    void HandleKeyPress(QChar& Key);
    // A wheel step: towards the user the next item, away the previous one.
    void WheelStep(bool TowardsUser);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The commit step; false when the validation refused and the edit stays open.
    bool commit(uint16_t& Key, plat::TShiftState Shift);
    void finish(uint16_t& Key, plat::TShiftState Shift);
    // The combo's keys before the base sees them; true when they went no further.
    bool handleKey(QKeyEvent* event);
    void watchEditPart();
    TExStringGrid* FGrid;
    // A double click in the edit part: the list opens when its button comes up.
    bool FListOnRelease = false;
    QKeyEvent* FFiltered = nullptr;
    bool FForwarding = false;
    QObject* FWatched = nullptr;
};

// ---------------------------------------------------------------- spin edit

class TGridSpin : public ctl::TSgSpinEdit {
public:
    explicit TGridSpin(QWidget* AOwner);
    TExStringGrid* Grid() const { return FGrid; }
    void ReCreate() {}
    void UpClick(QObject* Sender) override;
    void DownClick(QObject* Sender) override;

protected:
    void KeyDown(uint16_t& Key, plat::TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void Change() override;

private:
    void fireSpinClick(bool Up);
    bool valueKey(uint16_t Key);
    TExStringGrid* FGrid;
};

// ---------------------------------------------------------------- check box

class TGridCheckBox : public QCheckBox {
public:
    explicit TGridCheckBox(QWidget* AOwner);
    TExStringGrid* Grid() const { return FGrid; }
    void Toggle() { setChecked(!isChecked()); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TExStringGrid* FGrid;
};

// ---------------------------------------------------------------- push button

class TGridButton : public QPushButton {
public:
    explicit TGridButton(QWidget* AOwner);
    TExStringGrid* Grid() const { return FGrid; }
    QString Text() const { return text(); }
    void SetText(const QString& Value) { setText(Value); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool focusNextPrevChild(bool) override { return false; }

private:
    // The caption through OnEllipsClick into the cell.
    void exchangeCaption();
    TExStringGrid* FGrid;
};

// ---------------------------------------------------------------- rich-text editor

// The rich-text control of the grid: its hidden converter, which measures and draws RTF cells, and
// the in-place editor of the edRichEdit cells. It holds a text document that RTF fills through our
// reader and leaves through our writer. Raised and lowered text keeps its offset in twips exactly.
class TExRichEdit : public QTextEdit {
public:
    // Offsets of the three script buttons, in twips.
    static constexpr int kSubscriptTwips = -40;
    static constexpr int kSuperscriptTwips = 40;

    explicit TExRichEdit(QWidget* AOwner);
    TExStringGrid* Grid() const { return FGrid; }

    // The offset of the selection (or of what is typed next, without one): 0, -40, +40 twips.
    void SelNormal();
    void SelSubscript();
    void SelSuperscript();
    // Whether every character of the selection (the typing format without one) has that offset.
    bool IsSelNormal() const;
    bool IsSelSubscript() const;
    bool IsSelSuperscript() const;
    // Makes the control again from its settings: no frame, the selection kept visible while the
    // control has no focus, no scroll bars. The content stays.
    void ReCreate();
    // While locked, a size the content asks for leaves the row alone (the grid locks while it loads
    // a cell into the editor).
    void BeginLock() { FLocked = true; }
    void EndLock() { FLocked = false; }
    bool Locked() const { return FLocked; }

    // A cell's text: RTF through the reader, any other text as plain text; empty clears.
    void LoadCellText(const QString& Text);
    // The content as RTF, as the writer makes it.
    QString RichText() const;

    // The size the content asks for, in pixels without margins: the converter records it when the
    // grid lays its content out (RequestResize), the editor when the content grows or shrinks.
    int ReqWidth() const { return FReqWidth; }
    int ReqHeight() const { return FReqHeight; }
    // Lays the content out for Width (-1: without word wrap) and reports the size it asks for.
    QSize RequestResize(int Width);
    // Keeps the content laid out for Width (-1: without word wrap), without margins, whatever the
    // control's own size.
    void SetLayoutWidth(int Width);

    plat::TNotifyEvent OnSelectionChange;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    // Tab is the control's own key: it never moves the focus by itself.
    bool focusNextPrevChild(bool) override { return false; }

private:
    void setSelOffset(int Twips);
    bool selOffsetIs(int Twips) const;
    void sizeRequested(QSize Size);
    TExStringGrid* FGrid;
    int FReqWidth = 0, FReqHeight = 0;
    bool FLocked = false;
};

// ---------------------------------------------------------------- form controls of HTML cells

// The edit over an EDIT, PASSWORD or MASK control of a cell's HTML text. Enter ends its edit and
// gives the focus back to the grid; Tab ends it and moves to the cell's next control, or with
// Navigation.AdvanceAuto advances the grid.
class TControlEdit : public plat::TCustomMaskEdit {
public:
    explicit TControlEdit(TExStringGrid* AGrid);
    TExStringGrid* Grid() const { return FGrid; }
    plat::TNotifyEvent OnExit;

protected:
    void KeyDown(uint16_t& Key, plat::TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool) override { return false; }

private:
    void exit();
    TExStringGrid* FGrid;
    bool FExiting = false;
};

// The combo over a COMBO control of a cell's HTML text, with the keys of the control edit.
class TControlCombo : public ctl::TSgComboBox {
public:
    explicit TControlCombo(TExStringGrid* AGrid);
    TExStringGrid* Grid() const { return FGrid; }
    plat::TNotifyEvent OnExit;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool) override { return false; }

private:
    void exit();
    TExStringGrid* FGrid;
    bool FExiting = false;
};

// ---------------------------------------------------------------- editor link

enum TEditStyle : uint8_t { esInplace, esPopup };

// The in-place editor of the cells whose kind is edCustom: a descendant owns a control of any kind
// and the grid drives it through the virtual operations below (create, place, show, fill, focus,
// read back, hide). The descendant hands its control's key-downs to EditKeyDown, which keeps the
// keys the editor wants and ends the edit with the others, moving on as the grid would.
//
// With esPopup the control lives on a frameless stay-on-top window under the cell. Each link owns
// its own window: made at its first pop-up edit, reused, and freed with the link, so links of
// several grids never share or free each other's window.
class TEditLink : public QObject {
public:
    explicit TEditLink(QObject* AOwner = nullptr);
    // A link that goes while its edit is open ends that edit in the grid first.
    ~TEditLink() override;

    // The grid of the last edit started; nullptr once that grid is gone.
    TExStringGrid* Grid() const;
    // The cell (real column, row) of the last edit started.
    QPoint EditCell{0, 0};

    bool WantKeyLeftRight = false;
    bool WantKeyUpDown = false;
    bool WantKeyHomeEnd = false;
    bool WantKeyPriorNext = false;
    bool WantKeyReturn = false;
    bool WantKeyEscape = false;
    // Tab stays with the editor; WantReturns is for multi-line descendants.
    bool WantTabs = false;
    bool WantReturns = false;
    TEditStyle EditStyle = esInplace;
    int32_t PopupWidth = 0, PopupHeight = 0;
    // The pop-up takes the width of the cell.
    bool AutoPopupWidth = false;
    // The pop-up's screen position; -1 in either puts it at the cell's top-left.
    int32_t PopupLeft = -1, PopupTop = -1;
    int32_t Tag = 0;

    // The key protocol: keys the editor wants stay untouched; grid keys end the edit (the value
    // goes into the cell, Esc's the one from before the edit) and move on as the grid does.
    virtual void EditKeyDown(QObject* Sender, uint16_t& Key, plat::TShiftState Shift);
    virtual QWidget* GetEditControl() { return nullptr; }
    // AParent is GetParent(): the grid's cells or the pop-up window.
    virtual void CreateEditor(QWidget* AParent) { (void)AParent; }
    virtual void DestroyEditor() {}
    // Shows, enables and focuses the control (Value false: the grid takes the focus). In the cell
    // the first call after a restore puts the grid's key filter on the control.
    virtual void SetFocus(bool Value);
    // The control over R, less the grid line.
    virtual void SetRect(const plat::TRect& R);
    virtual void SetVisible(bool Value);
    virtual void SetProperties() {}
    virtual void SetCellProps(plat::TColor AColor, const plat::TFont& AFont) {
        (void)AColor;
        (void)AFont;
    }
    virtual QString GetEditorValue() { return QString(); }
    virtual void SetEditorValue(const QString& S) { (void)S; }

    // The control's focus loss: the value into the cell, the edit ended; a pop-up also goes.
    void EditExit(QObject* Sender);
    // The pop-up window lost activation.
    void FormExit(QObject* Sender);
    // The current cell's text, and a text into it through the grid's edit-text path.
    QString GetCellValue();
    void SetCellValue(const QString& S);
    // The value into the cell, the grid's edit ended, the key filter taken off.
    void HideEditor();
    // Takes the grid's key filter off an in-place control and hides it.
    void RestoreWinProc();
    // The pop-up window for esPopup (nullptr before the first pop-up edit), else the grid's cells.
    QWidget* GetParent() const;
    QWidget* PopupForm() const { return FPopupForm; }
    bool SubClassed() const { return FSubClassed; }
    bool ForcedExit() const { return FForcedExit; }

private:
    friend class TExStringGrid;
    // The grid takes the focus back, with the forced-exit flag up and the control's focus loss
    // not ending the edit a second time.
    void gridTakesFocus();
    // The grid of the edit unless it is being taken down.
    TExStringGrid* liveGrid() const;
    // The pop-up window for an edit of the cell at R (grid client coordinates), made when missing.
    void openPopup(const plat::TRect& R);
    // Hides the pop-up window; its loss of activation then ends nothing.
    void closePopup();

    QPointer<TExStringGrid> FOwner;
    QPointer<QWidget> FPopupForm;
    bool FForcedExit = false;
    bool FSubClassed = false;
};
