#include "dropdowns/DovUzerAdevEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QToolTip>
#include <QWheelEvent>

#include "dropdowns/DovUzerAdev.h"
#include "dropdowns/DovUzerAdevBars.h"
#include "dropdowns/DovUzerAdevForm.h"
#include "platform/Guard.h"
#include "platform/Themes.h"

using namespace plat;

namespace dropdowns {

namespace {

plat::Clock* clockOverride = nullptr;

// The time after the pop-up lost the activation during which the button does not open it again:
// the press on the button that closed it would reopen it at once.
constexpr int64_t kReopenGuardMs = 250;

int qtKeyOf(uint16_t vk) {
    switch (vk) {
        case VK_RETURN:
            return Qt::Key_Return;
        case VK_ESCAPE:
            return Qt::Key_Escape;
        case VK_TAB:
            return Qt::Key_Tab;
        default:
            return 0;
    }
}

}  // namespace

TExCustomDropDown::TExCustomDropDown(QWidget* parent) : TCustomMaskEdit(parent) {
    resize(200, 21);
    TCustomMaskEdit::SetReadOnly(false);
    FText.SetText(QString());
    FDropDownHeader = std::make_unique<THeaderAppearance>(this);
    FDropDownHeader->OnChange = FDropDownHeader->OnButtonsChanged = [this](QObject*) { appearanceChanged(); };
    FDropDownFooter = std::make_unique<TFooterAppearance>(this);
    FDropDownFooter->OnChange = FDropDownFooter->OnButtonsChanged = [this](QObject*) { appearanceChanged(); };
    FButtonAppearance = std::make_unique<TExButtonAppearance>();
    FIsWinXP = IsWindowsXPOrLater();
    FIsThemed = IsComCtl6();
    FLabelFont.OnChange = [this] {
        if (FLabel) guarded([this] { LayoutLabel(); });
    };
}

TExCustomDropDown::~TExCustomDropDown() {
    if (boundControl_) boundControl_->removeEventFilter(this);
    if (FControl) disconnect(FControl, nullptr, this, nullptr);
    delete FButton;
    FButton = nullptr;
    if (TDropDownForm* f = FDropDownForm.data()) {
        f->SetDovUzerAdev(nullptr);
        delete f;
    }
    delete FLabel;
}

void TExCustomDropDown::DropDownFormGoing(TDropDownForm* Form) {
    if (FDropDownForm.data() == Form) FDropDownForm = nullptr;
    if (FDroppedDown) FDroppedDown = false;
}

void TExCustomDropDown::appearanceChanged() {
    if (FDropDownForm && FDroppedDown) FDropDownForm->InitializeAndUpdate();
}

void TExCustomDropDown::Initialize() {
    CreateDropDownForm();
    FButton = nullptr;
    CreateDropDownButton();
    SetSelectionColorStyle(scOffice2007);
    SetComponentStyle(tsOffice2007Luna);
    Created();
    showText();
}

void TExCustomDropDown::SetClock(plat::Clock* Clock) {
    clockOverride = Clock;
}

plat::Clock& TExCustomDropDown::Clock() {
    return clockOverride ? *clockOverride : realClock();
}

// ---------------------------------------------------------------------------------------------------
// Button and pop-up

void TExCustomDropDown::CreateDropDownButton() {
    if (!FButton) {
        FButton = new TDropDownEditButton(this);
        FButton->OnClick = [this](QObject*) { DropDownButtonClick(); };
    }
    UpdateDropDownButton();
}

void TExCustomDropDown::UpdateDropDownButton() {
    FButton->SetBounds(FButton->x(), FButton->y(), FButtonWidth, 17);
    FButton->show();
    FButton->SetFocusControl(this);
}

void TExCustomDropDown::BeforeDropDown() {
    if (OnBeforeDropDown) OnBeforeDropDown(this);
}

void TExCustomDropDown::RequestDropDown() {
    if (!FDropDownForm || FDropDownForm->isVisible()) return;
    if (Clock().nowMs() - FDropDownForm->DeActivateTime() > kReopenGuardMs) DoShowDropDown();
}

bool TExCustomDropDown::DropDownFormVisible() const {
    return FDropDownForm && FDropDownForm->isVisible();
}

// ---------------------------------------------------------------------------------------------------
// The pop-up cycle

void TExCustomDropDown::CreateDropDownForm() {
    if (FDropDownForm) return;
    auto* f = new TDropDownForm(nullptr);
    f->SetDovUzerAdev(this);
    f->hide();
    f->resize(FDropDownWidth, FDropDownHeight);
    f->OnHide = [this](QObject*) { DropDownFormHide(); };
    f->OnKeyPress = [this](QObject*, QChar& Key) { DropDownFormKeyPress(Key); };
    f->OnKeyDown = [this](QObject*, uint16_t& Key, TShiftState Shift) { DropDownFormKeyDown(Key, Shift); };
    f->OnKeyUp = [this](QObject*, uint16_t& Key, TShiftState Shift) { DropDownFormKeyUp(Key, Shift); };
    f->OnWheel = [this](int Delta) {
        if (Delta < 0)
            DropDownFormWheelDown();
        else
            DropDownFormWheelUp();
    };
    f->OnSizing = [this](QObject*) { DropDownFormSizing(); };
    FDropDownForm = f;
}

void TExCustomDropDown::DoShowDropDown() {
    TDropDownForm* f = FDropDownForm;
    if (!f || f->isVisible() || !isEnabled() || FText.ReadOnly) return;
    BeforeDropDown();
    // The pop-up belongs to the window holding the edit: it stays above it, and a modal dialog
    // holding the edit does not block it.
    QWidget* owner = window() != this ? window() : nullptr;
    if (f->parentWidget() != owner) f->setParent(owner, f->windowFlags());
    f->Shadow = DropDownShadow;
    f->InitializeAndUpdate();
    f->move(pos());
    UpdateDropDownSize();
    PlaceDropDownControl();
    f->resize(std::max(80, f->width()), std::max(50, f->height()));
    if (FControl && FControl != boundControl_) {
        if (boundControl_) boundControl_->removeEventFilter(this);
        boundControl_ = FControl;
        FControl->installEventFilter(this);
    }
    const QPoint anchor = parentWidget() ? parentWidget()->mapToGlobal(pos()) : mapToGlobal(QPoint(0, 0));
    QScreen* primary = QGuiApplication::primaryScreen();
    const int screenHeight = primary ? primary->geometry().height() : 0;
    const TDropDownPlace origin = DropDownOrigin(DropPosition, anchor, height(), f->height(), screenHeight);
    bool accept = true;
    if (OnDropDown) OnDropDown(this, accept);
    if (!accept) return;
    QScreen* screen = QGuiApplication::screenAt(anchor);
    if (!screen) screen = primary;
    const QRect workArea = screen ? screen->availableGeometry() : QRect(-1, -1, 0, 0);
    const QRect r = DropDownRect(origin, f->size(), workArea, FUserDropDownWidth, FUserDropDownHeight);
    f->show();
    int h = r.height();
    AdjustDropDownHeight(h);
    FDroppedDown = true;
    f->setGeometry(r.x(), r.y(), r.width(), h);
    f->raise();
    f->activateWindow();
    FocusDropDownControl();
}

void TExCustomDropDown::DoHideDropDown(bool Cancelled) {
    TDropDownForm* f = FDropDownForm;
    if (!f || !f->isVisible()) return;
    if (OnBeforeDropUp) OnBeforeDropUp(this);
    FUserDropDownWidth = f->width();
    FUserDropDownHeight = f->height();
    f->hide();
    QToolTip::hideText();
    if (Cancelled) SetText(FText.OldText());
    if (OnDropUp) OnDropUp(this, Cancelled);
}

void TExCustomDropDown::DropDownFormHide() {
    FDroppedDown = false;
    if ((focusPolicy() & Qt::TabFocus) && isEnabled() && isVisible() && !hasFocus()) {
        activateWindow();
        setFocus();
    }
}

void TExCustomDropDown::UpdateDropDownSize() {
    TDropDownForm* f = FDropDownForm;
    if (!f) return;
    // Visible as the control's own flag says (the pop-up itself is hidden now).
    const bool control = FControl && !(FControl->isHidden() && FControl->testAttribute(Qt::WA_WState_ExplicitShowHide));
    const int w = FDropDownWidth > 0 ? FDropDownWidth : control ? FControl->width() : width();
    int h = FDropDownHeight;
    if (h <= 0) {
        h = 2 * DropDownBorderWidth;
        if (FDropDownHeader->Visible()) h += FDropDownHeader->Height();
        if (FDropDownFooter->Visible()) h += FDropDownFooter->Height();
        if (control) h += FControl->height();
    }
    f->resize(w, h);
}

void TExCustomDropDown::PlaceDropDownControl() {
    TDropDownForm* f = FDropDownForm;
    if (!f || !FControl) return;
    if (FControl->parentWidget() != f) FControl->setParent(f);
    const int top = FDropDownHeader->Visible() ? FDropDownHeader->Height() + 2 : DropDownBorderWidth;
    FControl->move(FControl->x(), top);
    FControl->show();
    f->Realign();
}

void TExCustomDropDown::FocusDropDownControl() {
    QWidget* c = FFocusControl;
    if (c && (c->focusPolicy() & Qt::TabFocus) && c->isEnabled() && !c->hasFocus()) c->setFocus();
}

bool TExCustomDropDown::eventFilter(QObject* watched, QEvent* event) {
    if (FLabel && watched == FLabel) {
        if (event->type() == QEvent::MouseButtonRelease)
            guarded([this] { LabelClick(); });
        else if (event->type() == QEvent::MouseButtonDblClick)
            guarded([this] { LabelDblClick(); });
    }
    // The hosted control's keys also reach the edit, so Enter, Esc, F4 and Alt+arrows act there.
    if (watched == boundControl_ && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        auto* k = static_cast<QKeyEvent*>(event);
        guarded([&] {
            const TKeyInfo info = KeyFromEvent(*k);
            uint16_t key = info.Key;
            if (event->type() == QEvent::KeyRelease) {
                if (key != 0 && !k->isAutoRepeat()) ControlKeyUp(key, info.Shift);
                return;
            }
            dropKeyChars_ = false;
            if (key != 0) ControlKeyDown(key, info.Shift);
            for (QChar ch : KeyPressText(*k)) {
                QChar c = ch;
                ControlKeyPress(c);
            }
        });
    }
    return TCustomMaskEdit::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------------
// Frame, button placement and label

int TExCustomDropDown::MinimumHeight() const {
    const int h = QFontMetrics(const_cast<TExCustomDropDown*>(this)->Font().ToQFont()).height();
    const int s = QFontMetrics(QApplication::font()).height();
    return h + std::min(h, s) / 4;
}

namespace {
// The edit's frame as the original counts it: its client area starts this far in.
int frameOf(TBorderStyle style) {
    return style == bsSingle ? 2 : 0;
}
}  // namespace

void TExCustomDropDown::AdjustButtonBounds() {
    const int m = MinimumHeight();
    if (height() < m) {
        resize(width(), m);
        update();
        return;
    }
    if (!FButton) {
        update();
        return;
    }
    const int b = frameOf(BorderStyle());
    int a = BorderStyle() == bsNone ? 2 : 4;
    if (Flat) a = 3;
    const int c = 0;
    const int bw = FButton->FixedWidth();
    // Positions are worked out in the original's outer frame and moved into this client area.
    if (IsThemeActive() && BorderStyle() == bsSingle)
        FButton->SetBounds(width() - bw - a - c + b, (Flat ? 2 : 0) + b, bw, height() - a);
    else
        FButton->SetBounds(width() - bw - c - b, 1, bw, height() - 2);
    SetEditRect();
    update();
}

void TExCustomDropDown::SetEditRect() {
    const int b = frameOf(BorderStyle());
    const int clientW = width() - 2 * b, clientH = height() - 2 * b;
    TRect r;
    r.Bottom = clientH + 1;
    r.Right = clientW - (FButton ? FButton->width() : 0) - 3;
    if (BorderStyle() == bsSingle) {
        r.Top = 1;
        r.Left = 1;
    } else {
        r.Top = 3;
        r.Left = 2;
    }
    FEditRect = r;
    TCustomMaskEdit::SetEditRect(
        {r.Left + b, r.Top + b, std::max(r.Left + b, r.Right + b), std::min(height() - b, r.Bottom + b)});
}

bool TExCustomDropDown::IsHot() const {
    return FMouseInControl || QApplication::focusWidget() == this;
}

void TExCustomDropDown::PaintBorder() {
    update();
    if (FButton) FButton->Button()->SetFocused(IsHot());
}

void TExCustomDropDown::drawBorder(TCanvas& c) {
    const TRect whole{0, 0, width(), height()};
    auto frame = [&](TColor color) {
        c.Brush().SetColor(color);
        c.FrameRect(whole);
    };
    if (!isEnabled() && FIsThemed && FDisabledBorder) {
        frame(clSilver);
    } else if (FBorderColor != clNone && (!hasFocus() || FFocusBorderColor == clNone)) {
        frame(FBorderColor);
    } else if (FFocusBorderColor != clNone) {
        if (hasFocus()) frame(FFocusBorderColor);
    } else {
        TRect r = whole;
        const TColor back =
            IsHot() ? clBtnFace
                    : (parentWidget() ? FromQColor(parentWidget()->palette().color(QPalette::Window)) : clBtnFace);
        c.Brush().SetColor(back);
        if (IsHot()) {
            DrawEdge(c, r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
            c.FrameRect(r);
        } else {
            c.FrameRect(r);
            r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
            c.FrameRect(r);
        }
    }
}

void TExCustomDropDown::Paint() {
    TCustomMaskEdit::Paint();
    TCanvas& c = Canvas();
    const bool colours = FBorderColor != clNone || FFocusBorderColor != clNone;
    if (isEnabled() && !Flat && !colours) {
        // The platform's own frame stays.
    } else if (colours || Flat || (!isEnabled() && FDisabledBorder)) {
        drawBorder(c);
    }
    DrawFocusedText();
}

void TExCustomDropDown::DrawFocusedText() {
    if (FText.EditorEnabled || !hasFocus() || !FocusDraw) return;
    TCanvas& c = Canvas();
    if (!c.Painter()) {
        update();  // drawn by the next paint
        return;
    }
    TRect r{2, 2, width() - FButtonWidth - 1, height() - 2};
    c.Pen().SetColor(clBlack);
    c.Pen().SetWidth(1);
    c.Brush().SetColor(clHighlight);
    c.Rectangle(r);
    r.Left += 2;
    r.Right -= 3;
    c.Brush().SetStyle(bsClear);
    c.Font().Assign(Font());
    c.Font().SetColor(clHighlightText);
    QString text = Text();
    c.DrawText(text, r, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
}

void TExCustomDropDown::resizeEvent(QResizeEvent* event) {
    TCustomMaskEdit::resizeEvent(event);
    guarded([this] {
        AdjustButtonBounds();
        if (FLabel) LayoutLabel();
    });
}

void TExCustomDropDown::moveEvent(QMoveEvent* event) {
    TCustomMaskEdit::moveEvent(event);
    guarded([this] {
        if (FLabel) LayoutLabel();
    });
}

void TExCustomDropDown::showEvent(QShowEvent* event) {
    TCustomMaskEdit::showEvent(event);
    if (FLabel && !FLabel->text().isEmpty()) FLabel->setVisible(true);
}

void TExCustomDropDown::hideEvent(QHideEvent* event) {
    TCustomMaskEdit::hideEvent(event);
    if (FLabel && !FLabel->text().isEmpty()) FLabel->setVisible(false);
}

void TExCustomDropDown::enterEvent(QEnterEvent* event) {
    TCustomMaskEdit::enterEvent(event);
    if (isEnabled() && !FMouseInControl) {
        FMouseInControl = true;
        guarded([this] { PaintBorder(); });
    }
}

void TExCustomDropDown::leaveEvent(QEvent* event) {
    TCustomMaskEdit::leaveEvent(event);
    if (isEnabled() && FMouseInControl) {
        FMouseInControl = false;
        guarded([this] { PaintBorder(); });
    }
}

QString TExCustomDropDown::LabelCaption() const {
    return FLabel ? FLabel->text() : QString();
}

void TExCustomDropDown::SetLabelCaption(const QString& Value) {
    if (!FLabel) {
        FLabel = new QLabel(parentWidget());
        FLabel->setBuddy(this);
        FLabel->installEventFilter(this);
    }
    FLabel->setText(Value);
    LayoutLabel();
}

void TExCustomDropDown::SetLabelPosition(TLabelPosition Value) {
    FLabelPosition = Value;
    if (FLabel) LayoutLabel();
}

void TExCustomDropDown::SetLabelMargin(int Value) {
    FLabelMargin = Value;
    if (FLabel) LayoutLabel();
}

void TExCustomDropDown::SetLabelTransparent(bool Value) {
    FLabelTransparent = Value;
    if (FLabel) LayoutLabel();
}

void TExCustomDropDown::SetLabelFont(const TFont& Value) {
    FLabelFont.Assign(Value);
    if (FLabel) LayoutLabel();
}

void TExCustomDropDown::LayoutLabel() {
    if (!FLabel) return;
    if (FLabel->parentWidget() != parentWidget()) FLabel->setParent(parentWidget());
    FLabel->setAutoFillBackground(!FLabelTransparent);
    FLabel->setFont(FLabelFont.ToQFont());
    QPalette pal = FLabel->palette();
    pal.setColor(QPalette::WindowText, ToQColor(FLabelFont.Color()));
    FLabel->setPalette(pal);
    FLabel->adjustSize();
    QImage device(1, 1, QImage::Format_RGB32);
    TCanvas c(&device);
    c.Font().Assign(FLabelFont);
    TRect r{0, 0, 1000, 255};
    c.DrawText(FLabel->text(), r, DT_CALCRECT | DT_HIDEPREFIX);
    const QPoint at = DropDownLabelPlace(FLabelPosition, r.Width(), FLabel->size(), geometry(), FLabelMargin);
    FLabel->move(at);
    FLabel->setVisible(!isHidden() && !FLabel->text().isEmpty());
    FLabel->setEnabled(LabelAlwaysEnabled || isEnabled());
}

void TExCustomDropDown::SetControl(QWidget* Control) {
    if (controlAddress_ == Control) return;
    if (FControl) disconnect(FControl, &QObject::destroyed, this, nullptr);
    FControl = Control;
    controlAddress_ = Control;
    if (Control)
        connect(Control, &QObject::destroyed, this, [this](QObject* gone) { guarded([&] { Notification(gone); }); });
    PlaceDropDownControl();
}

void TExCustomDropDown::Notification(const void* Component) {
    if (!Component) return;
    if (Component == FImages) {
        FImages = nullptr;
        update();
    }
    if (Component == controlAddress_) SetControl(nullptr);
    if (Component == static_cast<const QObject*>(FFocusControl.data())) FFocusControl = nullptr;
}

void TExCustomDropDown::DrawDropDownGradient(TCanvas& Canvas, TColor FromColor, TColor ToColor, int Steps,
                                             const TRect& R, bool Vertical) {
    const TRect copy = R;
    DrawGradient(Canvas, FromColor, ToColor, Steps, copy, !Vertical);
}

void TExCustomDropDown::LabelClick() {
    if (OnLabelClick) OnLabelClick(this);
}

void TExCustomDropDown::LabelDblClick() {
    if (OnLabelDblClick) OnLabelDblClick(this);
}

void TExCustomDropDown::DropDownFormKeyPress(QChar& Key) {
    KeyPress(Key);
}

void TExCustomDropDown::DropDownFormKeyDown(uint16_t& Key, TShiftState Shift) {
    KeyDown(Key, Shift);
}

void TExCustomDropDown::DropDownFormKeyUp(uint16_t& Key, TShiftState Shift) {
    KeyUp(Key, Shift);
}

void TExCustomDropDown::ControlKeyDown(uint16_t& Key, TShiftState Shift) {
    KeyDown(Key, Shift);
}

void TExCustomDropDown::ControlKeyUp(uint16_t& Key, TShiftState Shift) {
    KeyUp(Key, Shift);
}

void TExCustomDropDown::ControlKeyPress(QChar& Key) {
    KeyPress(Key);
}


// ---------------------------------------------------------------------------------------------------
// Text and value

void TExCustomDropDown::SetText(const QString& Value) {
    FText.SetText(Value);
    showText();
}

void TExCustomDropDown::SetTextDirect(const QString& Value) {
    FText.SetTextDirect(Value);
    showText();
}

void TExCustomDropDown::SetFloatValue(double Value) {
    FText.SetFloatValue(Value);
    showText();
}

void TExCustomDropDown::SetIntValue(int Value) {
    FText.SetIntValue(Value);
    showText();
}

void TExCustomDropDown::SetPrecision(int Value) {
    FText.SetPrecision(Value);
    showText();
}

void TExCustomDropDown::SetEditType(TDropDownEditType Value) {
    FText.SetEditType(Value);
    showText();
}

void TExCustomDropDown::SelectAll() {
    FText.SelectAll();
    showText();
}

void TExCustomDropDown::SelectText(int Anchor, int Caret) {
    FText.Select(Anchor, Caret);
    showText();
}

void TExCustomDropDown::SelectBeforeDecimal() {
    FText.SelectBeforeDecimal();
    showText();
}

void TExCustomDropDown::SelectAfterDecimal() {
    FText.SelectAfterDecimal();
    showText();
}

void TExCustomDropDown::SetModifiedState(bool Value) {
    FText.SetModifiedState(Value);
    showText();
}

void TExCustomDropDown::SetReadOnly(bool On) {
    TCustomMaskEdit::SetReadOnly(On);
    FText.ReadOnly = On;
    // The button shows disabled while the edit is read-only.
    if (FButton) FButton->Button()->update();
}

void TExCustomDropDown::SetEditMask(const QString& Mask) {
    FText.SetEditMask(Mask);
    showText();
}

void TExCustomDropDown::showText() {
    showing_ = true;
    const QString& shown = FText.Display();
    TCustomMaskEdit::SetText(FText.PasswordChar().isNull() ? shown : QString(shown.size(), FText.PasswordChar()));
    const int anchor = FText.CaretPos() == FText.SelStart() ? FText.SelStart() + FText.SelLength() : FText.SelStart();
    TCustomMaskEdit::Select(anchor, FText.CaretPos());
    TCustomMaskEdit::SetModified(FText.Modified());
    showing_ = false;
}

void TExCustomDropDown::takeSelection() {
    const int start = TCustomMaskEdit::SelStart(), caret = CaretPos();
    const int anchor = caret == start ? start + TCustomMaskEdit::SelLength() : start;
    FText.Select(anchor, caret);
}

void TExCustomDropDown::Change() {
    if (showing_) return;
    // The platform edit changed its text by itself (cleared): the text takes it over.
    FText.SetTextDirect(TCustomMaskEdit::Text());
}

void TExCustomDropDown::TextChanged(bool NotifyUser) {
    showText();
    DoChange();
    if (NotifyUser && OnChange) OnChange(this);
    AfterChange();
}

// ---------------------------------------------------------------------------------------------------
// Published

void TExCustomDropDown::SetEditorEnabled(bool Value) {
    FText.EditorEnabled = Value;
    TControlStyle style = ControlStyle();
    if (Value)
        style.include(csDoubleClicks);
    else
        style.exclude(csDoubleClicks);
    SetControlStyle(style);
}

void TExCustomDropDown::SetBorderColor(TColor Value) {
    FBorderColor = Value;
    update();
    if (FButton) FButton->Button()->update();
}

void TExCustomDropDown::SetDisabledBorder(bool Value) {
    if (FDisabledBorder == Value) return;
    FDisabledBorder = Value;
    update();
}

void TExCustomDropDown::SetDropDownWidth(int Value) {
    if (FDropDownWidth == Value) return;
    FDropDownWidth = Value;
    FUserDropDownWidth = -1;
}

void TExCustomDropDown::SetDropDownHeight(int Value) {
    if (FDropDownHeight == Value) return;
    FDropDownHeight = Value;
    FUserDropDownHeight = -1;
}

void TExCustomDropDown::SetUserDropDownSize(int Width, int Height) {
    FUserDropDownWidth = Width;
    FUserDropDownHeight = Height;
}

void TExCustomDropDown::SetDropDownButtonWidth(int Value) {
    if (!FButton || FButtonWidth == Value) return;
    FButtonWidth = Value;
    FButton->SetBounds(FButton->x(), FButton->y(), Value, FButton->height());
    AdjustButtonBounds();
}

void TExCustomDropDown::SetDropDownButtonHint(const QString& Value) {
    if (FButtonHint == Value) return;
    FButtonHint = Value;
    if (FButton) FButton->setToolTip(Value);
}

void TExCustomDropDown::SetDropDownButtonGlyph(const TBitmap& Value) {
    if (FButton) FButton->SetGlyph(Value);
}

QString TExCustomDropDown::Version() const {
    const uint32_t v = GetVersionNr();
    return QStringLiteral("%1.%2.%3.%4").arg(v >> 24).arg((v >> 16) & 0xFF).arg((v >> 8) & 0xFF).arg(v & 0xFF);
}

void TExCustomDropDown::Assign(const TExCustomDropDown& Source) {
    if (&Source == this) return;
    FocusDraw = Source.FocusDraw;
    ForceShadow = Source.ForceShadow;
    DropDownEnabled = Source.DropDownEnabled;
    FDropDownColor = Source.FDropDownColor;
    DropDownColorTo = Source.DropDownColorTo;
    DropDownGradient = Source.DropDownGradient;
    DropDownBorderColor = Source.DropDownBorderColor;
    DropDownBorderWidth = Source.DropDownBorderWidth;
    DropDownShadow = Source.DropDownShadow;
    FDropDownWidth = Source.FDropDownWidth;
    FDropDownHeight = Source.FDropDownHeight;
    DropDownSizeable = Source.DropDownSizeable;
    const TDropDownText& s = Source.FText;
    FText.SetEditType(s.EditType());
    FText.ReturnIsTab = s.ReturnIsTab;
    FText.LengthLimit = s.LengthLimit;
    FText.SetPrecision(s.Precision());
    FText.Prefix = s.Prefix;
    FText.Suffix = s.Suffix;
    FText.DefaultHandling = s.DefaultHandling;
    FText.CanUndo = s.CanUndo;
    FText.ExcelStyleDecimalSeparator = s.ExcelStyleDecimalSeparator;
    FText.ValidChars = s.ValidChars;
    FText.Signed = s.Signed;
    FText.AutoThousandSeparator = s.AutoThousandSeparator;
    FButtonAppearance->Assign(Source.FButtonAppearance.get());
    FDropDownHeader->Assign(Source.FDropDownHeader.get());
    FDropDownFooter->Assign(Source.FDropDownFooter.get());
    DropPosition = Source.DropPosition;
    Flat = Source.Flat;
    SetDropDownButtonWidth(Source.FButtonWidth);
    SetDropDownButtonHint(Source.FButtonHint);
    SetEditorEnabled(Source.EditorEnabled());
    if (FButton && Source.FButton) {
        FButton->SetGlyph(Source.FButton->Glyph());
        FButton->SetButtonCaption(Source.FButton->ButtonCaption());
    }
    Etched = Source.Etched;
    FImages = Source.FImages;
    FSelectionColorStyle = Source.FSelectionColorStyle;
    SelectionColor = Source.SelectionColor;
    SelectionColorTo = Source.SelectionColorTo;
    showText();
}

// ---------------------------------------------------------------------------------------------------
// Keys

void TExCustomDropDown::keyPressEvent(QKeyEvent* event) {
    dropKeyChars_ = false;
    const int key = event->key();
    const bool special = (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) &&
                         !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
    // Asked first whether the key is the edit's or the dialog's; the edit's key-down rules run
    // either way.
    bool keep = false;
    if (special) {
        uint16_t code = key == Qt::Key_Escape ? VK_ESCAPE : VK_RETURN;
        guarded([&] {
            keep = CMWantSpecialKey(code);
            if (code == 0) {
                // Swallowed: its character is not typed (it would mark the value modified again).
                keep = true;
                dropKeyChars_ = true;
            }
        });
    }
    TCustomMaskEdit::keyPressEvent(event);
    if (keep) event->accept();
}

void TExCustomDropDown::KeyDown(uint16_t& Key, TShiftState Shift) {
    takeSelection();
    if (!FText.KeyDown(Key, Shift)) {
        dropKeyChars_ = true;
        Key = 0;
    }
    showText();
}

void TExCustomDropDown::KeyPress(QChar& Key) {
    if (dropKeyChars_) {
        Key = QChar();
        return;
    }
    TControl::KeyPress(Key);
    if (Key == QChar(13)) Key = QChar();
    if (Key.isNull()) return;
    takeSelection();
    // Ctrl+C, Ctrl+V, Ctrl+X and Ctrl+Enter's line feed are typed with Ctrl only.
    const char16_t c = Key.unicode();
    const bool ctrl =
        (QGuiApplication::keyboardModifiers() & Qt::ControlModifier) || c == 3 || c == 10 || c == 22 || c == 24;
    FText.Char(Key, ctrl, LastKeyOnKeypad());
    showText();
}

void TExCustomDropDown::KeyDownEvent(uint16_t& Key, TShiftState Shift) {
    TControl::KeyDown(Key, Shift);
}

void TExCustomDropDown::KeyPressEvent(QChar& Key) {
    TControl::KeyPress(Key);
}

bool TExCustomDropDown::CMWantSpecialKey(uint16_t& CharCode) {
    if (!parentWidget()) return false;  // no form around the edit
    if (CharCode == VK_ESCAPE && FText.CanUndo && !FormKeyPreview()) {
        SelectAll();
        SetModifiedState(false);
        CharCode = 0;
        if (FText.DefaultHandling) {
            PostKeyToParent(VK_ESCAPE, true);
            PostKeyToParent(VK_ESCAPE, false);
        }
    }
    if (CharCode == VK_RETURN && FText.DefaultHandling && !FormKeyPreview() && parentWidget()->hasFocus()) {
        PostKeyToParent(VK_RETURN, true);
        PostKeyToParent(VK_RETURN, false);
    }
    // A single-line edit wants neither key itself; Esc closes an open pop-up, not the dialog.
    return CharCode == VK_ESCAPE && FDroppedDown;
}

void TExCustomDropDown::PostKeyToParent(uint16_t Key, bool Down) {
    QWidget* parent = parentWidget();
    if (!parent) return;
    QCoreApplication::postEvent(
        parent, new QKeyEvent(Down ? QEvent::KeyPress : QEvent::KeyRelease, qtKeyOf(Key), Qt::NoModifier));
}

void TExCustomDropDown::PostTabToSelf() {
    if (isVisible()) QCoreApplication::postEvent(this, new QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier));
}

// ---------------------------------------------------------------------------------------------------
// Clipboard

bool TExCustomDropDown::ClipboardCopy(const QString& Value) {
    bool allow = true;
    if (OnClipboardCopy) OnClipboardCopy(this, Value, allow);
    return allow;
}

bool TExCustomDropDown::ClipboardCut(const QString& Value) {
    bool allow = true;
    if (OnClipboardCut) OnClipboardCut(this, Value, allow);
    return allow;
}

bool TExCustomDropDown::ClipboardPaste(const QString& Value) {
    bool allow = true;
    if (OnClipboardPaste) OnClipboardPaste(this, Value, allow);
    return allow;
}

QString TExCustomDropDown::ClipboardText() const {
    return QGuiApplication::clipboard()->text();
}

void TExCustomDropDown::SetClipboardText(const QString& Text) {
    QGuiApplication::clipboard()->setText(Text);
}

void TExCustomDropDown::CutToClipboard() {
    takeSelection();
    FText.Cut();
    showText();
}

void TExCustomDropDown::PasteFromClipboard() {
    takeSelection();
    FText.Paste();
    showText();
}

void TExCustomDropDown::contextMenuEvent(QContextMenuEvent* event) {
    guarded([&] {
        takeSelection();
        QMenu menu(this);
        const bool editable = FText.EditorEnabled && !FText.ReadOnly;
        const bool selection = FText.SelLength() > 0;
        menu.addAction(tr("Cu&t"), this, [this] { guarded([this] { CutToClipboard(); }); })
            ->setEnabled(editable && selection);
        menu.addAction(tr("&Copy"), this, [this] { guarded([this] { FText.Copy(); }); })->setEnabled(selection);
        menu.addAction(tr("&Paste"), this, [this] { guarded([this] { PasteFromClipboard(); }); })->setEnabled(editable);
        menu.addSeparator();
        menu.addAction(tr("Select &All"), this, [this] { guarded([this] { SelectAll(); }); });
        menu.exec(event->globalPos());
    });
    event->accept();
}

// ---------------------------------------------------------------------------------------------------
// Focus and mouse

void TExCustomDropDown::focusInEvent(QFocusEvent* event) {
    TCustomMaskEdit::focusInEvent(event);
    guarded([this] { WMSetFocus(); });
}

void TExCustomDropDown::WMSetFocus() {
    if (FText.EditorEnabled) {
        FOldString = Text();
        if (AutoSelect())
            FText.SelectAll();
        else if (EditType() == etFloat || EditType() == etMoney)
            FText.SelectBeforeDecimal();
        showText();
    } else {
        update();
    }
}

void TExCustomDropDown::DoEnter() {
    TCustomMaskEdit::DoEnter();
    SetEditRect();
}

void TExCustomDropDown::focusOutEvent(QFocusEvent* event) {
    guarded([this] {
        takeSelection();
        FText.FocusLost();
        showText();
    });
    TCustomMaskEdit::focusOutEvent(event);
}

void TExCustomDropDown::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && !FText.EditorEnabled) {
        TCustomMaskEdit::MouseDown(Button, Shift, X, Y);
        showText();
        RequestDropDown();
        return;
    }
    if (Button == mbLeft && hasFocus() && FText.SelLength() > 0) {
        const int at = CharFromPos(QPoint(X, Y));
        if (at >= FText.SelStart() && at <= FText.SelStart() + FText.SelLength()) {
            FButtonDown = true;
            return;
        }
    }
    TCustomMaskEdit::MouseDown(Button, Shift, X, Y);
    takeSelection();
}

void TExCustomDropDown::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomMaskEdit::MouseMove(Shift, X, Y);
    if (Shift.contains(ssLeft) && !FButtonDown) takeSelection();
}

void TExCustomDropDown::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (!FText.EditorEnabled || FText.ReadOnly) DrawFocusedText();
    if (FButtonDown) {
        const int at = CharFromPos(QPoint(X, Y));
        FText.Select(at, at);
    }
    FButtonDown = false;
    TCustomMaskEdit::MouseUp(Button, Shift, X, Y);
    const int p = int(FText.Prefix.size()), valueLength = int(Text().size());
    if (!FText.Prefix.isEmpty() && FText.SelStart() < p) FText.Select(p, p + valueLength);
    if (!FText.Suffix.isEmpty()) {
        if (FText.CaretPos() > valueLength && FText.SelLength() == 0) FText.Select(valueLength, valueLength);
        if (FText.SelStart() + FText.SelLength() > valueLength) FText.Select(FText.SelStart(), valueLength);
    }
    showText();
}

void TExCustomDropDown::wheelEvent(QWheelEvent* event) {
    TCustomMaskEdit::wheelEvent(event);
    guarded([&] {
        if (event->angleDelta().y() < 0)
            HandleMouseWheelDown();
        else if (event->angleDelta().y() > 0)
            HandleMouseWheelUp();
    });
}

void TExCustomDropDown::changeEvent(QEvent* event) {
    TCustomMaskEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        if (FButton) FButton->setEnabled(isEnabled());
        if (FLabel && !LabelAlwaysEnabled) FLabel->setEnabled(isEnabled());
    }
}

}  // namespace dropdowns
