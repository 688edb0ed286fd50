#pragma once
// The date and time pickers of the editors: the platform picker with coloured borders, a focus
// frame, a drop button in custom colours and a "metro" look. The borders a system would draw
// outside the client area are drawn here in the control's own paint, after the platform's.
#include "controls/DateTimeUtil.h"
#include "platform/Canvas.h"
#include "platform/DateTimePicker.h"

namespace ctl {

// The looks both pickers share. The two differ in a few points, named by `Variant`.
class TPickerLook : public plat::TDateTimePicker {
public:
    // Sg: the grid's date picker; Ex: the picker with AutoTab and its kin.
    enum class Variant : uint8_t { Sg, Ex };

    plat::TColor ButtonColor = plat::clNone, ButtonColorHot = plat::clNone, ButtonColorDown = plat::clNone;
    plat::TColor ButtonTextColor = plat::clNone, ButtonTextColorHot = plat::clNone;
    plat::TColor ButtonTextColorDown = plat::clNone, ButtonBorderColor = plat::clNone;
    plat::TColor FocusBorderColor = plat::clNone;
    bool DisabledBorder = false, FocusBorder = false;

    plat::TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(plat::TColor color);
    bool MetroStyle() const { return metroStyle_; }
    void SetMetroStyle(bool on);
    plat::TBorderStyle BorderStyle() const { return borderStyle_; }
    virtual void SetBorderStyle(plat::TBorderStyle style);
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool on);
    bool IsWinXP() const { return isWinXP_; }
    void SetIsWinXP(bool on) { isWinXP_ = on; }
    bool IsThemed() const { return isThemed_; }
    void SetIsThemed(bool on) { isThemed_ = on; }
    int ButtonWidth() const { return buttonWidth_; }
    bool ButtonHover() const { return buttonHover_; }
    bool MouseInControl() const { return mouseIn_; }
    bool HasFocus() const { return hasFocus_; }

    // The plain embedded time picker paints as the platform's.
    virtual bool NoCustomPaint() const { return variant_ == Variant::Ex; }
    bool MetroActive() const { return metroStyle_ && !NoCustomPaint(); }
    bool ThemeActive() const;

    TDateTime DateValue() const { return FromQDateTime(DateTime()); }

protected:
    TPickerLook(Variant variant, QWidget* parent);

    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

    plat::TColor parentBrushColor() const;
    bool isHot() const;

    plat::TBorderStyle borderStyle_ = plat::bsNone;
    plat::TColor borderColor_ = plat::clNone;
    bool ctl3D_ = true;

private:
    void paintButton(plat::TCanvas& c);
    void drawBorders(plat::TCanvas& c);
    void drawBorder(plat::TCanvas& c);
    void flattenButton(plat::TCanvas& c);
    void drawFlatBorder(plat::TCanvas& c);
    void outline(plat::TCanvas& c, int inset, plat::TColor color);
    plat::TColor outlineColor() const;

    Variant variant_;
    int buttonWidth_;
    bool metroStyle_ = false, isThemed_ = true, isWinXP_ = true;
    bool buttonHover_ = false, mouseIn_ = false, hasFocus_ = false;
};

class TSgDateTimePicker : public TPickerLook {
public:
    explicit TSgDateTimePicker(QWidget* parent = nullptr);

    static uint32_t GetVersionNr() { return 0x01000000; }
    QString Version() const;
    void SetVersion(const QString&) {}  // read-only: writes are ignored

    bool NoCustomPaint() const override { return false; }
};

// "1.0.0.0" from 0x01000000: the four bytes, most significant first.
QString VersionText(uint32_t versionNr);

}  // namespace ctl
