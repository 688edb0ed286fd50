#include "controls/FadeButton.h"

#include "platform/Guard.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QPainter>
#include <QShortcutEvent>

using namespace plat;

TFadeButton::TFadeButton(QWidget* parent) : TCustomControl(parent) {
    // No double clicks: a fast double click is two presses and two clicks. The click comes from our
    // own release handling, wherever the pointer is then.
    SetControlStyle({});
    resize(100, 23);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover, false);
    if (auto* form = qobject_cast<TForm*>(parent ? parent->window() : nullptr))
        hotTrackFont_.AssignQFont(form->font());
}

TFadeButton::~TFadeButton() {
    destroying_ = true;
    stopFade();
    if (shortcutId_) releaseShortcut(shortcutId_);
}

void TFadeButton::SetCaption(const QString& caption) {
    caption_ = caption;
    if (shortcutId_) releaseShortcut(shortcutId_);
    shortcutId_ = 0;
    const QKeySequence mnemonic = QKeySequence::mnemonic(caption);
    if (!mnemonic.isEmpty()) shortcutId_ = grabShortcut(mnemonic);
    setAccessibleName(caption);
    Invalidate();
}

void TFadeButton::SetAlignment(TAlignment a) {
    alignment_ = a;
    Repaint();
}
void TFadeButton::SetColor(TColor c) {
    color_ = c;
    Repaint();
}
void TFadeButton::SetLightColor(TColor c) {
    lightColor_ = c;
    Repaint();
}
void TFadeButton::SetShadowColor(TColor c) {
    shadowColor_ = c;
    Repaint();
}
void TFadeButton::SetFlat(bool on) {
    flat_ = on;
    Repaint();
}
void TFadeButton::SetWordWrap(bool on) {
    wordWrap_ = on;
    Repaint();
}
void TFadeButton::SetLayout(TFadeButtonLayout l) {
    layout_ = l;
    Repaint();
}

void TFadeButton::SetStyle(TFadeButtonStyle s) {
    style_ = s;
    // The transparent styles let the parent show through what the face leaves magenta.
    const bool transparent = s == bsModern || s == bsShape || s == bsQuicken;
    setAttribute(Qt::WA_NoSystemBackground, transparent);
    Invalidate();
}

void TFadeButton::SetColorStyle(TFadeColorStyle style) {
    const TFadeColorPreset* preset = GetColorStyleColors(style);
    if (!preset) return;
    color_ = preset->Color;
    lightColor_ = preset->LightColor;
    shadowColor_ = preset->ShadowColor;
    colorWhenDown_ = preset->ColorWhenDown;
    hotTrackColor_ = preset->HotTrackColor;
    flat_ = preset->Flat;
    Font().SetColor(preset->FontColor);
    style_ = preset->Style;
    Repaint();
}

void TFadeButton::SetGlyph(const TBitmap* glyph) {
    if (glyph && !glyph->Empty()) {
        glyph_.Assign(*glyph);
        numGlyphs_ = glyph_.Height() > 0 ? glyph_.Width() / glyph_.Height() : 0;
    } else {
        glyph_ = TBitmap();
        numGlyphs_ = 0;
    }
    kind_ = bkCustom;
    Invalidate();
}

void TFadeButton::SetNumGlyphs(int n) {
    numGlyphs_ = n;
    Invalidate();
}

void TFadeButton::SetKind(TFadeButtonKind kind) {
    if (const TFadeKindPreset* preset = FadeKindPreset(kind)) {
        numGlyphs_ = 2;
        SetModalResult(preset->ModalResult);
        glyph_ = FadeButtonResource(QString::fromLatin1(preset->Resource));
        SetCaption(QString::fromUtf8(preset->Caption));
        kind_ = kind;
    } else {
        kind_ = bkCustom;
    }
    Invalidate();
}

void TFadeButton::SetModalResult(int result) {
    modalResult_ = result;
    kind_ = bkCustom;
}

void TFadeButton::SetSlowDecease(bool on) {
    slowDecease_ = on;
    if (!on && fade_) {
        hotTrackStep_ = 0;
        stopFade();
    }
    Invalidate();
}

void TFadeButton::SetAction(QAction* action) {
    if (action_) disconnect(action_, nullptr, this, nullptr);
    action_ = action;
    if (action) connect(action, &QAction::changed, this, [this] { guarded([this] { actionChanged(); }); });
    actionChanged();
}

void TFadeButton::actionChanged() {
    // The action's picture stands in for a missing glyph; one the button has stays.
    if (!action_ || !glyph_.Empty() || action_->icon().isNull()) return;
    const QList<QSize> sizes = action_->icon().availableSizes();
    const QSize size = sizes.isEmpty() ? QSize(16, 16) : sizes.front();
    QImage img(size, QImage::Format_RGB32);
    img.fill(QColor(255, 0, 255));
    {
        QPainter painter(&img);
        action_->icon().paint(&painter, QRect(QPoint(0, 0), size));
    }
    glyph_.SetImage(img);
    numGlyphs_ = 1;
    Repaint();
}

bool TFadeButton::parentShowing() const {
    return parentWidget() && parentWidget()->isVisible();
}

void TFadeButton::Paint() {
    if (!isVisible() || destroying_) return;
    const int W = width(), H = height();
    TBitmap bmp(W, H, pf32bit);
    TCanvas& c = bmp.Canvas();
    const bool transparent = style_ == bsModern || style_ == bsShape || style_ == bsQuicken;
    if (transparent) {
        c.Brush().SetColor(0xFF00FF);
        c.FillRect(Rect(0, 0, W, H));
        bmp.SetTransparentColor(0xFF00FF);
        bmp.SetTransparent(true);
    }
    const bool hot = inside_ || hasFocus();
    TFont font = (hot && useHotTrackFont_) ? hotTrackFont_ : Font();
    TFadeFace face;
    face.Width = W;
    face.Height = H;
    face.HotTrackStep = hotTrackStep_;
    face.NumGlyphs = numGlyphs_;
    face.Glyph = &glyph_;
    face.Pressed = pressed_;
    face.Hot = hot;
    face.Enabled = isEnabled();
    face.Flat = flat_;
    face.WordWrap = wordWrap_;
    face.HasPopupMenu = popupMenu_ != nullptr;
    face.Style = style_;
    face.Color = color_;
    face.ColorWhenDown = colorWhenDown_;
    face.HotTrackColor = hotTrackColor_;
    face.LightColor = lightColor_;
    face.ShadowColor = shadowColor_;
    face.Font = &font;
    face.Layout = layout_;
    face.Caption = caption_;
    face.Alignment = alignment_;
    if (style_ == bsOld && hasFocus()) {
        // The focused old-style face stands one pixel in from a black frame.
        face.Width = W - 2;
        face.Height = H - 2;
        if (pressed_) face.LightColor = shadowColor_;
        PaintFadeButtonFace(c, face);
        c.Release();
        const QImage copy = bmp.Image();
        c.Draw(1, 1, [&] {
            TBitmap b;
            b.SetImage(copy);
            return b;
        }());
        c.Brush().SetStyle(bsClear);
        c.Pen().SetStyle(psSolid);
        c.Pen().SetWidth(1);
        c.Pen().SetColor(clBlack);
        c.Rectangle(0, 0, W, H);
    } else {
        PaintFadeButtonFace(c, face);
    }
    // The focus outline goes on the same image, so the control is drawn in one operation.
    if (hasFocus() && isEnabled() && style_ != bsShape) c.DrawFocusRect(Rect(4, 4, W - 4, H - 4));
    c.Release();
    Canvas().Draw(0, 0, bmp);
}

void TFadeButton::click() {
    guarded([this] { Click(); });
}

void TFadeButton::Click() {
    pressed_ = true;
    DoClick();
    if (action_) action_->trigger();
}

void TFadeButton::DoClick() {
    if (!isVisible() || !isEnabled() || !pressed_) return;
    pressed_ = false;
    QPointer<TFadeButton> self(this);
    if (OnClick) OnClick(this);
    if (!self) return;
    emit clicked();
    if (!self) return;
    if (modalResult_ != 0)
        if (auto* form = qobject_cast<TForm*>(window())) form->SetModalResult(modalResult_);
    if (self && popupMenu_) popupMenu_->popup(mapToGlobal(QPoint(0, height())));
}

void TFadeButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && isEnabled()) {
        pressed_ = true;
        setFocus(Qt::MouseFocusReason);
        Repaint();
    }
}

void TFadeButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    QPointer<TFadeButton> self(this);
    if (pressed_) Click();
    if (!self) return;
    pressed_ = false;
    Repaint();
}

void TFadeButton::KeyDown(uint16_t& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (isEnabled() && (Key == VK_RETURN || Key == VK_SPACE)) {
        pressed_ = true;
        keyDown_ = Key;
        Repaint();
    }
}

void TFadeButton::KeyUp(uint16_t& Key, TShiftState Shift) {
    TCustomControl::KeyUp(Key, Shift);
    QPointer<TFadeButton> self(this);
    // The release of an Enter that went down in another window (the message box that OK opened and
    // Enter closed) is not a press of this button: clicking it would open the box again.
    const bool own = Key != 0 && Key == keyDown_;
    if (own) keyDown_ = 0;
    if (own) Click();
    if (self) Repaint();
}

void TFadeButton::keyPressEvent(QKeyEvent* event) {
    TCustomControl::keyPressEvent(event);
    // A focused button takes Enter itself; the window's default button does not see it.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) event->accept();
}

bool TFadeButton::DialogKey(uint16_t key, TShiftState shift) {
    // A hidden or disabled button takes no key, Enter no more than Esc: its click would do nothing
    // and the key would be lost to the window.
    if (!isVisible() || !isEnabled()) return false;
    const bool candidate = (key == VK_RETURN && default_) ||
                           (key == VK_ESCAPE && cancel_ && !shift.contains(ssShift) && !shift.contains(ssCtrl) &&
                            !shift.contains(ssAlt));
    if (!candidate) return false;
    // A focused push button of any kind handles Enter and Esc itself.
    if (QWidget* active = window()->focusWidget()) {
        const QString name = QString::fromLatin1(active->metaObject()->className()).toUpper();
        if (name.contains(QLatin1String("BUTTON")) && !name.contains(QLatin1String("RADIOBUTTON"))) return false;
    }
    pressed_ = true;
    Click();
    return true;
}

void TFadeButton::MouseEnter() {
    if (isEnabled() && isVisible() && parentShowing()) {
        inside_ = true;
        hotTrackStep_ = 8;
        Repaint();
        TCustomControl::MouseEnter();
    }
}

void TFadeButton::MouseLeave() {
    inside_ = false;
    if (slowDecease_) {
        if (!fade_) {
            // The timer lives only while the face fades back.
            fade_ = new TTimer(this);
            fade_->SetInterval(30);
            fade_->SetOnTimer([this](QObject*) { fadeTick(); });
        }
    } else {
        hotTrackStep_ = 0;
        Repaint();
    }
    if (isEnabled() && isVisible() && parentShowing()) TCustomControl::MouseLeave();
}

void TFadeButton::fadeTick() {
    if (destroying_) return;
    --hotTrackStep_;
    if (hotTrackStep_ <= 0) {
        hotTrackStep_ = 0;
        stopFade();
    }
    Repaint();
}

void TFadeButton::stopFade() {
    if (!fade_) return;
    fade_->SetEnabled(false);
    fade_->deleteLater();  // the tick that ends the fade may be running inside it
    fade_ = nullptr;
}

void TFadeButton::focusInEvent(QFocusEvent* event) {
    TCustomControl::focusInEvent(event);
    update();
}

void TFadeButton::focusOutEvent(QFocusEvent* event) {
    TCustomControl::focusOutEvent(event);
    keyDown_ = 0;
    update();
}

void TFadeButton::hideEvent(QHideEvent* event) {
    TCustomControl::hideEvent(event);
    // A button that closes its window under the pointer is told of no leave; without this it
    // would show hot when the window opens again, wherever the pointer is then.
    inside_ = false;
    stopFade();
    hotTrackStep_ = 0;
}

void TFadeButton::changeEvent(QEvent* event) {
    TCustomControl::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        pressed_ = false;
        update();
    }
}

bool TFadeButton::event(QEvent* e) {
    if (e->type() == QEvent::Shortcut) {
        auto* se = static_cast<QShortcutEvent*>(e);
        if (se->shortcutId() == shortcutId_ && isVisible() && isEnabled() && parentShowing()) {
            guarded([this] {
                pressed_ = true;
                Click();
            });
            return true;
        }
    }
    return TCustomControl::event(e);
}

TFadeButton* NewHouseButton(QWidget* parent, const THouseLook& look) {
    auto* b = new TFadeButton(parent);
    b->SetStyle(look.Style);
    b->SetColor(0xEDF7F8);
    b->SetColorWhenDown(look.ColorWhenDown);
    b->SetHotTrackColor(look.HotTrackColor);
    b->SetLightColor(plat::clGray);
    b->SetLayout(look.Layout);
    b->SetAlignment(look.Alignment);
    b->resize(look.Width, look.Height);
    return b;
}

TFadeButton* NewHouseButton(const QString& caption, QWidget* parent, const THouseLook& look) {
    TFadeButton* b = NewHouseButton(parent, look);
    b->SetCaption(caption);
    return b;
}
