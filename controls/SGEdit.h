#pragma once
// The edit with a button at its right end (F4 presses it from the keyboard) and its variant with a
// unit of measure drawn right of the value, chosen from a pop-up menu of the allowed units. The
// button is a holder control with one speed button that paints itself in the holder's colours,
// themed, flat or classic.
#include "platform/MaskEdit.h"
#include "platform/PopupMenu.h"
#include "platform/SpeedButton.h"

#include <QPointer>
#include <QStringList>
#include <functional>

namespace ctl {

class TSgEditButton;

class TExSpeedButton : public plat::TSpeedButton {
public:
    explicit TExSpeedButton(TSgEditButton* holder);
    bool IsWinXP() const { return isWinXP_; }
    void SetIsWinXP(bool on) { isWinXP_ = on; }
    bool ExFlat() const { return exFlat_; }
    void SetExFlat(bool on) { exFlat_ = on; }
    bool Hot() const { return hot_; }

protected:
    void Paint() override;
    void MouseEnter() override;
    void MouseLeave() override;

private:
    TSgEditButton* holder_;
    bool isWinXP_ = false, exFlat_ = false, hot_ = false;
};

class TSgEditButton : public plat::TCustomControl {
public:
    explicit TSgEditButton(QWidget* parent = nullptr);

    // Faces of the speed button while ButtonColor is set; the text and border colours are kept
    // for the owner only.
    plat::TColor ButtonColor = plat::clNone, ButtonColorHot = plat::clNone, ButtonColorDown = plat::clNone;
    plat::TColor ButtonTextColor = plat::clNone, ButtonTextColorHot = plat::clNone;
    plat::TColor ButtonTextColorDown = plat::clNone, ButtonBorderColor = plat::clNone;

    QString ButtonCaption() const { return button_->Caption(); }
    void SetButtonCaption(const QString& caption) { button_->SetCaption(caption); }
    const plat::TBitmap& Glyph() const { return button_->Glyph(); }
    void SetGlyph(const plat::TBitmap& glyph) { button_->SetGlyph(glyph); }
    int NumGlyphs() const { return button_->NumGlyphs(); }
    void SetNumGlyphs(int n) { button_->SetNumGlyphs(n); }
    bool Flat() const { return flat_; }
    void SetFlat(bool on);
    // Takes the focus after a click when it can; forgotten when that control goes away.
    QWidget* FocusControl() const { return focusControl_.data(); }
    void SetFocusControl(QWidget* control);
    TExSpeedButton* Button() const { return button_; }

    plat::TNotifyEvent OnClick;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void buttonMouseUp(plat::TMouseButton button);
    TExSpeedButton* button_;
    QPointer<QWidget> focusControl_;
    bool flat_ = false;
};

class TSgEditBtn : public plat::TCustomMaskEdit {
public:
    explicit TSgEditBtn(QWidget* parent = nullptr);
    ~TSgEditBtn() override;

    QString ButtonCaption() const { return button_->ButtonCaption(); }
    void SetButtonCaption(const QString& caption) { button_->SetButtonCaption(caption); }
    const plat::TBitmap& Glyph() const { return button_->Glyph(); }
    void SetGlyph(const plat::TBitmap& glyph) { button_->SetGlyph(glyph); }
    int ButtonWidth() const { return buttonWidth_; }
    void SetButtonWidth(int width);
    bool EditorEnabled() const { return editorEnabled_; }
    void SetEditorEnabled(bool on) { editorEnabled_ = on; }
    bool IsWinXP() const { return isWinXP_; }
    void SetIsWinXP(bool on);
    bool RightAlign() const { return rightAlign_; }
    void SetRightAlign(bool on);
    TSgEditButton* Button() const { return button_; }

    // The client area: the control inside the two-pixel frame of a single border.
    plat::TRect ClientRect() const;
    // The formatting rectangle for the holder's width and the unit's space: the text never runs
    // under the button or the unit.
    void SetEditRect();
    // The smallest height that shows a line of the font.
    int GetMinHeight() const;
    // A new border moves the holder and the formatting rectangle.
    void SetBorderStyle(plat::TBorderStyle style);

    void CutToClipboard() override;
    void PasteFromClipboard() override;

    plat::TNotifyEvent OnClickBtn;

    // The button was used: sender is the holder, or the edit itself for F4.
    virtual void ClickButton(QObject* sender);

protected:
    void KeyDown(uint16_t& Key, plat::TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

    int unitSize_ = 0;

private:
    void placeButton();
    TSgEditButton* button_;
    bool rightAlign_ = false, editorEnabled_ = true, isWinXP_ = false;
    int buttonWidth_ = 0;
};

using TUnitChangeEvent = std::function<void(QObject* Sender, const QString& NewUnit)>;

class TSgUnitEditBtn : public TSgEditBtn {
public:
    explicit TSgUnitEditBtn(QWidget* parent = nullptr);

    const QStringList& Units() const { return units_; }
    void SetUnits(const QStringList& units) { units_ = units; }
    const QString& UnitID() const { return unitID_; }
    void SetUnitID(const QString& unit);
    int UnitSpace() const { return unitSize_; }
    void SetUnitSpace(int space);
    // The text followed by the unit. Written: the first unit (in the order of Units) that ends the
    // value and occurs nowhere earlier in it splits it; a value no unit ends becomes the whole text
    // with no unit, so nothing of it is lost.
    QString TextAndUnit() const { return Text() + unitID_; }
    void SetTextAndUnit(const QString& value);
    // The unit with identifier id (1..number of units) of the unit menu was chosen.
    void UnitCommand(int id);
    // The rectangle the unit is drawn in, in the edit's pixels.
    plat::TRect UnitRect() const;
    // Where the unit menu opens, in the edit's pixels.
    QPoint UnitMenuPoint() const;

    TUnitChangeEvent OnUnitChanged;

    void ClickButton(QObject* sender) override;

protected:
    // Shows the unit menu at a screen point; the identifier of the chosen item, 0 for none.
    virtual int TrackUnitMenu(plat::TPopupMenu& menu, QPoint screenPos);
    void Paint() override;

private:
    QStringList units_;
    QString unitID_;
};

}  // namespace ctl
