#pragma once
// The button at the right edge of a drop-down edit: a small control that holds one speed button,
// which draws the arrow and reports the release of the left mouse button (the pop-up opens on the
// release, not on the press). The control is always its fixed width, whatever width it is given.
#include <QPointer>

#include "platform/SpeedButton.h"

namespace dropdowns {

class TDropDownEditButton;
class TExCustomDropDown;

enum TButtonStyle : uint8_t { bsButton, bsDropDown };

class TDovUzerAdevSpeedButton : public plat::TSpeedButton {
public:
    explicit TDovUzerAdevSpeedButton(QWidget* parent = nullptr);

    TButtonStyle ButtonStyle() const { return FButtonStyle; }
    void SetButtonStyle(TButtonStyle Value);
    // Etched: the flat push-button look's edge; Focused: set by the edit, not painted.
    bool Etched() const { return FEtched; }
    void SetEtched(bool Value);
    bool Focused() const { return FFocused; }
    void SetFocused(bool Value);
    void SetUp() { FUp = true; }
    bool Hot() const { return FHot; }
    // Down or held down by the mouse, unless set up.
    bool Pressed() const;

protected:
    void MouseEnter() override;
    void MouseLeave() override;
    void Paint() override;

private:
    TDropDownEditButton* owner() const;
    TExCustomDropDown* edit() const;
    bool themed() const;
    void paintDropDown();
    void paintPushButton();

    bool FEtched = false;
    bool FFocused = false;
    bool FHot = false;
    bool FUp = false;
    bool FIsWinXP;
    TButtonStyle FButtonStyle = bsButton;
};

class TDropDownEditButton : public plat::TControl {
public:
    explicit TDropDownEditButton(QWidget* parent = nullptr);

    TDovUzerAdevSpeedButton* Button() const { return FButton; }
    // The control that belongs to the button (the drop-down edit sets itself).
    QWidget* FocusControl() const { return FFocusControl; }
    void SetFocusControl(QWidget* Control) { FFocusControl = Control; }

    const plat::TBitmap& Glyph() const { return FButton->Glyph(); }
    void SetGlyph(const plat::TBitmap& Value) { FButton->SetGlyph(Value); }
    int NumGlyphs() const { return FButton->NumGlyphs(); }
    void SetNumGlyphs(int Value) { FButton->SetNumGlyphs(Value); }
    const QString& ButtonCaption() const { return FButton->Caption(); }
    void SetButtonCaption(const QString& Value) { FButton->SetCaption(Value); }

    // None selects the standard looks; a colour the colour-set look.
    plat::TColor ButtonColor = plat::clNone;
    plat::TColor ButtonColorHot = plat::clNone;
    plat::TColor ButtonColorDown = plat::clNone;
    plat::TColor ButtonTextColor = plat::clNone;
    plat::TColor ButtonTextColorHot = plat::clNone;
    plat::TColor ButtonTextColorDown = plat::clNone;
    plat::TColor ButtonBorderColor = plat::clNone;

    // Every placement keeps the width the button has to have (16).
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    int FixedWidth() const { return FBWidth; }

protected:
    // OnClick comes from the speed button's release alone.
    void Click() override {}
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void released(QObject* Sender, plat::TMouseButton Button);
    void keepWidth();

    TDovUzerAdevSpeedButton* FButton;
    QPointer<QWidget> FFocusControl;
    int FBWidth = 16;
};

}  // namespace dropdowns
