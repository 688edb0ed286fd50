#include "dropdowns/DovUzerAdevButtons.h"

#include <QEvent>
#include <QResizeEvent>

#include "dropdowns/DovUzerAdev.h"
#include "dropdowns/DovUzerAdevEdit.h"
#include "platform/Guard.h"
#include "platform/Themes.h"

using namespace plat;

namespace dropdowns {

namespace {

const QList<QPoint> kArrow{QPoint(5, 7), QPoint(11, 7), QPoint(8, 10)};

void line(TCanvas& c, std::initializer_list<QPoint> points) {
    auto it = points.begin();
    c.MoveTo(it->x(), it->y());
    for (++it; it != points.end(); ++it) c.LineTo(it->x(), it->y());
}

int themeState(bool enabled, bool pressed, bool hot) {
    if (!enabled) return 4;
    if (pressed) return 3;
    if (hot) return 2;
    return 1;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// TDovUzerAdevSpeedButton

TDovUzerAdevSpeedButton::TDovUzerAdevSpeedButton(QWidget* parent) : TSpeedButton(parent), FIsWinXP(IsComCtl6()) {}

void TDovUzerAdevSpeedButton::SetButtonStyle(TButtonStyle Value) {
    FButtonStyle = Value;
    update();
}

void TDovUzerAdevSpeedButton::SetEtched(bool Value) {
    if (FEtched == Value) return;
    FEtched = Value;
    update();
}

void TDovUzerAdevSpeedButton::SetFocused(bool Value) {
    if (FFocused == Value) return;
    FFocused = Value;
    update();
}

bool TDovUzerAdevSpeedButton::Pressed() const {
    const TButtonState s = State();
    return (s == bsDown || s == bsExclusive) && !FUp;
}

void TDovUzerAdevSpeedButton::MouseEnter() {
    TSpeedButton::MouseEnter();
    FHot = true;
    update();
}

void TDovUzerAdevSpeedButton::MouseLeave() {
    TSpeedButton::MouseLeave();
    FHot = false;
    update();
}

TDropDownEditButton* TDovUzerAdevSpeedButton::owner() const {
    return dynamic_cast<TDropDownEditButton*>(parentWidget());
}

TExCustomDropDown* TDovUzerAdevSpeedButton::edit() const {
    TDropDownEditButton* o = owner();
    return o ? dynamic_cast<TExCustomDropDown*>(o->parentWidget()) : nullptr;
}

bool TDovUzerAdevSpeedButton::themed() const {
    return FIsWinXP && IsThemeActive();
}

void TDovUzerAdevSpeedButton::Paint() {
    if (FButtonStyle == bsDropDown)
        paintDropDown();
    else
        paintPushButton();
}

void TDovUzerAdevSpeedButton::paintDropDown() {
    TCanvas& c = Canvas();
    TDropDownEditButton* o = owner();
    TExCustomDropDown* e = edit();
    const TRect client{0, 0, width(), height()};
    const bool pressed = Pressed();

    if (o && o->ButtonColor != clNone) {
        TColor back = o->ButtonColor;
        if (FHot) back = o->ButtonColorHot;
        if (pressed) back = o->ButtonColorDown;
        c.Brush().SetColor(back);
        c.Pen().SetColor(back);
        c.FillRect(client);
        // The separator takes the edit's frame colour.
        c.Pen().SetColor(e ? e->BorderColor() : clNone);
        line(c, {QPoint(0, 0), QPoint(0, client.Bottom)});
        TColor text = o->ButtonTextColor;
        if (FHot) text = o->ButtonTextColorHot;
        if (pressed) text = o->ButtonTextColorDown;
        c.Brush().SetColor(text);
        c.Pen().SetColor(text);
        c.Polygon(kArrow);
        return;
    }
    if (!Glyph().Empty()) {
        c.Brush().SetColor(clBtnFace);
        c.Pen().SetColor(clGray);
        c.Rectangle(client);
        TBitmap glyph(Glyph());
        glyph.SetTransparentMode(tmAuto);
        glyph.SetTransparent(true);
        c.Draw(0, 0, glyph);
        return;
    }
    // A read-only edit shows its button disabled.
    setEnabled(!e || (e->isEnabled() && !e->ReadOnly()));
    if (themed()) {
        const TThemeData theme = OpenThemeData(parentWidget(), u"combobox");
        TRect r = client;
        if (IsVistaOrLater()) {
            r.Left += 1;
        } else {
            r = {r.Left - 1 + 2, r.Top - 1, r.Right + 1, r.Bottom + 1};
        }
        DrawThemeBackground(theme, c, CP_DROPDOWNBUTTON, themeState(isEnabled(), pressed, FHot), r);
        return;
    }
    TSpeedButton::Paint();
    c.Pen().SetWidth(1);
    c.Pen().SetColor(clBtnFace);
    line(c, {QPoint(width() - 2, 0), QPoint(0, 0), QPoint(0, height() - 1)});
    c.Pen().SetColor(clWhite);
    line(c, {QPoint(width() - 3, 1), QPoint(1, 1), QPoint(1, height() - 2)});
    c.Brush().SetColor(clBlack);
    c.Pen().SetColor(clBlack);
    c.Polygon(kArrow);
}

void TDovUzerAdevSpeedButton::paintPushButton() {
    TCanvas& c = Canvas();
    if (TExCustomDropDown* e = edit()) c.Font().Assign(e->Font());
    const bool down = State() == bsDown || State() == bsExclusive;
    const int shift = down ? 1 : 0;
    const TRect client{0, 0, width(), height()};
    auto drawCaption = [&](TRect r, unsigned flags) {
        c.Brush().SetStyle(bsClear);
        c.DrawText(Caption(), r, flags | DT_SINGLELINE | DT_VCENTER);
    };
    if (themed()) {
        c.FillRect(client);
        const TThemeData theme = OpenThemeData(parentWidget(), u"button");
        DrawThemeBackground(theme, c, BP_PUSHBUTTON, themeState(isEnabled(), Pressed(), FHot),
                            {0, 0, width() + 1, height() + 1});
        const TRect inner{client.Left + 2, client.Top + 2, client.Right - 2, client.Bottom - 2};
        TRect glyphRect = inner;
        const QImage g = GlyphFor(State());
        if (!g.isNull()) {
            int x = inner.Left;
            if (!Caption().isEmpty())
                x = inner.Left + 2;
            else if (g.width() < inner.Width())
                x = inner.Left + (inner.Width() - g.width()) / 2;
            int y = inner.Top;
            if (g.height() < inner.Height()) y = inner.Top + (inner.Height() - g.height()) / 2;
            glyphRect = {x + shift, y + shift, x + shift + g.width(), y + shift + g.height()};
            TBitmap b;
            b.SetImage(g);
            b.SetTransparentMode(tmAuto);
            b.SetTransparent(true);
            c.Draw(glyphRect.Left, glyphRect.Top, b);
        }
        if (!Caption().isEmpty()) {
            if (g.isNull())
                drawCaption({client.Left + 3 + shift, client.Top + 1 + shift, client.Right - 3 + shift,
                             client.Bottom - 1 + shift},
                            DT_CENTER);
            else
                drawCaption({glyphRect.Left + g.width() + 2, client.Top - 1, client.Right, client.Bottom}, DT_LEFT);
        }
        return;
    }
    if (Flat()) {
        c.FillRect(client);
        c.Brush().SetColor(clBtnFace);
        c.FillRect(client);
        TRect r{client.Left, client.Top, client.Right + 1, client.Bottom + 1};
        if (!down) DrawEdge(c, r, FEtched ? EDGE_ETCHED : EDGE_RAISED, BF_RECT);
        if (!Glyph().Empty())
            DrawGlyphTransparent(
                c, Glyph(), clBtnFace,
                {client.Left + 3 + shift, client.Top + 3 + shift, client.Right - 3 + shift, client.Bottom - 3 + shift});
        if (!Caption().isEmpty())
            drawCaption(
                {client.Left + 3 + shift, client.Top + 1 + shift, client.Right - 3 + shift, client.Bottom - 1 + shift},
                DT_CENTER);
        return;
    }
    TSpeedButton::Paint();
}

// ---------------------------------------------------------------------------------------------------
// TDropDownEditButton

TDropDownEditButton::TDropDownEditButton(QWidget* parent) : TControl(parent) {
    setFocusPolicy(Qt::NoFocus);
    SetControlStyle(TControlStyle{csOpaque});
    FButton = new TDovUzerAdevSpeedButton(this);
    FButton->OnMouseUp = [this](QObject* Sender, TMouseButton Button, TShiftState, int, int) {
        released(Sender, Button);
    };
    FButton->setEnabled(isEnabled());
    FButton->SetButtonStyle(bsDropDown);
    FButton->show();
    resize(16, 25);
    FButton->setGeometry(0, 0, FBWidth, 25);
}

void TDropDownEditButton::released(QObject* Sender, TMouseButton Button) {
    if (Button == mbLeft && Sender == FButton && OnClick) OnClick(this);
}

void TDropDownEditButton::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (FButton) {
        AWidth = FBWidth;
        FButton->setGeometry(0, 0, FBWidth, AHeight);
    }
    setGeometry(ALeft, ATop, AWidth, AHeight);
}

void TDropDownEditButton::keepWidth() {
    if (width() != FBWidth) resize(FBWidth, height());
    FButton->setGeometry(0, 0, FBWidth, height());
}

void TDropDownEditButton::resizeEvent(QResizeEvent* event) {
    TControl::resizeEvent(event);
    guarded([this] { keepWidth(); });
}

void TDropDownEditButton::changeEvent(QEvent* event) {
    TControl::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) FButton->setEnabled(isEnabled());
}

}  // namespace dropdowns
