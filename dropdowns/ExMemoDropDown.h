#pragma once
// A drop-down for a text of several lines, edited in a memo on the pop-up. The edit shows the
// whole text while it can be typed into, else the first line, marked "..." when more lines follow
// and shortened to the edit's width. The memo's edits reach the text when the pop-up closes
// without cancel.
#include <QPointer>
#include <QStringList>

#include "dropdowns/DovUzerAdevEdit.h"

class QPlainTextEdit;

namespace plat {
class TPopupMenu;
}

namespace dropdowns {

enum TScrollStyle : uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };

// Lines joined, each followed by a line break; and back (a break at the end adds no line).
QString JoinMemoLines(const QStringList& Lines);
QStringList SplitMemoLines(const QString& Text);

class TExMemoDropDown : public TExCustomDropDown {
public:
    ~TExMemoDropDown() override;

    const QStringList& MemoText() const { return FMemoText; }
    void SetMemoText(const QStringList& Value);
    plat::TPopupMenu* MemoPopup() const { return FMemoPopup; }
    void SetMemoPopup(plat::TPopupMenu* Value) { FMemoPopup = Value; }
    TScrollStyle MemoScrollBars() const { return FMemoScrollBars; }
    void SetMemoScrollBars(TScrollStyle Value) { FMemoScrollBars = Value; }
    bool MemoReadOnly() const { return FMemoReadOnly; }
    void SetMemoReadOnly(bool Value);
    bool AutoDrop() const { return FAutoDrop; }
    void SetAutoDrop(bool Value) { FAutoDrop = Value; }
    QPlainTextEdit* Memo() const;

    // Every change of the memo's text while the pop-up is open.
    plat::TNotifyEvent OnMemoChange;

protected:
    explicit TExMemoDropDown(QWidget* parent = nullptr);
    friend class TExCustomDropDown;

    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    void DoHideDropDown(bool Cancelled) override;
    void DropDownFormHide() override;
    void ControlKeyDown(uint16_t& Key, plat::TShiftState Shift) override;
    void ControlKeyUp(uint16_t& Key, plat::TShiftState Shift) override;
    void ControlKeyPress(QChar& Key) override;
    void DoChange() override;
    void DoEnter() override;

    // The edit text from the lines.
    void MemoTextChanged();
    void MemoChanged();

private:
    void limitMemoLength();

    plat::TPopupMenu* FMemoPopup = nullptr;
    QStringList FMemoText;
    QPointer<QPlainTextEdit> FMemo;
    TScrollStyle FMemoScrollBars = ssNone;
    bool FMemoReadOnly = false;
    bool FInternalUpdate = false;
    bool FAutoDrop = false;
    int memoMaxLength_ = 0;
    bool limiting_ = false;
};

}  // namespace dropdowns
