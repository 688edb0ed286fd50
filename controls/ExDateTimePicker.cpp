#include "controls/ExDateTimePicker.h"

#include "controls/ExStyleIF.h"
#include "platform/Guard.h"
#include "platform/Themes.h"
#include "platform/WindowMessages.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>

using namespace plat;

namespace ctl {

namespace {

bool isDigit(QChar k) { return k.unicode() >= u'0' && k.unicode() <= u'9'; }

}  // namespace

QEvent::Type DTPShiftFocusMessage() {
    // kept as the 16-bit number it is
    static const uint16_t id = uint16_t(RegisterWindowMessage(QStringLiteral("DTPShiftFocus")));
    return QEvent::Type(id);
}

namespace {
// Registered when the program starts, before any picker exists.
const QEvent::Type registeredAtStartUp = DTPShiftFocusMessage();
}  // namespace

void InitExDateTimePickerUnit() { (void)registeredAtStartUp; }

class TPickerLabel : public QLabel {
public:
    using QLabel::QLabel;
    TNotifyEvent OnClick, OnDblClick;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLabel::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && OnClick)
            guarded([&] { OnClick(this); });
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        QLabel::mouseDoubleClickEvent(event);
        if (OnDblClick) guarded([&] { OnDblClick(this); });
    }
};

QRect PlaceTimePicker(int W, int H, int w, const TTimePickerPlacement& p) {
    const int b = p.bevel;
    if (!p.vistaOrLater) return {W - w - 21, -2, w, H};
    if (!p.comCtl6 || !p.themeFunction) return {W - w - 23 - b, -2, w, H - b};
    if (!p.themeActive) return {W - w - 21 - b, 2, w, H - b - 4};
    return {W - w - (p.metroActive ? 21 : 34) - b, 1, w, H - 2 - b};
}

// ---- the plain picker with AutoTab ----

TCustomDateTimePicker::TCustomDateTimePicker(QWidget* parent) : TPickerLook(Variant::Ex, parent) {
    ctl3D_ = false;
    borderColor_ = 0;
}

void TCustomDateTimePicker::postNextField() {
    QCoreApplication::postEvent(this, new QKeyEvent(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier));
}

void TCustomDateTimePicker::KeyPress(QChar& Key) {
    if (!isDigit(Key) || !autoTab_) {
        TPickerLook::KeyPress(Key);
        return;
    }
    if (TDateTimePicker::Kind() == dtkTime) {
        const QTime t = TDateTimePicker::Time();
        Fh = uint16_t(t.hour()), Fm = uint16_t(t.minute()), Fs = uint16_t(t.second()), Fms = uint16_t(t.msec());
    }
    TPickerLook::KeyPress(Key);
    QCoreApplication::postEvent(this, new QEvent(DTPShiftFocusMessage()));
}

void TCustomDateTimePicker::ShiftFocus() {
    if (TDateTimePicker::Kind() != dtkTime) return;
    const QTime t = TDateTimePicker::Time();
    if (t.hour() != Fh || t.minute() != Fm || t.second() != Fs) postNextField();
}

bool TCustomDateTimePicker::event(QEvent* event) {
    if (event->type() == DTPShiftFocusMessage()) {
        guarded([&] { ShiftFocus(); });
        return true;
    }
    return TPickerLook::event(event);
}

// ---- the date-and-time picker ----

TExDateTimePicker::TExDateTimePicker(QWidget* parent) : TCustomDateTimePicker(parent) {
    SetBorderStyle(bsSingle);
    SetCtl3D(true);
    focusTimer_.SetEnabled(false);
    focusTimer_.SetInterval(20);
    focusTimer_.SetOnTimer([this](QObject*) { focusTimer_.SetEnabled(false); });
    labelFont_ = font();
    lastDate_ = TDateTimePicker::Date();
    SetKind(dkDateTime);
}

TExDateTimePicker::~TExDateTimePicker() {
    focusTimer_.SetOnTimer(nullptr);
    delete label_;
    delete timePicker_;
}

void TExDateTimePicker::SetKind(TExDateTimeKind kind) {
    if (kind == kind_) return;
    kind_ = kind;
    TDateTimePicker::SetKind(kind == dkTime ? dtkTime : dtkDate);
    if (kind == dkDateTime) CreateTimePicker();
    UpdateTimePicker();
}

void TExDateTimePicker::CreateTimePicker() {
    if (kind_ != dkDateTime || timePicker_) return;
    auto* tp = new TCustomDateTimePicker(this);
    tp->resize(90, 17);
    tp->hide();
    tp->setEnabled(isEnabled());
    tp->TDateTimePicker::SetKind(dtkTime);
    tp->OnChange = [this](QObject*) { timePickerChange(); };
    tp->OnClick = [this](QObject*) { DoClick(); };
    tp->OnKeyPress = [this](QObject* sender, QChar& key) { TimePickerKeyPress(sender, key); };
    tp->OnKeyDown = [this](QObject*, uint16_t& key, TShiftState shift) { KeyDown(key, shift); };
    timePicker_ = tp;
}

void TExDateTimePicker::timePickerChange() {
    // the time part is the picker's own time too, so nothing re-laying it out can take it back
    const QTime t = timePicker_->TDateTimePicker::Time();
    const bool checked = Checked();
    TDateTimePicker::SetSystemTime(QDateTime(TDateTimePicker::Date(), t), false);
    if (!checked) TDateTimePicker::SetSystemTime({}, true);
    DoChange();
    if (OnTimeChange) OnTimeChange(this);
}

void TExDateTimePicker::enableTimePicker() {
    if (timePicker_) timePicker_->setEnabled(isEnabled() && (Checked() || !ShowCheckbox()));
}

QRect TExDateTimePicker::TimePickerPlace(int textWidth) const {
    const TTimePickerPlacement p{IsVistaOrLater(), IsComCtl6(), ThemeBindingLoaded(), ThemeActive(), MetroActive(), 0};
    return PlaceTimePicker(width(), height(), textWidth + 31, p);
}

void TExDateTimePicker::UpdateTimePicker() {
    TCustomDateTimePicker* tp = timePicker_;
    if (!tp) return;
    if (tp->parentWidget() != this) tp->setParent(this);
    tp->SetColor(Color());
    enableTimePicker();
    const bool visible = kind_ == dkDateTime;
    const bool checked = tp->Checked();
    tp->TDateTimePicker::SetDateTime(TDateTimePicker::DateTime());
    if (!checked) tp->SetChecked(false);
    tp->SetFormat(timeFormat_);
    tp->setFont(font());
    if (!visible) {
        if (!loading_) delete tp;
        else tp->hide();
        return;
    }
    const int textWidth = QFontMetrics(font()).horizontalAdvance(tp->text());
    tp->setGeometry(TimePickerPlace(textWidth));
    tp->show();
}

TDateTime TExDateTimePicker::DateTime() const {
    QDateTime v = TDateTimePicker::DateTime();
    if (timePicker_) v.setTime(timePicker_->TDateTimePicker::Time());
    return FromQDateTime(v);
}

void TExDateTimePicker::SetDateTime(TDateTime value) {
    int h = 0, m = 0, s = 0, ms = 0;
    DecodeTime(value, h, m, s, ms);
    const QDateTime v(ToQDateTime(DateOf(value)).date(), QTime(h, m, s), Qt::UTC);
    if (!v.date().isValid()) return;
    TDateTimePicker::SetDateTime(v);
    CreateTimePicker();
    if (timePicker_) timePicker_->TDateTimePicker::SetDateTime(v);
}

TDateTime TExDateTimePicker::Date() const { return FromQDateTime(QDateTime(TDateTimePicker::Date(), QTime(0, 0), Qt::UTC)); }

void TExDateTimePicker::SetDate(TDateTime value) {
    int h = 0, m = 0, s = 0, ms = 0;
    DecodeTime(DateTime(), h, m, s, ms);
    SetDateTime(DateOf(value) + EncodeTime(h, m, s, 0));
}

TDateTime TExDateTimePicker::Time() const {
    const QTime t = kind_ == dkDateTime && timePicker_ ? timePicker_->TDateTimePicker::Time() : TDateTimePicker::Time();
    return double(t.msecsSinceStartOfDay()) / 86400000.0;
}

void TExDateTimePicker::SetTime(TDateTime value) {
    TDateTimePicker::SetTime(ToQDateTime(TimeOfDay(value)).time());
    UpdateTimePicker();
}

void TExDateTimePicker::SetTimeFormat(const QString& format) {
    if (timePicker_) timePicker_->SetFormat(format);
    if (kind_ == dkTime) SetFormat(format);
    timeFormat_ = format;
    UpdateTimePicker();
}

void TExDateTimePicker::SetAutoTab(bool on) {
    autoTab_ = on;
    if (timePicker_) timePicker_->SetAutoTab(on);
}

void TExDateTimePicker::SetBorderStyle(TBorderStyle style) {
    TCustomDateTimePicker::SetBorderStyle(style);
    UpdateTimePicker();
}

void TExDateTimePicker::SetColor(TColor color) {
    TDateTimePicker::SetColor(color);
    UpdateTimePicker();
}

void TExDateTimePicker::SetEnabled(bool on) { setEnabled(on); }

void TExDateTimePicker::DoChange() {
    if (OnChange) OnChange(this);
}

void TExDateTimePicker::DoClick() {
    if (OnClick) OnClick(this);
}

void TExDateTimePicker::Change() { DoChange(); }

void TExDateTimePicker::KeyPress(QChar& Key) {
    if (!isDigit(Key) || !autoTab_) {
        TPickerLook::KeyPress(Key);
        return;
    }
    const QDate d = TDateTimePicker::Date();
    Fy = uint16_t(d.year()), Fmo = uint16_t(d.month()), Fd = uint16_t(d.day());
    if (TDateTimePicker::Kind() == dtkTime) {
        const QTime t = TDateTimePicker::Time();
        Fh = uint16_t(t.hour()), Fm = uint16_t(t.minute()), Fs = uint16_t(t.second()), Fms = uint16_t(t.msec());
    }
    TPickerLook::KeyPress(Key);
    QCoreApplication::postEvent(this, new QEvent(DTPShiftFocusMessage()));
}

void TExDateTimePicker::ShiftFocus() {
    if (kind_ == dkTime) {
        TCustomDateTimePicker::ShiftFocus();
        return;
    }
    const QDate d = TDateTimePicker::Date();
    const bool day = d.day() != Fd, month = d.month() != Fmo, year = d.year() != Fy;
    auto toTimePart = [&] {
        if (timePicker_) timePicker_->setFocus(Qt::TabFocusReason);
    };
    const QString& f = Format();
    if (!f.isEmpty()) {
        const QChar last = f.back().toLower();
        if ((last == u'd' && day) || (last == u'm' && month) || (last == u'y' && year))
            toTimePart();  // the format's last field is complete
        else if (day || month || year)
            postNextField();
    } else if (day || month) {
        postNextField();
    } else if (year) {
        toTimePart();
    }
}

void TExDateTimePicker::SetSystemTime(const QDateTime& value, bool noDate) {
    TCustomDateTimePicker::SetSystemTime(value, noDate);
    lastDate_ = TDateTimePicker::Date();
    if (!ShowCheckbox()) return;
    enableTimePicker();
    if (!noDate && timePicker_) ignoreTimePickerCheck_ = timePicker_->isEnabled();
}

void TExDateTimePicker::DateTimeChange(bool noDate) {
    fpt_ = QPoint(-1, -1);
    TCustomDateTimePicker::DateTimeChange(noDate);
    const QDate d = TDateTimePicker::Date();
    if (d.year() != lastDate_.year()) fpt_ = QPoint(80, 5);
    else if (d.month() != lastDate_.month()) fpt_ = QPoint(46, 5);
    else if (d.day() != lastDate_.day()) fpt_ = QPoint(28, 5);
    if (fpt_ != QPoint(-1, -1)) focusTimer_.SetEnabled(true);
    if (!ignoreTimePickerCheck_ && timePicker_) {
        enableTimePicker();
        if (noDate) timePicker_->setEnabled(false);
    }
    ignoreTimePickerCheck_ = false;
    lastDate_ = d;
}

void TExDateTimePicker::Loaded() {
    loading_ = false;
    CreateTimePicker();
    UpdateTimePicker();
    if (!Checked()) {
        SetChecked(false);
        if (timePicker_) timePicker_->setEnabled(false);
    }
    if (label_ && !labelAlwaysEnabled_) label_->setEnabled(isEnabled());
    updateLabel();
    if (label_ && parentFont_) label_->setFont(font());
    parentFnt_ = parentFont_;
    updateLabel();
}

// ---- events ----

bool TExDateTimePicker::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange && label_) {
        label_->setParent(parentWidget());
        updateLabel();
    }
    return TCustomDateTimePicker::event(event);
}

void TExDateTimePicker::paintEvent(QPaintEvent* event) {
    if (firstRun_) {
        firstRun_ = false;
        guarded([&] { UpdateTimePicker(); });
    }
    TCustomDateTimePicker::paintEvent(event);
}

void TExDateTimePicker::resizeEvent(QResizeEvent* event) {
    TCustomDateTimePicker::resizeEvent(event);
    guarded([&] {
        UpdateTimePicker();
        updateLabel();
    });
}

void TExDateTimePicker::moveEvent(QMoveEvent* event) {
    TCustomDateTimePicker::moveEvent(event);
    guarded([&] { updateLabel(); });
}

void TExDateTimePicker::changeEvent(QEvent* event) {
    TCustomDateTimePicker::changeEvent(event);
    guarded([&] {
        if (event->type() == QEvent::EnabledChange) {
            if (timePicker_) timePicker_->setEnabled(isEnabled());
            if (label_ && !labelAlwaysEnabled_) label_->setEnabled(isEnabled());
        } else if (event->type() == QEvent::FontChange) {
            if (timePicker_) timePicker_->setFont(font());
            if (label_ && parentFnt_) label_->setFont(font());
        }
    });
}

void TExDateTimePicker::focusInEvent(QFocusEvent* event) {
    TCustomDateTimePicker::focusInEvent(event);
    if (!loading_) setLabelBold(true);
}

void TExDateTimePicker::focusOutEvent(QFocusEvent* event) {
    TCustomDateTimePicker::focusOutEvent(event);
    if (!loading_) setLabelBold(false);
}

void TExDateTimePicker::showEvent(QShowEvent* event) {
    TCustomDateTimePicker::showEvent(event);
    if (label_) label_->setVisible(true);
}

void TExDateTimePicker::hideEvent(QHideEvent* event) {
    TCustomDateTimePicker::hideEvent(event);
    if (label_ && isHidden()) label_->setVisible(false);
}

// ---- the label ----

QLabel* TExDateTimePicker::PickerLabel() const { return label_.data(); }

QString TExDateTimePicker::LabelCaption() const { return label_ ? label_->text() : QString(); }

void TExDateTimePicker::SetLabelCaption(const QString& caption) {
    if (!label_) {
        label_ = new TPickerLabel(parentWidget());
        label_->setBuddy(this);
        label_->OnClick = [this](QObject*) {
            if (OnLabelClick) OnLabelClick(this);
        };
        label_->OnDblClick = [this](QObject*) {
            if (OnLabelDblClick) OnLabelDblClick(this);
        };
    }
    label_->setText(caption);
    updateLabel();
}

void TExDateTimePicker::SetLabelPosition(TLabelPosition position) {
    labelPosition_ = position;
    updateLabel();
}

void TExDateTimePicker::SetLabelMargin(int margin) {
    labelMargin_ = margin;
    updateLabel();
}

void TExDateTimePicker::SetLabelTransparent(bool on) {
    labelTransparent_ = on;
    updateLabel();
}

void TExDateTimePicker::SetLabelAlwaysEnabled(bool on) {
    labelAlwaysEnabled_ = on;
    if (on && label_) label_->setEnabled(true);
    updateLabel();
}

void TExDateTimePicker::SetLabelFont(const QFont& font) {
    labelFont_ = font;
    updateLabel();
}

void TExDateTimePicker::SetParentFont(bool on) {
    parentFont_ = parentFnt_ = on;
    updateLabel();
}

void TExDateTimePicker::updateLabel() {
    if (!label_) return;
    label_->setAutoFillBackground(!labelTransparent_);
    QFont f = parentFnt_ ? font() : labelFont_;
    f.setBold(label_->font().bold() && FocusLabel && hasFocus());
    label_->setFont(f);
    QString shown = label_->text();
    shown.remove(u'&');
    const int w = QFontMetrics(label_->font()).horizontalAdvance(shown);
    label_->adjustSize();
    label_->resize(w, label_->height());
    label_->move(LabelPlace(labelPosition_, label_->size(), TRect::fromQRect(geometry()), labelMargin_));
    label_->setVisible(!isHidden());
}

void TExDateTimePicker::setLabelBold(bool on) {
    if (!FocusLabel || !label_) return;
    QFont f = label_->font();
    f.setBold(on);
    label_->setFont(f);
}

}  // namespace ctl
