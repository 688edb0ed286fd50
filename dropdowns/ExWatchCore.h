#pragma once
// The analogue clock without its window: the look (TWatchAppearance) and mode (TWatchSettings), the
// face geometry and hit maths, the drawing of face and hands on a canvas, and the state machine that
// sets hours and minutes with their animation and rolls the AM/PM box. Timers only call its ticks,
// and the running time comes from plat::localNow(), so everything here is driven by tests without
// a display. No widget header here.
#include "controls/ExUtil.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/Colors.h"
#include "platform/Font.h"

#include <QPoint>
#include <QSize>
#include <cstdint>
#include <functional>

namespace dropdowns {

enum TAMPMFrame : uint8_t { apRect, apRoundRect };
enum TWatchShape : uint8_t { wsCircle, wsRect, wsRoundRect };
enum TPointerStyle : uint8_t { psLine, psShortLine, psPointer, psLineArrow };
// Kept with the appearance for its stored value only; no drawing reads it.
enum TWatchBorderStyle : uint8_t { wbsSingle };
enum TWatchGradient : uint8_t { wgRadial, wgVertical, wgDiagonalForward, wgDiagonalBackward };
enum TTickMarks : uint8_t { tmAll, tmHours, tmQuartHours, tmNone };
enum THourMarkStyle : uint8_t { hmsLine, hmsQuartDblLine };
enum TWatchStyle : uint8_t {
    wsClassic, wsTower, wsFluorescent, wsEmerald, wsBlueStar, wsFuchsia, wsBlack, wsBlackWhite, wsGray,
    wsSuperNova, wsSports, wsSmooth
};

// True when the point lies in the ellipse inscribed in the rectangle (right and bottom outside).
bool InsideEllipse(QPoint Point, int Left, int Top, int Right, int Bottom);
// The picture unscaled at the rectangle's top-left, cut to the rectangle, its transparent colour
// taken from the picture itself. Nothing for an empty picture or no canvas.
void DrawTransparentPicture(plat::TCanvas* Canvas, const plat::TBitmap& Picture, const plat::TRect& Rect);

class TWatchAppearance {
public:
    TWatchAppearance();
    TWatchAppearance(const TWatchAppearance&) = delete;
    TWatchAppearance& operator=(const TWatchAppearance&) = delete;

    // Every field back to its first value, without notification.
    void SetDefaults();
    // Copies every field; tells of the change through the last three setters only.
    void Assign(const TWatchAppearance& Source);

    int Size() const { return FSize; }
    void SetSize(int V) { set(FSize, V); }
    plat::TColor HourPointer() const { return FHourPointer; }
    void SetHourPointer(plat::TColor V) { set(FHourPointer, V); }
    plat::TColor BackgroundColor() const { return FBackgroundColor; }
    void SetBackgroundColor(plat::TColor V) { set(FBackgroundColor, V); }
    plat::TColor MinutePointerShadow() const { return FMinutePointerShadow; }
    void SetMinutePointerShadow(plat::TColor V) { set(FMinutePointerShadow, V); }
    plat::TColor BackgroundColorTo() const { return FBackgroundColorTo; }
    void SetBackgroundColorTo(plat::TColor V) { set(FBackgroundColorTo, V); }
    plat::TColor HourPointerShadow() const { return FHourPointerShadow; }
    void SetHourPointerShadow(plat::TColor V) { set(FHourPointerShadow, V); }
    plat::TColor SecondPointerShadow() const { return FSecondPointerShadow; }
    plat::TColor SecondPointer() const { return FSecondPointer; }
    void SetSecondPointer(plat::TColor V) { set(FSecondPointer, V); }
    plat::TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(plat::TColor V) { set(FBorderColor, V); }
    plat::TColor MinutePointer() const { return FMinutePointer; }
    void SetMinutePointer(plat::TColor V) { set(FMinutePointer, V); }
    const plat::TFont& HourFont() const { return FHourFont; }
    void SetHourFont(const plat::TFont& V);
    const plat::TFont& AMPMFont() const { return FAMPMFont; }
    void SetAMPMFont(const plat::TFont& V);
    const plat::TBitmap& Picture() const { return FPicture; }
    void SetPicture(const plat::TBitmap& V);
    TAMPMFrame AMPMFrame() const { return FAMPMFrame; }
    void SetAMPMFrame(TAMPMFrame V) { set(FAMPMFrame, V); }
    TWatchShape Shape() const { return FWatchShape; }
    void SetShape(TWatchShape V) { set(FWatchShape, V); }
    TPointerStyle PointerStyle() const { return FPointerStyle; }
    void SetPointerStyle(TPointerStyle V) { set(FPointerStyle, V); }
    TWatchBorderStyle BorderStyle() const { return FBorderStyle; }
    uint8_t HourPointerSize() const { return FHourPointerSize; }
    void SetHourPointerSize(uint8_t V) { set(FHourPointerSize, V); }
    uint8_t SecondPointerSize() const { return FSecondPointerSize; }
    void SetSecondPointerSize(uint8_t V) { set(FSecondPointerSize, V); }
    uint8_t MinutePointerSize() const { return FMinutePointerSize; }
    void SetMinutePointerSize(uint8_t V) { set(FMinutePointerSize, V); }
    plat::TColor HourColor() const { return FHourColor; }
    void SetHourColor(plat::TColor V) { set(FHourColor, V); }
    plat::TColor MinuteColor() const { return FMinuteColor; }
    void SetMinuteColor(plat::TColor V) { set(FMinuteColor, V); }
    uint8_t CenterPointSize() const { return FCenterPointSize; }
    void SetCenterPointSize(uint8_t V) { set(FCenterPointSize, V); }
    plat::TColor CenterPointColor() const { return FCenterPointColor; }
    void SetCenterPointColor(plat::TColor V) { set(FCenterPointColor, V); }
    plat::TColor CenterPointBorderColor() const { return FCenterPointBorderColor; }
    void SetCenterPointBorderColor(plat::TColor V) { set(FCenterPointBorderColor, V); }
    TWatchGradient BackgroundGradient() const { return FBackgroundGradient; }
    void SetBackgroundGradient(TWatchGradient V) { set(FBackgroundGradient, V); }
    int Rounding() const { return FRounding; }
    uint8_t HourMarkLength() const { return FHourMarkLength; }
    void SetHourMarkLength(uint8_t V) { set(FHourMarkLength, V); }
    uint8_t HourMarkWidth() const { return FHourMarkWidth; }
    void SetHourMarkWidth(uint8_t V) { set(FHourMarkWidth, V); }
    uint8_t MinuteMarkLength() const { return FMinuteMarkLength; }
    void SetMinuteMarkLength(uint8_t V) { set(FMinuteMarkLength, V); }
    uint8_t MinuteMarkWidth() const { return FMinuteMarkWidth; }
    void SetMinuteMarkWidth(uint8_t V) { set(FMinuteMarkWidth, V); }
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int V) { set(FBorderWidth, V); }
    plat::TColor AMPMColor() const { return FAMPMColor; }
    void SetAMPMColor(plat::TColor V) { set(FAMPMColor, V); }
    plat::TColor AMPMBorderColor() const { return FAMPMBorderColor; }
    void SetAMPMBorderColor(plat::TColor V) { set(FAMPMBorderColor, V); }
    plat::TColor CenterPointOuterBorderColor() const { return FCenterPointOuterBorderColor; }
    void SetCenterPointOuterBorderColor(plat::TColor V) { set(FCenterPointOuterBorderColor, V); }
    TTickMarks TickMarks() const { return FTickMarks; }
    void SetTickMarks(TTickMarks V) { set(FTickMarks, V); }
    THourMarkStyle HourMarkStyle() const { return FHourMarkStyle; }
    void SetHourMarkStyle(THourMarkStyle V) { set(FHourMarkStyle, V); }

    // Fired after every published setter that changed something (fonts and picture: always).
    std::function<void()> OnChange;

private:
    template <typename T>
    void set(T& Field, T Value) {
        if (Field == Value) return;
        Field = Value;
        changed();
    }
    void changed() {
        if (OnChange) OnChange();
    }

    int FSize;
    plat::TColor FHourPointer;
    plat::TColor FBackgroundColor;
    plat::TColor FMinutePointerShadow;
    plat::TColor FBackgroundColorTo;
    plat::TColor FHourPointerShadow;
    plat::TColor FSecondPointerShadow;
    plat::TColor FSecondPointer;
    plat::TColor FBorderColor;
    plat::TColor FMinutePointer;
    plat::TFont FHourFont;
    plat::TFont FAMPMFont;
    plat::TBitmap FPicture;
    TAMPMFrame FAMPMFrame;
    TWatchShape FWatchShape;
    TPointerStyle FPointerStyle;
    TWatchBorderStyle FBorderStyle;
    uint8_t FHourPointerSize;
    uint8_t FSecondPointerSize;
    uint8_t FMinutePointerSize;
    plat::TColor FHourColor;
    plat::TColor FMinuteColor;
    uint8_t FCenterPointSize;
    plat::TColor FCenterPointColor;
    plat::TColor FCenterPointBorderColor;
    TWatchGradient FBackgroundGradient;
    int FRounding;
    uint8_t FHourMarkLength;
    uint8_t FHourMarkWidth;
    uint8_t FMinuteMarkLength;
    uint8_t FMinuteMarkWidth;
    int FBorderWidth;
    plat::TColor FAMPMColor;
    plat::TColor FAMPMBorderColor;
    plat::TColor FCenterPointOuterBorderColor;
    TTickMarks FTickMarks;
    THourMarkStyle FHourMarkStyle;
};

class TWatchSettings {
public:
    bool Auto() const { return FAuto; }
    void SetAuto(bool V);
    bool Second() const { return FSeconds; }
    void SetSecond(bool V);
    int TimeOffset() const { return FTimeOffset; }
    void SetTimeOffset(int V);
    // Second and TimeOffset are copied quietly; Auto goes through its setter.
    void Assign(const TWatchSettings& Source);

    std::function<void()> OnChange;

private:
    void changed() {
        if (OnChange) OnChange();
    }
    bool FAuto = false;
    bool FSeconds = true;
    int FTimeOffset = 0;
};

// ---- Geometry and hit maths ----

// Rounded to the nearest integer, halves to even.
int Nearest(double X);
// The point at distance R from the centre on the clock angle (degrees, 0 at twelve, clockwise).
QPoint ClockPoint(QPoint Center, double AngleDegrees, double R);

struct TWatchGeometry {
    plat::TRect Face;  // the centred square of the face
    QPoint Center;
    double Radius = 0;
};
// Size > 0: a square of that side, cut to the client; else of side min(width, height) - 20.
TWatchGeometry WatchGeometry(int ClientWidth, int ClientHeight, int Size);

// Distances of the marks from the centre.
struct TMarkRadii {
    int Outer = 0;
    double HourInner = 0;
    double MinuteInner = 0;
};
TMarkRadii MarkRadii(double Radius, int BorderWidth, int HourMarkLength, int MinuteMarkLength);

// Where numeral I (1..12) stands; TextHeight is its text's height in the hour font.
QPoint NumeralAnchor(int I, QPoint Center, int Outer, int HourMarkLength, int TextHeight);

// The AM/PM box below the centre for the measured extent of "AM"; (-1, -1, -1, -1) when hidden.
plat::TRect AMPMRect(bool ShowAMPM, QPoint Center, double Radius, QSize AMExtent);
// The extent of the text "AM" as one line in the font.
QSize AMExtentOf(const plat::TFont& Font);

// The minute (0..59) the direction of (X, Y) from the centre points at.
int MinuteAtPos(QPoint Center, int X, int Y);
// The hour (0..23) a click at (X, Y) selects in the half-day the box shows.
int HourAtPos(QPoint Center, int X, int Y, bool AM);

// ---- Times ----

struct TTimeParts {
    int Hour = 0, Minute = 0, Second = 0, MSec = 0;
};
TTimeParts DecodeTimeParts(TDateTime Value);
// The value's date with the time of day replaced (the parts must be a valid time of day).
TDateTime ReplaceTimeParts(TDateTime Value, const TTimeParts& Parts);
// The running local time (plat::localNow) as a date-time value.
TDateTime NowDateTime();

// ---- Drawing ----

// The shape's fill, gradient and border, then the picture over Client.
void DrawWatchBackground(plat::TCanvas& Canvas, const plat::TRect& Client, const TWatchAppearance& A,
                         const TWatchGeometry& G);
// Hour and minute marks and the numerals.
void DrawWatchTicks(plat::TCanvas& Canvas, const TWatchAppearance& A, const TWatchGeometry& G, bool ShowNumbers);
// The AM/PM box and its word.
void DrawWatchAMPM(plat::TCanvas& Canvas, const TWatchAppearance& A, const plat::TRect& Box, bool AM);
// The hands of the time (the second hand only when Seconds) and the centre point.
void DrawWatchHands(plat::TCanvas& Canvas, const TWatchAppearance& A, const TWatchGeometry& G,
                    const TTimeParts& Time, bool Seconds);
// "AM" above "PM" on the box fill, each Rows pixels high and Width wide: the strip the roll moves.
QImage AMPMStrip(const TWatchAppearance& A, int Width, int Rows);

// ---- The state machine ----

class TWatchCore {
public:
    TWatchCore(TWatchAppearance& Appearance, TWatchSettings& Settings);

    // Host: the hands are to be drawn again on the kept face; the whole control is to be painted;
    // one frame of the AM/PM roll is due; the 1 ms animation timer or the roll's 10 ms timer
    // changes state; the user's change of the time is complete; the AM/PM box now.
    std::function<void()> OnRedrawHands;
    std::function<void()> OnFullPaint;
    std::function<void()> OnRollFrame;
    std::function<void(bool On)> OnAnimationTimer;
    std::function<void(bool On)> OnRollTimer;
    std::function<void()> OnChange;
    std::function<plat::TRect()> AMPMBox;

    TDateTime Time() const { return FTime; }
    // Writes the time and redraws the hands when it differs; fires nothing.
    void SetTime(TDateTime Value);
    // With Settings.Auto the running time plus TimeOffset minutes, else Time.
    TDateTime DisplayTime() const;

    bool AM() const { return FAM; }
    bool Animation() const { return FAnimation; }
    void SetAnimation(bool On) { FAnimation = On; }
    int AnimationFactor() const { return FAnimationFactor; }
    void SetAnimationFactor(int V) { FAnimationFactor = V; }
    bool ShowAMPM() const { return FShowAMPM; }
    void SetShowAMPM(bool On) { FShowAMPM = On; }

    // Public setters: an hour outside 0..23 or a minute outside 0..59 raises "Invalid time".
    void SetHour(int Hour);
    void SetMinute(int Minute);

    // The mouse released at (X, Y) on a face of geometry G.
    void MouseUp(const TWatchGeometry& G, int X, int Y);
    // A key of the original's codes.
    void WatchKeyDown(uint16_t Key);

    // The 1 ms animation tick.
    void AnimationTick();
    bool AnimationTimerOn() const { return FAnimationTimerOn; }
    bool HourAnimating() const { return FHourAnimating; }
    int CurrentHourTo() const { return FCurrentHourTo; }
    int CurrentMinuteTo() const { return FCurrentMinuteTo; }

    // The 100 ms tick of automatic mode.
    void ClockTick();
    // The settings changed.
    void SettingsChanged();

    // The AM/PM roll: one pixel row a tick, from the shown word to the other.
    bool Rolling() const { return FRoll.Active; }
    // The top row of the strip window shown now (0: "AM", Rows: "PM").
    int RollOffset() const;
    int RollRows() const { return FRoll.Rows; }
    void RollTick();
    // Ends a running roll at once, with what waits for its end.
    void FinishRoll();

private:
    struct Internal;
    void setTimeValue(TDateTime Value);
    void setAM(bool Value);
    void setHour(int Hour);
    void setMinute(int Minute);
    void switchHalfDay();
    void redrawHands();
    void fireChange();
    void setAnimationTimer(bool On);

    TWatchAppearance& FAppearance;
    TWatchSettings& FSettings;
    TDateTime FTime = 0;
    int FOldHour = 0, FOldMinute = 0, FOldSecond = 0;
    bool FAnimation = true;
    int FAnimationFactor = 10;
    bool FAnimationTimerOn = false;
    int FCurrentHourTo = 0, FCurrentMinuteTo = 0;
    int FMinuteFrom = 0;
    bool FHourAnimating = false;
    bool FInternalCall = false;
    bool FAM = true;
    bool FShowAMPM = true;
    bool FInternalSet = false;
    struct {
        bool Active = false;
        bool ToAM = false;
        int Rows = 0;
        int Frame = 0;
        bool PendingSwitch = false;  // the half-day change waiting for the roll's end
    } FRoll;
};

}  // namespace dropdowns
