#pragma once
// The grid's cell editors: the default text editor laid over a cell for the text kinds, and the
// combo box, spin edit, check box and push button for the kinds with a control of their own. Each
// knows its grid (the owner, which must be a string grid), keeps the keys it handles and hands the
// others back to the grid, and commits its value to the cell through the grid's validation.
#include "controls/SgCombo.h"
#include "controls/sgspin.h"
#include "platform/InplaceEdit.h"
#include "platform/Keys.h"

#include <QCheckBox>
#include <QPushButton>

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
