#include "controls/ExGridButtons.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QShortcutEvent>
#include <QWidget>
#include <cfenv>
#include <cmath>

#include "controls/ExStyleIF.h"
#include "platform/Guard.h"
#include "platform/Themes.h"

using namespace plat;

// ---------------------------------------------------------------------------------------------------
// Theme tests

bool IsThemedComCtl6() {
    return IsWindowsXPOrLater() && IsThemeActive() && IsComCtl6();
}

int CurrentXPColorScheme() {
    if (!IsWindowsXPOrLater() || !IsThemeActive()) return 0;
    return ColorSchemeOfName(CurrentThemeColorName());
}

// ---------------------------------------------------------------------------------------------------
// DrawBandGradient

namespace {

// Rounds half to even, as the band arithmetic always has; changing it would move band edges by a
// pixel.
int roundEven(double v) {
    return int(std::nearbyint(v));
}

}  // namespace

void DrawBandGradient(TCanvas& Canvas, TColor FromColor, TColor ToColor, TColor BorderColor, int Steps,
                      const TRect& Rect, bool Horizontal) {
    if (Steps <= 0) Steps = 1;
    const TColor from = ColorToRGB(FromColor), to = ColorToRGB(ToColor);
    const int r0 = GetRValue(from), g0 = GetGValue(from), b0 = GetBValue(from);
    const int dr = GetRValue(to) - r0, dg = GetGValue(to) - g0, db = GetBValue(to) - b0;
    const double band = double(Horizontal ? Rect.Width() : Rect.Height()) / Steps;
    const int bandSize = roundEven(band) + 1;
    for (int n = 0; n < Steps; ++n) {
        const TColor c = RGB(r0 + roundEven(double(n) * dr / Steps), g0 + roundEven(double(n) * dg / Steps),
                             b0 + roundEven(double(n) * db / Steps));
        Canvas.Pen().SetColor(c);
        Canvas.Brush().SetColor(c);
        const int start = roundEven(n * band);
        if (Horizontal)
            Canvas.Rectangle(Rect.Left + start, Rect.Top, Rect.Left + start + bandSize, Rect.Bottom);
        else
            Canvas.Rectangle(Rect.Left, Rect.Top + start, Rect.Right, Rect.Top + start + bandSize);
    }
    if (BorderColor != clNone) {
        Canvas.Pen().SetColor(BorderColor);
        Canvas.Brush().SetStyle(bsClear);
        Canvas.Rectangle(Rect);
        Canvas.Brush().SetStyle(bsSolid);
    }
}

// ---------------------------------------------------------------------------------------------------
// Action link

void TExGridButtonActionLink::SetAction(QAction* Action) {
    if (changed_) QObject::disconnect(changed_);
    action_ = Action;
    if (!Action) return;
    // A new action gives the button its values.
    client_->SetCaption(Action->text());
    if (client_->GroupIndex() != 0 && client_->AllowAllUp()) client_->SetDown(Action->isChecked());
    client_->SetGroupIndex(Action->property("GroupIndex").toInt());
    text_ = Action->text();
    checked_ = Action->isChecked();
    group_ = Action->property("GroupIndex").toInt();
    changed_ = QObject::connect(Action, &QAction::changed, client_, GuardedSlot{[this] { Update(); }});
}

// A value is linked while the button still shows what the action had: a button given its own
// caption, state or group keeps it.
bool TExGridButtonActionLink::IsCaptionLinked() const {
    return action_ && client_->Caption() == text_;
}

bool TExGridButtonActionLink::IsCheckedLinked() const {
    return action_ && client_->GroupIndex() != 0 && client_->AllowAllUp() && checked_ == client_->Down();
}

bool TExGridButtonActionLink::IsGroupIndexLinked() const {
    return action_ && client_->GroupIndex() == group_;
}

void TExGridButtonActionLink::Update() {
    if (!action_) return;
    const bool caption = IsCaptionLinked(), checked = IsCheckedLinked(), group = IsGroupIndexLinked();
    text_ = action_->text();
    checked_ = action_->isChecked();
    group_ = action_->property("GroupIndex").toInt();
    if (caption) client_->SetCaption(text_);
    if (group) client_->SetGroupIndex(group_);
    if (checked) client_->SetDown(checked_);
}

// ---------------------------------------------------------------------------------------------------
// TExGridButton

namespace {

constexpr int kDropDownWidth = 12;
constexpr int kGradientSteps = 16;

struct LookPreset {
    TColor color, colorTo, hot, hotTo, down, downTo, checked, checkedTo, borderDown, borderHot;
    bool rounded;
};
// Looks 0..6; 3 and 4 share 2's hot, down and checked colours.
constexpr TColor kHot2 = 0xCCF4FF, kHotTo2 = 0x91D0FF, kDown2 = 0x4E91FE, kDownTo2 = 0x8ED3FF;
constexpr TColor kChecked2 = 0x8ED3FF, kCheckedTo2 = 5615103;
constexpr LookPreset kLooks[] = {
    {0xEDF1F1, 0xDFEBEB, 0xFAFCFC, 0xE5ECED, 0xE0E6E7, 0xD8E0E1, 0xFFFFFF, clNone, 0xAF987A, 0xC3CECE, true},
    {clBtnFace, clNone, 0xEED2C1, clNone, 0xE2B598, clNone, 0xE8E6E1, clNone, 0xC56A31, 0xC56A31, false},
    {0xFDEADA, 0xE4AE88, kHot2, kHotTo2, kDown2, kDownTo2, kChecked2, kCheckedTo2, 0x000000, 0x000000, false},
    {0xCFF0EA, 0x8CC0B1, kHot2, kHotTo2, kDown2, kDownTo2, kChecked2, kCheckedTo2, 0x000000, 0x000000, false},
    {0xECE2E1, 0xB39698, kHot2, kHotTo2, kDown2, kDownTo2, kChecked2, kCheckedTo2, 0x000000, 0x000000, false},
    {clBtnFace, clNone, clBtnFace, clNone, 0xD8D3D2, clNone, 0xCAC7C7, clNone, clNone, clNone, false},
    {0xCAFFFF, 0xA6FFFF, 0xA8F0FD, 0x7CE9FC, 0x4DE0FB, 0x7AE9FC, 0xB5E6F2, 0x9CDDED, 0x808080, 0x808080, false},
};

TRect inflated(TRect r, int d) {
    return {r.Left - d, r.Top - d, r.Right + d, r.Bottom + d};
}

}  // namespace

TExGridButton::TExGridButton(QWidget* parent)
    : TGraphicControl(parent),
      glyph_(std::make_unique<TBitmap>()),
      glyphHot_(std::make_unique<TBitmap>()),
      glyphDown_(std::make_unique<TBitmap>()),
      glyphDisabled_(std::make_unique<TBitmap>()),
      glyphShade_(std::make_unique<TBitmap>()),
      isComCtl6_(IsComCtl6()) {
    resize(23, 22);
    // The button clicks itself on release, after its group has been told.
    SetControlStyle(ControlStyle().exclude(csClickEvents));
    setMouseTracking(true);
    Font().OnChange = [this] { Invalidate(); };
}

TExGridButton::~TExGridButton() {
    if (shortcutId_) releaseShortcut(shortcutId_);
}

void TExGridButton::SetGlyph(const TBitmap& Value) {
    glyph_->Assign(Value);
    if (glyphDisabled_->Empty() && !glyph_->Empty()) {
        QImage grey = glyph_->Image().convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < grey.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
            for (int x = 0; x < grey.width(); ++x) {
                const QRgb p = line[x];
                const int level = ((qRed(p) + qGreen(p) + qBlue(p)) / 3) / 2 + 96;
                line[x] = qRgb(level, level, level);
            }
        }
        glyphDisabled_->SetImage(grey);
    }
    if (shaded_) buildShade();
    Invalidate();
}

void TExGridButton::buildShade() {
    // Every pixel that is not the transparent colour becomes mid grey: the glyph's silhouette.
    glyphShade_->Assign(TBitmap());
    if (glyph_->Empty()) return;
    const TColor transparent = ColorToRGB(glyph_->TransparentColor());
    QImage shade = glyph_->Image().convertToFormat(QImage::Format_RGB32);
    const QRgb grey = qRgb(0x80, 0x80, 0x80);
    for (int y = 0; y < shade.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(shade.scanLine(y));
        for (int x = 0; x < shade.width(); ++x)
            if (FromQRgb(line[x]) != transparent) line[x] = grey;
    }
    glyphShade_->SetImage(shade);
    glyphShade_->SetTransparentColor(transparent);
    glyphShade_->SetTransparent(true);
}

#define EX_SET_INVALIDATE(Setter, field, T) \
    void TExGridButton::Setter(T Value) {   \
        field = Value;                      \
        Invalidate();                       \
    }
EX_SET_INVALIDATE(SetColor, color_, TColor)
EX_SET_INVALIDATE(SetColorTo, colorTo_, TColor)
EX_SET_INVALIDATE(SetColorChecked, colorChecked_, TColor)
EX_SET_INVALIDATE(SetColorCheckedTo, colorCheckedTo_, TColor)
EX_SET_INVALIDATE(SetBorderColor, borderColor_, TColor)
EX_SET_INVALIDATE(SetRounded, rounded_, bool)
EX_SET_INVALIDATE(SetDropDownButton, dropDownButton_, bool)
EX_SET_INVALIDATE(SetStyle, style_, TExGridButtonStyle)
#undef EX_SET_INVALIDATE

#define EX_SET_ON_CHANGE(Setter, field, T) \
    void TExGridButton::Setter(T Value) {  \
        if (field == Value) return;        \
        field = Value;                     \
        Invalidate();                      \
    }
EX_SET_ON_CHANGE(SetFlat, flat_, bool)
EX_SET_ON_CHANGE(SetShowCaption, showCaption_, bool)
EX_SET_ON_CHANGE(SetLayout, layout_, TButtonLayout)
EX_SET_ON_CHANGE(SetSpacing, spacing_, int32_t)
#undef EX_SET_ON_CHANGE

void TExGridButton::SetMargin(int32_t Value) {
    if (Value == margin_ || Value < -1) return;
    margin_ = Value;
    Invalidate();
}

void TExGridButton::SetShaded(bool Value) {
    shaded_ = Value;
    if (Value) buildShade();
}

void TExGridButton::SetGroupIndex(int32_t Value) {
    if (groupIndex_ == Value) return;
    groupIndex_ = Value;
    updateExclusive();
}

void TExGridButton::SetAllowAllUp(bool Value) {
    if (allowAllUp_ == Value) return;
    allowAllUp_ = Value;
    updateExclusive();
}

void TExGridButton::SetDown(bool Value) {
    if (groupIndex_ == 0 && style_ != tasCheck) Value = false;
    if (style_ == tasCheck) {
        down_ = Value;
        Repaint();
        return;
    }
    if (Value == down_ || (down_ && !allowAllUp_)) return;
    down_ = Value;
    if (Value) {
        if (state_ == bsUp) Invalidate();
        state_ = bsExclusive;
        updateExclusive();
    } else {
        state_ = bsUp;
        Repaint();
    }
}

void TExGridButton::SetAutoThemeAdapt(bool Value) {
    autoThemeAdapt_ = Value;
    if (Value) ThemeAdapt();
}

void TExGridButton::SetCaption(const QString& Value) {
    if (caption_ == Value) return;
    caption_ = Value;
    if (shortcutId_) releaseShortcut(shortcutId_);
    shortcutId_ = 0;
    const QKeySequence key = QKeySequence::mnemonic(Value);
    if (!key.isEmpty()) shortcutId_ = grabShortcut(key);
    Invalidate();
}

void TExGridButton::SetLook(int32_t Value) {
    if (Value < 0 || Value >= int32_t(std::size(kLooks))) return;
    const LookPreset& p = kLooks[Value];
    color_ = p.color;
    colorTo_ = p.colorTo;
    colorHot_ = p.hot;
    colorHotTo_ = p.hotTo;
    colorDown_ = p.down;
    colorDownTo_ = p.downTo;
    colorChecked_ = p.checked;
    colorCheckedTo_ = p.checkedTo;
    borderDownColor_ = p.borderDown;
    borderHotColor_ = p.borderHot;
    rounded_ = p.rounded;
    borderColor_ = clNone;
    flat_ = true;
    Invalidate();
}

void TExGridButton::ThemeAdapt() {
    switch (CurrentXPColorScheme()) {
        case 1:
            SetLook(2);
            break;
        case 2:
            SetLook(3);
            break;
        case 3:
            SetLook(4);
            break;
        default:
            SetLook(1);
            break;
    }
}

void TExGridButton::Loaded() {
    if (shaded_) buildShade();
    if (autoThemeAdapt_) ThemeAdapt();
}

void TExGridButton::updateExclusive() {
    if (groupIndex_ == 0 || !parentWidget()) return;
    for (QObject* child : parentWidget()->children())
        if (auto* b = dynamic_cast<TExGridButton*>(child)) b->ButtonPressed(groupIndex_, this);
}

void TExGridButton::ButtonPressed(int32_t Group, TExGridButton* Sender) {
    if (Group != groupIndex_) return;
    if (Sender != this && Sender->down_ && down_) {
        down_ = false;
        state_ = bsUp;
        if (QAction* a = Action(); a && a->isCheckable()) a->setChecked(false);
        Invalidate();
    }
    allowAllUp_ = Sender->allowAllUp_;
}

void TExGridButton::Click() {
    if (QAction* a = Action()) a->trigger();
    TGraphicControl::Click();
}

void TExGridButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !isEnabled()) return;
    if (Shift.contains(ssDouble) && down_) DblClick();
    if (dropDownButton_ && X >= width() - kDropDownWidth) {
        state_ = bsUp;
        if (OnDropDown) OnDropDown(this);
        if (dropDownMenu_) {
            const QPoint at = parentWidget() ? parentWidget()->mapToGlobal(QPoint(x(), y() + height()))
                                             : mapToGlobal(QPoint(0, height()));
            dropDownMenu_->popup(at);
        }
        return;
    }
    if (!down_) {
        state_ = bsDown;
        Invalidate();
    }
    if (style_ == tasCheck) {
        state_ = bsDown;
        Repaint();
    }
    dragging_ = true;
}

void TExGridButton::MouseMove(TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseMove(Shift, X, Y);
    if (dragging_) {
        TButtonState s = down_ ? bsExclusive : bsUp;
        if (X >= 0 && X < width() && Y >= 0 && Y <= height()) s = down_ ? bsExclusive : bsDown;
        if (style_ == tasCheck && down_) s = bsDown;
        if (s != state_) {
            state_ = s;
            Invalidate();
        }
    } else if (!mouseInControl_) {
        updateTracking();
    }
}

void TExGridButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (!dragging_) return;
    dragging_ = false;
    const bool inside = X >= 0 && X < width() && Y >= 0 && Y <= height();
    if (groupIndex_ == 0) {
        state_ = bsUp;
        if (style_ == tasCheck) {
            SetDown(!down_);
            state_ = bsUp;
        }
        if (inside && state_ != bsExclusive && state_ != bsDown) Invalidate();
    } else if (inside) {
        SetDown(!down_);
        if (down_) Repaint();
    } else {
        // A release outside that came without a move out still leaves the button up.
        state_ = down_ ? bsExclusive : bsUp;
        Repaint();
    }
    if (inside) Click();
    updateTracking();
}

void TExGridButton::updateTracking() {
    if (!flat_ || !isEnabled()) return;
    const bool over = QApplication::widgetAt(QCursor::pos()) == this || underMouse();
    if (over == mouseInControl_) return;
    if (over)
        MouseEnter();
    else
        MouseLeave();
}

void TExGridButton::MouseEnter() {
    if (isEnabled() && !mouseInControl_ && !QWidget::mouseGrabber()) {
        mouseInControl_ = true;
        Repaint();
    }
    TGraphicControl::MouseEnter();
}

void TExGridButton::MouseLeave() {
    if (mouseInControl_ && isEnabled() && !dragging_) {
        mouseInControl_ = false;
        Invalidate();
    }
    TGraphicControl::MouseLeave();
}

void TExGridButton::changeEvent(QEvent* event) {
    TGraphicControl::changeEvent(event);
    switch (event->type()) {
        case QEvent::EnabledChange:
            if (!isEnabled()) {
                state_ = bsDisabled;
                dragging_ = false;
                mouseInControl_ = false;
            } else if (state_ == bsDisabled) {
                state_ = (down_ && groupIndex_ != 0) ? bsExclusive : bsUp;
            }
            Repaint();
            break;
        case QEvent::FontChange:
        case QEvent::PaletteChange:
            Invalidate();
            break;
        case QEvent::StyleChange:
        case QEvent::ThemeChange:
            if (autoThemeAdapt_) ThemeAdapt();
            break;
        default:
            break;
    }
}

bool TExGridButton::event(QEvent* event) {
    if (event->type() == QEvent::Shortcut) {
        auto* se = static_cast<QShortcutEvent*>(event);
        if (se->shortcutId() == shortcutId_) {
            guarded([&] {
                if (isEnabled() && isVisible() && parentWidget() && parentWidget()->isVisible()) Click();
            });
            return true;
        }
    }
    return TGraphicControl::event(event);
}

const TBitmap& TExGridButton::chosenGlyph(TButtonState State, bool Hot) const {
    if (State == bsDisabled) return glyphDisabled_->Empty() ? *glyph_ : *glyphDisabled_;
    if (State == bsDown || State == bsExclusive) return glyphDown_->Empty() ? *glyph_ : *glyphDown_;
    if (Hot) return glyphHot_->Empty() ? *glyph_ : *glyphHot_;
    return *glyph_;
}

TExGridButton::TContentLayout TExGridButton::CalcLayout(const TRect& Client, const QPoint& Offset,
                                                        const QSize& GlyphSize, bool RightToLeft) {
    TButtonLayout layout = layout_;
    if (RightToLeft) {
        if (layout == blGlyphLeft)
            layout = blGlyphRight;
        else if (layout == blGlyphRight)
            layout = blGlyphLeft;
    }
    const QSize client(Client.Width(), Client.Height());
    QSize text(0, 0);
    if (!caption_.isEmpty()) {
        TRect bounds{0, 0, client.width(), 0};
        Canvas().DrawText(caption_, bounds, DT_CALCRECT | (RightToLeft ? DT_RTLREADING : 0));
        text = QSize(bounds.Width(), bounds.Height());
    }
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    // Along the layout axis (a) and across it (c).
    const int clientA = horizontal ? client.width() : client.height();
    const int clientC = horizontal ? client.height() : client.width();
    const int glyphA = horizontal ? GlyphSize.width() : GlyphSize.height();
    const int glyphC = horizontal ? GlyphSize.height() : GlyphSize.width();
    const int textA = horizontal ? text.width() : text.height();
    const int textC = horizontal ? text.height() : text.width();
    int margin = margin_, spacing = spacing_;
    if (textA == 0 || glyphA == 0) spacing = 0;
    if (margin == -1) {
        if (spacing == -1) {
            margin = (clientA - (glyphA + textA)) / 3;
            spacing = margin;
        } else {
            margin = (clientA - (glyphA + spacing + textA) + 1) / 2;
        }
    } else if (spacing == -1) {
        spacing = ((clientA - margin - glyphA) - textA) / 2;
    }
    int glyphPosA = 0, textPosA = 0;
    if (layout == blGlyphLeft || layout == blGlyphTop) {
        glyphPosA = margin;
        textPosA = glyphPosA + glyphA + spacing;
    } else {
        glyphPosA = clientA - margin - glyphA;
        textPosA = glyphPosA - spacing - textA;
    }
    const int glyphPosC = (clientC - glyphC + 1) / 2, textPosC = (clientC - textC + 1) / 2;
    QPoint glyph = horizontal ? QPoint(glyphPosA, glyphPosC) : QPoint(glyphPosC, glyphPosA);
    QPoint textPos = horizontal ? QPoint(textPosA, textPosC) : QPoint(textPosC, textPosA);
    const QPoint shift = QPoint(Client.Left, Client.Top) + Offset;
    glyph += shift;
    textPos += shift;
    if (caption_.isEmpty()) glyph = QPoint(0, 0);
    return {glyph, TRect{textPos.x(), textPos.y(), textPos.x() + text.width(), textPos.y() + text.height()}};
}

void TExGridButton::fill(TColor From, TColor To, TColor Pen, TColor GradientBorder, const TRect& R) {
    TCanvas& c = Canvas();
    if (To == clNone) {
        c.Brush().SetColor(From);
        c.Pen().SetColor(Pen == clNone ? From : Pen);
        c.Rectangle(R);
    } else {
        DrawBandGradient(c, From, To, GradientBorder, kGradientSteps, R, false);
    }
}

void TExGridButton::Paint() {
    TCanvas& c = Canvas();
    c.Font().Assign(Font());
    const bool enabled = isEnabled();
    // 1. The state the look follows (enabling keeps state_ in step; a checked tasCheck looks down).
    TButtonState state = enabled ? state_ : bsDisabled;
    if (enabled && state == bsDisabled) state = (down_ && groupIndex_ != 0) ? bsExclusive : bsUp;
    if (style_ == tasCheck && down_) state = bsDown;
    const bool hot = mouseInControl_ && enabled;
    const bool pressed = state == bsDown || state == bsExclusive;
    TRect r = TRect::fromQRect(rect());

    // 2. Flat: the colours and borders.
    if (flat_) {
        if (borderDownColor_ == clNone || rounded_) r = inflated(r, -1);
        if (!hot) {
            if (style_ == tasCheck && down_) {
                fill(colorChecked_, colorCheckedTo_, borderDownColor_, borderDownColor_, r);
            } else {
                if (colorTo_ == clNone) {
                    c.Brush().SetColor(color_);
                    c.FillRect(r);
                } else {
                    const TColor border = rounded_ ? clNone : (down_ ? borderDownColor_ : borderColor_);
                    DrawBandGradient(c, color_, colorTo_, border, kGradientSteps, r, false);
                }
                if (borderColor_ != clNone) {
                    c.Pen().SetColor(borderColor_);
                    c.Brush().SetStyle(bsClear);
                    if (rounded_) {
                        const TRect o = inflated(r, 1);
                        c.RoundRect(o.Left, o.Top, o.Right, o.Bottom, 8, 8);
                    } else {
                        c.Rectangle(r);
                    }
                    c.Brush().SetStyle(bsSolid);
                }
            }
        } else {
            // A checked tasCheck always looks down; only the mouse held on it shows the down colours.
            TColor from = colorHot_, to = colorHotTo_, border = borderHotColor_;
            if (state == bsDown && (style_ != tasCheck || !down_ || dragging_)) {
                from = colorDown_, to = colorDownTo_, border = borderDownColor_;
            } else if (style_ == tasCheck && down_) {
                from = colorChecked_, to = colorCheckedTo_, border = borderDownColor_;
            }
            const TColor pen = rounded_ ? clNone : border;
            fill(from, to, pen, pen, r);
            if (rounded_ && border != clNone) {
                c.Pen().SetColor(border);
                c.Brush().SetStyle(bsClear);
                const TRect o = inflated(r, 1);
                c.RoundRect(o.Left, o.Top, o.Right, o.Bottom, 8, 8);
                c.Brush().SetStyle(bsSolid);
            }
            if (dropDownButton_ && border != clNone) {
                c.Pen().SetColor(border);
                c.MoveTo(r.Right - kDropDownWidth, r.Top);
                c.LineTo(r.Right - kDropDownWidth, r.Bottom);
            }
        }
        r = inflated(r, -1);
    } else {
        // 3. A raised push button, themed or classic.
        if (IsWindowsXPOrLater() && autoXPStyle_ && isComCtl6_ && IsThemeActive()) {
            const int themeState = pressed ? PBS_PRESSED : hot ? PBS_HOT : PBS_NORMAL;
            DrawThemeBackground(OpenThemeData(this, u"button"), c, BP_PUSHBUTTON, themeState, r);
        } else {
            DrawFrameControl(c, r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (pressed ? DFCS_PUSHED : 0));
        }
    }

    // 4. The pressed look and the content's offset.
    QPoint offset(0, 0);
    if (pressed) {
        if (state == bsExclusive && (!flat_ || !hot)) {
            const TColor pen = down_ ? borderDownColor_ : borderColor_;
            fill(colorChecked_, colorCheckedTo_, pen, pen, inflated(r, 1));
        }
        if (!flat_) offset = QPoint(1, 1);
    } else if (flat_ && hot && shaded_) {
        offset = QPoint(-1, -1);
    }

    // 5. The drop-down arrow.
    if (dropDownButton_) {
        const int m = r.Top + (r.Bottom - r.Top) / 2;
        c.Pen().SetColor(c.Font().Color());
        c.Brush().SetColor(c.Font().Color());
        c.Polygon({QPoint(r.Right - 8, m - 1), QPoint(r.Right - 4, m - 1), QPoint(r.Right - 6, m + 1)});
        r.Right -= kDropDownWidth;
    }

    // 6. Glyph and caption.
    const TButtonState drawState = (down_ && groupIndex_ != 0) ? bsExclusive : state;
    const bool drawPressed = drawState == bsDown || drawState == bsExclusive;
    const TBitmap& glyph = chosenGlyph(drawState, hot && !drawPressed);
    const QSize glyphSize = glyph.Empty() ? QSize(0, 0) : QSize(glyph.Width(), glyph.Height());
    const TContentLayout lay = CalcLayout(r, offset, glyphSize, layoutDirection() == Qt::RightToLeft);
    if (!glyph.Empty()) {
        if (hot && shaded_ && enabled && !drawPressed && !glyphShade_->Empty()) {
            const QPoint at = caption_.isEmpty() ? lay.GlyphPos : lay.GlyphPos + QPoint(2, 2);
            c.Draw(at.x(), at.y(), *glyphShade_);
        }
        TBitmap g(glyph);
        g.SetTransparent(true);
        c.Draw(lay.GlyphPos.x(), lay.GlyphPos.y(), g);
    }
    if (showCaption_ && !caption_.isEmpty()) {
        TRect text = lay.TextBounds;
        if (hot && shaded_ && enabled && flat_ && !drawPressed)
            text = {text.Left + 1, text.Top + 1, text.Right + 1, text.Bottom + 1};
        c.Brush().SetStyle(bsClear);
        const unsigned flags = DT_CENTER | DT_VCENTER | (layoutDirection() == Qt::RightToLeft ? DT_RTLREADING : 0);
        if (!enabled) {
            const TColor keep = c.Font().Color();
            TRect shadow{text.Left + 1, text.Top + 1, text.Right + 1, text.Bottom + 1};
            c.Font().SetColor(clBtnHighlight);
            c.DrawText(caption_, shadow, flags);
            c.Font().SetColor(clBtnShadow);
            c.DrawText(caption_, text, flags);
            c.Font().SetColor(keep);
        } else {
            c.DrawText(caption_, text, flags);
        }
        c.Brush().SetStyle(bsSolid);
    }
}

// ---------------------------------------------------------------------------------------------------
// TExCheckBox

namespace {

constexpr int kThemedBox = 14, kClassicBox = 13, kBoxStrip = 20, kBoxCorner = 16;

}  // namespace

TExCheckBox::TExCheckBox(QWidget* parent) : TCustomControl(parent) {
    resize(98, 20);
    // The box clicks itself once it has toggled; no tab stop, but a click focuses it.
    SetControlStyle(ControlStyle().exclude(csClickEvents));
    setFocusPolicy(Qt::ClickFocus);
    const QKeySequence key = QKeySequence::mnemonic(caption_);
    if (!key.isEmpty()) shortcutId_ = grabShortcut(key);
    Font().OnChange = [this] { Invalidate(); };
}

TExCheckBox::~TExCheckBox() = default;

void TExCheckBox::SetCaption(const QString& Value) {
    caption_ = Value;
    if (shortcutId_) releaseShortcut(shortcutId_);
    shortcutId_ = 0;
    const QKeySequence key = QKeySequence::mnemonic(Value);
    if (!key.isEmpty()) shortcutId_ = grabShortcut(key);
    Invalidate();
}

void TExCheckBox::SetChecked(bool Value) {
    SetState(Value ? cbChecked : cbUnchecked);
    Invalidate();
}

void TExCheckBox::SetState(TCheckBoxState Value) {
    if (state_ == Value) return;
    state_ = Value;
    const int x = alignment_ == taRightJustify ? width() - kBoxStrip : 0;
    update(QRect(x, 0, kBoxStrip, height()));
}

#define EX_CB_SET_ON_CHANGE(Setter, field, T) \
    void TExCheckBox::Setter(T Value) {       \
        if (field == Value) return;           \
        field = Value;                        \
        Invalidate();                         \
    }
EX_CB_SET_ON_CHANGE(SetAlignment, alignment_, TAlignment)
EX_CB_SET_ON_CHANGE(SetButtonVertAlign, buttonVertAlign_, TTextLayout)
EX_CB_SET_ON_CHANGE(SetEllipsis, ellipsis_, bool)
#undef EX_CB_SET_ON_CHANGE

void TExCheckBox::SetTransparent(bool Value) {
    transparent_ = Value;
    Repaint();
}

void TExCheckBox::SetColor(TColor Value) {
    color_ = Value;
    Invalidate();
}

void TExCheckBox::Toggle() {
    if (!readOnly_) SetChecked(!Checked());
}

TRect TExCheckBox::BoxRect(bool Themed) const {
    const int size = Themed ? kThemedBox : kClassicBox;
    const int x = alignment_ == taRightJustify ? width() - (Themed ? 15 : 13) : 0;
    int y = 4;
    if (buttonVertAlign_ == tlCenter) y = height() / 2 - 6;
    if (buttonVertAlign_ == tlBottom) y = height() - (Themed ? 14 : 17);
    return {x, y, x + size, y + size};
}

void TExCheckBox::invalidateBoxCorner() {
    const TRect box = BoxRect(IsThemedComCtl6());
    update(QRect(box.Left, box.Top, kBoxCorner, kBoxCorner));
}

void TExCheckBox::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (Key == VK_RETURN && returnIsTab_) {
        Key = VK_TAB;
        QCoreApplication::postEvent(this, new QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier));
    }
    if (Key == VK_SPACE) {
        down_ = true;
        invalidateBoxCorner();
    }
    TCustomControl::KeyDown(Key, Shift);
}

void TExCheckBox::KeyUp(uint16_t& Key, TShiftState Shift) {
    if (Key == VK_SPACE) {
        down_ = false;
        Toggle();
        Click();
    }
    TCustomControl::KeyUp(Key, Shift);
}

void TExCheckBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    mouseDown_ = true;
    if (!hasFocus()) setFocus(Qt::MouseFocusReason);
    TCustomControl::MouseDown(Button, Shift, X, Y);
    // The press holds the mouse until its release, wherever the pointer goes.
    down_ = true;
    if (IsWindowsXPOrLater()) invalidateBoxCorner();
}

void TExCheckBox::MouseMove(TShiftState Shift, int X, int Y) {
    if (mouseDown_) {
        const bool inside = X >= 0 && X <= width() && Y >= 0 && Y <= height();
        if (inside != down_) {
            down_ = inside;
            invalidateBoxCorner();
        }
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TExCheckBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    down_ = false;
    const bool inside = X >= 0 && X <= width() && Y >= 0 && Y <= height();
    if (inside && hasFocus() && mouseDown_) {
        Toggle();
        Click();
    }
    mouseDown_ = false;
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (IsWindowsXPOrLater()) invalidateBoxCorner();
}

void TExCheckBox::MouseEnter() {
    hot_ = true;
    invalidateBoxCorner();
    TCustomControl::MouseEnter();
}

void TExCheckBox::MouseLeave() {
    hot_ = false;
    invalidateBoxCorner();
    TCustomControl::MouseLeave();
}

void TExCheckBox::DoEnter() {
    focused_ = true;
    Repaint();
    TCustomControl::DoEnter();
}

void TExCheckBox::DoExit() {
    focused_ = false;
    Repaint();
    TCustomControl::DoExit();
}

void TExCheckBox::changeEvent(QEvent* event) {
    TCustomControl::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange) Invalidate();
}

bool TExCheckBox::event(QEvent* event) {
    if (event->type() == QEvent::Shortcut && static_cast<QShortcutEvent*>(event)->shortcutId() == shortcutId_) {
        guarded([&] {
            if (isEnabled() && isVisible() && window()->isVisible()) {
                if (focusPolicy() & Qt::TabFocus) setFocus(Qt::ShortcutFocusReason);
                Toggle();
            }
        });
        return true;
    }
    return TCustomControl::event(event);
}

void TExCheckBox::Paint() {
    TCanvas& c = Canvas();
    c.Font().Assign(Font());
    if (!transparent_) {
        c.Brush().SetColor(color_);
        c.FillRect(TRect::fromQRect(rect()));
    }
    const bool enabled = isEnabled();
    const bool themed = IsThemedComCtl6();
    TRect box = BoxRect(themed);
    if (themed) {
        int state = state_ == cbChecked  ? CBS_CHECKEDNORMAL
                    : state_ == cbGrayed ? CBS_MIXEDNORMAL
                                         : CBS_UNCHECKEDNORMAL;
        if (!enabled)
            state += 3;
        else if (down_)
            state += 2;
        else if (hot_)
            state += 1;
        DrawThemeBackground(OpenThemeData(this, u"button"), c, BP_CHECKBOX, state, box);
    } else {
        unsigned flags = DFCS_BUTTONCHECK;
        if (state_ == cbChecked) flags |= DFCS_CHECKED;
        if (state_ == cbGrayed || !enabled) flags |= DFCS_INACTIVE;
        DrawFrameControl(c, box, DFC_BUTTON, flags);
    }

    TRect text = TRect::fromQRect(rect());
    if (alignment_ == taRightJustify) {
        text.Left = 0;
        text.Right -= 9;
    } else {
        text.Left += 9;
    }
    text.Top += 4;
    text.Left += 6;
    const unsigned flags = DT_LEFT | DT_TOP | DT_SINGLELINE | (ellipsis_ ? DT_END_ELLIPSIS : 0);
    c.Brush().SetStyle(bsClear);
    if (!enabled) {
        const TColor keep = c.Font().Color();
        TRect shadow{text.Left + 1, text.Top + 1, text.Right + 1, text.Bottom + 1};
        c.Font().SetColor(clWhite);
        c.DrawText(caption_, shadow, flags);
        c.Font().SetColor(clGray);
        c.DrawText(caption_, text, flags);
        c.Font().SetColor(keep);
    } else {
        c.DrawText(caption_, text, flags);
    }
    c.Brush().SetStyle(bsSolid);
    if (focused_) {
        const QSize size = c.TextExtent(caption_);
        c.DrawFocusRect({text.Left - 2, text.Top, text.Left - 2 + size.width() + 1 + 2, text.Top + size.height() + 1});
    }
}
