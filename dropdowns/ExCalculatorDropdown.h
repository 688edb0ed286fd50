#pragma once
// The calculator drop-down: a number edit whose pop-up is a pocket calculator's keypad. The edit's
// text is the calculator's display; the arithmetic lives in TCalculatorEngine and works the same
// from the keypad, from keys typed on the open keypad and from keys typed into the closed edit.
//
// TCustomButtonPanel lays out and paints a collection of buttons; for the calculator it holds the
// 28 keys, placed in a grid of six columns whose neighbours share their edge pixels.
#include <QObject>
#include <functional>

#include "dropdowns/DovUzerAdevEdit.h"
#include "dropdowns/ExCalculatorEngine.h"
#include "platform/Bitmap.h"
#include "platform/Collection.h"
#include "platform/Controls.h"
#include "platform/Font.h"

namespace plat {
class TImageList;
}

namespace dropdowns {

class TCustomButtonPanel;

class TButtonItem : public plat::TCollectionItem {
public:
    TButtonItem() = default;

    const QString& Caption() const { return FCaption; }
    void SetCaption(const QString& Value) {
        if (FCaption != Value) FCaption = Value;
    }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value) { FImageIndex = Value; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value) { FEnabled = Value; }
    plat::TBitmap& Image() { return FImage; }
    const plat::TBitmap& Image() const { return FImage; }
    void SetImage(const plat::TBitmap& Value) { FImage.Assign(Value); }
    int Tag() const { return FTag; }
    void SetTag(int Value) { FTag = Value; }
    const QString& Name() const { return FName; }
    void SetName(const QString& Value) { FName = Value; }
    plat::TColor CaptionColor() const { return FCaptionColor; }
    void SetCaptionColor(plat::TColor Value) {
        if (FCaptionColor != Value) FCaptionColor = Value;
    }
    bool Special() const { return FSpecial; }
    void SetSpecial(bool Value) { FSpecial = Value; }

    // The button's rectangle in the panel: right and bottom are one past the last pixel.
    plat::TRect Rect() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
    void SetBounds(int Left, int Top, int Width, int Height) {
        FLeft = Left;
        FTop = Top;
        FWidth = Width;
        FHeight = Height;
    }

    // Caption, caption colour, tag, image index, image, enabled state and name; not the rectangle
    // nor the special flag.
    void Assign(const TButtonItem& Source);

private:
    QString FCaption;
    int FImageIndex = -1;
    bool FEnabled = true;
    plat::TBitmap FImage;
    int FTag = 0;
    int FHeight = 0, FLeft = 0, FWidth = 0, FTop = 0;
    QString FName;
    plat::TColor FCaptionColor = plat::clWhite;
    bool FSpecial = false;
};

class TButtonItems : public plat::TCollection<TButtonItem> {
public:
    explicit TButtonItems(TCustomButtonPanel* Owner) : FMyOwner(Owner) {}
    TCustomButtonPanel* Owner() const { return FMyOwner; }
    void SetItems(int Index, const TButtonItem& Value) { Items(Index).Assign(Value); }
    void Assign(const TButtonItems& Source);

private:
    TCustomButtonPanel* FMyOwner;
};

// The keys' colours and font. Only the font and the two text colours are painted; the colours are
// kept and copied for whoever styles the keypad.
class TButtonAppearance : public QObject {
public:
    TButtonAppearance();

#define DD_CALC_COLORS(X)                 \
    X(BorderColor, 0)                     \
    X(BorderColorHot, 0)                  \
    X(BorderColorDown, 0)                 \
    X(BorderColorChecked, 0)              \
    X(Color, 0x9A915F)                    \
    X(ColorTo, 0xB0A170)                  \
    X(ColorDown, 0x4B2F08)                \
    X(ColorDownTo, 0xADB514)              \
    X(ColorHot, 0x9F6F1C)                 \
    X(ColorHotTo, 0xD5C244)               \
    X(ColorCheckedTo, 0x94E6FB)           \
    X(ColorDisabled, 0xF2F2F2)            \
    X(ColorDisabledTo, plat::clNone)      \
    X(ColorChecked, 0x6FC0FF)             \
    X(GlowColorHot, 0xD5C244)             \
    X(GlowColorDown, 0xD5C244)            \
    X(TextColor, 0)                       \
    X(SpecialTextColor, 0x000080)

#define DD_CALC_ACCESS(Name, Default) \
    plat::TColor Name() const {       \
        return F##Name;               \
    }                                 \
    void Set##Name(plat::TColor Value);
    DD_CALC_COLORS(DD_CALC_ACCESS)
#undef DD_CALC_ACCESS

    // Stored without notice.
    plat::TColor ShineColor() const { return FShineColor; }
    void SetShineColor(plat::TColor Value) { FShineColor = Value; }
    const plat::TFont& Font() const { return FFont; }
    plat::TFont& Font() { return FFont; }
    void SetFont(const plat::TFont& Value) { FFont.Assign(Value); }

    // Every colour, the font and the text colours.
    void Assign(const TButtonAppearance& Source);

    plat::TNotifyEvent OnChange;

private:
#define DD_CALC_FIELD(Name, Default) plat::TColor F##Name = Default;
    DD_CALC_COLORS(DD_CALC_FIELD)
#undef DD_CALC_FIELD
    plat::TColor FShineColor = plat::clWhite;
    plat::TFont FFont;
};

enum TButtonPanelType : uint8_t { plCalculator, plCustom };

using TCalculatorButtonClickEvent = std::function<void(QObject* Sender, int Index)>;

class TExCalculatorDropdown;

class TCustomButtonPanel : public plat::TCustomControl {
public:
    explicit TCustomButtonPanel(QWidget* parent = nullptr);
    ~TCustomButtonPanel() override;

    TButtonItems& Buttons() { return *FButtons; }
    void SetButtons(const TButtonItems& Value) { FButtons->Assign(Value); }
    TItemLayout ButtonLayout() const { return FButtonLayout; }
    void SetButtonLayout(TItemLayout Value) { FButtonLayout = Value; }
    TSelectionColorStyle ItemColorStyle() const { return FItemColorStyle; }
    void SetItemColorStyle(TSelectionColorStyle Value) { FItemColorStyle = Value; }
    const plat::TImageList* Images() const { return FImages; }
    void SetImages(const plat::TImageList* Value);
    QWidget* Edit() const { return FEdit; }
    void SetEdit(QWidget* Value) { FEdit = Value; }
    TButtonPanelType ButtonPanelType() const { return FButtonPanelType; }
    void SetButtonPanelType(TButtonPanelType Value);
    TButtonAppearance& ButtonAppearance() { return *FButtonAppearance; }
    void SetButtonAppearance(const TButtonAppearance& Value) { FButtonAppearance->Assign(Value); }
    // The drop-down hosting the panel; none for a free-standing panel.
    TExCalculatorDropdown* DovUzerAdev() const { return FDovUzerAdev; }
    void SetDovUzerAdev(TExCalculatorDropdown* Value) { FDovUzerAdev = Value; }
    int ButtonHot() const { return FButtonHot; }
    int ButtonDown() const { return FButtonDown; }

    // The first button, in collection order, whose rectangle holds the point (right and bottom
    // edges excluded); -1 none.
    int ButtonAtPos(int X, int Y) const;
    void SetButtonHot(int Index);
    void SetButtonDown(int Index);
    // A component that goes away: the image list or the edit are let go.
    void Notification(const void* Component);
    // A free-standing panel fills its keypad once it is set up.
    void Loaded();

    TCalculatorButtonClickEvent OnButtonClick;

    // ---- The steps a descendant replaces, in their order ----
    virtual void DrawButton(int Index, plat::TCanvas& Canvas);
    virtual void GetButtonArea(plat::TRect& Rect);
    virtual void GetButtonSize(int& Width, int& Height);
    virtual void ClearButtons();
    virtual void ResetButtons();
    virtual void CreateCalculatorButtons();
    virtual void ArrangeButtons();
    virtual void InvalidateButton(int Index);
    virtual void DoButtonClick(int Index);

protected:
    void Paint() override;
    void MouseDown(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void MouseMove(plat::TShiftState Shift, int X, int Y) override;
    void MouseUp(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void MouseLeave() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The button's picture: its own image, else the image list's entry; null when none.
    bool pictureSize(const TButtonItem& Item, int& Width, int& Height) const;
    void drawPicture(plat::TCanvas& Canvas, const TButtonItem& Item, int X, int Y);

    std::unique_ptr<TButtonItems> FButtons;
    TItemLayout FButtonLayout = ilCaptionRight;
    TSelectionColorStyle FItemColorStyle = scOffice2007;
    int FButtonHot = -1;
    int FOffSetX = 8, FOffSetY = 8;
    int FButtonOffSetX = 4, FButtonOffSetY = 4;
    const plat::TImageList* FImages = nullptr;
    int FCaptionGap = 0;
    QWidget* FEdit = nullptr;
    TButtonPanelType FButtonPanelType = plCalculator;
    std::unique_ptr<TButtonAppearance> FButtonAppearance;
    int FButtonDown = -1;
    TExCalculatorDropdown* FDovUzerAdev = nullptr;
};

class TExCalculatorDropdown : public TExCustomDropDown {
public:
    ~TExCalculatorDropdown() override;

    TCustomButtonPanel* ButtonPanel() const { return FExButtonPanel; }
    TButtonAppearance& CalcButtonAppearance() { return *FCalcButtonAppearance; }
    void SetCalcButtonAppearance(const TButtonAppearance& Value) { FCalcButtonAppearance->Assign(Value); }
    bool ShowThousandSeparator() const { return FShowThousandSeparator; }
    void SetShowThousandSeparator(bool Value);

    // The display as a number (an empty display first becomes "0"; one that is not a number
    // reads 0); the write shows the value in "%g" through the edit's formatting.
    long double Value();
    void SetValue(long double Value);
    // Completes the pending operation as "=" does (the grid's editor calls it on Enter).
    void CalcResult();

    // The calculator itself, for what the keypad and the keys do.
    TCalculatorEngine& Engine() { return FEngine; }
    bool CalcClosed() const { return FCalcClosed; }

    // A keypad click (the panel's OnButtonClick).
    void ButtonPanelClick(QObject* Sender, int Index);

    void SetComponentStyle(TSkinStyle AStyle) override;
    void KeyPress(QChar& Key) override;

protected:
    explicit TExCalculatorDropdown(QWidget* parent = nullptr);
    friend class TExCustomDropDown;

    void Created() override;
    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    void DropDownFormKeyPress(QChar& Key) override;
    void DropDownFormKeyDown(uint16_t& Key, plat::TShiftState Shift) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    // Runs before every keypad action and every character typed on the open keypad.
    virtual void BeforeCalculate() {}

private:
    // The keypad is closed: never opened yet, or its pop-up is hidden.
    bool keypadClosed() const;
    // The engine changed the text model: the edit shows it.
    template <class F>
    void run(F&& body);

    TCustomButtonPanel* FExButtonPanel = nullptr;
    bool FCalcClosed = true;
    std::unique_ptr<TButtonAppearance> FCalcButtonAppearance;
    bool FShowThousandSeparator = false;
    TCalculatorEngine FEngine;
};

}  // namespace dropdowns
