#pragma once
// The colour picker's panels, each placed on its pop-up in one of its styles:
// - TCustomColorSelector: a palette of fixed colour boxes, a row of base colours over columns of
//   shades, driven by mouse and by the keys the picker passes on;
// - TExColorCubePanel: 127 hexagonal cells in a honeycomb, with an optional red-green-blue hint;
// - TExColorSpectrumPanel: a spectrum picture whose pixel under the mouse is previewed beside the
//   current colour and taken on a press.
// The panels paint only from their own state; every change of a mark invalidates the cells it
// touched.
#include <QImage>
#include <QKeyEvent>
#include <QSize>
#include <array>
#include <cstdint>
#include <functional>

#include "dropdowns/DovUzerAdevEdit.h"
#include "dropdowns/DropDownCompletion.h"
#include "dropdowns/ExItemSelector.h"
#include "platform/Canvas.h"
#include "platform/Collection.h"
#include "platform/Colors.h"
#include "platform/Controls.h"
#include "platform/Events.h"

namespace dropdowns {

// Where a palette box stands in its column of shades; it decides which border lines it gets.
enum TItemPos : uint8_t { ipStandAlone, ipTop, ipMiddle, ipBottom };

// The base of the three panels. FOnShouldHide is raised when a pick by mouse is complete (the
// button released), for an owner that wants to close its pop-up then.
class TExCustomColorSelectorPanel : public plat::TCustomControl {
    Q_OBJECT
public:
    explicit TExCustomColorSelectorPanel(QWidget* parent = nullptr);

    plat::TColor Color() const { return color_; }
    void SetColor(plat::TColor c);

    plat::TNotifyEvent FOnShouldHide;

protected:
    void PaintBackground();

private:
    plat::TColor color_ = plat::clBtnFace;
};

// ---------------------------------------------------------------------------------------------
// The honeycomb.

struct TCubeCell {
    int X = 0, Y = 0;  // centre
    plat::TColor Color = plat::clNone;
};

class TExColorCubePanel : public TExCustomColorSelectorPanel {
    Q_OBJECT
public:
    static constexpr int CellCount = 127;
    static constexpr QPoint CubeSize{6, 3};  // half width (and hit radius), half height of the sides

    explicit TExColorCubePanel(QWidget* parent = nullptr);

    // Cells are numbered 1 to CellCount.
    const TCubeCell& Cell(int index) const { return FCubeCells[std::size_t(index - 1)]; }
    // Sets every cell's centre and colour from the fixed table.
    void InitializeCells();
    // Before the panel is shown: no hot cell and the panel's own size.
    void PrepareShow();

    plat::TColor SelectedColor() const { return FSelectedColor; }
    // Marks the first cell of exactly that colour, none when the table lacks it.
    void SetSelectedColor(plat::TColor c);
    bool ShowRGBHint() const { return FShowRGBHint; }
    void SetShowRGBHint(bool on);
    int SelectedIndex() const { return FSelectedIndex; }
    int HotIndex() const { return FHotIndex; }
    // The first cell (in number order) whose centre is within CubeSize.x() of the point; -1 none.
    int CellAt(int X, int Y) const;

    plat::TNotifyEvent OnSelect;

protected:
    void Paint() override;
    void MouseMove(plat::TShiftState Shift, int X, int Y) override;
    void MouseDown(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void MouseUp(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    bool event(QEvent* e) override;

private:
    void DrawCell(plat::TCanvas& canvas, int index);
    void InvalidateCell(int index);

    std::array<TCubeCell, CellCount> FCubeCells{};
    plat::TColor FSelectedColor = plat::clNone;
    int FSelectedIndex = -1;
    int FHotIndex = -1;
    bool FShowRGBHint = true;
};

// ---------------------------------------------------------------------------------------------
// The spectrum.

// The 128 x 128 spectrum: the hue turns once from red at the left edge, fully saturated in rows
// 63 and 64, fading to white at the top row and to black at the bottom row.
const QImage& SpectrumPicture();

class TExColorSpectrumPanel : public TExCustomColorSelectorPanel {
    Q_OBJECT
public:
    static constexpr int PictureSize = 128;

    explicit TExColorSpectrumPanel(QWidget* parent = nullptr);

    // Before the panel is shown: its size, the picture centred at the top, the two swatches below
    // it and no hot colour.
    void PrepareShow();

    plat::TColor SelectedColor() const { return FSelectedColor; }
    void SetSelectedColor(plat::TColor c);
    plat::TColor HotColor() const { return FHotColor; }
    plat::TRect SelectedRect() const { return FSelectedRect; }
    plat::TRect HotRect() const { return FHotRect; }
    plat::TControl* SpectrumImage() const { return FSpectrumImage; }

    plat::TNotifyEvent OnSelect;

protected:
    void Paint() override;

private:
    void ImageMouseMove(int X, int Y);
    void ImageMouseDown(int X, int Y);
    void ImageMouseUp();
    void DrawSwatch(const plat::TRect& r, plat::TColor c);
    bool TakeHotColor(int X, int Y);

    plat::TControl* FSpectrumImage = nullptr;  // a child, freed with the panel
    plat::TColor FHotColor = plat::clNone;
    plat::TColor FSelectedColor = plat::clWhite;
    plat::TRect FHotRect{}, FSelectedRect{};
};

// ---------------------------------------------------------------------------------------------
// The palette.

class TCustomColorSelector;

class TColorBoxItem : public plat::TCollectionItem {
public:
    TColorBoxItem() = default;

    plat::TColor Color() const { return FColor; }
    // Tells the collection when the colour really changes.
    void SetColor(plat::TColor c);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool on) { FEnabled = on; }
    TItemPos ColorBoxPos() const { return FColorBoxPos; }
    void SetColorBoxPos(TItemPos p) { FColorBoxPos = p; }
    // The box's cell, set by the layout.
    plat::TRect Rect() const { return FRect; }
    void SetRect(const plat::TRect& r) { FRect = r; }

    // Takes colour, enabled flag and position; the cell comes from the next layout.
    void Assign(const TColorBoxItem& source);

private:
    plat::TColor FColor = plat::clNone;
    bool FEnabled = true;
    plat::TRect FRect{};
    TItemPos FColorBoxPos = ipStandAlone;
};

class TColorBoxItems : public plat::TCollection<TColorBoxItem> {
public:
    explicit TColorBoxItems(TCustomColorSelector* owner) : FMyOwner(owner) {}
    TCustomColorSelector* Owner() const { return FMyOwner; }
    void Assign(const TColorBoxItems& source);
    // Raised when an item's colour changes (sender: the owning palette).
    plat::TNotifyEvent OnChange;

private:
    friend class TColorBoxItem;
    void Changed();
    TCustomColorSelector* FMyOwner;
};

// The outline colours of the palette's boxes; plain stores.
class TColorBoxAppearance {
public:
    TColorBoxAppearance() { Reset(); }
    // The colours a new appearance has.
    void Reset();
    void Assign(const TColorBoxAppearance& source);

    plat::TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(plat::TColor c) { FBorderColor = c; }
    plat::TColor OuterBorderColorHot() const { return FOuterBorderColorHot; }
    void SetOuterBorderColorHot(plat::TColor c) { FOuterBorderColorHot = c; }
    plat::TColor InnerBorderColorHot() const { return FInnerBorderColorHot; }
    void SetInnerBorderColorHot(plat::TColor c) { FInnerBorderColorHot = c; }
    plat::TColor OuterBorderColorSelected() const { return FOuterBorderColorSelected; }
    void SetOuterBorderColorSelected(plat::TColor c) { FOuterBorderColorSelected = c; }
    plat::TColor InnerBorderColorSelected() const { return FInnerBorderColorSelected; }
    void SetInnerBorderColorSelected(plat::TColor c) { FInnerBorderColorSelected = c; }

    plat::TNotifyEvent OnChange;

private:
    plat::TColor FBorderColor = plat::clNone;
    plat::TColor FOuterBorderColorHot = plat::clNone, FInnerBorderColorHot = plat::clNone;
    plat::TColor FOuterBorderColorSelected = plat::clNone, FInnerBorderColorSelected = plat::clNone;
};

class TCustomColorSelector : public TExCustomColorSelectorPanel {
    Q_OBJECT
public:
    explicit TCustomColorSelector(QWidget* parent = nullptr);

    // Replaces the boxes by the 60 of the standard palette (10 a row); ArrangeItems places them.
    void FillDefaultPalette();

    TColorBoxAppearance& ColorBoxAppearance() { return FColorBoxAppearance; }
    void SetColorBoxAppearance(const TColorBoxAppearance& a) { FColorBoxAppearance.Assign(a); }
    TColorBoxItems& Items() { return FItems; }
    const TColorBoxItems& Items() const { return FItems; }
    // Copies the boxes and lays them out.
    void SetItems(const TColorBoxItems& items);

    int ItemIndex() const { return FItemIndex; }
    // Selects a box (-1: none) and raises OnItemSelect for a box, also when it was already
    // selected; a disabled box or an index past the boxes is refused.
    void SetItemIndex(int index);
    int ItemHot() const { return FItemHot; }
    void SetItemHot(int index);

    int Columns() const { return FColumns; }
    void SetColumns(int n);
    int ColumnGap() const { return FColumnGap; }
    void SetColumnGap(int n);
    int ColorBoxWidth() const { return FColorBoxWidth; }
    void SetColorBoxWidth(int n);
    int ColorBoxHeight() const { return FColorBoxHeight; }
    void SetColorBoxHeight(int n);
    TSelectionColorStyle ItemColorStyle() const { return FItemColorStyle; }
    void SetItemColorStyle(TSelectionColorStyle s);

    plat::TColor SelectedColor() const { return FSelectedColor; }
    // Selects the first box of exactly that colour, or clears the selection when there is none.
    void SetSelectedColor(plat::TColor c);

    // The picker's keys: the virtual key, whether its editor takes typing and whether its pop-up
    // is open (the arrows then move through the grid of boxes instead of the row).
    void HandleKeyDown(uint16_t Key, bool EditorEnabled, bool DroppedDown);
    void SelectNext();
    void SelectPrevious();
    void HotNext();
    void HotPrevious();

    // The box under the point, -1 none.
    int ItemAt(int X, int Y) const;

    virtual void DrawItem(int Index, plat::TCanvas& Canvas);
    virtual void GetItemArea(plat::TRect& R);
    virtual void GetItemSize(QSize& Size);
    // Places the boxes row by row and sizes the panel to them.
    virtual void ArrangeItems();
    virtual void InvalidateItem(int Index);

    plat::TNotifyEvent OnItemSelect;

protected:
    void Paint() override;
    void MouseMove(plat::TShiftState Shift, int X, int Y) override;
    void MouseDown(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void MouseLeave() override;

private:
    bool Selectable(int index) const;

    int FItemIndex = -1;
    int FItemHot = -1;
    int FOffSetX = 4, FOffSetY = 4;
    int FColumns = 10;
    int FColumnGap = 4;
    int FColorBoxHeight = 12, FColorBoxWidth = 12;
    TColorBoxAppearance FColorBoxAppearance;
    TColorBoxItems FItems;
    TSelectionColorStyle FItemColorStyle = scCustom;
    plat::TColor FSelectedColor = plat::clNone;
};

// ---------------------------------------------------------------------------------------------
// The colour picker drop-down.

// The pop-up's content: the named colours, the palette, the honeycomb or the spectrum.
enum TColorSelectionStyle : uint8_t { csList, csDiscrete, csColorCube, csSpectrum };
// How the face names a colour that is not a selected list item.
enum TColorValueText : uint8_t { cvtNone, cvtHex, cvtWebName, cvtRGB, cvtHTML };

using TOnDrawSelectedItem = std::function<void(QObject* Sender, plat::TCanvas& Canvas, plat::TRect& R)>;

class TColorItem : public plat::TCollectionItem {
public:
    const QString& Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    plat::TColor Color() const { return FColor; }
    void SetColor(plat::TColor Value);
    bool Enabled() const { return FEnabled; }
    const QString& Hint() const { return FHint; }
    void SetHint(const QString& Value) { FHint = Value; }
    void Assign(const TColorItem& Source);

private:
    void Changed();
    QString FCaption;
    plat::TColor FColor = plat::clNone;
    bool FEnabled = true;
    plat::TRect FRect{};  // not used by the picker
    QString FHint;
};

class TColorItems : public plat::TCollection<TColorItem> {
public:
    explicit TColorItems(QObject* Owner = nullptr) : FMyOwner(Owner) {}
    QObject* Owner() const { return FMyOwner; }
    TColorItem& Add() { return Insert(Count()); }
    TColorItem& Insert(int Index);
    void Delete(int Index);
    void Clear();
    void Assign(const TColorItems& Source);
    void Changed();

    plat::TNotifyEvent OnChange;

private:
    QObject* FMyOwner;
};

// The text forms of a colour; Value is a stored colour (blue in the high byte).
QString ColorValueText(plat::TColor Value, TColorValueText Form);

class TExColorPickerDropDown : public TExCustomDropDown {
public:
    explicit TExColorPickerDropDown(QWidget* parent = nullptr);
    ~TExColorPickerDropDown() override;

    // Appends the 16 standard colours, Black to White.
    void AddDefaultColors();

    TColorItems& Colors() { return *FColors; }
    void SetColors(const TColorItems& Value) { FColors->Assign(Value); }
    int ItemIndex() const { return FItemIndex; }
    // Every write raises OnSelect, also of the current index; -1 keeps the colour.
    void SetItemIndex(int Value);
    plat::TColor SelectedColor() const { return FSelectedColor; }
    void SetSelectedColor(plat::TColor Value);
    virtual QString SelectedColorText() const;

    int Columns() const { return FColumns; }
    void SetColumns(int Value) { FColumns = Value; }
    TItemLayout Layout() const { return FLayout; }
    void SetLayout(TItemLayout Value) { FLayout = Value; }
    int ColorBoxWidth() const { return FColorBoxWidth; }
    void SetColorBoxWidth(int Value) { FColorBoxWidth = Value; }
    int ColorBoxHeight() const { return FColorBoxHeight; }
    void SetColorBoxHeight(int Value) { FColorBoxHeight = Value; }
    TColorSelectionStyle ColorSelectionStyle() const { return FColorSelectionStyle; }
    void SetColorSelectionStyle(TColorSelectionStyle Value);
    bool ShowText() const { return FShowText; }
    void SetShowText(bool Value);
    TColorValueText ColorValueText() const { return FColorValueText; }
    void SetColorValueText(TColorValueText Value);
    TItemAppearance& ItemAppearance() { return *FItemAppearance; }
    void SetItemAppearance(const TItemAppearance& Value) { FItemAppearance->Assign(Value); }

    TExCustomItemSelector* ItemSelector() const { return FItemSelector; }
    TExColorCubePanel* ColorCubePanel() const { return FColorCubePanel; }
    TExColorSpectrumPanel* SpectrumPanel() const { return FSpectrumPanel; }
    TCustomColorSelector* ColorSelector() const { return FColorSelector; }

    // Copies the colours and the list settings into the list.
    void UpdateItemSelector();

    void SetComponentStyle(TSkinStyle AStyle) override;
    void KeyDown(uint16_t& Key, plat::TShiftState Shift) override;

    plat::TNotifyEvent OnSelect;
    TOnDrawSelectedItem OnDrawSelectedColor;
    std::function<void(QObject* Sender, plat::TCanvas& Canvas, plat::TRect& R, int Index)> OnDrawColor;

protected:
    void Created() override;
    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    void PlaceDropDownControl() override;
    void UpdateDropDownSize() override;
    void DoShowDropDown() override;
    void DoHideDropDown(bool Cancelled) override;
    void DropDownFormDestroy() override;
    void HandleMouseWheelDown() override;
    void HandleMouseWheelUp() override;
    void SetSelectionColorStyle(TSelectionColorStyle Value) override;
    void Paint() override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Creates the style's panel when missing and makes it the pop-up's control.
    void PreparePanel(TColorSelectionStyle Style);
    // Hides the other panels and wires the style's panel to the picker.
    void WirePanel(TColorSelectionStyle Style);
    QWidget* StylePanel() const;
    void ListSelect();
    void DiscreteSelect();
    void PanelSelect(plat::TColor Color);
    void PaintSelectedColor(plat::TCanvas& Canvas);
    // The list holds the colours (a typed key can come before the first opening).
    void FillListIfStale();
    void MoveList(int Target);
    template <class F>
    void Internal(F f) {
        const bool was = std::exchange(FInternalCall, true);
        f();
        FInternalCall = was;
    }

    TExCustomItemSelector* FItemSelector = nullptr;
    TExColorCubePanel* FColorCubePanel = nullptr;
    TExColorSpectrumPanel* FSpectrumPanel = nullptr;
    TCustomColorSelector* FColorSelector = nullptr;
    int FColumns = 1;
    TItemLayout FLayout = ilCaptionRight;
    TColorItems* FColors;
    int FItemIndex = -1;
    int FColorBoxWidth = 14, FColorBoxHeight = 14;
    TColorSelectionStyle FColorSelectionStyle = csList;
    plat::TColor FSelectedColor = plat::clNone;
    bool FShowText = true;
    TItemAppearance* FItemAppearance;
    bool FInternalCall = false;
    TTypeAhead FCurSearch;
    int FOldItemIndex = -1;
    plat::TColor FOldSelectedColor = plat::clNone;
    TColorValueText FColorValueText = cvtNone;
    QString lastKeyText_;  // the character of the key being handled
};

}  // namespace dropdowns
