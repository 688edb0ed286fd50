#include "controls/SGEdit.h"

#include "platform/Themes.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

using namespace plat;

namespace ctl {

// ---- speed button ----

TExSpeedButton::TExSpeedButton(TSgEditButton* holder) : TSpeedButton(holder), holder_(holder) {}

void TExSpeedButton::Paint() {
    TCanvas& c = Canvas();
    c.Font().Assign(Font());
    TRect r{0, 0, width(), height()};
    // the platform's pressed and held-down states both show down
    const bool down = State() == bsDown || State() == bsExclusive;
    if (holder_->ButtonColor != clNone) {
        exFlat_ = true;
        TColor face = holder_->ButtonColor;
        if (hot_) face = holder_->ButtonColorHot;
        if (down) face = holder_->ButtonColorDown;
        c.Brush().SetColor(face);
        c.Pen().SetColor(face);
        c.FillRect(r);
    } else if (isWinXP_ && IsThemeActive()) {
        const TThemeData theme = OpenThemeData(parentWidget(), u"button");
        DrawThemeBackground(theme, c, BP_PUSHBUTTON, down ? PBS_PRESSED : hot_ ? PBS_HOT : PBS_NORMAL, r);
    } else if (exFlat_) {
        DrawEdge(c, r, down ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
        r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    } else {
        DrawFrameControl(c, r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (down ? DFCS_PUSHED : 0));
    }
    const int shift = State() == bsDown ? 1 : 0;
    if (!Glyph().Empty()) {
        const QImage g = Glyph().MaskedImage();
        const int gx = g.width() < width() ? (width() - g.width()) / 2 : 0;
        const int gy = g.height() < height() ? (height() - g.height()) / 2 : 0;
        if (QPainter* p = c.Painter()) p->drawImage(gx + shift, gy + shift, g);
    }
    if (!Caption().isEmpty()) {
        c.Font().SetColor(clBlack);
        c.Brush().SetStyle(bsClear);
        TRect t{r.Left + shift, r.Top + shift, r.Right + shift, r.Bottom + shift};
        c.DrawText(Caption(), t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        c.Brush().SetStyle(bsSolid);
    }
}

void TExSpeedButton::MouseEnter() {
    hot_ = true;
    update();
    TSpeedButton::MouseEnter();
}

void TExSpeedButton::MouseLeave() {
    hot_ = false;
    update();
    TSpeedButton::MouseLeave();
}

// ---- holder ----

TSgEditButton::TSgEditButton(QWidget* parent) : TCustomControl(parent) {
    SetControlStyle(TControlStyle{csClickEvents, csDoubleClicks, csOpaque});
    setFocusPolicy(Qt::NoFocus);
    button_ = new TExSpeedButton(this);
    button_->OnClick = [](QObject*) {};
    button_->OnMouseUp = [this](QObject*, TMouseButton b, TShiftState, int, int) { buttonMouseUp(b); };
    button_->show();
    resize(20, 25);
    button_->setGeometry(0, 0, width(), height());
}

void TSgEditButton::SetFlat(bool on) {
    flat_ = on;
    button_->SetExFlat(on);
}

void TSgEditButton::SetFocusControl(QWidget* control) { focusControl_ = control; }

void TSgEditButton::resizeEvent(QResizeEvent* event) {
    TCustomControl::resizeEvent(event);
    button_->setGeometry(0, 0, width(), height());
}

void TSgEditButton::buttonMouseUp(TMouseButton b) {
    if (b != mbLeft) return;
    if (OnClick) OnClick(this);
    auto canFocus = [](QWidget* w) { return w->isEnabled() && w->isVisible() && w->focusPolicy() != Qt::NoFocus; };
    QWidget* fc = focusControl_.data();
    if (fc && (fc->focusPolicy() & Qt::TabFocus) && canFocus(fc) && !fc->hasFocus())
        fc->setFocus(Qt::MouseFocusReason);
    else if ((focusPolicy() & Qt::TabFocus) && !hasFocus() && canFocus(this))
        setFocus(Qt::MouseFocusReason);
}

// ---- edit with button ----

TSgEditBtn::TSgEditBtn(QWidget* parent) : TCustomMaskEdit(parent) {
    button_ = new TSgEditButton(this);
    button_->resize(18, 18);
    button_->SetFocusControl(this);
    button_->OnClick = [this](QObject* sender) { ClickButton(sender); };
    button_->show();
    SetText(QStringLiteral("0"));
    placeButton();
    SetEditRect();
}

TSgEditBtn::~TSgEditBtn() { button_->OnClick = nullptr; }

void TSgEditBtn::SetButtonWidth(int width) {
    buttonWidth_ = width;
    button_->resize(width, button_->height());
    placeButton();
    SetEditRect();
}

void TSgEditBtn::SetIsWinXP(bool on) {
    isWinXP_ = on;
    button_->Button()->SetIsWinXP(on);
}

void TSgEditBtn::SetRightAlign(bool on) {
    if (on == rightAlign_) return;
    rightAlign_ = on;
    SetAlignment(on ? taRightJustify : taLeftJustify);
    SetEditRect();
}

void TSgEditBtn::SetBorderStyle(TBorderStyle style) {
    TCustomMaskEdit::SetBorderStyle(style);
    placeButton();
    SetEditRect();
}

TRect TSgEditBtn::ClientRect() const {
    const int c = BorderStyle() == bsSingle ? 2 : 0;
    return {c, c, width() - c, height() - c};
}

void TSgEditBtn::SetEditRect() {
    const TRect cr = ClientRect();
    const int m = BorderStyle() == bsNone ? 3 : 1;
    int right = cr.Width() - (button_->width() + unitSize_ + 5);
    if (unitSize_ > 0) right -= 3;
    TCustomMaskEdit::SetEditRect({cr.Left + m, cr.Top + m, cr.Left + right, cr.Top + cr.Height() + 1});
}

int TSgEditBtn::GetMinHeight() const {
    const int s = QFontMetrics(QApplication::font()).height();
    const int f = QFontMetrics(const_cast<TSgEditBtn*>(this)->Font().ToQFont()).height();
    return f + std::min(s, f) / 4;
}

void TSgEditBtn::placeButton() {
    const TRect cr = ClientRect();
    const int k = BorderStyle() == bsNone ? 1 : 5;
    const int hw = button_->width();
    button_->setGeometry(cr.Left + width() - hw - k, cr.Top, hw, std::max(0, height() - k));
}

void TSgEditBtn::resizeEvent(QResizeEvent* event) {
    TCustomMaskEdit::resizeEvent(event);
    if (const int min = GetMinHeight(); height() < min) {
        resize(width(), min);
        return;
    }
    placeButton();
    SetEditRect();
}

void TSgEditBtn::changeEvent(QEvent* event) {
    TCustomMaskEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange && height() < GetMinHeight()) resize(width(), GetMinHeight());
}

void TSgEditBtn::KeyDown(uint16_t& Key, TShiftState Shift) {
    TCustomMaskEdit::KeyDown(Key, Shift);
    if (Key == VK_F4 && !Shift.contains(ssCtrl) && !Shift.contains(ssAlt)) ClickButton(this);
}

void TSgEditBtn::KeyPress(QChar& Key) {
    // with the editor off, typed characters never reach the edit
    if (!editorEnabled_) {
        Key = QChar(0);
        return;
    }
    TCustomMaskEdit::KeyPress(Key);
}

void TSgEditBtn::CutToClipboard() {
    if (editorEnabled_ && !ReadOnly()) TCustomMaskEdit::CutToClipboard();
}

void TSgEditBtn::PasteFromClipboard() {
    if (editorEnabled_ && !ReadOnly()) TCustomMaskEdit::PasteFromClipboard();
}

void TSgEditBtn::ClickButton(QObject* sender) {
    if (OnClickBtn) OnClickBtn(sender);
}

// ---- unit edit ----

TSgUnitEditBtn::TSgUnitEditBtn(QWidget* parent) : TSgEditBtn(parent) {
    unitSize_ = 20;
    SetRightAlign(true);
    SetEditRect();
}

void TSgUnitEditBtn::SetUnitID(const QString& unit) {
    unitID_ = unit;
    update();
}

void TSgUnitEditBtn::SetUnitSpace(int space) {
    unitSize_ = space;
    SetEditRect();
    update();
}

void TSgUnitEditBtn::SetTextAndUnit(const QString& value) {
    for (const QString& u : units_) {
        const qsizetype at = value.indexOf(u);
        if (at >= 0 && at == value.size() - u.size()) {
            SetText(value.left(at));
            SetUnitID(u);
            return;
        }
    }
    // no unit ends the value: keep all of it as the text rather than leave the cell empty
    SetText(value);
    SetUnitID(QString());
}

TRect TSgUnitEditBtn::UnitRect() const {
    const TRect cr = ClientRect();
    const int right = cr.Width() - (Button()->width() + 3);
    return {cr.Left + right - unitSize_, cr.Top + 2, cr.Left + right, cr.Top + cr.Height()};
}

QPoint TSgUnitEditBtn::UnitMenuPoint() const {
    const TRect cr = ClientRect();
    return {cr.Left + cr.Width() - 15, cr.Top + cr.Height()};
}

void TSgUnitEditBtn::UnitCommand(int id) {
    if (id < 1 || id > units_.size()) return;
    const QString previous = unitID_;
    SetUnitID(units_[id - 1]);
    if (unitID_ != previous && OnUnitChanged) OnUnitChanged(this, unitID_);
}

int TSgUnitEditBtn::TrackUnitMenu(TPopupMenu& menu, QPoint screenPos) { return menu.Popup(screenPos); }

void TSgUnitEditBtn::ClickButton(QObject*) {
    if (OnClickBtn) OnClickBtn(this);
    TPopupMenu menu(this);
    for (int i = 0; i < units_.size(); ++i) menu.Add(units_[i], i + 1);
    const int id = TrackUnitMenu(menu, mapToGlobal(UnitMenuPoint()));
    if (id != 0) UnitCommand(id);
}

void TSgUnitEditBtn::Paint() {
    TSgEditBtn::Paint();
    if (unitID_.isEmpty()) return;
    TCanvas& c = Canvas();
    c.Font().Assign(Font());
    c.Brush().SetStyle(bsClear);
    TRect r = UnitRect();
    c.DrawText(unitID_, r, DT_EDITCONTROL);
    c.Brush().SetStyle(bsSolid);
}

}  // namespace ctl
