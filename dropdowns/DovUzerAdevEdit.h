#pragma once
// The drop-down edit every drop-down editor is made from: a single-line edit with a drop-down
// button at its right edge that opens a pop-up holding the member's control. The text and its
// input rules live in a TDropDownText; the edit shows it and forwards keys, clipboard and focus to
// it. The steps a member replaces are virtual, in the order the members rely on.
//
// A drop-down is made by CreateDropDown<T>(...): a base constructor cannot run a member's
// override, and the members need theirs (creating the pop-up and its control, the style) to run
// at creation, so the factory runs the constructor and then the creation steps.
#include <QPointer>
#include <functional>
#include <limits>
#include <memory>

#include "controls/ExStyleIF.h"
#include "dropdowns/DovUzerAdevAppearances.h"
#include "dropdowns/DovUzerAdevButtons.h"
#include "dropdowns/DovUzerAdevForm.h"
#include "dropdowns/DropDownPlacement.h"
#include "dropdowns/DropDownText.h"
#include "platform/Clock.h"
#include "platform/MaskEdit.h"

class QLabel;

namespace plat {
class TImageList;
}

namespace dropdowns {

class TItemAppearance;

enum TSelectionColorStyle : uint8_t { scCustom, scOffice2007, scWindowsVista, scWindows7 };
// Where a caption stands beside an item's picture or box: the item selector's and the keypad's.
enum TItemLayout : uint8_t { ilCaptionLeft, ilCaptionRight, ilCaptionTop, ilCaptionBottom };

using TDropDownEvent = std::function<void(QObject* Sender, bool& AcceptDrop)>;
using TDropUpEvent = std::function<void(QObject* Sender, bool Cancelled)>;
using TDropDownButtonItemClick = std::function<void(QObject* Sender, int ButtonIndex)>;
using TDrawBackGroundEvent = std::function<void(QObject* Sender, plat::TCanvas& ACanvas, const plat::TRect& ARect)>;
using TGetTextEvent = std::function<void(QObject* Sender, QString& Text)>;
using TClipboardEvent = std::function<void(QObject* Sender, const QString& Value, bool& Allow)>;

class TExCustomDropDown : public plat::TCustomMaskEdit,
                          public ISkinStyle,
                          public ISkinTones,
                          private IDropDownTextHost {
public:
    ~TExCustomDropDown() override;

    // ---- The drop-down button and the pop-up ----
    TDropDownEditButton* Button() const { return FButton; }
    bool DroppedDown() const override { return FDroppedDown; }
    TDropDownForm* DropDownForm() const { return FDropDownForm.data(); }
    // The pop-up form is being destroyed (with the window that holds it).
    void DropDownFormGoing(TDropDownForm* Form);
    void ShowDropDown() override { DoShowDropDown(); }
    void HideDropDown(bool CancelChanges = false) override { DoHideDropDown(CancelChanges); }
    // The button's click: opens the pop-up unless it is showing or lost the activation less than
    // 250 ms ago (the press that closed it must not open it again).
    void DropDownButtonClick() { RequestDropDown(); }
    void RequestDropDown();
    QWidget* Control() const { return FControl; }
    void SetControl(QWidget* Control);
    QWidget* FocusControl() const { return FFocusControl; }
    void SetFocusControl(QWidget* Control) { FFocusControl = Control; }
    const plat::TRect& GetEditRect() const { return FEditRect; }
    // The height the font needs: h + min(h, s) / 4 with h the font's and s the screen font's height.
    int MinimumHeight() const;
    // The frame in the border, focus-border or disabled colour, or the flat look.
    void PaintBorder();
    bool IsHot() const;

    // ---- Label ----
    QString LabelCaption() const;
    void SetLabelCaption(const QString& Value);
    QLabel* Label() const { return FLabel; }
    void SetLabelPosition(TLabelPosition Value);
    void SetLabelMargin(int Value);
    void SetLabelTransparent(bool Value);
    plat::TFont& LabelFont() { return FLabelFont; }
    void SetLabelFont(const plat::TFont& Value);
    void LayoutLabel();
    // A component that goes away: images, the hosted control or the focus control are let go.
    void Notification(const void* Component);

    // The clock the 250 ms guard reads; tests drive it.
    static void SetClock(plat::Clock* Clock);
    static plat::Clock& Clock();

    // ---- Text and value ----
    QString Text() const { return FText.Text(); }
    virtual void SetText(const QString& Value);
    void SetTextDirect(const QString& Value);
    double GetFloatValue() const { return FText.GetFloatValue(); }
    void SetFloatValue(double Value);
    void SetIntValue(int Value);
    int Precision() const { return FText.Precision(); }
    void SetPrecision(int Value);
    TDropDownEditType EditType() const { return FText.EditType(); }
    void SelectAll();
    void SelectBeforeDecimal();
    void SelectAfterDecimal();
    bool GetModifiedState() const { return FText.GetModifiedState(); }
    void SetModifiedState(bool Value);
    // The text rules, for the settings that have no behaviour of their own.
    TDropDownText& TextRules() { return FText; }
    const TDropDownText& TextRules() const { return FText; }
    void SetReadOnly(bool On);
    // The edit mask: the text's rules run it, so typing, deleting and pasting keep its shape.
    // Raises plat::EEditMaskError for a mask that cannot be translated.
    const QString& EditMask() const { return FText.EditMask().Source(); }
    void SetEditMask(const QString& Mask);

    // ---- Published ----
    bool EditorEnabled() const { return FText.EditorEnabled; }
    void SetEditorEnabled(bool Value);
    plat::TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(plat::TColor Value);
    bool DisabledBorder() const { return FDisabledBorder; }
    void SetDisabledBorder(bool Value);
    plat::TColor FocusBorderColor() const { return FFocusBorderColor; }
    void SetFocusBorderColor(plat::TColor Value) { FFocusBorderColor = Value; }
    plat::TColor DropDownBorderColor = plat::clBlack;
    int DropDownBorderWidth = 1;
    bool DropDownShadow = true;
    TDropPosition DropPosition = dpAuto;
    bool DropDownSizeable = true;
    plat::TColor DropDownColor() const { return FDropDownColor; }
    void SetDropDownColor(plat::TColor Value) { FDropDownColor = Value; }
    plat::TColor DropDownColorTo = plat::clNone;
    TGradientDirection DropDownGradient = gdHorizontal;
    int DropDownWidth() const { return FDropDownWidth; }
    void SetDropDownWidth(int Value);
    int DropDownHeight() const { return FDropDownHeight; }
    void SetDropDownHeight(int Value);
    int UserDropDownWidth() const { return FUserDropDownWidth; }
    int UserDropDownHeight() const { return FUserDropDownHeight; }
    // The size the pop-up had when it closed (the pop-up keeps it for the next opening).
    void SetUserDropDownSize(int Width, int Height);
    int DropDownButtonWidth() const { return FButtonWidth; }
    void SetDropDownButtonWidth(int Value);
    const QString& DropDownButtonHint() const { return FButtonHint; }
    void SetDropDownButtonHint(const QString& Value);
    const plat::TBitmap* DropDownButtonGlyph() const { return FButton ? &FButton->Glyph() : nullptr; }
    void SetDropDownButtonGlyph(const plat::TBitmap& Value);
    TExButtonAppearance& ButtonAppearance() { return *FButtonAppearance; }
    void SetButtonAppearance(const TExButtonAppearance& Value) { FButtonAppearance->Assign(&Value); }
    THeaderAppearance& DropDownHeader() { return *FDropDownHeader; }
    void SetDropDownHeader(const THeaderAppearance& Value) { FDropDownHeader->Assign(&Value); }
    TFooterAppearance& DropDownFooter() { return *FDropDownFooter; }
    void SetDropDownFooter(const TFooterAppearance& Value) { FDropDownFooter->Assign(&Value); }
    const plat::TImageList* Images() const { return FImages; }
    void SetImages(const plat::TImageList* Value) { FImages = Value; }
    bool DropDownEnabled = false;
    bool Flat = false;
    bool Etched = false;
    bool FocusDraw = true;
    bool ForceShadow = false;
    TLabelPosition LabelPosition() const { return FLabelPosition; }
    int LabelMargin() const { return FLabelMargin; }
    bool LabelTransparent() const { return FLabelTransparent; }
    bool LabelAlwaysEnabled = false;
    plat::TColor SelectionColor = 0xD7FFFD;
    plat::TColor SelectionColorTo = 0x58D4FC;
    TSelectionColorStyle SelectionColorStyle() const { return FSelectionColorStyle; }
    TSkinStyle GetComponentStyle() const { return FSkinStyle; }
    // "1.2.1.4": the four bytes of GetVersionNr, most significant first.
    QString Version() const;

    // ---- Events ----
    plat::TNotifyEvent OnBeforeDropDown, OnBeforeDropUp;
    TDropDownEvent OnDropDown;
    TDropUpEvent OnDropUp;
    TDropDownButtonItemClick OnDropDownHeaderButtonClick, OnDropDownFooterButtonClick;
    TDrawBackGroundEvent OnDrawHeader, OnDrawFooter;
    TGetTextEvent OnGetHeaderText, OnGetFooterText;
    TClipboardEvent OnClipboardCopy, OnClipboardPaste, OnClipboardCut;
    plat::TNotifyEvent OnLabelClick, OnLabelDblClick;

    // ---- Entry points the grid's editors call ----
    void KeyDown(uint16_t& Key, plat::TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    // The focus arrived: remembers the value and selects it (or hides the caret with the
    // editor disabled).
    void WMSetFocus();
    // Whether the edit keeps Esc or Enter from the dialog; CharCode 0 when it swallowed the key.
    bool CMWantSpecialKey(uint16_t& CharCode);
    // The value at the last focus entry.
    const QString& OldString() const { return FOldString; }

    void Assign(const TExCustomDropDown& Source);

    // ---- Style ----
    // The pop-up, header, footer and bar-button colours of the look; tsCustom only stores it.
    void SetComponentStyle(TSkinStyle AStyle) override;
    // The drop-down button's colours and the edit's border colour, nothing else.
    void SetColorTones(const TColorTones& ATones) override;
    // The item-list colours of the look, for the members' lists; nothing without an appearance.
    static void SetItemAppearanceStyle(TItemAppearance* Appearance, TSkinStyle AStyle);

    // Makes a drop-down of the member class T and runs its creation steps.
    template <class T, class... A>
    static T* CreateDropDown(A&&... args) {
        auto* d = new T(std::forward<A>(args)...);
        d->Initialize();
        return d;
    }

protected:
    explicit TExCustomDropDown(QWidget* parent = nullptr);
    // The creation steps that need the member's overrides, in their order.
    void Initialize();
    // The part of a member's construction that comes after the creation steps (values that
    // overrule the starting look).
    virtual void Created() {}

    // ---- The steps a member replaces, in their order ----
    virtual void LabelClick();
    virtual void LabelDblClick();
    virtual uint32_t GetVersionNr() const { return 0x01020104; }
    virtual void CreateDropDownForm();
    virtual void CreateDropDownButton();
    virtual void UpdateDropDownButton();
    virtual void BeforeDropDown();
    virtual void AdjustDropDownHeight(int& Height) {}
    virtual void FocusDropDownControl();
    virtual void DoShowDropDown();
    virtual void PlaceDropDownControl();
    virtual void UpdateDropDownSize();
    virtual void DoHideDropDown(bool Cancelled);
    virtual void DropDownFormHide();
    virtual void DropDownFormDestroy() {}
    virtual void DropDownFormWheelDown() { HandleMouseWheelDown(); }
    virtual void DropDownFormWheelUp() { HandleMouseWheelUp(); }
    virtual void DropDownFormKeyPress(QChar& Key);
    virtual void DropDownFormKeyDown(uint16_t& Key, plat::TShiftState Shift);
    virtual void DropDownFormKeyUp(uint16_t& Key, plat::TShiftState Shift);
    virtual void ControlKeyDown(uint16_t& Key, plat::TShiftState Shift);
    virtual void ControlKeyUp(uint16_t& Key, plat::TShiftState Shift);
    virtual void ControlKeyPress(QChar& Key);
    virtual void DropDownFormSizing() {}
    virtual void HandleMouseWheelDown() {}
    virtual void HandleMouseWheelUp() {}
    virtual void DrawFocusedText();
    virtual void SetEditRect();
    virtual void AdjustButtonBounds();
    virtual void SetSelectionColorStyle(TSelectionColorStyle Value);
    // One selected item of a member's list; BackColor shows at the rounded corners, Position 0 a
    // cell alone, 1 first, 2 last, 3 between.
    virtual void DrawSelection(plat::TCanvas& Canvas, const plat::TRect& R, plat::TColor BackColor, uint8_t Position);
    virtual void DrawDropDownGradient(plat::TCanvas& Canvas, plat::TColor FromColor, plat::TColor ToColor, int Steps,
                                      const plat::TRect& R, bool Vertical);
    // The change of the text: a member's own work; OnChange follows unless the gate held it.
    virtual void DoChange() {}
    // The change of the text, after OnChange: a member's work that may fail once the user heard.
    virtual void AfterChange() {}

    // Selects from Anchor to the caret at Caret and shows it.
    void SelectText(int Anchor, int Caret);

    // The edit-type write of the member constructors.
    void SetEditType(TDropDownEditType Value);
    // A member changed the text rules' state directly: the edit shows it.
    void ShowTextState() { showText(); }

    // Set by the pop-up: it is open.
    void SetDroppedDown(bool On) { FDroppedDown = On; }
    bool DropDownFormVisible() const override;
    // Whether the form holding the edit previews keys (the platform's forms do not).
    virtual bool FormKeyPreview() const { return false; }

    // ---- Platform edit ----
    void Change() override;
    void CutToClipboard() override;
    void PasteFromClipboard() override;
    void MouseDown(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void MouseMove(plat::TShiftState Shift, int X, int Y) override;
    void MouseUp(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void DoEnter() override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void Paint() override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

    // Shows the text's state in the platform edit (after a member moved the selection).
    void showText();

    plat::TRect FEditRect;
    bool FMouseInControl = false;
    bool FIsWinXP = true;
    bool FIsThemed = true;

private:
    // IDropDownTextHost
    void TextChanged(bool NotifyUser) override;
    void KeyPressEvent(QChar& Key) override;
    void KeyDownEvent(uint16_t& Key, plat::TShiftState Shift) override;
    bool HasParent() const override { return parentWidget() != nullptr; }
    bool KeyPreview() const override { return FormKeyPreview(); }
    void PostKeyToParent(uint16_t Key, bool Down) override;
    void PostTabToSelf() override;
    bool ControlEnabled() const override { return isEnabled(); }
    bool ClipboardCopy(const QString& Value) override;
    bool ClipboardCut(const QString& Value) override;
    bool ClipboardPaste(const QString& Value) override;
    QString ClipboardText() const override;
    void SetClipboardText(const QString& Text) override;
    void Repaint() override { update(); }

    // Takes the selection the platform edit made (mouse) into the text.
    void takeSelection();

    TDropDownText FText{*this};
    bool showing_ = false;       // showText is writing the platform edit
    bool dropKeyChars_ = false;  // the key-down rules dropped the key: no character follows
    bool FButtonDown = false;    // the press fell inside the selection
    void appearanceChanged();
    void drawBorder(plat::TCanvas& c);
    QLabel* FLabel = nullptr;
    plat::TFont FLabelFont;
    TLabelPosition FLabelPosition = lpLeftTop;
    int FLabelMargin = 0;
    bool FLabelTransparent = false;
    QWidget* boundControl_ = nullptr;  // the hosted control whose keys come to the edit

    int FDropDownWidth = 0, FDropDownHeight = 0;
    int FUserDropDownWidth = -1, FUserDropDownHeight = -1;
    plat::TColor FDropDownColor = plat::clWhite;
    int FButtonWidth = 17;
    QString FButtonHint;
    plat::TColor FBorderColor = plat::clNone;
    plat::TColor FFocusBorderColor = plat::clNone;
    bool FDisabledBorder = true;
    const plat::TImageList* FImages = nullptr;
    QPointer<QWidget> FControl;
    const void* controlAddress_ = nullptr;  // FControl's, to know it when it is going
    QPointer<QWidget> FFocusControl;
    std::unique_ptr<THeaderAppearance> FDropDownHeader;
    std::unique_ptr<TExButtonAppearance> FButtonAppearance;
    std::unique_ptr<TFooterAppearance> FDropDownFooter;
    TSelectionColorStyle FSelectionColorStyle = scOffice2007;
    TSkinStyle FSkinStyle = tsOffice2007Luna;
    QString FOldString;
    bool FDroppedDown = false;
    QPointer<TDropDownForm> FDropDownForm;
    TDropDownEditButton* FButton = nullptr;
};

}  // namespace dropdowns
