#pragma once
// The date-and-time picker: a date picker with a second, embedded picker for the time of day, a
// time format of its own, a caption label and AutoTab (once a field is typed in full the caret
// moves on by itself, from the date's last field into the time). Its plain kin is the embedded
// time picker itself.
#include "controls/LabelPlacement.h"
#include "controls/SgDateTimePicker.h"
#include "platform/Timer.h"

#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QPointer>

namespace ctl {

enum TExDateTimeKind : uint8_t { dkDate, dkTime, dkDateTime };

// The event type "DTPShiftFocus" that AutoTab posts to a picker; registered at start-up.
QEvent::Type DTPShiftFocusMessage();
// The start-up registrations of the pickers' unit.
void InitExDateTimePickerUnit();

class TCustomDateTimePicker : public TPickerLook {
public:
    explicit TCustomDateTimePicker(QWidget* parent = nullptr);

    bool AutoTab() const { return autoTab_; }
    virtual void SetAutoTab(bool on) { autoTab_ = on; }
    // Moves on when the field just typed changed: the next field, or the time part.
    virtual void ShiftFocus();

protected:
    void KeyPress(QChar& Key) override;
    bool event(QEvent* event) override;

    bool autoTab_ = false;
    uint16_t Fh = 0, Fm = 0, Fs = 0, Fms = 0;  // the time before the last typed digit

    void postNextField();
};

class TPickerLabel;

class TExDateTimePicker : public TCustomDateTimePicker {
public:
    explicit TExDateTimePicker(QWidget* parent = nullptr);
    ~TExDateTimePicker() override;

    static uint32_t GetVersionNr() { return 0x01020000; }
    QString Version() const { return VersionText(GetVersionNr()); }
    void SetVersion(const QString&) {}  // read-only: writes are ignored

    bool NoCustomPaint() const override { return false; }

    TExDateTimeKind Kind() const { return kind_; }
    void SetKind(TExDateTimeKind kind);
    // Date and time of day; the milliseconds are dropped on writing.
    TDateTime DateTime() const;
    virtual void SetDateTime(TDateTime value);
    TDateTime Date() const;
    void SetDate(TDateTime value);  // keeps the time of day
    TDateTime Time() const;
    void SetTime(TDateTime value);
    const QString& TimeFormat() const { return timeFormat_; }
    void SetTimeFormat(const QString& format);
    void SetAutoTab(bool on) override;
    void SetBorderStyle(plat::TBorderStyle style) override;
    void SetColor(plat::TColor color);
    void SetEnabled(bool on);

    // The embedded time picker (dkDateTime only); none for the other kinds.
    TCustomDateTimePicker* TimePicker() const { return timePicker_.data(); }
    void CreateTimePicker();
    void UpdateTimePicker();
    // Where the time picker goes for a text width w of its value, in the picker's pixels.
    QRect TimePickerPlace(int textWidth) const;

    // Properties set as a whole (a form's loading).
    void BeginLoading() { loading_ = true; }
    void Loaded();

    QString LabelCaption() const;
    void SetLabelCaption(const QString& caption);
    TLabelPosition LabelPosition() const { return labelPosition_; }
    void SetLabelPosition(TLabelPosition position);
    int LabelMargin() const { return labelMargin_; }
    void SetLabelMargin(int margin);
    bool LabelTransparent() const { return labelTransparent_; }
    void SetLabelTransparent(bool on);
    bool LabelAlwaysEnabled() const { return labelAlwaysEnabled_; }
    void SetLabelAlwaysEnabled(bool on);
    const QFont& LabelFont() const { return labelFont_; }
    void SetLabelFont(const QFont& font);
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool on);
    bool FocusLabel = false;
    QLabel* PickerLabel() const;

    plat::TNotifyEvent OnTimeChange, OnLabelClick, OnLabelDblClick;

    // The client point of the field the user changed last, and the timer that keeps it a moment.
    QPoint Fpt() const { return fpt_; }
    plat::TTimer& FocusTimer() { return focusTimer_; }

    void ShiftFocus() override;

protected:
    virtual void DoChange();
    virtual void DoClick();
    virtual void TimePickerKeyPress(QObject* Sender, QChar& Key) {}

    void KeyPress(QChar& Key) override;
    void DateTimeChange(bool noDate) override;
    void Change() override;
    void SetSystemTime(const QDateTime& value, bool noDate) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool event(QEvent* event) override;

private:
    void timePickerChange();
    void enableTimePicker();
    void updateLabel();
    void setLabelBold(bool on);

    TExDateTimeKind kind_ = dkDate;
    plat::TTimer focusTimer_;
    QPoint fpt_{-1, -1};
    QString timeFormat_;
    uint16_t Fy = 0, Fmo = 0, Fd = 0;  // the date before the last typed digit
    QDate lastDate_;
    QPointer<TPickerLabel> label_;
    QFont labelFont_;
    TLabelPosition labelPosition_ = lpLeftTop;
    int labelMargin_ = 4;
    bool labelTransparent_ = false, labelAlwaysEnabled_ = false;
    bool parentFont_ = true, parentFnt_ = false;
    bool ignoreTimePickerCheck_ = false, firstRun_ = true, loading_ = false;
    QPointer<TCustomDateTimePicker> timePicker_;
};

// The rows of the time picker's placement: its left, top and height for the picker's size, the
// width w of the time picker and the answers of the platform layer.
struct TTimePickerPlacement {
    bool vistaOrLater, comCtl6, themeFunction, themeActive, metroActive;
    int bevel;  // 4 with a bevel, else 0
};
QRect PlaceTimePicker(int pickerWidth, int pickerHeight, int w, const TTimePickerPlacement& p);

}  // namespace ctl
