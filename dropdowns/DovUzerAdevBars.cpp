#include "dropdowns/DovUzerAdevBars.h"

#include <QEvent>
#include <QMouseEvent>
#include <algorithm>

#include "dropdowns/DovUzerAdev.h"
#include "dropdowns/DovUzerAdevEdit.h"
#include "dropdowns/DovUzerAdevForm.h"
#include "platform/Form.h"
#include "platform/Guard.h"
#include "platform/ImageList.h"

using namespace plat;

namespace dropdowns {

// ---------------------------------------------------------------------------------------------------
// TDbgList

void* TDbgList::Items(int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError(QStringLiteral("Index out of bounds in list read access"));
    return items_[size_t(Index)];
}

void TDbgList::SetItems(int Index, void* Item) {
    if (Index < 0 || Index >= Count()) throw EListError(QStringLiteral("Index out of bounds in list write access"));
    items_[size_t(Index)] = Item;
}

// ---------------------------------------------------------------------------------------------------
// TExButton

TExButton::TExButton(QWidget* parent) : TCustomControl(parent) {
    resize(23, 22);
    Font().SetName(QStringLiteral("Tahoma"));
    setFocusPolicy(Qt::TabFocus);
}

void TExButton::FitToContent() {
    if (!Appearance) return;
    TCanvas& c = Canvas();
    c.Font().Assign(Appearance->Font());
    const QSize text = GetTextSize(c, Caption);
    int w = text.width(), h = text.height();
    if (Images && ImageIndex >= 0) {
        w = std::max(w, Images->Width());
        h = std::max(h, Images->Height());
    }
    resize(w + 8, h + 4);
}

void TExButton::SetDown(bool Value) {
    if (GroupIndex == 0 && Style == tasButton) Value = false;
    if (Style == tasCheck) {
        FDown = Value;
        FState = Value ? absDown : absUp;
        update();
        return;
    }
    if (Value == FDown) return;
    if (FDown && !AllowAllUp) return;
    FDown = Value;
    if (Value) {
        if (FState == absUp) update();
        FState = absExclusive;
        // The other buttons of the group let go.
        if (QWidget* p = parentWidget())
            for (QObject* o : p->children())
                if (auto* b = dynamic_cast<TExButton*>(o)) b->groupPressed(this);
    } else {
        FState = absUp;
        update();
    }
}

void TExButton::groupPressed(TExButton* Sender) {
    if (Sender == this || Sender->GroupIndex != GroupIndex) return;
    if (FDown && Sender->FDown) {
        FDown = false;
        FState = absUp;
        update();
    }
    AllowAllUp = Sender->AllowAllUp;
}

void TExButton::Click() {
    if (auto* form = dynamic_cast<TForm*>(window())) form->SetModalResult(ModalResult);
    if (DovUzerAdev) {
        switch (ModalResult) {
            case 1:
            case 6:
            case 12:
            case 14:
                DovUzerAdev->HideDropDown(false);
                break;
            case 2:
            case 3:
            case 5:
            case 7:
            case 13:
                DovUzerAdev->HideDropDown(true);
                break;
            default:
                break;
        }
    }
    if (!FInternalClick) TCustomControl::Click();
}

void TExButton::Paint() {
    if (!isEnabled()) {
        FState = absDisabled;
        FDragging = false;
        FMouseDownInControl = false;
    } else if (FState == absDisabled) {
        FState = FDown && GroupIndex != 0 ? absExclusive : absUp;
    }
    if (Style == tasCheck && FDown) FState = absDown;
    DrawButton();
}

void TExButton::DrawButton() {
    if (!Appearance) return;
    const TExButtonAppearance& a = *Appearance;
    TColor from, to, border;
    if (!isEnabled()) {
        from = a.ColorDisabled();
        to = a.ColorDisabledTo();
        border = a.BorderColorDisabled();
    } else if (FMouseDownInControl && FMouseInControl) {
        from = to = a.ColorDown();
        border = a.BorderColorDown();
    } else if (FDown) {
        from = to = a.ColorChecked();
        border = a.BorderColorChecked();
    } else if (FMouseInControl || hasFocus()) {
        from = to = a.ColorHot();
        border = a.BorderColorHot();
    } else {
        from = a.Color();
        to = a.ColorTo();
        border = a.BorderColor();
    }
    TCanvas& c = Canvas();
    const TRect client{0, 0, width(), height()};
    DrawGradientBox(&c, client, from, to, border, 1, a.Gradient() == gdVertical);
    c.Brush().SetStyle(bsClear);
    c.Font().Assign(a.Font());
    DrawImageAndText(&c, client, Caption, Images, ImageIndex);
}

void TExButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && isEnabled()) {
        FMouseDownInControl = true;
        if (!FDown || Style == tasCheck) {
            FState = absDown;
            update();
        }
        FDragging = true;
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TExButton::MouseMove(TShiftState Shift, int X, int Y) {
    if (FDragging) {
        TExButtonState s;
        if (inside(X, Y))
            s = FDown ? absExclusive : absDown;
        else
            s = FDown ? absExclusive : absUp;
        if (Style == tasCheck && FDown) s = absDown;
        if (s != FState) {
            FState = s;
            update();
        }
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TExButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FMouseDownInControl = false;
    update();
    if (FDragging) {
        FDragging = false;
        const bool in = inside(X, Y);
        if (GroupIndex != 0) {
            if (in)
                SetDown(!FDown);
            else if (FDown)
                FState = absExclusive;
        } else {
            FState = absUp;
            if (Style == tasCheck) {
                FDown = !FDown;
                FState = absUp;
            }
        }
        update();
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TExButton::MouseEnter() {
    FMouseInControl = true;
    if (isEnabled()) update();
    TCustomControl::MouseEnter();
}

void TExButton::MouseLeave() {
    FMouseInControl = false;
    if (isEnabled()) update();
    TCustomControl::MouseLeave();
}

void TExButton::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (Key == VK_RETURN || Key == VK_SPACE) {
        if (!FDown || Style == tasCheck) {
            FState = absDown;
            update();
        }
        FInternalClick = true;
        Click();
        FInternalClick = false;
        TCustomControl::KeyDown(Key, Shift);
        // Handled here: an Enter must not go on to the pop-up, which would close it.
        Key = 0;
        return;
    }
    TCustomControl::KeyDown(Key, Shift);
}

void TExButton::KeyPress(QChar& Key) {
    const qsizetype amp = Caption.indexOf(u'&');
    if (isEnabled() && amp >= 0 && amp + 1 < Caption.size() && Caption[amp + 1] != u'&' &&
        Caption[amp + 1].toUpper() == Key.toUpper()) {
        Click();
        Key = QChar();
        return;
    }
    TCustomControl::KeyPress(Key);
}

void TExButton::changeEvent(QEvent* event) {
    TCustomControl::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) update();
}

// ---------------------------------------------------------------------------------------------------
// TExBar

TExBar::TExBar(QWidget* parent) : TControl(parent) {
    setFocusPolicy(Qt::NoFocus);
}

void TExBar::ClearButtons() {
    for (int i = FButtonList.Count() - 1; i >= 0; --i) delete ButtonAt(i);
    FButtonList.Clear();
}

void TExBar::CreateButtons() {
    if (!FDovUzerAdev) return;
    ClearButtons();
    const int limit = ButtonArea().Height();
    for (int i = 0; i < itemCount(); ++i) {
        const TBarButtonBase& it = *item(i);
        auto* b = new TExButton(this);
        b->Appearance = &FDovUzerAdev->ButtonAppearance();
        if (isFooter()) {
            b->DovUzerAdev = FDovUzerAdev;
            b->ModalResult = static_cast<const TFooterButton&>(it).ModalResult();
        }
        b->Caption = it.Caption();
        b->Images = Images;
        b->ImageIndex = it.ImageIndex();
        b->setEnabled(it.Enabled());
        b->FitToContent();
        if (it.Width() > 0) b->resize(it.Width(), b->height());
        if (it.Height() > 0) b->resize(b->width(), it.Height());
        if (b->height() > limit) b->resize(b->width(), limit);
        b->Tag = i;
        b->OnClick = [this](QObject* Sender) { buttonClicked(Sender); };
        b->show();
        FButtonList.Add(b);
    }
    ArrangeButtons();
}

void TExBar::ArrangeButtons() {
    const TRect R = ButtonArea();
    int x = alignment() == baRight ? R.Right : R.Left;
    for (int i = 0; i < FButtonList.Count(); ++i) {
        TExButton* b = ButtonAt(i);
        const int top = std::max(R.Top, (R.Bottom - b->height()) / 2);
        if (alignment() == baRight) {
            b->move(x - b->width(), top);
            x = b->x();
        } else {
            b->move(x, top);
            x += b->width();
        }
    }
}

void TExBar::RefreshButtons() {
    if (!FDovUzerAdev) return;
    for (int i = 0; i < FButtonList.Count(); ++i) {
        TExButton* b = ButtonAt(i);
        b->Appearance = &FDovUzerAdev->ButtonAppearance();
        b->Images = Images;
        if (i < itemCount()) {
            b->Caption = item(i)->Caption();
            b->ImageIndex = item(i)->ImageIndex();
            b->setEnabled(item(i)->Enabled());
        }
        b->FitToContent();
    }
    ArrangeButtons();
}

void TExBar::buttonClicked(QObject* Sender) {
    auto* b = dynamic_cast<TExButton*>(Sender);
    if (!b || !FDovUzerAdev) return;
    const auto& event =
        isFooter() ? FDovUzerAdev->OnDropDownFooterButtonClick : FDovUzerAdev->OnDropDownHeaderButtonClick;
    if (event) event(FDovUzerAdev, b->Tag);
}

void TExBar::resizeEvent(QResizeEvent* event) {
    TControl::resizeEvent(event);
    guarded([this] { ArrangeButtons(); });
}

void TExBar::Paint() {
    TCanvas& c = Canvas();
    const TRect R{0, 0, width(), height()};
    if (OnDrawBackGround) {
        OnDrawBackGround(this, c, R);
        return;
    }
    if (colorTo() == clNone) {
        if (color() != clNone) {
            c.Brush().SetColor(color());
            c.FillRect(R);
        }
    } else {
        DrawGradient(c, color(), colorTo(), 80, R, direction() == gdHorizontal);
    }
    const int bw = borderWidth();
    if (borderColor() != clNone && bw > 0) {
        c.Pen().SetWidth(bw);
        c.Pen().SetColor(borderColor());
        const bool outer =
            !FDovUzerAdev || FDovUzerAdev->DropDownBorderWidth <= 0 || FDovUzerAdev->DropDownBorderColor == clNone;
        paintBorder(c, R, outer);
        c.Pen().SetWidth(1);
        c.Pen().SetColor(BlendColor(borderColor(), clWhite, 20));
        c.Brush().SetStyle(bsClear);
        if (isFooter())
            c.Rectangle(R.Left, R.Top + bw, R.Right, R.Bottom);
        else
            c.Rectangle(R.Left, R.Top, R.Right, R.Bottom - bw);
    }
    TRect C{R.Left + bw, R.Top + bw, R.Right - bw, R.Bottom - bw};
    if (imageIndex() >= 0 && Images) {
        Images->Draw(c, C.Left + 4, C.Top + (C.Height() - Images->Height()) / 2, imageIndex(), true);
        C.Left += Images->Width() + 8;
    }
    QString text = caption();
    if (OnGetText) OnGetText(this, text);
    if (!text.isEmpty()) {
        if (FButtonList.Count() > 0) C.Right = ButtonAt(FButtonList.Count() - 1)->x() - 2;
        c.Font().Assign(font());
        const QPoint size = DrawHTMLText(c, text, C, Images, false, this);
        if (size.y() < C.Height()) C.Top += (C.Height() - size.y()) / 2;
        const TClipState kept = c.SaveClip();
        c.IntersectClipRect(C);
        c.Brush().SetStyle(bsClear);
        DrawHTMLText(c, text, C, Images, true, this);
        c.RestoreClip(kept);
    }
    paintExtra(c, R);
}

// ---------------------------------------------------------------------------------------------------
// TExHeader

TExHeader::TExHeader(QWidget* parent) : TExBar(parent), FAppearance(std::make_unique<THeaderAppearance>(parent)) {
    FAppearance->OnChange = [this](QObject*) {
        setVisible(FAppearance->Visible());
        resize(width(), FAppearance->Height());
    };
    FAppearance->OnButtonsChanged = [](QObject*) {};
}

void TExHeader::Attach(TExCustomDropDown* DropDown) {
    FDovUzerAdev = DropDown;
    if (DropDown) {
        Images = DropDown->Images();
        FAppearance->Assign(&DropDown->DropDownHeader());
    } else {
        Images = nullptr;
    }
}

THeaderButtons* TExHeader::Buttons() const {
    return FDovUzerAdev ? &FDovUzerAdev->DropDownHeader().Buttons() : nullptr;
}

int TExHeader::itemCount() const {
    return FDovUzerAdev ? FDovUzerAdev->DropDownHeader().Buttons().Count() : 0;
}

const TBarButtonBase* TExHeader::item(int Index) const {
    return &FDovUzerAdev->DropDownHeader().Buttons().Items(Index);
}

void TExHeader::ArrangeButtons() {
    if (FButtonList.Count() == 0) return;
    TExBar::ArrangeButtons();
}

TRect TExHeader::ButtonArea() const {
    return {2, 2, width() - 2, height() - 3};
}

void TExHeader::paintBorder(TCanvas& c, const TRect& R, bool outerEdges) {
    c.MoveTo(R.Left, R.Bottom - 1);
    c.LineTo(R.Right, R.Bottom - 1);
    if (!outerEdges) return;
    c.MoveTo(R.Left, R.Bottom - 1);
    c.LineTo(R.Left, R.Top);
    c.LineTo(R.Right, R.Top);
    c.LineTo(R.Right, R.Bottom - 1);
}

// ---------------------------------------------------------------------------------------------------
// TExFooter

TExFooter::TExFooter(QWidget* parent) : TExBar(parent), FAppearance(std::make_unique<TFooterAppearance>(parent)) {
    FAppearance->OnChange = [this](QObject*) {
        setVisible(FAppearance->Visible());
        resize(width(), FAppearance->Height());
    };
    setMouseTracking(true);
}

void TExFooter::Attach(TExCustomDropDown* DropDown) {
    FDovUzerAdev = DropDown;
    if (DropDown) {
        Images = DropDown->Images();
        FAppearance->Assign(&DropDown->DropDownFooter());
    } else {
        Images = nullptr;
    }
}

TFooterButtons* TExFooter::Buttons() const {
    return FDovUzerAdev ? &FDovUzerAdev->DropDownFooter().Buttons() : nullptr;
}

int TExFooter::itemCount() const {
    return FDovUzerAdev ? FDovUzerAdev->DropDownFooter().Buttons().Count() : 0;
}

const TBarButtonBase* TExFooter::item(int Index) const {
    return &FDovUzerAdev->DropDownFooter().Buttons().Items(Index);
}

bool TExFooter::GripShown() const {
    return FAppearance->SizeGrip() && FDovUzerAdev && FDovUzerAdev->DropDownSizeable;
}

TRect TExFooter::ButtonArea() const {
    TRect r{2, 2, width() - 2, height() - 2};
    if (GripShown()) r.Right -= 12;
    return r;
}

void TExFooter::paintBorder(TCanvas& c, const TRect& R, bool outerEdges) {
    c.MoveTo(R.Left, R.Top);
    c.LineTo(R.Right, R.Top);
    if (!outerEdges) return;
    c.MoveTo(R.Left, R.Top);
    c.LineTo(R.Left, R.Bottom);
    c.LineTo(R.Right, R.Bottom);
    c.LineTo(R.Right, R.Top);
}

void TExFooter::paintExtra(TCanvas& c, const TRect& R) {
    if (!GripShown()) return;
    const int L = R.Right - borderWidth() - 16, B = height();
    auto dots = [&](TColor color, std::initializer_list<QPoint> at) {
        c.Brush().SetColor(color);
        for (const QPoint& d : at) c.FillRect({L + d.x(), B - d.y() - 2, L + d.x() + 2, B - d.y()});
    };
    dots(clWhite, {{5, 2}, {9, 2}, {13, 2}, {13, 6}, {13, 10}, {9, 6}});
    dots(borderColor(), {{4, 3}, {8, 3}, {12, 3}, {12, 7}, {12, 11}, {8, 7}});
}

void TExFooter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && GripShown() && parentWidget() && inGrip(X, Y)) {
        // The pop-up is resized by hand: there is no system sizing of a frameless window here.
        sizing_ = true;
        sizingFrom_ = mapToGlobal(QPoint(X, Y));
        sizingSize_ = window()->size();
        return;
    }
    TExBar::MouseDown(Button, Shift, X, Y);
}

void TExFooter::MouseMove(TShiftState Shift, int X, int Y) {
    if (sizing_) {
        const QPoint d = mapToGlobal(QPoint(X, Y)) - sizingFrom_;
        QWidget* form = window();
        form->resize(std::max(80, sizingSize_.width() + d.x()), std::max(50, sizingSize_.height() + d.y()));
        if (auto* f = dynamic_cast<TDropDownForm*>(form); f && f->OnSizing) f->OnSizing(f);
        return;
    }
    if (GripShown() && parentWidget() && inGrip(X, Y))
        setCursor(Qt::SizeFDiagCursor);
    else
        unsetCursor();
    TExBar::MouseMove(Shift, X, Y);
}

void TExFooter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (sizing_) {
        sizing_ = false;
        return;
    }
    unsetCursor();
    TExBar::MouseUp(Button, Shift, X, Y);
}

void TExFooter::MouseLeave() {
    if (!sizing_) unsetCursor();
    TExBar::MouseLeave();
}

}  // namespace dropdowns
