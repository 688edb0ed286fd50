#include "controls/SgCombo.h"

#include "platform/Guard.h"
#include "platform/Themes.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

using namespace plat;

namespace ctl {

namespace {

bool mouseButtonDown() { return QGuiApplication::mouseButtons() & (Qt::LeftButton | Qt::RightButton); }

void frame(TCanvas& c, const TRect& r, TColor color) {
    c.Brush().SetColor(color);
    c.FrameRect(r);
}

TRect shrink(const TRect& r, int by) { return {r.Left + by, r.Top + by, r.Right - by, r.Bottom - by}; }

}  // namespace

TSgCustomCombo::TSgCustomCombo(QWidget* parent)
    : TCustomComboBox(parent), buttonWidth_(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) + 2) {
    setMouseTracking(true);
    isThemed_ = IsComCtl6();
    labelFont_ = font();
}

TSgCustomCombo::~TSgCustomCombo() { delete label_; }

void TSgCustomCombo::Init() { normalColor_ = Color(); }

void TSgCustomCombo::SelectItem(const QString& text) {
    const int i = Items().indexOf(text);
    if (i >= 0) SetItemIndex(i);
}

void TSgCustomCombo::Loaded() {
    oldColor_ = loadedColor_;
    if (!flatParentColor_ || flat_) SetColor(loadedColor_);
    if (label_) {
        if (!labelAlwaysEnabled_) label_->setEnabled(!testAttribute(Qt::WA_Disabled));
        if (parentFont_) label_->setFont(font());
    }
    updateLabel();
    Init();
}

void TSgCustomCombo::SetBorderColor(TColor color) {
    if (color == borderColor_) return;
    borderColor_ = color;
    update();
}

void TSgCustomCombo::SetButtonWidth(int width) {
    if (width < 14 || width > 32) return;
    buttonWidth_ = width;
    update();
}

void TSgCustomCombo::SetEtched(bool on) {
    if (on == etched_) return;
    etched_ = on;
    update();
}

void TSgCustomCombo::SetFlat(bool on) {
    if (on == flat_) return;
    flat_ = on;
    if (flatParentColor_ && flat_) {
        if (parentWidget()) TCustomComboBox::SetColor(parentColor());
    } else {
        TCustomComboBox::SetColor(loadedColor_);
    }
    update();
}

void TSgCustomCombo::SetFlatLineColor(TColor color) {
    flatLineColor_ = color;
    update();
}

void TSgCustomCombo::SetFlatParentColor(bool on) {
    flatParentColor_ = on;
    update();
}

void TSgCustomCombo::SetColor(TColor color) {
    if (loading_) loadedColor_ = color;
    TCustomComboBox::SetColor(color);
}

void TSgCustomCombo::SetEnabled(bool on) {
    const bool was = !testAttribute(Qt::WA_Disabled);
    setEnabled(on);
    if (on != was && label_ && !labelAlwaysEnabled_) {
        label_->setEnabled(on);
        updateLabel();
    }
}

void TSgCustomCombo::setVisible(bool visible) {
    TCustomComboBox::setVisible(visible);
    if (label_) label_->setVisible(visible);
}

void TSgCustomCombo::SetParentFont(bool on) {
    parentFont_ = on;
    if (label_) {
        label_->setFont(on ? font() : labelFont_);
        updateLabel();
    }
}

QString TSgCustomCombo::LabelCaption() const { return label_ ? label_->text() : QString(); }

void TSgCustomCombo::SetLabelCaption(const QString& caption) {
    if (!label_) {
        label_ = new QLabel(parentWidget());
        label_->setBuddy(this);
        label_->setFont(parentFont_ ? font() : labelFont_);
    }
    label_->setText(caption);
    updateLabel();
}

void TSgCustomCombo::SetLabelPosition(TLabelPosition position) {
    labelPosition_ = position;
    updateLabel();
}

void TSgCustomCombo::SetLabelMargin(int margin) {
    labelMargin_ = margin;
    updateLabel();
}

void TSgCustomCombo::SetLabelTransparent(bool on) {
    labelTransparent_ = on;
    updateLabel();
}

void TSgCustomCombo::SetLabelAlwaysEnabled(bool on) {
    labelAlwaysEnabled_ = on;
    updateLabel();
}

void TSgCustomCombo::SetLabelFont(const QFont& font) {
    if (parentFont_) return;  // the label follows the combo's font then
    labelFont_ = font;
    updateLabel();
}

void TSgCustomCombo::updateLabel() {
    if (!label_) return;
    label_->setAutoFillBackground(!labelTransparent_);
    if (!parentFont_) label_->setFont(labelFont_);
    QString shown = label_->text();
    shown.remove(u'&');
    const int w = QFontMetrics(label_->font()).boundingRect(QRect(0, 0, 1000, 255), Qt::AlignLeft, shown).width();
    label_->adjustSize();
    label_->resize(w, label_->height());
    const TRect c = TRect::fromQRect(geometry());
    label_->move(LabelPlace(labelPosition_, label_->size(), c, labelMargin_));
    label_->setVisible(!isHidden());
}

void TSgCustomCombo::setLabelBold(bool on) {
    if (!FocusLabel || !label_) return;
    QFont f = label_->font();
    f.setBold(on);
    label_->setFont(f);
}

TColor TSgCustomCombo::parentColor() const {
    return parentWidget() ? FromQColor(parentWidget()->palette().color(QPalette::Window)) : ColorToRGB(clBtnFace);
}

bool TSgCustomCombo::themeActive() const { return isThemed_ && IsThemeActive(); }

bool TSgCustomCombo::isHot() const {
    const QWidget* f = QApplication::focusWidget();
    return mouseIn_ || (f && (f == this || f == lineEdit()));
}

bool TSgCustomCombo::customPaint() const {
    if (IsVista && ButtonColor == clNone) return false;
    return flat_ || ButtonColor != clNone || borderColor_ != clNone || (FocusBorderColor != clNone && hasFocus_) ||
           (!isEnabled() && themeActive() && !DisabledBorder);
}

void TSgCustomCombo::paintEvent(QPaintEvent* event) {
    TCustomComboBox::paintEvent(event);
    if (!customPaint()) return;
    guarded([&] {
        TCanvas c;
        c.SetDevice(this);
        if (Style() != csSimple) {
            // the style's own button gives way to ours
            c.Brush().SetColor(Color());
            c.FillRect({width() - buttonWidth_ - 4, 0, width() + 2, height()});
            paintButton(c);
        }
        drawBorders(c);
        c.Release();
    });
}

void TSgCustomCombo::paintButton(TCanvas& c) {
    const int w = width(), b = buttonWidth_;
    TRect r{w - b + 2 + 1, 1, w - 1, height() - 1};
    if (ButtonColor != clNone) {
        TColor face = ButtonColor;
        if (buttonHover_) face = ButtonColorHot;
        if (mouseButtonDown() && buttonHover_) face = ButtonColorDown;
        c.Pen().SetColor(face);
        c.Brush().SetColor(face);
        r = {r.Left - 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
        c.FillRect(r);
        c.Pen().SetColor(ButtonBorderColor);
        c.MoveTo(r.Left, r.Top);
        c.LineTo(r.Left, r.Bottom);
        const TColor arrow = mouseButtonDown() ? ButtonTextColorDown : ButtonTextColor;
        c.Pen().SetColor(arrow);
        c.Brush().SetColor(arrow);
        c.Polygon({{r.Left + 4, r.Top + 7}, {r.Left + 10, r.Top + 7}, {r.Left + 7, r.Top + 10}});
    } else if (themeActive()) {
        int state = CBXS_NORMAL;
        if (!isEnabled()) state = CBXS_DISABLED;
        else if (mouseButtonDown() && DroppedDown()) state = CBXS_PRESSED;
        else if (!mouseButtonDown() && buttonHover_ && !DroppedDown()) state = CBXS_HOT;
        DrawThemeBackground(OpenThemeData(this, u"combobox"), c, CP_DROPDOWNBUTTON, state, r);
    } else {
        r = {r.Left - 4, r.Top + 1, r.Right, r.Bottom - 1};
        DrawFrameControl(c, r, DFC_SCROLL,
                         DFCS_SCROLLCOMBOBOX | (isEnabled() ? DFCS_FLAT : DFCS_INACTIVE));
    }
}

void TSgCustomCombo::drawBorders(TCanvas& c) {
    if (isEnabled() && !flat_ && borderColor_ == clNone && FocusBorderColor == clNone) return;
    if (IsVista && borderColor_ == clNone) return;
    drawBorder(c);
    if (Style() != csSimple && (!IsWinXP || !themeActive())) flattenButton(c);
}

void TSgCustomCombo::drawBorder(TCanvas& c) {
    const int w = width(), h = height(), b = buttonWidth_;
    TRect r{0, 0, w, h};
    if (!isEnabled() && isThemed_ && !DisabledBorder) {
        frame(c, r, RGB(127, 157, 185));
    } else if (borderColor_ != clNone && !(hasFocus_ && FocusBorderColor != clNone)) {
        frame(c, r, borderColor_);
    } else if (FocusBorderColor != clNone) {
        if (hasFocus_) frame(c, r, FocusBorderColor);
    } else {
        const bool focusBorder = showsFocusBorder();
        const TColor outer = focusBorder ? clBtnFace : parentColor();
        const TColor inner = Color();
        if (focusBorder) {
            DrawEdge(c, r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
            frame(c, r, outer);
            r = shrink(r, 1);
            frame(c, r, inner);
        } else {
            frame(c, r, outer);
            r = shrink(r, 1);
            r.Right -= b;
            frame(c, r, outer);
            r = shrink(r, 1);
            frame(c, r, inner);
        }
        if (flat_ && flatLineColor_ != clNone) {
            c.Pen().SetColor(flatLineColor_);
            c.Pen().SetStyle(psSolid);
            c.MoveTo(0, h - 1);
            c.LineTo(w - b - 3, h - 1);
        }
    }
}

void TSgCustomCombo::flattenButton(TCanvas& c) {
    const int w = width(), h = height(), b = buttonWidth_;
    c.ExcludeClipRect({w - b + 4, 4, w - 4, h - 4});
    TRect r = shrink({w - b - 2, 0, w, h}, 2);
    if (!isHot()) {
        r = {r.Left, r.Top + 1, r.Right - 1, r.Bottom - 1};
        c.Brush().SetColor(clBtnFace);
        c.FillRect(r);
    }
    c.ExcludeClipRect(r);
}

void TSgCustomCombo::invalidateButton() { update(QRect(width() - buttonWidth_, 0, buttonWidth_, height())); }

void TSgCustomCombo::DropDown() {
    TCustomComboBox::DropDown();
    invalidateButton();
}

void TSgCustomCombo::CloseUp() {
    TCustomComboBox::CloseUp();
    invalidateButton();
    if (OnDropUp) OnDropUp(this);
}

void TSgCustomCombo::mouseMoveEvent(QMouseEvent* event) {
    TCustomComboBox::mouseMoveEvent(event);
    const int x = int(event->position().x());
    const bool over = width() - buttonWidth_ < x && x < width();
    if (over != buttonHover_) {
        buttonHover_ = over;
        update();
    }
}

void TSgCustomCombo::enterEvent(QEnterEvent* event) {
    TCustomComboBox::enterEvent(event);
    guarded([&] {
        if (!mouseIn_ && isEnabled()) {
            mouseIn_ = true;
            update();
        }
        if (AutoFocus && (!window() || window() == this || window()->isActiveWindow())) setFocus(Qt::MouseFocusReason);
        if (IsWinXP) update();
    });
}

void TSgCustomCombo::leaveEvent(QEvent* event) {
    TCustomComboBox::leaveEvent(event);
    if (mouseIn_ && isEnabled()) mouseIn_ = false;
    buttonHover_ = false;
    update();
}

void TSgCustomCombo::focusInEvent(QFocusEvent* event) {
    TCustomComboBox::focusInEvent(event);
    guarded([&] {
        hasFocus_ = true;
        if (FocusColor != clNone) SetColor(FocusColor);
        setLabelBold(true);
        update();
    });
}

void TSgCustomCombo::focusOutEvent(QFocusEvent* event) {
    TCustomComboBox::focusOutEvent(event);
    guarded([&] {
        hasFocus_ = false;
        if (FocusColor != clNone && normalColor_ != clNone) SetColor(normalColor_);
        setLabelBold(false);
        update();
    });
}

void TSgCustomCombo::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && flat_ && !loading_) {
        if (!isEnabled()) {
            // a disabled flat combo takes its parent's colour
            oldColor_ = Color();
            oldParentColor_ = false;
            TCustomComboBox::SetColor(parentColor());
        } else {
            TCustomComboBox::SetColor(oldColor_);
        }
    }
    TCustomComboBox::changeEvent(event);
    if (event->type() == QEvent::FontChange && label_ && parentFont_) {
        label_->setFont(font());
        updateLabel();
    }
}

void TSgCustomCombo::moveEvent(QMoveEvent* event) {
    TCustomComboBox::moveEvent(event);
    updateLabel();
}

void TSgCustomCombo::resizeEvent(QResizeEvent* event) {
    TCustomComboBox::resizeEvent(event);
    updateLabel();
}

}  // namespace ctl
