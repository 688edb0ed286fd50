#pragma once
// A drop-down for choosing one of a set of pictures. Each item carries a caption and either a
// picture of its own or an index into the drop-down's image list; the pop-up shows them in an item
// list and the closed face shows the chosen picture centred.
#include <QKeyEvent>
#include <utility>

#include "dropdowns/DovUzerAdevEdit.h"
#include "dropdowns/DropDownCompletion.h"
#include "dropdowns/ExColorPickerDropDown.h"
#include "dropdowns/ExItemSelector.h"
#include "platform/Bitmap.h"
#include "platform/Collection.h"

namespace dropdowns {

class TImageItem : public plat::TCollectionItem {
public:
    const QString& Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    bool Enabled() const { return FEnabled; }
    const plat::TBitmap& Image() const { return FImage; }
    void SetImage(const plat::TBitmap& Value) { FImage.Assign(Value); }
    const QString& Hint() const { return FHint; }
    void SetHint(const QString& Value) { FHint = Value; }
    void Assign(const TImageItem& Source);

private:
    void Changed();
    QString FCaption;
    int FImageIndex = -1;
    bool FEnabled = true;
    plat::TBitmap FImage;
    plat::TRect FRect{};  // not used by the picker
    QString FHint;
};

class TImageItems : public plat::TCollection<TImageItem> {
public:
    explicit TImageItems(QObject* Owner = nullptr) : FMyOwner(Owner) {}
    QObject* Owner() const { return FMyOwner; }
    TImageItem& Add() { return Insert(Count()); }
    TImageItem& Insert(int Index);
    TImageItem& GetItem(int Index) { return Items(Index); }
    void SetItem(int Index, const TImageItem& Value) { Items(Index).Assign(Value); }
    void Delete(int Index);
    void Clear();
    void Assign(const TImageItems& Source);
    void Changed();

    plat::TNotifyEvent OnChange;

private:
    QObject* FMyOwner;
};

class TExImagePickerDropDown : public TExCustomDropDown {
public:
    explicit TExImagePickerDropDown(QWidget* parent = nullptr);
    ~TExImagePickerDropDown() override;

    TImageItems& Items() { return *FItems; }
    void SetItems(const TImageItems& Value) { FItems->Assign(Value); }
    int ItemIndex() const { return FItemIndex; }
    // A different index within the items: OnChange, then OnSelect.
    void SetItemIndex(int Value);
    // The selected item's image list index, -1 without a selection.
    int ImageIndex() const;
    // Selects the first item with that image list index, none when no item has it.
    void SetImageIndex(int Value);
    int Columns() const { return FColumns; }
    void SetColumns(int Value) { FColumns = Value; }
    TItemLayout Layout() const { return FLayout; }
    void SetLayout(TItemLayout Value) { FLayout = Value; }
    TItemAppearance& ItemAppearance() { return *FItemAppearance; }
    void SetItemAppearance(const TItemAppearance& Value) { FItemAppearance->Assign(Value); }
    TExCustomItemSelector* ItemSelector() const { return FItemSelector; }

    // Appends one captionless item per picture of the image list; nothing without one.
    void AddImagesFromImageList();
    // Appends one item per file matching the mask (a folder followed by a wildcard), its picture
    // read from the file; a file that cannot be read gives an item with no picture and no
    // caption. Folders are no pictures and are skipped.
    void AddImagesFromFolder(const QString& AFolder, bool SetImageCaption);

    void SelectFirst();
    void SelectLast();
    void SelectNext();
    void SelectPrevious();
    // Copies the items and the list settings into the list.
    void UpdateItemSelector();

    void SetComponentStyle(TSkinStyle AStyle) override;
    void KeyDown(uint16_t& Key, plat::TShiftState Shift) override;

    plat::TNotifyEvent OnSelect;
    TOnDrawSelectedItem OnDrawSelectedImage;
    TDrawItemEvent OnDrawItem;

protected:
    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    void UpdateDropDownSize() override;
    void DoShowDropDown() override;
    void DoHideDropDown(bool Cancelled) override;
    void DropDownFormDestroy() override { FItemSelector = nullptr; }
    void HandleMouseWheelDown() override;
    void HandleMouseWheelUp() override;
    void SetSelectionColorStyle(TSelectionColorStyle Value) override;
    void Paint() override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ListSelect();
    void PaintSelectedImage(plat::TCanvas& Canvas);
    // The list holds the items (a typed key can come before the first opening).
    void FillListIfStale();
    void MoveList(int Target);
    template <class F>
    void Internal(F f) {
        const bool was = std::exchange(FInternalCall, true);
        f();
        FInternalCall = was;
    }

    TExCustomItemSelector* FItemSelector = nullptr;
    int FColumns = 1;
    TItemLayout FLayout = ilCaptionRight;
    TImageItems* FItems;
    int FItemIndex = -1;
    TItemAppearance* FItemAppearance;
    bool FInternalCall = false;
    TTypeAhead FCurSearch;
    int FOldItemIndex = -1;
    QString lastKeyText_;  // the character of the key being handled
};

}  // namespace dropdowns
