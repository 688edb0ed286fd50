#pragma once
// The spin edit: a one-line edit with a pair of up and down buttons that steps a whole number, a
// decimal number, a date or a time of day. The value lives in the text: every read parses it and
// every write formats it. For dates and times the field under the caret is the one stepped.
// The pair of buttons is usable alone; each of its buttons repeats its click while held.
#include "controls/SpinRules.h"
#include "platform/MaskEdit.h"
#include "platform/SpeedButton.h"

#include <QPointer>
#include <memory>

namespace ctl {

enum TSpinDirection : uint8_t { spVertical, spHorizontal };
enum TEditAlign : uint8_t { eaLeft, eaRight, eaCenter };
enum TButtonDirection : uint8_t { bdLeft, bdRight, bdUp, bdDown };
enum TTimeBtnStateItem : uint8_t { tbFocusRect, tbAllowTimer };
using TTimeBtnState = plat::TEnumSet<TTimeBtnStateItem>;

class TSgSpinButton;

// A speed button that repeats its click while held down: the first repeat 400 ms after the press,
// then one every 100 ms, on top of the click of the release.
class TExTimerSpeedButton : public plat::TSpeedButton {
public:
    explicit TExTimerSpeedButton(QWidget* parent = nullptr);
    ~TExTimerSpeedButton() override;

    TTimeBtnState TimeBtnState() const { return timeBtnState_; }
    void SetTimeBtnState(TTimeBtnState state) { timeBtnState_ = state; }
    TButtonDirection ButtonDirection() const { return buttonDirection_; }
    void SetButtonDirection(TButtonDirection direction);
    bool IsWinXP() const { return isWinXP_; }
    void SetIsWinXP(bool on);
    bool HasMouse() const { return hasMouse_; }
    // The repeat timer; none before the first press.
    plat::TTimer* RepeatTimer() const { return repeatTimer_; }

protected:
    void Paint() override;
    void MouseDown(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void MouseUp(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void MouseEnter() override;
    void MouseLeave() override;

private:
    void timerExpired();
    void invalidateParent();
    plat::TTimer* repeatTimer_ = nullptr;
    TTimeBtnState timeBtnState_;
    TButtonDirection buttonDirection_ = bdUp;
    bool isWinXP_ = false, hasMouse_ = false;
};

class TSgSpinButton : public plat::TCustomControl {
public:
    explicit TSgSpinButton(QWidget* parent = nullptr);
    ~TSgSpinButton() override;

    // Faces while ButtonColor is set; the text and border colours are only kept.
    plat::TColor ButtonColor = plat::clNone, ButtonColorHot = plat::clNone, ButtonColorDown = plat::clNone;
    plat::TColor ButtonTextColor = plat::clNone, ButtonTextColorHot = plat::clNone;
    plat::TColor ButtonTextColorDown = plat::clNone, ButtonBorderColor = 0;

    TSpinDirection Direction() const { return direction_; }
    void SetDirection(TSpinDirection direction);
    const plat::TBitmap& UpGlyph() const { return upButton_->Glyph(); }
    void SetUpGlyph(const plat::TBitmap& glyph);
    const plat::TBitmap& DownGlyph() const { return downButton_->Glyph(); }
    void SetDownGlyph(const plat::TBitmap& glyph);
    int UpNumGlyphs() const { return upButton_->NumGlyphs(); }
    void SetUpNumGlyphs(int n) { upButton_->SetNumGlyphs(n); }
    int DownNumGlyphs() const { return downButton_->NumGlyphs(); }
    void SetDownNumGlyphs(int n) { downButton_->SetNumGlyphs(n); }
    // Takes the focus when a button is pressed; forgotten when it goes away.
    QWidget* FocusControl() const { return focusControl_.data(); }
    void SetFocusControl(QWidget* control) { focusControl_ = control; }
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool on);
    void SetIsWinXP(bool on);
    bool IsWinXP() const { return isWinXP_; }

    TExTimerSpeedButton* UpButton() const { return upButton_; }
    TExTimerSpeedButton* DownButton() const { return downButton_; }
    TExTimerSpeedButton* FocusedButton() const { return focusedButton_; }
    void FocusButton(TExTimerSpeedButton* button);

    // Places the buttons for a size; the width may grow to the smallest the direction allows.
    void AdjustButtons(int& w, int& h);
    void SetBounds(int left, int top, int width, int height);

    plat::TNotifyEvent OnUpClick, OnDownClick;

    // The built-in arrows: 9 x 6, olive (see-through) around a black triangle.
    static plat::TBitmap BuiltInGlyph(bool up);

protected:
    void KeyDown(uint16_t& Key, plat::TShiftState Shift) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void buttonClick(QObject* sender);
    void buttonMouseDown(TExTimerSpeedButton* button, plat::TMouseButton b);
    bool canTakeFocus(const QWidget* w) const;
    TExTimerSpeedButton* upButton_;
    TExTimerSpeedButton* downButton_;
    TExTimerSpeedButton* focusedButton_;
    QPointer<QWidget> focusControl_;
    TSpinDirection direction_ = spVertical;
    bool isWinXP_ = false, tabStop_ = false, adjusting_ = false;
};

class TSgSpinEdit : public plat::TCustomMaskEdit {
public:
    explicit TSgSpinEdit(QWidget* parent = nullptr);
    ~TSgSpinEdit() override;

    // The value in the text, read and written as a whole number, decimal, date or time.
    int Value() const;
    void SetValue(int value);
    double FloatValue() const;
    void SetFloatValue(double value);
    TDateTime DateValue() const;
    void SetDateValue(TDateTime value);
    TDateTime TimeValue() const;
    void SetTimeValue(TDateTime value);

    // The value itself when minimum equals maximum, else kept within them.
    int CheckValue(int value) const;
    double CheckFloatValue(double value) const;
    TDateTime CheckDateValue(TDateTime value) const;

    TSgSpinType SpinType() const { return spinType_; }
    void SetSpinType(TSgSpinType type);
    int Precision() const { return precision_; }
    void SetPrecision(int precision);
    TSpinDirection Direction() const { return direction_; }
    void SetDirection(TSpinDirection direction);
    bool SpinFlat() const { return spinFlat_; }
    void SetSpinFlat(bool on);
    bool SpinTransparent() const { return spinTransparent_; }
    void SetSpinTransparent(bool on);
    TEditAlign EditAlign() const { return editAlign_; }
    void SetEditAlign(TEditAlign align);
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool on);
    void SetIsWinXP(bool on);
    bool IsWinXP() const { return isWinXP_; }
    void SetBorderStyle(plat::TBorderStyle style);
    TSgSpinButton* Button() const { return button_; }

    int MinValue = 0, MaxValue = 100;
    double MinFloatValue = 0.0, MaxFloatValue = 100.0;
    TDateTime MinDateValue = 0, MaxDateValue = 0;
    int Increment = 1;
    double IncrementFloat = 0.1, IncrementFloatPage = 1.0;
    int IncrementSeconds = 1, IncrementMinutes = 1, IncrementHours = 1;
    bool EditorEnabled = true;
    bool ReturnIsTab = false;
    bool ExcelStyleDecimalSeparator = false;
    bool ShowSeconds = true;
    bool AllowEmptyValue = false;
    // The last date step found the month before the day in the short date format.
    bool UsDates() const { return usDates_; }

    // Properties set as a whole (a form's loading): date and time writes only store meanwhile.
    void BeginLoading() { loading_ = true; }
    void Loaded();

    virtual void StepUp(bool page);
    virtual void StepDown(bool page);
    // Whether the character is taken; it may be changed on the way.
    virtual bool IsValidChar(QChar& Key);
    virtual void UpClick(QObject* Sender);
    virtual void DownClick(QObject* Sender);

    // The formatting rectangle beside the buttons.
    void SetEditRect();
    int GetMinHeight() const;
    plat::TRect ClientRect() const;

    void CutToClipboard() override;
    void PasteFromClipboard() override;

protected:
    void KeyDown(uint16_t& Key, plat::TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void step(bool up, bool page);
    void placeButton();
    void setTextKeepCaret(const QString& text);
    QString timeText(TDateTime value) const;

    TSgSpinButton* button_;
    TDateTime dateValue_ = 0, timeValue_ = 0;
    TSpinDirection direction_ = spVertical;
    TSgSpinType spinType_ = sptNormal;
    int precision_ = 0;
    TEditAlign editAlign_ = eaLeft;
    bool isWinXP_ = false, usDates_ = false, spinFlat_ = false, spinTransparent_ = false;
    bool ctl3D_ = true, loading_ = false, enterAsTab_ = false;
};

}  // namespace ctl
