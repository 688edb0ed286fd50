#pragma once
// The owner-drawn push button of every window: a face colour, a 3D frame or rounded outline, an
// optional gradient, a glyph from a strip of equal cells and the caption, all painted off-screen
// in one go. It lights up under the pointer (with an optional slow fade back), shows a pressed
// look, sets its form's modal result, drops down its popup menu and answers Enter, Space, Esc and
// its mnemonic.
#include "controls/FadeButtons.h"
#include "platform/Controls.h"
#include "platform/Form.h"

#include <QMenu>
#include <QPointer>
#include <memory>

class QAction;

class TFadeButton : public plat::TCustomControl, public plat::TDialogKeyHandler {
    Q_OBJECT
public:
    explicit TFadeButton(QWidget* parent = nullptr);
    ~TFadeButton() override;

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    QString Hint() const { return toolTip(); }
    void SetHint(const QString& hint) { setToolTip(hint); }

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool on) { cancel_ = on; }
    bool Default() const { return default_; }
    void SetDefault(bool on) { default_ = on; }
    // Applies a colour preset; the style itself is not kept, so this always reads lcsCustom.
    TFadeColorStyle ColorStyle() const { return lcsCustom; }
    void SetColorStyle(TFadeColorStyle style);
    plat::TColor Color() const { return color_; }
    void SetColor(plat::TColor c);
    plat::TColor ColorWhenDown() const { return colorWhenDown_; }
    void SetColorWhenDown(plat::TColor c) { colorWhenDown_ = c; }
    plat::TColor HotTrackColor() const { return hotTrackColor_; }
    void SetHotTrackColor(plat::TColor c) { hotTrackColor_ = c; }
    plat::TColor LightColor() const { return lightColor_; }
    void SetLightColor(plat::TColor c);
    plat::TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(plat::TColor c);
    bool Flat() const { return flat_; }
    void SetFlat(bool on);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool on);
    TFadeButtonLayout Layout() const { return layout_; }
    void SetLayout(TFadeButtonLayout l);
    TFadeButtonStyle Style() const { return style_; }
    void SetStyle(TFadeButtonStyle s);
    // A copy of the picture; its cells are as wide as it is high. nullptr empties it.
    const plat::TBitmap& Glyph() const { return glyph_; }
    void SetGlyph(const plat::TBitmap* glyph);
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int n);
    TFadeButtonKind Kind() const { return kind_; }
    void SetKind(TFadeButtonKind kind);
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result);
    bool SlowDecease() const { return slowDecease_; }
    void SetSlowDecease(bool on);
    bool UseHotTrackFont() const { return useHotTrackFont_; }
    void SetUseHotTrackFont(bool on) { useHotTrackFont_ = on; }
    plat::TFont& HotTrackFont() { return hotTrackFont_; }
    void SetHotTrackFont(const plat::TFont& f) { hotTrackFont_.Assign(f); }
    QMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }
    // A linked action: its click runs the action, its icon becomes the glyph of a button without one.
    QAction* Action() const { return action_; }
    void SetAction(QAction* action);

    // The hot-track step, 8 on entry, counted down to 0 by the fade.
    int HotTrackStep() const { return hotTrackStep_; }
    // The fade's timer: it exists only while a fade runs.
    plat::TTimer* FadeTimer() const { return fade_; }
    bool Pressed() const { return pressed_; }

    bool DialogKey(uint16_t key, plat::TShiftState shift) override;

public slots:
    // As a user's click: OnClick and clicked(), then the form's modal result, then the popup menu.
    void click();

signals:
    void clicked();

protected:
    void Paint() override;
    void Click() override;
    void MouseDown(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void MouseUp(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void KeyDown(uint16_t& Key, plat::TShiftState Shift) override;
    void KeyUp(uint16_t& Key, plat::TShiftState Shift) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool event(QEvent* event) override;

private:
    void DoClick();
    void fadeTick();
    void stopFade();
    bool parentShowing() const;
    void actionChanged();

    QString caption_;
    int shortcutId_ = 0;
    TAlignment alignment_ = taCenter;
    bool cancel_ = false, default_ = false, flat_ = false, wordWrap_ = false;
    bool slowDecease_ = false, useHotTrackFont_ = false;
    plat::TColor color_ = plat::clBtnFace;
    plat::TColor colorWhenDown_ = plat::clNone, hotTrackColor_ = plat::clNone;
    plat::TColor lightColor_ = plat::clWhite, shadowColor_ = plat::clGray;
    plat::TBitmap glyph_;
    int numGlyphs_ = 0;
    TFadeButtonKind kind_ = bkCustom;
    int modalResult_ = 0;
    TFadeButtonLayout layout_ = blGlyphLeft;
    TFadeButtonStyle style_ = bsNormal;
    plat::TFont hotTrackFont_;
    QPointer<QMenu> popupMenu_;
    QPointer<QAction> action_;
    bool pressed_ = false, inside_ = false, destroying_ = false;
    // Enter or Space as it went down on this button (0: none); only its own release clicks.
    uint16_t keyDown_ = 0;
    int hotTrackStep_ = 0;
    plat::TTimer* fade_ = nullptr;
};

inline constexpr plat::TColor clFadeOrange = 0x0080FF;

// How the windows dress their buttons; every field defaults to the common dialog button.
struct THouseLook {
    int Width = 110, Height = 28;
    TFadeButtonStyle Style = bsEncarta;
    plat::TColor ColorWhenDown = clFadeOrange;
    plat::TColor HotTrackColor = plat::clYellow;
    TFadeButtonLayout Layout = blGlyphLeft;
    TAlignment Alignment = taCenter;
};
// The one place the windows' button look lives, so that no window drifts from it.
TFadeButton* NewHouseButton(QWidget* parent, const THouseLook& look = {});
TFadeButton* NewHouseButton(const QString& caption, QWidget* parent, const THouseLook& look = {});
