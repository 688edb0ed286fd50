#include "platform/Controls.h"

#include "platform/Guard.h"

#include <QEnterEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>

namespace plat {

TControl::TControl(QWidget* parent) : QWidget(parent), measure_(1, 1, QImage::Format_RGB32) {
    keyUpTimer_.SetEnabled(false);
    keyUpTimer_.SetInterval(30);
    keyUpTimer_.SetOnTimer([this](QObject*) { FlushKeyUp(); });
    canvas_.SetDevice(&measure_);
    font_.AssignQFont(font());
    canvas_.Font().Assign(font_);
    font_.OnChange = [this] {
        canvas_.Font().Assign(font_);
        QWidget::setFont(font_.ToQFont());
        update();
    };
}

TControl::~TControl() {
    keyUpTimer_.SetOnTimer(nullptr);
    canvas_.SetDevice(nullptr);
}

void TControl::SetControlStyle(TControlStyle style) {
    style_ = style;
    setAttribute(Qt::WA_OpaquePaintEvent, style.contains(csOpaque));
}

void TControl::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}
void TControl::KeyPress(QChar& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
}
void TControl::KeyUp(uint16_t& Key, TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}
void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}
void TControl::MouseMove(TShiftState Shift, int X, int Y) {
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}
void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}
void TControl::Click() {
    if (OnClick) OnClick(this);
}
void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}
void TControl::MouseEnter() {
    if (OnMouseEnter) OnMouseEnter(this);
}
void TControl::MouseLeave() {
    if (OnMouseLeave) OnMouseLeave(this);
}
void TControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}
void TControl::DoExit() {
    if (OnExit) OnExit(this);
}

void TControl::paintEvent(QPaintEvent*) {
    canvas_.SetDevice(this);
    guarded([&] { Paint(); });
    canvas_.SetDevice(&measure_);
}

void TControl::FlushKeyUp() {
    keyUpTimer_.SetEnabled(false);
    if (!pendingUp_) return;
    const PendingUp up = *pendingUp_;
    pendingUp_.reset();
    lastKeypad_ = up.info.Keypad;
    guarded([&] {
        uint16_t key = up.info.Key;
        if (key != 0) KeyUp(key, up.info.Shift);
    });
}

void TControl::keyPressEvent(QKeyEvent* event) {
    if (pendingUp_) {
        if (pendingUp_->qtKey == event->key() && pendingUp_->time == event->timestamp()) {
            // The release was a repeat's: the key is still held.
            pendingUp_.reset();
            keyUpTimer_.SetEnabled(false);
        } else {
            FlushKeyUp();
        }
    }
    const TKeyInfo info = KeyFromEvent(*event);
    lastKeypad_ = info.Keypad;
    uint16_t key = info.Key;
    guarded([&] {
        if (key != 0) KeyDown(key, info.Shift);
        for (QChar ch : KeyPressText(*event)) {
            QChar c = ch;
            KeyPress(c);
        }
    });
    // Enter and Esc left unhandled go on to the window (its default and cancel buttons).
    if (key == VK_RETURN || key == VK_ESCAPE)
        event->ignore();
    else
        event->accept();
}

void TControl::keyReleaseEvent(QKeyEvent* event) {
    event->accept();
    // A held key repeats its key-down; the releases Qt sends between the repeats are not key-ups.
    if (event->isAutoRepeat()) return;
    FlushKeyUp();
    pendingUp_ = PendingUp{event->key(), event->timestamp(), KeyFromEvent(*event)};
    keyUpTimer_.SetEnabled(true);
}

void TControl::hideEvent(QHideEvent* event) {
    FlushKeyUp();
    QWidget::hideEvent(event);
}

void TControl::mousePressEvent(QMouseEvent* event) {
    FlushKeyUp();
    lastPressTime_ = event->timestamp();
    const TMouseButton button = MouseButtonOf(*event);
    if (button == mbLeft) clicked_ = true;
    const QPoint p = event->position().toPoint();
    guarded([&] { MouseDown(button, ShiftStateOf(*event), p.x(), p.y()); });
}

void TControl::mouseDoubleClickEvent(QMouseEvent* event) {
    FlushKeyUp();
    const TMouseButton button = MouseButtonOf(*event);
    const QPoint p = event->position().toPoint();
    if (!style_.contains(csDoubleClicks)) {
        // The platform may already have delivered the second press of this double click.
        if (event->timestamp() != lastPressTime_) mousePressEvent(event);
        return;
    }
    // The press of a double click gives DblClick and no Click on its release.
    lastPressTime_ = event->timestamp();
    clicked_ = false;
    guarded([&] {
        if (button == mbLeft && style_.contains(csClickEvents)) DblClick();
        MouseDown(button, ShiftStateOf(*event).include(ssDouble), p.x(), p.y());
    });
}

void TControl::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    guarded([&] { MouseMove(ShiftStateOf(*event), p.x(), p.y()); });
}

void TControl::mouseReleaseEvent(QMouseEvent* event) {
    const TMouseButton button = MouseButtonOf(*event);
    const QPoint p = event->position().toPoint();
    const bool click = button == mbLeft && clicked_;
    if (button == mbLeft) clicked_ = false;
    guarded([&] {
        if (click && style_.contains(csClickEvents) && rect().contains(p)) Click();
    });
    guarded([&] { MouseUp(button, ShiftStateOf(*event), p.x(), p.y()); });
}

void TControl::enterEvent(QEnterEvent*) {
    guarded([&] { MouseEnter(); });
}

void TControl::leaveEvent(QEvent*) {
    guarded([&] { MouseLeave(); });
}

void TControl::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    guarded([&] { DoEnter(); });
}

void TControl::focusOutEvent(QFocusEvent* event) {
    FlushKeyUp();
    QWidget::focusOutEvent(event);
    clicked_ = false;
    guarded([&] { DoExit(); });
}

void TControl::changeEvent(QEvent* event) {
    // A font given to the widget (by its parent or a style sheet) becomes the control's font.
    if (event->type() == QEvent::FontChange && font_.ToQFont() != font()) {
        auto keep = std::move(font_.OnChange);
        font_.AssignQFont(font());
        font_.OnChange = std::move(keep);
        canvas_.Font().Assign(font_);
        update();
    }
    QWidget::changeEvent(event);
}

TCustomControl::TCustomControl(QWidget* parent) : TControl(parent) { setFocusPolicy(Qt::StrongFocus); }

bool TCustomControl::focusNextPrevChild(bool next) {
    if (wantTabs_) return false;
    return TControl::focusNextPrevChild(next);
}

TGraphicControl::TGraphicControl(QWidget* parent) : TControl(parent) { setFocusPolicy(Qt::NoFocus); }

}  // namespace plat
