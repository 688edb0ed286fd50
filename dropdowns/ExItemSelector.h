#pragma once
// The scrolling grid of selectable items the list pop-ups show: TExCustomItemSelector is the
// scroll box a drop-down places on its pop-up; it owns the items, their look and the settings and
// holds one TCustomItemSelector, the panel that lays the items out, paints them and tracks the
// hot and the selected item. Keys belong to the drop-downs: they call the selection and
// hot-tracking operations.
#include <QFont>
#include <QScrollArea>
#include <QSize>
#include <functional>

#include "dropdowns/DovUzerAdevEdit.h"
#include "platform/Bitmap.h"
#include "platform/Collection.h"
#include "platform/Controls.h"
#include "platform/Font.h"

namespace dropdowns {

class TSelectorItems;

class TSelectorItem : public plat::TCollectionItem {
public:
    const QString& Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value) { FEnabled = Value; }
    plat::TColor Color() const { return FColor; }
    void SetColor(plat::TColor Value);
    // The item's own picture; it wins over the image list when not empty.
    const plat::TBitmap& Image() const { return FImage; }
    void SetImage(const plat::TBitmap& Value) { FImage.Assign(Value); }
    // The item's cell in panel coordinates, written by the layout.
    const plat::TRect& Rect() const { return FRect; }
    void SetRect(const plat::TRect& Value) { FRect = Value; }
    const QString& Hint() const { return FHint; }
    void SetHint(const QString& Value) { FHint = Value; }
    void Assign(const TSelectorItem& Source);

private:
    void Changed();
    QString FCaption;
    int FImageIndex = -1;
    bool FEnabled = true;
    plat::TColor FColor = plat::clNone;
    plat::TBitmap FImage;
    plat::TRect FRect{};
    QString FHint;
};

// Adding, inserting, deleting and clearing report through OnChange like an item's change; between
// BeginUpdate and EndUpdate the reports wait and EndUpdate gives one.
class TSelectorItems : public plat::TCollection<TSelectorItem> {
public:
    explicit TSelectorItems(QObject* Owner = nullptr) : FMyOwner(Owner) {}
    QObject* Owner() const { return FMyOwner; }
    TSelectorItem& Add();
    TSelectorItem& Insert(int Index);
    void Delete(int Index);
    void Clear();
    void Assign(const TSelectorItems& Source);
    void BeginUpdate() { ++updates_; }
    void EndUpdate();
    void Changed();

    plat::TNotifyEvent OnChange;

private:
    QObject* FMyOwner;
    int updates_ = 0;
    bool pending_ = false;
};

// The colours of hot and selected items. The colour fields are plain stores.
class TItemAppearance {
public:
    explicit TItemAppearance(QObject* Owner = nullptr);
    QObject* Owner() const { return FOwner; }

    plat::TColor ColorMirrorHotTo = plat::clNone;
    plat::TColor BorderColor = plat::clNone;
    plat::TColor ColorMirrorHot = plat::clNone;
    plat::TColor ColorSelectedTo = plat::clNone;
    plat::TColor ColorSelected = plat::clNone;
    plat::TColor EdgeColor = plat::clNone;
    plat::TColor ColorHotTo = plat::clNone;
    plat::TColor BorderColorBottom = plat::clNone;
    plat::TColor ColorHot = plat::clNone;
    plat::TColor BorderColorTop = plat::clNone;
    plat::TColor ColorMirrorSelectedTo = plat::clNone;
    plat::TColor ColorMirrorSelected = plat::clNone;
    plat::TColor ColorSelectedText = plat::clBlack;
    plat::TColor ColorHotText = plat::clBlack;
    plat::TColor BorderColorHot = plat::clNone;       // a colour: a plain border for the hot item
    plat::TColor BorderColorSelected = plat::clNone;  // a colour: a plain border for the selected item

    TSelectionColorStyle ColorStyle() const { return FColorStyle; }
    // Nothing for the current style; otherwise stores it and, for a named style, sets its twelve
    // colours.
    void ApplyColorStyle(TSelectionColorStyle Style);
    const plat::TFont& Font() const { return FFont; }
    plat::TFont& Font() { return FFont; }
    void SetFont(const plat::TFont& Value) { FFont.Assign(Value); }
    // The twelve colours, the font, then the source's colour style (which puts its preset over the
    // copied colours when the styles differ), then the text and plain-border colours.
    void Assign(const TItemAppearance& Source);

    plat::TNotifyEvent OnChange;

private:
    QObject* FOwner;
    TSelectionColorStyle FColorStyle = scCustom;
    plat::TFont FFont;
};

enum TSelectorType : uint8_t { stImage, stColor };

using TDrawItemEvent = std::function<void(QObject* Sender, plat::TCanvas& Canvas, plat::TRect& R, int Index)>;
using TItemSizeEvent = std::function<void(QObject* Sender, QSize& ASize)>;

class TCustomItemSelector;

class TExCustomItemSelector : public QScrollArea {
public:
    explicit TExCustomItemSelector(QWidget* parent = nullptr);
    ~TExCustomItemSelector() override;

    TCustomItemSelector* Panel() const { return FItemSelectorPanel; }
    void UpdateSelectorPanel();

    plat::TColor Color() const { return FColor; }
    void SetColor(plat::TColor Value);
    int Columns() const { return FColumns; }
    void SetColumns(int Value);
    TSelectorItems& Items() { return *FItems; }
    const TSelectorItems& Items() const { return *FItems; }
    void SetItems(const TSelectorItems& Value) { FItems->Assign(Value); }
    TSelectorType SelectorType() const { return FSelectorType; }
    void SetSelectorType(TSelectorType Value);
    // Takes effect at the next layout.
    TItemLayout ItemLayout() const { return FItemLayout; }
    void SetItemLayout(TItemLayout Value) { FItemLayout = Value; }
    const plat::TImageList* Images() const { return FImages; }
    void SetImages(const plat::TImageList* Value);
    TItemAppearance& ItemAppearance() { return *FItemAppearance; }
    void SetItemAppearance(const TItemAppearance& Value) { FItemAppearance->Assign(Value); }
    int ColorBoxWidth() const { return FColorBoxWidth; }
    void SetColorBoxWidth(int Value);
    int ColorBoxHeight() const { return FColorBoxHeight; }
    void SetColorBoxHeight(int Value);

    int ItemIndex() const;
    void SetItemIndex(int Value);
    int ItemHot() const;
    void SelectFirst();
    void SelectLast();
    void SelectNext();
    void SelectPrevious();
    void HotNext();
    void HotPrevious();
    bool LookupItem(const QString& S);
    // Scrolls the vertical bar (when there is one) so that the item is in view.
    void ScrollItemInView(int Index);
    // Whole rows that fit times the columns; 0 without items.
    int GetVisibleItemCount() const;
    // The panel's size; 100 x 50 without a panel.
    void GetPanelSize(int& Width, int& Height) const;
    // The image list goes away.
    void Notification(const void* Component);
    bool VerticalScrollBarShown() const;
    bool HorizontalScrollBarShown() const;
    // What the vertical bar takes from the viewport's width when it shows, as the scroll area
    // lays it out (the bar's own size, which a style may make wider than its extent metric).
    int VerticalScrollBarRoom() const;

    plat::TNotifyEvent OnItemSelect;
    TDrawItemEvent OnDrawItem;
    TItemSizeEvent OnItemSize;
    plat::TNotifyEvent OnResize;

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Keys are the drop-down's: the box does not scroll by them.
    void keyPressEvent(QKeyEvent* event) override;

private:
    TSelectorItems* FItems = nullptr;
    TSelectorType FSelectorType = stImage;
    TItemLayout FItemLayout = ilCaptionRight;
    int FColumns = 1;
    int FColorBoxWidth = 14, FColorBoxHeight = 14;
    const plat::TImageList* FImages = nullptr;
    TCustomItemSelector* FItemSelectorPanel = nullptr;
    TItemAppearance* FItemAppearance = nullptr;
    plat::TColor FColor = plat::clWindow;
};

class TCustomItemSelector : public plat::TCustomControl {
public:
    // Owner must be a TExCustomItemSelector ("Invalid parent" otherwise).
    explicit TCustomItemSelector(QObject* Owner);

    TExCustomItemSelector* ExItemSelector() const { return FExItemSelector; }
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int Value);
    int ItemHot() const { return FItemHot; }
    void SetItemHot(int Index);
    void SelectFirst();
    void SelectLast();
    void SelectNext();
    void SelectPrevious();
    void HotNext();
    void HotPrevious();
    // S (upper case) against each caption without tags, trimmed and in upper case.
    bool LookupItem(const QString& S);
    // The first item whose cell holds the point; -1 none.
    int ItemAtPos(int X, int Y) const;

    virtual void DrawItem(int Index, plat::TCanvas& Canvas);
    virtual void GetItemArea(plat::TRect& R);
    virtual void GetItemSize(QSize& Size);
    virtual void InvalidateItem(int Index);
    virtual void ArrangeItems();
    // The items changed: their captions are measured again at the next layout.
    void CaptionsChanged() { captionsMeasured_ = false; }

    plat::TNotifyEvent OnItemSelect;

    static constexpr int FOffSetX = 2, FOffSetY = 2;          // panel edge to the item grid
    static constexpr int FItemOffSetX = 4, FItemOffSetY = 4;  // inside each cell
    static constexpr int FCaptionGap = 4;                     // content to caption

protected:
    void Paint() override;
    void paintEvent(QPaintEvent* event) override;
    void MouseMove(plat::TShiftState Shift, int X, int Y) override;
    void MouseDown(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void MouseLeave() override;

private:
    // The item drawn now, outside a paint event: the panel repaints its cell at once.
    void drawNow(int Index);
    TSelectorItems& items() const { return FExItemSelector->Items(); }
    int count() const { return FExItemSelector->Items().Count(); }
    bool enabledItem(int Index) const;

    int FItemIndex = -1;
    int FItemHot = -1;
    TExCustomItemSelector* FExItemSelector;
    QRect paintRect_;  // the part being painted: items outside it are skipped
    // The widest and highest caption, measured once per change of the items, the font or the
    // image list (a layout runs at every fill, setting and opening; measuring is the HTML
    // renderer's work over every caption).
    bool captionsMeasured_ = false;
    QFont captionFont_;
    const plat::TImageList* captionImages_ = nullptr;
    QSize captionExtent_;
};

// Sizing a picker's pop-up around its list after the base sizing: with no DropDownWidth of
// its own the pop-up's border stands outside the cells, and a vertical bar (the panel taller
// than the room under the header) stands beside them, so no cell is cut or scrolled sideways.
void GrowForTheList(TExCustomDropDown& Edit, TExCustomItemSelector& List, int PanelHeight);

}  // namespace dropdowns
