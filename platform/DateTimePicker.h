#pragma once
// The date and time picker the editors stand on, over QDateTimeEdit: a date with a drop-down
// calendar of our own drawing (or up and down arrows), or a time with up and down arrows. The
// fields are typed digit by digit: a field shows the digits typed so far and takes its new value
// once they are complete (two, four for a full year, or fewer when no further digit could follow),
// or when the caret leaves the field; Left and Right move between the fields. With ShowCheckbox a check box of our
// own sits left of the fields: cleared, the picker holds "no date" and its fields are grey.
// The value is kept in UTC, so no daylight-saving gap shifts a time of day.
#include "platform/Colors.h"
#include "platform/Controls.h"

#include <QDateTimeEdit>
#include <QPointer>

namespace plat {

enum TDateTimeKind : uint8_t { dtkDate, dtkTime };
enum TDTDateMode : uint8_t { dmComboBox, dmUpDown };

// The month pop-up: a title with the month and two arrows, the day names and six weeks of days.
// A click on a day or Enter picks it; the arrows, Page Up and Page Down change the shown day or
// month; Esc closes it without a pick.
class TCalendarPopup : public QWidget {
public:
    explicit TCalendarPopup(QWidget* owner);
    QDate Date() const { return date_; }
    void SetDate(QDate date);
    // The first day drawn in the grid (a Monday) for the shown month.
    QDate FirstShownDay() const;
    QRect DayRect(QDate day) const;
    QRect PrevMonthRect() const;
    QRect NextMonthRect() const;

    std::function<void(QDate)> OnPick;
    std::function<void()> OnClose;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void pick(QDate day);
    int cellW_ = 0, cellH_ = 0, titleH_ = 0;
    QDate date_;
};

class TDateTimePicker : public QDateTimeEdit {
public:
    explicit TDateTimePicker(QWidget* parent = nullptr);
    ~TDateTimePicker() override;

    TDateTimeKind Kind() const { return kind_; }
    void SetKind(TDateTimeKind kind);
    TDTDateMode DateMode() const { return dateMode_; }
    void SetDateMode(TDTDateMode mode);
    // The value, kept as UTC wall-clock time.
    QDateTime DateTime() const { return dateTime(); }
    void SetDateTime(const QDateTime& value);
    QDate Date() const { return date(); }
    void SetDate(QDate value);
    QTime Time() const { return time(); }
    void SetTime(QTime value);
    // In the picker's codes ("dd/MM/yyyy", "hh:nn"); empty: the regional short date or long time.
    const QString& Format() const { return format_; }
    void SetFormat(const QString& format);
    bool ShowCheckbox() const { return showCheckbox_; }
    void SetShowCheckbox(bool on);
    bool Checked() const { return checked_; }
    void SetChecked(bool on);
    TColor Color() const { return color_; }
    void SetColor(TColor color);

    bool DroppedDown() const { return calendar_ && calendar_->isVisible(); }
    void DropDown();
    void CloseUp();
    TCalendarPopup* Calendar() const { return calendar_.data(); }

    // The field the caret is in, counted from 0, and moving to another one.
    int FieldIndex() const { return currentSectionIndex(); }
    void SelectField(int index);

    // The drop button (date kind with the calendar) and the check box, in the picker's pixels.
    QRect ButtonRect() const;
    QRect CheckboxRect() const;
    static int ButtonWidth();

    TNotifyEvent OnChange, OnClick, OnDropDown, OnCloseUp;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;

protected:
    // Keys as the controls see them: KeyDown with the key code, then KeyPress per character typed.
    // A key or character set to 0 goes no further.
    virtual void KeyDown(uint16_t& Key, TShiftState Shift);
    virtual void KeyPress(QChar& Key);
    // The user changed the value or the check box; `noDate` when the box is now cleared.
    virtual void DateTimeChange(bool noDate);
    virtual void Change();
    // A value set by code: a date and time (which checks the box) or "no date".
    virtual void SetSystemTime(const QDateTime& value, bool noDate);
    virtual void DoDropDown();
    virtual void DoCloseUp();

    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // Tab leaves the picker; the fields are Left and Right.
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }

    // Paints the drop button and the check box on the picker.
    void paintOwnParts();
    void layoutEdit();

private:
    bool typeDigit(int digit);
    void showPending();
    void restoreText();
    bool commitPending();
    void applyField(Section section, int value);
    void moveField(int by);
    void setByCode(const QDateTime& value);
    void applyFormat();
    void updateNoDateLook();

    TDateTimeKind kind_ = dtkDate;
    TDTDateMode dateMode_ = dmComboBox;
    QString format_;
    bool showCheckbox_ = false, checked_ = true, byCode_ = false;
    TColor color_ = clWindow;
    QString pending_;
    Section pendingSection_ = NoSection;
    QPointer<TCalendarPopup> calendar_;
    QDateTime lastEmitted_;
};

}  // namespace plat
