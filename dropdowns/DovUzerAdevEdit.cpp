#include "dropdowns/DovUzerAdevEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QWheelEvent>

#include "dropdowns/DovUzerAdev.h"
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
    FDropDownFooter = std::make_unique<TFooterAppearance>(this);
    FButtonAppearance = std::make_unique<TExButtonAppearance>();
    FIsWinXP = IsWindowsXPOrLater();
    FIsThemed = IsComCtl6();
}

TExCustomDropDown::~TExCustomDropDown() {
    delete FButton;
    FButton = nullptr;
}

void TExCustomDropDown::Initialize() {
    CreateDropDownForm();
    FButton = nullptr;
    CreateDropDownButton();
    SetSelectionColorStyle(scOffice2007);
    SetComponentStyle(tsOffice2007Luna);
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
    if (FDroppedDown) return;
    if (Clock().nowMs() - deactivatedAt_ > kReopenGuardMs) DoShowDropDown();
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

void TExCustomDropDown::SetSelectionColorStyle(TSelectionColorStyle Value) {
    FSelectionColorStyle = Value;
}

void TExCustomDropDown::SetComponentStyle(TSkinStyle AStyle) {
    FSkinStyle = AStyle;
}

void TExCustomDropDown::SetColorTones(const TColorTones&) {}

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
    if (event->type() == QEvent::EnabledChange && FButton) FButton->setEnabled(isEnabled());
}

}  // namespace dropdowns
