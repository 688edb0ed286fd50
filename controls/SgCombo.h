#pragma once
// The combo box of the editors: flat or with coloured frames, a drop button in custom colours,
// another colour while focused and an attached caption label. The frames the system would draw
// outside the client area are drawn here in the control's own paint, after the contents.
#include "controls/LabelPlacement.h"
#include "platform/Canvas.h"
#include "platform/ComboBox.h"

#include <QFont>
#include <QLabel>
#include <QPointer>


namespace ctl {

class TSgCustomCombo : public plat::TCustomComboBox {
public:
    explicit TSgCustomCombo(QWidget* parent = nullptr);
    ~TSgCustomCombo() override;

    // The colour to return to when the focus leaves: the current colour.
    void Init();
    // Selects the first item equal to text; nothing when there is none.
    void SelectItem(const QString& text);
    // After the properties were set as a whole (a form's loading).
    void Loaded();

    bool AutoFocus = false;
    bool DisabledBorder = true;
    bool FocusBorder = false;
    plat::TColor FocusBorderColor = plat::clNone, FocusColor = plat::clNone;
    bool FocusLabel = false;
    // Set by the owner: visual styles of that system level.
    bool IsWinXP = false, IsVista = false;
    plat::TColor ButtonColor = plat::clNone, ButtonColorHot = plat::clNone, ButtonColorDown = plat::clNone;
    plat::TColor ButtonTextColor = plat::clNone, ButtonTextColorHot = plat::clNone;
    plat::TColor ButtonTextColorDown = plat::clNone, ButtonBorderColor = plat::clNone;
    plat::TNotifyEvent OnDropUp;

    plat::TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(plat::TColor color);
    int ButtonWidth() const { return buttonWidth_; }
    void SetButtonWidth(int width);  // 14..32; other values are ignored
    int DropWidth() const { return DroppedWidth(); }
    void SetDropWidth(int width) { SetDroppedWidth(width); }
    bool Etched() const { return etched_; }
    void SetEtched(bool on);
    bool Flat() const { return flat_; }
    void SetFlat(bool on);
    plat::TColor FlatLineColor() const { return flatLineColor_; }
    void SetFlatLineColor(plat::TColor color);
    bool FlatParentColor() const { return flatParentColor_; }
    void SetFlatParentColor(bool on);
    void SetColor(plat::TColor color) override;
    void SetEnabled(bool on);
    void setVisible(bool visible) override;
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool on);

    QString LabelCaption() const;
    void SetLabelCaption(const QString& caption);
    TLabelPosition LabelPosition() const { return labelPosition_; }
    void SetLabelPosition(TLabelPosition position);
    int LabelMargin() const { return labelMargin_; }
    void SetLabelMargin(int margin);
    bool LabelTransparent() const { return labelTransparent_; }
    void SetLabelTransparent(bool on);
    bool LabelAlwaysEnabled() const { return labelAlwaysEnabled_; }
    void SetLabelAlwaysEnabled(bool on);
    const QFont& LabelFont() const { return labelFont_; }
    void SetLabelFont(const QFont& font);
    QLabel* ComboLabel() const { return label_.data(); }

    bool ButtonHover() const { return buttonHover_; }
    bool MouseInControl() const { return mouseIn_; }
    bool HasFocus() const { return hasFocus_; }

protected:
    void CloseUp() override;
    void DropDown() override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool themeActive() const;
    bool isHot() const;
    bool showsFocusBorder() const { return isHot() && FocusBorder; }
    bool customPaint() const;
    void paintButton(plat::TCanvas& c);
    void drawBorders(plat::TCanvas& c);
    void drawBorder(plat::TCanvas& c);
    void flattenButton(plat::TCanvas& c);
    void updateLabel();
    void setLabelBold(bool on);
    void invalidateButton();
    plat::TColor parentColor() const;

    plat::TColor borderColor_ = plat::clNone, flatLineColor_ = plat::clNone;
    plat::TColor loadedColor_ = plat::clWindow, oldColor_ = 0, normalColor_ = plat::clNone;
    int buttonWidth_;
    bool flat_ = false, etched_ = false, flatParentColor_ = true, oldParentColor_ = false;
    bool mouseIn_ = false, buttonHover_ = false, hasFocus_ = false, isThemed_ = true;
    bool loading_ = false, parentFont_ = true;
    QPointer<QLabel> label_;  // the parent may have deleted it first
    QFont labelFont_;
    TLabelPosition labelPosition_ = lpLeftTop;
    int labelMargin_ = 4;
    bool labelTransparent_ = false, labelAlwaysEnabled_ = false;
};

// The combo box as forms place it: the same control.
class TSgComboBox : public TSgCustomCombo {
public:
    using TSgCustomCombo::TSgCustomCombo;
};

}  // namespace ctl
