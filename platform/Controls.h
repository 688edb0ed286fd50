#pragma once
// The bases every owner-drawn control stands on. A paint event hands the control's canvas to
// `Paint`; keys arrive as KeyDown, KeyPress (one per character typed) and KeyUp with the original's
// key codes, a held key giving repeated key-downs and one key-up; mouse buttons as MouseDown,
// MouseMove and MouseUp with Click before the MouseUp of a press released over the control, and on a
// double click DblClick and a MouseDown with ssDouble, whose release gives no Click (a control that
// takes no double clicks gets a second plain press, and so a second Click, instead). Every handler runs inside the general error handler.
#include "platform/Canvas.h"
#include "platform/EnumSet.h"
#include "platform/Events.h"
#include "platform/Keys.h"

#include "platform/Timer.h"

#include "platform/Alignment.h"

#include <QImage>
#include <QWidget>
#include <functional>
#include <optional>

namespace plat {

enum TBorderStyle : uint8_t { bsNone, bsSingle };

enum TControlStyleItem : uint8_t { csClickEvents, csDoubleClicks, csOpaque };
using TControlStyle = TEnumSet<TControlStyleItem>;

using TKeyEvent = std::function<void(QObject* Sender, uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(QObject* Sender, QChar& Key)>;
using TMouseEvent = std::function<void(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(QObject* Sender, TShiftState Shift, int X, int Y)>;

class TControl : public QWidget {
public:
    explicit TControl(QWidget* parent = nullptr);
    ~TControl() override;

    // The control's canvas: the widget while `Paint` runs, otherwise a canvas that only measures.
    TCanvas& Canvas() { return canvas_; }
    TFont& Font() { return font_; }

    TControlStyle ControlStyle() const { return style_; }
    void SetControlStyle(TControlStyle style);

    void Invalidate() { update(); }
    void Repaint() { repaint(); }

    TNotifyEvent OnClick, OnDblClick, OnEnter, OnExit, OnMouseEnter, OnMouseLeave;
    TKeyEvent OnKeyDown, OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    // A key's release waits this long for a repeat press of the same moment (some X servers send
    // the releases of a held key unmarked); any other input delivers it at once. Tests fire it.
    TTimer& KeyUpTimer() { return keyUpTimer_; }

protected:
    // The overridable steps; each default fires its event. A key set to 0 (a character set to 0 in
    // KeyPress) counts as handled and goes no further.
    virtual void Paint() {}
    virtual void KeyDown(uint16_t& Key, TShiftState Shift);
    virtual void KeyPress(QChar& Key);
    virtual void KeyUp(uint16_t& Key, TShiftState Shift);
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void Click();
    virtual void DblClick();
    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void DoEnter();
    virtual void DoExit();
    // Whether the key of the character KeyPress is handling (or of the last key event) is on the
    // numeric keypad: the keypad's "." says so, the main keyboard's does not.
    bool LastKeyOnKeypad() const { return lastKeypad_; }
    void FlushKeyUp();

    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct PendingUp {
        int qtKey;
        uint64_t time;
        TKeyInfo info;
    };
    TCanvas canvas_;
    TFont font_;
    QImage measure_;  // the device of the canvas outside painting
    TControlStyle style_{csClickEvents, csDoubleClicks};
    bool clicked_ = false;  // a left press on the control waits for its release
    uint64_t lastPressTime_ = ~uint64_t(0);
    bool lastKeypad_ = false;
    std::optional<PendingUp> pendingUp_;
    TTimer keyUpTimer_;
};

// A windowed control: it takes the focus by click and Tab, and keys.
class TCustomControl : public TControl {
public:
    explicit TCustomControl(QWidget* parent = nullptr);
    // Whether Tab and Shift+Tab reach KeyDown instead of moving the focus.
    bool WantTabs() const { return wantTabs_; }
    void SetWantTabs(bool on) { wantTabs_ = on; }

protected:
    bool focusNextPrevChild(bool next) override;

private:
    bool wantTabs_ = false;
};

// A control that never takes the focus.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(QWidget* parent = nullptr);
};

}  // namespace plat
