#pragma once
// A drop-down offering items with one text per column. The edit shows the item's text in the
// lookup column; typing completes from the lookup texts, the arrow keys and the wheel step
// through the items, and characters typed in the pop-up search the items incrementally.
#include <QStringList>

#include "dropdowns/DovUzerAdevEdit.h"
#include "dropdowns/DropDownCompletion.h"
#include "platform/Alignment.h"
#include "platform/Collection.h"
#include "platform/Font.h"
#include "platform/StringGrid.h"

namespace dropdowns {

enum TColumnType : uint8_t { ctText, ctImage };

class TDropDownColumn : public plat::TCollectionItem {
public:
    bool Wordwrap = false;
    int Width = 80;
    bool AutoSize = false;
    QString Header;
    plat::TAlignment Alignment = plat::taLeftJustify;
    plat::TColor Color = plat::clWhite;
    TColumnType ColumnType = ctText;
    bool Ellipsis = false;
    plat::TFont& Font() { return FFont; }
    const plat::TFont& Font() const { return FFont; }
    void SetFont(const plat::TFont& Value) { FFont.Assign(Value); }
    void Assign(const TDropDownColumn& Source);

private:
    plat::TFont FFont;
};

class TDropDownItem : public plat::TCollectionItem {
public:
    int ImageIndex = -1;
    // One entry per column; fewer entries than columns are allowed.
    QStringList& Text() { return FText; }
    const QStringList& Text() const { return FText; }
    void SetText(const QStringList& Value) { FText = Value; }
    void Assign(const TDropDownItem& Source);
    // The entry of the column; empty when the item has none there.
    QString Entry(int Column) const { return Column >= 0 && Column < FText.size() ? FText[Column] : QString(); }

private:
    QStringList FText;
};

template <class T>
class TDropDownCollection : public plat::TCollection<T> {
public:
    explicit TDropDownCollection(QObject* Owner = nullptr) : FMyOwner(Owner) {}
    QObject* Owner() const { return FMyOwner; }
    T& Add() { return plat::TCollection<T>::Add(); }
    T& Insert(int Index) { return plat::TCollection<T>::Insert(Index); }
    void SetItems(int Index, const T& Value) { this->Items(Index).Assign(Value); }
    void Assign(const TDropDownCollection& Source) {
        if (&Source == this) return;
        this->Clear();
        for (int i = 0; i < Source.Count(); ++i) Add().Assign(Source.Items(i));
    }
    plat::TNotifyEvent OnChange;  // no operation raises it

private:
    QObject* FMyOwner;
};

using TDropDownColumns = TDropDownCollection<TDropDownColumn>;

class TDropDownItems : public TDropDownCollection<TDropDownItem> {
public:
    using TDropDownCollection::TDropDownCollection;
    // The first item whose entry in the column equals Value (case counts); items without an
    // entry there are skipped; -1 none.
    int IndexInColumn(int Column, const QString& Value) const;
};

class TExMultiColumnDropDown;

// The pop-up's grid: a header row over one row per item, drawn by the grid itself (the string
// grid draws no lines and its cells abut).
class TExColGrid : public plat::TStringGrid {
public:
    explicit TExColGrid(QWidget* parent = nullptr);

    TDropDownColumns& Columns() { return FColumns; }
    plat::TColor HeaderColor = plat::clWhite;
    plat::TColor HeaderColorTo = 0x808080;
    plat::TColor LineColor = 0x808080;
    plat::TColor FixedLineColor = plat::clNone;
    int HeaderHeight = 25;
    plat::TFont& HeaderFont() { return FHeaderFont; }
    const plat::TImageList* Images = nullptr;
    // The lines this grid draws itself; the string grid's own stay at 0.
    int GridLineWidth() const { return FGridLineWidth; }
    void SetGridLineWidth(int Value);
    bool ConfirmSelection() const { return FConfirmSelection; }
    bool MouseWheelSelection() const { return FMouseWheelSelection; }

    // Twice the border and every column, plus a vertical scroll bar when rows are hidden.
    int GetGridWidth() const;
    // Fills the grid from the drop-down at an opening.
    void UpdateFromDropDown(TExMultiColumnDropDown* DropDown);
    void SizeColumnToText(int Index);
    void SizeAutoSizeColumns();
    void SizeWrappedRows();
    int ScrollBarWidth() const;

    plat::TNotifyEvent OnSelect;

protected:
    void DrawCell(int ACol, int ARow, const plat::TRect& ARect, plat::TGridDrawState AState) override;
    void KeyDown(uint16_t& Key, plat::TShiftState Shift) override;
    void MouseDown(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    void MouseUp(plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y) override;
    bool DoMouseWheelDown(plat::TShiftState Shift, QPoint MousePos) override;
    bool DoMouseWheelUp(plat::TShiftState Shift, QPoint MousePos) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void Select();
    bool inPopup() const;
    TExMultiColumnDropDown* FDovUzerAdev = nullptr;
    TDropDownColumns FColumns{this};
    plat::TFont FHeaderFont;
    int FGridLineWidth = 1;
    bool FMouseWheelSelection = false;
    bool FConfirmSelection = false;
};

class TExMultiColumnDropDown : public TExCustomDropDown {
public:
    explicit TExMultiColumnDropDown(QWidget* parent = nullptr);
    ~TExMultiColumnDropDown() override;

    // ---- Items and lookup ----
    TDropDownItems& Items() { return FItems; }
    void SetItems(const TDropDownItems& Value) { FItems.Assign(Value); }
    TDropDownColumns& Columns() { return FColumns; }
    void SetColumns(const TDropDownColumns& Value) { FColumns.Assign(Value); }
    int RowCount() const { return FItems.Count(); }
    int LookupColumn() const { return FLookupColumn; }
    void SetLookupColumn(int Value) { FLookupColumn = Value; }
    // Nothing: the lookup list waits for EndUpdate.
    void BeginUpdate() {}
    // Rebuilds the lookup list from the items (unless LookupColumn is negative or there are none).
    void EndUpdate();
    void Loaded() { EndUpdate(); }
    const QStringList& LookupItems() const { return FLookupItems; }
    // The first item whose lookup text equals Value (case counts); -1 none. An item without an
    // entry at LookupColumn has the empty lookup text.
    int GetItemIndex(const QString& Value) const;
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int Value);
    // The first lookup text starting with Text (folded unless CaseSensitive); an empty Text
    // matches nothing.
    bool FindPrefixMatch(const QString& Text, QString& Found, int& Row);
    // A character typed while the pop-up's list has the focus: searched incrementally.
    void LookupKey(QChar Key, plat::TShiftState Shift);
    const QString& LookupEntry() const { return FLookupEntry; }

    // ---- Settings ----
    bool MatchCase = false;
    bool CaseSensitive = false;
    bool ReturnIsTab = false;
    bool ColumnSizing = false;
    bool DropDownAutoWidth = true;
    bool ColumnSizeWithDropDown = true;
    int HeaderHeight = 25;
    int DropDownRowHeight = 22;
    plat::TColor HeaderColor = plat::clWhite;
    plat::TColor HeaderColorTo = 0x808080;
    plat::TColor LineColor = 0xC0C0C0;
    plat::TColor FixedLineColor = plat::clNone;
    plat::TColor SelectionTextColor = plat::clBlack;
    plat::TFont& HeaderFont() { return FHeaderFont; }
    void SetHeaderFont(const plat::TFont& Value) { FHeaderFont.Assign(Value); }

    void Assign(const TExCustomDropDown& Source);
    void SetComponentStyle(TSkinStyle AStyle) override;
    void SetSelectionColorStyle(TSelectionColorStyle Value) override;
    void KeyDown(uint16_t& Key, plat::TShiftState Shift) override;
    void KeyUp(uint16_t& Key, plat::TShiftState Shift) override;
    void KeyPress(QChar& Key) override;

    plat::TNotifyEvent OnSelect;
    // Replaces the whole drawing of a pop-up cell.
    std::function<void(QObject* Sender, int Column, int Row, plat::TCanvas& Canvas, const plat::TRect& Rect)>
        OnDropDownDrawItem;
    // May change the text drawn in a pop-up cell.
    std::function<void(QObject* Sender, int Column, int Row, QString& Text)> OnDropDownGetItemText;

    TExColGrid* Grid() const { return FExColGrid; }
    // The columns scaled to the pop-up's width (with ColumnSizeWithDropDown).
    void SizeColumnsToDropDown();
    // What the grid shows for a data cell.
    void DrawSelectionCell(plat::TCanvas& Canvas, const plat::TRect& R, plat::TColor BackColor, uint8_t Position) {
        DrawSelection(Canvas, R, BackColor, Position);
    }
    void DrawHeaderGradient(plat::TCanvas& Canvas, const plat::TRect& R) {
        DrawDropDownGradient(Canvas, HeaderColor, HeaderColorTo, 80, R, true);
    }

protected:
    void Created() override;
    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    void UpdateDropDownSize() override;
    void PlaceDropDownControl() override;
    void AdjustDropDownHeight(int& Height) override;
    void DoShowDropDown() override;
    void DoHideDropDown(bool Cancelled) override;
    void DropDownFormSizing() override;
    void ControlKeyDown(uint16_t& Key, plat::TShiftState Shift) override;
    void ControlKeyUp(uint16_t& Key, plat::TShiftState Shift) override;
    void ControlKeyPress(QChar& Key) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void DoChange() override;
    void HandleMouseWheelDown() override;
    void HandleMouseWheelUp() override;

private:
    // The lookup list folded for completion (MatchCase), at most once per rebuild of the list.
    const TCompletionList& lookupList(bool Exact);
    // The stepping of the arrow keys: Delta items on, held inside the items.
    void Step(int Delta);
    // The lookup list's entry equal to the text in any case; -1 none.
    int lookupIndexAnyCase(const QString& Text) const;

    void GridSelectCell(int Row);
    // The grid's current row follows the incremental search.
    void showRow(int Item);
    void GridSelect();

    TExColGrid* FExColGrid = nullptr;
    bool FShowing = false;
    TDropDownItems FItems{this};
    TDropDownColumns FColumns{this};
    plat::TFont FHeaderFont;
    int FLookupColumn = 0;
    int FItemIndex = -1;
    int FOldItemIndex = -1;
    bool workmode = true;
    bool FItemChange = false;
    int FItemIdx = -1;
    int FItemSel = 0;
    QStringList FLookupItems;
    QString FLookupEntry;
    // The lookup list folded once per rebuild, for completion (MatchCase).
    TCompletionList folded_;
    bool foldedValid_ = false;
    bool foldedCase_ = false;
};

}  // namespace dropdowns
