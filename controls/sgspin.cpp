#include "controls/sgspin.h"

#include "controls/DateTimeUtil.h"
#include "platform/Beep.h"
#include "platform/Guard.h"
#include "platform/IntConv.h"
#include "platform/Themes.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>

using namespace plat;

namespace ctl {

// ---- the repeating button ----

TExTimerSpeedButton::TExTimerSpeedButton(QWidget* parent) : TSpeedButton(parent) {}

TExTimerSpeedButton::~TExTimerSpeedButton() {
    if (repeatTimer_) repeatTimer_->SetOnTimer(nullptr);
}

void TExTimerSpeedButton::SetButtonDirection(TButtonDirection direction) {
    buttonDirection_ = direction;
    update();
}

void TExTimerSpeedButton::SetIsWinXP(bool on) {
    isWinXP_ = on;
    update();
}

void TExTimerSpeedButton::invalidateParent() {
    if (QWidget* p = parentWidget()) p->update();
}

void TExTimerSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TSpeedButton::MouseDown(Button, Shift, X, Y);
    if (timeBtnState_.contains(tbAllowTimer)) {
        if (!repeatTimer_) {
            repeatTimer_ = new TTimer(this);
            repeatTimer_->SetEnabled(false);
        }
        repeatTimer_->SetOnTimer([this](QObject*) { timerExpired(); });
        repeatTimer_->SetInterval(400);
        repeatTimer_->SetEnabled(true);
    }
    invalidateParent();
}

void TExTimerSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TSpeedButton::MouseUp(Button, Shift, X, Y);
    if (repeatTimer_) repeatTimer_->SetEnabled(false);
    invalidateParent();
}

void TExTimerSpeedButton::timerExpired() {
    repeatTimer_->SetInterval(100);
    if (State() == bsDown && Dragging()) {
        try {
            Click();
        } catch (...) {
            // a failing click must not repeat: the error is shown once
            repeatTimer_->SetEnabled(false);
            throw;
        }
    }
}

void TExTimerSpeedButton::MouseEnter() {
    hasMouse_ = true;
    update();
    TSpeedButton::MouseEnter();
}

void TExTimerSpeedButton::MouseLeave() {
    hasMouse_ = false;
    update();
    TSpeedButton::MouseLeave();
}

void TExTimerSpeedButton::Paint() {
    TCanvas& c = Canvas();
    const TRect r{0, 0, width(), height()};
    const bool down = State() == bsDown || State() == bsExclusive;
    const auto* owner = dynamic_cast<TSgSpinButton*>(parentWidget());
    if (owner && owner->ButtonColor != clNone) {
        TColor face = owner->ButtonColor;
        if (down) face = owner->ButtonColorDown;
        else if (hasMouse_) face = owner->ButtonColorHot;
        c.Pen().SetColor(face);
        c.Brush().SetColor(face);
        c.Rectangle(r);
        c.Pen().SetColor(clBlack);
        c.Brush().SetColor(clBlack);
        const int x = r.Left, y = r.Top;
        switch (buttonDirection_) {
        case bdLeft: c.Polygon({{x + 5, y + 5}, {x + 3, y + 7}, {x + 5, y + 9}}); break;
        case bdRight: c.Polygon({{x + 3, y + 5}, {x + 5, y + 7}, {x + 3, y + 9}}); break;
        case bdUp: c.Polygon({{x + 4, y + 4}, {x + 8, y + 4}, {x + 6, y + 2}}); break;
        case bdDown: c.Polygon({{x + 4, y + 2}, {x + 8, y + 2}, {x + 6, y + 4}}); break;
        }
        return;
    }
    if (isWinXP_) {
        if (const TThemeData theme = OpenThemeData(parentWidget(), u"spin")) {
            static constexpr int parts[] = {SPNP_DOWNHORZ, SPNP_UPHORZ, SPNP_UP, SPNP_DOWN};  // by TButtonDirection
            const int state = down ? UPS_PRESSED : hasMouse_ ? UPS_HOT : UPS_NORMAL;
            DrawThemeBackground(theme, c, parts[buttonDirection_], state, r);
            return;
        }
    }
    if (buttonDirection_ == bdLeft || buttonDirection_ == bdRight) {
        TRect a = r;
        DrawFrameControl(c, a, DFC_SCROLL,
                         (buttonDirection_ == bdLeft ? DFCS_SCROLLLEFT : DFCS_SCROLLRIGHT) | (down ? DFCS_PUSHED : 0) |
                             (Flat() ? DFCS_FLAT : 0));
        return;
    }
    TSpeedButton::Paint();
}

// ---- the pair ----

TBitmap TSgSpinButton::BuiltInGlyph(bool up) {
    TBitmap b(9, 6);
    TCanvas& c = b.Canvas();
    c.Brush().SetColor(clOlive);
    c.FillRect({0, 0, 9, 6});
    for (int row = 0; row < 4; ++row) {
        const int half = up ? row : 3 - row;  // 1, 3, 5, 7 pixels wide going down for the up arrow
        for (int x = 4 - half; x <= 4 + half; ++x) c.SetPixel(x, row + 1, clBlack);
    }
    b.SetTransparent(true);
    return b;
}

TSgSpinButton::TSgSpinButton(QWidget* parent) : TCustomControl(parent) {
    SetControlStyle(TControlStyle{csClickEvents, csDoubleClicks, csOpaque});
    setFocusPolicy(Qt::NoFocus);
    auto makeButton = [this](TButtonDirection dir) {
        auto* b = new TExTimerSpeedButton(this);
        b->OnClick = [this](QObject* sender) { buttonClick(sender); };
        b->OnMouseDown = [this, b](QObject*, TMouseButton mb, TShiftState, int, int) { buttonMouseDown(b, mb); };
        b->SetTimeBtnState(TTimeBtnState{tbAllowTimer});
        b->SetButtonDirection(dir);
        b->SetGlyph(BuiltInGlyph(dir == bdUp));
        b->show();
        return b;
    };
    upButton_ = makeButton(bdUp);
    downButton_ = makeButton(bdDown);
    focusedButton_ = upButton_;
    SetBounds(0, 0, 15, 25);
}

TSgSpinButton::~TSgSpinButton() {
    upButton_->OnClick = nullptr;
    downButton_->OnClick = nullptr;
}

void TSgSpinButton::SetTabStop(bool on) {
    tabStop_ = on;
    setFocusPolicy(on ? Qt::StrongFocus : Qt::NoFocus);
}

void TSgSpinButton::SetIsWinXP(bool on) {
    isWinXP_ = on;
    upButton_->SetIsWinXP(on);
    downButton_->SetIsWinXP(on);
}

void TSgSpinButton::SetUpGlyph(const TBitmap& glyph) {
    if (glyph.Empty()) {
        upButton_->SetGlyph(BuiltInGlyph(true));
        upButton_->SetNumGlyphs(1);
    } else {
        upButton_->SetGlyph(glyph);
    }
    upButton_->update();
}

void TSgSpinButton::SetDownGlyph(const TBitmap& glyph) {
    if (glyph.Empty()) {
        downButton_->SetGlyph(BuiltInGlyph(false));
        downButton_->SetNumGlyphs(1);
    } else {
        downButton_->SetGlyph(glyph);
    }
    downButton_->update();
}

void TSgSpinButton::SetDirection(TSpinDirection direction) {
    if (direction == direction_) return;
    direction_ = direction;
    const bool horizontal = direction == spHorizontal;
    upButton_->SetButtonDirection(horizontal ? bdRight : bdUp);
    downButton_->SetButtonDirection(horizontal ? bdLeft : bdDown);
    SetBounds(x(), y(), horizontal ? 20 : 15, height());
}

void TSgSpinButton::AdjustButtons(int& w, int& h) {
    if (direction_ == spVertical) {
        w = std::max(w, 15);
        const int upHeight = h / 2;
        upButton_->setGeometry(0, 0, w, upHeight);
        downButton_->setGeometry(0, upHeight - 1, w, h - upHeight + 1);  // the two share a pixel row
    } else {
        w = std::max(w, 20);
        downButton_->setGeometry(0, 0, w / 2, h);
        upButton_->setGeometry(w / 2 + 1, 0, w / 2, h);
    }
}

void TSgSpinButton::SetBounds(int left, int top, int width, int height) {
    adjusting_ = true;
    AdjustButtons(width, height);
    setGeometry(left, top, width, height);
    adjusting_ = false;
}

void TSgSpinButton::resizeEvent(QResizeEvent* event) {
    TCustomControl::resizeEvent(event);
    if (adjusting_) return;
    int w = width(), h = height();
    AdjustButtons(w, h);
    if (w != width() || h != height()) SetBounds(x(), y(), w, h);
}

bool TSgSpinButton::canTakeFocus(const QWidget* w) const {
    return w->isEnabled() && w->isVisible() && w->focusPolicy() != Qt::NoFocus;
}

void TSgSpinButton::buttonMouseDown(TExTimerSpeedButton* button, TMouseButton b) {
    if (b != mbLeft) return;
    FocusButton(button);
    QWidget* fc = focusControl_.data();
    if (fc && (fc->focusPolicy() & Qt::TabFocus) && canTakeFocus(fc) && !fc->hasFocus())
        fc->setFocus(Qt::MouseFocusReason);
    else if (tabStop_ && !hasFocus() && canTakeFocus(this))
        setFocus(Qt::MouseFocusReason);
}

void TSgSpinButton::buttonClick(QObject* sender) {
    if (sender == upButton_) {
        if (OnUpClick) OnUpClick(this);
    } else if (sender == downButton_) {
        if (OnDownClick) OnDownClick(this);
    }
}

void TSgSpinButton::FocusButton(TExTimerSpeedButton* button) {
    if (!tabStop_ || !canTakeFocus(this) || button == focusedButton_) return;
    focusedButton_->SetTimeBtnState(focusedButton_->TimeBtnState().exclude(tbFocusRect));
    focusedButton_ = button;
    if (hasFocus()) {
        focusedButton_->SetTimeBtnState(focusedButton_->TimeBtnState().include(tbFocusRect));
        update();
    }
}

void TSgSpinButton::focusInEvent(QFocusEvent*) {
    focusedButton_->SetTimeBtnState(focusedButton_->TimeBtnState().include(tbFocusRect));
    focusedButton_->update();
}

void TSgSpinButton::focusOutEvent(QFocusEvent*) {
    focusedButton_->SetTimeBtnState(focusedButton_->TimeBtnState().exclude(tbFocusRect));
    focusedButton_->update();
}

void TSgSpinButton::KeyDown(uint16_t& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    switch (Key) {
    case VK_SPACE: focusedButton_->Click(); break;
    case VK_UP:
        FocusButton(upButton_);
        upButton_->Click();
        break;
    case VK_DOWN:
        FocusButton(downButton_);
        downButton_->Click();
        break;
    default: break;
    }
}

// ---- the spin edit ----

TSgSpinEdit::TSgSpinEdit(QWidget* parent) : TCustomMaskEdit(parent) {
    button_ = new TSgSpinButton(this);
    button_->SetBounds(0, 0, 15, 17);
    button_->SetFocusControl(this);
    button_->OnUpClick = [this](QObject* sender) { UpClick(sender); };
    button_->OnDownClick = [this](QObject* sender) { DownClick(sender); };
    button_->show();
    SetText(QStringLiteral("0"));
    placeButton();
    SetEditRect();
}

TSgSpinEdit::~TSgSpinEdit() {
    button_->OnUpClick = nullptr;
    button_->OnDownClick = nullptr;
}

int TSgSpinEdit::CheckValue(int value) const {
    if (MinValue == MaxValue) return value;
    if (value <= MinValue) return MinValue;
    if (value >= MaxValue) return MaxValue;
    return value;
}

double TSgSpinEdit::CheckFloatValue(double value) const {
    if (MinFloatValue == MaxFloatValue) return value;
    if (value <= MinFloatValue) return MinFloatValue;
    if (value >= MaxFloatValue) return MaxFloatValue;
    return value;
}

TDateTime TSgSpinEdit::CheckDateValue(TDateTime value) const {
    if (MinDateValue == MaxDateValue) return value;
    if (value <= MinDateValue) return MinDateValue;
    if (value >= MaxDateValue) return MaxDateValue;
    return value;
}

int TSgSpinEdit::Value() const {
    const QString t = Text().trimmed();
    if (t.isEmpty()) return 0;
    return tryStrToInt(t).value_or(MinValue);
}

void TSgSpinEdit::SetValue(int value) {
    SetText(QString::number(CheckValue(value)));
    if (!EditorEnabled) SelectAll();
}

double TSgSpinEdit::FloatValue() const {
    return textToFloat(Text(), formatSettings().decimalSeparator).value_or(MinFloatValue);
}

void TSgSpinEdit::SetFloatValue(double value) {
    const double v = CheckFloatValue(value);
    QString t = precision_ > 0 ? QString::number(v, 'f', precision_) : QString::number(v, 'g', 15);
    t.replace(u'.', formatSettings().decimalSeparator);
    SetText(t);
}

TDateTime TSgSpinEdit::DateValue() const {
    const QString t = Text();
    if (t.isEmpty() || t == u"0") return Today();
    TDateTime v = 0;
    return TextToDate(t, v) ? v : MinDateValue;
}

void TSgSpinEdit::SetDateValue(TDateTime value) {
    dateValue_ = value;
    if (loading_) return;
    setTextKeepCaret(DateToText(CheckDateValue(value)));
}

TDateTime TSgSpinEdit::TimeValue() const {
    TDateTime v = 0;
    return TextToTime(Text(), v) ? v : 0;
}

QString TSgSpinEdit::timeText(TDateTime value) const {
    if (ShowSeconds) return TimeToText(value);
    const FormatSettings fs = formatSettings();
    return FormatDateTimeText(QStringLiteral("h:mm"), value, fs);
}

void TSgSpinEdit::SetTimeValue(TDateTime value) {
    timeValue_ = value;
    if (loading_) return;
    setTextKeepCaret(timeText(CheckDateValue(value)));
}

void TSgSpinEdit::setTextKeepCaret(const QString& text) {
    const int caret = SelStart();
    SetText(text);
    SetSelStart(std::min(caret, int(text.size())));
}

void TSgSpinEdit::SetSpinType(TSgSpinType type) {
    spinType_ = type;
    switch (type) {
    case sptNormal: SetValue(Value()); break;
    case sptFloat: SetFloatValue(FloatValue()); break;
    case sptDate: SetDateValue(DateValue()); break;
    case sptTime: SetTimeValue(TimeValue()); break;
    }
}

void TSgSpinEdit::SetPrecision(int precision) {
    precision_ = precision;
    if (spinType_ == sptFloat) SetFloatValue(FloatValue());
}

void TSgSpinEdit::Loaded() {
    loading_ = false;
    if (spinType_ == sptDate) SetText(DateToText(dateValue_));
    if (spinType_ == sptTime) SetText(timeText(timeValue_));
    SetSpinType(spinType_);
}

void TSgSpinEdit::SetDirection(TSpinDirection direction) {
    if (direction == direction_) return;
    direction_ = direction;
    button_->SetDirection(direction);
    placeButton();
    SetEditRect();
}

void TSgSpinEdit::SetSpinFlat(bool on) {
    button_->UpButton()->SetFlat(on);
    button_->DownButton()->SetFlat(on);
    spinFlat_ = on;
}

void TSgSpinEdit::SetSpinTransparent(bool on) {
    button_->UpButton()->SetTransparent(on);
    button_->DownButton()->SetTransparent(on);
    spinTransparent_ = on;
    placeButton();
}

void TSgSpinEdit::SetEditAlign(TEditAlign align) {
    editAlign_ = align;
    SetAlignment(align == eaRight ? taRightJustify : align == eaCenter ? taCenter : taLeftJustify);
}

void TSgSpinEdit::SetCtl3D(bool on) {
    ctl3D_ = on;
    placeButton();
}

void TSgSpinEdit::SetIsWinXP(bool on) {
    isWinXP_ = on;
    button_->SetIsWinXP(on);
}

void TSgSpinEdit::SetBorderStyle(TBorderStyle style) {
    TCustomMaskEdit::SetBorderStyle(style);
    placeButton();
    SetEditRect();
}

TRect TSgSpinEdit::ClientRect() const {
    const int b = BorderStyle() == bsSingle ? 2 : 0;
    return {b, b, width() - b, height() - b};
}

void TSgSpinEdit::SetEditRect() {
    const TRect cr = ClientRect();
    const int m = BorderStyle() == bsNone ? 3 : 0;
    TCustomMaskEdit::SetEditRect(
        {cr.Left + m, cr.Top + m, cr.Left + cr.Width() - button_->width() - 2 - m, cr.Top + cr.Height() + 1});
}

int TSgSpinEdit::GetMinHeight() const {
    const int s = QFontMetrics(QApplication::font()).height();
    const int f = QFontMetrics(font()).height();
    return f + std::min(s, f) / 4 + 2 + (BorderStyle() == bsSingle ? 4 : 0);
}

void TSgSpinEdit::placeButton() {
    const TRect cr = ClientRect();
    const int bw = button_->width();
    if (ctl3D_) {
        const int k = BorderStyle() == bsNone ? 1 : 5;
        button_->SetBounds(cr.Left + width() - bw - k, cr.Top, bw, std::max(0, height() - k));
    } else {
        button_->SetBounds(cr.Left + width() - bw, cr.Top + 1, bw, std::max(0, height() - 3));
    }
}

void TSgSpinEdit::resizeEvent(QResizeEvent* event) {
    TCustomMaskEdit::resizeEvent(event);
    if (const int min = GetMinHeight(); height() < min) {
        resize(width(), min);
        return;
    }
    placeButton();
    SetEditRect();
}

void TSgSpinEdit::changeEvent(QEvent* event) {
    TCustomMaskEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange && height() < GetMinHeight()) resize(width(), GetMinHeight());
}

void TSgSpinEdit::UpClick(QObject*) { StepUp(false); }
void TSgSpinEdit::DownClick(QObject*) { StepDown(false); }
void TSgSpinEdit::StepUp(bool page) { step(true, page); }
void TSgSpinEdit::StepDown(bool page) { step(false, page); }

void TSgSpinEdit::step(bool up, bool page) {
    if (ReadOnly()) {
        MessageBeep(0);
        return;
    }
    const int dir = up ? 1 : -1;
    switch (spinType_) {
    case sptNormal: SetValue(Value() + dir * Increment); break;
    case sptFloat: SetFloatValue(FloatValue() + dir * (page ? IncrementFloatPage : IncrementFloat)); break;
    case sptDate: {
        // The selection's start counts: a field entered with the whole text selected steps its first part.
        const TSpinField f = SpinDateField(EditText(), SelStart(), formatSettings(), &usDates_);
        SetDateValue(StepDateField(DateValue(), f, dir));
        break;
    }
    case sptTime: {
        const TSpinField f = SpinTimeField(EditText(), SelStart(), ShowSeconds, formatSettings());
        const int inc = f == sfHours ? IncrementHours : f == sfMinutes ? IncrementMinutes : IncrementSeconds;
        SetTimeValue(StepTimeField(TimeValue(), f, inc, dir));
        break;
    }
    }
}

bool TSgSpinEdit::IsValidChar(QChar& Key) {
    TSpinCharState s;
    s.Text = EditText();
    s.SelStart = SelStart();
    s.SelLength = SelLength();
    s.SpinType = spinType_;
    s.Precision = precision_;
    s.EditorEnabled = EditorEnabled;
    return SpinIsValidChar(Key, s, formatSettings());
}

void TSgSpinEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
    // the step keys are the edit's own: nothing else sees them
    switch (Key) {
    case VK_PRIOR: StepUp(true); Key = 0; return;
    case VK_NEXT: StepDown(true); Key = 0; return;
    case VK_UP: StepUp(false); Key = 0; return;
    case VK_DOWN: StepDown(false); Key = 0; return;
    default: break;
    }
    enterAsTab_ = Key == VK_RETURN && ReturnIsTab;
    if (enterAsTab_) {
        Key = VK_TAB;
        QCoreApplication::postEvent(this, new QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier));
    }
    if (Key == VK_DELETE && !EditorEnabled) Key = 0;
    TCustomMaskEdit::KeyDown(Key, Shift);
}

void TSgSpinEdit::KeyPress(QChar& Key) {
    // the Enter that moved on like Tab typed nothing: no refusal, no beep
    if (Key.unicode() == 13 && enterAsTab_) {
        enterAsTab_ = false;
        Key = QChar(0);
        return;
    }
    if (Key == u'.' && LastKeyOnKeypad() && ExcelStyleDecimalSeparator) Key = formatSettings().decimalSeparator;
    if (!IsValidChar(Key)) {
        Key = QChar(0);
        MessageBeep(0);
        return;
    }
    TCustomMaskEdit::KeyPress(Key);
}

void TSgSpinEdit::CutToClipboard() {
    if (EditorEnabled && !ReadOnly()) TCustomMaskEdit::CutToClipboard();
}

void TSgSpinEdit::PasteFromClipboard() {
    if (EditorEnabled && !ReadOnly()) TCustomMaskEdit::PasteFromClipboard();
}

void TSgSpinEdit::focusInEvent(QFocusEvent* event) {
    TCustomMaskEdit::focusInEvent(event);
    if (AutoSelect() && (!(QGuiApplication::mouseButtons() & Qt::LeftButton) || !EditorEnabled)) SelectAll();
}

void TSgSpinEdit::focusOutEvent(QFocusEvent* event) {
    TCustomMaskEdit::focusOutEvent(event);
    guarded([&] {
        // a value typed beyond the limits is written again, clamped
        switch (spinType_) {
        case sptNormal:
            if (CheckValue(Value()) != Value()) SetValue(Value());
            break;
        case sptFloat:
            if (CheckFloatValue(FloatValue()) != FloatValue()) SetFloatValue(FloatValue());
            break;
        case sptDate:
            if (CheckDateValue(DateValue()) != DateValue()) SetDateValue(DateValue());
            break;
        case sptTime:
            if (CheckDateValue(TimeValue()) != TimeValue()) SetTimeValue(TimeValue());
            break;
        }
    });
}

}  // namespace ctl
