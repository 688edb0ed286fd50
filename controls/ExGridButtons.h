#pragma once
// The two controls the grid's search bar is made of: a flat, colour-styled speed button with up to
// four glyphs, a drop-down part and button groups, and an owner-drawn check box with a themed or
// classic box. Also the small theme tests both use.
#include <QMenu>
#include <QPointer>
#include <QString>
#include <memory>

#include "controls/ExGridTypes.h"
#include "platform/Bitmap.h"
#include "platform/Colors.h"
#include "platform/Controls.h"
#include "platform/Themes.h"

class QAction;

// Theme tests: whether the system has visual styles (the platform's own test), whether they draw
// the common controls, and the colour scheme of the running visual style (1 "NormalColor",
// 2 "HomeStead", 3 "Metallic", else 0).
using plat::IsWindowsXPOrLater;
bool IsThemedComCtl6();
int CurrentXPColorScheme();

// Vertical (or, with Horizontal, side-by-side) bands from FromColor to ToColor, each one pixel
// wider than its share so no gap shows; the outline in BorderColor unless that is none.
void DrawBandGradient(plat::TCanvas& Canvas, TColor FromColor, TColor ToColor, TColor BorderColor, int Steps,
                      const plat::TRect& Rect, bool Horizontal);

enum TButtonState : uint8_t { bsUp, bsDisabled, bsDown, bsExclusive };
enum TButtonLayout : uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TTextLayout : uint8_t { tlTop, tlCenter, tlBottom };
enum TCheckBoxState : uint8_t { cbUnchecked, cbChecked, cbGrayed };

class TExGridButton;

// Links a button to a QAction: the caption, the checked state and the group index follow the
// action while they match it. The group index is the action's "GroupIndex" property.
class TExGridButtonActionLink {
public:
    explicit TExGridButtonActionLink(TExGridButton* Client) : client_(Client) {}
    void SetAction(QAction* Action);
    QAction* Action() const { return action_; }
    bool IsCaptionLinked() const;
    bool IsCheckedLinked() const;
    bool IsGroupIndexLinked() const;
    // Writes the action's new values through to the button where linked (the action's changed
    // signal calls it).
    void Update();

private:
    TExGridButton* client_;
    QPointer<QAction> action_;
    QMetaObject::Connection changed_;
    // The action's values as the button last took them.
    QString text_;
    bool checked_ = false;
    int group_ = 0;
};

class TExGridButton : public plat::TGraphicControl {
public:
    explicit TExGridButton(QWidget* parent = nullptr);
    ~TExGridButton() override;

    const plat::TBitmap& Glyph() const { return *glyph_; }
    // Also makes the grey disabled glyph while there is none.
    void SetGlyph(const plat::TBitmap& Value);
    const plat::TBitmap& GlyphHot() const { return *glyphHot_; }
    void SetGlyphHot(const plat::TBitmap& Value) { glyphHot_->Assign(Value); }
    const plat::TBitmap& GlyphDown() const { return *glyphDown_; }
    void SetGlyphDown(const plat::TBitmap& Value) { glyphDown_->Assign(Value); }
    const plat::TBitmap& GlyphDisabled() const { return *glyphDisabled_; }
    void SetGlyphDisabled(const plat::TBitmap& Value) { glyphDisabled_->Assign(Value); }
    // The grey silhouette drawn under a hot glyph.
    const plat::TBitmap& GlyphShade() const { return *glyphShade_; }

    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    TColor ColorTo() const { return colorTo_; }
    void SetColorTo(TColor Value);
    TColor ColorHot() const { return colorHot_; }
    void SetColorHot(TColor Value) { colorHot_ = Value; }
    TColor ColorHotTo() const { return colorHotTo_; }
    void SetColorHotTo(TColor Value) { colorHotTo_ = Value; }
    TColor ColorDown() const { return colorDown_; }
    void SetColorDown(TColor Value) { colorDown_ = Value; }
    TColor ColorDownTo() const { return colorDownTo_; }
    void SetColorDownTo(TColor Value) { colorDownTo_ = Value; }
    TColor ColorChecked() const { return colorChecked_; }
    void SetColorChecked(TColor Value);
    TColor ColorCheckedTo() const { return colorCheckedTo_; }
    void SetColorCheckedTo(TColor Value);
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor Value);
    TColor BorderDownColor() const { return borderDownColor_; }
    void SetBorderDownColor(TColor Value) { borderDownColor_ = Value; }
    TColor BorderHotColor() const { return borderHotColor_; }
    void SetBorderHotColor(TColor Value) { borderHotColor_ = Value; }

    bool Flat() const { return flat_; }
    void SetFlat(bool Value);
    bool Rounded() const { return rounded_; }
    void SetRounded(bool Value);
    bool Shaded() const { return shaded_; }
    void SetShaded(bool Value);
    bool ShowCaption() const { return showCaption_; }
    void SetShowCaption(bool Value);
    bool DropDownButton() const { return dropDownButton_; }
    void SetDropDownButton(bool Value);
    QMenu* DropDownMenu() const { return dropDownMenu_; }
    void SetDropDownMenu(QMenu* Value) { dropDownMenu_ = Value; }
    TExGridButtonStyle Style() const { return style_; }
    void SetStyle(TExGridButtonStyle Value);
    int32_t GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int32_t Value);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool Value);
    bool Down() const { return down_; }
    void SetDown(bool Value);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout Value);
    int32_t Margin() const { return margin_; }
    void SetMargin(int32_t Value);  // -1 centres; anything below is refused
    int32_t Spacing() const { return spacing_; }
    void SetSpacing(int32_t Value);
    bool AutoThemeAdapt() const { return autoThemeAdapt_; }
    void SetAutoThemeAdapt(bool Value);
    bool AutoXPStyle() const { return autoXPStyle_; }
    void SetAutoXPStyle(bool Value) { autoXPStyle_ = Value; }
    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& Value);

    // Applies a colour preset (0..6); the value itself is not kept.
    int32_t Look() const { return 0; }
    void SetLook(int32_t Value);
    // The theme's preset: blue, olive and silver schemes have their own, anything else the plain one.
    void ThemeAdapt();
    // What a form does once its description is read: the shade and the theme look.
    void Loaded();

    QAction* Action() const { return actionLink_.Action(); }
    void SetAction(QAction* Value) { actionLink_.SetAction(Value); }
    const TExGridButtonActionLink& ActionLink() const { return actionLink_; }

    TButtonState State() const { return state_; }
    bool MouseInControl() const { return mouseInControl_; }

    plat::TNotifyEvent OnDropDown;

    void Click() override;

    // Told by a button of the group that was pressed.
    void ButtonPressed(int32_t Group, TExGridButton* Sender);

    // Where glyph and caption go in the content rectangle, as painting places them.
    struct TContentLayout {
        QPoint GlyphPos;
        plat::TRect TextBounds;
    };
    TContentLayout CalcLayout(const plat::TRect& Client, const QPoint& Offset, const QSize& GlyphSize,
                              bool RightToLeft);

protected:
    void Paint() override;
    void MouseDown(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void MouseMove(plat::TShiftState Shift, int X, int Y) override;
    void MouseUp(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void updateExclusive();
    void updateTracking();
    void buildShade();
    void fill(TColor From, TColor To, TColor Pen, TColor GradientBorder, const plat::TRect& R);
    const plat::TBitmap& chosenGlyph(TButtonState State, bool Hot) const;

    std::unique_ptr<plat::TBitmap> glyph_, glyphHot_, glyphDown_, glyphDisabled_, glyphShade_;
    TColor color_ = plat::clBtnFace, colorTo_ = plat::clNone;
    TColor colorHot_ = 0xCAC7C7, colorHotTo_ = plat::clNone;
    TColor colorDown_ = 0xD8D3D2, colorDownTo_ = plat::clNone;
    TColor colorChecked_ = 0x808080, colorCheckedTo_ = plat::clNone;
    TColor borderColor_ = plat::clNone, borderDownColor_ = plat::clNone, borderHotColor_ = plat::clNone;
    bool flat_ = true, rounded_ = false, shaded_ = true, showCaption_ = true, dropDownButton_ = false;
    QPointer<QMenu> dropDownMenu_;
    TExGridButtonStyle style_ = tasButton;
    int32_t groupIndex_ = 0;
    bool allowAllUp_ = false, down_ = false;
    TButtonLayout layout_ = blGlyphLeft;
    int32_t margin_ = -1, spacing_ = 4;
    bool autoThemeAdapt_ = false, autoXPStyle_ = false;
    QString caption_;
    int shortcutId_ = 0;

    bool isComCtl6_;
    bool dragging_ = false;
    bool mouseInControl_ = false;
    TButtonState state_ = bsUp;
    TExGridButtonActionLink actionLink_{this};
};

// ---------------------------------------------------------------------------------------------------

class TExCheckBox : public plat::TCustomControl {
public:
    explicit TExCheckBox(QWidget* parent = nullptr);
    ~TExCheckBox() override;

    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& Value);
    bool Checked() const { return state_ == cbChecked; }
    void SetChecked(bool Value);
    TCheckBoxState State() const { return state_; }
    void SetState(TCheckBoxState Value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);  // taLeftJustify (box left) or taRightJustify (box right)
    TTextLayout ButtonVertAlign() const { return buttonVertAlign_; }
    void SetButtonVertAlign(TTextLayout Value);
    bool Ellipsis() const { return ellipsis_; }
    void SetEllipsis(bool Value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value) { readOnly_ = Value; }
    bool ReturnIsTab() const { return returnIsTab_; }
    void SetReturnIsTab(bool Value) { returnIsTab_ = Value; }
    // A child that leaves its background unpainted already shows its parent, so this only stops
    // the fill; there is nothing to cache.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool Value);
    bool TransparentChaching() const { return transparentCaching_; }
    void SetTransparentChaching(bool Value) { transparentCaching_ = Value; }
    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    bool Down() const { return down_; }
    void SetDown(bool Value) { down_ = Value; }
    bool Hot() const { return hot_; }

    virtual void Toggle();

    // Where the box is drawn in the client area, themed or classic.
    plat::TRect BoxRect(bool Themed) const;

protected:
    void Paint() override;
    void KeyDown(uint16_t& Key, plat::TShiftState Shift) override;
    void KeyUp(uint16_t& Key, plat::TShiftState Shift) override;
    void MouseDown(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void MouseMove(plat::TShiftState Shift, int X, int Y) override;
    void MouseUp(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void DoEnter() override;
    void DoExit() override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void invalidateBoxCorner();
    QString caption_ = QStringLiteral("TExCheckBox");
    TCheckBoxState state_ = cbUnchecked;
    TAlignment alignment_ = taLeftJustify;
    TTextLayout buttonVertAlign_ = tlTop;
    bool ellipsis_ = false, readOnly_ = false, returnIsTab_ = false;
    bool transparent_ = false, transparentCaching_ = false;
    TColor color_ = plat::clWindow;
    bool down_ = false, hot_ = false, focused_ = false, mouseDown_ = false;
    int shortcutId_ = 0;
};
