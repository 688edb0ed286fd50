#include "platform/DateTimePicker.h"

#include "platform/Clock.h"
#include "platform/DateTimeFormat.h"
#include "platform/Guard.h"
#include "platform/Themes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionSpinBox>

namespace plat {

namespace {

QDateTime wallClockUtc(const QDateTime& v) { return QDateTime(v.date(), v.time(), Qt::UTC); }

}  // namespace

// ---- the month pop-up ----

TCalendarPopup::TCalendarPopup(QWidget* owner) : QWidget(owner, Qt::Popup) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFocusPolicy(Qt::StrongFocus);
    const QFontMetrics fm(font());
    cellW_ = fm.horizontalAdvance(QStringLiteral("00")) + 14;
    cellH_ = fm.height() + 6;
    titleH_ = cellH_ + 4;
    resize(7 * cellW_ + 2, titleH_ + 7 * cellH_ + 4);
    date_ = localNow().date();
}

void TCalendarPopup::SetDate(QDate date) {
    if (date.isValid()) date_ = date;
    update();
}

QDate TCalendarPopup::FirstShownDay() const {
    const QDate first(date_.year(), date_.month(), 1);
    return first.addDays(-(first.dayOfWeek() - 1));
}

QRect TCalendarPopup::DayRect(QDate day) const {
    const qint64 i = FirstShownDay().daysTo(day);
    if (i < 0 || i >= 42) return {};
    return {1 + int(i % 7) * cellW_, 1 + titleH_ + cellH_ + int(i / 7) * cellH_, cellW_, cellH_};
}

QRect TCalendarPopup::PrevMonthRect() const { return {1, 1, cellW_, titleH_}; }
QRect TCalendarPopup::NextMonthRect() const { return {width() - 1 - cellW_, 1, cellW_, titleH_}; }

void TCalendarPopup::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(rect(), ToQColor(clWindow));
    p.setPen(ToQColor(clBlack));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    // title: the month between its arrows
    p.fillRect(QRect(1, 1, width() - 2, titleH_), ToQColor(clBtnFace));
    const QLocale loc;
    p.drawText(QRect(1, 1, width() - 2, titleH_), Qt::AlignCenter,
               loc.standaloneMonthName(date_.month()) + u' ' + QString::number(date_.year()));
    p.setBrush(ToQColor(clBlack));
    const QRect l = PrevMonthRect(), r = NextMonthRect();
    const QPoint lc = l.center(), rc = r.center();
    p.drawPolygon(QPolygon({QPoint(lc.x() - 3, lc.y()), QPoint(lc.x() + 2, lc.y() - 5), QPoint(lc.x() + 2, lc.y() + 5)}));
    p.drawPolygon(QPolygon({QPoint(rc.x() + 3, rc.y()), QPoint(rc.x() - 2, rc.y() - 5), QPoint(rc.x() - 2, rc.y() + 5)}));
    // day names, Monday first
    for (int d = 0; d < 7; ++d)
        p.drawText(QRect(1 + d * cellW_, 1 + titleH_, cellW_, cellH_), Qt::AlignCenter,
                   loc.standaloneDayName(d + 1, QLocale::ShortFormat).left(2));
    p.drawLine(2, titleH_ + cellH_, width() - 3, titleH_ + cellH_);
    const QDate today = localNow().date();
    const QDate first = FirstShownDay();
    for (int i = 0; i < 42; ++i) {
        const QDate day = first.addDays(i);
        const QRect cell = DayRect(day);
        QColor text = day.month() == date_.month() ? ToQColor(clBlack) : pal.color(QPalette::Disabled, QPalette::Text);
        if (day == date_) {
            p.fillRect(cell.adjusted(1, 1, -1, -1), ToQColor(clHighlight));
            text = ToQColor(clHighlightText);
        }
        if (day == today) {
            p.setPen(ToQColor(RGB(192, 0, 0)));
            p.setBrush(Qt::NoBrush);
            p.drawRect(cell.adjusted(1, 1, -2, -2));
        }
        p.setPen(text);
        p.drawText(cell, Qt::AlignCenter, QString::number(day.day()));
    }
}

void TCalendarPopup::mousePressEvent(QMouseEvent* event) {
    guarded([&] {
        const QPoint pos = event->position().toPoint();
        if (!rect().contains(pos)) {
            close();
            return;
        }
        if (PrevMonthRect().contains(pos)) {
            SetDate(date_.addMonths(-1));
            return;
        }
        if (NextMonthRect().contains(pos)) {
            SetDate(date_.addMonths(1));
            return;
        }
        const QDate first = FirstShownDay();
        for (int i = 0; i < 42; ++i)
            if (DayRect(first.addDays(i)).contains(pos)) {
                pick(first.addDays(i));
                return;
            }
    });
}

void TCalendarPopup::keyPressEvent(QKeyEvent* event) {
    guarded([&] {
        switch (event->key()) {
        case Qt::Key_Left: SetDate(date_.addDays(-1)); break;
        case Qt::Key_Right: SetDate(date_.addDays(1)); break;
        case Qt::Key_Up: SetDate(date_.addDays(-7)); break;
        case Qt::Key_Down: SetDate(date_.addDays(7)); break;
        case Qt::Key_PageUp: SetDate(date_.addMonths(-1)); break;
        case Qt::Key_PageDown: SetDate(date_.addMonths(1)); break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space: pick(date_); break;
        case Qt::Key_Escape:
        case Qt::Key_F4: close(); break;
        default: break;
        }
    });
    event->accept();
}

void TCalendarPopup::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (OnClose) guarded([&] { OnClose(); });
}

void TCalendarPopup::pick(QDate day) {
    date_ = day;
    if (OnPick) OnPick(day);
    close();
}

// ---- the picker ----

TDateTimePicker::TDateTimePicker(QWidget* parent) : QDateTimeEdit(parent) {
    setTimeSpec(Qt::UTC);
    setMinimumDateTime(QDateTime(QDate(1601, 1, 1), QTime(0, 0), Qt::UTC));
    setMaximumDateTime(QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999), Qt::UTC));
    setCalendarPopup(false);
    setByCode(wallClockUtc(localNow()));
    lineEdit()->installEventFilter(this);
    connect(this, &QDateTimeEdit::dateTimeChanged, this, [this](const QDateTime&) {
        if (!byCode_) guarded([&] { DateTimeChange(false); });
    });
    applyFormat();
}

TDateTimePicker::~TDateTimePicker() {
    if (calendar_) {
        calendar_->OnClose = nullptr;
        calendar_->OnPick = nullptr;
    }
}

int TDateTimePicker::ButtonWidth() { return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent); }

void TDateTimePicker::SetKind(TDateTimeKind kind) {
    if (kind == kind_) return;
    kind_ = kind;
    CloseUp();
    applyFormat();
}

void TDateTimePicker::SetDateMode(TDTDateMode mode) {
    if (mode == dateMode_) return;
    dateMode_ = mode;
    applyFormat();
}

void TDateTimePicker::SetFormat(const QString& format) {
    format_ = format;
    applyFormat();
}

void TDateTimePicker::applyFormat() {
    const QDateTime keep = dateTime();
    const FormatSettings fs = formatSettings();
    const QString qt = format_.isEmpty()
                           ? RegionalFormatToQt(kind_ == dtkDate ? fs.shortDateFormat : fs.longTimeFormat, fs)
                           : PickerFormatToQt(format_);
    byCode_ = true;
    setDisplayFormat(qt);
    setDateTime(keep);  // a format without the time fields must not lose the time
    byCode_ = false;
    setButtonSymbols(kind_ == dtkDate && dateMode_ == dmComboBox ? NoButtons : UpDownArrows);
    pending_.clear();
    layoutEdit();
    update();
}

void TDateTimePicker::setByCode(const QDateTime& value) {
    pending_.clear();
    byCode_ = true;
    setDateTime(wallClockUtc(value));
    byCode_ = false;
    restoreText();
}

void TDateTimePicker::SetDateTime(const QDateTime& value) { SetSystemTime(value, false); }
void TDateTimePicker::SetDate(QDate value) { SetDateTime(QDateTime(value, time())); }
void TDateTimePicker::SetTime(QTime value) { SetDateTime(QDateTime(date(), value)); }

void TDateTimePicker::SetSystemTime(const QDateTime& value, bool noDate) {
    if (noDate) {
        checked_ = false;
    } else {
        setByCode(value);
        checked_ = true;
    }
    updateNoDateLook();
}

void TDateTimePicker::SetShowCheckbox(bool on) {
    if (on == showCheckbox_) return;
    showCheckbox_ = on;
    updateNoDateLook();
    layoutEdit();
}

void TDateTimePicker::SetChecked(bool on) {
    if (on == checked_) return;
    if (on) SetSystemTime(dateTime(), false);
    else SetSystemTime({}, true);
}

void TDateTimePicker::SetColor(TColor color) {
    color_ = color;
    QPalette p = palette();
    p.setColor(QPalette::Base, ToQColor(color));
    setPalette(p);
    QPalette e = lineEdit()->palette();
    e.setColor(QPalette::Base, ToQColor(color));
    lineEdit()->setPalette(e);
    update();
}

void TDateTimePicker::updateNoDateLook() {
    QPalette p = lineEdit()->palette();
    const bool grey = showCheckbox_ && !checked_;
    p.setColor(QPalette::Active, QPalette::Text, palette().color(grey ? QPalette::Disabled : QPalette::Active, QPalette::Text));
    p.setColor(QPalette::Inactive, QPalette::Text,
               palette().color(grey ? QPalette::Disabled : QPalette::Inactive, QPalette::Text));
    lineEdit()->setPalette(p);
    update();
}

QRect TDateTimePicker::ButtonRect() const {
    if (kind_ != dtkDate || dateMode_ != dmComboBox) return {};
    const int bw = ButtonWidth();
    return {width() - 2 - bw, 2, bw, std::max(0, height() - 4)};
}

QRect TDateTimePicker::CheckboxRect() const {
    if (!showCheckbox_) return {};
    return {5, (height() - 13) / 2, 13, 13};
}

void TDateTimePicker::layoutEdit() {
    QStyleOptionSpinBox opt;
    initStyleOption(&opt);
    QRect r = style()->subControlRect(QStyle::CC_SpinBox, &opt, QStyle::SC_SpinBoxEditField, this);
    if (const QRect b = ButtonRect(); !b.isEmpty()) r.setRight(std::min(r.right(), b.left() - 1));
    if (const QRect c = CheckboxRect(); !c.isEmpty()) r.setLeft(std::max(r.left(), c.right() + 4));
    // the two outer pixels are the border's, drawn or not
    r = r.intersected(rect().adjusted(2, 2, -2, -2));
    lineEdit()->setGeometry(r);
}

void TDateTimePicker::resizeEvent(QResizeEvent* event) {
    QDateTimeEdit::resizeEvent(event);
    layoutEdit();
}

void TDateTimePicker::showEvent(QShowEvent* event) {
    QDateTimeEdit::showEvent(event);
    layoutEdit();
}

void TDateTimePicker::paintEvent(QPaintEvent* event) {
    QDateTimeEdit::paintEvent(event);
    guarded([&] { paintOwnParts(); });
}

void TDateTimePicker::paintOwnParts() {
    TCanvas c(this);
    if (TRect b = TRect::fromQRect(ButtonRect()); !b.IsEmpty()) {
        if (const TThemeData theme = OpenThemeData(this, u"combobox")) {
            const int state = !isEnabled() ? CBXS_DISABLED : DroppedDown() ? CBXS_PRESSED
                              : underMouse()                ? CBXS_HOT
                                                            : CBXS_NORMAL;
            DrawThemeBackground(theme, c, CP_DROPDOWNBUTTON, state, b);
        } else {
            DrawFrameControl(c, b, DFC_SCROLL,
                             DFCS_SCROLLCOMBOBOX | (DroppedDown() ? DFCS_PUSHED : 0) | (isEnabled() ? 0 : DFCS_INACTIVE));
        }
    }
    if (TRect box = TRect::fromQRect(CheckboxRect()); !box.IsEmpty()) {
        c.Brush().SetColor(color_);
        c.FillRect({box.Left - 1, box.Top - 1, box.Right + 1, box.Bottom + 1});
        DrawFrameControl(c, box, DFC_BUTTON,
                         DFCS_BUTTONCHECK | (checked_ ? DFCS_CHECKED : 0) | (isEnabled() ? 0 : DFCS_INACTIVE));
    }
}

void TDateTimePicker::DropDown() {
    if (kind_ != dtkDate || DroppedDown()) return;
    if (!calendar_) {
        calendar_ = new TCalendarPopup(this);
        calendar_->OnPick = [this](QDate day) {
            if (!checked_) {
                checked_ = true;
                updateNoDateLook();
            }
            setDateTime(QDateTime(day, time(), Qt::UTC));
        };
        calendar_->OnClose = [this] {
            update();
            DoCloseUp();
        };
    }
    calendar_->SetDate(date());
    DoDropDown();
    const QPoint below = mapToGlobal(QPoint(0, height()));
    calendar_->move(below);
    calendar_->show();
    calendar_->setFocus(Qt::PopupFocusReason);
    update();
}

void TDateTimePicker::CloseUp() {
    if (DroppedDown()) calendar_->close();
}

void TDateTimePicker::DoDropDown() {
    if (OnDropDown) OnDropDown(this);
}

void TDateTimePicker::DoCloseUp() {
    if (OnCloseUp) OnCloseUp(this);
}

void TDateTimePicker::DateTimeChange(bool) { Change(); }

void TDateTimePicker::Change() {
    if (OnChange) OnChange(this);
}

void TDateTimePicker::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TDateTimePicker::KeyPress(QChar& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
    if (Key.unicode() >= u'0' && Key.unicode() <= u'9') {
        if (!showCheckbox_ || checked_) typeDigit(Key.unicode() - u'0');
        Key = QChar(0);
    }
}

void TDateTimePicker::SelectField(int index) {
    if (index < 0 || index >= sectionCount()) return;
    setSelectedSection(sectionAt(index));
}

void TDateTimePicker::moveField(int by) {
    commitPending();
    SelectField(currentSectionIndex() + by);
}

bool TDateTimePicker::typeDigit(int digit) {
    const Section section = currentSection();
    const QString f = displayFormat();
    int lo = 0, hi = 59, width = 2;
    switch (section) {
    case DaySection: lo = 1, hi = date().daysInMonth(); break;
    case MonthSection:
        if (f.contains(QStringLiteral("MMM"))) return false;  // a month name takes no digits
        lo = 1, hi = 12;
        break;
    case YearSection:
        width = f.contains(QStringLiteral("yyyy")) ? 4 : 2;
        lo = width == 4 ? 1601 : 0, hi = width == 4 ? 9999 : 99;
        break;
    case HourSection:
        if (f.contains(QStringLiteral("AP"), Qt::CaseInsensitive)) lo = 1, hi = 12;
        else hi = 23;
        break;
    case MinuteSection:
    case SecondSection: break;
    default: return false;
    }
    if (pendingSection_ != section) commitPending();
    pendingSection_ = section;
    pending_ += QChar(u'0' + digit);
    const int v = pending_.toInt();
    // complete once no further digit could make a value of the field
    if (pending_.size() < width && v * 10 <= hi) {
        showPending();
        return true;
    }
    pending_.clear();
    if (v >= lo && v <= hi) applyField(section, v);
    restoreText();
    setSelectedSection(section);
    return true;
}

void TDateTimePicker::showPending() {
    QLineEdit* e = lineEdit();
    restoreText();
    setSelectedSection(pendingSection_);
    const int start = e->selectionStart();
    const int length = int(e->selectedText().size());
    if (start < 0 || length == 0) return;
    // the digits typed so far in place of the field, padded so that the other fields stay put
    QString t = e->text();
    t.replace(start, length, pending_.leftJustified(length, u' '));
    const QSignalBlocker quiet(e);
    e->setText(t);
    e->setSelection(start, int(pending_.size()));
}

void TDateTimePicker::restoreText() {
    QLineEdit* e = lineEdit();
    const QString full = textFromDateTime(dateTime());
    if (e->text() == full) return;
    const int caret = e->cursorPosition();
    const QSignalBlocker quiet(e);
    e->setText(full);
    e->setCursorPosition(std::min(caret, int(full.size())));
}

bool TDateTimePicker::commitPending() {
    if (pending_.isEmpty()) return false;
    const QString typed = pending_;
    pending_.clear();
    const int v = typed.toInt();
    const QString f = displayFormat();
    bool valid = true;
    switch (pendingSection_) {
    case DaySection: valid = v >= 1 && v <= date().daysInMonth(); break;
    case MonthSection: valid = v >= 1 && v <= 12; break;
    case YearSection: valid = !f.contains(QStringLiteral("yyyy")); break;  // a full year needs all digits
    case HourSection: valid = v <= 23 && !(v == 0 && f.contains(QStringLiteral("AP"), Qt::CaseInsensitive)); break;
    default: valid = v <= 59; break;
    }
    if (valid) applyField(pendingSection_, v);
    restoreText();
    return valid;
}

void TDateTimePicker::applyField(Section section, int v) {
    QDate d = date();
    QTime t = time();
    auto withDay = [](int y, int m, int day) { return QDate(y, m, std::min(day, QDate(y, m, 1).daysInMonth())); };
    switch (section) {
    case DaySection: d = QDate(d.year(), d.month(), v); break;
    case MonthSection: d = withDay(d.year(), v, d.day()); break;
    case YearSection: {
        const int y = displayFormat().contains(QStringLiteral("yyyy")) ? v : d.year() / 100 * 100 + v;
        d = withDay(y, d.month(), d.day());
        break;
    }
    case HourSection: {
        int h = v;
        if (displayFormat().contains(QStringLiteral("AP"), Qt::CaseInsensitive)) h = v % 12 + (t.hour() >= 12 ? 12 : 0);
        t = QTime(h, t.minute(), t.second(), t.msec());
        break;
    }
    case MinuteSection: t = QTime(t.hour(), v, t.second(), t.msec()); break;
    case SecondSection: t = QTime(t.hour(), t.minute(), v, t.msec()); break;
    default: return;
    }
    if (!d.isValid() || !t.isValid()) return;
    restoreText();
    setDateTime(QDateTime(d, t, Qt::UTC));  // a user's change: reported
    setSelectedSection(section);
}

void TDateTimePicker::keyPressEvent(QKeyEvent* event) {
    const TKeyInfo info = KeyFromEvent(*event);
    uint16_t key = info.Key;
    bool handled = false;
    guarded([&] {
        if (key != 0) KeyDown(key, info.Shift);
        if (info.Key != 0 && key == 0) {
            handled = true;
            return;
        }
        const bool plain = !info.Shift.contains(ssAlt) && !info.Shift.contains(ssCtrl) && !info.Shift.contains(ssShift);
        if (kind_ == dtkDate && dateMode_ == dmComboBox &&
            ((key == VK_F4 && plain) || (key == VK_DOWN && info.Shift.contains(ssAlt)))) {
            DropDown();
            handled = true;
            return;
        }
        if (showCheckbox_ && key == VK_SPACE) {
            checked_ = !checked_;
            updateNoDateLook();
            DateTimeChange(!checked_);
            handled = true;
            return;
        }
        if ((key == VK_RIGHT || key == VK_LEFT) && plain) {
            moveField(key == VK_RIGHT ? 1 : -1);
            handled = true;
            return;
        }
        const QString typed = KeyPressText(*event);
        bool rest = false;
        for (QChar ch : typed) {
            QChar c = ch;
            KeyPress(c);
            if (c.unicode() >= 32) rest = true;
        }
        if (!typed.isEmpty() && typed[0].unicode() >= 32 && !rest) {
            handled = true;
            return;
        }
        if (showCheckbox_ && !checked_ && key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE) {
            handled = true;  // "no date": the fields take nothing
            return;
        }
        commitPending();
    });
    if (!handled) QDateTimeEdit::keyPressEvent(event);
    else event->accept();
}

void TDateTimePicker::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton && ButtonRect().contains(p)) {
        guarded([&] { DroppedDown() ? CloseUp() : DropDown(); });
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton && CheckboxRect().adjusted(-2, -2, 2, 2).contains(p)) {
        if (!hasFocus()) setFocus(Qt::MouseFocusReason);
        guarded([&] {
            checked_ = !checked_;
            updateNoDateLook();
            DateTimeChange(!checked_);
        });
        event->accept();
        return;
    }
    QDateTimeEdit::mousePressEvent(event);
}

void TDateTimePicker::mouseReleaseEvent(QMouseEvent* event) {
    QDateTimeEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && OnClick)
        guarded([&] { OnClick(this); });
}

bool TDateTimePicker::eventFilter(QObject* watched, QEvent* event) {
    // a click elsewhere in the fields ends a half-typed number first
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonPress) guarded([&] { commitPending(); });
    return QDateTimeEdit::eventFilter(watched, event);
}

void TDateTimePicker::focusOutEvent(QFocusEvent* event) {
    guarded([&] { commitPending(); });
    QDateTimeEdit::focusOutEvent(event);
}

void TDateTimePicker::wheelEvent(QWheelEvent* event) {
    if (showCheckbox_ && !checked_) {
        event->accept();
        return;
    }
    pending_.clear();
    restoreText();
    QDateTimeEdit::wheelEvent(event);
}

}  // namespace plat
