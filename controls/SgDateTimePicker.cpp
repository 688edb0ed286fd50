#include "controls/SgDateTimePicker.h"

#include "controls/ExStyleIF.h"
#include "platform/Guard.h"
#include "platform/Themes.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QStyle>

using namespace plat;

namespace ctl {

namespace {

bool mouseButtonDown() { return QGuiApplication::mouseButtons() & (Qt::LeftButton | Qt::RightButton); }

TRect shrink(const TRect& r, int by) { return {r.Left + by, r.Top + by, r.Right - by, r.Bottom - by}; }

void frame(TCanvas& c, const TRect& r, TColor color) {
    c.Brush().SetColor(color);
    c.FrameRect(r);
}

constexpr TColor themedBorder = RGB(127, 157, 185);

}  // namespace

QString VersionText(uint32_t v) {
    return QStringLiteral("%1.%2.%3.%4").arg(v >> 24).arg((v >> 16) & 0xFF).arg((v >> 8) & 0xFF).arg(v & 0xFF);
}

TPickerLook::TPickerLook(Variant variant, QWidget* parent)
    : TDateTimePicker(parent),
      variant_(variant),
      buttonWidth_(QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2) {
    setMouseTracking(true);
    isThemed_ = IsComCtl6();
    isWinXP_ = IsWindowsXPOrLater();
    setFrame(false);  // no border until one is asked for
}

bool TPickerLook::ThemeActive() const { return isThemed_ && IsThemeActive(); }

void TPickerLook::SetBorderColor(TColor color) {
    if (color == borderColor_) return;
    borderColor_ = color;
    update();
}

void TPickerLook::SetMetroStyle(bool on) {
    if (on == metroStyle_) return;
    metroStyle_ = on;
    update();
}

void TPickerLook::SetBorderStyle(TBorderStyle style) {
    if (style == borderStyle_) return;
    borderStyle_ = style;
    setFrame(borderStyle_ == bsSingle && ctl3D_);
    update();
}

void TPickerLook::SetCtl3D(bool on) {
    ctl3D_ = on;
    setFrame(borderStyle_ == bsSingle && ctl3D_);
    layoutEdit();
    update();
}

TColor TPickerLook::parentBrushColor() const {
    return parentWidget() ? FromQColor(parentWidget()->palette().color(QPalette::Window)) : ColorToRGB(clBtnFace);
}

bool TPickerLook::isHot() const {
    const QWidget* f = QApplication::focusWidget();
    return mouseIn_ || (f && (f == this || isAncestorOf(f)));
}

TColor TPickerLook::outlineColor() const {
    if (borderStyle_ == bsNone && parentWidget()) return parentBrushColor();
    return isThemed_ ? themedBorder : borderColor_;
}

void TPickerLook::outline(TCanvas& c, int inset, TColor color) {
    const int w = width(), h = height(), i = inset;
    c.Pen().SetColor(color);
    c.Pen().SetStyle(psSolid);
    c.Polyline({{i, h}, {i, i}, {w - 1 - i, i}, {w - 1 - i, h - 1 - i}, {0, h - 1 - i}});
}

void TPickerLook::paintEvent(QPaintEvent* event) {
    TDateTimePicker::paintEvent(event);
    guarded([&] {
        TCanvas c(this);
        // what the system draws in the client area
        if (!((ctl3D_ && !MetroActive()) || !IsVistaOrLater())) {
            const int w = width(), h = height(), b = buttonWidth_;
            if (MetroActive() && Kind() == dtkDate && IsComCtl6()) {
                c.Brush().SetColor(Color());
                if (ThemeActive())
                    c.FillRect({w - b - (variant_ == Variant::Sg ? 15 : 4), 1, w, h});
                else
                    c.FillRect({w - b - 2, 4, w - 2, h - 4});
                paintButton(c);
            }
            if (!ctl3D_ && variant_ == Variant::Ex) {
                outline(c, 0, outlineColor());
                if (!ThemeActive()) outline(c, 1, outlineColor());
            }
            drawBorders(c);
        }
        // what the system draws outside it, on a device context of its own
        c.ClearClip();
        drawFlatBorder(c);
        if (!isEnabled() && ThemeActive() && !DisabledBorder) drawBorders(c);
        if ((FocusBorderColor != clNone && hasFocus()) || borderColor_ != clNone) drawBorders(c);
    });
}

void TPickerLook::paintButton(TCanvas& c) {
    const int w = width(), b = buttonWidth_;
    const TRect r = shrink({w - b + 2, 0, w, height()}, 1);
    if (ButtonColor != clNone) {
        TColor face = ButtonColor;
        if (buttonHover_) face = ButtonColorHot;
        if (mouseButtonDown() && buttonHover_) face = ButtonColorDown;
        c.Pen().SetColor(face);
        c.Brush().SetColor(face);
        c.FillRect({r.Left + 2, r.Top, r.Right, r.Bottom});
        c.Pen().SetColor(ButtonBorderColor);
        c.MoveTo(r.Left, r.Top);
        c.LineTo(r.Left, r.Bottom);
        const TColor arrow = mouseButtonDown() ? ButtonTextColorDown : ButtonTextColor;
        c.Pen().SetColor(arrow);
        c.Brush().SetColor(arrow);
        c.Polygon({{r.Left + 5, r.Top + 7}, {r.Left + 11, r.Top + 7}, {r.Left + 8, r.Top + 10}});
    } else if (ThemeActive()) {
        int state = CBXS_NORMAL;
        if (!isEnabled()) state = CBXS_DISABLED;
        else if (mouseButtonDown() && DroppedDown()) state = CBXS_PRESSED;
        else if (!mouseButtonDown() && buttonHover_ && !DroppedDown()) state = CBXS_HOT;
        DrawThemeBackground(OpenThemeData(this, u"combobox"), c, CP_DROPDOWNBUTTON, state, r);
    } else {
        TRect a = r;
        DrawFrameControl(c, a, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | (isEnabled() ? DFCS_FLAT : DFCS_INACTIVE));
    }
    c.ExcludeClipRect({w - b - 4, 0, w + 2, height()});
}

void TPickerLook::drawBorders(TCanvas& c) {
    if (NoCustomPaint() || !MetroActive()) return;
    if (isEnabled() && borderColor_ == clNone && FocusBorderColor == clNone) return;
    drawBorder(c);
    if (!(isWinXP_ && ThemeActive())) flattenButton(c);
}

void TPickerLook::drawBorder(TCanvas& c) {
    TRect r{0, 0, width(), height()};
    const bool focused = hasFocus();
    if (!isEnabled() && isThemed_ && !DisabledBorder) {
        frame(c, r, themedBorder);
    } else if (borderColor_ != clNone && !(focused && FocusBorderColor != clNone)) {
        frame(c, r, borderColor_);
    } else if (FocusBorderColor != clNone) {
        if (focused) frame(c, r, FocusBorderColor);
    } else {
        const bool focusBorder = isHot() && FocusBorder;
        const TColor outer = focusBorder ? clBtnFace : parentBrushColor();
        const TColor inner = Color();
        if (focusBorder) {
            DrawEdge(c, r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
            frame(c, r, outer);
            r = shrink(r, 1);
            frame(c, r, inner);
        } else {
            frame(c, r, outer);
            r = shrink(r, 1);
            r.Right -= buttonWidth_;
            frame(c, r, outer);
            r = shrink(r, 1);
            frame(c, r, inner);
        }
    }
}

void TPickerLook::flattenButton(TCanvas& c) {
    const int w = width(), h = height(), b = buttonWidth_;
    c.ExcludeClipRect({w - b + 4, 4, w - 4, h - 4});
    TRect r = shrink({w - b - 2, 0, w, h}, 2);
    if (isHot()) {
        TRect e = r;
        if (DroppedDown()) frame(c, e, clBtnShadow);  // a pressed button lies flat
        else DrawEdge(c, e, EDGE_RAISED, BF_RECT);
    } else {
        r = {r.Left, r.Top + 1, r.Right - 1, r.Bottom - 1};
        c.Brush().SetColor(clBtnFace);
        c.FillRect(r);
    }
    c.ExcludeClipRect(r);
}

void TPickerLook::drawFlatBorder(TCanvas& c) {
    if (ctl3D_) return;
    if (variant_ == Variant::Sg && borderColor_ == clNone) return;
    outline(c, 0, outlineColor());
    if (!parentWidget()) return;
    if (borderStyle_ == bsSingle) c.Pen().SetColor(parentBrushColor());
    c.Polyline({{1, height() - 2}, {1, 1}, {width() - 1, 1}});
}

void TPickerLook::mouseMoveEvent(QMouseEvent* event) {
    TDateTimePicker::mouseMoveEvent(event);
    const int x = int(event->position().x());
    const bool over = width() - buttonWidth_ < x && x < width();
    if (over != buttonHover_) {
        buttonHover_ = over;
        update();
    }
}

void TPickerLook::enterEvent(QEnterEvent* event) {
    TDateTimePicker::enterEvent(event);
    if (!mouseIn_ && isEnabled()) {
        mouseIn_ = true;
        update();
    }
    if (isWinXP_) update();
}

void TPickerLook::leaveEvent(QEvent* event) {
    TDateTimePicker::leaveEvent(event);
    if (mouseIn_ && isEnabled()) mouseIn_ = false;
    buttonHover_ = false;
    if (isWinXP_) update();
}

void TPickerLook::focusInEvent(QFocusEvent* event) {
    TDateTimePicker::focusInEvent(event);
    hasFocus_ = true;
    update();
}

void TPickerLook::focusOutEvent(QFocusEvent* event) {
    TDateTimePicker::focusOutEvent(event);
    hasFocus_ = false;
    update();
}

void TPickerLook::changeEvent(QEvent* event) {
    TDateTimePicker::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) update();
}

// ---- the grid's date picker ----

TSgDateTimePicker::TSgDateTimePicker(QWidget* parent) : TPickerLook(Variant::Sg, parent) {
    SetBorderStyle(bsSingle);
    SetCtl3D(true);
    // the frame of the single border was the window's when it was made; from now on none is drawn
    borderStyle_ = bsNone;
    setFrame(false);
}

QString TSgDateTimePicker::Version() const { return VersionText(GetVersionNr()); }

}  // namespace ctl
