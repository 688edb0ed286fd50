#pragma once
// The time picker drop-down and the analogue clock control it shows.
//
// The analogue clock control. It draws the face once into a cache and only the hands on top of it
// for each time change; its look, geometry and the set/animation state machine are those of
// ExWatchCore. The control does not read keys itself: its host hands them to WatchKeyDown.
#include "controls/ExStyleIF.h"
#include "dropdowns/DovUzerAdevEdit.h"
#include "dropdowns/ExWatchCore.h"
#include "dropdowns/TimeText.h"
#include "platform/Bitmap.h"
#include "platform/Controls.h"
#include "platform/DateTimePicker.h"
#include "platform/Events.h"
#include "platform/Timer.h"

#include <QImage>
#include <QPointer>
#include <memory>


namespace dropdowns {

class TExWatch : public plat::TCustomControl, public ISkinStyle {
public:
    explicit TExWatch(QWidget* Parent = nullptr);
    ~TExWatch() override;

    TWatchAppearance& Appearance() { return FAppearance; }
    void SetAppearance(const TWatchAppearance& Value);
    TWatchSettings& Settings() { return FSettings; }
    void SetSettings(const TWatchSettings& Value);

    // The edited time; writing it fires nothing.
    TDateTime Time() const { return FCore.Time(); }
    void SetTime(TDateTime Value) { FCore.SetTime(Value); }
    TDateTime GetDisplayTime() const { return FCore.DisplayTime(); }
    // "Invalid time" for an hour outside 0..23 or a minute outside 0..59.
    void SetHour(int Hour) { FCore.SetHour(Hour); }
    void SetMinute(int Minute) { FCore.SetMinute(Minute); }
    // The keys of the pop-up the clock sits in.
    void WatchKeyDown(uint16_t Key);

    bool Animation() const { return FCore.Animation(); }
    void SetAnimation(bool On) { FCore.SetAnimation(On); }
    // 0 or below counts as 1: each animation step then goes the whole way.
    int AnimationFactor() const { return FCore.AnimationFactor(); }
    void SetAnimationFactor(int V) { FCore.SetAnimationFactor(V); }
    bool ShowAMPM() const { return FCore.ShowAMPM(); }
    void SetShowAMPM(bool On);
    bool ShowNumbers() const { return FShowNumbers; }
    void SetShowNumbers(bool On);
    TWatchStyle Style() const { return FStyle; }
    void SetStyle(TWatchStyle Value);
    void SetComponentStyle(TSkinStyle AStyle) override;

    bool AM() const { return FCore.AM(); }
    plat::TRect GetFaceRect() const { return geometry().Face; }
    QPoint GetCenter() const { return geometry().Center; }
    double GetRadius() const { return geometry().Radius; }
    plat::TRect GetAMPMRect() const;

    // The timers: the clock of automatic mode (100 ms), the hand animation (1 ms) and the AM/PM roll
    // (10 ms). Tests fire them by hand.
    plat::TTimer& WatchTimer() { return FWatchTimer; }
    plat::TTimer& AnimationTimer() { return FAnimationTimer; }
    plat::TTimer& RollTimer() { return FRollTimer; }
    TWatchCore& Core() { return FCore; }
    // Face paints so far (the hands alone do not count).
    int FacePaints() const { return FFacePaints; }

    // A user change of the time is complete.
    plat::TNotifyEvent OnChange;

protected:
    void Paint() override;
    void MouseUp(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void MouseMove(plat::TShiftState Shift, int X, int Y) override;

private:
    TWatchGeometry geometry() const;
    void fullPaint();
    void settingsChanged();

    TWatchAppearance FAppearance;
    TWatchSettings FSettings;
    TWatchCore FCore;
    plat::TBitmap FBKGCache;
    bool FFaceDirty = true;
    int FFacePaints = 0;
    plat::TTimer FWatchTimer;
    plat::TTimer FAnimationTimer;
    plat::TTimer FRollTimer;
    QImage FRollStrip;
    bool FShowNumbers = true;
    TWatchStyle FStyle = wsClassic;
};

// The colours of a component style laid onto the clock's look, as the clock and the time picker
// drop-down both apply them.
void ApplyWatchSkinStyle(TWatchAppearance& Appearance, TSkinStyle AStyle);

// A masked edit for a time of day (hh:mm:ss or hh:mm, the locale's time separator) whose pop-up
// shows the clock and, optionally, the platform's time picker below it. The clock is loaded from
// Time when the pop-up opens; each completed clock change writes Time, and closing takes the
// clock's time. Up and Down step the field under the caret. Made with CreateDropDown.
class TExTimePickerDropDown : public TExCustomDropDown {
public:
    explicit TExTimePickerDropDown(QWidget* Parent = nullptr);
    ~TExTimePickerDropDown() override;

    // The time of day; writing it rewrites the text (and the open pop-up) and fires nothing.
    TDateTime Time() const { return FTime; }
    void SetTime(TDateTime Value);
    bool ShowSeconds() const { return FShowSeconds; }
    // Rewrites the text in the new format with the same time.
    void SetShowSeconds(bool Value);
    TWatchAppearance& WatchAppearance() { return *FWatchAppearance; }
    void SetWatchAppearance(const TWatchAppearance& Value) { FWatchAppearance->Assign(Value); }
    TWatchSettings& WatchSettings() { return *FWatchSettings; }
    void SetWatchSettings(const TWatchSettings& Value) { FWatchSettings->Assign(Value); }
    // Handed to the clock at each opening.
    bool ShowTimePicker = false;
    bool ShowWatchAMPM = true;
    bool ShowWatchNumbers = true;
    bool Animation = true;
    int AnimationFactor = 10;

    // One field of Time; nothing for the value it has or one out of range, else OnTimeChange.
    void SetHourPart(int Hour);
    void SetMinutePart(int Minute);
    void SetSecondPart(int Second);
    QString FormatTimeText(int Hour, int Minute, int Second) const;

    TExWatch* Watch() const { return FExWatch; }
    plat::TDateTimePicker* DateTimePicker() const { return FDateTimePicker; }
    QWidget* Panel() const { return FPanelCtrl; }

    plat::TNotifyEvent OnTimeChange;

    void KeyDown(uint16_t& Key, plat::TShiftState Shift) override;
    void SetComponentStyle(TSkinStyle AStyle) override;

protected:
    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    void DoHideDropDown(bool Cancelled) override;
    void DropDownFormHide() override;
    void DropDownFormKeyDown(uint16_t& Key, plat::TShiftState Shift) override;
    void DropDownFormKeyUp(uint16_t& Key, plat::TShiftState Shift) override;
    void ControlKeyDown(uint16_t& Key, plat::TShiftState Shift) override;
    void ControlKeyUp(uint16_t& Key, plat::TShiftState Shift) override;
    void ControlKeyPress(QChar& Key) override;
    // A complete typed time becomes Time.
    void DoChange() override;

private:
    void WatchChanged();
    void PickerChanged();
    void setPart(int Index, int Value);
    // The text of Time, written as it is (no parse of the own text).
    void writeTimeText();
    void installMask();

    std::unique_ptr<TWatchAppearance> FWatchAppearance;
    std::unique_ptr<TWatchSettings> FWatchSettings;
    QPointer<TExWatch> FExWatch;
    QPointer<plat::TDateTimePicker> FDateTimePicker;
    QPointer<QWidget> FPanelCtrl;
    TDateTime FTime = 0;
    bool FInternalCall = false;
    bool FShowSeconds = true;
    bool FHiding = false;       // the base is hiding the pop-up
    bool FHidePending = false;  // and the form told of it meanwhile
};

}  // namespace dropdowns
